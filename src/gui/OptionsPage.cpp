#include "OptionsPage.h"

#include "SpinField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

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
    line.addWidget(field);
    line.addWidget(UnitLabel(unit));
    line.addStretch(1);
    return field;
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
    line->addWidget(new QLabel(QStringLiteral("サンプル: "), this));
    auto* sample = new QLabel(QStringLiteral(" "), this);
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
