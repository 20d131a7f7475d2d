// What the CCD Defect tab's controls send. Every handler that sends asks
// Trans_chk first and drops the action while a load runs or the link is
// busy. The switches that the reply decoding sets (Defect, KF_FIX, KF_REV,
// Cursor Display) also ignore changes made while they are disabled: the
// decoders disable them while they write the camera's value.

#include "ui/defect/defect_tab.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/common/field_check.h"
#include "ui/common/tab_context.h"
#include "ui/defect/defect_host.h"
#include "ui/defect/kizu_params.h"
#include "ui/defect/shape.h"
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
// The sensor's positions: X 0 .. 1023, Y 0 .. 511 (the limits of the arrows).
constexpr int kMaxX = 1023;
constexpr int kMaxY = 511;

QString fieldName(bool x) {
    return x ? QStringLiteral("Defect position X") : QStringLiteral("Defect position Y");
}

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
    chainTag_ = context_.Request({cam::kReadClass, kDefectCode, sub});
}

bool TDefectTab::chainAnswered() const {
    return context_.Answers(chainTag_);
}

// Payload 21 36 followed by the sub-command and its parameters.
std::uint32_t TDefectTab::sendWrite(std::initializer_list<std::uint8_t> params) {
    cam::TxFrame& tx = context_.Tx();
    tx[1] = cam::kWriteClass;
    tx[2] = kDefectCode;
    int n = 2;
    for (std::uint8_t b : params)
        tx[static_cast<std::size_t>(++n)] = b;
    return context_.RequestCommand(n);
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
    followUpRead(point == 0 ? 0x00 : 0x01);
}

// A text that is not hexadecimal, or a position off the sensor, is refused
// with a message: the camera would take FFFF as a position.
void TDefectTab::kizu_axChange() {
    if (!kizu_ax_->full() || !kizu_ay_->full()) return;
    if (!OwnEnabled(kizu_ax_) || !OwnEnabled(kizu_ay_)) return;
    if (!context_.Trans_chk()) return;
    const int point = Kizu_->ItemIndex();
    if (point < 0 || point > 2) return; // no point selected
    const int x = AcceptedHex(*kizu_ax_, fieldName(true), context_, this);
    const int y = x < 0 ? -1 : AcceptedHex(*kizu_ay_, fieldName(false), context_, this);
    if (x < 0 || y < 0) return;
    if (!WithinLimits(x, 0, kMaxX, 4, fieldName(true), context_, this) ||
        !WithinLimits(y, 0, kMaxY, 4, fieldName(false), context_, this))
        return;
    if (point == 0)
        sendWrite({0x01, 0x02, hi(x), lo(x), hi(y), lo(y)});
    else
        sendWrite({0x12, static_cast<std::uint8_t>(point - 1), hi(x), lo(x), hi(y), lo(y)});
    setPointDisplay(point, x, y);
}

// An arrow moves from the field's value (a short text counts as its digits);
// it does not move from a text that is not hexadecimal.
void TDefectTab::stepPosition(THexField* field, int delta, int max) {
    const int value = field->value();
    if (value < 0) {
        AcceptedHex(*field, fieldName(field == kizu_ax_), context_, this);
        return;
    }
    field->setValue(static_cast<unsigned>(std::clamp(value + delta, 0, max)));
}

void TDefectTab::kizu_upClick() {
    stepPosition(kizu_ay_, -SpinEdit1_->value(), kMaxY);
}

void TDefectTab::kizu_downClick() {
    stepPosition(kizu_ay_, SpinEdit1_->value(), kMaxY);
}

void TDefectTab::kizu_leftClick() {
    stepPosition(kizu_ax_, -SpinEdit1_->value(), kMaxX);
}

void TDefectTab::kizu_rightClick() {
    stepPosition(kizu_ax_, SpinEdit1_->value(), kMaxX);
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
    if (!OwnEnabled(Defect_) || Defect_->ItemIndex() < 0 || !context_.Trans_chk()) return;
    const int point = Kizu_->ItemIndex();
    if (point == 0)
        sendWrite({0x07, idx(Defect_)});
    else if (point == 1 || point == 2)
        sendWrite({0x14, idx(Defect_)});
}

// No choice shown (a reply out of range, a tab not yet loaded): nothing to send.
void TDefectTab::kizu_selClick() {
    if (!OwnEnabled(kizu_sel_) || kizu_sel_->ItemIndex() < 0 || !context_.Trans_chk()) return;
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
    if (VRevKFChange_->ItemIndex() < 0 || !context_.Trans_chk()) return;
    sendWrite({0x04, idx(VRevKFChange_)});
}

void TDefectTab::VRevKFClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({cam::kWriteClass, kPictureCode, 0x04, tick(VRevKF_)});
}

void TDefectTab::SensUpKFOFFClick() {
    if (SensUpKFOFF_->ItemIndex() < 0 || !context_.Trans_chk()) return;
    sendWrite({0x0B, idx(SensUpKFOFF_)});
}

void TDefectTab::AdjustSetClick() {
    if (AdjustSet_->ItemIndex() < 0 || !context_.Trans_chk()) return;
    AdjustSet_->setEnabled(false);
    chainTag_ = sendWrite({0x05, idx(AdjustSet_)});
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
// offsets; Timerkizu sends it once the link is idle. A result off the sensor
// (an even X below 0016, or on NTSC a larger Y below 0002) is not written:
// the camera would take its 16-bit complement as a position.
void TDefectTab::Kizu_AdjustClick() {
    const int evenX = hexText(kin_[0]);
    const int largerY = std::max(hexText(kin_[1]), hexText(kin_[4]));
    const int dy = kizu::adjustY(host_.Ntsc());
    const int x = evenX + kizu::kAdjustX;
    const int y = largerY + dy;
    if (x < 0 || x > kMaxX) {
        RefuseInput(QStringLiteral("Kizu Adjust: X would be %1 (even X %2 - 22). X must be 0000 "
                                   "to %3, so even X must be %4 to %5.")
                        .arg(HexDigits(x, 4), HexDigits(evenX, 4), HexDigits(kMaxX, 4),
                             HexDigits(-kizu::kAdjustX, 4), HexDigits(kMaxX - kizu::kAdjustX, 4)),
                    context_, this);
        return;
    }
    if (y < 0 || y > kMaxY) {
        RefuseInput(QStringLiteral("Kizu Adjust: Y would be %1 (larger Y %2 %3 2). Y must be 0000 "
                                   "to %4, so the larger Y must be %5 to %6.")
                        .arg(HexDigits(y, 4), HexDigits(largerY, 4),
                             dy < 0 ? QStringLiteral("-") : QStringLiteral("+"),
                             HexDigits(kMaxY, 4), HexDigits(std::max(0, -dy), 4),
                             HexDigits(kMaxY - dy, 4)),
                    context_, this);
        return;
    }
    setOwnEnabled({Kizu_Adjust_, kizu_ax_, kizu_ay_}, false);
    kizu_ax_->setValue(static_cast<std::uint16_t>(x));
    kizu_ay_->setValue(static_cast<std::uint16_t>(y));
    setOwnEnabled({kizu_ax_, kizu_ay_}, true);
    Timerkizu_->start();
}

void TDefectTab::kizu_autoClick() {
    if (!context_.Trans_chk()) return;
    setOwnEnabled({kizu_auto_, Auto3Point_}, false);
    searchTag_ = sendSearch(0x09);
}

// The offsets travel as signed bytes: X -22, Y +2 (PAL) or -2 (NTSC), then
// the peak tolerance.
std::uint32_t TDefectTab::sendSearch(std::uint8_t sub) {
    return sendWrite({sub, static_cast<std::uint8_t>(kizu::kAdjustX),
                      static_cast<std::uint8_t>(kizu::adjustY(host_.Ntsc())),
                      static_cast<std::uint8_t>(kizu::kPeakTolerance)});
}

void TDefectTab::Kizu_SaveClick() {
    if (!context_.Trans_chk()) return;
    Kizu_Save_->setEnabled(false);
    chainTag_ = sendWrite({0x02});
}

void TDefectTab::Kizu_CancelClick() {
    if (!context_.Trans_chk()) return;
    Kizu_Cancel_->setEnabled(false);
    chainTag_ = sendWrite({0x03});
}

void TDefectTab::AdjustInfoClick() {
    host_.ShowParameterWindow();
}
