#include "ClockMenu.h"
#include "DialogFont.h"
#include "Named.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "RowName.h"

#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

struct MenuFixture {
    QWidget owner;
    SettingsRecord settings;
    ClockMenu menu{settings, &owner};

    QAction& Item(const char* name) { return Named<QAction>(menu, name); }
};

struct EntryRow {
    const char* name;
    const char* caption; // null for a separator
    bool SettingsRecord::*mirrors;
};

// clang-format off
const EntryRow kEntries[] = {
    {"mnuNTP", "時刻の同期(&N)", nullptr},
    {"mnuBar1", nullptr, nullptr},
    {"mnuBlink", "点滅(&B)", &SettingsRecord::Blink},
    {"mnuTopMost", "常に手前に表示(&T)", &SettingsRecord::TopMost},
    {"mnuOption", "オプション(&O)...", nullptr},
    {"mnuBar2", nullptr, nullptr},
    {"mnuInfo", "バージョン情報(&A)", nullptr},
    {"mnuHelp", "ヘルプ(&H)...", nullptr},
    {"mnuBar3", nullptr, nullptr},
    {"mnuExit", "終了(&X)", nullptr},
};
// clang-format on

TEST(Entries, CaptionsOrderSeparatorsAndCheckMarks) {
    for (const bool on : {true, false}) {
        MenuFixture f;
        f.settings.Blink = on;
        f.settings.TopMost = !on;
        f.menu.SyncCheckMarks();
        EXPECT_EQ(f.menu.title(), QStringLiteral("ショートカットメニュー"));
        EXPECT_EQ(f.menu.defaultAction(), nullptr);
        EXPECT_EQ(f.menu.font(), DialogFont()) << "the dialogs' face, not the platform's";
        const QList<QAction*> actions = f.menu.actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(kEntries)));
        for (std::size_t i = 0; i < std::size(kEntries); ++i) {
            const EntryRow& row = kEntries[i];
            const QAction* item = actions[static_cast<qsizetype>(i)];
            SCOPED_TRACE(row.name);
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
            EXPECT_TRUE(item->isEnabled());
        }
    }
}

struct ToggleRow {
    const char* name;
    const char* item;
    void (ClockMenu::*announced)(bool);
    bool SettingsRecord::*flag;
    bool initial;
};

class Toggle : public ::testing::TestWithParam<ToggleRow> {};

TEST_P(Toggle, FlipsTheRecordAndCheckMarkAndAnnouncesTheNewState) {
    const ToggleRow& row = GetParam();
    MenuFixture f;
    f.settings.*row.flag = row.initial;
    f.menu.SyncCheckMarks();
    QSignalSpy spy(&f.menu, row.announced);
    QAction& item = f.Item(row.item);
    for (const bool expected : {!row.initial, row.initial}) {
        item.trigger();
        EXPECT_EQ(f.settings.*row.flag, expected);
        EXPECT_EQ(item.isChecked(), expected);
        ASSERT_FALSE(spy.isEmpty());
        EXPECT_EQ(spy.takeFirst().at(0).toBool(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Items, Toggle,
    ::testing::Values(ToggleRow{"BlinkFromOff", "mnuBlink", &ClockMenu::blinkToggled,
                                &SettingsRecord::Blink, false},
                      ToggleRow{"BlinkFromOn", "mnuBlink", &ClockMenu::blinkToggled,
                                &SettingsRecord::Blink, true},
                      ToggleRow{"TopMostFromOn", "mnuTopMost", &ClockMenu::topMostToggled,
                                &SettingsRecord::TopMost, true},
                      ToggleRow{"TopMostFromOff", "mnuTopMost", &ClockMenu::topMostToggled,
                                &SettingsRecord::TopMost, false}),
    RowName());

struct CommandRow {
    const char* name;
    const char* item;
    void (ClockMenu::*announced)();
};

TEST(Commands, EachItemAnnouncesItsOwnRequestOnly) {
    const CommandRow rows[] = {
        {"Synchronise", "mnuNTP", &ClockMenu::synchroniseRequested},
        {"Options", "mnuOption", &ClockMenu::optionsRequested},
        {"About", "mnuInfo", &ClockMenu::aboutRequested},
        {"Help", "mnuHelp", &ClockMenu::helpRequested},
    };
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        MenuFixture f;
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const CommandRow& other : rows) {
            spies.push_back(std::make_unique<QSignalSpy>(&f.menu, other.announced));
        }
        f.Item(row.item).trigger();
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            EXPECT_EQ(spies[i]->count(), &rows[i] == &row ? 1 : 0) << rows[i].name;
        }
        EXPECT_EQ(f.settings.Blink, SettingsRecord().Blink);
    }
}

TEST(Commands, ExitWaitsForTheExitTimer) {
    MenuFixture f;
    QSignalSpy exits(&f.menu, &ClockMenu::exitRequested);
    f.Item("mnuExit").trigger();
    EXPECT_EQ(exits.count(), 0);
    EXPECT_TRUE(Named<QTimer>(f.menu, "tmrExit").isActive());
    EXPECT_TRUE(exits.wait(2000));
    EXPECT_EQ(exits.count(), 1);
}

TEST(Commands, OpensAtThePointerWithNoItemChosen) {
    MenuFixture f;
    f.owner.show();
    f.menu.ShowAt(QPoint(50, 20));
    EXPECT_TRUE(f.menu.isVisible());
    EXPECT_EQ(f.menu.activeAction(), nullptr) << "no default item";
    f.menu.close();
}

} // namespace
