// The Windows program's resource ids, shared by the resource script and the
// host's C++ (plain macros: the resource compiler reads this file too).
#pragma once

#define IDD_SETUP 101   // the setup dialog's template
#define IDI_APP 104     // the program icon (also the dialog's window icons)
#define IDB_BANNER 109  // the banner above the dialog's controls
