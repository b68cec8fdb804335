#pragma once

// Clearing the desktop's list of recently used documents, a start-up chore.
namespace RecentDocuments {

// Linux: GTK's recently-used.xbel becomes an empty, valid bookmark file (so
// the programs that keep it go on working) and KDE's RecentDocuments entries
// are removed. Windows: the shell's list is cleared. Failures are silent.
void Clear();

} // namespace RecentDocuments
