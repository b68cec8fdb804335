#include "ClockMenu.h"

#include "DialogFont.h"

#include <QAction>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

namespace {

// A Japanese desktop's menu shows a tick beside a ticked item and nothing
// beside an unticked one, where the widget styles draw a check box.
class TickOnlyStyle final : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_IndicatorCheckBox || qobject_cast<const QMenu*>(widget) == nullptr) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        if ((option->state & State_On) == 0) {
            return;
        }
        const QRectF r = QRectF(option->rect).adjusted(2, 2, -2, -2);
        QPainterPath tick;
        tick.moveTo(r.left() + r.width() * 0.15, r.top() + r.height() * 0.55);
        tick.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.80);
        tick.lineTo(r.left() + r.width() * 0.88, r.top() + r.height() * 0.22);
        const bool selected = (option->state & State_Selected) != 0;
        QPen pen(option->palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        pen.setWidthF(std::max(1.5, r.height() / 7));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(pen);
        painter->drawPath(tick);
        painter->restore();
    }
};

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
    // The dialogs' font, not the platform's menu font, which on a desktop
    // without Japanese settings is another face altogether.
    setFont(DialogFont());
    auto* style = new TickOnlyStyle;
    style->setParent(this);
    setStyle(style);

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
