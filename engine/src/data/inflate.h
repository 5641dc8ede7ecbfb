// Inflate: a self-contained decoder of raw deflate streams (RFC 1951) and
// the CRC-32 a ZIP member is checked with, for builds without zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fluxcore {

// Decodes the raw deflate stream `data` (no zlib or gzip wrapper) into `out`,
// which is cleared first. `expectedSize` is what the stream must decode to:
// more output than that stops the decoder at once, so a hostile stream cannot
// make it allocate beyond the size the caller accepted. Returns false with
// the reason in `why` for a damaged stream, one cut short, or one whose
// output is not exactly `expectedSize` bytes.
bool inflateRaw(const unsigned char* data, std::size_t size, std::size_t expectedSize,
                std::vector<unsigned char>& out, std::string& why);

// The CRC-32 (ISO-HDLC, as ZIP and zlib use it) of the bytes.
std::uint32_t crc32Of(const unsigned char* data, std::size_t size);

}  // namespace fluxcore
