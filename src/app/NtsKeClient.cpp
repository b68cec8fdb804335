#include "NtsKeClient.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <array>
#include <cstring>

namespace {

constexpr unsigned char kAlpn[] = {7, 'n', 't', 's', 'k', 'e', '/', '1'};
constexpr char kExporterLabel[] = "EXPORTER-network-time-security";

std::string OpenSslErrors() {
    std::string text;
    while (const unsigned long e = ERR_get_error()) {
        std::array<char, 256> buffer{};
        ERR_error_string_n(e, buffer.data(), buffer.size());
        if (!text.empty()) {
            text += "; ";
        }
        text += buffer.data();
    }
    return text;
}

} // namespace

struct NtsKeClient::Tls {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> Context{nullptr, SSL_CTX_free};
    std::unique_ptr<SSL, decltype(&SSL_free)> Connection{nullptr, SSL_free};
    BIO* In = nullptr;  // owned by Connection
    BIO* Out = nullptr; // owned by Connection
};

NtsKeClient::NtsKeClient(QObject* parent) : QObject(parent) {
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, [this] { Fail(ntp::NtsKeFailure::TimedOut); });
}

NtsKeClient::~NtsKeClient() = default;

void NtsKeClient::Start(const QString& host, std::uint16_t port, int timeoutMs) {
    finished_ = false;
    handshaken_ = false;
    received_.clear();
    tls_ = std::make_unique<Tls>();
    tls_->Context.reset(SSL_CTX_new(TLS_client_method()));
    SSL_CTX* ctx = tls_->Context.get();
    if (ctx == nullptr || SSL_CTX_set_min_proto_version(ctx, TLS1_3_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(ctx) != 1) {
        Fail(ntp::NtsKeFailure::TlsFailed, OpenSslErrors());
        return;
    }
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    tls_->Connection.reset(SSL_new(ctx));
    SSL* ssl = tls_->Connection.get();
    tls_->In = BIO_new(BIO_s_mem());
    tls_->Out = BIO_new(BIO_s_mem());
    if (ssl == nullptr || tls_->In == nullptr || tls_->Out == nullptr) {
        BIO_free(tls_->In);
        BIO_free(tls_->Out);
        Fail(ntp::NtsKeFailure::TlsFailed, OpenSslErrors());
        return;
    }
    SSL_set_bio(ssl, tls_->In, tls_->Out);
    SSL_set_connect_state(ssl);
    const std::string name = host.toStdString();
    // An address is checked against the certificate's IP entries and sent
    // no server name, which TLS allows only for host names.
    const bool isAddress = !QHostAddress(host).isNull();
    const bool named =
        isAddress ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), name.c_str()) == 1
                  : SSL_set1_host(ssl, name.c_str()) == 1 &&
                        SSL_set_tlsext_host_name(ssl, const_cast<char*>(name.c_str())) == 1;
    if (!named || SSL_set_alpn_protos(ssl, kAlpn, sizeof kAlpn) != 0) {
        Fail(ntp::NtsKeFailure::TlsFailed, OpenSslErrors());
        return;
    }

    socket_ = std::make_unique<QTcpSocket>();
    connect(socket_.get(), &QTcpSocket::connected, this, &NtsKeClient::Pump);
    connect(socket_.get(), &QTcpSocket::readyRead, this, [this] {
        const QByteArray data = socket_->readAll();
        BIO_write(tls_->In, data.constData(), static_cast<int>(data.size()));
        Pump();
    });
    connect(socket_.get(), &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) {
                if (finished_) {
                    return;
                }
                const std::string detail = socket_->errorString().toStdString();
                switch (error) {
                case QAbstractSocket::ConnectionRefusedError:
                    Fail(ntp::NtsKeFailure::Refused, detail);
                    break;
                case QAbstractSocket::RemoteHostClosedError:
                    // The server hung up on the handshake (a refused
                    // protocol) or before the answer was whole.
                    Fail(handshaken_ ? ntp::NtsKeFailure::Malformed : ntp::NtsKeFailure::TlsFailed,
                         detail);
                    break;
                case QAbstractSocket::SocketTimeoutError:
                    Fail(ntp::NtsKeFailure::TimedOut, detail);
                    break;
                default:
                    Fail(ntp::NtsKeFailure::Unreachable, detail);
                    break;
                }
            });
    limit_.start(timeoutMs);
    socket_->connectToHost(host, port);
}

void NtsKeClient::Flush() {
    std::array<char, 4096> chunk{};
    int n = 0;
    while ((n = BIO_read(tls_->Out, chunk.data(), static_cast<int>(chunk.size()))) > 0) {
        socket_->write(chunk.data(), n);
    }
}

void NtsKeClient::Pump() {
    if (finished_) {
        return;
    }
    SSL* ssl = tls_->Connection.get();
    if (!handshaken_) {
        const int r = SSL_do_handshake(ssl);
        Flush();
        if (r != 1) {
            if (SSL_get_error(ssl, r) == SSL_ERROR_WANT_READ) {
                return;
            }
            std::string detail;
            const auto failure = HandshakeFailure(detail);
            Fail(failure, detail);
            return;
        }
        const unsigned char* chosen = nullptr;
        unsigned int chosenLength = 0;
        SSL_get0_alpn_selected(ssl, &chosen, &chosenLength);
        if (chosenLength != sizeof kAlpn - 1 || std::memcmp(chosen, kAlpn + 1, chosenLength) != 0) {
            Fail(ntp::NtsKeFailure::TlsFailed, "the server did not agree to ntske/1");
            return;
        }
        handshaken_ = true;
        const auto request = ntp::BuildNtsKeRequest();
        if (SSL_write(ssl, request.data(), static_cast<int>(request.size())) <= 0) {
            Fail(ntp::NtsKeFailure::TlsFailed, OpenSslErrors());
            return;
        }
        Flush();
    }
    std::array<std::uint8_t, 4096> chunk{};
    int n = 0;
    while ((n = SSL_read(ssl, chunk.data(), static_cast<int>(chunk.size()))) > 0) {
        received_.insert(received_.end(), chunk.begin(), chunk.begin() + n);
        // A server that never ends its message must not fill the memory.
        if (received_.size() > 65536) {
            Fail(ntp::NtsKeFailure::Malformed, "answer too long");
            return;
        }
    }
    Flush();
    if (const auto length = ntp::NtsKeMessageLength(received_)) {
        const auto parse =
            ntp::ParseNtsKeResponse(std::span<const std::uint8_t>(received_).first(*length));
        if (parse.Failure != ntp::NtsKeFailure::None) {
            Fail(parse.Failure, {}, parse.Code);
            return;
        }
        Succeed(parse);
        return;
    }
    const int error = SSL_get_error(ssl, n);
    if (error != SSL_ERROR_WANT_READ) {
        Fail(error == SSL_ERROR_ZERO_RETURN ? ntp::NtsKeFailure::Malformed
                                            : ntp::NtsKeFailure::TlsFailed,
             OpenSslErrors());
    }
}

ntp::NtsKeFailure NtsKeClient::HandshakeFailure(std::string& detail) const {
    const long verify = SSL_get_verify_result(tls_->Connection.get());
    detail = OpenSslErrors();
    if (verify == X509_V_OK) {
        return ntp::NtsKeFailure::TlsFailed;
    }
    detail = X509_verify_cert_error_string(verify);
    switch (verify) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return ntp::NtsKeFailure::CertificateExpired;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return ntp::NtsKeFailure::CertificateWrongName;
    default:
        return ntp::NtsKeFailure::CertificateUntrusted;
    }
}

void NtsKeClient::Succeed(const ntp::NtsKeParse& parse) {
    NtsKeResult result;
    result.Response = parse.Response;
    result.C2SKey.resize(ntp::NtsKeyLength);
    result.S2CKey.resize(ntp::NtsKeyLength);
    // Protocol NTPv4, the AEAD, then which direction.
    std::array<unsigned char, 5> context{0, ntp::NtsNextProtocolNtpV4, 0, ntp::AeadAesSivCmac256,
                                         0};
    SSL* ssl = tls_->Connection.get();
    const auto exportKey = [&](std::vector<std::uint8_t>& key, unsigned char direction) {
        context[4] = direction;
        return SSL_export_keying_material(ssl, key.data(), key.size(), kExporterLabel,
                                          sizeof kExporterLabel - 1, context.data(), context.size(),
                                          1) == 1;
    };
    if (!exportKey(result.C2SKey, 0) || !exportKey(result.S2CKey, 1)) {
        Fail(ntp::NtsKeFailure::TlsFailed, OpenSslErrors());
        return;
    }
    SSL_shutdown(ssl);
    Flush();
    finished_ = true;
    limit_.stop();
    socket_->disconnectFromHost();
    Q_EMIT Finished(result);
}

void NtsKeClient::Fail(ntp::NtsKeFailure failure, std::string detail, std::uint16_t code) {
    if (finished_) {
        return;
    }
    finished_ = true;
    limit_.stop();
    if (socket_) {
        socket_->abort();
    }
    NtsKeResult result;
    result.Failure = failure;
    result.Code = code;
    result.Detail = std::move(detail);
    Q_EMIT Finished(result);
}

NtsKeResult NtsKeClient::Run(const QString& host, std::uint16_t port, int timeoutMs) {
    NtsKeClient client;
    NtsKeResult outcome;
    QEventLoop loop;
    bool done = false;
    connect(&client, &NtsKeClient::Finished, &loop, [&](const NtsKeResult& result) {
        outcome = result;
        done = true;
        loop.quit();
    });
    client.Start(host, port, timeoutMs);
    if (!done) {
        loop.exec();
    }
    return outcome;
}
