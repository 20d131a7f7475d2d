// The Easy tab's debounced level controls: a bar or the BLC grid arms its
// timer, the timer's tick sends the value of that moment.

#include "easy_test_support.h"

namespace easy_test {
namespace {

struct Member {
    const char* bar;
    const char* timer;
    const char* tickSlot;
    int position;
    Bytes payload;
    bool waitsForLink; // false: the frame is handed over at once and dropped while busy
};

const Member kMembers[] = {
    {"AGCBar", "AGCTimer", "AGCTimerTimer", 8, padded({0x21, 0x1A, 0x01, 0x08}), true},
    {"SENSBar", "SENSTimer", "SENSTimerTimer", 3, padded({0x21, 0x1A, 0x02, 0x03}), true},
    {"Rgain", "RTimer", "RTimerTimer", 5, padded({0x21, 0x1B, 0x02, 0x05}), true},
    {"BGain", "BTimer", "BTimerTimer", 2, padded({0x21, 0x1B, 0x03, 0x02}), true},
    {"ATWBar", "ATWBarTimer", "ATWBarTimerTimer", 7, padded({0x21, 0x1B, 0x05, 0x07}), false},
    {"AWBBar", "AWBBarTimer", "AWBBarTimerTimer", 1, padded({0x21, 0x1B, 0x06, 0x01}), false},
    {"HGainBar", "HGainTimer", "HGainTimerTimer", 12, padded({0x21, 0x47, 0x00, 0x0C}), true},
    {"VGainBar", "VGainTimer", "VGainTimerTimer", 11, padded({0x21, 0x47, 0x01, 0x0B}), true},
    {"PeakOnBar", "PeakOnTimer", "PeakOnTimerTimer", 6, padded({0x21, 0x48, 0x00, 0x01, 0x06}),
     true},
    {"ALCAutoBar", "ALCAutoTimer", "ALCAutoTimerTimer", 4,
     padded({0x21, 0x48, 0x01, 0x01, 0x00, 0x04}), true},
    {"ALCFixBar", "ALCFixTimer", "ALCFixTimerTimer", 4,
     padded({0x21, 0x48, 0x01, 0x01, 0x01, 0x04}), true},
    {"AESAutoBar", "AESAutoTimer", "AESAutoTimerTimer", 8,
     padded({0x21, 0x48, 0x02, 0x01, 0x00, 0x08}), true},
    {"BLCSensBar", "BLCSensTimer", "BLCSensTimerTimer", 7, padded({0x21, 0x50, 0x07}), true},
};

TEST(EasyLevel, EachBarSendsItsFrameAtTheTick) {
    for (const auto& m : kMembers) {
        SCOPED_TRACE(m.bar);
        Easy e;
        auto* timer = e.timer(m.timer);
        EXPECT_EQ(timer->interval(), 300);
        e.bar(m.bar)->setValue(m.position);
        EXPECT_TRUE(timer->isActive());
        EXPECT_TRUE(e.ctx.sent.empty());
        e.fire(m.timer, m.tickSlot);
        EXPECT_EQ(e.frames(), std::vector<Bytes>{m.payload});
        EXPECT_FALSE(timer->isActive());
    }
}

TEST(EasyLevel, PositionsSetDuringALoadSendNothing) {
    for (const auto& m : kMembers) {
        SCOPED_TRACE(m.bar);
        Easy e;
        e.ctx.sequenceRunning = true;
        e.bar(m.bar)->setValue(m.position);
        EXPECT_FALSE(e.timer(m.timer)->isActive());
        e.ctx.sequenceRunning = false;
        e.fire(m.timer, m.tickSlot);
        EXPECT_TRUE(e.ctx.sent.empty());
    }
}

TEST(EasyLevel, BusyLinkDelaysOrDropsTheFrame) {
    for (const auto& m : kMembers) {
        SCOPED_TRACE(m.bar);
        Easy e;
        e.ctx.busy = true;
        e.bar(m.bar)->setValue(m.position);
        e.fire(m.timer, m.tickSlot);
        EXPECT_TRUE(e.ctx.sent.empty());
        // Waiting members keep their timer armed; the others have let go.
        EXPECT_EQ(e.timer(m.timer)->isActive(), m.waitsForLink);
        e.ctx.busy = false;
        e.fire(m.timer, m.tickSlot);
        EXPECT_EQ(e.ctx.sent.size(), m.waitsForLink ? 1u : 0u);
        e.fire(m.timer, m.tickSlot);
        EXPECT_EQ(e.ctx.sent.size(), m.waitsForLink ? 1u : 0u);
    }
}

TEST_F(EasyTabTest, DragBeforeTheTickSendsOnlyTheLastPosition) {
    auto* bar = e.bar("AGCBar");
    for (int position = 0; position <= 8; ++position)
        bar->setValue(position);
    e.fire("AGCTimer", "AGCTimerTimer");
    e.fire("AGCTimer", "AGCTimerTimer");
    EXPECT_EQ(e.frames(), std::vector<Bytes>{padded({0x21, 0x1A, 0x01, 0x08})});
}

TEST_F(EasyTabTest, ChangeWhileBusyIsSentOnceAfterwards) {
    e.ctx.busy = true;
    e.bar("AGCBar")->setValue(3);
    e.fire("AGCTimer", "AGCTimerTimer");
    e.bar("AGCBar")->setValue(5);
    e.fire("AGCTimer", "AGCTimerTimer");
    e.ctx.busy = false;
    e.fire("AGCTimer", "AGCTimerTimer");
    e.fire("AGCTimer", "AGCTimerTimer");
    EXPECT_EQ(e.frames(), std::vector<Bytes>{padded({0x21, 0x1A, 0x01, 0x05})});
}

TEST(EasyLevel, AreaGridSendsTheFinalPattern) {
    const struct {
        std::vector<const char*> ticked;
        Bytes payload;
    } cases[] = {
        {{"BLCCheck01", "BLCCheck48"}, padded({0x21, 0x19, 0x01, 0, 0, 0, 0, 0x80})},
        {{"BLCCheck09"}, padded({0x21, 0x19, 0, 0x01, 0, 0, 0, 0})},
        {{"BLCCheck08", "BLCCheck41", "BLCCheck20"},
         padded({0x21, 0x19, 0x80, 0, 0x08, 0, 0, 0x01})},
    };
    for (const auto& c : cases) {
        Easy e;
        for (const char* name : c.ticked)
            e.check(name)->setChecked(true);
        EXPECT_TRUE(e.timer("BLCAreaTimer")->isActive());
        e.fire("BLCAreaTimer", "BLCAreaTimerTimer");
        EXPECT_EQ(e.frames(), std::vector<Bytes>{c.payload});
    }
}

TEST_F(EasyTabTest, AreaClicksWithinOneIntervalBecomeOneFrame) {
    e.check("BLCCheck02")->setChecked(true);
    e.check("BLCCheck03")->setChecked(true);
    e.check("BLCCheck02")->setChecked(false);
    e.fire("BLCAreaTimer", "BLCAreaTimerTimer");
    EXPECT_EQ(e.frames(), std::vector<Bytes>{padded({0x21, 0x19, 0x04, 0, 0, 0, 0, 0})});
}

TEST_F(EasyTabTest, PhaseBarWritesItsPositionIntoPhaseLevel) {
    auto* bar = e.bar("PhaseBar");
    bar->setRange(-256, 512);
    bar->setValue(0x012C);
    EXPECT_TRUE(e.timer("PhaseTimer")->isActive());
    EXPECT_TRUE(e.ctx.sent.empty());
    e.fire("PhaseTimer", "PhaseTimerTimer");
    EXPECT_EQ(e.edit("PhaseLevel")->text(), "012C");
    EXPECT_EQ(e.frames(), std::vector<Bytes>{padded({0x21, 0x1C, 0x01, 0x01, 0x2C})});

    bar->setValue(-16);
    e.fire("PhaseTimer", "PhaseTimerTimer");
    EXPECT_EQ(e.edit("PhaseLevel")->text(), "FFF0");
    EXPECT_EQ(e.last(), padded({0x21, 0x1C, 0x01, 0xFF, 0xF0}));
}

} // namespace
} // namespace easy_test
