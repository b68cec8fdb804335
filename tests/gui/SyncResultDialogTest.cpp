#include "SyncResultDialog.h"
#include "TopMost.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "RowName.h"

#include <functional>

namespace {

// Runs body once the dialog is open, then presses its OK button.
void WhileOpen(std::function<void(SyncResultDialog&)> body) {
    QTimer::singleShot(0, qApp, [body = std::move(body)] {
        SyncResultDialog* open = SyncResultDialog::Current();
        ASSERT_NE(open, nullptr);
        body(*open);
        open->cmdOK->click();
    });
}

TEST(SyncMessage, NothingIsShownWithShowDialogOff) {
    SettingsRecord s;
    s.NTP_ShowDialog = false;
    bool opened = false;
    QTimer::singleShot(0, qApp, [&opened] {
        if (SyncResultDialog* d = SyncResultDialog::Current()) {
            opened = true;
            d->cmdOK->click();
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
        shown = d.lblMsg->text();
    });
    SyncResultDialog::ShowMessage("first", s, nullptr);
    EXPECT_EQ(shown, QStringLiteral("first"));
    EXPECT_EQ(SyncResultDialog::Current(), nullptr) << "unloaded by OK";

    // Closed, the next message opens a dialog again.
    WhileOpen([&](SyncResultDialog& d) { shown = d.lblMsg->text(); });
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
    WhileOpen([&](SyncResultDialog& d) {
        shown = d.lblMsg->text();
        isDefault = d.cmdOK->isDefault();
        focused = d.focusWidget() == d.cmdOK;
        title = d.windowTitle();
    });
    SyncResultDialog::ShowMessage("エラー: A\r\n\r\n時刻の同期はできませんでした。", s, nullptr);
    EXPECT_EQ(shown, QStringLiteral("エラー: A\n\n時刻の同期はできませんでした。"));
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
    QTimer::singleShot(2000, qApp, [&escClosed] {
        if (SyncResultDialog* d = SyncResultDialog::Current()) {
            escClosed = false;
            d->cmdOK->click();
        }
    });
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

struct TwipsRow {
    const char* name;
    int twips;
    double dpi;
    int pixels;
};

class Twips : public ::testing::TestWithParam<TwipsRow> {};

TEST_P(Twips, ScaleWithTheScreensResolution) {
    EXPECT_EQ(SyncResultDialog::TwipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Twips,
                         ::testing::Values(TwipsRow{"WidthAt96", 5055, 96, 337},
                                           TwipsRow{"HeightAt96", 1695, 96, 113},
                                           TwipsRow{"WidthAt120", 5055, 120, 421},
                                           TwipsRow{"WidthAt144", 5055, 144, 506},
                                           TwipsRow{"MarginAt96", 120, 96, 8}),
                         RowName());

} // namespace
