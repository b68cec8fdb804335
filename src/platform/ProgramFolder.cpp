#include "ProgramFolder.h"

#include <filesystem>

namespace ProgramFolder {

bool IsInstalledFolder(const std::string& folder) {
    const std::filesystem::path path = std::filesystem::path(folder).lexically_normal();
    for (const char* root : {"/usr", "/opt"}) {
        const std::filesystem::path below = path.lexically_relative(root);
        if (!below.empty() && *below.begin() != "..") {
            return true;
        }
    }
    return false;
}

std::string ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                             const std::string& userConfigFolder) {
    return programFolderWritable && !IsInstalledFolder(programFolder) ? programFolder
                                                                      : userConfigFolder;
}

std::string DataFolder() {
    const std::string program = ExecutableFolder();
    const std::string folder = ChooseDataFolder(program, IsWritable(program), UserConfigFolder());
    if (folder != program) {
        Create(folder);
    }
    return folder;
}

std::string HelpPage(const std::string& programFolder,
                     const std::function<bool(const std::string&)>& exists) {
    const std::filesystem::path folder(programFolder);
    const std::string beside = (folder / "Readme.html").string();
    if (exists(beside)) {
        return beside;
    }
    const std::string installed =
        (folder / ".." / "share" / "morvatel" / "Readme.html").lexically_normal().string();
    return exists(installed) ? installed : beside;
}

} // namespace ProgramFolder
