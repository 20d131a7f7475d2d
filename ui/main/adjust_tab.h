#pragma once
// The "Adjust" page: CCD drive delays, DC lens offset, chroma and hue, the
// white-balance presets and ATW mode, the shutter / external sync use switches
// and the "Save" of the adjusted values. The widget is the page's panel
// (Panel3); the main window hands it every read reply through DecodeRead.

#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class TSpinButton;
class THexField;
class TLevelControl;
class TRadioGroup;
class TTabContext;

class TAdjustTab : public QWidget {
    Q_OBJECT
  public:
    explicit TAdjustTab(TTabContext& context, QWidget* parent = nullptr);

    // Shows the values of an accepted reply to a read command.
    void DecodeRead();
    // The presets act on the tracking white balance: usable only while ATW is ticked.
    void UpdatePresetButtons();

  public slots:
    void shut_disp_selClick();
    void sync_disp_selClick();
    void pwm_refChange();
    void rg_delayChange();
    void CSpinButton1DownClick();
    void CSpinButton1UpClick();
    void CSpinButton2DownClick();
    void CSpinButton2UpClick();
    void CSpinButton3DownClick();
    void CSpinButton3UpClick();
    void CSpinButton4DownClick();
    void CSpinButton4UpClick();
    void CSpinButton5DownClick();
    void CSpinButton5UpClick();
    void SaveAdjustClick();
    void CanAdjustClick();
    void CromaRYChange();
    void RYPChange();
    void BYPChange();
    void RYNChange();
    void BYNChange();
    void TimercrmTimer();
    void TimerRYPTimer();
    void TimerBYPTimer();
    void TimerRYNTimer();
    void TimerBYNTimer();
    void pre_32Click();
    void pre_56Click();
    void wb_selClick();

  private:
    // One hue register with its bar, its display box and its debounce timer.
    struct Hue {
        QSlider* bar = nullptr;
        QLineEdit* display = nullptr;
        TLevelControl* level = nullptr;
        std::uint8_t address = 0;
    };
    enum HueIndex { kRYP, kBYP, kRYN, kBYN };

    QWidget* buildDelayBox();
    QWidget* buildLensBox();
    QWidget* buildSwitches();
    QWidget* buildPresetBox();
    QWidget* buildChromaBox();
    QWidget* buildHueBox();
    void connectHandlers();

    void stepDelay(int field, int step);
    void stepOffset(int step);
    void sendUseSwitch(std::uint8_t which, const TRadioGroup* group);
    void sendChroma();
    void showChroma();
    void sendHue(const Hue& hue);

    TTabContext& context_;

    TRadioGroup* sync_disp_sel_ = nullptr;
    TRadioGroup* shut_disp_sel_ = nullptr;
    THexField* pwm_ref_ = nullptr;
    TSpinButton* spin5_ = nullptr;
    // rg_delay, rg_width, shp_delay, shd_delay: the fields of CSpinButton1 .. 4.
    std::array<THexField*, 4> delays_{};
    std::array<TSpinButton*, 4> delaySpins_{};
    QPushButton* SaveAdjust_ = nullptr;
    QPushButton* CanAdjust_ = nullptr;
    QSlider* CromaRY_ = nullptr;
    QSlider* CromaBY_ = nullptr;
    QLineEdit* RY_Gain_ = nullptr;
    QLineEdit* BY_Gain_ = nullptr;
    TLevelControl* crm_ = nullptr;
    std::array<Hue, 4> hues_{};
    QPushButton* pre_32_ = nullptr;
    QPushButton* pre_56_ = nullptr;
    QCheckBox* wb_sel_ = nullptr;

    int pwmStep_ = 1; // step of the DC lens offset arrows
};
