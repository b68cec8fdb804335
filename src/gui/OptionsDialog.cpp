#include "OptionsDialog.h"

#include "ClockPage.h"
#include "DialogFont.h"
#include "DialogSize.h"
#include "GeneralPage.h"
#include "SyncPage.h"
#include "SystemTime.h"
#include "TopMost.h"
#include "options/OptionsModel.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(SettingsRecord& settings, const CalendarData& calendar,
                             Sources sources, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      settings_(settings), sources_(std::move(sources)) {
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowTitle(QStringLiteral("オプション"));
    setFont(DialogFont());
    if (!sources_.localClock) {
        sources_.localClock = &SystemLocalTime;
    }

    TabStrip1 = new QTabWidget(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    generalPage = new GeneralPage;
    clockPage = new ClockPage(sources_.localClock, calendar);
    syncPage =
        new SyncPage(settings_, SyncPage::Sources{sources_.lastSyncText, sources_.localClock});
    connect(syncPage, &SyncPage::synchroniseRequested, this, &OptionsDialog::synchroniseRequested);
    TabStrip1->addTab(generalPage, QStringLiteral("全般"));
    TabStrip1->addTab(clockPage, QStringLiteral("時計"));
    TabStrip1->addTab(syncPage, QStringLiteral("時刻合わせ"));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // OK is what Enter presses, unless another button has the focus: then
    // that one, as the user sees it framed.
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdApply = new QPushButton(QStringLiteral("適用(&A)"), this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);
    auto* column = new QVBoxLayout(this);
    column->addWidget(TabStrip1, 1);
    column->addLayout(buttons);

    const Options::Form form =
        Options::Load(settings_, sources_.queryAutoRun ? sources_.queryAutoRun() : false);
    generalPage->Load(form);
    clockPage->Load(form);
    syncPage->Load(form);

    // Connected after loading, which changes every control but is no edit.
    for (OptionsPage* page :
         {static_cast<OptionsPage*>(generalPage), static_cast<OptionsPage*>(clockPage),
          static_cast<OptionsPage*>(syncPage)}) {
        connect(page, &OptionsPage::Changed, cmdApply, [this] { cmdApply->setEnabled(true); });
    }
    connect(syncPage, &SyncPage::IntervalEdited, this, [this] { intervalEdited_ = true; });
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        // Also with nothing changed: OK always stores and saves.
        Apply();
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdApply, &QPushButton::clicked, this, &OptionsDialog::Apply);
    cmdApply->setEnabled(false);

    tmrShowLog = new QTimer(this);
    tmrShowLog->setObjectName(QStringLiteral("tmrShowLog"));
    tmrShowLog->setInterval(750);
    connect(tmrShowLog, &QTimer::timeout, syncPage, &SyncPage::RefreshStatus);
    tmrShowLog->start();

    SetFocusOrder();
    QScreen* const screen = parent != nullptr && parent->screen() != nullptr
                                ? parent->screen()
                                : QGuiApplication::primaryScreen();
    LayOut(screen);
    if (parent != nullptr && parent->isVisible() && screen != nullptr) {
        // Centred over a small clock near the top, the dialog would be pushed
        // against the screen's edge. The window manager's frame is not known
        // before the dialog is shown: a title bar's worth is allowed for.
        const QSize framed = size() + QSize(0, 2 * fontMetrics().height());
        move(DialogSize::PlacedNear(parent->frameGeometry(), framed, screen->availableGeometry()));
    }
    generalPage->FocusFirstControl();
}

OptionsDialog::~OptionsDialog() = default;

QSize OptionsDialog::MinimumClientSize(double logicalDpi) {
    return {DialogSize::TwipsToPixels(6975, logicalDpi),
            DialogSize::TwipsToPixels(5910, logicalDpi)};
}

void OptionsDialog::LayOut(const QScreen* screen) {
    // Never smaller than the designed size, and as much larger as the fonts
    // really used need, so no caption is cut.
    setFixedSize(sizeHint().expandedTo(MinimumClientSize(DialogSize::LogicalDpi(screen))));
}

void OptionsDialog::SetFocusOrder() {
    // The visible page from top to bottom (its controls were made in that
    // order), then OK, Cancel and Apply, then the tabs.
    QWidget* previous = cmdOK;
    for (QWidget* next : {static_cast<QWidget*>(cmdCancel), static_cast<QWidget*>(cmdApply),
                          static_cast<QWidget*>(TabStrip1->tabBar())}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void OptionsDialog::Apply() {
    Options::Form form;
    generalPage->Save(form);
    clockPage->Save(form);
    syncPage->Save(form);
    Options::Store(form, intervalEdited_, settings_);
    intervalEdited_ = false;
    Q_EMIT applied();
    // The clock was just raised within its band, top-most or not; the dialog
    // belongs above the clock it edits.
    if (settings_.TopMost) {
        SetTopMost(this, true);
    } else if (isVisible()) {
        raise();
    }
    Q_EMIT autoRunChosen(settings_.AutoRun);
    cmdApply->setEnabled(false);
}

void OptionsDialog::done(int result) {
    // A run started from the page may still be waiting; the status needs no
    // more refreshing once the dialog is gone.
    tmrShowLog->stop();
    QDialog::done(result);
}
