// Failure reporting: the engine throws its failures as `const char*` texts that
// name the file or device and the fault. The texts live in an engine-owned ring
// of buffers, so a caught pointer stays valid well past the throw.
#pragma once

#include <array>
#include <string>

#include "fluxcore/api.h"  // FLUXCORE_PRINTF

namespace fluxcore {

// Keeps the last few failure texts alive. A text is overwritten only after
// kKept newer failures, long after any handler has printed it.
class FailureTexts {
public:
    static constexpr std::size_t kKept = 16;
    const char* keep(std::string text);

private:
    std::array<std::string, kKept> texts_;
    std::size_t next_ = 0;
};

// Formats the text, keeps it and throws it as `const char*`.
[[noreturn]] void fail(const char* format, ...) FLUXCORE_PRINTF(1, 2);

// printf into a std::string.
std::string formatText(const char* format, ...) FLUXCORE_PRINTF(1, 2);

}  // namespace fluxcore
