#include "SyncResultDialog.h"
#include "DialogSize.h"
#include "Named.h"
#include "TopMost.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "RowName.h"

#include <functional>
#include <string>

namespace {

// Runs body once the dialog is open, then presses its OK button.
void WhileOpen(std::function<void(SyncResultDialog&)> body) {
    QTimer::singleShot(0, qApp, [body = std::move(body)] {
        SyncResultDialog* open = SyncResultDialog::Current();
        ASSERT_NE(open, nullptr);
        body(*open);
        Named<QPushButton>(*open, "cmdOK").click();
    });
}

TEST(SyncMessage, NothingIsShownWithShowDialogOff) {
    SettingsRecord s;
    s.NTP_ShowDialog = false;
    bool opened = false;
    QTimer::singleShot(0, qApp, [&opened] {
        if (SyncResultDialog* d = SyncResultDialog::Current()) {
            opened = true;
            Named<QPushButton>(*d, "cmdOK").click();
        }
    });
    SyncResultDialog::ShowMessage("x", s, nullptr);
    EXPECT_FALSE(opened);
    QApplication::processEvents();
}

TEST(SyncMessage, ASecondMessageWhileOpenIsDropped) {
    SettingsRecord s;
    s.TopMost = false;
    QString shown;
    WhileOpen([&](SyncResultDialog& d) {
        SyncResultDialog::ShowMessage("second", s, nullptr); // returns at once
        shown = Named<QLabel>(d, "lblMsg").text();
    });
    SyncResultDialog::ShowMessage("first", s, nullptr);
    EXPECT_EQ(shown, QStringLiteral("first"));
    EXPECT_EQ(SyncResultDialog::Current(), nullptr) << "unloaded by OK";

    // Closed, the next message opens a dialog again.
    WhileOpen([&](SyncResultDialog& d) { shown = Named<QLabel>(d, "lblMsg").text(); });
    SyncResultDialog::ShowMessage("third", s, nullptr);
    EXPECT_EQ(shown, QStringLiteral("third"));
}

TEST(SyncMessage, LinesBreakAtCrLfAndTheButtonIsTheDefault) {
    SettingsRecord s;
    s.TopMost = false;
    QString shown;
    bool isDefault = false;
    bool focused = false;
    QString title;
    QString read; // as a screen reader gets it
    WhileOpen([&](SyncResultDialog& d) {
        shown = Named<QLabel>(d, "lblMsg").text();
        read = QAccessible::queryAccessibleInterface(&Named<QLabel>(d, "lblMsg"))
                   ->text(QAccessible::Name);
        isDefault = Named<QPushButton>(d, "cmdOK").isDefault();
        focused = d.focusWidget() == &Named<QPushButton>(d, "cmdOK");
        title = d.windowTitle();
    });
    SyncResultDialog::ShowMessage("エラー: A\r\n\r\n時刻の同期はできませんでした。", s, nullptr);
    EXPECT_EQ(shown, QStringLiteral("エラー: A\n\n時刻の同期はできませんでした。"));
    EXPECT_EQ(read, shown) << "one text, not pieces";
    EXPECT_TRUE(isDefault);
    EXPECT_TRUE(focused);
    EXPECT_EQ(title, QStringLiteral("時刻の同期"));
}

TEST(SyncMessage, OwnedByTheClockAndClosedByEsc) {
    SettingsRecord s;
    s.TopMost = false;
    QWidget clock;
    clock.show();
    const QWidget* owner = nullptr;
    bool escClosed = true;
    QTimer::singleShot(0, qApp, [&] {
        SyncResultDialog* d = SyncResultDialog::Current();
        ASSERT_NE(d, nullptr);
        owner = d->parentWidget();
        EXPECT_EQ(d->windowType(), Qt::Dialog) << "a dialog of its owner, off the taskbar";
        QTest::keyClick(d, Qt::Key_Escape);
    });
    // Only keeps a broken Esc from hanging the test. On a loaded machine it
    // can come due in the same pass as the Esc, before the closed dialog is
    // deleted, so only a dialog still showing counts against Esc.
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, qApp, [&escClosed] {
        SyncResultDialog* d = SyncResultDialog::Current();
        if (d != nullptr && d->isVisible()) {
            escClosed = false;
            Named<QPushButton>(*d, "cmdOK").click();
        }
    });
    fallback.start(10000);
    SyncResultDialog::ShowMessage("ok", s, &clock);
    EXPECT_EQ(owner, &clock);
    EXPECT_TRUE(escClosed);
}

class TopMost : public ::testing::TestWithParam<bool> {};

TEST_P(TopMost, DialogAboveAndClockBackOnTopOnlyWhenOn) {
    SettingsRecord s;
    s.TopMost = GetParam();
    QWidget clock;
    clock.show();
    SetTopMost(&clock, false);
    bool dialogOnTop = !GetParam();
    WhileOpen([&](SyncResultDialog& d) {
        dialogOnTop = d.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    SyncResultDialog::ShowMessage("ok", s, &clock);
    EXPECT_EQ(dialogOnTop, GetParam());
    EXPECT_EQ(clock.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Setting, TopMost, ::testing::Bool());

struct TextRow {
    const char* name;
    std::string text;
};

class WholeText : public ::testing::TestWithParam<TextRow> {};

// Every line is shown whole in the font the dialog really uses, the button
// covers none of it, the designed size is the least and long lines wrap
// well inside the screen.
TEST_P(WholeText, EveryLineWholeAndClearOfTheButton) {
    SettingsRecord s;
    s.TopMost = false;
    QRect label;
    QRect button;
    QRect text;
    QSize size;
    QSize designed;
    QRect screen;
    WhileOpen([&](SyncResultDialog& d) {
        const double dpi = d.screen()->logicalDotsPerInch();
        designed =
            QSize(DialogSize::TwipsToPixels(5055, dpi), DialogSize::TwipsToPixels(1695, dpi));
        size = d.size();
        screen = d.screen()->availableGeometry();
        label = Named<QLabel>(d, "lblMsg").geometry();
        button = Named<QPushButton>(d, "cmdOK").geometry();
        // Wrapped at the label's width, breaking inside a word only where a
        // word is longer than a line.
        text = QFontMetrics(Named<QLabel>(d, "lblMsg").font(), &Named<QLabel>(d, "lblMsg"))
                   .boundingRect(QRect(label.topLeft(), QSize(label.width(), 100000)),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere,
                                 Named<QLabel>(d, "lblMsg").text());
    });
    SyncResultDialog::ShowMessage(GetParam().text, s, nullptr);
    EXPECT_GE(size.width(), designed.width());
    EXPECT_GE(size.height(), designed.height());
    EXPECT_LE(size.width(), screen.width() * 6 / 10 + 2 * (label.x() + 1));
    EXPECT_TRUE(label.contains(text)) << "label " << label.width() << "x" << label.height()
                                      << ", text " << text.width() << "x" << text.height();
    EXPECT_FALSE(text.intersects(button));
    EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(button));
}

const std::string kSuccess = "システムの時刻を 'ntp.nict.jp' と同期しました。\r\n\r\n"
                             "変更前の時刻: 2024/05/17 18:05:02.457\r\n"
                             "取得した時刻: 2024/05/17 18:05:07.477\r\n"
                             "差: -00:00:05\r\n\r\n"
                             "Stratum: 2　Poll Interval: 6　Precision: -20\r\n"
                             "応答遅延: 0.1ms　推定伝送遅延: 10.0ms";

INSTANTIATE_TEST_SUITE_P(Texts, WholeText,
                         ::testing::Values(TextRow{"Success", kSuccess},
                                           TextRow{"ServerOfNinetyNineBytes",
                                                   "エラー: NTPサーバー '" + std::string(99, 'n') +
                                                       "' の時刻は同期されていません。\r\n\r\n"
                                                       "時刻の同期はできませんでした。"}),
                         RowName());

struct TwipsRow {
    const char* name;
    int twips;
    double dpi;
    int pixels;
};

class Twips : public ::testing::TestWithParam<TwipsRow> {};

TEST_P(Twips, ScaleWithTheScreensResolution) {
    EXPECT_EQ(DialogSize::TwipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Twips,
                         ::testing::Values(TwipsRow{"WidthAt96", 5055, 96, 337},
                                           TwipsRow{"HeightAt96", 1695, 96, 113},
                                           TwipsRow{"WidthAt120", 5055, 120, 421},
                                           TwipsRow{"WidthAt144", 5055, 144, 506},
                                           TwipsRow{"MarginAt96", 120, 96, 8}),
                         RowName());

struct PlaceRow {
    const char* name;
    QRect clock;
    QSize dialog;
    QRect screen;
    QPoint expected;
};

class Placed : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(Placed, NearTheClockAndWholeOnItsScreen) {
    EXPECT_EQ(DialogSize::PlacedNear(GetParam().clock, GetParam().dialog, GetParam().screen),
              GetParam().expected);
}

const QRect kScreen(0, 0, 1280, 1024);
const QRect kRightScreen(1280, 0, 1920, 1080);
const QSize kDialog(400, 300);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Where, Placed, ::testing::Values(
    PlaceRow{"CentredBelow", {900, 300, 118, 48}, kDialog, kScreen, {758, 348}},
    PlaceRow{"BelowAClockAtTheTop", {900, 0, 118, 48}, kDialog, kScreen, {758, 48}},
    PlaceRow{"AboveAClockAtTheBottom", {900, 900, 118, 48}, kDialog, kScreen, {758, 600}},
    PlaceRow{"KeptInAtTheRightEdge", {1200, 300, 118, 48}, kDialog, kScreen, {880, 348}},
    PlaceRow{"OnTheClocksOwnScreen", {1290, 10, 118, 48}, kDialog, kRightScreen, {1280, 58}},
    PlaceRow{"TooTallForEitherSide", {100, 400, 118, 48}, {400, 900}, kScreen, {0, 0}},
    PlaceRow{"LargerThanTheScreen", {900, 300, 118, 48}, {2000, 2000}, kScreen, {0, 0}}
), RowName());
// clang-format on

} // namespace
