// The lens: moves that advance per poll, ranges, stored positions and the
// adjustment procedures of the line.

#include "sim_test_util.h"

namespace {

using simtest::Bytes;
using simtest::Exchange;
using simtest::Word;

TEST(Lens, ZoomTargetsAreLimitedByTheDigitalZoom) {
    struct Case {
        int digitalZoom;
        int target;
        int taken;
    };
    const Case cases[] = {
        {0, 0x1400, 0x1400}, {0, 0x2000, 0x18B0}, {0, 0x0800, 0x1000},
        {1, 0x2000, 0x2000}, {1, 0x3000, 0x26F0},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        Exchange(camera, {0x21, 0x45, 0x06, c.digitalZoom});
        const Bytes ack = Exchange(camera, {0x21, 0x45, 0x00, c.target >> 8, c.target & 0xFF});
        EXPECT_EQ(ack[3], 0);
        EXPECT_EQ(Word(ack, 4), c.taken) << std::hex << c.target;
        EXPECT_GT(Word(ack, 8), Word(ack, 10)) << "focus limits: far above near";
    }
}

// The tool with "CurrentCheck" polls until the current position equals the
// target: that must happen, step by step, in a bounded number of polls.
TEST(Lens, PositionsArriveByPolling) {
    struct Case {
        int sub;      // 0 zoom, 1 focus
        int speedSub; // 5 zoom speed, 7 focus speed
        int speed;
        int target;
    };
    const Case cases[] = {
        {0, 5, 0, 0x18B0}, {0, 5, 4, 0x18B0}, {0, 5, 2, 0x1234},
        {1, 7, 0, 0x00F0}, {1, 7, 4, 0x0041},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        Exchange(camera, {0x21, 0x45, c.speedSub, c.speed});
        const Bytes ack = Exchange(camera, {0x21, 0x45, c.sub, c.target >> 8, c.target & 0xFF});
        const int target = Word(ack, 4);
        int current = Word(ack, 6);
        ASSERT_NE(current, target);
        const int start = current;
        int polls = 0;
        while (current != target && polls < 200) {
            const Bytes poll = Exchange(camera, {0x31, 0x45, c.sub});
            const int next = Word(poll, 6);
            EXPECT_EQ(Word(poll, 4), target);
            // Always towards the target, never beyond it.
            EXPECT_LE(std::abs(target - next), std::abs(target - current));
            EXPECT_LE(std::abs(next - start), std::abs(target - start));
            current = next;
            ++polls;
        }
        EXPECT_EQ(current, target) << "sub " << c.sub << " speed " << c.speed;
        EXPECT_GT(polls, 1) << "a move takes more than one poll";
    }
}

TEST(Lens, StoredPositionsAreRecalled) {
    camsim::CameraModel camera;
    Exchange(camera, {0x21, 0x45, 0x05, 4});
    Exchange(camera, {0x21, 0x45, 0x00, 0x15, 0x00});
    for (int i = 0; i < 50; ++i)
        Exchange(camera, {0x31, 0x45, 0x00});
    EXPECT_EQ(camera.Lens().zoomCurrent, 0x1500);
    const Bytes stored = Exchange(camera, {0x21, 0x52, 0x01, 12});
    EXPECT_EQ(stored[4], 12);

    Exchange(camera, {0x21, 0x45, 0x00, 0x10, 0x00});
    const Bytes recalled = Exchange(camera, {0x31, 0x52, 0x01, 12});
    EXPECT_EQ(recalled[1], cam::kAccepted);
    EXPECT_EQ(recalled[4], 12);
    const Bytes zoom = Exchange(camera, {0x31, 0x45, 0x00});
    EXPECT_EQ(Word(zoom, 4), 0x1500);

    for (int n : {0, 65}) {
        const Bytes refused = Exchange(camera, {0x31, 0x52, 0x01, n});
        EXPECT_EQ(refused[1], camsim::kRejected) << n;
    }
}

// The line's lens adjustment: 21 45 04 00 starts it; the tool then asks
// 21 46 and 21 45 04 01 in turn until byte 4 of the 0x45 reply is 1.
TEST(Lens, LensAdjustmentFinishesAfterItsSteps) {
    camsim::CameraModel camera;
    EXPECT_EQ(Exchange(camera, {0x31, 0x45, 0x04})[4], 1); // nothing running
    const Bytes start = Exchange(camera, {0x21, 0x45, 0x04, 0x00});
    EXPECT_EQ(start[3], 4);
    EXPECT_EQ(start[4], 0);
    int rounds = 0;
    int state = 0;
    while (state == 0 && rounds < 20) {
        const Bytes query = Exchange(camera, {0x21, 0x46});
        EXPECT_EQ(query[2], 0x46);
        state = Exchange(camera, {0x21, 0x45, 0x04, 0x01})[4];
        ++rounds;
    }
    EXPECT_EQ(state, 1);
    EXPECT_EQ(rounds, camsim::kLensAdjustSteps);
    // Asking again without the progress queries does not finish a new run.
    Exchange(camera, {0x21, 0x45, 0x04, 0x00});
    EXPECT_EQ(Exchange(camera, {0x21, 0x45, 0x04, 0x01})[4], 0);
}

TEST(Lens, IrisAdjustmentAndBias) {
    camsim::CameraModel camera;
    const Bytes enter = Exchange(camera, {0x21, 0x48, 0x03, 0x00});
    EXPECT_EQ(enter[3], 3);
    EXPECT_EQ(enter[4], 0);
    EXPECT_TRUE(camera.Lens().irisAdjusting);
    const Bytes bias = Exchange(camera, {0x21, 0x53, 0x40});
    EXPECT_EQ(bias[3], 0x40);
    EXPECT_EQ(Exchange(camera, {0x31, 0x53})[3], 0x40);
    const Bytes leave = Exchange(camera, {0x21, 0x48, 0x03, 0x01});
    EXPECT_EQ(leave[4], 1);
    EXPECT_FALSE(camera.Lens().irisAdjusting);
}

} // namespace
