#include "ClockMenu.h"

#include "ClockWindow.h"
#include "ProgramFolder.h"
#include "TopMost.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <string>

namespace {

QAction* Item(QMenu& menu, const QString& name, const QString& caption) {
    QAction* action = menu.addAction(caption);
    action->setObjectName(name);
    return action;
}

void Separator(QMenu& menu, const QString& name) {
    menu.addSeparator()->setObjectName(name);
}

} // namespace

ClockMenu::ClockMenu(SettingsRecord& settings, ClockWindow& clock)
    : QMenu(QStringLiteral("ショートカットメニュー"), &clock), settings_(settings), clock_(clock) {
    setObjectName(QStringLiteral("mnuMenus"));

    mnuNTP = Item(*this, QStringLiteral("mnuNTP"), QStringLiteral("時刻の同期(&N)"));
    Separator(*this, QStringLiteral("mnuBar1"));
    mnuBlink = Item(*this, QStringLiteral("mnuBlink"), QStringLiteral("点滅(&B)"));
    mnuBlink->setCheckable(true);
    mnuTopMost = Item(*this, QStringLiteral("mnuTopMost"), QStringLiteral("常に手前に表示(&T)"));
    mnuTopMost->setCheckable(true);
    mnuOption = Item(*this, QStringLiteral("mnuOption"), QStringLiteral("オプション(&O)..."));
    Separator(*this, QStringLiteral("mnuBar2"));
    mnuInfo = Item(*this, QStringLiteral("mnuInfo"), QStringLiteral("バージョン情報(&A)"));
    mnuHelp = Item(*this, QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ(&H)..."));
    Separator(*this, QStringLiteral("mnuBar3"));
    mnuExit = Item(*this, QStringLiteral("mnuExit"), QStringLiteral("終了(&X)"));

    connect(mnuNTP, &QAction::triggered, this, &ClockMenu::mnuNTP_Click);
    connect(mnuBlink, &QAction::triggered, this, &ClockMenu::mnuBlink_Click);
    connect(mnuTopMost, &QAction::triggered, this, &ClockMenu::mnuTopMost_Click);
    connect(mnuOption, &QAction::triggered, this, [this] {
        if (commands_.openOptions) {
            commands_.openOptions();
        }
    });
    connect(mnuInfo, &QAction::triggered, this, [this] {
        if (commands_.openAbout) {
            commands_.openAbout();
        }
    });
    connect(mnuHelp, &QAction::triggered, this, &ClockMenu::mnuHelp_Click);
    connect(mnuExit, &QAction::triggered, this, &ClockMenu::mnuExit_Click);

    SetCommands({});
    SyncCheckMarks();
}

ClockMenu::~ClockMenu() = default;

void ClockMenu::SetCommands(Commands commands) {
    commands_ = std::move(commands);
    mnuNTP->setEnabled(static_cast<bool>(commands_.synchronise));
    mnuOption->setEnabled(static_cast<bool>(commands_.openOptions));
    mnuInfo->setEnabled(static_cast<bool>(commands_.openAbout));
}

void ClockMenu::SyncCheckMarks() {
    mnuBlink->setChecked(settings_.Blink);
    mnuTopMost->setChecked(settings_.TopMost);
}

void ClockMenu::ShowAt(const QPoint& globalPos) {
    popup(globalPos);
}

QString ClockMenu::HelpPagePath() {
    return QString::fromStdString(
        ProgramFolder::HelpPage(ProgramFolder::ExecutableFolder(), [](const std::string& file) {
            return QFileInfo::exists(QString::fromStdString(file));
        }));
}

void ClockMenu::mnuNTP_Click() {
    if (commands_.synchronise) {
        commands_.synchronise();
    }
}

void ClockMenu::mnuBlink_Click() {
    settings_.Blink = !settings_.Blink;
    mnuBlink->setChecked(settings_.Blink);
    if (commands_.saveSettings) {
        commands_.saveSettings();
    }
    clock_.DrawClockFace(true);
}

void ClockMenu::mnuTopMost_Click() {
    settings_.TopMost = !settings_.TopMost;
    mnuTopMost->setChecked(settings_.TopMost);
    SetTopMost(&clock_, settings_.TopMost);
    if (commands_.saveSettings) {
        commands_.saveSettings();
    }
}

void ClockMenu::mnuHelp_Click() {
    if (commands_.openHelp) {
        commands_.openHelp();
        return;
    }
    // A missing page or no viewer simply shows nothing.
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpPagePath()));
}

void ClockMenu::mnuExit_Click() {
    // Only arms the exit, so the menu has closed before shutdown begins.
    clock_.tmrExit->start();
}
