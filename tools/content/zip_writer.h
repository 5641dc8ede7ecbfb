// Deterministic ZIP archive writer: fixed member order and timestamps, no
// extra fields, deflate (or stored where deflate does not pay).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gmcontent {

struct ZipMember {
    std::string name;
    std::vector<uint8_t> data;
};

// The whole archive, members in the given order. Throws std::invalid_argument
// for an empty or duplicate name, or a member too large for a plain
// (non-ZIP64) archive.
std::vector<uint8_t> buildZip(const std::vector<ZipMember>& members);

}  // namespace gmcontent
