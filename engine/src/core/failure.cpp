// Failure texts and the throw helper.
#include "core/failure.h"

#include <cstdarg>
#include <cstdio>

#include "core/engine.h"

namespace fluxcore {

namespace {

std::string vformat(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (size <= 0) return std::string();
    std::string text(static_cast<std::size_t>(size), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

}  // namespace

const char* FailureTexts::keep(std::string text) {
    std::string& slot = texts_[next_];
    next_ = (next_ + 1) % kKept;
    slot = std::move(text);
    return slot.c_str();
}

std::string formatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    return text;
}

void fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    throw engine().failures.keep(std::move(text));
}

}  // namespace fluxcore
