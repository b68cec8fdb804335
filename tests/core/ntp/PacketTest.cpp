#include "ntp/Packet.h"
#include "ntp/SyncTexts.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ntp;

namespace {

std::vector<std::uint8_t> Reply(std::uint32_t txSeconds, std::uint32_t txFraction = 0,
                                std::uint32_t rxSeconds = 0, std::uint32_t rxFraction = 0) {
    std::vector<std::uint8_t> bytes(48, 0);
    bytes[0] = 0x24;
    bytes[1] = 2;
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        }
    };
    put(32, rxSeconds);
    put(36, rxFraction);
    put(40, txSeconds);
    put(44, txFraction);
    return bytes;
}

NTPResult Parse(const std::vector<std::uint8_t>& bytes, float offset = 0.0f) {
    NTPResult r;
    ParseNTPReply(r, bytes.data(), bytes.size(), offset);
    return r;
}

constexpr std::uint32_t k1970 = 2208988800u;

} // namespace

TEST(NTPRequest, IsVersion4ClientWithTheNonceAsTransmitTime) {
    const auto packet = BuildNTPRequest(0x1122334455667788u);
    EXPECT_EQ(packet[0], 0x23);
    const std::uint8_t nonce[] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    for (std::size_t i = 0; i < 48; ++i) {
        EXPECT_EQ(packet[i], i == 0 ? 0x23 : (i >= 40 ? nonce[i - 40] : 0)) << "byte " << i;
    }
    // A zero transmit time means "no time" to servers: never send it.
    EXPECT_EQ(ReadTimestamp(BuildNTPRequest(0).data(), 40), (NTPTimestamp{0, 1}));
}

TEST(NTPReply, WrongLengthIsRejectedUnread) {
    for (std::size_t length : {0u, 47u, 49u, 68u}) {
        NTPResult r;
        r.ErrorNumber = 7;
        r.ServerTimeUTC = "stale";
        auto bytes = Reply(k1970);
        bytes.resize(length, 0xFF);
        ParseNTPReply(r, bytes.data(), bytes.size(), 0);
        EXPECT_EQ(r.ErrorCode, "Winsock:PacketIsn't48Bytes") << length;
        EXPECT_EQ(r.ErrorMessage, "エラー: 受信したパケットの長さが不正です。\r\n\r\n"
                                  "時刻の同期はできませんでした。");
        EXPECT_EQ(r.ErrorNumber, 7) << "the number is left as it was";
        EXPECT_EQ(r.Stratum, 0) << "nothing read";
        EXPECT_TRUE(r.ServerTimeUTC.empty());
    }
}

TEST(NTPReply, TransmitSecondsToCalendar) {
    struct Row {
        const char* name;
        std::uint32_t seconds;
        const char* utc; // empty: parse fault
        std::int32_t fault;
        float offset = 0.0f;
        const char* local = nullptr; // ServerTimeLocal at offset, when given
    };
    const Row rows[] = {
        {"epoch 1970", k1970, "1970/01/01 00:00:00", 0},
        {"last second of era 0", 0xFFFFFFFFu, "2036/02/07 06:28:15", 0},
        {"one second before 1970", k1970 - 1, "", 2},
        {"whole day before 1970", k1970 - 86400, "1969/12/31 00:00:00", 0},
        {"whole day before 1970 at UTC+9", k1970 - 86400, "1969/12/31 00:00:00", 0, 9.0f,
         "1969/12/31 09:00:00"},
        {"part day before 1970", k1970 - 86400 * 3 + 5, "", 2},
        {"beyond signed 32 bits", 61505151u, "", 1},
        {"leap day", k1970 + 1078617600u - 86400 * 7, "2004/02/29 00:00:00", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const NTPResult r = Parse(Reply(row.seconds), row.offset);
        EXPECT_EQ(r.ServerTimeUTC, row.utc);
        if (row.local != nullptr) {
            EXPECT_EQ(r.ServerTimeLocal, row.local);
        }
        if (row.fault != 0) {
            EXPECT_EQ(r.ErrorCode, "Winsock:ErrorAtDataArrival");
            EXPECT_EQ(r.ErrorNumber, row.fault);
            EXPECT_TRUE(
                r.ErrorMessage.starts_with("エラー No." + std::to_string(row.fault) + ": "));
            EXPECT_TRUE(r.ErrorMessage.ends_with("\r\n\r\n時刻の同期はできませんでした。"));
            EXPECT_EQ(r.Stratum, 2) << "fields read before the fault keep their values";
        } else {
            EXPECT_TRUE(r.ErrorMessage.empty());
        }
    }
}

TEST(NTPReply, Fractions) {
    struct Row {
        const char* name;
        std::uint32_t fraction;
        std::int64_t tenThousandths;
    };
    const Row rows[] = {
        {"all ones rounds up to a whole second", 0xFFFFFFFFu, 10000},
        {"half", 0x80000000u, 5000},
        {"smallest", 0x00000001u, 0},
        {"tie 1/32 goes to even", 0x08000000u, 312},
        {"tie 3/32 goes to even", 0x18000000u, 938},
        {"just over a tie", 0x08000001u, 313},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FractionToTenThousandths(row.fraction), row.tenThousandths);
        const NTPResult r = Parse(Reply(k1970, row.fraction, k1970, 0));
        EXPECT_DOUBLE_EQ(r.ServerMilliseconds, static_cast<double>(row.tenThousandths) / 10.0);
        EXPECT_EQ(r.ServerProcessingTime, row.tenThousandths);
    }
}

TEST(NTPReply, ProcessingTimeCountsWholeSeconds) {
    struct Row {
        const char* name;
        std::uint32_t rxSeconds, rxFraction, txSeconds, txFraction;
        std::int64_t expected;
    };
    const std::uint32_t f9990 = 0xFFBE76C9u; // 0.9990 s
    const std::uint32_t f0010 = 0x00418937u; // 0.0010 s
    const Row rows[] = {
        {"straddles a second", k1970 + 10, f9990, k1970 + 11, f0010, 20},
        {"same second", k1970 + 10, f0010, k1970 + 10, f9990, 9980},
        {"across the era wrap", 0xFFFFFFFFu, f9990, 0, f0010, 20},
        {"transmit before receive", k1970 + 11, f0010, k1970 + 10, f9990, -20},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        NTPResult r;
        const auto bytes = Reply(row.txSeconds, row.txFraction, row.rxSeconds, row.rxFraction);
        ParseNTPReply(r, bytes.data(), bytes.size(), 0);
        EXPECT_EQ(r.ServerProcessingTime, row.expected);
    }
}

TEST(NTPReply, HeaderFields) {
    auto bytes = Reply(k1970);
    bytes[1] = 0xFF;
    bytes[2] = 0xFA;
    bytes[3] = 0x06;
    const NTPResult r = Parse(bytes);
    EXPECT_EQ(r.Stratum, 255);
    EXPECT_EQ(r.PollInterval, 250);
    EXPECT_EQ(r.Precision, 6) << "0xEC (-20) is in the run's success text";
}

TEST(NTPReply, LocalTimeAddsTheOffsetExactly) {
    const std::uint32_t t = k1970 + 1078691400u; // 2004/03/07 20:30:00 UTC
    struct Row {
        float offset;
        const char* local;
    };
    const Row rows[] = {
        {9.0f, "2004/03/08 05:30:00"},  {5.5f, "2004/03/08 02:00:00"},
        {5.75f, "2004/03/08 02:15:00"}, {-3.5f, "2004/03/07 17:00:00"},
        {0.0f, "2004/03/07 20:30:00"},
    };
    for (const auto& row : rows) {
        const NTPResult r = Parse(Reply(t), row.offset);
        EXPECT_EQ(r.ServerTimeUTC, "2004/03/07 20:30:00");
        EXPECT_EQ(r.ServerTimeLocal, row.local) << row.offset;
    }
}

TEST(NTPReply, UntrustedServers) {
    struct Row {
        const char* name;
        std::uint8_t byte0, stratum;
        std::uint32_t txSeconds, txFraction;
        bool untrusted;
    };
    const Row rows[] = {
        {"synchronised", 0x24, 2, k1970, 0, false},
        {"leap second pending is fine", 0x64, 2, k1970, 0, false},
        {"leap indicator 3", 0xE4, 2, k1970, 0, true},
        {"kiss-o'-death", 0x24, 0, k1970, 0, true},
        {"zero transmit time", 0x24, 2, 0, 0, true},
        {"only the fraction set", 0x24, 2, 0, 1, false},
    };
    for (const auto& row : rows) {
        auto bytes = Reply(row.txSeconds, row.txFraction);
        bytes[0] = row.byte0;
        bytes[1] = row.stratum;
        EXPECT_EQ(IsUntrustedReply(bytes.data()), row.untrusted) << row.name;
    }
}

// A fraction that rounds to a thousand thousandths is the next second.
TEST(NTPReply, ReceivedTextCarriesARoundedWholeSecond) {
    // The transmit fraction that reads as this many ten-thousandths.
    auto fraction = [](std::uint64_t tenThousandths) {
        return static_cast<std::uint32_t>((tenThousandths << 32) / 10000);
    };
    struct Row {
        const char* name;
        std::uint32_t seconds;
        std::uint32_t fraction;
        float offset;
        const char* text;
    };
    const Row rows[] = {
        {"a plain fraction", k1970 + 59, 0x75000000u, 9.0f, "1970/01/01 09:00:59.457"},
        {"999.4 ms stays", 3924892807u, fraction(9994), 0.0f, "2024/05/17 00:00:07.999"},
        {"999.5 ms is the next second", 3924892807u, fraction(9995), 0.0f,
         "2024/05/17 00:00:08.000"},
        {"999.9 ms is the next second", 3924892807u, fraction(9999), 0.0f,
         "2024/05/17 00:00:08.000"},
        {"a full second", k1970 + 59, 0xFFFFFFFFu, 9.0f, "1970/01/01 09:01:00.000"},
        {"carried into the next year", 3913023599u, fraction(9996), 9.0f,
         "2024/01/01 00:00:00.000"},
    };
    for (const auto& row : rows) {
        const NTPResult r = Parse(Reply(row.seconds, row.fraction), row.offset);
        EXPECT_EQ(ReceivedTimeText(r, row.offset), row.text) << row.name;
    }
}
