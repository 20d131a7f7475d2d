// Backup file names: what each port and device become, and that an existing
// backup is never chosen again.

#include "line/backup_name.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(LineBackupName, FromPortAndDevice) {
    const QDateTime when(QDate(2026, 12, 10), QTime(18, 15, 1, 250));
    const char* const cases[][3] = {
        // port, device, name before the time stamp
        {"/dev/serial/by-id/usb-FTDI_A1", "/dev/ttyUSB3", "usb-FTDI_A1_ttyUSB3"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0", "ttyUSB0"},
        {"/dev/ttyS1/", "", "ttyS1"},
        {"/tmp/cam 1:ü", "/dev/pts/7", "cam_1___7"},
        {"/tmp/.hidden", "", "_hidden"},
        {"/", "/dev/ttyACM0", "camera_ttyACM0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cam::BackupFileName(c[0], c[1], when),
                  c[2] + std::string("_20261210-181501.dat"));
}

TEST(LineBackupName, UniquePathSkipsTakenNames) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    const auto touch = [](const std::string& path) {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    EXPECT_EQ(cam::UniquePath(base, "a.dat"), base + "/a.dat");
    EXPECT_EQ(cam::UniquePath(base + "/", "a.dat"), base + "/a.dat");
    touch(base + "/a.dat");
    touch(base + "/a-2.dat");
    EXPECT_EQ(cam::UniquePath(base, "a.dat"), base + "/a-3.dat");
    ASSERT_TRUE(QFile::link(QString::fromStdString(base + "/gone"),
                            QString::fromStdString(base + "/b.dat")));
    EXPECT_EQ(cam::UniquePath(base, "b.dat"), base + "/b-2.dat"); // a dangling link is taken
    touch(base + "/noext");
    EXPECT_EQ(cam::UniquePath(base, "noext"), base + "/noext-2");
}

} // namespace
