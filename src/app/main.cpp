#include "Application.h"
#include "CommandLine.h"
#include "GraphicalSession.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt aborts, with a core dump, when its platform cannot reach the display;
// a clock that cannot be shown is an ordinary failure with its exit status.
void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (g_previousHandler != nullptr) {
        g_previousHandler(type, context, message);
    }
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "morvatel: %s\n", GraphicalSession::Unreachable().c_str());
        std::_Exit(1);
    }
}

#ifndef _WIN32
bool Present(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}
#endif

} // namespace

int main(int argc, char* argv[]) {
    const CommandLine::Options options = CommandLine::Parse(argc, argv);
    if (options.mode != CommandLine::Mode::Window) {
        // Needs no display: --sync and --query run from cron and ssh too.
        return CommandLine::Run(options);
    }
#ifndef _WIN32
    // The clock places itself and stays on top, which a Wayland client may
    // not do; XWayland lets it.
    if (Present("WAYLAND_DISPLAY") && !Present("QT_QPA_PLATFORM") && Present("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // The face is 118 x 48 pixels: a shared-memory image saves no copying worth
    // having, and its completion event after every frame wakes the program's
    // X thread and then its main thread again, which doubles the wake-ups of
    // an idle clock. A user's own choice stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
#endif
    std::string reason;
    GraphicalSession::Connection probe;
    if (!GraphicalSession::Available(reason, probe)) {
        std::fprintf(stderr, "morvatel: %s\n", reason.c_str());
        return 1;
    }
    // The face is pixel art: a screen's own scale is taken whole (150 % is
    // drawn at 2, 125 % at 1), so no pixel is ever smeared. A user's
    // QT_SCALE_FACTOR_ROUNDING_POLICY still wins.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    g_previousHandler = qInstallMessageHandler(&ExitOnFatal);
    QApplication qtApplication(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    probe.reset(); // Qt holds a connection of its own now
    // Rounded up (150 % to 2), Qt reports a resolution below 96 dpi; the
    // styles then size menu entries for it but draw parts of them at their
    // 96-dpi size, cutting the captions. Their sizes are kept at 96 dpi;
    // text keeps the screen's own resolution.
    if (const QScreen* screen = QGuiApplication::primaryScreen();
        screen != nullptr && screen->logicalDotsPerInch() < 96) {
        QCoreApplication::setAttribute(Qt::AA_Use96Dpi);
    }
    Application application(Application::StartOptions{options.dryRun});
    application.Start();
    return QApplication::exec();
}
