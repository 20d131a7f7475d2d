// A technician's session on the Easy tab against the simulated camera: the
// real window and serial port over a pseudo-terminal.

#include "comm/comm.h"
#include "comm/port_map.h"
#include "e2e/sim_process.h"
#include "ui/common/message.h"
#include "ui/main/easy_tab.h"
#include "ui/main/main_window.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

struct Session : ::testing::Test {
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<TF38R5> window;

    void SetUp() override {
        MessageLog::clear();
        sim = std::make_unique<SimProcess>(std::vector<std::string>{});
        ASSERT_FALSE(sim->Device().empty());
        auto comm = std::make_unique<cam::TComm>();
        cam::SetPortDevice(1, sim->Device());
        cam::SetPortDevice(2, "/nonexistent/cam38r5-port2");
        window = std::make_unique<TF38R5>(std::move(comm));
        ASSERT_TRUE(waitIdle()) << sim->Log();
    }
    void TearDown() override {
        window.reset();
        sim.reset();
    }

    // Pumps events until the link is idle and no load runs (at most 5 s).
    bool waitIdle() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            const auto& link = window->Link();
            if (link.LinkMode() == cam::TLink::Idle && link.ReplyTimeout() == -1 &&
                window->Trans_chk() && !anyTimerArmed())
                return true;
        }
        return false;
    }
    bool anyTimerArmed() {
        for (auto* t : window->EasyTab()->findChildren<QTimer*>())
            if (t->isActive()) return true;
        return false;
    }
    template <class T = QWidget> T* find(const char* name) {
        auto* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void invoke(const char* slot) {
        ASSERT_TRUE(QMetaObject::invokeMethod(window->EasyTab(), slot)) << slot;
        ASSERT_TRUE(waitIdle()) << slot << "\n" << sim->Log();
    }
    void fire(const char* timer, const char* slot) {
        ASSERT_TRUE(find<QTimer>(timer)->isActive()) << timer;
        invoke(slot);
    }
};

} // namespace

TEST_F(Session, ChangesSurviveAFreshLoad) {
    EXPECT_TRUE(MessageLog::shown().isEmpty());
    EXPECT_EQ(find<QLabel>("TV")->text(), "PAL");
    const QString loadedTitle = find<QLineEdit>("CName")->text();
    EXPECT_EQ(loadedTitle.size(), 20);

    // AGC level.
    auto* agc = find<QSlider>("AGCBar");
    const int agcLevel = agc->value() == 6 ? 2 : 6;
    agc->setValue(agcLevel);
    fire("AGCTimer", "AGCTimerTimer");

    // White balance to AWB, then one-push: the controls come back when it is done.
    find<TRadioGroup>("wb_select")->setItemIndex(1);
    ASSERT_TRUE(waitIdle());
    invoke("AWBClick");
    EXPECT_TRUE(find("AWB")->isEnabled());
    EXPECT_TRUE(find("wb_select")->isEnabled());
    EXPECT_EQ(find<QSlider>("AWBBar")->value(), 4);

    // BLC area: a new pattern of boxes.
    for (int k = 1; k <= 48; ++k) {
        const QString name = QStringLiteral("BLCCheck%1").arg(k, 2, 10, QLatin1Char('0'));
        window->findChild<QCheckBox*>(name)->setChecked(k == 1 || k == 17 || k == 48);
    }
    fire("BLCAreaTimer", "BLCAreaTimerTimer");

    // Title: four blocks, then "Set" is usable again.
    find<QLineEdit>("CName")->setText(QStringLiteral("Ab 1"));
    invoke("SetTitleClick");
    EXPECT_TRUE(find("SetTitle")->isEnabled());

    // Mark one step to the right, if the limits allow.
    const auto markBefore = window->EasyTab()->Mark();
    ASSERT_TRUE(find("Mark_right")->isEnabled());
    invoke("Mark_rightClick");
    EXPECT_EQ(window->EasyTab()->Mark().x, markBefore.x + 1);

    EXPECT_TRUE(MessageLog::shown().isEmpty()) << MessageLog::shown().front().text.toStdString();

    // A fresh load shows what the camera now holds.
    agc->setValue(0);
    find<QLineEdit>("CName")->setText(QStringLiteral("xxxx"));
    ASSERT_TRUE(QMetaObject::invokeMethod(window.get(), "ReLoadClick"));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(agc->value(), agcLevel);
    EXPECT_EQ(find<TRadioGroup>("wb_select")->ItemIndex(), 1);
    for (int k = 1; k <= 48; ++k) {
        const QString name = QStringLiteral("BLCCheck%1").arg(k, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(window->findChild<QCheckBox*>(name)->isChecked(), k == 1 || k == 17 || k == 48)
            << k;
    }
    EXPECT_EQ(find<QLineEdit>("CName")->text(), QStringLiteral("Ab 1").leftJustified(20));
    EXPECT_EQ(window->EasyTab()->Mark().x, markBefore.x + 1);
    EXPECT_TRUE(MessageLog::shown().isEmpty());
}
