#include "ClockPage.h"

#include "SpinField.h"
#include "datetime/DatePattern.h"
#include "options/OptionsTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

ClockPage::ClockPage(std::function<LocalDateTime()> clock, const CalendarData& calendar,
                     QWidget* parent)
    : OptionsPage(parent), clock_(std::move(clock)), calendar_(calendar) {
    AddHeading(QStringLiteral("時計の表示"));
    chkBlink = AddCheckBox(QStringLiteral("chkBlink"), QStringLiteral("点滅する(&S)"));
    QHBoxLayout* offset = AddLine();
    // The field stays usable with the box clear: the offset is kept for later.
    chkUseTimeOffset = AddCheckBox(QStringLiteral("chkUseTimeOffset"),
                                   QStringLiteral("時刻をずらして表示する(&O)"), offset);
    txtTimeOffset = AddSpinField(QStringLiteral("txtTimeOffset"), Options::kTimeOffsetBounds,
                                 QStringLiteral("分"), *offset);

    QVBoxLayout* inside = nullptr;
    const QGroupBox* timeFrame = AddFrame(QStringLiteral("時刻の表示形式"), inside);
    cmbTimeFormat = new QComboBox(this);
    cmbTimeFormat->setObjectName(QStringLiteral("cmbTimeFormat"));
    NameAfterFrame(*cmbTimeFormat, *timeFrame);
    for (const std::string_view entry : Options::kTimeFormats) {
        cmbTimeFormat->addItem(QString::fromUtf8(entry.data(), static_cast<int>(entry.size())));
    }
    inside->addWidget(cmbTimeFormat);
    lblTimeFormatSample = AddSample(QStringLiteral("lblTimeFormatSample"), *inside);

    const QGroupBox* dateFrame = AddFrame(QStringLiteral("日付の表示形式"), inside);
    cmbDateFormat = new QComboBox(this);
    cmbDateFormat->setObjectName(QStringLiteral("cmbDateFormat"));
    MakeFreeText(*cmbDateFormat);
    NameAfterFrame(*cmbDateFormat, *dateFrame);
    for (const std::string_view preset : Options::kDatePresets) {
        cmbDateFormat->addItem(QString::fromUtf8(preset.data(), static_cast<int>(preset.size())));
    }
    inside->addWidget(cmbDateFormat);
    lblDateFormatSample = AddSample(QStringLiteral("lblDateFormatSample"), *inside);
    Finish();

    // The sample first, so it is up to date by the time Apply is enabled.
    const auto timeChanged = [this] {
        UpdateTimeSample();
        Q_EMIT Changed();
    };
    connect(cmbTimeFormat, &QComboBox::currentIndexChanged, this, timeChanged);
    connect(cmbTimeFormat, &QComboBox::activated, this, timeChanged);
    const auto dateChanged = [this] {
        UpdateDateSample();
        Q_EMIT Changed();
    };
    connect(cmbDateFormat, &QComboBox::editTextChanged, this, dateChanged);
    connect(cmbDateFormat, &QComboBox::activated, this, dateChanged);
}

ClockPage::~ClockPage() = default;

void ClockPage::Load(const Options::Form& f) {
    chkUseTimeOffset->setChecked(f.chkUseTimeOffset);
    chkBlink->setChecked(f.chkBlink);
    txtTimeOffset->SetText(QString::fromStdString(f.txtTimeOffset));
    cmbTimeFormat->setCurrentIndex(f.cmbTimeFormat);
    ShowText(*cmbDateFormat, f.cmbDateFormat);
    // Also when the entry or text was already there and nothing changed.
    UpdateTimeSample();
    UpdateDateSample();
}

void ClockPage::Save(Options::Form& f) const {
    f.chkBlink = chkBlink->isChecked();
    f.chkUseTimeOffset = chkUseTimeOffset->isChecked();
    f.txtTimeOffset = txtTimeOffset->NumberText();
    f.cmbTimeFormat = cmbTimeFormat->currentIndex();
    f.cmbDateFormat = TextOf(*cmbDateFormat);
}

void ClockPage::UpdateTimeSample() {
    const LocalDateTime now = clock_();
    lblTimeFormatSample->setText(QString::fromStdString(
        Options::TimeSample(cmbTimeFormat->currentIndex(), now.hour, now.minute)));
}

void ClockPage::UpdateDateSample() {
    const std::string sample = DatePattern::FormatDate(clock_(), TextOf(*cmbDateFormat), calendar_);
    lblDateFormatSample->setText(QString::fromStdString(sample));
}
