// The setup dialog without a toolkit: its control table in dialog units, the
// conversion to pixels, where it is placed, its initial state and what
// accepting or declining writes into the launch settings.
#pragma once

#include <array>
#include <cstddef>

#include "host/launch_settings.h"

namespace glassmeridian {

struct DialogRect {
    int x, y, width, height;
};

enum class ControlKind { PushButton, RadioButton, CheckBox, Banner, GroupBox };

struct DialogControl {
    int id;            // command id; 0 for controls that send none
    ControlKind kind;
    const char* text;  // UTF-8; empty where the control shows none
    DialogRect rect;   // dialog units
    bool flat;         // drawn flat instead of sunken or raised
    bool tabStop;      // reachable with Tab
};

constexpr const char* kDialogCaption = "Glass Meridian";
constexpr int kDialogWidthUnits = 182;   // client area
constexpr int kDialogHeightUnits = 162;
constexpr int kAcceptId = 1;
constexpr int kDeclineId = 2;
constexpr int kFirstRadioId = 1001;  // 1001..1004, in reading order
constexpr int kFirstCheckId = 1005;  // 1005..1008, in reading order

extern const std::array<DialogControl, 16> kSetupControls;

// Dialog units to pixels for the dialog font "MS Sans Serif" 8 pt (see the .cpp).
int horizontalUnitsToPixels(int units);
int verticalUnitsToPixels(int units);
DialogRect unitsToPixels(const DialogRect& units);

// Where the dialog goes: the top-left corner of its client area such that the
// whole framed window (client area plus the window manager's frame, whose
// left and top parts are given) is centred in the work area, and kept inside
// it where it fits (its top-left corner first, so the caption stays reachable).
struct PixelPoint {
    int x, y;
};
struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};
PixelPoint centredOrigin(const DialogRect& workArea, int clientWidth, int clientHeight, const FrameExtents& frame);

// The standard dialog keys that move the focus. The controls form one group:
// the arrows step through every control that can take the focus (push
// buttons, radio buttons, check boxes) in table order, Tab through the tab
// stops; both wrap around.
enum class FocusMove { NextTabStop, PreviousTabStop, NextInGroup, PreviousInGroup };
// The index into kSetupControls that takes the focus from `current`.
std::size_t nextFocus(std::size_t current, FocusMove move);

// What the dialog's radio buttons (1001..1004) and check boxes (1005..1008) show.
struct SetupChoices {
    std::array<bool, 4> radioChecked{};
    std::array<bool, 4> boxChecked{};
};

struct ScreenMode {
    int width, height, colourBits;
};
ScreenMode radioMode(std::size_t index);  // the mode of radio button 1001 + index

SetupChoices initialChoices();  // 1024*768 and "Sehen", "Hören", "Warten"
// Reads the radio buttons in order (a later checked one wins; none leaves the
// mode as it was), then the check boxes (a checked one switches its option on,
// an unchecked one leaves it), and marks the settings accepted.
void acceptChoices(const SetupChoices& choices, LaunchSettings& settings);
void declineChoices(LaunchSettings& settings);  // accepted false, nothing else touched

}  // namespace glassmeridian
