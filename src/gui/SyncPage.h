#pragma once

#include "OptionsPage.h"
#include "datetime/LocalDateTime.h"
#include "settings/SettingsRecord.h"

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class SpinField;

// 時刻合わせ: the server, the triggers, the run's details, a synchronisation
// on demand and when the last and next ones were.
class SyncPage : public OptionsPage {
    Q_OBJECT
public:
    struct Sources {
        // LastSyncText: empty until a run has set the clock.
        std::function<std::string()> lastSyncText;
        std::function<LocalDateTime()> clock;
    };

    // The status lines read the applied settings, not the page's controls.
    SyncPage(const SettingsRecord& applied, Sources sources, QWidget* parent = nullptr);
    ~SyncPage() override;

    void Load(const Options::Form& form) override;
    void Save(Options::Form& form) const override;

    // The status timer's tick: the last synchronisation when there is a newer
    // one, and when the next timed one is due.
    void RefreshStatus();

Q_SIGNALS:
    // The interval field's text changed: typed, stepped or loaded.
    void IntervalEdited();
    // 今すぐ同期 with the server as typed; returns once the run is over.
    void synchroniseRequested(const std::string& server);

private:
    // Owned through Qt parenthood.
    QComboBox* cmbServers = nullptr;
    QPushButton* cmdTestNTP = nullptr;
    QCheckBox* chkNTS = nullptr;
    QCheckBox* chkNTPatRun = nullptr;
    QCheckBox* chkNTPatResume = nullptr;
    QCheckBox* chkNTPbyTimer = nullptr;
    SpinField* txtNTPbyTimer_Interval = nullptr;
    QLabel* lblNTP_LastModified = nullptr;
    QLabel* lblNTPbyTimer = nullptr;
    SpinField* txtNTPatResume_Delay = nullptr;
    QCheckBox* chkNTP_UsePermissibleDelay = nullptr;
    SpinField* txtNTP_PermissibleDelay = nullptr;
    SpinField* txtNTP_Samples = nullptr;
    QCheckBox* chkNTP_ShowDialog = nullptr;
    QCheckBox* chkNTP_Logging = nullptr;

    void SynchroniseNow();
    void RefreshLastSync();

    const SettingsRecord& applied_;
    Sources sources_;
};
