#include "ui/widgets/radio_group.h"

#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& objectName, const QString& caption,
                         const QStringList& items, QWidget* parent, int columns)
    : QGroupBox(caption, parent), layout_(new QGridLayout(this)) {
    setObjectName(objectName);
    layout_->setContentsMargins(4, 2, 4, 2);
    layout_->setSpacing(1);
    group_.setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(objectName + QString::number(i));
        group_.addButton(button, i);
        layout_->addWidget(button, i / columns, i % columns);
    }
    connect(&group_, &QButtonGroup::idToggled, this, &TRadioGroup::buttonToggled);
}

int TRadioGroup::count() const {
    return static_cast<int>(group_.buttons().size());
}

QString TRadioGroup::itemText(int index) const {
    auto* button = group_.button(index);
    return button ? button->text() : QString();
}

void TRadioGroup::setItemIndex(int index) {
    if (index == index_) return;
    if (index < 0 || index >= count()) {
        // No item of that number (a reply out of range): clear the choice, as
        // a radio group does, but announce nothing, so no handler ever sends
        // an index of -1.
        if (auto* checked = group_.checkedButton()) {
            group_.setExclusive(false);
            checked->setChecked(false);
            group_.setExclusive(true);
        }
        index_ = -1;
        return;
    }
    group_.button(index)->setChecked(true); // buttonToggled updates index_ and emits
}

void TRadioGroup::buttonToggled(int id, bool checked) {
    if (!checked || id == index_) return;
    index_ = id;
    emit Click();
}
