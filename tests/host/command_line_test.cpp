// The command line: a table of good command lines and the settings they give,
// a table of bad ones and their one-line messages, and the check that the
// options and the dialog's controls give the same launch settings.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/command_line.h"

namespace {

using glassmeridian::LaunchRequest;
using glassmeridian::LaunchSettings;
using Action = LaunchRequest::Action;

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out{"glass-meridian"};
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

LaunchRequest parse(const std::string& line) {
    const std::vector<std::string> args = words(line);
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    return glassmeridian::parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// width x height, see/hear/wait/read as 0/1, display, start, loop.
std::string describe(const LaunchSettings& s) {
    std::ostringstream out;
    out << s.width << "x" << s.height << " " << s.seeOption << s.hearOption << s.waitOption << s.readOption
        << " display " << s.display << " start " << s.startMs << (s.loop ? " loop" : "");
    return out.str();
}

TEST(CommandLine, GoodCommandLinesGiveTheDialogsDefaultsForWhatTheyDoNotName) {
    struct Case {
        const char* line;
        Action action;
        const char* settings;  // describe(acceptedSettings(...))
    };
    const Case cases[] = {
        {"", Action::ShowDialog, "1024x768 1110 display 0 start 0"},
        {"--window", Action::Run, "1024x768 0110 display 0 start 0"},
        {"--size 640x480 --no-sound --no-vsync --window", Action::Run, "640x480 0000 display 0 start 0"},
        {"--size 1280x1024 --log", Action::Run, "1280x1024 1111 display 0 start 0"},
        {"--size 320x240", Action::Run, "320x240 1110 display 0 start 0"},      // no radio button offers it
        {"--size=64X64", Action::Run, "64x64 1110 display 0 start 0"},
        {"--size 16384x16384", Action::Run, "16384x16384 1110 display 0 start 0"},
        {"--window --fullscreen --no-sound --sound", Action::Run, "1024x768 1110 display 0 start 0"},
        {"--display 1 --start 20000 --loop", Action::Run, "1024x768 1110 display 1 start 20000 loop"},
        {"--start=0 --no-vsync", Action::Run, "1024x768 1100 display 0 start 0"},
        {"--start 48999", Action::Run, "1024x768 1110 display 0 start 48999"},
        {"--dialog", Action::ShowDialog, "1024x768 1110 display 0 start 0"},
        {"--dialog --size 800x600 --window", Action::ShowDialog, "800x600 0110 display 0 start 0"},
        {"--size 800x600 --help", Action::Help, "800x600 1110 display 0 start 0"},
        {"--version", Action::Version, "1024x768 1110 display 0 start 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const LaunchRequest request = parse(c.line);
        EXPECT_EQ(request.action, c.action);
        const LaunchSettings settings = glassmeridian::acceptedSettings(request);
        EXPECT_EQ(describe(settings), c.settings);
        EXPECT_EQ(settings.colourBits, 32);
        EXPECT_TRUE(settings.accepted);
    }
}

TEST(CommandLine, BadCommandLinesAreOneLineNamingTheOptionAndWhatIsAllowed) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"--size", "--size needs a value"},
        {"--size 1280", "--size: '1280' is not WIDTHxHEIGHT, each from 64 to 16384, e.g. 1280x1024"},
        {"--size 1280x", "--size: '1280x' is not WIDTHxHEIGHT"},
        {"--size -640x480", "--size: '-640x480' is not WIDTHxHEIGHT"},
        {"--size 63x480", "--size: 63x480 is out of range (WIDTHxHEIGHT, each from 64 to 16384"},
        {"--size 640x99999999999", "--size: '640x99999999999' is not WIDTHxHEIGHT"},
        {"--size 16385x100", "--size: 16385x100 is out of range"},
        {"--start 49000", "--start: 49000 is out of range (a whole number from 0 to 48999 ms)"},
        {"--start -5", "--start: '-5' is not a whole number from 0 to 48999 ms"},
        {"--start 1.5", "--start: '1.5' is not a whole number"},
        {"--display x", "--display: 'x' is not a whole number from 0 to 63"},
        {"--display=", "--display: '' is not a whole number"},
        {"--window=yes", "--window takes no value"},
        {"--fulscreen", "unknown option '--fulscreen' (see --help for the options)"},
        {"demo.pak", "unexpected argument 'demo.pak' (the program takes options only)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        try {
            parse(c.line);
            ADD_FAILURE() << "accepted";
        } catch (const glassmeridian::CommandLineError& error) {
            const std::string text = error.what();
            EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
            EXPECT_EQ(text.find('\n'), std::string::npos) << text;
        }
    }
}

// The command line and the dialog make one struct the same way: the options
// check the controls the viewer would check, and accepting them is the
// dialog's own acceptChoices.
TEST(CommandLine, OptionsGiveWhatTheSameChoicesInTheDialogGive) {
    struct Case {
        const char* line;
        int radio;             // the radio button the viewer checks, in reading order
        bool boxes[4];         // "Sehen", "Hören", "Warten", "Lesen"
    };
    const Case cases[] = {
        {"--size 640x480 --window --no-sound --no-vsync", 3, {false, false, false, false}},
        {"--size 1024x768", 1, {true, true, true, false}},
        {"--size 800x600 --log", 2, {true, true, true, true}},
        {"--size 1280x1024 --no-vsync --window", 0, {false, true, false, false}},
        {"--log", 1, {true, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        glassmeridian::SetupChoices dialog;
        dialog.radioChecked[c.radio] = true;
        for (int i = 0; i < 4; ++i) dialog.boxChecked[i] = c.boxes[i];
        LaunchSettings fromDialog;
        glassmeridian::acceptChoices(dialog, fromDialog);

        const LaunchRequest request = parse(c.line);
        EXPECT_EQ(request.choices.radioChecked, dialog.radioChecked);
        EXPECT_EQ(request.choices.boxChecked, dialog.boxChecked);
        const LaunchSettings fromOptions = glassmeridian::acceptedSettings(request);
        EXPECT_EQ(describe(fromOptions), describe(fromDialog));
        EXPECT_EQ(fromOptions.colourBits, fromDialog.colourBits);
    }
}

TEST(CommandLine, HelpNamesEveryOptionAndVersionTheProgram) {
    const std::string help = glassmeridian::usageText();
    for (const char* option : {"--size", "--fullscreen", "--window", "--no-sound", "--no-vsync", "--log",
                               "--display", "--start", "--loop", "--dialog", "--help", "--version",
                               "GLASS_MERIDIAN_NO_MESSAGE_BOX"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(glassmeridian::versionText().rfind("glass-meridian ", 0), 0u);
}

}  // namespace
