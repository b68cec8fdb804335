#include "settings/SettingsFile.h"

#include "settings/AsciiText.h"
#include "settings/FilePath.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

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

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsLeadSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsTrailSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (std::uint32_t{first} << 8) | second
                         : (std::uint32_t{second} << 8) | first;
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (IsLeadSurrogate(unit) && i + 3 < bytes.size() && IsTrailSurrogate(unitAt(i + 2))) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
            i += 2;
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

// The length and code point of the UTF-8 sequence at text[i], or length 1
// and U+FFFD for a byte that starts none.
std::pair<std::size_t, std::uint32_t> NextCodePoint(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
        return {1, lead};
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return {1, 0xFFFD};
    }
    if (i + length > text.size()) {
        return {1, 0xFFFD};
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return {1, 0xFFFD};
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF) {
        return {1, 0xFFFD};
    }
    return {length, code};
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    const auto put = [&](std::uint32_t unit) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto [length, code] = NextCodePoint(text, i);
        i += length;
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    return out;
}

} // namespace

FileText DecodeFileText(std::string_view bytes) {
    FileText file;
    if (bytes.starts_with(kUtf8Mark)) {
        file.bom = ByteOrderMark::Utf8;
        file.text = bytes.substr(kUtf8Mark.size());
        return file;
    }
    const bool little = bytes.starts_with(kUtf16LittleEndianMark);
    if (!little && !bytes.starts_with(kUtf16BigEndianMark)) {
        file.text = bytes;
        return file;
    }
    file.bom = little ? ByteOrderMark::Utf16LittleEndian : ByteOrderMark::Utf16BigEndian;
    bytes.remove_prefix(2);
    if (bytes.size() % 2 != 0) {
        file.oddByte = bytes.substr(bytes.size() - 1);
    }
    file.text = Utf16ToUtf8(bytes, !little);
    return file;
}

std::string EncodeFileText(const FileText& file) {
    switch (file.bom) {
    case ByteOrderMark::None:
        return file.text;
    case ByteOrderMark::Utf8:
        return std::string(kUtf8Mark) + file.text;
    case ByteOrderMark::Utf16LittleEndian:
        return std::string(kUtf16LittleEndianMark) + Utf8ToUtf16(file.text, false) + file.oddByte;
    case ByteOrderMark::Utf16BigEndian:
        return std::string(kUtf16BigEndianMark) + Utf8ToUtf16(file.text, true) + file.oddByte;
    }
    return file.text;
}

const FileEncoding& TextEncoding(const FileText& file, const FileEncoding& withoutMark) {
    return file.bom == ByteOrderMark::None ? withoutMark : Utf8Encoding();
}

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
    const auto status = std::filesystem::status(FilePath(path), ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return result;
    }
    result.status = ReadStatus::Failed;
    if (ec || status.type() != std::filesystem::file_type::regular) {
        return result;
    }
    std::ifstream in(FilePath(path), std::ios::binary);
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

StoredKeys::StoredKeys(FileText file, const FileEncoding& withoutMark)
    : text_(std::move(file.text)), encoding_(&TextEncoding(file, withoutMark)) {
    lines_ = ProfileFile::KeyLines(text_, kSection);
}

std::string StoredKeys::Text(std::string_view key, std::string_view defaultText) const {
    for (const ProfileFile::KeyLine& line : lines_) {
        if (ProfileFile::SameName(line.key, key)) {
            return SettingText(std::string(line.value), defaultText, *encoding_);
        }
    }
    return SettingText({}, defaultText, *encoding_);
}

std::string RenderSettings(std::string_view oldContent,
                           const std::vector<ProfileFile::Entry>& entries,
                           const FileEncoding& encoding) {
    FileText file = DecodeFileText(oldContent);
    const FileEncoding& textEncoding = TextEncoding(file, encoding);
    std::vector<ProfileFile::Entry> inFileText;
    inFileText.reserve(entries.size());
    for (const ProfileFile::Entry& entry : entries) {
        inFileText.push_back({entry.key, textEncoding.fromUtf8(entry.value)});
    }
    file.text = ProfileFile::Write(file.text, kSection, inFileText, kNewFileLineEnding);
    return EncodeFileText(file);
}

bool WriteSettings(const std::string& path, const EntriesFor& entriesFor,
                   const FileReplacer& replace, const FileEncoding& encoding) {
    const FileBytes old = ReadFileBytes(path);
    if (old.status == ReadStatus::Failed) {
        return false;
    }
    const StoredKeys current(DecodeFileText(old.bytes), encoding);
    const std::vector<ProfileFile::Entry> entries = entriesFor(current);
    if (entries.empty()) {
        return true;
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
