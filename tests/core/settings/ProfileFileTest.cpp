#include "settings/ProfileFile.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Rows are reported by their names rather than their index.

constexpr const char* kSection = "Morvatel 1.10";

// The value the loader finds for key in our section.
std::string Read(std::string_view content, std::string_view key) {
    for (const ProfileFile::KeyLine& line : ProfileFile::KeyLines(content, kSection)) {
        if (ProfileFile::SameName(line.key, key)) {
            return std::string(line.value);
        }
    }
    return {};
}

struct ReadRow {
    const char* name;
    std::string content;
    std::string key;
    std::string expected;
};

class ProfileFileRead : public testing::TestWithParam<ReadRow> {};

TEST_P(ProfileFileRead, FindsTheValue) {
    const ReadRow& row = GetParam();
    EXPECT_EQ(Read(row.content, row.key), row.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ProfileFileRead, testing::Values(
    ReadRow{"EmptyContent", "", "Blink", ""},
    ReadRow{"MissingSection", "[Other]\nBlink=Yes\n", "Blink", ""},
    ReadRow{"MissingKey", "[Morvatel 1.10]\nTopMost=No\n", "Blink", ""},
    ReadRow{"Plain", "[Morvatel 1.10]\nBlink=Yes\n", "Blink", "Yes"},
    ReadRow{"KeyCaseIgnored", "[Morvatel 1.10]\nbLINK=Yes\n", "Blink", "Yes"},
    ReadRow{"SectionCaseAndBlanksIgnored", "[  MORVATEL 1.10 ]\nBlink=Yes\n", "Blink", "Yes"},
    ReadRow{"BlanksAroundNameAndValue", "[Morvatel 1.10]\n  Blink \t=  Yes \t\n", "Blink", "Yes"},
    ReadRow{"CrLf", "[Morvatel 1.10]\r\nBlink=Yes\r\n", "Blink", "Yes"},
    ReadRow{"DoubleQuotesRemoved", "[Morvatel 1.10]\nK=\" a b \"\n", "K", " a b "},
    ReadRow{"SingleQuotesRemoved", "[Morvatel 1.10]\nK='x'\n", "K", "x"},
    ReadRow{"OnlyOnePairRemoved", "[Morvatel 1.10]\nK=\"\"x\"\"\n", "K", "\"x\""},
    ReadRow{"MismatchedQuotesKept", "[Morvatel 1.10]\nK=\"x'\n", "K", "\"x'"},
    ReadRow{"LoneQuoteKept", "[Morvatel 1.10]\nK=\"\n", "K", "\""},
    ReadRow{"KeyInOtherSectionIgnored", "[Other]\nK=1\n[Morvatel 1.10]\nJ=2\n", "K", ""},
    ReadRow{"SectionEndsAtNextHeader", "[Morvatel 1.10]\nJ=2\n[Other]\nK=1\n", "K", ""},
    ReadRow{"FirstDuplicateKeyWins", "[Morvatel 1.10]\nK=1\nK=2\n", "K", "1"},
    ReadRow{"FirstDuplicateSectionWins", "[Morvatel 1.10]\nJ=1\n[Morvatel 1.10]\nK=2\n", "K", ""},
    ReadRow{"CommentedKeyIgnored", "[Morvatel 1.10]\n;K=1\n#K=2\nK=3\n", "K", "3"},
    ReadRow{"UnclosedHeaderStillOpensSection", "[Morvatel 1.10]\n[Other\nK=1\n", "K", ""},
    ReadRow{"Utf8Value", "[Morvatel 1.10]\nDateFormat=yyyy年m月\n", "DateFormat", "yyyy年m月"}
), RowName());
// clang-format on

// A carriage return of its own ends a line, whatever the system.
TEST(ProfileFileRead, LoneCarriageReturnEndsALine) {
    EXPECT_EQ(Read("[Morvatel 1.10]\rBlink=Yes\rTopMost=No\r\n", "TopMost"), "No");
}

struct WriteRow {
    const char* name;
    std::string content;
    std::vector<ProfileFile::Entry> entries;
    std::string expected;
};

class ProfileFileWrite : public testing::TestWithParam<WriteRow> {};

TEST_P(ProfileFileWrite, RewritesOnlyOurLines) {
    const WriteRow& row = GetParam();
    EXPECT_EQ(ProfileFile::Write(row.content, kSection, row.entries, "\n"), row.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ProfileFileWrite, testing::Values(
    WriteRow{"NewFile", "", {{"Blink", "Yes"}, {"TopMost", "No"}},
             "[Morvatel 1.10]\nBlink=Yes\nTopMost=No\n"},
    WriteRow{"ReplaceInPlace", "[Morvatel 1.10]\nA=1\nBlink=No\nC=3\n", {{"Blink", "Yes"}},
             "[Morvatel 1.10]\nA=1\nBlink=Yes\nC=3\n"},
    WriteRow{"ReplaceMatchesAnyCase", "[Morvatel 1.10]\n  bLink = No \n", {{"Blink", "Yes"}},
             "[Morvatel 1.10]\nBlink=Yes\n"},
    WriteRow{"ReplaceFirstDuplicateOnly", "[Morvatel 1.10]\nK=1\nK=2\n", {{"K", "9"}},
             "[Morvatel 1.10]\nK=9\nK=2\n"},
    WriteRow{"AppendAfterLastKeyNotAfterComments",
             "[Morvatel 1.10]\nA=1\n; about Other\n\n[Other]\nB=2\n", {{"N", "x"}, {"M", "y"}},
             "[Morvatel 1.10]\nA=1\nN=x\nM=y\n; about Other\n\n[Other]\nB=2\n"},
    WriteRow{"AppendAfterHeaderWhenSectionEmpty", "[Morvatel 1.10]\n[Other]\n", {{"N", "x"}},
             "[Morvatel 1.10]\nN=x\n[Other]\n"},
    WriteRow{"NewSectionAfterBlankLine", "[Other]\nB=2\n", {{"N", "x"}},
             "[Other]\nB=2\n\n[Morvatel 1.10]\nN=x\n"},
    WriteRow{"LastLineWithoutNewline", "[Other]\nB=2", {{"N", "x"}},
             "[Other]\nB=2\n\n[Morvatel 1.10]\nN=x\n"},
    WriteRow{"ReplacedLastLineKeepsMissingNewline", "[Morvatel 1.10]\nN=1", {{"N", "2"}},
             "[Morvatel 1.10]\nN=2"},
    WriteRow{"CrLfFileStaysCrLf", "[Other]\r\nB=2\r\n", {{"N", "x"}},
             "[Other]\r\nB=2\r\n\r\n[Morvatel 1.10]\r\nN=x\r\n"},
    WriteRow{"MixedEndingsKeptWhereTheyAre", "[Morvatel 1.10]\r\nA=1\nB=2\r\n", {{"A", "9"}, {"C", "3"}},
             "[Morvatel 1.10]\r\nA=9\nB=2\r\nC=3\r\n"},
    WriteRow{"LoneCarriageReturns", "[Morvatel 1.10]\rBlink=Yes\rTopMost=No\r\n", {{"Blink", "No"}, {"K", "1"}},
             "[Morvatel 1.10]\rBlink=No\rTopMost=No\r\nK=1\r\n"},
    WriteRow{"NoLineFeedAfterALoneCarriageReturn", "[Other]\nB=2\r", {{"N", "x"}},
             "[Other]\nB=2\r\r[Morvatel 1.10]\rN=x\r"},
    WriteRow{"SameKeyTwiceInOneWrite", "", {{"K", "1"}, {"k", "2"}},
             "[Morvatel 1.10]\nk=2\n"},
    WriteRow{"OnlyFirstOfDuplicateSections", "[Morvatel 1.10]\nA=1\n[Morvatel 1.10]\nB=1\n", {{"B", "2"}},
             "[Morvatel 1.10]\nA=1\nB=2\n[Morvatel 1.10]\nB=1\n"},
    WriteRow{"ValueNeedingQuotes", "", {{"K", " x "}},
             "[Morvatel 1.10]\nK=\" x \"\n"},
    WriteRow{"LineBreakInValueCannotSplitTheLine", "", {{"K", "a\r\n[Other]\nB=1"}},
             "[Morvatel 1.10]\nK=a  [Other] B=1\n"}
), RowName());
// clang-format on

TEST(ProfileFileWrite, ForeignLinesSurviveByteForByte) {
    const std::string before = "; written by hand\r\n"
                               "\r\n"
                               "[Other Program]\r\n"
                               "Blink = keep me\r\n"
                               "[Morvatel 1.10]\r\n"
                               "  ; our comment\r\n"
                               "Unknown=\"  spaced  \"  \r\n"
                               "Blink=No\r\n"
                               "DrawInterval=10\r\n"
                               "garbage line without equals\r\n"
                               "\r\n"
                               "[Tail]\r\n"
                               "x=\xff\xfe\x80 not UTF-8";
    const std::string after =
        ProfileFile::Write(before, kSection, {{"Blink", "Yes"}, {"TopMost", "No"}}, "\n");
    const std::string expected = "; written by hand\r\n"
                                 "\r\n"
                                 "[Other Program]\r\n"
                                 "Blink = keep me\r\n"
                                 "[Morvatel 1.10]\r\n"
                                 "  ; our comment\r\n"
                                 "Unknown=\"  spaced  \"  \r\n"
                                 "Blink=Yes\r\n"
                                 "DrawInterval=10\r\n"
                                 "TopMost=No\r\n"
                                 "garbage line without equals\r\n"
                                 "\r\n"
                                 "[Tail]\r\n"
                                 "x=\xff\xfe\x80 not UTF-8";
    EXPECT_EQ(after, expected);
}

struct RoundTripRow {
    const char* name;
    std::string value;
};

class ProfileFileRoundTrip : public testing::TestWithParam<RoundTripRow> {};

TEST_P(ProfileFileRoundTrip, ReadGivesBackWhatWasWritten) {
    const std::string& value = GetParam().value;
    const std::string content = ProfileFile::Write("", kSection, {{"K", value}}, "\n");
    EXPECT_EQ(Read(content, "K"), value);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ProfileFileRoundTrip, testing::Values(
    RoundTripRow{"Empty", ""},
    RoundTripRow{"LeadingBlank", " yyyy"},
    RoundTripRow{"TrailingTab", "yyyy\t"},
    RoundTripRow{"EnclosedInDoubleQuotes", "\"quoted\""},
    RoundTripRow{"EnclosedInSingleQuotes", "'quoted'"},
    RoundTripRow{"QuoteInside", "a\"b"},
    RoundTripRow{"DatePattern", "yyyy年(ggge年)m月d日 aaaa"}
), RowName());
// clang-format on

struct PrefixRow {
    const char* name;
    std::string text;
    std::size_t maxBytes;
    std::size_t expected;
};

class Utf8Prefix : public testing::TestWithParam<PrefixRow> {};

TEST_P(Utf8Prefix, NeverEndsInsideACharacter) {
    const PrefixRow& row = GetParam();
    EXPECT_EQ(ProfileFile::Utf8PrefixLength(row.text, row.maxBytes), row.expected);
}

// "年" is three bytes: E5 B9 B4; "😀" is four: F0 9F 98 80.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Utf8Prefix, testing::Values(
    PrefixRow{"ShortText", "abc", 99, 3},
    PrefixRow{"AsciiCut", "abcdef", 4, 4},
    PrefixRow{"CutAfterFirstByte", "ab年", 3, 2},
    PrefixRow{"CutAfterCharacter", "ab年c", 5, 5},
    PrefixRow{"FourByteCharacter", "a😀b", 4, 1},
    PrefixRow{"StrayContinuationBytes", "a\x80\x80\x80\x80", 3, 3},
    PrefixRow{"InvalidLeadByte", "\xff\x80\x80", 2, 2}
), RowName());
// clang-format on

TEST(Utf8Prefix, NinetyNineByteCutOfJapaneseText) {
    // 33 three-byte characters fill 99 bytes exactly; one more ASCII byte in
    // front pushes the last character across the cut.
    const std::string kanji = [] {
        std::string s;
        for (int i = 0; i < 40; ++i) {
            s += "年";
        }
        return s;
    }();
    EXPECT_EQ(ProfileFile::Utf8PrefixLength(kanji, 99), 99u);
    EXPECT_EQ(ProfileFile::Utf8PrefixLength("x" + kanji, 99), 97u);
}

} // namespace
