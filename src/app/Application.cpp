#include "Application.h"

#include "AtomicFile.h"
#include "ClockMenu.h"
#include "ClockWindow.h"
#include "Instance.h"
#include "QtPictures.h"
#include "QtTimer.h"
#include "SyncResultDialog.h"
#include "SyncRunner.h"
#include "SystemCalendar.h"
#include "SystemServices.h"
#include "TerminationSignals.h"
#include "TextCodec.h"
#include "TopMost.h"
#include "datetime/DatePattern.h"
#include "face/RedrawSchedule.h"
#include "ntp/Triggers.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

using ntp::Triggers::ArmSyncAtResume;
using ntp::Triggers::ArmSyncAtRun;

Application::Application(const StartOptions& options)
    : context_(LoadProgramContext(options.dryRun)) {}

Application::~Application() {
    exiting_ = true;
    runner_.reset();
    resumeWatch_.reset();
    ntpAtRun_.reset();
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

void Application::Start() {
    SettingsRecord& s = context_.settings;
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // The window and its menu; neither is shown yet. The settings were read
    // before, with the zone's offset as the default of NTP_UTCOffset.
    window_ = std::make_unique<ClockWindow>(s);
    ClockWindow& window = *window_;
    ClockMenu& menu = *window.mnuMenus;
    window.setWindowIcon(ProgramIcon());

    // Asking for the native handle creates the window, which the resume watch
    // listens on under Windows.
    ntpAtRun_ = std::make_unique<QtTimer>(*window.tmrNTPatRun);
    resumeWatch_ = MakeResumeWatch();
    resumeWatch_->HookMainWindow(static_cast<std::uintptr_t>(window.winId()),
                                 [this] { ArmSyncAtResume(context_.settings, *ntpAtRun_); });

    window.LoadBodyPicture();

    calendar_ = MakeSystemCalendarData();
    window.SetDateFormatter(
        [cal = calendar_.get()](const LocalDateTime& t, const std::string& pattern) {
            return DatePattern::FormatDate(t, pattern, *cal);
        });
    window.SetActions(ClockWindow::Actions{{}, {}, [this] { Exit(); }});

    runner_ = std::make_unique<SyncRunner>(s, static_cast<ntp::MessageSink&>(*this),
                                           *context_.setter, context_.logPath);
    menu.SetCommands(ClockMenu::Commands{
        [this, &s] { Synchronise(true, s.NTP_Server); },
        [this] { SaveSettings(); },
        {},
        {},
        {},
    });

    const ntp::Triggers::SyncRun run = [this](bool showResult, const std::string& server) {
        Synchronise(showResult, server);
    };
    QObject::connect(window.tmrNTPatRun, &QTimer::timeout, &window, [this, run] {
        ntp::Triggers::OnNTPatRunTick(context_.settings, *ntpAtRun_, run);
    });
    QObject::connect(window.tmrNTPbyTimer, &QTimer::timeout, &window,
                     [this, run] { ntp::Triggers::OnNTPbyTimerTick(context_.settings, run); });

    window.DrawClockFace(false);
    ntp::Triggers::ResetCountdown(s);
    menu.mnuBlink->setChecked(s.Blink);

    // A second copy keeps the window system's place, so it does not hide the
    // first one.
    instance_ = std::make_unique<InstanceClaim>("morvatel");
    if (s.FixWindowPosition && !instance_->PreviousInstanceRunning()) {
        window.move(ClockWindow::PlacementFor(s.XPosR, s.YPosR, ClockWindow::PrimaryScreenSize()));
    }

    menu.mnuTopMost->setChecked(s.TopMost);
    SetTopMost(&window, s.TopMost);
    window.SetDrawInterval(RedrawSchedule::ClockDrawInterval(s.DrawInterval));

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
    ArmSyncAtRun(s, *ntpAtRun_);
}

void Application::Exit() {
    if (exiting_ || !window_) {
        return;
    }
    exiting_ = true;

    // Nothing new starts: no frame, no trigger, no menu command.
    window_->mnuMenus->close();
    window_->SetDrawInterval(0);
    for (QTimer* timer :
         {window_->tmrDate, window_->tmrNTPatRun, window_->tmrNTPbyTimer, window_->tmrExit}) {
        timer->stop();
    }
    // A run waiting for its reply gives up at once: no dialog, no log line,
    // no clock change. The time socket closes with it.
    if (runner_) {
        runner_->Abandon();
    }
    // The clock goes at once; its position stays for the save. Qt would
    // refuse to quit while it is shown, as its close ends in this exit.
    window_->hide();
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
