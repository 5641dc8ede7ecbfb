// gm-content as the build runs it: exit codes and messages that name the file.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "decode_helpers.h"
#include "temp_folder.h"

namespace {

struct Result {
    int status;
    std::string output;
};

Result runTool(const std::string& args) {
    const std::string command = std::string("'") + GM_CONTENT_TOOL + "' " + args + " 2>&1";
    Result r{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) r.output += buffer;
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

class ContentTool : public ::testing::Test {
protected:
    std::string path(const char* name) const { return folder_.file(name); }
    testsupport::TempFolder folder_{"gm-content-test"};
    const std::filesystem::path dir_{folder_.path()};
};

}  // namespace

TEST_F(ContentTool, UsageErrorsExitTwo) {
    EXPECT_EQ(runTool("").status, 2);
    EXPECT_EQ(runTool("frobnicate x").status, 2);
    EXPECT_EQ(runTool("pack only.pak").status, 2);
}

TEST_F(ContentTool, PackWithMissingInputNamesTheFileAndLeavesNoArchive) {
    const std::string missing = path("absent.jpg");
    const Result r = runTool("pack '" + path("out.pak") + "' '" + missing + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find(missing), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(path("out.pak")));
}

TEST_F(ContentTool, PackUsesBaseNamesAndDuplicateNamesFail) {
    std::filesystem::create_directories(dir_ / "a");
    std::filesystem::create_directories(dir_ / "b");
    for (const char* p : {"a/one.txt", "b/one.txt"}) {
        FILE* f = std::fopen(path(p).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("x", f);
        std::fclose(f);
    }
    EXPECT_EQ(runTool("pack '" + path("ok.pak") + "' '" + path("a/one.txt") + "'").status, 0);
    contenttest::MountedArchive archive(contenttest::readAll(path("ok.pak")));
    ASSERT_TRUE(archive.ok());
    EXPECT_EQ(archive.members(), std::vector<std::string>{"one.txt"});

    const Result dup = runTool("pack '" + path("dup.pak") + "' '" + path("a/one.txt") + "' '" + path("b/one.txt") + "'");
    EXPECT_EQ(dup.status, 1);
    EXPECT_NE(dup.output.find("duplicate member one.txt"), std::string::npos) << dup.output;
}

TEST_F(ContentTool, UnwritableOutputIsReported) {
    const Result r = runTool("assets '" + path("no/such/dir") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("loadpic.jpg: cannot create"), std::string::npos) << r.output;
}
