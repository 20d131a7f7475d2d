// Timed receive: the owner waits for the rest of a frame by time, the watcher
// only for a hang-up.

#include "comm/comm.h"
#include "comm_test_support.h"

#include <string>

namespace cam::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

class TimedReceiveTest : public PtyTest {
  protected:
    // A port at `rate` that waits by time; the handler reads what it is told of.
    void OpenAt(std::int32_t rate) {
        comm_.SetTimedReceive(true);
        comm_.SetBaudRate(rate);
        comm_.OnCommReceive = [this](std::uint16_t size) {
            sizes_.push_back(size);
            Bytes buf(size);
            comm_.Read(buf.data(), size);
        };
        comm_.Open();
    }

    TComm comm_;
    std::vector<std::uint16_t> sizes_;
};

TEST_F(TimedReceiveTest, AFrameInPiecesIsReportedOnceWholeAndOneCutShortOnceItStops) {
    OpenAt(1200); // 8.3 ms a byte: 20 bytes take 167 ms
    comm_.SetReceiveThreshold(20);
    pty_.Send(Bytes(8, 0x11));
    PumpFor(20);
    pty_.Send(Bytes(12, 0x22));
    ASSERT_TRUE(PumpUntil([&] { return !sizes_.empty(); }));
    PumpFor(50);
    EXPECT_EQ(sizes_, std::vector<std::uint16_t>{20});

    // An ACK alone: reported once nothing more has come for a while.
    sizes_.clear();
    pty_.Send({0x06});
    ASSERT_TRUE(PumpUntil([&] { return !sizes_.empty(); }, 1000));
    PumpFor(50);
    EXPECT_EQ(sizes_, std::vector<std::uint16_t>{1});
}

TEST_F(TimedReceiveTest, AfterAWriteTheAnswerIsLookedForWhenItCanBeIn) {
    OpenAt(1200);
    const Bytes command(19, 0x31);
    const Bytes answer(20, 0xA0); // an ACK and a reply frame
    const struct {
        const char* what;
        int answer_after_ms; // since the command was handed over
        int earliest_ms, latest_ms;
    } cases[] = {
        // A peer faster than the line (a simulator) is not held to its rate.
        {"at once", 0, 0, 100},
        // On the line the answer cannot begin before the command's 19
        // bytes are out: its 20 take 325 ms from the write in all.
        {"at the line rate", 60, 320, 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sizes_.clear();
        const auto start = Clock::now();
        comm_.Write(command.data(), 19);
        comm_.SetReceiveThreshold(20);
        PumpFor(c.answer_after_ms);
        pty_.Send(answer);
        ASSERT_TRUE(PumpUntil([&] { return !sizes_.empty(); }));
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        EXPECT_GE(waited, c.earliest_ms);
        EXPECT_LE(waited, c.latest_ms);
        PumpFor(50);
        EXPECT_EQ(sizes_, std::vector<std::uint16_t>{20});
        comm_.SetReceiveThreshold(1);
        ASSERT_EQ(pty_.Receive(19).size(), 19u);
    }
}

TEST_F(TimedReceiveTest, AHangUpEndsTheWaitAtOnce) {
    OpenAt(300); // 33 ms a byte: the rest of this frame would take 0.5 s more
    bool lost = false;
    comm_.OnDeviceLost = [&] { lost = true; };
    comm_.SetReceiveThreshold(20);
    pty_.Send({1, 2, 3, 4, 5});
    PumpFor(30);
    pty_.CloseMaster();
    EXPECT_TRUE(PumpUntil([&] { return lost; }, 300));
    EXPECT_TRUE(comm_.Lost());
    EXPECT_TRUE(sizes_.empty()); // a hung-up terminal drops what it held
}

} // namespace
} // namespace cam::test
