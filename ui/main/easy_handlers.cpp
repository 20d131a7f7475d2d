// What the Easy tab's controls send when the technician changes them. Every
// handler asks Trans_chk first and drops the action while a load runs or the
// link is busy; the debounced bars retry at their timer's next tick instead.

#include "ui/main/easy_tab.h"

#include "link/hex.h"
#include "transactions/blc_area.h"
#include "transactions/title_codec.h"
#include "ui/common/field_check.h"
#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/level_control.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace {

constexpr int kLevelInterval = 300; // ms, every Easy-tab level control

std::uint8_t idx(const TRadioGroup* group) {
    return static_cast<std::uint8_t>(group->ItemIndex());
}
std::uint8_t tick(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}
std::uint8_t low(const QSlider* bar) {
    return static_cast<std::uint8_t>(bar->value());
}

} // namespace

bool EnabledFlag(const QWidget* widget) {
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

void TEasyTab::buildLevelControls() {
    using Wait = TLevelControl::Wait;
    auto level = [this](const char* timer, Wait wait, std::function<void()> send) {
        return new TLevelControl(this, QLatin1String(timer), kLevelInterval,
                                 TLevelControl::Arm::NoLoad, wait, context_, std::move(send));
    };
    auto& c = context_;
    agcLevel_ = level("AGCTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x1A, 0x01, low(agcBar_)});
    });
    sensLevel_ = level("SENSTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x1A, 0x02, low(sensBar_)});
    });
    rLevel_ = level("RTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x1B, 0x02, low(rGain_)});
    });
    bLevel_ = level("BTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x1B, 0x03, low(bGain_)});
    });
    // The white-balance bars hand their frame over at once; a busy link drops it.
    atwLevel_ = level("ATWBarTimer", Wait::None, [this, &c] {
        c.Send({0x21, 0x1B, 0x05, low(atwBar_)});
    });
    awbLevel_ = level("AWBBarTimer", Wait::None, [this, &c] {
        c.Send({0x21, 0x1B, 0x06, low(awbBar_)});
    });
    hGainLevel_ = level("HGainTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x47, 0x00, low(hGainBar_)});
    });
    vGainLevel_ = level("VGainTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x47, 0x01, low(vGainBar_)});
    });
    peakOnLevel_ = level("PeakOnTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x48, 0x00, 0x01, low(peakOnBar_)});
    });
    alcAutoLevel_ = level("ALCAutoTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x48, 0x01, 0x01, 0x00, low(alcAutoBar_)});
    });
    alcFixLevel_ = level("ALCFixTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x48, 0x01, 0x01, 0x01, low(alcFixBar_)});
    });
    aesAutoLevel_ = level("AESAutoTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x48, 0x02, 0x01, 0x00, low(aesAutoBar_)});
    });
    blcSensLevel_ = level("BLCSensTimer", Wait::TransChk, [this, &c] {
        c.Send({0x21, 0x50, low(blcSensBar_)});
    });
    // The grid is read when the timer fires: any number of clicks in one
    // interval becomes one frame with the final pattern.
    blcAreaLevel_ = level("BLCAreaTimer", Wait::TransChk, [this, &c] {
        cam::BlcAreaBoxes boxes{};
        for (std::size_t k = 0; k < boxes.size(); ++k)
            boxes[k] = blcChecks_[k]->isChecked();
        const auto a = cam::blc_area_bytes(boxes);
        c.Send({0x21, 0x19, a[0], a[1], a[2], a[3], a[4], a[5]});
    });
    // The phase bar sends nothing itself: its position goes to PhaseLevel,
    // whose change handler sends once the text fills the field.
    phaseLevelTimer_ = level("PhaseTimer", Wait::TransChk, [this] {
        phaseLevel_->setText(
            QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(phaseBar_->value()))));
    });
}

void TEasyTab::connectHandlers() {
    auto click = [this](QPushButton* button, void (TEasyTab::*handler)()) {
        Bind(context_, button, &QPushButton::clicked, this, handler);
    };
    auto radio = [this](TRadioGroup* group, void (TEasyTab::*handler)()) {
        Bind(context_, group, &TRadioGroup::Click, this, handler);
    };
    auto bar = [this](QSlider* slider, void (TEasyTab::*handler)()) {
        Bind(context_, slider, &QSlider::valueChanged, this, handler);
    };

    radio(markGroup_, &TEasyTab::MarkClick);
    click(markUp_, &TEasyTab::Mark_upClick);
    click(markDown_, &TEasyTab::Mark_downClick);
    click(markLeft_, &TEasyTab::Mark_leftClick);
    click(markRight_, &TEasyTab::Mark_rightClick);
    Bind(context_, hRev_, &QCheckBox::toggled, this, &TEasyTab::HRevClick);
    Bind(context_, vRev_, &QCheckBox::toggled, this, &TEasyTab::VRevClick);
    click(revSet_, &TEasyTab::RevSetClick);
    radio(posiNega_, &TEasyTab::PosiNegaClick);
    radio(freeze_, &TEasyTab::FreezeClick);
    radio(select_, &TEasyTab::SelectClick);
    radio(initial_, &TEasyTab::InitialClick);
    radio(preset_, &TEasyTab::PresetClick);
    click(presetSet_, &TEasyTab::PresetSetClick);
    radio(sync_, &TEasyTab::SyncClick);
    Bind(context_, phaseLevel_, &QLineEdit::textChanged, this, &TEasyTab::PhaseLevelChange);
    radio(wbSelect_, &TEasyTab::wb_selectClick);
    click(awb_, &TEasyTab::AWBClick);
    radio(blc_, &TEasyTab::BLCClick);
    radio(peak_, &TEasyTab::PEAKClick);
    radio(alc_, &TEasyTab::ALCClick);
    radio(aes_, &TEasyTab::AESClick);
    // Drop-down lists act on the technician's choice only, never when the
    // program sets their index.
    Bind(context_, aesFixBox_, &QComboBox::activated, this, &TEasyTab::AESFixBoxChange);
    Bind(context_, ctitlepos_, &QComboBox::activated, this, &TEasyTab::CtitleposChange);
    click(setTitle_, &TEasyTab::SetTitleClick);

    connectLensHandlers();

    bar(agcBar_, &TEasyTab::AGCBarChange);
    bar(sensBar_, &TEasyTab::SENSBarChange);
    bar(rGain_, &TEasyTab::RgainChange);
    bar(bGain_, &TEasyTab::BGainChange);
    bar(atwBar_, &TEasyTab::ATWBarChange);
    bar(awbBar_, &TEasyTab::AWBBarChange);
    bar(hGainBar_, &TEasyTab::HGainBarChange);
    bar(vGainBar_, &TEasyTab::VGainBarChange);
    bar(peakOnBar_, &TEasyTab::PeakOnBarChange);
    bar(alcAutoBar_, &TEasyTab::ALCAutoBarChange);
    bar(alcFixBar_, &TEasyTab::ALCFixBarChange);
    bar(aesAutoBar_, &TEasyTab::AESAutoBarChange);
    bar(blcSensBar_, &TEasyTab::BLCSensBarChange);
    bar(phaseBar_, &TEasyTab::PhaseBarChange);
    for (auto* box : blcChecks_)
        Bind(context_, box, &QCheckBox::toggled, this, &TEasyTab::BLCCheckClick);
}

// ------------------------------------------------------------ level controls

void TEasyTab::AGCBarChange() {
    agcLevel_->change();
}
void TEasyTab::AGCTimerTimer() {
    agcLevel_->tick();
}
void TEasyTab::SENSBarChange() {
    sensLevel_->change();
}
void TEasyTab::SENSTimerTimer() {
    sensLevel_->tick();
}
void TEasyTab::RgainChange() {
    rLevel_->change();
}
void TEasyTab::RTimerTimer() {
    rLevel_->tick();
}
void TEasyTab::BGainChange() {
    bLevel_->change();
}
void TEasyTab::BTimerTimer() {
    bLevel_->tick();
}
void TEasyTab::ATWBarChange() {
    atwLevel_->change();
}
void TEasyTab::ATWBarTimerTimer() {
    atwLevel_->tick();
}
void TEasyTab::AWBBarChange() {
    awbLevel_->change();
}
void TEasyTab::AWBBarTimerTimer() {
    awbLevel_->tick();
}
void TEasyTab::HGainBarChange() {
    hGainLevel_->change();
}
void TEasyTab::HGainTimerTimer() {
    hGainLevel_->tick();
}
void TEasyTab::VGainBarChange() {
    vGainLevel_->change();
}
void TEasyTab::VGainTimerTimer() {
    vGainLevel_->tick();
}
void TEasyTab::PeakOnBarChange() {
    peakOnLevel_->change();
}
void TEasyTab::PeakOnTimerTimer() {
    peakOnLevel_->tick();
}
void TEasyTab::ALCAutoBarChange() {
    alcAutoLevel_->change();
}
void TEasyTab::ALCAutoTimerTimer() {
    alcAutoLevel_->tick();
}
void TEasyTab::ALCFixBarChange() {
    alcFixLevel_->change();
}
void TEasyTab::ALCFixTimerTimer() {
    alcFixLevel_->tick();
}
void TEasyTab::AESAutoBarChange() {
    aesAutoLevel_->change();
}
void TEasyTab::AESAutoTimerTimer() {
    aesAutoLevel_->tick();
}
void TEasyTab::BLCSensBarChange() {
    blcSensLevel_->change();
}
void TEasyTab::BLCSensTimerTimer() {
    blcSensLevel_->tick();
}
void TEasyTab::BLCCheckClick() {
    blcAreaLevel_->change();
}
void TEasyTab::BLCAreaTimerTimer() {
    blcAreaLevel_->tick();
}
void TEasyTab::PhaseBarChange() {
    phaseLevelTimer_->change();
}
void TEasyTab::PhaseTimerTimer() {
    phaseLevelTimer_->tick();
}

// ------------------------------------------------------------------- switches

void TEasyTab::MarkClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x56, 0x00, idx(markGroup_)});
}

// The arrows send the stored position moved by one; the record itself
// changes only when the camera reports the new position.
void TEasyTab::markMove(cam::MarkMove move) {
    if (!context_.Trans_chk()) return;
    const auto [x, y] = cam::mark_moved(mark_, move);
    context_.Send({0x21, 0x56, 0x01, x, y});
}

void TEasyTab::Mark_upClick() {
    markMove(cam::MarkMove::Up);
}
void TEasyTab::Mark_downClick() {
    markMove(cam::MarkMove::Down);
}
void TEasyTab::Mark_leftClick() {
    markMove(cam::MarkMove::Left);
}
void TEasyTab::Mark_rightClick() {
    markMove(cam::MarkMove::Right);
}

void TEasyTab::HRevClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x1D, 0x05, tick(hRev_)});
}

void TEasyTab::VRevClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x1D, 0x04, tick(vRev_)});
}

void TEasyTab::RevSetClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x1D, 0x06});
}

void TEasyTab::PosiNegaClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x1D, 0x07, idx(posiNega_)});
}

void TEasyTab::FreezeClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x1A, 0x03, idx(freeze_)});
}

void TEasyTab::SelectClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x1A, 0x04, idx(select_)});
}

// Initial stays disabled until the camera's acknowledgement.
void TEasyTab::InitialClick() {
    if (!context_.Trans_chk()) return;
    initial_->setEnabled(false);
    context_.Send({0x21, 0x49, idx(initial_)});
}

void TEasyTab::PresetClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x20, 0x02, idx(preset_)});
}

void TEasyTab::PresetSetClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x20, 0x00});
}

// Sync stays disabled until its state has been read back.
void TEasyTab::SyncClick() {
    if (!context_.Trans_chk()) return;
    sync_->setEnabled(false);
    context_.Send({0x21, 0x1C, 0x00, idx(sync_)});
}

// The phase is a signed 16-bit level (FFF0 is -16); once the camera has told
// its range, a level outside it is refused.
void TEasyTab::PhaseLevelChange() {
    if (!context_.Trans_chk()) return;
    const int value = AcceptedHex(*phaseLevel_, QStringLiteral("Phase level"), context_, this);
    if (value < 0 || !withinBar(value, phaseBar_, QStringLiteral("Phase level"))) return;
    context_.Send({0x21, 0x1C, 0x01, static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value)});
}

bool TEasyTab::withinBar(int value, const QSlider* bar, const QString& what) {
    if (bar->maximum() <= bar->minimum()) return true; // no range reported yet
    const int level = static_cast<std::int16_t>(value);
    if (level >= bar->minimum() && level <= bar->maximum()) return true;
    auto digits = [](int v) {
        return QString::asprintf("%04X", static_cast<unsigned>(v) & 0xFFFFu);
    };
    RefuseInput(QStringLiteral("%1: %2 is outside %3 to %4.")
                    .arg(what, digits(value), digits(bar->minimum()), digits(bar->maximum())),
                context_, this);
    return false;
}

void TEasyTab::wb_selectClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x1B, 0x00, idx(wbSelect_)});
}

// One-push white balance: the three controls come back when the camera
// reports the balance done.
void TEasyTab::AWBClick() {
    if (!context_.Trans_chk()) return;
    awb_->setEnabled(false);
    wbSelect_->setEnabled(false);
    awbBar_->setEnabled(false);
    context_.Send({0x21, 0x1B, 0x04});
}

// A write of one group of a coupled pair is confirmed by reading its
// partner; the written group stays disabled until that read is answered.
// A click while the partner is disabled is the end of such an exchange: it
// only enables the partner. A value a reply wrote (the camera holds it) starts
// no exchange and so leaves the group usable.
void TEasyTab::coupledClick(TRadioGroup* group, TRadioGroup* partner,
                            std::initializer_list<std::uint8_t> frame) {
    if (!context_.Trans_chk()) return;
    if (EnabledFlag(partner)) {
        if (context_.EchoWrite()) return;
        group->setEnabled(false);
        context_.Send(frame);
    } else {
        partner->setEnabled(true);
    }
}

void TEasyTab::BLCClick() {
    coupledClick(blc_, peak_, {0x21, 0x18, 0x00, idx(blc_)});
}
void TEasyTab::PEAKClick() {
    coupledClick(peak_, blc_, {0x21, 0x48, 0x00, 0x00, idx(peak_)});
}
void TEasyTab::ALCClick() {
    coupledClick(alc_, aes_, {0x21, 0x48, 0x01, 0x00, idx(alc_)});
}
void TEasyTab::AESClick() {
    coupledClick(aes_, alc_, {0x21, 0x48, 0x02, 0x00, idx(aes_)});
}

void TEasyTab::AESFixBoxChange() {
    if (!context_.Trans_chk()) return;
    context_.Send(
        {0x21, 0x48, 0x02, 0x01, 0x01, static_cast<std::uint8_t>(aesFixBox_->currentIndex())});
}

void TEasyTab::CtitleposChange() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x10, 0x03, static_cast<std::uint8_t>(ctitlepos_->currentIndex())});
}

// ---------------------------------------------------------------------- title

void TEasyTab::sendTitleBlock(unsigned block) {
    auto& tx = context_.Tx();
    tx[1] = 0x21;
    tx[2] = 0x10;
    tx[3] = 0x01;
    tx[4] = static_cast<std::uint8_t>(block);
    cam::title_codes_to_payload(tx,
                                cam::title_block_encode(cName_->text().toStdU32String(), block));
    context_.StxCommand(14); // the acknowledgement of block n sends block n + 1
}

// Block 0 goes now; each acknowledgement sends the next block, and the last
// one enables SetTitle again.
void TEasyTab::SetTitleClick() {
    if (!context_.Trans_chk()) return;
    setTitle_->setEnabled(false);
    sendTitleBlock(0);
}

// ------------------------------------------------------ alarm and push switch

void TEasyTab::PushSWClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({0x21, 0x52, 0x02, idx(pushSW_)});
}

bool DecimalText(const QLineEdit* edit, int& number) {
    bool ok = false;
    number = edit->text().trimmed().toInt(&ok);
    if (!ok) {
        ShowMessage(QStringLiteral("'%1' は整数ではありません").arg(edit->text()),
                    QStringLiteral("38R5"), TButtons::Ok);
    }
    return ok;
}

bool TEasyTab::numberWithin(const QLineEdit* edit, int& number, int first, int last,
                            const QString& what) {
    if (!DecimalText(edit, number)) return false;
    if (number >= first && number <= last) return true;
    RefuseInput(QString::asprintf("%s: %s is outside %02d to %02d.", qPrintable(what),
                                  qPrintable(edit->text()), first, last),
                context_, this);
    return false;
}

// Alarm numbers are 00 .. 64; another number is refused rather than sent.
void TEasyTab::AlarmNoChange() {
    if (!context_.Trans_chk() || alarmNo_->text().size() != 2) return;
    int number = 0;
    if (!numberWithin(alarmNo_, number, 0, kAlarmMax, QStringLiteral("Alarm number"))) return;
    context_.Send({0x21, 0x51, static_cast<std::uint8_t>(number)});
}

// The spin buttons only change the text (alarm numbers 0 .. 64); the
// edit's change handler sends.
void TEasyTab::AlarmSpinButtonDownClick() {
    int number = 0;
    if (!DecimalText(alarmNo_, number)) return;
    const int value = std::max(static_cast<std::int8_t>(number) - 1, 0);
    alarmNo_->setText(QString::asprintf("%02d", value));
}

void TEasyTab::AlarmSpinButtonUpClick() {
    int number = 0;
    if (!DecimalText(alarmNo_, number)) return;
    const int value = std::min(static_cast<std::int8_t>(number) + 1, kAlarmMax);
    alarmNo_->setText(QString::asprintf("%02d", value));
}
