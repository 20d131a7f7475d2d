// Every field a technician can type into, on the Easy, Adjust, Line, CCD
// Defect and Debug tabs and in the defect windows, fed empty, short, long,
// non-hexadecimal, lower-case and out-of-range text: what goes to the camera
// (exactly these frames, or nothing) and whether a message says why not.

#include "tests/support/fake_context.h"
#include "ui/common/message.h"
#include "ui/defect/defect_host.h"
#include "ui/defect/defect_tab.h"
#include "ui/defect/mask_window.h"
#include "ui/defect/parameter_window.h"
#include "ui/main/adjust_tab.h"
#include "ui/main/easy_tab.h"
#include "ui/main/line_tab.h"
#include "ui/service/debug_tab.h"
#include "ui/widgets/radio_group.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
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

struct Host : TDefectHost {
    int HorizontalRange() const override { return 800; }
    int VerticalRange() const override { return 312; }
    bool Ntsc() const override { return false; }
    void ShowParameterWindow() override {}
};

// Every page and window with an edit, on one in-memory link.
struct Rig {
    FakeContext ctx;
    Host host;
    TEasyTab easy{ctx};
    TLineTab line{ctx, easy};
    TAdjustTab adjust{ctx};
    TDefectTab defect{ctx, host};
    TDebugTab debug{ctx};
    TKizuInfo info{[] { return false; }};
    TFM38R5 mask;

    Rig() { MessageLog::clear(); }
    QList<QWidget*> windows() { return {&easy, &line, &adjust, &defect, &debug, &info, &mask}; }
    QWidget* find(const QString& name) {
        for (QWidget* w : windows())
            if (auto* found = w->findChild<QWidget*>(name)) return found;
        return nullptr;
    }
    QLineEdit* edit(const char* name) { return qobject_cast<QLineEdit*>(find(name)); }
    // Text put in place as the camera or an earlier session left it: sent nothing.
    void set(const char* name, const char* text) {
        ctx.busy = true;
        edit(name)->setText(QString::fromLatin1(text));
        ctx.busy = false;
    }
    // An Easy status block as the load hands it on.
    void status(std::initializer_list<std::uint8_t> bytes) {
        ctx.sequenceRunning = true;
        ctx.tx[1] = cam::kReadClass;
        ctx.tx[2] = *bytes.begin();
        ctx.SetReply(bytes);
        easy.DecodeRead();
        easy.Trans_end_easy();
        ctx.sequenceRunning = false;
    }
    void invoke(QObject* page, const char* slot) {
        ASSERT_TRUE(QMetaObject::invokeMethod(page, slot)) << slot;
    }
    // Keys as the technician types them into the field.
    void type(QWidget* field, const std::string& text) {
        for (char c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(c)));
            QApplication::sendEvent(field, &press);
        }
    }
    Frames frames() const {
        Frames out;
        for (std::size_t k = 0; k < ctx.sent.size(); ++k)
            out.push_back(ctx.Payload(k, static_cast<int>(cam::kPayloadSize)));
        return out;
    }
};

// What a field needs in place before it is typed into, and what sends its
// value afterwards when its own change does not.
struct Field {
    std::function<void(Rig&)> prepare;
    std::function<void(Rig&)> then;
};

const std::map<std::string, Field>& fields() {
    static const std::map<std::string, Field> f = {
        // Easy: the camera reported a phase range of FF00 .. 0100 with the
        // phase switched on, and focus limits of 0040 .. 00F0.
        {"PhaseLevel",
         {[](Rig& r) {
              r.status({0x60, 0x05, 0x01, 0x01, 0x00, 0xFF, 0x00, 0x00, 0x40, 0x03, 0x02, 0x04,
                        0x00, 0x01});
          },
          {}}},
        {"ZoomStep", {}},
        {"FocusStep",
         {[](Rig& r) {
              r.status({0x60, 0x07, 0x14, 0x00, 0x13, 0xF0, 0x00, 0xF0, 0x00, 0x40, 0x00, 0x0C,
                        0x00, 0x0A});
          },
          {}}},
        {"AlarmNo", {}},
        {"PositionNo", {{}, [](Rig& r) { r.invoke(&r.easy, "PosLoadClick"); }}},
        {"CName", {{}, [](Rig& r) { r.invoke(&r.easy, "SetTitleClick"); }}},
        // Adjust: the other delay digits are 0.
        {"rg_delay", {}},
        {"rg_width", {}},
        {"shp_delay", {}},
        {"shd_delay", {}},
        {"pwm_ref", {}},
        // Line: the iris adjustment has been entered.
        {"BiasNum", {[](Rig& r) { r.find("BiasNum")->setEnabled(true); }, {}}},
        // CCD Defect: point A selected, the other coordinate 0100.
        {"kizu_ax",
         {[](Rig& r) {
              r.ctx.sequenceRunning = true;
              qobject_cast<TRadioGroup*>(r.find("Kizu"))->setItemIndex(0);
              r.ctx.sequenceRunning = false;
              r.set("kizu_ay", "0100");
          },
          {}}},
        {"kizu_ay",
         {[](Rig& r) {
              r.ctx.sequenceRunning = true;
              qobject_cast<TRadioGroup*>(r.find("Kizu"))->setItemIndex(0);
              r.ctx.sequenceRunning = false;
              r.set("kizu_ax", "0100");
          },
          {}}},
        // The arrow step, used by "Right" from X 0100.
        {"SpinEdit1",
         {[](Rig& r) {
              r.ctx.sequenceRunning = true;
              qobject_cast<TRadioGroup*>(r.find("Kizu"))->setItemIndex(0);
              r.ctx.sequenceRunning = false;
              r.set("kizu_ax", "0100");
              r.set("kizu_ay", "0100");
              qobject_cast<QSpinBox*>(r.find("SpinEdit1"))->selectAll();
          },
          [](Rig& r) { r.invoke(&r.defect, "kizu_rightClick"); }}},
        // Debug: register 10 chosen, EEPROM address 0001, RAM at EE00.
        {"DspData",
         {[](Rig& r) {
              r.ctx.busy = true;
              qobject_cast<QComboBox*>(r.find("DspAdr"))->setCurrentIndex(0x10);
              r.ctx.busy = false;
          },
          {}}},
        {"DspRadix", {}},
        {"eepadr", {}},
        {"Eepdata", {[](Rig& r) { r.set("eepadr", "0001"); }, {}}},
        {"ramAdr", {}},
        {"RamCount", {[](Rig& r) { r.set("ramAdr", "EE00"); }, {}}},
        {"ramAdrwr",
         {[](Rig& r) { r.set("ram_send_buff", "5A"); },
          [](Rig& r) { r.invoke(&r.debug, "btn_ram_wClick"); }}},
        {"ram_send_buff",
         {[](Rig& r) { r.set("ramAdrwr", "EE00"); },
          [](Rig& r) { r.invoke(&r.debug, "btn_ram_wClick"); }}},
        {"osdt", {}},
        {"SendBuffer", {{}, [](Rig& r) { r.invoke(&r.debug, "RamSendClick"); }}},
    };
    return f;
}

struct Case {
    const char* field;
    const char* typed;
    Frames sent;
    const char* says; // part of the message shown, or nullptr for none
};

const Bytes kBlank5 = {0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE};
Bytes title(std::initializer_list<std::uint8_t> codes) {
    Bytes out{0x21, 0x10, 0x01, 0x00};
    out.insert(out.end(), codes.begin(), codes.end());
    out.insert(out.end(), kBlank5.begin() + static_cast<long>(codes.size()), kBlank5.end());
    out.resize(cam::kPayloadSize, 0);
    return out;
}

const Case kCases[] = {
    // ---- Easy
    {"PhaseLevel", "", {}, nullptr},
    {"PhaseLevel", "012", {}, nullptr},
    {"PhaseLevel", "00ff", {padded({0x21, 0x1C, 0x01, 0x00, 0xFF})}, nullptr},
    {"PhaseLevel", "FF00", {padded({0x21, 0x1C, 0x01, 0xFF, 0x00})}, nullptr},
    {"PhaseLevel", "010000", {padded({0x21, 0x1C, 0x01, 0x01, 0x00})}, nullptr},
    {"PhaseLevel", "0101", {}, "Phase level: 0101 is outside FF00 to 0100"},
    {"PhaseLevel", "FEFF", {}, "outside FF00 to 0100"},
    {"PhaseLevel", "ZZZZ", {}, "\"ZZZZ\" is not hexadecimal"},
    {"ZoomStep", "123", {}, nullptr},
    {"ZoomStep", "18af", {padded({0x21, 0x45, 0x00, 0x18, 0xAF})}, nullptr},
    {"ZoomStep", "18B1", {}, "Zoom step: 18B1 is outside 1000 to 18B0"},
    {"ZoomStep", "0FFF", {}, "outside 1000 to 18B0"},
    {"ZoomStep", "12G4", {}, "\"12G4\" is not hexadecimal"},
    {"FocusStep", "0080", {padded({0x21, 0x45, 0x01, 0x00, 0x80})}, nullptr},
    {"FocusStep", "00F1", {}, "Focus step: 00F1 is outside 0040 to 00F0"},
    {"FocusStep", "FFFF", {}, "outside 0040 to 00F0"},
    {"FocusStep", "00x0", {}, "not hexadecimal"},
    {"AlarmNo", "7", {}, nullptr},
    {"AlarmNo", "07", {padded({0x21, 0x51, 0x07})}, nullptr},
    {"AlarmNo", "640", {padded({0x21, 0x51, 0x40})}, nullptr},
    {"AlarmNo", "65", {}, "Alarm number: 65 is outside 00 to 64"},
    {"AlarmNo", "-1", {}, "outside 00 to 64"},
    {"AlarmNo", "0a", {}, "'0a' は整数ではありません"},
    {"PositionNo", "", {}, nullptr},
    {"PositionNo", "07", {padded({0x31, 0x52, 0x01, 0x07})}, nullptr},
    {"PositionNo", "00", {}, "Position number: 00 is outside 01 to 64"},
    {"PositionNo", "99", {}, "outside 01 to 64"},
    {"PositionNo", "x7", {}, "'x7' は整数ではありません"},
    // The title: characters the camera lacks go as blanks, the edit keeps 20.
    {"CName", "", {title({})}, nullptr},
    {"CName", "ab#", {title({0x00, 0x30, 0x00, 0x31})}, nullptr},
    {"CName",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
     {title({0x00, 0x10, 0x00, 0x11, 0x00, 0x12, 0x00, 0x13, 0x00, 0x14})},
     nullptr},
    // ---- Adjust: d1 = RG Width x 16 + SHD Delay, d2 = SHP Delay x 16 + RG Delay
    {"rg_delay", "", {}, nullptr},
    {"rg_delay", "a", {padded({0x21, 0x42, 0x00, 0x0A, 0x01})}, nullptr},
    {"rg_delay", "7F", {padded({0x21, 0x42, 0x00, 0x07, 0x01})}, nullptr},
    {"rg_delay", "G", {}, "RG Delay: \"G\" is not hexadecimal. Type 1 digit"},
    {"rg_width", "f", {padded({0x21, 0x42, 0xF0, 0x00, 0x01})}, nullptr},
    {"rg_width", "x", {}, "RG Width: \"X\" is not hexadecimal"},
    {"shp_delay", "3", {padded({0x21, 0x42, 0x00, 0x30, 0x01})}, nullptr},
    {"shp_delay", "-", {}, "SHP Delay: \"-\" is not hexadecimal"},
    {"shd_delay", "c", {padded({0x21, 0x42, 0x0C, 0x00, 0x01})}, nullptr},
    {"shd_delay", " ", {}, "SHD Delay: \" \" is not hexadecimal"},
    {"pwm_ref", "5", {}, nullptr},
    {"pwm_ref", "5a", {padded({0x21, 0x43, 0x5A, 0x01})}, nullptr},
    {"pwm_ref", "123", {padded({0x21, 0x43, 0x12, 0x01})}, nullptr},
    {"pwm_ref", "5G", {}, "DC Lens Offset: \"5G\" is not hexadecimal. Type 2 digits"},
    // ---- Line
    {"BiasNum", "1", {}, nullptr},
    {"BiasNum", "3c", {padded({0x21, 0x53, 0x3C})}, nullptr},
    {"BiasNum", "G1", {}, "IRIS Bias: \"G1\" is not hexadecimal"},
    // ---- CCD Defect: the sensor is X 0000 .. 03FF, Y 0000 .. 01FF
    {"kizu_ax", "03f", {}, nullptr},
    {"kizu_ax", "03fe", {padded({0x21, 0x36, 0x01, 0x02, 0x03, 0xFE, 0x01, 0x00})}, nullptr},
    {"kizu_ax", "03FF0", {padded({0x21, 0x36, 0x01, 0x02, 0x03, 0xFF, 0x01, 0x00})}, nullptr},
    {"kizu_ax", "0400", {}, "Defect position X: 0400 is outside 0000 to 03FF"},
    {"kizu_ax", "00G0", {}, "Defect position X: \"00G0\" is not hexadecimal"},
    {"kizu_ay", "01FF", {padded({0x21, 0x36, 0x01, 0x02, 0x01, 0x00, 0x01, 0xFF})}, nullptr},
    {"kizu_ay", "0200", {}, "Defect position Y: 0200 is outside 0000 to 01FF"},
    {"kizu_ay", "FFFF", {}, "outside 0000 to 01FF"},
    {"kizu_ay", "y000", {}, "Defect position Y: \"Y000\" is not hexadecimal"},
    {"SpinEdit1", "5", {padded({0x21, 0x36, 0x01, 0x02, 0x01, 0x05, 0x01, 0x00})}, nullptr},
    {"SpinEdit1", "2000", {padded({0x21, 0x36, 0x01, 0x02, 0x01, 0xC8, 0x01, 0x00})}, nullptr},
    {"SpinEdit1", "a", {padded({0x21, 0x36, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00})}, nullptr},
    // ---- Debug
    {"DspData", "008", {}, nullptr},
    {"DspData", "00ab", {padded({0x21, 0x0A, 0x10, 0x00, 0xAB})}, nullptr},
    {"DspData", "00g0", {}, "Register data: \"00G0\" is not hexadecimal"},
    {"DspRadix", "00f0", {}, nullptr},
    {"DspRadix", "ZZZZ", {}, nullptr}, // becomes FFFF, the mask of every bit
    {"eepadr", "03ff", {padded({0x31, 0x0C, 0x03, 0xFF})}, nullptr},
    {"eepadr", "0400", {padded({0x31, 0x0C, 0x04, 0x00})}, nullptr}, // a read only
    {"eepadr", "0G00", {}, "EEPROM address: \"0G00\" is not hexadecimal"},
    {"Eepdata", "beef", {padded({0x21, 0x0C, 0x00, 0x01, 0xBE, 0xEF})}, nullptr},
    {"Eepdata", "12X4", {}, "EEPROM data: \"12X4\" is not hexadecimal"},
    {"ramAdr", "ee05", {padded({0x31, 0x0D, 0xEE, 0x00, 0x01})}, nullptr},
    {"ramAdr", "ED00", {}, "RAM address: ED00 is outside EE00 to FFFF"},
    {"ramAdr", "E0G0", {}, "RAM address: \"E0G0\" is not hexadecimal"},
    {"RamCount", "4", {}, nullptr},
    {"RamCount", "04", {padded({0x31, 0x0D, 0xEE, 0x00, 0x01})}, nullptr},
    {"RamCount", "0G", {}, "RAM size: \"0G\" is not hexadecimal"},
    {"ramAdrwr", "ee01", {padded({0x21, 0x0D, 0xEE, 0x01, 0x5A})}, nullptr},
    {"ramAdrwr", "EE0", {}, nullptr},
    {"ramAdrwr", "EDFF", {}, "RAM write address: EDFF is outside EE00 to FFFF"},
    {"ramAdrwr", "EG01", {}, "RAM write address: \"EG01\" is not hexadecimal"},
    {"ram_send_buff", "a5", {padded({0x21, 0x0D, 0xEE, 0x00, 0xA5})}, nullptr},
    {"ram_send_buff", "g1", {}, "RAM write data: \"G1\" is not hexadecimal"},
    {"osdt", "8001", {padded({0x21, 0x0E, 0x01, 0x80, 0x01})}, nullptr},
    {"osdt", "80z1", {}, "OSD word: \"80Z1\" is not hexadecimal"},
    {"SendBuffer", "31 0a 01", {padded({0x31, 0x0A, 0x01})}, nullptr},
    {"SendBuffer", "", {}, "no bytes to send"},
    {"SendBuffer", "31 0G", {}, "\"G\" is not a hexadecimal digit"},
    {"SendBuffer", "0 1 2 3 4 5 6 7 8 9 A B C D E F", {}, "more than 15 bytes"},
};

TEST(BadInput, EveryFieldSendsWhatItShowsOrNothingAndSaysWhy) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.field) + " typed \"" + c.typed + "\"");
        Rig r;
        const Field& f = fields().at(c.field);
        QWidget* field = r.find(QString::fromLatin1(c.field));
        EXPECT_NE(field, nullptr);
        if (!field) continue;
        if (f.prepare) f.prepare(r);
        if (qobject_cast<QLineEdit*>(field)) r.set(c.field, "");
        r.ctx.sent.clear();
        r.type(field, c.typed);
        if (f.then) f.then(r);
        EXPECT_EQ(r.frames(), c.sent);
        if (c.says) {
            EXPECT_EQ(MessageLog::shown().size(), 1);
            if (!MessageLog::shown().isEmpty()) {
                EXPECT_TRUE(MessageLog::shown().front().text.contains(QString::fromUtf8(c.says)))
                    << MessageLog::shown().front().text.toStdString();
            }
        } else {
            EXPECT_TRUE(MessageLog::shown().isEmpty())
                << MessageLog::shown().front().text.toStdString();
        }
    }
}

// The table names every edit the technician can type into; the others only
// show what the camera or the program put there.
TEST(BadInput, TheTableNamesEveryEditThatTakesTyping) {
    Rig r;
    for (QWidget* window : r.windows()) {
        for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
            if (qobject_cast<QSpinBox*>(edit->parentWidget())) continue; // SpinEdit1's own
            const std::string name = edit->objectName().toStdString();
            const bool typed = !edit->isReadOnly() && EnabledFlag(edit);
            const bool listed = fields().count(name) > 0;
            // Display boxes and fields the camera's state opens (the bias) count as typed.
            EXPECT_TRUE(listed || !typed) << name << " takes typing but is not in the table";
            EXPECT_TRUE(!listed || !edit->isReadOnly()) << name;
        }
    }
    for (const auto& [name, field] : fields())
        EXPECT_TRUE(std::any_of(std::begin(kCases), std::end(kCases),
                                [&](const Case& c) { return name == c.field; }))
            << name << " has no case";
}

} // namespace
