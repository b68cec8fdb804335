#include "ClockWindow.h"
#include "FacePicture.h"
#include "Named.h"
#include "TopMost.h"
#include "face/Assets.h"
#include "face/FaceLayout.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "RowName.h"

#include <cstdint>
#include <limits>

namespace {

// A window whose moves are counted instead of handed to the window system.
class TestWindow : public ClockWindow {
public:
    using ClockWindow::ClockWindow;
    int moveStarts = 0;
    bool systemMoveWorks = true;

protected:
    bool StartSystemMove() override {
        ++moveStarts;
        return systemMoveWorks;
    }
};

// A window with its announcements counted and pinned clocks.
struct ClockFixture {
    SettingsRecord settings;
    TestWindow form{settings};
    FacePicture& picBody = Named<FacePicture>(form, "picBody");
    QTimer& tmrClockDraw = Named<QTimer>(form, "tmrClockDraw");
    QTimer& tmrNTPbyTimer = Named<QTimer>(form, "tmrNTPbyTimer");
    int menus = 0;
    int exits = 0;
    QPoint menuAt;
    LocalDateTime now{2005, 6, 17, 13, 45, 0, 100};
    std::int64_t steady = 0;

    ClockFixture() {
        QObject::connect(&form, &ClockWindow::menuRequested, &form, [this](const QPoint& at) {
            ++menus;
            menuAt = at;
        });
        QObject::connect(&form, &ClockWindow::exitRequested, &form, [this] { ++exits; });
        form.SetLocalClock([this] { return now; });
        form.SetSteadyClock([this] { return steady; });
        form.LoadBodyPicture();
        form.move(300, 200);
    }
};

// Sent to the face picture, as a user's mouse would hit it; the window must
// still decide.
void Send(QWidget& target, QEvent::Type type, QPoint local, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    const QPointF global = target.mapToGlobal(QPointF(local));
    QMouseEvent event(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
}

struct MoveRow {
    const char* name;
    Qt::MouseButtons held;
    int expectedStarts;
};

class MoveStart : public ::testing::TestWithParam<MoveRow> {};

TEST_P(MoveStart, OnlyTheLeftButtonAloneStartsAMove) {
    ClockFixture f;
    Send(f.picBody, QEvent::MouseMove, {20, 20}, Qt::NoButton, GetParam().held);
    EXPECT_EQ(f.form.moveStarts, GetParam().expectedStarts);
    EXPECT_EQ(f.menus, 0);
    EXPECT_EQ(f.form.pos(), QPoint(300, 200));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, MoveStart,
    ::testing::Values(MoveRow{"LeftAlone", Qt::LeftButton, 1},
                      MoveRow{"RightAlone", Qt::RightButton, 0},
                      MoveRow{"LeftAndRight", Qt::LeftButton | Qt::RightButton, 0},
                      MoveRow{"Middle", Qt::MiddleButton, 0}, MoveRow{"Hover", Qt::NoButton, 0}),
    RowName());

TEST(MoveStart, APressAloneStartsNoMove) {
    ClockFixture f;
    Send(f.picBody, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
    Send(f.picBody, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(f.form.moveStarts, 0);
}

TEST(MoveStart, RefusedByTheWindowSystemTheWindowFollowsTheLeftButton) {
    ClockFixture f;
    f.form.systemMoveWorks = false;
    Send(f.form, QEvent::MouseButtonPress, {10, 12}, Qt::LeftButton, Qt::LeftButton);
    // Global positions: the grab point stays under the pointer.
    QMouseEvent drag(QEvent::MouseMove, QPointF(10, 12), QPointF(510, 412), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f.form, &drag);
    EXPECT_EQ(f.form.pos(), QPoint(500, 400));
    QMouseEvent further(QEvent::MouseMove, QPointF(10, 12), QPointF(530, 402), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f.form, &further);
    EXPECT_EQ(f.form.pos(), QPoint(520, 390));
    EXPECT_EQ(f.form.moveStarts, 1) << "asked once, then the window follows by itself";

    // A second button joining ends the follow.
    QMouseEvent both(QEvent::MouseMove, QPointF(10, 12), QPointF(600, 450), Qt::NoButton,
                     Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&f.form, &both);
    EXPECT_EQ(f.form.pos(), QPoint(520, 390));
}

struct ReleaseRow {
    const char* name;
    QEvent::Type type;
    Qt::MouseButton button;
    int expectedMenus;
};

class PopupMenu : public ::testing::TestWithParam<ReleaseRow> {};

TEST_P(PopupMenu, OnlyARightReleaseOpensTheMenu) {
    ClockFixture f;
    Send(f.picBody, GetParam().type, {40, 30}, GetParam().button,
         GetParam().type == QEvent::MouseButtonPress ? Qt::MouseButtons(GetParam().button)
                                                     : Qt::MouseButtons(Qt::NoButton));
    EXPECT_EQ(f.menus, GetParam().expectedMenus);
    if (GetParam().expectedMenus == 1) {
        EXPECT_EQ(f.menuAt, f.picBody.mapToGlobal(QPoint(40, 30)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, PopupMenu,
    ::testing::Values(ReleaseRow{"RightRelease", QEvent::MouseButtonRelease, Qt::RightButton, 1},
                      ReleaseRow{"RightPressAlone", QEvent::MouseButtonPress, Qt::RightButton, 0},
                      ReleaseRow{"LeftRelease", QEvent::MouseButtonRelease, Qt::LeftButton, 0},
                      ReleaseRow{"MiddleRelease", QEvent::MouseButtonRelease, Qt::MiddleButton, 0}),
    RowName());

struct KeyRow {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expectedMenus;
};

class MenuKey : public ::testing::TestWithParam<KeyRow> {};

TEST_P(MenuKey, OpensTheMenuUnderTheClock) {
    ClockFixture f;
    QTest::keyClick(&f.form, GetParam().key, GetParam().modifiers);
    EXPECT_EQ(f.menus, GetParam().expectedMenus);
    if (GetParam().expectedMenus == 1) {
        EXPECT_EQ(f.menuAt, f.form.mapToGlobal(f.form.rect().bottomLeft()));
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, MenuKey,
                         ::testing::Values(KeyRow{"Menu", Qt::Key_Menu, Qt::NoModifier, 1},
                                           KeyRow{"ShiftF10", Qt::Key_F10, Qt::ShiftModifier, 1},
                                           KeyRow{"F10Alone", Qt::Key_F10, Qt::NoModifier, 0},
                                           KeyRow{"ControlShiftF10", Qt::Key_F10,
                                                  Qt::ShiftModifier | Qt::ControlModifier, 0}),
                         RowName());

struct DoubleClickRow {
    const char* name;
    bool exitByDoubleClick;
    Qt::MouseButton button;
    int expectedExits;
};

class DoubleClick : public ::testing::TestWithParam<DoubleClickRow> {};

TEST_P(DoubleClick, ExitsOnlyWhenEnabled) {
    ClockFixture f;
    f.settings.EXITbyDblClick = GetParam().exitByDoubleClick;
    Send(f.picBody, QEvent::MouseButtonDblClick, {30, 30}, GetParam().button, GetParam().button);
    EXPECT_EQ(f.exits, GetParam().expectedExits);
    EXPECT_EQ(f.form.moveStarts, 0);
}

INSTANTIATE_TEST_SUITE_P(Settings, DoubleClick,
                         ::testing::Values(DoubleClickRow{"EnabledLeft", true, Qt::LeftButton, 1},
                                           DoubleClickRow{"DisabledLeft", false, Qt::LeftButton, 0},
                                           DoubleClickRow{"EnabledRight", true, Qt::RightButton,
                                                          0}),
                         RowName());

TEST(Close, TheWindowSystemsCloseGoesThroughTheExit) {
    ClockFixture f;
    f.form.show();
    f.form.close();
    EXPECT_EQ(f.exits, 1);
}

// The face picture must hold exactly the strip's cells where the frame put
// them: a wrong copy (offset, clipping, colour conversion) shows here.
bool CellMatches(const QImage& face, int faceX, int srcX, int width) {
    const PixelImage& strip = GlyphStrip();
    for (int y = 0; y < FaceLayout::kCellHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((face.pixel(faceX + x, FaceLayout::kFaceY + y) & 0xffffffu) !=
                strip.At(srcX + x, y)) {
                return false;
            }
        }
    }
    return true;
}

struct FaceRow {
    const char* name;
    int hour, minute, timeFormat;
    int cells[4]; // digit, or -1 for the blank cell
};

class FacePixels : public ::testing::TestWithParam<FaceRow> {};

TEST_P(FacePixels, TheWindowShowsTheStripCellsOfTheTime) {
    ClockFixture f;
    const FaceRow& row = GetParam();
    f.now.hour = row.hour;
    f.now.minute = row.minute;
    f.settings.TimeFormat = row.timeFormat;
    f.form.DrawClockFace(false);
    const QImage& face = f.picBody.Image();
    for (int i = 0; i < 4; ++i) {
        const int src =
            row.cells[i] < 0 ? FaceLayout::kBlankSourceX : FaceLayout::DigitSourceX(row.cells[i]);
        EXPECT_TRUE(CellMatches(face, FaceLayout::kDigitFaceX[i], src, FaceLayout::kDigitWidth))
            << "position " << i + 1;
    }
    EXPECT_TRUE(CellMatches(face, FaceLayout::kColonFaceX, FaceLayout::kColonLitSourceX,
                            FaceLayout::kColonWidth));
    // Outside the cells the body stays as drawn.
    EXPECT_EQ(face.pixel(2, 2) & 0xffffffu, BodyPicture().At(2, 2));
    EXPECT_EQ(face.pixel(117, 47) & 0xffffffu, BodyPicture().At(117, 47));
}

INSTANTIATE_TEST_SUITE_P(Times, FacePixels,
                         ::testing::Values(FaceRow{"At1345In24Hours", 13, 45, 1, {1, 3, 4, 5}},
                                           FaceRow{"At1345From1To12", 13, 45, 2, {-1, 1, 4, 5}},
                                           FaceRow{"At0005From1To12", 0, 5, 2, {1, 2, 0, 5}},
                                           FaceRow{"At0005From0To11", 0, 5, 3, {-1, 0, 0, 5}},
                                           FaceRow{"At2359In24Hours", 23, 59, 1, {2, 3, 5, 9}}),
                         RowName());

TEST(FacePixels, AnExposeRedrawsTheWholeFaceWithTheCurrentSettings) {
    ClockFixture f;
    f.tmrClockDraw.stop(); // only the paint may redraw here
    f.form.DrawClockFace(false);
    f.settings.TimeFormat = 2; // as the options dialog would, between ticks
    f.form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.form));
    f.picBody.repaint();
    EXPECT_EQ(f.form.Face().LastFaceText, "0145");
    EXPECT_TRUE(CellMatches(f.picBody.Image(), FaceLayout::kDigitFaceX[0],
                            FaceLayout::kBlankSourceX, FaceLayout::kDigitWidth));
}

TEST(FacePixels, ACellChangedOutsideAPartialExposeStillReachesTheScreen) {
    ClockFixture f;
    f.form.SetDrawInterval(0); // only paints may redraw here
    f.form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.form));
    f.form.DrawClockFace(false);
    QApplication::processEvents();

    struct Painted : QObject {
        QRegion region;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) {
                region += static_cast<QPaintEvent*>(e)->region();
            }
            return false;
        }
    } painted;
    f.picBody.installEventFilter(&painted);
    // The minute turns; before any tick, the window system exposes only the
    // left edge of the face.
    f.now.minute = 46;
    f.picBody.repaint(QRect(0, 0, 8, 48));
    const QRect units(FaceLayout::kDigitFaceX[3], FaceLayout::kFaceY, FaceLayout::kDigitWidth,
                      FaceLayout::kCellHeight);
    EXPECT_TRUE(QTest::qWaitFor([&] { return painted.region.contains(units); }, 1000))
        << "the new units digit was copied but never painted";
    EXPECT_TRUE(CellMatches(f.picBody.Image(), FaceLayout::kDigitFaceX[3],
                            FaceLayout::DigitSourceX(6), FaceLayout::kDigitWidth));
    f.picBody.removeEventFilter(&painted);
}

// Asks the face for its tooltip as the pointer resting on it would.
QString ToolTipNow(ClockFixture& f) {
    QHelpEvent event(QEvent::ToolTip, QPoint(20, 20), f.picBody.mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(&f.picBody, &event);
    return f.picBody.toolTip();
}

TEST(DateTip, MadeWhenAskedForFromTheDisplayedTimeOfThatMoment) {
    ClockFixture f;
    f.now = LocalDateTime{2005, 6, 17, 23, 59, 30, 0};
    f.settings.UseTimeOffset = true;
    f.settings.TimeOffset = 60;
    f.settings.DateFormat = "d s";
    f.form.SetDateFormatter([](const LocalDateTime& t, const std::string& pattern) {
        return pattern + ":" + std::to_string(t.day) + "/" + std::to_string(t.second);
    });
    f.form.DrawClockFace(false);
    EXPECT_EQ(ToolTipNow(f), QStringLiteral("d s:18/30")) << "the shifted day";
    f.now.second = 42; // no frame in between: the face changes only each minute
    EXPECT_EQ(ToolTipNow(f), QStringLiteral("d s:18/42"));
}

TEST(Accessibility, TheFaceReadsTheTimeShownAndItsDate) {
    ClockFixture f;
    f.settings.UseTimeOffset = true;
    f.settings.TimeOffset = 3600;
    f.settings.TimeFormat = 2;
    f.form.SetDateFormatter([](const LocalDateTime& t, const std::string& pattern) {
        return pattern.substr(0, 4) + " " + std::to_string(t.day);
    });
    f.now = LocalDateTime{2005, 6, 17, 23, 59, 59, 500};
    f.form.DrawClockFace(false);
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&f.picBody);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->role(), QAccessible::StaticText);
    EXPECT_EQ(reader->text(QAccessible::Name), QStringLiteral("午前 12:59"));
    EXPECT_EQ(reader->text(QAccessible::Description), QStringLiteral("yyyy 18"));

    // The announcement itself needs a listening bridge, which the offscreen
    // platform lacks; the end-to-end test hears it.
    f.now = LocalDateTime{2005, 6, 18, 0, 0, 0, 0};
    f.form.DrawClockFace(false);
    EXPECT_EQ(reader->text(QAccessible::Name), QStringLiteral("午前 1:00"));
}

TEST(WakeUps, AZeroIntervalStopsTheFaceButNotTheCountdownsMinute) {
    ClockFixture f;
    f.form.SetDrawInterval(0);
    f.form.DrawClockFace(true);
    EXPECT_FALSE(f.tmrClockDraw.isActive());
    EXPECT_TRUE(f.tmrNTPbyTimer.isActive());
    f.form.SetDrawInterval(75);
    EXPECT_TRUE(f.tmrClockDraw.isActive());
}

TEST(WakeUps, TheCountdownTicksInTheFacesMinuteWakeUp) {
    ClockFixture f;
    f.now = LocalDateTime{2005, 6, 17, 13, 45, 59, 0};
    f.form.DrawClockFace(false);
    EXPECT_EQ(f.tmrClockDraw.interval(), 1001);
    EXPECT_EQ(f.tmrNTPbyTimer.interval(), 61021) << "not a minute since the last tick";
    f.steady = 60000;
    f.now = LocalDateTime{2005, 6, 17, 13, 46, 0, 1};
    f.form.DrawClockFace(false);
    EXPECT_EQ(f.tmrNTPbyTimer.interval(), 0) << "taken along at once";
    QSignalSpy ticks(&f.form, &ClockWindow::minuteTicked);
    ASSERT_TRUE(ticks.wait(5000));
    EXPECT_EQ(f.tmrNTPbyTimer.interval(), 60020) << "the next minute, a moment late";
}

bool ColonLit(FacePicture& face) {
    // The middle of the upper dot: yellow-green when lit, dark grey when not.
    const QRgb p = face.Image().pixel(FaceLayout::kColonFaceX + 2, FaceLayout::kFaceY + 11);
    return qGreen(p) > 0xc0;
}

TEST(WakeUps, AForcedFrameShowsBlinkingAtOnceAndWakesForTheColonEdge) {
    ClockFixture f;
    f.now = LocalDateTime{2005, 6, 17, 13, 45, 10, 900}; // past the lit part of a blink
    f.form.DrawClockFace(false);
    ASSERT_TRUE(ColonLit(f.picBody));
    EXPECT_EQ(f.tmrClockDraw.interval(), 49101) << "a steady face sleeps to the minute";
    f.settings.Blink = true;
    f.form.DrawClockFace(true);
    EXPECT_FALSE(ColonLit(f.picBody)) << "no tick needed";
    f.now.millisecond = 100;
    f.form.DrawClockFace(true);
    EXPECT_TRUE(ColonLit(f.picBody));
    EXPECT_EQ(f.tmrClockDraw.interval(), 651) << "the colon goes out at .750";
    EXPECT_TRUE(f.tmrClockDraw.isActive());
}

struct StepRow {
    const char* name;
    LocalDateTime after;
    const char* face;
    int nextFrame;
};

class ClockStep : public ::testing::TestWithParam<StepRow> {};

TEST_P(ClockStep, TheFaceFollowsAtOnceAndTheWakeUpIsPlannedAfresh) {
    ClockFixture f;
    f.form.SetDrawInterval(75);
    ASSERT_EQ(f.form.Face().LastFaceText, "1345");
    f.now = GetParam().after;
    f.steady = 2000;
    f.form.ClockChanged();
    EXPECT_EQ(f.form.Face().LastFaceText, GetParam().face);
    EXPECT_EQ(f.tmrClockDraw.interval(), GetParam().nextFrame);
    EXPECT_TRUE(f.tmrClockDraw.isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ClockStep,
    ::testing::Values(
        StepRow{"Forwards", LocalDateTime{2005, 6, 17, 15, 2, 30, 500}, "1502", 29501},
        StepRow{"Back", LocalDateTime{2005, 6, 17, 9, 7, 59, 990}, "0907", 75},
        StepRow{"AcrossMidnight", LocalDateTime{2005, 6, 18, 0, 0, 0, 0}, "0000", 60001}),
    RowName());

struct PlacementRow {
    const char* name;
    double x, y;
    QPoint expected;
};

class Placement : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(Placement, RatiosOfThePrimaryScreenUnclamped) {
    EXPECT_EQ(ClockWindow::PlacementFor(GetParam().x, GetParam().y, QSize(1280, 1024)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ratios, Placement,
    ::testing::Values(
        PlacementRow{"Defaults", 0.8, 0.2, QPoint(1024, 205)},
        PlacementRow{"Origin", 0.0, 0.0, QPoint(0, 0)},
        PlacementRow{"SecondMonitorRight", 1.5, 0.5, QPoint(1920, 512)},
        PlacementRow{"LeftOfThePrimary", -0.25, 0.1, QPoint(-320, 102)},
        PlacementRow{"HugeStaysRepresentable", 1e300, -1e300, QPoint(1 << 24, -(1 << 24))},
        PlacementRow{"NotANumber", std::numeric_limits<double>::quiet_NaN(), 0.5, QPoint(0, 512)}),
    RowName());

} // namespace
