// ZipArchive: the engine's one ZIP reader. The directory (ZIP64 included) is
// read and judged once when the archive opens, members (stored or deflated)
// are read and decoded on request. It reads from a file or from bytes held in
// memory and needs no library besides the engine's own inflate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fluxcore {

class ZipArchive {
public:
    // Where the archive's bytes come from: a file or memory.
    class Source {
    public:
        virtual ~Source() = default;
        virtual std::uint64_t size() const = 0;
        // Reads `count` bytes at `at` into `out`; false when they are not all there.
        virtual bool read(std::uint64_t at, std::size_t count, unsigned char* out) const = 0;
    };

    // Parses the directory of the archive `bytes` (named `name` in failures).
    ZipArchive(std::vector<unsigned char> bytes, std::string name);
    // The same for the file at `path`, read piece by piece: only the
    // directory and the members asked for are ever read.
    ZipArchive(const std::string& path, std::string name);
    ~ZipArchive();

    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Refused with a failure naming the archive: no end record, a directory
    // outside the file, a damaged ZIP64 record or locator, 32-bit and ZIP64
    // records that disagree, more than kMaxArchiveMembers members, a member
    // with an absolute name, encrypted members.

    // Every file (folder entries, ending in '/', left out), in directory order.
    const std::vector<std::string>& files() const { return files_; }
    bool contains(const std::string& member) const { return find(member) != nullptr; }
    // Decodes a member whole into `bytes`. False when there is no such file; a
    // member beyond memberSizeLimit, with an unknown method, a damaged stream
    // or a wrong CRC is a failure naming it and the archive.
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
    void parseDirectory();
    const Entry* find(const std::string& member) const;

    std::unique_ptr<Source> source_;
    std::string name_;
    std::vector<Entry> entries_;
    std::vector<std::string> files_;
};

}  // namespace fluxcore
