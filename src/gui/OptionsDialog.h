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
    struct Sources {
        // The log-on start as the system has it.
        std::function<bool()> queryAutoRun;
        // LastSyncText: empty until a run has set the clock.
        std::function<std::string()> lastSyncText;
        // Empty: the system's local time.
        std::function<LocalDateTime()> localClock;
    };

    // Loads from settings, which Apply writes; calendar names the months and
    // weekdays of the date sample. Both must outlive the dialog.
    OptionsDialog(SettingsRecord& settings, const CalendarData& calendar, Sources sources,
                  QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // Stores every control, puts the settings into effect and saves them.
    void Apply();

    void done(int result) override;

    // The least client size, whatever the font: 6975 x 5910 twips.
    static QSize MinimumClientSize(double logicalDpi);

Q_SIGNALS:
    // Apply filled the record: put it into effect on the clock at once and
    // save it.
    void applied();
    // The log-on start as Apply leaves it, for the system to make so.
    void autoRunChosen(bool on);
    // 今すぐ同期; returns once the run is over.
    void synchroniseRequested(const std::string& server);

private:
    // Owned through Qt parenthood.
    QTabWidget* TabStrip1 = nullptr;
    GeneralPage* generalPage = nullptr;
    ClockPage* clockPage = nullptr;
    SyncPage* syncPage = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    QTimer* tmrShowLog = nullptr;

    void SetFocusOrder();
    void LayOut(const QScreen* screen);

    SettingsRecord& settings_;
    Sources sources_;
    // Set by an edit of the interval field; Apply then restarts the countdown.
    bool intervalEdited_ = false;
};
