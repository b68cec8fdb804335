#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Our own reader and writer of the sectioned profile format:
//
//   [Section]
//   Key=Value
//
// Section and key names match without regard to ASCII case; blanks (space,
// tab) around names and values are trimmed; one pair of enclosing quotes,
// double or single, is removed from a value. The text is handled as bytes,
// so the same code serves UTF-8 files and files in an ANSI code page: every
// byte it looks for is ASCII and never part of a multibyte character there.
//
// Only the first section of a name counts, and within it only the first line
// of a key; later duplicates are left alone, for reading and for writing.
namespace ProfileFile {

struct Entry {
    std::string key; // a plain name: no '=', no line break, not starting with '[' or ';'
    std::string value;

    friend bool operator==(const Entry&, const Entry&) = default;
};

// A key line of a section: its name and its value, blanks around both
// trimmed and one pair of enclosing quotes removed from the value. Both point
// into the content read. The value is whole: cutting it to a buffer size is
// the caller's business, since only the caller knows the file's encoding.
struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// Every key line of section in file order, later lines of a name included;
// the first line of a name is the one that counts.
std::vector<KeyLine> KeyLines(std::string_view content, std::string_view section);

// Whether two key or section names are the same (ASCII letters in any case).
bool SameName(std::string_view a, std::string_view b);

// The content with each entry written into section, in order. A key that
// exists has its line replaced (and only that line; its line ending is kept);
// a new key goes after the last key line of the section; a missing section
// is appended at the end. Every other byte of the content survives as it was.
// New lines end as the line they follow does; after a last line without a
// line ending, as the content's first line does, or with newFileLineEnding
// when the content has none yet.
std::string Write(std::string_view content, std::string_view section,
                  const std::vector<Entry>& entries, std::string_view newFileLineEnding);

// The text to store after "key=": line
// breaks and NUL bytes become blanks (they would split or end the line), and
// the value is quoted when blanks at its ends or a pair of enclosing quotes
// would otherwise be lost, so that KeyLines gives the value back.
std::string EncodeValue(std::string_view value);

// Length of the longest prefix of UTF-8 text, at most maxBytes long, that
// does not end inside a character. Bytes that are not valid UTF-8 count as
// characters of their own.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes);

} // namespace ProfileFile
