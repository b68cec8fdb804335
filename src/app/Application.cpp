#include "Application.h"

#include "AboutDialog.h"
#include "AtomicFile.h"
#include "Autostart.h"
#include "ClockMenu.h"
#include "ClockStepWatch.h"
#include "ClockWindow.h"
#include "DialogFont.h"
#include "HelpPage.h"
#include "Instance.h"
#include "OptionsDialog.h"
#include "QtPictures.h"
#include "QtTimer.h"
#include "StartupChores.h"
#include "SyncResultDialog.h"
#include "SyncRunner.h"
#include "SystemCalendar.h"
#include "SystemClockSteps.h"
#include "SystemServices.h"
#include "TerminationSignals.h"
#include "TextCodec.h"
#include "TopMost.h"
#include "datetime/DatePattern.h"
#include "datetime/LazyCalendarData.h"
#include "face/RedrawSchedule.h"
#include "ntp/Triggers.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

using ntp::Triggers::ArmSyncAtResume;
using ntp::Triggers::ArmSyncAtRun;

namespace {

// A second copy's place is the window system's choice until the user drags
// the clock (the left button held while the pointer moves on it).
class DragWatch final : public QObject {
public:
    DragWatch(SettingsRecord& s, QObject* window) : QObject(window), s_(s) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove &&
            static_cast<QMouseEvent*>(event)->buttons() == Qt::LeftButton) {
            s_.OwnsWindowPosition = true;
        }
        return false;
    }

private:
    SettingsRecord& s_;
};

} // namespace

Application::Application(const StartOptions& options)
    : context_(LoadProgramContext(options.dryRun)) {}

Application::~Application() {
    exiting_ = true;
    clockSteps_.reset();
    runner_.reset();
    resumeWatch_.reset();
    ntpAtRun_.reset();
    tmrNTPatRun_.reset();
    window_.reset();
    terminationNotifier_.reset();
}

bool Application::SaveSettings() {
    if (!window_) {
        return false;
    }
    return SettingsStore::Save(context_.settings, window_->Position(), context_.settingsPath,
                               &AtomicFile::Replace, TextCodec::SettingsEncoding());
}

void Application::ShowSyncMessage(const std::string& text) {
    // Once the program is ending it shows nothing new; the run still logs.
    if (exiting_) {
        return;
    }
    SyncResultDialog::ShowMessage(text, context_.settings, window_.get());
}

void Application::Synchronise(bool showResult, const std::string& server) {
    if (runner_ && !exiting_) {
        runner_->SyncSystemTime(showResult, server);
    }
}

void Application::OpenOptions() {
    // Closed while its synchronisation still waits, the last dialog lives on
    // until the run is over; a new one would stall that run under its own
    // event loop, so the command waits for it.
    if (optionsOpen_ || !window_) {
        return;
    }
    SettingsRecord& s = context_.settings;
    OptionsDialog::Sources sources;
    sources.queryAutoRun = &Autostart::Query;
    sources.lastSyncText = [this] { return runner_ ? runner_->LastSyncText() : std::string(); };

    OptionsDialog dialog(s, *calendar_, std::move(sources), window_.get());
    QObject::connect(&dialog, &OptionsDialog::applied, &dialog, [this] {
        window_->ApplySettings();
        menu_->SyncCheckMarks();
        SaveSettings();
    });
    QObject::connect(&dialog, &OptionsDialog::autoRunChosen, &dialog, &Autostart::Apply);
    QObject::connect(&dialog, &OptionsDialog::synchroniseRequested, &dialog,
                     [this](const std::string& server) { Synchronise(true, server); });
    optionsOpen_ = true;
    ReassertTopMost(&dialog, s);
    dialog.exec();
    optionsOpen_ = false;
    if (!exiting_) {
        ReassertTopMost(window_.get(), s);
    }
}

void Application::WatchTerminationSignals() {
    const int fd = TerminationSignals::Install();
    if (fd < 0) {
        return;
    }
    terminationNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(terminationNotifier_.get(), &QSocketNotifier::activated,
                     terminationNotifier_.get(), [this, fd] {
                         TerminationSignals::Drain(fd);
                         Exit();
                     });
}

void Application::ConnectClock() {
    ClockWindow& window = *window_;
    ClockMenu& menu = *menu_;
    SettingsRecord& s = context_.settings;
    QObject::connect(&window, &ClockWindow::menuRequested, &menu, &ClockMenu::ShowAt);
    QObject::connect(&window, &ClockWindow::exitRequested, &window, [this] { Exit(); });
    QObject::connect(&menu, &ClockMenu::exitRequested, &window, [this] { Exit(); });
    QObject::connect(&menu, &ClockMenu::synchroniseRequested, &window,
                     [this] { Synchronise(true, context_.settings.NTP_Server); });
    QObject::connect(&menu, &ClockMenu::blinkToggled, &window, [this] {
        SaveSettings();
        window_->DrawClockFace(true);
    });
    QObject::connect(&menu, &ClockMenu::topMostToggled, &window, [this](bool on) {
        SetTopMost(window_.get(), on);
        SaveSettings();
    });
    QObject::connect(&menu, &ClockMenu::optionsRequested, &window, [this] { OpenOptions(); });
    QObject::connect(&menu, &ClockMenu::aboutRequested, &window,
                     [this] { AboutDialog::Open(window_.get(), context_.settings); });
    // A missing page or no viewer simply shows nothing.
    QObject::connect(&menu, &ClockMenu::helpRequested, &window,
                     [] { QDesktopServices::openUrl(QUrl::fromLocalFile(HelpPagePath())); });

    const ntp::Triggers::SyncRun run = [this](bool showResult, const std::string& server) {
        Synchronise(showResult, server);
    };
    QObject::connect(tmrNTPatRun_.get(), &QTimer::timeout, &window, [this, run] {
        ntp::Triggers::OnNTPatRunTick(context_.settings, *ntpAtRun_, run);
    });
    // A frame drawn while the program ends plans the countdown's minute
    // again; that tick must not start a run.
    QObject::connect(&window, &ClockWindow::minuteTicked, &window, [this, run, &s] {
        if (!exiting_) {
            ntp::Triggers::OnNTPbyTimerTick(s, run);
        }
    });
}

void Application::Start() {
    SettingsRecord& s = context_.settings;
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // One face for every window, tooltips and message boxes included.
    QApplication::setFont(DialogFont());

    // The window and its menu; neither is shown yet. The settings were read
    // before, with the zone's offset as the default of NTP_UTCOffset.
    window_ = std::make_unique<ClockWindow>(s);
    ClockWindow& window = *window_;
    menu_ = new ClockMenu(s, &window);
    window.setWindowIcon(ProgramIcon());

    tmrNTPatRun_ = std::make_unique<QTimer>();
    tmrNTPatRun_->setObjectName(QStringLiteral("tmrNTPatRun"));
    tmrNTPatRun_->setInterval(60000);
    ntpAtRun_ = std::make_unique<QtTimer>(*tmrNTPatRun_);
    // Asking for the native handle creates the window, which the resume watch
    // listens on under Windows.
    resumeWatch_ = MakeResumeWatch();
    resumeWatch_->HookMainWindow(static_cast<std::uintptr_t>(window.winId()),
                                 [this] { ArmSyncAtResume(context_.settings, *ntpAtRun_); });

    window.LoadBodyPicture();

    calendar_ = std::make_unique<LazyCalendarData>(&MakeSystemCalendarData);
    window.SetDateFormatter(
        [cal = calendar_.get()](const LocalDateTime& t, const std::string& pattern) {
            return DatePattern::FormatDate(t, pattern, *cal);
        });

    runner_ = std::make_unique<SyncRunner>(s, static_cast<ntp::MessageSink&>(*this),
                                           *context_.setter, context_.logPath);
    ConnectClock();

    window.DrawClockFace(false);
    ntp::Triggers::ResetCountdown(s);

    // A second copy keeps the window system's place, so it does not hide the
    // first one.
    instance_ = std::make_unique<InstanceClaim>("morvatel");
    const bool secondCopy = instance_->PreviousInstanceRunning();
    if (s.FixWindowPosition && !secondCopy) {
        window.move(ClockWindow::PlacementFor(s.XPosR, s.YPosR, ClockWindow::PrimaryScreenSize()));
    }
    s.OwnsWindowPosition = !secondCopy;
    if (secondCopy) {
        window.installEventFilter(new DragWatch(s, &window));
    }

    menu_->SyncCheckMarks();
    SetTopMost(&window, s.TopMost);
    window.SetDrawInterval(RedrawSchedule::ClockDrawInterval(s.DrawInterval));
    // Nothing looks at the time between the face's changes: a clock set by
    // anyone, or a new zone, is announced by the system.
    clockSteps_ =
        std::make_unique<ClockStepWatch>(MakeSystemClockSteps([this](ClockStepNotifier::Change) {
            if (!exiting_ && window_) {
                window_->ClockChanged();
            }
        }));

    // Every other way of ending reaches the same orderly exit.
    WatchTerminationSignals();
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                     [this](QSessionManager&) { Exit(); });
#endif
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [this] {
        Exit();
        Shutdown();
    });

    // The chores and the first synchronisation come after the window has been
    // shown and has drawn itself once.
    window.show();
    QCoreApplication::processEvents();
    if (!exiting_) {
        StartupChores::Run(window, s);
    }
    // An exit asked for until now found no event loop to end; it ends the
    // first one, which then saves.
    if (exiting_) {
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
    ArmSyncAtRun(s, *ntpAtRun_);
}

void Application::Exit() {
    if (exiting_ || !window_) {
        return;
    }
    exiting_ = true;

    // Nothing new starts: no frame, no trigger, no menu command.
    menu_->close();
    window_->SetDrawInterval(0);
    tmrNTPatRun_->stop();
    // A run waiting for its reply gives up at once: no dialog, no log line,
    // no clock change. The time socket closes with it.
    if (runner_) {
        runner_->Abandon();
    }
    // The clock goes at once; its position stays for the save. Qt would
    // refuse to quit while it is shown, as its close ends in this exit.
    window_->hide();
    StartupChores::EndQuestion(*window_);
    // Ends the event loop and every loop nested in it (the run's wait, an open
    // result dialog). Before the loop has started a quit is not heard, but a
    // queued one is.
    QCoreApplication::quit();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void Application::Shutdown() {
    if (shutDown_ || !window_) {
        return;
    }
    shutDown_ = true;
    SaveSettings();
    resumeWatch_->UnhookMainWindow();
}
