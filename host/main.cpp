// glass-meridian: the setup dialog, then the demo.
#include "host/dialog_fltk.h"
#include "host/driver.h"
#include "host/engine_fluxcore.h"
#include "host/platform/sdl_platform.h"

int main() {
    glassmeridian::FluxcoreEngine engine;
    glassmeridian::SdlPlatform platform;
    glassmeridian::FltkSetupDialog dialog;
    return glassmeridian::runDemo(engine, platform, dialog);
}
