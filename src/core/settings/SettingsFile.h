#pragma once

#include "settings/ProfileFile.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The key layer of the settings store: where Morvatel.ini lives, its section
// and value size, and reading and writing its keys. It knows nothing about
// what the keys mean (that is SettingsStore's part).
namespace SettingsFile {

inline constexpr std::string_view kSection = "Morvatel 1.10";
inline constexpr std::string_view kFileName = "Morvatel.ini";
inline constexpr std::string_view kLogFileName = "Morvatel.log";
// Values have always been read through a 100-byte buffer with its closing
// NUL, so files in the wild expect no more than 99 bytes to count.
inline constexpr std::size_t kValueBytes = 99;

// Line ending of a file we create; an existing file keeps its own.
#ifdef _WIN32
inline constexpr std::string_view kNewFileLineEnding = "\r\n";
#else
inline constexpr std::string_view kNewFileLineEnding = "\n";
#endif

// The settings file's text encoding, converted at the file boundary: the
// core works in UTF-8, the file is in the ANSI code page on Windows. The
// platform supplies the real one (TextCodec::SettingsEncoding()).
struct FileEncoding {
    std::string (*toUtf8)(std::string_view fileText);
    std::string (*fromUtf8)(std::string_view utf8);
    // Longest prefix of file text, at most maxBytes, not ending inside a
    // character.
    std::size_t (*prefixLength)(std::string_view fileText, std::size_t maxBytes);
};

// Files that are UTF-8 already, as on Linux.
const FileEncoding& Utf8Encoding();

// A byte-order mark decides a file's encoding on every system, as the
// system's own profile functions do: after a UTF-8 or UTF-16 mark the file is
// Unicode whatever the code page. A file without one is in the platform's
// encoding (the FileEncoding the caller gives).
enum class ByteOrderMark { None, Utf8, Utf16LittleEndian, Utf16BigEndian };

struct FileText {
    ByteOrderMark bom = ByteOrderMark::None;
    // After a mark, the text as UTF-8 (an unpaired UTF-16 surrogate is kept as
    // its three-byte form, so nothing is lost); without one, the bytes as they
    // are.
    std::string text;
    // The odd last byte of a UTF-16 file, put back as it was.
    std::string oddByte;
};
FileText DecodeFileText(std::string_view bytes);
// The bytes of file, its mark first: DecodeFileText's inverse.
std::string EncodeFileText(const FileText& file);
// The encoding file.text is in.
const FileEncoding& TextEncoding(const FileText& file, const FileEncoding& withoutMark);

// Replaces a whole file in one step. False on any failure, and then the old
// file must be as it was. The platform's is AtomicFile::Replace; tests
// inject their own.
using FileReplacer = std::function<bool(const std::string& path, const std::string& content)>;

// folder + separator (unless folder already ends in one) + fileName.
std::string PathInFolder(const std::string& folder, std::string_view fileName);

enum class ReadStatus {
    Missing, // no such file: every key has its default
    Read,
    Failed, // there is a file but it could not be read: it must not be overwritten
};
struct FileBytes {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
};
FileBytes ReadFileBytes(const std::string& path);

// What a value as stored in the file reads as: cut at a NUL and at
// kValueBytes (on a character boundary), converted to UTF-8; defaultText
// when that leaves it empty.
std::string SettingText(std::string stored, std::string_view defaultText,
                        const FileEncoding& encoding = Utf8Encoding());

// Our section's keys as a file holds them, read in one pass. Only the few
// keys of the program are ever looked up, each with one pass over the key
// lines, so a file of any size loads in linear time.
class StoredKeys {
public:
    StoredKeys() = default; // no file: every key missing
    StoredKeys(FileText file, const FileEncoding& withoutMark);
    // The key lines point into the text held here.
    StoredKeys(const StoredKeys&) = delete;
    StoredKeys& operator=(const StoredKeys&) = delete;

    // SettingText of the first stored value of key.
    std::string Text(std::string_view key, std::string_view defaultText) const;

private:
    std::string text_;
    std::vector<ProfileFile::KeyLine> lines_;
    const FileEncoding* encoding_ = &Utf8Encoding();
};

// New file content: oldContent with the UTF-8 entries written into our
// section, every line we do not own left as it was.
std::string RenderSettings(std::string_view oldContent,
                           const std::vector<ProfileFile::Entry>& entries,
                           const FileEncoding& encoding = Utf8Encoding());

// Reads the file once, asks entriesFor what to write given the keys the file
// holds now, renders the new content and hands it to replace once. Returns
// true when the file holds the entries afterwards (also when nothing had to
// change and so nothing was written). A file that exists but cannot be read
// is not replaced, since its other lines would be lost.
using EntriesFor = std::function<std::vector<ProfileFile::Entry>(const StoredKeys& current)>;
bool WriteSettings(const std::string& path, const EntriesFor& entriesFor,
                   const FileReplacer& replace, const FileEncoding& encoding = Utf8Encoding());

// "yes" or "no" in any letter case; anything else (True, 1, empty) is the
// default.
bool ParseYesNo(std::string_view text, bool defaultFlag);
std::string FormatYesNo(bool flag);

} // namespace SettingsFile
