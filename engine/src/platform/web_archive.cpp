// The Archive in the web build: the whole file read from the virtual file
// system into a ZipArchive (see zip_archive.h), which decodes members itself.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive.h"
#include "failure.h"
#include "zip_archive.h"

namespace fluxcore {

struct Archive::Backend {
    std::unique_ptr<ZipArchive> zip;
};

Archive::Archive(std::string path) : path_(std::move(path)), backend_(std::make_unique<Backend>()) {}
Archive::~Archive() = default;

std::unique_ptr<Archive> Archive::open(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("%s: not found", path.c_str());
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) fail("%s: not a ZIP archive (empty file)", path.c_str());
    std::unique_ptr<Archive> archive(new Archive(path));
    archive->backend_->zip = std::make_unique<ZipArchive>(std::move(bytes), path);
    archive->files_ = archive->backend_->zip->files();
    return archive;
}

bool Archive::contains(const std::string& member) const { return backend_->zip->contains(member); }

bool Archive::read(const std::string& member, std::vector<unsigned char>& bytes) const {
    return backend_->zip->read(member, bytes);
}

}  // namespace fluxcore
