// What the Debug page sends and how it shows the camera's answers.

#include "ui/service/debug_tab.h"

#include "link/frames.h"
#include "link/hex.h"
#include "ui/common/field_check.h"
#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/service/raw_command.h"
#include "ui/widgets/hex_field.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr std::uint8_t kR = cam::kReadClass;
constexpr std::uint8_t kW = cam::kWriteClass;

constexpr std::uint8_t kRegister = 0x0A;        // read; write that the camera also stores
constexpr std::uint8_t kRegisterNoStore = 0x0B; // write of the register alone
constexpr std::uint8_t kEeprom = 0x0C;
constexpr std::uint8_t kRam = 0x0D;
constexpr std::uint8_t kOsd = 0x0E;
constexpr std::uint8_t kEepromAndRam = 0x0F;
constexpr std::uint8_t kGroupSave = 0x1E;
constexpr std::uint8_t kPreset = 0x20;
constexpr std::uint8_t kAreaSample = 0x35;

constexpr int kEepromWords = 1024;
constexpr int kRamFirst = 0xEE00;
constexpr int kRamLast = 0xFFFF;

std::uint8_t hi(int value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
std::uint8_t lo(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

QString hex4(int value) {
    return QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(value)));
}

// The fields as the page labels them.
QString nameOf(const THexField* field) {
    static const std::pair<const char*, const char*> names[] = {
        {"DspData", "Register data"},
        {"eepadr", "EEPROM address"},
        {"Eepdata", "EEPROM data"},
        {"ramAdr", "RAM address"},
        {"RamCount", "RAM size"},
        {"ramAdrwr", "RAM write address"},
        {"ram_send_buff", "RAM write data"},
        {"osdt", "OSD word"},
    };
    for (const auto& [object, label] : names)
        if (field->objectName() == QLatin1String(object)) return QString::fromLatin1(label);
    return field->objectName();
}

} // namespace

int TDebugTab::accepted(const THexField* field) {
    return AcceptedHex(*field, nameOf(field), context_, this);
}

bool TDebugTab::within(const THexField* field, int value, int first, int last) {
    return WithinLimits(value, first, last, field->maxLength(), nameOf(field), context_, this);
}

void TDebugTab::ClearWriteEchoFlags() {
    registerEcho_ = false;
    eepromEcho_ = false;
}

// ---- replies ------------------------------------------------------------------

void TDebugTab::Debug_tend() {
    const ILinkGate::DecodingScope decoding(context_);
    const cam::ReplyBuffer& r = context_.Reply();
    if (r[1] != cam::kAccepted) {
        // A refused read of a running dump or sample reading ends it.
        if (context_.Answers(awaited_)) dumping_ = sampling_ = false;
        ShowMessage(QStringLiteral(" Error "), QStringLiteral("ERR"), TButtons::AbortRetryIgnore,
                    this);
        return;
    }
    if (context_.LastClass() == kR) Trans_rd_dbg();
}

void TDebugTab::Trans_rd_dbg() {
    const cam::ReplyBuffer& r = context_.Reply();
    switch (r[2]) {
    case kRegister: {
        // Only a reply for the register shown changes the field; the flag
        // then stops the field's change event from writing the value back.
        const QString value = hex4(r[4] << 8 | r[5]);
        if (r[3] == selectedRegister() && value != DspData_->text()) {
            registerEcho_ = true;
            DspData_->setText(value);
        }
        break;
    }
    case kEeprom: {
        const QString word = hex4(r[5] << 8 | r[6]);
        if ((r[3] << 8 | r[4]) == eepadr_->value() && word != Eepdata_->text()) {
            eepromEcho_ = true;
            Eepdata_->setText(word);
        }
        break;
    }
    // A dump or sample reading goes on only on the answer to its own read:
    // raw reads and the answers to reads it no longer waits for pass it by.
    case kRam:
        if (context_.Answers(awaited_)) ramReply(r[5], r[6]);
        break;
    case kAreaSample:
        if (context_.Answers(awaited_)) sampleReply(static_cast<std::uint16_t>(r[4] << 8 | r[5]));
        break;
    default:
        break;
    }
}

// ---- registers ------------------------------------------------------------------

int TDebugTab::selectedRegister() const {
    if (DspAdr_->currentIndex() < 0) return -1;
    const QString row = DspAdr_->currentText();
    if (row.size() < 2) return -1;
    return cam::hex_byte(row[0].toLatin1(), row[1].toLatin1());
}

void TDebugTab::DspAdrChange() {
    if (!context_.Trans_chk()) return;
    const int reg = selectedRegister();
    if (reg >= 0) context_.Send({kR, kRegister, lo(reg)});
}

void TDebugTab::DspDataChange() {
    if (registerEcho_) {
        registerEcho_ = false;
        return;
    }
    if (!context_.Trans_chk()) return;
    const int reg = selectedRegister();
    const int value = accepted(DspData_);
    if (reg < 0 || value < 0) return;
    const std::uint8_t code = NoWrite_->isChecked() ? kRegisterNoStore : kRegister;
    context_.Send({kW, code, lo(reg), hi(value), lo(value)});
    // The tab control is the technician's again, and so is the data field.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* pages = qobject_cast<QTabWidget*>(w)) {
            pages->setEnabled(true);
            break;
        }
    }
    DspData_->setFocus();
}

void TDebugTab::DspRadixChange() {
    if (!DspRadix_->full()) return;
    const int mask = DspRadix_->value();
    DspRadix_->setValue(mask < 0 ? 0xFFFFu : static_cast<unsigned>(mask));
}

void TDebugTab::stepRegisterData(int direction) {
    if (selectedRegister() < 0) return;
    if (DspData_->value() < 0) { // no step from a text that is not hexadecimal
        AcceptedHex(*DspData_, nameOf(DspData_), context_, this);
        return;
    }
    const auto mask = static_cast<std::uint16_t>(DspRadix_->value());
    const auto value = static_cast<std::uint16_t>(DspData_->value());
    DspData_->setValue(cam::masked_step(value, mask, direction));
}

void TDebugTab::DspDatSpinUpClick() {
    stepRegisterData(1);
}
void TDebugTab::DspDatSpinDownClick() {
    stepRegisterData(-1);
}

// ---- EEPROM words -------------------------------------------------------------------

void TDebugTab::eepadrChange() {
    if (!context_.Trans_chk()) return;
    const int address = accepted(eepadr_);
    if (address >= 0) context_.Send({kR, kEeprom, hi(address), lo(address)});
}

void TDebugTab::EepdataChange() {
    if (eepromEcho_) {
        eepromEcho_ = false;
        return;
    }
    if (!context_.Trans_chk()) return;
    const int address = accepted(eepadr_);
    if (address < 0 || !within(eepadr_, address, 0, kEepromWords - 1)) return;
    const int word = accepted(Eepdata_);
    if (word < 0) return;
    const std::uint8_t code = EEP_RAM_->isChecked() ? kEepromAndRam : kEeprom;
    context_.Send({kW, code, hi(address), lo(address), hi(word), lo(word)});
}

void TDebugTab::stepEepromAddress(int direction) {
    const int address = eepadr_->value();
    const bool inside = address >= 0 && address < kEepromWords;
    int next = 0;
    if (direction > 0)
        next = inside && address < kEepromWords - 1 ? address + 1 : 0;
    else
        next = inside && address > 0 ? address - 1 : kEepromWords - 1;
    eepadr_->setValue(static_cast<unsigned>(next));
}

void TDebugTab::stepEepromData(int direction) {
    const int address = eepadr_->value();
    if (address < 0 || address >= kEepromWords) return;
    if (Eepdata_->value() < 0) { // no step from a text that is not hexadecimal
        AcceptedHex(*Eepdata_, nameOf(Eepdata_), context_, this);
        return;
    }
    Eepdata_->setValue(static_cast<std::uint16_t>(Eepdata_->value() + direction));
}

void TDebugTab::CSpinButton6UpClick() {
    stepEepromAddress(1);
}
void TDebugTab::CSpinButton6DownClick() {
    stepEepromAddress(-1);
}
void TDebugTab::CSpinButton7UpClick() {
    stepEepromData(1);
}
void TDebugTab::CSpinButton7DownClick() {
    stepEepromData(-1);
}

// ---- RAM --------------------------------------------------------------------------------

void TDebugTab::disp_ramadr() {
    const int address = ramAdr_->value();
    const int base = address < 0 ? 0 : address & 0xFFF0;
    RdAdr_->setPlainText(QString::fromStdString(cam::ram_address_text(base, RamCount_->value())));
}

void TDebugTab::ramAdrChange() {
    if (!context_.Trans_chk()) return;
    const int address = accepted(ramAdr_);
    if (address < 0) return;
    disp_ramadr();
    const int aligned = address & 0xFFF0;
    if (!within(ramAdr_, aligned, kRamFirst, kRamLast)) return;
    const QString text = hex4(aligned);
    if (text != ramAdr_->text()) {
        ramAdr_->setText(text); // its change event starts the dump
        return;
    }
    startDump(aligned);
}

void TDebugTab::RamCountChange() {
    if (!context_.Trans_chk() || accepted(RamCount_) < 0) return;
    const int address = accepted(ramAdr_);
    if (address < 0) return;
    disp_ramadr();
    startDump(address & 0xFFF0);
}

void TDebugTab::startDump(int address) {
    sampling_ = false;
    dumping_ = true;
    ramCount_ = 0;
    readRam(address);
}

void TDebugTab::readRam(int address) {
    ramAddress_ = address & 0xFFFF;
    sent(context_.Request({kR, kRam, hi(ramAddress_), lo(ramAddress_), 0x01}));
}

bool TDebugTab::sent(std::uint32_t tag) {
    awaited_ = tag;
    if (tag == 0) stop(QStringLiteral("the line did not take its read"));
    return tag != 0;
}

void TDebugTab::stop(const QString& why) {
    const QString what = dumping_    ? QStringLiteral("The RAM dump")
                         : sampling_ ? QStringLiteral("The area sample reading")
                                     : QString();
    dumping_ = sampling_ = false;
    awaited_ = 0;
    if (!what.isEmpty())
        ShowMessage(what + QStringLiteral(" was stopped because ") + why, QStringLiteral("38R5"),
                    TButtons::Ok, this);
}

void TDebugTab::Abandoned(std::uint32_t tag) {
    if (tag != 0 && tag == awaited_) stop(QStringLiteral("its read was not sent"));
}

void TDebugTab::ramReply(std::uint8_t first, std::uint8_t second) {
    // Replies to reads that no dump of this page asked for are not collected.
    if (!dumping_) return;
    for (std::uint8_t b : {first, second})
        if (ramCount_ < static_cast<int>(ram_.size()))
            ram_[static_cast<std::size_t>(ramCount_++)] = b;
    const int size = RamCount_->value();
    // The link takes no more from handlers: the dump ends.
    if (!context_.Trans_chk()) {
        stop(QStringLiteral("the line was busy"));
        return;
    }
    if (ramCount_ < size) {
        readRam(ramAddress_ + 2);
        return;
    }
    showDump();
    const int address = ramAdr_->full() ? ramAdr_->value() : -1;
    if (RamRepeat_->isChecked() && address >= 0) {
        ramCount_ = 0;
        readRam(address & 0xFFF0);
    } else {
        dumping_ = false;
    }
}

void TDebugTab::showDump() {
    const int shown = std::clamp(RamCount_->value(), 0, ramCount_);
    Memo1_->setPlainText(QString::fromStdString(cam::ram_dump_text(ram_.data(), shown)));
}

void TDebugTab::btn_ram_wClick() {
    if (!context_.Trans_chk()) return;
    const int address = accepted(ramAdrwr_);
    if (address < 0 || !within(ramAdrwr_, address, kRamFirst, kRamLast)) return;
    const int data = accepted(ram_send_buff_);
    if (data < 0) return;
    context_.Send({kW, kRam, hi(address), lo(address), lo(data)});
}

// ---- area samples -------------------------------------------------------------------

void TDebugTab::sampClick() {
    if (!context_.Trans_chk()) return;
    dumping_ = false;
    sampling_ = true;
    readSample(0);
}

void TDebugTab::readSample(int index) {
    sampleIndex_ = index;
    sent(context_.Request({kR, kAreaSample, lo(index)}));
}

void TDebugTab::sampleReply(std::uint16_t word) {
    if (!sampling_) return;
    samples_[static_cast<std::size_t>(sampleIndex_)] = word;
    if (!context_.Trans_chk()) {
        stop(QStringLiteral("the line was busy"));
        return;
    }
    if (sampleIndex_ < cam::kAreaSampleCount - 1) {
        readSample(sampleIndex_ + 1);
        return;
    }
    Memo1_->setPlainText(QString::fromStdString(cam::area_sample_text(samples_)));
    if (RamRepeat_->isChecked())
        readSample(0);
    else
        sampling_ = false;
}

// ---- commands -------------------------------------------------------------------------

void TDebugTab::RamSendClick() {
    if (!context_.Trans_chk()) return;
    const QString text = SendBuffer_->text();
    const cam::RawCommand command = cam::parse_raw_command(text.toStdU16String());
    const QString caption = QStringLiteral("38R5");
    switch (command.error) {
    case cam::RawCommand::Error::NotHex:
        ShowMessage(QStringLiteral("Command: \"%1\" is not a hexadecimal digit. Type the bytes in "
                                   "hexadecimal, separated by blanks (e.g. 31 0A 01).")
                        .arg(text.at(static_cast<qsizetype>(command.badIndex))),
                    caption, TButtons::Ok, this);
        return;
    case cam::RawCommand::Error::TooLong:
        ShowMessage(QStringLiteral("Command: more than 15 bytes. A command has 15 bytes at most."),
                    caption, TButtons::Ok, this);
        return;
    case cam::RawCommand::Error::Empty:
        ShowMessage(QStringLiteral("Command: no bytes to send. Type the bytes in hexadecimal "
                                   "(e.g. 31 0A 01)."),
                    caption, TButtons::Ok, this);
        return;
    case cam::RawCommand::Error::None:
        break;
    }
    cam::TxFrame& tx = context_.Tx();
    std::copy(command.bytes.begin(), command.bytes.end(), tx.begin() + 1);
    context_.StxCommand(static_cast<int>(cam::kPayloadSize));
}

void TDebugTab::sw_saveClick() {
    if (context_.Trans_chk()) context_.Send({kW, kGroupSave});
}

void TDebugTab::PresetSaveClick() {
    if (context_.Trans_chk()) context_.Send({kW, kPreset, 0x01});
}

void TDebugTab::osdtChange() {
    if (!context_.Trans_chk()) return;
    const int word = accepted(osdt_);
    if (word >= 0) context_.Send({kW, kOsd, 0x01, hi(word), lo(word)});
}
