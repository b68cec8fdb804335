#pragma once

#include <functional>
#include <string>

// Where the program lives and where a user's own files may go.
namespace ProgramFolder {

// Folder of the running executable, without a trailing separator.
std::string ExecutableFolder();

// True when a new file can be created in the folder.
bool IsWritable(const std::string& folder);

// True for a folder under /usr (so /usr/local too) or /opt: there the
// program was installed for everyone, and a user's files never belong beside
// it, even when the user is root and could write there.
bool IsInstalledFolder(const std::string& folder);

// The per-user configuration folder of the program ($XDG_CONFIG_HOME/morvatel
// on Linux, %APPDATA%\Morvatel on Windows); not created here.
std::string UserConfigFolder();

// Creates the folder and its parents; false when that is not possible.
bool Create(const std::string& folder);

// The folder for Morvatel.ini and Morvatel.log: the program's own folder when
// it is writable and not an installed one (a copy carried on a stick keeps its
// settings with it), else the user's configuration folder.
std::string ChooseDataFolder(const std::string& programFolder, bool programFolderWritable,
                             const std::string& userConfigFolder);

// ChooseDataFolder for this machine. The user configuration folder is
// created when it is the one chosen; if that fails it is still returned, and
// saving then fails quietly as for any folder that cannot be written.
std::string DataFolder();

// The help page: Readme.html beside the program, else the one installed with
// it in <prefix>/share/morvatel when the program is <prefix>/bin/morvatel,
// else the one beside the program again, so that opening it fails quietly.
std::string HelpPage(const std::string& programFolder,
                     const std::function<bool(const std::string&)>& exists);

} // namespace ProgramFolder
