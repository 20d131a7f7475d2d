// The Easy tab's switches, mode groups, buttons, title and mark: the frame
// each sends, the controls it disables until the camera answers, and the
// Trans_chk guard in front of all of it.

#include "easy_test_support.h"

#include <functional>
#include <string>

namespace easy_test {
namespace {

struct SwitchCase {
    const char* what;
    std::function<void(Easy&)> act;
    Bytes payload;
    std::vector<const char*> disabled; // disabled by the handler before sending
};

const SwitchCase kSwitches[] = {
    {"Mark",
     [](Easy& e) { e.radio("Mark")->setItemIndex(1); },
     padded({0x21, 0x56, 0x00, 0x01}),
     {}},
    {"HRev",
     [](Easy& e) { e.check("HRev")->setChecked(true); },
     padded({0x21, 0x1D, 0x05, 0x01}),
     {}},
    {"VRev",
     [](Easy& e) { e.check("VRev")->setChecked(true); },
     padded({0x21, 0x1D, 0x04, 0x01}),
     {}},
    {"RevSet", [](Easy& e) { e.button("RevSet")->click(); }, padded({0x21, 0x1D, 0x06}), {}},
    {"PosiNega",
     [](Easy& e) { e.radio("PosiNega")->setItemIndex(1); },
     padded({0x21, 0x1D, 0x07, 0x01}),
     {}},
    {"Freeze",
     [](Easy& e) { e.radio("Freeze")->setItemIndex(1); },
     padded({0x21, 0x1A, 0x03, 0x01}),
     {}},
    {"Select",
     [](Easy& e) { e.radio("Select")->setItemIndex(0); },
     padded({0x21, 0x1A, 0x04, 0x00}),
     {}},
    {"Initial",
     [](Easy& e) { e.radio("Initial")->setItemIndex(1); },
     padded({0x21, 0x49, 0x01}),
     {"Initial"}},
    {"Preset",
     [](Easy& e) { e.radio("Preset")->setItemIndex(1); },
     padded({0x21, 0x20, 0x02, 0x01}),
     {}},
    {"PresetSet", [](Easy& e) { e.button("PresetSet")->click(); }, padded({0x21, 0x20, 0x00}), {}},
    {"Sync",
     [](Easy& e) { e.radio("Sync")->setItemIndex(1); },
     padded({0x21, 0x1C, 0x00, 0x01}),
     {"Sync"}},
    {"wb_select",
     [](Easy& e) { e.radio("wb_select")->setItemIndex(1); },
     padded({0x21, 0x1B, 0x00, 0x01}),
     {}},
    {"AWB",
     [](Easy& e) { e.button("AWB")->click(); },
     padded({0x21, 0x1B, 0x04}),
     {"AWB", "wb_select", "AWBBar"}},
    {"AESFixBox",
     [](Easy& e) { e.choose("AESFixBox", 7); },
     padded({0x21, 0x48, 0x02, 0x01, 0x01, 0x07}),
     {}},
    {"Ctitlepos", [](Easy& e) { e.choose("Ctitlepos", 1); }, padded({0x21, 0x10, 0x03, 0x01}), {}},
    {"PushSW",
     [](Easy& e) { e.radio("PushSW")->setItemIndex(1); },
     padded({0x21, 0x52, 0x02, 0x01}),
     {}},
    {"AlarmNo", [](Easy& e) { e.edit("AlarmNo")->setText("07"); }, padded({0x21, 0x51, 0x07}), {}},
    {"PhaseLevel",
     [](Easy& e) { e.edit("PhaseLevel")->setText("0120"); },
     padded({0x21, 0x1C, 0x01, 0x01, 0x20}),
     {}},
    {"SetTitle",
     [](Easy& e) {
         e.edit("CName")->setText("Ab 1");
         e.button("SetTitle")->click();
     },
     padded({0x21, 0x10, 0x01, 0x00, 0x00, 0x10, 0x00, 0x31, 0x01, 0xFE, 0x00, 0x01, 0x01, 0xFE}),
     {"SetTitle"}},
};

TEST(EasySwitches, EachSendsItsFrameAndDisablesWhatItMust) {
    for (const auto& c : kSwitches) {
        SCOPED_TRACE(c.what);
        Easy e;
        c.act(e);
        EXPECT_EQ(e.frames(), std::vector<Bytes>{c.payload});
        for (const char* name : c.disabled)
            EXPECT_FALSE(e.enabled(name)) << name;
    }
}

// A running load makes Trans_chk false but lets frames through (the link
// holds them), so only the handler's own guard keeps them off the line.
TEST(EasySwitches, NothingIsSentOrDisabledWhileTheLinkIsBusy) {
    for (const auto& c : kSwitches) {
        for (bool load : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (load ? " during a load" : " on a busy link"));
            Easy e;
            (load ? e.ctx.sequenceRunning : e.ctx.busy) = true;
            c.act(e);
            EXPECT_TRUE(e.ctx.sent.empty());
            for (const char* name : c.disabled)
                EXPECT_TRUE(e.enabled(name)) << name;
        }
    }
}

TEST_F(EasyTabTest, FreezeChosenWhileBusyStaysShown) {
    e.ctx.sequenceRunning = true;
    e.radio("Freeze")->setItemIndex(1);
    EXPECT_TRUE(e.ctx.sent.empty());
    EXPECT_EQ(e.radio("Freeze")->ItemIndex(), 1);
}

struct Pair {
    const char* group;
    const char* partner;
    Bytes write; // group set to item 1
};

const Pair kPairs[] = {
    {"BLC", "PEAK", padded({0x21, 0x18, 0x00, 0x01})},
    {"PEAK", "BLC", padded({0x21, 0x48, 0x00, 0x00, 0x01})},
    {"ALC", "AES", padded({0x21, 0x48, 0x01, 0x00, 0x01})},
    {"AES", "ALC", padded({0x21, 0x48, 0x02, 0x00, 0x01})},
};

TEST(EasySwitches, CoupledGroupWritesOnlyWhileItsPartnerIsEnabled) {
    for (const auto& p : kPairs) {
        SCOPED_TRACE(p.group);
        Easy e;
        e.radio(p.group)->setItemIndex(1);
        EXPECT_EQ(e.frames(), std::vector<Bytes>{p.write});
        EXPECT_FALSE(e.enabled(p.group));
        EXPECT_TRUE(e.enabled(p.partner));
    }
}

TEST(EasySwitches, CoupledGroupWithDisabledPartnerOnlyEnablesIt) {
    for (const auto& p : kPairs) {
        SCOPED_TRACE(p.group);
        Easy e;
        e.get(p.partner)->setEnabled(false);
        e.radio(p.group)->setItemIndex(1);
        EXPECT_TRUE(e.ctx.sent.empty());
        EXPECT_TRUE(e.enabled(p.partner));
        EXPECT_TRUE(e.enabled(p.group));
    }
}

TEST(EasySwitches, MarkArrowsMoveTheStoredPositionWithWrap) {
    const struct {
        std::uint8_t x, y;
        const char* arrow;
        std::uint8_t sentX, sentY;
    } cases[] = {
        {0x00, 0x10, "Mark_leftClick", 0xFF, 0x10}, {0xFF, 0x10, "Mark_rightClick", 0x00, 0x10},
        {0x20, 0x00, "Mark_upClick", 0x20, 0xFF},   {0x20, 0xFF, "Mark_downClick", 0x20, 0x00},
        {0x20, 0x30, "Mark_upClick", 0x20, 0x2F},   {0x20, 0x30, "Mark_rightClick", 0x21, 0x30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arrow);
        Easy e;
        e.readReply({0x56, 0x01, c.x, c.y, 0x00, 0xFF, 0x00, 0xFF});
        e.ctx.sent.clear();
        e.invoke(c.arrow);
        EXPECT_EQ(e.frames(), std::vector<Bytes>{padded({0x21, 0x56, 0x01, c.sentX, c.sentY})});
        // The record waits for the camera's report.
        EXPECT_EQ(e.tab.Mark().x, c.x);
        EXPECT_EQ(e.tab.Mark().y, c.y);
    }
}

TEST_F(EasyTabTest, PhaseLevelSendsOnlyAFullText) {
    auto* level = e.edit("PhaseLevel");
    for (const char* text : {"0", "01", "012"})
        level->setText(text);
    EXPECT_TRUE(e.ctx.sent.empty());
    level->setText("0120");
    level->setText("ZZZZ"); // not hexadecimal: refused, not sent as FF FF
    EXPECT_EQ(e.frames(), (std::vector<Bytes>{padded({0x21, 0x1C, 0x01, 0x01, 0x20})}));
    EXPECT_EQ(MessageLog::shown().size(), 1);
}

TEST(EasySwitches, AlarmSpinButtonsKeepTheNumberWithinLimits) {
    const struct {
        const char* text;
        const char* slot;
        const char* shown;
        bool sends;
    } cases[] = {
        {"07", "AlarmSpinButtonUpClick", "08", true},
        {"07", "AlarmSpinButtonDownClick", "06", true},
        {"00", "AlarmSpinButtonDownClick", "00", false},
        {"64", "AlarmSpinButtonUpClick", "64", false},
        {"7", "AlarmSpinButtonUpClick", "08", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Easy e;
        e.edit("AlarmNo")->setText(c.text);
        e.ctx.sent.clear();
        e.invoke(c.slot);
        EXPECT_EQ(e.edit("AlarmNo")->text(), c.shown);
        EXPECT_EQ(e.ctx.sent.size(), c.sends ? 1u : 0u);
    }
}

TEST_F(EasyTabTest, AlarmNumberThatIsNoIntegerIsReportedAndNotSent) {
    e.edit("AlarmNo")->setText("x1");
    EXPECT_TRUE(e.ctx.sent.empty());
    EXPECT_EQ(MessageLog::count("'x1' は整数ではありません"), 1);
    e.invoke("AlarmSpinButtonUpClick");
    EXPECT_EQ(e.edit("AlarmNo")->text(), "x1");
    EXPECT_EQ(MessageLog::count("'x1' は整数ではありません"), 2);
}

} // namespace
} // namespace easy_test
