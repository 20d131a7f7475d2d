// The lens group: what its handlers send and disable, how the lens replies
// follow a move until the lens has arrived, the rule that enables the group
// and the lens parts of the status block.

#include "easy_lens_support.h"

#include <functional>

namespace easy_test {
namespace {

using Action = std::function<void(Easy&)>;

std::vector<Bytes> one(const Bytes& frame) {
    return frame.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{frame};
}
void type(Easy& e, const char* edit, const QString& text) {
    for (qsizetype n = 1; n <= text.size(); ++n)
        e.edit(edit)->setText(text.left(n));
}
void position(Easy& e, const char* number, const char* slot) {
    e.edit("PositionNo")->setText(number);
    e.invoke(slot);
}
// The modes as a load leaves them when the whole group is usable: Initial
// "ON", Freeze "OFF", the push switch selecting the alarm.
void usable(Easy& e) {
    e.ctx.sequenceRunning = true;
    e.radio("Initial")->setItemIndex(1);
    e.radio("Freeze")->setItemIndex(0);
    e.radio("PushSW")->setItemIndex(0);
    e.ctx.sequenceRunning = false;
}
// Puts a reply with payload bytes 2.. to a frame of class `lastClass` into the
// buffer and hands it on as the main window does with the Easy tab showing.
void deliver(Easy& e, std::uint8_t lastClass, const std::vector<std::uint8_t>& bytes) {
    e.ctx.tx[1] = lastClass;
    e.ctx.SetReply({});
    std::copy(bytes.begin(), bytes.end(), e.ctx.reply.begin() + 2);
    if (lastClass == cam::kReadClass) e.tab.DecodeRead();
    e.tab.Trans_end_easy();
}

// The handlers that move the lens: their frame, and what they disable with
// CurrentCheck ticked, without it, and (nothing) on a busy link.
TEST(EasyLens, MovesSendAndDisableWhatCurrentCheckAsks) {
    const Names zoomMove = {"ZoomStep",        "ZoomSpinButton",  "ZoomStepBar",  "GetZoomCurrent",
                            "FocusStep",       "FocusSpinButton", "FocusStepBar", "ZoomSpeedBar",
                            "FocusSpeedBar",   "DigitalZoom",     "PushSW",       "AlarmNo",
                            "AlarmSpinButton", "CurrentCheck",    "AutoFocus",    "OnePushAF"};
    const auto less = [&zoomMove](std::initializer_list<const char*> drop) {
        Names out = zoomMove;
        for (const char* name : drop)
            out.erase(name);
        return out;
    };
    const Names focusMove = less({"ZoomStep", "ZoomSpinButton", "ZoomStepBar", "GetZoomCurrent"});
    Names loadMove = zoomMove;
    loadMove.insert("PosLoad");
    const struct {
        const char* name;
        Action act;
        Bytes frame;
        Names followed; // with CurrentCheck ticked
        Names single;   // without
    } cases[] = {
        {"zoom typed",
         [](Easy& e) { type(e, "ZoomStep", "1234"); },
         padded({0x21, 0x45, 0x00, 0x12, 0x34}),
         zoomMove,
         {}},
        {"focus typed",
         [](Easy& e) { type(e, "FocusStep", "00C0"); },
         padded({0x21, 0x45, 0x01, 0x00, 0xC0}),
         focusMove,
         {}},
        {"one-push",
         [](Easy& e) { e.invoke("OnePushAFClick"); },
         padded({0x21, 0x45, 0x03}),
         focusMove,
         {}},
        {"get",
         [](Easy& e) { e.invoke("GetZoomCurrentClick"); },
         padded({0x31, 0x45, 0x00}),
         less({"AutoFocus", "OnePushAF"}),
         {"GetZoomCurrent"}},
        {"load",
         [](Easy& e) { position(e, "07", "PosLoadClick"); },
         padded({0x31, 0x52, 0x01, 0x07}),
         loadMove,
         {}},
        {"digital zoom",
         [](Easy& e) { e.radio("DigitalZoom")->setItemIndex(1); },
         padded({0x21, 0x45, 0x06, 0x01}),
         {"DigitalZoom"},
         {"DigitalZoom"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int run = 0; run < 3; ++run) { // followed, single, followed on a busy link
            Easy e;
            e.check("CurrentCheck")->setChecked(run != 1);
            e.ctx.busy = run == 2;
            c.act(e);
            EXPECT_EQ(e.frames(), run == 2 ? std::vector<Bytes>{} : one(c.frame)) << run;
            EXPECT_EQ(disabledLens(e), run == 0   ? c.followed
                                       : run == 1 ? c.single
                                                  : Names{})
                << run;
        }
    }
}

TEST(EasyLens, OtherHandlersSendOnlyWhenAllowed) {
    const struct {
        const char* name;
        Action act;
        Bytes frame; // empty: nothing is sent even on a free link
    } cases[] = {
        {"auto focus", [](Easy& e) { e.check("AutoFocus")->setChecked(true); },
         padded({0x21, 0x45, 0x02, 0x01})},
        {"save", [](Easy& e) { position(e, "12", "PosSaveClick"); },
         padded({0x21, 0x52, 0x01, 0x0C})},
        {"load one digit", [](Easy& e) { position(e, "7", "PosLoadClick"); }, {}},
        {"zoom while disabled",
         [](Easy& e) {
             e.get("ZoomStep")->setEnabled(false);
             type(e, "ZoomStep", "1234");
         },
         {}},
        {"focus while its bar is disabled",
         [](Easy& e) {
             e.get("FocusStepBar")->setEnabled(false);
             type(e, "FocusStep", "00C0");
         },
         {}},
        {"zoom bar feeds the step field",
         [](Easy& e) {
             e.bar("ZoomStepBar")->setValue(0x1234);
             e.fire("ZoomStepTimer", "ZoomStepTimerTimer");
         },
         padded({0x21, 0x45, 0x00, 0x12, 0x34})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool busy : {true, false}) {
            Easy e;
            e.ctx.busy = busy;
            c.act(e);
            EXPECT_EQ(e.frames(), busy ? std::vector<Bytes>{} : one(c.frame));
        }
    }
}

// A load number that is not a number is reported and leaves the group usable.
TEST_F(EasyTabTest, LoadOfANonNumberDisablesNothing) {
    e.check("CurrentCheck")->setChecked(true);
    position(e, "x7", "PosLoadClick");
    EXPECT_TRUE(e.ctx.sent.empty());
    EXPECT_EQ(MessageLog::count("'x7' は整数ではありません"), 1);
    EXPECT_EQ(disabledLens(e), Names{});
}

// Zoom (sub 0) and focus (sub 1) replies after the technician typed a target:
// with CurrentCheck a position that has not arrived shows nothing and is asked
// again; an arrived zoom goes on to the focus; an arrived focus ends the move
// and gives the group back.
TEST(EasyLens, ReplyFollowsTheMoveUntilArrival) {
    const struct {
        bool follow;
        bool linkFree;
        std::vector<std::uint8_t> reply; // code, sub, target, current
        bool shown;
        Bytes next; // empty: nothing sent
    } cases[] = {
        {true, true, {0x45, 0x00, 0x18, 0x00, 0x17, 0xF0}, false, padded({0x31, 0x45, 0x00})},
        {true, true, {0x45, 0x00, 0x18, 0x00, 0x18, 0x00}, true, padded({0x31, 0x45, 0x01})},
        {false, true, {0x45, 0x00, 0x18, 0x00, 0x17, 0xF0}, true, padded({0x31, 0x45, 0x01})},
        {true, false, {0x45, 0x00, 0x18, 0x00, 0x17, 0xF0}, false, {}}, // loop ends silently
        {true, true, {0x45, 0x01, 0x00, 0xC0, 0x00, 0xB0}, false, padded({0x31, 0x45, 0x01})},
        {true, true, {0x45, 0x01, 0x00, 0xC0, 0x00, 0xC0}, true, {}},
        {false, true, {0x45, 0x01, 0x00, 0xC0, 0x00, 0xB0}, true, {}},
    };
    for (const auto& c : cases) {
        const bool zoom = c.reply[1] == 0;
        SCOPED_TRACE(testing::Message() << "follow " << c.follow << " zoom " << zoom << " current "
                                        << int(c.reply[5]));
        Easy e;
        usable(e);
        e.check("CurrentCheck")->setChecked(c.follow);
        e.edit(zoom ? "ZoomStep" : "FocusStep")->setText(zoom ? "1800" : "00C0");
        e.ctx.sent.clear();
        e.ctx.sequenceRunning = !c.linkFree;
        deliver(e, cam::kReadClass, c.reply);
        EXPECT_EQ(e.edit(zoom ? "CurrentZoom" : "CurrentFocus")->text(),
                  c.shown ? QString::asprintf("%02X%02X", c.reply[4], c.reply[5]) : QString());
        EXPECT_EQ(e.frames(), one(c.next));
        if (c.shown && !zoom) {
            EXPECT_EQ(disabledLens(e), Names{});
        }
    }
}

// A followed zoom move against the simulated camera: the zoom and then the
// focus are polled until each has arrived, and the group comes back.
TEST(EasyLens, FollowedMoveAgainstTheCameraEndsWithTheLensArrived) {
    LensRig rig;
    camsim::CameraModel camera;
    usable(rig);
    rig.check("CurrentCheck")->setChecked(true);
    rig.edit("ZoomStep")->setText("1500");
    rig.pump(camera, Page::Easy);

    const auto frames = rig.frames();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ(frames.front(), padded({0x21, 0x45, 0x00, 0x15, 0x00}));
    EXPECT_GE(std::count(frames.begin(), frames.end(), padded({0x31, 0x45, 0x00})), 2);
    EXPECT_EQ(frames.back(), padded({0x31, 0x45, 0x01}));
    EXPECT_EQ(rig.edit("CurrentZoom")->text(), "1500");
    EXPECT_EQ(rig.edit("CurrentFocus")->text(),
              QString::asprintf("%04X", camera.Lens().focusCurrent));
    EXPECT_EQ(disabledLens(rig), Names{});
}

TEST(EasyLens, GroupIsUsableOnlyWithInitialOnAndFreezeOff) {
    const Names all(kLensControls.begin(), kLensControls.end());
    const struct {
        int initial, freeze, pushSw;
        bool autoFocus;
        Names disabled; // every lens control starts disabled
    } cases[] = {
        {1, 0, 0, false, {}},
        {1, 0, 1, false, {"AlarmNo", "AlarmSpinButton"}},
        {1, 0, 0, true, {"FocusStep", "FocusSpinButton", "FocusStepBar", "OnePushAF"}},
        {0, 0, 0, false, all},
        {1, 1, 0, false, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.initial << c.freeze << c.pushSw << c.autoFocus);
        Easy e;
        e.ctx.sequenceRunning = true;
        e.radio("Initial")->setItemIndex(c.initial);
        e.radio("Freeze")->setItemIndex(c.freeze);
        e.radio("PushSW")->setItemIndex(c.pushSw);
        e.check("AutoFocus")->setChecked(c.autoFocus);
        for (const auto& name : kLensControls)
            e.get(name.c_str())->setEnabled(false);
        e.status({0x60, 0x09, 0x00});
        EXPECT_EQ(disabledLens(e), c.disabled);
    }
}

TEST(EasyLens, StatusBlockZoomRangeFocusLimitsAndSettings) {
    const struct {
        std::uint8_t digitalZoom, upper, lower;
        int zoomMax, zoomTick, zoomPage, focusTick;
    } cases[] = {
        {0, 0xF0, 0x40, 6320, 222, 44, 32},
        {1, 0x10, 0x08, 9968, 587, 117, 1},
        {0, 0x12, 0x08, 6320, 222, 44, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.upper));
        Easy e;
        e.status({0x60, 0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05, c.digitalZoom});
        e.status({0x60, 0x07, 0x14, 0x00, 0x13, 0xF0, 0x00, c.upper, 0x00, c.lower, 0x00, 0x0C,
                  0x00, 0x0A});
        auto* zoom = e.bar("ZoomStepBar");
        EXPECT_EQ(zoom->minimum(), 4096);
        EXPECT_EQ(zoom->maximum(), c.zoomMax);
        EXPECT_EQ(zoom->tickPosition(), QSlider::TicksBelow);
        EXPECT_EQ(zoom->tickInterval(), c.zoomTick);
        EXPECT_EQ(zoom->pageStep(), c.zoomPage);
        EXPECT_EQ(zoom->value(), 0x1400);
        EXPECT_EQ(e.edit("CurrentZoom")->text(), "13F0");
        auto* focus = e.bar("FocusStepBar");
        EXPECT_EQ(focus->minimum(), c.lower);
        EXPECT_EQ(focus->maximum(), c.upper);
        EXPECT_EQ(focus->tickPosition(), QSlider::TicksBelow);
        EXPECT_EQ(focus->tickInterval(), c.focusTick);
        EXPECT_EQ(e.edit("FocusStepMax")->text(), QString::asprintf("%04X", c.upper));
        EXPECT_EQ(e.edit("CurrentFocus")->text(), "000A");

        e.status({0x60, 0x08, 0x01, 0x03, 0x04, 0x09, 0x00, 0x00, 0x00, 0x00});
        EXPECT_TRUE(e.check("AutoFocus")->isChecked());
        for (const char* name : {"OnePushAF", "FocusStep", "FocusSpinButton", "FocusStepBar"})
            EXPECT_FALSE(e.enabled(name)) << name;
        EXPECT_EQ(e.bar("ZoomSpeedBar")->value(), 3);
        EXPECT_EQ(e.bar("FocusSpeedBar")->value(), 4);
        EXPECT_EQ(e.edit("PositionNo")->text(), "09");
        EXPECT_TRUE(e.ctx.sent.empty()); // a load never polls
    }
}

TEST_F(EasyTabTest, LensReplyFollowUps) {
    // A recalled position is followed at once while Load waits for it, even
    // with the link not free; otherwise nothing follows.
    e.get("PosLoad")->setEnabled(false);
    e.ctx.sequenceRunning = true;
    deliver(e, cam::kReadClass, {0x52, 0x01, 0x07});
    EXPECT_EQ(e.frames(), one(padded({0x31, 0x45, 0x00})));
    e.get("PosLoad")->setEnabled(true);
    e.ctx.sent.clear();
    deliver(e, cam::kReadClass, {0x52, 0x01, 0x07});
    EXPECT_TRUE(e.ctx.sent.empty());
    e.ctx.sequenceRunning = false;

    // A digital zoom written: the zoom range is read again.
    deliver(e, cam::kWriteClass, {0x45, 0x06, 0x01});
    EXPECT_EQ(e.frames(), one(padded({0x31, 0x45, 0x00})));
    EXPECT_EQ(e.radio("DigitalZoom")->ItemIndex(), -1);

    // A speed write acknowledged moves no bar.
    e.ctx.sent.clear();
    deliver(e, cam::kWriteClass, {0x45, 0x05, 0x04});
    EXPECT_EQ(e.bar("ZoomSpeedBar")->value(), 0);
    EXPECT_TRUE(e.ctx.sent.empty());

    // A zoom read, decoded once: new focus limits clamp the focus bar without
    // making it send, and the focus is read.
    e.ctx.sequenceRunning = true;
    type(e, "ZoomStep", "1400");
    e.bar("FocusStepBar")->setRange(0, 0x100);
    e.bar("FocusStepBar")->setValue(0x80);
    e.ctx.sequenceRunning = false;
    deliver(e, cam::kReadClass, {0x45, 0x00, 0x14, 0x00, 0x14, 0x00, 0x00, 0x60, 0x00, 0x40});
    EXPECT_EQ(e.bar("FocusStepBar")->value(), 0x60);
    EXPECT_FALSE(e.timer("FocusStepTimer")->isActive());
    EXPECT_TRUE(e.enabled("FocusStepBar"));
    EXPECT_EQ(e.frames(), one(padded({0x31, 0x45, 0x01})));
}

TEST(EasyLens, ArrowsStopAtTheirLimits) {
    const struct {
        const char *edit, *slot, *text, *shown;
        std::size_t frames;
    } cases[] = {
        {"ZoomStep", "ZoomSpinButtonUpClick", "18B0", "18B0", 0},
        // Beyond the range the text moves on, but the lens cannot reach it: refused.
        {"ZoomStep", "ZoomSpinButtonDownClick", "2000", "1FFF", 0},
        {"ZoomStep", "ZoomSpinButtonDownClick", "1001", "1000", 1},
        {"PositionNo", "PositionSpinButtonDownClick", "01", "01", 0},
        {"PositionNo", "PositionSpinButtonUpClick", "64", "64", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.slot << " " << c.text);
        Easy e;
        e.ctx.busy = true;
        e.edit(c.edit)->setText(c.text);
        e.ctx.busy = false;
        e.invoke(c.slot);
        EXPECT_EQ(e.edit(c.edit)->text(), c.shown);
        EXPECT_EQ(e.ctx.sent.size(), c.frames);
    }
}

} // namespace
} // namespace easy_test
