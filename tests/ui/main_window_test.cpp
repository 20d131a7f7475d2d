#include "support/fake_port.h"
#include "support/scripted_camera.h"
#include "ui/common/message.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

using Bytes = FakePort::Bytes;

namespace {

struct Window : ::testing::Test {
    FakePort* port = nullptr;
    ScriptedCamera camera;
    std::unique_ptr<TF38R5> window;

    void SetUp() override {
        MessageLog::clear();
        auto p = std::make_unique<FakePort>();
        port = p.get();
        window = std::make_unique<TF38R5>(std::move(p));
    }
    void TearDown() override { window.reset(); }

    void connectCamera() {
        camera.Attach(*port);
        port->Receive({cam::ACK});
        port->Deliver();
    }
    template <class T = QWidget> T* find(const char* name) {
        return window->findChild<T*>(QLatin1String(name));
    }
    QTabWidget* pages() { return find<QTabWidget>("PageControl1"); }
    std::vector<Bytes> commands() const {
        std::vector<Bytes> out;
        for (const auto& w : port->writes)
            if (w.size() == 19) out.emplace_back(w.begin() + 1, w.begin() + 16);
        return out;
    }
    void invoke(const char* handler) {
        ASSERT_TRUE(QMetaObject::invokeMethod(window.get(), handler));
    }
    void typeAccessCode(const QString& text) {
        auto* pwl = find<QLineEdit>("pwl");
        for (int i = 1; i <= text.size(); ++i)
            pwl->setText(text.left(i));
    }
    int visibleTabs() {
        int n = 0;
        for (int i = 0; i < pages()->count(); ++i)
            n += pages()->isTabVisible(i);
        return n;
    }
};

} // namespace

TEST_F(Window, StartsLookingForTheCameraWithOnlyTheEasyTab) {
    EXPECT_EQ(window->windowTitle(), "38R5");
    EXPECT_EQ(port->opens, Bytes{1});
    EXPECT_EQ(port->Written(), Bytes{cam::ENQ});
    EXPECT_EQ(window->StatusText(0), "Comm. Connecting");
    EXPECT_EQ(find<QLabel>("Title")->text(), " 38R5 Camera Adjust Tool");
    EXPECT_EQ(find<QLabel>("Order")->text(), "0");
    EXPECT_TRUE(find<QLineEdit>("pwl")->text().isEmpty());
    EXPECT_TRUE(find<QLineEdit>("pwl")->isHidden());
    EXPECT_EQ(visibleTabs(), 1);
    EXPECT_EQ(pages()->currentIndex(), 4);
    EXPECT_FALSE(pages()->isEnabled());
    EXPECT_FALSE(find("Panel4")->isEnabled());
    const char* names[] = {"TabSheet1",  "TabSheet2",  "TabSheet5", "CopySheet",  "TabSheet3",
                           "TabSheet4",  "Panel3",     "Panel2",    "Panel6",     "Panel7",
                           "Panel4",     "Panel5",     "TV",        "Resolution", "ResetButton",
                           "ExitButton", "StatusBar1", "Panel1",    "Panelbase"};
    for (const char* name : names)
        EXPECT_NE(find(name), nullptr) << name;
}

TEST_F(Window, ConnectsAndLoadsTheEasyTab) {
    connectCamera();
    EXPECT_EQ(port->Written()[1], cam::EOT);
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 11u);
    EXPECT_EQ(sent[9][2], 9);
    EXPECT_EQ((Bytes{sent[10].begin(), sent[10].begin() + 4}), (Bytes{0x31, 0x0C, 0x01, 0x51}));
    EXPECT_TRUE(pages()->isEnabled());
    EXPECT_TRUE(find("Panel4")->isEnabled());
    EXPECT_TRUE(window->Trans_chk());
    EXPECT_FALSE(window->BusyPointer());
    EXPECT_EQ(window->StatusText(1), "31 0C 01 51 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(window->StatusText(2), "A0 0C 01 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST_F(Window, HeaderShowsTheVideoFormatFromRegisterReplies) {
    camera.reply = [](const Bytes& c) {
        if (c[1] == 0x0A && c[2] == 0x01) return Bytes{0xA0, 0x0A, 0x01, 0x40, 0x00};
        if (c[1] == 0x0A && c[2] == 0x40) return Bytes{0xA0, 0x0A, 0x40, 0x00, 0x00};
        return Bytes{0xA0, c[1], c[2]};
    };
    connectCamera();
    typeAccessCode("qzvt");
    port->writes.clear();
    pages()->setCurrentIndex(1); // Debug: reads registers 0x01 and 0x40
    port->Deliver();
    EXPECT_EQ(commands().size(), 2u);
    EXPECT_EQ(find<QLabel>("Resolution")->text(), "Hi-Resolution");
    EXPECT_EQ(find<QLabel>("TV")->text(), "NTSC");
    EXPECT_EQ(window->HorizontalRange(), 800);
    EXPECT_EQ(window->VerticalRange(), 136);
    EXPECT_TRUE(window->Ntsc());
    EXPECT_EQ(window->Data(0x01), 0x4000);
    auto* fix = find<QComboBox>("AESFixBox");
    ASSERT_EQ(fix->count(), 8);
    EXPECT_EQ(fix->itemText(1), "1/100");
}

TEST_F(Window, AccessCodeUnlocksAllTabsAndWrongCodesHideTheField) {
    struct Case {
        QString typed;
        int tabs;
        bool fieldHidden;
    } cases[] = {{"qzvt", 6, true}, {"QZVT", 6, true}, {"Qzvt", 1, true}, {"abc", 1, false}};
    for (const auto& c : cases) {
        SetUp();
        window->ShowAccessField();
        typeAccessCode(c.typed);
        EXPECT_EQ(visibleTabs(), c.tabs) << c.typed.toStdString();
        EXPECT_EQ(find<QLineEdit>("pwl")->isHidden(), c.fieldHidden) << c.typed.toStdString();
    }
    // Clearing the field does not count as an attempt.
    SetUp();
    window->ShowAccessField();
    auto* pwl = find<QLineEdit>("pwl");
    for (const char* t : {"a", "", "b", "", "c"})
        pwl->setText(QLatin1String(t));
    EXPECT_FALSE(pwl->isHidden());
    pwl->setText("cd");
    EXPECT_TRUE(pwl->isHidden());
}

TEST_F(Window, ResetIsRefusedDuringALoadAndEndsOnTheCamerasAck) {
    port->Receive({cam::ACK});
    port->Deliver(); // the load's first command stays unanswered
    port->writes.clear();
    invoke("Reset1Click");
    EXPECT_TRUE(port->writes.empty());
    camera.Attach(*port);
    port->Receive({cam::ACK});
    port->Receive(ScriptedCamera::Frame({0xA0, 0x60, 0x00}));
    port->Deliver();
    ASSERT_TRUE(window->Trans_chk());
    port->writes.clear();
    invoke("Reset1Click");
    ASSERT_EQ(port->writes.size(), 1u);
    EXPECT_EQ(port->writes[0][1], 0xF1);
    EXPECT_EQ(port->writes[0][17], 0xD5);
    EXPECT_EQ(port->writes[0][18], 0xC5);
    port->Deliver();
    EXPECT_FALSE(window->BusyPointer());
    EXPECT_TRUE(window->Trans_chk());
}

TEST_F(Window, SwitchKeysAreSentOnlyWhenTheLinkAllows) {
    connectCamera();
    port->writes.clear();
    window->SW_push(3);
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ((Bytes{sent[0].begin(), sent[0].begin() + 4}), (Bytes{0x21, 0x32, 0x03, 0x00}));
    window->Link().SetBusy(true);
    window->SW_push(2);
    EXPECT_EQ(commands().size(), 1u);
}

TEST_F(Window, TabChangesDuringALoadAreQueuedAndExitDropsThem) {
    port->Receive({cam::ACK});
    port->Deliver();
    typeAccessCode("qzvt");
    pages()->setCurrentIndex(5);
    pages()->setCurrentIndex(2);
    EXPECT_EQ(find<QLabel>("Order")->text(), "2");
    invoke("ExitClick");
    EXPECT_EQ(find<QLabel>("Order")->text(), "0");
    EXPECT_FALSE(port->IsOpen());
}

TEST_F(Window, TheCloseBoxEndsAsCleanlyAsExit) {
    port->Receive({cam::ACK});
    port->Deliver();
    typeAccessCode("qzvt");
    pages()->setCurrentIndex(5);
    ASSERT_EQ(find<QLabel>("Order")->text(), "1");
    window->close();
    EXPECT_EQ(find<QLabel>("Order")->text(), "0");
    EXPECT_FALSE(port->IsOpen());
    EXPECT_FALSE(find<QTimer>("SendTimer")->isActive());
}

TEST_F(Window, NoCameraEndsTheProgramAtTheSixteenthTick) {
    for (int tick = 1; tick <= 15; ++tick)
        invoke("SendTimerTimer");
    EXPECT_EQ(MessageLog::count(" Serial Port not connected "), 0);
    EXPECT_TRUE(port->IsOpen());
    invoke("SendTimerTimer");
    EXPECT_EQ(MessageLog::count(" Serial Port not connected "), 1);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_FALSE(find<QTimer>("SendTimer")->isActive());
}

TEST_F(Window, LoadWithTheCameraAbsentShowsTheMessageAndSendsNothing) {
    connectCamera();
    port->writes.clear();
    port->dsr = false;
    invoke("ReLoadClick");
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(MessageLog::count("Camera Connection changed (DR OFF)"), 1);
}

TEST_F(Window, SerialErrorsAreShownNotThrown) {
    connectCamera();
    port->Close();
    invoke("Reset1Click");
    ASSERT_FALSE(MessageLog::shown().isEmpty());
    // The box keeps its text and names the port on a second line.
    EXPECT_EQ(MessageLog::shown().back().text, "通信が開始されていない。\nCOM1 (/dev/fake1)");
}

TEST_F(Window, TitleDoubleClicksRunTheirHandlerAndTheCodeShowsStars) {
    for (const char* name : {"Panel1", "Title"}) {
        QWidget* w = find(name);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &dbl);
    }
    EXPECT_EQ(window->TitleDoubleClicks(), 2);
    auto* pwl = find<QLineEdit>("pwl");
    EXPECT_EQ(pwl->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, pwl), '*');
}

// The Adjust tab's preset buttons follow "ATW" when a reply has been handled,
// whatever the page: ticking the box alone changes nothing.
TEST_F(Window, PresetButtonsFollowTheAtwBoxAfterEveryReply) {
    connectCamera();
    auto* atw = find<QCheckBox>("wb_sel");
    auto* p32 = find<QPushButton>("pre_32");
    auto* p56 = find<QPushButton>("pre_56");
    const bool initial = atw->isChecked();
    ASSERT_EQ(p32->isEnabled(), initial);
    for (bool ticked : {!initial, initial, !initial}) {
        SCOPED_TRACE(ticked);
        atw->setChecked(ticked); // sends 21 1B 00; the answer waits on the line
        EXPECT_EQ(p32->isEnabled(), !ticked);
        port->Deliver();
        EXPECT_EQ(p32->isEnabled(), ticked);
        EXPECT_EQ(p56->isEnabled(), ticked);
    }
}
