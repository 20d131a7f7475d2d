#include "ui/widgets/level_control.h"

TLevelControl::TLevelControl(QObject* owner, const QString& timerName, int intervalMs, Arm arm,
                             Wait wait, ILinkGate& context, std::function<void()> send,
                             std::function<bool()> mayArm)
    : QObject(owner), timer_(new QTimer(owner)), arm_(arm), wait_(wait), context_(context),
      send_(std::move(send)), mayArm_(std::move(mayArm)) {
    timer_->setObjectName(timerName);
    timer_->setInterval(intervalMs);
    connect(timer_, &QTimer::timeout, this, &TLevelControl::tick);
}

void TLevelControl::change() {
    if (context_.EchoWrite()) return; // the camera reported this value: nothing to send
    if (arm_ == Arm::NoLoad && context_.SequenceRunning()) return;
    if (mayArm_ && !mayArm_()) return;
    if (!timer_->isActive()) timer_->start();
}

void TLevelControl::tick() {
    if (!timer_->isActive()) return; // only an armed timer ticks
    if (wait_ == Wait::TransChk && !context_.Trans_chk()) return;
    timer_->stop();
    const ILinkGate::LevelSend identity(context_, this);
    send_();
}
