#pragma once
// Holds back the painting of a window while a short operation runs.
//
// A load disables the six tab panels at once, so that no input reaches them.
// Painting a page of some 170 controls greyed and then normal again costs the
// window's thread about 4 ms each time; the camera's next reply waits for it,
// and a load that ends in a fraction of a second makes the page flash. While
// held, what the controls change is only marked for painting; the window is
// painted as it is then when the hold ends: when the operation ends, when the
// delay runs out (a slow or silent camera then shows its greyed page), or
// when the technician presses a key or a button. The window system's own
// requests (a window uncovered) are painted at once as always.

#include <QObject>
#include <QPointer>
#include <QWidget>

class QTimer;

class TPaintHold : public QObject {
  public:
    // The timer is a child of `window` named `timerName`, so that it can be
    // found and its time-out called by name.
    TPaintHold(QWidget* window, const QString& timerName, int delayMs);
    ~TPaintHold() override;

    // Starts a hold; one running already keeps its delay.
    void Hold();
    // Ends the hold and paints what is waiting.
    void Release();
    bool Holding() const { return holding_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    QTimer* timer_ = nullptr;
    bool holding_ = false;
    bool held_ = false; // a paint request waits
};
