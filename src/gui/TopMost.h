#pragma once

#include "settings/SettingsRecord.h"

class QWidget;

// Into (on) or out of (off) the top-most band, without moving or sizing.
void SetTopMost(QWidget* window, bool on);

// Every window opened over the clock goes into the top-most band first when
// the TopMost setting is on, and the clock goes back into it after the window
// closed: SetTopMost(window, true) when TopMost is on.
void ReassertTopMost(QWidget* window, const SettingsRecord& settings);
