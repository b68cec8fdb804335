#include "settings/SettingsStore.h"
#include "RowName.h"
#include "TempFolder.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

// Rows are reported by their names rather than their index.

namespace fs = std::filesystem;

// A plain writer for the tests; the real one (AtomicFile) has its own test.
bool PlainReplace(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

const SettingsStore::WindowPosition kWindow{944, 216, 1180, 1080}; // ratios 0.8 and 0.2

// ---------------------------------------------------------------- key layer

struct YesNoRow {
    const char* name;
    std::string text;
    bool defaultFlag;
    bool expected;
};
class ParseYesNoRows : public testing::TestWithParam<YesNoRow> {};

TEST_P(ParseYesNoRows, OnlyYesAndNoCount) {
    const YesNoRow& row = GetParam();
    EXPECT_EQ(SettingsFile::ParseYesNo(row.text, row.defaultFlag), row.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ParseYesNoRows, testing::Values(
    YesNoRow{"UpperYes", "YES", false, true},
    YesNoRow{"LowerYes", "yes", false, true},
    YesNoRow{"MixedNo", "nO", true, false},
    YesNoRow{"TrueIsNotYes", "True", false, false},
    YesNoRow{"OneIsNotYes", "1", false, false},
    YesNoRow{"EmptyGivesDefault", "", true, true}
), RowName());
// clang-format on

struct ReadSettingRow {
    const char* name;
    std::string value; // as stored after "K="
    std::string defaultText;
    std::string expected;
};
class ReadSettingRows : public testing::TestWithParam<ReadSettingRow> {};

// The text of key in file content, as the loader reads it.
std::string StoredText(std::string_view content, std::string_view key,
                       std::string_view defaultText = "") {
    const SettingsFile::StoredKeys keys(SettingsFile::DecodeFileText(content),
                                        SettingsFile::Utf8Encoding());
    return keys.Text(key, defaultText);
}

TEST_P(ReadSettingRows, CutsAndDefaults) {
    const ReadSettingRow& row = GetParam();
    const std::string content = "[Morvatel 1.10]\nK=" + row.value + "\n";
    EXPECT_EQ(StoredText(content, "K", row.defaultText), row.expected);
}

const std::string k120 = std::string(120, 'a');
const std::string k99 = std::string(99, 'a');
const std::string k98 = std::string(98, 'a');

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ReadSettingRows, testing::Values(
    ReadSettingRow{"StoredWins", "x", "d", "x"},
    ReadSettingRow{"KeyInAnyCase", "x\nk=y", "d", "x"},
    ReadSettingRow{"EmptyGivesDefault", "", "d", "d"},
    ReadSettingRow{"QuotedEmptyGivesDefault", "\"\"", "d", "d"},
    ReadSettingRow{"CutAt99Bytes", k120, "", k99},
    ReadSettingRow{"CutInsideQuotes", "\"" + k120 + "\"", "", k99},
    ReadSettingRow{"CutBacksOffToCharacter", k98 + "年", "", k98},
    ReadSettingRow{"CharacterEndingAt99Kept", std::string(96, 'a') + "年", "", std::string(96, 'a') + "年"},
    ReadSettingRow{"NulEndsTheValue", std::string("ab\0cd", 5), "d", "ab"}
), RowName());
// clang-format on

// ------------------------------------------------------------- record layer

struct LoadRow {
    const char* name;
    std::string lines; // inside our section
    std::function<void(const SettingsRecord&)> check;
};
class LoadSettingsRows : public testing::TestWithParam<LoadRow> {};

TEST_P(LoadSettingsRows, AppliesTypeAndFixUp) {
    const LoadRow& row = GetParam();
    SettingsRecord s;
    s.NTP_UTCOffset = 5.5f; // the zone's offset, set before loading
    SettingsStore::LoadFrom(s, "[Morvatel 1.10]\n" + row.lines + "\n");
    row.check(s);
}

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();

// clang-format off
INSTANTIATE_TEST_SUITE_P(RangeFixUps, LoadSettingsRows, testing::Values(
    LoadRow{"BlinkDelayZero", "BlinkDelay=0", [](const SettingsRecord& s) { EXPECT_EQ(s.BlinkDelay, 750); }},
    LoadRow{"BlinkDelayAbove", "BlinkDelay=1001", [](const SettingsRecord& s) { EXPECT_EQ(s.BlinkDelay, 750); }},
    LoadRow{"BlinkDelayText", "BlinkDelay=abc", [](const SettingsRecord& s) { EXPECT_EQ(s.BlinkDelay, 750); }},
    LoadRow{"BlinkDelayTop", "BlinkDelay=1000", [](const SettingsRecord& s) { EXPECT_EQ(s.BlinkDelay, 1000); }},
    LoadRow{"BlinkDelayWithUnit", "BlinkDelay=500ms", [](const SettingsRecord& s) { EXPECT_EQ(s.BlinkDelay, 500); }},
    LoadRow{"ResumeDelayZero", "NTPatResume_Delay=0", [](const SettingsRecord& s) { EXPECT_EQ(s.NTPatResume_Delay, 30000); }},
    LoadRow{"ResumeDelayTop", "NTPatResume_Delay=60000", [](const SettingsRecord& s) { EXPECT_EQ(s.NTPatResume_Delay, 60000); }},
    LoadRow{"DrawIntervalZeroStays", "DrawInterval=0", [](const SettingsRecord& s) { EXPECT_EQ(s.DrawInterval, 0); }},
    LoadRow{"DrawIntervalNegative", "DrawInterval=-1", [](const SettingsRecord& s) { EXPECT_EQ(s.DrawInterval, 75); }},
    LoadRow{"NtsPortZero", "NTS=Yes\nNTS_Port=0", [](const SettingsRecord& s) { EXPECT_TRUE(s.NTS); EXPECT_EQ(s.NTS_Port, 4460); }},
    LoadRow{"NtsPortAbove", "NTS_Port=65536", [](const SettingsRecord& s) { EXPECT_EQ(s.NTS_Port, 4460); }},
    LoadRow{"NtsPortTop", "NTS_Port=65535", [](const SettingsRecord& s) { EXPECT_EQ(s.NTS_Port, 65535); }}
), RowName());

INSTANTIATE_TEST_SUITE_P(Rounding, LoadSettingsRows, testing::Values(
    LoadRow{"HalfDownToEven", "BlinkDelay=750.5", [](const SettingsRecord& s) { EXPECT_EQ(s.BlinkDelay, 750); }},
    LoadRow{"HalfUpToEven", "BlinkDelay=751.5", [](const SettingsRecord& s) { EXPECT_EQ(s.BlinkDelay, 752); }},
    LoadRow{"BlanksInNumber", "TimeOffset= - 3 600", [](const SettingsRecord& s) { EXPECT_EQ(s.TimeOffset, -3600); }}
), RowName());

INSTANTIATE_TEST_SUITE_P(OutOfRange, LoadSettingsRows, testing::Values(
    LoadRow{"MaxIntKept", "TimeOffset=2147483647", [](const SettingsRecord& s) { EXPECT_EQ(s.TimeOffset, kMaxInt); }},
    LoadRow{"AboveMaxIntIsDefault", "TimeOffset=2147483648", [](const SettingsRecord& s) { EXPECT_EQ(s.TimeOffset, 0); }},
    LoadRow{"HugeIsDefault", "NTP_PermissibleDelay=1e300", [](const SettingsRecord& s) { EXPECT_EQ(s.NTP_PermissibleDelay, 600); }},
    LoadRow{"BelowMinIntIsDefault", "TimeFormat=-2147483649", [](const SettingsRecord& s) { EXPECT_EQ(s.TimeFormat, 1); }},
    LoadRow{"IntervalMinutesFit", "NTPbyTimer_Interval=35791394", [](const SettingsRecord& s) { EXPECT_EQ(s.NTPbyTimer_Interval, 35791394); }},
    LoadRow{"IntervalMinutesOverflow", "NTPbyTimer_Interval=35791395", [](const SettingsRecord& s) { EXPECT_EQ(s.NTPbyTimer_Interval, 2); }},
    LoadRow{"InfiniteRatioIsDefault", "XPosR=1e999", [](const SettingsRecord& s) { EXPECT_DOUBLE_EQ(s.XPosR, 0.8); }}
), RowName());

INSTANTIATE_TEST_SUITE_P(UTCOffset, LoadSettingsRows, testing::Values(
    LoadRow{"AbsentKeepsZone", "", [](const SettingsRecord& s) { EXPECT_EQ(s.NTP_UTCOffset, 5.5f); }},
    LoadRow{"EmptyKeepsZone", "NTP_UTCOffset=", [](const SettingsRecord& s) { EXPECT_EQ(s.NTP_UTCOffset, 5.5f); }},
    LoadRow{"Nine", "NTP_UTCOffset=9", [](const SettingsRecord& s) { EXPECT_EQ(s.NTP_UTCOffset, 9.0f); }},
    LoadRow{"TextIsZero", "NTP_UTCOffset=abc", [](const SettingsRecord& s) { EXPECT_EQ(s.NTP_UTCOffset, 0.0f); }},
    LoadRow{"TooLargeForSingleKeepsZone", "NTP_UTCOffset=1e39", [](const SettingsRecord& s) { EXPECT_EQ(s.NTP_UTCOffset, 5.5f); }}
), RowName());

INSTANTIATE_TEST_SUITE_P(FlagsAndTexts, LoadSettingsRows, testing::Values(
    LoadRow{"TopMostUpperYes", "TopMost=YES", [](const SettingsRecord& s) { EXPECT_TRUE(s.TopMost); }},
    LoadRow{"TopMostEmptyIsDefault", "TopMost=", [](const SettingsRecord& s) { EXPECT_TRUE(s.TopMost); }},
    LoadRow{"TopMostNo", "TopMost=no", [](const SettingsRecord& s) { EXPECT_FALSE(s.TopMost); }},
    LoadRow{"BlinkTrueIsDefault", "Blink=True", [](const SettingsRecord& s) { EXPECT_FALSE(s.Blink); }},
    LoadRow{"BlinkOneIsDefault", "Blink=1", [](const SettingsRecord& s) { EXPECT_FALSE(s.Blink); }},
    LoadRow{"EmptyServerIsBuiltIn", "NTP_Server=", [](const SettingsRecord& s) { EXPECT_EQ(s.NTP_Server, "ntp.nict.jp"); }},
    LoadRow{"LongDateFormatCut", "DateFormat=" + std::string(150, 'y'), [](const SettingsRecord& s) { EXPECT_EQ(s.DateFormat, std::string(99, 'y')); }},
    LoadRow{"LoneCarriageReturnEndsALine", "TopMost=No\rNTP_Server=127.0.0.1\r", [](const SettingsRecord& s) {
        EXPECT_FALSE(s.TopMost);
        EXPECT_EQ(s.NTP_Server, "127.0.0.1");
    }},
    LoadRow{"KeyOfTheNextSectionKeepsItsDefault", "TopMost=Yes\n[Other]\nBlink=Yes", [](const SettingsRecord& s) { EXPECT_FALSE(s.Blink); }},
    LoadRow{"KeysInAnyCase", "ntp_server=a.example\nblinkdelay=20", [](const SettingsRecord& s) {
        EXPECT_EQ(s.NTP_Server, "a.example");
        EXPECT_EQ(s.BlinkDelay, 20);
    }}
), RowName());
// clang-format on

// What the first save of the defaults writes, with the given line ending.
std::string ExpectedDefaults(const std::string& eol) {
    const std::string lf =
        "[Morvatel 1.10]\nBlink=No\nBlinkDelay=750\nTimeOffset=0\n"
        "UseTimeOffset=No\nNTPatRun=No\nNTPatResume=No\nNTP_Server=ntp.nict.jp\n"
        "NTPatRun_Delay=30000\nNTPatResume_Delay=30000\nNTP_PermissibleDelay=600\n"
        "NTP_UsePermissibleDelay=Yes\nNTP_Tolerance=0\nNTPbyTimer=No\n"
        "NTPbyTimer_Interval=2\nNTP_ShowDialog=Yes\nNTP_Logging=No\nTopMost=Yes\n"
        "XPosR=0.8000000\nYPosR=0.2000000\nTimeFormat=1\n"
        "DateFormat=yyyy年(ggge年)m月d日 aaaa\nEXITbyDblClick=No\n"
        "FixWindowPosition=Yes\nClearRecent=No\nClearRecycleBin=No\n"
        "ClearRecycleBin_NoConfirm=No\nNTS=No\nNTS_Port=4460\nNTP_Samples=1\n";
    std::string text;
    for (char c : lf) {
        text += c == '\n' ? eol : std::string(1, c);
    }
    return text;
}

TEST(LoadSettings, NoFileGivesTheDefaults) {
    TempFolder dir;
    SettingsRecord s;
    s.Blink = true;
    s.DrawInterval = 10;
    s.NTP_UTCOffset = 9.0f;
    SettingsStore::Load(s, dir.File("Morvatel.ini"));
    EXPECT_EQ(SettingsStore::Entries(s, kWindow),
              SettingsStore::Entries(SettingsRecord{}, kWindow));
    EXPECT_EQ(s.DrawInterval, 75);
    EXPECT_EQ(s.NTP_UTCOffset, 9.0f);
}

TEST(SaveSettings, FirstSaveWritesEveryKeyInOrderInOneGo) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    SettingsRecord s;
    SettingsStore::Load(s, path);
    std::vector<std::string> handed;
    const SettingsFile::FileReplacer capture = [&](const std::string& p,
                                                   const std::string& content) {
        EXPECT_EQ(p, path);
        handed.push_back(content);
        return true;
    };
    EXPECT_TRUE(SettingsStore::Save(s, kWindow, path, capture));
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0], ExpectedDefaults(std::string(SettingsFile::kNewFileLineEnding)));
}

TEST(SaveSettings, EveryValueSurvivesARoundTrip) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    SettingsRecord s;
    s.Blink = true;
    s.BlinkDelay = 500;
    s.TimeOffset = -5400;
    s.UseTimeOffset = true;
    s.NTPatRun = true;
    s.NTPatResume = true;
    s.NTP_Server = " 127.0.0.1 ";
    s.NTPatRun_Delay = 1;
    s.NTPatResume_Delay = 60000;
    s.NTP_PermissibleDelay = 0;
    s.NTP_UsePermissibleDelay = false;
    s.NTP_Samples = 4;
    s.NTP_Tolerance = -2147483647 - 1;
    s.NTPbyTimer = true;
    s.NTPbyTimer_Interval = 24;
    s.NTP_ShowDialog = false;
    s.NTP_Logging = true;
    s.TopMost = false;
    s.FixWindowPosition = false;
    s.TimeFormat = 3;
    s.DateFormat = "\"ggge年\" m/d";
    s.EXITbyDblClick = true;
    s.ClearRecent = true;
    s.ClearRecycleBin = true;
    s.ClearRecycleBin_NoConfirm = true;
    const SettingsStore::WindowPosition w{-118, 540, 1920, 1080};
    ASSERT_TRUE(SettingsStore::Save(s, w, path, PlainReplace));

    SettingsRecord loaded;
    SettingsStore::Load(loaded, path);
    EXPECT_EQ(SettingsStore::Entries(loaded, w), SettingsStore::Entries(s, w));
    EXPECT_EQ(loaded.NTP_Server, " 127.0.0.1 ");
    EXPECT_DOUBLE_EQ(loaded.XPosR, -0.0614583);
    EXPECT_DOUBLE_EQ(loaded.YPosR, 0.5);
}

TEST(SaveSettings, ForeignLinesSurvive) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    const std::string before = "; my clock\r\n"
                               "[Morvatel 1.10]\r\n"
                               "DrawInterval=40\r\n"
                               "NTP_UTCOffset=9\r\n"
                               "Blink=Yes\r\n"
                               "MyOwnKey=keep\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "Blink=No\r\n";
    Put(path, before);
    SettingsRecord s;
    SettingsStore::Load(s, path);
    EXPECT_TRUE(s.Blink);
    EXPECT_EQ(s.DrawInterval, 40);
    ASSERT_TRUE(SettingsStore::Save(s, kWindow, path, PlainReplace));

    const std::string after = Slurp(path);
    const std::string header = "; my clock\r\n"
                               "[Morvatel 1.10]\r\n"
                               "DrawInterval=40\r\n"
                               "NTP_UTCOffset=9\r\n"
                               "Blink=Yes\r\n"
                               "MyOwnKey=keep\r\n";
    ASSERT_EQ(after.substr(0, header.size()), header);
    const std::string tail = "\r\n[Other]\r\nBlink=No\r\n";
    ASSERT_GE(after.size(), tail.size());
    EXPECT_EQ(after.substr(after.size() - tail.size()), tail);
    // The 25 keys not in the file yet went after MyOwnKey, in CRLF.
    EXPECT_NE(after.find("MyOwnKey=keep\r\nBlinkDelay=750\r\nTimeOffset=0\r\n"), std::string::npos);
    EXPECT_EQ(after.find("\n\n"), std::string::npos);
}

// Another copy of the program saved between this copy's load and its save.
struct TwoCopiesRow {
    const char* name;
    std::string atLoad;                          // our section when this copy loaded
    std::string atSave;                          // and when it saves
    std::function<void(SettingsRecord&)> change; // made by this copy meanwhile
    std::vector<std::string> expected;           // lines of the saved file
};
class TwoCopies : public testing::TestWithParam<TwoCopiesRow> {};

TEST_P(TwoCopies, NeitherUndoesTheOthersChanges) {
    const TwoCopiesRow& row = GetParam();
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    Put(path, "[Morvatel 1.10]\n" + row.atLoad);
    SettingsRecord s;
    SettingsStore::Load(s, path);
    row.change(s);
    Put(path, "[Morvatel 1.10]\n" + row.atSave);
    ASSERT_TRUE(SettingsStore::Save(s, {590, 540, 1180, 1080}, path, PlainReplace));
    const std::string saved = Slurp(path);
    for (const std::string& line : row.expected) {
        EXPECT_NE(saved.find("\n" + line + "\n"), std::string::npos) << line << " in\n" << saved;
    }
}

const auto kNoChange = [](SettingsRecord&) {};
const auto kSecondCopy = [](SettingsRecord& s) { s.OwnsWindowPosition = false; };

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, TwoCopies, testing::Values(
    TwoCopiesRow{"TheirToggleSurvivesOurs", "Blink=No\n", "Blink=Yes\n",
                 [](SettingsRecord& s) { s.TopMost = false; }, {"Blink=Yes", "TopMost=No"}},
    TwoCopiesRow{"OurChangeWins", "NTP_Server=a\n", "NTP_Server=b\n",
                 [](SettingsRecord& s) { s.NTP_Server = "c"; }, {"NTP_Server=c"}},
    TwoCopiesRow{"TheirsInWrittenForm", "", "blink=yes\nBlinkDelay=0\nTopMost=no\n",
                 kNoChange, {"Blink=Yes", "BlinkDelay=750", "TopMost=No"}},
    TwoCopiesRow{"KeysTheFileLostAreOurs", "Blink=Yes\nTimeFormat=3\n", "",
                 kNoChange, {"Blink=Yes", "TimeFormat=3", "ClearRecycleBin_NoConfirm=No"}},
    TwoCopiesRow{"FirstCopyWritesItsPlace", "XPosR=0.1\n", "XPosR=0.3\n",
                 kNoChange, {"XPosR=0.5000000", "YPosR=0.5000000"}},
    TwoCopiesRow{"SecondCopyKeepsTheFilesPlace", "", "XPosR=0.3\nYPosR=0.4\n",
                 kSecondCopy, {"XPosR=0.3000000", "YPosR=0.4000000"}},
    TwoCopiesRow{"SecondCopyWithoutAPlaceWritesTheLoadedOne", "XPosR=0.1\nYPosR=0.15\n", "",
                 kSecondCopy, {"XPosR=0.1000000", "YPosR=0.1500000"}}
), RowName());
// clang-format on

TEST(TwoCopies, ASavedChangeIsNoLongerOurs) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    SettingsRecord s;
    SettingsStore::Load(s, path);
    s.Blink = true;
    ASSERT_TRUE(SettingsStore::Save(s, kWindow, path, PlainReplace));
    Put(path, "[Morvatel 1.10]\nBlink=No\n");
    ASSERT_TRUE(SettingsStore::Save(s, kWindow, path, PlainReplace));
    EXPECT_EQ(StoredText(Slurp(path), "Blink"), "No");
}

struct RatioRow {
    const char* name;
    SettingsStore::WindowPosition window;
    double loadedX;
    std::string expectedX;
};
class PositionRatioRows : public testing::TestWithParam<RatioRow> {};

TEST_P(PositionRatioRows, WritesSevenDecimals) {
    const RatioRow& row = GetParam();
    SettingsRecord s;
    s.XPosR = row.loadedX;
    const auto entries = SettingsStore::Entries(s, row.window);
    ASSERT_EQ(entries.size(), 29u);
    EXPECT_EQ(entries[17].key, "XPosR");
    EXPECT_EQ(entries[17].value, row.expectedX);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PositionRatioRows, testing::Values(
    RatioRow{"Plain", {944, 0, 1180, 1}, 0.1, "0.8000000"},
    RatioRow{"Third", {1, 0, 3, 1}, 0.1, "0.3333333"},
    RatioRow{"SinglePrecision", {0.12345675, 0, 1, 1}, 0.1, "0.1234567"},
    RatioRow{"Negative", {-192, 0, 1920, 1}, 0.1, "-0.1000000"},
    RatioRow{"NoNegativeZero", {-1e-12, 0, 1920, 1}, 0.1, "0.0000000"},
    RatioRow{"ZeroWidthKeepsLoaded", {100, 0, 0, 1}, 0.25, "0.2500000"},
    RatioRow{"NegativeWidthKeepsLoaded", {100, 0, -5, 1}, 0.25, "0.2500000"},
    RatioRow{"TooLargeForSingleKeepsLoaded", {1e300, 0, 1e-300, 1}, 0.25, "0.2500000"},
    RatioRow{"UnusableLoadedGivesBuiltIn", {100, 0, 0, 1}, 1e300, "0.8000000"}
), RowName());
// clang-format on

// ------------------------------------------------------------ byte-order marks

// A code page without the file's characters, as an ANSI one may be: a UTF-8
// file read or written through it would lose them.
std::string AsciiOnly(std::string_view text) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return (c & 0x80) != 0; }, '?');
    return out;
}
std::size_t BytePrefix(std::string_view text, std::size_t maxBytes) {
    return std::min(text.size(), maxBytes);
}
const SettingsFile::FileEncoding kAnsi{&AsciiOnly, &AsciiOnly, &BytePrefix};

// Text of ASCII and three-byte UTF-8 characters as UTF-16 code units.
std::string Utf16(std::string_view utf8, bool bigEndian) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        unsigned unit = b;
        if (b >= 0xE0) {
            unit = ((b & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3Fu);
        }
        i += b >= 0xE0 ? 3 : 1;
        const char hi = static_cast<char>(unit >> 8);
        const char lo = static_cast<char>(unit & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

struct BomRow {
    const char* name;
    std::string bom;
    std::function<std::string(std::string_view)> encode;
};
class ByteOrderMark : public testing::TestWithParam<BomRow> {};

TEST_P(ByteOrderMark, DecidesTheEncodingWhateverTheCodePageAndIsKept) {
    const BomRow& row = GetParam();
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    Put(path, row.bom + row.encode("[Morvatel 1.10]\r\nTopMost=No\r\nNTP_Server=時計.example\r\n"));

    SettingsRecord s;
    SettingsStore::Load(s, path, kAnsi);
    EXPECT_FALSE(s.TopMost) << "the first section is read";
    EXPECT_EQ(s.NTP_Server, "時計.example");

    s.TopMost = true;
    ASSERT_TRUE(SettingsStore::Save(s, kWindow, path, PlainReplace, kAnsi));
    const std::string saved = Slurp(path);
    EXPECT_TRUE(saved.starts_with(row.bom));
    const std::string header = row.encode("[Morvatel 1.10]");
    EXPECT_EQ(saved.find(header), row.bom.size()) << "no second section";
    EXPECT_EQ(saved.find(header, row.bom.size() + 1), std::string::npos);
    EXPECT_NE(saved.find(row.encode("\r\nTopMost=Yes\r\n")), std::string::npos);
    EXPECT_NE(saved.find(row.encode("\r\nNTP_Server=時計.example\r\n")), std::string::npos);
    EXPECT_NE(saved.find(row.encode("\r\nClearRecycleBin_NoConfirm=No\r\n")), std::string::npos)
        << "new keys in the file's own encoding";
    EXPECT_EQ(saved.size() % (row.bom.size() == 2 ? 2 : 1), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ByteOrderMark, testing::Values(
    BomRow{"Utf8", "\xEF\xBB\xBF", [](std::string_view text) { return std::string(text); }},
    BomRow{"Utf16LittleEndian", "\xFF\xFE", [](std::string_view text) { return Utf16(text, false); }},
    BomRow{"Utf16BigEndian", "\xFE\xFF", [](std::string_view text) { return Utf16(text, true); }}
), RowName());
// clang-format on

// ------------------------------------------------------------- atomic save

TEST(AtomicSave, WriterFailureLeavesTheOldFile) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    const std::string before = "[Morvatel 1.10]\nBlink=No\n";
    Put(path, before);
    int calls = 0;
    const SettingsFile::FileReplacer failing = [&](const std::string&, const std::string&) {
        ++calls;
        return false;
    };
    SettingsRecord s;
    s.Blink = true;
    EXPECT_FALSE(SettingsStore::Save(s, kWindow, path, failing));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Slurp(path), before);
}

TEST(AtomicSave, UnchangedFileIsNotRewritten) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    Put(path, ExpectedDefaults("\r\n"));
    int calls = 0;
    const SettingsFile::FileReplacer counting = [&](const std::string&, const std::string&) {
        ++calls;
        return false;
    };
    SettingsRecord s;
    EXPECT_TRUE(SettingsStore::Save(s, kWindow, path, counting));
    EXPECT_EQ(calls, 0);
}

TEST(AtomicSave, UnreadableFileIsNeverReplaced) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    fs::create_directory(path); // exists, but cannot be read as a file
    int calls = 0;
    const SettingsFile::FileReplacer counting = [&](const std::string&, const std::string&) {
        ++calls;
        return true;
    };
    SettingsRecord s;
    EXPECT_FALSE(SettingsStore::Save(s, kWindow, path, counting));
    EXPECT_EQ(calls, 0);
}

TEST(WriteSetting, OneKeyIntoAnExistingFile) {
    TempFolder dir;
    const std::string path = dir.File("Morvatel.ini");
    Put(path, "[Morvatel 1.10]\nBlink=No\nTopMost=Yes\n");
    const auto blinkOn = [](const SettingsFile::StoredKeys& current) {
        EXPECT_EQ(current.Text("BLINK", ""), "No");
        return std::vector<ProfileFile::Entry>{{"blink", "Yes"}};
    };
    EXPECT_TRUE(SettingsFile::WriteSettings(path, blinkOn, PlainReplace));
    EXPECT_EQ(Slurp(path), "[Morvatel 1.10]\nblink=Yes\nTopMost=Yes\n");
}

} // namespace
