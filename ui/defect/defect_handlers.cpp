// What the CCD Defect tab's controls send. Every handler that sends asks
// Trans_chk first and drops the action while a load runs or the link is
// busy. The switches that the reply decoding sets (Defect, KF_FIX, KF_REV,
// Cursor Display) also ignore changes made while they are disabled: the
// decoders disable them while they write the camera's value.

#include "ui/defect/defect_tab.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/defect/defect_host.h"
#include "ui/defect/kizu_params.h"
#include "ui/defect/shape.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/level_control.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>

namespace {

constexpr std::uint8_t kDefectCode = 0x36;
constexpr std::uint8_t kPictureCode = 0x1D; // picture reversal; sub 4 is the vertical one
// Limits of the arrow buttons.
constexpr int kMaxX = 1023;
constexpr int kMaxY = 511;

std::uint8_t idx(const TRadioGroup* group) {
    return static_cast<std::uint8_t>(group->ItemIndex());
}
std::uint8_t tick(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}
std::uint8_t hi(int value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
std::uint8_t lo(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
// A hexadecimal box's text as a number: "" is 0, anything not hexadecimal -1.
int hexText(const QLineEdit* box) {
    return cam::hex_value(box->text().toUpper().toStdString());
}

} // namespace

bool TDefectTab::OwnEnabled(const QWidget* widget) {
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

void TDefectTab::setOwnEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* w : widgets)
        w->setEnabled(enabled);
}

void TDefectTab::followUpRead(std::uint8_t sub) {
    if (context_.Trans_chk()) context_.FollowUp({cam::kReadClass, kDefectCode, sub});
}

// Payload 21 36 followed by the sub-command and its parameters.
void TDefectTab::sendWrite(std::initializer_list<std::uint8_t> params) {
    cam::TxFrame& tx = context_.Tx();
    tx[1] = cam::kWriteClass;
    tx[2] = kDefectCode;
    int n = 2;
    for (std::uint8_t b : params)
        tx[static_cast<std::size_t>(++n)] = b;
    if (chaining_)
        context_.FollowUpCommand(n);
    else
        context_.StxCommand(n);
}

// The cursor shows the position in the fields, scaled from the sensor's
// ranges onto the pad.
void TDefectTab::placeCursor() {
    const long long x = kizu_ax_->value();
    const long long y = kizu_ay_->value();
    const int hRange = std::max(1, host_.HorizontalRange());
    const int vRange = std::max(1, host_.VerticalRange());
    const auto left = static_cast<int>(x * Shape1_->width() / hRange);
    const auto top = static_cast<int>(y * Shape1_->height() / vRange);
    Shape2_->move(Shape1_->x() + left, Shape1_->y() + top);
}

void TDefectTab::showPosition(int x, int y) {
    setOwnEnabled({kizu_ax_, kizu_ay_}, false);
    kizu_ax_->setValue(static_cast<std::uint16_t>(x));
    kizu_ay_->setValue(static_cast<std::uint16_t>(y));
    setOwnEnabled({kizu_ax_, kizu_ay_}, true);
}

void TDefectTab::setPointDisplay(int point, int x, int y) {
    const auto k = static_cast<std::size_t>(point * 2);
    points_[k]->setText(QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(x))));
    points_[k + 1]->setText(QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(y))));
}

// ------------------------------------------------------------------ position

void TDefectTab::KizuClick() {
    if (!context_.Trans_chk()) return;
    const int point = Kizu_->ItemIndex();
    if (point < 0 || point > 2) return;
    // The group comes back when the camera has told the cursor of the new point.
    Kizu_->setEnabled(false);
    context_.Send({cam::kReadClass, kDefectCode, static_cast<std::uint8_t>(point == 0 ? 0 : 1)});
}

void TDefectTab::kizu_axChange() {
    if (!kizu_ax_->full() || !kizu_ay_->full()) return;
    if (!OwnEnabled(kizu_ax_) || !OwnEnabled(kizu_ay_)) return;
    if (!context_.Trans_chk()) return;
    const int point = Kizu_->ItemIndex();
    const int x = kizu_ax_->value(); // -1 (not hexadecimal) goes out as FF FF
    const int y = kizu_ay_->value();
    switch (point) {
    case 0:
        sendWrite({0x01, 0x02, hi(x), lo(x), hi(y), lo(y)});
        break;
    case 1:
    case 2:
        sendWrite({0x12, static_cast<std::uint8_t>(point - 1), hi(x), lo(x), hi(y), lo(y)});
        break;
    default:
        return; // no point selected
    }
    setPointDisplay(point, x, y);
}

void TDefectTab::kizu_upClick() {
    const int y = hexText(kizu_ay_) - SpinEdit1_->value();
    kizu_ay_->setValue(static_cast<unsigned>(y <= 0 ? 0 : y));
}

void TDefectTab::kizu_downClick() {
    const int y = hexText(kizu_ay_) + SpinEdit1_->value();
    kizu_ay_->setValue(static_cast<unsigned>(y >= kMaxY + 1 ? kMaxY : y));
}

void TDefectTab::kizu_leftClick() {
    const int x = hexText(kizu_ax_) - SpinEdit1_->value();
    kizu_ax_->setValue(static_cast<unsigned>(x <= 0 ? 0 : x));
}

void TDefectTab::kizu_rightClick() {
    const int x = hexText(kizu_ax_) + SpinEdit1_->value();
    kizu_ax_->setValue(static_cast<unsigned>(x >= kMaxX + 1 ? kMaxX : x));
}

// A release outside the pad (after pressing inside it) counts as its edge.
void TDefectTab::Shape1MouseUp(int x, int y) {
    const int width = Shape1_->width();
    const int height = Shape1_->height();
    const int px = std::clamp(x, 0, width - 1);
    const int py = std::clamp(y, 0, height - 1);
    showPosition(px * host_.HorizontalRange() / width, py * host_.VerticalRange() / height);
    Timerkizu_->start();
}

void TDefectTab::TimerkizuTimer() {
    if (!Timerkizu_->isActive() || !context_.Trans_chk()) return;
    Timerkizu_->stop();
    kizu_axChange();
}

// ------------------------------------------------------------------ switches

void TDefectTab::DefectClick() {
    if (!OwnEnabled(Defect_) || !context_.Trans_chk()) return;
    const int point = Kizu_->ItemIndex();
    if (point == 0)
        sendWrite({0x07, idx(Defect_)});
    else if (point == 1 || point == 2)
        sendWrite({0x14, idx(Defect_)});
}

void TDefectTab::kizu_selClick() {
    if (!OwnEnabled(kizu_sel_) || !context_.Trans_chk()) return;
    const int point = Kizu_->ItemIndex();
    if (point == 0)
        sendWrite({0x01, idx(kizu_sel_)});
    else if (point == 1 || point == 2)
        sendWrite({0x13, idx(kizu_sel_), static_cast<std::uint8_t>(point - 1)});
}

void TDefectTab::KFFXClick() {
    if (!OwnEnabled(KFFX_) || !context_.Trans_chk()) return;
    sendWrite({0x10, tick(KFFX_)});
}

void TDefectTab::KFRVClick() {
    if (!OwnEnabled(KFRV_) || !context_.Trans_chk()) return;
    sendWrite({0x11, tick(KFRV_)});
}

void TDefectTab::VRevKFChangeClick() {
    if (!context_.Trans_chk()) return;
    sendWrite({0x04, idx(VRevKFChange_)});
}

void TDefectTab::VRevKFClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({cam::kWriteClass, kPictureCode, 0x04, tick(VRevKF_)});
}

void TDefectTab::SensUpKFOFFClick() {
    if (!context_.Trans_chk()) return;
    sendWrite({0x0B, idx(SensUpKFOFF_)});
}

void TDefectTab::AdjustSetClick() {
    if (!context_.Trans_chk()) return;
    AdjustSet_->setEnabled(false);
    sendWrite({0x05, idx(AdjustSet_)});
}

void TDefectTab::SensKFBarChange() {
    sensLevel_->change();
}

void TDefectTab::SensKFTimerTimer() {
    sensLevel_->tick();
}

// ------------------------------------------- measurement, search, save, cancel

void TDefectTab::KizuReadClick() {
    if (!context_.Trans_chk()) return;
    KizuRead_->setEnabled(false);
    context_.Send({cam::kReadClass, kDefectCode, 0x02});
}

// Point A goes where the measurement saw the defect, moved by the fixed
// offsets; Timerkizu sends it once the link is idle.
void TDefectTab::Kizu_AdjustClick() {
    setOwnEnabled({Kizu_Adjust_, kizu_ax_, kizu_ay_}, false);
    const int x = hexText(kin_[0]) + kizu::kAdjustX;
    const int y = std::max(hexText(kin_[1]), hexText(kin_[4])) + kizu::adjustY(host_.Ntsc());
    kizu_ax_->setValue(static_cast<std::uint16_t>(x));
    kizu_ay_->setValue(static_cast<std::uint16_t>(y));
    setOwnEnabled({kizu_ax_, kizu_ay_}, true);
    Timerkizu_->start();
}

void TDefectTab::kizu_autoClick() {
    if (!context_.Trans_chk()) return;
    setOwnEnabled({kizu_auto_, Auto3Point_}, false);
    sendSearch(0x09);
}

// The offsets travel as signed bytes: X -22, Y +2 (PAL) or -2 (NTSC), then
// the peak tolerance.
void TDefectTab::sendSearch(std::uint8_t sub) {
    sendWrite({sub, static_cast<std::uint8_t>(kizu::kAdjustX),
               static_cast<std::uint8_t>(kizu::adjustY(host_.Ntsc())),
               static_cast<std::uint8_t>(kizu::kPeakTolerance)});
}

void TDefectTab::Kizu_SaveClick() {
    if (!context_.Trans_chk()) return;
    Kizu_Save_->setEnabled(false);
    sendWrite({0x02});
}

void TDefectTab::Kizu_CancelClick() {
    if (!context_.Trans_chk()) return;
    Kizu_Cancel_->setEnabled(false);
    sendWrite({0x03});
}

void TDefectTab::AdjustInfoClick() {
    host_.ShowParameterWindow();
}
