#include "app/modMainApp.h"

#include "app/DatePattern.h"
#include "app/ResumeWatch.h"
#include "app/frmMain.h"
#include "app/modINI.h"
#include "app/modMain.h"
#include "display/Assets.h"
#include "display/PixelImage.h"
#include "platform/AtomicFile.h"
#include "platform/CalendarData.h"
#include "platform/Instance.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemClock.h"
#include "platform/TerminationSignals.h"
#include "platform/TextCodec.h"
#include "platform/TimeZone.h"
#include "sync/SyncRunner.h"
#include "sync/Triggers.h"
#include "sync/TriggersQt.h"
#include "sync/frmDialog.h"
#include "ui/frmMenus.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <memory>

namespace modMain {

namespace {

// Everything that lives from StartApplication to the end of the process.
struct Application {
    SettingsRecord settings;
    std::string settingsPath;
    std::unique_ptr<InstanceClaim> instance;
    std::unique_ptr<CalendarData> calendar;
    std::unique_ptr<modNTP::ClockSetter> setter;
    std::unique_ptr<SyncRunner> runner;
    // The forms stay allocated until the event loop has ended, since the exit
    // may run inside a handler of either; "unloaded" is hidden and forgotten.
    std::unique_ptr<frmMain> main;
    std::unique_ptr<frmMenus> menus;
    std::unique_ptr<QSocketNotifier> terminationNotifier;
    std::unique_ptr<QTimerControl> ntpAtRun;
    std::unique_ptr<ResumeWatch> resumeWatch;
    bool exiting = false;
};

std::unique_ptr<Application> g_app;
SettingsRecord g_detached; // Settings() outside the window program (tests)

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : IconSizes()) {
        const PixelImage& picture = IconPicture(size);
        QImage image(picture.width, picture.height, QImage::Format_RGB32);
        for (int y = 0; y < picture.height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < picture.width; ++x) {
                row[x] = 0xff000000u | picture.At(x, y);
            }
        }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(0, 0);
}

WindowPosition CurrentPosition(const QWidget& window) {
    const QSize screen = PrimaryScreenSize();
    const QPoint at = window.pos();
    return WindowPosition{static_cast<double>(at.x()), static_cast<double>(at.y()),
                          static_cast<double>(screen.width()),
                          static_cast<double>(screen.height())};
}

void SaveWithCurrentPosition() {
    if (!g_app || !g_app->main) {
        return;
    }
    // A settings file that cannot be written loses the change silently.
    SaveSettingsFor(g_app->settings, *g_app->main, g_app->settingsPath);
}

void WatchTerminationSignals() {
    const int fd = TerminationSignals::Install();
    if (fd < 0) {
        return;
    }
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [fd] {
        TerminationSignals::Drain(fd);
        ExitApplication();
    });
    g_app->terminationNotifier = std::move(notifier);
}

} // namespace

SettingsRecord& Settings() {
    return g_app ? g_app->settings : g_detached;
}
frmMain* MainForm() {
    return g_app && !g_app->exiting ? g_app->main.get() : nullptr;
}
frmMenus* MenuForm() {
    return g_app && !g_app->exiting ? g_app->menus.get() : nullptr;
}

bool SaveSettingsFor(const SettingsRecord& settings, const QWidget& window,
                     const std::string& settingsPath) {
    return SaveSettings(settings, CurrentPosition(window), settingsPath, &AtomicFile::Replace,
                        TextCodec::SettingsEncoding());
}

int ClockDrawInterval(std::int32_t drawInterval) {
    if (drawInterval < 0 || drawInterval > 65535) {
        return 75;
    }
    return drawInterval;
}

QPoint PlacementFor(double xRatio, double yRatio, const QSize& screen) {
    // Far enough to put a window off every screen, near enough that window
    // arithmetic cannot overflow.
    static constexpr double kLimit = 1 << 24;
    auto at = [](double extent, double ratio) {
        const double v = extent * ratio;
        if (!std::isfinite(v)) {
            return 0;
        }
        return static_cast<int>(std::lround(std::clamp(v, -kLimit, kLimit)));
    };
    return {at(screen.width(), xRatio), at(screen.height(), yRatio)};
}

void SetTopMost(QWidget* window, bool on) {
    if (window == nullptr) {
        return;
    }
    QWindow* handle = window->windowHandle();
    if (handle == nullptr) {
        // Not created yet: the flag is simply part of the window to come.
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        return;
    }
    // Changing the flag through the QWidget would re-create a visible window
    // (it hides and shows again); the QWindow changes only the stacking state.
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    window->overrideWindowFlags(flags);
    handle->setFlag(Qt::WindowStaysOnTopHint, on);
    if (window->isVisible()) {
        window->raise();
    }
}

void ReassertTopMost(QWidget* window) {
    if (Settings().TopMost) {
        SetTopMost(window, true);
    }
}

void ShowSyncMessage(const std::string& text) {
    frmDialog::ShowMessage(text, Settings(), MainForm());
}

void StartApplication(const StartOptions& options) {
    g_app = std::make_unique<Application>();
    Application& app = *g_app;
    SettingsRecord& s = app.settings;
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // 1. The two forms; neither is shown yet.
    app.main = std::make_unique<frmMain>(s);
    app.menus = std::make_unique<frmMenus>(s, *app.main);
    frmMain& form = *app.main;
    frmMenus& menus = *app.menus;
    form.setWindowIcon(ProgramIcon());

    // 2. The zone's standard offset is the default of NTP_UTCOffset, so it
    //    must be in the record before the file is read.
    s.NTP_UTCOffset = ReadSystemUTCOffset();

    // 3.
    const std::string dataFolder = ProgramFolder::DataFolder();
    app.settingsPath = modINI::PathInFolder(dataFolder, modINI::kFileName);
    LoadSettings(s, app.settingsPath, TextCodec::SettingsEncoding());

    // 4. Asking for the handle creates the window.
    app.ntpAtRun = std::make_unique<QTimerControl>(*form.tmrNTPatRun);
    app.resumeWatch = std::make_unique<ResumeWatch>();
    QObject::connect(app.resumeWatch.get(), &ResumeWatch::Resumed, &form,
                     [&app] { Triggers::ArmSyncAtResume(app.settings, *app.ntpAtRun); });
    app.resumeWatch->HookMainWindow(form.winId());

    // 5, 6.
    form.LoadBodyPicture();

    app.calendar = MakeSystemCalendarData();
    form.SetDateFormatter(
        [cal = app.calendar.get()](const LocalDateTime& t, const std::string& pattern) {
            return DatePattern::FormatDate(t, pattern, *cal);
        });
    form.SetActions(frmMain::Actions{
        {},
        [&menus](const QPoint& at) { menus.ShowAt(at); },
        [] { ExitApplication(); },
    });

    if (options.dryRun) {
        app.setter = std::make_unique<modNTP::DryRunClockSetter>();
    } else {
        app.setter = std::make_unique<SystemClock::Setter>();
    }
    app.runner = std::make_unique<SyncRunner>(
        s, [](const std::string& text) { ShowSyncMessage(text); }, *app.setter,
        modINI::PathInFolder(dataFolder, modINI::kLogFileName));
    menus.SetCommands(frmMenus::Commands{
        [&s] {
            if (g_app && g_app->runner) {
                g_app->runner->SyncSystemTime(true, s.NTP_Server);
            }
        },
        [] { SaveWithCurrentPosition(); },
        {},
        {},
        {},
    });

    const Triggers::SyncRun run = [](bool showResult, const std::string& server) {
        if (g_app && g_app->runner) {
            g_app->runner->SyncSystemTime(showResult, server);
        }
    };
    QObject::connect(form.tmrNTPatRun, &QTimer::timeout, &form,
                     [&app, run] { Triggers::OnNTPatRunTick(app.settings, *app.ntpAtRun, run); });
    QObject::connect(form.tmrNTPbyTimer, &QTimer::timeout, &form,
                     [&app, run] { Triggers::OnNTPbyTimerTick(app.settings, run); });

    // 7.
    form.DrawClockFace(false);

    // 8.
    Triggers::ResetCountdown(s);

    // 9.
    menus.mnuBlink->setChecked(s.Blink);

    // 10. A second copy keeps the window system's place, so it does not hide
    //     the first one.
    app.instance = std::make_unique<InstanceClaim>("morvatel");
    if (s.FixWindowPosition && !app.instance->PreviousInstanceRunning()) {
        form.move(PlacementFor(s.XPosR, s.YPosR, PrimaryScreenSize()));
    }

    // 11, 12.
    menus.mnuTopMost->setChecked(s.TopMost);
    SetTopMost(&form, s.TopMost);

    // 13.
    form.SetDrawInterval(ClockDrawInterval(s.DrawInterval));

    // Every other way of ending reaches the same orderly exit.
    WatchTerminationSignals();
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                     [](QSessionManager&) { ExitApplication(); });
#endif
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { ExitApplication(); });

    // 14, 15.
    form.show();
    QCoreApplication::processEvents();

    // 16, 17. [desktop housekeeping] ClearRecent, ClearRecycleBin.

    // 18.
    Triggers::ArmSyncAtRun(s, *app.ntpAtRun);
}

void ExitApplication() {
    if (!g_app || g_app->exiting) {
        return;
    }
    Application& app = *g_app;
    app.exiting = true;

    // 1. The time socket closes with the run, once no run waits on it any
    //    more (EndApplication).

    // 2.
    SaveWithCurrentPosition();

    // 3.
    app.resumeWatch->UnhookMainWindow(app.main->winId());

    // 4, 5.
    app.menus->mnuMenus->close();
    app.main->SetDrawInterval(0);
    for (QTimer* timer :
         {app.main->tmrDate, app.main->tmrNTPatRun, app.main->tmrNTPbyTimer, app.main->tmrExit}) {
        timer->stop();
    }
    app.main->hide();
    QCoreApplication::quit();
}

void EndApplication() {
    if (!g_app) {
        return;
    }
    g_app->exiting = true;
    g_app->runner.reset();
    g_app->resumeWatch.reset();
    g_app->ntpAtRun.reset();
    g_app->menus.reset();
    g_app->main.reset();
    g_app->terminationNotifier.reset();
    g_app.reset();
}

} // namespace modMain
