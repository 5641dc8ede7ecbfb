// glass-meridian-capture: entry point, error reporting and exit codes.
#include <cstdio>
#include <exception>

#include "capture/run.h"
#include "capture/options.h"

int main(int argc, char** argv) {
    using namespace capture;
    const char* const self = "glass-meridian-capture";
    try {
        const Options options = parseOptions(argc, argv);
        if (options.mode == Mode::Help) {
            std::fputs(usageText().c_str(), stdout);
            return 0;
        }
        if (options.mode == Mode::Version) {
            std::fputs(versionText().c_str(), stdout);
            return 0;
        }
        installInterruptHandlers();
        runCapture(options);
        return 0;
    } catch (const UsageError& e) {
        // One line, so a script's log shows the whole reason where it failed.
        std::fprintf(stderr, "%s: %s (see '%s --help')\n", self, e.what(), self);
        return 2;
    } catch (const Interrupted&) {
        std::fprintf(stderr, "%s: interrupted; no half-written file left\n", self);
        return 130;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", self, e.what());
        return 1;
    } catch (const char* message) {
        std::fprintf(stderr, "%s: engine: %s\n", self, message);
        return 1;
    }
}
