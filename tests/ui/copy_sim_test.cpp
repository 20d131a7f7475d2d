// The three copies against the simulated camera: what "Camera->PC" writes is
// what the camera holds, and both PC->Camera copies put it into another one.

#include "tests/ui/copy_test_support.h"

namespace copy_test {
namespace {

int WrongWords(const camsim::CameraModel& camera) {
    int wrong = 0;
    for (int a = 0; a < 1023; ++a)
        wrong += camera.Eeprom(a) != Pattern(a);
    return wrong;
}

TEST_F(CopyTabTest, CameraToPcWritesTheFileExactly) {
    camsim::CameraModel source;
    for (int a = 0; a < 1024; ++a)
        source.SetEeprom(a, Pattern(a));
    const QString name = path("cam.dat");
    dialogAnswers.push_back(name);
    tab.CtopOK2Click();
    Pump(source);

    ASSERT_EQ(ctx.sent.size(), 1024u); // word 0x3FF is read too
    EXPECT_EQ(ctx.Payload(0x3FF, 5), Bytes({0x31, 0x0C, 0x03, 0xFF, 0x00}));
    EXPECT_EQ(ReadFile(name), CameraFile());
    EXPECT_TRUE(completeShown());
    EXPECT_EQ(get<QLabel>("Copyfname2")->text(), name);
    EXPECT_EQ(progress()->value(), 1023);
    EXPECT_TRUE(MessageLog::shown().isEmpty());

    // The simulated camera starts from such a file as it is.
    camsim::CameraModel restarted;
    std::string error;
    ASSERT_TRUE(restarted.LoadEepromFile(name.toStdString(), &error)) << error;
    EXPECT_EQ(WrongWords(restarted), 0);
}

TEST_F(CopyTabTest, BatchCopyPutsTheImageIntoTheCameraAndResetsIt) {
    const QString name = path("cam.dat");
    WriteFile(name, CameraFile());
    ctx.data[2046] = 0x5A; // what the table held: not the camera's word
    ctx.data[2047] = 0xA5;
    camsim::CameraModel target;
    target.SetEeprom(0x3FF, 0xBEEF); // the file has no word 0x3FF: the camera's stays
    dialogAnswers.push_back(name);
    tab.ptocOk2Click();
    // The camera's word 0x3FF is read before the image goes.
    ASSERT_EQ(ctx.sent.size(), 1u);
    EXPECT_EQ(ctx.Payload(0, 5), Bytes({0x31, 0x0C, 0x03, 0xFF, 0x00}));
    EXPECT_TRUE(host.bulk.empty());
    Pump(target);

    ASSERT_EQ(host.bulk.size(), 1u);
    EXPECT_EQ(host.bulk[0][2 + 2046], 0xEF);
    EXPECT_EQ(host.bulk[0][2 + 2047], 0xBE);
    EXPECT_EQ(progress()->value(), progress()->maximum());
    EXPECT_EQ(WrongWords(target), 0);
    EXPECT_EQ(target.Eeprom(0x3FF), 0xBEEF);
    EXPECT_EQ(target.Restarts(), 1);
    EXPECT_TRUE(completeShown());
    EXPECT_TRUE(get<QCheckBox>("Same")->isChecked());
    // A later reply on the page (a switch key, say) sends no second reset.
    tab.Trans_end_copy();
    EXPECT_EQ(ctx.sent.size(), 2u);
}

// Word 0x3FF: a file that gives it keeps its own; a read that the camera does
// not answer with that word sends no image at all.
TEST_F(CopyTabTest, BatchCopyWordAtTheTopOfTheEeprom) {
    const struct {
        const char* what;
        std::string extra;                             // after the camera's file
        std::optional<std::vector<std::uint8_t>> read; // the answer to the read, nullopt: none sent
        std::uint8_t status;
        bool imageSent;
        std::uint16_t word; // image bytes 2047, 2046
    } cases[] = {
        {"the file's word", "210C03FF1234\r\n", std::nullopt, cam::kAccepted, true, 0x1234},
        {"the camera's word", "", std::vector<std::uint8_t>{0x0C, 0x03, 0xFF, 0xBE, 0xEF},
         cam::kAccepted, true, 0xBEEF},
        {"another address", "", std::vector<std::uint8_t>{0x0C, 0x03, 0xFE, 0xBE, 0xEF},
         cam::kAccepted, false, 0},
        {"another code", "", std::vector<std::uint8_t>{0x32, 0x03, 0xFF}, cam::kAccepted, false, 0},
        {"an error reply", "", std::vector<std::uint8_t>{0x0C, 0x03, 0xFF}, 0xE0, false, 0},
    };
    const QString name = path("top.dat");
    for (const auto& c : cases) {
        MessageLog::clear();
        ctx.sent.clear();
        host.bulk.clear();
        ctx.data.fill(0x77);
        WriteFile(name, CameraFile() + c.extra);
        get<QCheckBox>("Same")->setChecked(false);
        dialogAnswers.push_back(name);
        tab.ptocOk2Click();
        ASSERT_EQ(ctx.sent.size(), c.read ? 1u : 0u) << c.what;
        if (c.read) {
            ctx.reply.fill(0);
            ctx.reply[0] = cam::STX;
            ctx.reply[1] = c.status;
            std::copy(c.read->begin(), c.read->end(), ctx.reply.begin() + 2);
            tab.Trans_end_copy();
        }
        ASSERT_EQ(host.bulk.size(), c.imageSent ? 1u : 0u) << c.what;
        EXPECT_EQ(tab.CopyRunning(), c.imageSent) << c.what;
        EXPECT_EQ(MessageLog::count(" Error "), c.imageSent ? 0 : 1) << c.what;
        if (c.imageSent) {
            EXPECT_EQ(host.bulk[0][2 + 2046] | host.bulk[0][2 + 2047] << 8, c.word) << c.what;
            continue;
        }
        EXPECT_EQ(ctx.data[0], 0x77) << c.what; // the image did not enter the table
        // Whatever follows on the page sends nothing more.
        ctx.SetReply({0x32});
        tab.Trans_end_copy();
        EXPECT_EQ(ctx.sent.size(), 1u) << c.what;
        EXPECT_TRUE(host.bulk.empty()) << c.what;
    }
}

TEST_F(CopyTabTest, SingleCopySendsLineByLineUpToTheReset) {
    const QString name = path("cam.dat");
    WriteFile(name, CameraFile());
    camsim::CameraModel target;
    dialogAnswers.push_back(name);
    tab.ptocOkClick();
    Pump(target);

    ASSERT_EQ(ctx.sent.size(), 1024u);
    EXPECT_EQ(WrongWords(target), 0);
    EXPECT_EQ(target.Restarts(), 1);
    EXPECT_FALSE(tab.CopyRunning()); // ended by the reset's ACK, without "Complete"
    EXPECT_FALSE(completeShown());
    EXPECT_EQ(progress()->value(), 32768);
}

} // namespace
} // namespace copy_test
