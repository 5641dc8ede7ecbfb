// PhysicsFS behind the Archive class. PhysicsFS keeps one global search path;
// the engine mounts exactly one archive at a time.
#include "archive.h"

#include <physfs.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "failure.h"

namespace fluxcore {

namespace {

std::string lastPhysfsError() {
    const char* text = PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode());
    return text ? text : "unknown error";
}

// Folders deeper than this are not walked: no real archive nests so deep.
constexpr int kMaxFolderDepth = 32;

void collect(const std::string& folder, std::vector<std::string>& out, int depth) {
    if (depth > kMaxFolderDepth) return;
    char** names = PHYSFS_enumerateFiles(folder.empty() ? "/" : folder.c_str());
    if (!names) return;
    for (char** n = names; *n; ++n) {
        // A damaged directory can hold a member whose name ends at its folder's
        // slash (a zero byte after it); PhysicsFS lists it as an empty name
        // that stands for the folder itself, and walking it never ends.
        if (**n == '\0' || std::strcmp(*n, ".") == 0 || std::strcmp(*n, "..") == 0) continue;
        const std::string path = folder.empty() ? std::string(*n) : folder + "/" + *n;
        PHYSFS_Stat stat;
        if (!PHYSFS_stat(path.c_str(), &stat)) continue;
        if (stat.filetype == PHYSFS_FILETYPE_DIRECTORY) {
            collect(path, out, depth + 1);
        } else if (stat.filetype == PHYSFS_FILETYPE_REGULAR) {
            out.push_back(path);
        }
    }
    PHYSFS_freeList(names);
}

}  // namespace

Archive::Archive(std::string path, bool ownsLibrary) : path_(std::move(path)), ownsLibrary_(ownsLibrary) {}

std::unique_ptr<Archive> Archive::open(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) fail("%s: not found", path.c_str());
    if (!fs::is_regular_file(status)) fail("%s: not a file", path.c_str());
    const auto size = fs::file_size(path, error);
    if (error) fail("%s: cannot read (%s)", path.c_str(), error.message().c_str());
    if (size == 0) fail("%s: not a ZIP archive (empty file)", path.c_str());

    bool owns = false;
    if (!PHYSFS_isInit()) {
        if (!PHYSFS_init(nullptr)) fail("%s: cannot start PhysicsFS (%s)", path.c_str(), lastPhysfsError().c_str());
        owns = true;
    }
    // From here the archive object owns the library, so a failure below
    // releases it again.
    std::unique_ptr<Archive> archive(new Archive(path, owns));
    if (PHYSFS_getMountPoint(path.c_str())) fail("%s: archive already open", path.c_str());
    if (!PHYSFS_mount(path.c_str(), "/", 0)) {
        fail("%s: not a ZIP archive (%s)", path.c_str(), lastPhysfsError().c_str());
    }
    archive->mounted_ = true;
    return archive;
}

Archive::~Archive() {
    if (mounted_) PHYSFS_unmount(path_.c_str());
    if (ownsLibrary_) PHYSFS_deinit();
}

std::string Archive::displayName() const { return std::filesystem::path(path_).filename().string(); }

bool Archive::contains(const std::string& member) const {
    PHYSFS_Stat stat;
    return PHYSFS_stat(member.c_str(), &stat) && stat.filetype == PHYSFS_FILETYPE_REGULAR;
}

bool Archive::read(const std::string& member, std::vector<unsigned char>& bytes) const {
    if (!contains(member)) return false;
    PHYSFS_File* file = PHYSFS_openRead(member.c_str());
    if (!file) fail("%s: cannot open in %s (%s)", member.c_str(), path_.c_str(), lastPhysfsError().c_str());
    const std::unique_ptr<PHYSFS_File, int (*)(PHYSFS_File*)> guard(file, PHYSFS_close);
    const PHYSFS_sint64 length = PHYSFS_fileLength(file);
    if (length < 0) fail("%s: unknown size in %s", member.c_str(), path_.c_str());
    bytes.resize(static_cast<std::size_t>(length));
    const PHYSFS_sint64 got = length ? PHYSFS_readBytes(file, bytes.data(), static_cast<PHYSFS_uint64>(length)) : 0;
    if (got != length) {
        const std::string reason = got < 0 ? lastPhysfsError() : "file cut short";
        bytes.clear();
        fail("%s: cannot read from %s (%s)", member.c_str(), path_.c_str(), reason.c_str());
    }
    return true;
}

std::vector<std::string> Archive::files() const {
    std::vector<std::string> out;
    collect(std::string(), out, 0);
    return out;
}

std::string locateArchive(const std::string& name, const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path given(name);
    if (given.is_absolute()) return fs::exists(given, error) ? name : std::string();
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        const fs::path candidate = fs::path(folder) / given;
        if (fs::exists(candidate, error)) return candidate.string();
    }
    return fs::exists(given, error) ? name : std::string();
}

}  // namespace fluxcore
