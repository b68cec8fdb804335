#pragma once

#include "settings/SettingsRecord.h"

#include <QMenu>

#include <functional>

class ClockWindow;
class QAction;

// The clock's popup menu. The clock window owns it and opens it at the
// pointer; no default item.
class ClockMenu : public QMenu {
    Q_OBJECT
public:
    // What the menu's items do beyond the settings record and the clock
    // window. An empty function leaves its item disabled.
    struct Commands {
        std::function<void()> synchronise;  // 時刻の同期
        std::function<void()> saveSettings; // after either toggle
        std::function<void()> openOptions;
        std::function<void()> openAbout;
        std::function<void()> openHelp;
    };

    ClockMenu(SettingsRecord& settings, ClockWindow& clock);
    ~ClockMenu() override;

    void SetCommands(Commands commands);

    // Check marks from the record (start-up and the options dialog's Apply).
    void SyncCheckMarks();

    // Opens the menu with its left edge at the pointer.
    void ShowAt(const QPoint& globalPos);

    QAction* mnuNTP = nullptr;
    QAction* mnuBlink = nullptr;
    QAction* mnuTopMost = nullptr;
    QAction* mnuOption = nullptr;
    QAction* mnuInfo = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuExit = nullptr;

    // Readme.html beside the program, else the installed one.
    static QString HelpPagePath();

private:
    void mnuNTP_Click();
    void mnuBlink_Click();
    void mnuTopMost_Click();
    void mnuHelp_Click();
    void mnuExit_Click();

    SettingsRecord& settings_;
    ClockWindow& clock_;
    Commands commands_;
};
