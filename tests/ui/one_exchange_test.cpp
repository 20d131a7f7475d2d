// The real window, link and camera model on an in-memory line: whatever the
// technician does, the camera never has two command frames to answer at
// once, every reply is decoded against the command it answers, and no value
// that a reply put into a control is written back.

#include "support/window_bench.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/radio_group.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace window_bench;

namespace {

struct Scenario {
    const char* name;
    int acks;
    // What the technician does; returns nothing, delivers when it likes.
    std::function<void(Bench&)> act;
    // The class-0x21 frames (payload bytes 1..4) the technician caused.
    std::vector<Bytes> writes;
    std::function<void(Bench&)> check;
};

const std::vector<Scenario> kScenarios = {
    {"EasyGetAfterTheZoomTargetMovedWritesNothingBack",
     1,
     [](Bench& b) {
         cameraSets(b, {0x21, 0x45, 0x00, 0x18, 0x00});
         b.invoke(b.find("Panel4"), "GetZoomCurrentClick");
         b.port->Deliver();
         b.fireArmedTimers();
     },
     {},
     [](Bench& b) { EXPECT_EQ(b.find<QLineEdit>("ZoomStep")->text(), QStringLiteral("1800")); }},
    {"RawWhiteBalanceReadReachesTheAdjustBox",
     1,
     [](Bench& b) {
         cameraSets(b, {0x21, 0x1B, 0x00, 0x01}); // AWB
         b.show(Debug);
         b.find<QLineEdit>("SendBuffer")->setText(QStringLiteral("31 1B 00"));
         b.invoke(b.find("Panel2"), "RamSendClick");
         b.port->Deliver();
         b.fireArmedTimers();
     },
     {},
     [](Bench& b) { EXPECT_FALSE(b.find<QCheckBox>("wb_sel")->isChecked()); }},
    {"RecalledPositionThenATabChange",
     1,
     [](Bench& b) {
         b.find<QCheckBox>("CurrentCheck")->setChecked(true);
         b.find<QLineEdit>("PositionNo")->setText(QStringLiteral("01"));
         b.invoke(b.find("Panel4"), "PosLoadClick");
         b.find<QTabWidget>("PageControl1")->setCurrentIndex(Defect); // before the answer
         b.port->Deliver();
         b.fireArmedTimers();
         b.find<QTabWidget>("PageControl1")->setCurrentIndex(Line);
         b.port->Deliver();
         b.fireArmedTimers();
     },
     {},
     [](Bench& b) {
         EXPECT_EQ(stepsOf(b, 0, 0x53).size(), 1u);
         EXPECT_TRUE(b.window->Trans_chk());
     }},
    {"AWriteFailingDuringALoadEndsItAndLoadWorksAgain",
     1,
     [](Bench& b) {
         auto answer = b.port->answer;
         int frames = 0;
         b.port->answer = [&frames, answer](std::uint8_t port, const Bytes& w) {
             if (w.size() == 19 && ++frames == 2)
                 throw std::runtime_error("入出力エラー ErrorCode = 11");
             return answer(port, w);
         };
         b.show(Line);
         EXPECT_EQ(MessageLog::count(QStringLiteral("入出力エラー ErrorCode = 11")), 1);
         EXPECT_TRUE(b.window->Trans_chk());
         EXPECT_TRUE(b.find<QWidget>("Panel5")->isEnabled());
         b.port->answer = answer;
         b.invoke(b.window.get(), "ReLoadClick");
         b.port->Deliver();
     },
     {},
     [](Bench& b) {
         EXPECT_EQ(stepsOf(b, 0, 0x53).size(), 1u); // only the new load reached its last step
         EXPECT_TRUE(b.window->Trans_chk());
     }},
    {"PointBChosenDuringAnAutomaticSearch",
     1,
     [](Bench& b) {
         b.show(Defect);
         b.find<QCheckBox>("Auto3Point")->setChecked(true);
         b.invoke(b.find("Panel6"), "kizu_autoClick");
         b.find<TRadioGroup>("Kizu")->setItemIndex(1); // before the search is answered
         b.port->Deliver();
         b.fireArmedTimers();
     },
     // The search of A, the search of B and C that A's result starts, then
     // the cursor display for B that the point's reply asks for.
     {{0x21, 0x36, 0x09, 0xEA}, {0x21, 0x36, 0x0A, 0xEA}, {0x21, 0x36, 0x13, 0x00}},
     [](Bench& b) { EXPECT_TRUE(b.find<QWidget>("Kizu")->isEnabled()); }},
    {"ALevelTimerTickingDuringALoad",
     1,
     [](Bench& b) {
         b.find<QSlider>("ATWBar")->setValue(3);  // the camera holds another level
         b.invoke(b.window.get(), "ReLoadClick"); // the load's first step is outstanding
         b.fireArmedTimers();
         b.port->Deliver();
         b.fireArmedTimers();
     },
     {{0x21, 0x1B, 0x05, 0x03}},
     [](Bench& b) {
         // The level went out between two steps and the load ran to its end once.
         const auto& c = b.commands;
         ASSERT_GE(c.size(), 13u);
         EXPECT_EQ(Bytes(c[c.size() - 12].begin(), c[c.size() - 12].begin() + 3),
                   (Bytes{0x31, 0x60, 0x00}));
         EXPECT_EQ(Bytes(c.back().begin(), c.back().begin() + 4), (Bytes{0x31, 0x0C, 0x01, 0x51}));
         EXPECT_EQ(b.find<QSlider>("ATWBar")->value(), 3);
         EXPECT_TRUE(b.window->Trans_chk());
     }},
    {"RawDelayReadIsNotWrittenBack",
     1,
     [](Bench& b) {
         b.show(Debug);
         b.find<QLineEdit>("SendBuffer")->setText(QStringLiteral("31 42"));
         b.invoke(b.find("Panel2"), "RamSendClick");
         b.port->Deliver();
         b.fireArmedTimers();
     },
     {},
     nullptr},
    {"AdjustLoadWritesNothingBack",
     1,
     [](Bench& b) {
         b.show(Adjust);
         b.fireArmedTimers();
     },
     {},
     [](Bench& b) { EXPECT_EQ(stepsOf(b, 0, 0x42).size(), 1u); }},
    {"TabChangeWhileAReplyIsOutstandingLoadsAfterIt",
     1,
     [](Bench& b) {
         b.show(Debug);
         b.find<QLineEdit>("SendBuffer")->setText(QStringLiteral("31 0A 20"));
         b.invoke(b.find("Panel2"), "RamSendClick"); // not delivered yet
         b.find<QTabWidget>("PageControl1")->setCurrentIndex(Line);
         b.port->Deliver();
     },
     {},
     [](Bench& b) {
         EXPECT_EQ(b.commands.back(), (Bytes{0x31, 0x53, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
         EXPECT_EQ(stepsOf(b, 0, 0x53).size(), 1u);
     }},
    {"SaveThenReadWithinTheReplyTimeStillSaves",
     1,
     [](Bench& b) {
         b.show(Defect);
         QObject* tab = b.find("Panel6");
         b.invoke(tab, "Kizu_SaveClick");
         b.invoke(tab, "KizuReadClick"); // before the save is answered
         b.port->Deliver();
     },
     {{0x21, 0x36, 0x02, 0x00}, {0x21, 0x36, 0x15, 0x00}},
     [](Bench& b) { EXPECT_TRUE(b.find<QWidget>("Kizu_Save")->isEnabled()); }},
    {"GreetingAndEnqAnswerConnectAndLoadOnce",
     2,
     [](Bench&) {},
     {},
     [](Bench& b) {
         std::vector<Bytes> easy = stepsOf(b, 0, 0x60);
         ASSERT_EQ(easy.size(), 10u);
         for (std::uint8_t k = 0; k < 10; ++k)
             EXPECT_EQ(easy[k], (Bytes{0x31, 0x60, k}));
         EXPECT_TRUE(b.find<QWidget>("Panel4")->isEnabled());
     }},
};

class OneExchange : public ::testing::TestWithParam<Scenario> {};

TEST_P(OneExchange, NoOverlapNoEchoAndTheRightOutcome) {
    const Scenario& s = GetParam();
    Bench b(s.acks);
    const std::size_t start = b.commands.size();
    s.act(b);
    EXPECT_EQ(b.overlaps, 0);
    EXPECT_EQ(b.writesSince(start), s.writes);
    EXPECT_EQ(b.window->Link().HeldFrames(), 0u);
    if (s.check) s.check(b);
}

INSTANTIATE_TEST_SUITE_P(Window, OneExchange, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

// A reply may report an index a radio group does not have: the choice is
// cleared and nothing is sent, in every group of every tab.
TEST(RadioGroups, AnIndexOutOfRangeSendsNothing) {
    Bench b;
    b.show(Adjust); // the development tabs are unlocked and idle
    b.show(Easy);
    const std::size_t before = b.commands.size();
    const auto groups = b.window->findChildren<TRadioGroup*>();
    ASSERT_GT(groups.size(), 20);
    for (TRadioGroup* group : groups) {
        SCOPED_TRACE(group->objectName().toStdString());
        group->setItemIndex(group->count());
        b.port->Deliver();
        EXPECT_EQ(group->ItemIndex(), -1);
        EXPECT_EQ(b.commands.size(), before);
    }
}

// The focus target is signed: the arrows stop at the bar's negative minimum.
TEST(LensArrows, StopAtASignedMinimum) {
    Bench b;
    auto* field = b.find<QLineEdit>("FocusStep");
    auto* bar = b.find<QSlider>("FocusStepBar");
    bar->setRange(-256, 1024); // as a lens whose near end lies below zero reports it
    const int minimum = bar->minimum();
    const QString lowest = QString::asprintf("%04X", static_cast<unsigned>(minimum) & 0xFFFFu);
    field->setText(lowest);
    b.invoke(b.find("Panel4"), "FocusSpinButtonDownClick");
    EXPECT_EQ(field->text(), lowest);
    b.invoke(b.find("Panel4"), "FocusSpinButtonUpClick");
    EXPECT_EQ(field->text(),
              QString::asprintf("%04X", static_cast<unsigned>(minimum + 1) & 0xFFFFu));
}

// Typed or pasted hexadecimal shows in upper case in every hexadecimal
// field, and the field's handler runs once for it.
TEST(HexFields, TypedDigitsShowInUpperCase) {
    Bench b;
    b.show(Debug);
    const auto fields = b.window->findChildren<THexField*>();
    ASSERT_GT(fields.size(), 8);
    for (THexField* field : fields) {
        SCOPED_TRACE(field->objectName().toStdString());
        if (field->isReadOnly() || !field->isEnabled()) continue; // shown, not typed into
        field->clear();
        field->setFocus();
        for (QChar c : QStringLiteral("abcd").left(field->maxLength())) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_A + (c.unicode() - 'a'), Qt::NoModifier,
                          QString(c));
            QApplication::sendEvent(field, &key);
        }
        EXPECT_EQ(field->text(), QStringLiteral("ABCD").left(field->maxLength()));
        field->clear();
        QApplication::clipboard()->setText(QStringLiteral("fedc").left(field->maxLength()));
        QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QApplication::sendEvent(field, &paste);
        EXPECT_EQ(field->text(), QStringLiteral("FEDC").left(field->maxLength()));
    }
}

// A RAM dump ends when the technician leaves the Debug tab: a later raw RAM
// read on that tab does not pick it up again.
TEST(DebugLoops, EndWhenTheTabIsLeft) {
    Bench b;
    b.show(Debug);
    b.find<QLineEdit>("ramAdr")->setText(QStringLiteral("EE10")); // the dump starts
    b.find<QTabWidget>("PageControl1")->setCurrentIndex(Easy);    // before its first answer
    b.port->Deliver();
    b.show(Debug);
    b.find<QLineEdit>("SendBuffer")->setText(QStringLiteral("31 0D EE 20 01"));
    b.invoke(b.find("Panel2"), "RamSendClick");
    b.port->Deliver();
    EXPECT_EQ(stepsOf(b, 0, 0x0D).size(), 2u); // the dump's first read and the raw one
}
