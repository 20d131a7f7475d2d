#include "ui/widgets/named.h"

#include <QGroupBox>
#include <QPushButton>
#include <QSlider>

QSlider* NamedBar(QWidget* parent, const char* name, int minimum, int maximum) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(minimum, maximum);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    bar->setPageStep(1);
    return bar;
}

QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QPushButton* FittedButton(QWidget* parent, const char* name, const QString& caption, int padding) {
    auto* button = NamedButton(parent, name, caption);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(caption) + padding);
    return button;
}

QGroupBox* NamedGroup(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}
