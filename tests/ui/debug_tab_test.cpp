// The Debug page: what it sends, how it shows the camera's answers, and that
// a value a reply has put into a field is not written back. Loops that read
// one value per reply run against the simulated camera. Set
// CAM_DEBUG_SCREENSHOT to a file name to keep a picture of the filled page.

#include "link/hex.h"
#include "sim/camera_model.h"
#include "tests/support/fake_context.h"
#include "ui/common/message.h"
#include "ui/service/debug_tab.h"
#include "ui/service/register_rows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QMetaObject>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes padded(std::initializer_list<std::uint8_t> head) {
    Bytes out(head);
    out.resize(cam::kPayloadSize, 0);
    return out;
}

class DebugTabTest : public ::testing::Test {
  public:
    FakeContext ctx;
    TDebugTab tab{ctx};
    camsim::CameraModel camera;
    std::size_t answered = 0; // frames of ctx.sent the camera has answered

    DebugTabTest() { MessageLog::clear(); }

    template <class T = QLineEdit> T* get(const char* name) {
        auto* w = tab.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char* name) { return get<QPlainTextEdit>(name)->toPlainText(); }
    void invoke(const char* slot) { ASSERT_TRUE(QMetaObject::invokeMethod(&tab, slot)) << slot; }
    void type(const char* field, const char* value) {
        get(field)->setText(QString::fromLatin1(value));
    }
    // Changes made while the link refuses to send; what they sent is forgotten.
    void offline(const std::function<void()>& change) {
        ctx.busy = true;
        change();
        ctx.busy = false;
        ctx.sent.clear();
        answered = 0;
    }
    void choose(int row) {
        auto* box = get<QComboBox>("DspAdr");
        box->setCurrentIndex(row);
        emit box->activated(row);
    }
    // The reply to the last command sent, as the window hands it on while
    // this page is active.
    void reply(std::initializer_list<std::uint8_t> bytes, std::uint8_t status = cam::kAccepted) {
        ctx.SetReply(bytes, status);
        tab.Debug_tend();
    }
    // Lets the simulated camera answer every frame sent, and each answer
    // send the next, up to `limit` frames.
    void serve(std::size_t limit = 400) {
        while (answered < ctx.sent.size() && answered < limit) {
            const cam::TxFrame frame = ctx.sent[answered++];
            const Bytes out = camera.Feed(frame.data(), frame.size());
            ASSERT_EQ(out.size(), 1 + cam::kFrameSize);
            std::copy(out.begin() + 1, out.begin() + 18, ctx.reply.begin());
            tab.Debug_tend();
        }
    }
    std::vector<Bytes> frames() const {
        std::vector<Bytes> out;
        for (std::size_t k = 0; k < ctx.sent.size(); ++k)
            out.push_back(ctx.Payload(k, static_cast<int>(cam::kPayloadSize)));
        return out;
    }
};

// The rows of the register list: the address and the name of every register,
// names separated by "|" in address order, as the technicians know them.
constexpr const char* kRegisterNames =
    "dummy|DSP FRONT,Y-IN|DSP FRONT|DSP TEST DATA|DSP TEST DATA|DSP ﾌｨﾙﾀ|"
    "DSP VｴﾝﾊﾝｻIN HighClip|DSP HｴﾝﾊﾝｻIN BaseClip|"
    "DSP Hｴﾝﾊﾝｻ BaseClip|DSP ｴﾝﾊﾝｻ HighClip|"
    "DSP Vｴﾝﾊﾝｻ BaseClip|DSP Y-setup,Y-DLY|DSP Y-ped|DSP Y-GAMMA|DSP C-GAMMA|"
    "DSP GAMMAout|DSP C-Limit(a)|DSP C-Limit(b)|DSP C-Limit(c)|DSP C-Limit(d)|"
    "DSP C-Matrix(r_a)|DSP C-Matrix(g_a)|DSP C-Matrix(b_a)|DSP C-Matrix(r_b)|"
    "DSP C-Matrix(g_b)|DSP C-Matrix(b_b)|DSP C-Matrix(r_c)|DSP C-Matrix(g_c)|"
    "DSP C-Matrix(b_c)|DSP C-Matrix(r_d)|DSP C-Matrix(g_d)|DSP C-Matrix(b_d)|DSP Rsetup|"
    "DSP Gsetup|DSP Bsetup|DSP Rgain|DSP Ggain|DSP Bgain|DSP Roffset|DSP Goffset|"
    "DSP Boffset|DSP R,Bped|DSP Gped,CYﾍﾞｰｽｸﾘｯﾌﾟ|DSP R-G,B-G gain|"
    "DSP Kr-g･b-g(+)|DSP Kb-g･r-g(+)|DSP Kr-g･b-g(-)|DSP Kb-g･r-g(-)|"
    "DSP C-Y gain,Enh gain|DSP CONT1|DSP CONT2|DSP Y-ped2,Y-BLK|DSP Y-HighClip|DSP AKAKIDO|"
    "DSP MOD DATA A,B|DSP MOD DATA C,D|DSP C-MOD ﾊﾞｰｽﾄﾚﾍﾞﾙ|DSP AREA|"
    "DSP Front Long H-CLIP|DSP WB-DATA Limit|DSP WB_YLimit,YPROCC|DSP YPROCC|DSP CONT|"
    "DSP TEST DATA|TG MODE|TG HS-Pulse Phase|TG HS-Pulse Dly|TG V-SHUT Normal|"
    "TG V-SHUT High|TG H-SHUT Normal|TG H-SHUT High|TG PBLK(START/END)|TG HOBP(START/END)|"
    "TG CP(START/END) |TG XV1(START/END)|TG XV2(START/END)|TG XV3(START/END)|"
    "TG XV4(START/END)|TG XSUB(START/END/LSUB)|TG XSG1(START/END)|TG XSG2(START/END)|"
    "TG MOD1(START/END)|TG MOD2(START/END)|TG V(PGON/SLOAD/VSTOP)|SSG HCLR,AREA|"
    "SSG CHD,CBLK|SSG HSYNC|SSG EQ,VSER|SSG BF|SSG TGHD|SSG TGHD2,CP2|SSG VD2,HSYNCe|"
    "SSG AREA-VBLK|TG,SSG CONT|DSP ZOOM MagA|DSP ZOOM VA|DSP ZOOM VB|DSP ZOOM TG V-HS|"
    "DSP FRONT Y-Short|DSP FRONT MODE|DSP FRONT LM shiftA|DSP FRONT LM shiftB|"
    "DSP WB-Ylevel A|DSP WB-Ylevel B|DSP FRONT MODE A|DSP FRONT MODE B|DSP TEST DATA|"
    "DSP TEST DATA|DSP TEST DATA|DSP KIZU_A Xposi|DSP KIZU_A Yposi|DSP TEST DATA|"
    "DSP TEST DATA|DSP TEST DATA|DSP TEST DATA|DSP AWB係数|DSP AWB係数|DSP Y-C係数|"
    "DSP Y-C係数|DSP Y-C係数|DSP AWB Rgain上限|DSP AWB Rgain下限|"
    "DSP AWB Bgain上限|DSP AWB Bgain下限|DSP IRIS 48AREA|DSP IRIS 48AREA|"
    "DSP IRIS 48AREA|DSP IRIS 48AREA|DSP SD out|DSP FRONT γ(Long)|DSP FRONT γ(Short)|"
    "DSP FRONT Y-Hclip(Long)|DSP FRONT Y-Hclip(Short)|DSP FRONT Y-Ped|DSP FRONT Y-Gain|"
    "DSP FRONT Vaddress(Long)|DSP FRONT Vaddress(Short)|DSP FRONT Vaddress(Read)|"
    "DSP FRONT V-Wstart|DSP FRONT V-Rstart|DSP Ymix Level A/Gain-A|DSP Ymix Level A/Gain-C|"
    "DSP Gain-B|DSP C-Long/Short gain|DSP C-Long BC|DSP C-Short BC|DSP C-MIX gain|"
    "DSP C-MIX BC|DSP Y-Long BC|DSP Y-Short BC|DSP Y-MIX gain|DSP TEST DATA|DSP TEST DATA|"
    "DSP AF VBPF BC|DSP AF H-start/end|DSP AF V-start/end|DSP AF BPF-A BC|DSP AF BPF-B BC|"
    "DSP AF HL level|DSP AF BPF select|DSP IRIS H-start/end|DSP IRIS V-start/end|"
    "DSP MASK-A H-start/end|DSP MASK-A V-start/end|DSP MASK-B H-start/end|"
    "DSP MASK-B V-start/end|DSP MASK-C H-start/end|DSP MASK-C V-start/end|"
    "DSP MASK-D H-start/end|DSP MASK-D V-start/end|DSP WDR-AREA H-start/end|"
    "DSP WDR-AREA V-start/end|DSP WDR-AREA Gain|DSP KIZU-B Hposi|DSP KIZU-B Vposi|"
    "DSP KIZU-C Hposi|DSP KIZU-C Vposi|DSP W-WB Rgain High|DSP W-WB Bgain High|"
    "DSP W-WB Rgain Middle|DSP W-WB Bgain Middle|DSP W-WB Outdoor Low|DSP W-WB Indoor High|"
    "DSP BFout(START/END)|DSP OSD1,2 Y-Level|DSP OSD1 Cr,Cb|DSP OSD2 Cr,Cb|"
    "DSP Knee/Deknee point|DSP Line Hosei Keisu|DSP H-Phase|DSP Trig MODE|DSP TEST DATA|"
    "AGC 0|AGC 1|AGC 2|AGC 3|AGC 4|AGC 5|AGC 6|AGC 7|AGC 8|AGC 9|AGC A|AGC B";

TEST_F(DebugTabTest, RegisterListHasEveryAddressInOrderWithReadableNames) {
    auto* list = get<QComboBox>("DspAdr");
    const QStringList names = QString::fromUtf8(kRegisterNames).split(QLatin1Char('|'));
    ASSERT_EQ(names.size(), 0xCC);
    ASSERT_EQ(list->count(), 0xCC);
    for (int r = 0; r < list->count(); ++r)
        EXPECT_EQ(list->itemText(r).toStdString(), cam::hex2(r) + " " + names[r].toStdString());
    // Half-width katakana and kanji arrive as characters, not as bytes.
    EXPECT_EQ(list->itemText(0x05).size(), 11);
    EXPECT_TRUE(list->itemText(0x78).contains(QChar(0x4E0A)));
    EXPECT_EQ(list->currentIndex(), -1);
}

// A register write gives the tab control back; a write refused while the
// link is busy, or a text that is no value, leaves it as it is.
TEST(DebugTab, RegisterWriteEnablesTheTabControl) {
    const struct {
        const char* text;
        bool busy;
        bool writes;
    } cases[] = {{"0080", false, true}, {"0080", true, false}, {"00G0", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FakeContext ctx;
        QTabWidget pages;
        auto* tab = new TDebugTab(ctx);
        pages.addTab(tab, QStringLiteral("Debug"));
        auto* list = tab->findChild<QComboBox*>(QStringLiteral("DspAdr"));
        ctx.sequenceRunning = true; // the choice reads nothing
        list->setCurrentIndex(0x10);
        ctx.sequenceRunning = false;
        ctx.sent.clear();
        pages.setEnabled(false);
        ctx.busy = c.busy;
        tab->findChild<QLineEdit*>(QStringLiteral("DspData"))->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(ctx.sent.size(), c.writes ? 1u : 0u);
        EXPECT_EQ(pages.isEnabled(), c.writes);
    }
}

TEST_F(DebugTabTest, RegisterReadShowsTheValueAndWritesGoByTheNoWriteBox) {
    choose(0x2B);
    reply({0x0A, 0x2B, 0x12, 0x34});
    EXPECT_EQ(get("DspData")->text(), "1234");
    type("DspData", "0080");
    get<QCheckBox>("NoWrite")->setChecked(true);
    type("DspData", "0081");
    EXPECT_EQ(frames(), (std::vector<Bytes>{padded({0x31, 0x0A, 0x2B}),
                                            padded({0x21, 0x0A, 0x2B, 0x00, 0x80}),
                                            padded({0x21, 0x0B, 0x2B, 0x00, 0x81})}));
}

TEST_F(DebugTabTest, ReplyForAnotherRegisterLeavesTheFieldAndDoesNotEatTheNextWrite) {
    choose(0x2B);
    reply({0x0A, 0x2B, 0x12, 0x34});
    ctx.sent.clear();
    reply({0x0A, 0x01, 0x40, 0x12}); // the page's load reads register 0x01
    EXPECT_EQ(get("DspData")->text(), "1234");
    type("DspRadix", "00f0");
    EXPECT_EQ(get("DspRadix")->text(), "00F0");
    invoke("DspDatSpinUpClick");
    EXPECT_EQ(frames(), std::vector<Bytes>{padded({0x21, 0x0A, 0x2B, 0x12, 0x44})});
}

TEST_F(DebugTabTest, EepromWordReadAndWrite) {
    type("eepadr", "0151");
    reply({0x0C, 0x01, 0x51, 0xAB, 0xCD});
    EXPECT_EQ(get("Eepdata")->text(), "ABCD");
    reply({0x0C, 0x01, 0x52, 0x11, 0x11}); // another word: not shown
    EXPECT_EQ(get("Eepdata")->text(), "ABCD");
    type("Eepdata", "1234");
    get<QCheckBox>("EEP_RAM")->setChecked(true);
    invoke("CSpinButton7DownClick");
    EXPECT_EQ(get("Eepdata")->text(), "1233");
    EXPECT_EQ(frames(), (std::vector<Bytes>{padded({0x31, 0x0C, 0x01, 0x51}),
                                            padded({0x21, 0x0C, 0x01, 0x51, 0x12, 0x34}),
                                            padded({0x21, 0x0F, 0x01, 0x51, 0x12, 0x33})}));
}

TEST_F(DebugTabTest, SpinButtonsWrapAndSendThroughTheirFields) {
    struct Case {
        const char* slot;
        const char* field;
        const char* before;
        const char* after;
        Bytes sent;
    };
    const Case cases[] = {
        {"CSpinButton6UpClick", "eepadr", "03FF", "0000", padded({0x31, 0x0C, 0x00, 0x00})},
        {"CSpinButton6DownClick", "eepadr", "0000", "03FF", padded({0x31, 0x0C, 0x03, 0xFF})},
        {"CSpinButton7UpClick", "Eepdata", "FFFF", "0000",
         padded({0x21, 0x0C, 0x00, 0x10, 0x00, 0x00})},
    };
    for (const Case& c : cases) {
        offline([&] {
            type("eepadr", "0010");
            type(c.field, c.before);
        });
        invoke(c.slot);
        EXPECT_EQ(get(c.field)->text(), c.after) << c.slot;
        EXPECT_EQ(frames(), std::vector<Bytes>{c.sent}) << c.slot;
    }
}

// Every sender: silent while the link is busy or a load runs, one frame otherwise.
TEST_F(DebugTabTest, EverySenderWaitsForAnIdleLink) {
    using Fields = std::vector<std::pair<const char*, const char*>>;
    struct Case {
        const char* slot;
        Fields fields; // texts in place before the handler runs
        Bytes sent;
    };
    const Case cases[] = {
        {"DspAdrChange", {}, padded({0x31, 0x0A, 0x40})},
        {"DspDataChange", {{"DspData", "BEEF"}}, padded({0x21, 0x0A, 0x40, 0xBE, 0xEF})},
        {"eepadrChange", {{"eepadr", "03fe"}}, padded({0x31, 0x0C, 0x03, 0xFE})},
        {"EepdataChange",
         {{"eepadr", "0001"}, {"Eepdata", "00FF"}},
         padded({0x21, 0x0C, 0x00, 0x01, 0x00, 0xFF})},
        {"ramAdrChange", {{"ramAdr", "FFF0"}}, padded({0x31, 0x0D, 0xFF, 0xF0, 0x01})},
        {"RamCountChange", {{"ramAdr", "F802"}}, padded({0x31, 0x0D, 0xF8, 0x00, 0x01})},
        {"btn_ram_wClick",
         {{"ramAdrwr", "EE01"}, {"ram_send_buff", "5A"}},
         padded({0x21, 0x0D, 0xEE, 0x01, 0x5A})},
        {"sampClick", {}, padded({0x31, 0x35, 0x00})},
        {"RamSendClick", {{"SendBuffer", "31 a 1"}}, padded({0x31, 0x0A, 0x01})},
        {"sw_saveClick", {}, padded({0x21, 0x1E})},
        {"PresetSaveClick", {}, padded({0x21, 0x20, 0x01})},
        {"osdtChange", {{"osdt", "8001"}}, padded({0x21, 0x0E, 0x01, 0x80, 0x01})},
    };
    for (const Case& c : cases) {
        offline([&] {
            get<QComboBox>("DspAdr")->setCurrentIndex(0x40);
            for (const auto& [field, value] : c.fields)
                type(field, value);
        });
        for (int refusal = 0; refusal < 2; ++refusal) {
            ctx.busy = refusal == 0;
            ctx.sequenceRunning = refusal == 1;
            invoke(c.slot);
            EXPECT_TRUE(ctx.sent.empty()) << c.slot << " refusal " << refusal;
        }
        ctx.busy = ctx.sequenceRunning = false;
        invoke(c.slot);
        EXPECT_EQ(frames(), std::vector<Bytes>{c.sent}) << c.slot;
    }
}

// Text that does not fill its field, is not hexadecimal or names a place
// outside the camera's memories sends nothing.
TEST_F(DebugTabTest, IncompleteOrOutOfRangeFieldsSendNothing) {
    struct Case {
        const char* field;
        const char* text;
        const char* then; // the field typed or the handler run afterwards
    };
    const Case cases[] = {
        {"DspData", "008", ""},
        {"DspData", "00G8", ""},
        {"Eepdata", "12X4", ""},
        {"eepadr", "0400", "Eepdata"}, // the read goes out
        {"eepadr", "040", "Eepdata"},
        {"ramAdr", "ED00", ""},
        {"RamCount", "1", ""},
        {"osdt", "12Z4", ""},
        {"ramAdrwr", "EDFF", "btn_ram_wClick"},
        {"ram_send_buff", "G1", "btn_ram_wClick"},
    };
    for (const Case& c : cases) {
        offline([&] {
            get<QComboBox>("DspAdr")->setCurrentIndex(0x10);
            for (const auto& [field, value] : {std::pair{"eepadr", "0000"},
                                               {"Eepdata", "0000"},
                                               {"ramAdr", "EE00"},
                                               {"ramAdrwr", "EE00"}})
                type(field, value);
            type("ram_send_buff", "00");
        });
        type(c.field, c.text);
        std::erase_if(ctx.sent, [](const cam::TxFrame& f) { return f[2] == 0x0C && f[1] == 0x31; });
        if (std::string(c.then) == "Eepdata") type("Eepdata", "1234");
        if (std::string(c.then) == "btn_ram_wClick") invoke("btn_ram_wClick");
        EXPECT_TRUE(ctx.sent.empty()) << c.field << " " << c.text;
    }
}

TEST_F(DebugTabTest, RamDumpOfTheCamera) {
    // Bytes written through the page come back in the dump.
    offline([&] { type("RamCount", "11"); });
    for (int i = 0; i < 17; ++i) {
        type("ramAdrwr", cam::hex4(static_cast<std::uint16_t>(0xEE00 + i)).c_str());
        type("ram_send_buff", cam::hex2(static_cast<std::uint8_t>(0xC0 + i)).c_str());
        invoke("btn_ram_wClick");
    }
    serve();
    ctx.sent.clear();
    answered = 0;

    type("ramAdr", "EE05");
    EXPECT_EQ(get("ramAdr")->text(), "EE00");
    serve();
    // Reads of two bytes each from the aligned address until 17 bytes are in.
    ASSERT_EQ(ctx.sent.size(), 9u);
    for (std::size_t k = 0; k < ctx.sent.size(); ++k)
        EXPECT_EQ(ctx.Payload(k, 5),
                  (Bytes{0x31, 0x0D, 0xEE, static_cast<std::uint8_t>(2 * k), 1}));
    EXPECT_EQ(text("Memo1"), "C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD CE CF \nD0 ");
    EXPECT_EQ(text("RdAdr"), "EE00");
    EXPECT_TRUE(MessageLog::shown().isEmpty());
}

TEST_F(DebugTabTest, RepeatedDumpStartsAgainUntilRepeatIsCleared) {
    offline([&] { type("RamCount", "04"); });
    get<QCheckBox>("RamRepeat")->setChecked(true);
    type("ramAdr", "F800");
    serve(6); // two dumps of two reads, and the first read of a third
    EXPECT_EQ(ctx.Payload(2, 5), (Bytes{0x31, 0x0D, 0xF8, 0x00, 0x01}));
    EXPECT_EQ(ctx.sent.size(), 7u);
    get<QCheckBox>("RamRepeat")->setChecked(false);
    serve();
    EXPECT_EQ(ctx.sent.size(), 8u);
    // The EEPROM's working image starts at 0xF800: word 0 high byte first.
    const std::uint16_t w0 = camera.Eeprom(0), w1 = camera.Eeprom(1);
    EXPECT_EQ(text("Memo1").toStdString(), cam::hex2(w0 >> 8) + " " + cam::hex2(w0 & 0xFF) + " " +
                                               cam::hex2(w1 >> 8) + " " + cam::hex2(w1 & 0xFF) +
                                               " ");
}

TEST_F(DebugTabTest, AreaSamplesFillSixLinesOfEight) {
    invoke("sampClick");
    serve();
    ASSERT_EQ(ctx.sent.size(), 48u);
    EXPECT_EQ(ctx.Payload(47, 3), (Bytes{0x31, 0x35, 47}));
    const QStringList lines = text("Memo1").split('\n');
    ASSERT_EQ(lines.size(), 6);
    std::string first;
    for (int i = 0; i < 8; ++i)
        first += cam::hex4(camsim::AreaSample(i)) + " ";
    EXPECT_EQ(lines[0].toStdString(), first);
    EXPECT_TRUE(lines[5].startsWith(QString::fromStdString(cam::hex4(camsim::AreaSample(40)))));
}

TEST_F(DebugTabTest, ErrorReplyOrALoadEndsTheLoop) {
    invoke("sampClick");
    serve(3);
    reply({0x35, 0x03}, 0xE0);
    EXPECT_EQ(MessageLog::count(QStringLiteral(" Error ")), 1);
    EXPECT_EQ(MessageLog::shown().back().caption, "ERR");
    reply({0x35, 0x04, 0x01, 0x00}); // a late answer does not restart it
    EXPECT_EQ(ctx.sent.size(), 4u);

    ctx.sent.clear();
    answered = 0;
    type("ramAdr", "EE10");
    ctx.sequenceRunning = true; // a load began before the answer came
    serve();
    EXPECT_EQ(ctx.sent.size(), 1u);
}

TEST_F(DebugTabTest, RawCommandThatIsNotHexadecimalIsRefusedWithAMessage) {
    invoke("RamSendClick"); // the field still shows its name
    EXPECT_TRUE(ctx.sent.empty());
    ASSERT_EQ(MessageLog::shown().size(), 1);
    EXPECT_TRUE(MessageLog::shown()[0].text.startsWith("Command: \"S\""));
}

TEST_F(DebugTabTest, RepliesToWritesAndOtherPagesCodesChangeNothing) {
    choose(0x2B);
    ctx.tx[1] = cam::kWriteClass;
    reply({0x0A, 0x2B, 0x55, 0x55});
    ctx.tx[1] = cam::kReadClass;
    reply({0x0B, 0x2B, 0x66, 0x66});
    reply({0x0D, 0xEE, 0x00, 0x12, 0x34}); // no dump running
    EXPECT_EQ(get("DspData")->text(), "Data");
    EXPECT_EQ(text("Memo1"), "");
    EXPECT_EQ(ctx.sent.size(), 1u);
}

TEST_F(DebugTabTest, LayoutFitsThePage) {
    choose(0x2A);
    reply({0x0A, 0x2A, 0x01, 0x23});
    offline([&] { type("RamCount", "FF"); });
    type("ramAdr", "F800");
    serve();
    tab.resize(730, 480);
    tab.show();
    tab.layout()->activate();
    EXPECT_LE(tab.minimumSizeHint().width(), 730);
    EXPECT_LE(tab.minimumSizeHint().height(), 480);
    for (QWidget* w : tab.findChildren<QWidget*>()) {
        if (!w->isVisible() || !w->parentWidget() || w->objectName().isEmpty()) continue;
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
            << w->objectName().toStdString();
    }
    // A full dump of 255 bytes is visible without scrolling.
    auto* memo = get<QPlainTextEdit>("Memo1");
    EXPECT_EQ(memo->blockCount(), 16);
    EXPECT_GE(memo->viewport()->height(), 16 * memo->fontMetrics().lineSpacing());
    if (const char* path = std::getenv("CAM_DEBUG_SCREENSHOT")) {
        EXPECT_TRUE(tab.grab().save(QString::fromLocal8Bit(path)));
    }
}

} // namespace
