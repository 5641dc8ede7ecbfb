// The data archive and the picture decoders on good and broken inputs, with
// uploads going into the recording GL layer; where the archive is looked for,
// and the sizes textures are uploaded at. Every broken input must give a
// `const char*` failure that names the file and the fault.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine_harness.h"
#include "fluxcore.h"
#include "glrecord.h"
#include "data/archive.h"
#include "data/image.h"
#include "graphics/texture_upload.h"
#include "temp_folder.h"
#include "test_files.h"

using namespace QUASAR_FLUXCORE;
using enginetest::Bytes;

namespace {

// The failure text of `action`, or "" when it did not fail.
template <typename Action>
std::string failureOf(Action action) {
    try {
        action();
    } catch (const char* failure) {
        return failure ? failure : "(null failure)";
    }
    return "";
}

#define EXPECT_FAILURE(action, ...)                                                    \
    do {                                                                               \
        const std::string text_ = failureOf([&] { action; });                          \
        EXPECT_FALSE(text_.empty()) << #action " did not fail";                        \
        for (const char* part_ : {__VA_ARGS__}) {                                      \
            EXPECT_NE(text_.find(part_), std::string::npos) << "missing \"" << part_ << "\" in: " << text_; \
        }                                                                              \
    } while (0)

// A 64x64 sheet of 32x32 cells: cell 0 blank, cell 1 inked in columns 3..12,
// cell 2 one column at 31, cell 3 full.
Bytes fontSheet(int width = 64, int height = 64) {
    Bytes indices(static_cast<std::size_t>(width) * height, 0);
    auto ink = [&](int x, int y) { indices[static_cast<std::size_t>(y) * width + x] = 250; };
    for (int y = 4; y < 28; ++y) {
        for (int x = 32 + 3; x <= 32 + 12; ++x) ink(x, y);
    }
    if (height >= 64 && width >= 64) {
        for (int y = 32; y < 40; ++y) ink(31, y);
        for (int y = 32; y < 64; ++y) {
            for (int x = 32; x < 64; ++x) ink(x, y);
        }
    }
    return enginetest::makePcx(width, height, indices, enginetest::greyPalette());
}

class Archive : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::resetEngine();
        glrecord::reset();
    }
    void TearDown() override { testsupport::resetEngine(); }

    std::string pak(const std::vector<std::pair<std::string, Bytes>>& entries, const char* name = "data.pak") {
        return dir.write(name, enginetest::makeZip(entries));
    }
    testsupport::TempFolder dir;
};

TEST_F(Archive, UploadsEveryPictureAndReadsFiles) {
    const Bytes song = enginetest::textBytes("not really vorbis");
    testsupport::openArchiveHeadless(pak({{"loadpic.jpg", enginetest::makeJpeg(40, 30, 255, 255, 255)},
                                          {"particle.jpg", enginetest::makeJpeg(16, 16, 0, 0, 0)},
                                          {"fontti.pcx", fontSheet()},
                                          {"song1.ogg", song}})
                                         .c_str());
    dmsAddFont(32, 32, "fontti.pcx");
    dmsUploadTextures();

    EXPECT_EQ(glrecord::countOf("glTexImage2D"), 3u);
    EXPECT_EQ(glrecord::countOf("gluScaleImage"), 0u);  // the context takes any size
    Texture* loadpic = dmsGetTexture("loadpic.jpg");
    EXPECT_EQ(loadpic->getWidth(), 40);
    EXPECT_EQ(loadpic->getHeight(), 30);
    EXPECT_NE(loadpic->getID(), dmsGetTexture("particle.jpg")->getID());
    EXPECT_NE(loadpic->getID(), 0u);

    // Linear filtering, clamped to the edge, RGBA bytes, for each texture.
    std::size_t linear = 0, clamped = 0;
    for (const auto& call : glrecord::trace()) {
        if (call.name == "glTexParameteri" && call.args[2] == GL_LINEAR) ++linear;
        if (call.name == "glTexParameteri" && call.args[2] == GL_CLAMP_TO_EDGE) ++clamped;
        if (call.name == "glTexImage2D") {
            EXPECT_EQ(call.args[6], GL_RGBA);
            EXPECT_EQ(call.args[7], GL_UNSIGNED_BYTE);
        }
    }
    EXPECT_EQ(linear, 6u);
    EXPECT_EQ(clamped, 6u);

    std::vector<unsigned char> bytes;
    ASSERT_TRUE(dmsReadFile("song1.ogg", bytes));
    EXPECT_EQ(bytes, song);
    EXPECT_FALSE(dmsReadFile("song2.ogg", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FAILURE(dmsGetTexture("song1.ogg"), "song1.ogg: no such texture");
    // Names match whole: a prefix or a longer name is another file.
    EXPECT_FAILURE(dmsGetTexture("loadpic"), "loadpic: no such texture");
    EXPECT_FAILURE(dmsGetTexture("loadpic.jpg2"), "loadpic.jpg2: no such texture");

    // Shut-down deletes every texture it made.
    glrecord::reset();
    dmsShutDown();
    std::size_t deleted = 0;
    for (const auto& call : glrecord::trace()) {
        if (call.name == "glDeleteTextures") deleted += static_cast<std::size_t>(call.args[0]);
    }
    EXPECT_EQ(deleted, 3u);
    EXPECT_FALSE(dmsReadFile("song1.ogg", bytes));
}

TEST_F(Archive, FontSheetsAreMeasuredFromTheirInk) {
    testsupport::openArchiveHeadless(pak({{"fontti.pcx", fontSheet()}}).c_str());
    dmsAddFont(32, 32, "fontti.pcx");
    dmsUploadTextures();
    Font* font = dmsGetFont("fontti.pcx");
    EXPECT_STREQ(font->fileName, "fontti.pcx");
    EXPECT_EQ(font->cellWidth, 32);
    EXPECT_EQ(font->sheetWidth, 64);
    EXPECT_EQ(font->sheetHeight, 64);
    EXPECT_EQ(font->glyphCount, 4);
    EXPECT_EQ(font->textureId, dmsGetTexture("fontti.pcx")->getID());
    EXPECT_EQ(font->glyphWidth[0], 0);
    EXPECT_EQ(font->glyphLeft[1], 3);
    EXPECT_EQ(font->glyphWidth[1], 10);
    EXPECT_EQ(font->glyphLeft[2], 31);
    EXPECT_EQ(font->glyphWidth[2], 1);
    EXPECT_EQ(font->glyphLeft[3], 0);
    EXPECT_EQ(font->glyphWidth[3], 32);
    EXPECT_EQ(font->glyphWidth[4], 0);  // beyond the sheet
    EXPECT_FAILURE(dmsGetFont("other.pcx"), "other.pcx: no such font");
}

TEST_F(Archive, MissingEmptyAndForeignFilesAreNamedFailures) {
    const std::string missing = dir.path() + "/data.pak";
    EXPECT_FAILURE(testsupport::openArchiveHeadless(missing.c_str()), "data.pak", "not found");
    const std::string empty = dir.write("empty.pak", {});
    EXPECT_FAILURE(testsupport::openArchiveHeadless(empty.c_str()), "empty.pak", "not a ZIP archive", "empty");
    const std::string text = dir.write("text.pak", enginetest::textBytes("PK? no, just some text\n"));
    EXPECT_FAILURE(testsupport::openArchiveHeadless(text.c_str()), "text.pak", "not a ZIP archive");
    EXPECT_FAILURE(testsupport::openArchiveHeadless(dir.path().c_str()), "not a file");
    // With no archive open, uploads fail and reads find nothing.
    EXPECT_FAILURE(dmsUploadTextures(), "no archive");
    std::vector<unsigned char> bytes;
    EXPECT_FALSE(dmsReadFile("loadpic.jpg", bytes));
}

TEST_F(Archive, TruncatedArchivesAreNamedFailures) {
    const Bytes whole = enginetest::makeZip({{"loadpic.jpg", enginetest::makeJpeg(64, 64, 10, 20, 30)}});
    // Cut before the central directory: the reader cannot find the contents.
    for (std::size_t keep : {whole.size() / 2, whole.size() - 10, std::size_t(4)}) {
        const std::string path = dir.write("cut.pak", Bytes(whole.begin(), whole.begin() + long(keep)));
        EXPECT_FAILURE(testsupport::openArchiveHeadless(path.c_str()), "cut.pak", "not a ZIP archive");
    }
}

TEST_F(Archive, AZip64LocatorPointingPastItselfIsRefused) {
    // A reader that trusted it would read its ZIP64 record from the locator itself.
    Bytes bytes = enginetest::makeZip({{"loadpic.jpg", enginetest::makeJpeg(8, 8, 10, 20, 30)}});
    const Bytes locator = {0x50, 0x4b, 0x06, 0x07, 0, 0, 0, 0, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    bytes.insert(bytes.end() - 22, locator.begin(), locator.end());
    const std::string path = dir.write("zip64.pak", bytes);
    EXPECT_FAILURE(testsupport::openArchiveHeadless(path.c_str()), "zip64.pak", "damaged ZIP64 directory locator");
}

TEST_F(Archive, AnArchiveWithoutANamedFileFailsOnUse) {
    testsupport::openArchiveHeadless(pak({{"particle.jpg", enginetest::makeJpeg(8, 8, 1, 2, 3)}}).c_str());
    dmsUploadTextures();
    EXPECT_FAILURE(dmsGetTexture("loadpic.jpg"), "loadpic.jpg: no such texture");
    dmsAddFont(32, 32, "fontti.pcx");
    EXPECT_FAILURE(dmsUploadTextures(), "fontti.pcx: font sheet not found in data.pak");
}

TEST_F(Archive, OnlyThePicturesAskedForAreDecoded) {
    const Bytes garbage = enginetest::textBytes("not a picture");
    testsupport::openArchiveHeadless(pak({{"loadpic.jpg", enginetest::makeJpeg(8, 8, 1, 2, 3)},
                                          {"__MACOSX/._loadpic.jpg", garbage},
                                          {"spare/unused.jpg", garbage},
                                          {"unused.pcx", garbage}})
                                         .c_str());
    dmsAddTexture("loadpic.jpg");
    dmsAddTexture("particle.jpg");  // absent: only its use fails
    dmsUploadTextures();
    EXPECT_EQ(dmsGetTexture("loadpic.jpg")->getWidth(), 8);
    EXPECT_FAILURE(dmsGetTexture("spare/unused.jpg"), "spare/unused.jpg: no such texture");
    EXPECT_FAILURE(dmsGetTexture("particle.jpg"), "particle.jpg: no such texture");
}

TEST_F(Archive, CorruptPicturesAreNamedFailures) {
    const Bytes good = enginetest::makeJpeg(32, 32, 100, 100, 100);
    struct Case {
        const char* file;
        Bytes bytes;
    };
    Bytes jpegGarbage = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    jpegGarbage.insert(jpegGarbage.end(), 200, 0x5A);
    Bytes pcxHeaderOnly = fontSheet();
    pcxHeaderOnly.resize(128);
    const Bytes cutShort(good.begin(), good.begin() + long(good.size() * 3 / 5));
    const Case cases[] = {
        {"garbage.jpg", jpegGarbage},
        {"cut.jpg", cutShort},  // libjpeg alone would fill the rest with grey
        {"drawing.jpg", enginetest::textBytes("<svg xmlns=\"http://www.w3.org/2000/svg\"/>")},
        {"text.jpg", enginetest::textBytes("this is no picture")},
        {"empty.jpg", {}},
        {"headonly.pcx", pcxHeaderOnly},
        {"text.pcx", enginetest::textBytes("this is no picture either")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        testsupport::resetEngine();
        testsupport::openArchiveHeadless(pak({{"good.jpg", good}, {c.file, c.bytes}}).c_str());
        EXPECT_FAILURE(dmsUploadTextures(), c.file, "cannot decode picture");
    }
}

// Huffman tables that stb_image would write past or read unset: refused by
// name before it decodes (the fuzzer's findings are in fuzz/regressions/picture).
TEST_F(Archive, JpegHuffmanTablesStbImageCannotTakeAreRefused) {
    const Bytes good = enginetest::makeJpeg(32, 32, 100, 100, 100);
    const auto segment = [&](const Bytes& jpeg, unsigned char marker) {
        for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
            if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
        return jpeg.size();
    };
    Bytes tooMany = good;  // one table's 16-bit codes counted 255 more
    const std::size_t table = segment(tooMany, 0xC4);
    ASSERT_LT(table, tooMany.size());
    tooMany[table + 4 + 16] = 255;
    Bytes undefined = good;  // the first component decodes with DC table 3, never defined
    const std::size_t scan = segment(undefined, 0xDA);
    ASSERT_LT(scan, undefined.size());
    undefined[scan + 6] = 0x30 | (undefined[scan + 6] & 0x0F);
    const std::pair<Bytes, const char*> cases[] = {{tooMany, "codes, more than the 256 a JPEG holds"},
                                                   {undefined, "a Huffman table that no definition before it made"}};
    for (const auto& c : cases) {
        testsupport::resetEngine();
        testsupport::openArchiveHeadless(pak({{"bad.jpg", c.first}}).c_str());
        EXPECT_FAILURE(dmsUploadTextures(), "bad.jpg: cannot decode picture", c.second);
    }
}

// A damaged header can claim a picture of gigabytes; it is refused by its size
// before the decoder allocates anything that large.
TEST_F(Archive, OversizedPicturesAreRefusedBeforeDecoding) {
    Bytes pcx = fontSheet();
    pcx[8] = 0xFF;  // xmax far beyond the data
    pcx[9] = 0x7F;
    pcx.resize(300);
    Bytes jpeg = enginetest::makeJpeg(32, 32, 100, 100, 100);
    const Bytes startOfFrame = {0xFF, 0xC0};
    const auto sof = std::search(jpeg.begin(), jpeg.end(), startOfFrame.begin(), startOfFrame.end());
    ASSERT_NE(sof, jpeg.end());
    sof[5] = 0x9C;  // height 40000
    sof[6] = 0x40;
    sof[7] = 0x9C;  // width 40000
    sof[8] = 0x40;
    for (const auto& [file, bytes] : {std::pair<const char*, Bytes>{"huge.pcx", pcx}, {"huge.jpg", jpeg}}) {
        SCOPED_TRACE(file);
        testsupport::resetEngine();
        testsupport::openArchiveHeadless(pak({{file, bytes}}).c_str());
        EXPECT_FAILURE(dmsUploadTextures(), file, "larger than 8192x8192");
    }
}

// A damaged central directory can end a member's name at its folder's slash
// (zero bytes follow): a name that a folder-walking reader would take for the
// folder itself. It is an odd file like any other and the rest still loads.
TEST_F(Archive, AMemberNamedLikeItsFolderIsSkipped) {
    Bytes zip = enginetest::makeZip({{"loadpic.jpg", enginetest::makeJpeg(8, 8, 1, 2, 3)},
                                     {"extra/NAMELESS.jpg", enginetest::makeJpeg(8, 8, 4, 5, 6)}});
    const std::string name = "NAMELESS";
    const auto at = std::find_end(zip.begin(), zip.end(), name.begin(), name.end());  // the directory's copy
    ASSERT_NE(at, zip.end());
    std::fill(at, at + long(name.size()), 0);
    testsupport::openArchiveHeadless(dir.write("nameless.pak", zip).c_str());
    dmsUploadTextures();
    EXPECT_EQ(dmsGetTexture("loadpic.jpg")->getWidth(), 8);
}

TEST_F(Archive, AFontSheetOfTheWrongSizeIsANamedFailure) {
    testsupport::openArchiveHeadless(pak({{"fontti.pcx", fontSheet(48, 64)}}).c_str());
    dmsAddFont(32, 32, "fontti.pcx");
    EXPECT_FAILURE(dmsUploadTextures(), "fontti.pcx: font sheet is 48x64, not a multiple of 32x32 cells");
}

TEST_F(Archive, BadFontRegistrationsAreNamedFailures) {
    EXPECT_FAILURE(dmsAddFont(0, 32, "fontti.pcx"), "fontti.pcx", "font cell 0x32");
    EXPECT_FAILURE(dmsAddFont(32, 32, nullptr), "font needs a file name");
    const std::string longName(200, 'f');
    EXPECT_FAILURE(dmsAddFont(32, 32, longName.c_str()), "file name too long");
}

TEST_F(Archive, AContextWithoutFreeSizesGetsScaledPictures) {
    fluxcore::Image image;
    image.width = 100;
    image.height = 60;
    image.rgba.assign(100 * 60 * 4, 128);
    fluxcore::TextureLimits limits;
    limits.nonPowerOfTwo = false;
    limits.maxSize = 64;
    const unsigned int name = fluxcore::uploadTexture(image, limits);
    EXPECT_NE(name, 0u);
    EXPECT_EQ(glrecord::countOf("gluScaleImage"), 1u);
    for (const auto& call : glrecord::trace()) {
        if (call.name != "glTexImage2D") continue;
        EXPECT_EQ(call.args[3], 64);  // width: 128 capped at 64
        EXPECT_EQ(call.args[4], 64);  // height
    }
}

TEST_F(Archive, HarnessTexturesStandInForUploads) {
    testsupport::addTestTexture("loadpic.jpg", 42, 1280, 960);
    EXPECT_EQ(dmsGetTexture("loadpic.jpg")->getID(), 42u);
    EXPECT_EQ(dmsGetTexture("loadpic.jpg")->getWidth(), 1280);
    testsupport::resetEngine();
    EXPECT_FAILURE(dmsGetTexture("loadpic.jpg"), "no such texture");
}

TEST(ArchiveSearch, BesideTheProgramThenTheDataFolderThenAsGiven) {
    testsupport::TempFolder program, data;
    const std::vector<std::string> folders{program.path(), data.path()};
    EXPECT_EQ(fluxcore::locateArchive("data.pak", folders), "");
    data.write("data.pak", enginetest::textBytes("x"));
    EXPECT_EQ(fluxcore::locateArchive("data.pak", folders), data.path() + "/data.pak");
    program.write("data.pak", enginetest::textBytes("x"));
    EXPECT_EQ(fluxcore::locateArchive("data.pak", folders), program.path() + "/data.pak");
    const std::string absolute = data.path() + "/data.pak";
    EXPECT_EQ(fluxcore::locateArchive(absolute, folders), absolute);
    EXPECT_EQ(fluxcore::locateArchive(data.path() + "/other.pak", folders), "");
}

TEST(ArchiveSearch, AnInstalledTreeFindsItsDataFromTheProgramsFolderWhereverItLies) {
    testsupport::TempFolder prefix;
    std::filesystem::create_directories(prefix.file("bin"));
    std::filesystem::create_directories(prefix.file("share/glass-meridian"));
    prefix.write("share/glass-meridian/data.pak", enginetest::textBytes("x"));
    const std::string bin = prefix.file("bin") + "/";
    const std::vector<std::string> folders =
        fluxcore::archiveFolders(bin, "../share/glass-meridian", "/nonexistent/share/glass-meridian");
    EXPECT_EQ(folders, (std::vector<std::string>{bin, prefix.file("share/glass-meridian"),
                                                 "/nonexistent/share/glass-meridian"}));
    EXPECT_EQ(fluxcore::locateArchive("data.pak", folders), prefix.file("share/glass-meridian/data.pak"));
    prefix.write("bin/data.pak", enginetest::textBytes("x"));  // the build tree's layout wins
    EXPECT_EQ(fluxcore::locateArchive("data.pak", folders), bin + "data.pak");

    // An unknown program folder leaves the configured folder alone; nothing
    // configured leaves the program's folder alone.
    EXPECT_EQ(fluxcore::archiveFolders("", "../share/glass-meridian", "/usr/share/glass-meridian"),
              std::vector<std::string>{"/usr/share/glass-meridian"});
    EXPECT_EQ(fluxcore::archiveFolders("/opt/gm/bin/", "", ""), std::vector<std::string>{"/opt/gm/bin/"});
}

TEST(TextureSizes, PowerOfTwoOnlyWhereTheContextNeedsIt) {
    using fluxcore::textureLimitsFrom;
    EXPECT_TRUE(textureLimitsFrom("2.1 Mesa", "", 4096).nonPowerOfTwo);
    EXPECT_TRUE(textureLimitsFrom("1.5", "GL_EXT_a GL_ARB_texture_non_power_of_two", 4096).nonPowerOfTwo);
    EXPECT_FALSE(textureLimitsFrom("1.5", "GL_ARB_texture_non_power_of_two_x", 4096).nonPowerOfTwo);
    EXPECT_FALSE(textureLimitsFrom(nullptr, nullptr, 0).nonPowerOfTwo);

    fluxcore::TextureLimits pow2;
    pow2.maxSize = 1024;
    EXPECT_EQ(fluxcore::uploadEdge(1280, pow2), 1024);
    EXPECT_EQ(fluxcore::uploadEdge(960, pow2), 1024);
    EXPECT_EQ(fluxcore::uploadEdge(128, pow2), 128);
    EXPECT_EQ(fluxcore::uploadEdge(129, pow2), 256);
    fluxcore::TextureLimits any;
    any.nonPowerOfTwo = true;
    any.maxSize = 4096;
    EXPECT_EQ(fluxcore::uploadEdge(1280, any), 1280);
    EXPECT_EQ(fluxcore::uploadEdge(5000, any), 4096);

    EXPECT_TRUE(fluxcore::isPictureFile("loadpic.jpg"));
    EXPECT_TRUE(fluxcore::isPictureFile("dir/X.JPEG"));
    EXPECT_TRUE(fluxcore::isPictureFile("fontti.pcx"));
    EXPECT_FALSE(fluxcore::isPictureFile("song1.ogg"));
    EXPECT_FALSE(fluxcore::isPictureFile("jpg"));
}

}  // namespace
