// A load disables the tab panels; the window is painted when the load ends,
// when its delay runs out, or when the technician acts, and what the screen
// then shows is what the controls are.

#include "sim/camera_model.h"
#include "support/fake_port.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct Window {
    camsim::CameraModel camera;
    FakePort* port = nullptr;
    bool answering = true;
    std::unique_ptr<TF38R5> w;

    Window() {
        auto p = std::make_unique<FakePort>();
        port = p.get();
        port->answer = [this](std::uint8_t, const FakePort::Bytes& b) {
            if (!answering || (b.size() == 1 && b[0] == cam::ENQ)) return FakePort::Bytes{};
            return camera.Feed(b.data(), b.size());
        };
        w = std::make_unique<TF38R5>(std::move(p));
        w->show();
        port->Receive({cam::ACK});
        port->Deliver();
        settle();
    }
    static void settle() {
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
    }
    // The window's picture on the screen, and the one its controls draw now.
    QImage onScreen() const {
        return QGuiApplication::primaryScreen()
            ->grabWindow(w->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    QImage drawn() const { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    bool greyOutPending() const {
        return w->findChild<QTimer*>(QStringLiteral("GreyOutTimer"))->isActive();
    }
};

struct Case {
    const char* name;
    bool answering;
    std::function<void(Window&)> act; // after Camera > Load
};

const Case kCases[] = {
    {"TheLoadEnds", true, [](Window& x) { x.port->Deliver(); }},
    {"TheDelayRunsOut", false,
     [](Window& x) { QMetaObject::invokeMethod(x.w.get(), "GreyOutTimerTimer"); }},
    {"AKeyIsPressed", false,
     [](Window& x) {
         QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
         QApplication::sendEvent(x.w->findChild<QWidget*>(QStringLiteral("pwl")), &press);
     }},
    {"TheTabChanges", false,
     [](Window& x) {
         x.w->findChild<QLineEdit*>(QStringLiteral("pwl"))->setText(QStringLiteral("qzvt"));
         x.w->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
     }},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class PaintHold : public ::testing::TestWithParam<Case> {};

TEST_P(PaintHold, TheScreenShowsTheControlsOnceTheHoldEnds) {
    Window x;
    ASSERT_EQ(x.onScreen(), x.drawn()) << "the loaded window is painted";
    x.answering = GetParam().answering;
    QMetaObject::invokeMethod(x.w.get(), "ReLoadClick");
    x.settle();
    EXPECT_FALSE(x.w->findChild<QWidget*>(QStringLiteral("Panel4"))->isEnabled());
    EXPECT_TRUE(x.greyOutPending());
    EXPECT_NE(x.onScreen(), x.drawn()) << "the disabled page is not painted yet";
    GetParam().act(x);
    x.settle();
    EXPECT_FALSE(x.greyOutPending());
    EXPECT_EQ(x.onScreen(), x.drawn());
}

INSTANTIATE_TEST_SUITE_P(Window, PaintHold, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
