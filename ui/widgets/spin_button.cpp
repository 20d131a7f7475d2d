#include "ui/widgets/spin_button.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton* arrowButton(QWidget* parent, const QString& name, Qt::ArrowType arrow) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setFixedSize(16, 11);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

TSpinButton::TSpinButton(const QString& objectName, QWidget* parent)
    : QWidget(parent), up_(arrowButton(this, objectName + QStringLiteral("Up"), Qt::UpArrow)),
      down_(arrowButton(this, objectName + QStringLiteral("Down"), Qt::DownArrow)) {
    setObjectName(objectName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    setFixedSize(16, 22);
    connect(up_, &QToolButton::clicked, this, &TSpinButton::UpClick);
    connect(down_, &QToolButton::clicked, this, &TSpinButton::DownClick);
}
