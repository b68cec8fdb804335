#include "face/ClockFace.h"
#include "RowName.h"
#include "face/Assets.h"
#include "face/Blit.h"
#include "face/FaceLayout.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

// Test names from the table rows.

struct Copy {
    int x, y, w, h, srcX, srcY;
    friend bool operator==(const Copy&, const Copy&) = default;
};

struct Recorder {
    std::vector<Copy> copies;
    ClockFace::GlyphCopier Copier() {
        return [this](int x, int y, int w, int h, int srcX, int srcY) {
            copies.push_back({x, y, w, h, srcX, srcY});
        };
    }
};

// The digit cells a frame copied, left to right: '_' for the blank cell.
std::string CellsShown(const std::vector<Copy>& copies) {
    std::string cells;
    for (const Copy& c : copies) {
        if (c.w == FaceLayout::kDigitWidth) {
            cells += c.srcX == FaceLayout::kBlankSourceX
                         ? '_'
                         : static_cast<char>('0' + c.srcX / FaceLayout::kDigitWidth);
        }
    }
    return cells;
}

LocalDateTime At(int hour, int minute, int second = 0, int millisecond = 0) {
    return {2024, 5, 17, hour, minute, second, millisecond};
}

// One row per time: the cells of the 24-hour face (TimeFormat 1 and every
// value other than 2 and 3), of 12-hour 1-12 (2) and of 12-hour 0-11 (3),
// and what a screen reader says for each.
struct StyleCase {
    const char* name;
    int hour, minute;
    const char* h24;
    const char* h12;
    const char* h11;
    const char* said24;
    const char* said12;
    const char* said11;
};

class HourStyles : public testing::TestWithParam<StyleCase> {};

TEST_P(HourStyles, FirstFrameDrawsTheseCells) {
    const StyleCase& c = GetParam();
    const struct {
        int timeFormat;
        const char* cells;
        const char* said;
    } styles[] = {{1, c.h24, c.said24},  {0, c.h24, c.said24}, {9, c.h24, c.said24},
                  {-1, c.h24, c.said24}, {2, c.h12, c.said12}, {3, c.h11, c.said11}};
    for (const auto& style : styles) {
        SCOPED_TRACE(style.timeFormat);
        SettingsRecord s;
        s.TimeFormat = style.timeFormat;
        ClockFace::FaceState state;
        Recorder r;
        ClockFace::Draw(false, At(c.hour, c.minute), s, state, r.Copier());

        EXPECT_EQ(CellsShown(r.copies), style.cells);
        std::string text = style.cells;
        if (text[0] == '_') {
            text[0] = '0';
        }
        EXPECT_EQ(state.LastFaceText, text);
        EXPECT_EQ(ClockFace::SpokenTime(c.hour, c.minute, style.timeFormat), style.said);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Face, HourStyles,
    testing::Values(
        StyleCase{"h0005", 0, 5, "_005", "1205", "_005", "0:05", "午前 12:05", "午前 0:05"},
        StyleCase{"h0930", 9, 30, "_930", "_930", "_930", "9:30", "午前 9:30", "午前 9:30"},
        StyleCase{"h1200", 12, 0, "1200", "1200", "_000", "12:00", "午後 12:00", "午後 0:00"},
        StyleCase{"h1345", 13, 45, "1345", "_145", "_145", "13:45", "午後 1:45", "午後 1:45"},
        StyleCase{"h2359", 23, 59, "2359", "1159", "1159", "23:59", "午後 11:59", "午後 11:59"},
        StyleCase{"midnight", 0, 0, "_000", "1200", "_000", "0:00", "午前 12:00", "午前 0:00"},
        StyleCase{"zeros_after_first", 10, 0, "1000", "1000", "1000", "10:00", "午前 10:00",
                  "午前 10:00"}),
    RowName());

struct OffsetCase {
    const char* name;
    LocalDateTime now;
    bool use;
    int offset;
    LocalDateTime shown;
    const char* cells;
};

class TimeOffset : public testing::TestWithParam<OffsetCase> {};

TEST_P(TimeOffset, DisplayedTimeAndFace) {
    const OffsetCase& c = GetParam();
    SettingsRecord s;
    s.UseTimeOffset = c.use;
    s.TimeOffset = c.offset;
    ClockFace::FaceState state;
    Recorder r;
    ClockFace::Draw(false, c.now, s, state, r.Copier());
    EXPECT_EQ(state.DisplayedTime, c.shown);
    EXPECT_EQ(CellsShown(r.copies), c.cells);
}

INSTANTIATE_TEST_SUITE_P(Face, TimeOffset,
                         testing::Values(OffsetCase{"back_over_midnight",
                                                    {2024, 3, 1, 0, 0, 30, 0},
                                                    true,
                                                    -90,
                                                    {2024, 2, 29, 23, 59, 0, 0},
                                                    "2359"},
                                         OffsetCase{"ignored_when_off",
                                                    {2024, 3, 1, 0, 0, 30, 0},
                                                    false,
                                                    -90,
                                                    {2024, 3, 1, 0, 0, 30, 0},
                                                    "_000"},
                                         OffsetCase{"whole_day_ahead",
                                                    {2024, 12, 31, 13, 45, 10, 0},
                                                    true,
                                                    86400,
                                                    {2025, 1, 1, 13, 45, 10, 0},
                                                    "1345"},
                                         OffsetCase{"back_over_new_year",
                                                    {2024, 1, 1, 0, 0, 10, 0},
                                                    true,
                                                    -20,
                                                    {2023, 12, 31, 23, 59, 50, 0},
                                                    "2359"},
                                         OffsetCase{"hours_and_minutes_ahead",
                                                    {2023, 2, 28, 22, 30, 0, 0},
                                                    true,
                                                    5400,
                                                    {2023, 3, 1, 0, 0, 0, 0},
                                                    "_000"},
                                         OffsetCase{"far_back_before_1970",
                                                    {2024, 5, 17, 9, 30, 0, 0},
                                                    true,
                                                    std::numeric_limits<int>::min(),
                                                    {1956, 4, 29, 6, 15, 52, 0},
                                                    "_615"},
                                         OffsetCase{"sub_second_part_kept",
                                                    {2024, 5, 17, 9, 30, 0, 640},
                                                    true,
                                                    60,
                                                    {2024, 5, 17, 9, 31, 0, 640},
                                                    "_931"}),
                         RowName());

struct ColonCase {
    const char* name;
    bool blink;
    int blinkDelay;
    int millisecond;
    bool lit;
};

class Colon : public testing::TestWithParam<ColonCase> {};

TEST_P(Colon, LitFromThePhaseOfTheLocalClock) {
    const ColonCase& c = GetParam();
    SettingsRecord s;
    s.Blink = c.blink;
    s.BlinkDelay = c.blinkDelay;
    // The offset must not move the phase: the local clock's milliseconds rule.
    s.UseTimeOffset = true;
    s.TimeOffset = -90;
    ClockFace::FaceState state;
    Recorder r;
    ClockFace::Draw(false, At(12, 0, 7, c.millisecond), s, state, r.Copier());
    ASSERT_FALSE(r.copies.empty());
    const Copy colon = r.copies.back();
    EXPECT_EQ(colon.x, FaceLayout::kColonFaceX);
    EXPECT_EQ(colon.w, FaceLayout::kColonWidth);
    EXPECT_EQ(colon.srcX, c.lit ? FaceLayout::kColonLitSourceX : FaceLayout::kColonUnlitSourceX);
}

INSTANTIATE_TEST_SUITE_P(
    Face, Colon,
    testing::Values(ColonCase{"steady_without_blink", false, 750, 900, true},
                    ColonCase{"delay750_at_second", true, 750, 0, true},
                    ColonCase{"delay750_just_before_edge", true, 750, 749, true},
                    ColonCase{"delay750_at_edge", true, 750, 750, false},
                    ColonCase{"delay1000_end_of_second", true, 1000, 999, true},
                    ColonCase{"delay1_at_second", true, 1, 0, true},
                    ColonCase{"delay1_one_ms_later", true, 1, 1, false},
                    ColonCase{"delay1_mid_second", true, 1, 500, false}),
    RowName());

// One clock run: each frame sees the state the frame before left behind.
TEST(DrawClockFace, CopiesOnlyWhatChanged) {
    struct Frame {
        const char* name;
        bool force;
        LocalDateTime now;
        int timeFormat;
        int offset;
        const char* cells; // "" when only the colon is copied
    };
    const Frame frames[] = {
        {"first_frame_draws_all", false, At(13, 45, 0), 1, 0, "1345"},
        {"same_minute_only_colon", false, At(13, 45, 59), 1, 0, ""},
        {"forced_draws_all", true, At(13, 45, 59), 1, 0, "1345"},
        {"format_changes_text", false, At(13, 45, 59), 2, 0, "_145"},
        {"format_keeps_text", false, At(13, 45, 59), 3, 0, ""},
        {"next_minute", false, At(13, 46, 0), 3, 0, "_146"},
        {"day_ahead_same_text", false, At(13, 46, 1), 3, 86400, ""},
        {"offset_changes_text", false, At(13, 46, 2), 3, -60, "_145"},
    };
    SettingsRecord s;
    s.UseTimeOffset = true;
    ClockFace::FaceState state;
    for (const Frame& f : frames) {
        SCOPED_TRACE(f.name);
        s.TimeFormat = f.timeFormat;
        s.TimeOffset = f.offset;
        Recorder r;
        ClockFace::Draw(f.force, f.now, s, state, r.Copier());

        EXPECT_EQ(CellsShown(r.copies), f.cells);
        const std::size_t digits = std::string(f.cells).size();
        ASSERT_EQ(r.copies.size(), digits + 1);
        for (std::size_t i = 0; i < digits; ++i) {
            EXPECT_EQ(r.copies[i].x, FaceLayout::kDigitFaceX[i]);
            EXPECT_EQ(r.copies[i].y, 6);
            EXPECT_EQ(r.copies[i].h, 36);
            EXPECT_EQ(r.copies[i].srcY, 0);
        }
        EXPECT_EQ(r.copies.back(), (Copy{56, 6, 6, 36, 253, 0}));
        EXPECT_EQ(state.DisplayedTime.second, f.now.second);
    }
}

PixelImage Region(const PixelImage& image, int x, int y, int w, int h) {
    PixelImage out(w, h);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            out.At(i, j) = image.At(x + i, y + j);
        }
    }
    return out;
}

TEST(DrawClockFace, OntoTheBodyShowsTheStripCells) {
    PixelImage face = BodyPicture();
    SettingsRecord s;
    ClockFace::FaceState state;
    const ClockFace::GlyphCopier into = [&face](int x, int y, int w, int h, int srcX, int srcY) {
        Blit(face, x, y, w, h, GlyphStrip(), srcX, srcY);
    };
    ClockFace::Draw(false, At(23, 59), s, state, into);
    ClockFace::Draw(false, At(0, 5), s, state, into);

    const PixelImage& strip = GlyphStrip();
    const int sources[] = {FaceLayout::kBlankSourceX, 0, 0, 5 * 23};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Region(face, FaceLayout::kDigitFaceX[i], 6, 23, 36),
                  Region(strip, sources[i], 0, 23, 36));
    }
    EXPECT_EQ(Region(face, 56, 6, 6, 36), Region(strip, 253, 0, 6, 36));
    // The surround and the panel between the cells are never touched.
    EXPECT_EQ(Region(face, 0, 0, 118, 6), Region(BodyPicture(), 0, 0, 118, 6));
    EXPECT_EQ(Region(face, 0, 42, 118, 6), Region(BodyPicture(), 0, 42, 118, 6));
}

} // namespace
