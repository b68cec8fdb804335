#include "Autostart.h"

#include "AtomicFile.h"
#include "DesktopEntry.h"
#include "XdgFolders.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace Autostart {

namespace {

std::filesystem::path EntryPath() {
    return std::filesystem::path(XdgFolders::ConfigHome()) / "autostart" / "morvatel.desktop";
}

std::string ProgramPath() {
    std::error_code ec;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    // A program replaced on disk while it runs (an upgrade) reads as
    // "... (deleted)"; the new file at the same path is the one to start.
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.ends_with(deleted)) {
        const std::string plain = path.substr(0, path.size() - deleted.size());
        if (std::filesystem::exists(plain, ec)) {
            path = plain;
        }
    }
    return path;
}

} // namespace

bool Query() {
    std::ifstream in(EntryPath(), std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return DesktopEntry::StartsAtLogOn(text);
}

void Apply(bool on) {
    ApplyFor(on, on ? ProgramPath() : std::string());
}

void ApplyFor(bool on, const std::string& program) {
    const std::filesystem::path entry = EntryPath();
    std::error_code ec;
    if (!on) {
        std::filesystem::remove(entry, ec);
        return;
    }
    if (program.empty()) {
        return;
    }
    if (!DesktopEntry::IsUtf8(program)) {
        // Our entry would have replaced whatever is there; nothing replaces it.
        std::filesystem::remove(entry, ec);
        std::fprintf(stderr, "morvatel: not starting at log-on: the program's path is not "
                             "UTF-8, which no desktop accepts in a start entry\n");
        return;
    }
    std::filesystem::create_directories(entry.parent_path(), ec);
    // An entry linked to another file (the installed menu entry, say) is
    // replaced by our own, never written through.
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(entry, ec))) {
        std::filesystem::remove(entry, ec);
    }
    AtomicFile::Replace(entry.string(), DesktopEntry::AutostartEntry(program));
}

} // namespace Autostart
