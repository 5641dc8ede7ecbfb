// The engine's archive reader: the inflate decoder against zlib, ZipArchive
// on the project's data.pak against the files the content tool packed into
// it, from memory and from the file, and against damaged and hostile
// archives, and the PCX decoder against SDL2_image.
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "data/archive.h"
#include "data/image.h"
#include "data/inflate.h"
#include "data/picture_format.h"
#include "test_files.h"
#include "data/zip_archive.h"

using enginetest::Bytes;

namespace {

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const char* failure) {
        return failure ? failure : "(null failure)";
    }
    return "";
}

// Raw deflate through zlib at a level and strategy.
Bytes deflateRaw(const Bytes& data, int level, int strategy = Z_DEFAULT_STRATEGY) {
    z_stream zs{};
    EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, -15, 9, strategy), Z_OK);
    Bytes out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16);
    zs.next_in = const_cast<unsigned char*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// Inputs that exercise every block type: random bytes (stored blocks at level
// 0, literals otherwise), repetitive text (long matches, distances across the
// 32 KiB window), a single repeated byte (overlapping copies) and nothing.
std::vector<Bytes> samples() {
    std::mt19937 random(1049069);
    Bytes noise(70000);
    for (auto& b : noise) b = static_cast<unsigned char>(random());
    Bytes text;
    const std::string words[] = {"glass ", "meridian ", "structure ", "wave ", "grid ", "ribbon\n"};
    while (text.size() < 200000) {
        for (char c : words[random() % 6]) text.push_back(static_cast<unsigned char>(c));
    }
    return {noise, text, Bytes(100000, 'x'), Bytes{}, Bytes{42}};
}

TEST(Inflate, DecodesWhatZlibDeflatesAtEveryLevelAndStrategy) {
    for (const Bytes& data : samples()) {
        for (int level : {0, 1, 6, 9}) {
            for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE}) {
                const Bytes packed = deflateRaw(data, level, strategy);
                Bytes out;
                std::string why;
                ASSERT_TRUE(fluxcore::inflateRaw(packed.data(), packed.size(), data.size(), out, why))
                    << why << " (" << data.size() << " bytes, level " << level << ", strategy " << strategy << ")";
                EXPECT_TRUE(out == data) << "level " << level << ", strategy " << strategy;
            }
        }
    }
}

// A final fixed-Huffman block of the given codes (value, bit count), each
// written most significant bit first as deflate writes Huffman codes.
Bytes fixedBlock(const std::vector<std::pair<unsigned, int>>& codes) {
    Bytes out;
    int used = 8;
    auto bit = [&](unsigned b) {
        if (used == 8) {
            out.push_back(0);
            used = 0;
        }
        out.back() = static_cast<unsigned char>(out.back() | b << used++);
    };
    bit(1);  // final
    bit(1);  // type 1 (fixed), low bit first
    bit(0);
    for (const auto& [value, count] : codes) {
        for (int i = count - 1; i >= 0; --i) bit(value >> i & 1);
    }
    return out;
}

TEST(Inflate, RefusesDamagedStreamsAndWrongSizes) {
    const Bytes data = samples()[1];
    const Bytes packed = deflateRaw(data, 9);
    Bytes out;
    std::string why;
    // Cut short anywhere: refused, never read past the end.
    for (std::size_t keep : {std::size_t(0), std::size_t(1), packed.size() / 3, packed.size() - 1}) {
        EXPECT_FALSE(fluxcore::inflateRaw(packed.data(), keep, data.size(), out, why)) << keep;
        EXPECT_TRUE(out.empty());
    }
    // More output than declared stops at the declared size; less is refused too.
    EXPECT_FALSE(fluxcore::inflateRaw(packed.data(), packed.size(), data.size() - 1, out, why));
    EXPECT_NE(why.find("more data"), std::string::npos) << why;
    EXPECT_FALSE(fluxcore::inflateRaw(packed.data(), packed.size(), data.size() + 1, out, why));
    EXPECT_NE(why.find("less data"), std::string::npos) << why;
    // Invalid block type 3; a stored block whose length and complement disagree.
    const Bytes badType = {0x07};
    EXPECT_FALSE(fluxcore::inflateRaw(badType.data(), badType.size(), 10, out, why));
    EXPECT_NE(why.find("block type"), std::string::npos) << why;
    const Bytes badStored = {0x01, 0x05, 0x00, 0x00, 0x00, 'a', 'b', 'c', 'd', 'e'};
    EXPECT_FALSE(fluxcore::inflateRaw(badStored.data(), badStored.size(), 5, out, why));
    // A distance reaching before the start: a fixed-code block with the
    // literal 'a', then a match of length 3 at distance 2.
    const Bytes farBack = fixedBlock({{0x91, 8}, {0x01, 7}, {0x01, 5}, {0x00, 7}});
    EXPECT_FALSE(fluxcore::inflateRaw(farBack.data(), farBack.size(), 4, out, why));
    EXPECT_NE(why.find("before the start"), std::string::npos) << why;
    // The same at distance 1 is a valid run: "aaaa".
    const Bytes run = fixedBlock({{0x91, 8}, {0x01, 7}, {0x00, 5}, {0x00, 7}});
    ASSERT_TRUE(fluxcore::inflateRaw(run.data(), run.size(), 4, out, why)) << why;
    EXPECT_EQ(std::string(out.begin(), out.end()), "aaaa");
    // Flipped bits anywhere end in a refusal or other bytes, never a crash.
    for (std::size_t at = 0; at < packed.size(); at += packed.size() / 97 + 1) {
        Bytes flipped = packed;
        flipped[at] ^= 0x5A;
        if (fluxcore::inflateRaw(flipped.data(), flipped.size(), data.size(), out, why)) {
            EXPECT_EQ(out.size(), data.size());
        }
    }
}

TEST(Inflate, Crc32IsZlibs) {
    for (const Bytes& data : samples()) {
        EXPECT_EQ(fluxcore::crc32Of(data.data(), data.size()),
                  crc32(0, data.data(), static_cast<uInt>(data.size())));
    }
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ZipArchive, ReadsDataPakAsTheContentToolPackedIt) {
    if (!std::filesystem::exists(GM_TEST_DATA_PAK)) GTEST_SKIP() << GM_TEST_DATA_PAK << " not built";
    const fluxcore::ZipArchive inMemory(readFile(GM_TEST_DATA_PAK), "data.pak");
    const fluxcore::ZipArchive fromFile(GM_TEST_DATA_PAK, "data.pak");
    const std::vector<std::string> members{"loadpic.jpg", "particle.jpg", "fontti.pcx", "song1.ogg"};
    EXPECT_EQ(inMemory.files(), members);
    EXPECT_EQ(fromFile.files(), members);
    for (const std::string& file : members) {
        const Bytes packed = readFile(std::string(GM_TEST_GEN_DIR) + "/" + file);
        Bytes ours, again;
        ASSERT_TRUE(inMemory.read(file, ours)) << file;
        ASSERT_TRUE(fromFile.read(file, again)) << file;
        EXPECT_TRUE(ours == packed) << file;
        EXPECT_TRUE(again == packed) << file;
    }
    Bytes none;
    EXPECT_FALSE(fromFile.contains("song2.ogg"));
    EXPECT_FALSE(fromFile.read("song2.ogg", none));
}

// A one-member archive whose member is deflated.
Bytes deflatedZip(const std::string& name, const Bytes& data, std::uint32_t crc) {
    Bytes zip = enginetest::makeZip({{name, data}});
    // makeZip stores; rewrite it with the deflated body and method 8.
    const Bytes packed = deflateRaw(data, 9);
    Bytes out;
    auto put16 = [&](unsigned v) { out.push_back(v & 255); out.push_back(v >> 8 & 255); };
    auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    auto header = [&](bool central) {
        put32(central ? 0x02014b50 : 0x04034b50);
        if (central) put16(20);
        put16(20); put16(0); put16(8); put16(0); put16(0);
        put32(crc); put32(static_cast<std::uint32_t>(packed.size())); put32(static_cast<std::uint32_t>(data.size()));
        put16(static_cast<unsigned>(name.size())); put16(0);
        if (central) { put16(0); put16(0); put16(0); put32(0); put32(0); }
        out.insert(out.end(), name.begin(), name.end());
    };
    header(false);
    out.insert(out.end(), packed.begin(), packed.end());
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    header(true);
    const auto directorySize = static_cast<std::uint32_t>(out.size()) - directoryAt;
    put32(0x06054b50); put16(0); put16(0); put16(1); put16(1); put32(directorySize); put32(directoryAt); put16(0);
    return out;
}

TEST(ZipArchive, ChecksEachMembersCrcAndSize) {
    const Bytes text = samples()[1];
    const std::uint32_t crc = crc32(0, text.data(), static_cast<uInt>(text.size()));
    Bytes read;
    EXPECT_TRUE(fluxcore::ZipArchive(deflatedZip("notes.txt", text, crc), "ok.pak").read("notes.txt", read));
    EXPECT_TRUE(read == text);
    const std::string wrong = failureOf([&] {
        fluxcore::ZipArchive(deflatedZip("notes.txt", text, crc ^ 1), "bad.pak").read("notes.txt", read);
    });
    EXPECT_NE(wrong.find("CRC mismatch in bad.pak"), std::string::npos) << wrong;
    // Beyond the 16 MiB limit of a member that is no picture or song: refused
    // by its declared size before anything is decoded.
    Bytes big = deflatedZip("big.bin", text, crc);
    const std::uint32_t huge = 17u << 20;
    for (std::size_t at : {std::size_t(22), big.size() - 22 - 46 - 7 + 24}) {
        for (int i = 0; i < 4; ++i) big[at + static_cast<std::size_t>(i)] = huge >> (8 * i) & 255;
    }
    const std::string limit = failureOf([&] { fluxcore::ZipArchive(big, "big.pak").read("big.bin", read); });
    EXPECT_NE(limit.find("more than the limit of 16 MiB"), std::string::npos) << limit;
}

TEST(ZipArchive, RefusesDamagedAndHostileArchives) {
    const Bytes whole = enginetest::makeZip({{"a.txt", enginetest::textBytes("alpha")}});
    for (std::size_t keep : {std::size_t(0), std::size_t(4), whole.size() / 2, whole.size() - 10}) {
        const std::string why =
            failureOf([&] { fluxcore::ZipArchive(Bytes(whole.begin(), whole.begin() + long(keep)), "cut.pak"); });
        EXPECT_NE(why.find("cut.pak"), std::string::npos) << keep << ": " << why;
    }
    const std::string folder = GM_FUZZ_REGRESSIONS "/archive/";
    const std::pair<const char*, const char*> hostile[] = {
        {"hostile-absolute-member-name.zip", "absolute name"},
        {"hostile-just-past-the-member-limit.zip", "more than the limit"},
        {"zip64-locator-pointing-past-itself.zip", "ZIP"},
    };
    for (const auto& archive : hostile) {
        const std::string file = archive.first;
        const std::string why = failureOf([&] { fluxcore::ZipArchive(readFile(folder + file), file); });
        EXPECT_NE(why.find(archive.second), std::string::npos) << file << ": " << why;
    }
    // Every other archive of the fuzz regressions opens or is refused with a
    // message, and each member reads or is refused with one: no crash.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        failureOf([&] {
            const fluxcore::ZipArchive zip(readFile(entry.path().string()), name);
            for (const std::string& member : zip.files()) {
                Bytes bytes;
                failureOf([&] { zip.read(member, bytes); });
            }
        });
    }
}

// `zip` (no comment) with a ZIP64 end record and its locator before its end
// record; the ZIP64 record gives the end record's figures plus the deltas.
Bytes withZip64(Bytes zip, std::int64_t countDelta = 0, std::int64_t sizeDelta = 0, std::int64_t placeDelta = 0) {
    const std::size_t end = zip.size() - 22;
    const auto le = [&](std::size_t at, int n) {
        std::uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = v << 8 | zip[at + static_cast<std::size_t>(i)];
        return v;
    };
    const std::uint64_t count = le(end + 10, 2) + countDelta, size = le(end + 12, 4) + sizeDelta,
                        place = le(end + 16, 4) + placeDelta;
    Bytes records;
    const auto put = [&](std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) records.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    put(0x06064b50, 4), put(44, 8), put(45, 2), put(45, 2), put(0, 4), put(0, 4);
    put(count, 8), put(count, 8), put(size, 8), put(place, 8);
    put(0x07064b50, 4), put(0, 4), put(end, 8), put(1, 4);
    zip.insert(zip.begin() + static_cast<long>(end), records.begin(), records.end());
    return zip;
}

TEST(ZipArchive, TakesZip64RecordsThatAgreeAndRefusesThoseThatDoNot) {
    const Bytes plain = enginetest::makeZip({{"a.txt", enginetest::textBytes("alpha")},
                                             {"b.txt", enginetest::textBytes("beta")}});
    const fluxcore::ZipArchive agreed(withZip64(plain), "agreed.pak");
    EXPECT_EQ(agreed.files(), (std::vector<std::string>{"a.txt", "b.txt"}));
    Bytes read;
    ASSERT_TRUE(agreed.read("b.txt", read));
    EXPECT_TRUE(read == enginetest::textBytes("beta"));

    // A full 32-bit field defers to the ZIP64 record.
    Bytes deferred = withZip64(plain);
    deferred[deferred.size() - 22 + 10] = deferred[deferred.size() - 22 + 11] = 0xFF;
    EXPECT_EQ(fluxcore::ZipArchive(deferred, "deferred.pak").files().size(), 2u);

    const std::pair<Bytes, const char*> disagreeing[] = {
        {withZip64(plain, 30000), "its end record says 2 for the member count, its ZIP64 record 30002"},
        {withZip64(plain, 0, 46), "the directory's size"},
        {withZip64(plain, 0, 0, -1), "the directory's place"},
    };
    for (const auto& entry : disagreeing) {
        const Bytes& zip = entry.first;
        const char* why = entry.second;
        const std::string failure = failureOf([&] { fluxcore::ZipArchive(zip, "odd.pak"); });
        EXPECT_NE(failure.find("odd.pak: damaged ZIP directory"), std::string::npos) << failure;
        EXPECT_NE(failure.find(why), std::string::npos) << failure;
    }
}

// SDL2_image's PCX decoder, as RGBA: the independent reference.
fluxcore::Image sdlImageDecode(const Bytes& pcx) {
    fluxcore::Image image;
    SDL_Surface* decoded =
        IMG_LoadTyped_RW(SDL_RWFromConstMem(pcx.data(), static_cast<int>(pcx.size())), 1, "PCX");
    if (!decoded) return image;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(decoded);
    if (!rgba) return image;
    image.width = rgba->w;
    image.height = rgba->h;
    for (int y = 0; y < rgba->h; ++y) {
        const auto* row = static_cast<const unsigned char*>(rgba->pixels) + y * rgba->pitch;
        image.rgba.insert(image.rgba.end(), row, row + rgba->w * 4);
    }
    SDL_FreeSurface(rgba);
    return image;
}

TEST(PcxDecoder, DecodesAsSdlImageDoes) {
    Bytes indices(37 * 23);
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<unsigned char>((i * 7) % 5 == 0 ? 200 : i % 256);
    Bytes palette(768);
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<unsigned char>(i * 31);
    const Bytes pcx = enginetest::makePcx(37, 23, indices, palette);
    const fluxcore::Image ours = fluxcore::decodePcx(pcx, "odd.pcx");
    const fluxcore::Image theirs = sdlImageDecode(pcx);
    EXPECT_EQ(ours.width, theirs.width);
    EXPECT_EQ(ours.height, theirs.height);
    EXPECT_TRUE(ours.rgba == theirs.rgba);
    EXPECT_TRUE(fluxcore::decodeImage(pcx, "odd.pcx").rgba == ours.rgba);

    if (std::filesystem::exists(GM_TEST_DATA_PAK)) {
        Bytes font;
        ASSERT_TRUE(fluxcore::Archive::open(GM_TEST_DATA_PAK)->read("fontti.pcx", font));
        EXPECT_TRUE(fluxcore::decodePcx(font, "fontti.pcx").rgba == sdlImageDecode(font).rgba);
    }

    const std::string cut = failureOf([&] { fluxcore::decodePcx(Bytes(pcx.begin(), pcx.begin() + 200), "cut.pcx"); });
    EXPECT_NE(cut.find("cut.pcx"), std::string::npos) << cut;
    Bytes fourBits = pcx;
    fourBits[3] = 4;
    const std::string depth = failureOf([&] { fluxcore::decodePcx(fourBits, "four.pcx"); });
    EXPECT_NE(depth.find("4 bits"), std::string::npos) << depth;
}

}  // namespace
