// The settings file must read on Windows as the system's own profile
// functions read it. Every file of the profile fuzzer's corpus (its seeds
// include hand-made quirky files) goes through our reader and through
// GetPrivateProfileStringA, and every key either of them sees must read the
// same, through the same 100-byte buffer the program has always used.
#include "TempFolder.h"
#include "TextCodec.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>
#include <windows.h>

namespace {

namespace fs = std::filesystem;

// The fuzz target reads its file content with FuzzedDataProvider's
// ConsumeRandomLengthString: a backslash escapes a backslash, and a
// backslash before anything else ends the string.
std::string FuzzedContent(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && out.size() < 4096; ++i) {
        char c = bytes[i];
        if (c == '\\' && i + 1 < bytes.size()) {
            c = bytes[++i];
            if (c != '\\') {
                break;
            }
        }
        out += c;
    }
    return out;
}

// The names a NUL-separated list holds, as the profile functions give them.
std::vector<std::string> SplitList(const std::vector<char>& buffer, DWORD length) {
    std::vector<std::string> names;
    for (std::size_t at = 0; at < length && buffer[at] != '\0';) {
        const std::string name(&buffer[at]);
        names.push_back(name);
        at += name.size() + 1;
    }
    return names;
}

std::vector<std::string> SystemSections(const std::string& path) {
    std::vector<char> buffer(1 << 16);
    return SplitList(buffer, GetPrivateProfileSectionNamesA(
                                 buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str()));
}

std::vector<std::string> SystemKeys(const std::string& path, const std::string& section) {
    std::vector<char> buffer(1 << 16);
    return SplitList(buffer,
                     GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                              static_cast<DWORD>(buffer.size()), path.c_str()));
}

// What the program would get from the system: the value through a 100-byte
// buffer, up to its first NUL, in UTF-8. The buffer starts as NULs, as the
// program's always did: where the cut falls inside a double-byte character,
// the system reports 99 bytes but leaves the last one unwritten.
std::string SystemValue(const std::string& path, const std::string& section,
                        const std::string& key) {
    char buffer[100] = {};
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                             sizeof buffer, path.c_str());
    return SettingsFile::SettingText(std::string(buffer, n), "", TextCodec::SettingsEncoding());
}

// As the program loads it: a byte-order mark decides the encoding first.
std::string OurValue(std::string_view content, const std::string& section, const std::string& key) {
    const SettingsFile::FileText file = SettingsFile::DecodeFileText(content);
    std::string stored;
    for (const ProfileFile::KeyLine& line : ProfileFile::KeyLines(file.text, section)) {
        if (ProfileFile::SameName(line.key, key)) {
            stored = line.value;
            break;
        }
    }
    return SettingsFile::SettingText(
        stored, "", SettingsFile::TextEncoding(file, TextCodec::SettingsEncoding()));
}

std::string Shown(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return "<" + out + ">";
}

// Names that differ only in ASCII case are one name to both readers.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return _stricmp(a.c_str(), b.c_str()) < 0;
    }
};

struct Difference {
    std::string key;
    std::string text;
};

// Every difference in one file.
std::vector<Difference> Differences(const std::string& content, const std::string& path) {
    std::vector<Difference> found;
    std::set<std::string, NoCase> sections{std::string(SettingsFile::kSection)};
    for (const std::string& s : SystemSections(path)) {
        sections.insert(s);
    }
    for (const std::string& section : sections) {
        std::set<std::string, NoCase> keys{"Blink", "NTP_Server", "DateFormat", "TopMost"};
        for (const std::string& k : SystemKeys(path, section)) {
            keys.insert(k);
        }
        const std::string text = SettingsFile::DecodeFileText(content).text;
        for (const ProfileFile::KeyLine& line : ProfileFile::KeyLines(text, section)) {
            keys.insert(std::string(line.key));
        }
        for (const std::string& key : keys) {
            const std::string ours = OurValue(content, section, key);
            const std::string system = SystemValue(path, section, key);
            if (ours != system) {
                found.push_back({key, "[" + section + "] " + Shown(key) + ": ours " + Shown(ours) +
                                          ", system " + Shown(system)});
            }
        }
    }
    return found;
}

// Where our reader and the system's differ on purpose, or where Wine (which
// stands in for the system here) differs from Windows. A listed key that
// reads the same again fails too, so the list stays true.
struct KnownDifference {
    const char* file;
    const char* key;
    const char* reason;
};
const KnownDifference kKnownDifferences[] = {
    {"comments", "#TopMost",
     "'#' starts a comment line for us, as for the Linux tools; the system reads a key named "
     "'#TopMost', a name the program never asks for"},
    {"unclosed_header", "TopMost",
     "a header without its ']' still opens a section for us, so a save never writes our keys "
     "below another section's header; the system reads the line as a key"},
    {"unclosed_headers", "Blink", "the same"},
    {"unclosed_headers", "TopMost", "the same"},
    {"nul_byte_in_header", "Blink",
     "the system matches section names as C strings, so [Morv<NUL>atel 1.10] answers to "
     "'Morv'; the program only asks for its own section, which neither reader finds there"},
};

const KnownDifference* Known(const std::string& file, const std::string& key) {
    for (const KnownDifference& known : kKnownDifferences) {
        if (file == known.file && key == known.key) {
            return &known;
        }
    }
    return nullptr;
}

std::vector<fs::path> CorpusFiles() {
    std::vector<fs::path> files;
    std::vector<fs::path> folders{MORVATEL_PROFILE_CORPUS};
    // A developer may add a fuzzing run's own corpus.
    if (const char* extra = std::getenv("MORVATEL_PROFILE_CORPUS")) {
        folders.emplace_back(extra);
    }
    for (const fs::path& folder : folders) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    return files;
}

TEST(ProfileCompat, EveryKeyReadsAsTheSystemReadsIt) {
    TempFolder folder;
    const std::vector<fs::path> files = CorpusFiles();
    ASSERT_FALSE(files.empty());
    std::set<const KnownDifference*> seen;
    int index = 0;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        const std::string content = FuzzedContent(Slurp(file.string()));
        // A name per file: the system caches what it read by name and time.
        const std::string path = folder.File("case-" + std::to_string(index++) + ".ini");
        Put(path, content);
        for (const Difference& difference : Differences(content, path)) {
            if (const KnownDifference* known = Known(name, difference.key)) {
                seen.insert(known);
                continue;
            }
            ADD_FAILURE() << name << " " << difference.text;
        }
    }
    for (const KnownDifference& known : kKnownDifferences) {
        EXPECT_TRUE(seen.count(&known) == 1)
            << known.file << " " << known.key << " now reads as the system reads it";
    }
}

} // namespace
