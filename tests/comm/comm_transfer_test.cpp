// Write, Read, SendBreak and the closed-port and hang-up errors.

#include "comm/comm.h"
#include "comm_test_support.h"

#include <QTimer>

#include <cerrno>
#include <numeric>

namespace cam::test {
namespace {

using TransferTest = PtyTest;

TEST_F(TransferTest, WriteOfOutQueueSizeIsAcceptedAndOneMoreIsRefused) {
    TComm comm;
    comm.Open();
    std::vector<std::uint8_t> data(comm.OutQueueSize() + 1u);
    std::iota(data.begin(), data.end(), std::uint8_t{0});

    try {
        comm.Write(data.data(), static_cast<std::uint32_t>(data.size()));
        ADD_FAILURE() << "accepted " << data.size() << " bytes";
    } catch (const ECommError& e) {
        EXPECT_STREQ(e.what(), "送信データ長が長すぎる。");
        EXPECT_EQ(e.Message(), QStringLiteral("送信データ長が長すぎる。"));
    }

    comm.Write(data.data(), comm.OutQueueSize());
    const auto got = pty_.Receive(comm.OutQueueSize());
    EXPECT_EQ(got, std::vector<std::uint8_t>(data.begin(), data.end() - 1));

    // A smaller queue size is a smaller limit.
    comm.SetOutQueueSize(19);
    EXPECT_NO_THROW(comm.Write(data.data(), 19));
    EXPECT_THROW(comm.Write(data.data(), 20), ECommError);
}

TEST_F(TransferTest, WriteToAStalledLineGivesUpAfterTheTimeOut) {
    TComm comm;
    comm.Open();
    // Nobody reads the camera side: the pty's buffers fill up.
    const std::vector<std::uint8_t> block(comm.OutQueueSize(), 0x55);
    std::chrono::steady_clock::duration longest{};
    for (int i = 0; i < 64 && longest < std::chrono::milliseconds(900); ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_NO_THROW(comm.Write(block.data(), comm.OutQueueSize()));
        longest = std::max(longest, std::chrono::steady_clock::now() - start);
    }
    EXPECT_GE(longest, std::chrono::milliseconds(900));
    EXPECT_LT(longest, std::chrono::milliseconds(2500));
    // Once the camera side reads again, writing goes on.
    pty_.Receive(1 << 20, 200);
    const std::uint8_t ack = 0x06;
    comm.Write(&ack, 1);
    const auto tail = pty_.Receive(1);
    ASSERT_EQ(tail.size(), 1u);
    EXPECT_EQ(tail[0], 0x06);
}

TEST_F(TransferTest, ClosedPortRefusesEveryTransfer) {
    TComm comm;
    std::uint8_t buf[4] = {};
    const struct {
        const char* what;
        std::function<void()> call;
    } calls[] = {
        {"Write", [&] { comm.Write(buf, 1); }},
        {"Write of nothing", [&] { comm.Write(buf, 0); }},
        {"Read", [&] { comm.Read(buf, 1); }},
        {"SendString", [&] { comm.SendString("ABC"); }},
    };
    for (int round = 0; round < 2; ++round) { // never opened, then opened and closed
        for (const auto& c : calls) {
            SCOPED_TRACE(c.what);
            try {
                c.call();
                ADD_FAILURE() << "no exception";
            } catch (const ECommOpenError&) {
                ADD_FAILURE() << "wrong class";
            } catch (const ECommReadWriteError&) {
                ADD_FAILURE() << "wrong class";
            } catch (const ECommError& e) {
                EXPECT_STREQ(e.what(), "通信が開始されていない。");
            }
        }
        comm.Open();
        comm.Close();
    }
    EXPECT_THROW(comm.SendBreak(), ECommReadWriteError);
}

TEST_F(TransferTest, ReadReturnsWhatCameWithinTheTimeOut) {
    TComm comm;
    comm.Open();
    pty_.Send({0x06, 0x02, 0x31, 0x0A});
    std::uint8_t buf[8] = {};
    // Enough bytes: returns as soon as they are there.
    ASSERT_TRUE(PumpUntil([&] {
        int n = 0;
        return ::ioctl(comm.Handle(), FIONREAD, &n) == 0 && n == 4;
    }));
    EXPECT_EQ(comm.Read(buf, 2), 2u);
    EXPECT_EQ(buf[0], 0x06);
    EXPECT_EQ(buf[1], 0x02);

    // Fewer than asked for: what came, after the 1000 ms time-out.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(comm.Read(buf, 8), 2u);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(buf[0], 0x31);
    EXPECT_EQ(buf[1], 0x0A);
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::milliseconds(2500));
    EXPECT_EQ(comm.Read(buf, 0), 0u);
}

TEST_F(TransferTest, SendStringWritesTheCharactersWithoutTerminator) {
    TComm comm;
    comm.Open();
    comm.SendString("ENQ\x05");
    EXPECT_EQ(pty_.Receive(4), (std::vector<std::uint8_t>{'E', 'N', 'Q', 0x05}));
}

TEST_F(TransferTest, HungUpPeerGivesReadWriteErrors) {
    TComm comm;
    comm.Open();
    pty_.CloseMaster();
    std::uint8_t buf[4] = {};
    try {
        comm.Read(buf, 4);
        ADD_FAILURE() << "read from a hung-up device";
    } catch (const ECommReadWriteError& e) {
        EXPECT_EQ(e.ErrorCode, EIO);
        EXPECT_EQ(std::string(e.what()), "入出力エラー ErrorCode = " + std::to_string(EIO));
    }
    EXPECT_THROW(comm.Write(buf, 1), ECommReadWriteError);
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(TransferTest, BreakIsHeldUntilBreakTimerFires) {
    TComm comm;
    comm.Open();
    auto* timer = comm.findChild<QTimer*>("BreakTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_TRUE(timer->isSingleShot());

    comm.SendBreak();
    EXPECT_TRUE(comm.BreakActive());
    EXPECT_TRUE(timer->isActive());
    QMetaObject::invokeMethod(&comm, "BreakTimerTimer");
    EXPECT_FALSE(comm.BreakActive());
    EXPECT_FALSE(timer->isActive());

    // Close ends a break that is still held.
    comm.SendBreak();
    comm.Close();
    EXPECT_FALSE(comm.BreakActive());
    EXPECT_FALSE(timer->isActive());
}

} // namespace
} // namespace cam::test
