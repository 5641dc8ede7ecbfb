// The Archive through PhysicsFS, the desktop's reader. PhysicsFS keeps one
// global search path; the engine mounts exactly one archive at a time.
#include "archive.h"

#include <physfs.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
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

std::uint64_t le(const unsigned char* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

bool readAt(std::ifstream& in, std::uint64_t offset, std::vector<unsigned char>& out, std::size_t size) {
    out.resize(size);
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
    return in.gcount() == static_cast<std::streamsize>(size);
}

// Reads the ZIP directory's own record of its members before PhysicsFS sees
// it: refuses more than kMaxArchiveMembers (PhysicsFS would spend time
// quadratic in them) and a member with an absolute name (PhysicsFS then lists
// no file at all). What it cannot make sense of is left to PhysicsFS.
void checkDirectory(const std::string& path, std::uint64_t fileSize) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, 22 + 65535));
    std::vector<unsigned char> end;
    if (!readAt(in, fileSize - tail, end, tail) || tail < 22) return;
    std::size_t at = tail - 22 + 1;
    do {
        --at;
    } while (at > 0 && le(&end[at], 4) != 0x06054b50);
    if (le(&end[at], 4) != 0x06054b50) return;
    const std::uint64_t recordAt = fileSize - tail + at;
    std::uint64_t members = le(&end[at + 10], 2);
    std::uint64_t directorySize = le(&end[at + 12], 4);
    std::uint64_t directoryAt = le(&end[at + 16], 4);
    std::vector<unsigned char> record;
    // A ZIP64 locator sits just before the end record and points back to the
    // ZIP64 end record. PhysicsFS asserts, ending the program, on one that
    // points past itself; no intact archive has such a locator.
    const std::uint64_t locatorAt = recordAt - 20;
    if (recordAt >= 20 && readAt(in, locatorAt, record, 20) && le(&record[0], 4) == 0x07064b50 &&
        (le(&record[8], 8) > locatorAt || locatorAt - le(&record[8], 8) < 56)) {
        fail("%s: damaged ZIP64 directory locator (it points past itself)", path.c_str());
    }
    if ((members == 0xFFFF || directorySize == 0xFFFFFFFF || directoryAt == 0xFFFFFFFF) && recordAt >= 20 &&
        readAt(in, recordAt - 20, record, 20) && le(&record[0], 4) == 0x07064b50) {
        const std::uint64_t zip64At = le(&record[8], 8);
        if (readAt(in, zip64At, record, 56) && le(&record[0], 4) == 0x06064b50) {
            members = le(&record[32], 8);
            directorySize = le(&record[40], 8);
            directoryAt = le(&record[48], 8);
        }
    }
    if (members > kMaxArchiveMembers) {
        fail("%s: holds %llu members, more than the limit of %zu", path.c_str(),
             static_cast<unsigned long long>(members), kMaxArchiveMembers);
    }
    // Each directory entry is at most 46 + 3 * 65535 bytes; a directory larger
    // than that, than the file, or than 16 MiB is not read here.
    if (directorySize > members * (46 + 3 * 65535ull) || directorySize > (16u << 20) ||
        directoryAt + directorySize > fileSize)
        return;
    std::vector<unsigned char> directory;
    if (!readAt(in, directoryAt, directory, static_cast<std::size_t>(directorySize))) return;
    for (std::size_t p = 0, n = 0; n < members && p + 46 <= directory.size(); ++n) {
        if (le(&directory[p], 4) != 0x02014b50) return;
        const std::size_t nameLength = le(&directory[p + 28], 2);
        const std::size_t next = p + 46 + nameLength + le(&directory[p + 30], 2) + le(&directory[p + 32], 2);
        if (next > directory.size()) return;
        const std::string name(reinterpret_cast<const char*>(&directory[p + 46]), nameLength);
        const bool drive = name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
        if (!name.empty() && (name[0] == '/' || name[0] == '\\' || drive)) {
            fail("%s: member \"%s\" has an absolute name; the archive is refused", path.c_str(),
                 name.c_str());
        }
        p = next;
    }
}

}  // namespace

struct Archive::Backend {
    bool ownsLibrary = false;  // this archive initialised PhysicsFS and shuts it down
    bool mounted = false;
};

Archive::Archive(std::string path) : path_(std::move(path)), backend_(std::make_unique<Backend>()) {}

std::unique_ptr<Archive> Archive::open(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) fail("%s: not found", path.c_str());
    if (!fs::is_regular_file(status)) fail("%s: not a file", path.c_str());
    const auto size = fs::file_size(path, error);
    if (error) fail("%s: cannot read (%s)", path.c_str(), error.message().c_str());
    if (size == 0) fail("%s: not a ZIP archive (empty file)", path.c_str());
    checkDirectory(path, size);

    bool owns = false;
    if (!PHYSFS_isInit()) {
        if (!PHYSFS_init(nullptr)) fail("%s: cannot start PhysicsFS (%s)", path.c_str(), lastPhysfsError().c_str());
        owns = true;
    }
    // From here the archive object owns the library, so a failure below
    // releases it again.
    std::unique_ptr<Archive> archive(new Archive(path));
    archive->backend_->ownsLibrary = owns;
    if (PHYSFS_getMountPoint(path.c_str())) fail("%s: archive already open", path.c_str());
    if (!PHYSFS_mount(path.c_str(), "/", 0)) {
        fail("%s: not a ZIP archive (%s)", path.c_str(), lastPhysfsError().c_str());
    }
    archive->backend_->mounted = true;
    collect(std::string(), archive->files_, 0);
    return archive;
}

Archive::~Archive() {
    if (backend_->mounted) PHYSFS_unmount(path_.c_str());
    if (backend_->ownsLibrary) PHYSFS_deinit();
}

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
    const char* kind = "file";
    const std::uint64_t limit = memberSizeLimit(member, &kind);
    if (static_cast<std::uint64_t>(length) > limit) {
        fail("%s: declares %llu bytes in %s, more than the limit of %llu MiB for a %s", member.c_str(),
             static_cast<unsigned long long>(length), displayName().c_str(),
             static_cast<unsigned long long>(limit >> 20), kind);
    }
    // Read in pieces up to the declared size, which is now known to be bounded.
    constexpr std::size_t kPiece = 1 << 20;
    const auto wanted = static_cast<std::size_t>(length);
    bytes.clear();
    bytes.reserve(wanted);
    while (bytes.size() < wanted) {
        const std::size_t at = bytes.size();
        const std::size_t piece = std::min(kPiece, wanted - at);
        bytes.resize(at + piece);
        const PHYSFS_sint64 got = PHYSFS_readBytes(file, bytes.data() + at, piece);
        if (got != static_cast<PHYSFS_sint64>(piece)) {
            const std::string reason = got < 0 ? lastPhysfsError() : "file cut short";
            bytes.clear();
            fail("%s: cannot read from %s (%s)", member.c_str(), path_.c_str(), reason.c_str());
        }
    }
    return true;
}

}  // namespace fluxcore
