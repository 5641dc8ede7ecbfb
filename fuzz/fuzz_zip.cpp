// libFuzzer target: a data archive held in memory. The bytes go to the
// engine's ZIP reader, every member is inflated and checked, and the
// PCX members go through the engine's PCX decoder. A failure must be a
// `const char*` text; anything else is a finding.
#include <cstdint>
#include <string>
#include <vector>

#include "data/picture_format.h"
#include "data/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const fluxcore::ZipArchive zip(std::vector<unsigned char>(data, data + size), "fuzz.zip");
        std::vector<unsigned char> bytes;
        for (const std::string& file : zip.files()) {
            try {
                if (zip.read(file, bytes) && fluxcore::lowerExtension(file) == "pcx") fluxcore::decodePcx(bytes, file);
            } catch (const char*) {
                // A damaged member: the others are still read.
            }
        }
    } catch (const char*) {
    }
    return 0;
}
