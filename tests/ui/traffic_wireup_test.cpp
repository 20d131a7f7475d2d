// The main window on the traffic tap: Option -> Traffic... shows what the
// Easy load put on the line, and Option -> Journal turns the journal off and
// on again, with a marker for each.

#include "link/journal.h"
#include "link/tap_port.h"
#include "link/traffic.h"
#include "sim/camera_model.h"
#include "support/fake_port.h"
#include "ui/main/main_window.h"
#include "ui/traffic/traffic_model.h"
#include "ui/traffic/traffic_window.h"

#include <QAction>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

TEST(TrafficWireUp, MenuOpensTheInspectorAndTogglesTheJournal) {
    char path[] = "/tmp/cam38r5-wireup-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    cam::TTrafficAssembler traffic;
    cam::TJournal journal;
    traffic.AddSink([&](const cam::TTrafficRecord& r) { journal.Write(r); });
    ASSERT_TRUE(journal.Open(path));
    camsim::CameraModel camera;
    auto fake = std::make_unique<FakePort>();
    FakePort* port = fake.get();
    port->answer = [&](std::uint8_t, const FakePort::Bytes& w) {
        return camera.Feed(w.data(), w.size());
    };
    {
        TF38R5 window(std::make_unique<cam::TTapPort>(std::move(fake), traffic));
        window.SetTraffic(&traffic, &journal);
        port->Deliver(); // the Easy load runs to its end
        auto* menu = window.findChild<QAction*>(QStringLiteral("Traffic1"));
        auto* toggle = window.findChild<QAction*>(QStringLiteral("Journal1"));
        ASSERT_TRUE(menu && toggle);
        EXPECT_TRUE(toggle->isChecked());
        menu->trigger();
        ASSERT_NE(window.TrafficWindow(), nullptr);
        EXPECT_TRUE(window.TrafficWindow()->isVisible());
        EXPECT_GE(window.TrafficWindow()->Model().rowCount(), 40); // the load, both ways
        toggle->trigger();
        EXPECT_FALSE(toggle->isChecked());
        EXPECT_FALSE(journal.IsOpen());
        toggle->trigger();
        EXPECT_TRUE(toggle->isChecked());
    }
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path);
    EXPECT_NE(text.find("\tPC>CAM\tcommand\tEasy status block 9\tCRC ok"), std::string::npos);
    EXPECT_NE(text.find("\tCAM>PC\treply\tEEPROM word 0x0151 = "), std::string::npos);
    EXPECT_NE(text.find("\tmarker\tjournal closed"), std::string::npos);
    // The window's first marker comes before the traffic is handed to it.
    EXPECT_NE(text.find("\tmarker\tComm. Connecting: Connecting to COM1 (/dev/fake1)"),
              std::string::npos);
    EXPECT_NE(text.find("\tmarker\tCOM1 (/dev/fake1) closed"),
              std::string::npos); // reopened, then the end
}

TEST(TrafficWireUp, AGiveUpIsAFault) {
    cam::TTrafficAssembler traffic;
    std::vector<cam::TTrafficRecord> markers;
    traffic.AddSink([&](const cam::TTrafficRecord& r) {
        if (r.kind == cam::TTrafficKind::Marker) markers.push_back(r);
    });
    TF38R5 window(std::make_unique<cam::TTapPort>(std::make_unique<FakePort>(), traffic));
    window.SetTraffic(&traffic, nullptr);
    for (int tick = 1; tick <= 16; ++tick) // no camera: given up at the sixteenth
        QMetaObject::invokeMethod(&window, "SendTimerTimer");
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers.back().text, "given up: no camera on either port");
    EXPECT_TRUE(markers.back().fault);
    EXPECT_FALSE(markers.front().fault) << markers.front().text;
}
