// The three copies through the real window against the simulated camera:
// the camera's EEPROM compared word by word before and after, and the file
// byte by byte; then the same copies against a camera that misbehaves.

#include "tests/ui/copy_bench.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cstdio>

namespace copy_bench {
namespace {

constexpr std::uint16_t kTopWord = 0xBEEF; // the camera's word 0x3FF, in no copy file

Eeprom WithTop(Eeprom words) {
    words[0x3FF] = kTopWord;
    return words;
}

TEST(CopyWindow, EachCopyIsExactWordByWord) {
    const Eeprom camera = WithTop(Pattern(1));
    const Eeprom file = Pattern(2);
    Eeprom filed = file; // what a camera holds after taking `file`
    filed[0x3FF] = kTopWord;

    const struct {
        const char* button;
        bool fromFile; // the copy file is written by the test, else by the copy
        Eeprom after;  // the camera's words afterwards
        int restarts;
    } cases[] = {
        {"CtopOK2", false, camera, 0},
        {"ptocOk", true, filed, 1},
        {"ptocOk2", true, filed, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        CopyBench b;
        b.SetWords(camera);
        const QString name = b.Path("copy.dat");
        if (c.fromFile) WriteFile(name, FileOf(file));
        b.Run(c.button, name);

        EXPECT_EQ(b.Words(), c.after);
        EXPECT_EQ(FirstDifference(ReadFile(name), FileOf(c.fromFile ? file : camera)), "");
        EXPECT_EQ(b.camera.Restarts(), c.restarts);
        EXPECT_EQ(b.ticks, 0); // nothing waited for a time-out
        EXPECT_TRUE(MessageLog::shown().isEmpty())
            << MessageLog::shown().front().text.toStdString();
    }
}

// The serial device goes away in the middle of a copy: the copy stops, says
// so, writes no Camera->PC file, and is not resumed when the line comes back.
TEST(CopyWindow, ALostLineStopsTheCopyForGood) {
    const Eeprom camera = WithTop(Pattern(5));
    const Eeprom file = Pattern(6);
    const struct {
        const char* button;
        int framesBeforeLoss;
        const char* state; // what the camera and the file are left with
    } cases[] = {{"CtopOK2", 100, "no file was written"},
                 {"ptocOk", 100,
                  "the camera holds words up to 0x0062 of the file, without the reset: its EEPROM "
                  "is partly written"},
                 {"ptocOk2", 1, "the camera was not written"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        CopyBench b;
        b.SetWords(camera);
        const QString name = b.Path("copy.dat");
        if (std::string(c.button) != "CtopOK2") WriteFile(name, FileOf(file));
        int frames = 0;
        bool lost = false;
        auto answer = b.port->answer;
        b.port->answer = [&](std::uint8_t port, const Bytes& w) {
            if (w.size() == 19 && ++frames >= c.framesBeforeLoss) lost = true;
            return lost ? Bytes{} : answer(port, w);
        };
        b.dialogAnswers.push_back(name);
        b.window->findChild<QPushButton*>(QLatin1String(c.button))->click();
        while (!lost && b.port->Deliver(1 << 20) > 0)
            QCoreApplication::sendPostedEvents();
        ASSERT_TRUE(lost);
        b.port->HangUp();

        EXPECT_FALSE(b.tab->CopyRunning());
        EXPECT_EQ(b.window->findChild<QLabel*>(QStringLiteral("Label35"))->text().toStdString(),
                  std::string("Stopped: the camera's line was lost; ") + c.state);
        ASSERT_EQ(MessageLog::shown().size(), 1);
        EXPECT_TRUE(
            MessageLog::shown().front().text.contains(QStringLiteral("The copy was stopped")));
        if (std::string(c.button) == "CtopOK2") {
            EXPECT_FALSE(ReadFile(name).has_value());
        }
        if (std::string(c.button) == "ptocOk2") {
            EXPECT_EQ(b.Words(), camera); // nothing was sent
        }

        // The adapter comes back: the tab reloads and no copy frame follows.
        b.port->gone = false;
        lost = false;
        frames = -1000;
        b.port->answer = [&](std::uint8_t port, const Bytes& w) {
            if (w == Bytes{cam::ENQ}) return Bytes{cam::ACK};
            if (w.size() == 19 && w[1] != cam::kReadClass) ++frames;
            return answer(port, w);
        };
        b.window->SendTimerTimer();
        b.port->Deliver(1 << 20);
        EXPECT_EQ(b.window->Link().LinkMode(), cam::TLink::Idle);
        EXPECT_FALSE(b.tab->CopyRunning());
        EXPECT_EQ(frames, -1000); // no write reached the camera
    }
}

// A camera copied onto itself stays as it was, word 0x3FF included.
TEST(CopyWindow, CameraCopiedOntoItselfIsUnchanged) {
    CopyBench b;
    const Eeprom camera = WithTop(Pattern(3));
    b.SetWords(camera);
    const QString name = b.Path("self.dat");
    b.Run("CtopOK2", name);
    ASSERT_EQ(FirstDifference(ReadFile(name), FileOf(camera)), "");
    b.Run("ptocOk2", name);
    EXPECT_EQ(b.Words(), camera);
    EXPECT_EQ(b.camera.Restarts(), 1);
    EXPECT_TRUE(MessageLog::shown().isEmpty());
}

// ---- Verify -------------------------------------------------------------------------

TEST(CopyWindow, VerifyFindsExactlyTheWordsThatDiffer) {
    CopyBench b;
    const Eeprom words = WithTop(Pattern(8));
    b.SetWords(words);
    const QString name = b.Path("verify.dat");
    WriteFile(name, FileOf(words));
    const std::pair<int, std::uint16_t> changed[] = {
        {0x005, 0x1234}, {0x100, 0x0000}, {0x3FE, 0xFFFF}};
    for (const auto& [address, word] : changed)
        b.camera.SetEeprom(address, word);
    const Eeprom before = b.Words();
    const std::size_t frames = b.port->writes.size();

    b.Run("VerifyButton", name);
    EXPECT_EQ(b.window->findChild<QLabel*>(QStringLiteral("VerifyResult"))->text(),
              QStringLiteral("3 of 1023 words differ\n0x0005: camera 1234, file %1\n"
                             "0x0100: camera 0000, file %2\n0x03FE: camera FFFF, file %3")
                  .arg(QString::asprintf("%04X", words[0x005]),
                       QString::asprintf("%04X", words[0x100]),
                       QString::asprintf("%04X", words[0x3FE])));
    EXPECT_EQ(b.Words(), before);                         // reads only
    EXPECT_EQ(b.port->writes.size() - frames, 2u * 1023); // each read and its ACK
    EXPECT_TRUE(MessageLog::shown().isEmpty());
}

TEST(CopyWindow, VerifyAfterCopyComparesWhatWasCopied) {
    for (const char* button : {"ptocOk", "ptocOk2"}) {
        SCOPED_TRACE(button);
        CopyBench b;
        b.SetWords(WithTop(Pattern(9)));
        const QString name = b.Path("copy.dat");
        WriteFile(name, FileOf(Pattern(10)));
        b.window->findChild<QCheckBox*>(QStringLiteral("VerifyAfterCopy"))->setChecked(true);
        b.Run(button, name);
        EXPECT_EQ(b.window->findChild<QLabel*>(QStringLiteral("VerifyResult"))->text(),
                  QStringLiteral("Verified: all 1023 words are as in the file"));
        EXPECT_EQ(b.window->findChild<QProgressBar*>(QStringLiteral("VerifyProgress"))->value(),
                  1023);
    }
}

TEST(CopyWindow, VerifyCancelStopsTheReads) {
    CopyBench b;
    const QString name = b.Path("verify.dat");
    WriteFile(name, FileOf(b.Words()));
    b.dialogAnswers.push_back(name);
    b.window->findChild<QPushButton*>(QStringLiteral("VerifyButton"))->click();
    b.port->Deliver(10);
    auto* cancel = b.window->findChild<QPushButton*>(QStringLiteral("VerifyCancel"));
    ASSERT_TRUE(cancel->isEnabled());
    cancel->click();
    const std::size_t frames = b.port->writes.size();
    b.port->Deliver(1000);
    EXPECT_FALSE(b.tab->Verifying());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_LE(b.port->writes.size() - frames, 1u); // the ACK of the answer in flight
    EXPECT_TRUE(b.window->findChild<QLabel*>(QStringLiteral("VerifyResult"))
                    ->text()
                    .startsWith(QStringLiteral("Verify cancelled after 1")));
}

// ---- faults --------------------------------------------------------------------------

enum class Copy { CameraToPc, Single, Batch };
enum class Outcome { BitExact, Stopped, Wrong };

const char* Name(Outcome o) {
    return o == Outcome::BitExact ? "bit-exact" : o == Outcome::Stopped ? "stopped" : "WRONG";
}

struct FaultCase {
    const char* fault;
    camsim::ModelOptions (*options)(Copy copy);
    Outcome expected[3]; // Camera->PC, Single, Batch
};

camsim::ModelOptions Every(int camsim::ModelOptions::*field, int n) {
    camsim::ModelOptions o;
    o.*field = n;
    return o;
}

const FaultCase kFaults[] = {
    {"every 2nd reply dropped",
     [](Copy) { return Every(&camsim::ModelOptions::dropReplyEvery, 2); },
     {Outcome::BitExact, Outcome::BitExact, Outcome::BitExact}},
    {"every 2nd reply with a wrong CRC",
     [](Copy) { return Every(&camsim::ModelOptions::corruptReplyEvery, 2); },
     {Outcome::BitExact, Outcome::BitExact, Outcome::BitExact}},
    {"every 2nd frame without its ACK",
     [](Copy) { return Every(&camsim::ModelOptions::missingAckEvery, 2); },
     {Outcome::BitExact, Outcome::BitExact, Outcome::BitExact}},
    {"every 2nd reply after the time-out",
     [](Copy) { return Every(&camsim::ModelOptions::delayReplyEvery, 2); },
     {Outcome::BitExact, Outcome::BitExact, Outcome::BitExact}},
    {"every 2nd frame answered with NAK",
     [](Copy) { return Every(&camsim::ModelOptions::nakEvery, 2); },
     {Outcome::BitExact, Outcome::BitExact, Outcome::BitExact}},
    {"silent in the middle of the copy",
     [](Copy c) { return Every(&camsim::ModelOptions::silentAfter, c == Copy::Batch ? 1 : 500); },
     {Outcome::Stopped, Outcome::Stopped, Outcome::Stopped}},
    {"silent before the first answer",
     [](Copy) { return Every(&camsim::ModelOptions::silentAfter, 0); },
     {Outcome::Stopped, Outcome::Stopped, Outcome::Stopped}},
    {"every 7th frame without its ACK",
     [](Copy c) { return Every(&camsim::ModelOptions::missingAckEvery, c == Copy::Batch ? 2 : 7); },
     {Outcome::BitExact, Outcome::BitExact, Outcome::BitExact}},
    {"drops, CRC, late, NAK at random (1/40), seed 38",
     [](Copy c) {
         camsim::ModelOptions o;
         const int n = c == Copy::Batch ? 3 : 40;
         o.dropReplyEvery = o.corruptReplyEvery = o.delayReplyEvery = o.nakEvery = n;
         o.faultSeed = 38;
         return o;
     },
     {Outcome::Stopped, Outcome::Stopped, Outcome::Stopped}},
    {"drops, CRC, late, NAK at random (1/150), seed 7",
     [](Copy c) {
         camsim::ModelOptions o;
         const int n = c == Copy::Batch ? 3 : 150;
         o.dropReplyEvery = o.corruptReplyEvery = o.delayReplyEvery = o.nakEvery = n;
         o.faultSeed = 7;
         return o;
     },
     {Outcome::BitExact, Outcome::BitExact, Outcome::Stopped}},
};

// What a copy left: bit-exact, or stopped with the tab's message, no file
// from "Camera->PC" and every word either as it was or the file's (a single
// copy stops after a run of lines, so its words are the file's up to a line
// and the old ones after it); anything else is wrong.
Outcome Judge(Copy copy, const CopyBench& b, const Eeprom& before, const Eeprom& file,
              const QString& name) {
    const Eeprom after = b.Words();
    const bool told = MessageLog::count(QStringLiteral(" Error ")) >= 1;
    if (after[0x3FF] != before[0x3FF]) return Outcome::Wrong;
    if (copy == Copy::CameraToPc) {
        if (after != before) return Outcome::Wrong;
        const auto written = ReadFile(name);
        if (written == FileOf(before) && !told) return Outcome::BitExact;
        return !written && told ? Outcome::Stopped : Outcome::Wrong;
    }
    int taken = 0; // leading words that hold the file's
    while (taken < 1023 &&
           after[static_cast<std::size_t>(taken)] == file[static_cast<std::size_t>(taken)])
        ++taken;
    for (int a = taken; a < 1023; ++a)
        if (after[static_cast<std::size_t>(a)] != before[static_cast<std::size_t>(a)])
            return Outcome::Wrong;
    if (taken == 1023 && !told) return Outcome::BitExact;
    if (!told) return Outcome::Wrong;
    if (copy == Copy::Batch && taken != 0) return Outcome::Wrong; // one image or none
    return Outcome::Stopped;
}

TEST(CopyWindow, FaultsEndBitExactOrStopCleanly) {
    const Eeprom before = WithTop(Pattern(4));
    const Eeprom file = Pattern(5);
    const char* const buttons[] = {"CtopOK2", "ptocOk", "ptocOk2"};
    std::string table = "\n";
    for (const FaultCase& f : kFaults) {
        char row[160];
        std::snprintf(row, sizeof row, "%-48s", f.fault);
        table += row;
        for (int k = 0; k < 3; ++k) {
            const Copy copy = static_cast<Copy>(k);
            SCOPED_TRACE(std::string(f.fault) + ", " + buttons[k]);
            CopyBench b;
            b.SetWords(before);
            b.camera.SetFaults(f.options(copy));
            const QString name = b.Path("copy.dat");
            if (copy != Copy::CameraToPc) WriteFile(name, FileOf(file));
            b.Run(buttons[k], name);
            const Outcome got = Judge(copy, b, before, file, name);
            EXPECT_STREQ(Name(got), Name(f.expected[k]));
            std::snprintf(row, sizeof row, " | %-9s %5d ticks", Name(got), b.ticks);
            table += row;
        }
        table += "\n";
    }
    std::printf("%-48s | %-21s | %-21s | %-21s%s", "fault", "Camera->PC", "PC->Camera(Single)",
                "PC->Camera(Batch)", table.c_str());
}

} // namespace
} // namespace copy_bench
