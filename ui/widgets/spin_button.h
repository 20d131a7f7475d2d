#pragma once
// An up/down arrow pair beside an edit box. It holds no value of its own: a
// click on an arrow only emits UpClick or DownClick, and the owner's handler
// changes the edit box.

#include <QWidget>

class QToolButton;

class TSpinButton : public QWidget {
    Q_OBJECT
  public:
    explicit TSpinButton(const QString& objectName, QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

  signals:
    void UpClick();
    void DownClick();

  private:
    QToolButton* up_;
    QToolButton* down_;
};
