// Runs one key exchange and prints what came of it, for the end-to-end tests
// of the key exchange on its own: probe <host> <port>.
#include "NtsKeClient.h"
#include "ntp/NtsTexts.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s host port\n", argv[0]);
        return 2;
    }
    const auto result = NtsKeClient::Run(QString::fromLocal8Bit(argv[1]),
                                         static_cast<std::uint16_t>(std::atoi(argv[2])));
    std::printf(
        "outcome=%s code=%u cookies=%zu c2s=%zu s2c=%zu keys_differ=%d server=%s "
        "port=%d\n",
        result.Failure == ntp::NtsKeFailure::None ? "OK" : ntp::NtsKeFailureCode(result.Failure),
        result.Code, result.Response.Cookies.size(), result.C2SKey.size(), result.S2CKey.size(),
        result.C2SKey != result.S2CKey ? 1 : 0, result.Response.Server.c_str(),
        result.Response.Port ? int{*result.Response.Port} : -1);
    for (const auto& cookie : result.Response.Cookies) {
        std::printf("cookie=%zu\n", cookie.size());
    }
    std::printf("detail=%s\n", result.Detail.c_str());
    return result.Failure == ntp::NtsKeFailure::None ? 0 : 1;
}
