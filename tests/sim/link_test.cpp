// The camera's side of the link: control bytes, frames, faults.

#include "sim_test_util.h"

#include "sim/command.h"

#include <string>
#include <utility>

namespace {

using simtest::Bytes;
using simtest::CommandFrame;
using simtest::Exchange;
using simtest::Feed;
using simtest::IsReplyFrame;

TEST(CameraLink, ControlBytes) {
    struct Case {
        const char* what;
        Bytes in;
        Bytes out;
    };
    const Case cases[] = {
        {"ENQ is answered with ACK", {cam::ENQ}, {cam::ACK}},
        {"EOT and ACK are taken silently", {cam::EOT, cam::ACK}, {}},
        {"NAK before any reply has nothing to repeat", {cam::NAK}, {}},
        {"stray bytes are ignored", {0x41, 0x42, cam::ETX, 0x80}, {}},
        {"ENQ after stray bytes", {0x41, cam::ENQ}, {cam::ACK}},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        EXPECT_EQ(Feed(camera, c.in), c.out) << c.what;
    }
}

TEST(CameraLink, OpeningIsAnsweredWithAck) {
    camsim::CameraModel camera;
    EXPECT_EQ(camera.DtrRaised(), Bytes{cam::ACK});
    // A frame broken off by the closing of the line is forgotten.
    const Bytes frame = CommandFrame({0x31, 0x0A, 0x01});
    camera.Feed(frame.data(), 10);
    EXPECT_EQ(camera.DtrRaised(), Bytes{cam::ACK});
    EXPECT_EQ(Feed(camera, frame).size(), 1 + cam::kFrameSize);
}

TEST(CameraLink, EveryEnqIsAnswered) {
    // As a camera does: the opening is greeted, and every ENQ gets its ACK,
    // also one right after the greeting and a second one before the EOT.
    camsim::CameraModel camera;
    EXPECT_EQ(camera.DtrRaised(), Bytes{cam::ACK});
    EXPECT_EQ(Feed(camera, {cam::ENQ}), Bytes{cam::ACK});
    EXPECT_EQ(Feed(camera, {cam::ENQ}), Bytes{cam::ACK});
    EXPECT_EQ(Feed(camera, {cam::EOT}), Bytes{});
    EXPECT_EQ(Feed(camera, {cam::EOT, cam::ENQ}), Bytes{cam::ACK});
}

TEST(CameraLink, KnownFrameOnTheLine) {
    // The Adjust tab's first command as the tool puts it on the line.
    camsim::CameraModel camera;
    const Bytes frame = {0x02, 0x31, 0x0A, 0x01, 0, 0, 0,    0,    0,   0,
                         0,    0,    0,    0,    0, 0, 0x03, 0x43, 0x1F};
    const Bytes out = Feed(camera, frame);
    ASSERT_EQ(out.size(), 20u);
    EXPECT_EQ(out[0], cam::ACK);
    EXPECT_EQ(out[1], cam::STX);
    EXPECT_EQ(out[2], cam::kAccepted);
    EXPECT_EQ(out[3], 0x0A);
    EXPECT_EQ(out[4], 0x01);
}

TEST(CameraLink, CommandsAnsweredByAckAlone) {
    struct Case {
        std::initializer_list<int> payload;
        bool replyFrame;
    };
    const Case cases[] = {
        {{0xF1}, false},             // reset
        {{0x21, 0x20, 0x00}, false}, // preset entry
        {{0x21, 0x20, 0x01}, true},  // preset store
        {{0x21, 0x20, 0x02, 0x01}, true},
        {{0x31, 0x20, 0x00}, true}, // a read of the same code
        {{0x21, 0x1E}, true},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const Bytes out = Feed(camera, CommandFrame(c.payload));
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out[0], cam::ACK);
        EXPECT_EQ(out.size(), c.replyFrame ? 1 + cam::kFrameSize : 1u)
            << "payload starting " << std::hex << *c.payload.begin();
    }
}

TEST(CameraLink, BrokenFramesGetNakAndChangeNothing) {
    const Bytes good = CommandFrame({0x21, 0x0A, 0x20, 0x12, 0x34});
    struct Case {
        const char* what;
        Bytes frame;
    };
    Bytes badCrc = good;
    badCrc[18] ^= 0x01;
    Bytes noEtx = good;
    noEtx[16] = 0x55;
    Bytes badPayload = good;
    badPayload[5] ^= 0x80; // value byte spoiled, CRC left as it was
    const Case cases[] = {{"wrong CRC", badCrc}, {"no ETX", noEtx}, {"spoiled byte", badPayload}};
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const std::uint16_t before = camera.Register(0x20);
        EXPECT_EQ(Feed(camera, c.frame), Bytes{cam::NAK}) << c.what;
        EXPECT_EQ(camera.Register(0x20), before) << c.what;
        EXPECT_EQ(camera.ReplyFramesBuilt(), 0) << c.what;
    }
}

TEST(CameraLink, FindsTheFrameAfterGarbage) {
    const Bytes frame = CommandFrame({0x31, 0x0A, 0x40});
    struct Case {
        const char* what;
        Bytes before;
        Bytes firstAnswer; // what precedes the ACK of the good frame
    };
    const Case cases[] = {
        {"idle garbage", {0x41, 0x42, 0x7F, 0xFF}, {}},
        {"a lone STX", {cam::STX}, {cam::NAK}},
        {"a frame broken off after 10 bytes", Bytes(frame.begin(), frame.begin() + 10), {cam::NAK}},
        {"STX bytes inside the broken frame",
         {cam::STX, 0x31, cam::STX, cam::STX, 0x00},
         {cam::NAK}},
        {"a lone SOH", {cam::SOH}, {cam::NAK}},
        {"a command frame sent with SOH",
         [&] {
             Bytes f = frame;
             f[0] = cam::SOH;
             return f;
         }(),
         {cam::NAK}},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        Bytes line = c.before;
        line.insert(line.end(), frame.begin(), frame.end());
        const Bytes out = Feed(camera, line);
        const Bytes expectedHead = [&] {
            Bytes head = c.firstAnswer;
            head.push_back(cam::ACK);
            return head;
        }();
        ASSERT_EQ(out.size(), expectedHead.size() + cam::kFrameSize) << c.what;
        EXPECT_TRUE(std::equal(expectedHead.begin(), expectedHead.end(), out.begin())) << c.what;
        const Bytes reply(out.end() - cam::kFrameSize, out.end());
        EXPECT_TRUE(IsReplyFrame(reply)) << c.what;
        EXPECT_EQ(reply[3], 0x40) << c.what;
    }
}

TEST(CameraLink, BytesMayArriveOneAtATime) {
    camsim::CameraModel whole;
    camsim::CameraModel pieces;
    const Bytes frame = CommandFrame({0x31, 0x60, 0x05});
    Bytes out;
    for (std::uint8_t b : frame) {
        const Bytes part = pieces.Feed(b);
        out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_EQ(out, Feed(whole, frame));
}

TEST(CameraLink, NakRepeatsTheLastReply) {
    camsim::CameraModel camera;
    const Bytes first = Exchange(camera, {0x31, 0x0A, 0x01});
    const Bytes second = Exchange(camera, {0x31, 0x0A, 0x40});
    EXPECT_NE(first, second);
    EXPECT_EQ(camera.Feed(cam::NAK), second);
    EXPECT_EQ(camera.Feed(cam::NAK), second);
    EXPECT_EQ(camera.ReplyFramesBuilt(), 2);
}

TEST(CameraLink, DroppedReplies) {
    camsim::ModelOptions options;
    options.dropReplyEvery = 2;
    camsim::CameraModel camera(options);
    const Bytes read = CommandFrame({0x31, 0x0A, 0x01});
    const std::size_t expected[] = {20, 1, 20, 1, 20};
    for (std::size_t n : expected)
        EXPECT_EQ(Feed(camera, read).size(), n);
}

TEST(CameraLink, CorruptedRepliesAreRepeatedCleanOnNak) {
    camsim::ModelOptions options;
    options.corruptReplyEvery = 3;
    camsim::CameraModel camera(options);
    const Bytes read = CommandFrame({0x31, 0x0A, 0x01});
    for (int n = 1; n <= 6; ++n) {
        const Bytes out = Feed(camera, read);
        ASSERT_EQ(out.size(), 20u);
        const Bytes reply(out.begin() + 1, out.end());
        EXPECT_EQ(IsReplyFrame(reply), n % 3 != 0) << "reply " << n;
        if (n % 3 == 0) {
            const Bytes repeated = camera.Feed(cam::NAK);
            EXPECT_TRUE(IsReplyFrame(repeated));
            EXPECT_TRUE(std::equal(reply.begin(), reply.begin() + 17, repeated.begin()));
        }
    }
}

TEST(CameraLink, SilentCameraAnswersNothing) {
    camsim::ModelOptions options;
    options.silent = true;
    camsim::CameraModel camera(options);
    EXPECT_TRUE(camera.DtrRaised().empty());
    EXPECT_TRUE(camera.Feed(cam::ENQ).empty());
    EXPECT_TRUE(Feed(camera, CommandFrame({0x21, 0x0A, 0x20, 0x12, 0x34})).empty());
    EXPECT_NE(camera.Register(0x20), 0x1234);
}

TEST(CameraLink, UnknownCodesAreRefusedOthersEchoed) {
    struct Case {
        std::initializer_list<int> payload;
        std::uint8_t status;
    };
    const Case cases[] = {
        {{0x31, 0x99, 0x01}, camsim::kRejected},
        {{0x21, 0x60, 0x00}, camsim::kRejected}, // the status block cannot be written
        {{0x44, 0x0A, 0x01}, camsim::kRejected}, // no such command class
        {{0x21, 0x1E}, cam::kAccepted},
        {{0x21, 0x30, 0x01, 0x01}, cam::kAccepted},
        {{0x21, 0x32, 0x01}, cam::kAccepted},
        {{0x31, 0x36, 0x09}, cam::kAccepted},
        {{0x21, 0x41, 0x00, 0xFF}, cam::kAccepted},
        {{0x31, 0x60, 0x0C}, cam::kAccepted},
    };
    for (const auto& c : cases) {
        camsim::CameraModel camera;
        const Bytes reply = Exchange(camera, c.payload);
        const auto* p = c.payload.begin();
        EXPECT_EQ(reply[1], c.status) << std::hex << p[1];
        EXPECT_EQ(reply[2], p[1]);
        if (c.payload.size() > 2) {
            EXPECT_EQ(reply[3], p[2]);
        }
    }
}

TEST(CameraLink, ObserverSeesBothDirections) {
    camsim::CameraModel camera;
    std::vector<std::pair<camsim::Direction, Bytes>> seen;
    camera.SetObserver([&](camsim::Direction d, const Bytes& bytes, std::string_view) {
        seen.emplace_back(d, bytes);
    });
    const Bytes frame = CommandFrame({0x31, 0x0A, 0x01});
    Feed(camera, frame);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(camsim::Direction::ToCamera, frame));
    EXPECT_EQ(seen[1], std::make_pair(camsim::Direction::FromCamera, Bytes{cam::ACK}));
    EXPECT_EQ(seen[2].first, camsim::Direction::FromCamera);
    EXPECT_TRUE(IsReplyFrame(seen[2].second));
}

} // namespace
