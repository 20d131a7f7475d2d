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
    ctx.data[2046] = 0x5A; // no word 0x3FF in the file: it goes as the table holds it
    ctx.data[2047] = 0xA5;
    camsim::CameraModel target;
    dialogAnswers.push_back(name);
    tab.ptocOk2Click();
    ASSERT_EQ(host.bulk.size(), 1u);
    EXPECT_EQ(progress()->value(), progress()->maximum());
    Pump(target);

    EXPECT_EQ(WrongWords(target), 0);
    EXPECT_EQ(target.Eeprom(0x3FF), 0xA55A);
    EXPECT_EQ(target.Restarts(), 1);
    EXPECT_TRUE(completeShown());
    EXPECT_TRUE(get<QCheckBox>("Same")->isChecked());
    // A later reply on the page (a switch key, say) sends no second reset.
    tab.Trans_end_copy();
    EXPECT_EQ(ctx.sent.size(), 1u);
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
