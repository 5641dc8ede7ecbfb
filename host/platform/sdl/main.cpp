// glass-meridian: the command line, then the setup dialog or straight the demo.
#include <cstdio>

#include "host/command_line.h"
#include "host/platform/sdl/dialog_fltk.h"
#include "host/driver.h"
#include "host/engine_fluxcore.h"
#include "host/platform/sdl/sdl_platform.h"

namespace {
constexpr int kUsageExitCode = 2;
}

int main(int argc, char** argv) {
    glassmeridian::LaunchRequest request;
    try {
        request = glassmeridian::parseCommandLine(argc, argv);
    } catch (const glassmeridian::CommandLineError& error) {
        std::fprintf(stderr, "glass-meridian: %s\n", error.what());
        return kUsageExitCode;
    }
    switch (request.action) {
        case glassmeridian::LaunchRequest::Action::Help:
            std::fputs(glassmeridian::usageText().c_str(), stdout);
            return 0;
        case glassmeridian::LaunchRequest::Action::Version:
            std::fputs(glassmeridian::versionText().c_str(), stdout);
            return 0;
        default:
            break;
    }
    glassmeridian::FluxcoreEngine engine;
    glassmeridian::SdlPlatform platform;
    glassmeridian::FltkSetupDialog dialog;
    return glassmeridian::runDemo(engine, platform, dialog, request);
}
