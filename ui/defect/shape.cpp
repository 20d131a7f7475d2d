#include "ui/defect/shape.h"

#include <QFrame>
#include <QPainter>

TShape::TShape(const QString& objectName, const QBrush& brush, const QPen& pen, QWidget* parent)
    : QWidget(parent), brush_(brush), pen_(pen) {
    setObjectName(objectName);
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (auto* frame = qobject_cast<QFrame*>(parentWidget())) {
        const QRect inside = frame->contentsRect().translated(-pos());
        painter.setClipRect(inside);
    }
    painter.setPen(pen_);
    painter.setBrush(brush_);
    const int w = pen_.style() == Qt::NoPen ? 0 : 1;
    painter.drawRect(rect().adjusted(0, 0, -w, -w));
}
