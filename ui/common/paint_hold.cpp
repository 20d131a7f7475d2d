#include "ui/common/paint_hold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

TPaintHold::TPaintHold(QWidget* window, const QString& timerName, int delayMs)
    : QObject(window), window_(window) {
    timer_ = new QTimer(window);
    timer_->setObjectName(timerName);
    timer_->setSingleShot(true);
    timer_->setInterval(delayMs);
    connect(timer_, &QTimer::timeout, this, &TPaintHold::Release);
}

TPaintHold::~TPaintHold() {
    if (holding_) QCoreApplication::instance()->removeEventFilter(this);
}

void TPaintHold::Hold() {
    if (holding_ || !window_) return;
    holding_ = true;
    // The application's filter sees the paint requests that the window's
    // controls send it, and the technician's input to any of them.
    QCoreApplication::instance()->installEventFilter(this);
    timer_->start();
}

void TPaintHold::Release() {
    timer_->stop();
    if (!holding_) return;
    holding_ = false;
    QCoreApplication::instance()->removeEventFilter(this);
    if (held_ && window_)
        QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest),
                                    Qt::LowEventPriority);
    held_ = false;
}

bool TPaintHold::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::UpdateRequest:
        if (watched != window_) return false;
        held_ = true;
        return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        Release();
        return false;
    default:
        return false;
    }
}
