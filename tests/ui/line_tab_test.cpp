// The Line tab: the iris and lens adjustment dialogues with the camera, the
// bias field and its arrows, and what the tab ignores.

#include "easy_lens_support.h"

namespace easy_test {
namespace {

class LineTabTest : public ::testing::Test {
  protected:
    LensRig rig;
    camsim::CameraModel camera;

    void expectIdle() {
        EXPECT_TRUE(rig.lineEnabled("IRISAdjustSet"));
        EXPECT_TRUE(rig.lineEnabled("AdjustGo"));
        EXPECT_FALSE(rig.lineEnabled("BiasNum"));
        EXPECT_FALSE(rig.lineEnabled("BiasSpinButton"));
        EXPECT_FALSE(rig.lineEnabled("IRISAdjustExit"));
    }
};

TEST_F(LineTabTest, LensAdjustmentRunsUntilTheCameraReportsItOver) {
    expectIdle();
    rig.lineInvoke("AdjustGoClick");
    EXPECT_FALSE(rig.lineEnabled("AdjustGo"));
    rig.pump(camera, Page::Line);

    std::vector<Bytes> expected = {padded({0x21, 0x45, 0x06, 0x00}),
                                   padded({0x21, 0x45, 0x04, 0x00})};
    for (int step = 0; step < camsim::kLensAdjustSteps; ++step) {
        expected.push_back(padded({0x21, 0x46}));
        expected.push_back(padded({0x21, 0x45, 0x04, 0x01}));
    }
    EXPECT_EQ(rig.frames(), expected);
    EXPECT_FALSE(camera.Lens().lensAdjusting);
    expectIdle();
}

TEST_F(LineTabTest, IrisAdjustmentOpensTheBiasUntilExit) {
    rig.lineInvoke("IRISAdjustSetClick");
    EXPECT_FALSE(rig.lineEnabled("IRISAdjustSet"));
    rig.pump(camera, Page::Line);
    EXPECT_EQ(rig.frames(), (std::vector<Bytes>{padded({0x21, 0x45, 0x06, 0x00}),
                                                padded({0x21, 0x48, 0x03, 0x00})}));
    EXPECT_TRUE(camera.Lens().irisAdjusting);
    EXPECT_TRUE(rig.lineEnabled("BiasNum"));
    EXPECT_TRUE(rig.lineEnabled("BiasSpinButton"));
    EXPECT_TRUE(rig.lineEnabled("IRISAdjustExit"));
    EXPECT_FALSE(rig.lineEnabled("AdjustGo"));
    EXPECT_FALSE(rig.lineEnabled("IRISAdjustSet"));

    rig.clearSent();
    rig.lineGet<QLineEdit>("BiasNum")->setText("3F");
    rig.lineInvoke("BiasSpinButtonDownClick"); // the lower arrow raises the code
    rig.lineInvoke("IRISAdjustExitClick");
    rig.pump(camera, Page::Line);
    EXPECT_EQ(rig.frames(),
              (std::vector<Bytes>{padded({0x21, 0x53, 0x3F}), padded({0x21, 0x53, 0x40}),
                                  padded({0x21, 0x48, 0x03, 0x01})}));
    EXPECT_EQ(camera.Lens().irisBias, 0x40);
    EXPECT_FALSE(camera.Lens().irisAdjusting);
    expectIdle();
}

// The adjustment's end may arrive while the Easy tab is showing: the Line
// buttons come back all the same.
TEST_F(LineTabTest, AdjustmentOverOnTheEasyPageEnablesTheLineButtons) {
    rig.lineGet("AdjustGo")->setEnabled(false);
    rig.lineGet("IRISAdjustSet")->setEnabled(false);
    rig.ctx.tx[1] = cam::kWriteClass;
    rig.reply(Page::Easy, {0x45, 0x04, 0x01});
    expectIdle();
    EXPECT_TRUE(rig.ctx.sent.empty());
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
