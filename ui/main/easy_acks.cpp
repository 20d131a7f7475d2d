// The Easy tab's decoder of every accepted reply while it is the active page:
// acknowledgements of its writes enable the controls that depend on them,
// send the confirming reads of the coupled pairs, poll the one-push white
// balance and carry the title transfer from block to block. A read's answer
// passes here too, after the common decoder has shown it.

#include "ui/main/easy_tab.h"

#include "link/frames.h"
#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>

void TEasyTab::Trans_end_easy() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer r = context_.Reply();
    if (r[1] != cam::kAccepted) {
        ShowMessage(QStringLiteral(" Error "), QStringLiteral("ERR"), TButtons::AbortRetryIgnore,
                    this);
        return;
    }
    // What was sent last, before any handler below overwrites the frame.
    const std::uint8_t lastClass = context_.LastClass();
    const std::uint8_t lastBlock = context_.Answered()[4];
    const int sub = r[3];
    // A follow-up read goes out only while the link allows it.
    const auto followUp = [this](std::initializer_list<std::uint8_t> frame) {
        if (context_.Trans_chk()) context_.Send(frame);
    };

    switch (r[2]) {
    case 0x10:
        if (sub == 1) {
            titleBlockDecode(r[4], &r[5]);
            // Blocks 1..3 follow the acknowledgement of the block before;
            // there is no block after 3.
            if (lastBlock != 3 && r[4] < 3 && context_.Trans_chk()) sendTitleBlock(r[4] + 1u);
        }
        break;
    case 0x18:
        if (sub == 0) {
            blcDependents();
            if (!EnabledFlag(blc_)) followUp({0x31, 0x48, 0x00, 0x00});
        }
        break;
    case 0x1A:
        if (sub == 3) {
            freezeDependents(r[4]);
            lens_panel_enable();
        }
        break;
    case 0x1B:
        if (sub == 0) {
            if (r[4] == 0) {
                awb_->setEnabled(false);
                atwBar_->setEnabled(true);
                awbBar_->setEnabled(false);
            } else if (r[4] == 1) {
                awb_->setEnabled(true);
                atwBar_->setEnabled(false);
            }
        } else if (sub == 4) {
            // The one-push balance is still running: ask again.
            if (wbSelect_->ItemIndex() == 1 && !EnabledFlag(awb_)) followUp({0x31, 0x1B, 0x04});
        }
        break;
    case 0x1C:
        if (sub == 0) {
            if (!EnabledFlag(sync_)) followUp({0x31, 0x1C, 0x00});
        } else if (sub == 1) {
            phaseValue(static_cast<std::int16_t>(r[4] << 8 | r[5]));
        }
        break;
    case 0x20:
        presetDependents(r[4]);
        break;
    case 0x45:
        if (lastClass == cam::kWriteClass) lens_decode(sub, LensLayout::Reply, LensPage::Easy);
        break;
    case 0x48:
        if (sub == 0) {
            peakDependents();
            if (!EnabledFlag(peak_)) followUp({0x31, 0x18, 0x00});
        } else if (sub == 1) {
            alcDependents();
            if (!EnabledFlag(alc_)) followUp({0x31, 0x48, 0x02, 0x00});
        } else if (sub == 2) {
            aesDependents();
            if (!EnabledFlag(aes_)) followUp({0x31, 0x48, 0x01, 0x00});
        }
        break;
    case 0x49:
        lens_panel_enable();
        initial_->setEnabled(true);
        break;
    case 0x52:
        if (sub == 2) pushSwDependents(r[4]);
        break;
    case 0x56:
        if (sub == 0) {
            markDependents(r[4]);
            if (r[4] == 1) markButtonEnable();
        } else if (sub == 1) {
            mark_.x = r[4];
            mark_.y = r[5];
            markButtonEnable();
        }
        break;
    default:
        break;
    }
}
