// The setup dialog as an FLTK window on the X display.
#pragma once

#include "host/setup_dialog.h"

namespace glassmeridian {

class FltkSetupDialog : public SetupDialog {
public:
    // Shows the dialog centred on the screen, on top and focused, and returns
    // when the viewer accepts or declines. Fails without a display.
    DialogOutcome run(LaunchSettings& settings) override;
};

}  // namespace glassmeridian
