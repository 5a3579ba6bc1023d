#include "shell/SettingsLocation.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace vellinor {

namespace fs = std::filesystem;

std::string ExecutablePath() {
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string SettingsFilePath(const std::string& executablePath, const std::string& configHome) {
    if (!executablePath.empty()) {
        fs::path beside(executablePath);
        beside.replace_extension(".ini");
        const fs::path folder = beside.parent_path();
        if (!folder.empty() && access(folder.c_str(), W_OK) == 0) return beside.string();
    }
    fs::path base;
    if (!configHome.empty() && fs::path(configHome).is_absolute()) {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".config";
    }
    return (base / "vellinor" / "vellinor.ini").string();
}

std::string DefaultSettingsFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    return SettingsFilePath(ExecutablePath(), config != nullptr ? config : "");
}

} // namespace vellinor
