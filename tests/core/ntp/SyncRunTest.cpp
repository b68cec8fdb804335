#include "core/ntp/FakeAead.h"
#include "core/ntp/FakeSyncWorld.h"

#include "ntp/NtsSession.h"
#include "ntp/NtsTexts.h"
#include "ntp/SyncRun.h"
#include "ntp/SyncTexts.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ntp;

namespace {

constexpr std::uint32_t k1970 = 2208988800u;
const std::string kServer = "192.0.2.10";

std::uint32_t Frac(double seconds) {
    return static_cast<std::uint32_t>(std::llround(seconds * 4294967296.0));
}

// One program with its settings and state in a fake world.
struct Scenario {
    Scenario() {
        settings.NTP_Logging = true;
        settings.NTP_UTCOffset = 9.0f;
        settings.NTPCountdown = 99;
        state.ServerTimeFloorUnixSeconds = 946684800; // 2000-01-01
    }

    SyncOutcome Sync(bool showResult = true) {
        auto services = world.Services();
        return SyncSystemTime(state, settings, services, showResult, kServer);
    }

    // A server 5 s ahead of the local clock, answering `atMs` after the
    // request with its clock read `atMs` later, receive = transmit.
    ReplyPlan Good(std::int64_t atMs = 20) const {
        const std::int64_t serverMs = world.UtcBaseMs + world.NowMs + atMs + 5000;
        ReplyPlan plan;
        plan.TransmitSeconds = static_cast<std::uint32_t>(k1970 + serverMs / 1000);
        plan.TransmitFraction = Frac(static_cast<double>(serverMs % 1000) / 1000.0);
        plan.ReceiveSeconds = plan.TransmitSeconds;
        plan.ReceiveFraction = plan.TransmitFraction;
        return plan;
    }

    void ReplyAt(std::int64_t atMs, const ReplyPlan& plan) { world.Play(atMs, plan.Maker(world)); }

    FakeSyncWorld world;
    SettingsRecord settings;
    SyncState state;
};

class SyncRunTest : public ::testing::Test, public Scenario {};

} // namespace

TEST_F(SyncRunTest, SuccessSetsLogsThenShows) {
    ReplyAt(20, Good());
    EXPECT_EQ(Sync(), SyncOutcome::Succeeded);

    EXPECT_EQ(world.Trace, (std::vector<std::string>{"set", "broadcast", "log", "dialog"}));
    ASSERT_EQ(world.Sets.size(), 1u);
    // Server 09:05:07.477 UTC, plus half the 20 ms round trip.
    EXPECT_EQ(world.Sets[0], (SystemTimeFields{2004, 3, 0, 7, 9, 5, 7, 487}));
    EXPECT_EQ(world.Dialogs[0], "システムの時刻を '192.0.2.10' と同期しました。\r\n"
                                "\r\n"
                                "変更前の時刻: 2004/03/07 18:05:02.457\r\n"
                                "取得した時刻: 2004/03/07 18:05:07.477\r\n"
                                "差: -00:00:05\r\n"
                                "\r\n"
                                "Stratum: 2　Poll Interval: 6　Precision: -20\r\n"
                                "応答遅延: 0.0ms　推定伝送遅延: 10.0ms");
    EXPECT_EQ(world.LogLines[0], "NTP:OK 2004/03/07 18:05:02 192.0.2.10 10.0ms -00:00:05 - -\r\n");
    EXPECT_EQ(state.LastSyncText, "2004/3/7 18:05:02");
    EXPECT_EQ(settings.NTPCountdown, 99);
    EXPECT_FALSE(state.Waiting);
    EXPECT_FALSE(world.Open_) << "the socket is closed once the reply is in";

    // The request: version 4 client with the random nonce as transmit time.
    ASSERT_EQ(world.LastRequest.size(), 48u);
    EXPECT_EQ(world.LastRequest[0], 0x23);
    EXPECT_EQ(world.LastRequest[40], 0x01);
    EXPECT_EQ(world.LastRequest[47], 0xEF);
}

TEST_F(SyncRunTest, TimerRunDoesNotShowSuccessAndLocalClockAheadHasNoSign) {
    auto plan = Good(); // then moved 10 s back: the local clock is 5 s ahead
    plan.TransmitSeconds -= 10;
    plan.ReceiveSeconds -= 10;
    ReplyAt(20, plan);
    EXPECT_EQ(Sync(false), SyncOutcome::Succeeded);
    EXPECT_TRUE(world.Dialogs.empty());
    EXPECT_EQ(world.LogLines[0], "NTP:OK 2004/03/07 18:05:02 192.0.2.10 10.0ms 00:00:05 - -\r\n");
}

TEST_F(SyncRunTest, Failures) {
    struct Row {
        const char* name;
        std::function<void(Scenario&)> arrange;
        std::string text;
        std::string logTail;
        bool countdownTouched;
    };
    const std::string notDone = "\r\n\r\n時刻の同期はできませんでした。";
    auto reply = [](auto change) {
        return [change](Scenario& t) {
            ReplyPlan plan = t.Good();
            change(plan);
            t.ReplyAt(20, plan);
        };
    };
    const Row rows[] = {
        {"host not found",
         [](Scenario& t) {
             t.world.OpenStatus = {false, 1002, "not found"};
         },
         "エラー: NTPサーバー '192.0.2.10' と正常に通信できません。" + notDone,
         " - - 1002 Winsock:Can'tOpen", false},
        {"send refused",
         [](Scenario& t) {
             t.world.SendStatus = {false, 1007, "no route"};
         },
         "エラー: NTPサーバー '192.0.2.10' と正常に通信できません。" + notDone,
         " - - 1007 Winsock:Can'tOpen", false},
        {"silent, permissible delay on", [](Scenario&) {},
         "NTPサーバー '192.0.2.10' "
         "の応答時間が許容値を超えました。\r\n\r\n時刻の同期を中止しました。",
         " - - 0 morvatel:OverPermissibleDelay", true},
        {"silent, permissible delay off",
         [](Scenario& t) { t.settings.NTP_UsePermissibleDelay = false; },
         "エラー: NTPサーバー '192.0.2.10' の応答がありません。" + notDone,
         " - - 0 Winsock:HostDon'tResponse", true},
        {"late but parsed reply", [](Scenario& t) { t.ReplyAt(700, t.Good(700)); },
         "NTPサーバー '192.0.2.10' "
         "の応答時間が許容値を超えました。\r\n\r\n時刻の同期を中止しました。",
         " - - 0 morvatel:OverPermissibleDelay", true},
        {"short reply", reply([](ReplyPlan& s) { s.Length = 47; }),
         "エラー: 受信したパケットの長さが不正です。" + notDone,
         " - - 0 Winsock:PacketIsn't48Bytes", true},
        {"reply with authenticator", reply([](ReplyPlan& s) { s.Length = 68; }),
         "エラー: 受信したパケットの長さが不正です。" + notDone,
         " - - 0 Winsock:PacketIsn't48Bytes", true},
        {"transmit time before 1970", reply([](ReplyPlan& s) { s.TransmitSeconds = k1970 - 1; }),
         "エラー No.2: 送信時刻から日時を作れません。" + notDone,
         " - - 2 Winsock:ErrorAtDataArrival", true},
        {"socket error event",
         [](Scenario& t) {
             t.world.Play(5, [](const auto&) {
                 return SocketEvent(SocketError{10054, "refused", kServer});
             });
         },
         "通信エラー No.10054: refused", " - - 0 ", true},
        {"clock refused",
         [](Scenario& t) {
             t.world.SetterAccepts = false;
             t.ReplyAt(20, t.Good());
         },
         "エラー: システムの時刻を変更できません。", " - - 0 morvatel:Can'tModifySystemTime", true},
        {"leap indicator 3", reply([](ReplyPlan& s) { s.LeapVersionMode = 0xE4; }),
         "エラー: NTPサーバー '192.0.2.10' の時刻は同期されていません。" + notDone,
         " - - 0 morvatel:ServerNotSynchronized", true},
        {"stratum 0", reply([](ReplyPlan& s) { s.Stratum = 0; }),
         "エラー: NTPサーバー '192.0.2.10' の時刻は同期されていません。" + notDone,
         " - - 0 morvatel:ServerNotSynchronized", true},
        {"zero transmit time",
         reply([](ReplyPlan& s) { s.TransmitSeconds = s.TransmitFraction = 0; }),
         "エラー: NTPサーバー '192.0.2.10' の時刻は同期されていません。" + notDone,
         " - - 0 morvatel:ServerNotSynchronized", true},
        {"client mode", reply([](ReplyPlan& s) { s.LeapVersionMode = 0x23; }),
         "エラー: NTPサーバー '192.0.2.10' からの応答はサーバーの応答ではありません (モード 3)。" +
             notDone,
         " - - 0 morvatel:ReplyNotFromServer", true},
        {"version 0", reply([](ReplyPlan& s) { s.LeapVersionMode = 0x04; }),
         "エラー: NTPサーバー '192.0.2.10' の応答のバージョン (0) に対応していません。" + notDone,
         " - - 0 morvatel:BadVersion", true},
        {"stratum 16", reply([](ReplyPlan& s) { s.Stratum = 16; }),
         "エラー: NTPサーバー '192.0.2.10' は同期していない階層 (Stratum 16) を返しました。" +
             notDone,
         " - - 0 morvatel:StratumUnsynchronized", true},
        {"root dispersion over 16 s",
         reply([](ReplyPlan& s) { s.RootDispersion = (16u << 16) + 1; }),
         "エラー: NTPサーバー '192.0.2.10' の時刻は誤差が大きすぎます。" + notDone,
         " - - 0 morvatel:RootDistanceTooLarge", true},
        {"1970, before the floor",
         reply([](ReplyPlan& s) { s.TransmitSeconds = s.ReceiveSeconds = k1970; }),
         "エラー: NTPサーバー '192.0.2.10' の時刻 (1970/01/01 00:00:00) "
         "は古すぎて正しくありません。" +
             notDone,
         " - - 0 morvatel:ServerTimeTooOld", true},
        {"kiss-o'-death DENY", reply([](ReplyPlan& s) {
             s.Stratum = 0;
             s.ReferenceId = "DENY";
         }),
         "エラー: NTPサーバー '192.0.2.10' に利用を拒否されました。" + notDone,
         " - - 0 morvatel:AccessDenied", true},
    };
    for (const auto& row : rows) {
        for (const bool byTimer : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (byTimer ? " (NTPbyTimer)" : ""));
            Scenario t;
            t.settings.NTPbyTimer = byTimer;
            row.arrange(t);
            EXPECT_EQ(t.Sync(false), SyncOutcome::Failed);
            ASSERT_EQ(t.world.Dialogs.size(), 1u) << "failures show even for a timer run";
            EXPECT_EQ(t.world.Dialogs[0], row.text);
            ASSERT_EQ(t.world.LogLines.size(), 1u);
            EXPECT_TRUE(t.world.LogLines[0].starts_with("NTP:NG 2004/03/07 18:05:0"));
            EXPECT_TRUE(t.world.LogLines[0].ends_with(row.logTail + "\r\n")) << t.world.LogLines[0];
            const auto& trace = t.world.Trace;
            EXPECT_EQ(std::vector<std::string>(trace.end() - 2, trace.end()),
                      (std::vector<std::string>{"dialog", "log"}));
            EXPECT_EQ(t.world.Sets.size(),
                      row.text.find("システムの時刻を変更") != std::string::npos ? 1u : 0u);
            EXPECT_EQ(t.settings.NTPCountdown, byTimer && row.countdownTouched ? 1 : 99);
            EXPECT_TRUE(t.state.LastSyncText.empty());
        }
    }
}

TEST_F(SyncRunTest, AClockKeptByTheSystemServiceIsMeasuredButNotRetried) {
    for (const bool showResult : {true, false}) {
        SCOPED_TRACE(showResult ? "menu run" : "timer run");
        Scenario t;
        t.settings.NTPbyTimer = true;
        t.world.SystemServiceKeepsClock = true;
        t.ReplyAt(20, t.Good());
        EXPECT_EQ(t.Sync(showResult), SyncOutcome::ClockKeptBySystem);
        ASSERT_EQ(t.world.LogLines.size(), 1u);
        EXPECT_TRUE(t.world.LogLines[0].starts_with("NTP:NG 2004/03/07 18:05:0"));
        EXPECT_TRUE(t.world.LogLines[0].ends_with(
            " 192.0.2.10 - - 0 morvatel:SystemTimeServiceActive\r\n"));
        // Server 5 s ahead, stamped as the reply left 20 ms after the request.
        const std::vector<std::string> shown{SystemServiceKeepsClockText(kServer, -5.010)};
        EXPECT_EQ(t.world.Dialogs, showResult ? shown : std::vector<std::string>{});
        EXPECT_EQ(t.settings.NTPCountdown, 99);
        EXPECT_TRUE(t.state.LastSyncText.empty());
        EXPECT_FALSE(t.state.Waiting);
    }
}

TEST_F(SyncRunTest, DelayLimits) {
    struct Row {
        const char* name;
        bool usePermissible;
        std::int32_t permissible;
        std::int64_t replyAt; // -1: silent
        const char* code;     // empty: success
        std::int64_t endsAt;
    };
    const Row rows[] = {
        {"exactly the permissible delay", true, 600, 600, "", 600},
        {"one ms over it", true, 600, 601, "morvatel:OverPermissibleDelay", 601},
        {"silent gives up just over 600", true, 600, -1, "morvatel:OverPermissibleDelay", 601},
        {"exactly 5000 ms", false, 600, 5000, "", 5000},
        {"5001 ms", false, 600, 5001, "Winsock:HostDon'tResponse", 5001},
        {"5001 ms within a 5000 limit", true, 5000, -1, "morvatel:OverPermissibleDelay", 5001},
        {"a 6000 limit still times out", true, 6000, -1, "Winsock:HostDon'tResponse", 5001},
        {"negative limit", true, -1, 20, "morvatel:OverPermissibleDelay", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Scenario t;
        t.settings.NTP_UsePermissibleDelay = row.usePermissible;
        t.settings.NTP_PermissibleDelay = row.permissible;
        if (row.replyAt >= 0) {
            t.ReplyAt(row.replyAt, t.Good(row.replyAt));
        }
        const SyncOutcome outcome = t.Sync();
        EXPECT_EQ(outcome, *row.code ? SyncOutcome::Failed : SyncOutcome::Succeeded);
        if (*row.code) {
            EXPECT_TRUE(t.world.LogLines.at(0).ends_with(std::string(row.code) + "\r\n"));
        }
        EXPECT_EQ(t.world.NowMs, row.endsAt);
    }
}

TEST_F(SyncRunTest, SleepsInsteadOfSpinning) {
    Sync(); // silent, permissible delay 600
    EXPECT_EQ(world.Waits, (std::vector<std::uint32_t>{601}));
}

TEST_F(SyncRunTest, TickCountWrapsDuringTheWait) {
    world.TickBase = 0xFFFFFFFFu - 5;
    ReplyAt(20, Good());
    EXPECT_EQ(Sync(), SyncOutcome::Succeeded);
    EXPECT_EQ(world.Sets.at(0).Milliseconds, 487);
}

TEST_F(SyncRunTest, OnlyTheServersAnswerToThisRequestCounts) {
    struct Row {
        const char* name;
        std::function<void(ReplyPlan&)> spoil;
    };
    const Row rows[] = {
        {"other port", [](ReplyPlan& s) { s.FromPort = 1123; }},
        {"other address", [](ReplyPlan& s) { s.From = "192.0.2.11"; }},
        {"other address, wrong length",
         [](ReplyPlan& s) {
             s.From = "192.0.2.11";
             s.Length = 47;
         }},
        {"wrong originate time", [](ReplyPlan& s) { s.EchoOrigin = false; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Scenario t;
        ReplyPlan forged = t.Good(10);
        forged.TransmitSeconds += 3600; // would move the clock by an hour
        forged.ReceiveSeconds += 3600;
        row.spoil(forged);
        t.ReplyAt(10, forged);
        t.ReplyAt(50, t.Good(50));
        EXPECT_EQ(t.Sync(), SyncOutcome::Succeeded);
        ASSERT_EQ(t.world.Sets.size(), 1u);
        EXPECT_EQ(t.world.Sets[0].Hour, 9);
        EXPECT_EQ(t.world.Sets[0].Milliseconds, 507 + 25) << "half of the genuine round trip";
    }
}

TEST_F(SyncRunTest, AReplyAfterItsRunNeverServesTheNext) {
    EXPECT_EQ(Sync(), SyncOutcome::Failed);
    const std::vector<std::uint8_t> firstRequest = world.LastRequest;
    world.DuringWait = [&] {
        // The old answer finally turns up while the second run waits.
        const ReplyPlan late = Good(0);
        world.Queue.push_back(late.Maker(world)(firstRequest));
    };
    EXPECT_EQ(Sync(), SyncOutcome::Failed);
    EXPECT_TRUE(world.Sets.empty());
    EXPECT_NE(world.LastRequest, firstRequest);
}

TEST_F(SyncRunTest, ProcessingTimeAcrossASecondAndOneWayBounds) {
    struct Row {
        const char* name;
        std::uint32_t rxSecondsDelta; // receive seconds = transmit seconds - delta
        double rxFraction, txFraction;
        const char* line8;
        std::uint16_t setMs;
    };
    const Row rows[] = {
        {"2 ms across a second boundary", 1, 0.999, 0.001, "応答遅延: 2.0ms　推定伝送遅延: 9.0ms",
         10},
        {"nonsense receive time", 100000, 0.0, 0.001,
         "応答遅延: 100000001.0ms　推定伝送遅延: 0.0ms", 1},
        {"receive after transmit", 0, 0.5, 0.001, "応答遅延: -499.0ms　推定伝送遅延: 10.0ms", 11},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Scenario t;
        ReplyPlan plan = t.Good();
        plan.TransmitFraction = Frac(row.txFraction);
        plan.ReceiveSeconds = plan.TransmitSeconds - row.rxSecondsDelta;
        plan.ReceiveFraction = Frac(row.rxFraction);
        t.ReplyAt(20, plan);
        EXPECT_EQ(t.Sync(), SyncOutcome::Succeeded);
        EXPECT_TRUE(t.world.Dialogs.at(0).ends_with(row.line8)) << t.world.Dialogs[0];
        EXPECT_EQ(t.world.Sets.at(0).Milliseconds, row.setMs);
    }
}

TEST_F(SyncRunTest, TimeSetIsNormalisedAndAgedSinceArrival) {
    struct Row {
        const char* name;
        double txFraction;
        std::int64_t arrivedEarlier;
        SystemTimeFields expected;
    };
    const Row rows[] = {
        // 999.0 + 1.0 rounds to 1000: the next second, not a refusal.
        {"carry into the next second", 0.999, 0, {2004, 3, 0, 7, 9, 5, 8, 0}},
        {"fraction rounded to a whole second", 0.99999999, 0, {2004, 3, 0, 7, 9, 5, 8, 1}},
        {"7 ms spent after the arrival", 0.5, 7, {2004, 3, 0, 7, 9, 5, 7, 508}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Scenario t;
        ReplyPlan plan = t.Good(2); // round trip 2 ms: OneWay 1.0
        plan.TransmitFraction = Frac(row.txFraction);
        plan.ReceiveFraction = plan.TransmitFraction;
        plan.ArrivedMsEarlier = row.arrivedEarlier;
        t.ReplyAt(2 + row.arrivedEarlier, plan);
        EXPECT_EQ(t.Sync(), SyncOutcome::Succeeded);
        ASSERT_EQ(t.world.Sets.size(), 1u);
        EXPECT_EQ(t.world.Sets[0], row.expected);
    }
}

TEST_F(SyncRunTest, DifferenceIsTakenInUtc) {
    // The local zone is +2 h while NTP_UTCOffset says +5.5 (a stale setting,
    // or a zone in summer time): only the 5 s may show as the difference.
    world.LocalMinusUtcMs = 2 * 3600 * 1000;
    settings.NTP_UTCOffset = 5.5f;
    ReplyAt(20, Good());
    EXPECT_EQ(Sync(), SyncOutcome::Succeeded);
    EXPECT_NE(
        world.Dialogs.at(0).find("取得した時刻: 2004/03/07 14:35:07.477\r\n差: -00:00:05\r\n"),
        std::string::npos)
        << world.Dialogs[0];
}

TEST_F(SyncRunTest, ADayOrMoreKeepsItsDays) {
    auto plan = Good();
    plan.TransmitSeconds += 86400;
    plan.ReceiveSeconds += 86400;
    ReplyAt(20, plan);
    EXPECT_EQ(Sync(), SyncOutcome::Succeeded);
    EXPECT_NE(world.Dialogs.at(0).find("\r\n差: -1日 00:00:05\r\n"), std::string::npos)
        << world.Dialogs[0];
    EXPECT_EQ(world.LogLines.at(0),
              "NTP:OK 2004/03/07 18:05:02 192.0.2.10 10.0ms -1.00:00:05 - -\r\n");
}

TEST_F(SyncRunTest, ABurstSetsTheClockFromItsLeastDelayedSample) {
    settings.NTP_Samples = 3;
    const std::int64_t roundTrips[] = {80, 20, 60};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::int64_t sentAt = 2000 * static_cast<std::int64_t>(i);
        world.Play(roundTrips[i], Good(sentAt + roundTrips[i]).Maker(world), "", i);
    }
    EXPECT_EQ(Sync(), SyncOutcome::Succeeded);
    EXPECT_EQ(world.Sends.size(), 3u);
    EXPECT_EQ(world.Sends.back().AtMs, 4000);
    ASSERT_EQ(world.Sets.size(), 1u);
    // Server 5 s ahead when the second reply came at 2020 ms, plus half its
    // 20 ms round trip, aged by the 2040 ms the burst went on after it.
    EXPECT_EQ(world.Sets[0], (SystemTimeFields{2004, 3, 0, 7, 9, 5, 11, 527}));
    EXPECT_NE(world.LogLines.at(0).find(" 10.0ms "), std::string::npos) << world.LogLines[0];
}

TEST_F(SyncRunTest, ASecondRunWaitsForTheFirstsAnswer) {
    std::vector<SyncOutcome> nested;
    world.DuringWait = [&] {
        EXPECT_TRUE(state.Waiting);
        nested.push_back(Sync());
    };
    ReplyAt(20, Good());
    EXPECT_EQ(Sync(), SyncOutcome::Succeeded);
    EXPECT_EQ(nested, (std::vector<SyncOutcome>{SyncOutcome::NotStarted}));
    EXPECT_EQ(world.LogLines.size(), 1u) << "a refused run logs nothing";
    EXPECT_EQ(world.Sets.size(), 1u);
}

TEST_F(SyncRunTest, RunsProceedUnderTheResultDialog) {
    // The first run fails; while its dialog is open a timer starts another,
    // which succeeds. The first run's log line still carries its own code.
    settings.NTPbyTimer = true;
    world.DuringDialog = [&] {
        world.DuringDialog = nullptr;
        ReplyAt(20, Good());
        EXPECT_EQ(Sync(false), SyncOutcome::Succeeded);
    };
    EXPECT_EQ(Sync(), SyncOutcome::Failed);
    ASSERT_EQ(world.LogLines.size(), 2u);
    EXPECT_TRUE(world.LogLines[0].starts_with("NTP:OK"));
    EXPECT_TRUE(world.LogLines[1].ends_with(" - - 0 morvatel:OverPermissibleDelay\r\n"));
    EXPECT_EQ(settings.NTPCountdown, 1);
}

TEST_F(SyncRunTest, TheServerAskedIsNamedThoughTheSettingChangesDuringTheWait) {
    for (const bool answered : {true, false}) {
        SCOPED_TRACE(answered ? "success" : "failure");
        Scenario t;
        if (answered) {
            t.ReplyAt(20, t.Good());
        }
        t.settings.NTP_Server = kServer;
        t.world.DuringWait = [&t] { t.settings.NTP_Server = "other.example"; };
        // As the menu asks: with the setting itself.
        auto services = t.world.Services();
        SyncSystemTime(t.state, t.settings, services, true, t.settings.NTP_Server);
        ASSERT_EQ(t.world.Dialogs.size(), 1u);
        ASSERT_EQ(t.world.LogLines.size(), 1u);
        EXPECT_NE(t.world.Dialogs[0].find("'192.0.2.10'"), std::string::npos) << t.world.Dialogs[0];
        EXPECT_NE(t.world.LogLines[0].find(" 192.0.2.10 "), std::string::npos)
            << t.world.LogLines[0];
    }
}

TEST_F(SyncRunTest, AnExitRequestAbandonsTheRunAtOnce) {
    struct Row {
        const char* name;
        bool quitBeforeTheRun;
        bool replyInTheSamePass;
        bool lookupCutShort; // the open fails because the exit stopped it
        std::size_t waits;
    };
    const Row rows[] = {
        {"during a silent wait", false, false, false, 1},
        {"as the reply arrives", false, true, false, 1},
        {"during the name lookup", false, false, true, 0},
        {"before the run", true, false, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Scenario t;
        t.settings.NTPbyTimer = true;
        t.settings.NTP_UsePermissibleDelay = false;
        t.world.QuitRequested = row.quitBeforeTheRun;
        if (row.replyInTheSamePass) {
            t.ReplyAt(1, t.Good(1));
        }
        if (row.lookupCutShort) {
            t.world.OpenStatus = {false, 1005, "lookup aborted"};
            t.world.QuitRequested = true;
        }
        t.world.DuringWait = [&t] { t.world.QuitRequested = true; };
        EXPECT_EQ(t.Sync(), SyncOutcome::Abandoned);
        EXPECT_TRUE(t.world.Trace.empty()) << "no clock change, no log, no dialog";
        EXPECT_EQ(t.world.Waits.size(), row.waits) << "no further wait";
        EXPECT_EQ(t.settings.NTPCountdown, 99);
        EXPECT_FALSE(t.state.Waiting);
        EXPECT_FALSE(t.world.Open_);
    }
}

TEST_F(SyncRunTest, QueryReportsOffsetAndDelayAndTouchesNothing) {
    // The server's clock is read half way through a 20 ms round trip and is
    // 5 s ahead; it spends 2 ms on the request.
    const std::int64_t midMs = world.UtcBaseMs + 10 + 5000;
    ReplyPlan plan;
    plan.ReceiveSeconds = static_cast<std::uint32_t>(k1970 + (midMs - 1) / 1000);
    plan.ReceiveFraction = Frac(static_cast<double>((midMs - 1) % 1000) / 1000.0);
    plan.TransmitSeconds = static_cast<std::uint32_t>(k1970 + (midMs + 1) / 1000);
    plan.TransmitFraction = Frac(static_cast<double>((midMs + 1) % 1000) / 1000.0);
    ReplyAt(20, plan);
    auto services = world.Services();
    const QueryOutcome q = QueryServer(state, settings, services, kServer);
    ASSERT_TRUE(q.Ok);
    EXPECT_EQ(q.Stratum, 2);
    EXPECT_NEAR(q.OffsetSeconds, 5.0, 1e-6);
    EXPECT_NEAR(q.DelaySeconds, 0.018, 1e-6);
    EXPECT_TRUE(world.Trace.empty()) << "no set, no log, no dialog";

    // An endpoint that stamps the moment the datagram left (2 ms after the
    // reading here) moves T1 there; T4 stays where the reply arrived.
    Scenario stamped;
    stamped.world.SendStatus.SentMonotonicNs = 2'000'000;
    stamped.ReplyAt(20, plan);
    auto stampedServices = stamped.world.Services();
    const QueryOutcome sharp =
        QueryServer(stamped.state, stamped.settings, stampedServices, kServer);
    ASSERT_TRUE(sharp.Ok);
    EXPECT_NEAR(sharp.OffsetSeconds, 4.999, 1e-6);
    EXPECT_NEAR(sharp.DelaySeconds, 0.016, 1e-6);

    Scenario silent;
    auto silentServices = silent.world.Services();
    const QueryOutcome failed = QueryServer(silent.state, silent.settings, silentServices, kServer);
    EXPECT_FALSE(failed.Ok);
    EXPECT_EQ(failed.ErrorCode, "morvatel:OverPermissibleDelay");
    EXPECT_TRUE(silent.world.Trace.empty());
}

namespace {

using Bytes = std::vector<std::uint8_t>;
const Bytes kC2S(32, 0xc2);
const Bytes kS2C(32, 0x5c);
const Bytes kUniqueId(32, 0x1d); // every identifier the session makes

enum class Answer { Sealed, Tampered, Ntsn };

// A server that shares the exchanged keys: its reply to `plan`'s header
// echoes the identifier and seals one new cookie, unless told otherwise.
std::function<SocketEvent(const Bytes&)> NtsReply(FakeSyncWorld& world, ReplyPlan plan,
                                                  Answer answer) {
    if (answer == Answer::Ntsn) {
        plan.Stratum = 0;
        plan.ReferenceId = "NTSN";
    }
    auto header = plan.Maker(world);
    return [header, answer](const Bytes& request) {
        SocketEvent event = header(request);
        Bytes& out = std::get<Datagram>(event).Bytes;
        if (answer == Answer::Ntsn) {
            PutField(out, static_cast<std::uint16_t>(NtsField::UniqueIdentifier), kUniqueId);
            return event;
        }
        SealReply(out, kUniqueId, kS2C, Bytes(16, 0x0e), 1);
        if (answer == Answer::Tampered) {
            out[43] ^= 1; // the transmit time, a second off
        }
        return event;
    };
}

struct FakeKeyExchange : NtsKeyExchanger {
    std::vector<NtsKeFailure> failures; // in turn; success once they run out
    std::vector<std::string> asked;
    NtsKeyExchangeResult Run(const std::string& host, std::uint16_t port) override {
        asked.push_back(host + " " + std::to_string(port));
        NtsKeyExchangeResult result;
        if (asked.size() <= failures.size()) {
            result.Failure = failures[asked.size() - 1];
            return result;
        }
        result.C2SKey = kC2S;
        result.S2CKey = kS2C;
        result.Response.Cookies.assign(2, Bytes(100, 0xc0));
        return result;
    }
};

} // namespace

// The key exchange only when the session lacks keys or cookies, one new one
// after NTSN and no more, and every failure in the authenticated texts.
TEST_F(SyncRunTest, AuthenticatedRuns) {
    struct Row {
        const char* name;
        std::vector<NtsKeFailure> keFailures;
        std::vector<std::vector<Answer>> runs; // the answers to each run's requests
        std::size_t keyExchanges;
        std::string lastText; // the last run's dialog
        std::string logTail;
    };
    const std::string notDone = "\r\n\r\n時刻の同期はできませんでした。";
    const std::string ok = "0.0ms　推定伝送遅延: 10.0ms\r\n" + NtsAuthenticatedText();
    const Row rows[] = {
        {"cookies carry over",
         {},
         {{Answer::Sealed}, {Answer::Sealed}},
         1,
         ok,
         "10.0ms -00:00:05 - NTS\r\n"},
        {"NTSN, new keys",
         {},
         {{Answer::Ntsn, Answer::Sealed}},
         2,
         ok,
         "10.0ms -00:00:05 - NTS\r\n"},
        {"NTSN twice",
         {},
         {{Answer::Ntsn, Answer::Ntsn}},
         2,
         NtsKissNtsnText("192.0.2.10"),
         " - - 0 NTS:NTSN\r\n"},
        {"tampered",
         {},
         {{Answer::Tampered}},
         1,
         NtsNoAuthenticReplyText("192.0.2.10"),
         " - - 0 NTS:NoAuthenticatedReply\r\n"},
        {"certificate expired",
         {NtsKeFailure::CertificateExpired},
         {{}},
         1,
         NtsKeFailureText(NtsKeFailure::CertificateExpired, "192.0.2.10", 0),
         " - - 0 NTS-KE:CertificateExpired\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scenario t;
        t.settings.NTS = true;
        FakeAead aead;
        NtsSession session(aead,
                           [](std::uint8_t* out, std::size_t n) { std::fill_n(out, n, 0x1d); });
        FakeKeyExchange keyExchange;
        keyExchange.failures = row.keFailures;
        NtsServices nts{keyExchange, session, {}};
        auto services = t.world.Services();
        services.Nts = &nts;
        std::size_t sent = 0;
        for (const auto& answers : row.runs) {
            for (std::size_t i = 0; i < answers.size(); ++i) {
                t.world.Play(20, NtsReply(t.world, t.Good(), answers[i]), {}, sent + i);
            }
            sent += answers.size();
            SyncSystemTime(t.state, t.settings, services, true, kServer);
        }
        EXPECT_EQ(keyExchange.asked.size(), row.keyExchanges);
        EXPECT_EQ(keyExchange.asked[0], "192.0.2.10 4460");
        ASSERT_EQ(t.world.Sends.size(), sent) << "the retry sends once more, never a bare header";
        for (const auto& request : t.world.Sends) {
            EXPECT_GT(request.Bytes.size(), PacketSize);
        }
        ASSERT_FALSE(t.world.Dialogs.empty());
        EXPECT_TRUE(t.world.Dialogs.back().ends_with(row.lastText)) << t.world.Dialogs.back();
        EXPECT_TRUE(t.world.LogLines.back().ends_with(row.logTail)) << t.world.LogLines.back();
    }
}
