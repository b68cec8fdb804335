#include "settings/ProfileFile.h"

#include "settings/AsciiText.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

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

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    return AsciiText::EqualNoCase(a, b);
}

std::vector<KeyLine> KeyLines(std::string_view content, std::string_view section) {
    std::vector<KeyLine> keys;
    const std::vector<Line> lines = SplitLines(content);
    const std::size_t header = FindSection(lines, section);
    if (header == lines.size()) {
        return keys;
    }
    const std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (const auto kv = ParseKeyLine(lines[i].text)) {
            keys.push_back({kv->key, Unquote(kv->value)});
        }
    }
    return keys;
}

std::string Write(std::string_view content, std::string_view section,
                  const std::vector<Entry>& entries, std::string_view newFileLineEnding) {
    if (entries.empty()) {
        return std::string(content);
    }
    const std::vector<Line> lines = SplitLines(content);

    // New lines end as the line they follow does. That keeps the file's
    // habit, and a lone CR is never followed by a written LF, which would
    // merge the two into one line ending. After a last line without one,
    // the file's first line ending counts.
    std::string_view firstEol = newFileLineEnding;
    for (const Line& line : lines) {
        if (!line.eol.empty()) {
            firstEol = line.eol;
            break;
        }
    }
    const auto endingAfter = [&](const Line& line) {
        return line.eol.empty() ? firstEol : line.eol;
    };

    // One line of text for each name among the entries (the last entry of a
    // name decides it), in the order the names first appear.
    struct Slot {
        std::string text;
        std::size_t line = std::string_view::npos; // the key line it replaces
    };
    std::vector<Slot> slots;
    std::unordered_map<std::string, std::size_t> slotOf; // by lower-cased name
    for (const Entry& entry : entries) {
        std::string text = entry.key + "=" + EncodeValue(entry.value);
        const auto [found, added] = slotOf.try_emplace(AsciiText::Lower(entry.key), slots.size());
        if (added) {
            slots.push_back({std::move(text)});
        } else {
            slots[found->second].text = std::move(text);
        }
    }

    std::string result;
    result.reserve(content.size() + entries.size() * 32 + section.size() + 8);
    const auto appendNew = [&](std::string_view eol) {
        for (const Slot& slot : slots) {
            if (slot.line == std::string_view::npos) {
                result.append(slot.text).append(eol);
            }
        }
    };

    const std::size_t header = FindSection(lines, section);
    if (header == lines.size()) {
        result.append(content);
        std::string_view eol = firstEol;
        if (!lines.empty()) {
            eol = endingAfter(lines.back());
            if (lines.back().eol.empty()) {
                result.append(eol);
            }
            if (!Trim(lines.back().text).empty()) {
                result.append(eol);
            }
        }
        result.append("[").append(section).append("]").append(eol);
        appendNew(eol);
        return result;
    }

    // The first key line of each name in the section is the one replaced;
    // names the section lacks go after its last key line. Only the entries'
    // names are looked up, so no line costs more than one lookup.
    const std::size_t end = SectionEnd(lines, header);
    std::size_t lastKey = header;
    std::vector<std::size_t> slotAt(end, slots.size());
    std::string name;
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto kv = ParseKeyLine(lines[i].text);
        if (!kv) {
            continue;
        }
        lastKey = i;
        name.assign(kv->key);
        for (char& c : name) {
            c = AsciiText::Lower(c);
        }
        if (const auto found = slotOf.find(name);
            found != slotOf.end() && slots[found->second].line == std::string_view::npos) {
            slots[found->second].line = i;
            slotAt[i] = found->second;
        }
    }

    const bool anyNew = std::any_of(slots.begin(), slots.end(), [](const Slot& slot) {
        return slot.line == std::string_view::npos;
    });
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool replaced = i < end && slotAt[i] < slots.size();
        result.append(replaced ? std::string_view(slots[slotAt[i]].text) : lines[i].text);
        if (i == lastKey && anyNew) {
            const std::string_view eol = endingAfter(lines[i]);
            result.append(eol);
            appendNew(eol);
        } else {
            result.append(lines[i].eol);
        }
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
