#pragma once

#include "settings/SettingsRecord.h"

#include <cstddef>

class QWidget;

namespace StartupChores {

// The chores the settings ask for, once, after the clock has been shown:
// clearing the recent documents (ClearRecent), then emptying the trash
// (ClearRecycleBin), asking first unless ClearRecycleBin_NoConfirm.
void Run(QWidget& clock, const SettingsRecord& settings);

// The question before the trash is emptied, owned by the clock and above it
// when it is top-most; true for "はい". "いいえ" is the default and Esc.
bool AskEmptyTrash(QWidget* clock, std::size_t items, const SettingsRecord& settings);

// Ends the trash question, when it is open, as "いいえ": the program is
// ending, and nothing is removed on the way out.
void EndQuestion(QWidget& clock);

} // namespace StartupChores
