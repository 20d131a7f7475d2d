#pragma once
// The "Easy" tab (panel Panel4): the camera's everyday functions. Switches
// and mode groups send their command when clicked, level bars and the BLC
// area grid send through debounce timers, and the replies to the Easy load
// sequence and to single reads are shown here. The "Lens Control" group
// drives the zoom lens (easy_lens*.cpp): step targets typed or dragged, speeds,
// auto focus, digital zoom, stored positions, push switch and alarm number.
//
// Handlers are public slots named after their control and event so that the
// main window and the tests can call them by name. The 48 BLC area boxes
// (BLCCheck01 .. BLCCheck48) do the same thing, so they share one handler,
// BLCCheckClick, which every box runs on each change; there are no per-box
// handler names.

#include "transactions/mark.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <initializer_list>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPushButton;
class QSlider;
class TSpinButton;
class TLensAdjustment;
class TLevelControl;
class THexField;
class TRadioGroup;
class TTabContext;

class TEasyTab : public QWidget {
    Q_OBJECT
  public:
    explicit TEasyTab(TTabContext& context, QWidget* parent = nullptr);

    // The Easy share of the common reply decoder; the main window calls it
    // only for accepted replies (byte 1 = 0xA0) to read commands.
    void DecodeRead();
    // Replaces item 1 of AESFixBox with the fixed-shutter text of the TV system.
    void SetFixedShutterText(const QString& text);
    // Before the Easy load: the white-balance controls are usable again until
    // the EEPROM lock word says otherwise.
    void EnableWhiteBalance();

    const cam::MarkPosition& Mark() const { return mark_; }

    // Where the lens values of a reply lie: the lens reply (code 0x45, sub-code
    // in byte 3) or the Easy status block (sub-blocks 6, 7 and 8).
    enum class LensLayout { Reply, Status };
    // The page whose decoder hands a lens reply over; it decides what follows
    // the acknowledgement of a digital-zoom write.
    enum class LensPage { Other, Easy, Line };

    // Shows lens sub-code `sub` of the last reply and sends what follows it
    // (the polls of a followed move, the steps of the lens adjustment).
    void lens_decode(int sub, LensLayout layout, LensPage page = LensPage::Other);
    // The lens group is usable only while Initial is "ON" and Freeze "OFF".
    void lens_panel_enable();
    // The Line tab's adjustments, which some lens replies continue; null for none.
    void SetLensAdjustment(TLensAdjustment* adjustment) { lensAdjustment_ = adjustment; }

  public slots:
    // Acknowledgements and replies while the Easy tab is the active page.
    void Trans_end_easy();

    // Switches, title and mark.
    void MarkClick();
    void Mark_upClick();
    void Mark_downClick();
    void Mark_leftClick();
    void Mark_rightClick();
    void HRevClick();
    void VRevClick();
    void RevSetClick();
    void PosiNegaClick();
    void FreezeClick();
    void SelectClick();
    void InitialClick();
    void PresetClick();
    void PresetSetClick();
    void SyncClick();
    void PhaseLevelChange();
    void wb_selectClick();
    void AWBClick();
    void BLCClick();
    void PEAKClick();
    void ALCClick();
    void AESClick();
    void AESFixBoxChange();
    void CtitleposChange();
    void SetTitleClick();

    // Alarm number and push-switch function (part of the lens group).
    void PushSWClick();
    void AlarmNoChange();
    void AlarmSpinButtonDownClick();
    void AlarmSpinButtonUpClick();

    // Lens control.
    void ZoomStepChange();
    void ZoomSpinButtonDownClick();
    void ZoomSpinButtonUpClick();
    void FocusStepChange();
    void FocusSpinButtonDownClick();
    void FocusSpinButtonUpClick();
    void AutoFocusClick();
    void OnePushAFClick();
    void DigitalZoomClick();
    void GetZoomCurrentClick();
    void PosLoadClick();
    void PosSaveClick();
    void PositionSpinButtonDownClick();
    void PositionSpinButtonUpClick();
    void ZoomSpeedBarChange();
    void ZoomSpeedTimerTimer();
    void FocusSpeedBarChange();
    void FocusSpeedTimerTimer();
    void ZoomStepBarChange();
    void ZoomStepTimerTimer();
    void FocusStepBarChange();
    void FocusStepTimerTimer();

    // Debounced level controls: the change handler arms the timer, the timer
    // handler sends.
    void AGCBarChange();
    void AGCTimerTimer();
    void SENSBarChange();
    void SENSTimerTimer();
    void RgainChange();
    void RTimerTimer();
    void BGainChange();
    void BTimerTimer();
    void ATWBarChange();
    void ATWBarTimerTimer();
    void AWBBarChange();
    void AWBBarTimerTimer();
    void HGainBarChange();
    void HGainTimerTimer();
    void VGainBarChange();
    void VGainTimerTimer();
    void PeakOnBarChange();
    void PeakOnTimerTimer();
    void ALCAutoBarChange();
    void ALCAutoTimerTimer();
    void ALCFixBarChange();
    void ALCFixTimerTimer();
    void AESAutoBarChange();
    void AESAutoTimerTimer();
    void BLCSensBarChange();
    void BLCSensTimerTimer();
    void BLCCheckClick(); // every one of BLCCheck01 .. BLCCheck48
    void BLCAreaTimerTimer();
    void PhaseBarChange();
    void PhaseTimerTimer();

  private:
    // Layout (easy_layout.cpp).
    void buildControls();
    void buildLevelControls();
    void connectHandlers();
    QLayout* buildMarkColumn();
    QLayout* buildExposureColumn();
    QLayout* buildModeColumn();
    QLayout* buildBlcColumn();
    QWidget* buildLensGroup(); // easy_lens_layout.cpp
    // Tab moves through the controls in the order of the panel, not of creation.
    void setFocusOrder();

    // Decoding helpers (easy_decode.cpp).
    void decodeStatus(int sub);
    void titleBlockDecode(unsigned block, const std::uint8_t* codes);
    void blcAreaCode(const std::uint8_t* bytes);
    void blcAreaEnable(bool enabled);
    void markButtonEnable();
    void partnerRule(TRadioGroup* group, TRadioGroup* partner, int value);
    void blcDependents();
    void peakDependents();
    void alcDependents();
    void aesDependents();
    void wbModeReported(int value);
    void freezeDependents(int value);
    void presetDependents(int value);
    void pushSwDependents(int value);
    void markDependents(int value);
    // Whether a finished one-push balance moves AWBBar to the middle.
    enum class AwbLevel { Reset, AsReported };
    void awbCompletion(int state, AwbLevel level);
    void phaseRange(int sync, std::int16_t maximum, std::int16_t minimum);
    void phaseValue(std::int16_t phase);

    // Lens helpers (easy_lens_decode.cpp, easy_lens_handlers.cpp).
    void buildLensLevelControls();
    void connectLensHandlers();
    void lensZoom(std::int16_t target, std::int16_t current, std::int16_t upper,
                  std::int16_t lower);
    void lensFocus(std::int16_t target, std::int16_t current);
    void showFocus(std::int16_t target, std::int16_t current);
    void enableLensChoices();
    void autoFocusReported(int value);
    void digitalZoomAcknowledged(LensPage page);
    void lensRead(std::uint8_t sub);
    void positionRecalled();
    bool pushSwUsable() const;
    void followMove(std::initializer_list<QWidget*> controls);
    void stepTarget(THexField* edit, const QSlider* bar, int delta);

    // Handler helpers (easy_handlers.cpp).
    void coupledClick(TRadioGroup* group, TRadioGroup* partner,
                      std::initializer_list<std::uint8_t> frame);
    void markMove(cam::MarkMove move);
    void sendTitleBlock(unsigned block);
    // Input checks that refuse with a message naming the field: a 16-bit
    // value (signed) outside the range the bar holds once the camera has
    // reported one; a decimal number outside first .. last.
    bool withinBar(int value, const QSlider* bar, const QString& what);
    bool numberWithin(const QLineEdit* edit, int& number, int first, int last, const QString& what);
    static constexpr int kAlarmMax = 64;

    TTabContext& context_;
    cam::MarkPosition mark_;

    // Mark
    TRadioGroup* markGroup_ = nullptr;
    QPushButton* markUp_ = nullptr;
    QPushButton* markDown_ = nullptr;
    QPushButton* markLeft_ = nullptr;
    QPushButton* markRight_ = nullptr;
    // Rev, Posi/Nega, Freeze, Select, Initial, Preset
    QCheckBox* hRev_ = nullptr;
    QCheckBox* vRev_ = nullptr;
    QPushButton* revSet_ = nullptr;
    TRadioGroup* posiNega_ = nullptr;
    TRadioGroup* freeze_ = nullptr;
    TRadioGroup* select_ = nullptr;
    TRadioGroup* initial_ = nullptr;
    TRadioGroup* preset_ = nullptr;
    QPushButton* presetSet_ = nullptr;
    // White balance
    TRadioGroup* wbSelect_ = nullptr;
    QPushButton* awb_ = nullptr;
    QSlider* atwBar_ = nullptr;
    QSlider* awbBar_ = nullptr;
    QGroupBox* wbGroup_ = nullptr; // "Gain"
    QSlider* rGain_ = nullptr;
    QSlider* bGain_ = nullptr;
    // AGC / Sens, APC
    QSlider* agcBar_ = nullptr;
    QSlider* sensBar_ = nullptr;
    QSlider* hGainBar_ = nullptr;
    QSlider* vGainBar_ = nullptr;
    // Exposure pairs
    TRadioGroup* blc_ = nullptr;
    TRadioGroup* peak_ = nullptr;
    TRadioGroup* alc_ = nullptr;
    TRadioGroup* aes_ = nullptr;
    QSlider* peakOnBar_ = nullptr;
    QSlider* alcAutoBar_ = nullptr;
    QSlider* alcFixBar_ = nullptr;
    QSlider* aesAutoBar_ = nullptr;
    QComboBox* aesFixBox_ = nullptr;
    // BLC
    std::array<QCheckBox*, 48> blcChecks_{};
    QSlider* blcSensBar_ = nullptr;
    // Phase
    TRadioGroup* sync_ = nullptr;
    QSlider* phaseBar_ = nullptr;
    THexField* phaseLevel_ = nullptr;
    // Title
    QLineEdit* cName_ = nullptr;
    QComboBox* ctitlepos_ = nullptr;
    QPushButton* setTitle_ = nullptr;
    // Lens group
    QGroupBox* lensGroup_ = nullptr;
    THexField* zoomStep_ = nullptr;
    TSpinButton* zoomSpin_ = nullptr;
    QLineEdit* currentZoom_ = nullptr;
    QSlider* zoomStepBar_ = nullptr;
    QPushButton* getZoomCurrent_ = nullptr;
    THexField* focusStep_ = nullptr;
    TSpinButton* focusSpin_ = nullptr;
    QLineEdit* currentFocus_ = nullptr;
    QLineEdit* focusStepMin_ = nullptr;
    QLineEdit* focusStepMax_ = nullptr;
    QSlider* focusStepBar_ = nullptr;
    QSlider* zoomSpeedBar_ = nullptr;
    QSlider* focusSpeedBar_ = nullptr;
    QCheckBox* autoFocus_ = nullptr;
    QPushButton* onePushAF_ = nullptr;
    QCheckBox* currentCheck_ = nullptr;
    TRadioGroup* digitalZoom_ = nullptr;
    QLineEdit* positionNo_ = nullptr;
    TSpinButton* positionSpin_ = nullptr;
    QPushButton* posLoad_ = nullptr;
    QPushButton* posSave_ = nullptr;
    TRadioGroup* pushSW_ = nullptr;
    QLineEdit* alarmNo_ = nullptr;
    TSpinButton* alarmSpin_ = nullptr;
    TLensAdjustment* lensAdjustment_ = nullptr;

    // Debounced level controls, in the order of the member table.
    TLevelControl* agcLevel_ = nullptr;
    TLevelControl* sensLevel_ = nullptr;
    TLevelControl* rLevel_ = nullptr;
    TLevelControl* bLevel_ = nullptr;
    TLevelControl* atwLevel_ = nullptr;
    TLevelControl* awbLevel_ = nullptr;
    TLevelControl* hGainLevel_ = nullptr;
    TLevelControl* vGainLevel_ = nullptr;
    TLevelControl* peakOnLevel_ = nullptr;
    TLevelControl* alcAutoLevel_ = nullptr;
    TLevelControl* alcFixLevel_ = nullptr;
    TLevelControl* aesAutoLevel_ = nullptr;
    TLevelControl* blcSensLevel_ = nullptr;
    TLevelControl* blcAreaLevel_ = nullptr;
    TLevelControl* phaseLevelTimer_ = nullptr;
    TLevelControl* zoomSpeedLevel_ = nullptr;
    TLevelControl* focusSpeedLevel_ = nullptr;
    TLevelControl* zoomStepLevel_ = nullptr;
    TLevelControl* focusStepLevel_ = nullptr;
};

// The control's own Enabled flag, whatever its parents' state.
bool EnabledFlag(const QWidget* widget);
// The edit's text as a decimal integer; a text that is none is reported the
// way the tool reports every failed number conversion, and gives false.
bool DecimalText(const QLineEdit* edit, int& number);
