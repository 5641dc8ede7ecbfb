// The ZIP reader: end records (32-bit and ZIP64), central directory, local
// headers, and members stored or deflated (see zip_archive.h).
#include "data/zip_archive.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "core/failure.h"
#include "data/archive.h"
#include "data/inflate.h"

namespace fluxcore {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kDirectorySignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kZip64EndRecordSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
// A 32-bit field holding this says the value is in the ZIP64 record.
constexpr std::uint32_t kFull16 = 0xFFFF;
constexpr std::uint32_t kFull32 = 0xFFFFFFFF;

std::uint64_t le(const unsigned char* p, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

bool isAbsolute(const std::string& name) {
    const bool drive = name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
    return !name.empty() && (name[0] == '/' || name[0] == '\\' || drive);
}

class MemorySource : public ZipArchive::Source {
public:
    explicit MemorySource(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t at, std::size_t count, unsigned char* out) const override {
        if (at > bytes_.size() || count > bytes_.size() - at) return false;
        std::copy_n(bytes_.data() + at, count, out);
        return true;
    }

private:
    std::vector<unsigned char> bytes_;
};

class FileSource : public ZipArchive::Source {
public:
    FileSource(const std::string& path, std::uint64_t size) : in_(path, std::ios::binary), size_(size) {}
    bool opened() const { return static_cast<bool>(in_); }
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t at, std::size_t count, unsigned char* out) const override {
        if (at > size_ || count > size_ - at) return false;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(at));
        in_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
        return in_.gcount() == static_cast<std::streamsize>(count);
    }

private:
    mutable std::ifstream in_;
    std::uint64_t size_;
};

// Reads `count` bytes at `at` of the source, or an empty vector when they are not there.
std::vector<unsigned char> readPiece(const ZipArchive::Source& source, std::uint64_t at, std::size_t count) {
    std::vector<unsigned char> piece(count);
    if (!source.read(at, count, piece.data())) piece.clear();
    return piece;
}

// The directory as the end records give it.
struct Directory {
    std::uint64_t members = 0;
    std::uint64_t size = 0;
    std::uint64_t at = 0;
    std::uint64_t endsAt = 0;  // where the records after the directory begin
};

// A 32-bit field and its ZIP64 counterpart must agree unless the 32-bit one
// is full, which defers to ZIP64.
void checkAgreement(const std::string& name, const char* what, std::uint64_t narrow, std::uint64_t full,
                    std::uint64_t wide) {
    if (narrow != full && narrow != wide) {
        fail("%s: damaged ZIP directory (its end record says %llu for the %s, its ZIP64 record %llu)", name.c_str(),
             static_cast<unsigned long long>(narrow), what, static_cast<unsigned long long>(wide));
    }
}

Directory readEndRecords(const ZipArchive::Source& source, const std::string& name) {
    const std::uint64_t size = source.size();
    if (size < kEndRecordSize) fail("%s: not a ZIP archive (too short)", name.c_str());
    // The end record is the last 22 bytes plus a comment of up to 64 KiB.
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndRecordSize + kMaxCommentSize));
    const std::uint64_t tailAt = size - tailSize;
    const std::vector<unsigned char> tail = readPiece(source, tailAt, tailSize);
    if (tail.empty()) fail("%s: cannot read its end", name.c_str());
    std::size_t end = tailSize - kEndRecordSize;
    while (le(&tail[end], 4) != kEndSignature) {
        if (end == 0) fail("%s: not a ZIP archive (no end of central directory)", name.c_str());
        --end;
    }
    const unsigned char* record = &tail[end];
    Directory d;
    d.members = le(record + 10, 2);
    d.size = le(record + 12, 4);
    d.at = le(record + 16, 4);
    d.endsAt = tailAt + end;

    // A ZIP64 locator sits just before the end record and points back to the
    // ZIP64 end record, which then holds the directory's true figures.
    if (d.endsAt < kZip64LocatorSize) return d;
    const std::uint64_t locatorAt = d.endsAt - kZip64LocatorSize;
    const std::vector<unsigned char> locator = readPiece(source, locatorAt, kZip64LocatorSize);
    if (locator.empty() || le(locator.data(), 4) != kZip64LocatorSignature) {
        if (d.members == kFull16 || d.size == kFull32 || d.at == kFull32)
            fail("%s: damaged ZIP directory (a ZIP64 archive without its ZIP64 record)", name.c_str());
        return d;
    }
    const std::uint64_t zip64At = le(locator.data() + 8, 8);
    if (zip64At > locatorAt || locatorAt - zip64At < kZip64EndRecordSize)
        fail("%s: damaged ZIP64 directory locator (it points past itself)", name.c_str());
    const std::vector<unsigned char> zip64 = readPiece(source, zip64At, kZip64EndRecordSize);
    if (zip64.empty() || le(zip64.data(), 4) != kZip64EndSignature)
        fail("%s: damaged ZIP64 directory locator (no ZIP64 end record where it points)", name.c_str());
    const std::uint64_t members = le(zip64.data() + 32, 8);
    const std::uint64_t directorySize = le(zip64.data() + 40, 8);
    const std::uint64_t directoryAt = le(zip64.data() + 48, 8);
    checkAgreement(name, "member count", d.members, kFull16, members);
    checkAgreement(name, "directory's size", d.size, kFull32, directorySize);
    checkAgreement(name, "directory's place", d.at, kFull32, directoryAt);
    d.members = members;
    d.size = directorySize;
    d.at = directoryAt;
    d.endsAt = zip64At;
    return d;
}

// The ZIP64 extra field of a directory entry replaces, in this order, each of
// the size, the compressed size and the local header's place whose 32-bit
// field is full.
bool readZip64Extra(const unsigned char* extra, std::size_t length, std::uint64_t& size, std::uint64_t& compressed,
                    std::uint64_t& local) {
    for (std::size_t at = 0; at + 4 <= length;) {
        const std::size_t id = le(extra + at, 2);
        const std::size_t fieldSize = le(extra + at + 2, 2);
        const std::size_t data = at + 4;
        if (data + fieldSize > length) return false;
        if (id == kZip64ExtraId) {
            std::size_t p = data;
            for (std::uint64_t* value : {&size, &compressed, &local}) {
                if (*value != kFull32) continue;
                if (p + 8 > data + fieldSize) return false;
                *value = le(extra + p, 8);
                p += 8;
            }
            return true;
        }
        at = data + fieldSize;
    }
    return false;
}

}  // namespace

ZipArchive::ZipArchive(std::vector<unsigned char> bytes, std::string name)
    : source_(std::make_unique<MemorySource>(std::move(bytes))), name_(std::move(name)) {
    parseDirectory();
}

ZipArchive::ZipArchive(const std::string& path, std::string name) : name_(std::move(name)) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(path, error);
    if (error) fail("%s: cannot read (%s)", name_.c_str(), error.message().c_str());
    auto file = std::make_unique<FileSource>(path, size);
    if (!file->opened()) fail("%s: cannot open for reading", name_.c_str());
    source_ = std::move(file);
    parseDirectory();
}

ZipArchive::~ZipArchive() = default;

void ZipArchive::parseDirectory() {
    const Directory d = readEndRecords(*source_, name_);
    if (d.members > kMaxArchiveMembers) {
        fail("%s: holds %llu members, more than the limit of %zu", name_.c_str(),
             static_cast<unsigned long long>(d.members), kMaxArchiveMembers);
    }
    if (d.at > d.endsAt || d.size > d.endsAt - d.at) fail("%s: damaged ZIP directory (outside the file)", name_.c_str());
    const std::vector<unsigned char> directory = readPiece(*source_, d.at, static_cast<std::size_t>(d.size));
    if (directory.size() != d.size) fail("%s: cannot read its ZIP directory", name_.c_str());

    std::size_t at = 0;
    for (std::uint64_t n = 0; n < d.members; ++n) {
        const unsigned long long number = n;
        if (at + kDirectoryEntrySize > directory.size() || le(&directory[at], 4) != kDirectorySignature)
            fail("%s: damaged ZIP directory (entry %llu)", name_.c_str(), number);
        const unsigned char* header = &directory[at];
        const std::size_t nameLength = le(header + 28, 2);
        const std::size_t extraLength = le(header + 30, 2);
        const std::size_t next = at + kDirectoryEntrySize + nameLength + extraLength + le(header + 32, 2);
        if (next > directory.size()) fail("%s: damaged ZIP directory (entry %llu runs past it)", name_.c_str(), number);
        Entry entry;
        entry.name.assign(reinterpret_cast<const char*>(header + kDirectoryEntrySize), nameLength);
        if (isAbsolute(entry.name))
            fail("%s: member \"%s\" has an absolute name; the archive is refused", name_.c_str(), entry.name.c_str());
        if (le(header + 8, 2) & 1) fail("%s: member \"%s\" is encrypted", name_.c_str(), entry.name.c_str());
        entry.method = static_cast<std::uint16_t>(le(header + 10, 2));
        entry.crc = static_cast<std::uint32_t>(le(header + 16, 4));
        entry.compressedSize = le(header + 20, 4);
        entry.size = le(header + 24, 4);
        entry.localHeaderAt = le(header + 42, 4);
        if ((entry.compressedSize == kFull32 || entry.size == kFull32 || entry.localHeaderAt == kFull32) &&
            !readZip64Extra(header + kDirectoryEntrySize + nameLength, extraLength, entry.size, entry.compressedSize,
                            entry.localHeaderAt)) {
            fail("%s: member \"%s\" has a damaged ZIP64 extra field", name_.c_str(), entry.name.c_str());
        }
        at = next;
        if (entry.name.empty() || entry.name.back() == '/') continue;  // a folder entry
        if (find(entry.name)) continue;  // the first of two equal names wins
        files_.push_back(entry.name);
        entries_.push_back(std::move(entry));
    }
}

const ZipArchive::Entry* ZipArchive::find(const std::string& member) const {
    for (const Entry& entry : entries_) {
        if (entry.name == member) return &entry;
    }
    return nullptr;
}

bool ZipArchive::read(const std::string& member, std::vector<unsigned char>& bytes) const {
    bytes.clear();
    const Entry* entry = find(member);
    if (!entry) return false;
    const std::string archive = std::filesystem::path(name_).filename().string();
    const char* kind = "file";
    const std::uint64_t limit = memberSizeLimit(member, &kind);
    if (entry->size > limit) {
        fail("%s: declares %llu bytes in %s, more than the limit of %llu MiB for a %s", member.c_str(),
             static_cast<unsigned long long>(entry->size), archive.c_str(),
             static_cast<unsigned long long>(limit >> 20), kind);
    }
    const std::vector<unsigned char> local = readPiece(*source_, entry->localHeaderAt, kLocalHeaderSize);
    if (local.empty() || le(local.data(), 4) != kLocalSignature)
        fail("%s: damaged local header in %s", member.c_str(), archive.c_str());
    const std::uint64_t dataAt = entry->localHeaderAt + kLocalHeaderSize + le(&local[26], 2) + le(&local[28], 2);
    // Deflate never grows data by more than 5 bytes in 16 KiB (stored blocks),
    // so a compressed size beyond that is damage, not data to read.
    const std::uint64_t packedLimit = entry->size + entry->size / 16384 * 5 + 64;
    if (entry->compressedSize > packedLimit || dataAt > source_->size() ||
        entry->compressedSize > source_->size() - dataAt)
        fail("%s: runs past the end of %s", member.c_str(), archive.c_str());
    const std::vector<unsigned char> packed =
        readPiece(*source_, dataAt, static_cast<std::size_t>(entry->compressedSize));
    if (packed.size() != entry->compressedSize) fail("%s: cannot read from %s", member.c_str(), archive.c_str());
    const auto size = static_cast<std::size_t>(entry->size);
    if (entry->method == kStored) {
        if (packed.size() != size) fail("%s: stored member of two sizes in %s", member.c_str(), archive.c_str());
        bytes = packed;
    } else if (entry->method == kDeflated) {
        std::string why;
        if (!inflateRaw(packed.data(), packed.size(), size, bytes, why))
            fail("%s: cannot read from %s (%s)", member.c_str(), archive.c_str(), why.c_str());
    } else {
        fail("%s: compression method %u in %s is not stored or deflate", member.c_str(), entry->method,
             archive.c_str());
    }
    if (crc32Of(bytes.data(), bytes.size()) != entry->crc) {
        bytes.clear();
        fail("%s: CRC mismatch in %s (damaged archive)", member.c_str(), archive.c_str());
    }
    return true;
}

}  // namespace fluxcore
