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

} // namespace
} // namespace easy_test
