#pragma once
// The "Adjust Parameter" window: shows the X offset, the Y offset and the peak
// tolerance that the defect position adjustment uses. Display only.

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;

class TKizuInfo : public QWidget {
    Q_OBJECT
  public:
    // `ntscFlag` reports the camera's video system (false until the camera has
    // told it, i.e. PAL).
    explicit TKizuInfo(std::function<bool()> ntscFlag, QWidget* parent = nullptr);

  public slots:
    // Fills the three boxes, "%02d" each.
    void FormCreate();

  protected:
    // The Y offset depends on the camera's video system, which is known only
    // after the camera has answered: refresh whenever the window is shown.
    void showEvent(QShowEvent* event) override;

  private:
    std::function<bool()> ntscFlag_;
    QLineEdit* AdjustX_;
    QLineEdit* AdjustY_;
    QLineEdit* AdjustPk_;
};
