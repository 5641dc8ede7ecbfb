// ZIP writer: local headers, data, central directory and end record, all
// little-endian; compression through zlib's raw deflate.
#include "zip_writer.h"

#include <zlib.h>

#include <limits>
#include <set>
#include <stdexcept>

namespace gmcontent {

namespace {

// 2000-01-01 00:00:00 in MS-DOS format, for every member.
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kDosDate = ((2000 - 1980) << 9) | (1 << 5) | 1;
constexpr uint16_t kVersion = 20;  // 2.0: deflate
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::vector<uint8_t> deflateRaw(const std::vector<uint8_t>& data) {
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("zlib: deflateInit2 failed");
    }
    std::vector<uint8_t> out(deflateBound(&zs, static_cast<uLong>(data.size())));
    zs.next_in = const_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) throw std::runtime_error("zlib: deflate did not finish");
    return out;
}

struct Entry {
    uint16_t method;
    uint32_t crc;
    uint32_t compressedSize;
    uint32_t size;
    uint32_t offset;
};

void putCommon(std::vector<uint8_t>& out, const Entry& e, const std::string& name) {
    put16(out, kVersion);  // version needed to extract
    put16(out, 0);         // flags
    put16(out, e.method);
    put16(out, kDosTime);
    put16(out, kDosDate);
    put32(out, e.crc);
    put32(out, e.compressedSize);
    put32(out, e.size);
    put16(out, static_cast<uint32_t>(name.size()));
    put16(out, 0);  // extra field length
}

}  // namespace

std::vector<uint8_t> buildZip(const std::vector<ZipMember>& members) {
    constexpr size_t kLimit = std::numeric_limits<uint32_t>::max() / 2;
    if (members.size() > 0xFFFF) throw std::invalid_argument("ZIP: too many members");
    std::set<std::string> names;
    std::vector<uint8_t> out;
    std::vector<Entry> entries;
    for (const ZipMember& m : members) {
        if (m.name.empty() || m.name.size() > 0xFFFF) throw std::invalid_argument("ZIP: bad member name");
        if (!names.insert(m.name).second) throw std::invalid_argument("ZIP: duplicate member " + m.name);
        if (m.data.size() > kLimit) throw std::invalid_argument("ZIP: member too large: " + m.name);
        Entry e{};
        e.size = static_cast<uint32_t>(m.data.size());
        e.crc = static_cast<uint32_t>(crc32(0L, m.data.data(), static_cast<uInt>(m.data.size())));
        std::vector<uint8_t> packed = deflateRaw(m.data);
        const bool store = packed.size() >= m.data.size();
        e.method = store ? kStored : kDeflated;
        const std::vector<uint8_t>& body = store ? m.data : packed;
        e.compressedSize = static_cast<uint32_t>(body.size());
        if (out.size() > kLimit) throw std::invalid_argument("ZIP: archive too large");
        e.offset = static_cast<uint32_t>(out.size());
        put32(out, 0x04034b50);
        putCommon(out, e, m.name);
        out.insert(out.end(), m.name.begin(), m.name.end());
        out.insert(out.end(), body.begin(), body.end());
        entries.push_back(e);
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < members.size(); ++i) {
        const Entry& e = entries[i];
        const std::string& name = members[i].name;
        put32(out, 0x02014b50);
        put16(out, kVersion);  // version made by: MS-DOS attributes, 2.0
        putCommon(out, e, name);
        put16(out, 0);  // comment length
        put16(out, 0);  // disk number start
        put16(out, 0);  // internal attributes
        put32(out, 0);  // external attributes
        put32(out, e.offset);
        out.insert(out.end(), name.begin(), name.end());
    }
    const uint32_t directorySize = static_cast<uint32_t>(out.size()) - directoryOffset;
    put32(out, 0x06054b50);
    put16(out, 0);  // this disk
    put16(out, 0);  // disk with the directory
    put16(out, static_cast<uint32_t>(members.size()));
    put16(out, static_cast<uint32_t>(members.size()));
    put32(out, directorySize);
    put32(out, directoryOffset);
    put16(out, 0);  // comment length
    return out;
}

}  // namespace gmcontent
