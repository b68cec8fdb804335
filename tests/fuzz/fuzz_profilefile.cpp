// Arbitrary bytes as a settings file, and arbitrary values written into it.
// Checks what a user relies on: a written value reads back (cut at 99 bytes
// on a character boundary), nothing else changes meaning, every foreign line
// survives in order, a byte-order mark is kept, and loading then saving
// settles after one round.
#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kSection = SettingsFile::kSection;
constexpr std::string_view kOther = "Other";
const char* const kKeys[] = {"Blink", "blink", "DateFormat", "NTP_Server", "XPosR", "K", ""};

// Names the broken invariant's line before stopping.
void Check(bool ok, int line = __builtin_LINE()) {
    if (!ok) {
        std::fprintf(stderr, "invariant at line %d broken\n", line);
        std::abort();
    }
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Lines with their endings: CR LF, LF or a CR of its own.
std::vector<std::string_view> Segments(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            out.push_back(text.substr(pos));
            break;
        }
        end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

// The value of key in section, as the loader finds it.
std::string Read(std::string_view content, std::string_view section, std::string_view key) {
    for (const ProfileFile::KeyLine& line : ProfileFile::KeyLines(content, section)) {
        if (ProfileFile::SameName(line.key, key)) {
            return std::string(line.value);
        }
    }
    return {};
}

// Could this line be the one a write of key replaced?
bool MayBeKeyLine(std::string_view line, const std::string& lowerKey) {
    std::string l = Lower(line);
    std::size_t i = l.find_first_not_of(" \t\r\v\f");
    if (i == std::string::npos || l.compare(i, lowerKey.size(), lowerKey) != 0) {
        return false;
    }
    i = l.find_first_not_of(" \t\r\v\f", i + lowerKey.size());
    return i != std::string::npos && l[i] == '=';
}

std::string Sanitised(std::string_view value) {
    std::string v(value);
    for (char& c : v) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = ' ';
        }
    }
    return v;
}

std::string SaveOnce(const std::string& content) {
    SettingsRecord s;
    SettingsStore::LoadFrom(s, content);
    const SettingsStore::WindowPosition w{100, 50, 1000, 500};
    return SettingsFile::RenderSettings(content, SettingsStore::Entries(s, w));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string content = in.ConsumeRandomLengthString(4096);
    std::vector<ProfileFile::Entry> entries;
    const std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const char* key = kKeys[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 2)];
        entries.push_back({key, in.ConsumeRandomLengthString(200)});
    }

    const std::string out = ProfileFile::Write(content, kSection, entries, "\n");

    // Each key reads back as its last write, and through the key layer as the
    // first 99 bytes, never ending inside a character.
    for (const char* key : kKeys) {
        const std::string lowerKey = Lower(key);
        const ProfileFile::Entry* last = nullptr;
        for (const ProfileFile::Entry& e : entries) {
            if (Lower(e.key) == lowerKey) {
                last = &e;
            }
        }
        const std::string now = Read(out, kSection, key);
        if (last != nullptr) {
            const std::string expected = Sanitised(last->value);
            Check(now == expected);
            const std::size_t cut =
                ProfileFile::Utf8PrefixLength(expected, SettingsFile::kValueBytes);
            Check(cut <= SettingsFile::kValueBytes);
            Check(SettingsFile::SettingText(now, "") == expected.substr(0, cut));
        } else {
            Check(now == Read(content, kSection, key));
        }
        Check(Read(out, kOther, key) == Read(content, kOther, key));
    }

    // Every line not possibly replaced survives byte for byte, in order. A
    // last line without a line ending may have been given one.
    std::vector<std::string> written;
    for (const ProfileFile::Entry& e : entries) {
        written.push_back(Lower(e.key));
    }
    const std::vector<std::string_view> before = Segments(content);
    const std::vector<std::string_view> after = Segments(out);
    const bool openEnd = !content.empty() && content.back() != '\n' && content.back() != '\r';
    std::size_t at = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::string_view line = before[i];
        bool replaceable = false;
        for (const std::string& k : written) {
            replaceable = replaceable || MayBeKeyLine(line, k);
        }
        if (replaceable) {
            continue;
        }
        const bool last = openEnd && i + 1 == before.size();
        const auto matches = [&](std::string_view candidate) {
            if (candidate == line) {
                return true;
            }
            const std::string_view added =
                candidate.substr(std::min(line.size(), candidate.size()));
            return last && candidate.starts_with(line) &&
                   (added == "\n" || added == "\r\n" || added == "\r");
        };
        while (at < after.size() && !matches(after[at])) {
            ++at;
        }
        Check(at < after.size());
        ++at;
    }

    // Writing the same again changes nothing.
    Check(ProfileFile::Write(out, kSection, entries, "\n") == out);

    // A byte-order mark changes how the bytes are read, never the bytes.
    Check(SettingsFile::EncodeFileText(SettingsFile::DecodeFileText(content)) == content);

    // Loading and saving the whole record settles after one round.
    const std::string once = SaveOnce(content);
    Check(SaveOnce(once) == once);
    return 0;
}
