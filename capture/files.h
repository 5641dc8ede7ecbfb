// Files: a temporary file that goes with its object, an output written under a
// temporary name and renamed only once complete (so a failed or interrupted
// run never leaves a half-written file under the name asked for), and file
// name extensions; the check that an output is not the archive, and file
// names as ffmpeg must get them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

// Creates a new file "<TMPDIR or /tmp>/<stem>-XXXXXX<suffix>" (never an
// existing one), open for writing and closed on exec; sets path. Returns the
// descriptor, or -1 with errno set (path then holds the pattern tried).
int createTemporaryFile(const std::string& stem, const std::string& suffix, std::string& path);

class TempFile {
public:
    // A temporary file (createTemporaryFile) holding size bytes. Throws
    // std::runtime_error naming the file on failure.
    TempFile(const std::string& stem, const std::string& suffix, const void* data, std::size_t size);
    TempFile(const std::string& stem, const std::string& suffix, const std::vector<std::uint8_t>& bytes)
        : TempFile(stem, suffix, bytes.data(), bytes.size()) {}
    ~TempFile();

    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The temporary name is ".<name>.XXXXXX.partial" in the output's own folder,
// created exclusively (and readable as the umask allows), so it never
// replaces a file of the user's. Throws std::runtime_error naming the file
// when the folder cannot be written.
class PartialFile {
public:
    explicit PartialFile(std::string finalPath);
    ~PartialFile();  // removes the temporary file unless committed

    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    const std::string& path() const { return partial_; }     // where to write
    const std::string& finalPath() const { return final_; }
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

// Throws std::runtime_error naming both when the output is the data archive
// itself, also through symbolic or hard links: writing it would destroy the
// archive.
void refuseOverwriting(const std::string& output, const std::string& archive);

// A path as ffmpeg must get it to take it as a plain file: "file:" and the
// absolute path (it would read "pipe:1.mkv" or "a:b.mp4" as a protocol, and
// "-x.mp4" as an option).
std::string ffmpegFileName(const std::string& path);

// The extension after the last '.' of the name's last part, lower case;
// empty when there is none.
std::string lowerExtension(const std::string& name);

}  // namespace capture
