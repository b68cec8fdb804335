#include "ProgramFolder.h"

#include "settings/FilePath.h"
#include "settings/SettingsFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace ProgramFolder {

bool IsInstalledFolder(const std::string& folder) {
    const std::filesystem::path path = FilePath(folder).lexically_normal();
    for (const char* root : {"/usr", "/opt"}) {
        const std::filesystem::path below = path.lexically_relative(root);
        if (!below.empty() && *below.begin() != "..") {
            return true;
        }
    }
    return false;
}

DataLocation ChooseDataLocation(const std::string& programFolder, bool programFolderWritable,
                                const std::string& distrust, bool settingsBeside,
                                const std::string& userConfigFolder) {
    if (IsInstalledFolder(programFolder)) {
        return {userConfigFolder, {}, {}};
    }
    if (!distrust.empty()) {
        // Silent when the folder offers nothing we would have taken.
        std::string note;
        if (programFolderWritable || settingsBeside) {
            note = "morvatel: not using the settings beside the program (" + distrust +
                   "); using " + userConfigFolder;
        }
        return {userConfigFolder, {}, note};
    }
    if (!programFolderWritable) {
        std::string seed;
        if (settingsBeside) {
            seed = SettingsFile::PathInFolder(programFolder, SettingsFile::kFileName);
        }
        return {userConfigFolder, seed, {}};
    }
    return {programFolder, {}, {}};
}

DataLocation DataFolder() {
    const std::string program = ExecutableFolder();
    std::error_code ec;
    const bool beside = std::filesystem::exists(std::filesystem::symlink_status(
        FilePath(SettingsFile::PathInFolder(program, SettingsFile::kFileName)), ec));
    DataLocation location = ChooseDataLocation(program, IsWritable(program), Distrust(program),
                                               beside, UserConfigFolder());
    if (!location.note.empty()) {
        std::fprintf(stderr, "%s\n", location.note.c_str());
    }
    if (location.folder != program) {
        Create(location.folder);
    }
    return location;
}

std::string ShippedFile(const std::string& programFolder, const std::string& name,
                        const std::string& installed,
                        const std::function<bool(const std::string&)>& exists) {
    const std::filesystem::path folder = FilePath(programFolder);
    const std::string beside = PathText(folder / name);
    if (exists(beside)) {
        return beside;
    }
    const std::string shipped = PathText((folder / ".." / installed).lexically_normal());
    return exists(shipped) ? shipped : std::string();
}

std::string HelpPage(const std::string& programFolder,
                     const std::function<bool(const std::string&)>& exists) {
    const std::string page =
        ShippedFile(programFolder, "Readme.html", "share/morvatel/Readme.html", exists);
    return page.empty() ? PathText(FilePath(programFolder) / "Readme.html") : page;
}

} // namespace ProgramFolder
