#include "settings/SettingsFile.h"

#include "settings/AsciiText.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace SettingsFile {

namespace {

std::string Utf8Identity(std::string_view text) {
    return std::string(text);
}

bool EndsWithSeparator(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    const char last = folder.back();
#ifdef _WIN32
    return last == '\\' || last == '/';
#else
    return last == '/';
#endif
}

} // namespace

const FileEncoding& Utf8Encoding() {
    static constexpr FileEncoding encoding{&Utf8Identity, &Utf8Identity,
                                           &ProfileFile::Utf8PrefixLength};
    return encoding;
}

std::string PathInFolder(const std::string& folder, std::string_view fileName) {
    if (folder.empty()) {
        return std::string(fileName);
    }
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    std::string path = folder;
    if (!EndsWithSeparator(path)) {
        path.push_back(separator);
    }
    path.append(fileName);
    return path;
}

FileBytes ReadFileBytes(const std::string& path) {
    FileBytes result;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return result;
    }
    result.status = ReadStatus::Failed;
    if (ec || status.type() != std::filesystem::file_type::regular) {
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return result;
    }
    result.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        result.bytes.clear();
        return result;
    }
    result.status = ReadStatus::Read;
    return result;
}

std::string SettingText(std::string stored, std::string_view defaultText,
                        const FileEncoding& encoding) {
    const std::size_t nul = stored.find('\0');
    if (nul != std::string::npos) {
        stored.resize(nul);
    }
    stored.resize(encoding.prefixLength(stored, kValueBytes));
    std::string text = encoding.toUtf8(stored);
    if (text.empty() && !defaultText.empty()) {
        return std::string(defaultText);
    }
    return text;
}

std::string ReadSettingFrom(std::string_view fileContent, std::string_view key,
                            std::string_view defaultText, const FileEncoding& encoding) {
    return SettingText(ProfileFile::Read(fileContent, kSection, key), defaultText, encoding);
}

std::string RenderSettings(std::string_view oldContent,
                           const std::vector<ProfileFile::Entry>& entries,
                           const FileEncoding& encoding) {
    std::vector<ProfileFile::Entry> inFileText;
    inFileText.reserve(entries.size());
    for (const ProfileFile::Entry& entry : entries) {
        inFileText.push_back({entry.key, encoding.fromUtf8(entry.value)});
    }
    return ProfileFile::Write(oldContent, kSection, inFileText, kNewFileLineEnding);
}

bool WriteSettings(const std::string& path, const std::vector<ProfileFile::Entry>& entries,
                   const FileReplacer& replace, const FileEncoding& encoding) {
    if (entries.empty()) {
        return true;
    }
    const FileBytes old = ReadFileBytes(path);
    if (old.status == ReadStatus::Failed) {
        return false;
    }
    const std::string content = RenderSettings(old.bytes, entries, encoding);
    if (old.status == ReadStatus::Read && content == old.bytes) {
        return true; // spares the disk a write at every exit
    }
    return replace && replace(path, content);
}

bool ParseYesNo(std::string_view text, bool defaultFlag) {
    if (AsciiText::EqualNoCase(text, "yes")) {
        return true;
    }
    if (AsciiText::EqualNoCase(text, "no")) {
        return false;
    }
    return defaultFlag;
}

std::string FormatYesNo(bool flag) {
    return flag ? "Yes" : "No";
}

} // namespace SettingsFile
