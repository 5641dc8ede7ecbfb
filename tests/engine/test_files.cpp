// Makers of test archives and pictures.
#include "test_files.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include <stdexcept>

namespace enginetest {

namespace {

std::uint32_t crc32(const Bytes& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace

Bytes makeZip(const std::vector<std::pair<std::string, Bytes>>& entries) {
    const unsigned kDosTime = 0, kDosDate = (2024 - 1980) << 9 | 1 << 5 | 1;
    Bytes out, directory;
    for (const auto& [name, data] : entries) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = crc32(data), size = static_cast<std::uint32_t>(data.size());
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);  // flags
        put16(out, 0);  // stored
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, static_cast<unsigned>(name.size()));
        put16(out, 0);
        putText(out, name);
        out.insert(out.end(), data.begin(), data.end());

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, kDosTime);
        put16(directory, kDosDate);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, static_cast<unsigned>(name.size()));
        put16(directory, 0);  // extra
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        putText(directory, name);
    }
    const std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), directory.begin(), directory.end());
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(entries.size()));
    put16(out, static_cast<unsigned>(entries.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

Bytes makeJpeg(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
    Bytes pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(r);
        pixels.push_back(g);
        pixels.push_back(b);
    }
    Bytes out;
    auto sink = [](void* context, void* data, int size) {
        auto* bytes = static_cast<Bytes*>(context);
        const auto* begin = static_cast<const unsigned char*>(data);
        bytes->insert(bytes->end(), begin, begin + size);
    };
    if (!stbi_write_jpg_to_func(sink, &out, width, height, 3, pixels.data(), 95)) {
        throw std::runtime_error("JPEG writer failed");
    }
    return out;
}

Bytes makePcx(int width, int height, const Bytes& indices, const Bytes& palette) {
    Bytes out;
    out.push_back(10);  // manufacturer
    out.push_back(5);   // version
    out.push_back(1);   // run-length encoding
    out.push_back(8);   // bits per pixel
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(width - 1));
    put16(out, static_cast<unsigned>(height - 1));
    put16(out, 72);
    put16(out, 72);
    out.insert(out.end(), 48, 0);  // 16-colour palette, unused
    out.push_back(0);              // reserved
    out.push_back(1);              // planes
    const int bytesPerLine = width + (width & 1);
    put16(out, static_cast<unsigned>(bytesPerLine));
    put16(out, 1);  // colour palette
    put16(out, 0);
    put16(out, 0);
    out.insert(out.end(), 54, 0);
    for (int y = 0; y < height; ++y) {
        Bytes line(indices.begin() + static_cast<long>(y) * width, indices.begin() + static_cast<long>(y + 1) * width);
        line.resize(static_cast<std::size_t>(bytesPerLine), 0);
        for (std::size_t x = 0; x < line.size();) {
            std::size_t run = 1;
            while (x + run < line.size() && run < 63 && line[x + run] == line[x]) ++run;
            if (run > 1 || line[x] >= 0xC0) out.push_back(static_cast<unsigned char>(0xC0 | run));
            out.push_back(line[x]);
            x += run;
        }
    }
    out.push_back(12);
    out.insert(out.end(), palette.begin(), palette.end());
    return out;
}

Bytes greyPalette() {
    Bytes palette;
    for (int i = 0; i < 256; ++i) palette.insert(palette.end(), 3, static_cast<unsigned char>(i));
    return palette;
}

Bytes textBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace enginetest
