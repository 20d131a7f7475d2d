// Registers, EEPROM, RAM and the bulk image.

#include "sim_test_util.h"

#include "sim/command.h"
#include "sim/memory_state.h"
#include "sim/status_block.h"

namespace {

using simtest::BulkFrame;
using simtest::Bytes;
using simtest::CommandFrame;
using simtest::Exchange;
using simtest::Feed;
using simtest::Word;

TEST(CameraMemory, RegisterWritesAndWhatARestartKeeps) {
    struct Case {
        int code; // 0x0A stores, 0x0B does not
        int address;
        int value;
        bool keptOverRestart;
    };
    const Case cases[] = {
        {0x0A, 0x2B, 0x1234, true},
        {0x0B, 0x2C, 0x0777, false},
        {0x0A, 0x00, 0xFFFF, true},
        {0x0B, 0xCB, 0x0001, false},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const std::uint16_t factory = camera.Register(c.address);
        ASSERT_NE(factory, c.value);
        const Bytes ack = Exchange(camera, {0x21, c.code, c.address, c.value >> 8, c.value & 0xFF});
        EXPECT_EQ(ack[1], cam::kAccepted);
        EXPECT_EQ(ack[3], c.address);
        EXPECT_EQ(Word(ack, 4), c.value);
        const Bytes read = Exchange(camera, {0x31, 0x0A, c.address});
        EXPECT_EQ(read[2], 0x0A);
        EXPECT_EQ(read[3], c.address);
        EXPECT_EQ(Word(read, 4), c.value);

        Feed(camera, CommandFrame({0xF1}));
        EXPECT_EQ(camera.Register(c.address), c.keptOverRestart ? c.value : factory)
            << std::hex << c.code << " " << c.address;
    }
}

TEST(CameraMemory, DiscardCommandUndoesUnstoredRegisterWrites) {
    camsim::CameraModel camera;
    const std::uint16_t factory = camera.Register(0x2D);
    Exchange(camera, {0x21, 0x0B, 0x2D, 0x01, 0x23});
    Exchange(camera, {0x21, 0x41, 0x00, 0xFF}); // keep: changes nothing by itself
    EXPECT_EQ(camera.Register(0x2D), 0x0123);
    Exchange(camera, {0x21, 0x41, 0x01, 0xFF}); // discard
    EXPECT_EQ(camera.Register(0x2D), factory);
}

TEST(CameraMemory, VideoFormatBits) {
    struct Case {
        bool pal;
        bool hi;
    };
    for (const Case c :
         {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        camsim::ModelOptions options;
        options.pal = c.pal;
        options.hiResolution = c.hi;
        camsim::CameraModel camera(options);
        const Bytes front = Exchange(camera, {0x31, 0x0A, 0x01});
        const Bytes timing = Exchange(camera, {0x31, 0x0A, 0x40});
        EXPECT_EQ((Word(front, 4) & 0x4000) != 0, c.hi);
        EXPECT_EQ((Word(timing, 4) & 0x0001) != 0, c.pal);
        // The status block carries the same two registers.
        const Bytes status0 = Exchange(camera, {0x31, 0x60, 0x00});
        const Bytes status1 = Exchange(camera, {0x31, 0x60, 0x01});
        EXPECT_EQ(Word(status0, 14), Word(front, 4));
        EXPECT_EQ(Word(status1, 14), Word(timing, 4));
        // The hardware wins over a stored word at a restart.
        Exchange(camera, {0x21, 0x0C, 0x00, 0x01, c.hi ? 0x00 : 0x40, 0x00});
        Exchange(camera, {0x21, 0x0C, 0x00, 0x40, 0x00, c.pal ? 0x00 : 0x01});
        Feed(camera, CommandFrame({0xF1}));
        EXPECT_EQ((camera.Register(0x01) & 0x4000) != 0, c.hi);
        EXPECT_EQ((camera.Register(0x40) & 0x0001) != 0, c.pal);
    }
}

TEST(CameraMemory, AddressesOutOfRangeAreRefused) {
    struct Case {
        std::initializer_list<int> payload;
    };
    const Case cases[] = {
        {{0x31, 0x0A, 0xCC}},
        {{0x21, 0x0B, 0xFF, 0x00, 0x01}},
        {{0x31, 0x0C, 0x04, 0x00}},
        {{0x21, 0x0C, 0xFF, 0xFF, 0x12, 0x34}},
        {{0x21, 0x0F, 0x04, 0x00, 0x12, 0x34}},
        {{0x31, 0x0D, 0xED, 0xFF, 0x01}},
        {{0x21, 0x0D, 0x00, 0x00, 0x55}},
        {{0x31, 0x35, 48}},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const Bytes reply = Exchange(camera, c.payload);
        EXPECT_EQ(reply[1], camsim::kRejected) << std::hex << c.payload.begin()[1];
        EXPECT_EQ(reply[2], c.payload.begin()[1]);
    }
}

TEST(CameraMemory, EepromWords) {
    struct Case {
        int code;
        int address;
        int value;
        bool ramFollows;
    };
    const Case cases[] = {
        {0x0C, 0x0000, 0xABCD, false},
        {0x0C, 0x03FF, 0x1234, false},
        {0x0F, 0x0151, 0x0100, true},
        {0x0F, 0x0200, 0x00FF, true},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const int ram = camsim::kEepromImageInRam + 2 * c.address;
        const std::uint8_t ramBefore = camera.Ram(ram);
        const Bytes ack = Exchange(
            camera, {0x21, c.code, c.address >> 8, c.address & 0xFF, c.value >> 8, c.value & 0xFF});
        EXPECT_EQ(Word(ack, 3), c.address);
        EXPECT_EQ(Word(ack, 5), c.value);
        const Bytes read = Exchange(camera, {0x31, 0x0C, c.address >> 8, c.address & 0xFF});
        EXPECT_EQ(read[2], 0x0C);
        EXPECT_EQ(Word(read, 3), c.address);
        EXPECT_EQ(Word(read, 5), c.value);
        EXPECT_EQ(camera.Ram(ram), c.ramFollows ? c.value >> 8 : ramBefore);
        // At a restart the camera takes its working image from the EEPROM.
        Feed(camera, CommandFrame({0xF1}));
        EXPECT_EQ(camera.Ram(ram), c.value >> 8);
        EXPECT_EQ(camera.Ram(ram + 1), c.value & 0xFF);
    }
}

TEST(CameraMemory, WhiteBalanceStartsUnlocked) {
    camsim::CameraModel camera;
    const Bytes read = Exchange(camera, {0x31, 0x0C, 0x01, 0x51});
    EXPECT_LT(Word(read, 5), 0x0100);
}

TEST(CameraMemory, RamBytes) {
    camsim::CameraModel camera;
    const Bytes ack = Exchange(camera, {0x21, 0x0D, 0xEE, 0x05, 0x5A});
    EXPECT_EQ(Word(ack, 3), 0xEE05);
    EXPECT_EQ(ack[5], 0x5A);
    Exchange(camera, {0x21, 0x0D, 0xEE, 0x04, 0xA5});
    const Bytes read = Exchange(camera, {0x31, 0x0D, 0xEE, 0x04, 0x01});
    EXPECT_EQ(Word(read, 3), 0xEE04);
    EXPECT_EQ(read[5], 0xA5); // the byte at the address
    EXPECT_EQ(read[6], 0x5A); // and the next one
    // At the end of the window the bytes past 0xFFFF read as 0.
    Exchange(camera, {0x21, 0x0D, 0xFF, 0xFF, 0x77});
    const Bytes end = Exchange(camera, {0x31, 0x0D, 0xFF, 0xFF, 0x01});
    EXPECT_EQ(end[5], 0x77);
    EXPECT_EQ(end[6], 0x00);
}

TEST(CameraMemory, BulkImageFillsTheEeprom) {
    struct Case {
        std::uint8_t sizeCode;
        int words;
    };
    for (const Case c : {Case{0x75, 1024}, Case{0x74, 768}, Case{0x73, 512}}) {
        camsim::CameraModel camera;
        Bytes image(static_cast<std::size_t>(2 * c.words));
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        const Bytes out = Feed(camera, BulkFrame(c.sizeCode, image));
        ASSERT_EQ(out.size(), 20u);
        EXPECT_EQ(out[0], cam::ACK);
        const Bytes reply(out.begin() + 1, out.end());
        EXPECT_TRUE(simtest::IsReplyFrame(reply));
        EXPECT_EQ(reply[1], cam::kAccepted);
        // Byte 2a is the low, byte 2a+1 the high byte of word a.
        for (int a = 0; a < c.words; ++a) {
            const int expected = image[static_cast<std::size_t>(2 * a)] |
                                 (image[static_cast<std::size_t>(2 * a + 1)] << 8);
            ASSERT_EQ(camera.Eeprom(a), expected) << "word " << a;
        }
        if (c.words < camsim::kEepromWords) {
            EXPECT_EQ(camera.Eeprom(c.words), 0xFFFF);
        }
        // The reset after a copy takes the registers from the image.
        Feed(camera, CommandFrame({0xF1}));
        EXPECT_EQ(camera.Register(0x2B), camera.Eeprom(0x2B));
    }
}

TEST(CameraMemory, BrokenBulkFrameLeavesTheEeprom) {
    camsim::CameraModel camera;
    Bytes frame = BulkFrame(0x75, Bytes(2048, 0x11));
    frame[100] ^= 0x01;
    EXPECT_EQ(Feed(camera, frame), Bytes{cam::NAK});
    EXPECT_NE(camera.Eeprom(10), 0x1111);
}

} // namespace
