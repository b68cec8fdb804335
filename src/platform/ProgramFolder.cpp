#include "ProgramFolder.h"

namespace ProgramFolder {

std::string ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                             const std::string& userConfigFolder) {
    return programFolderWritable ? programFolder : userConfigFolder;
}

std::string DataFolder() {
    const std::string program = ExecutableFolder();
    const bool writable = IsWritable(program);
    const std::string folder = ChooseDataFolder(program, writable, UserConfigFolder());
    if (!writable) {
        Create(folder);
    }
    return folder;
}

} // namespace ProgramFolder
