// The setup dialog's layout and decisions, without a display.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/setup_dialog_model.h"

namespace {

using namespace glassmeridian;

const DialogControl& controlWithText(const std::string& text) {
    for (const DialogControl& c : kSetupControls) {
        if (text == c.text) return c;
    }
    throw std::runtime_error("no control " + text);
}

TEST(SetupDialogLayout, ConvertsDialogUnitsAsTheDialogFontDoes) {
    EXPECT_EQ(horizontalUnitsToPixels(kDialogWidthUnits), 273);
    EXPECT_EQ(verticalUnitsToPixels(kDialogHeightUnits), 263);  // 263.25
    // Halves round away from zero.
    const DialogRect accept = unitsToPixels(controlWithText("Vielleicht").rect);
    EXPECT_EQ(accept.x, 17);       // 16.5
    EXPECT_EQ(accept.y, 221);
    EXPECT_EQ(accept.width, 107);  // 106.5
    EXPECT_EQ(accept.height, 23);  // 22.75
    const DialogRect decline = unitsToPixels(controlWithText("Niemals").rect);
    EXPECT_EQ(decline.x, 137);
    EXPECT_EQ(decline.width, 111);
    const DialogRect lesen = unitsToPixels(controlWithText("Lesen").rect);
    EXPECT_EQ(lesen.y, 189);  // 188.5
    EXPECT_EQ(lesen.height, 15);
    EXPECT_EQ(horizontalUnitsToPixels(-5), -8);
    EXPECT_EQ(verticalUnitsToPixels(0), 0);
}

TEST(SetupDialogLayout, ControlsKeepTheirIdsTextsAndStyles) {
    std::map<int, std::string> texts;
    std::set<std::string> groupCaptions;
    int emptyGroups = 0, banners = 0;
    for (const DialogControl& c : kSetupControls) {
        const bool input = c.kind == ControlKind::PushButton || c.kind == ControlKind::CheckBox ||
                           c.kind == ControlKind::RadioButton;
        if (input) {
            EXPECT_TRUE(texts.emplace(c.id, c.text).second) << "duplicate id " << c.id;
            EXPECT_TRUE(c.flat) << c.text;
            EXPECT_EQ(c.tabStop, c.kind != ControlKind::RadioButton) << c.text;
        } else {
            EXPECT_EQ(c.id, 0);
            EXPECT_FALSE(c.tabStop);
        }
        if (c.kind == ControlKind::Banner) ++banners;
        if (c.kind == ControlKind::GroupBox) {
            if (*c.text) groupCaptions.insert(c.text);
            else ++emptyGroups;
        }
        // Inside the client area.
        EXPECT_GE(c.rect.x, 0);
        EXPECT_GE(c.rect.y, 0);
        EXPECT_LE(c.rect.x + c.rect.width, kDialogWidthUnits) << c.text;
        EXPECT_LE(c.rect.y + c.rect.height, kDialogHeightUnits) << c.text;
    }
    EXPECT_EQ(texts, (std::map<int, std::string>{{1, "Vielleicht"},
                                                 {2, "Niemals"},
                                                 {1001, "1280*1024"},
                                                 {1002, "1024*768"},
                                                 {1003, "800*600"},
                                                 {1004, "640*480"},
                                                 {1005, "Sehen"},
                                                 {1006, "H\xC3\xB6ren"},
                                                 {1007, "Warten"},
                                                 {1008, "Lesen"}}));
    EXPECT_EQ(groupCaptions, (std::set<std::string>{"W\xC3\xBCnsche", "Wirklichkeit"}));
    EXPECT_EQ(emptyGroups, 3);
    EXPECT_EQ(banners, 1);
    // Of the group boxes only the banner's frame is flat.
    for (const DialogControl& c : kSetupControls) {
        if (c.kind == ControlKind::GroupBox) {
            EXPECT_EQ(c.flat, c.rect.x == 3 && c.rect.y == 4) << c.text;
        }
    }
}

TEST(SetupDialogLayout, CentresTheFramedWindowInTheWorkArea) {
    struct Case {
        const char* what;
        DialogRect area;
        FrameExtents frame;
        PixelPoint expected;  // client area's top-left corner
    };
    const Case cases[] = {
        {"no frame, monitor at the origin", {0, 0, 1280, 1024}, {}, {503, 380}},
        {"second monitor to the right", {1024, 0, 1024, 768}, {}, {1024 + 375, 252}},
        {"primary monitor away from the origin", {-1920, 200, 1920, 1080}, {}, {-1920 + 823, 200 + 408}},
        {"frame: the title bar counts", {0, 0, 1280, 1024}, {2, 2, 24, 2}, {503, 367 + 24}},
        {"work area below a panel", {0, 30, 1024, 738}, {}, {375, 30 + 237}},
        {"larger than the area: top-left corner inside", {100, 50, 200, 100}, {4, 4, 20, 4}, {104, 70}},
    };
    for (const Case& c : cases) {
        const PixelPoint p = centredOrigin(c.area, 273, 263, c.frame);
        EXPECT_EQ(p.x, c.expected.x) << c.what;
        EXPECT_EQ(p.y, c.expected.y) << c.what;
    }
}

TEST(SetupDialogKeys, ArrowsStepThroughEveryControlTabThroughTheTabStops) {
    auto indexOf = [](const std::string& text) {
        for (std::size_t i = 0; i < kSetupControls.size(); ++i) {
            if (text == kSetupControls[i].text) return i;
        }
        throw std::runtime_error("no control " + text);
    };
    auto walk = [&](FocusMove move, std::size_t steps) {
        std::vector<std::string> seen;
        std::size_t at = indexOf("Vielleicht");
        for (std::size_t i = 0; i < steps; ++i) {
            at = nextFocus(at, move);
            seen.emplace_back(kSetupControls[at].text);
        }
        return seen;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(walk(FocusMove::NextInGroup, 11),
              (V{"Niemals", "1280*1024", "1024*768", "800*600", "640*480", "Sehen", "Hören", "Warten", "Lesen",
                 "Vielleicht", "Niemals"}));
    EXPECT_EQ(walk(FocusMove::PreviousInGroup, 3), (V{"Lesen", "Warten", "Hören"}));
    EXPECT_EQ(walk(FocusMove::NextTabStop, 7), (V{"Niemals", "Sehen", "Hören", "Warten", "Lesen", "Vielleicht", "Niemals"}));
    EXPECT_EQ(walk(FocusMove::PreviousTabStop, 2), (V{"Lesen", "Warten"}));
}

TEST(SetupDialogModel, AcceptingAtOnceGivesTheInitialChoices) {
    const SetupChoices initial = initialChoices();
    EXPECT_EQ(initial.radioChecked, (std::array<bool, 4>{false, true, false, false}));
    EXPECT_EQ(initial.boxChecked, (std::array<bool, 4>{true, true, true, false}));

    LaunchSettings settings;
    acceptChoices(initial, settings);
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(settings.height, 768);
    EXPECT_EQ(settings.colourBits, 32);
    EXPECT_TRUE(settings.seeOption);
    EXPECT_TRUE(settings.hearOption);
    EXPECT_TRUE(settings.waitOption);
    EXPECT_FALSE(settings.readOption);
    EXPECT_TRUE(settings.accepted);
}

TEST(SetupDialogModel, EachResolutionHasThirtyTwoBitColour) {
    const int expected[4][2] = {{1280, 1024}, {1024, 768}, {800, 600}, {640, 480}};
    for (std::size_t i = 0; i < 4; ++i) {
        SetupChoices choices;
        choices.radioChecked[i] = true;
        LaunchSettings settings;
        settings.colourBits = 16;
        acceptChoices(choices, settings);
        EXPECT_EQ(settings.width, expected[i][0]) << i;
        EXPECT_EQ(settings.height, expected[i][1]) << i;
        EXPECT_EQ(settings.colourBits, 32) << i;
    }
}

TEST(SetupDialogModel, ReadsRadioButtonsInOrderAndLeavesUncheckedOptions) {
    {
        SCOPED_TRACE("a later checked radio button wins");
        SetupChoices choices;
        choices.radioChecked = {true, false, true, false};
        LaunchSettings settings;
        acceptChoices(choices, settings);
        EXPECT_EQ(settings.width, 800);
        EXPECT_EQ(settings.height, 600);
    }
    {
        SCOPED_TRACE("nothing checked keeps the defaults");
        LaunchSettings settings;
        acceptChoices(SetupChoices{}, settings);
        EXPECT_EQ(settings.width, 640);
        EXPECT_EQ(settings.height, 480);
        EXPECT_EQ(settings.colourBits, 32);
        EXPECT_FALSE(settings.seeOption || settings.hearOption || settings.waitOption ||
                     settings.readOption);
        EXPECT_TRUE(settings.accepted);
    }
    {
        SCOPED_TRACE("an unchecked box leaves its option as it was");
        SetupChoices choices;
        choices.boxChecked = {false, false, false, true};
        LaunchSettings settings;
        settings.hearOption = true;
        acceptChoices(choices, settings);
        EXPECT_FALSE(settings.seeOption);
        EXPECT_TRUE(settings.hearOption);
        EXPECT_FALSE(settings.waitOption);
        EXPECT_TRUE(settings.readOption);
    }
}

TEST(SetupDialogModel, DecliningClearsOnlyAccepted) {
    LaunchSettings settings;
    acceptChoices(initialChoices(), settings);
    declineChoices(settings);
    EXPECT_FALSE(settings.accepted);
    EXPECT_EQ(settings.width, 1024);
    EXPECT_TRUE(settings.seeOption);

    LaunchSettings fresh;
    declineChoices(fresh);
    EXPECT_FALSE(fresh.accepted);
    EXPECT_EQ(fresh.width, 640);
}

}  // namespace
