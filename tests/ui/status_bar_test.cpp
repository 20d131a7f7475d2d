// The status bar beside the panels: a stable device name too long for its
// label, and the bytes of the last command and reply.

#include "support/fake_port.h"
#include "support/scripted_camera.h"
#include "ui/common/message.h"
#include "ui/main/main_window.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

TEST(StatusBar, LongDeviceNameElidedInTheMiddleAndBytesSpacedInTheirPanels) {
    MessageLog::clear();
    const QString byId =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    auto p = std::make_unique<FakePort>();
    FakePort* port = p.get();
    port->device = byId.toStdString();
    TF38R5 window(std::move(p));
    auto label = [&window](const char* name) {
        return window.findChild<QLabel*>(QLatin1String(name));
    };
    auto width = [](const QLabel* l) { return l->fontMetrics().horizontalAdvance(l->text()); };

    // The detail follows the line; each new text is elided again.
    QLabel* detail = label("StatusDetail");
    auto expectElided = [&](const QString& whole) {
        EXPECT_EQ(detail->toolTip(), whole);
        EXPECT_EQ(window.ConnectionDetail(), whole);
        EXPECT_NE(detail->text(), whole);
        // Both ends stay: the narrow label keeps a few characters of each.
        EXPECT_TRUE(detail->text().startsWith(whole.left(6))) << detail->text().toStdString();
        EXPECT_TRUE(detail->text().endsWith(whole.right(6))) << detail->text().toStdString();
        EXPECT_LE(width(detail), detail->contentsRect().width());
    };
    expectElided("Connecting to COM1 (" + byId + ")");
    ScriptedCamera camera;
    camera.Attach(*port);
    port->Receive({cam::ACK});
    port->Deliver();
    expectElided("COM1 (" + byId + "): the camera answered");

    // The Easy load ends with the EEPROM word: 14 command bytes, 15 reply
    // bytes, whole in their panels.
    const struct {
        int panel;
        const char* name;
        QString text;
    } panels[] = {
        {1, "StatusPanel1", QStringLiteral("31 0C 01 51 00 00 00 00 00 00 00 00 00 00")},
        {2, "StatusPanel2", QStringLiteral("A0 0C 01 00 00 00 00 00 00 00 00 00 00 00 00")},
    };
    for (const auto& c : panels) {
        SCOPED_TRACE(c.name);
        const QLabel* panel = label(c.name);
        EXPECT_EQ(window.StatusText(c.panel), c.text);
        EXPECT_EQ(panel->text(), c.text);
        EXPECT_EQ(panel->toolTip(), c.text);
        EXPECT_LE(width(panel), panel->contentsRect().width() - panel->indent());
        EXPECT_EQ(panel->width(), 200);
    }
}

// The program's window greets the camera once it is on screen and its first
// paints are over, so that no answer waits behind them.
TEST(StatusBar, ShownWindowGreetsTheCameraOnlyAfterItsPaintsSettle) {
    auto p = std::make_unique<FakePort>();
    FakePort* port = p.get();
    TF38R5 window(std::move(p), nullptr, TF38R5::TGreet::AfterFirstPaint);
    QCoreApplication::processEvents();
    EXPECT_TRUE(port->opens.empty()) << "greeted before the window was shown";
    window.show();
    for (QDeadlineTimer limit(2000); port->opens.empty() && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(port->opens.empty()) << "never greeted";
    EXPECT_EQ(port->writes.front(), FakePort::Bytes{cam::ENQ});
    EXPECT_TRUE(window.findChild<QTimer*>(QStringLiteral("SendTimer"))->isActive());
}
