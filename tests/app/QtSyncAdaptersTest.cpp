#include "QtSyncAdapters.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <variant>

using namespace QtSync;

namespace {

struct Loopback {
    EventPump pump;
    Clocks clocks;
    UdpEndpoint endpoint{pump, clocks, clocks};
    QUdpSocket server; // stands in for the time server
    std::vector<std::string> resolved;

    Loopback() { server.bind(QHostAddress::LocalHost, 0); }

    ntp::SocketStatus Resolve(const std::string& host = "127.0.0.1") {
        return endpoint.Resolve(host, resolved);
    }

    // What the endpoint sent, and from where.
    QNetworkDatagram Receive() {
        QElapsedTimer timer;
        timer.start();
        while (!server.hasPendingDatagrams() && timer.elapsed() < 2000) {
            server.waitForReadyRead(50);
        }
        return server.receiveDatagram();
    }
};

} // namespace

TEST(QtSync, WakesOnTheReplyInsteadOfSleepingToTheDeadline) {
    Loopback net;
    ASSERT_TRUE(net.Resolve().Ok);
    EXPECT_EQ(net.resolved, std::vector<std::string>{"127.0.0.1"});
    ASSERT_TRUE(net.endpoint.Send("127.0.0.1", net.server.localPort(), {1, 2, 3}).Ok);
    const QNetworkDatagram request = net.Receive();
    ASSERT_EQ(request.data(), QByteArray("\x01\x02\x03", 3));

    net.server.writeDatagram(QByteArray("reply"), request.senderAddress(),
                             static_cast<quint16>(request.senderPort()));
    QElapsedTimer timer;
    timer.start();
    net.pump.WaitForEvents(5000);
    EXPECT_LT(timer.elapsed(), 1000);

    auto event = net.endpoint.TakeEvent();
    ASSERT_TRUE(event.has_value());
    const auto& datagram = std::get<ntp::Datagram>(*event);
    EXPECT_EQ(datagram.Bytes, (std::vector<std::uint8_t>{'r', 'e', 'p', 'l', 'y'}));
    EXPECT_EQ(datagram.SourceAddress, "127.0.0.1");
    EXPECT_EQ(datagram.SourcePort, net.server.localPort());
    EXPECT_GT(datagram.ArrivalMonotonicNs, 0);
    EXPECT_FALSE(net.endpoint.TakeEvent().has_value());
}

TEST(QtSync, SleepsUntilTheDeadlineWhileOtherEventsRun) {
    EventPump pump;
    int ticks = 0;
    QTimer clockFace; // the face keeps redrawing during the wait
    QObject::connect(&clockFace, &QTimer::timeout, &clockFace, [&ticks] { ++ticks; });
    clockFace.start(20);
    QElapsedTimer timer;
    timer.start();
    pump.WaitForEvents(300);
    EXPECT_GE(timer.elapsed(), 290);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_GE(ticks, 5);
}
