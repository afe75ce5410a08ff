#include "app/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace folders {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value == '/' ? value : "";
}

std::string home() {
    const std::string value = environment("HOME");
    return value.empty() ? "/tmp" : value;
}

bool holdsLevel(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "SCENE.txt", error);
}

std::string made(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    return folder.string();
}

}  // namespace

std::string findDataFolder(const std::string& executable) {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (!error && holdsLevel(here)) return here.string();
    // The binary's own path, even when it was started through $PATH.
    fs::path binary = fs::read_symlink("/proc/self/exe", error);
    if (error) binary = fs::absolute(executable, error);
    // Relative to the binary, so a moved installation still finds its data:
    // Debian's games layout first, then the plain one of older installs.
    const fs::path prefix = binary.parent_path().parent_path();
    for (const fs::path& beside : {prefix / "share" / "games" / "murkhaven", prefix / "share" / "murkhaven"}) {
        if (holdsLevel(beside)) return beside.string();
    }
#ifdef MURK_INSTALL_DATA_DIR
    if (holdsLevel(MURK_INSTALL_DATA_DIR)) return MURK_INSTALL_DATA_DIR;
#endif
    return "";
}

bool writable(const std::string& folder) {
    return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

std::string picturesFolder() {
    const std::string pictures = environment("XDG_PICTURES_DIR");
    return made(fs::path(pictures.empty() ? home() + "/Pictures" : pictures) / "Murkhaven");
}

std::string recordingsFolder() {
    const std::string data = environment("XDG_DATA_HOME");
    return made(fs::path(data.empty() ? home() + "/.local/share" : data) / "murkhaven");
}

std::string ownConfigFile() {
    const std::string config = environment("XDG_CONFIG_HOME");
    return (fs::path(config.empty() ? home() + "/.config" : config) / "murkhaven" / "CONFIG.txt").string();
}

std::string configFile(const std::string& installed) {
    const std::string own = ownConfigFile();
    std::error_code error;
    return fs::is_regular_file(own, error) ? own : installed;
}

std::string cookedFolder() {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (!error && writable("")) return (here / "cache").string();
    const std::string cache = environment("XDG_CACHE_HOME");
    return (fs::path(cache.empty() ? home() + "/.cache" : cache) / "murkhaven").string();
}

std::string recordingPath(const std::string& name) {
    if (fs::path(name).has_parent_path() || writable("")) return name;
    return (fs::path(recordingsFolder()) / name).string();
}

}  // namespace folders
