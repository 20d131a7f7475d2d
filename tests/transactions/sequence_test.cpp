#include "link/crc.h"
#include "link/link.h"
#include "support/fake_port.h"
#include "transactions/sequences.h"
#include "transactions/transactions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace cam;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Host : ILinkHost, ITransHost {
    // link side
    void SetStatusText(int, const std::string&) override {}
    void SetBusyPointer(bool) override {}
    void SetPageControlEnabled(bool) override {}
    void SetCopyProgressMax() override {}
    void LinkMessage(const std::string& t, const std::string&, bool) override {
        messages.push_back(t);
    }
    void Connected() override { trans->ReLoadClick(); }
    void ReplyReceived() override {
        trans->AfterReply([this] {
            ++decoded;
            if (onDecode) onDecode();
        });
    }
    void ResetAcknowledged() override {}
    void GiveUp() override {}
    void SerialError(const std::string&) override {}
    void ShowConnection(const std::string&, const std::string&) override {}
    void DeviceLost(const std::string&) override {}
    // sequence side
    void SetPanelsEnabled(bool e) override { panelsEnabled = e; }
    int ActivePage() const override { return page; }
    void SetOrderText(int n) override { order = std::to_string(n); }
    void TransMessage(const std::string& t) override { messages.push_back(t); }
    void RefreshPointer() override { ++pointerRefreshes; }
    void BeforeEasyLoad() override { ++easyPrepared; }

    TTransactions* trans = nullptr;
    int page = 4, decoded = 0, pointerRefreshes = 0, easyPrepared = 0;
    bool panelsEnabled = true;
    std::string order = "?";
    std::vector<std::string> messages;
    std::function<void()> onDecode;
};

Bytes replyTo(const Bytes& frame) {
    Bytes f{0x02, 0xA0, frame[2], frame[3]};
    f.resize(16, 0);
    f.push_back(0x03);
    const std::uint16_t crc = frame_crc(f.data() + 1, 16);
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    f.push_back(static_cast<std::uint8_t>(crc));
    return f;
}

struct Sequences : ::testing::Test {
    FakePort port;
    Host host;
    TLink link{port, host};
    TTransactions trans{link, host};
    std::vector<bool> chkAtEachCommand;

    void SetUp() override {
        host.trans = &trans;
        port.OnCommReceive = [this](std::uint16_t n) { link.Comm1CommReceive(n); };
        link.Trans_Create();
        port.writes.clear();
    }
    // A camera that answers every command frame with ACK and a reply.
    void answerEverything() {
        port.answer = [this](std::uint8_t, const Bytes& w) {
            if (w.size() != 19) return Bytes{};
            chkAtEachCommand.push_back(trans.Trans_chk());
            Bytes out{0x06};
            const Bytes r = replyTo(w);
            out.insert(out.end(), r.begin(), r.end());
            return out;
        };
    }
    // The command frames written, as payload bytes 1..n (n = significant length).
    std::vector<Bytes> commands() const {
        std::vector<Bytes> out;
        for (const auto& w : port.writes)
            if (w.size() == 19) {
                Bytes p(w.begin() + 1, w.begin() + 16);
                while (!p.empty() && p.back() == 0)
                    p.pop_back();
                out.push_back(p);
            }
        return out;
    }
};

} // namespace

TEST(SequenceTable, LengthsAndSteps) {
    const unsigned lengths[] = {14, 2, 11, 2, 11, 3};
    for (int kind = 0; kind < kSequenceKinds; ++kind) {
        EXPECT_EQ(SequenceLength(kind), lengths[kind]);
        EXPECT_TRUE(SequenceStep(kind, lengths[kind]).empty());
    }
    EXPECT_EQ(SequenceStep(0, 13), (Bytes{0x31, 0x0A, 0x2F}));
    EXPECT_EQ(SequenceStep(2, 10), (Bytes{0x31, 0x36, 0x06}));
    EXPECT_EQ(SequenceStep(4, 10), (Bytes{0x31, 0x0C, 0x01, 0x51}));
    EXPECT_EQ(SequenceStep(5, 2), (Bytes{0x31, 0x53}));
}

TEST_F(Sequences, EasyLoadReadsTheStatusBlockThenTheLockWord) {
    answerEverything();
    port.Receive({0x06}); // the camera's first ACK connects and loads the Easy tab
    port.Deliver();
    std::vector<Bytes> expected;
    for (std::uint8_t sub = 0; sub <= 9; ++sub)
        expected.push_back({0x31, 0x60, sub});
    expected.push_back({0x31, 0x0C, 0x01, 0x51});
    expected[0] = {0x31, 0x60}; // sub-code 0 is a trailing zero
    EXPECT_EQ(commands(), expected);
    EXPECT_EQ(host.decoded, 11);
    EXPECT_EQ(host.easyPrepared, 1);
    for (bool chk : chkAtEachCommand)
        EXPECT_FALSE(chk);
    EXPECT_TRUE(trans.Trans_chk());
    EXPECT_TRUE(host.panelsEnabled);
    EXPECT_EQ(host.pointerRefreshes, 1);
}

TEST_F(Sequences, TransChkIsFalseBetweenAReplyAndTheNextStep) {
    answerEverything();
    std::vector<bool> duringDecode;
    host.onDecode = [&] { duringDecode.push_back(trans.Trans_chk()); };
    host.page = 1;
    port.Receive({0x06});
    port.Deliver();
    EXPECT_EQ(duringDecode, (std::vector<bool>{false, false}));
    EXPECT_TRUE(trans.Trans_chk());
}

TEST_F(Sequences, TabChangesDuringALoadRunInArrivalOrder) {
    port.Receive({0x06});
    port.Deliver(); // Easy load started; its first command is unanswered
    ASSERT_EQ(trans.SequenceStep(), 1);
    host.page = 5;
    trans.PageControl1Change();
    host.page = 2;
    trans.PageControl1Change();
    EXPECT_EQ(trans.Orders(), 2);
    EXPECT_EQ(host.order, "2");
    answerEverything();
    port.Receive(Bytes{0x06});
    port.Receive(replyTo(port.writes.back()));
    port.Deliver();
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 1u + 10u + 3u + 11u);
    EXPECT_EQ(sent[10], (Bytes{0x31, 0x0C, 0x01, 0x51}));
    EXPECT_EQ(sent[13], (Bytes{0x31, 0x53}));       // Line ends
    EXPECT_EQ(sent[14], (Bytes{0x31, 0x0A, 0x01})); // CCD Defect starts
    EXPECT_EQ(sent.back(), (Bytes{0x31, 0x36, 0x06}));
    EXPECT_EQ(trans.Orders(), 0);
    EXPECT_EQ(host.order, "0");
    EXPECT_TRUE(trans.Trans_chk());
}

TEST_F(Sequences, TabChangeWhileIdleLoadsAtOnce) {
    port.Receive({0x06});
    answerEverything();
    port.Deliver();
    port.writes.clear();
    host.page = 3;
    trans.PageControl1Change();
    port.Deliver();
    EXPECT_EQ(trans.Orders(), 0);
    EXPECT_EQ(commands().size(), 2u);
}

TEST_F(Sequences, LoadWithCameraAbsentSendsNothing) {
    port.Receive({0x06});
    answerEverything();
    port.Deliver();
    port.writes.clear();
    port.dsr = false;
    trans.ReLoadClick();
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(host.messages, std::vector<std::string>{"Camera Connection changed (DR OFF)"});
}

TEST_F(Sequences, QueuedRequestWokenWithCameraAbsentIsDropped) {
    port.Receive({0x06});
    port.Deliver();
    host.page = 5;
    trans.PageControl1Change();
    host.page = 0;
    trans.PageControl1Change();
    port.dsr = false;
    trans.SetSequenceStep(0);
    trans.Trans_init(4, 11); // the running sequence ends
    EXPECT_EQ(host.messages, std::vector<std::string>{"Camera Connection changed (DR OFF)"});
    EXPECT_EQ(trans.Orders(), 1); // the one behind waits for the next end
    EXPECT_EQ(trans.SequenceStep(), 0);
}

TEST_F(Sequences, TheQueueHoldsAtMost255Requests) {
    port.Receive({0x06});
    port.Deliver();
    for (int i = 0; i < 300; ++i)
        trans.PageControl1Change();
    EXPECT_EQ(trans.Orders(), 255);
    EXPECT_EQ(host.order, "255");
    EXPECT_EQ(host.messages.size(), 45u);
}

TEST_F(Sequences, ADecoderThatMovesTheStepStopsTheContinuation) {
    answerEverything();
    host.onDecode = [&] {
        if (trans.SequenceStep() == 3) trans.SetSequenceStep(0);
    };
    port.Receive({0x06});
    port.Deliver();
    EXPECT_EQ(commands().size(), 3u);
}
