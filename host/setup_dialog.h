// SetupDialog: the seam for the dialog that asks the viewer for the launch
// settings. The program passes the FLTK dialog; tests pass a scripted fake.
#pragma once

#include <string>

#include "host/launch_settings.h"
#include "host/setup_dialog_model.h"

namespace glassmeridian {

// Outcome of showing the setup dialog: whether it could be shown at all.
struct DialogOutcome {
    bool shown = true;
    std::string failure;  // why it could not be shown
};

class SetupDialog {
public:
    virtual ~SetupDialog() = default;
    // Shows the dialog modally with `shown` checked and writes the viewer's
    // choices into settings (acceptChoices / declineChoices).
    virtual DialogOutcome run(const SetupChoices& shown, LaunchSettings& settings) = 0;
    // Shows what made the run fail to a viewer who may not see the terminal,
    // and returns once it is dismissed; does nothing where nothing can be shown.
    virtual void showFailure(const char* text) = 0;
};

}  // namespace glassmeridian
