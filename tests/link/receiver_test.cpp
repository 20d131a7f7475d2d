#include "link/crc.h"
#include "link/frames.h"
#include "link/receiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

using namespace cam;

namespace {
std::vector<std::uint8_t> replyFrame(std::uint8_t start, std::vector<std::uint8_t> payload) {
    std::vector<std::uint8_t> f(payload.size() + 1);
    f[0] = start;
    std::copy(payload.begin(), payload.end(), f.begin() + 1);
    f.push_back(ETX);
    const std::uint16_t crc = frame_crc(f.data() + 1, f.size() - 1);
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    f.push_back(static_cast<std::uint8_t>(crc));
    return f;
}
std::vector<std::uint8_t> fifteen() {
    std::vector<std::uint8_t> p{0xA0, 0x0A, 0x01, 0x40, 0x00};
    p.resize(15, 0x00);
    return p;
}
} // namespace

TEST(Receiver, GoodFrameYieldsEtxAtLastCrcByteThenNextByteRaw) {
    for (std::uint8_t next :
         {std::uint8_t{0x06}, std::uint8_t{0x02}, std::uint8_t{0x41}, std::uint8_t{0x90}}) {
        TReceiver r;
        const auto frame = replyFrame(STX, fifteen());
        for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
            const auto step = r.r_data(frame[i]);
            EXPECT_EQ(step.result, -1) << i;
            EXPECT_EQ(step.fault, TReceiver::Fault::None);
        }
        EXPECT_EQ(r.r_data(frame.back()).result, 3);
        EXPECT_EQ(r.Buffer()[1], 0xA0);
        EXPECT_EQ(r.Buffer()[16], ETX);
        // The byte after a frame is reported as it came (no result at 0x80 and above),
        // even a start byte, and the machine is idle again.
        EXPECT_EQ(r.r_data(next).result, next < 0x80 ? next : -1);
        EXPECT_EQ(r.State(), 0);
    }
}

TEST(Receiver, ShortSohFrameIsCheckedOverThreeBytes) {
    TReceiver r;
    const auto frame = replyFrame(SOH, {0xA0, 0x55});
    ASSERT_EQ(frame.size(), 6u);
    int result = -1;
    for (auto b : frame)
        result = r.r_data(b).result;
    EXPECT_EQ(result, 3);
    EXPECT_EQ(r.Buffer()[2], 0x55);
    EXPECT_EQ(r.Buffer()[3], ETX);
}

TEST(Receiver, MissingEtxFaultsOnceAndIsDropped) {
    TReceiver r;
    auto frame = replyFrame(STX, fifteen());
    frame[16] = 0x55;
    int faults = 0;
    for (std::size_t i = 0; i < 17; ++i) {
        const auto step = r.r_data(frame[i]);
        faults += step.fault == TReceiver::Fault::MissingEtx;
        EXPECT_EQ(step.result, -1);
    }
    EXPECT_EQ(faults, 1);
    EXPECT_EQ(r.State(), 0);
}

TEST(Receiver, BadCrcAsksForNakAndGivesNoResult) {
    TReceiver r;
    auto frame = replyFrame(STX, fifteen());
    frame.back() ^= 0x01;
    TReceiver::Step last;
    for (auto b : frame)
        last = r.r_data(b);
    EXPECT_EQ(last.fault, TReceiver::Fault::BadCrc);
    EXPECT_EQ(last.result, -1);
    EXPECT_EQ(r.State(), 0);
}

TEST(Receiver, ControlBytesAreResultsAndOtherIdleBytesAreDropped) {
    TReceiver r;
    for (std::uint8_t b : {0x00, 0x04, 0x05, 0x06, 0x11, 0x15, 0x16})
        EXPECT_EQ(r.r_data(b).result, b);
    for (std::uint8_t b : {0x41, 0x42, 0x03, 0x80, 0xFF}) {
        EXPECT_EQ(r.r_data(b).result, -1);
        EXPECT_EQ(r.State(), 0);
    }
}

// Feeds random mixtures of good frames, damaged frames and noise. Nothing may
// crash, and every frame the machine accepts must be exactly the bytes of a
// well-formed frame just fed.
TEST(Receiver, RandomStreamsNeverAcceptABadFrame) {
    const auto seed =
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::printf("random stream seed %u\n", seed);
    std::mt19937 rng(seed);
    auto byte = [&] { return static_cast<std::uint8_t>(rng() & 0xFF); };
    for (int stream = 0; stream < 50000; ++stream) {
        TReceiver r;
        std::vector<std::uint8_t> fed;
        const int pieces = 1 + static_cast<int>(rng() % 4);
        for (int p = 0; p < pieces; ++p) {
            std::vector<std::uint8_t> piece;
            switch (rng() % 4) {
            case 0: { // good frame, either shape
                const bool shortFrame = rng() % 2;
                std::vector<std::uint8_t> payload(shortFrame ? 2 : 15);
                for (auto& b : payload)
                    b = byte();
                piece = replyFrame(shortFrame ? SOH : STX, payload);
                break;
            }
            case 1: { // damaged frame
                std::vector<std::uint8_t> payload(15);
                for (auto& b : payload)
                    b = byte();
                piece = replyFrame(STX, payload);
                piece[1 + rng() % 18] ^= static_cast<std::uint8_t>(1 + rng() % 255);
                break;
            }
            default: // noise
                piece.resize(rng() % 24);
                for (auto& b : piece)
                    b = byte();
            }
            for (auto b : piece) {
                fed.push_back(b);
                const auto step = r.r_data(b);
                ASSERT_GE(r.State(), 0);
                ASSERT_LE(r.State(), 5);
                if (step.result != 3 || r.State() != 5) continue;
                const bool shortFrame = r.Buffer()[0] == SOH;
                const std::size_t size = shortFrame ? 6 : 19;
                ASSERT_GE(fed.size(), size) << "seed " << seed;
                const std::uint8_t* f = fed.data() + fed.size() - size;
                ASSERT_EQ(f[0], shortFrame ? SOH : STX) << "seed " << seed;
                ASSERT_EQ(f[size - 3], ETX) << "seed " << seed;
                const std::uint16_t crc = frame_crc(f + 1, size - 3);
                ASSERT_EQ(f[size - 2], crc >> 8) << "seed " << seed;
                ASSERT_EQ(f[size - 1], crc & 0xFF) << "seed " << seed;
            }
        }
    }
}
