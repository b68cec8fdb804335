#pragma once

#include "datetime/LocalDateTime.h"
#include "settings/SettingsRecord.h"

#include <QDialog>

#include <functional>
#include <string>

class CalendarData;
class ClockPage;
class GeneralPage;
class QPushButton;
class QScreen;
class QTabWidget;
class QTimer;
class SyncPage;

// The options: three pages that edit the settings record. Nothing takes
// effect before Apply (or OK); Cancel and the close box store nothing.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // What the dialog asks of the rest of the program.
    struct Services {
        // The log-on start as the system has it, and making it so.
        std::function<bool()> queryAutoRun;
        std::function<void(bool on)> applyAutoRun;
        // After Apply filled the record: put it into effect on the clock at
        // once and save it.
        std::function<void()> settingsApplied;
        // SyncSystemTime(true, server); returns once the run is over.
        std::function<void(const std::string& server)> synchronise;
        // LastSyncText: empty until a run has set the clock.
        std::function<std::string()> lastSyncText;
        // Empty: the system's local time.
        std::function<LocalDateTime()> localClock;
    };

    // Loads from settings, which Apply writes; calendar names the months and
    // weekdays of the date sample. Both must outlive the dialog.
    OptionsDialog(SettingsRecord& settings, const CalendarData& calendar, Services services,
                  QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // Stores every control, puts the settings into effect and saves them.
    void Apply();

    void done(int result) override;

    // The designed controls. Owned through Qt parenthood.
    QTabWidget* TabStrip1 = nullptr;
    GeneralPage* generalPage = nullptr;
    ClockPage* clockPage = nullptr;
    SyncPage* syncPage = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    QTimer* tmrShowLog = nullptr;

    // The least client size, whatever the font: 6975 x 5910 twips.
    static QSize MinimumClientSize(double logicalDpi);

private:
    void SetFocusOrder();
    void LayOut(const QScreen* screen);

    SettingsRecord& settings_;
    Services services_;
    // Set by an edit of the interval field; Apply then restarts the countdown.
    bool intervalEdited_ = false;
};
