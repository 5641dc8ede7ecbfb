// Command-line parsing for glass-meridian (see command_line.h). Every value is
// checked here, so a bad one is reported before any window opens.
#include "host/command_line.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

#include "host/production.h"

#ifndef GM_VERSION
#define GM_VERSION "unknown"
#endif

namespace glassmeridian {
namespace {

// The picture's side: the smallest the effects are drawn sensibly at, and the
// largest texture size OpenGL implementations offer (the engine checks the
// context's own limit when it opens the window).
constexpr long kMinSide = 64;
constexpr long kMaxSide = 16384;
constexpr long kMaxDisplay = 63;
constexpr long kLastStartMs = static_cast<long>(production::kEndMs) - 1;

// The box index of each option in SetupChoices::boxChecked, in the dialog's order.
enum Box { kSee = 0, kHear = 1, kWait = 2, kRead = 3 };

long parseWhole(const std::string& option, const std::string& text, long low, long high, const char* unit) {
    const std::string allowed = "a whole number from " + std::to_string(low) + " to " + std::to_string(high) + unit;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw CommandLineError(option + ": '" + text + "' is not " + allowed);
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < low || value > high)
        throw CommandLineError(option + ": " + text + " is out of range (" + allowed + ")");
    return value;
}

void parseSize(const std::string& text, LaunchRequest& request) {
    const std::string allowed = "WIDTHxHEIGHT, each from " + std::to_string(kMinSide) + " to " +
                                std::to_string(kMaxSide) + ", e.g. 1280x1024";
    const auto x = text.find_first_of("xX");
    const auto digitsOnly = [](const std::string& s) {
        return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (x == std::string::npos || !digitsOnly(text.substr(0, x)) || !digitsOnly(text.substr(x + 1)))
        throw CommandLineError("--size: '" + text + "' is not " + allowed);
    const long width = std::strtol(text.substr(0, x).c_str(), nullptr, 10);
    const long height = std::strtol(text.substr(x + 1).c_str(), nullptr, 10);
    if (width < kMinSide || width > kMaxSide || height < kMinSide || height > kMaxSide)
        throw CommandLineError("--size: " + text + " is out of range (" + allowed + ")");

    // A size the dialog offers checks its radio button; any other leaves all
    // four unchecked, so accepting keeps the size in the settings.
    request.choices.radioChecked = {};
    request.settings.width = static_cast<int>(width);
    request.settings.height = static_cast<int>(height);
    for (std::size_t i = 0; i < request.choices.radioChecked.size(); ++i) {
        const ScreenMode mode = radioMode(i);
        if (mode.width == width && mode.height == height) request.choices.radioChecked[i] = true;
    }
}

}  // namespace

LaunchSettings acceptedSettings(const LaunchRequest& request) {
    LaunchSettings settings = request.settings;
    acceptChoices(request.choices, settings);
    return settings;
}

LaunchRequest parseCommandLine(int argc, const char* const* argv) {
    LaunchRequest request;
    bool choiceGiven = false, dialog = false, help = false, version = false;
    const auto box = [&](Box which, bool on) {
        request.choices.boxChecked[which] = on;
        choiceGiven = true;
    };

    using Handler = std::function<void(const std::string&)>;
    const std::map<std::string, Handler> withValue = {
        {"--size", [&](const std::string& v) { parseSize(v, request); choiceGiven = true; }},
        {"--display", [&](const std::string& v) {
             request.settings.display = static_cast<int>(parseWhole("--display", v, 0, kMaxDisplay, ""));
             choiceGiven = true;
         }},
        {"--start", [&](const std::string& v) {
             request.settings.startMs = static_cast<float>(parseWhole("--start", v, 0, kLastStartMs, " ms"));
             choiceGiven = true;
         }},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"--fullscreen", [&] { box(kSee, true); }},
        {"--window", [&] { box(kSee, false); }},
        {"--sound", [&] { box(kHear, true); }},
        {"--no-sound", [&] { box(kHear, false); }},
        {"--vsync", [&] { box(kWait, true); }},
        {"--no-vsync", [&] { box(kWait, false); }},
        {"--log", [&] { box(kRead, true); }},
        {"--loop", [&] { request.settings.loop = true; choiceGiven = true; }},
        {"--dialog", [&] { dialog = true; }},
        {"-h", [&] { help = true; }},
        {"--help", [&] { help = true; }},
        {"--version", [&] { version = true; }},
    };

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            inlineValue = true;
        }
        if (const auto f = flags.find(arg); f != flags.end()) {
            if (inlineValue) throw CommandLineError(arg + " takes no value");
            f->second();
        } else if (const auto h = withValue.find(arg); h != withValue.end()) {
            if (!inlineValue) {
                if (i + 1 >= argc) throw CommandLineError(arg + " needs a value");
                value = argv[++i];
            }
            h->second(value);
        } else if (!arg.empty() && arg[0] == '-') {
            throw CommandLineError("unknown option '" + arg + "' (see --help for the options)");
        } else {
            throw CommandLineError("unexpected argument '" + arg + "' (the program takes options only)");
        }
    }

    if (help) {
        request.action = LaunchRequest::Action::Help;
    } else if (version) {
        request.action = LaunchRequest::Action::Version;
    } else if (choiceGiven && !dialog) {
        request.action = LaunchRequest::Action::Run;
    }
    return request;
}

std::string usageText() {
    return std::string(R"(Usage: glass-meridian [options]

Plays the Glass Meridian demo (49 seconds, with music). Without options it
shows the setup dialog; any option that sets a choice starts the demo at once,
and the choices not named keep the dialog's defaults (1024x768, full screen,
sound, vsync, no log).

Options:
  --size WxH             picture size: 1280x1024, 1024x768, 800x600, 640x480
                         (the dialog's) or any from 64x64 to 16384x16384
  --fullscreen           full screen, the picture scaled with its aspect kept
  --window               in a window of the picture's size
  --sound, --no-sound    music on or off
  --vsync, --no-vsync    wait for the display's refresh, or not
  --log                  the engine's log on stderr, with a frame rate at the end
  --display N            the monitor to open on, counted from 0 (default 0)
  --start MS             begin at this demo time, from 0 to )") + std::to_string(kLastStartMs) + R"( ms
  --loop                 at the end start again from 0, until Escape
  --dialog               show the setup dialog, preset with the options given
  -h, --help             this text
  --version              the version

Keys while it plays: Escape ends, Space pauses and resumes, Left and Right
seek one second back and forward.

Environment:
  GLASS_MERIDIAN_NO_MESSAGE_BOX=1   report a failure on stderr only, without a
                                    message box

Exit status: 0 when the demo ends or is declined, 1 on a failure, 2 for a bad
command line.
)";
}

std::string versionText() { return std::string("glass-meridian ") + GM_VERSION + "\n"; }

}  // namespace glassmeridian
