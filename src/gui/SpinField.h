#pragma once

#include "options/OptionsModel.h"

#include <QAbstractSpinBox>

#include <string>

// A numeric text field with its up/down arrows inside. The bounds limit the
// arrows and the Up/Down keys only: whatever is typed stays as typed, and the
// settings take it from the text.
class SpinField : public QAbstractSpinBox {
    Q_OBJECT
public:
    SpinField(Options::SpinBounds bounds, QWidget* parent = nullptr);
    ~SpinField() override;

    void SetText(const QString& text);
    // The text as a number is read from it: digits, signs and the decimal
    // point typed full-width with an input method count as their ASCII forms.
    std::string NumberText() const;

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // How many characters the field shows without scrolling.
    static constexpr int kShownCharacters = 10;

Q_SIGNALS:
    // Typed, pasted, stepped or set.
    void textChanged(const QString& text);

protected:
    StepEnabled stepEnabled() const override;

private:
    // A line edit keeps this much beside its text, and one pixel for the
    // cursor.
    static constexpr int kLineEditMargins = 2 * 2 + 1;
    Options::SpinBounds bounds_;
};
