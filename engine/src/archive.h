// Archive: the data archive (a ZIP file) read through PhysicsFS, and where the
// engine looks for it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace fluxcore {

class Archive {
public:
    // Opens the ZIP file at `path`. Failures name the file: "<path>: not
    // found", "<path>: not a ZIP archive (...)", ...
    static std::unique_ptr<Archive> open(const std::string& path);
    ~Archive();

    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    const std::string& path() const { return path_; }
    // The archive's file name without its folder, for messages.
    std::string displayName() const;

    bool contains(const std::string& member) const;
    // Reads a member whole. False when the archive has no such file; a member
    // that is there but cannot be read is a failure naming both.
    bool read(const std::string& member, std::vector<unsigned char>& bytes) const;
    // Every file of the archive, folders walked, as "dir/name".
    std::vector<std::string> files() const;

private:
    Archive(std::string path, bool ownsLibrary);
    std::string path_;
    bool ownsLibrary_;      // this archive initialised PhysicsFS and shuts it down
    bool mounted_ = false;
};

// Where an archive of this name is: an absolute path is taken as given; a
// relative one is looked for in each of `folders` in turn, then relative to
// the working folder. Empty when it is nowhere.
std::string locateArchive(const std::string& name, const std::vector<std::string>& folders);

}  // namespace fluxcore
