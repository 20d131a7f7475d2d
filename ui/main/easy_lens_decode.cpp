// The lens values the camera reports, in the lens reply (code 0x45) and in
// the Easy status block, and what follows them: while CurrentCheck is ticked
// a move is followed by reading the zoom and then the focus until each has
// reached its target, and only then do the lens controls come back. Every
// follow-up goes out only while the link allows it, so the status block of
// a load never polls.

#include "ui/main/easy_tab.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/common/tab_context.h"
#include "ui/main/easy_lens.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/spin_button.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace {

QString hexText(std::int16_t value) {
    return QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(value)));
}

} // namespace

void TEasyTab::lens_decode(int sub, LensLayout layout, LensPage page) {
    const cam::ReplyBuffer r = context_.Reply();
    const bool status = layout == LensLayout::Status;
    const bool read = context_.LastClass() == cam::kReadClass;
    const auto word = [&r](int at) {
        return static_cast<std::int16_t>(r[static_cast<std::size_t>(at)] << 8 |
                                         r[static_cast<std::size_t>(at) + 1]);
    };
    // A one-byte value: byte 4 of the lens reply, or its byte in the status block.
    const auto value = [&r, status](int statusByte) {
        return r[static_cast<std::size_t>(status ? statusByte : 4)];
    };

    switch (sub) {
    case 0: // zoom, with the focus limits of this zoom position
        lensZoom(word(4), word(6), word(8), word(10));
        break;
    case 1: {
        const int at = status ? 12 : 4;
        lensFocus(word(at), word(at + 2));
        break;
    }
    case 2:
        autoFocusReported(value(4));
        break;
    case 3: // one-push auto focus done: the focus has a new target
        if (currentCheck_->isChecked()) lensRead(0x01);
        break;
    case 4: // lens adjustment of the Line tab: 0 running, 1 over
        if (lensAdjustment_) lensAdjustment_->LensAdjustmentReported(r[4]);
        break;
    case 5:
        if (read) zoomSpeedBar_->setValue(value(5));
        break;
    case 6:
        if (read)
            digitalZoom_->setItemIndex(value(15));
        else
            digitalZoomAcknowledged(page);
        break;
    case 7:
        if (read) focusSpeedBar_->setValue(value(6));
        break;
    default:
        break;
    }
}

// Target t, current c and the focus limits at this zoom position.
void TEasyTab::lensZoom(std::int16_t target, std::int16_t current, std::int16_t upper,
                        std::int16_t lower) {
    const bool follow = currentCheck_->isChecked();
    if (follow && target != current) { // still moving: ask again, show nothing
        lensRead(0x00);
        return;
    }
    // The focus range changes below; the bar must not send what that does to it.
    if (!follow) focusStepBar_->setEnabled(false);

    zoomStepBar_->setRange(lens::kZoomMin, lens::zoom_max(digitalZoom_->ItemIndex()));
    const int zoomSpan = zoomStepBar_->maximum() - zoomStepBar_->minimum();
    zoomStepBar_->setTickInterval(zoomSpan / 10);
    zoomStepBar_->setPageStep(zoomSpan / 50);
    zoomStep_->setText(hexText(target));
    zoomStepBar_->setValue(target);
    currentZoom_->setText(hexText(current));

    // Maximum first, then minimum, then the maximum again: whichever order
    // the old and new ranges need, the bar ends with lower .. upper.
    focusStepMax_->setText(hexText(upper));
    focusStepBar_->setMaximum(upper);
    focusStepMin_->setText(hexText(lower));
    focusStepBar_->setMinimum(lower);
    focusStepMax_->setText(hexText(upper));
    focusStepBar_->setMaximum(upper);
    const int tick = lens::focus_tick(focusStepBar_->maximum() - focusStepBar_->minimum());
    focusStepBar_->setTickInterval(tick);
    focusStepBar_->setPageStep(tick);

    if (!follow && !autoFocus_->isChecked()) focusStepBar_->setEnabled(true);
    lensRead(0x01);
}

void TEasyTab::lensFocus(std::int16_t target, std::int16_t current) {
    const bool manualFocus = !autoFocus_->isChecked();
    if (currentCheck_->isChecked()) {
        if (target != current) {
            lensRead(0x01);
            return;
        }
        // The lens has arrived: everything the move disabled comes back.
        showFocus(target, current);
        for (QWidget* w : std::initializer_list<QWidget*>{posLoad_, zoomStep_, zoomSpin_,
                                                          zoomStepBar_, getZoomCurrent_})
            w->setEnabled(true);
        if (manualFocus)
            for (QWidget* w :
                 std::initializer_list<QWidget*>{focusStep_, focusSpin_, focusStepBar_})
                w->setEnabled(true);
        zoomSpeedBar_->setEnabled(true);
        focusSpeedBar_->setEnabled(true);
        enableLensChoices();
        currentCheck_->setEnabled(true);
        autoFocus_->setEnabled(true);
        if (manualFocus) onePushAF_->setEnabled(true);
        return;
    }
    focusStepBar_->setEnabled(false); // showing the target must not send it back
    showFocus(target, current);
    if (manualFocus) focusStepBar_->setEnabled(true);
    enableLensChoices();
    getZoomCurrent_->setEnabled(true);
}

void TEasyTab::showFocus(std::int16_t target, std::int16_t current) {
    focusStep_->setText(hexText(target));
    focusStepBar_->setValue(target);
    currentFocus_->setText(hexText(current));
}

// Digital zoom, and the push switch and alarm number as far as the camera's
// modes allow them.
void TEasyTab::enableLensChoices() {
    digitalZoom_->setEnabled(true);
    if (pushSwUsable()) pushSW_->setEnabled(true);
    if (pushSW_->ItemIndex() == 0) {
        alarmNo_->setEnabled(true);
        alarmSpin_->setEnabled(true);
    }
}

void TEasyTab::autoFocusReported(int value) {
    if (value != 0 && value != 1) return;
    autoFocus_->setChecked(value == 1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{onePushAF_, focusStep_, focusSpin_, focusStepBar_})
        w->setEnabled(value == 0);
}

// The camera took a digital-zoom write. On the Easy tab the zoom range
// changes with it, so the zoom is read again; on the Line tab the write was
// the first step of an adjustment.
void TEasyTab::digitalZoomAcknowledged(LensPage page) {
    if (page == LensPage::Easy)
        lensRead(0x00);
    else if (page == LensPage::Line && lensAdjustment_)
        lensAdjustment_->AdjustmentStartAcknowledged();
}

void TEasyTab::lensRead(std::uint8_t sub) {
    if (context_.Trans_chk()) context_.Send({cam::kReadClass, 0x45, sub});
}

// A stored position was recalled. While PosLoad waits for it (it is disabled
// only while a move is followed) the zoom is read at once, the link's state
// notwithstanding, and the polls follow the move from there.
void TEasyTab::positionRecalled() {
    if (!EnabledFlag(posLoad_)) context_.Send({cam::kReadClass, 0x45, 0x00});
}

bool TEasyTab::pushSwUsable() const {
    return initial_->ItemIndex() == 1 && freeze_->ItemIndex() == 0;
}

void TEasyTab::lens_panel_enable() {
    if (!pushSwUsable()) {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 zoomSpeedBar_,   focusSpeedBar_, digitalZoom_,  pushSW_,       alarmNo_,
                 alarmSpin_,      currentCheck_,  zoomStep_,     zoomSpin_,     zoomStepBar_,
                 getZoomCurrent_, focusStep_,     focusSpin_,    focusStepBar_, autoFocus_,
                 onePushAF_,      positionNo_,    positionSpin_, posLoad_,      posSave_})
            w->setEnabled(false);
        return;
    }
    const bool manualFocus = !autoFocus_->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{zoomSpeedBar_, focusSpeedBar_, digitalZoom_, pushSW_})
        w->setEnabled(true);
    if (pushSW_->ItemIndex() == 0) {
        alarmNo_->setEnabled(true);
        alarmSpin_->setEnabled(true);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{currentCheck_, zoomStep_, zoomSpin_,
                                                      zoomStepBar_, getZoomCurrent_})
        w->setEnabled(true);
    if (manualFocus)
        for (QWidget* w : std::initializer_list<QWidget*>{focusStep_, focusSpin_, focusStepBar_})
            w->setEnabled(true);
    autoFocus_->setEnabled(true);
    if (manualFocus) onePushAF_->setEnabled(true);
    for (QWidget* w :
         std::initializer_list<QWidget*>{positionNo_, positionSpin_, posLoad_, posSave_})
        w->setEnabled(true);
}
