#include "ui/switch/switch_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

TFS38R5::TFS38R5(std::function<void(std::uint8_t)> swPush, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), swPush_(std::move(swPush)),
      push_sw_(new QGroupBox(QStringLiteral("Push SW"), this)) {
    setObjectName(QStringLiteral("FS38R5"));
    setWindowTitle(QStringLiteral("38R5-SW"));
    push_sw_->setObjectName(QStringLiteral("push_sw"));

    // The buttons sit where their names say: a cross of up, left, right, down.
    auto* grid = new QGridLayout(push_sw_);
    auto* up = button(QStringLiteral("push_up"), QStringLiteral("Up"));
    auto* left = button(QStringLiteral("push_left"), QStringLiteral("Enter"));
    auto* right = button(QStringLiteral("push_right"), QStringLiteral("Pre"));
    auto* down = button(QStringLiteral("push_down"), QStringLiteral("Down"));
    grid->addWidget(up, 0, 1);
    grid->addWidget(left, 1, 0);
    grid->addWidget(right, 1, 2);
    grid->addWidget(down, 2, 1);
    connect(up, &QPushButton::clicked, this, &TFS38R5::push_upClick);
    connect(left, &QPushButton::clicked, this, &TFS38R5::push_leftClick);
    connect(right, &QPushButton::clicked, this, &TFS38R5::push_rightClick);
    connect(down, &QPushButton::clicked, this, &TFS38R5::push_downClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(push_sw_);
    setFixedSize(sizeHint());
}

QPushButton* TFS38R5::button(const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, push_sw_);
    b->setObjectName(name);
    b->setFixedWidth(64);
    return b;
}

void TFS38R5::push(std::uint8_t code) {
    if (swPush_) swPush_(code);
}

void TFS38R5::push_rightClick() {
    push(kPre);
}
void TFS38R5::push_leftClick() {
    push(kEnter);
}
void TFS38R5::push_downClick() {
    push(kDown);
}
void TFS38R5::push_upClick() {
    push(kUp);
}
