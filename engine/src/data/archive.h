// Archive: the data archive (a ZIP file read by ZipArchive), the limits on
// what the engine reads from it, and where the engine looks for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fluxcore {

class ZipArchive;

// What the engine ever reads from an archive, so that a damaged or hostile
// directory is refused before anything of its declared size is allocated.
constexpr std::size_t kMaxArchiveMembers = 4096;       // files and folders together
constexpr std::uint64_t kMaxPictureFileBytes = 64u << 20;  // .jpg/.jpeg/.pcx (pictures, font sheets): 8192x8192 pixels fit
constexpr std::uint64_t kMaxSongFileBytes = 64u << 20;     // .ogg: about an hour of Vorbis
constexpr std::uint64_t kMaxOtherFileBytes = 16u << 20;    // any other member

// The file name's extension in lower case ("jpg"), empty without one.
std::string lowerExtension(const std::string& name);

// The largest member of this name the engine reads, and the kind it names in
// a refusal ("picture", "song", "file").
std::uint64_t memberSizeLimit(const std::string& member, const char** kind = nullptr);

class Archive {
public:
    // Opens the ZIP file at `path`. Failures name the file: "<path>: not
    // found", "<path>: not a ZIP archive (...)", more members than
    // kMaxArchiveMembers, a member with an absolute name, ...
    static std::unique_ptr<Archive> open(const std::string& path);
    ~Archive();

    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    const std::string& path() const { return path_; }
    // The archive's file name without its folder, for messages.
    std::string displayName() const;

    bool contains(const std::string& member) const;
    // Reads a member whole, in bounded pieces. False when the archive has no
    // such file; a member that is there but cannot be read, or that declares
    // more than memberSizeLimit, is a failure naming both.
    bool read(const std::string& member, std::vector<unsigned char>& bytes) const;
    // Every file of the archive as "dir/name", in the directory's order.
    const std::vector<std::string>& files() const;

private:
    Archive(std::string path, std::unique_ptr<ZipArchive> zip);
    std::string path_;
    std::unique_ptr<ZipArchive> zip_;
};

// Where an archive of this name is: an absolute path is taken as given; a
// relative one is looked for in each of `folders` in turn, then relative to
// the working folder. Empty when it is nowhere.
std::string locateArchive(const std::string& name, const std::vector<std::string>& folders);

// The folders for locateArchive, in order: the program's own folder (the
// build tree keeps data.pak beside the programs), the installed data folder
// relative to it (`dataFromProgram`, e.g. "../share/glass-meridian": an
// installed tree works from any prefix it is copied or unpacked to), then the
// data folder the build was configured to install to (`configuredDataFolder`,
// absolute). Empty or unknown entries are left out; the relative one is
// normalised lexically (the program folder comes with its links resolved).
std::vector<std::string> archiveFolders(const std::string& programFolder, const std::string& dataFromProgram,
                                        const std::string& configuredDataFolder);

}  // namespace fluxcore
