#pragma once

#include "Trash.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// The freedesktop Trash specification on Linux: where the user's trash
// folders are, and emptying them without ever leaving them.
namespace Trash {

// The top folders of the mounted file systems, from the text of
// /proc/self/mountinfo. Kernel file systems that hold no user files are left
// out, and so are automount points, which looking at would mount.
std::vector<std::string> TopDirectoriesFromMountInfo(std::string_view mountInfo);

// The one way the trash learns which file systems are mounted: tests put in
// their own folders, so no test can reach a trash it did not make. Returns
// the reader it replaced.
using MountTableReader = std::vector<std::string> (*)();
MountTableReader SetMountTableReader(MountTableReader reader);

// The one way entries are removed: tests put in a call that fails for the
// names they choose, since root may remove anything. Returns the call it
// replaced.
using UnlinkAtCall = int (*)(int dirFd, const char* name, int flags);
UnlinkAtCall SetUnlinkAt(UnlinkAtCall call);

// The trash folders of user uid that exist and the process may empty, each
// once: dataHome/Trash, and for each top folder top/.Trash/uid (only when
// .Trash is a real directory with the sticky bit) and top/.Trash-uid. A
// trash folder that is a symbolic link is not one.
std::vector<std::string> Folders(const std::string& dataHome,
                                 const std::vector<std::string>& topDirectories, uid_t uid);

} // namespace Trash
