// The command line of glass-meridian: what one start of the program asks for,
// parsed from argv, and the texts of --help and --version.
#pragma once

#include <stdexcept>
#include <string>

#include "host/launch_settings.h"
#include "host/setup_dialog_model.h"

namespace glassmeridian {

// The options set what the dialog would (`choices`); `settings` holds the
// rest: a size no radio button offers, the monitor, the start and looping.
struct LaunchRequest {
    enum class Action { ShowDialog, Run, Help, Version };
    Action action = Action::ShowDialog;
    SetupChoices choices = initialChoices();  // shown by the dialog, or taken as accepted
    LaunchSettings settings;                  // what accepting the choices starts from
};

// The settings of a run without the dialog: the request's choices accepted,
// exactly as the dialog's accept button would take them.
LaunchSettings acceptedSettings(const LaunchRequest& request);

// A bad option or value; what() is one line naming it and what is allowed.
struct CommandLineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses argv[1..argc). No option: the dialog with its initial state. Any
// option that sets a choice runs without the dialog unless --dialog is given;
// choices not named keep the dialog's initial state. A later option overrides
// an earlier one of the same choice.
LaunchRequest parseCommandLine(int argc, const char* const* argv);

std::string usageText();    // for --help, ends with a newline
std::string versionText();  // for --version, ends with a newline

}  // namespace glassmeridian
