// glass-meridian.exe: the GUI entry point. The wide command line in UTF-8
// through the same parser as on Linux, the console of the program that
// started this one for what it prints, then the setup dialog or straight the
// demo.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/driver.h"
#include "host/engine_fluxcore.h"
#include "host/platform/win32/win32_dialog.h"
#include "host/platform/win32/win32_platform.h"

namespace {

constexpr int kUsageExitCode = 2;

bool leadsSomewhere(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A GUI program starts with no console: where stdout or stderr lead nowhere,
// they are connected to the console of the program that started this one,
// if it has one. Streams already redirected (to a file or a pipe) are kept.
// The engine library shares this C runtime, so its log on stderr goes there too.
void attachParentConsole() {
    const bool out = leadsSomewhere(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool err = leadsSomewhere(GetStdHandle(STD_ERROR_HANDLE));
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    if (!err && std::freopen("CONOUT$", "w", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
}

// Prints to the stream and, for a debugger watching a program without a
// console, to the debugger's output too.
void say(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
    OutputDebugStringA(text.c_str());
}

std::string toUtf8(const wchar_t* wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    text.pop_back();  // the terminating zero
    return text;
}

// The program's arguments, argv[0] first, in UTF-8 as the Linux host has them.
std::vector<std::string> utf8Arguments() {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i) arguments.push_back(toUtf8(wide.get()[i]));
    if (arguments.empty()) arguments.emplace_back("glass-meridian");
    return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    attachParentConsole();
    const std::vector<std::string> arguments = utf8Arguments();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    glassmeridian::LaunchRequest request;
    try {
        request = glassmeridian::parseCommandLine(static_cast<int>(argv.size()), argv.data());
    } catch (const glassmeridian::CommandLineError& error) {
        say(stderr, std::string("glass-meridian: ") + error.what() + "\n");
        return kUsageExitCode;
    }
    switch (request.action) {
        case glassmeridian::LaunchRequest::Action::Help:
            say(stdout, glassmeridian::usageText());
            return 0;
        case glassmeridian::LaunchRequest::Action::Version:
            say(stdout, glassmeridian::versionText());
            return 0;
        default:
            break;
    }
    glassmeridian::FluxcoreEngine engine;
    glassmeridian::Win32Platform platform;
    glassmeridian::Win32SetupDialog dialog;
    const int code = glassmeridian::runDemo(engine, platform, dialog, request);
    std::fflush(stdout);
    std::fflush(stderr);
    return code;
}
