// An output written under a temporary name beside its final one and renamed
// only on success, so a failed or interrupted run never leaves a half-written
// file under the name the user asked for.
#pragma once

#include <string>

namespace capture {

class PartialFile {
public:
    explicit PartialFile(std::string finalPath);
    ~PartialFile();  // removes the temporary file unless committed

    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    const std::string& path() const { return partial_; }     // where to write
    const std::string& finalPath() const { return final_; }
    void probe();    // creates the temporary file empty, to fail early where it cannot be written
    void commit();   // renames onto the final name; throws std::runtime_error naming the file
    void discard();  // removes the temporary file now

private:
    std::string final_;
    std::string partial_;
    bool done_ = false;
};

// Writes bytes to path through a PartialFile. Throws std::runtime_error naming
// the file and the system's reason.
void writeFileAtomically(const std::string& path, const void* data, std::size_t size);

}  // namespace capture
