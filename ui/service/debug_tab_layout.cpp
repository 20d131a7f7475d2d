// The controls of the Debug page and their places: the register, EEPROM,
// command and OSD groups on the left, the RAM group with its dump on the right.

#include "ui/service/debug_tab.h"
#include "ui/common/tab_context.h"
#include "ui/service/register_rows.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/spin_button.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kDumpLines = 16; // 256 bytes at most

// The dump and the command text line up digit under digit.
QFont fixedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(8);
    return font;
}

THexField* hexField(const char* name, int length, const char* text, QWidget* parent) {
    auto* field = new THexField(QLatin1String(name), length, parent);
    field->setText(QLatin1String(text));
    field->setFixedWidth(length == 4 ? 50 : 34);
    field->setAlignment(Qt::AlignCenter);
    return field;
}

QLabel* label(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

QPushButton* button(const char* name, const char* text, QWidget* parent) {
    auto* b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QCheckBox* checkBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QGroupBox* group(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QGroupBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// A read-only memo in the fixed font whose lines match the dump's.
QPlainTextEdit* memo(const char* name, QWidget* parent) {
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(QLatin1String(name));
    m->setReadOnly(true);
    m->setFont(fixedFont());
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return m;
}

int memoHeight(const QPlainTextEdit* m, int lines) {
    const int margins = 2 * static_cast<int>(m->document()->documentMargin());
    return lines * m->fontMetrics().lineSpacing() + margins + 2 * m->frameWidth() + 2;
}

} // namespace

TDebugTab::TDebugTab(TTabContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("Panel2"));

    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(buildDspBox());
    left->addWidget(buildEepromBox());
    left->addWidget(buildCommandBox());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildOsdBox());
    PresetSave_ = button("PresetSave", "PresetSave", this);
    bottom->addWidget(PresetSave_, 0, Qt::AlignBottom);
    bottom->addStretch();
    left->addLayout(bottom);
    left->addStretch();

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(8, 6, 8, 6);
    page->setSpacing(10);
    page->addLayout(left, 1);
    page->addWidget(buildRamBox(), 0, Qt::AlignTop);

    connectHandlers();
    resize(730, 480);
}

QWidget* TDebugTab::buildDspBox() {
    auto* box = group("GroupBox3", " DSP", this);
    auto* grid = new QGridLayout(box);
    DspAdr_ = new QComboBox(box);
    DspAdr_->setObjectName(QStringLiteral("DspAdr"));
    for (const char* row : cam::register_rows())
        DspAdr_->addItem(QString::fromUtf8(row));
    DspAdr_->setCurrentIndex(-1); // no register chosen yet
    DspAdr_->setMaxVisibleItems(20);
    DspAdr_->setMinimumContentsLength(22);
    DspAdr_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    DspData_ = hexField("DspData", 4, "Data", box);
    DspDatSpin_ = new TSpinButton(QStringLiteral("DspDatSpin"), box);
    DspRadix_ = hexField("DspRadix", 4, "FFFF", box);
    NoWrite_ = checkBox("NoWrite", QStringLiteral("NoWrite(EEP)"), box);

    grid->addWidget(DspAdr_, 0, 0, 1, 6);
    grid->addWidget(label(QStringLiteral("Data"), box), 1, 0);
    grid->addWidget(DspData_, 1, 1);
    grid->addWidget(DspDatSpin_, 1, 2);
    grid->addWidget(label(QStringLiteral("Mask"), box), 1, 3);
    grid->addWidget(DspRadix_, 1, 4);
    grid->addWidget(NoWrite_, 2, 0, 1, 5);
    grid->setColumnStretch(5, 1);
    return box;
}

QWidget* TDebugTab::buildEepromBox() {
    auto* box = group("GroupBox4", "EEPROM", this);
    auto* grid = new QGridLayout(box);
    eepadr_ = hexField("eepadr", 4, "0000", box);
    CSpinButton6_ = new TSpinButton(QStringLiteral("CSpinButton6"), box);
    Eepdata_ = hexField("Eepdata", 4, "Data", box);
    CSpinButton7_ = new TSpinButton(QStringLiteral("CSpinButton7"), box);
    // The form's caption "&& RAM" shows a single ampersand.
    EEP_RAM_ = checkBox("EEP_RAM", QStringLiteral("&& RAM"), box);
    grid->addWidget(label(QStringLiteral("Address"), box), 0, 0);
    grid->addWidget(eepadr_, 0, 1);
    grid->addWidget(CSpinButton6_, 0, 2);
    grid->addWidget(label(QStringLiteral("Data"), box), 1, 0);
    grid->addWidget(Eepdata_, 1, 1);
    grid->addWidget(CSpinButton7_, 1, 2);
    grid->addWidget(EEP_RAM_, 1, 3);
    grid->setColumnStretch(4, 1);
    return box;
}

QWidget* TDebugTab::buildRamBox() {
    auto* box = group("GroupBox9", " RAM ", this);
    auto* column = new QVBoxLayout(box);
    column->setSpacing(4);

    auto* read = new QHBoxLayout;
    ramAdr_ = hexField("ramAdr", 4, "EE00", box);
    RamCount_ = hexField("RamCount", 2, "10", box);
    RamRepeat_ = checkBox("RamRepeat", QStringLiteral("Repeat"), box);
    samp_ = button("samp", "Area samp", box);
    read->addWidget(label(QStringLiteral("Address"), box));
    read->addWidget(ramAdr_);
    read->addSpacing(6);
    read->addWidget(label(QStringLiteral("Size"), box));
    read->addWidget(RamCount_);
    read->addSpacing(6);
    read->addWidget(RamRepeat_);
    read->addStretch();
    column->addLayout(read);

    // The dump: the address column beside the bytes, the byte offsets above.
    RdAdr_ = memo("RdAdr", box);
    RdAdr_->setFrameShape(QFrame::NoFrame);
    RdAdr_->setStyleSheet(QStringLiteral("QPlainTextEdit#RdAdr { background: silver; }"));
    Memo1_ = memo("Memo1", box);
    const int charWidth = Memo1_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int textInset = static_cast<int>(Memo1_->document()->documentMargin());
    Memo1_->setFixedSize(48 * charWidth + 2 * textInset + 2 * Memo1_->frameWidth() + 4,
                         memoHeight(Memo1_, kDumpLines));
    RdAdr_->setFixedSize(4 * charWidth + 2 * textInset + 4, Memo1_->height());
    // Lines of both memos start at the same height.
    RdAdr_->setContentsMargins(0, Memo1_->frameWidth(), 0, 0);

    auto* heading =
        new QLabel(QStringLiteral("+0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F"), box);
    heading->setFont(fixedFont());
    heading->setContentsMargins(Memo1_->frameWidth() + textInset, 0, 0, 0);
    auto* dump = new QGridLayout;
    dump->setHorizontalSpacing(2);
    dump->setVerticalSpacing(0);
    dump->addWidget(heading, 0, 1);
    dump->addWidget(RdAdr_, 1, 0);
    dump->addWidget(Memo1_, 1, 1);
    column->addLayout(dump);

    auto* write = new QHBoxLayout;
    ramAdrwr_ = hexField("ramAdrwr", 4, "EE00", box);
    ram_send_buff_ = hexField("ram_send_buff", 2, "00", box);
    btn_ram_w_ = button("btn_ram_w", "Write", box);
    write->addWidget(label(QStringLiteral("Address"), box));
    write->addWidget(ramAdrwr_);
    write->addSpacing(6);
    write->addWidget(label(QStringLiteral("Data "), box));
    write->addWidget(ram_send_buff_);
    write->addSpacing(6);
    write->addWidget(btn_ram_w_);
    write->addStretch();
    write->addWidget(samp_);
    column->addLayout(write);
    return box;
}

QWidget* TDebugTab::buildCommandBox() {
    auto* box = group("GroupBox7", "Command", this);
    auto* grid = new QGridLayout(box);
    auto* offsets = new QLabel(QStringLiteral("+0  +1  +2  +3  +4  +5  +6  +7  +8  "), box);
    offsets->setFont(fixedFont());
    SendBuffer_ = new QLineEdit(QStringLiteral("SendBuffer"), box);
    SendBuffer_->setObjectName(QStringLiteral("SendBuffer"));
    SendBuffer_->setFont(fixedFont());
    SendBuffer_->setToolTip(QStringLiteral("Up to 15 bytes in hexadecimal, e.g. 31 0A 01"));
    offsets->setContentsMargins(SendBuffer_->textMargins().left() + 4, 0, 0, 0);
    RamSend_ = button("RamSend", "Send", box);
    sw_save_ = button("sw_save", "Save", box);
    grid->addWidget(offsets, 0, 0, 1, 3);
    grid->addWidget(SendBuffer_, 1, 0, 1, 3);
    grid->addWidget(RamSend_, 2, 0);
    grid->addWidget(sw_save_, 2, 1);
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget* TDebugTab::buildOsdBox() {
    auto* box = group("OSD", "OSD", this);
    auto* row = new QHBoxLayout(box);
    osdt_ = hexField("osdt", 4, "osdt", box);
    row->addWidget(label(QStringLiteral("16bit"), box));
    row->addWidget(osdt_);
    return box;
}

void TDebugTab::connectHandlers() {
    Bind(context_, DspAdr_, &QComboBox::activated, this, &TDebugTab::DspAdrChange);
    Bind(context_, DspData_, &QLineEdit::textChanged, this, &TDebugTab::DspDataChange);
    Bind(context_, DspRadix_, &QLineEdit::textChanged, this, &TDebugTab::DspRadixChange);
    Bind(context_, DspDatSpin_, &TSpinButton::UpClick, this, &TDebugTab::DspDatSpinUpClick);
    Bind(context_, DspDatSpin_, &TSpinButton::DownClick, this, &TDebugTab::DspDatSpinDownClick);
    Bind(context_, eepadr_, &QLineEdit::textChanged, this, &TDebugTab::eepadrChange);
    Bind(context_, Eepdata_, &QLineEdit::textChanged, this, &TDebugTab::EepdataChange);
    Bind(context_, CSpinButton6_, &TSpinButton::UpClick, this, &TDebugTab::CSpinButton6UpClick);
    Bind(context_, CSpinButton6_, &TSpinButton::DownClick, this, &TDebugTab::CSpinButton6DownClick);
    Bind(context_, CSpinButton7_, &TSpinButton::UpClick, this, &TDebugTab::CSpinButton7UpClick);
    Bind(context_, CSpinButton7_, &TSpinButton::DownClick, this, &TDebugTab::CSpinButton7DownClick);
    Bind(context_, ramAdr_, &QLineEdit::textChanged, this, &TDebugTab::ramAdrChange);
    Bind(context_, RamCount_, &QLineEdit::textChanged, this, &TDebugTab::RamCountChange);
    Bind(context_, samp_, &QPushButton::clicked, this, &TDebugTab::sampClick);
    Bind(context_, btn_ram_w_, &QPushButton::clicked, this, &TDebugTab::btn_ram_wClick);
    Bind(context_, RamSend_, &QPushButton::clicked, this, &TDebugTab::RamSendClick);
    Bind(context_, sw_save_, &QPushButton::clicked, this, &TDebugTab::sw_saveClick);
    Bind(context_, PresetSave_, &QPushButton::clicked, this, &TDebugTab::PresetSaveClick);
    Bind(context_, osdt_, &QLineEdit::textChanged, this, &TDebugTab::osdtChange);
}
