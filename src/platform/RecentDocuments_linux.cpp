#include "RecentDocuments.h"

#include "AtomicFile.h"
#include "XdgFolders.h"

#include <filesystem>
#include <system_error>

namespace RecentDocuments {

namespace {

// What GTK itself writes for an empty list.
constexpr const char* kEmptyBookmarks =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\"\n"
    "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
    "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
    ">\n"
    "</xbel>\n";

} // namespace

void Clear() {
    namespace fs = std::filesystem;
    const fs::path data = XdgFolders::DataHome();
    std::error_code ec;

    // Only a list that exists is emptied: a desktop without one gets none.
    const fs::path xbel = data / "recently-used.xbel";
    if (fs::exists(fs::symlink_status(xbel, ec))) {
        AtomicFile::Replace(xbel.string(), kEmptyBookmarks);
    }

    const fs::path kde = data / "RecentDocuments";
    if (!fs::is_directory(fs::symlink_status(kde, ec))) {
        return;
    }
    for (fs::directory_iterator it(kde, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& entry = it->path();
        std::error_code skipped; // an entry that cannot go does not stop the rest
        // A link is removed as a link; folders are not the list's.
        if (entry.extension() == ".desktop" &&
            !fs::is_directory(fs::symlink_status(entry, skipped))) {
            fs::remove(entry, skipped);
        }
    }
}

} // namespace RecentDocuments
