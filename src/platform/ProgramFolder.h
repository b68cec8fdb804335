#pragma once

#include <string>

// Where the program lives and where a user's own files may go.
namespace ProgramFolder {

// Folder of the running executable, without a trailing separator.
std::string ExecutableFolder();

// True when a new file can be created in the folder.
bool IsWritable(const std::string& folder);

// The per-user configuration folder of the program ($XDG_CONFIG_HOME/morvatel
// on Linux, %APPDATA%\Morvatel on Windows); not created here.
std::string UserConfigFolder();

// Creates the folder and its parents; false when that is not possible.
bool Create(const std::string& folder);

// The folder for Morvatel.ini and Morvatel.log: the program's own folder when
// it is writable (a copy carried on a stick keeps its settings with it), else
// the user's configuration folder.
std::string ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                             const std::string& userConfigFolder);

// ChooseDataFolder for this machine. The user configuration folder is
// created when it is the one chosen; if that fails it is still returned, and
// saving then fails quietly as for any folder that cannot be written.
std::string DataFolder();

} // namespace ProgramFolder
