#include "RowName.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {

// Everything else here would pass on a single-byte code page without testing
// what the double-byte cases are for.
TEST(CodePage, IsJapanese) {
    ASSERT_EQ(GetACP(), 932u) << "run the Windows tests with the Japanese ANSI code page "
                                 "(under Wine: LC_ALL=ja_JP.UTF-8)";
}

struct RoundTripRow {
    const char* name;
    std::string utf8;
    std::string fileText;
};

class CodePageRoundTrip : public testing::TestWithParam<RoundTripRow> {};

TEST_P(CodePageRoundTrip, ConvertsBothWays) {
    EXPECT_EQ(TextCodec::Utf8ToFileText(GetParam().utf8), GetParam().fileText);
    EXPECT_EQ(TextCodec::FileTextToUtf8(GetParam().fileText), GetParam().utf8);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, CodePageRoundTrip, testing::Values(
    RoundTripRow{"Ascii", "Blink=Yes", "Blink=Yes"},
    RoundTripRow{"Kanji", "日本語", "\x93\xfa\x96\x7b\x8c\xea"},
    RoundTripRow{"TrailByteIsBackslash", "表示", "\x95\x5c\x8e\xa6"},
    RoundTripRow{"HalfWidthKatakanaIsOneByte", "ｱｲｳ", "\xb1\xb2\xb3"},
    RoundTripRow{"NecSpecialCharacter", "①", "\x87\x40"},
    RoundTripRow{"DefaultDatePattern", "yyyy年(ggge年)m月d日 aaaa",
                 "yyyy\x94\x4e(ggge\x94\x4e)m\x8c\x8e" "d\x93\xfa aaaa"}
), RowName());
// clang-format on

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(TextCodec::Utf8ToFileText("a한b"), "a?b");
}

struct PrefixRow {
    const char* name;
    std::string fileText;
    std::size_t expected;
};

class CodePagePrefix : public testing::TestWithParam<PrefixRow> {};

TEST_P(CodePagePrefix, NeverEndsInsideACharacter) {
    EXPECT_EQ(TextCodec::FileTextPrefix(GetParam().fileText, 99), GetParam().expected);
}

const std::string k97(97, 'a');
const std::string k98(98, 'a');
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, CodePagePrefix, testing::Values(
    PrefixRow{"KanjiEndsAtTheCut", k97 + "\x93\xfa" "x", 99},
    PrefixRow{"KanjiAcrossTheCut", k98 + "\x93\xfa", 98},
    PrefixRow{"BackslashTrailAcrossTheCut", k98 + "\x95\x5c", 98},
    PrefixRow{"TrailByteLooksLikeALead", [] {
        std::string text = "a";
        for (int i = 0; i < 49; ++i) text += "\x95\x95";
        return text + "x";
    }(), 99},
    PrefixRow{"HalfWidthKatakanaAreSingle", std::string(120, '\xb1'), 99},
    PrefixRow{"ShortTextWhole", "\x93\xfa\x96\x7b", 4}
), RowName());
// clang-format on

} // namespace
