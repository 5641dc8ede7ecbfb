// The setup dialog on Win32: the resource template 101 run by the dialog
// manager, with the model's keys, placement and choices.
#pragma once

#include "host/setup_dialog.h"

namespace glassmeridian {

class Win32SetupDialog : public SetupDialog {
public:
    // Shows the dialog modally (DialogBoxParamA, no owner), centred in the work
    // area of the monitor that holds the mouse pointer, in front and focused
    // on "Vielleicht", with `shown` checked. Returns when the viewer accepts
    // ("Vielleicht", Enter anywhere but on "Niemals") or declines ("Niemals",
    // Enter on it, Escape, the close button). Fails when the template cannot
    // be loaded or the window not made.
    DialogOutcome run(const SetupChoices& shown, LaunchSettings& settings) override;
    // MessageBoxA titled "Glass Meridian" with the error icon. Off when the
    // environment variable GLASS_MERIDIAN_NO_MESSAGE_BOX is set to anything
    // but "" or "0" (scripts and tests that cannot dismiss it).
    void showFailure(const char* text) override;
};

}  // namespace glassmeridian
