// The camera's answers to reads, shown on the Easy tab: the ten-part status
// block of the Easy load, the white-balance lock word and every single read.
// Setting a control runs its handler as a user's change would; during a load
// the handlers send nothing, and outside one the partner tokens of the
// coupled pairs keep the echoes in check.

#include "ui/main/easy_tab.h"

#include "link/hex.h"
#include "transactions/blc_area.h"
#include "transactions/title_codec.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/spin_button.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr int kWhiteBalanceLockAddress = 0x0151;
constexpr std::uint8_t kAwbMiddle = 4;

std::int16_t signed16(const cam::ReplyBuffer& r, int at) {
    return static_cast<std::int16_t>(r[static_cast<std::size_t>(at)] << 8 |
                                     r[static_cast<std::size_t>(at) + 1]);
}

QString twoDigits(int value) {
    return QString::asprintf("%02d", value);
}

} // namespace

void TEasyTab::DecodeRead() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer r = context_.Reply();
    const int sub = r[3];
    switch (r[2]) {
    case 0x0C: // EEPROM word; the Easy load's last step reads the lock word
        if ((r[3] << 8 | r[4]) == kWhiteBalanceLockAddress && r[5] != 0) {
            for (QWidget* w : {static_cast<QWidget*>(wbSelect_), static_cast<QWidget*>(awb_),
                               static_cast<QWidget*>(atwBar_), static_cast<QWidget*>(awbBar_),
                               static_cast<QWidget*>(wbGroup_)})
                w->setEnabled(false);
        }
        break;
    case 0x10:
        if (sub == 1)
            titleBlockDecode(r[4], &r[5]);
        else if (sub == 3)
            ctitlepos_->setCurrentIndex(r[4]);
        break;
    case 0x18:
        if (sub == 0) {
            partnerRule(blc_, peak_, r[4]);
            blcDependents();
        }
        break;
    case 0x19:
        blcAreaCode(&r[3]);
        break;
    case 0x1A:
        if (sub == 1)
            agcBar_->setValue(r[4]);
        else if (sub == 2)
            sensBar_->setValue(r[4]);
        else if (sub == 3) {
            freeze_->setItemIndex(r[4]);
            freezeDependents(r[4]);
            lens_panel_enable();
        } else if (sub == 4)
            select_->setItemIndex(r[4]);
        break;
    case 0x1B:
        if (sub == 0)
            wbModeReported(r[4]);
        else if (sub == 2)
            rGain_->setValue(r[4]);
        else if (sub == 3)
            bGain_->setValue(r[4]);
        else if (sub == 4)
            awbCompletion(r[4], AwbLevel::Reset);
        else if (sub == 5)
            atwBar_->setValue(r[4]);
        else if (sub == 6)
            awbBar_->setValue(r[4]);
        break;
    case 0x1C:
        if (sub == 0) {
            sync_->setItemIndex(r[4]);
            phaseRange(r[4], signed16(r, 5), signed16(r, 7));
        } else if (sub == 1) {
            phaseValue(signed16(r, 4));
        }
        break;
    case 0x1D: // sub-codes 16..19 (mask areas) show nothing
        if (sub == 4)
            vRev_->setChecked(r[4] != 0);
        else if (sub == 5)
            hRev_->setChecked(r[4] != 0);
        else if (sub == 7)
            posiNega_->setItemIndex(r[4]);
        break;
    case 0x20: // whatever the sub-code
        preset_->setItemIndex(r[4]);
        presetDependents(r[4]);
        break;
    case 0x45:
        lens_decode(sub, LensLayout::Reply);
        break;
    case 0x47:
        if (sub == 0)
            hGainBar_->setValue(r[4]);
        else if (sub == 1)
            vGainBar_->setValue(r[4]);
        break;
    case 0x48:
        if (sub == 0) {
            if (r[4] == 0) {
                partnerRule(peak_, blc_, r[5]);
                peakDependents();
            } else if (r[4] == 1) {
                peakOnBar_->setValue(r[5]);
            }
        } else if (sub == 1) {
            if (r[4] == 0) {
                partnerRule(alc_, aes_, r[5]);
                alcDependents();
            } else if (r[4] == 1) {
                if (r[5] == 0)
                    alcAutoBar_->setValue(r[6]);
                else if (r[5] == 1)
                    alcFixBar_->setValue(r[6]);
            }
        } else if (sub == 2) {
            if (r[4] == 0) {
                partnerRule(aes_, alc_, r[5]);
                aesDependents();
            } else if (r[4] == 1) {
                if (r[5] == 0)
                    aesAutoBar_->setValue(r[6]);
                else if (r[5] == 1)
                    aesFixBox_->setCurrentIndex(r[6]);
            }
        }
        break;
    case 0x49:
        initial_->setItemIndex(r[3]);
        lens_panel_enable();
        break;
    case 0x50:
        blcSensBar_->setValue(r[3]);
        break;
    case 0x51:
        alarmNo_->setText(twoDigits(r[3]));
        break;
    case 0x52:
        if (sub == 0) {
            positionNo_->setText(twoDigits(r[4]));
        } else if (sub == 1) {
            positionRecalled();
        } else if (sub == 2) {
            pushSW_->setItemIndex(r[4]);
            pushSwDependents(r[4]);
        }
        break;
    case 0x56:
        if (sub == 0) {
            markGroup_->setItemIndex(r[4]);
            markDependents(r[4]);
        } else if (sub == 1) {
            mark_ = cam::MarkPosition::from_bytes(&r[4]);
            markButtonEnable();
        }
        break;
    case 0x60:
        decodeStatus(sub);
        break;
    default:
        break; // 0x53 (iris bias) is the Line tab's
    }
}

// One reply of the status block; within a sub-block the fields are applied
// in the order of their bytes.
void TEasyTab::decodeStatus(int sub) {
    const cam::ReplyBuffer r = context_.Reply();
    const auto word = [&r](int at) {
        return static_cast<std::uint16_t>(r[static_cast<std::size_t>(at)] << 8 |
                                          r[static_cast<std::size_t>(at) + 1]);
    };
    switch (sub) {
    case 0:
        titleBlockDecode(0, &r[4]);
        context_.ApplyRegister(0x01, word(14));
        break;
    case 1:
        titleBlockDecode(1, &r[4]);
        context_.ApplyRegister(0x40, word(14));
        break;
    case 2:
        titleBlockDecode(2, &r[4]);
        vRev_->setChecked(r[14] != 0);
        hRev_->setChecked(r[15] != 0);
        break;
    case 3:
        titleBlockDecode(3, &r[4]);
        ctitlepos_->setCurrentIndex(r[14]);
        partnerRule(blc_, peak_, r[15]);
        blcDependents();
        break;
    case 4:
        blcAreaCode(&r[4]);
        wbModeReported(r[10]);
        atwBar_->setValue(r[11]);
        awbBar_->setValue(r[12]);
        rGain_->setValue(r[13]);
        bGain_->setValue(r[14]);
        awbCompletion(r[15], AwbLevel::AsReported);
        break;
    case 5:
        sync_->setItemIndex(r[4]);
        phaseRange(r[4], signed16(r, 5), signed16(r, 7));
        phaseValue(signed16(r, 9));
        blcSensBar_->setValue(r[11]);
        agcBar_->setValue(r[12]);
        sensBar_->setValue(r[13]);
        freeze_->setItemIndex(r[14]);
        freezeDependents(r[14]);
        initial_->setItemIndex(r[15]);
        break;
    case 6:
        partnerRule(peak_, blc_, r[4]);
        peakDependents();
        peakOnBar_->setValue(r[5]);
        partnerRule(alc_, aes_, r[6]);
        alcDependents();
        alcAutoBar_->setValue(r[7]);
        alcFixBar_->setValue(r[8]);
        partnerRule(aes_, alc_, r[9]);
        aesDependents();
        aesAutoBar_->setValue(r[10]);
        aesFixBox_->setCurrentIndex(r[11]);
        hGainBar_->setValue(r[12]);
        vGainBar_->setValue(r[13]);
        alarmNo_->setText(twoDigits(r[14]));
        lens_decode(6, LensLayout::Status); // digital zoom, byte 15
        break;
    case 7:
        lens_decode(0, LensLayout::Status); // zoom, bytes 4..11
        lens_decode(1, LensLayout::Status); // focus, bytes 12..15
        break;
    case 8:
        lens_decode(2, LensLayout::Status); // auto focus, byte 4
        lens_decode(5, LensLayout::Status); // zoom speed, byte 5
        lens_decode(7, LensLayout::Status); // focus speed, byte 6
        positionNo_->setText(twoDigits(r[7]));
        preset_->setItemIndex(r[8]);
        presetDependents(r[8]);
        pushSW_->setItemIndex(r[9]);
        pushSwDependents(r[9]);
        select_->setItemIndex(r[10]);
        posiNega_->setItemIndex(r[11]);
        break;
    case 9:
        markGroup_->setItemIndex(r[4]);
        markDependents(r[4]);
        mark_ = cam::MarkPosition::from_bytes(&r[5]);
        markButtonEnable();
        lens_panel_enable();
        break;
    default:
        break;
    }
}

// ----------------------------------------------------------------- codecs

void TEasyTab::titleBlockDecode(unsigned block, const std::uint8_t* codes) {
    const auto text = cam::title_block_decode(cName_->text().toStdU32String(), block,
                                              cam::title_codes_from(codes));
    cName_->setText(QString::fromStdU32String(text));
    if (block == 3) setTitle_->setEnabled(true); // the title transfer has finished
}

// Ticks the boxes from the camera's area bytes; each change runs the box's
// handler as a click would.
void TEasyTab::blcAreaCode(const std::uint8_t* bytes) {
    cam::BlcAreaBytes area{};
    std::copy(bytes, bytes + area.size(), area.begin());
    const auto boxes = cam::blc_area_boxes(area);
    for (std::size_t k = 0; k < boxes.size(); ++k)
        blcChecks_[k]->setChecked(boxes[k]);
}

void TEasyTab::blcAreaEnable(bool enabled) {
    for (auto* box : blcChecks_)
        box->setEnabled(enabled);
}

void TEasyTab::markButtonEnable() {
    const auto states = cam::mark_button_states(mark_, markGroup_->ItemIndex() == 1);
    QPushButton* buttons[4] = {markUp_, markDown_, markLeft_, markRight_}; // MarkMove order
    for (std::size_t i = 0; i < states.size(); ++i)
        if (states[i]) buttons[i]->setEnabled(*states[i]);
}

// ------------------------------------------------------------------ rules

// A mode reported for one group of a coupled pair: if the group already
// shows it, the exchange is complete and the partner is enabled; otherwise
// the group takes the value and its click handler decides.
void TEasyTab::partnerRule(TRadioGroup* group, TRadioGroup* partner, int value) {
    if (group->ItemIndex() == value)
        partner->setEnabled(true);
    else
        group->setItemIndex(value);
}

void TEasyTab::blcDependents() {
    const int mode = blc_->ItemIndex();
    if (mode != 0 && mode != 1) return;
    blcAreaEnable(mode == 1);
    blcSensBar_->setEnabled(mode == 1);
}

void TEasyTab::peakDependents() {
    const int mode = peak_->ItemIndex();
    if (mode == 0 || mode == 1) peakOnBar_->setEnabled(mode == 1);
}

void TEasyTab::alcDependents() {
    const int mode = alc_->ItemIndex();
    if (mode != 0 && mode != 1) return;
    alcAutoBar_->setEnabled(mode == 0);
    alcFixBar_->setEnabled(mode == 1);
}

void TEasyTab::aesDependents() {
    const int mode = aes_->ItemIndex();
    if (mode != 0 && mode != 1) return;
    aesAutoBar_->setEnabled(mode == 0);
    aesFixBox_->setEnabled(mode == 1);
}

void TEasyTab::wbModeReported(int value) {
    wbSelect_->setItemIndex(value);
    if (value == 0) {
        awb_->setEnabled(false);
        atwBar_->setEnabled(true);
        awbBar_->setEnabled(false);
    } else if (value == 1) {
        awb_->setEnabled(true);
        atwBar_->setEnabled(false);
    }
}

void TEasyTab::freezeDependents(int value) {
    if (value != 0 && value != 1) return;
    hRev_->setEnabled(value == 0);
    vRev_->setEnabled(value == 0);
}

void TEasyTab::presetDependents(int value) {
    if (value == 0 || value == 1) presetSet_->setEnabled(value == 1);
}

void TEasyTab::pushSwDependents(int value) {
    alarmNo_->setEnabled(value != 1);
    alarmSpin_->setEnabled(value != 1);
}

void TEasyTab::markDependents(int value) {
    if (value != 0 && value != 1) return;
    for (auto* button : {markUp_, markDown_, markLeft_, markRight_})
        button->setEnabled(value == 1);
}

// The one-push white balance has finished: its controls come back. After the
// one-push reply the AWB level returns to the middle, and the camera is told
// so (the bar's own write would be an echo); the status block has just shown
// the level the camera holds, which stays.
void TEasyTab::awbCompletion(int state, AwbLevel level) {
    if (state != 0 || wbSelect_->ItemIndex() != 1) return;
    wbSelect_->setEnabled(true);
    awb_->setEnabled(true);
    awbBar_->setEnabled(true);
    if (level == AwbLevel::AsReported) return;
    awbBar_->setValue(kAwbMiddle);
    context_.Send({0x21, 0x1B, 0x06, kAwbMiddle});
}

void TEasyTab::phaseRange(int sync, std::int16_t maximum, std::int16_t minimum) {
    phaseBar_->setMaximum(maximum);
    phaseBar_->setMinimum(minimum);
    const int span = phaseBar_->maximum() - phaseBar_->minimum();
    phaseBar_->setTickInterval(span / 10);
    phaseBar_->setPageStep(span / 50);
    phaseLevel_->setEnabled(sync != 0);
    phaseBar_->setEnabled(sync != 0);
    sync_->setEnabled(true);
}

void TEasyTab::phaseValue(std::int16_t phase) {
    phaseLevel_->setText(QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(phase))));
    phaseBar_->setValue(phase);
}

// ------------------------------------------------------------ outside calls

void TEasyTab::SetFixedShutterText(const QString& text) {
    // The shown choice stays where it was: only the text of item 1 changes.
    const int current = aesFixBox_->currentIndex();
    aesFixBox_->removeItem(1);
    if (aesFixBox_->count() == 7) aesFixBox_->insertItem(1, text);
    aesFixBox_->setCurrentIndex(current < aesFixBox_->count() ? current : -1);
}

void TEasyTab::EnableWhiteBalance() {
    for (QWidget* w : {static_cast<QWidget*>(wbSelect_), static_cast<QWidget*>(awb_),
                       static_cast<QWidget*>(atwBar_), static_cast<QWidget*>(awbBar_),
                       static_cast<QWidget*>(wbGroup_)})
        w->setEnabled(true);
}
