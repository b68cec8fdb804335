#pragma once

#include <string>

// The base folders of the XDG Base Directory specification. A variable that
// is unset, empty or not absolute is ignored, as the XDG rules say, and
// the folder under $HOME is used instead.
namespace XdgFolders {

std::string ConfigHome(); // $XDG_CONFIG_HOME, else ~/.config
std::string DataHome();   // $XDG_DATA_HOME, else ~/.local/share

} // namespace XdgFolders
