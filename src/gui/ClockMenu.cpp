#include "ClockMenu.h"

#include <QAction>
#include <QTimer>

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

ClockMenu::ClockMenu(SettingsRecord& settings, QWidget* owner)
    : QMenu(QStringLiteral("ショートカットメニュー"), owner), settings_(settings) {
    setObjectName(QStringLiteral("mnuMenus"));

    QAction* sync = Item(*this, QStringLiteral("mnuNTP"), QStringLiteral("時刻の同期(&N)"));
    Separator(*this, QStringLiteral("mnuBar1"));
    mnuBlink_ = Item(*this, QStringLiteral("mnuBlink"), QStringLiteral("点滅(&B)"));
    mnuBlink_->setCheckable(true);
    mnuTopMost_ = Item(*this, QStringLiteral("mnuTopMost"), QStringLiteral("常に手前に表示(&T)"));
    mnuTopMost_->setCheckable(true);
    QAction* options =
        Item(*this, QStringLiteral("mnuOption"), QStringLiteral("オプション(&O)..."));
    Separator(*this, QStringLiteral("mnuBar2"));
    QAction* about = Item(*this, QStringLiteral("mnuInfo"), QStringLiteral("バージョン情報(&A)"));
    QAction* help = Item(*this, QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ(&H)..."));
    Separator(*this, QStringLiteral("mnuBar3"));
    QAction* exit = Item(*this, QStringLiteral("mnuExit"), QStringLiteral("終了(&X)"));

    // Lets the menu close before the program goes away.
    tmrExit_ = new QTimer(this);
    tmrExit_->setObjectName(QStringLiteral("tmrExit"));
    tmrExit_->setInterval(100);
    tmrExit_->setSingleShot(true);

    connect(sync, &QAction::triggered, this, &ClockMenu::synchroniseRequested);
    connect(mnuBlink_, &QAction::triggered, this, &ClockMenu::ToggleBlink);
    connect(mnuTopMost_, &QAction::triggered, this, &ClockMenu::ToggleTopMost);
    connect(options, &QAction::triggered, this, &ClockMenu::optionsRequested);
    connect(about, &QAction::triggered, this, &ClockMenu::aboutRequested);
    connect(help, &QAction::triggered, this, &ClockMenu::helpRequested);
    connect(exit, &QAction::triggered, tmrExit_, qOverload<>(&QTimer::start));
    connect(tmrExit_, &QTimer::timeout, this, &ClockMenu::exitRequested);

    SyncCheckMarks();
}

ClockMenu::~ClockMenu() = default;

void ClockMenu::SyncCheckMarks() {
    mnuBlink_->setChecked(settings_.Blink);
    mnuTopMost_->setChecked(settings_.TopMost);
}

void ClockMenu::ShowAt(const QPoint& globalPos) {
    popup(globalPos);
}

void ClockMenu::ToggleBlink() {
    settings_.Blink = !settings_.Blink;
    mnuBlink_->setChecked(settings_.Blink);
    Q_EMIT blinkToggled(settings_.Blink);
}

void ClockMenu::ToggleTopMost() {
    settings_.TopMost = !settings_.TopMost;
    mnuTopMost_->setChecked(settings_.TopMost);
    Q_EMIT topMostToggled(settings_.TopMost);
}
