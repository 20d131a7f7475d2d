#pragma once
// The "Debug" page (panel Panel2): direct access to the camera's internals
// for the service technician. Registers by address from the register list,
// EEPROM words, a dump of the RAM window 0xEE00..0xFFFF and single RAM byte
// writes, the 48 area samples, the on-screen-display word, raw commands typed
// as hexadecimal text, the command group "Save" and the preset store.
//
// Every edit is a hexadecimal field that acts when its text fills it. The
// page decodes replies only while it is the active page: the main window
// calls Debug_tend for every reply then. The RAM dump and the sample reading
// run one read per reply, so switching to another page ends them.
//
// Two write-echo flags keep the register data and EEPROM data fields from
// writing back a value that a read reply has just put into them.

#include "ui/service/debug_text.h"

#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TSpinButton;
class THexField;
class TTabContext;

class TDebugTab : public QWidget {
    Q_OBJECT
  public:
    explicit TDebugTab(TTabContext& context, QWidget* parent = nullptr);

    // The window calls it once at creation: no field is waiting for an echo.
    void ClearWriteEchoFlags();

  public slots:
    // Replies while this page is active: error replies are reported, replies
    // to reads are shown.
    void Debug_tend();
    // The technician left the tab: a RAM dump or sample reading ends there
    // and says so.
    void PageLeft() { stop(QStringLiteral("the tab was changed")); }
    // A load sequence takes the line: the same.
    void LoadStarted() { stop(QStringLiteral("a load took the line")); }
    // The frame tagged `tag` will never be answered: the dump or sample
    // reading waiting for it ends.
    void Abandoned(std::uint32_t tag);
    // The read replies of this page (register, EEPROM word, RAM, area sample).
    void Trans_rd_dbg();

    // Registers.
    void DspAdrChange();
    void DspDataChange();
    void DspRadixChange();
    void DspDatSpinUpClick();
    void DspDatSpinDownClick();
    // EEPROM words.
    void eepadrChange();
    void EepdataChange();
    void CSpinButton6UpClick();
    void CSpinButton6DownClick();
    void CSpinButton7UpClick();
    void CSpinButton7DownClick();
    // RAM and area samples.
    void ramAdrChange();
    void RamCountChange();
    void disp_ramadr();
    void btn_ram_wClick();
    void sampClick();
    // Commands.
    void RamSendClick();
    void sw_saveClick();
    void PresetSaveClick();
    void osdtChange();

  private:
    QWidget* buildDspBox();
    QWidget* buildEepromBox();
    QWidget* buildRamBox();
    QWidget* buildCommandBox();
    QWidget* buildOsdBox();
    void connectHandlers();

    // The value of a field whose text fills it with hexadecimal digits, else
    // -1; a text that is not hexadecimal is refused with a message.
    int accepted(const THexField* field);
    // True when first <= value <= last; otherwise refused with a message.
    bool within(const THexField* field, int value, int first, int last);
    // Register address of the selected row of DspAdr, -1 when none is selected.
    int selectedRegister() const;
    // Ends a running RAM dump or sample reading with a message naming `why`.
    void stop(const QString& why);
    // Remembers `tag` as the frame the dump or sample reading waits for; a
    // frame that was not sent (0) ends it.
    bool sent(std::uint32_t tag);
    // RAM dump.
    void startDump(int address);
    void readRam(int address);
    void ramReply(std::uint8_t first, std::uint8_t second);
    void showDump();
    // Area samples.
    void readSample(int index);
    void sampleReply(std::uint16_t word);
    void stepEepromAddress(int direction);
    void stepEepromData(int direction);
    void stepRegisterData(int direction);

    TTabContext& context_;

    QComboBox* DspAdr_ = nullptr;
    THexField* DspData_ = nullptr;
    THexField* DspRadix_ = nullptr;
    TSpinButton* DspDatSpin_ = nullptr;
    QCheckBox* NoWrite_ = nullptr;
    THexField* eepadr_ = nullptr;
    THexField* Eepdata_ = nullptr;
    TSpinButton* CSpinButton6_ = nullptr;
    TSpinButton* CSpinButton7_ = nullptr;
    QCheckBox* EEP_RAM_ = nullptr;
    THexField* ramAdr_ = nullptr;
    THexField* RamCount_ = nullptr;
    QCheckBox* RamRepeat_ = nullptr;
    QPlainTextEdit* RdAdr_ = nullptr;
    QPlainTextEdit* Memo1_ = nullptr;
    QPushButton* samp_ = nullptr;
    THexField* ramAdrwr_ = nullptr;
    THexField* ram_send_buff_ = nullptr;
    QPushButton* btn_ram_w_ = nullptr;
    QLineEdit* SendBuffer_ = nullptr;
    QPushButton* RamSend_ = nullptr;
    QPushButton* sw_save_ = nullptr;
    QPushButton* PresetSave_ = nullptr;
    THexField* osdt_ = nullptr;

    // Write-echo flags of DspData and Eepdata.
    bool registerEcho_ = false;
    bool eepromEcho_ = false;

    // RAM dump: the bytes collected so far and the address last asked for.
    bool dumping_ = false;
    std::array<std::uint8_t, 256> ram_{};
    int ramCount_ = 0;
    int ramAddress_ = 0;

    // Area samples.
    bool sampling_ = false;
    std::array<std::uint16_t, cam::kAreaSampleCount> samples_{};
    int sampleIndex_ = 0;
    // The tag of the dump's or the sample reading's read in flight: only its
    // answer moves either on.
    std::uint32_t awaited_ = 0;
};
