// ZipArchive: a ZIP file held in memory, its central directory parsed once and
// its members (stored or deflated) decoded on request. The web build reads
// data.pak through it; it needs neither PhysicsFS nor zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fluxcore {

class ZipArchive {
public:
    // Parses the directory of the archive `bytes` (named `name` in failures).
    // Refused with a failure: no end record, a directory outside the file,
    // more than kMaxArchiveMembers members, a member with an absolute name,
    // ZIP64 or encrypted members.
    ZipArchive(std::vector<unsigned char> bytes, std::string name);

    // Every file (folder entries, ending in '/', left out), in directory order.
    const std::vector<std::string>& files() const { return files_; }
    bool contains(const std::string& member) const { return find(member) != nullptr; }
    // Decodes a member whole into `bytes`. False when there is no such file; a
    // member beyond memberSizeLimit, with an unknown method, a damaged stream
    // or a wrong CRC is a failure naming it.
    bool read(const std::string& member, std::vector<unsigned char>& bytes) const;

private:
    struct Entry {
        std::string name;
        std::uint16_t method;
        std::uint32_t crc;
        std::uint64_t compressedSize;
        std::uint64_t size;
        std::uint64_t localHeaderAt;
    };
    const Entry* find(const std::string& member) const;

    std::vector<unsigned char> bytes_;
    std::string name_;
    std::vector<Entry> entries_;
    std::vector<std::string> files_;
};

}  // namespace fluxcore
