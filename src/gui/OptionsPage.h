#pragma once

#include "options/OptionsModel.h"

#include <QWidget>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class SpinField;

// One page of the options dialog: a column of headed sections. Every change
// the user can make on it is announced by Changed, which enables Apply.
class OptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* parent = nullptr);
    ~OptionsPage() override;

    // Fills the page's controls from the form, and reads them back.
    virtual void Load(const Options::Form& form) = 0;
    virtual void Save(Options::Form& form) const = 0;

    // The page's first control that takes the keyboard.
    void FocusFirstControl();

Q_SIGNALS:
    void Changed();

protected:
    // A heading with an etched rule to the page's right edge; what follows is
    // indented under it.
    void AddHeading(const QString& caption);
    // Starts a line of controls in the current section.
    QHBoxLayout* AddLine();
    // A check box on its own line, or at the start of line.
    QCheckBox* AddCheckBox(const QString& name, const QString& caption, QBoxLayout* line = nullptr);
    // A numeric field and its unit label, appended to line.
    SpinField* AddSpinField(const QString& name, Options::SpinBounds bounds, const QString& unit,
                            QBoxLayout& line);
    // A framed group with a caption, in the current section.
    QGroupBox* AddFrame(const QString& caption, QVBoxLayout*& inside);
    // The control a frame holds alone is named by the frame's caption.
    static void NameAfterFrame(QWidget& control, const QGroupBox& frame);
    // Pushes what was added toward the top of the page.
    void Finish();

    QLabel* UnitLabel(const QString& text);
    // The caption "サンプル: " and the sample label after it.
    QLabel* AddSample(const QString& name, QVBoxLayout& into);
    // Lets an editable list be typed into freely: no completion, nothing
    // added to the list.
    static void MakeFreeText(QComboBox& box);
    // Shows text in an editable list, selecting the entry it matches.
    static void ShowText(QComboBox& box, const std::string& text);
    static std::string TextOf(const QComboBox& box);

    // Indent of a box under the check box above it: where that box's caption starts.
    int CheckBoxIndent() const;

private:
    QVBoxLayout* column_ = nullptr;
    QVBoxLayout* section_ = nullptr;
};
