// The procedures of several steps (the copies, the verification, the RAM dump
// and the area samples) on the real window against the camera model: each
// moves on only on the answer to its own frame, so no other reply shifts it
// or brings it back, and leaving its page or a load ends it with a message.

#include "sim/service_state.h"
#include "support/window_bench.h"
#include "tests/ui/copy_bench.h"
#include "ui/copy/copy_tab.h"
#include "ui/service/debug_text.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>

using namespace window_bench;

namespace {

constexpr std::uint8_t kSwitchKey = 0x01;

struct Procedures : Bench {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("copy.dat"));
    TCopyTab* copy = find<TCopyTab>("Panel7");
    copy_bench::Eeprom words = copy_bench::Pattern(4);

    Procedures() {
        for (int a = 0; a < 1024; ++a)
            camera.SetEeprom(a, words[static_cast<std::size_t>(a)]);
        // Each dialog takes `file`, unless the test cleared it (Cancel).
        copy->SetDialogRunner([this](TCopyFileDialog& d) {
            d.FileName = file;
            return !file.isEmpty();
        });
        copy->SetQuestion([](const QString&) { return true; });
    }
    std::size_t clicked = 0; // the commands before the last click
    void click(const char* button, int rounds) {
        clicked = commands.size();
        find<QPushButton>(button)->click();
        port->Deliver(rounds);
    }
    void finish() {
        for (int i = 0; i < 10 && port->Deliver(1 << 20) > 0; ++i)
            QCoreApplication::sendPostedEvents();
    }
    bool stoppedWithMessage() const {
        for (const auto& m : MessageLog::shown())
            if (m.text.contains(QStringLiteral("stopped"))) return true;
        return false;
    }
    QString memo() { return find<QPlainTextEdit>("Memo1")->toPlainText(); }
};

struct Scenario {
    const char* name;
    std::function<void(Procedures&)> act;
    std::function<void(Procedures&)> check;
};

// Camera->PC interrupted part-way: it ends with a message and nothing brings
// it back, so no file is written and no success is shown.
void checkCopyEnded(Procedures& b) {
    b.window->SW_push(kSwitchKey); // an unrelated reply on the Copy page
    b.finish();
    EXPECT_FALSE(b.copy->CopyRunning());
    EXPECT_TRUE(b.stoppedWithMessage());
    EXPECT_FALSE(QFile::exists(b.file));
    EXPECT_TRUE(b.find<QLabel>("complete2")->isHidden());
}

const std::vector<Scenario> kScenarios = {
    {"CameraToPcEndsOnATabChange",
     [](Procedures& b) {
         b.show(Copy);
         b.click("CtopOK2", 30);
         b.show(Line);
         b.show(Copy);
     },
     checkCopyEnded},
    {"CameraToPcEndsOnALoad",
     [](Procedures& b) {
         b.show(Copy);
         b.click("CtopOK2", 30);
         b.invoke(b.window.get(), "ReLoadClick");
         b.port->Deliver();
     },
     checkCopyEnded},
    {"CameraToPcEndsOnAnotherCopyButton",
     [](Procedures& b) {
         b.show(Copy);
         b.click("CtopOK2", 30);
         b.file.clear();
         b.click("ptocOk2", 0);
     },
     checkCopyEnded},
    {"SwitchKeyDuringCameraToPcReadsEachWordOnce",
     [](Procedures& b) {
         b.show(Copy);
         b.click("CtopOK2", 30);
         b.window->SW_push(kSwitchKey);
         b.finish();
     },
     [](Procedures& b) {
         EXPECT_EQ(stepsOf(b, b.clicked, cam::kEepromWordCode).size(), 1024u);
         EXPECT_EQ(
             copy_bench::FirstDifference(copy_bench::ReadFile(b.file), copy_bench::FileOf(b.words)),
             "");
     }},
    {"SwitchKeyDuringVerifyReadsEachWordOnce",
     [](Procedures& b) {
         copy_bench::WriteFile(b.file, copy_bench::FileOf(b.words));
         b.show(Copy);
         b.click("VerifyButton", 30);
         b.window->SW_push(kSwitchKey);
         b.finish();
     },
     [](Procedures& b) {
         EXPECT_EQ(stepsOf(b, b.clicked, cam::kEepromWordCode).size(), 1023u);
         EXPECT_EQ(b.find<QLabel>("VerifyResult")->text(),
                   QStringLiteral("Verified: all 1023 words are as in the file"));
     }},
    {"RawRamReadDuringARepeatedDumpShiftsNothing",
     [](Procedures& b) {
         b.show(Debug);
         b.find<QCheckBox>("RamRepeat")->setChecked(true);
         b.find<QLineEdit>("ramAdr")->setText(QStringLiteral("EF00"));
         b.port->Deliver(20);
         b.find<QLineEdit>("SendBuffer")->setText(QStringLiteral("31 0D EF 03 01"));
         b.invoke(b.find("Panel2"), "RamSendClick");
         b.port->Deliver(20);
         b.find<QCheckBox>("RamRepeat")->setChecked(false);
         b.finish();
     },
     nullptr},
    {"NewRamAddressDuringARepeatedDump",
     [](Procedures& b) {
         b.show(Debug);
         b.find<QCheckBox>("RamRepeat")->setChecked(true);
         b.find<QLineEdit>("ramAdr")->setText(QStringLiteral("EE10"));
         b.port->Deliver(9);
         b.find<QLineEdit>("ramAdr")->setText(QStringLiteral("EF00"));
         b.port->Deliver(9);
         b.find<QCheckBox>("RamRepeat")->setChecked(false);
         b.finish();
     },
     nullptr},
    {"DoubleClickOnAreaSamples",
     [](Procedures& b) {
         b.show(Debug);
         b.find<QPushButton>("samp")->click();
         b.find<QPushButton>("samp")->click();
         b.finish();
     },
     [](Procedures& b) {
         std::array<std::uint16_t, cam::kAreaSampleCount> samples{};
         for (int i = 0; i < cam::kAreaSampleCount; ++i)
             samples[static_cast<std::size_t>(i)] = camsim::AreaSample(i);
         EXPECT_EQ(b.memo().toStdString(), cam::area_sample_text(samples));
     }},
};

// The dump of 0xEF00..0xEF0F, bytes that differ at every address.
void prepareRam(Procedures& b) {
    for (std::uint8_t i = 0; i < 16; ++i)
        cameraSets(b, {0x21, 0x0D, 0xEF, i, static_cast<std::uint8_t>(0x40 + 3 * i)});
}
void checkRam(Procedures& b) {
    std::uint8_t bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = b.camera.Ram(0xEF00 + i);
    EXPECT_EQ(b.memo().toStdString(), cam::ram_dump_text(bytes, 16));
}

class WindowProcedures : public ::testing::TestWithParam<Scenario> {};

TEST_P(WindowProcedures, MoveOnOnlyOnTheirOwnAnswers) {
    const Scenario& s = GetParam();
    Procedures b;
    prepareRam(b);
    s.act(b);
    EXPECT_EQ(b.overlaps, 0);
    if (s.check)
        s.check(b);
    else
        checkRam(b);
}

INSTANTIATE_TEST_SUITE_P(Window, WindowProcedures, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
