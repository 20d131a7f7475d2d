// The Line tab: the iris and lens adjustment dialogues with the camera, the
// bias field and its arrows, and what the tab ignores.

#include "easy_lens_support.h"
#include "support/window_bench.h"

namespace easy_test {
namespace {

class LineTabTest : public ::testing::Test {
  protected:
    LensRig rig;

    void expectIdle() {
        EXPECT_TRUE(rig.lineEnabled("IRISAdjustSet"));
        EXPECT_TRUE(rig.lineEnabled("AdjustGo"));
        EXPECT_FALSE(rig.lineEnabled("BiasNum"));
        EXPECT_FALSE(rig.lineEnabled("BiasSpinButton"));
        EXPECT_FALSE(rig.lineEnabled("IRISAdjustExit"));
    }
};

// The two dialogues on the real window: every step goes out from inside the
// reply handling of the step before it.
class LineWindowTest : public ::testing::Test {
  protected:
    window_bench::Bench bench;
    std::size_t start = 0;

    void SetUp() override {
        bench.show(window_bench::Line);
        start = bench.commands.size();
    }
    void click(const char* slot) {
        bench.invoke(bench.find("Panel5"), slot);
        bench.port->Deliver();
    }
    bool enabled(const char* name) { return bench.find<QWidget>(name)->isEnabled(); }
    // Payload bytes 1..15 of the commands since `start`.
    std::vector<Bytes> frames() const {
        std::vector<Bytes> out;
        for (std::size_t i = start; i < bench.commands.size(); ++i)
            out.push_back(bench.commands[i]);
        return out;
    }
    void expectIdle() {
        EXPECT_TRUE(enabled("IRISAdjustSet"));
        EXPECT_TRUE(enabled("AdjustGo"));
        EXPECT_FALSE(enabled("BiasNum"));
        EXPECT_FALSE(enabled("BiasSpinButton"));
        EXPECT_FALSE(enabled("IRISAdjustExit"));
    }
};

TEST_F(LineWindowTest, LensAdjustmentRunsUntilTheCameraReportsItOver) {
    expectIdle();
    click("AdjustGoClick");
    std::vector<Bytes> expected = {padded({0x21, 0x45, 0x06, 0x00}),
                                   padded({0x21, 0x45, 0x04, 0x00})};
    for (int step = 0; step < camsim::kLensAdjustSteps; ++step) {
        expected.push_back(padded({0x21, 0x46}));
        expected.push_back(padded({0x21, 0x45, 0x04, 0x01}));
    }
    EXPECT_EQ(frames(), expected);
    EXPECT_FALSE(bench.camera.Lens().lensAdjusting);
    expectIdle();
}

TEST_F(LineWindowTest, IrisAdjustmentOpensTheBiasUntilExit) {
    click("IRISAdjustSetClick");
    EXPECT_EQ(frames(), (std::vector<Bytes>{padded({0x21, 0x45, 0x06, 0x00}),
                                            padded({0x21, 0x48, 0x03, 0x00})}));
    EXPECT_TRUE(bench.camera.Lens().irisAdjusting);
    EXPECT_TRUE(enabled("BiasNum"));
    EXPECT_TRUE(enabled("BiasSpinButton"));
    EXPECT_TRUE(enabled("IRISAdjustExit"));
    EXPECT_FALSE(enabled("AdjustGo"));
    EXPECT_FALSE(enabled("IRISAdjustSet"));

    start = bench.commands.size();
    bench.find<QLineEdit>("BiasNum")->setText("3F");
    bench.port->Deliver();
    click("BiasSpinButtonDownClick"); // the lower arrow raises the code
    click("IRISAdjustExitClick");
    EXPECT_EQ(frames(), (std::vector<Bytes>{padded({0x21, 0x53, 0x3F}), padded({0x21, 0x53, 0x40}),
                                            padded({0x21, 0x48, 0x03, 0x01})}));
    EXPECT_EQ(bench.camera.Lens().irisBias, 0x40);
    EXPECT_FALSE(bench.camera.Lens().irisAdjusting);
    expectIdle();
}

// The adjustment's end may arrive while the Easy tab is showing: the Line
// buttons come back all the same.
TEST_F(LineTabTest, AdjustmentOverOnTheEasyPageEnablesTheLineButtons) {
    rig.lineInvoke("AdjustGoClick");
    rig.ctx.tx[1] = cam::kWriteClass;
    rig.reply(Page::Line, {0x45, 0x06, 0x00}); // the digital zoom is off: the start goes out
    rig.reply(Page::Easy, {0x45, 0x04, 0x01});
    expectIdle();
    EXPECT_EQ(rig.frames(), (std::vector<Bytes>{padded({0x21, 0x45, 0x06, 0x00}),
                                                padded({0x21, 0x45, 0x04, 0x00})}));
}

// A reply that answers another frame (a switch key sent meanwhile) does not
// move an adjustment on, whatever its code.
TEST_F(LineTabTest, OnlyTheAnswerToItsOwnFrameMovesAnAdjustment) {
    const struct {
        const char* slot;
        int ownAnswers; // replies of the camera to the adjustment's frames first
        Page page;
        Bytes reply;
    } cases[] = {
        {"AdjustGoClick", 0, Page::Line, {0x45, 0x06, 0x00}},
        {"IRISAdjustSetClick", 0, Page::Line, {0x45, 0x06, 0x00}},
        {"IRISAdjustSetClick", 1, Page::Line, {0x48, 0x03, 0x00}},
        {"AdjustGoClick", 1, Page::Easy, {0x45, 0x04, 0x00}},
        {"AdjustGoClick", 1, Page::Line, {0x45, 0x04, 0x01}},
        {"AdjustGoClick", 2, Page::Line, {0x46}},
    };
    const Bytes answers[] = {{0x45, 0x06, 0x00}, {0x45, 0x04, 0x00}};
    const auto setReply = [](LensRig& rig, const Bytes& bytes) {
        rig.ctx.SetReply({});
        std::copy(bytes.begin(), bytes.end(), rig.ctx.reply.begin() + 2);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.slot << " " << c.ownAnswers);
        LensRig r;
        r.lineInvoke(c.slot);
        r.ctx.tx[1] = cam::kWriteClass;
        for (int k = 0; k < c.ownAnswers; ++k) {
            setReply(r, answers[k]);
            r.dispatch(Page::Line);
        }
        r.ctx.Send({0x21, 0x32, 0x01}); // a switch key
        const std::size_t sent = r.ctx.sent.size();
        const bool exitUsable = r.lineEnabled("IRISAdjustExit");
        setReply(r, c.reply);
        r.dispatch(c.page);
        EXPECT_EQ(r.ctx.sent.size(), sent);
        EXPECT_EQ(r.lineEnabled("IRISAdjustExit"), exitUsable);
        EXPECT_FALSE(r.lineEnabled("AdjustGo") && r.lineEnabled("IRISAdjustSet"));
    }
}

TEST_F(LineTabTest, ClicksWhileTheLinkIsBusySendAndDisableNothing) {
    rig.ctx.busy = true;
    rig.lineGet("BiasNum")->setEnabled(true);
    for (const char* slot : {"AdjustGoClick", "IRISAdjustSetClick", "IRISAdjustExitClick"})
        rig.lineInvoke(slot);
    rig.lineGet<QLineEdit>("BiasNum")->setText("40");
    rig.ctx.busy = false;
    EXPECT_TRUE(rig.ctx.sent.empty());
    EXPECT_TRUE(rig.lineEnabled("AdjustGo"));
    EXPECT_TRUE(rig.lineEnabled("IRISAdjustSet"));
}

TEST_F(LineTabTest, BiasArrowsStayWithinOneByte) {
    const struct {
        const char* slot;
        const char* text;
        const char* shown;
        Bytes frame; // empty: nothing sent
    } cases[] = {
        {"BiasSpinButtonDownClick", "FF", "FF", {}},
        {"BiasSpinButtonUpClick", "00", "00", {}},
        {"BiasSpinButtonUpClick", "a0", "9F", padded({0x21, 0x53, 0x9F})},
        {"BiasSpinButtonDownClick", "7", "08", padded({0x21, 0x53, 0x08})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.slot << " " << c.text);
        LensRig r;
        r.ctx.busy = true;
        r.lineGet<QLineEdit>("BiasNum")->setText(c.text);
        r.ctx.busy = false;
        r.lineInvoke(c.slot);
        EXPECT_EQ(r.lineGet<QLineEdit>("BiasNum")->text(), c.shown);
        EXPECT_EQ(r.frames(), c.frame.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.frame});
    }
}

TEST_F(LineTabTest, ReadBiasIsShownAndNotSentBackDuringTheLoad) {
    rig.ctx.sequenceRunning = true;
    rig.ctx.tx[1] = cam::kReadClass;
    rig.reply(Page::Line, {0x53, 0x7E});
    EXPECT_EQ(rig.lineGet<QLineEdit>("BiasNum")->text(), "7E");
    EXPECT_TRUE(rig.ctx.sent.empty());
}

TEST_F(LineTabTest, OnlyAcceptedAnswersToWritesGoOn) {
    const struct {
        std::uint8_t lastClass;
        std::uint8_t status;
    } cases[] = {{cam::kReadClass, cam::kAccepted}, {cam::kWriteClass, 0x15}};
    for (const auto& c : cases) {
        LensRig r;
        r.ctx.tx[1] = c.lastClass;
        r.ctx.SetReply({0x46, 0x01}, c.status);
        r.line.Trans_end_line();
        r.ctx.SetReply({0x48, 0x03, 0x00}, c.status);
        r.line.Trans_end_line();
        EXPECT_TRUE(r.ctx.sent.empty());
        EXPECT_FALSE(r.lineEnabled("IRISAdjustExit"));
        EXPECT_EQ(MessageLog::shown().size(), 0);
    }
}

} // namespace
} // namespace easy_test
