// The FLTK setup dialog on a real X display, driven with xdotool key presses
// and clicks. Skipped when DISPLAY is not set.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/setup_dialog_model.h"
#include "x_session.h"

namespace {

using namespace hosttest;

constexpr int kWaitSeconds = 15;

class HoldDisplay : public testing::Environment {
public:
    void SetUp() override { hold_ = std::make_unique<DisplayHold>(); }
    void TearDown() override { hold_.reset(); }

private:
    std::unique_ptr<DisplayHold> hold_;
};
[[maybe_unused]] const auto* const kHoldDisplay = testing::AddGlobalTestEnvironment(new HoldDisplay);
const char* const kCaptionRegex = "^Glass Meridian$";

class DialogView : public testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplay()) GTEST_SKIP() << "no X display (DISPLAY)";
    }

    // Starts the dialog and waits until it is shown and focused.
    std::string showDialog() {
        const std::string id = waitForWindow(kCaptionRegex, kWaitSeconds);
        EXPECT_FALSE(id.empty()) << "the dialog did not appear";
        if (!id.empty()) {
            EXPECT_TRUE(waitForFocus(id, kWaitSeconds)) << "the dialog did not take the focus";
        }
        return id;
    }

    static void send(const std::string& xdotoolArgs) {
        bool ok = false;
        runBounded("xdotool " + xdotoolArgs, 5, ok);
        EXPECT_TRUE(ok) << "xdotool " << xdotoolArgs;
    }

    // Clicks the middle of the control with this text.
    static void click(const std::string& windowId, const std::string& text) {
        for (const glassmeridian::DialogControl& c : glassmeridian::kSetupControls) {
            if (text != c.text) continue;
            const glassmeridian::DialogRect r = glassmeridian::unitsToPixels(c.rect);
            // Check boxes and radio buttons toggle on their indicator at the left.
            const bool toggle = c.kind == glassmeridian::ControlKind::CheckBox ||
                                c.kind == glassmeridian::ControlKind::RadioButton;
            const int x = r.x + (toggle ? 6 : r.width / 2);
            const int y = r.y + r.height / 2;
            send("mousemove --sync --window " + windowId + " " + std::to_string(x) + " " +
                 std::to_string(y) + " click 1");
            return;
        }
        ADD_FAILURE() << "no control " << text;
    }
};

TEST_F(DialogView, EnterAcceptsTheInitialChoicesOfACentredFocusedDialog) {
    DialogProcess dialog;
    const std::string id = showDialog();
    ASSERT_FALSE(id.empty());

    const WindowGeometry g = geometryOf(id);
    EXPECT_EQ(g.width, 273);
    EXPECT_EQ(g.height, 263);

    send("key Return");
    const DialogProcess::Result r = dialog.wait(kWaitSeconds);
    ASSERT_TRUE(r.finished) << "the dialog did not close";
    EXPECT_TRUE(r.shown);
    EXPECT_TRUE(r.settings.accepted);
    EXPECT_EQ(r.settings.width, 1024);
    EXPECT_EQ(r.settings.height, 768);
    EXPECT_EQ(r.settings.colourBits, 32);
    EXPECT_TRUE(r.settings.seeOption);
    EXPECT_TRUE(r.settings.hearOption);
    EXPECT_TRUE(r.settings.waitOption);
    EXPECT_FALSE(r.settings.readOption);
}

// The monitors as the X server's Xinerama extension reports them (xdpyinfo's
// "head #n: WxH @ X,Y"); the whole screen without it.
std::vector<glassmeridian::DialogRect> monitors() {
    bool ok = false;
    std::istringstream lines(runBounded("xdpyinfo -ext XINERAMA", 5, ok));
    std::vector<glassmeridian::DialogRect> found;
    std::string line;
    while (std::getline(lines, line)) {
        glassmeridian::DialogRect r{};
        const auto head = line.find("head #");
        if (head == std::string::npos) continue;
        const auto colon = line.find(':', head);
        if (colon != std::string::npos &&
            std::sscanf(line.c_str() + colon + 1, " %dx%d @ %d,%d", &r.width, &r.height, &r.x, &r.y) == 4) {
            found.push_back(r);
        }
    }
    if (found.empty()) {
        int w = 0, h = 0;
        screenSize(w, h);
        found.push_back({0, 0, w, h});
    }
    return found;
}

TEST_F(DialogView, CentredOnTheMonitorThatHoldsThePointer) {
    const std::vector<glassmeridian::DialogRect> found = monitors();
    if (const char* made = std::getenv("GM_XVFB_MONITORS")) {
        // The server was cut into monitors: each must be reported.
        std::istringstream names(made);
        EXPECT_EQ(found.size(), static_cast<size_t>(std::distance(std::istream_iterator<std::string>(names),
                                                                  std::istream_iterator<std::string>())));
    }
    for (const glassmeridian::DialogRect& m : found) {
        SCOPED_TRACE("monitor at " + std::to_string(m.x) + "," + std::to_string(m.y));
        send("mousemove " + std::to_string(m.x + m.width - 5) + " " + std::to_string(m.y + 5));
        DialogProcess dialog;
        const std::string id = showDialog();
        ASSERT_FALSE(id.empty());
        const WindowGeometry g = geometryOf(id);
        const glassmeridian::PixelPoint centre = glassmeridian::centredOrigin(m, 273, 263, {});
        EXPECT_EQ(g.x, centre.x);
        EXPECT_EQ(g.y, centre.y);
        send("key Escape");
        ASSERT_TRUE(dialog.wait(kWaitSeconds).finished) << "the dialog did not close";
    }
}

// Enter presses the focused push button, else accepts; Space presses the
// focused button; Escape declines from anywhere.
TEST_F(DialogView, DialogKeysFollowTheFocus) {
    struct Case {
        const char* keys;
        bool accepted;
    };
    const Case cases[] = {
        {"Tab Return", false},         // focus on "Niemals"
        {"Tab space", false},
        {"space", true},               // focus on "Vielleicht"
        {"Tab Tab Return", true},      // focus on "Sehen": Enter accepts
        {"Tab Tab Tab Escape", false},
        {"Tab Tab Tab Tab Tab Tab Tab Return", false},  // round to "Niemals" again
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        DialogProcess dialog;
        ASSERT_FALSE(showDialog().empty());
        send(std::string("key --delay 30 ") + c.keys);
        const DialogProcess::Result r = dialog.wait(kWaitSeconds);
        ASSERT_TRUE(r.finished) << "the dialog did not close";
        EXPECT_EQ(r.settings.accepted, c.accepted);
    }
}

// The arrows step through all controls in order; a radio button they reach
// is checked, and Enter takes that mode.
TEST_F(DialogView, ArrowKeysReachAndCheckEachResolution) {
    struct Case {
        const char* keys;
        int width, height;
    };
    const Case cases[] = {
        {"Down Down", 1280, 1024},
        {"Down Down Down", 1024, 768},
        {"Right Right Right Right", 800, 600},
        {"Down Down Down Down Down", 640, 480},
        {"Up Up Up Up Up", 640, 480},  // backwards from "Vielleicht" past the check boxes
        {"Up Up Up Up Up Up Up Up", 1280, 1024},
        {"Down Down Up", 1280, 1024},  // back onto "Niemals" leaves the choice; Enter presses it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        DialogProcess dialog;
        ASSERT_FALSE(showDialog().empty());
        send(std::string("key --delay 30 ") + c.keys + " Return");
        const DialogProcess::Result r = dialog.wait(kWaitSeconds);
        ASSERT_TRUE(r.finished) << "the dialog did not close";
        const bool onNiemals = std::string(c.keys) == "Down Down Up";
        EXPECT_EQ(r.settings.accepted, !onNiemals);
        if (onNiemals) continue;
        EXPECT_EQ(r.settings.width, c.width);
        EXPECT_EQ(r.settings.height, c.height);
    }
}

TEST_F(DialogView, EscapeDeclines) {
    DialogProcess dialog;
    ASSERT_FALSE(showDialog().empty());
    send("key Escape");
    const DialogProcess::Result r = dialog.wait(kWaitSeconds);
    ASSERT_TRUE(r.finished) << "the dialog did not close";
    EXPECT_TRUE(r.shown);
    EXPECT_FALSE(r.settings.accepted);
}

TEST_F(DialogView, ClickedChoicesAreReadWhenAccepted) {
    DialogProcess dialog;
    const std::string id = showDialog();
    ASSERT_FALSE(id.empty());
    click(id, "640*480");
    click(id, "Sehen");  // off
    click(id, "Lesen");  // on
    click(id, "Vielleicht");
    const DialogProcess::Result r = dialog.wait(kWaitSeconds);
    ASSERT_TRUE(r.finished) << "the dialog did not close";
    EXPECT_TRUE(r.settings.accepted);
    EXPECT_EQ(r.settings.width, 640);
    EXPECT_EQ(r.settings.height, 480);
    EXPECT_EQ(r.settings.colourBits, 32);
    EXPECT_FALSE(r.settings.seeOption);
    EXPECT_TRUE(r.settings.hearOption);
    EXPECT_TRUE(r.settings.waitOption);
    EXPECT_TRUE(r.settings.readOption);
}

TEST_F(DialogView, NiemalsAndTheCloseButtonDecline) {
    {
        SCOPED_TRACE("Niemals");
        DialogProcess dialog;
        const std::string id = showDialog();
        ASSERT_FALSE(id.empty());
        click(id, "Lesen");
        click(id, "Niemals");
        const DialogProcess::Result r = dialog.wait(kWaitSeconds);
        ASSERT_TRUE(r.finished) << "the dialog did not close";
        EXPECT_FALSE(r.settings.accepted);
        EXPECT_FALSE(r.settings.readOption);
    }
    {
        SCOPED_TRACE("close button");
        DialogProcess dialog;
        const std::string id = showDialog();
        ASSERT_FALSE(id.empty());
        requestClose(id);
        const DialogProcess::Result r = dialog.wait(kWaitSeconds);
        ASSERT_TRUE(r.finished) << "the dialog did not close";
        EXPECT_TRUE(r.shown);
        EXPECT_FALSE(r.settings.accepted);
    }
}

// Needs no display: the dialog must say so instead of ending the process.
TEST(DialogWithoutDisplay, ReportsThatItCannotOpenTheDisplay) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");
    DialogProcess dialog;
    if (saved) setenv("DISPLAY", display.c_str(), 1);

    const DialogProcess::Result r = dialog.wait(kWaitSeconds);
    ASSERT_TRUE(r.finished);
    EXPECT_FALSE(r.shown);
    EXPECT_FALSE(r.settings.accepted);
    EXPECT_NE(r.failure.find("cannot open display"), std::string::npos) << r.failure;
}

}  // namespace
