// What the technician at the bench is told: the line's state in panel 0, boxes
// that name their port and close once their state has ended, the question
// before closing during a copy, and the values the Adjust bars hold.

#include "link/traffic.h"
#include "support/window_bench.h"
#include "ui/copy/copy_tab.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using window_bench::Bench;

const QString kGaveUp = QStringLiteral(" Serial Port not connected ");

void tick(Bench& b, int ticks) {
    for (int i = 0; i < ticks; ++i) {
        b.invoke(b.window.get(), "SendTimerTimer");
        b.port->Deliver();
    }
}

TEST(BenchState, PanelZeroFollowsASilentCameraAndItsReturn) {
    Bench b;
    b.show(window_bench::Easy);
    camsim::ModelOptions silent;
    silent.silent = true;
    b.camera.SetFaults(silent);
    b.invoke(b.window.get(), "ReLoadClick");

    const struct {
        int ticks;
        const char* panel;
        const char* detail; // a part of the detail label
    } steps[] = {
        {1, "COM1 connected", "the camera answered"}, // one tick is no wait worth telling
        {1, "COM1 waiting", "waiting 3 s for an answer to"},
        {3, "COM1 waiting", "waiting 7 s for an answer to"},
        {60, "COM1 not answering", "no answer to"},
    };
    for (const auto& s : steps) {
        tick(b, s.ticks);
        EXPECT_EQ(b.window->StatusText(0).toStdString(), s.panel);
        EXPECT_TRUE(b.window->ConnectionDetail().contains(QLatin1String(s.detail)))
            << b.window->ConnectionDetail().toStdString();
    }
    // The give-up box keeps its text and names the port and the command.
    ASSERT_EQ(MessageLog::count(kGaveUp), 1);
    EXPECT_TRUE(MessageLog::shown().back().text.contains(QStringLiteral("COM1 (/dev/fake1)")));

    // The camera answers the command sent again: connected once more, and
    // the box about the silence closes itself.
    b.camera.SetFaults({});
    tick(b, 25);
    EXPECT_EQ(b.window->StatusText(0).toStdString(), "COM1 connected");
    EXPECT_TRUE(b.window->ConnectionDetail().contains(QStringLiteral("answers again")));
    EXPECT_EQ(MessageLog::closedCount(QStringLiteral("Comm.ERR")), 1);
}

TEST(BenchState, TheGoneDeviceBoxClosesWhenItIsBack) {
    Bench b;
    b.port->HangUp();
    EXPECT_EQ(MessageLog::closedCount(QStringLiteral("Comm.ERR")), 0);
    b.port->gone = false;
    b.port->opened = [](std::uint8_t) { return FakePort::Bytes{cam::ACK}; };
    tick(b, 2);
    EXPECT_EQ(b.window->StatusText(0).toStdString(), "COM1 connected");
    EXPECT_EQ(MessageLog::closedCount(QStringLiteral("Comm.ERR")), 1);
}

TEST(BenchState, ClosingDuringACopyAsksAndEndsItOnlyOnYes) {
    for (const bool yes : {false, true}) {
        Bench b;
        b.show(window_bench::Copy);
        QStringList asked;
        b.window->SetCloseQuestion([&](const QString& text) {
            asked << text;
            return yes;
        });
        auto* tab = b.find<TCopyTab>("Panel7");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("cam.dat"));
        tab->SetDialogRunner([&](TCopyFileDialog& d) {
            d.FileName = file;
            return true;
        });
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int a = 0; a < 1023; ++a)
            f.write(
                QStringLiteral("210C%1%1").arg(a, 4, 16, QLatin1Char('0')).toUpper().toLatin1() +
                "000000000000000000\r\n");
        f.close();
        camsim::ModelOptions silent;
        silent.silent = true; // the copy stays at its first step
        b.camera.SetFaults(silent);
        b.invoke(tab, "ptocOk2Click");
        ASSERT_TRUE(tab->CopyRunning())
            << b.find<QLabel>("Label35")->text().toStdString() << " / "
            << (MessageLog::shown().isEmpty() ? std::string()
                                              : MessageLog::shown().back().text.toStdString());
        EXPECT_EQ(b.window->close(), yes);
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked[0].startsWith(QStringLiteral("A copy is running")))
            << asked[0].toStdString();
        EXPECT_EQ(tab->CopyRunning(), !yes);
    }
}

TEST(BenchState, AdjustBoxesShowTheLoadedValuesAndBarsTheirValueAsTip) {
    Bench b;
    b.camera.SetRegister(0x2B, 0x3040); // chroma: B-Y 0x30, R-Y 0x40
    b.show(window_bench::Adjust);
    EXPECT_EQ(b.find<QLineEdit>("RY_Gain")->text(), QStringLiteral("64"));
    EXPECT_EQ(b.find<QLineEdit>("BY_Gain")->text(), QStringLiteral("48"));
    // A hue box shows its bar's position before anything was sent.
    EXPECT_EQ(b.find<QLineEdit>("RYP_DATA")->text(), QStringLiteral("0"));
    EXPECT_TRUE(b.find<QSlider>("CromaRY")->toolTip().endsWith(QStringLiteral("value: 64")));
    auto* rgain = b.find<QSlider>("Rgain"); // an Easy bar
    EXPECT_TRUE(rgain->toolTip().endsWith(QStringLiteral("value: %1").arg(rgain->value())));
}

// The window's markers that begin with `prefix`, as they are made. The
// window goes first: its inspector takes its sink back from the assembler.
struct Notes {
    Bench& bench;
    cam::TTrafficAssembler traffic;
    std::vector<std::string> seen;
    ~Notes() { bench.window.reset(); }
    Notes(Bench& b, const std::string& prefix) : bench(b) {
        traffic.AddSink([this, prefix](const cam::TTrafficRecord& r) {
            if (r.kind == cam::TTrafficKind::Marker && r.text.rfind(prefix, 0) == 0)
                seen.push_back(r.text);
        });
        b.window->SetTraffic(&traffic, nullptr);
    }
};

TEST(BenchState, WhatTheTechnicianDoesIsNotedBetweenTheFramesButNotTheCamerasEchoes) {
    Bench b;
    Notes n(b, "operator: ");
    auto& notes = n.seen;
    b.camera.SetRegister(0x2B, 0x3040);
    b.show(window_bench::Adjust); // the load writes the camera's values: no notes
    EXPECT_TRUE(notes.empty()) << notes.front();
    auto* box = b.find<QCheckBox>("wb_sel");
    box->click();
    b.port->Deliver();
    EXPECT_EQ(notes, std::vector<std::string>{std::string("operator: wb_sel ") +
                                              (box->isChecked() ? "on" : "off")});
}

TEST(BenchState, AVerificationIsNotedWithItsFileCameraAndResult) {
    Bench b;
    Notes n(b, "copy: ");
    auto& notes = n.seen;
    b.show(window_bench::Copy);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("two.dat"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("210C00050000\r\n210C00061234\r\n");
    f.close();
    b.camera.SetEeprom(5, 0);
    b.camera.SetEeprom(6, 0x1111);
    auto* tab = b.find<TCopyTab>("Panel7");
    tab->SetDialogRunner([&](TCopyFileDialog& d) {
        d.FileName = file;
        return true;
    });
    b.invoke(tab, "VerifyButtonClick");
    b.port->Deliver();
    const std::string camera = " (camera on COM1 (/dev/fake1))";
    EXPECT_EQ(notes,
              (std::vector<std::string>{"copy: Verify against " + file.toStdString() + camera,
                                        "copy: Verify: 1 of 2 words differ" + camera}));
}

} // namespace
