// Replies to reads shown on the Easy tab: the status block of the Easy load,
// the white-balance lock word and the single reads.

#include "easy_test_support.h"

#include <QRegularExpression>

#include <functional>

namespace easy_test {
namespace {

TEST_F(EasyTabTest, StatusTitleBlocksAndVideoFormatRegisters) {
    e.status({0x60, 0x00, 0x00, 0x10, 0x00, 0x31, 0x01, 0xFE, 0x00, 0x01, 0x01, 0xFE, 0x40, 0x00});
    e.status({0x60, 0x01, 0x00, 0x02, 0x00, 0x03, 0x01, 0x00, 0x01, 0x20, 0x01, 0x26, 0x00, 0x01});
    EXPECT_EQ(e.edit("CName")->text(), "Ab 1 23:-*          ");
    EXPECT_EQ(e.ctx.registers,
              (std::vector<std::pair<int, std::uint16_t>>{{0x01, 0x4000}, {0x40, 0x0001}}));
    EXPECT_TRUE(e.ctx.sent.empty());
}

TEST_F(EasyTabTest, StatusBlockThreeEndsTheTitleAndReportsBlc) {
    e.button("SetTitle")->setEnabled(false);
    e.status({0x60, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00});
    EXPECT_FALSE(e.enabled("SetTitle"));
    EXPECT_TRUE(e.check("VRev")->isChecked());
    EXPECT_FALSE(e.check("HRev")->isChecked());

    // BLC already "ON" and PEAK waiting for its token.
    e.ctx.busy = true;
    e.radio("BLC")->setItemIndex(1);
    e.ctx.busy = false;
    for (auto* box : e.tab.findChildren<QCheckBox*>(QRegularExpression("^BLCCheck")))
        box->setEnabled(false);
    e.bar("BLCSensBar")->setEnabled(false);
    e.get("PEAK")->setEnabled(false);

    e.status({0x60, 0x03, 0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x01, 0x01});
    EXPECT_TRUE(e.enabled("SetTitle"));
    EXPECT_EQ(e.edit("CName")->text().right(5), "AAAAA");
    EXPECT_EQ(e.combo("Ctitlepos")->currentIndex(), 1);
    EXPECT_TRUE(e.enabled("PEAK"));
    EXPECT_EQ(e.radio("BLC")->ItemIndex(), 1);
    EXPECT_TRUE(e.enabled("BLCSensBar"));
    for (int k = 1; k <= 48; ++k) {
        const QByteArray name =
            QStringLiteral("BLCCheck%1").arg(k, 2, 10, QLatin1Char('0')).toLatin1();
        EXPECT_TRUE(e.enabled(name.constData())) << name.constData();
    }
    EXPECT_TRUE(e.ctx.sent.empty());
}

TEST_F(EasyTabTest, StatusBlockFourAreaAndOnePushWhiteBalance) {
    e.get("AWBBar")->setEnabled(false);
    e.status({0x60, 0x04, 0x01, 0, 0, 0, 0, 0x80, 0x01, 0x03, 0x07, 0x05, 0x06, 0x00});
    EXPECT_TRUE(e.check("BLCCheck01")->isChecked());
    EXPECT_TRUE(e.check("BLCCheck48")->isChecked());
    EXPECT_EQ(e.tab.findChildren<QCheckBox*>(QRegularExpression("^BLCCheck")).size(), 48);
    int ticked = 0;
    for (auto* box : e.tab.findChildren<QCheckBox*>(QRegularExpression("^BLCCheck")))
        ticked += box->isChecked();
    EXPECT_EQ(ticked, 2);
    EXPECT_EQ(e.radio("wb_select")->ItemIndex(), 1);
    EXPECT_TRUE(e.enabled("AWB"));
    EXPECT_FALSE(e.enabled("ATWBar"));
    EXPECT_TRUE(e.enabled("AWBBar"));
    EXPECT_EQ(e.bar("AWBBar")->value(), 7); // the level the camera holds (byte 12)
    EXPECT_EQ(e.bar("ATWBar")->value(), 3);
    EXPECT_EQ(e.bar("Rgain")->value(), 5);
    EXPECT_EQ(e.bar("BGain")->value(), 6);
    // Nothing is sent back during the load, and no timer is armed.
    EXPECT_FALSE(e.timer("BLCAreaTimer")->isActive());
    EXPECT_FALSE(e.timer("AWBBarTimer")->isActive());
    EXPECT_TRUE(e.ctx.sent.empty());
}

TEST_F(EasyTabTest, StatusBlockFivePhaseRangeAndLevels) {
    e.status({0x60, 0x05, 0x00, 0x01, 0x00, 0xFF, 0x00, 0xFF, 0xF0, 0x07, 0x08, 0x02, 0x01, 0x01});
    auto* phase = e.bar("PhaseBar");
    EXPECT_EQ(phase->minimum(), -256);
    EXPECT_EQ(phase->maximum(), 256);
    EXPECT_EQ(phase->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(phase->tickInterval(), 51);
    EXPECT_EQ(phase->pageStep(), 10);
    EXPECT_EQ(phase->value(), -16);
    EXPECT_EQ(e.edit("PhaseLevel")->text(), "FFF0");
    EXPECT_FALSE(e.enabled("PhaseLevel")); // Sync "OFF"
    EXPECT_FALSE(e.enabled("PhaseBar"));
    EXPECT_TRUE(e.enabled("Sync"));
    EXPECT_EQ(e.bar("BLCSensBar")->value(), 7);
    EXPECT_EQ(e.bar("AGCBar")->value(), 8);
    EXPECT_EQ(e.bar("SENSBar")->value(), 2);
    EXPECT_EQ(e.radio("Freeze")->ItemIndex(), 1);
    EXPECT_FALSE(e.enabled("HRev"));
    EXPECT_FALSE(e.enabled("VRev"));
    EXPECT_EQ(e.radio("Initial")->ItemIndex(), 1);
    EXPECT_TRUE(e.ctx.sent.empty());
}

TEST_F(EasyTabTest, StatusBlocksSixEightAndNine) {
    e.status({0x60, 0x06, 0x01, 0x05, 0x01, 0x02, 0x03, 0x00, 0x04, 0x06, 0x09, 0x0A, 0x07, 0x00});
    EXPECT_EQ(e.radio("PEAK")->ItemIndex(), 1);
    EXPECT_TRUE(e.enabled("PeakOnBar"));
    EXPECT_EQ(e.bar("PeakOnBar")->value(), 5);
    EXPECT_EQ(e.radio("ALC")->ItemIndex(), 1);
    EXPECT_FALSE(e.enabled("ALCAutoBar"));
    EXPECT_TRUE(e.enabled("ALCFixBar"));
    EXPECT_EQ(e.bar("ALCFixBar")->value(), 3);
    EXPECT_EQ(e.radio("AES")->ItemIndex(), 0);
    EXPECT_TRUE(e.enabled("AESAutoBar"));
    EXPECT_FALSE(e.enabled("AESFixBox"));
    EXPECT_EQ(e.combo("AESFixBox")->currentIndex(), 6);
    EXPECT_EQ(e.bar("HGainBar")->value(), 9);
    EXPECT_EQ(e.bar("VGainBar")->value(), 10);
    EXPECT_EQ(e.edit("AlarmNo")->text(), "07");

    e.status({0x60, 0x08, 0x00, 0x02, 0x02, 0x05, 0x00, 0x01, 0x01, 0x01});
    EXPECT_EQ(e.radio("Preset")->ItemIndex(), 0);
    EXPECT_FALSE(e.enabled("PresetSet"));
    EXPECT_EQ(e.radio("PushSW")->ItemIndex(), 1);
    EXPECT_FALSE(e.enabled("AlarmNo"));
    EXPECT_FALSE(e.enabled("AlarmSpinButton"));
    EXPECT_EQ(e.radio("Select")->ItemIndex(), 1);
    EXPECT_EQ(e.radio("PosiNega")->ItemIndex(), 1);

    // Mark on at X = 5, Y = 5 within left 5, right 9, top 0, bottom 5.
    e.status({0x60, 0x09, 0x01, 0x05, 0x05, 0x05, 0x09, 0x00, 0x05});
    EXPECT_EQ(e.tab.Mark(), (cam::MarkPosition{5, 5, 5, 9, 0, 5}));
    EXPECT_FALSE(e.enabled("Mark_left"));
    EXPECT_TRUE(e.enabled("Mark_right"));
    EXPECT_TRUE(e.enabled("Mark_up"));
    EXPECT_FALSE(e.enabled("Mark_down"));
    EXPECT_TRUE(e.ctx.sent.empty());
}

TEST(EasyDecode, MarkOffLeavesUsableArrowsDisabled) {
    Easy e;
    e.status({0x60, 0x09, 0x00, 0x05, 0x05, 0x00, 0x09, 0x00, 0x09});
    for (const char* name : {"Mark_left", "Mark_right", "Mark_up", "Mark_down"})
        EXPECT_FALSE(e.enabled(name)) << name;
}

TEST(EasyDecode, WhiteBalanceLockWord) {
    const struct {
        std::uint8_t addrHi, addrLo, wordHi, wordLo;
        bool locked;
    } cases[] = {
        {0x01, 0x51, 0x01, 0x00, true},  {0x01, 0x51, 0xFF, 0xFF, true},
        {0x01, 0x51, 0x00, 0xFF, false}, {0x01, 0x50, 0x01, 0x00, false},
        {0x02, 0x51, 0x01, 0x00, false},
    };
    const char* controls[] = {"wb_select", "AWB", "ATWBar", "AWBBar", "WB"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.addrLo);
        Easy e;
        e.status({0x0C, c.addrHi, c.addrLo, c.wordHi, c.wordLo});
        for (const char* name : controls)
            EXPECT_EQ(e.enabled(name), !c.locked) << name;
        e.tab.EnableWhiteBalance();
        for (const char* name : controls)
            EXPECT_TRUE(e.enabled(name)) << name;
    }
}

struct ReadCase {
    const char* what;
    std::vector<std::uint8_t> reply;
    std::function<void(Easy&)> check;
};

void readInto(Easy& e, const std::vector<std::uint8_t>& reply) {
    e.ctx.tx[1] = cam::kReadClass;
    e.ctx.reply.fill(0);
    e.ctx.reply[0] = cam::STX;
    e.ctx.reply[1] = cam::kAccepted;
    std::copy(reply.begin(), reply.end(), e.ctx.reply.begin() + 2);
    e.ctx.reply[16] = cam::ETX;
    e.tab.DecodeRead();
}

TEST(EasyDecode, SingleReads) {
    const ReadCase cases[] = {
        {"title block",
         {0x10, 0x01, 0x02, 0x00, 0x10, 0x00, 0x11, 0x00, 0x12, 0x01, 0x0F, 0x01, 0x10},
         [](Easy& e) { EXPECT_EQ(e.edit("CName")->text(), "          ABC\uFF61\uFF62     "); }},
        {"title position",
         {0x10, 0x03, 0x01},
         [](Easy& e) { EXPECT_EQ(e.combo("Ctitlepos")->currentIndex(), 1); }},
        {"SENS", {0x1A, 0x02, 0x04}, [](Easy& e) { EXPECT_EQ(e.bar("SENSBar")->value(), 4); }},
        {"ATW mode",
         {0x1B, 0x00, 0x00},
         [](Easy& e) {
             EXPECT_EQ(e.radio("wb_select")->ItemIndex(), 0);
             EXPECT_FALSE(e.enabled("AWB"));
             EXPECT_TRUE(e.enabled("ATWBar"));
             EXPECT_FALSE(e.enabled("AWBBar"));
         }},
        {"Sync on",
         {0x1C, 0x00, 0x01, 0x00, 0x64, 0x00, 0x00},
         [](Easy& e) {
             EXPECT_EQ(e.bar("PhaseBar")->maximum(), 100);
             EXPECT_EQ(e.bar("PhaseBar")->tickInterval(), 10);
             EXPECT_EQ(e.bar("PhaseBar")->pageStep(), 2);
             EXPECT_TRUE(e.enabled("PhaseBar"));
             EXPECT_TRUE(e.enabled("PhaseLevel"));
         }},
        {"HRev", {0x1D, 0x05, 0x02}, [](Easy& e) { EXPECT_TRUE(e.check("HRev")->isChecked()); }},
        {"preset, any sub-code",
         {0x20, 0x07, 0x01},
         [](Easy& e) {
             EXPECT_EQ(e.radio("Preset")->ItemIndex(), 1);
             EXPECT_TRUE(e.enabled("PresetSet"));
         }},
        {"V gain", {0x47, 0x01, 0x03}, [](Easy& e) { EXPECT_EQ(e.bar("VGainBar")->value(), 3); }},
        {"PEAK level",
         {0x48, 0x00, 0x01, 0x05},
         [](Easy& e) { EXPECT_EQ(e.bar("PeakOnBar")->value(), 5); }},
        {"ALC auto level",
         {0x48, 0x01, 0x01, 0x00, 0x06},
         [](Easy& e) {
             EXPECT_EQ(e.bar("ALCAutoBar")->value(), 6);
             EXPECT_EQ(e.bar("ALCFixBar")->value(), 0);
         }},
        {"ALC fix level",
         {0x48, 0x01, 0x01, 0x01, 0x06},
         [](Easy& e) { EXPECT_EQ(e.bar("ALCFixBar")->value(), 6); }},
        {"AES fixed shutter",
         {0x48, 0x02, 0x01, 0x01, 0x05},
         [](Easy& e) { EXPECT_EQ(e.combo("AESFixBox")->currentIndex(), 5); }},
        {"Initial", {0x49, 0x01}, [](Easy& e) { EXPECT_EQ(e.radio("Initial")->ItemIndex(), 1); }},
        {"alarm number", {0x51, 0x09}, [](Easy& e) { EXPECT_EQ(e.edit("AlarmNo")->text(), "09"); }},
        {"push switch",
         {0x52, 0x02, 0x00},
         [](Easy& e) {
             EXPECT_EQ(e.radio("PushSW")->ItemIndex(), 0);
             EXPECT_TRUE(e.enabled("AlarmNo"));
         }},
        {"mark on",
         {0x56, 0x00, 0x01},
         [](Easy& e) {
             EXPECT_EQ(e.radio("Mark")->ItemIndex(), 1);
             EXPECT_TRUE(e.enabled("Mark_up"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Easy e;
        e.ctx.sequenceRunning = true; // no echo while checking what is shown
        readInto(e, c.reply);
        c.check(e);
    }
}

TEST(EasyDecode, ModeOutsideZeroAndOneChangesNoDependent) {
    Easy e;
    e.ctx.sequenceRunning = true;
    e.bar("PeakOnBar")->setEnabled(false);
    e.button("PresetSet")->setEnabled(false);
    e.check("HRev")->setEnabled(false);
    readInto(e, {0x48, 0x00, 0x00, 0x05});
    readInto(e, {0x20, 0x02, 0x05});
    readInto(e, {0x1A, 0x03, 0x05});
    EXPECT_FALSE(e.enabled("PeakOnBar"));
    EXPECT_FALSE(e.enabled("PresetSet"));
    EXPECT_FALSE(e.enabled("HRev"));
    // The push switch enables the alarm number for every value but 1.
    e.get("AlarmNo")->setEnabled(false);
    readInto(e, {0x52, 0x02, 0x05});
    EXPECT_TRUE(e.enabled("AlarmNo"));
}

// The camera's area ticks the boxes; the boxes' handlers do not write it back.
TEST_F(EasyTabTest, AreaReadTicksTheBoxesAndIsNotWrittenBack) {
    e.readReply({0x19, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80});
    EXPECT_TRUE(e.check("BLCCheck01")->isChecked());
    EXPECT_TRUE(e.check("BLCCheck48")->isChecked());
    EXPECT_FALSE(e.check("BLCCheck02")->isChecked());
    EXPECT_FALSE(e.timer("BLCAreaTimer")->isActive());
    e.fire("BLCAreaTimer", "BLCAreaTimerTimer");
    EXPECT_TRUE(e.frames().empty());
}

TEST_F(EasyTabTest, FixedShutterTextReplacesItemOneOnly) {
    auto* box = e.combo("AESFixBox");
    box->setCurrentIndex(1);
    for (const char* text : {"1/120", "1/100", "1/100"}) {
        e.tab.SetFixedShutterText(text);
        ASSERT_EQ(box->count(), 8);
        EXPECT_EQ(box->itemText(0), "OFF");
        EXPECT_EQ(box->itemText(1), text);
        EXPECT_EQ(box->itemText(2), "1/250");
        EXPECT_EQ(box->itemText(7), "1/10000");
        EXPECT_EQ(box->currentIndex(), 1);
    }
    EXPECT_TRUE(e.ctx.sent.empty());
}

TEST_F(EasyTabTest, FixedShutterTextIsNotInsertedIntoAShortenedList) {
    auto* box = e.combo("AESFixBox");
    box->removeItem(7);
    e.tab.SetFixedShutterText("1/120");
    EXPECT_EQ(box->count(), 6);
    EXPECT_EQ(box->findText("1/120"), -1);
}

} // namespace
} // namespace easy_test
