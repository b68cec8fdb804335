#pragma once

#include <filesystem>
#include <string>

// The program keeps file paths as UTF-8 strings on every system. On Windows
// std::filesystem reads a narrow string in another encoding (mingw's reads
// it byte by byte, though its string() gives UTF-8 back), so a folder named
// in Japanese was lost on the way: paths cross into std::filesystem and back
// only through these two.
inline std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string PathText(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}
