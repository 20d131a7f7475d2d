// What the Copy tab tells while and after it works, through the real window
// against the camera model: cancelling each procedure, results that go when
// they no longer tell about this camera, the progress in words and time, the
// verification's map and its saved differences.

#include "tests/ui/copy_bench.h"
#include "ui/copy/verify_map.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <utility>

namespace copy_bench {
namespace {

const QDateTime kStart(QDate(2024, 5, 6), QTime(18, 14, 0));

// A bench whose line answers frame number `holdAt` (1-based, command or
// bulk) only on Release(), and whose clock runs 40 ms a frame (the bulk
// frame, written in parts, counts once), about as at 9600 bit/s.
struct ViewBench : CopyBench {
    int frames = 0;
    int holdAt = 0;
    Bytes held;
    qint64 ms = 0;

    ViewBench() {
        auto answer = port->answer;
        port->answer = [this, answer](std::uint8_t p, const Bytes& w) {
            Bytes out = answer(p, w);
            const bool command = w.size() == cam::kFrameSize && w[0] == cam::STX;
            if (command || (w.size() > 1 && w[0] == cam::SOH)) {
                ms += 40;
                ++frames;
            }
            if (frames != holdAt) return out;
            held.insert(held.end(), out.begin(), out.end());
            return Bytes{};
        };
        tab->SetClock([this] { return kStart.addMSecs(ms); });
    }
    template <class T = QLabel> T* find(const char* name) {
        return window->findChild<T*>(QLatin1String(name));
    }
    std::string text(const char* label) { return find(label)->text().toStdString(); }
    void Click(const char* button, const QString& file) {
        dialogAnswers.push_back(file);
        find<QPushButton>(button)->click();
        Settle();
    }
    void Settle() {
        do
            QCoreApplication::sendPostedEvents();
        while (port->Deliver(1 << 20) > 0);
    }
    void Release() {
        holdAt = 0;
        port->Receive(std::exchange(held, {}));
        Settle();
    }
};

// ---- Cancel ---------------------------------------------------------------------------

TEST(CopyView, CancelTellsWhatTheCameraHolds) {
    const Eeprom before = Pattern(11);
    const Eeprom file = Pattern(12);
    const struct {
        const char* button;
        int holdAt;         // the frame in flight at the cancel
        const char* before; // CopyStateText() just before it
        const char* after;  // Label35 once that frame is answered
        int taken;          // leading words of the file the camera holds then
        int restarts = 0;
    } cases[] = {
        {"CtopOK2", 101, "no file was written", "Cancelled: no file was written", 0},
        {"ptocOk", 101,
         "the camera holds words up to 0x0063 of the file, without the reset: its EEPROM is "
         "partly written",
         "Cancelled: the camera holds words up to 0x0064 of the file, without the reset: its "
         "EEPROM is partly written",
         0x65},
        {"ptocOk", 1024,
         "the camera holds words up to 0x03FE of the file, without the reset: its EEPROM is "
         "partly written",
         "Cancelled: the camera took the whole file and was reset", 1023, 1},
        {"ptocOk2", 1, "the camera was not written", "Cancelled: the camera was not written", 0},
        {"ptocOk2", 2,
         "the image was sent but not answered: the camera may hold it; the reset was not sent",
         "Cancelled: the image is written; the reset was not sent", 1023},
        {"VerifyButton", 101, "100 of 1023 words compared, 1 differing; the camera was not written",
         "Cancelled: 100 of 1023 words compared, 1 differing; the camera was not written", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " at frame " + std::to_string(c.holdAt));
        const bool verify = std::string(c.button) == "VerifyButton";
        ViewBench b;
        Eeprom camera = before;
        camera[0x40] ^= 1; // the verification finds it
        b.SetWords(camera);
        const QString name = b.Path("copy.dat");
        if (std::string(c.button) != "CtopOK2") WriteFile(name, FileOf(verify ? before : file));
        b.holdAt = c.holdAt;
        b.Click(c.button, name);
        ASSERT_EQ(b.frames, c.holdAt);
        EXPECT_EQ(b.tab->CopyStateText().toStdString(), c.before);
        // Its handler, by name: while the bulk frame goes out the window greys all pages.
        auto* cancel = b.find<QPushButton>(verify ? "VerifyCancel" : "CopyCancel");
        ASSERT_TRUE(cancel->isEnabledTo(b.tab));
        ASSERT_TRUE(
            QMetaObject::invokeMethod(b.tab, verify ? "VerifyCancelClick" : "CopyCancelClick"));
        EXPECT_FALSE(cancel->isEnabledTo(b.tab));
        EXPECT_TRUE(b.tab->CopyStateText().isEmpty());
        b.Release();

        EXPECT_EQ(b.frames, c.holdAt); // nothing went out after the cancel
        EXPECT_EQ(b.text("Label35"), c.after);
        for (const char* progress : {"CopyProgressText", "VerifyProgressText"})
            EXPECT_EQ(b.text(progress).find("left"), std::string::npos) << b.text(progress);
        Eeprom want = camera;
        for (int a = 0; a < c.taken; ++a)
            want[static_cast<std::size_t>(a)] = file[static_cast<std::size_t>(a)];
        EXPECT_EQ(b.Words(), want);
        EXPECT_EQ(b.camera.Restarts(), c.restarts);
        EXPECT_TRUE(MessageLog::shown().isEmpty());
        if (std::string(c.button) == "CtopOK2") {
            EXPECT_FALSE(ReadFile(name).has_value());
        }
    }
}

// ---- results that belong to a camera, a file and a time -----------------------------------

TEST(CopyView, ResultsGoWhenTheyNoLongerTellAboutThisCamera) {
    const struct {
        const char* what;
        void (*act)(ViewBench& b);
    } cases[] = {
        {"a new copy starts", [](ViewBench& b) { b.Click("CtopOK2", b.Path("new.dat")); }},
        {"a file fails to load",
         [](ViewBench& b) {
             WriteFile(b.Path("bad.dat"), "no records here\r\n");
             b.find<QCheckBox>("Same")->setChecked(false);
             b.Click("VerifyButton", b.Path("bad.dat"));
         }},
        {"another camera", [](ViewBench& b) { b.tab->CameraConnected(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ViewBench b;
        b.window->show();
        const QString name = b.Path("a.dat");
        WriteFile(name, FileOf(Pattern(13)));
        b.find<QCheckBox>("VerifyAfterCopy")->setChecked(true);
        b.Run("ptocOk2", name);
        ASSERT_FALSE(b.find("complete2")->isHidden());
        EXPECT_EQ(b.text("CompleteStamp"), "a.dat, 18:14:00");
        EXPECT_EQ(b.text("VerifyResult"), "Verified: all 1023 words are as in the file");
        EXPECT_EQ(b.text("VerifyStamp"), "a.dat, 18:14:41");              // 1023 reads at 40 ms
        EXPECT_FALSE(b.find<QPushButton>("VerifyDiffSave")->isEnabled()); // nothing differs
        auto* map = b.find<TVerifyMap>("VerifyMap");
        ASSERT_EQ(map->CellState(0), TVerifyMap::Cell::Equal);
        const QRect verify = b.find<QPushButton>("VerifyButton")->geometry();

        b.holdAt = b.frames + 1; // a copy started stays at its first frame
        c.act(b);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        EXPECT_TRUE(b.find("complete2")->isHidden());
        EXPECT_EQ(b.text("CompleteStamp"), "");
        EXPECT_EQ(b.text("VerifyResult"), "");
        EXPECT_EQ(b.text("VerifyStamp"), "");
        EXPECT_EQ(map->CellState(0), TVerifyMap::Cell::NotRead);
        EXPECT_EQ(b.find<QPushButton>("VerifyButton")->geometry(), verify); // nothing moved
    }
}

// ---- progress ------------------------------------------------------------------------------

TEST(CopyView, ProgressTellsWordsAndTimeLeft) {
    const struct {
        const char* button;
        int holdAt; // 0: runs to its end
        const char* label;
        const char* text;
    } cases[] = {
        // 512 answers in 20.5 s: as long again for the rest.
        {"CtopOK2", 513, "CopyProgressText", "512 of 1024 words, 0:21 left"},
        {"ptocOk", 513, "CopyProgressText", "512 of 1024 lines, 0:21 left"},
        {"VerifyButton", 513, "VerifyProgressText", "512 of 1023 words, 0:21 left"},
        {"CtopOK2", 0, "CopyProgressText", "1024 of 1024 words"},
        {"ptocOk", 0, "CopyProgressText", "1024 of 1024 lines"},
        {"ptocOk2", 1, "CopyProgressText", "Reading the camera's word 0x03FF"},
        {"ptocOk2", 2, "CopyProgressText", "Sending the image"},
        {"ptocOk2", 0, "CopyProgressText", "Image written; camera reset sent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " at frame " + std::to_string(c.holdAt));
        ViewBench b;
        const QString name = b.Path("copy.dat");
        if (std::string(c.button) != "CtopOK2") WriteFile(name, FileOf(Pattern(14)));
        b.holdAt = c.holdAt;
        if (c.holdAt == 0) {
            b.Run(c.button, name);
        } else {
            b.Click(c.button, name);
            // Steps after the first wait for the progress tick: no repaint a word.
            if (c.holdAt > 2) {
                EXPECT_NE(b.text(c.label), c.text);
            }
            QMetaObject::invokeMethod(b.tab, "ProgressTimerTimer");
        }
        EXPECT_EQ(b.text(c.label), c.text);
    }
}

// ---- the map and the differences saved ---------------------------------------------------

TEST(CopyView, MapAndSavedDifferencesShowWhatDiffers) {
    ViewBench b;
    const Eeprom words = Pattern(15);
    b.SetWords(words);
    std::string text = FileOf(words);
    text.erase(32 * 0x200, 32); // the file gives no word 0x200
    const QString name = b.Path("verify.dat");
    WriteFile(name, text);
    const std::pair<int, std::uint16_t> changed[] = {{0x005, 0x1234}, {0x3FE, 0xFFFF}};
    for (const auto& [address, word] : changed)
        b.camera.SetEeprom(address, word);
    b.Run("VerifyButton", name);

    auto* map = b.find<TVerifyMap>("VerifyMap");
    const std::pair<int, TVerifyMap::Cell> cells[] = {
        {0x000, TVerifyMap::Cell::Equal},   {0x005, TVerifyMap::Cell::Differs},
        {0x1FF, TVerifyMap::Cell::Equal},   {0x200, TVerifyMap::Cell::NotInFile},
        {0x3FE, TVerifyMap::Cell::Differs}, {0x3FF, TVerifyMap::Cell::NotInFile},
    };
    for (const auto& [address, state] : cells)
        EXPECT_EQ(map->CellState(address), state) << address;
    // Row 0, column 5 under the pointer; word 5 holds register 0x05's value.
    EXPECT_EQ(map->CellText(map->AddressAt(map->rect().topLeft() + QPoint(27, 2))),
              QStringLiteral("0x0005 (DSP ﾌｨﾙﾀ)\ncamera: 1234\nfile: %1")
                  .arg(QString::asprintf("%04X", words[0x005])));

    const QString saved = b.Path("diff.dat");
    b.dialogAnswers.push_back(saved);
    b.find<QPushButton>("VerifyDiffSave")->click();
    EXPECT_EQ(ReadFile(saved), std::optional<std::string>("210C00051234000000000000000000\r\n"
                                                          "210C03FEFFFF000000000000000000\r\n"
                                                          "F1" +
                                                          std::string(28, '0') + "\r\n"));
    EXPECT_TRUE(MessageLog::shown().isEmpty());
}

} // namespace
} // namespace copy_bench
