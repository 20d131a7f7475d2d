// The simulated camera's faults on purpose: what each does to an exchange,
// the command line that asks for them, and the same faults for the same seed.

#include "sim_test_util.h"

#include "sim/sim_options.h"

#include <string>

namespace {

using simtest::Bytes;
using simtest::CommandFrame;
using simtest::Feed;
using simtest::IsReplyFrame;

enum Answer { Full, NakOnly, ReplyOnly, AckOnly, Nothing };

// What came back for one command frame.
Answer Kind(const Bytes& out) {
    if (out.empty()) return Nothing;
    if (out == Bytes{cam::NAK}) return NakOnly;
    if (out == Bytes{cam::ACK}) return AckOnly;
    if (out.size() == cam::kFrameSize && IsReplyFrame(out)) return ReplyOnly;
    if (out.size() == 1 + cam::kFrameSize && out[0] == cam::ACK) return Full;
    return Nothing;
}

TEST(CameraFaults, EachFaultOnItsFrames) {
    const auto with = [](int camsim::ModelOptions::*field, int n) {
        camsim::ModelOptions o;
        o.*field = n;
        return o;
    };
    const struct {
        const char* what;
        camsim::ModelOptions options;
        std::vector<Answer> answers; // to four writes of register 0x20, 1..4
        std::vector<bool> written;   // whether each reached the register
    } cases[] = {
        {"NAK every 2nd, not acted on",
         with(&camsim::ModelOptions::nakEvery, 2),
         {Full, NakOnly, Full, NakOnly},
         {true, false, true, false}},
        {"no ACK every 3rd",
         with(&camsim::ModelOptions::missingAckEvery, 3),
         {Full, Full, ReplyOnly, Full},
         {true, true, true, true}},
        {"late every 2nd",
         with(&camsim::ModelOptions::delayReplyEvery, 2),
         {Full, AckOnly, Full, AckOnly},
         {true, true, true, true}},
        {"silent after 2",
         with(&camsim::ModelOptions::silentAfter, 2),
         {Full, Full, Nothing, Nothing},
         {true, true, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        camsim::CameraModel camera;
        camera.SetFaults(c.options);
        for (int k = 0; k < 4; ++k) {
            const Bytes out = Feed(camera, CommandFrame({0x21, 0x0A, 0x20, 0x00, k + 1}));
            // A late reply comes before the answer to the next frame.
            if (c.options.delayReplyEvery && k == 2) {
                ASSERT_GE(out.size(), cam::kFrameSize);
                EXPECT_TRUE(IsReplyFrame(Bytes(out.begin(), out.begin() + 19)));
                EXPECT_EQ(out[5], 2); // the answer to the second write
                EXPECT_EQ(Kind(Bytes(out.begin() + 19, out.end())), Full);
            } else {
                EXPECT_EQ(Kind(out), c.answers[static_cast<std::size_t>(k)]) << k;
            }
            const bool reached = camera.Register(0x20) == k + 1;
            EXPECT_EQ(reached, c.written[static_cast<std::size_t>(k)]) << k;
        }
    }
    // Fallen silent, the camera answers not even ENQ or the opening.
    camsim::CameraModel quiet;
    quiet.SetFaults(with(&camsim::ModelOptions::silentAfter, 0));
    EXPECT_TRUE(Feed(quiet, CommandFrame({0x31, 0x0A, 0x01})).empty());
    EXPECT_TRUE(quiet.Feed(cam::ENQ).empty());
    EXPECT_TRUE(quiet.DtrRaised().empty());
}

TEST(CameraFaults, TheSameSeedGivesTheSameFaults) {
    const auto pattern = [](std::uint64_t seed) {
        camsim::ModelOptions o;
        o.dropReplyEvery = o.corruptReplyEvery = o.missingAckEvery = o.nakEvery = 5;
        o.delayReplyEvery = 5;
        o.faultSeed = seed;
        camsim::CameraModel camera(o);
        std::string answers;
        for (int k = 0; k < 200; ++k)
            answers += std::to_string(Feed(camera, CommandFrame({0x31, 0x0A, 0x01})).size()) + ",";
        return answers;
    };
    EXPECT_EQ(pattern(38), pattern(38));
    EXPECT_NE(pattern(38), pattern(39));
    EXPECT_NE(pattern(38).find("20,"), std::string::npos); // most exchanges are whole
}

TEST(CameraFaults, CommandLine) {
    camsim::SimOptions options;
    std::string error;
    ASSERT_TRUE(camsim::ParseSimOptions({"--missing-ack", "3", "--nak=4", "--delay-reply", "5",
                                         "--silent-after", "600", "--fault-seed=38"},
                                        &options, &error))
        << error;
    EXPECT_EQ(options.model.missingAckEvery, 3);
    EXPECT_EQ(options.model.nakEvery, 4);
    EXPECT_EQ(options.model.delayReplyEvery, 5);
    EXPECT_EQ(options.model.silentAfter, 600);
    EXPECT_EQ(options.model.faultSeed, 38u);
    EXPECT_EQ(camsim::SimOptions().model.silentAfter, -1); // never, unless asked
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--nak", "-1"}, {"--silent-after"}, {"--fault-seed", "x"}}) {
        camsim::SimOptions o;
        EXPECT_FALSE(camsim::ParseSimOptions(wrong, &o, &error)) << wrong[0];
    }
}

} // namespace
