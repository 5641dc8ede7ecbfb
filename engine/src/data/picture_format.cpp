// Picture headers and the PCX decoder (see picture_format.h).
#include "data/picture_format.h"

#include <algorithm>
#include <cctype>

#include "core/failure.h"

namespace fluxcore {

namespace {

int le16(const std::vector<unsigned char>& bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::size_t kPcxPaletteSize = 769;  // the marker 12, then 256 RGB entries

}  // namespace

bool isPictureFile(const std::string& name) {
    const std::string ext = lowerExtension(name);
    return ext == "jpg" || ext == "jpeg" || ext == "pcx";
}

bool jpegEndsWhole(const std::vector<unsigned char>& bytes) {
    const std::size_t n = bytes.size();
    return n >= 4 && bytes[n - 2] == 0xFF && bytes[n - 1] == 0xD9;
}

std::string jpegHuffmanTablesFault(const std::vector<unsigned char>& bytes) {
    constexpr unsigned char kDefineHuffman = 0xC4, kStartOfScan = 0xDA, kEndOfImage = 0xD9;
    const std::size_t n = bytes.size();
    const auto byteAt = [&](std::size_t i) -> unsigned { return i < n ? bytes[i] : 0u; };  // zeros past the end
    bool defined[2][4] = {};  // [DC, AC][table id]
    std::size_t at = 2;  // past the start-of-image marker
    while (at + 4 <= n) {
        if (bytes[at] != 0xFF) {  // padding or garbage between segments: stb_image scans on, and so does this
            ++at;
            continue;
        }
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        if (marker == kEndOfImage) break;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;  // a stuffed byte, TEM or a restart marker: no segment follows
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(bytes[at + 2] << 8 | bytes[at + 3]);
        if (marker == kDefineHuffman) {
            // Tables: a class and id byte, 16 counts, then the counted
            // symbols, read while the segment's length says more is left.
            std::size_t t = at + 4;
            for (long left = static_cast<long>(length) - 2; left > 0 && t < n;) {
                int codes = 0;
                for (std::size_t i = t + 1; i < t + 17; ++i) codes += static_cast<int>(byteAt(i));
                if (codes > 256) return formatText("a Huffman table of %d codes, more than the 256 a JPEG holds", codes);
                const unsigned kind = byteAt(t) >> 4, id = byteAt(t) & 15;
                if (kind <= 1 && id <= 3) defined[kind][id] = true;
                t += 17 + static_cast<std::size_t>(codes);
                left -= 17 + codes;
            }
        } else if (marker == kStartOfScan) {
            // Each component's DC and AC tables, where the scan decodes with
            // them: DC from its first coefficient, AC past it.
            const unsigned components = byteAt(at + 4);
            const std::size_t spectrum = at + 5 + 2 * static_cast<std::size_t>(components);
            const bool usesDc = byteAt(spectrum) == 0, usesAc = byteAt(spectrum + 1) > 0;
            for (unsigned c = 0; c < components; ++c) {
                const unsigned tables = byteAt(at + 6 + 2 * static_cast<std::size_t>(c));
                const unsigned dc = tables >> 4, ac = tables & 15;
                if ((usesDc && dc <= 3 && !defined[0][dc]) || (usesAc && ac <= 3 && !defined[1][ac]))
                    return "a scan decodes with a Huffman table that no definition before it made";
            }
        }
        at = std::min(n, at + 2 + length);
        if (marker == kStartOfScan) {
            // The entropy-coded data runs to the next marker: an 0xFF, after
            // any fill bytes, before a byte that is no stuffed zero and no
            // restart marker.
            while (at < n) {
                if (bytes[at] != 0xFF) {
                    ++at;
                    continue;
                }
                std::size_t next = at + 1;
                while (next < n && bytes[next] == 0xFF) ++next;
                if (next < n && (bytes[next] == 0x00 || (bytes[next] >= 0xD0 && bytes[next] <= 0xD7))) {
                    at = next + 1;
                    continue;
                }
                at = next - 1;  // the 0xFF before the marker
                break;
            }
        }
    }
    return {};
}

bool jpegHeaderSize(const std::vector<unsigned char>& bytes, int& width, int& height, int* components) {
    std::size_t at = 2;  // past the start-of-image marker
    while (at + 9 <= bytes.size() && bytes[at] == 0xFF) {
        const unsigned char marker = bytes[at + 1];
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            height = bytes[at + 5] << 8 | bytes[at + 6];
            width = bytes[at + 7] << 8 | bytes[at + 8];
            if (components) *components = at + 9 < bytes.size() ? bytes[at + 9] : 0;
            return true;
        }
        at += 2 + static_cast<std::size_t>(bytes[at + 2] << 8 | bytes[at + 3]);
    }
    return false;
}

bool pcxHeaderSize(const std::vector<unsigned char>& bytes, int& width, int& height) {
    if (bytes.size() < kPcxHeaderSize) return false;
    width = le16(bytes, 8) - le16(bytes, 4) + 1;
    height = le16(bytes, 10) - le16(bytes, 6) + 1;
    return true;
}

void refuseOversized(const std::string& name, int width, int height) {
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        fail("%s: picture is %dx%d, larger than %dx%d", name.c_str(), width, height, kMaxPictureSide, kMaxPictureSide);
}

bool pictureHeaderSize(const std::vector<unsigned char>& bytes, const std::string& name, int& width, int& height) {
    const std::string ext = lowerExtension(name);
    if (ext == "jpg" || ext == "jpeg") return bytes.size() > 2 && jpegHeaderSize(bytes, width, height);
    if (ext == "pcx") return pcxHeaderSize(bytes, width, height);
    return false;
}

Image decodePcx(const std::vector<unsigned char>& bytes, const std::string& name) {
    int width = 0, height = 0;
    if (!pcxHeaderSize(bytes, width, height) || bytes[0] != 0x0A)
        fail("%s: cannot decode picture (not a PCX file)", name.c_str());
    refuseOversized(name, width, height);
    if (width <= 0 || height <= 0) fail("%s: picture has no pixels", name.c_str());
    const int bitsPerPixel = bytes[3];
    const int planes = bytes[65];
    const std::size_t bytesPerLine = static_cast<std::size_t>(le16(bytes, 66));
    if (bitsPerPixel != 8 || (planes != 1 && planes != 3))
        fail("%s: cannot decode picture (PCX of %d bits in %d planes; 8 bits in 1 or 3 are read)", name.c_str(),
             bitsPerPixel, planes);
    if (bytesPerLine < static_cast<std::size_t>(width))
        fail("%s: cannot decode picture (PCX lines shorter than the picture)", name.c_str());
    std::size_t end = bytes.size();
    if (planes == 1) {
        if (bytes.size() < kPcxHeaderSize + kPcxPaletteSize || bytes[bytes.size() - kPcxPaletteSize] != 12)
            fail("%s: cannot decode picture (PCX without its 256-colour palette)", name.c_str());
        end -= kPcxPaletteSize;
    }
    const unsigned char* palette = bytes.data() + bytes.size() - 768;

    Image image;
    image.width = width;
    image.height = height;
    image.rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 255);
    std::vector<unsigned char> line(bytesPerLine * static_cast<std::size_t>(planes));
    std::size_t at = kPcxHeaderSize;
    for (int y = 0; y < height; ++y) {
        // Runs may cross from one plane into the next, not past the scan line.
        for (std::size_t filled = 0; filled < line.size();) {
            if (at >= end) fail("%s: cannot decode picture (PCX data cut short)", name.c_str());
            unsigned char value = bytes[at++];
            std::size_t count = 1;
            if ((value & 0xC0) == 0xC0) {
                count = value & 0x3F;
                if (at >= end) fail("%s: cannot decode picture (PCX data cut short)", name.c_str());
                value = bytes[at++];
            }
            if (filled + count > line.size()) count = line.size() - filled;
            for (std::size_t i = 0; i < count; ++i) line[filled++] = value;
        }
        unsigned char* row = image.rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                row[x * 4 + c] = planes == 1 ? palette[line[static_cast<std::size_t>(x)] * 3 + c]
                                             : line[static_cast<std::size_t>(c) * bytesPerLine + static_cast<std::size_t>(x)];
            }
        }
    }
    return image;
}

}  // namespace fluxcore
