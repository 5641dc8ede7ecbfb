// A private temporary file a fuzz target rewrites with each input, for code
// that reads from a path (PhysicsFS opens archives by file name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gmfuzz {

class ScratchFile {
public:
    // Creates an empty file in $TMPDIR (or /tmp) whose name starts with `stem`.
    explicit ScratchFile(const char* stem);
    ~ScratchFile();  // removes the file

    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's contents with these bytes.
    void write(const std::uint8_t* data, std::size_t size) const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace gmfuzz
