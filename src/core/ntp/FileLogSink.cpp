#include "ntp/FileLogSink.h"

#include <filesystem>
#include <fstream>

namespace ntp {

void FileLogSink::AppendLine(const std::string& line) {
    if (path_.empty()) {
        return;
    }
    // The path is UTF-8 wherever it came from.
    std::u8string utf8;
    utf8.reserve(path_.size());
    for (const char c : path_) {
        utf8.push_back(static_cast<char8_t>(c));
    }
    const std::filesystem::path path(utf8);
    std::ofstream file(path, std::ios::binary | std::ios::app);
    if (!file) {
        return;
    }
    file.write(line.data(), static_cast<std::streamsize>(line.size()));
}

} // namespace ntp
