// The setup dialog's layout and decisions (see setup_dialog_model.h).
#include "host/setup_dialog_model.h"

#include <algorithm>

namespace glassmeridian {

const std::array<DialogControl, 16> kSetupControls = {{
    {kAcceptId, ControlKind::PushButton, "Vielleicht", {11, 136, 71, 14}, true, true},
    {kDeclineId, ControlKind::PushButton, "Niemals", {91, 136, 74, 14}, true, true},
    {1001, ControlKind::RadioButton, "1280*1024", {100, 110, 49, 8}, true, false},
    {1002, ControlKind::RadioButton, "1024*768", {100, 98, 50, 8}, true, false},
    {1003, ControlKind::RadioButton, "800*600", {100, 87, 50, 8}, true, false},
    {1004, ControlKind::RadioButton, "640*480", {100, 76, 50, 8}, true, false},
    {1005, ControlKind::CheckBox, "Sehen", {18, 77, 49, 9}, true, true},
    {1006, ControlKind::CheckBox, "Hören", {18, 90, 36, 9}, true, true},
    {1007, ControlKind::CheckBox, "Warten", {18, 103, 50, 9}, true, true},
    {1008, ControlKind::CheckBox, "Lesen", {18, 116, 50, 9}, true, true},
    {0, ControlKind::Banner, "", {5, 10, 171, 39}, false, false},
    {0, ControlKind::GroupBox, "Wünsche", {11, 65, 71, 65}, false, false},
    {0, ControlKind::GroupBox, "Wirklichkeit", {94, 65, 71, 65}, false, false},
    {0, ControlKind::GroupBox, "", {3, 4, 175, 47}, true, false},
    {0, ControlKind::GroupBox, "", {1, 56, 177, 102}, false, false},
    {0, ControlKind::GroupBox, "", {7, 128, 165, 26}, false, false},
}};

namespace {

// Dialog units scale with the dialog font's base units: a horizontal unit is a
// quarter of the average character width, a vertical unit an eighth of the
// character height. "MS Sans Serif" 8 pt at 96 dpi has base units of 6 x 13
// pixels, so x px = x du * 6 / 4 and y px = y du * 13 / 8, rounded to the
// nearest pixel with halves away from zero (the rounding of MulDiv).
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

int scaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

constexpr std::array<ScreenMode, 4> kRadioModes = {{
    {1280, 1024, 32},
    {1024, 768, 32},
    {800, 600, 32},
    {640, 480, 32},
}};

}  // namespace

int horizontalUnitsToPixels(int units) { return scaleRounded(units, kBaseUnitX, 4); }

int verticalUnitsToPixels(int units) { return scaleRounded(units, kBaseUnitY, 8); }

DialogRect unitsToPixels(const DialogRect& units) {
    return {horizontalUnitsToPixels(units.x), verticalUnitsToPixels(units.y),
            horizontalUnitsToPixels(units.width), verticalUnitsToPixels(units.height)};
}

namespace {
// The framed window's left (or top) edge along one axis of the work area.
int centredEdge(int areaStart, int areaLength, int framedLength) {
    const int edge = areaStart + (areaLength - framedLength) / 2;
    return std::max(areaStart, std::min(edge, areaStart + areaLength - framedLength));
}

bool takesFocus(const DialogControl& control) {
    return control.kind == ControlKind::PushButton || control.kind == ControlKind::RadioButton ||
           control.kind == ControlKind::CheckBox;
}
}  // namespace

PixelPoint centredOrigin(const DialogRect& workArea, int clientWidth, int clientHeight, const FrameExtents& frame) {
    const int framedWidth = clientWidth + frame.left + frame.right;
    const int framedHeight = clientHeight + frame.top + frame.bottom;
    return {centredEdge(workArea.x, workArea.width, framedWidth) + frame.left,
            centredEdge(workArea.y, workArea.height, framedHeight) + frame.top};
}

std::size_t nextFocus(std::size_t current, FocusMove move) {
    const std::size_t count = kSetupControls.size();
    const bool forward = move == FocusMove::NextTabStop || move == FocusMove::NextInGroup;
    const bool tabOnly = move == FocusMove::NextTabStop || move == FocusMove::PreviousTabStop;
    std::size_t i = current % count;
    for (std::size_t step = 0; step < count; ++step) {
        i = forward ? (i + 1) % count : (i + count - 1) % count;
        const DialogControl& control = kSetupControls[i];
        if (tabOnly ? control.tabStop : takesFocus(control)) return i;
    }
    return current;
}

ScreenMode radioMode(std::size_t index) { return kRadioModes.at(index); }

SetupChoices initialChoices() {
    SetupChoices choices;
    choices.radioChecked[1002 - kFirstRadioId] = true;
    choices.boxChecked[1005 - kFirstCheckId] = true;
    choices.boxChecked[1006 - kFirstCheckId] = true;
    choices.boxChecked[1007 - kFirstCheckId] = true;
    return choices;
}

void acceptChoices(const SetupChoices& choices, LaunchSettings& settings) {
    for (std::size_t i = 0; i < choices.radioChecked.size(); ++i) {
        if (choices.radioChecked[i]) {
            const ScreenMode mode = kRadioModes[i];
            settings.width = mode.width;
            settings.height = mode.height;
            settings.colourBits = mode.colourBits;
        }
    }
    bool* const options[4] = {&settings.seeOption, &settings.hearOption, &settings.waitOption,
                              &settings.readOption};
    for (std::size_t i = 0; i < choices.boxChecked.size(); ++i) {
        if (choices.boxChecked[i]) {
            *options[i] = true;
        }
    }
    settings.accepted = true;
}

void declineChoices(LaunchSettings& settings) { settings.accepted = false; }

}  // namespace glassmeridian
