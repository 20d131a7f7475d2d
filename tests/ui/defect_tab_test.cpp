// The CCD Defect tab: the frames of its handlers and their guard, the
// decoding of the camera's answers with the cursor scaled by the video
// format, and the dialogues of measurement, automatic search, save and cancel.
// Set CAM_DEFECT_SCREENSHOT to a file name to keep a picture of the tab.

#include "tests/support/fake_context.h"
#include "ui/common/message.h"
#include "ui/defect/defect_host.h"
#include "ui/defect/defect_tab.h"
#include "ui/widgets/radio_group.h"

#include <QApplication>
#include <QCheckBox>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;

Bytes padded(std::initializer_list<std::uint8_t> head) {
    Bytes out(head);
    out.resize(cam::kPayloadSize, 0);
    return out;
}

struct FakeDefectHost : TDefectHost {
    int hRange = 800; // Hi-Resolution PAL
    int vRange = 312;
    bool ntsc = false;
    int HorizontalRange() const override { return hRange; }
    int VerticalRange() const override { return vRange; }
    bool Ntsc() const override { return ntsc; }
    void ShowParameterWindow() override {}
};

struct Defect {
    FakeContext ctx;
    FakeDefectHost host;
    TDefectTab tab{ctx, host};

    Defect() { MessageLog::clear(); }

    template <class T = QWidget> T* get(const char* name) {
        auto* w = tab.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    TRadioGroup* radio(const char* name) { return get<TRadioGroup>(name); }
    QCheckBox* check(const char* name) { return get<QCheckBox>(name); }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
    QString text(const char* name) { return edit(name)->text(); }
    bool enabled(const char* name) { return get(name)->isEnabled(); }
    void invoke(const char* slot) { ASSERT_TRUE(QMetaObject::invokeMethod(&tab, slot)) << slot; }

    // Selects a point the way a load does, without the read it starts.
    void select(int point) {
        const bool was = ctx.sequenceRunning;
        ctx.sequenceRunning = true;
        radio("Kizu")->setItemIndex(point);
        ctx.sequenceRunning = was;
        ctx.sent.clear();
    }
    // A reply as the main window hands it on: the common decoder for accepted
    // answers to reads, then the tab's acknowledgement decoder.
    void deliver(std::initializer_list<std::uint8_t> bytes, std::uint8_t status = cam::kAccepted) {
        ctx.SetReply(bytes, status);
        if (ctx.reply[1] == cam::kAccepted && ctx.LastClass() == cam::kReadClass) tab.DecodeRead();
        tab.Trans_end_kizu();
    }
    void read(std::initializer_list<std::uint8_t> bytes) {
        ctx.tx[1] = cam::kReadClass;
        deliver(bytes);
    }
    void ack(std::initializer_list<std::uint8_t> bytes) {
        ctx.tx[1] = cam::kWriteClass;
        deliver(bytes);
    }
    void load(std::initializer_list<std::uint8_t> bytes) {
        ctx.sequenceRunning = true;
        read(bytes);
        ctx.sequenceRunning = false;
    }
    Frames frames() const {
        Frames out;
        for (std::size_t k = 0; k < ctx.sent.size(); ++k)
            out.push_back(ctx.Payload(k, static_cast<int>(cam::kPayloadSize)));
        return out;
    }
    Bytes last() const { return ctx.sent.empty() ? Bytes{} : frames().back(); }
};

// The measurement of a defect: even (0100, 0050, 0200), odd (0100, y2, p2).
void measure(Defect& d, std::uint8_t y2hi, std::uint8_t y2lo, std::uint8_t p2lo) {
    d.read({0x36, 0x02, 0x01, 0x00, 0x00, 0x50, 0x02, 0x00, 0x01, 0x00, y2hi, y2lo, 0x02, p2lo});
}

TEST(DefectTab, HandlersSendTheirFrameOnlyWhileNoLoadRuns) {
    const auto position = [](int point, const char* x, const char* y) {
        return [=](Defect& d) {
            d.select(point);
            d.edit("kizu_ay")->setText(y); // X still empty: nothing yet
            d.edit("kizu_ax")->setText(x);
        };
    };
    const auto pick = [](int point, const char* group) {
        return [=](Defect& d) {
            d.select(point);
            d.radio(group)->setItemIndex(1);
        };
    };
    const auto slot = [](const char* name) { return [=](Defect& d) { d.invoke(name); }; };
    const struct {
        const char* name;
        std::function<void(Defect&)> act;
        Bytes payload;
    } cases[] = {
        {"B", position(1, "0123", "0045"), padded({0x21, 0x36, 0x12, 0, 0x01, 0x23, 0, 0x45})},
        {"A", position(0, "03fe", "01FF"), padded({0x21, 0x36, 0x01, 2, 0x03, 0xFE, 1, 0xFF})},
        {"Defect A", pick(0, "Defect"), padded({0x21, 0x36, 0x07, 0x01})},
        {"Defect C", pick(2, "Defect"), padded({0x21, 0x36, 0x14, 0x01})},
        {"cursor A", pick(0, "kizu_sel"), padded({0x21, 0x36, 0x01, 0x01})},
        {"cursor C", pick(2, "kizu_sel"), padded({0x21, 0x36, 0x13, 0x01, 0x01})},
        {"KF Change", pick(0, "VRevKFChange"), padded({0x21, 0x36, 0x04, 0x01})},
        {"KF OFF", pick(0, "SensUpKFOFF"), padded({0x21, 0x36, 0x0B, 0x01})},
        {"Adjust Set", pick(0, "AdjustSet"), padded({0x21, 0x36, 0x05, 0x01})},
        {"KF_FIX", [](Defect& d) { d.check("KFFX")->setChecked(true); },
         padded({0x21, 0x36, 0x10, 0x01})},
        {"VRev", [](Defect& d) { d.check("VRevKF")->setChecked(true); },
         padded({0x21, 0x1D, 0x04, 0x01})},
        {"Sens",
         [](Defect& d) {
             d.get<QSlider>("SensKFBar")->setValue(5);
             d.invoke("SensKFTimerTimer");
         },
         padded({0x21, 0x36, 0x06, 0x05})},
        {"point B", [](Defect& d) { d.radio("Kizu")->setItemIndex(1); },
         padded({0x31, 0x36, 0x01})},
        {"Kizu Read", slot("KizuReadClick"), padded({0x31, 0x36, 0x02})},
        {"Auto PAL", slot("kizu_autoClick"), padded({0x21, 0x36, 0x09, 0xEA, 0x02, 0x05})},
        {"Auto NTSC",
         [](Defect& d) {
             d.host.ntsc = true;
             d.invoke("kizu_autoClick");
         },
         padded({0x21, 0x36, 0x09, 0xEA, 0xFE, 0x05})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool loading : {false, true}) {
            Defect d;
            d.ctx.sequenceRunning = loading;
            c.act(d);
            EXPECT_EQ(d.frames(), loading ? Frames{} : Frames{c.payload});
        }
    }
}

TEST(DefectTab, ArrowsStepWithinTheSensor) {
    const struct {
        const char* slot;
        const char* field;
        const char* from;
        int step;
        const char* to;
    } cases[] = {
        // Within the sensor each arrow moves by the step ...
        {"kizu_rightClick", "kizu_ax", "0100", 16, "0110"},
        {"kizu_leftClick", "kizu_ax", "0100", 2, "00FE"},
        {"kizu_downClick", "kizu_ay", "0100", 1, "0101"},
        {"kizu_upClick", "kizu_ay", "0100", 3, "00FD"},
        {"kizu_rightClick", "kizu_ax", "03FE", 1, "03FF"},
        {"kizu_leftClick", "kizu_ax", "0002", 1, "0001"},
        {"kizu_downClick", "kizu_ay", "01FE", 1, "01FF"},
        {"kizu_upClick", "kizu_ay", "0002", 1, "0001"},
        // ... and stops at the edges: X 0 .. 1023, Y 0 .. 511.
        {"kizu_rightClick", "kizu_ax", "03FE", 2, "03FF"},
        {"kizu_rightClick", "kizu_ax", "03FE", 5, "03FF"},
        {"kizu_leftClick", "kizu_ax", "0003", 3, "0000"},
        {"kizu_leftClick", "kizu_ax", "0003", 9, "0000"},
        {"kizu_downClick", "kizu_ay", "01FE", 2, "01FF"},
        {"kizu_downClick", "kizu_ay", "01FF", 1, "01FF"},
        {"kizu_upClick", "kizu_ay", "0003", 3, "0000"},
        {"kizu_upClick", "kizu_ay", "0003", 7, "0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.slot) + " from " + c.from + " by " + std::to_string(c.step));
        Defect d;
        d.select(0);
        d.edit("kizu_ax")->setText("0100");
        d.edit("kizu_ay")->setText("0100");
        d.edit(c.field)->setText(c.from);
        d.get<QSpinBox>("SpinEdit1")->setValue(c.step);
        d.ctx.sent.clear();
        d.invoke(c.slot);
        EXPECT_EQ(d.text(c.field), c.to);
        // The field's change sends the new position of A, once; an edge
        // that stops the arrow leaves the text and sends nothing.
        const bool moved = std::string(c.from) != c.to;
        EXPECT_EQ(d.ctx.sent.size(), moved ? 1u : 0u);
        if (moved) {
            EXPECT_EQ(d.text(c.field == std::string("kizu_ax") ? "KizuAX" : "KizuAY"), c.to);
        }
    }
}

// The cursor follows the position of the selected point; a click on the pad
// gives a position, sent by Timerkizu once the link is idle. Both scale by
// the camera's ranges.
TEST(DefectTab, PadScalesByTheVideoFormat) {
    const struct {
        const char* name;
        int hRange, vRange;
        std::uint8_t x, y; // low bytes of the position read for A
        QPoint cursor;
        std::uint8_t clickX[2], clickY[2]; // the position of a click at (100, 75)
    } cases[] = {
        {"Hi PAL", 800, 312, 0x90, 0x9C, {36, 75}, {0x01, 0x90}, {0x00, 0x9C}},
        {"Lo PAL", 544, 312, 0x90, 0x9C, {52, 75}, {0x01, 0x10}, {0x00, 0x9C}},
        {"Hi NTSC", 800, 136, 0x90, 0x44, {36, 75}, {0x01, 0x90}, {0x00, 0x44}},
        {"Lo NTSC", 544, 136, 0x10, 0x10, {5, 17}, {0x01, 0x10}, {0x00, 0x44}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Defect d;
        d.host.hRange = c.hRange;
        d.host.vRange = c.vRange;
        d.select(0);
        d.read({0x36, 0x00, 0x01, 0x00, c.x, 0x00, c.y});
        EXPECT_EQ(d.get("Shape2")->pos() - d.get("Shape1")->pos(), c.cursor);

        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(100, 75), QPointF(100, 75),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(d.get("Shape1"), &release);
        const QString x = QString::asprintf("%02X%02X", c.clickX[0], c.clickX[1]);
        EXPECT_EQ(d.text("kizu_ax"), x);
        EXPECT_TRUE(d.ctx.sent.empty());
        d.ctx.busy = true;
        d.invoke("TimerkizuTimer");
        d.ctx.busy = false;
        d.invoke("TimerkizuTimer");
        d.invoke("TimerkizuTimer"); // stopped: sends no second frame
        EXPECT_EQ(d.frames(), Frames{padded({0x21, 0x36, 0x01, 0x02, c.clickX[0], c.clickX[1],
                                             c.clickY[0], c.clickY[1]})});
        EXPECT_EQ(d.text("KizuAX"), x);
    }
}

TEST(DefectTab, ReadsFillTheTabWithoutSendingAnythingBack) {
    Defect d;
    d.load({0x36, 0x09, 0x02}); // the cursor is on B: B gets selected
    d.load({0x36, 0x00, 0x01, 0x01, 0x11, 0x00, 0x22});
    d.load({0x36, 0x01, 0x01, 0x02, 0x33, 0x00, 0x44, 0x03, 0x55, 0x00, 0x66});
    d.load({0x36, 0x10, 0x01});
    d.load({0x36, 0x11, 0x01});
    d.load({0x36, 0x05, 0x01});
    d.load({0x36, 0x04, 0x02});
    d.load({0x36, 0x0B, 0x01});
    d.load({0x36, 0x06, 0x00, 0x00, 0x01, 0x00, 0x00, 0x07});
    EXPECT_EQ(d.radio("Kizu")->ItemIndex(), 1);
    EXPECT_EQ(d.radio("kizu_sel")->ItemIndex(), 1);
    EXPECT_EQ(d.radio("Defect")->ItemIndex(), 1);
    EXPECT_EQ(d.text("kizu_ax") + d.text("kizu_ay"), "02330044");
    EXPECT_EQ(d.text("KizuAX") + d.text("KizuAY") + d.text("KizuBX") + d.text("KizuBY") +
                  d.text("KizuCX") + d.text("KizuCY"),
              "011100220233004403550066");
    EXPECT_TRUE(d.check("KFFX")->isChecked());
    EXPECT_TRUE(d.check("KFRV")->isChecked());
    EXPECT_EQ(d.radio("VRevKFChange")->ItemIndex(), 2);
    EXPECT_EQ(d.radio("SensUpKFOFF")->ItemIndex(), 1);
    EXPECT_TRUE(d.check("VRevKF")->isChecked());
    EXPECT_EQ(d.get<QSlider>("SensKFBar")->value(), 7);
    EXPECT_TRUE(d.enabled("SensKFBar"));
    EXPECT_FALSE(d.get<QTimer>("SensKFTimer")->isActive());
    EXPECT_TRUE(d.ctx.sent.empty());

    // Outside a load the switches a reply sets are not sent back either.
    d.read({0x36, 0x01, 0x00});
    d.read({0x36, 0x10, 0x00});
    d.read({0x36, 0x09, 0x00});
    EXPECT_EQ(d.radio("Defect")->ItemIndex(), 0);
    EXPECT_EQ(d.radio("kizu_sel")->ItemIndex(), 0);
    EXPECT_FALSE(d.check("KFFX")->isChecked());
    EXPECT_TRUE(d.ctx.sent.empty());
}

// "Kizu Adjust" is offered when both fields saw the same pixel; it moves A
// there by the offsets of the video system, sent once the link is idle.
TEST(DefectTab, MeasurementAndAdjustment) {
    const struct {
        const char* name;
        std::uint8_t y2hi, y2lo, p2lo;
        bool ntsc;
        const char* adjusted; // X and Y after "Kizu Adjust"; null: not offered
    } cases[] = {
        {"agree PAL", 0x00, 0x51, 0x05, false, "00EA0053"},
        {"agree NTSC", 0x00, 0x51, 0x05, true, "00EA004F"},
        {"peaks 6 apart", 0x00, 0x51, 0x06, false, nullptr},
        {"lines 2 apart", 0x00, 0x52, 0x05, false, nullptr},
        {"Y 0xFFFF", 0xFF, 0xFF, 0x05, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Defect d;
        d.host.ntsc = c.ntsc;
        d.select(0);
        d.invoke("KizuReadClick");
        EXPECT_FALSE(d.enabled("KizuRead"));
        measure(d, c.y2hi, c.y2lo, c.p2lo);
        EXPECT_TRUE(d.enabled("KizuRead"));
        EXPECT_EQ(d.text("kin_y2"), QString::asprintf("%02X%02X", c.y2hi, c.y2lo));
        ASSERT_EQ(d.enabled("Kizu_Adjust"), c.adjusted != nullptr);
        if (!c.adjusted) continue;
        d.invoke("Kizu_AdjustClick");
        EXPECT_EQ(d.text("kizu_ax") + d.text("kizu_ay"), c.adjusted);
        EXPECT_EQ(d.ctx.sent.size(), 1u) << "the position waits for the timer";
        d.invoke("TimerkizuTimer");
        EXPECT_EQ(d.last(), padded({0x21, 0x36, 0x01, 0x02, 0x00, 0xEA, 0x00,
                                    static_cast<std::uint8_t>(c.ntsc ? 0x4F : 0x53)}));
        // The camera answers with the position it took: the fields show it.
        d.ack({0x36, 0x01, 0x02, 0x00, 0xEB, 0x00, 0x50});
        EXPECT_EQ(d.text("kizu_ax") + d.text("kizu_ay"), "00EB0050");
        EXPECT_FALSE(d.enabled("Kizu_Adjust"));
        EXPECT_EQ(d.ctx.sent.size(), 2u);
    }
}

// "Kizu Adjust" sends a position on the sensor or nothing: an even X below
// 0016, or on NTSC a larger Y below 0002, would go out as its 16-bit complement.
TEST(DefectTab, KizuAdjustStaysOnTheSensor) {
    const struct {
        std::uint8_t x, y; // low bytes of the measured X and of both Y
        bool ntsc;
        const char* sent; // X and Y sent, or the message that says why not
    } cases[] = {
        {0x16, 0x50, false, "00000052"},
        {0x15, 0x50, false,
         "X would be -0001 (even X 0015 - 22). X must be 0000 to 03FF, "
         "so even X must be 0016 to 0415."},
        {0x00, 0x50, false, "even X must be 0016 to 0415"},
        {0x20, 0x02, true, "000A0000"},
        {0x20, 0x01, true,
         "Y would be -0001 (larger Y 0001 - 2). Y must be 0000 to 01FF, so "
         "the larger Y must be 0002 to 0201."},
        {0x20, 0x00, true, "the larger Y must be 0002 to 0201"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        Defect d;
        d.host.ntsc = c.ntsc;
        d.select(0);
        d.read({0x36, 0x02, 0x00, c.x, 0x00, c.y, 0x02, 0x00, 0x00, c.x, 0x00, c.y, 0x02, 0x00});
        ASSERT_TRUE(d.enabled("Kizu_Adjust"));
        d.invoke("Kizu_AdjustClick");
        d.invoke("TimerkizuTimer");
        const bool refused = std::string(c.sent).size() > 8;
        if (refused) {
            EXPECT_TRUE(d.ctx.sent.empty());
            ASSERT_EQ(MessageLog::shown().size(), 1);
            EXPECT_TRUE(MessageLog::shown().front().text.contains(QString::fromLatin1(c.sent)))
                << MessageLog::shown().front().text.toStdString();
            EXPECT_TRUE(d.enabled("Kizu_Adjust")); // nothing was started
        } else {
            const QString xy = QString::fromLatin1(c.sent);
            const auto byte = [&](int k) {
                return static_cast<std::uint8_t>(xy.mid(2 * k, 2).toUInt(nullptr, 16));
            };
            EXPECT_EQ(d.frames(),
                      Frames{padded({0x21, 0x36, 0x01, 0x02, byte(0), byte(1), byte(2), byte(3)})});
            EXPECT_TRUE(MessageLog::shown().isEmpty());
        }
    }
}

TEST(DefectTab, AutomaticSearchOfBAndCOnlyAfterAFoundA) {
    struct Case {
        bool threePoint;
        std::uint8_t stateA;
        bool searchesBC;
    };
    for (const Case& c : {Case{true, 1, true}, Case{true, 0, false}, Case{false, 1, false}}) {
        SCOPED_TRACE(testing::Message() << c.threePoint << " " << int(c.stateA));
        Defect d;
        d.select(0);
        d.check("Auto3Point")->setChecked(c.threePoint);
        d.invoke("kizu_autoClick");
        EXPECT_FALSE(d.enabled("kizu_auto"));
        EXPECT_FALSE(d.enabled("Auto3Point"));
        d.ack({0x36, 0x09, 0xEA, 0x02, 0x05, 0x00, 0xEA, 0x00, 0x53, c.stateA, 0x01, 0x00});
        EXPECT_EQ(d.text("kizu_ax") + d.text("KizuAY"), "00EA0053");
        EXPECT_EQ(d.radio("Defect")->ItemIndex(), c.stateA);
        EXPECT_TRUE(d.check("KFFX")->isChecked());
        ASSERT_EQ(d.ctx.sent.size(), c.searchesBC ? 2u : 1u) << "the switches sent nothing back";
        EXPECT_EQ(d.enabled("kizu_auto"), !c.searchesBC);
        if (!c.searchesBC) continue;
        EXPECT_EQ(d.last(), padded({0x21, 0x36, 0x0A, 0xEA, 0x02, 0x05}));
        d.ack({0x36, 0x0A, 0xEA, 0x02, 0x05, 0x01, 0x66, 0x00, 0x32, 0x00, 0x3E, 0x00, 0x73, 0x01});
        EXPECT_EQ(d.text("KizuBX") + d.text("KizuCY"), "01660073");
        EXPECT_EQ(d.text("kizu_ax"), "00EA") << "A stays in the fields";
        EXPECT_TRUE(d.enabled("kizu_auto"));
        EXPECT_TRUE(d.enabled("Auto3Point"));
    }
}

// Each chain sends one frame per reply and enables its button at the end.
TEST(DefectTab, SaveCancelAndPointSelectionChains) {
    Defect d;
    d.load({0x36, 0x09, 0x01});
    d.invoke("Kizu_SaveClick");
    d.ack({0x36, 0x02});
    EXPECT_FALSE(d.enabled("Kizu_Save"));
    d.ack({0x36, 0x15});
    EXPECT_TRUE(d.enabled("Kizu_Save"));
    EXPECT_EQ(d.frames(), (Frames{padded({0x21, 0x36, 0x02}), padded({0x21, 0x36, 0x15}),
                                  padded({0x31, 0x36, 0x09})}));

    d.ctx.sent.clear();
    d.invoke("Kizu_CancelClick");
    d.ack({0x36, 0x03});
    d.ack({0x36, 0x16});
    for (std::uint8_t sub : {0x00, 0x01, 0x10, 0x11}) {
        EXPECT_FALSE(d.enabled("Kizu_Cancel"));
        d.read({0x36, sub});
    }
    d.read({0x36, 0x09, 0x01});
    EXPECT_TRUE(d.enabled("Kizu_Cancel"));
    Frames cancel{padded({0x21, 0x36, 0x03}), padded({0x21, 0x36, 0x16})};
    for (std::uint8_t sub : {0x00, 0x01, 0x10, 0x11, 0x09})
        cancel.push_back(padded({0x31, 0x36, sub}));
    EXPECT_EQ(d.frames(), cancel);

    // Choosing C reads B and C, then the cursor point, then sets C's cursor.
    d.ctx.sent.clear();
    d.radio("Kizu")->setItemIndex(2);
    EXPECT_FALSE(d.enabled("Kizu"));
    d.read({0x36, 0x01});
    d.read({0x36, 0x09, 0x01});
    EXPECT_TRUE(d.enabled("Kizu"));
    EXPECT_EQ(d.frames(), (Frames{padded({0x31, 0x36, 0x01}), padded({0x31, 0x36, 0x09}),
                                  padded({0x21, 0x36, 0x13, 0x01, 0x01})}));

    // "Adjust Set" ON reads VRev and Sens, whose answer enables them.
    d.radio("AdjustSet")->setItemIndex(0);
    d.ack({0x36, 0x05, 0x00});
    EXPECT_FALSE(d.enabled("SensKFBar"));
    d.radio("AdjustSet")->setItemIndex(1);
    EXPECT_FALSE(d.enabled("AdjustSet"));
    d.ack({0x36, 0x05, 0x01});
    EXPECT_EQ(d.last(), padded({0x31, 0x36, 0x06}));
    d.read({0x36, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04});
    EXPECT_TRUE(d.enabled("SensKFBar"));
    EXPECT_TRUE(d.enabled("AdjustSet"));
}

// An error reply ends a chain with its button disabled; the next load of the
// tab brings every such button back.
TEST(DefectTab, ErrorReplyIsShownAndTheNextLoadRecovers) {
    Defect d;
    d.invoke("Kizu_SaveClick");
    d.invoke("kizu_autoClick");
    d.deliver({0x36, 0x02}, 0xE0);
    EXPECT_EQ(MessageLog::count(" Error "), 1);
    EXPECT_EQ(MessageLog::shown().back().caption, "ERR");
    EXPECT_EQ(d.ctx.sent.size(), 2u);
    EXPECT_FALSE(d.enabled("Kizu_Save"));
    d.load({0x36, 0x09, 0x00});
    EXPECT_TRUE(d.enabled("Kizu_Save"));
    EXPECT_TRUE(d.enabled("kizu_auto"));
}

TEST(DefectTab, FitsThePageWithoutOverlap) {
    Defect d;
    d.load({0x36, 0x09, 0x02});
    d.load({0x36, 0x00, 0x01, 0x00, 0xEA, 0x00, 0x53});
    d.load({0x36, 0x01, 0x01, 0x01, 0x66, 0x00, 0x32, 0x00, 0x3E, 0x00, 0x73});
    measure(d, 0x00, 0x51, 0x03);
    d.tab.resize(730, 478);
    d.tab.show();
    d.tab.layout()->activate();
    EXPECT_LE(d.tab.minimumSizeHint().width(), 730);
    EXPECT_LE(d.tab.minimumSizeHint().height(), 478);
    const auto widgets = d.tab.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisible() || !w->parentWidget()) continue;
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()));
        for (QWidget* other : widgets) {
            if (other <= w || other->parentWidget() != w->parentWidget() || !other->isVisible() ||
                w->objectName() == "Shape2" || other->objectName() == "Shape2")
                continue; // the cursor lies on the pad
            EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                << w->objectName().toStdString() << " / " << other->objectName().toStdString();
        }
    }
    if (const QByteArray path = qgetenv("CAM_DEFECT_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(d.tab.grab().save(QString::fromLocal8Bit(path)));
    }
}

} // namespace
