// The entry point of morvatel-nts.so, the part of the program that needs
// OpenSSL.
#include "NtsKeClient.h"
#include "NtsModule.h"

#include <QString>

#include <cstring>

namespace {

class OpenSslBackend final : public NtsBackend {
public:
    ntp::NtsKeyExchangeResult KeyExchange(const std::string& host, std::uint16_t port) override {
        return NtsKeClient::Run(QString::fromStdString(host), port);
    }
    ntp::Aead& Aead() override { return *aead_; }

private:
    std::unique_ptr<ntp::Aead> aead_ = ntp::MakeAesSivCmac256();
};

} // namespace

extern "C" __attribute__((visibility("default"))) NtsBackend*
morvatel_nts_backend(const char* programVersion) {
    // The backend's classes are shared with the program as they are, so
    // both must come from one build.
    if (std::strcmp(programVersion, MORVATEL_VERSION) != 0) {
        return nullptr;
    }
    static OpenSslBackend backend;
    return &backend;
}
