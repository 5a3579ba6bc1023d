#pragma once
// Where the settings file lives: beside the executable with its base name and
// ".ini" when that folder is writable (a portable or build-tree run), else in
// the user's configuration folder, because an installed program cannot write
// beside itself.

#include <string>

namespace vellinor {

// The full path of the running executable (empty when unknown).
std::string ExecutablePath();

// configHome: $XDG_CONFIG_HOME, or empty to use $HOME/.config.
std::string SettingsFilePath(const std::string& executablePath, const std::string& configHome);

// The settings path of this process.
std::string DefaultSettingsFilePath();

} // namespace vellinor
