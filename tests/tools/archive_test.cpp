// The ZIP writer read back through the engine's ZIP reader, and the data.pak of the build.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "content.h"
#include "decode_helpers.h"
#include "zip_writer.h"

using namespace gmcontent;
using contenttest::MountedArchive;

namespace {

std::vector<uint8_t> noise(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(hashUnit(static_cast<uint32_t>(i), 7, seed) * 256.0);
    return v;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

TEST(ZipWriter, MembersReadBackDeflatedStoredAndEmpty) {
    const std::vector<uint8_t> text(5000, 'a');    // deflates well
    const std::vector<uint8_t> random = noise(4096, 3);  // does not: stored
    const std::vector<ZipMember> members = {{"text.txt", text}, {"random.bin", random}, {"empty", {}}};
    const std::vector<uint8_t> zip = buildZip(members);
    EXPECT_LT(zip.size(), random.size() + 1000);  // the text part was compressed

    MountedArchive archive(zip);
    ASSERT_TRUE(archive.ok());
    std::vector<std::string> names = archive.members();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"empty", "random.bin", "text.txt"}));
    EXPECT_EQ(archive.read("text.txt"), text);
    EXPECT_EQ(archive.read("random.bin"), random);
    EXPECT_TRUE(archive.read("empty").empty());
}

TEST(ZipWriter, LayoutIsFixedAndDeterministic) {
    const std::vector<ZipMember> members = {{"b.dat", noise(300, 1)}, {"a.dat", std::vector<uint8_t>(900, 7)}};
    const std::vector<uint8_t> zip = buildZip(members);
    EXPECT_EQ(zip, buildZip(members));
    // Members keep the given order, with the fixed 2000-01-01 timestamp and no extra field.
    ASSERT_EQ(le32(zip, 0), 0x04034b50u);
    EXPECT_EQ(zip[8] | zip[9] << 8, 0);                         // b.dat is stored
    EXPECT_EQ(zip[10] | zip[11] << 8, 0);                       // time
    EXPECT_EQ(zip[12] | zip[13] << 8, (20 << 9) | (1 << 5) | 1);  // date
    EXPECT_EQ(zip[28] | zip[29] << 8, 0);                       // extra length
    EXPECT_EQ(std::string(zip.begin() + 30, zip.begin() + 35), "b.dat");
    // The end record points at a central directory of two entries.
    const size_t end = zip.size() - 22;
    ASSERT_EQ(le32(zip, end), 0x06054b50u);
    EXPECT_EQ(zip[end + 10], 2);
    EXPECT_EQ(le32(zip, le32(zip, end + 16)), 0x02014b50u);
    EXPECT_EQ(le32(zip, end + 12) + le32(zip, end + 16), end);
}

TEST(ZipWriter, RejectsBadNames) {
    EXPECT_THROW(buildZip({{"", {1}}}), std::invalid_argument);
    EXPECT_THROW(buildZip({{"x", {1}}, {"x", {2}}}), std::invalid_argument);
}

TEST(DataPak, HoldsTheGeneratedFilesInOrderAndReadsBack) {
    const std::vector<uint8_t> pak = contenttest::readAll(GM_TEST_BIN_DIR "/data.pak");
    ASSERT_FALSE(pak.empty()) << "data.pak was not built";
    MountedArchive archive(pak);
    ASSERT_TRUE(archive.ok());
    const std::vector<std::string> names = archive.members();
    for (const char* name : {"loadpic.jpg", "particle.jpg", "fontti.pcx"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
        EXPECT_EQ(archive.read(name), contenttest::readAll(std::string(GM_TEST_GEN_DIR "/") + name)) << name;
    }
    for (const std::string& n : names) {
        const bool known = n == "loadpic.jpg" || n == "particle.jpg" || n == "fontti.pcx" ||
                           (n.rfind("song", 0) == 0 && n.size() > 8 && n.substr(n.size() - 4) == ".ogg");
        EXPECT_TRUE(known) << "unexpected member " << n;
    }
    // Fixed order: the pictures and the font come first.
    EXPECT_EQ(std::string(pak.begin() + 30, pak.begin() + 41), "loadpic.jpg");
}

TEST(DataPak, BuildOutputEqualsAFreshGeneration) {
    // The files the build made are byte for byte what this process makes now.
    EXPECT_EQ(contenttest::readAll(GM_TEST_GEN_DIR "/loadpic.jpg"), titleCardJpeg());
    EXPECT_EQ(contenttest::readAll(GM_TEST_GEN_DIR "/particle.jpg"), particleJpeg());
    EXPECT_EQ(contenttest::readAll(GM_TEST_GEN_DIR "/fontti.pcx"), fontSheetPcx());
}
