// The engine's keys, counted from the window procedure's key-down messages,
// and the program's folder, on Win32.
#include <windows.h>

#include "platform/win32/win32_input.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/platform.h"

namespace fluxcore::platform {

namespace {

// The counters of the KeyWatches alive, in the order they were made.
std::mutex& watchLock() {
    static std::mutex lock;
    return lock;
}
std::vector<KeyPressCounter*>& watchedCounters() {
    static std::vector<KeyPressCounter*> counters;
    return counters;
}

}  // namespace

void countKeyDown(unsigned virtualKey, bool autoRepeat) {
    ControlKey key;
    switch (virtualKey) {
        case VK_LEFT: key = ControlKey::Left; break;
        case VK_RIGHT: key = ControlKey::Right; break;
        case VK_SPACE: key = ControlKey::Space; break;
        default: return;
    }
    std::lock_guard<std::mutex> hold(watchLock());
    for (KeyPressCounter* counter : watchedCounters()) counter->press(key, autoRepeat);
}

KeyWatch::KeyWatch(KeyPressCounter& counter) : counter_(counter) {
    std::lock_guard<std::mutex> hold(watchLock());
    watchedCounters().push_back(&counter_);
}

KeyWatch::~KeyWatch() {
    std::lock_guard<std::mutex> hold(watchLock());
    auto& counters = watchedCounters();
    counters.erase(std::find(counters.begin(), counters.end(), &counter_));
}

std::string executableFolder() {
    // The long path as the system has it, in the ANSI code page: the engine
    // opens files by narrow names (std::filesystem, std::ifstream), which
    // MinGW's runtime reads in that code page.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
    const auto slash = std::find_if(path.rbegin(), path.rend(), [](wchar_t c) { return c == L'\\' || c == L'/'; });
    if (slash == path.rend()) return std::string();
    path.erase(slash.base(), path.end());  // keeps the separator
    const int bytes = WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string folder(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.data(), static_cast<int>(path.size()), folder.data(), bytes, nullptr,
                        nullptr);
    return folder;
}

void debugOutput(const char* line) { OutputDebugStringA(line); }

}  // namespace fluxcore::platform
