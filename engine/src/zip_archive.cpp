// The ZIP reader: end record, central directory, local headers, and members
// stored or deflated (see zip_archive.h).
#include "zip_archive.h"

#include <cctype>

#include "archive.h"
#include "failure.h"
#include "inflate.h"

namespace fluxcore {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kDirectorySignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;

std::uint32_t le(const std::vector<unsigned char>& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

bool isAbsolute(const std::string& name) {
    const bool drive = name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
    return !name.empty() && (name[0] == '/' || name[0] == '\\' || drive);
}

}  // namespace

ZipArchive::ZipArchive(std::vector<unsigned char> bytes, std::string name)
    : bytes_(std::move(bytes)), name_(std::move(name)) {
    const std::size_t size = bytes_.size();
    if (size < kEndRecordSize) fail("%s: not a ZIP archive (too short)", name_.c_str());
    // The end record is the last 22 bytes plus a comment of up to 64 KiB.
    std::size_t end = size - kEndRecordSize;
    const std::size_t lowest = size > kEndRecordSize + 0xFFFF ? size - kEndRecordSize - 0xFFFF : 0;
    while (le(bytes_, end, 4) != kEndSignature) {
        if (end == lowest) fail("%s: not a ZIP archive (no end of central directory)", name_.c_str());
        --end;
    }
    const std::uint32_t members = le(bytes_, end + 10, 2);
    const std::uint64_t directorySize = le(bytes_, end + 12, 4);
    const std::uint64_t directoryAt = le(bytes_, end + 16, 4);
    if (members == 0xFFFF || directorySize == 0xFFFFFFFF || directoryAt == 0xFFFFFFFF)
        fail("%s: a ZIP64 archive, which this reader does not take", name_.c_str());
    if (members > kMaxArchiveMembers)
        fail("%s: holds %u members, more than the limit of %zu", name_.c_str(), members, kMaxArchiveMembers);
    if (directoryAt + directorySize > end) fail("%s: damaged ZIP directory (outside the file)", name_.c_str());

    std::size_t at = static_cast<std::size_t>(directoryAt);
    const std::size_t directoryEnd = static_cast<std::size_t>(directoryAt + directorySize);
    for (std::uint32_t n = 0; n < members; ++n) {
        if (at + kDirectoryEntrySize > directoryEnd || le(bytes_, at, 4) != kDirectorySignature)
            fail("%s: damaged ZIP directory (entry %u)", name_.c_str(), n);
        const std::size_t nameLength = le(bytes_, at + 28, 2);
        const std::size_t next = at + kDirectoryEntrySize + nameLength + le(bytes_, at + 30, 2) + le(bytes_, at + 32, 2);
        if (next > directoryEnd) fail("%s: damaged ZIP directory (entry %u runs past it)", name_.c_str(), n);
        Entry entry;
        entry.name.assign(reinterpret_cast<const char*>(&bytes_[at + kDirectoryEntrySize]), nameLength);
        if (isAbsolute(entry.name))
            fail("%s: member \"%s\" has an absolute name; the archive is refused", name_.c_str(), entry.name.c_str());
        if (le(bytes_, at + 8, 2) & 1)
            fail("%s: member \"%s\" is encrypted", name_.c_str(), entry.name.c_str());
        entry.method = static_cast<std::uint16_t>(le(bytes_, at + 10, 2));
        entry.crc = le(bytes_, at + 16, 4);
        entry.compressedSize = le(bytes_, at + 20, 4);
        entry.size = le(bytes_, at + 24, 4);
        entry.localHeaderAt = le(bytes_, at + 42, 4);
        if (entry.compressedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF || entry.localHeaderAt == 0xFFFFFFFF)
            fail("%s: member \"%s\" needs ZIP64, which this reader does not take", name_.c_str(), entry.name.c_str());
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
    const char* kind = "file";
    const std::uint64_t limit = memberSizeLimit(member, &kind);
    if (entry->size > limit) {
        fail("%s: declares %llu bytes in %s, more than the limit of %llu MiB for a %s", member.c_str(),
             static_cast<unsigned long long>(entry->size), name_.c_str(),
             static_cast<unsigned long long>(limit >> 20), kind);
    }
    const std::uint64_t local = entry->localHeaderAt;
    if (local + kLocalHeaderSize > bytes_.size() || le(bytes_, static_cast<std::size_t>(local), 4) != kLocalSignature)
        fail("%s: damaged local header in %s", member.c_str(), name_.c_str());
    const std::size_t header = static_cast<std::size_t>(local);
    const std::uint64_t dataAt =
        local + kLocalHeaderSize + le(bytes_, header + 26, 2) + le(bytes_, header + 28, 2);
    if (dataAt + entry->compressedSize > bytes_.size())
        fail("%s: runs past the end of %s", member.c_str(), name_.c_str());
    const unsigned char* data = bytes_.data() + dataAt;
    const auto compressed = static_cast<std::size_t>(entry->compressedSize);
    const auto size = static_cast<std::size_t>(entry->size);
    if (entry->method == kStored) {
        if (compressed != size) fail("%s: stored member of two sizes in %s", member.c_str(), name_.c_str());
        bytes.assign(data, data + size);
    } else if (entry->method == kDeflated) {
        std::string why;
        if (!inflateRaw(data, compressed, size, bytes, why))
            fail("%s: cannot read from %s (%s)", member.c_str(), name_.c_str(), why.c_str());
    } else {
        fail("%s: compression method %u in %s is not stored or deflate", member.c_str(), entry->method,
             name_.c_str());
    }
    if (crc32Of(bytes.data(), bytes.size()) != entry->crc) {
        bytes.clear();
        fail("%s: CRC mismatch in %s (damaged archive)", member.c_str(), name_.c_str());
    }
    return true;
}

}  // namespace fluxcore
