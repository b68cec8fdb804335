#pragma once

#include "app/SettingsRecord.h"

#include <QPoint>
#include <QSize>

#include <cstdint>
#include <string>

class QWidget;
class frmMain;
class frmMenus;

// Start-up, shutdown and the program's process-wide state in the window
// program. The settings file itself is read and written by modMain's store.
namespace modMain {

struct StartOptions {
    // The menu's synchronisation reports success without touching the clock.
    bool dryRun = false;
};

// Runs once, after the QApplication exists; the program then lives in the
// event loop.
void StartApplication(const StartOptions& options = {});

// The one orderly way out, whatever asked for it; runs at most once.
void ExitApplication();

// Drops what the forms and the run still hold; main calls it after the event
// loop, while the QApplication still exists.
void EndApplication();

// The result dialog: the only way the program shows a message to the user.
void ShowSyncMessage(const std::string& text);

// Into (on) or out of (off) the top-most band, without moving or sizing.
void SetTopMost(QWidget* window, bool on);
// SetTopMost(window, true) when the TopMost setting is on.
void ReassertTopMost(QWidget* window);

// SaveSettings with the window's position as ratios of the primary screen.
// False when the file could not be written.
bool SaveSettingsFor(const SettingsRecord& settings, const QWidget& window,
                     const std::string& settingsPath);

// The process-wide state; null before start-up and after the exit.
SettingsRecord& Settings();
frmMain* MainForm();
frmMenus* MenuForm();

// The redraw period for a DrawInterval: 0 stops the timer, values a timer
// cannot take read as the default 75.
int ClockDrawInterval(std::int32_t drawInterval);

// Top-left corner for the position ratios on a screen of the given size. Not
// clamped to the screen, only kept within what a window position can hold.
QPoint PlacementFor(double xRatio, double yRatio, const QSize& screen);

} // namespace modMain
