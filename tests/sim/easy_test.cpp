// The Easy tab's settings: writes, reads and the status block.

#include "sim_test_util.h"

#include "sim/title_codes.h"

#include <string>

namespace {

using simtest::Bytes;
using simtest::Exchange;
using simtest::Word;

Bytes Status(camsim::CameraModel& camera, int sub) {
    return Exchange(camera, {0x31, 0x60, sub});
}

TEST(EasyState, StatusBlockAtStart) {
    camsim::CameraModel camera;
    struct Case {
        int sub;
        int byte;
        int value;
    };
    // Title "38R5" then blanks; AGC 4; phase range -256..256; mark on in the
    // middle of its limits; Initial on, freeze off (the lens panel usable).
    const Case cases[] = {
        {0, 4, 0x00},  {0, 5, 0x03},  {0, 6, 0x00},  {0, 7, 0x08},  {0, 8, 0x00}, {0, 9, 0x21},
        {0, 10, 0x00}, {0, 11, 0x05}, {0, 12, 0x01}, {0, 13, 0xFE}, {1, 4, 0x01}, {1, 5, 0xFE},
        {5, 5, 0x01},  {5, 6, 0x00},  {5, 7, 0xFF},  {5, 8, 0x00},  {5, 12, 4},   {5, 14, 0},
        {5, 15, 1},    {9, 4, 1},     {9, 5, 0x20},  {9, 6, 0x14},  {9, 7, 0x10}, {9, 8, 0x30},
        {9, 9, 0x08},  {9, 10, 0x20},
    };
    for (const auto& c : cases) {
        const Bytes reply = Status(camera, c.sub);
        EXPECT_EQ(reply[2], 0x60);
        EXPECT_EQ(reply[3], c.sub);
        EXPECT_EQ(reply[static_cast<std::size_t>(c.byte)], c.value)
            << "sub " << c.sub << " byte " << c.byte;
    }
    EXPECT_EQ(camera.Easy().TitleText(), "38R5                ");
}

// A write, the single read of the same setting and the status byte that
// shows it must all report the written value.
TEST(EasyState, WritesShowInReadsAndStatus) {
    struct Case {
        std::initializer_list<int> write;
        std::initializer_list<int> read;
        int readByte; // where the read reply and the write's reply carry the value
        int sub;      // status sub-block
        int statusByte;
        int value;
    };
    const Case cases[] = {
        {{0x21, 0x10, 0x03, 1}, {0x31, 0x10, 0x03}, 4, 3, 14, 1},
        {{0x21, 0x18, 0x00, 1}, {0x31, 0x18, 0x00}, 4, 3, 15, 1},
        {{0x21, 0x1D, 0x04, 1}, {0x31, 0x1D, 0x04}, 4, 2, 14, 1},
        {{0x21, 0x1D, 0x05, 1}, {0x31, 0x1D, 0x05}, 4, 2, 15, 1},
        {{0x21, 0x1D, 0x07, 1}, {0x31, 0x1D, 0x07}, 4, 8, 11, 1},
        {{0x21, 0x19, 1, 2, 3, 4, 5, 6}, {0x31, 0x19}, 3, 4, 4, 1},
        {{0x21, 0x19, 1, 2, 3, 4, 5, 6}, {0x31, 0x19}, 8, 4, 9, 6},
        {{0x21, 0x1B, 0x00, 1}, {0x31, 0x1B, 0x00}, 4, 4, 10, 1},
        {{0x21, 0x1B, 0x05, 2}, {0x31, 0x1B, 0x05}, 4, 4, 11, 2},
        {{0x21, 0x1B, 0x06, 3}, {0x31, 0x1B, 0x06}, 4, 4, 12, 3},
        {{0x21, 0x1B, 0x02, 5}, {0x31, 0x1B, 0x02}, 4, 4, 13, 5},
        {{0x21, 0x1B, 0x03, 6}, {0x31, 0x1B, 0x03}, 4, 4, 14, 6},
        {{0x21, 0x1C, 0x00, 1}, {0x31, 0x1C, 0x00}, 4, 5, 4, 1},
        {{0x21, 0x1C, 0x01, 0xFF, 0xF0}, {0x31, 0x1C, 0x01}, 5, 5, 10, 0xF0},
        {{0x21, 0x50, 5}, {0x31, 0x50}, 3, 5, 11, 5},
        {{0x21, 0x1A, 0x01, 7}, {0x31, 0x1A, 0x01}, 4, 5, 12, 7},
        {{0x21, 0x1A, 0x02, 3}, {0x31, 0x1A, 0x02}, 4, 5, 13, 3},
        {{0x21, 0x1A, 0x03, 1}, {0x31, 0x1A, 0x03}, 4, 5, 14, 1},
        {{0x21, 0x49, 0}, {0x31, 0x49}, 3, 5, 15, 0},
        {{0x21, 0x48, 0x00, 0x00, 1}, {0x31, 0x48, 0x00, 0x00}, 5, 6, 4, 1},
        {{0x21, 0x48, 0x00, 0x01, 6}, {0x31, 0x48, 0x00, 0x01}, 5, 6, 5, 6},
        {{0x21, 0x48, 0x01, 0x00, 1}, {0x31, 0x48, 0x01, 0x00}, 5, 6, 6, 1},
        {{0x21, 0x48, 0x01, 0x01, 0x00, 3}, {0x31, 0x48, 0x01, 0x01, 0x00}, 6, 6, 7, 3},
        {{0x21, 0x48, 0x01, 0x01, 0x01, 5}, {0x31, 0x48, 0x01, 0x01, 0x01}, 6, 6, 8, 5},
        {{0x21, 0x48, 0x02, 0x00, 1}, {0x31, 0x48, 0x02, 0x00}, 5, 6, 9, 1},
        {{0x21, 0x48, 0x02, 0x01, 0x00, 2}, {0x31, 0x48, 0x02, 0x01, 0x00}, 6, 6, 10, 2},
        {{0x21, 0x48, 0x02, 0x01, 0x01, 7}, {0x31, 0x48, 0x02, 0x01, 0x01}, 6, 6, 11, 7},
        {{0x21, 0x47, 0x00, 11}, {0x31, 0x47, 0x00}, 4, 6, 12, 11},
        {{0x21, 0x47, 0x01, 12}, {0x31, 0x47, 0x01}, 4, 6, 13, 12},
        {{0x21, 0x51, 0x12}, {0x31, 0x51}, 3, 6, 14, 0x12},
        {{0x21, 0x45, 0x06, 1}, {0x31, 0x45, 0x06}, 4, 6, 15, 1},
        {{0x21, 0x45, 0x02, 1}, {0x31, 0x45, 0x02}, 4, 8, 4, 1},
        {{0x21, 0x45, 0x05, 4}, {0x31, 0x45, 0x05}, 4, 8, 5, 4},
        {{0x21, 0x45, 0x07, 0}, {0x31, 0x45, 0x07}, 4, 8, 6, 0},
        {{0x21, 0x52, 0x01, 9}, {0x31, 0x52, 0x00}, 4, 8, 7, 9},
        {{0x21, 0x20, 0x02, 1}, {0x31, 0x20, 0x02}, 4, 8, 8, 1},
        {{0x21, 0x52, 0x02, 1}, {0x31, 0x52, 0x02}, 4, 8, 9, 1},
        {{0x21, 0x1A, 0x04, 1}, {0x31, 0x1A, 0x04}, 4, 8, 10, 1},
        {{0x21, 0x56, 0x00, 0}, {0x31, 0x56, 0x00}, 4, 9, 4, 0},
        {{0x21, 0x56, 0x01, 0x12, 0x0A}, {0x31, 0x56, 0x01}, 4, 9, 5, 0x12},
        {{0x21, 0x56, 0x01, 0x12, 0x0A}, {0x31, 0x56, 0x01}, 5, 9, 6, 0x0A},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const auto* w = c.write.begin();
        const Bytes before = Status(camera, c.sub);
        ASSERT_NE(before[static_cast<std::size_t>(c.statusByte)], c.value)
            << "the case must change something: " << std::hex << w[1] << " " << w[2];
        const Bytes ack = Exchange(camera, c.write);
        const Bytes read = Exchange(camera, c.read);
        const Bytes status = Status(camera, c.sub);
        const auto where = static_cast<std::size_t>(c.readByte);
        EXPECT_EQ(ack[1], cam::kAccepted);
        EXPECT_EQ(ack[2], w[1]);
        EXPECT_EQ(ack[where], c.value) << "write reply " << std::hex << w[1] << " " << w[2];
        EXPECT_EQ(read[2], w[1]);
        EXPECT_EQ(read[where], c.value) << "read reply " << std::hex << w[1] << " " << w[2];
        EXPECT_EQ(status[static_cast<std::size_t>(c.statusByte)], c.value)
            << "status " << c.sub << " byte " << c.statusByte;
    }
}

TEST(EasyState, ValuesAreKeptInRange) {
    struct Case {
        std::initializer_list<int> write;
        int byte;
        int stored; // as reported by the write's reply
        bool word = false;
    };
    const Case cases[] = {
        {{0x21, 0x1A, 0x01, 0x20}, 4, 8},
        {{0x21, 0x1B, 0x02, 0xFF}, 4, 8},
        {{0x21, 0x47, 0x00, 0xFF}, 4, 12},
        {{0x21, 0x50, 0x09}, 3, 7},
        {{0x21, 0x18, 0x00, 0x05}, 4, 1},
        {{0x21, 0x48, 0x02, 0x01, 0x01, 0x09}, 6, 7},
        {{0x21, 0x45, 0x05, 0x09}, 4, 4},
        {{0x21, 0x51, 0x99}, 3, 64},
        {{0x21, 0x1C, 0x01, 0x7F, 0xFF}, 4, 0x0100, true},
        {{0x21, 0x1C, 0x01, 0x80, 0x00}, 4, 0xFF00, true},
        {{0x21, 0x1C, 0x01, 0x00, 0xFF}, 4, 0x00FF, true},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const Bytes ack = Exchange(camera, c.write);
        const int value = c.word ? Word(ack, c.byte) : ack[static_cast<std::size_t>(c.byte)];
        EXPECT_EQ(value, c.stored) << std::hex << c.write.begin()[1] << " " << c.write.begin()[2];
    }
}

TEST(EasyState, OnePushWhiteBalanceRunsForSomePolls) {
    struct Case {
        bool viaStatus;
    };
    for (const Case c : {Case{false}, Case{true}}) {
        camsim::CameraModel camera;
        const auto poll = [&] {
            return c.viaStatus ? Status(camera, 4)[15] : Exchange(camera, {0x31, 0x1B, 0x04})[4];
        };
        EXPECT_EQ(poll(), 0); // nothing running yet
        const Bytes ack = Exchange(camera, {0x21, 0x1B, 0x04});
        EXPECT_EQ(ack[3], 0x04);
        EXPECT_EQ(ack[4], 1);
        for (int n = 0; n < camsim::kAwbPollsRunning; ++n)
            EXPECT_EQ(poll(), 1) << "poll " << n;
        EXPECT_EQ(poll(), 0);
        EXPECT_EQ(poll(), 0);
    }
}

TEST(EasyState, MarkMovesStayWithinLimits) {
    struct Case {
        int x, y;
        int expectX, expectY;
    };
    // Limits: X 0x10..0x30, Y 0x08..0x20.
    const Case cases[] = {
        {0x21, 0x14, 0x21, 0x14}, {0x0F, 0x14, 0x10, 0x14}, {0x31, 0x14, 0x30, 0x14},
        {0x20, 0x07, 0x20, 0x08}, {0x20, 0x21, 0x20, 0x20}, {0xFF, 0x00, 0x30, 0x08},
        {0x10, 0x20, 0x10, 0x20},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const Bytes ack = Exchange(camera, {0x21, 0x56, 0x01, c.x, c.y});
        EXPECT_EQ(ack[4], c.expectX) << std::hex << c.x;
        EXPECT_EQ(ack[5], c.expectY) << std::hex << c.y;
        EXPECT_EQ(ack[6], 0x10);
        EXPECT_EQ(ack[7], 0x30);
        EXPECT_EQ(ack[8], 0x08);
        EXPECT_EQ(ack[9], 0x20);
    }
}

TEST(EasyState, TitleRoundTrip) {
    camsim::CameraModel camera;
    const std::string text = "Hall-2 (East) cam.A";
    const camsim::TitleCodes codes = camsim::TitleCodesOf(text);
    for (int block = 0; block < 4; ++block) {
        const auto code = [&](int i) {
            return static_cast<int>(codes[static_cast<std::size_t>(5 * block + i)]);
        };
        const Bytes ack =
            Exchange(camera, {0x21, 0x10, 0x01, block, code(0) >> 8, code(0) & 0xFF, code(1) >> 8,
                              code(1) & 0xFF, code(2) >> 8, code(2) & 0xFF, code(3) >> 8,
                              code(3) & 0xFF, code(4) >> 8, code(4) & 0xFF});
        EXPECT_EQ(ack[3], 1);
        EXPECT_EQ(ack[4], block);
        const Bytes read = Exchange(camera, {0x31, 0x10, 0x01, block});
        const Bytes status = Status(camera, block);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(Word(ack, 5 + 2 * i), code(i));
            EXPECT_EQ(Word(read, 5 + 2 * i), code(i));
            EXPECT_EQ(Word(status, 4 + 2 * i), code(i));
        }
    }
    EXPECT_EQ(camera.Easy().TitleText(), text + " ");
    // 'H' is code 0x017 and 'a' 0x030; blank 0x1FE.
    EXPECT_EQ(Word(Status(camera, 0), 4), 0x017);
    EXPECT_EQ(Word(Status(camera, 0), 6), 0x030);
}

TEST(EasyState, TitleCodesTheCameraCannotShowBecomeBlanks) {
    camsim::CameraModel camera;
    // 0x104 and 0x00A lie in gaps of the character table; 0x049 is 'z'.
    const Bytes ack = Exchange(camera, {0x21, 0x10, 0x01, 0x02, 0x01, 0x04, 0x00, 0x0A, 0x00, 0x49,
                                        0x7F, 0xFF, 0x01, 0x26});
    EXPECT_EQ(Word(ack, 5), 0x1FE);
    EXPECT_EQ(Word(ack, 7), 0x1FE);
    EXPECT_EQ(Word(ack, 9), 0x049);
    EXPECT_EQ(Word(ack, 11), 0x1FE);
    EXPECT_EQ(Word(ack, 13), 0x126);
    EXPECT_EQ(camera.Easy().TitleText().substr(10, 5), "  z *");

    const Bytes refused = Exchange(camera, {0x21, 0x10, 0x01, 0x04, 0x00, 0x01});
    EXPECT_EQ(refused[1], camsim::kRejected);
}

} // namespace
