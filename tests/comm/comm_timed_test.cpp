// Timed receive: the owner waits for the rest of a frame by time, the watcher
// only for a hang-up.

#include "comm/comm.h"
#include "comm_test_support.h"

namespace cam::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

TEST_F(TimedReceiveTest, AnAnswerAfterAWriteIsReportedOnceWhenItCanBeIn) {
    OpenAt(1200); // 8.3 ms a byte
    const struct {
        const char* what;
        std::vector<std::pair<int, int>> pieces; // ms after the one before, bytes
        std::uint16_t size;
        int earliest_ms, latest_ms; // since the command was written
    } cases[] = {
        // A peer faster than the line (a simulator) is not held to its rate.
        {"ACK and frame at once", {{0, 20}}, 20, 0, 100},
        // On the line the answer cannot begin before the command's 19 bytes
        // are out: with its own 20 that takes 325 ms.
        {"ACK and frame in two pieces", {{60, 8}, {40, 12}}, 20, 320, 2000},
        {"an ACK alone: once nothing more comes", {{0, 1}}, 1, 0, 1000},
    };
    const Bytes command(19, 0x31);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sizes_.clear();
        const auto start = std::chrono::steady_clock::now();
        comm_.Write(command.data(), 19);
        comm_.SetReceiveThreshold(20);
        for (const auto& [after_ms, bytes] : c.pieces) {
            PumpFor(after_ms);
            pty_.Send(Bytes(bytes, 0xA0));
        }
        ASSERT_TRUE(PumpUntil([&] { return !sizes_.empty(); }));
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
        EXPECT_GE(waited, c.earliest_ms);
        EXPECT_LE(waited, c.latest_ms);
        PumpFor(50);
        EXPECT_EQ(sizes_, std::vector<std::uint16_t>{c.size});
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
    EXPECT_TRUE(sizes_.empty()); // a hung-up terminal drops what it held
}

} // namespace
} // namespace cam::test
