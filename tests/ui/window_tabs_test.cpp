// The procedures of the Line, CCD Defect, Adjust and Easy tabs on the real
// window: each runs to its end on the camera's answers to its own frames,
// leaves its controls usable, and what the controls show is what the camera
// holds.

#include "support/window_bench.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace window_bench;

namespace {

// The control's own Enabled state (the page of another tab may be greyed).
bool enabled(Bench& b, const char* name) {
    return !b.find<QWidget>(name)->testAttribute(Qt::WA_ForceDisabled);
}

// Hands the camera's answers over one exchange at a time, `rounds` of them.
void deliverRounds(Bench& b, int rounds) {
    for (int i = 0; i < rounds; ++i)
        b.port->Deliver(1);
}

struct Row {
    const char* name;
    Page page;
    std::function<void(Bench&)> before; // the camera's state before the page is loaded
    std::function<void(Bench&)> act;
    std::function<void(Bench&, std::size_t)> check;
};

const std::vector<Row> kRows = {
    {"IrisAdjustmentEntersAndOpensTheBias", Line, nullptr,
     [](Bench& b) {
         b.invoke(b.find("Panel5"), "IRISAdjustSetClick");
         b.port->Deliver();
     },
     [](Bench& b, std::size_t) {
         EXPECT_TRUE(b.camera.Lens().irisAdjusting);
         for (const char* name : {"BiasNum", "BiasSpinButton", "IRISAdjustExit"})
             EXPECT_TRUE(enabled(b, name)) << name;
         EXPECT_FALSE(enabled(b, "AdjustGo"));
     }},
    {"LensAdjustmentRunsToItsEnd", Line, nullptr,
     [](Bench& b) {
         b.invoke(b.find("Panel5"), "AdjustGoClick");
         b.port->Deliver();
     },
     [](Bench& b, std::size_t from) {
         EXPECT_EQ(framesOf(b, {0x21, 0x45, 0x04, 0x00}, from), 1);
         EXPECT_EQ(framesOf(b, {0x21, 0x45, 0x04, 0x01}, from), camsim::kLensAdjustSteps);
         EXPECT_FALSE(b.camera.Lens().lensAdjusting);
         EXPECT_TRUE(enabled(b, "AdjustGo"));
         EXPECT_TRUE(enabled(b, "IRISAdjustSet"));
     }},
    // A switch key's answer arrives between the loop's own answers.
    {"LensAdjustmentIgnoresASwitchKeyAnswer", Line, nullptr,
     [](Bench& b) {
         b.invoke(b.find("Panel5"), "AdjustGoClick");
         deliverRounds(b, 3);
         b.window->SW_push(0x01);
         b.port->Deliver();
     },
     [](Bench& b, std::size_t from) {
         EXPECT_EQ(framesOf(b, {0x21, 0x32, 0x01}, from), 1);
         EXPECT_EQ(framesOf(b, {0x21, 0x46}, from), camsim::kLensAdjustSteps);
         EXPECT_FALSE(b.camera.Lens().lensAdjusting);
         EXPECT_TRUE(enabled(b, "AdjustGo"));
     }},
    {"ThreePointSearchFindsBAndC", Defect, nullptr,
     [](Bench& b) {
         b.find<QCheckBox>("Auto3Point")->setChecked(true);
         b.invoke(b.find("Panel6"), "kizu_autoClick");
         deliverRounds(b, 1);
         b.window->SW_push(0x02); // the search's answer is not this one's
         b.port->Deliver();
     },
     [](Bench& b, std::size_t from) {
         EXPECT_EQ(framesOf(b, {0x21, 0x36, 0x09}, from), 1);
         EXPECT_EQ(framesOf(b, {0x21, 0x36, 0x0A}, from), 1);
         const auto& points = b.camera.Service().defect.current.points;
         EXPECT_EQ(points[1].x, b.camera.Service().defect.sensor[1].x - 22);
         EXPECT_EQ(points[2].x, b.camera.Service().defect.sensor[2].x - 22);
         EXPECT_TRUE(enabled(b, "kizu_auto"));
         EXPECT_TRUE(enabled(b, "Auto3Point"));
     }},
    {"RawCursorReadBeforeTheDefectLoadSendsNoChoice", Debug, nullptr,
     [](Bench& b) {
         b.find<QLineEdit>("SendBuffer")->setText(QStringLiteral("31 36 09"));
         b.invoke(b.find("Panel2"), "RamSendClick");
         b.port->Deliver();
         b.fireArmedTimers();
     },
     [](Bench& b, std::size_t from) { EXPECT_TRUE(b.writesSince(from).empty()); }},
    {"AdjustLoadShowsTheChromaTheCameraHolds", Adjust,
     [](Bench& b) { b.camera.SetRegister(0x2B, 0x5A3C); }, [](Bench& b) { b.fireArmedTimers(); },
     [](Bench& b, std::size_t from) {
         EXPECT_TRUE(b.writesSince(from).empty());
         EXPECT_EQ(b.find<QLineEdit>("RY_Gain")->text(), QStringLiteral("60"));
         EXPECT_EQ(b.find<QLineEdit>("BY_Gain")->text(), QStringLiteral("90"));
         EXPECT_EQ(b.camera.Register(0x2B), 0x5A3C);
     }},
    {"OnePushBalanceLeavesTheShownLevelInTheCamera", Easy,
     [](Bench& b) {
         b.camera.Easy().wbMode = 1;
         b.camera.Easy().awbLevel = 7;
         b.invoke(b.window.get(), "ReLoadClick");
         b.port->Deliver();
     },
     [](Bench& b) {
         b.invoke(b.find("Panel4"), "AWBClick");
         b.port->Deliver();
         b.fireArmedTimers();
     },
     [](Bench& b, std::size_t) {
         EXPECT_EQ(b.find<QSlider>("AWBBar")->value(), b.camera.Easy().awbLevel);
         for (const char* name : {"AWB", "wb_select", "AWBBar"})
             EXPECT_TRUE(enabled(b, name)) << name;
     }},
    // The camera's PEAK changed behind the tool's back; BLC's confirming
    // read of PEAK reports it.
    {"PartnerReadReportingAChangeGivesTheWrittenGroupBack", Easy, nullptr,
     [](Bench& b) {
         cameraSets(b, {0x21, 0x48, 0x00, 0x00, 0x01});
         b.find<TRadioGroup>("BLC")->setItemIndex(1);
         b.port->Deliver();
     },
     [](Bench& b, std::size_t from) {
         EXPECT_EQ(b.writesSince(from), (std::vector<Bytes>{{0x21, 0x18, 0x00, 0x01}}));
         EXPECT_EQ(b.find<TRadioGroup>("PEAK")->ItemIndex(), 1);
         EXPECT_TRUE(enabled(b, "BLC"));
         EXPECT_TRUE(enabled(b, "PEAK"));
     }},
    // A read of one group of a pair, not caused by a write of its partner.
    {"PartnerReadOutsideAnExchangeLeavesBothUsable", Easy, nullptr,
     [](Bench& b) {
         cameraSets(b, {0x21, 0x48, 0x00, 0x00, 0x01});
         b.show(Debug);
         b.find<QLineEdit>("SendBuffer")->setText(QStringLiteral("31 48 00 00"));
         b.invoke(b.find("Panel2"), "RamSendClick");
         b.port->Deliver();
     },
     [](Bench& b, std::size_t from) {
         EXPECT_TRUE(b.writesSince(from).empty());
         EXPECT_TRUE(enabled(b, "BLC"));
         EXPECT_TRUE(enabled(b, "PEAK"));
     }},
};

class WindowTabs : public ::testing::TestWithParam<Row> {};

TEST_P(WindowTabs, RunToTheEndOnTheirOwnAnswers) {
    const Row& row = GetParam();
    Bench b;
    if (row.before) row.before(b);
    b.show(row.page);
    const std::size_t start = b.commands.size();
    row.act(b);
    EXPECT_EQ(b.overlaps, 0);
    EXPECT_TRUE(b.window->Trans_chk());
    row.check(b, start);
}

INSTANTIATE_TEST_SUITE_P(Window, WindowTabs, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
