#include "ProgramFolder.h"
#include "XdgFolders.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace ProgramFolder {

std::string ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return std::filesystem::current_path(ec).string();
    }
    return exe.parent_path().string();
}

bool IsWritable(const std::string& folder) {
    // access() answers for the real user, which is what matters for a
    // program that never changes its identity.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string UserConfigFolder() {
    return (std::filesystem::path(XdgFolders::ConfigHome()) / "morvatel").string();
}

bool Create(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

} // namespace ProgramFolder
