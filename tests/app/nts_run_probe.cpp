// Times whole runs in one process, as the window program makes them: the
// first authenticated run does the key exchange, later ones spend the cookies
// it left. probe <host> <ke-port> <runs> [plain]; one line per run.
#include "SyncRunner.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class Unshown final : public ntp::MessageSink {
public:
    void ShowSyncMessage(const std::string&) override {}
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s host ke-port runs [plain]\n", argv[0]);
        return 2;
    }
    SettingsRecord settings;
    settings.NTS = argc == 4;
    settings.NTS_Port = std::atoi(argv[2]);
    Unshown messages;
    ntp::DryRunClockSetter setter;
    SyncRunner runner(settings, messages, setter, std::string());
    for (int run = 0; run < std::atoi(argv[3]); ++run) {
        const auto started = std::chrono::steady_clock::now();
        const ntp::QueryOutcome outcome = runner.Query(argv[1]);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - started;
        std::printf("run=%d ok=%d authenticated=%d ms=%.3f\n", run, outcome.Ok ? 1 : 0,
                    outcome.Authenticated ? 1 : 0, took.count());
        if (!outcome.Ok) {
            std::fprintf(stderr, "%s\n", outcome.FailureText.c_str());
            return 1;
        }
    }
    return 0;
}
