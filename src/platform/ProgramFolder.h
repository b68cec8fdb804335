#pragma once

#include <string>

// Where the program lives and where a user's own files may go. The choice
// between the two for the settings file is made in the core (modINI).
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

// The folder that holds Morvatel.ini and Morvatel.log (modINI::DataFolder
// for this machine). The user configuration folder is created when it is the
// one chosen; if that fails it is still returned, and saving then fails
// quietly as for any folder that cannot be written.
std::string DataFolder();

} // namespace ProgramFolder
