// A temporary file with given contents, removed when the object goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

class TempFile {
public:
    // Creates "<TMPDIR or /tmp>/<stem>-XXXXXX<suffix>" holding bytes. Throws
    // std::runtime_error naming the file on failure.
    TempFile(const std::string& stem, const std::string& suffix, const std::vector<std::uint8_t>& bytes);
    ~TempFile();

    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace capture
