// The data archive over the engine's ZIP reader, its member size limits and
// where the engine looks for it.
#include "data/archive.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/failure.h"
#include "data/zip_archive.h"

namespace fluxcore {

std::string lowerExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::uint64_t memberSizeLimit(const std::string& member, const char** kind) {
    const std::string ext = lowerExtension(member);
    const char* what = "file";
    std::uint64_t limit = kMaxOtherFileBytes;
    if (ext == "jpg" || ext == "jpeg" || ext == "pcx") {
        what = "picture";
        limit = kMaxPictureFileBytes;
    } else if (ext == "ogg") {
        what = "song";
        limit = kMaxSongFileBytes;
    }
    if (kind) *kind = what;
    return limit;
}

Archive::Archive(std::string path, std::unique_ptr<ZipArchive> zip) : path_(std::move(path)), zip_(std::move(zip)) {}
Archive::~Archive() = default;

std::unique_ptr<Archive> Archive::open(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) fail("%s: not found", path.c_str());
    if (!fs::is_regular_file(status)) fail("%s: not a file", path.c_str());
    const auto size = fs::file_size(path, error);
    if (error) fail("%s: cannot read (%s)", path.c_str(), error.message().c_str());
    if (size == 0) fail("%s: not a ZIP archive (empty file)", path.c_str());
    return std::unique_ptr<Archive>(new Archive(path, std::make_unique<ZipArchive>(path, path)));
}

bool Archive::contains(const std::string& member) const { return zip_->contains(member); }

bool Archive::read(const std::string& member, std::vector<unsigned char>& bytes) const {
    return zip_->read(member, bytes);
}

const std::vector<std::string>& Archive::files() const { return zip_->files(); }

std::string Archive::displayName() const { return std::filesystem::path(path_).filename().string(); }

std::string locateArchive(const std::string& name, const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path given(name);
    if (given.is_absolute()) return fs::exists(given, error) ? name : std::string();
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        const fs::path candidate = fs::path(folder) / given;
        if (fs::exists(candidate, error)) return candidate.string();
    }
    return fs::exists(given, error) ? name : std::string();
}

std::vector<std::string> archiveFolders(const std::string& programFolder, const std::string& dataFromProgram,
                                        const std::string& configuredDataFolder) {
    std::vector<std::string> folders;
    if (!programFolder.empty()) {
        folders.push_back(programFolder);
        if (!dataFromProgram.empty()) {
            folders.push_back((std::filesystem::path(programFolder) / dataFromProgram).lexically_normal().string());
        }
    }
    if (!configuredDataFolder.empty()) folders.push_back(configuredDataFolder);
    return folders;
}

}  // namespace fluxcore
