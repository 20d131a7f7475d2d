#pragma once
// A group box of radio buttons with an item index (-1: nothing chosen).
// Click() is emitted once per change to an item, whether the user or the
// program chose it; setting the same index again, or clearing the choice
// with an index the group does not have, emits nothing.

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QGridLayout;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    TRadioGroup(const QString& objectName, const QString& caption, const QStringList& items,
                QWidget* parent = nullptr, int columns = 1);

    int ItemIndex() const { return index_; }
    void setItemIndex(int index);
    int count() const;
    QString itemText(int index) const;

  signals:
    void Click();

  private:
    void buttonToggled(int id, bool checked);

    QButtonGroup group_;
    QGridLayout* layout_;
    int index_ = -1;
};
