// The watcher: notifications on the owner's thread, one at a time, no spinning.

#include "comm/comm.h"
#include "comm_test_support.h"

#include <numeric>
#include <thread>

namespace cam::test {
namespace {

using ReceiveTest = PtyTest;

// Counts every notification that reaches DoCommReceive, handled or not.
class CountingComm : public TComm {
  public:
    void DoCommReceive() override {
        ++calls;
        TComm::DoCommReceive();
    }
    int calls = 0;
};

TEST_F(ReceiveTest, ThreeBytesGiveOneNotificationOfSizeThreeOnTheOwnersThread) {
    TComm comm;
    std::vector<std::uint16_t> sizes;
    std::thread::id handler_thread;
    comm.OnCommReceive = [&](std::uint16_t size) {
        sizes.push_back(size);
        handler_thread = std::this_thread::get_id();
    };
    comm.Open();
    pty_.Send({0x06, 0x02, 0x31});
    ASSERT_TRUE(PumpUntil([&] { return !sizes.empty(); }));
    // The handler did not read: the same bytes are not reported again.
    PumpFor(4 * TCommWatch::kStaleCheckMs);
    EXPECT_EQ(sizes, std::vector<std::uint16_t>{3});
    EXPECT_EQ(handler_thread, std::this_thread::get_id());

    // New bytes are; the whole queue is reported.
    pty_.Send({0x0A, 0x01});
    ASSERT_TRUE(PumpUntil([&] { return sizes.size() == 2; }));
    EXPECT_EQ(sizes[1], 5);
    PumpFor(4 * TCommWatch::kStaleCheckMs);
    EXPECT_EQ(sizes.size(), 2u);
}

TEST_F(ReceiveTest, HandlerThatReadsGetsBytesThatArriveDuringItInTheNextNotification) {
    TComm comm;
    std::vector<std::uint8_t> received;
    std::vector<std::uint16_t> sizes;
    comm.OnCommReceive = [&](std::uint16_t size) {
        sizes.push_back(size);
        std::vector<std::uint8_t> buf(size);
        buf.resize(comm.Read(buf.data(), size));
        received.insert(received.end(), buf.begin(), buf.end());
        if (sizes.size() == 1) // the camera goes on sending while we handle
            pty_.Send({0x03, 0xAB, 0xCD});
    };
    comm.Open();
    pty_.Send({0x06, 0x02});
    ASSERT_TRUE(PumpUntil([&] { return received.size() == 5; }));
    EXPECT_EQ(received, (std::vector<std::uint8_t>{0x06, 0x02, 0x03, 0xAB, 0xCD}));
    EXPECT_EQ(sizes.front(), 2);
    PumpFor(2 * TCommWatch::kStaleCheckMs);
    EXPECT_EQ(received.size(), 5u);
}

TEST_F(ReceiveTest, AThresholdGathersAFrameAndStillReportsOneCutShort) {
    TComm comm;
    std::vector<std::uint16_t> sizes;
    comm.OnCommReceive = [&](std::uint16_t size) {
        sizes.push_back(size);
        std::vector<std::uint8_t> buf(size);
        comm.Read(buf.data(), size);
    };
    comm.Open();
    comm.SetReceiveThreshold(19);
    // A frame at about the line rate: one notification (two if this machine
    // stalled the sender for a whole partial check), not one per byte.
    for (std::uint8_t b = 0; b < 19; ++b) {
        pty_.Send({b});
        QCoreApplication::processEvents();
        ::poll(nullptr, 0, 1);
    }
    ASSERT_TRUE(PumpUntil([&] {
        return !sizes.empty() && sizes.back() > 0 &&
               std::accumulate(sizes.begin(), sizes.end(), 0) == 19;
    }));
    EXPECT_LE(sizes.size(), 2u);
    // Five bytes and then nothing: reported all the same.
    sizes.clear();
    pty_.Send({1, 2, 3, 4, 5});
    ASSERT_TRUE(PumpUntil([&] { return !sizes.empty(); }, 1000));
    EXPECT_EQ(sizes, std::vector<std::uint16_t>{5});
}

TEST_F(ReceiveTest, NoNotificationWithoutBytesOrHandler) {
    CountingComm comm;
    comm.Open();
    PumpFor(100);
    EXPECT_EQ(comm.calls, 0);
    // Without a handler the bytes are noticed once and left alone.
    pty_.Send({0x01});
    ASSERT_TRUE(PumpUntil([&] { return comm.calls == 1; }));
    PumpFor(4 * TCommWatch::kStaleCheckMs);
    EXPECT_EQ(comm.calls, 1);
}

TEST_F(ReceiveTest, NotificationPostedBeforeCloseIsDropped) {
    CountingComm comm;
    int handled = 0;
    comm.OnCommReceive = [&](std::uint16_t) { ++handled; };
    comm.Open();
    pty_.Send({0x06});
    // Let the watcher see the byte and post, without delivering the post.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int waiting = 0;
    while (waiting == 0 && std::chrono::steady_clock::now() < deadline) {
        ::ioctl(comm.Handle(), FIONREAD, &waiting);
        ::poll(nullptr, 0, 2);
    }
    ASSERT_EQ(waiting, 1);
    ::poll(nullptr, 0, 50);
    comm.Close();
    comm.Open(); // a new opening must not take the old notification
    PumpFor(100);
    EXPECT_EQ(comm.calls, 0);
    EXPECT_EQ(handled, 0);

    // The new opening notifies normally.
    pty_.Send({0x15});
    ASSERT_TRUE(PumpUntil([&] { return handled == 1; }));
}

TEST_F(ReceiveTest, NotificationForADestroyedPortIsHarmless) {
    int handled = 0;
    {
        TComm comm;
        comm.OnCommReceive = [&](std::uint16_t) { ++handled; };
        comm.Open();
        pty_.Send({0x06});
        int waiting = 0;
        for (int i = 0; i < 1500 && waiting == 0; ++i) {
            ::ioctl(comm.Handle(), FIONREAD, &waiting);
            ::poll(nullptr, 0, 2);
        }
        ::poll(nullptr, 0, 50);
    }
    PumpFor(100);
    EXPECT_EQ(handled, 0);
}

TEST_F(ReceiveTest, HandlerMayCloseThePort) {
    TComm comm;
    int handled = 0;
    comm.OnCommReceive = [&](std::uint16_t) {
        ++handled;
        comm.Close();
    };
    comm.Open();
    pty_.Send({0x06});
    ASSERT_TRUE(PumpUntil([&] { return handled == 1; }));
    EXPECT_FALSE(comm.IsOpen());
    PumpFor(50);
    EXPECT_EQ(handled, 1);
}

TEST_F(ReceiveTest, HandlerExceptionIsReportedAndReceivingGoesOn) {
    TComm comm;
    std::vector<std::string> errors;
    int handled = 0;
    comm.OnHandlerException = [&](const std::exception& e) { errors.push_back(e.what()); };
    comm.OnCommReceive = [&](std::uint16_t size) {
        ++handled;
        std::vector<std::uint8_t> buf(size);
        comm.Read(buf.data(), size);
        throw ECommError("通信が開始されていない。");
    };
    comm.Open();
    pty_.Send({0x06});
    ASSERT_TRUE(PumpUntil([&] { return handled == 1; }));
    pty_.Send({0x06});
    ASSERT_TRUE(PumpUntil([&] { return handled == 2; }));
    EXPECT_EQ(errors,
              (std::vector<std::string>{"通信が開始されていない。", "通信が開始されていない。"}));
}

TEST_F(ReceiveTest, TransmitEventReportsTheEmptiedOutputQueue) {
    TComm comm;
    std::vector<std::uint16_t> transmitted;
    comm.OnCommTransmit = [&](std::uint16_t queued) { transmitted.push_back(queued); };
    comm.Open();
    const std::uint8_t enq = 0x05;
    comm.Write(&enq, 1);
    PumpFor(50);
    EXPECT_TRUE(transmitted.empty()); // not asked for

    comm.SetEventMask({evTxempty});
    comm.Write(&enq, 1);
    ASSERT_TRUE(PumpUntil([&] { return transmitted.size() == 1; }));
    EXPECT_EQ(transmitted[0], 0);
    PumpFor(50);
    EXPECT_EQ(transmitted.size(), 1u);
}

// CPU used by the whole process while this thread blocks for `ms`.
double CpuWhileBlocked(int ms) {
    const double before = ProcessCpuMs();
    ::poll(nullptr, 0, ms);
    return ProcessCpuMs() - before;
}

TEST_F(ReceiveTest, IdleAndHungUpPortUseNoCpuAndPostNoMore) {
    const struct {
        const char* what;
        bool leave_bytes;
        bool hang_up;
        int most_calls;     // notifications: the bytes, and one for the hang-up
        bool timed = false; // a frame is awaited by time (see SetTimedReceive)
    } cases[] = {
        {"idle", false, false, 0},
        {"unread bytes waiting", true, false, 1},
        {"peer hung up", false, true, 1},
        {"peer hung up with unread bytes", true, true, 2},
        {"frame awaited by time, unread bytes", true, false, 1, true},
        {"frame awaited by time, peer hung up with unread bytes", true, true, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PtyPair pty;
        ASSERT_TRUE(pty.Ok());
        SetPortDevice(1, pty.Slave());
        CountingComm comm;
        comm.SetEventMask({evCts, evDsr, evRing}); // a pty has no modem lines to watch
        int handled = 0;
        comm.OnCommReceive = [&](std::uint16_t) { ++handled; };
        comm.SetTimedReceive(c.timed);
        comm.Open();
        if (c.timed) comm.SetReceiveThreshold(19);
        if (c.leave_bytes) {
            pty.Send({1, 2, 3});
            ASSERT_TRUE(PumpUntil([&] { return handled == 1; }));
        }
        if (c.hang_up) pty.CloseMaster();
        PumpFor(100);
        // Neither the watcher alone nor watcher and owner together keep busy.
        EXPECT_LT(CpuWhileBlocked(300), 30.0);
        PumpFor(100);
        EXPECT_LE(comm.calls, c.most_calls);
        EXPECT_EQ(handled, c.leave_bytes ? 1 : 0);
    }
}

} // namespace
} // namespace cam::test
