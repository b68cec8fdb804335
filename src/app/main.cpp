#include "Application.h"
#include "CommandLine.h"
#include "GraphicalSession.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Present(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

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
    if (!GraphicalSession::Available(reason)) {
        std::fprintf(stderr, "morvatel: %s\n", reason.c_str());
        return 1;
    }
    QApplication qtApplication(argc, argv);
    Application application(Application::StartOptions{options.dryRun});
    application.Start();
    return QApplication::exec();
}
