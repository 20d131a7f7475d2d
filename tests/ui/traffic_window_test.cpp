// The traffic inspector: records reach the table in batches on its timer,
// the history is bounded, and the filter, pause, copy and clear controls act
// on what is shown.

#include "link/frames.h"
#include "link/traffic.h"
#include "ui/traffic/traffic_model.h"
#include "ui/traffic/traffic_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void sendCommand(cam::TTrafficAssembler& traffic, std::initializer_list<int> payload) {
    cam::TxFrame f{};
    int n = 0;
    for (int b : payload)
        f[static_cast<std::size_t>(++n)] = static_cast<std::uint8_t>(b);
    cam::complete_command_frame(f, n);
    traffic.Sent(f.data(), f.size(), cam::TrafficNowUs());
}

template <class T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

} // namespace

TEST(TrafficWindow, ShowsRecordsInBatchesWithABoundedHistory) {
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic, nullptr, 5);
    EXPECT_EQ(window.objectName(), QStringLiteral("TrafficWindow"));
    EXPECT_TRUE(window.isWindow());
    window.show();
    auto* timer = child<QTimer>(window, "TrafficTimer");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 100);

    for (int i = 1; i <= 7; ++i)
        traffic.Marker("event " + std::to_string(i));
    EXPECT_EQ(window.Model().rowCount(), 0); // nothing drawn per record
    QElapsedTimer clock;
    clock.start();
    while (window.Model().rowCount() == 0 && clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(window.Model().rowCount(), 5); // the two oldest gave way
    EXPECT_EQ(window.Model().Record(0).text, "event 3");
    EXPECT_EQ(window.Model().Record(4).text, "event 7");

    window.hide();
    EXPECT_FALSE(timer->isActive());
    for (int i = 8; i <= 20; ++i)
        traffic.Marker("event " + std::to_string(i));
    EXPECT_EQ(window.Model().Waiting(), 5u); // hidden, at most a history's worth waits
}

TEST(TrafficWindow, FilterPauseCopyAndClear) {
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic);
    sendCommand(traffic, {0x31, 0x0C, 0x01, 0x51});
    sendCommand(traffic, {0x31, 0x60, 0x03});
    traffic.Marker("time-out");
    window.TrafficTimerTimer();
    ASSERT_EQ(window.Model().rowCount(), 3);
    const QString command =
        window.Model()
            .data(window.Model().index(0, TTrafficModel::Command), Qt::DisplayRole)
            .toString();
    EXPECT_EQ(command, QStringLiteral("EEPROM word read 0x0151\n02 31 0C 01 51 00 00 00 00 00 00 "
                                      "00 00 00 00 00 03 90 5B"));

    struct Filter {
        const char* text;
        int rows;
    };
    for (const Filter& f : {Filter{"0C", 1}, Filter{"0x60, 0c", 2}, Filter{"marker", 1},
                            Filter{"4A", 0}, Filter{"", 3}}) {
        child<QLineEdit>(window, "TrafficFilter")->setText(QLatin1String(f.text));
        EXPECT_EQ(window.Filter().rowCount(), f.rows) << f.text;
    }

    child<QLineEdit>(window, "TrafficFilter")->setText(QStringLiteral("60 marker"));
    child<QPushButton>(window, "TrafficCopy")->click();
    const QStringList lines =
        QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], window.Model().LineText(1));
    EXPECT_TRUE(
        lines[0].contains(QStringLiteral("\tPC>CAM\tcommand\tEasy status block 3\tCRC ok\t")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\tmarker\ttime-out"))) << lines[1].toStdString();

    auto* pause = child<QCheckBox>(window, "TrafficPause");
    pause->setChecked(true);
    traffic.Marker("while paused");
    window.TrafficTimerTimer();
    EXPECT_EQ(window.Model().rowCount(), 3);
    pause->setChecked(false); // what waited comes in at once
    EXPECT_EQ(window.Model().rowCount(), 4);

    child<QPushButton>(window, "TrafficClear")->click();
    EXPECT_EQ(window.Model().rowCount(), 0);
    EXPECT_EQ(window.Filter().rowCount(), 0);
}
