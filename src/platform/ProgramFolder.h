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

// Why the program's own folder must not hold the user's settings although
// it may be writable, or empty when it may. On Linux the folder and any
// Morvatel.ini or Morvatel.log in it, each judged as itself (a link as the
// link), must belong to `user` or root and be writable by no one else: another
// local user could otherwise plant settings that run the start-up chores, or a
// log that is a link to one of the victim's files. The folders above are not
// examined, so a private folder under /tmp still counts. Windows trusts the
// folder as it always has.
std::string Distrust(const std::string& folder, unsigned user);
std::string Distrust(const std::string& folder); // for this process's user

// Why code in `file` must not be loaded, or empty when it may: the file, with
// links resolved, and the folder holding it must belong to this process's
// user or root and be writable by no one else. Linux only.
std::string DistrustCode(const std::string& file);

struct DataLocation {
    std::string folder; // where Morvatel.ini and Morvatel.log live
    std::string seed;   // a Morvatel.ini to start the user's from, or empty
    std::string note;   // one line for stderr, or empty
};

// The program's own folder when it is writable, trusted and not an installed
// one (a copy carried on a stick keeps its settings with it), else the user's
// configuration folder. A copy on read-only media still brings its settings:
// the Morvatel.ini beside it seeds the user's file once.
DataLocation ChooseDataLocation(const std::string& programFolder, bool programFolderWritable,
                                const std::string& distrust, bool settingsBeside,
                                const std::string& userConfigFolder);

// ChooseDataLocation for this machine, with its note printed. The user
// configuration folder is created when it is the one chosen; if that fails
// it is still returned, and saving then fails quietly as for any folder that
// cannot be written.
DataLocation DataFolder();

// Copies the settings at `from` to `to` unless `to` exists already (the
// user's own file always wins). Only a regular file is read, without waiting
// on a pipe. False when nothing was copied.
bool Seed(const std::string& from, const std::string& to);

// A file that comes with the program: `name` beside it (a build folder, or a
// copy carried as one folder), else <prefix>/`installed` when the program is
// <prefix>/bin/morvatel; empty when neither exists.
std::string ShippedFile(const std::string& programFolder, const std::string& name,
                        const std::string& installed,
                        const std::function<bool(const std::string&)>& exists);

// The help page: Readme.html as a shipped file from share/morvatel, else the
// one beside the program, so that opening it fails quietly.
std::string HelpPage(const std::string& programFolder,
                     const std::function<bool(const std::string&)>& exists);

} // namespace ProgramFolder
