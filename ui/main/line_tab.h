#pragma once
// The "Line" page (panel Panel5): the two lens adjustments of the production
// line. "Set" starts the iris adjustment, during which the IRIS bias is set
// and "Exit" ends it; "Adjust Go" starts the automatic lens adjustment. Both
// begin with the digital zoom "OFF" and go on, one step per reply of the
// camera, through the Easy tab's lens decoding and Trans_end_line; nothing
// here times out.

#include "ui/main/easy_lens.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class QPushButton;
class TSpinButton;
class TEasyTab;
class THexField;
class TTabContext;

class TLineTab : public QWidget, public TLensAdjustment {
    Q_OBJECT
  public:
    // The Easy tab holds the lens decoding that the adjustments run through.
    TLineTab(TTabContext& context, TEasyTab& easy, QWidget* parent = nullptr);
    ~TLineTab() override;

    // The Line share of the common reply decoder (accepted replies to reads):
    // the IRIS bias.
    void DecodeRead();

    // TLensAdjustment
    void AdjustmentStartAcknowledged() override;
    void LensAdjustmentReported(int state) override;

  public slots:
    // Acknowledgements while the Line tab is the active page.
    void Trans_end_line();

    void IRISAdjustSetClick();
    void IRISAdjustExitClick();
    void AdjustGoClick();
    void BiasNumChange();
    void BiasSpinButtonDownClick();
    void BiasSpinButtonUpClick();

  private:
    void buildControls();
    void stepBias(int delta);

    TTabContext& context_;
    QPointer<TEasyTab> easy_;
    THexField* biasNum_ = nullptr;
    TSpinButton* biasSpin_ = nullptr;
    QPushButton* irisAdjustSet_ = nullptr;
    QPushButton* irisAdjustExit_ = nullptr;
    QPushButton* adjustGo_ = nullptr;
    // Tags of the adjustments' outstanding frames: the digital zoom "OFF",
    // the iris adjustment's entry or exit, the lens adjustment's state query
    // and its progress query.
    std::uint32_t startTag_ = 0;
    std::uint32_t irisTag_ = 0;
    std::uint32_t lensTag_ = 0;
    std::uint32_t pollTag_ = 0;
};
