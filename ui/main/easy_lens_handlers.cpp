// What the lens controls send. Every sending handler asks Trans_chk first and
// drops the action while a load runs or the link is busy. With CurrentCheck
// ticked a handler that moves the lens disables the lens controls before it
// sends; the lens replies bring them back once the lens has arrived.

#include "ui/main/easy_tab.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/common/field_check.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/level_control.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/spin_button.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace {

constexpr int kLevelInterval = 300; // ms
constexpr int kPositionMax = 64;

std::uint8_t hi(int value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> 8);
}
std::uint8_t lo(int value) {
    return static_cast<std::uint8_t>(value);
}

} // namespace

void TEasyTab::buildLensLevelControls() {
    auto level = [this](const char* timer, std::function<void()> send,
                        std::function<bool()> mayArm = {}) {
        return new TLevelControl(this, QLatin1String(timer), kLevelInterval,
                                 TLevelControl::Arm::NoLoad, TLevelControl::Wait::TransChk,
                                 context_, std::move(send), std::move(mayArm));
    };
    zoomSpeedLevel_ = level("ZoomSpeedTimer", [this] {
        context_.Send({0x21, 0x45, 0x05, static_cast<std::uint8_t>(zoomSpeedBar_->value())});
    });
    focusSpeedLevel_ = level("FocusSpeedTimer", [this] {
        context_.Send({0x21, 0x45, 0x07, static_cast<std::uint8_t>(focusSpeedBar_->value())});
    });
    // The step bars send nothing themselves: their position becomes the text
    // of the step field, whose change handler sends the new target.
    zoomStepLevel_ = level("ZoomStepTimer", [this] {
        zoomStep_->setText(
            QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(zoomStepBar_->value()))));
    });
    focusStepLevel_ = level(
        "FocusStepTimer",
        [this] {
            focusStep_->setText(QString::fromStdString(
                cam::hex4(static_cast<std::uint16_t>(focusStepBar_->value()))));
        },
        [this] { return EnabledFlag(focusStepBar_); });
}

void TEasyTab::connectLensHandlers() {
    const auto spin = [this](TSpinButton* button, void (TEasyTab::*up)(),
                             void (TEasyTab::*down)()) {
        Bind(context_, button, &TSpinButton::UpClick, this, up);
        Bind(context_, button, &TSpinButton::DownClick, this, down);
    };
    const auto bar = [this](QSlider* slider, void (TEasyTab::*handler)()) {
        Bind(context_, slider, &QSlider::valueChanged, this, handler);
    };
    Bind(context_, zoomStep_, &QLineEdit::textChanged, this, &TEasyTab::ZoomStepChange);
    Bind(context_, focusStep_, &QLineEdit::textChanged, this, &TEasyTab::FocusStepChange);
    spin(zoomSpin_, &TEasyTab::ZoomSpinButtonUpClick, &TEasyTab::ZoomSpinButtonDownClick);
    spin(focusSpin_, &TEasyTab::FocusSpinButtonUpClick, &TEasyTab::FocusSpinButtonDownClick);
    spin(positionSpin_, &TEasyTab::PositionSpinButtonUpClick,
         &TEasyTab::PositionSpinButtonDownClick);
    spin(alarmSpin_, &TEasyTab::AlarmSpinButtonUpClick, &TEasyTab::AlarmSpinButtonDownClick);
    bar(zoomStepBar_, &TEasyTab::ZoomStepBarChange);
    bar(focusStepBar_, &TEasyTab::FocusStepBarChange);
    bar(zoomSpeedBar_, &TEasyTab::ZoomSpeedBarChange);
    bar(focusSpeedBar_, &TEasyTab::FocusSpeedBarChange);
    Bind(context_, autoFocus_, &QCheckBox::toggled, this, &TEasyTab::AutoFocusClick);
    Bind(context_, onePushAF_, &QPushButton::clicked, this, &TEasyTab::OnePushAFClick);
    Bind(context_, getZoomCurrent_, &QPushButton::clicked, this, &TEasyTab::GetZoomCurrentClick);
    Bind(context_, digitalZoom_, &TRadioGroup::Click, this, &TEasyTab::DigitalZoomClick);
    Bind(context_, posLoad_, &QPushButton::clicked, this, &TEasyTab::PosLoadClick);
    Bind(context_, posSave_, &QPushButton::clicked, this, &TEasyTab::PosSaveClick);
    Bind(context_, pushSW_, &TRadioGroup::Click, this, &TEasyTab::PushSWClick);
    Bind(context_, alarmNo_, &QLineEdit::textChanged, this, &TEasyTab::AlarmNoChange);
}

// ------------------------------------------------------------ level controls

void TEasyTab::ZoomSpeedBarChange() {
    zoomSpeedLevel_->change();
}
void TEasyTab::ZoomSpeedTimerTimer() {
    zoomSpeedLevel_->tick();
}
void TEasyTab::FocusSpeedBarChange() {
    focusSpeedLevel_->change();
}
void TEasyTab::FocusSpeedTimerTimer() {
    focusSpeedLevel_->tick();
}
void TEasyTab::ZoomStepBarChange() {
    zoomStepLevel_->change();
}
void TEasyTab::ZoomStepTimerTimer() {
    zoomStepLevel_->tick();
}
void TEasyTab::FocusStepBarChange() {
    focusStepLevel_->change();
}
void TEasyTab::FocusStepTimerTimer() {
    focusStepLevel_->tick();
}

// ---------------------------------------------------------------- lens moves

void TEasyTab::followMove(std::initializer_list<QWidget*> controls) {
    if (!currentCheck_->isChecked()) return;
    for (QWidget* w : controls)
        w->setEnabled(false);
}

void TEasyTab::ZoomStepChange() {
    if (!context_.Trans_chk() || !zoomStep_->full() || !EnabledFlag(zoomStep_)) return;
    // A target the lens cannot reach would keep a followed move reading forever.
    const int target = AcceptedHex(*zoomStep_, QStringLiteral("Zoom step"), context_, this);
    if (target < 0 || !withinBar(target, zoomStepBar_, QStringLiteral("Zoom step"))) return;
    followMove({zoomStep_, zoomSpin_, zoomStepBar_, getZoomCurrent_, focusStep_, focusSpin_,
                focusStepBar_, zoomSpeedBar_, focusSpeedBar_, digitalZoom_, pushSW_, alarmNo_,
                alarmSpin_, currentCheck_, autoFocus_, onePushAF_});
    context_.Send({0x21, 0x45, 0x00, hi(target), lo(target)});
}

void TEasyTab::FocusStepChange() {
    if (!context_.Trans_chk() || !focusStep_->full() || !EnabledFlag(focusStep_) ||
        !EnabledFlag(focusStepBar_))
        return;
    const int target = AcceptedHex(*focusStep_, QStringLiteral("Focus step"), context_, this);
    if (target < 0 || !withinBar(target, focusStepBar_, QStringLiteral("Focus step"))) return;
    followMove({focusStep_, focusSpin_, focusStepBar_, zoomSpeedBar_, focusSpeedBar_, digitalZoom_,
                pushSW_, alarmNo_, alarmSpin_, currentCheck_, autoFocus_, onePushAF_});
    context_.Send({0x21, 0x45, 0x01, hi(target), lo(target)});
}

void TEasyTab::AutoFocusClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x45, 0x02, static_cast<std::uint8_t>(autoFocus_->isChecked())});
}

void TEasyTab::OnePushAFClick() {
    if (!context_.Trans_chk()) return;
    followMove({focusStep_, focusSpin_, focusStepBar_, zoomSpeedBar_, focusSpeedBar_, digitalZoom_,
                pushSW_, alarmNo_, alarmSpin_, currentCheck_, autoFocus_, onePushAF_});
    context_.Send({0x21, 0x45, 0x03});
}

// The group comes back when the reply has been followed by a zoom read.
void TEasyTab::DigitalZoomClick() {
    if (!context_.Trans_chk()) return;
    digitalZoom_->setEnabled(false);
    context_.Send({0x21, 0x45, 0x06, static_cast<std::uint8_t>(digitalZoom_->ItemIndex())});
}

void TEasyTab::GetZoomCurrentClick() {
    if (!context_.Trans_chk()) return;
    getZoomCurrent_->setEnabled(false);
    followMove({zoomStep_, zoomSpin_, zoomStepBar_, focusStep_, focusSpin_, focusStepBar_,
                zoomSpeedBar_, focusSpeedBar_, digitalZoom_, pushSW_, alarmNo_, alarmSpin_,
                currentCheck_});
    context_.Send({cam::kReadClass, 0x45, 0x00});
}

// ------------------------------------------------------------ step arrows

// One step of a target field towards the bar's limit; a value at the limit,
// or typed beyond it, does not move. The new text runs the field's change
// handler, which sends it.
void TEasyTab::stepTarget(THexField* edit, const QSlider* bar, int delta) {
    // An arrow does not move from a text that is not hexadecimal.
    if (edit->value() < 0) {
        AcceptedHex(*edit,
                    edit == zoomStep_ ? QStringLiteral("Zoom step") : QStringLiteral("Focus step"),
                    context_, this);
        return;
    }
    // The targets are signed 16-bit values: FF00 is -256.
    int value = static_cast<std::int16_t>(edit->value());
    const int limit = delta < 0 ? bar->minimum() : bar->maximum();
    if (delta < 0 ? value > limit : value < limit) value += delta;
    edit->setText(QString::asprintf("%04X", static_cast<unsigned>(value) & 0xFFFFu));
}

void TEasyTab::ZoomSpinButtonDownClick() {
    stepTarget(zoomStep_, zoomStepBar_, -1);
}
void TEasyTab::ZoomSpinButtonUpClick() {
    stepTarget(zoomStep_, zoomStepBar_, +1);
}
void TEasyTab::FocusSpinButtonDownClick() {
    stepTarget(focusStep_, focusStepBar_, -1);
}
void TEasyTab::FocusSpinButtonUpClick() {
    stepTarget(focusStep_, focusStepBar_, +1);
}

// ------------------------------------------------------- stored positions

// Position numbers are 1 .. 64; the arrows only change the text, which
// "Load" and "Save" read.
void TEasyTab::PositionSpinButtonDownClick() {
    int number = 0;
    if (!DecimalText(positionNo_, number)) return;
    const int value = std::max(static_cast<std::int8_t>(number) - 1, 1);
    positionNo_->setText(QString::asprintf("%02d", value));
}

void TEasyTab::PositionSpinButtonUpClick() {
    int number = 0;
    if (!DecimalText(positionNo_, number)) return;
    const int value = std::min(static_cast<std::int8_t>(number) + 1, kPositionMax);
    positionNo_->setText(QString::asprintf("%02d", value));
}

// The number is converted before anything is disabled, so a text that is
// not a number leaves the lens controls usable.
void TEasyTab::PosLoadClick() {
    if (!context_.Trans_chk() || positionNo_->text().size() != 2) return;
    int number = 0;
    if (!numberWithin(positionNo_, number, 1, kPositionMax, QStringLiteral("Position number")))
        return;
    followMove({posLoad_, zoomStep_, zoomSpin_, zoomStepBar_, getZoomCurrent_, focusStep_,
                focusSpin_, focusStepBar_, zoomSpeedBar_, focusSpeedBar_, digitalZoom_, pushSW_,
                alarmNo_, alarmSpin_, currentCheck_, autoFocus_, onePushAF_});
    context_.Send({cam::kReadClass, 0x52, 0x01, static_cast<std::uint8_t>(number)});
}

void TEasyTab::PosSaveClick() {
    if (!context_.Trans_chk() || positionNo_->text().size() != 2) return;
    int number = 0;
    if (!numberWithin(positionNo_, number, 1, kPositionMax, QStringLiteral("Position number")))
        return;
    context_.Send({0x21, 0x52, 0x01, static_cast<std::uint8_t>(number)});
}
