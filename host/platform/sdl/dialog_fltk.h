// The setup dialog as an FLTK window on the X display.
#pragma once

#include "host/setup_dialog.h"

namespace glassmeridian {

class FltkSetupDialog : public SetupDialog {
public:
    // Shows the dialog centred on the screen, on top and focused, and returns
    // when the viewer accepts or declines. Fails without a display.
    DialogOutcome run(const SetupChoices& shown, LaunchSettings& settings) override;
    // An alert titled "Glass Meridian" where a display can be reached. Off
    // when the environment variable GLASS_MERIDIAN_NO_MESSAGE_BOX is set to
    // anything but "" or "0" (scripts and tests that cannot dismiss it).
    void showFailure(const char* text) override;
};

}  // namespace glassmeridian
