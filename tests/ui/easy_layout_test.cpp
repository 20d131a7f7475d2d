// The Easy tab's layout fits the page without overlapping or clipped
// captions. Set
// CAM_EASY_SCREENSHOT to a file name to keep a picture of the filled tab.

#include "easy_test_support.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QPixmap>

namespace easy_test {
namespace {

constexpr int kPageWidth = 730; // the page of a 740 x 570 window
constexpr int kPageHeight = 478;

// The state of a camera after an Easy load, for the picture.
void fill(Easy& e) {
    e.status({0x60, 0x00, 0x00, 0x10, 0x00, 0x31, 0x01, 0xFE, 0x00, 0x01, 0x01, 0xFE, 0x40, 0x00});
    e.status({0x60, 0x01, 0x00, 0x02, 0x00, 0x03, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x00, 0x01});
    e.tab.SetFixedShutterText("1/120");
    e.status({0x60, 0x02, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x00, 0x01});
    e.status({0x60, 0x03, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x00, 0x01});
    e.status({0x60, 0x04, 0x3C, 0x7E, 0x7E, 0x7E, 0x3C, 0x00, 0x00, 0x04, 0x04, 0x05, 0x03, 0x00});
    e.status({0x60, 0x05, 0x01, 0x01, 0x00, 0xFF, 0x00, 0x00, 0x40, 0x03, 0x02, 0x04, 0x00, 0x01});
    e.status({0x60, 0x06, 0x00, 0x04, 0x00, 0x05, 0x04, 0x01, 0x04, 0x03, 0x06, 0x08, 0x05, 0x12});
    e.status({0x60, 0x07, 0x14, 0x00, 0x13, 0x80, 0x01, 0x40, 0x00, 0x40, 0x00, 0xC0, 0x00, 0xB0});
    e.status({0x60, 0x08, 0x00, 0x02, 0x02, 0x01, 0x01, 0x00, 0x00, 0x00});
    e.status({0x60, 0x09, 0x01, 0x40, 0x20, 0x00, 0xFF, 0x00, 0xFF});
}

TEST(EasyLayout, FitsThePageWithoutOverlapOrClippedCaptions) {
    Easy e;
    fill(e);
    e.tab.resize(kPageWidth, kPageHeight);
    e.tab.show();
    e.tab.layout()->activate();
    EXPECT_LE(e.tab.minimumSizeHint().width(), kPageWidth);
    EXPECT_LE(e.tab.minimumSizeHint().height(), kPageHeight);

    const auto widgets = e.tab.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisible() || !w->parentWidget()) continue;
        const QString name =
            w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name.toStdString();
        // A caption is clipped when its widget is narrower than the text
        // needs (push buttons: the text and a little frame).
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        if (!text.isEmpty()) {
            const int needed = qobject_cast<QPushButton*>(w)
                                   ? w->fontMetrics().horizontalAdvance(text) + 8
                                   : w->minimumSizeHint().width();
            EXPECT_GE(w->width(), needed) << name.toStdString();
            EXPECT_GE(w->height(), w->fontMetrics().height()) << name.toStdString();
        }
        for (QWidget* other : widgets) {
            if (other <= w || other->parentWidget() != w->parentWidget() || !other->isVisible())
                continue;
            EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                << name.toStdString() << " / " << other->objectName().toStdString();
        }
    }

    if (const QByteArray path = qgetenv("CAM_EASY_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(e.tab.grab().save(QString::fromLocal8Bit(path)));
    }
}

// Tab moves through the controls of Panel4 in the panel's order (the spin
// buttons are worked with the mouse and take no keyboard focus).
TEST(EasyLayout, TabFollowsThePanelsOrder) {
    QStringList expected = {"Mark",         "Mark_up",        "Mark_down",     "Mark_left",
                            "Mark_right",   "HRev",           "VRev",          "RevSet",
                            "Rgain",        "BGain",          "PosiNega",      "Freeze",
                            "Initial",      "ZoomStep",       "CurrentZoom",   "ZoomStepBar",
                            "FocusStep",    "CurrentFocus",   "FocusStepMin",  "FocusStepMax",
                            "FocusStepBar", "ZoomSpeedBar",   "FocusSpeedBar", "AutoFocus",
                            "OnePushAF",    "GetZoomCurrent", "CurrentCheck",  "DigitalZoom",
                            "PositionNo",   "PosLoad",        "PosSave",       "AlarmNo",
                            "PushSW",       "Preset",         "AES",           "ALC",
                            "PEAK",         "AGCBar",         "SENSBar",       "BLC"};
    for (int k = 1; k <= 48; ++k)
        expected << QStringLiteral("BLCCheck%1").arg(k, 2, 10, QLatin1Char('0'));
    expected << QStringList{"BLCSensBar", "Sync",       "CName",     "Ctitlepos",  "SetTitle",
                            "HGainBar",   "VGainBar",   "PhaseBar",  "PhaseLevel", "wb_select",
                            "AWB",        "ATWBar",     "AWBBar",    "PeakOnBar",  "ALCAutoBar",
                            "ALCFixBar",  "AESAutoBar", "AESFixBox", "PresetSet",  "Select"};
    Easy e;
    // Each stop counts as the listed control it belongs to; a stop outside
    // every listed control shows under its own name.
    auto owner = [&](QWidget* w) {
        for (QWidget* p = w; p && p != &e.tab; p = p->parentWidget())
            if (expected.contains(p->objectName())) return p->objectName();
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                         : w->objectName();
    };
    QWidget* start = nullptr;
    for (QWidget* w : e.get("Mark")->findChildren<QWidget*>())
        if (w->focusPolicy() & Qt::TabFocus) {
            start = w;
            break;
        }
    ASSERT_NE(start, nullptr);
    QStringList chain;
    QWidget* w = start;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && e.tab.isAncestorOf(w) &&
            (chain.isEmpty() || chain.back() != owner(w)))
            chain << owner(w);
        w = w->nextInFocusChain();
    } while (w != start);
    EXPECT_EQ(chain.join(' ').toStdString(), expected.join(' ').toStdString());
}

} // namespace
} // namespace easy_test
