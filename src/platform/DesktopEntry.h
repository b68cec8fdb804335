#pragma once

#include <string>
#include <string_view>

// Desktop entry files (the freedesktop Desktop Entry specification), as far
// as the log-on start needs them.
namespace DesktopEntry {

// A value of type string as the file holds it: backslash, newline, tab and
// carriage return escaped, and a leading space as \s.
std::string EscapeString(std::string_view value);

// One argument of an Exec line that a launcher reads back as exactly
// `argument`: quoted, with " ` $ \ escaped inside the quotes and % doubled,
// and then escaped as a string value. The two escapings stack, so a
// backslash in the argument becomes four in the file.
std::string ExecArgument(std::string_view argument);

// Whether text is well-formed UTF-8, as every desktop entry must be: a
// desktop refuses a file that is not.
bool IsUtf8(std::string_view text);

// The autostart entry that starts the program at programPath.
std::string AutostartEntry(std::string_view programPath);

// Whether the text of an autostart entry starts a program at log-on: a
// well-formed file whose first group is [Desktop Entry], with
// Type=Application and a non-empty Exec, and neither Hidden=true nor
// X-GNOME-Autostart-enabled=false (both mean the entry is switched off),
// in UTF-8.
bool StartsAtLogOn(std::string_view text);

} // namespace DesktopEntry
