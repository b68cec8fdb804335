#include "settings/ProfileFile.h"

#include "settings/AsciiText.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace ProfileFile {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// One line of the file; text excludes the line ending, which is kept apart so
// that a rewrite can put back exactly what was there ("\r\n", "\n" or nothing
// on a last line without one).
struct Line {
    std::string_view text;
    std::string_view eol;
};

// A carriage return of its own ends a line too, on every system: Windows'
// profile functions read such a file that way, and a file written with old
// Mac line ends must not read as one line anywhere.
constexpr std::string_view kLineBreaks = "\r\n";

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find_first_of(kLineBreaks, pos);
        if (end != std::string_view::npos && content[end] == '\r' && end + 1 < content.size() &&
            content[end + 1] == '\n') {
            ++end; // CR LF is one line break
        }
        if (end == std::string_view::npos) {
            lines.push_back({content.substr(pos), {}});
            break;
        }
        const std::size_t next = end + 1;
        if (content[end] == '\n' && end > pos && content[end - 1] == '\r') {
            --end;
        }
        lines.push_back({content.substr(pos, end - pos), content.substr(end, next - end)});
        pos = next;
    }
    return lines;
}

// The section name of a header line, or nothing when the line is no header.
// A header without its closing bracket still opens a section: treating it as
// a key line would let a save write our keys into the wrong place.
std::optional<std::string_view> HeaderName(std::string_view text) {
    const std::string_view t = Trim(text);
    if (t.empty() || t.front() != '[') {
        return std::nullopt;
    }
    std::string_view name = t.substr(1);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos) {
        name = name.substr(0, close);
    }
    return Trim(name);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view text) {
    const std::string_view t = Trim(text);
    if (t.empty() || t.front() == '[' || t.front() == ';' || t.front() == '#') {
        return std::nullopt;
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Index of the first header of section, or lines.size() when there is none.
std::size_t FindSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = HeaderName(lines[i].text);
        if (name && SameName(*name, section)) {
            return i;
        }
    }
    return lines.size();
}

std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && !HeaderName(lines[i].text)) {
        ++i;
    }
    return i;
}

// What Write builds: lines it owns are held in strings of their own, the rest
// still point into the old content.
struct OutLine {
    std::string_view text;
    std::string_view eol;
    std::string owned;
    bool isOwned = false;

    std::string_view Text() const { return isOwned ? std::string_view(owned) : text; }
};

OutLine OwnedLine(std::string text, std::string_view eol) {
    OutLine line;
    line.owned = std::move(text);
    line.isOwned = true;
    line.eol = eol;
    return line;
}

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    return AsciiText::EqualNoCase(a, b);
}

std::vector<Entry> ReadSection(std::string_view content, std::string_view section) {
    std::vector<Entry> entries;
    // Names met so far, so that a file of many keys reads in linear time.
    std::unordered_set<std::string> seen;
    const std::vector<Line> lines = SplitLines(content);
    const std::size_t header = FindSection(lines, section);
    if (header == lines.size()) {
        return entries;
    }
    const std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto kv = ParseKeyLine(lines[i].text);
        if (!kv) {
            continue;
        }
        if (seen.insert(AsciiText::Lower(kv->key)).second) {
            entries.push_back({std::string(kv->key), std::string(Unquote(kv->value))});
        }
    }
    return entries;
}

std::string Write(std::string_view content, std::string_view section,
                  const std::vector<Entry>& entries, std::string_view newFileLineEnding) {
    if (entries.empty()) {
        return std::string(content);
    }
    const std::vector<Line> lines = SplitLines(content);

    // New lines follow the file's habit, judged by its first line ending.
    std::string_view eol = newFileLineEnding;
    for (const Line& line : lines) {
        if (!line.eol.empty()) {
            eol = line.eol;
            break;
        }
    }

    std::vector<OutLine> out;
    out.reserve(lines.size() + entries.size() + 2);
    for (const Line& line : lines) {
        OutLine o;
        o.text = line.text;
        o.eol = line.eol;
        out.push_back(std::move(o));
    }

    std::size_t header = FindSection(lines, section);
    std::size_t end = 0;
    if (header == lines.size()) {
        if (!out.empty()) {
            if (out.back().eol.empty()) {
                out.back().eol = eol;
            }
            if (!Trim(out.back().Text()).empty()) {
                out.push_back(OwnedLine({}, eol));
            }
        }
        out.push_back(OwnedLine("[" + std::string(section) + "]", eol));
        header = out.size() - 1;
        end = out.size();
    } else {
        end = SectionEnd(lines, header);
    }
    // Key lines of the section by lower-cased name, first line of each. New
    // lines only ever go in right after the last key line, so the lines
    // recorded here never move.
    std::unordered_map<std::string, std::size_t> keyLines;
    std::size_t lastKey = header;
    for (std::size_t i = header + 1; i < end; ++i) {
        if (const auto kv = ParseKeyLine(out[i].Text())) {
            keyLines.try_emplace(AsciiText::Lower(kv->key), i);
            lastKey = i;
        }
    }

    for (const Entry& entry : entries) {
        std::string text = entry.key + "=" + EncodeValue(entry.value);
        const std::string name = AsciiText::Lower(entry.key);
        if (const auto found = keyLines.find(name); found != keyLines.end()) {
            out[found->second].owned = std::move(text);
            out[found->second].isOwned = true;
            continue;
        }
        if (out[lastKey].eol.empty()) {
            out[lastKey].eol = eol;
        }
        const auto at = static_cast<std::ptrdiff_t>(lastKey + 1);
        out.insert(out.begin() + at, OwnedLine(std::move(text), eol));
        ++lastKey;
        keyLines.emplace(name, lastKey);
    }

    std::string result;
    result.reserve(content.size() + entries.size() * 32 + section.size() + 8);
    for (const OutLine& line : out) {
        result.append(line.Text());
        result.append(line.eol);
    }
    return result;
}

std::string EncodeValue(std::string_view value) {
    std::string text(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = ' ';
        }
    }
    const bool blankAtEnds = !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
    const bool looksQuoted =
        text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
    if (blankAtEnds || looksQuoted) {
        return "\"" + text + "\"";
    }
    return text;
}

std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text.size();
    }
    const auto isContinuation = [&](std::size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    if (!isContinuation(maxBytes)) {
        return maxBytes; // the cut falls between characters
    }
    // Find the lead byte of the character the cut falls into, at most three
    // bytes back, and drop the character when it really reaches past the cut.
    for (std::size_t back = 1; back <= 3 && back <= maxBytes; ++back) {
        const std::size_t lead = maxBytes - back;
        const auto b = static_cast<unsigned char>(text[lead]);
        if ((b & 0xC0) == 0x80) {
            continue;
        }
        std::size_t length = 1;
        if ((b & 0xE0) == 0xC0) {
            length = 2;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
        }
        return lead + length > maxBytes ? lead : maxBytes;
    }
    return maxBytes;
}

} // namespace ProfileFile
