#include "OptionsPage.h"

#include "SpinField.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// A caption as a reader says it: without its access key's marker.
QString Spoken(QString caption) {
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption.trimmed();
}

} // namespace

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent) {
    column_ = new QVBoxLayout(this);
    section_ = column_;
}

OptionsPage::~OptionsPage() = default;

void OptionsPage::FocusFirstControl() {
    // Created top to bottom, so the first child that takes Tab is the top one.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if ((child->focusPolicy() & Qt::TabFocus) != 0 && child->isEnabled()) {
            child->setFocus();
            return;
        }
    }
}

void OptionsPage::AddHeading(const QString& caption) {
    if (column_->count() > 0) {
        column_->addSpacing(fontMetrics().height() / 2);
    }
    auto* line = new QHBoxLayout;
    line->addWidget(new QLabel(caption, this));
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    line->addWidget(rule, 1);
    column_->addLayout(line);

    section_ = new QVBoxLayout;
    section_->setContentsMargins(fontMetrics().height(), 0, 0, 0);
    column_->addLayout(section_);
}

QHBoxLayout* OptionsPage::AddLine() {
    auto* line = new QHBoxLayout;
    section_->addLayout(line);
    return line;
}

QCheckBox* OptionsPage::AddCheckBox(const QString& name, const QString& caption, QBoxLayout* line) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    connect(box, &QCheckBox::toggled, this, &OptionsPage::Changed);
    if (line != nullptr) {
        line->addWidget(box);
    } else {
        section_->addWidget(box);
    }
    return box;
}

SpinField* OptionsPage::AddSpinField(const QString& name, Options::SpinBounds bounds,
                                     const QString& unit, QBoxLayout& line) {
    auto* field = new SpinField(bounds, this);
    field->setObjectName(name);
    connect(field, &SpinField::textChanged, this, &OptionsPage::Changed);
    // A reader names the field by the check box or caption that leads its
    // line, and its unit.
    QString caption;
    if (line.count() > 0) {
        if (const auto* lead = qobject_cast<const QAbstractButton*>(line.itemAt(0)->widget())) {
            caption = lead->text();
        } else if (const auto* label = qobject_cast<const QLabel*>(line.itemAt(0)->widget())) {
            caption = label->text();
        }
    }
    field->setAccessibleName(QStringLiteral("%1 (%2)").arg(Spoken(caption), unit));
    line.addWidget(field);
    QLabel* unitLabel = UnitLabel(unit);
    unitLabel->setBuddy(field);
    line.addWidget(unitLabel);
    line.addStretch(1);
    return field;
}

void OptionsPage::NameAfterFrame(QWidget& control, const QGroupBox& frame) {
    // The frame's caption is the only one the control has.
    control.setAccessibleName(Spoken(frame.title()));
}

QGroupBox* OptionsPage::AddFrame(const QString& caption, QVBoxLayout*& inside) {
    auto* frame = new QGroupBox(caption, this);
    inside = new QVBoxLayout(frame);
    section_->addWidget(frame);
    return frame;
}

void OptionsPage::Finish() {
    column_->addStretch(1);
}

QLabel* OptionsPage::UnitLabel(const QString& text) {
    return new QLabel(text, this);
}

QLabel* OptionsPage::AddSample(const QString& name, QVBoxLayout& into) {
    auto* line = new QHBoxLayout;
    // The caption ends in its own space.
    line->setSpacing(0);
    auto* caption = new QLabel(QStringLiteral("サンプル: "), this);
    line->addWidget(caption);
    auto* sample = new QLabel(QStringLiteral(" "), this);
    caption->setBuddy(sample);
    sample->setObjectName(name);
    sample->setTextFormat(Qt::PlainText);
    // A long pattern's sample is cut at the frame rather than widening the
    // fixed-size dialog.
    sample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    line->addWidget(sample, 1);
    into.addLayout(line);
    return sample;
}

void OptionsPage::MakeFreeText(QComboBox& box) {
    box.setEditable(true);
    box.setInsertPolicy(QComboBox::NoInsert);
    // Completing from the list would put a preset into the box, and into the
    // sample, while the user is still typing something else.
    box.setCompleter(nullptr);
}

void OptionsPage::ShowText(QComboBox& box, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    box.setCurrentIndex(box.findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive));
    box.setEditText(shown);
}

std::string OptionsPage::TextOf(const QComboBox& box) {
    return box.currentText().toStdString();
}

int OptionsPage::CheckBoxIndent() const {
    return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
}
