// The camera's answers on the CCD Defect tab. DecodeRead shows the answers to
// reads of code 0x36 and, outside a load, walks the read-back chain
// 00 -> 01 -> 10 -> 11 -> 09 while "Kizu Cancel" is disabled (after a point
// selection 00 or 01 lead straight to 09). Every chain goes on only at the
// answer to its own last frame. Trans_end_kizu handles the
// acknowledgements of the tab's writes: the second steps of save and cancel,
// the positions the camera took and the results of the automatic search.
//
// A control whose value a reply sets is disabled while it is set, so that its
// handler does not send the value back.

#include "ui/defect/defect_tab.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/defect/kizu_params.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <cstdlib>

namespace {

constexpr std::uint8_t kDefectCode = 0x36;

int word(const cam::ReplyBuffer& r, int at) {
    return r[static_cast<std::size_t>(at)] << 8 | r[static_cast<std::size_t>(at) + 1];
}

QString hexText(int value) {
    return QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(value)));
}

} // namespace

void TDefectTab::DecodeRead() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer r = context_.Reply();
    if (r[2] != kDefectCode) return;
    const int point = Kizu_->ItemIndex();
    switch (r[3]) {
    case 0x00: { // point A: on/off, X, Y
        setOwnEnabled({Defect_, kizu_ax_, kizu_ay_}, false);
        if (point == 0) {
            Defect_->setItemIndex(r[4]);
            kizu_ax_->setValue(static_cast<unsigned>(word(r, 5)));
            kizu_ay_->setValue(static_cast<unsigned>(word(r, 7)));
            placeCursor();
        }
        if (OwnEnabled(Kizu_)) setPointDisplay(0, word(r, 5), word(r, 7));
        setOwnEnabled({Defect_, kizu_ax_, kizu_ay_}, true);
        if (!chainAnswered()) break;
        if (!OwnEnabled(Kizu_Cancel_))
            followUpRead(0x01);
        else if (!OwnEnabled(Kizu_))
            followUpRead(0x09);
        break;
    }
    case 0x01: { // points B and C: one on/off, X and Y of each
        setOwnEnabled({Defect_, kizu_ax_, kizu_ay_}, false);
        if (point == 1 || point == 2) {
            const int at = point == 1 ? 5 : 9;
            Defect_->setItemIndex(r[4]);
            kizu_ax_->setValue(static_cast<unsigned>(word(r, at)));
            kizu_ay_->setValue(static_cast<unsigned>(word(r, at + 2)));
            placeCursor();
        }
        if (OwnEnabled(Kizu_)) {
            setPointDisplay(1, word(r, 5), word(r, 7));
            setPointDisplay(2, word(r, 9), word(r, 11));
        }
        setOwnEnabled({Defect_, kizu_ax_, kizu_ay_}, true);
        if (!chainAnswered()) break;
        if (!OwnEnabled(Kizu_Cancel_))
            followUpRead(0x10);
        else if (!OwnEnabled(Kizu_))
            followUpRead(0x09);
        break;
    }
    case 0x02: { // measurement: X, Y and peak of the even, then of the odd field
        const int x1 = word(r, 4), y1 = word(r, 6), p1 = word(r, 8);
        const int x2 = word(r, 10), y2 = word(r, 12), p2 = word(r, 14);
        kin_[0]->setText(hexText(x1));
        kin_[1]->setText(hexText(y1));
        kin_[2]->setText(hexText(p1));
        kin_[3]->setText(hexText(x2));
        kin_[4]->setText(hexText(y2));
        kin_[5]->setText(hexText(p2));
        KizuRead_->setEnabled(true);
        // Both fields must have seen the same pixel.
        Kizu_Adjust_->setEnabled(x1 == x2 && std::abs(y1 - y2) <= 1 &&
                                 std::abs(p1 - p2) <= kizu::kPeakTolerance);
        break;
    }
    case 0x04:
        VRevKFChange_->setItemIndex(r[4]);
        break;
    case 0x05:
        AdjustSet_->setItemIndex(r[4]);
        if (AdjustSet_->ItemIndex() == 0)
            setOwnEnabled({VRevKF_, SensKFBar_}, false);
        else if (AdjustSet_->ItemIndex() == 1 && context_.Trans_chk())
            followUpRead(0x06);
        break;
    case 0x06:
        VRevKF_->setChecked(r[6] != 0);
        SensKFBar_->setValue(r[9]);
        if (AdjustSet_->ItemIndex() == 1) setOwnEnabled({VRevKF_, SensKFBar_}, true);
        AdjustSet_->setEnabled(true);
        break;
    case 0x09: { // the point that carries the cursor display: 1 A, 2 B, 3 C, 0 none
        const int cursor = r[4];
        if (Kizu_->ItemIndex() == -1) Kizu_->setItemIndex(cursor == 0 ? 0 : cursor - 1);
        if (OwnEnabled(Kizu_)) {
            kizu_sel_->setEnabled(false);
            const int k = Kizu_->ItemIndex();
            if (k >= 0 && k <= 2) kizu_sel_->setItemIndex(cursor == k + 1 ? 1 : 0);
            setOwnEnabled({kizu_sel_, Kizu_Cancel_}, true);
        } else {
            // A point selection ends here: the new point gets the cursor setting.
            if (chainAnswered()) kizu_selClick();
            Kizu_->setEnabled(true);
        }
        // The load starts here: a button whose chain an error reply cut off
        // is usable again.
        if (context_.SequenceRunning())
            setOwnEnabled({Kizu_Save_, Kizu_Cancel_, KizuRead_, kizu_auto_, Auto3Point_}, true);
        break;
    }
    case 0x0B:
        SensUpKFOFF_->setItemIndex(r[4]);
        break;
    case 0x10:
        KFFX_->setEnabled(false);
        KFFX_->setChecked(r[4] != 0);
        KFFX_->setEnabled(true);
        if (!OwnEnabled(Kizu_Cancel_) && chainAnswered()) followUpRead(0x11);
        break;
    case 0x11:
        KFRV_->setEnabled(false);
        KFRV_->setChecked(r[4] != 0);
        KFRV_->setEnabled(true);
        if (!OwnEnabled(Kizu_Cancel_) && chainAnswered()) followUpRead(0x09);
        break;
    default:
        break;
    }
}

void TDefectTab::Trans_end_kizu() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer r = context_.Reply();
    if (r[1] != cam::kAccepted) {
        ShowMessage(QStringLiteral(" Error "), QStringLiteral("ERR"), TButtons::AbortRetryIgnore,
                    this);
        return;
    }
    if (context_.LastClass() != cam::kWriteClass || r[2] != kDefectCode) return;
    switch (r[3]) {
    case 0x00:
        if (context_.Trans_chk()) followUpRead(0x00);
        break;
    case 0x01:
        if (r[4] == 0x02) { // the position of A the camera took
            showPosition(word(r, 5), word(r, 7));
            Kizu_Adjust_->setEnabled(false);
            if (Kizu_->ItemIndex() == 0) placeCursor();
        }
        break;
    case 0x02: // save, first step
        if (!OwnEnabled(Kizu_Save_) && chainAnswered()) chainTag_ = sendWrite({0x15});
        break;
    case 0x15: // save, second step
        if (!OwnEnabled(Kizu_Save_) && chainAnswered()) followUpRead(0x09);
        Kizu_Save_->setEnabled(true);
        break;
    case 0x03: // cancel, first step
        if (!OwnEnabled(Kizu_Cancel_) && chainAnswered()) chainTag_ = sendWrite({0x16});
        break;
    case 0x16: // cancel, second step: reload everything, the chain ends at 09
        if (!OwnEnabled(Kizu_Cancel_) && chainAnswered()) followUpRead(0x00);
        break;
    case 0x04:
        VRevKFChange_->setItemIndex(r[4]);
        break;
    case 0x05:
        if (OwnEnabled(AdjustSet_) || !chainAnswered()) break;
        if (r[4] == 0) {
            setOwnEnabled({VRevKF_, SensKFBar_}, false);
            AdjustSet_->setEnabled(true);
        } else if (r[4] == 1) {
            followUpRead(0x06); // its answer enables them and Adjust Set
        }
        break;
    case 0x09:
        if (!OwnEnabled(kizu_auto_) && context_.Answers(searchTag_)) searchDoneA();
        break;
    case 0x0A:
        if (!OwnEnabled(kizu_auto_) && context_.Answers(searchTag_)) searchDoneBC();
        break;
    case 0x12:
        placeCursor();
        break;
    default:
        break;
    }
}

// The camera found point A: position, correction state, KF_FIX and KF_REV.
void TDefectTab::searchDoneA() {
    const cam::ReplyBuffer r = context_.Reply();
    const int x = word(r, 7), y = word(r, 9);
    setOwnEnabled({kizu_ax_, kizu_ay_, Defect_, KFFX_, KFRV_}, false);
    if (Kizu_->ItemIndex() == 0) {
        kizu_ax_->setValue(static_cast<unsigned>(x));
        kizu_ay_->setValue(static_cast<unsigned>(y));
        Defect_->setItemIndex(r[11]);
        KFFX_->setChecked(r[12] != 0);
        KFRV_->setChecked(r[13] != 0);
        placeCursor();
    }
    setPointDisplay(0, x, y);
    setOwnEnabled({kizu_ax_, kizu_ay_, Defect_, KFFX_, KFRV_}, true);
    // With "3 Point" and A found, B and C are searched next; the buttons
    // come back with their result (or at once if the search was refused).
    const bool searchBC = Auto3Point_->isChecked() && r[11] == 1;
    searchTag_ = searchBC ? sendSearch(0x0A) : 0;
    if (searchTag_ == 0) setOwnEnabled({kizu_auto_, Auto3Point_}, true);
}

// The camera found points B and C.
void TDefectTab::searchDoneBC() {
    const cam::ReplyBuffer r = context_.Reply();
    const int point = Kizu_->ItemIndex();
    setOwnEnabled({kizu_ax_, kizu_ay_, Defect_}, false);
    if (point == 1 || point == 2) {
        const int at = point == 1 ? 7 : 11;
        kizu_ax_->setValue(static_cast<unsigned>(word(r, at)));
        kizu_ay_->setValue(static_cast<unsigned>(word(r, at + 2)));
        Defect_->setItemIndex(r[15]);
        placeCursor();
    }
    setPointDisplay(1, word(r, 7), word(r, 9));
    setPointDisplay(2, word(r, 11), word(r, 13));
    setOwnEnabled({kizu_ax_, kizu_ay_, Defect_, kizu_auto_, Auto3Point_}, true);
}
