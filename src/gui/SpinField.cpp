#include "SpinField.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

SpinField::SpinField(Options::SpinBounds bounds, QWidget* parent)
    : QAbstractSpinBox(parent), bounds_(bounds) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A held arrow keeps stepping, one at a time, as the arrows always did.
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinField::textChanged);
}

SpinField::~SpinField() = default;

void SpinField::SetText(const QString& text) {
    lineEdit()->setText(text);
}

std::string SpinField::NumberText() const {
    return text().normalized(QString::NormalizationForm_KC).toStdString();
}

void SpinField::stepBy(int steps) {
    const std::string next = Options::Step(NumberText(), bounds_, steps);
    lineEdit()->setText(QString::fromStdString(next));
    selectAll();
}

QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const {
    if (isReadOnly()) {
        return StepNone;
    }
    // An arrow that would leave the text as it is has nothing to do.
    const std::string now = NumberText();
    StepEnabled enabled = StepNone;
    if (Options::Step(now, bounds_, 1) != now) {
        enabled |= StepUpEnabled;
    }
    if (Options::Step(now, bounds_, -1) != now) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

QValidator::State SpinField::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

QSize SpinField::sizeHint() const {
    ensurePolished();
    // Whatever is typed stays as typed, so the field shows ten characters
    // of the font it really uses, not only its bounds' digits; then the
    // line's own margins, the style's frame and the arrows around it.
    const QFontMetrics fm(fontMetrics());
    const int text = std::max(fm.horizontalAdvance(QString(kShownCharacters, QLatin1Char('0'))),
                              kShownCharacters * fm.averageCharWidth());
    const QSize contents(text + kLineEditMargins, lineEdit()->sizeHint().height());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    QSize size = style()->sizeFromContents(QStyle::CT_SpinBox, &option, contents, this);
    // Some styles (Windows' own among them) carve a narrower edit field out
    // of the box than they added for it; the line gets what it asked for.
    option.rect = QRect(QPoint(), size);
    const int field =
        style()
            ->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxEditField, this)
            .width();
    size.rwidth() += std::max(0, contents.width() - field);
    return size;
}

QSize SpinField::minimumSizeHint() const {
    return sizeHint();
}
