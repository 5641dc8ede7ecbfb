// TempFolder: a fresh private folder for a test's or fuzz target's files,
// removed with everything in it when the object goes. The one temporary-file
// helper of the tests and the fuzz targets.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testsupport {

class TempFolder {
public:
    // Creates "<stem>-XXXXXX" under the system's temporary folder ($TMPDIR or
    // /tmp); throws std::runtime_error when it cannot.
    explicit TempFolder(const std::string& stem = "gm-test");
    ~TempFolder();  // removes the folder and everything in it

    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the folder (nothing is created).
    std::string file(const std::string& name) const;
    // Creates or replaces `name` in the folder with these bytes and returns
    // its path; throws std::runtime_error when it cannot.
    std::string write(const std::string& name, const void* data, std::size_t size) const;
    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) const;

private:
    std::string path_;
};

}  // namespace testsupport
