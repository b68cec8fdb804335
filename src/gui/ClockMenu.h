#pragma once

#include "settings/SettingsRecord.h"

#include <QMenu>

class QAction;
class QTimer;

// The clock's popup menu, owned by the clock window and opened at the
// pointer; no default item. The two toggles change the record themselves;
// everything else is announced.
class ClockMenu : public QMenu {
    Q_OBJECT
public:
    ClockMenu(SettingsRecord& settings, QWidget* owner);
    ~ClockMenu() override;

    // Check marks from the record (start-up and the options dialog's Apply).
    void SyncCheckMarks();

    // Opens the menu with its left edge at the pointer.
    void ShowAt(const QPoint& globalPos);

Q_SIGNALS:
    void synchroniseRequested();
    // The record already holds the new state; it wants saving and showing.
    void blinkToggled(bool on);
    void topMostToggled(bool on);
    void optionsRequested();
    void aboutRequested();
    void helpRequested();
    // A moment after 終了, so the menu has closed before the program ends.
    void exitRequested();

private:
    void ToggleBlink();
    void ToggleTopMost();

    SettingsRecord& settings_;
    // Owned through Qt parenthood.
    QAction* mnuBlink_ = nullptr;
    QAction* mnuTopMost_ = nullptr;
    QTimer* tmrExit_ = nullptr;
};
