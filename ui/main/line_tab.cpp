// The Line page's controls and the adjustment dialogue with the camera.
//
// Iris adjustment: "Set" sends the digital zoom "OFF"; its acknowledgement
// (with "Set" still disabled) enters the iris adjustment (21 48 03 00); the
// camera's "entered" opens the bias controls and "Exit" (21 48 03 01) ends it.
// Lens adjustment: "Adjust Go" sends the digital zoom "OFF"; its
// acknowledgement (with "Set" enabled and "Adjust Go" disabled) starts the
// adjustment (21 45 04 00); while the camera answers "running" the tool asks
// 21 46 and then 21 45 04 01 in turn until it answers "over". Each step goes
// on only on the answer to the frame before it, never on another reply that
// arrives meanwhile (a switch key, a raw command).

#include "ui/main/line_tab.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/common/field_check.h"
#include "ui/common/tab_context.h"
#include "ui/main/easy_tab.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/named.h"
#include "ui/widgets/spin_button.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(caption) + 24);
    return button;
}

} // namespace

TLineTab::TLineTab(TTabContext& context, TEasyTab& easy, QWidget* parent)
    : QWidget(parent), context_(context), easy_(&easy) {
    setObjectName(QStringLiteral("Panel5"));
    buildControls();
    easy.SetLensAdjustment(this);
}

TLineTab::~TLineTab() {
    if (easy_) easy_->SetLensAdjustment(nullptr);
}

void TLineTab::buildControls() {
    auto* iris = NamedGroup(this, "IRISAdjust", QStringLiteral("IRIS Adjust"));
    auto* biasBox = NamedGroup(iris, "BiasBox", QStringLiteral("Bias"));
    biasNum_ = new THexField(QStringLiteral("BiasNum"), 2, biasBox);
    biasNum_->setFixedWidth(36);
    biasSpin_ = new TSpinButton(QStringLiteral("BiasSpinButton"), biasBox);
    auto* biasLayout = new QHBoxLayout(biasBox);
    biasLayout->addWidget(biasNum_);
    biasLayout->addWidget(biasSpin_);
    biasLayout->addStretch(1);
    irisAdjustSet_ = makeButton(iris, "IRISAdjustSet", QStringLiteral("Set"));
    irisAdjustExit_ = makeButton(iris, "IRISAdjustExit", QStringLiteral("Exit"));
    auto* irisLayout = new QHBoxLayout(iris);
    irisLayout->addWidget(biasBox);
    auto* irisButtons = new QVBoxLayout;
    irisButtons->addWidget(irisAdjustSet_);
    irisButtons->addWidget(irisAdjustExit_);
    irisLayout->addLayout(irisButtons);

    auto* lensBox = NamedGroup(this, "LensAdjust", QStringLiteral("Lens Adjust"));
    adjustGo_ = makeButton(lensBox, "AdjustGo", QStringLiteral("Adjust Go"));
    auto* lensLayout = new QHBoxLayout(lensBox);
    lensLayout->addWidget(adjustGo_);

    auto* row = new QHBoxLayout;
    row->addWidget(iris);
    row->addWidget(lensBox, 0, Qt::AlignTop);
    row->addStretch(1);
    auto* page = new QVBoxLayout(this);
    page->addLayout(row);
    page->addStretch(1);

    // Idle: both adjustments can start; the bias belongs to the iris adjustment.
    biasNum_->setEnabled(false);
    biasSpin_->setEnabled(false);
    irisAdjustExit_->setEnabled(false);

    Bind(context_, irisAdjustSet_, &QPushButton::clicked, this, &TLineTab::IRISAdjustSetClick);
    Bind(context_, irisAdjustExit_, &QPushButton::clicked, this, &TLineTab::IRISAdjustExitClick);
    Bind(context_, adjustGo_, &QPushButton::clicked, this, &TLineTab::AdjustGoClick);
    Bind(context_, biasNum_, &QLineEdit::textChanged, this, &TLineTab::BiasNumChange);
    Bind(context_, biasSpin_, &TSpinButton::UpClick, this, &TLineTab::BiasSpinButtonUpClick);
    Bind(context_, biasSpin_, &TSpinButton::DownClick, this, &TLineTab::BiasSpinButtonDownClick);
}

// ------------------------------------------------------------------ replies

void TLineTab::DecodeRead() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer& r = context_.Reply();
    if (r[2] == 0x53) biasNum_->setText(QString::asprintf("%02X", r[3]));
}

void TLineTab::Trans_end_line() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer r = context_.Reply();
    if (r[1] != cam::kAccepted || context_.LastClass() != cam::kWriteClass) return;
    switch (r[2]) {
    case 0x45:
        if (easy_) easy_->lens_decode(r[3], TEasyTab::LensLayout::Reply, TEasyTab::LensPage::Line);
        break;
    case 0x46: // the progress query was answered: ask for the state again
        if (context_.Answers(pollTag_)) lensTag_ = context_.Request({0x21, 0x45, 0x04, 0x01});
        break;
    case 0x48:
        if (r[3] != 3 || !context_.Answers(irisTag_)) break;
        if (r[4] == 0) { // iris adjustment entered
            biasNum_->setEnabled(true);
            biasSpin_->setEnabled(true);
            irisAdjustExit_->setEnabled(true);
            adjustGo_->setEnabled(false);
        } else if (r[4] == 1) { // left
            irisAdjustSet_->setEnabled(true);
            biasNum_->setEnabled(false);
            biasSpin_->setEnabled(false);
            irisAdjustExit_->setEnabled(false);
            adjustGo_->setEnabled(true);
        }
        break;
    default:
        break;
    }
}

// The digital zoom "OFF" of either button was answered; the disabled button
// tells which adjustment asked for it.
void TLineTab::AdjustmentStartAcknowledged() {
    if (!context_.Answers(startTag_)) return;
    startTag_ = 0;
    if (!EnabledFlag(irisAdjustSet_)) {
        irisTag_ = context_.Request({0x21, 0x48, 0x03, 0x00});
    } else if (!EnabledFlag(adjustGo_)) {
        irisAdjustSet_->setEnabled(false);
        lensTag_ = context_.Request({0x21, 0x45, 0x04, 0x00});
    }
}

// The camera's answer to the start or a state query of the lens adjustment:
// while it runs the progress is asked (21 46), then the state again.
void TLineTab::LensAdjustmentReported(int state) {
    if (!context_.Answers(lensTag_)) return;
    if (state == 0) {
        pollTag_ = context_.Request({0x21, 0x46});
    } else if (state == 1) {
        lensTag_ = 0;
        adjustGo_->setEnabled(true);
        irisAdjustSet_->setEnabled(true);
    }
}

// ----------------------------------------------------------------- handlers

void TLineTab::IRISAdjustSetClick() {
    if (!context_.Trans_chk()) return;
    irisAdjustSet_->setEnabled(false);
    startTag_ = context_.Request({0x21, 0x45, 0x06, 0x00});
}

void TLineTab::AdjustGoClick() {
    if (!context_.Trans_chk()) return;
    adjustGo_->setEnabled(false);
    startTag_ = context_.Request({0x21, 0x45, 0x06, 0x00});
}

void TLineTab::IRISAdjustExitClick() {
    if (!context_.Trans_chk()) return;
    irisTag_ = context_.Request({0x21, 0x48, 0x03, 0x01});
}

// Two digits send the bias; a text that is not hexadecimal is refused (the
// iris would take it as FF).
void TLineTab::BiasNumChange() {
    if (!context_.Trans_chk()) return;
    const int value = AcceptedHex(*biasNum_, QStringLiteral("IRIS Bias"), context_, this);
    if (value >= 0) context_.Send({0x21, 0x53, static_cast<std::uint8_t>(value)});
}

// The lower arrow raises the code and the upper arrow lowers it, within
// 00 .. FF; the new text runs BiasNumChange. There is no step from a text
// that is not hexadecimal.
void TLineTab::stepBias(int delta) {
    if (biasNum_->value() < 0) {
        AcceptedHex(*biasNum_, QStringLiteral("IRIS Bias"), context_, this);
        return;
    }
    auto value = static_cast<std::uint8_t>(biasNum_->value());
    if (value != (delta > 0 ? 0xFF : 0x00)) value = static_cast<std::uint8_t>(value + delta);
    biasNum_->setText(QString::asprintf("%02X", value));
}

void TLineTab::BiasSpinButtonDownClick() {
    stepBias(+1);
}
void TLineTab::BiasSpinButtonUpClick() {
    stepBias(-1);
}
