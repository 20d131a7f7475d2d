// How the Adjust page shows the camera's answers to its load sequence.

#include "tests/ui/adjust_test_support.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>

#include <map>
#include <string>

namespace {

using State = std::map<QString, QString>;

// Every value control of the page, as text.
State snapshot(TAdjustTab& tab) {
    State state;
    for (auto* edit : tab.findChildren<QLineEdit*>())
        if (!edit->objectName().isEmpty()) state[edit->objectName()] = edit->text();
    for (auto* bar : tab.findChildren<QSlider*>())
        state[bar->objectName()] = QString::number(bar->value());
    for (auto* group : tab.findChildren<TRadioGroup*>())
        state[group->objectName()] = QString::number(group->ItemIndex());
    for (auto* box : tab.findChildren<QCheckBox*>())
        state[box->objectName()] = box->isChecked() ? "1" : "0";
    return state;
}

struct DecodeCase {
    std::string name;
    Bytes reply; // payload bytes 2..
    State changes;
    std::uint8_t lastClass = cam::kReadClass;
    std::uint8_t status = cam::kAccepted;
};

class Decode : public AdjustTabTest, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(Decode, ChangesExactlyTheControlsOfTheReply) {
    const DecodeCase& c = GetParam();
    const State before = snapshot(tab);
    ctx.sequenceRunning = true; // replies of the page's load sequence
    ctx.tx[1] = c.lastClass;
    ctx.reply.fill(0);
    ctx.reply[0] = cam::STX;
    ctx.reply[1] = c.status;
    for (std::size_t k = 0; k < c.reply.size(); ++k)
        ctx.reply[k + 2] = c.reply[k];
    tab.DecodeRead();

    State expected = before;
    for (const auto& [name, value] : c.changes) {
        ASSERT_TRUE(expected.count(name)) << name.toStdString();
        expected[name] = value;
    }
    EXPECT_EQ(snapshot(tab), expected);
    EXPECT_TRUE(ctx.sent.empty()); // nothing goes back during a load
}

INSTANTIATE_TEST_SUITE_P(
    AdjustTab, Decode,
    ::testing::Values(
        DecodeCase{"Delays",
                   {0x42, 0x12, 0x34},
                   {{"rg_width", "1"}, {"shd_delay", "2"}, {"shp_delay", "3"}, {"rg_delay", "4"}}},
        DecodeCase{"DelaysHigh",
                   {0x42, 0xAC, 0x5F},
                   {{"rg_width", "A"}, {"shd_delay", "C"}, {"shp_delay", "5"}, {"rg_delay", "F"}}},
        DecodeCase{"LensOffset", {0x43, 0x0A}, {{"pwm_ref", "0A"}}},
        DecodeCase{"ShutterNoUse", {0x37, 0x00, 0x01}, {{"shut_disp_sel", "1"}}},
        DecodeCase{"ExtSyncUse", {0x37, 0x01, 0x00}, {{"sync_disp_sel", "0"}}},
        DecodeCase{"OtherUseSwitch", {0x37, 0x02, 0x01}, {}},
        DecodeCase{"WhiteBalanceAtw", {0x1B, 0x00, 0x00}, {{"wb_sel", "1"}}},
        DecodeCase{"WhiteBalanceAwb", {0x1B, 0x00, 0x01}, {}},
        DecodeCase{"WhiteBalanceOtherSub", {0x1B, 0x05, 0x00}, {}},
        DecodeCase{"StatusBlockAtw", {0x60, 0x04, 0, 0, 0, 0, 0, 0, 0x00, 0x03}, {{"wb_sel", "1"}}},
        DecodeCase{"StatusBlockOtherSub", {0x60, 0x05, 0, 0, 0, 0, 0, 0, 0x00}, {}},
        DecodeCase{"ChromaRegister",
                   {0x0A, 0x2B, 0x80, 0x40},
                   {{"BY_Gain", "128"}, {"CromaBY", "128"}, {"CromaRY", "64"}, {"RY_Gain", "64"}}},
        DecodeCase{"ChromaRegisterUnstored",
                   {0x0B, 0x2B, 0x01, 0xFF},
                   {{"BY_Gain", "1"}, {"CromaBY", "1"}, {"CromaRY", "255"}, {"RY_Gain", "255"}}},
        DecodeCase{"HueRegisterLeavesTheBar", {0x0A, 0x2C, 0x01, 0x23}, {}},
        DecodeCase{"OtherRegister", {0x0A, 0x2A, 0x80, 0x40}, {}},
        DecodeCase{"AnswerToAWrite", {0x42, 0x12, 0x34}, {}, cam::kWriteClass},
        DecodeCase{"Refused", {0x43, 0x0A}, {}, cam::kReadClass, 0xA1}),
    [](const auto& info) { return info.param.name; });

TEST_F(AdjustTabTest, AtwBoxIsClearedByAnAwbReport) {
    offline([&] { get<QCheckBox>("wb_sel")->setChecked(true); });
    ctx.sequenceRunning = true;
    ctx.tx[1] = cam::kReadClass;
    ctx.SetReply({0x1B, 0x00, 0x01});
    tab.DecodeRead();
    EXPECT_FALSE(get<QCheckBox>("wb_sel")->isChecked());
}

// A chroma register read during a load moves the bars, shows the gains in
// the boxes and is not written back.
TEST_F(AdjustTabTest, ChromaLoadedDuringALoadIsNotWrittenBack) {
    ctx.sequenceRunning = true;
    ctx.tx[1] = cam::kReadClass;
    ctx.SetReply({0x0A, 0x2B, 0x80, 0x40});
    tab.DecodeRead();
    EXPECT_FALSE(timer("Timercrm")->isActive());
    EXPECT_EQ(get<QLineEdit>("RY_Gain")->text(), "64");
    EXPECT_EQ(get<QLineEdit>("BY_Gain")->text(), "128");
    ctx.sequenceRunning = false;
    invoke("TimercrmTimer");
    EXPECT_TRUE(ctx.sent.empty());
}

TEST_F(AdjustTabTest, PageHasTheControlsTheWindowAndTheTechnicianRelyOn) {
    EXPECT_EQ(tab.objectName(), "Panel3");
    EXPECT_TRUE(get<QWidget>("CanAdjust")->isHidden());
    EXPECT_FALSE(get<QWidget>("SaveAdjust")->isHidden());
    for (const char* box : {"RY_Gain", "BY_Gain", "RYP_DATA", "BYP_DATA", "RYN_DATA", "BYN_DATA"})
        EXPECT_FALSE(get<QWidget>(box)->isEnabled()) << box;
    struct Range {
        const char* bar;
        int min, max, tick;
    };
    for (const Range& r :
         {Range{"CromaRY", 0, 255, 8}, Range{"CromaBY", 0, 255, 8}, Range{"RYP", -255, 255, 16},
          Range{"BYP", -255, 255, 16}, Range{"RYN", -255, 255, 16}, Range{"BYN", -255, 255, 16}}) {
        auto* bar = get<QSlider>(r.bar);
        EXPECT_EQ(bar->minimum(), r.min) << r.bar;
        EXPECT_EQ(bar->maximum(), r.max) << r.bar;
        EXPECT_EQ(bar->tickInterval(), r.tick) << r.bar;
    }
    // The page fits the tab sheet it is made for.
    EXPECT_LE(tab.minimumSizeHint().width(), 730);
    EXPECT_LE(tab.minimumSizeHint().height(), 480);
}

} // namespace
