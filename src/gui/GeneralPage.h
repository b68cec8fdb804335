#pragma once

#include "OptionsPage.h"

class QCheckBox;

// 全般: start-up chores, the log-on start, the double-click and the window.
class GeneralPage : public OptionsPage {
    Q_OBJECT
public:
    explicit GeneralPage(QWidget* parent = nullptr);
    ~GeneralPage() override;

    void Load(const Options::Form& form) override;
    void Save(Options::Form& form) const override;

    // Names the system the program runs on.
    static QString AutoRunCaption();

private:
    // Owned through Qt parenthood.
    QCheckBox* chkAutoRun = nullptr;
    QCheckBox* chkClearRecent = nullptr;
    QCheckBox* chkClearRecycleBin = nullptr;
    QCheckBox* chkClearRecycleBin_NoConfirm = nullptr;
    QCheckBox* chkEXITbyDblClick = nullptr;
    QCheckBox* chkTopMost = nullptr;
    QCheckBox* chkFixWindowPosition = nullptr;
};
