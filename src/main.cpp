#include "app/modMainApp.h"
#include "sync/CommandLine.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

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
    // QApplication would abort without a display; say so in plain words.
    if (!Present("DISPLAY") && !Present("WAYLAND_DISPLAY") && !Present("QT_QPA_PLATFORM")) {
        std::fputs("morvatel: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                   "the clock needs a graphical session\n",
                   stderr);
        return 1;
    }
    // The clock places itself and stays on top, which a Wayland client may
    // not do; XWayland lets it.
    if (Present("WAYLAND_DISPLAY") && !Present("QT_QPA_PLATFORM") && Present("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
#endif
    QApplication app(argc, argv);
    modMain::StartApplication(modMain::StartOptions{options.dryRun});
    const int status = QApplication::exec();
    modMain::EndApplication();
    return status;
}
