// Member size limits, the archive's display name and where the engine looks
// for the archive: the same for every reader.
#include "archive.h"

#include <cctype>
#include <filesystem>

namespace fluxcore {

std::uint64_t memberSizeLimit(const std::string& member, const char** kind) {
    const std::size_t dot = member.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : member.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
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
