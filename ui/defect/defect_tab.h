#pragma once
// The "CCD Defect" tab (panel Panel6): the camera's correction of up to three
// defective CCD pixels, A, B and C. The technician sets their positions (typed,
// moved with the arrows or clicked on the position pad), switches the
// correction and the cursor display, measures the defect seen in the even and
// the odd field, lets the camera search the positions itself, and saves or
// drops the values. Every command uses code 0x36 (the "VRev" box uses the
// picture reversal 0x1D).
//
// Buttons that start an exchange whose outcome the camera decides stay
// disabled until the replies belonging to it have come: the reply decoding
// (DecodeRead for reads, Trans_end_kizu for writes) enables them again.

#include <QWidget>

#include <array>
#include <cstdint>
#include <initializer_list>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTimer;
class TDefectHost;
class THexField;
class TLevelControl;
class TRadioGroup;
class TShape;
class TTabContext;

class TDefectTab : public QWidget {
    Q_OBJECT
  public:
    TDefectTab(TTabContext& context, TDefectHost& host, QWidget* parent = nullptr);

    // The tab's share of the common reply decoder: answers to reads of code
    // 0x36. The main window calls it for every accepted reply to a read.
    void DecodeRead();

    // A control's own Enabled flag, whatever its parents' state (the window
    // disables the whole panel while a load runs).
    static bool OwnEnabled(const QWidget* widget);

  public slots:
    // Acknowledgements of this tab's writes while it is the active page.
    void Trans_end_kizu();

    // Position of the selected point.
    void KizuClick();
    void kizu_axChange(); // either position field
    void kizu_upClick();
    void kizu_downClick();
    void kizu_leftClick();
    void kizu_rightClick();
    void Shape1MouseUp(int x, int y); // pad coordinates
    void TimerkizuTimer();

    // Switches of the selected point and of the correction.
    void DefectClick();
    void kizu_selClick();
    void KFFXClick();
    void KFRVClick();
    void VRevKFChangeClick();
    void VRevKFClick();
    void SensUpKFOFFClick();
    void AdjustSetClick();
    void SensKFBarChange();
    void SensKFTimerTimer();

    // Measurement, automatic search, save and cancel.
    void KizuReadClick();
    void Kizu_AdjustClick();
    void kizu_autoClick();
    void Kizu_SaveClick();
    void Kizu_CancelClick();
    void AdjustInfoClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Layout (defect_layout.cpp).
    void buildControls();
    QWidget* buildManual();
    QWidget* buildPad();
    QWidget* buildPoints();
    QWidget* buildMeasurement();
    QWidget* buildModes();
    QWidget* buildActions();
    void connectHandlers();

    // Helpers shared by the handlers and the decoders.
    // The next read of a chain (31 36 sub); the chain goes on at its answer.
    void followUpRead(std::uint8_t sub);
    // 21 36 and `params`; returns the frame's tag (0 when nothing was sent).
    std::uint32_t sendWrite(std::initializer_list<std::uint8_t> params);
    // True when the reply being decoded answers the chain's last frame.
    bool chainAnswered() const;
    // The frame a chain (read-back, point selection, save, cancel, Adjust
    // Set) waits for, and the automatic search's: only its answer moves the
    // chain on. A point chosen during a search keeps the search going.
    std::uint32_t chainTag_ = 0;
    std::uint32_t searchTag_ = 0;
    // The automatic search (0x09 for A, 0x0A for B and C) with its parameters.
    std::uint32_t sendSearch(std::uint8_t sub);
    void placeCursor();
    // Writes a position into the fields with both disabled, so nothing is sent.
    void showPosition(int x, int y);
    void setPointDisplay(int point, int x, int y);
    // One arrow: the field's value moved by `delta`, kept within 0 .. max.
    void stepPosition(THexField* field, int delta, int max);
    void setOwnEnabled(std::initializer_list<QWidget*> widgets, bool enabled);
    void searchDoneA();
    void searchDoneBC();

    TTabContext& context_;
    TDefectHost& host_;

    TRadioGroup* VRevKFChange_ = nullptr;
    QCheckBox* VRevKF_ = nullptr;
    TRadioGroup* SensUpKFOFF_ = nullptr;
    QSlider* SensKFBar_ = nullptr;
    TLevelControl* sensLevel_ = nullptr;

    TRadioGroup* Kizu_ = nullptr;
    QPushButton* kizu_up_ = nullptr;
    QPushButton* kizu_left_ = nullptr;
    QPushButton* kizu_right_ = nullptr;
    QPushButton* kizu_down_ = nullptr;
    THexField* kizu_ax_ = nullptr;
    THexField* kizu_ay_ = nullptr;
    QSpinBox* SpinEdit1_ = nullptr;
    TRadioGroup* Defect_ = nullptr;
    TShape* Shape1_ = nullptr;
    QWidget* Shape2_ = nullptr;
    QCheckBox* KFFX_ = nullptr;
    QCheckBox* KFRV_ = nullptr;
    TRadioGroup* kizu_sel_ = nullptr;
    // KizuAX, KizuAY, KizuBX, KizuBY, KizuCX, KizuCY
    std::array<QLineEdit*, 6> points_{};
    TRadioGroup* AdjustSet_ = nullptr;

    QPushButton* KizuRead_ = nullptr;
    // kin_x1, kin_y1, kin_p1 (even field), kin_x2, kin_y2, kin_p2 (odd field)
    std::array<QLineEdit*, 6> kin_{};
    QPushButton* Kizu_Adjust_ = nullptr;
    QPushButton* Kizu_Cancel_ = nullptr;
    QPushButton* Kizu_Save_ = nullptr;
    QPushButton* kizu_auto_ = nullptr;
    QCheckBox* Auto3Point_ = nullptr;
    QPushButton* AdjustInfo_ = nullptr;
    QTimer* Timerkizu_ = nullptr;
};
