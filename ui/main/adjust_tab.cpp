#include "ui/main/adjust_tab.h"

#include "ui/widgets/named.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/common/field_check.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/level_control.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/spin_button.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr std::uint8_t kW = cam::kWriteClass;

constexpr std::uint8_t kRegisterWrite = 0x0B; // register write that the camera does not store
constexpr std::uint8_t kChromaRegister = 0x2B;
QString offsetName() {
    return QStringLiteral("DC Lens Offset");
}
// The delay fields by their captions, in the order of delays_.
QString delayName(std::size_t field) {
    static const char* const names[] = {"RG Delay", "RG Width", "SHP Delay", "SHD Delay"};
    return QString::fromLatin1(names[field]);
}
constexpr int kOffsetMin = 0x50; // DC lens offset limits of the arrows
constexpr int kOffsetMax = 0xB0;

enum DelayField { kRgDelay, kRgWidth, kShpDelay, kShdDelay };

std::uint8_t lo(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t hi(int value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// A hue register keeps the camera's bits 9..15; bits 0..8 carry the setting in
// sign and magnitude (bit 8 set for a negative value).
int hueWord(std::int32_t stored, int position) {
    const int kept = stored & 0xFE00;
    return position < 0 ? kept + 0x100 + lo(-position) : kept + lo(position);
}

QSlider* levelBar(const QString& name, int minimum, int maximum, int tick, QWidget* parent) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(minimum, maximum);
    bar->setTickInterval(tick);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setMinimumWidth(300);
    ShowValueTips(bar);
    return bar;
}

QLineEdit* displayBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEnabled(false);
    box->setFixedWidth(44);
    box->setAlignment(Qt::AlignRight);
    return box;
}

// The box shows the bar's value whatever set it: the technician, or a load.
void mirror(QSlider* bar, QLineEdit* box) {
    box->setText(QString::number(bar->value()));
    QObject::connect(bar, &QSlider::valueChanged, box,
                     [box](int value) { box->setText(QString::number(value)); });
}

QLabel* label(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}
} // namespace

TAdjustTab::TAdjustTab(TTabContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("Panel3"));

    auto* left = new QVBoxLayout;
    auto* top = new QHBoxLayout;
    top->addWidget(buildDelayBox(), 0, Qt::AlignTop);
    top->addWidget(buildLensBox(), 0, Qt::AlignTop);
    top->addStretch();
    left->addLayout(top);
    left->addWidget(buildSwitches());
    left->addWidget(buildPresetBox());
    left->addStretch();
    auto* buttons = new QHBoxLayout;
    SaveAdjust_ = new QPushButton(QStringLiteral("Save"), this);
    SaveAdjust_->setObjectName(QStringLiteral("SaveAdjust"));
    CanAdjust_ = new QPushButton(QStringLiteral("Cancel"), this);
    CanAdjust_->setObjectName(QStringLiteral("CanAdjust"));
    CanAdjust_->setVisible(false);
    buttons->addWidget(SaveAdjust_);
    buttons->addWidget(CanAdjust_);
    buttons->addStretch();
    left->addLayout(buttons);

    auto* right = new QVBoxLayout;
    right->addWidget(buildChromaBox());
    right->addWidget(buildHueBox());
    right->addStretch();

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(12);
    page->addLayout(left, 0);
    page->addLayout(right, 1);

    // The chroma and hue bars send through their debounce timers. A value a
    // reply sets arms no timer and is not written back: the camera holds it.
    using Arm = TLevelControl::Arm;
    using Wait = TLevelControl::Wait;
    crm_ = new TLevelControl(this, QStringLiteral("Timercrm"), 100, Arm::Always, Wait::TransChk,
                             context_, [this] { sendChroma(); });
    const std::array<const char*, 4> timers{"TimerRYP", "TimerBYP", "TimerRYN", "TimerBYN"};
    for (std::size_t i = 0; i < hues_.size(); ++i) {
        Hue& hue = hues_[i];
        hue.address = static_cast<std::uint8_t>(0x2C + i);
        hue.level = new TLevelControl(this, QString::fromLatin1(timers[i]), 500, Arm::Always,
                                      Wait::TransChk, context_, [this, &hue] { sendHue(hue); });
    }

    connectHandlers();
    UpdatePresetButtons();
    resize(730, 480);
}

QWidget* TAdjustTab::buildDelayBox() {
    auto* box = new QGroupBox(QStringLiteral("Delay"), this);
    box->setObjectName(QStringLiteral("DelayBox"));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(6);
    const std::array<const char*, 4> names{"rg_delay", "rg_width", "shp_delay", "shd_delay"};
    const std::array<const char*, 4> captions{"RG Delay", "RG Width", "SHP Delay", "SHD Delay"};
    for (int i = 0; i < 4; ++i) {
        auto* field = new THexField(QString::fromLatin1(names[i]), 1, box);
        field->setText(QStringLiteral("0"));
        field->setFixedWidth(28);
        field->setAlignment(Qt::AlignCenter);
        delays_[i] = field;
        delaySpins_[i] = new TSpinButton(QStringLiteral("CSpinButton%1").arg(i + 1), box);
        grid->addWidget(label(QString::fromLatin1(captions[i]), box), i, 0);
        grid->addWidget(field, i, 1);
        grid->addWidget(delaySpins_[i], i, 2);
    }
    return box;
}

QWidget* TAdjustTab::buildLensBox() {
    auto* box = new QGroupBox(QStringLiteral("DC Lens "), this);
    box->setObjectName(QStringLiteral("DCLensBox"));
    auto* row = new QHBoxLayout(box);
    pwm_ref_ = new THexField(QStringLiteral("pwm_ref"), 2, box);
    pwm_ref_->setText(QStringLiteral("00"));
    pwm_ref_->setFixedWidth(34);
    pwm_ref_->setAlignment(Qt::AlignCenter);
    spin5_ = new TSpinButton(QStringLiteral("CSpinButton5"), box);
    row->addWidget(label(QStringLiteral("Offset "), box));
    row->addWidget(pwm_ref_);
    row->addWidget(spin5_);
    return box;
}

QWidget* TAdjustTab::buildSwitches() {
    auto* holder = new QWidget(this);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    const QStringList items{QStringLiteral("Use"), QStringLiteral("No use")};
    shut_disp_sel_ =
        new TRadioGroup(QStringLiteral("shut_disp_sel"), QStringLiteral("Shutter"), items, holder);
    sync_disp_sel_ =
        new TRadioGroup(QStringLiteral("sync_disp_sel"), QStringLiteral("EXT SYNC"), items, holder);
    row->addWidget(shut_disp_sel_);
    row->addWidget(sync_disp_sel_);
    return holder;
}

QWidget* TAdjustTab::buildPresetBox() {
    auto* holder = new QWidget(this);
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    wb_sel_ = new QCheckBox(QStringLiteral("ATW"), holder);
    wb_sel_->setObjectName(QStringLiteral("wb_sel"));
    auto* box = new QGroupBox(QStringLiteral("W/B Preset"), holder);
    box->setObjectName(QStringLiteral("WBPresetBox"));
    auto* row = new QHBoxLayout(box);
    pre_32_ = new QPushButton(QStringLiteral("ATW->3200K"), box);
    pre_32_->setObjectName(QStringLiteral("pre_32"));
    pre_56_ = new QPushButton(QStringLiteral("ATW->5600K"), box);
    pre_56_->setObjectName(QStringLiteral("pre_56"));
    row->addWidget(pre_32_);
    row->addWidget(pre_56_);
    column->addWidget(wb_sel_);
    column->addWidget(box);
    return holder;
}

QWidget* TAdjustTab::buildChromaBox() {
    auto* box = new QGroupBox(QStringLiteral(" Chroma "), this);
    box->setObjectName(QStringLiteral("ChromaBox"));
    auto* grid = new QGridLayout(box);
    CromaRY_ = levelBar(QStringLiteral("CromaRY"), 0, 255, 8, box);
    CromaBY_ = levelBar(QStringLiteral("CromaBY"), 0, 255, 8, box);
    RY_Gain_ = displayBox(QStringLiteral("RY_Gain"), box);
    BY_Gain_ = displayBox(QStringLiteral("BY_Gain"), box);
    mirror(CromaRY_, RY_Gain_);
    mirror(CromaBY_, BY_Gain_);
    grid->addWidget(label(QStringLiteral("R-Y"), box), 0, 0);
    grid->addWidget(CromaRY_, 0, 1, 1, 2);
    grid->addWidget(RY_Gain_, 0, 3);
    grid->addWidget(label(QStringLiteral("B-Y"), box), 1, 0);
    grid->addWidget(CromaBY_, 1, 1, 1, 2);
    grid->addWidget(BY_Gain_, 1, 3);
    grid->addWidget(label(QStringLiteral("Min"), box), 2, 1, Qt::AlignLeft);
    grid->addWidget(label(QStringLiteral("Max"), box), 2, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget* TAdjustTab::buildHueBox() {
    auto* box = new QGroupBox(QStringLiteral("HUE"), this);
    box->setObjectName(QStringLiteral("HueBox"));
    auto* grid = new QGridLayout(box);
    const std::array<const char*, 4> bars{"RYP", "BYP", "RYN", "BYN"};
    const std::array<const char*, 4> captions{"RY+", "BY+", "RY-", "BY-"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QString::fromLatin1(bars[i]);
        Hue& hue = hues_[static_cast<std::size_t>(i)];
        hue.bar = levelBar(name, -255, 255, 16, box);
        hue.display = displayBox(name + QStringLiteral("_DATA"), box);
        mirror(hue.bar, hue.display);
        grid->addWidget(label(QString::fromLatin1(captions[i]), box), i, 0);
        grid->addWidget(hue.bar, i, 1);
        grid->addWidget(hue.display, i, 2);
    }
    grid->setColumnStretch(1, 1);
    return box;
}

void TAdjustTab::connectHandlers() {
    Bind(context_, shut_disp_sel_, &TRadioGroup::Click, this, &TAdjustTab::shut_disp_selClick);
    Bind(context_, sync_disp_sel_, &TRadioGroup::Click, this, &TAdjustTab::sync_disp_selClick);
    Bind(context_, pwm_ref_, &QLineEdit::textChanged, this, &TAdjustTab::pwm_refChange);
    for (auto* field : delays_)
        Bind(context_, field, &QLineEdit::textChanged, this, &TAdjustTab::rg_delayChange);

    using Slot = void (TAdjustTab::*)();
    const std::array<std::pair<Slot, Slot>, 4> delaySlots{{
        {&TAdjustTab::CSpinButton1DownClick, &TAdjustTab::CSpinButton1UpClick},
        {&TAdjustTab::CSpinButton2DownClick, &TAdjustTab::CSpinButton2UpClick},
        {&TAdjustTab::CSpinButton3DownClick, &TAdjustTab::CSpinButton3UpClick},
        {&TAdjustTab::CSpinButton4DownClick, &TAdjustTab::CSpinButton4UpClick},
    }};
    for (std::size_t i = 0; i < delaySpins_.size(); ++i) {
        Bind(context_, delaySpins_[i], &TSpinButton::DownClick, this, delaySlots[i].first);
        Bind(context_, delaySpins_[i], &TSpinButton::UpClick, this, delaySlots[i].second);
    }
    Bind(context_, spin5_, &TSpinButton::DownClick, this, &TAdjustTab::CSpinButton5DownClick);
    Bind(context_, spin5_, &TSpinButton::UpClick, this, &TAdjustTab::CSpinButton5UpClick);

    Bind(context_, SaveAdjust_, &QPushButton::clicked, this, &TAdjustTab::SaveAdjustClick);
    Bind(context_, CanAdjust_, &QPushButton::clicked, this, &TAdjustTab::CanAdjustClick);
    Bind(context_, CromaRY_, &QSlider::valueChanged, this, &TAdjustTab::CromaRYChange);
    Bind(context_, CromaBY_, &QSlider::valueChanged, this, &TAdjustTab::CromaRYChange);
    const std::array<Slot, 4> hueSlots{&TAdjustTab::RYPChange, &TAdjustTab::BYPChange,
                                       &TAdjustTab::RYNChange, &TAdjustTab::BYNChange};
    for (std::size_t i = 0; i < hues_.size(); ++i)
        Bind(context_, hues_[i].bar, &QSlider::valueChanged, this, hueSlots[i]);
    Bind(context_, pre_32_, &QPushButton::clicked, this, &TAdjustTab::pre_32Click);
    Bind(context_, pre_56_, &QPushButton::clicked, this, &TAdjustTab::pre_56Click);
    Bind(context_, wb_sel_, &QCheckBox::toggled, this, &TAdjustTab::wb_selClick);
}

// ---- replies ----------------------------------------------------------------

void TAdjustTab::DecodeRead() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer& r = context_.Reply();
    if (r[1] != cam::kAccepted || context_.LastClass() != cam::kReadClass) return;
    switch (r[2]) {
    case 0x0A:
    case 0x0B: // register read: the chroma register carries both gains
        if (r[3] == kChromaRegister) {
            CromaBY_->setValue(r[4]);
            CromaRY_->setValue(r[5]);
            showChroma();
        }
        break;
    case 0x1B: // white-balance mode: 0 is ATW
        if (r[3] == 0) wb_sel_->setChecked(r[4] == 0);
        break;
    case 0x60: // the Easy status block carries the white-balance mode in sub-block 4
        if (r[3] == 4) wb_sel_->setChecked(r[10] == 0);
        break;
    case 0x37: // use switches: byte 3 picks the group, byte 4 is its item index
        if (r[3] == 0) shut_disp_sel_->setItemIndex(r[4]);
        if (r[3] == 1) sync_disp_sel_->setItemIndex(r[4]);
        break;
    case 0x42: { // delay word: RG width, SHD delay, SHP delay, RG delay, one digit each
        const std::string digits = cam::hex4(static_cast<std::uint16_t>(r[3] << 8 | r[4]));
        const std::array<int, 4> order{kRgWidth, kShdDelay, kShpDelay, kRgDelay};
        for (std::size_t i = 0; i < order.size(); ++i)
            delays_[static_cast<std::size_t>(order[i])]->setText(QString(QChar(digits[i])));
        break;
    }
    case 0x43:
        pwm_ref_->setText(QString::fromStdString(cam::hex2(r[3])));
        break;
    default:
        break;
    }
}

void TAdjustTab::UpdatePresetButtons() {
    const ILinkGate::DecodingScope decoding(context_);
    const bool atw = wb_sel_->isChecked();
    pre_32_->setEnabled(atw);
    pre_56_->setEnabled(atw);
}

// ---- use switches -------------------------------------------------------------

void TAdjustTab::sendUseSwitch(std::uint8_t which, const TRadioGroup* group) {
    if (!context_.Trans_chk()) return;
    // A reply may clear the choice (an item the group does not have); there is
    // then nothing to send.
    const int index = group->ItemIndex();
    if (index < 0) return;
    context_.Send({kW, 0x37, which, lo(index), 0x01});
}

void TAdjustTab::shut_disp_selClick() {
    sendUseSwitch(0x00, shut_disp_sel_);
}
void TAdjustTab::sync_disp_selClick() {
    sendUseSwitch(0x01, sync_disp_sel_);
}

// ---- DC lens offset -----------------------------------------------------------

void TAdjustTab::pwm_refChange() {
    if (!context_.Trans_chk()) return;
    // A typing slip such as "5G" must not reach the lens drive as FF.
    const int value = AcceptedHex(*pwm_ref_, offsetName(), context_, this);
    if (value < 0) return;
    context_.Send({kW, 0x43, lo(value), 0x01});
}

void TAdjustTab::stepOffset(int step) {
    if (pwm_ref_->value() < 0) { // no step from a text that is not hexadecimal
        AcceptedHex(*pwm_ref_, offsetName(), context_, this);
        return;
    }
    int value = pwm_ref_->value() + step;
    // Each arrow keeps only its own limit.
    if (step < 0 && value < kOffsetMin) value = kOffsetMin;
    if (step > 0 && value > kOffsetMax) value = kOffsetMax;
    pwm_ref_->setValue(static_cast<unsigned>(lo(value)));
}

void TAdjustTab::CSpinButton5DownClick() {
    stepOffset(-pwmStep_);
}
void TAdjustTab::CSpinButton5UpClick() {
    stepOffset(pwmStep_);
}

// ---- delays --------------------------------------------------------------------

void TAdjustTab::rg_delayChange() {
    if (!context_.Trans_chk()) return;
    std::array<int, 4> v{};
    for (std::size_t i = 0; i < delays_.size(); ++i) {
        // While a digit is being replaced the field is empty: nothing is sent.
        // A non-hexadecimal character is not a delay either.
        if (!delays_[i]->full()) return;
        v[i] = AcceptedHex(*delays_[i], delayName(i), context_, this);
        if (v[i] < 0) return;
    }
    const int d1 = v[kRgWidth] * 16 + v[kShdDelay];
    const int d2 = v[kShpDelay] * 16 + v[kRgDelay];
    context_.Send({kW, 0x42, lo(d1), lo(d2), 0x01});
}

void TAdjustTab::stepDelay(int field, int step) {
    THexField* edit = delays_[static_cast<std::size_t>(field)];
    const int value = edit->value();
    if (value < 0) { // no step from a text that is not hexadecimal
        AcceptedHex(*edit, delayName(static_cast<std::size_t>(field)), context_, this);
        return;
    }
    if (step < 0 && value > 0) edit->setValue(static_cast<unsigned>(value - 1));
    if (step > 0 && value < 15) edit->setValue(static_cast<unsigned>(value + 1));
}

void TAdjustTab::CSpinButton1DownClick() {
    stepDelay(kRgDelay, -1);
}
void TAdjustTab::CSpinButton1UpClick() {
    stepDelay(kRgDelay, 1);
}
void TAdjustTab::CSpinButton2DownClick() {
    stepDelay(kRgWidth, -1);
}
void TAdjustTab::CSpinButton2UpClick() {
    stepDelay(kRgWidth, 1);
}
void TAdjustTab::CSpinButton3DownClick() {
    stepDelay(kShpDelay, -1);
}
void TAdjustTab::CSpinButton3UpClick() {
    stepDelay(kShpDelay, 1);
}
void TAdjustTab::CSpinButton4DownClick() {
    stepDelay(kShdDelay, -1);
}
void TAdjustTab::CSpinButton4UpClick() {
    stepDelay(kShdDelay, 1);
}

// ---- save, cancel ----------------------------------------------------------------

void TAdjustTab::SaveAdjustClick() {
    if (context_.Trans_chk()) context_.Send({kW, 0x41, 0x00, 0xFF});
}

void TAdjustTab::CanAdjustClick() {
    if (context_.Trans_chk()) context_.Send({kW, 0x41, 0x01, 0xFF});
}

// ---- chroma and hue --------------------------------------------------------------

void TAdjustTab::CromaRYChange() {
    crm_->change();
}
void TAdjustTab::TimercrmTimer() {
    crm_->tick();
}

void TAdjustTab::sendChroma() {
    const int word = CromaBY_->value() << 8 | CromaRY_->value();
    context_.Data(kChromaRegister) = word;
    context_.Send({kW, kRegisterWrite, kChromaRegister, hi(word), lo(word)});
    showChroma();
}

// The gains as the boxes show them, sent or read.
void TAdjustTab::showChroma() {
    RY_Gain_->setText(QString::number(CromaRY_->value()));
    BY_Gain_->setText(QString::number(CromaBY_->value()));
}

void TAdjustTab::RYPChange() {
    hues_[kRYP].level->change();
}
void TAdjustTab::BYPChange() {
    hues_[kBYP].level->change();
}
void TAdjustTab::RYNChange() {
    hues_[kRYN].level->change();
}
void TAdjustTab::BYNChange() {
    hues_[kBYN].level->change();
}
void TAdjustTab::TimerRYPTimer() {
    hues_[kRYP].level->tick();
}
void TAdjustTab::TimerBYPTimer() {
    hues_[kBYP].level->tick();
}
void TAdjustTab::TimerRYNTimer() {
    hues_[kRYN].level->tick();
}
void TAdjustTab::TimerBYNTimer() {
    hues_[kBYN].level->tick();
}

void TAdjustTab::sendHue(const Hue& hue) {
    const int position = hue.bar->value();
    const int word = hueWord(context_.Data(hue.address), position);
    context_.Data(hue.address) = word;
    context_.Send({kW, kRegisterWrite, hue.address, hi(word), lo(word)});
    hue.display->setText(QString::number(position));
}

// ---- white balance ---------------------------------------------------------------

void TAdjustTab::pre_32Click() {
    if (context_.Trans_chk()) context_.Send({kW, 0x30, 0x00, 0x01});
}

void TAdjustTab::pre_56Click() {
    if (context_.Trans_chk()) context_.Send({kW, 0x30, 0x01, 0x01});
}

void TAdjustTab::wb_selClick() {
    if (!context_.Trans_chk()) return;
    context_.Send({kW, 0x1B, 0x00, static_cast<std::uint8_t>(wb_sel_->isChecked() ? 0 : 1)});
}
