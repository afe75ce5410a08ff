#include "app/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace folders {
namespace {

// A relative value is invalid in the base-directory rules: it would name a
// different folder in every working directory.
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value == '/' ? value : "";
}

std::string passwordHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return "";
    return found->pw_dir != nullptr ? found->pw_dir : "";
}

// Looked up each time (the tests change HOME); the player is told once
// that nothing of theirs is kept.
std::string home() {
    const std::string chosen = chooseHome(std::getenv("HOME"), passwordHome());
    static bool told = false;
    if (chosen.empty() && !told) {
        told = true;
        std::cout << "no home folder (HOME is unset and the password database names none): "
                     "no settings, recordings, screenshots or cache of the player's are kept"
                  << std::endl;
    }
    return chosen;
}

// `variable` when it is set to an absolute path, else `underHome` in the
// home folder; empty when neither exists.
fs::path userFolder(const char* variable, const char* underHome) {
    const std::string value = environment(variable);
    if (!value.empty()) return value;
    const std::string folder = home();
    return folder.empty() ? fs::path() : fs::path(folder) / underHome;
}

bool holdsLevel(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "SCENE.txt", error);
}

std::string made(const fs::path& folder) {
    if (folder.empty()) return "";
    std::error_code error;
    fs::create_directories(folder, error);
    return folder.string();
}

}  // namespace

std::string chooseHome(const char* variable, const std::string& fromPasswords) {
    if (variable != nullptr && *variable == '/') return variable;
    return fromPasswords.starts_with('/') ? fromPasswords : "";
}

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
    const fs::path pictures = userFolder("XDG_PICTURES_DIR", "Pictures");
    return made(pictures.empty() ? pictures : pictures / "Murkhaven");
}

std::string recordingsFolder() {
    const fs::path data = userFolder("XDG_DATA_HOME", ".local/share");
    return made(data.empty() ? data : data / "murkhaven");
}

std::string ownConfigFile() {
    const fs::path config = userFolder("XDG_CONFIG_HOME", ".config");
    return config.empty() ? "" : (config / "murkhaven" / "CONFIG.txt").string();
}

std::string settingsFile() {
    const std::string own = ownConfigFile();
    return own.empty() ? "" : (fs::path(own).parent_path() / "settings.txt").string();
}

std::string configFile(const std::string& installed, std::ostream& console) {
    const std::string own = ownConfigFile();
    std::error_code error;
    if (own.empty() || !fs::exists(own, error)) return installed;
    // A copy cut to nothing by a full disk, or one the player cannot read,
    // must not stand in for the settings the game can read.
    char first = 0;
    std::ifstream in(own, std::ios::binary);
    if (fs::is_regular_file(own, error) && in.read(&first, 1)) return own;
    console << "own settings " << own << " are empty or cannot be read; reading " << installed << std::endl;
    return installed;
}

std::string cookedFolder() {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (!error && writable("")) return (here / "cache").string();
    const fs::path cache = userFolder("XDG_CACHE_HOME", ".cache");
    return cache.empty() ? "" : (cache / "murkhaven").string();
}

std::string recordingPath(const std::string& name) {
    if (fs::path(name).has_parent_path() || writable("")) return name;
    const std::string folder = recordingsFolder();
    return folder.empty() ? name : (fs::path(folder) / name).string();
}

}  // namespace folders
