#pragma once
// A debounced level control: the control's change handler only arms a
// one-shot timer; the timer's handler sends the value of that moment once the
// link allows. Arming an armed timer does not restart it, so a drag sends at
// most one frame per interval, always with the newest position.

#include "ui/widgets/link_gate.h"

#include <QObject>
#include <QTimer>

#include <functional>

class TLevelControl : public QObject {
    Q_OBJECT
  public:
    enum class Arm { NoLoad, Always };  // when the change handler may arm the timer
    enum class Wait { TransChk, None }; // whether the timer waits for Trans_chk

    // `timerName` becomes the timer's objectName; `send` does the work at the tick.
    // `mayArm`, if given, is an extra condition of the change handler.
    TLevelControl(QObject* owner, const QString& timerName, int intervalMs, Arm arm, Wait wait,
                  ILinkGate& context, std::function<void()> send,
                  std::function<bool()> mayArm = {});

    void change(); // the control's change handler
    void tick();   // the timer's handler
    QTimer* timer() { return timer_; }
    bool armed() const { return timer_->isActive(); }

  private:
    QTimer* timer_; // owned by the tab, so the tab can find it by name
    Arm arm_;
    Wait wait_;
    ILinkGate& context_;
    std::function<void()> send_;
    std::function<bool()> mayArm_;
};
