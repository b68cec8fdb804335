#include "NtsQuery.h"

#include "NtsKeClient.h"
#include "ntp/NtsSession.h"
#include "ntp/NtsTexts.h"
#include "ntp/Packet.h"
#include "ntp/SyncTexts.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <openssl/rand.h>

#include <chrono>
#include <cmath>

namespace {

constexpr int kReplyTimeoutMs = 5000;

std::int64_t UtcNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// An NTP timestamp in nanoseconds since 1970, in the era nearest the local
// clock, so the sums below hold across 2036.
std::int64_t TimestampNs(const ntp::NTPTimestamp& t, std::int64_t localNs) {
    constexpr std::int64_t era = std::int64_t{1} << 32;
    const std::int64_t localNtpSeconds = localNs / 1000000000 + ntp::SecondsFrom1900To1970;
    std::int64_t seconds = (localNtpSeconds & ~(era - 1)) + t.Seconds;
    if (seconds - localNtpSeconds > era / 2) {
        seconds -= era;
    } else if (localNtpSeconds - seconds > era / 2) {
        seconds += era;
    }
    const auto fractionNs =
        static_cast<std::int64_t>((std::uint64_t{t.Fraction} * 1000000000) >> 32);
    return (seconds - ntp::SecondsFrom1900To1970) * 1000000000 + fractionNs;
}

ntp::QueryOutcome Failed(std::string text, std::string code) {
    ntp::QueryOutcome outcome;
    outcome.FailureText = std::move(text);
    outcome.ErrorCode = std::move(code);
    return outcome;
}

QHostAddress Resolve(const std::string& name) {
    QHostAddress address;
    if (address.setAddress(QString::fromStdString(name))) {
        return address;
    }
    const QHostInfo info = QHostInfo::fromName(QString::fromStdString(name));
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            return a;
        }
    }
    return info.addresses().isEmpty() ? QHostAddress() : info.addresses().first();
}

enum class Exchanged { Sample, NoReply, Ntsn, CantOpen };

// One authenticated request and its answer, on a socket of its own.
Exchanged Exchange(ntp::NtsSession& session, ntp::QueryOutcome& outcome) {
    const QHostAddress server = Resolve(session.NtpServer());
    QUdpSocket socket;
    if (server.isNull() || !socket.bind(server.protocol() == QAbstractSocket::IPv6Protocol
                                            ? QHostAddress(QHostAddress::AnyIPv6)
                                            : QHostAddress(QHostAddress::AnyIPv4),
                                        0)) {
        return Exchanged::CantOpen;
    }
    std::uint64_t nonce = 0;
    RAND_bytes(reinterpret_cast<unsigned char*>(&nonce), sizeof nonce);
    const auto headerArray = ntp::BuildNTPRequest(nonce | 1);
    std::vector<std::uint8_t> request(headerArray.begin(), headerArray.end());
    const auto fields = session.RequestExtensions(request);
    request.insert(request.end(), fields.begin(), fields.end());
    const std::int64_t t1 = UtcNs();
    if (socket.writeDatagram(reinterpret_cast<const char*>(request.data()),
                             static_cast<qint64>(request.size()), server,
                             session.NtpPort()) != static_cast<qint64>(request.size())) {
        return Exchanged::CantOpen;
    }
    const QDeadlineTimer deadline(kReplyTimeoutMs);
    while (!deadline.hasExpired()) {
        if (!socket.hasPendingDatagrams() &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            continue;
        }
        const QNetworkDatagram datagram = socket.receiveDatagram();
        const std::int64_t t4 = UtcNs();
        const QByteArray data = datagram.data();
        const std::vector<std::uint8_t> reply(data.begin(), data.end());
        // A reply the authenticator does not cover, or that answers another
        // request, is dropped like one with a wrong origin.
        if (reply.size() < ntp::PacketSize ||
            ntp::ReadTimestamp(reply.data(), 24) != ntp::ReadTimestamp(request.data(), 40)) {
            continue;
        }
        if (!session.Verify(request, reply)) {
            if (session.LastCheck() == ntp::NtsReplyCheck::KissNtsn) {
                return Exchanged::Ntsn;
            }
            continue;
        }
        if (ntp::IsUntrustedReply(reply.data())) {
            outcome =
                Failed(ntp::NotSynchronizedText(session.NtpServer()), ntp::CodeNotSynchronized);
            return Exchanged::Sample;
        }
        const std::int64_t t2 = TimestampNs(ntp::ReadTimestamp(reply.data(), 32), t1);
        const std::int64_t t3 = TimestampNs(ntp::ReadTimestamp(reply.data(), 40), t1);
        outcome.Ok = true;
        outcome.Stratum = reply[1];
        outcome.OffsetSeconds = static_cast<double>((t2 - t1) + (t3 - t4)) / 2e9;
        outcome.DelaySeconds =
            std::max<double>(0.0, static_cast<double>((t4 - t1) - (t3 - t2)) / 1e9);
        return Exchanged::Sample;
    }
    return Exchanged::NoReply;
}

} // namespace

ntp::QueryOutcome NtsQuery(const std::string& host, std::uint16_t kePort) {
    auto aead = ntp::MakeAesSivCmac256();
    ntp::NtsSession session(*aead, [](std::uint8_t* out, std::size_t size) {
        RAND_bytes(out, static_cast<int>(size));
    });
    for (int exchange = 0; exchange < 2; ++exchange) {
        const NtsKeResult keys = NtsKeClient::Run(QString::fromStdString(host), kePort);
        if (keys.Failure != ntp::NtsKeFailure::None) {
            return Failed(ntp::NtsKeFailureText(keys.Failure, host, keys.Code),
                          ntp::NtsKeFailureCode(keys.Failure));
        }
        session.Establish(keys.C2SKey, keys.S2CKey, keys.Response, host);
        ntp::QueryOutcome outcome;
        switch (Exchange(session, outcome)) {
        case Exchanged::Sample:
            return outcome;
        case Exchanged::CantOpen:
            return Failed(ntp::CantOpenText(session.NtpServer()), ntp::CodeCantOpen);
        case Exchanged::NoReply:
            return Failed(ntp::NtsNoAuthenticReplyText(session.NtpServer()),
                          ntp::CodeNtsNoAuthenticReply);
        case Exchanged::Ntsn:
            break; // keys forgotten: one new exchange
        }
    }
    return Failed(ntp::NtsKissNtsnText(host), ntp::CodeNtsKissNtsn);
}
