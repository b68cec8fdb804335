#include "ui/frmMenus.h"

#include "app/frmMain.h"
#include "app/modMainApp.h"
#include "platform/ProgramFolder.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QUrl>

frmMenus::frmMenus(SettingsRecord& settings, frmMain& clock, QWidget* parent)
    : QWidget(parent), settings_(settings), clock_(clock) {
    mnuMenus = new QMenu(QStringLiteral("ショートカットメニュー"), this);

    mnuNTP = mnuMenus->addAction(QStringLiteral("時刻の同期(&N)"));
    mnuBar1 = mnuMenus->addSeparator();
    mnuBlink = mnuMenus->addAction(QStringLiteral("点滅(&B)"));
    mnuBlink->setCheckable(true);
    mnuTopMost = mnuMenus->addAction(QStringLiteral("常に手前に表示(&T)"));
    mnuTopMost->setCheckable(true);
    mnuOption = mnuMenus->addAction(QStringLiteral("オプション(&O)..."));
    mnuBar2 = mnuMenus->addSeparator();
    mnuInfo = mnuMenus->addAction(QStringLiteral("バージョン情報(&A)"));
    mnuHelp = mnuMenus->addAction(QStringLiteral("ヘルプ(&H)..."));
    mnuBar3 = mnuMenus->addSeparator();
    mnuExit = mnuMenus->addAction(QStringLiteral("終了(&X)"));

    connect(mnuNTP, &QAction::triggered, this, &frmMenus::mnuNTP_Click);
    connect(mnuBlink, &QAction::triggered, this, &frmMenus::mnuBlink_Click);
    connect(mnuTopMost, &QAction::triggered, this, &frmMenus::mnuTopMost_Click);
    connect(mnuOption, &QAction::triggered, this, &frmMenus::mnuOption_Click);
    connect(mnuInfo, &QAction::triggered, this, &frmMenus::mnuInfo_Click);
    connect(mnuHelp, &QAction::triggered, this, &frmMenus::mnuHelp_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMenus::mnuExit_Click);

    SetCommands({});
    SyncCheckMarks();
}

frmMenus::~frmMenus() = default;

void frmMenus::SetCommands(Commands commands) {
    commands_ = std::move(commands);
    mnuNTP->setEnabled(static_cast<bool>(commands_.synchronise));
    mnuOption->setEnabled(static_cast<bool>(commands_.openOptions));
    mnuInfo->setEnabled(static_cast<bool>(commands_.openAbout));
}

void frmMenus::SyncCheckMarks() {
    mnuBlink->setChecked(settings_.Blink);
    mnuTopMost->setChecked(settings_.TopMost);
}

void frmMenus::ShowAt(const QPoint& globalPos) {
    mnuMenus->popup(globalPos);
}

QString frmMenus::HelpPagePath() {
    const QDir programFolder(QString::fromStdString(ProgramFolder::ExecutableFolder()));
    const QString beside = programFolder.filePath(QStringLiteral("Readme.html"));
    // An installed program (bin/) keeps its page with the documentation.
    const QString installed =
        programFolder.filePath(QStringLiteral("../share/doc/morvatel/Readme.html"));
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed)) {
        return QDir::cleanPath(installed);
    }
    return beside;
}

void frmMenus::mnuNTP_Click() {
    if (commands_.synchronise) {
        commands_.synchronise();
    }
}

void frmMenus::mnuBlink_Click() {
    settings_.Blink = !settings_.Blink;
    mnuBlink->setChecked(settings_.Blink);
    if (commands_.saveSettings) {
        commands_.saveSettings();
    }
    clock_.DrawClockFace(true);
}

void frmMenus::mnuTopMost_Click() {
    settings_.TopMost = !settings_.TopMost;
    mnuTopMost->setChecked(settings_.TopMost);
    modMain::SetTopMost(&clock_, settings_.TopMost);
    if (commands_.saveSettings) {
        commands_.saveSettings();
    }
}

void frmMenus::mnuOption_Click() {
    if (commands_.openOptions) {
        commands_.openOptions();
    }
}

void frmMenus::mnuInfo_Click() {
    if (commands_.openAbout) {
        commands_.openAbout();
    }
}

void frmMenus::mnuHelp_Click() {
    if (commands_.openHelp) {
        commands_.openHelp();
        return;
    }
    // A missing page or no viewer simply shows nothing.
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpPagePath()));
}

void frmMenus::mnuExit_Click() {
    // Only arms the exit, so the menu has closed before shutdown begins.
    clock_.tmrExit->start();
}
