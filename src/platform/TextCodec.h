#pragma once

#include "settings/SettingsFile.h"

#include <cstddef>
#include <string>
#include <string_view>

// The text of Morvatel.ini and Morvatel.log: UTF-8 on Linux, the system's
// ANSI code page on Windows, where older copies of the program and the
// user's editor expect it. The program works in UTF-8 and converts here.
namespace TextCodec {

std::string FileTextToUtf8(std::string_view fileText);

// Characters the file's code page lacks become '?'.
std::string Utf8ToFileText(std::string_view utf8);

// Length of the longest prefix of file text, at most maxBytes, that does not
// end inside a (multibyte) character.
std::size_t FileTextPrefix(std::string_view fileText, std::size_t maxBytes);

// The three together, as the settings store takes them.
const SettingsFile::FileEncoding& SettingsEncoding();

} // namespace TextCodec
