#include "ui/widgets/named.h"

#include <QCursor>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>
#include <QToolTip>

namespace {
QString valueTip(const QSlider* bar, int value) {
    const QString base = bar->property("baseToolTip").toString();
    const QString shown = QStringLiteral("value: %1").arg(value);
    return base.isEmpty() ? shown : base + QLatin1Char('\n') + shown;
}
} // namespace

void ShowValueTips(QSlider* bar) {
    bar->setProperty("baseToolTip", bar->toolTip());
    bar->setToolTip(valueTip(bar, bar->value()));
    QObject::connect(bar, &QSlider::valueChanged, bar,
                     [bar](int value) { bar->setToolTip(valueTip(bar, value)); });
    QObject::connect(bar, &QSlider::sliderMoved, bar, [bar](int value) {
        QToolTip::showText(QCursor::pos(), valueTip(bar, value), bar);
    });
}

QSlider* NamedBar(QWidget* parent, const char* name, int minimum, int maximum) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(minimum, maximum);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    bar->setPageStep(1);
    ShowValueTips(bar);
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
