#pragma once

#include "app/SettingsRecord.h"

#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class frmMain;

// The hidden form that owns the clock's popup menu. It is never shown; the
// clock window opens its menu at the pointer.
class frmMenus : public QWidget {
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

    frmMenus(SettingsRecord& settings, frmMain& clock, QWidget* parent = nullptr);
    ~frmMenus() override;

    void SetCommands(Commands commands);

    // Check marks from the record (start-up and the options dialog's Apply).
    void SyncCheckMarks();

    // Opens the menu with its left edge at the pointer; no default item.
    void ShowAt(const QPoint& globalPos);

    QMenu* mnuMenus = nullptr;
    QAction* mnuNTP = nullptr;
    QAction* mnuBar1 = nullptr;
    QAction* mnuBlink = nullptr;
    QAction* mnuTopMost = nullptr;
    QAction* mnuOption = nullptr;
    QAction* mnuBar2 = nullptr;
    QAction* mnuInfo = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuBar3 = nullptr;
    QAction* mnuExit = nullptr;

    // Readme.html beside the program (or in the installed documentation).
    static QString HelpPagePath();

private:
    void mnuNTP_Click();
    void mnuBlink_Click();
    void mnuTopMost_Click();
    void mnuOption_Click();
    void mnuInfo_Click();
    void mnuHelp_Click();
    void mnuExit_Click();

    SettingsRecord& settings_;
    frmMain& clock_;
    Commands commands_;
};
