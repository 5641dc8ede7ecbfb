// 16-bit PCM WAV writing.
#include "wav_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace gmsynth {

namespace {
void put16(std::string& b, std::uint16_t v) {
    b += static_cast<char>(v & 0xff);
    b += static_cast<char>(v >> 8);
}
void put32(std::string& b, std::uint32_t v) {
    put16(b, static_cast<std::uint16_t>(v & 0xffff));
    put16(b, static_cast<std::uint16_t>(v >> 16));
}
}  // namespace

bool writeWav(const std::string& path, const std::vector<float>& s, int rate, std::string& why) {
    const auto dataBytes = static_cast<std::uint32_t>(s.size() * 2);
    std::string b;
    b.reserve(44 + dataBytes);
    b += "RIFF";
    put32(b, 36 + dataBytes);
    b += "WAVEfmt ";
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 2);
    put32(b, static_cast<std::uint32_t>(rate));
    put32(b, static_cast<std::uint32_t>(rate) * 4);
    put16(b, 4);
    put16(b, 16);
    b += "data";
    put32(b, dataBytes);
    for (float v : s) {
        const long q = std::lround(std::clamp(static_cast<double>(v), -1.0, 1.0) * 32767.0);
        put16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>(q)));
    }
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) {
        why = path + ": cannot open for writing (" + std::strerror(errno) + ")";
        return false;
    }
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
    if (!f.flush()) {
        why = path + ": write failed";
        return false;
    }
    return true;
}

}  // namespace gmsynth
