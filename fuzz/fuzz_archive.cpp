// libFuzzer target: a data archive as the engine opens it. The bytes are
// written to a file that the engine's ZIP reader opens, every file is read, and the pictures and the font
// sheet go through dmsUploadTextures into the recording GL layer. A failure must
// be a `const char*` text; anything else (a crash, a sanitizer report, another
// exception type) is a finding.
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine.h"
#include "engine_harness.h"
#include "fluxcore/dms.h"
#include "glrecord.h"
#include "temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testsupport::TempFolder folder("gm-fuzz-archive");
    namespace fc = QUASAR_FLUXCORE;
    // The engine opens archives by file name; a failed write ends the run.
    const std::string archive = folder.write("archive", data, size);
    glrecord::setMode(glrecord::Mode::Count);
    glrecord::reset();
    try {
        testsupport::openArchiveHeadless(archive.c_str());
        std::vector<unsigned char> bytes;
        for (const std::string& file : fluxcore::engine().archive->files()) {
            try {
                fc::dmsReadFile(file.c_str(), bytes);
            } catch (const char*) {
                // A damaged member: the others are still read.
            }
        }
        fc::dmsAddFont(32, 32, "fontti.pcx");
        fc::dmsUploadTextures();
    } catch (const char*) {
    }
    testsupport::resetEngine();
    return 0;
}
