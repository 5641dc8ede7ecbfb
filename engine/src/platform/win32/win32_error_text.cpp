// Windows' words for an error code (FormatMessageA).
#include <windows.h>

#include "platform/win32/win32_error_text.h"

#include <cstdio>

namespace fluxcore::platform {

std::string win32ErrorText(unsigned long code) {
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    std::string words(text, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.')) {
        words.pop_back();
    }
    char number[32];
    std::snprintf(number, sizeof number, "error %lu", code);
    return words.empty() ? std::string(number) : words + " (" + number + ")";
}

}  // namespace fluxcore::platform
