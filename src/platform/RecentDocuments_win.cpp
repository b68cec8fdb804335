#include "RecentDocuments.h"

#include <windows.h>

#include <shlobj.h>

namespace RecentDocuments {

void Clear() {
    // A null path clears the whole list.
    SHAddToRecentDocs(SHARD_PATHW, nullptr);
}

} // namespace RecentDocuments
