#pragma once
// The "38R5-Mask" window: a fixed pad with a cross-hatched olive field that
// the panel clips. It has no handlers.

#include <QWidget>

class QFrame;
class TShape;

class TFM38R5 : public QWidget {
    Q_OBJECT
  public:
    explicit TFM38R5(QWidget* parent = nullptr);

  private:
    QFrame* Panel9_;
    TShape* Shape1_;
};
