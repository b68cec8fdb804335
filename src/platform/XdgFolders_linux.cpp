#include "XdgFolders.h"

#include <cstdlib>
#include <filesystem>

namespace XdgFolders {

namespace {

std::string Folder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const char* home = std::getenv("HOME");
    return (std::filesystem::path(home != nullptr ? home : "/") / underHome).string();
}

} // namespace

std::string ConfigHome() {
    return Folder("XDG_CONFIG_HOME", ".config");
}

std::string DataHome() {
    return Folder("XDG_DATA_HOME", ".local/share");
}

} // namespace XdgFolders
