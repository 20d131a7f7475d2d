// The link's rules seen through the real window: frames sent while another
// exchange is open keep their place and content, and every way an exchange
// ends leaves the tool usable. Judged by what reached the camera model and
// what the window shows.

#include "support/window_bench.h"
#include "ui/widgets/radio_group.h"

#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace window_bench;

namespace {

const QString kGaveUp = QStringLiteral(" Serial Port not connected ");

void type(Bench& b, const char* field, const char* text) {
    b.find<QLineEdit>(field)->setText(QLatin1String(text));
}
void tick(Bench& b, int n) {
    for (int i = 0; i < n; ++i) {
        b.invoke(b.window.get(), "SendTimerTimer");
        b.port->Deliver();
    }
}
void silence(Bench& b, bool silent) {
    camsim::ModelOptions o;
    o.silent = silent;
    b.camera.SetFaults(o);
}
// Easy loads that ran to their last step.
int easyLoads(const Bench& b) {
    return framesOf(b, {0x31, 0x0C, 0x01, 0x51});
}

struct Case {
    const char* name;
    int acks;
    std::function<void(Bench&)> act; // leaves nothing undelivered
    std::function<void(Bench&)> check;
};

const std::vector<Case> kCases = {
    // Two settings whose frames share bytes 1-3 are both written.
    {"TwoEepromWordsTypedWithinOneExchange", 1,
     [](Bench& b) {
         b.show(Debug);
         type(b, "eepadr", "0151"); // its read is outstanding from here on
         type(b, "Eepdata", "1234");
         type(b, "eepadr", "0152");
         type(b, "Eepdata", "5678");
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_EQ(b.camera.Eeprom(0x151), 0x1234);
         EXPECT_EQ(b.camera.Eeprom(0x152), 0x5678);
     }},
    {"TwoRamBytesWrittenWithinOneExchange", 1,
     [](Bench& b) {
         b.show(Debug);
         type(b, "eepadr", "0100"); // a read to keep the exchange open
         for (const auto& [address, data] : {std::pair{"EE21", "5A"}, std::pair{"EE22", "A5"}}) {
             type(b, "ramAdrwr", address);
             type(b, "ram_send_buff", data);
             b.invoke(b.find("Panel2"), "btn_ram_wClick");
         }
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_EQ(b.camera.Ram(0xEE21), 0x5A);
         EXPECT_EQ(b.camera.Ram(0xEE22), 0xA5);
     }},
    {"PeakModeChosenAfterItsLevel", 1,
     [](Bench& b) {
         b.invoke(b.find("Panel4"), "GetZoomCurrentClick"); // an exchange is open
         auto* peak = b.find<TRadioGroup>("PEAK");
         peak->setItemIndex(1 - peak->ItemIndex()); // the mode is held
         auto* bar = b.find<QSlider>("PeakOnBar");
         bar->setValue(bar->value() == 9 ? 8 : 9);
         b.invoke(b.find("Panel4"), "PeakOnTimerTimer"); // the level is held after it
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_EQ(b.camera.Easy().peak, b.find<TRadioGroup>("PEAK")->ItemIndex());
         EXPECT_EQ(framesOf(b, {0x21, 0x48, 0x00, 0x01}), 1);
     }},
    {"ThreePressesOfOneSwitchKey", 1,
     [](Bench& b) {
         for (int i = 0; i < 3; ++i)
             b.window->SW_push(3);
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_EQ(framesOf(b, {0x21, 0x32, 0x03}), 3);
     }},
    // A frame that fails its check while nothing is awaited opens no exchange.
    {"BadFrameWhileIdle", 1,
     [](Bench& b) {
         cam::TxFrame f{};
         f[1] = 0xA0;
         cam::complete_command_frame(f, 2);
         f[0] = cam::STX;
         f[18] ^= 0xFF;
         b.port->Receive({0xFF}); // the byte after the last reply frame
         b.port->Receive(Bytes(f.begin(), f.end()));
         b.port->Deliver();
         b.window->SW_push(4); // at once: no exchange was opened
         b.port->Deliver();
         tick(b, 45);
     },
     [](Bench& b) {
         EXPECT_EQ(framesOf(b, {0x21, 0x32, 0x04}), 1);
         EXPECT_EQ(MessageLog::count(kGaveUp), 0);
         EXPECT_TRUE(b.window->Trans_chk());
     }},
    // The lens adjustment step waits without limit, until the next command.
    {"UnansweredLensStepEndsWithTheNextCommand", 1,
     [](Bench& b) {
         b.show(Debug);
         silence(b, true);
         type(b, "SendBuffer", "21 46");
         b.invoke(b.find("Panel2"), "RamSendClick");
         tick(b, 50);
         silence(b, false);
         b.window->SW_push(5);
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_EQ(b.commands.back()[1], 0x32);
         EXPECT_EQ(MessageLog::count(kGaveUp), 0);
         EXPECT_FALSE(b.window->Link().InFlight());
     }},
    // A load whose step is given up ends, and loads again.
    {"GiveUpDuringALoadEndsItAndItLoadsAgain", 1,
     [](Bench& b) {
         silence(b, true);
         b.invoke(b.window.get(), "ReLoadClick");
         b.window->SW_push(6); // held behind the step
         tick(b, 42);
         EXPECT_TRUE(b.find<QWidget>("Panel4")->isEnabled());
         EXPECT_TRUE(b.window->Trans_chk());
         silence(b, false);
         b.invoke(b.window.get(), "ReLoadClick");
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_EQ(MessageLog::count(kGaveUp), 1);
         EXPECT_EQ(easyLoads(b), 2);
         EXPECT_TRUE(b.window->Trans_chk());
     }},
    // With nothing held, the given-up frame makes way for the next one.
    {"GiveUpWithNothingHeldLeavesTheToolUsable", 1,
     [](Bench& b) {
         silence(b, true);
         b.window->SW_push(7);
         tick(b, 42);
         silence(b, false);
         b.window->SW_push(8);
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_EQ(MessageLog::count(kGaveUp), 1);
         EXPECT_EQ(b.commands.back()[2], 0x08);
         EXPECT_FALSE(b.window->Link().InFlight());
     }},
    {"NineLoadsWhileAReplyIsOutstanding", 1,
     [](Bench& b) {
         for (int i = 0; i < 9; ++i)
             b.invoke(b.window.get(), "ReLoadClick");
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_TRUE(MessageLog::shown().isEmpty());
         EXPECT_EQ(easyLoads(b), 2);
         // The connection's load, the first Load's step in flight, and the
         // last Load's step that replaced the seven before it while they waited.
         EXPECT_EQ(framesOf(b, {0x31, 0x60, 0x00}), 3);
         EXPECT_TRUE(b.find<QWidget>("Panel4")->isEnabled());
     }},
    // Handlers stop asking once the held frames reach their bound: nothing is
    // left half-done (the control a handler disables is enabled again).
    {"HandlersStopAtTheHeldBound", 1,
     [](Bench& b) {
         b.show(Defect);
         for (int i = 0; i < 12; ++i) // the first is outstanding, eight wait
             b.window->SW_push(static_cast<std::uint8_t>(i));
         b.invoke(b.find("Panel6"), "Kizu_SaveClick"); // refused: nothing disabled
         EXPECT_TRUE(b.find<QWidget>("Kizu_Save")->isEnabled());
         b.port->Deliver();
         b.invoke(b.find("Panel6"), "Kizu_SaveClick");
         b.port->Deliver();
     },
     [](Bench& b) {
         EXPECT_TRUE(MessageLog::shown().isEmpty());
         EXPECT_TRUE(b.find<QWidget>("Kizu_Save")->isEnabled());
         EXPECT_EQ(framesOf(b, {0x21, 0x36, 0x02}), 1);
     }},
};

class WindowLink : public ::testing::TestWithParam<Case> {};

TEST_P(WindowLink, EveryFrameReachesTheCameraAndTheToolStaysUsable) {
    const Case& c = GetParam();
    Bench b(c.acks);
    c.act(b);
    EXPECT_EQ(b.overlaps, 0);
    EXPECT_EQ(b.window->Link().HeldFrames(), 0u);
    c.check(b);
}

INSTANTIATE_TEST_SUITE_P(Window, WindowLink, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A camera that greets the opening and answers the ENQ too, the two ACKs
// read apart: the load's first step is not acknowledged by the stale one.
TEST(WindowLinkStart, TwoAcksReadApartLoadOnce) {
    Bench b(0);
    b.port->Receive({cam::ACK, cam::ACK});
    b.port->OnCommReceive(1);
    b.port->Deliver();
    EXPECT_EQ(b.find<QLabel>("Resolution")->text(), QStringLiteral("Hi-Resolution"));
    EXPECT_EQ(easyLoads(b), 1);
    EXPECT_EQ(stepsOf(b, 0, 0x60).size(), 10u);
}

// A reply that fails its check and is not repeated: the re-sent command's
// ACK is not taken for its answer, and the bad bytes are never decoded.
TEST(WindowLinkStart, AReplyThatFailedItsCheckIsNeverDecoded) {
    Bench b(0);
    auto answer = b.port->answer;
    bool corrupted = false;
    b.port->answer = [&](std::uint8_t port, const Bytes& w) {
        if (w.size() == 1 && w[0] == cam::NAK) return Bytes{}; // not repeated
        Bytes out = answer(port, w);
        if (!corrupted && w.size() == 19 && w[2] == 0x60 && w[3] == 0x00) {
            corrupted = true;
            out[1 + 14] = 0x00; // register 0x01 without its high-resolution bit: the CRC fails
        }
        return out;
    };
    b.port->Receive({cam::ACK});
    b.port->Deliver();
    tick(b, 21);
    EXPECT_TRUE(corrupted);
    EXPECT_EQ(b.find<QLabel>("Resolution")->text(), QStringLiteral("Hi-Resolution"));
    EXPECT_EQ(easyLoads(b), 1);
}

} // namespace
