#include "GeneralPage.h"

#include <QCheckBox>
#include <QHBoxLayout>

GeneralPage::GeneralPage(QWidget* parent) : OptionsPage(parent) {
    AddHeading(QStringLiteral("動作"));
    chkAutoRun = AddCheckBox(QStringLiteral("chkAutoRun"), AutoRunCaption());
    chkClearRecent =
        AddCheckBox(QStringLiteral("chkClearRecent"),
                    QStringLiteral("起動時に「最近使ったファイル」の一覧をクリアする(&C)"));
    chkClearRecycleBin = AddCheckBox(QStringLiteral("chkClearRecycleBin"),
                                     QStringLiteral("起動時に「ごみ箱」を空にする(&B)"));
    QHBoxLayout* indented = AddLine();
    indented->addSpacing(CheckBoxIndent());
    chkClearRecycleBin_NoConfirm =
        AddCheckBox(QStringLiteral("chkClearRecycleBin_NoConfirm"),
                    QStringLiteral("削除するファイルの確認を表示しない(&F)"), indented);
    // Only enabled: its own check stays as it is, and is stored, while the
    // trash is not emptied.
    connect(chkClearRecycleBin, &QCheckBox::toggled, chkClearRecycleBin_NoConfirm,
            &QWidget::setEnabled);

    AddHeading(QStringLiteral("操作"));
    chkEXITbyDblClick = AddCheckBox(QStringLiteral("chkEXITbyDblClick"),
                                    QStringLiteral("ウィンドウのダブルクリックで終了する(&X)"));

    AddHeading(QStringLiteral("ウィンドウ"));
    chkTopMost = AddCheckBox(QStringLiteral("chkTopMost"), QStringLiteral("常に手前に表示(&T)"));
    chkFixWindowPosition =
        AddCheckBox(QStringLiteral("chkFixWindowPosition"),
                    QStringLiteral("終了時と同じ位置にウィンドウを表示する(&P)"));
    Finish();
}

GeneralPage::~GeneralPage() = default;

QString GeneralPage::AutoRunCaption() {
#ifdef _WIN32
    return QStringLiteral("Windows へのログオン時に Morvatel を実行する(&R)");
#else
    return QStringLiteral("ログイン時に Morvatel を実行する(&R)");
#endif
}

void GeneralPage::Load(const Options::Form& f) {
    chkEXITbyDblClick->setChecked(f.chkEXITbyDblClick);
    chkClearRecent->setChecked(f.chkClearRecent);
    chkClearRecycleBin->setChecked(f.chkClearRecycleBin);
    chkClearRecycleBin_NoConfirm->setEnabled(f.chkClearRecycleBin);
    chkClearRecycleBin_NoConfirm->setChecked(f.chkClearRecycleBin_NoConfirm);
    chkAutoRun->setChecked(f.chkAutoRun);
    chkTopMost->setChecked(f.chkTopMost);
    chkFixWindowPosition->setChecked(f.chkFixWindowPosition);
}

void GeneralPage::Save(Options::Form& f) const {
    f.chkAutoRun = chkAutoRun->isChecked();
    f.chkClearRecent = chkClearRecent->isChecked();
    f.chkClearRecycleBin = chkClearRecycleBin->isChecked();
    f.chkClearRecycleBin_NoConfirm = chkClearRecycleBin_NoConfirm->isChecked();
    f.chkEXITbyDblClick = chkEXITbyDblClick->isChecked();
    f.chkTopMost = chkTopMost->isChecked();
    f.chkFixWindowPosition = chkFixWindowPosition->isChecked();
}
