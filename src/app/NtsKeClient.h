#pragma once

#include "ntp/NtsSession.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>

class QTcpSocket;

using NtsKeResult = ntp::NtsKeyExchangeResult;

// The key exchange of Network Time Security: TLS 1.3 with ALPN "ntske/1" over
// a QTcpSocket, OpenSSL working on memory buffers so that the event loop keeps
// running while it waits. The server's certificate must chain to the system's
// trust store (OpenSSL's, so SSL_CERT_FILE and SSL_CERT_DIR apply) and name
// the host it was asked for.
class NtsKeClient final : public QObject {
    Q_OBJECT
public:
    explicit NtsKeClient(QObject* parent = nullptr);
    ~NtsKeClient() override;

    // Ends with Finished once, whatever happens, within timeoutMs.
    void Start(const QString& host, std::uint16_t port, int timeoutMs = 5000);

    // Runs an exchange in a nested event loop.
    static NtsKeResult Run(const QString& host, std::uint16_t port, int timeoutMs = 5000);

Q_SIGNALS:
    void Finished(const NtsKeResult& result);

private:
    struct Tls;
    void Pump();
    void Flush();
    void Fail(ntp::NtsKeFailure failure, std::string detail = {}, std::uint16_t code = 0);
    void Succeed(const ntp::NtsKeParse& parse);
    ntp::NtsKeFailure HandshakeFailure(std::string& detail) const;

    std::unique_ptr<Tls> tls_;
    std::unique_ptr<QTcpSocket> socket_;
    QTimer limit_;
    std::vector<std::uint8_t> received_;
    bool handshaken_ = false;
    bool finished_ = true;
};
