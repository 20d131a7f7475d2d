// Acknowledgements on the Easy tab: error replies, the confirming reads of
// the coupled pairs, the one-push white-balance poll, the title transfer and
// the controls that follow the camera's answers.

#include "easy_test_support.h"

#include "transactions/title_codec.h"

namespace easy_test {
namespace {

// The camera's acknowledgement of the frame last sent: code and sub-code
// repeated, the rest as the test gives it.
void ack(Easy& e, std::initializer_list<std::uint8_t> bytes) {
    e.ctx.tx[1] = cam::kWriteClass;
    e.deliver(bytes);
}

// The camera's answer to the frame last sent, which must be a read.
void answer(Easy& e, std::initializer_list<std::uint8_t> bytes) {
    ASSERT_EQ(e.ctx.tx[1], cam::kReadClass);
    e.deliver(bytes);
}

TEST_F(EasyTabTest, RejectedReplyShowsErrorOncePerReply) {
    e.radio("BLC")->setItemIndex(1);
    e.ctx.sent.clear();
    e.deliver({0x18, 0x00, 0x01}, 0x15);
    ASSERT_EQ(MessageLog::shown().size(), 1);
    EXPECT_EQ(MessageLog::shown().front().text, " Error ");
    EXPECT_EQ(MessageLog::shown().front().caption, "ERR");
    EXPECT_EQ(MessageLog::shown().front().buttons, TButtons::AbortRetryIgnore);
    EXPECT_TRUE(e.ctx.sent.empty()); // no confirming read
    e.deliver({0x18, 0x00, 0x01}, 0x15);
    EXPECT_EQ(MessageLog::count(" Error "), 2);
}

TEST_F(EasyTabTest, BlcWriteIsConfirmedByReadingPeak) {
    auto* blc = e.radio("BLC");
    e.radio("PEAK")->setItemIndex(0); // PEAK shows "OFF"; its write is acknowledged below
    ack(e, {0x48, 0x00, 0x00});
    answer(e, {0x18, 0x00, 0x00}); // BLC reported "OFF": its click gives PEAK the token
    ASSERT_TRUE(e.enabled("PEAK"));
    e.ctx.sent.clear();

    blc->setItemIndex(1);
    EXPECT_FALSE(e.enabled("BLC"));
    EXPECT_EQ(e.frames(), std::vector<Bytes>{padded({0x21, 0x18, 0x00, 0x01})});

    ack(e, {0x18, 0x00, 0x01});
    EXPECT_TRUE(e.enabled("BLCSensBar")); // BLC dependents follow the write
    EXPECT_TRUE(e.enabled("BLCCheck17"));
    EXPECT_EQ(e.last(), padded({0x31, 0x48, 0x00, 0x00}));
    EXPECT_FALSE(e.enabled("BLC"));

    answer(e, {0x48, 0x00, 0x00, 0x00}); // PEAK still "OFF"
    EXPECT_TRUE(e.enabled("BLC"));
    EXPECT_EQ(e.ctx.sent.size(), 2u);
}

TEST_F(EasyTabTest, PartnerReportedChangedTakesTheNewValueAndEnablesTheWriter) {
    e.radio("ALC")->setItemIndex(1);
    ack(e, {0x48, 0x01, 0x00, 0x01});
    EXPECT_EQ(e.last(), padded({0x31, 0x48, 0x02, 0x00}));
    answer(e, {0x48, 0x02, 0x00, 0x01}); // the camera moved AES to "FIX"
    EXPECT_EQ(e.radio("AES")->ItemIndex(), 1);
    EXPECT_TRUE(e.enabled("ALC"));
    EXPECT_TRUE(e.enabled("AESFixBox"));
    EXPECT_FALSE(e.enabled("AESAutoBar"));
    EXPECT_EQ(e.ctx.sent.size(), 2u); // AES's click only gave the token back
}

TEST(EasyAcks, ConfirmingReadOnlyWhileTheWrittenGroupIsDisabled) {
    const struct {
        const char* group;
        std::vector<std::uint8_t> ack;
        Bytes read;
    } cases[] = {
        {"BLC", {0x18, 0x00, 0x01}, padded({0x31, 0x48, 0x00, 0x00})},
        {"PEAK", {0x48, 0x00, 0x00, 0x01}, padded({0x31, 0x18, 0x00})},
        {"ALC", {0x48, 0x01, 0x00, 0x01}, padded({0x31, 0x48, 0x02, 0x00})},
        {"AES", {0x48, 0x02, 0x00, 0x01}, padded({0x31, 0x48, 0x01, 0x00})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.group);
        for (bool disabled : {true, false}) {
            Easy e;
            e.get(c.group)->setEnabled(!disabled);
            e.ctx.tx[1] = cam::kWriteClass;
            e.ctx.SetReply({});
            std::copy(c.ack.begin(), c.ack.end(), e.ctx.reply.begin() + 2);
            e.tab.Trans_end_easy();
            EXPECT_EQ(e.frames(), disabled ? std::vector<Bytes>{c.read} : std::vector<Bytes>{});
        }
    }
}

TEST_F(EasyTabTest, TitleTravelsInFourBlocks) {
    e.edit("CName")->setText("ABCDEFGHIJKLMNOP");
    e.invoke("SetTitleClick");
    EXPECT_FALSE(e.enabled("SetTitle"));
    for (unsigned block = 0; block < 4; ++block) {
        ASSERT_EQ(e.ctx.sent.size(), block + 1);
        const auto& frame = e.ctx.sent.back();
        EXPECT_EQ(frame[4], block);
        // The camera acknowledges with the codes it took.
        ack(e, {0x10, 0x01, static_cast<std::uint8_t>(block), frame[5], frame[6], frame[7],
                frame[8], frame[9], frame[10], frame[11], frame[12], frame[13], frame[14]});
        EXPECT_EQ(e.enabled("SetTitle"), block == 3);
    }
    ASSERT_EQ(e.ctx.sent.size(), 4u);
    EXPECT_EQ(e.frames()[1], padded({0x21, 0x10, 0x01, 0x01, 0x00, 0x15, 0x00, 0x16, 0x00, 0x17,
                                     0x00, 0x18, 0x00, 0x19}));
    // Block 3 holds position 16 and four blanks.
    EXPECT_EQ(e.frames()[3], padded({0x21, 0x10, 0x01, 0x03, 0x00, 0x1F, 0x01, 0xFE, 0x01, 0xFE,
                                     0x01, 0xFE, 0x01, 0xFE}));
    EXPECT_EQ(e.edit("CName")->text(), "ABCDEFGHIJKLMNOP    ");
}

TEST_F(EasyTabTest, TitleBlockShowsWhatTheCameraTook) {
    e.edit("CName")->setText("Ab#1");
    e.invoke("SetTitleClick");
    ack(e, {0x10, 0x01, 0x00, 0x00, 0x10, 0x00, 0x31, 0x01, 0xFE, 0x00, 0x01, 0x01, 0xFE});
    EXPECT_EQ(e.edit("CName")->text(), "Ab 1                ");
}

TEST(EasyAcks, TitleTransferEndsAfterBlockThree) {
    const struct {
        std::uint8_t sent;  // block number of the last title frame
        std::uint8_t reply; // block number in the acknowledgement
        int next;           // block sent next, -1 for none
    } cases[] = {
        {0, 0, 1},  {2, 2, 3}, {3, 3, -1}, {3, 1, -1}, // the transfer ends on what was sent last
        {0, 3, -1},                                    // there is no block after 3
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.sent) << "/" << int(c.reply));
        Easy e;
        e.button("SetTitle")->setEnabled(false);
        e.ctx.tx[4] = c.sent;
        ack(e, {0x10, 0x01, c.reply, 0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x00, 0x10});
        if (c.next < 0) {
            EXPECT_TRUE(e.ctx.sent.empty());
        } else {
            ASSERT_EQ(e.ctx.sent.size(), 1u);
            EXPECT_EQ(e.ctx.sent[0][4], c.next);
        }
        EXPECT_EQ(e.enabled("SetTitle"), c.reply == 3);
    }
}

TEST_F(EasyTabTest, TitleTransferStopsWhileTheLinkIsBusy) {
    e.edit("CName")->setText("ABCDEFGHIJ");
    e.invoke("SetTitleClick");
    e.ctx.sequenceRunning = true; // a load started meanwhile: its frames would be recorded
    ack(e, {0x10, 0x01, 0x00, 0x00, 0x10, 0x00, 0x11, 0x00, 0x12, 0x00, 0x13, 0x00, 0x14});
    EXPECT_EQ(e.ctx.sent.size(), 1u);
    EXPECT_FALSE(e.enabled("SetTitle"));
}

TEST_F(EasyTabTest, OnePushWhiteBalanceIsPolledUntilDone) {
    e.status({0x60, 0x04, 0, 0, 0, 0, 0, 0, 0x01, 0, 0x02, 0, 0, 0x01}); // AWB mode, running
    e.invoke("AWBClick");
    ASSERT_EQ(e.frames(), std::vector<Bytes>{padded({0x21, 0x1B, 0x04})});
    ack(e, {0x1B, 0x04});
    EXPECT_EQ(e.last(), padded({0x31, 0x1B, 0x04}));
    answer(e, {0x1B, 0x04, 0x01}); // still running
    EXPECT_EQ(e.ctx.sent.size(), 3u);
    EXPECT_EQ(e.last(), padded({0x31, 0x1B, 0x04}));
    EXPECT_FALSE(e.enabled("AWB"));
    answer(e, {0x1B, 0x04, 0x00}); // done
    EXPECT_TRUE(e.enabled("AWB"));
    EXPECT_TRUE(e.enabled("wb_select"));
    EXPECT_TRUE(e.enabled("AWBBar"));
    EXPECT_EQ(e.bar("AWBBar")->value(), 4);
    // The camera is told the level the bar now shows.
    EXPECT_EQ(e.ctx.sent.size(), 4u);
    EXPECT_EQ(e.last(), padded({0x21, 0x1B, 0x06, 0x04}));
}

TEST_F(EasyTabTest, SyncWriteIsReadBack) {
    e.radio("Sync")->setItemIndex(1);
    ack(e, {0x1C, 0x00});
    EXPECT_EQ(e.last(), padded({0x31, 0x1C, 0x00}));
    answer(e, {0x1C, 0x00, 0x01, 0x01, 0x00, 0xFF, 0x00});
    EXPECT_TRUE(e.enabled("Sync"));
    EXPECT_TRUE(e.enabled("PhaseBar"));
    EXPECT_EQ(e.ctx.sent.size(), 2u);
}

struct AckCase {
    const char* what;
    std::vector<std::uint8_t> ack;
    std::vector<const char*> enabled;
    std::vector<const char*> disabled;
};

TEST(EasyAcks, ControlsFollowTheAcknowledgement) {
    const AckCase cases[] = {
        {"freeze on", {0x1A, 0x03, 0x01}, {}, {"HRev", "VRev"}},
        {"freeze off", {0x1A, 0x03, 0x00}, {"HRev", "VRev"}, {}},
        {"ATW mode", {0x1B, 0x00, 0x00}, {"ATWBar"}, {"AWB", "AWBBar"}},
        {"AWB mode", {0x1B, 0x00, 0x01}, {"AWB"}, {"ATWBar"}},
        {"preset off", {0x20, 0x02, 0x00}, {}, {"PresetSet"}},
        {"preset on", {0x20, 0x02, 0x01}, {"PresetSet"}, {}},
        {"initial", {0x49, 0x01}, {"Initial"}, {}},
        {"push switch freeze", {0x52, 0x02, 0x01}, {}, {"AlarmNo", "AlarmSpinButton"}},
        {"push switch alarm", {0x52, 0x02, 0x00}, {"AlarmNo", "AlarmSpinButton"}, {}},
        {"mark off", {0x56, 0x00, 0x00}, {}, {"Mark_up", "Mark_down", "Mark_left", "Mark_right"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Easy e;
        // Start from the opposite state.
        for (const char* name : c.enabled)
            e.get(name)->setEnabled(false);
        for (const char* name : c.disabled)
            e.get(name)->setEnabled(true);
        e.ctx.tx[1] = cam::kWriteClass;
        e.ctx.SetReply({});
        std::copy(c.ack.begin(), c.ack.end(), e.ctx.reply.begin() + 2);
        e.tab.Trans_end_easy();
        for (const char* name : c.enabled)
            EXPECT_TRUE(e.enabled(name)) << name;
        for (const char* name : c.disabled)
            EXPECT_FALSE(e.enabled(name)) << name;
        EXPECT_TRUE(e.ctx.sent.empty());
    }
}

TEST_F(EasyTabTest, MarkAcknowledgementsApplyTheLimits) {
    e.status({0x60, 0x09, 0x01, 0x05, 0x05, 0x00, 0x09, 0x00, 0x09});
    ack(e, {0x56, 0x01, 0x09, 0x00}); // moved to the right and top limits
    EXPECT_EQ(e.tab.Mark().x, 9);
    EXPECT_EQ(e.tab.Mark().y, 0);
    EXPECT_FALSE(e.enabled("Mark_right"));
    EXPECT_FALSE(e.enabled("Mark_up"));
    EXPECT_TRUE(e.enabled("Mark_left"));
    EXPECT_TRUE(e.enabled("Mark_down"));
    ack(e, {0x56, 0x00, 0x01}); // mark on again: usable buttons only
    EXPECT_FALSE(e.enabled("Mark_right"));
    EXPECT_TRUE(e.enabled("Mark_left"));
}

} // namespace
} // namespace easy_test
