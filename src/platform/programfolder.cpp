#include "platform/ProgramFolder.h"

#include "app/modINI.h"

namespace ProgramFolder {

std::string DataFolder() {
    const std::string program = ExecutableFolder();
    const bool writable = IsWritable(program);
    const std::string folder = modINI::DataFolder(program, writable, UserConfigFolder());
    if (!writable) {
        Create(folder);
    }
    return folder;
}

} // namespace ProgramFolder
