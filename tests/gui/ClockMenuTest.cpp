#include "ClockMenu.h"
#include "AtomicFile.h"
#include "ClockWindow.h"
#include "TextCodec.h"
#include "TopMost.h"
#include "face/FaceLayout.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "RowName.h"

#include <iterator>
#include <string>

namespace {

struct MenuFixture {
    QTemporaryDir folder;
    std::string settingsPath = folder.filePath(QStringLiteral("Morvatel.ini")).toStdString();
    SettingsRecord settings;
    ClockWindow form{settings};
    ClockMenu& menus = *form.mnuMenus;
    int syncs = 0;
    int exits = 0;

    MenuFixture() {
        form.SetLocalClock([] { return LocalDateTime{2005, 6, 17, 13, 45, 0, 900}; });
        form.SetActions(ClockWindow::Actions{{}, {}, [this] { ++exits; }});
        form.LoadBodyPicture();
        form.move(256, 512);
        menus.SetCommands(ClockMenu::Commands{
            [this] { ++syncs; },
            [this] {
                SettingsStore::Save(settings, form.Position(), settingsPath, &AtomicFile::Replace,
                                    TextCodec::SettingsEncoding());
            },
            {},
            {},
            [] {},
        });
        menus.SyncCheckMarks();
    }

    SettingsRecord Saved() const {
        SettingsRecord r;
        SettingsStore::Load(r, settingsPath);
        return r;
    }
};

struct EntryRow {
    const char* name;
    const char* caption; // null for a separator
    bool SettingsRecord::*mirrors;
    bool enabledWithoutCommand; // with no command given for it
};

// clang-format off
const EntryRow kEntries[] = {
    {"mnuNTP", "時刻の同期(&N)", nullptr, false},
    {"mnuBar1", nullptr, nullptr, true},
    {"mnuBlink", "点滅(&B)", &SettingsRecord::Blink, true},
    {"mnuTopMost", "常に手前に表示(&T)", &SettingsRecord::TopMost, true},
    {"mnuOption", "オプション(&O)...", nullptr, false},
    {"mnuBar2", nullptr, nullptr, true},
    {"mnuInfo", "バージョン情報(&A)", nullptr, false},
    {"mnuHelp", "ヘルプ(&H)...", nullptr, true},
    {"mnuBar3", nullptr, nullptr, true},
    {"mnuExit", "終了(&X)", nullptr, true},
};
// clang-format on

TEST(Entries, CaptionsOrderSeparatorsCheckMarksAndStates) {
    for (const bool withCommands : {true, false}) {
        MenuFixture f;
        f.settings.Blink = withCommands;
        f.settings.TopMost = !withCommands;
        f.menus.SyncCheckMarks();
        if (withCommands) {
            f.menus.SetCommands({[] {}, [] {}, [] {}, [] {}, [] {}});
        } else {
            f.menus.SetCommands({});
        }
        EXPECT_EQ(f.menus.title(), QStringLiteral("ショートカットメニュー"));
        EXPECT_EQ(f.menus.defaultAction(), nullptr);
        const QList<QAction*> actions = f.menus.actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(kEntries)));
        for (std::size_t i = 0; i < std::size(kEntries); ++i) {
            const EntryRow& row = kEntries[i];
            const QAction* item = actions[static_cast<qsizetype>(i)];
            SCOPED_TRACE(std::string(row.name) + (withCommands ? "" : " without commands"));
            EXPECT_EQ(item->objectName().toStdString(), row.name);
            EXPECT_EQ(item->isSeparator(), row.caption == nullptr);
            if (row.caption != nullptr) {
                EXPECT_EQ(item->text().toStdString(), row.caption);
            }
            EXPECT_EQ(item->menu(), nullptr);
            EXPECT_EQ(item->isCheckable(), row.mirrors != nullptr);
            if (row.mirrors != nullptr) {
                EXPECT_EQ(item->isChecked(), f.settings.*row.mirrors);
            }
            EXPECT_EQ(item->isEnabled(), withCommands || row.enabledWithoutCommand);
        }
    }
}

struct ToggleRow {
    const char* name;
    QAction* ClockMenu::*item;
    bool SettingsRecord::*flag;
    bool initial;
};

class Toggle : public ::testing::TestWithParam<ToggleRow> {};

TEST_P(Toggle, UpdatesCheckMarkRecordAndFileAndTwiceRestores) {
    const ToggleRow& row = GetParam();
    MenuFixture f;
    f.settings.*row.flag = row.initial;
    f.menus.SyncCheckMarks();
    QAction* item = f.menus.*row.item;
    ASSERT_EQ(item->isChecked(), row.initial);

    item->trigger();
    EXPECT_EQ(f.settings.*row.flag, !row.initial);
    EXPECT_EQ(item->isChecked(), !row.initial);
    const SettingsRecord once = f.Saved();
    EXPECT_EQ(once.*row.flag, !row.initial);
    // The save also records where the window stands.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_DOUBLE_EQ(once.XPosR, 256.0 / screen.width());
    EXPECT_DOUBLE_EQ(once.YPosR, 512.0 / screen.height());

    item->trigger();
    EXPECT_EQ(f.settings.*row.flag, row.initial);
    EXPECT_EQ(item->isChecked(), row.initial);
    EXPECT_EQ(f.Saved().*row.flag, row.initial);
}

INSTANTIATE_TEST_SUITE_P(
    Items, Toggle,
    ::testing::Values(
        ToggleRow{"BlinkFromOff", &ClockMenu::mnuBlink, &SettingsRecord::Blink, false},
        ToggleRow{"BlinkFromOn", &ClockMenu::mnuBlink, &SettingsRecord::Blink, true},
        ToggleRow{"TopMostFromOn", &ClockMenu::mnuTopMost, &SettingsRecord::TopMost, true},
        ToggleRow{"TopMostFromOff", &ClockMenu::mnuTopMost, &SettingsRecord::TopMost, false}),
    RowName());

bool ColonLit(const ClockWindow& form) {
    // The middle of the upper dot: yellow-green when lit, dark grey when not.
    const QRgb p =
        form.picBody->Image().pixel(FaceLayout::kColonFaceX + 2, FaceLayout::kFaceY + 11);
    return qGreen(p) > 0xc0;
}

TEST(Toggle, BlinkRedrawsTheColonAtOnce) {
    MenuFixture f; // the clock stands at .900 s: past the lit part of a blink
    f.form.DrawClockFace(false);
    ASSERT_TRUE(ColonLit(f.form));
    f.menus.mnuBlink->trigger();
    EXPECT_FALSE(ColonLit(f.form)) << "no tick needed";
    f.menus.mnuBlink->trigger();
    EXPECT_TRUE(ColonLit(f.form));
}

TEST(Toggle, BlinkBringsTheNextWakeUpForwardToTheColonEdge) {
    MenuFixture f;
    f.form.SetLocalClock([] { return LocalDateTime{2005, 6, 17, 13, 45, 10, 100}; });
    f.form.DrawClockFace(false);
    EXPECT_EQ(f.form.tmrClockDraw->interval(), 49901) << "a steady face sleeps to the minute";
    f.menus.mnuBlink->trigger();
    EXPECT_EQ(f.form.tmrClockDraw->interval(), 651) << "the colon goes out at .750";
    EXPECT_TRUE(f.form.tmrClockDraw->isActive());
}

TEST(Toggle, TopMostMovesTheWindowBetweenTheBands) {
    MenuFixture f;
    f.form.show();
    f.settings.TopMost = false;
    f.menus.mnuTopMost->trigger();
    EXPECT_TRUE(f.form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.form.isVisible()) << "no re-creation of the window";
    f.menus.mnuTopMost->trigger();
    EXPECT_FALSE(f.form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(f.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(Commands, ExitWaitsForTheExitTimer) {
    MenuFixture f;
    f.menus.mnuExit->trigger();
    EXPECT_EQ(f.exits, 0);
    EXPECT_TRUE(f.form.tmrExit->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&f] { return f.exits != 0; }, 2000));
    EXPECT_EQ(f.exits, 1);
    EXPECT_FALSE(f.form.tmrExit->isActive());
}

TEST(Commands, ARightReleaseOnTheClockOpensThisMenu) {
    MenuFixture f;
    f.form.SetActions(ClockWindow::Actions{});
    f.form.show();
    const QPoint local(50, 20);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local),
                        QPointF(f.form.mapToGlobal(local)), Qt::RightButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(f.form.picBody, &release);
    EXPECT_TRUE(f.menus.isVisible());
    EXPECT_EQ(f.menus.activeAction(), nullptr) << "no default item";
    f.menus.close();
}

} // namespace
