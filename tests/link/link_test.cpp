#include "link/crc.h"
#include "link/hex.h"
#include "link/link.h"
#include "support/fake_port.h"
#include "support/recording_host.h"

#include <functional>
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace cam;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes reply(Bytes payload) {
    payload.resize(15, 0);
    Bytes f(payload.size() + 1);
    f[0] = STX;
    std::copy(payload.begin(), payload.end(), f.begin() + 1);
    f.push_back(ETX);
    const std::uint16_t crc = frame_crc(f.data() + 1, 16);
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    f.push_back(static_cast<std::uint8_t>(crc));
    return f;
}

struct LinkFixture : ::testing::Test {
    void TestBody() override {}
    FakePort port;
    RecordingHost host;
    TLink link{port, host};

    void SetUp() override {
        port.OnCommReceive = [this](std::uint16_t n) { link.Comm1CommReceive(n); };
    }
    // Opens port 1, sends ENQ and lets the camera's ACK connect the link.
    void connect() {
        link.Trans_Create();
        port.Receive({ACK});
        port.Deliver();
        ASSERT_EQ(link.LinkMode(), TLink::Idle);
        port.writes.clear();
    }
    void send(Bytes payload, const void* source = nullptr) {
        for (std::size_t i = 0; i < payload.size(); ++i)
            link.Tx()[i + 1] = payload[i];
        link.StxCommand(static_cast<int>(payload.size()), 0, source);
    }
    // The camera acknowledges the frame in flight and answers it.
    void answer() {
        port.Receive({ACK});
        port.Receive(reply({0xA0, link.Answered()[2]}));
        port.Deliver();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            link.SendTimerTimer();
    }
};

} // namespace

TEST_F(LinkFixture, BusyStxCommandSendsNothingAndKeepsPayloadAndStatus) {
    connect();
    send({0x31, 0x0A, 0x01});
    const std::string before = host.status[1];
    link.SetBusy(true);
    port.writes.clear();
    send({0x21, 0x1A, 0x01, 0x08});
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(host.status[1], before);
    EXPECT_EQ(link.Tx()[2], 0x1A);
    EXPECT_EQ(link.Tx()[4], 0x08);
}

TEST_F(LinkFixture, StxCommandWritesOneFrameArmsTimeoutAndShowsFourteenBytes) {
    connect();
    send(
        {0x21, 0x10, 0x01, 0x00, 0x00, 0x10, 0x00, 0x31, 0x01, 0xFE, 0x00, 0x01, 0x01, 0xFE, 0x77});
    answer();
    send({0x31, 0x0A, 0x01});
    ASSERT_EQ(port.writes.size(), 3u); // the frame, the ACK of its reply, the next frame
    EXPECT_EQ(port.writes[2], (Bytes{0x02, 0x31, 0x0A, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0x03, 0x43, 0x1F}));
    EXPECT_EQ(host.status[1], "310A010000000000000000000000"); // 14 bytes, 28 digits
    EXPECT_EQ(host.status[1].size(), 28u);
    EXPECT_EQ(link.ReplyTimeout(), 20);
    EXPECT_EQ(link.Retries(), 2);
    EXPECT_FALSE(link.Busy());
    EXPECT_TRUE(host.busyPointer);
}

TEST_F(LinkFixture, BulkFrameLeavesInSixWritesOrShowsBusy) {
    connect();
    std::vector<std::int32_t> data(2048);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::int32_t>(0x100 + i);
    link.SohCommand(data.data());
    ASSERT_EQ(port.writes.size(), 6u);
    const std::size_t sizes[] = {2, 512, 512, 512, 512, 3};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(port.writes[i].size(), sizes[i]);
    EXPECT_EQ(port.writes[1][0], 0x00); // low byte of entry 0
    EXPECT_EQ(port.writes[1][1], 0x01);
    EXPECT_EQ(link.Tx()[0], SOH);
    EXPECT_TRUE(link.Busy());
    EXPECT_FALSE(host.pagesEnabled);
    EXPECT_EQ(link.ReplyTimeout(), 100);
    EXPECT_EQ(link.Retries(), 10);
    EXPECT_EQ(host.progressMax, 1);
    port.writes.clear();
    link.SohCommand(data.data());
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(host.status[1], "Busy");
}

TEST_F(LinkFixture, ConnectingOnlyAckCountsAndIsAnsweredWithEot) {
    link.Trans_Create();
    EXPECT_EQ(host.status[0], "Comm. Connecting");
    EXPECT_EQ(port.Written(), Bytes{ENQ});
    port.Receive({NAK, EOT, 0x41});
    port.Deliver();
    EXPECT_EQ(host.connected, 0);
    port.Receive({ACK});
    port.Deliver();
    EXPECT_EQ(port.Written(), (Bytes{ENQ, EOT}));
    EXPECT_EQ(host.connected, 1);
    EXPECT_TRUE(host.pagesEnabled);
    EXPECT_FALSE(link.Busy());
    EXPECT_FALSE(host.busyPointer);
    EXPECT_EQ(link.ReplyTimeout(), -1);
}

TEST(LinkModes, ExchangesThatEndOnAckAlone) {
    struct Case {
        Bytes payload;
        bool endsOnAck;
        int resets;
    } cases[] = {{{0x21, 0x20, 0x00}, true, 0},
                 {{0xF1}, true, 1},
                 {{0x21, 0x20, 0x02, 1}, false, 0},
                 {{0x31, 0x0A, 0x01}, false, 0}};
    for (const auto& c : cases)
        for (const bool whole : {false, true}) {
            SCOPED_TRACE(testing::Message() << "whole answers " << whole);
            LinkFixture f;
            f.SetUp();
            f.link.SetWholeAnswers(whole);
            f.connect();
            f.send(c.payload);
            // Waited for together with the ACK: the reply frame that follows it.
            EXPECT_EQ(f.port.threshold, whole && !c.endsOnAck ? 1 + kFrameSize : 1);
            // Disabled as during a bulk transfer: only an exchange that the ACK
            // ends enables it again.
            f.host.pagesEnabled = false;
            f.port.Receive({ACK});
            f.port.Deliver();
            EXPECT_EQ(f.link.LinkMode(), c.endsOnAck ? TLink::Idle : TLink::AwaitReply);
            EXPECT_EQ(f.port.threshold, c.endsOnAck ? 1 : kFrameSize);
            EXPECT_EQ(f.host.resets, c.resets);
            EXPECT_EQ(f.link.ReplyTimeout(), c.endsOnAck ? -1 : 20);
            EXPECT_EQ(f.host.busyPointer, !c.endsOnAck);
            EXPECT_EQ(f.host.pagesEnabled, c.endsOnAck);
        }
}

TEST_F(LinkFixture, ReplyIsAcknowledgedShownAndHandedOn) {
    connect();
    send({0x31, 0x0A, 0x01});
    port.Receive({ACK});
    port.Receive(reply({0xA0, 0x0A, 0x01, 0x40, 0x00}));
    port.Deliver();
    EXPECT_EQ(host.replies, 1);
    EXPECT_EQ(port.writes.back(), Bytes{ACK});
    EXPECT_EQ(host.status[2], "A00A01400000000000000000000000");
    EXPECT_EQ(link.LinkMode(), TLink::Idle);
    EXPECT_FALSE(link.Busy());
    EXPECT_EQ(link.ReplyTimeout(), -1);
    // A second ACK while a reply is awaited stands for the reply.
    send({0x31, 0x0A, 0x40});
    port.Receive({ACK, ACK});
    port.Deliver();
    EXPECT_EQ(host.replies, 2);
    EXPECT_EQ(host.status[2], "A00A01400000000000000000000000");
}

TEST_F(LinkFixture, ThePortIsToldHowManyBytesTheLinkWaitsFor) {
    connect();
    EXPECT_EQ(port.threshold, 1u);
    send({0x31, 0x0A, 0x01});
    const Bytes frame = reply({0xA0, 0x0A, 0x01, 0x40, 0x00});
    const struct {
        Bytes bytes;
        std::uint32_t waited;
    } steps[] = {
        {{ACK}, 19},                                       // the reply frame
        {Bytes(frame.begin(), frame.begin() + 5), 14},     // its rest
        {Bytes(frame.begin() + 5, frame.begin() + 17), 2}, // the CRC
        {Bytes(frame.begin() + 17, frame.end()), 1},       // answered: any byte
    };
    for (const auto& step : steps) {
        port.Receive(step.bytes);
        port.Deliver();
        EXPECT_EQ(port.threshold, step.waited) << step.bytes.size() << " bytes in";
    }
    EXPECT_EQ(host.replies, 1);
    // A reply cut short and given up: back to single bytes.
    send({0x31, 0x0A, 0x40});
    port.Receive({ACK, STX, 0xA0});
    port.Deliver();
    EXPECT_EQ(port.threshold, 17u);
    ticks(TLink::kTimeoutTicks * TLink::kRetries + 2);
    EXPECT_EQ(link.LinkMode(), TLink::Idle);
    EXPECT_EQ(port.threshold, 1u);
}

TEST_F(LinkFixture, DamagedRepliesAreRefusedOrReported) {
    connect();
    send({0x31, 0x0A, 0x01});
    port.Receive({ACK});
    auto bad = reply({0xA0, 0x0A, 0x01});
    bad[18] ^= 0xFF;
    port.Receive(bad);
    port.Deliver();
    EXPECT_EQ(port.writes.back(), Bytes{NAK});
    EXPECT_TRUE(link.Busy());
    EXPECT_EQ(host.replies, 0);
    auto noEtx = reply({0xA0, 0x0A, 0x01});
    noEtx[16] = 0x55;
    port.writes.clear();
    port.Receive(Bytes(noEtx.begin(), noEtx.begin() + 17));
    port.Deliver();
    EXPECT_EQ(host.messages, std::vector<std::string>{"sr_err1"});
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(LinkFixture, CameraOnPortTwoOnlyIsFoundAtItsFirstAck) {
    port.missingPorts = {1};
    port.opened = [](std::uint8_t p) { return p == 2 ? Bytes{ACK} : Bytes{}; };
    port.OnCommReceive = nullptr; // bytes are delivered after each tick below
    link.Trans_Create();
    EXPECT_EQ(host.detail, "COM1 (/dev/fake1): cannot be opened");
    int tick = 0;
    while (link.LinkMode() == TLink::Connecting && tick < 16) {
        ++tick;
        link.SendTimerTimer();
        if (tick == 4) {
            EXPECT_EQ(host.detail, "Connecting to COM2 (/dev/fake2)");
        }
        while (!port.rx.empty())
            link.Comm1CommReceive(static_cast<std::uint16_t>(port.rx.size()));
    }
    EXPECT_EQ(port.failedOpens, (Bytes{1, 1, 1, 1}));
    EXPECT_EQ(port.opens, Bytes{2});
    EXPECT_EQ(tick, 4);
    EXPECT_EQ(host.connected, 1);
    EXPECT_EQ(host.serialErrors.size(), 4u);
    EXPECT_EQ(port.Written(), Bytes{EOT}); // no ENQ could go out on the missing port 1
    EXPECT_EQ(host.status[0], "COM2 connected");
}

TEST_F(LinkFixture, NoCameraGivesUpOnceAtTheSixteenthTick) {
    link.Trans_Create();
    Bytes schedule = port.opens;
    for (int tick = 1; tick <= 15; ++tick) {
        EXPECT_TRUE(link.SendTimerTimer());
        EXPECT_EQ(host.giveUps, 0) << tick;
    }
    EXPECT_EQ(port.opens, (Bytes{1, 1, 1, 1, 2, 2, 2, 2, 1, 1, 1, 1, 2, 2, 2, 2}));
    EXPECT_FALSE(link.SendTimerTimer());
    EXPECT_EQ(host.giveUps, 1);
    EXPECT_EQ(port.Written(), Bytes{ENQ}); // the ENQ goes out once
}

TEST_F(LinkFixture, PortTwoIsTriedOnlyWhenItsDeviceExistsOrWasNamed) {
    port.port2Exists = false;
    link.Trans_Create();
    for (int tick = 1; tick <= 15; ++tick)
        link.SendTimerTimer();
    EXPECT_EQ(port.opens, Bytes(16, 1));
}

TEST_F(LinkFixture, UnansweredCommandIsResentAndReportedOnce) {
    connect();
    send({0x31, 0x60, 0x00});
    const Bytes frame = port.writes.back();
    port.writes.clear();
    std::vector<int> resentAt;
    for (int tick = 1; tick <= 84; ++tick) {
        link.SendTimerTimer();
        if (!port.writes.empty()) {
            EXPECT_EQ(port.writes.back(), frame);
            resentAt.push_back(tick);
            port.writes.clear();
        }
        if (tick == 41) {
            EXPECT_TRUE(host.messages.empty());
        }
    }
    EXPECT_EQ(resentAt, (std::vector<int>{21, 42, 63, 84}));
    EXPECT_EQ(host.messages, std::vector<std::string>{" Serial Port not connected "});
    EXPECT_EQ(link.LinkMode(), TLink::Idle);
    // A late answer still completes.
    port.Receive({ACK});
    port.Receive(reply({0xA0, 0x60, 0x00}));
    port.Deliver();
    EXPECT_EQ(host.replies, 1);
    EXPECT_EQ(link.ReplyTimeout(), -1);
}

TEST_F(LinkFixture, LensStepWaitsWithoutLimit) {
    connect();
    send({0x21, 0x46, 0x01});
    port.writes.clear();
    ticks(21 * 6);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LinkFixture, UnansweredBulkFrameIsResentWhole) {
    connect();
    std::vector<std::int32_t> data(2048, 0x11);
    link.SohCommand(data.data());
    port.writes.clear();
    ticks(100);
    EXPECT_TRUE(port.writes.empty());
    ticks(1);
    ASSERT_EQ(port.writes.size(), 6u);
    EXPECT_EQ(port.writes[0], (Bytes{SOH, 0x75}));
}

// One command in flight: frames sent meanwhile wait, in order, and go out one
// per answered exchange. Only a newer frame of the same source (a debounced
// control) replaces a waiting one; frames that merely share bytes 1-3 (two
// EEPROM words, a mode and its level) keep their place and content.
TEST_F(LinkFixture, FramesSentWhileAReplyIsAwaitedWaitTheirTurn) {
    const int agcBar = 0;
    connect();
    send({0x31, 0x0A, 0x01});
    send({0x21, 0x1A, 0x01, 0x10}, &agcBar);
    send({0x21, 0x0C, 0x01, 0x51, 0x00, 0x01});
    send({0x21, 0x0C, 0x01, 0x52, 0x00, 0x02});
    send({0x21, 0x1A, 0x01, 0x20}, &agcBar); // replaces the held AGC level in its place
    send({0x21, 0x1A, 0x01, 0x30});          // the same bytes, but no control's: kept
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(link.HeldFrames(), 4u);
    std::vector<Bytes> sent;
    for (int i = 0; i < 5; ++i) {
        sent.push_back(Bytes(link.Answered().begin() + 1, link.Answered().begin() + 6));
        answer();
    }
    EXPECT_EQ(sent, (std::vector<Bytes>{{0x31, 0x0A, 0x01, 0, 0},
                                        {0x21, 0x1A, 0x01, 0x20, 0},
                                        {0x21, 0x0C, 0x01, 0x51, 0},
                                        {0x21, 0x0C, 0x01, 0x52, 0},
                                        {0x21, 0x1A, 0x01, 0x30, 0}}));
    EXPECT_FALSE(link.InFlight());
    EXPECT_EQ(host.replies, 5);
}

// A camera that answers the NAK with a bare ACK: the ACK stands for the
// reply, and what the decoders read is the last frame that passed its check.
TEST_F(LinkFixture, AFrameThatFailedItsCheckNeverReachesTheReplyBuffer) {
    connect();
    send({0x31, 0x0A, 0x01});
    answer();
    const ReplyBuffer good = link.Reply();
    send({0x31, 0x0A, 0x40});
    Bytes bad = reply({0xA0, 0x0A, 0x40, 0x12, 0x34});
    bad.back() ^= 0xFF;
    port.Receive({ACK});
    port.Receive(bad);
    port.Receive({ACK});
    port.Deliver();
    EXPECT_EQ(host.replies, 2);
    EXPECT_EQ(link.Reply(), good);
}

// Handlers stop at the soft bound (HoldFull makes Trans_chk false); past the
// hard bound the newest frame is refused and the technician is told.
TEST_F(LinkFixture, HeldFramesAreBounded) {
    connect();
    send({0x31, 0x0A, 0x01});
    for (std::size_t i = 0; i < TLink::kMaxHeld; ++i)
        send({0x31, 0x0C, 0x00, static_cast<std::uint8_t>(i)});
    EXPECT_TRUE(link.HoldFull());
    EXPECT_TRUE(host.messages.empty());
    for (std::size_t i = TLink::kMaxHeld; i <= TLink::kHardHeld; ++i)
        send({0x31, 0x0C, 0x00, static_cast<std::uint8_t>(i)});
    EXPECT_EQ(link.HeldFrames(), TLink::kHardHeld);
    EXPECT_EQ(host.messages.size(), 1u);
}

// A write that fails, wherever it happens, ends the exchange as a give-up
// does, is reported once, and leaves nothing outstanding.
TEST_F(LinkFixture, AFailingWriteEndsTheExchange) {
    const std::vector<std::pair<const char*, std::function<void(LinkFixture&)>>> cases = {
        {"command",
         [](LinkFixture& f) {
             f.port.Close();
             f.send({0x31, 0x0A, 0x01});
         }},
        {"re-send",
         [](LinkFixture& f) {
             f.send({0x31, 0x0A, 0x01});
             f.port.Close();
             f.ticks(21);
         }},
        {"bulk",
         [](LinkFixture& f) {
             std::vector<std::int32_t> data(2048);
             f.port.Close();
             f.link.SohCommand(data.data());
         }},
        {"reply ACK",
         [](LinkFixture& f) {
             f.send({0x31, 0x0A, 0x01});
             f.port.Receive({ACK});
             f.port.Receive(reply({0xA0, 0x0A}));
             f.port.Close();
             f.link.Comm1CommReceive(static_cast<std::uint16_t>(f.port.rx.size()));
         }},
    };
    for (const auto& [name, fail] : cases) {
        SCOPED_TRACE(name);
        LinkFixture f;
        f.SetUp();
        f.connect();
        f.send({0x31, 0x0B, 0x01});
        f.answer();
        f.link.SetBusy(false);
        f.host.pagesEnabled = false;
        EXPECT_NO_THROW(fail(f));
        EXPECT_EQ(f.host.serialErrors.size(), 1u);
        EXPECT_FALSE(f.link.Busy());
        EXPECT_FALSE(f.link.InFlight());
        EXPECT_EQ(f.link.ReplyTimeout(), -1);
        EXPECT_EQ(f.link.LinkMode(), TLink::Idle);
        EXPECT_FALSE(f.host.busyPointer);
        EXPECT_TRUE(f.host.pagesEnabled);
        EXPECT_EQ(f.host.replies, 1); // only the answered exchange before the fault
    }
}

TEST_F(LinkFixture, ALostDeviceIsToldOnceAndOpenedAgain) {
    const std::vector<std::pair<const char*, std::function<void(LinkFixture&)>>> losses = {
        {"hang-up while a reply is awaited",
         [](LinkFixture& f) {
             f.send({0x31, 0x0A, 0x01});
             f.port.HangUp();
         }},
        {"write fails",
         [](LinkFixture& f) {
             f.port.gone = true;
             f.send({0x31, 0x0A, 0x01});
         }},
        {"read fails",
         [](LinkFixture& f) {
             f.send({0x31, 0x0A, 0x01});
             f.port.Receive({ACK});
             f.port.gone = true;
             f.port.Deliver(1);
         }},
    };
    for (const auto& [name, lose] : losses) {
        SCOPED_TRACE(name);
        LinkFixture f;
        f.SetUp();
        f.connect();
        f.port.OnDeviceLost = [&f] { f.link.DeviceLost(); };
        EXPECT_NO_THROW(lose(f));
        f.port.HangUp(); // the watcher's report after a failed transfer tells nothing new
        ASSERT_EQ(f.host.losses, std::vector<std::string>{"COM1 (/dev/fake1): the device is gone"});
        EXPECT_TRUE(f.host.serialErrors.empty());
        EXPECT_EQ(f.link.LinkMode(), TLink::Lost);
        EXPECT_FALSE(f.port.IsOpen());
        EXPECT_FALSE(f.link.Busy() || f.link.InFlight() || f.host.busyPointer);
        EXPECT_EQ(f.host.status[0], "COM1 lost");

        // Nothing is written while lost; the reopening keeps failing quietly.
        f.port.writes.clear();
        f.send({0x21, 0x1A, 0x01, 0x08});
        f.ticks(3);
        EXPECT_TRUE(f.port.writes.empty());
        EXPECT_EQ(f.host.losses.size(), 1u);

        // The adapter comes back: the next tick opens it and greets the camera.
        f.port.gone = false;
        f.port.answer = [](std::uint8_t, const Bytes& w) {
            return w == Bytes{ENQ} ? Bytes{ACK} : Bytes{};
        };
        f.ticks(1);
        f.port.Deliver();
        EXPECT_EQ(f.port.Written(), (Bytes{ENQ, EOT}));
        EXPECT_EQ(f.host.connected, 2);
        EXPECT_EQ(f.link.LinkMode(), TLink::Idle);
        EXPECT_EQ(f.host.status[0], "COM1 connected");
        EXPECT_EQ(f.port.opens.back(), 1u);
    }
}
