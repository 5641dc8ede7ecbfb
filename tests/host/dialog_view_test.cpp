// The FLTK setup dialog on a real X display, driven with xdotool key presses
// and clicks. Skipped when DISPLAY is not set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

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
    int screenW = 0, screenH = 0;
    screenSize(screenW, screenH);
    const glassmeridian::PixelPoint centre = glassmeridian::centredOrigin(screenW, screenH, 273, 263);
    EXPECT_EQ(g.x, centre.x);
    EXPECT_EQ(g.y, centre.y);

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
