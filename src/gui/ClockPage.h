#pragma once

#include "OptionsPage.h"
#include "datetime/LocalDateTime.h"

#include <functional>

class CalendarData;
class QCheckBox;
class QComboBox;
class QLabel;
class SpinField;

// 時計: blinking, the time offset, and the hour style and date pattern with
// their samples.
class ClockPage : public OptionsPage {
    Q_OBJECT
public:
    // The samples render the time clock() gives with calendar's names.
    ClockPage(std::function<LocalDateTime()> clock, const CalendarData& calendar,
              QWidget* parent = nullptr);
    ~ClockPage() override;

    void Load(const Options::Form& form) override;
    void Save(Options::Form& form) const override;

private:
    // Owned through Qt parenthood.
    QCheckBox* chkBlink = nullptr;
    QCheckBox* chkUseTimeOffset = nullptr;
    SpinField* txtTimeOffset = nullptr;
    QComboBox* cmbTimeFormat = nullptr;
    QLabel* lblTimeFormatSample = nullptr;
    QComboBox* cmbDateFormat = nullptr;
    QLabel* lblDateFormatSample = nullptr;

    // Each shows the time of the last change, not a running clock.
    void UpdateTimeSample();
    void UpdateDateSample();

    std::function<LocalDateTime()> clock_;
    const CalendarData& calendar_;
};
