#include "ui/widgets/hex_field.h"

#include "link/hex.h"

#include <QKeyEvent>

THexField::THexField(const QString& objectName, int maxLength, QWidget* parent)
    : QLineEdit(parent) {
    setObjectName(objectName);
    setMaxLength(maxLength);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (full()) emit Completed();
    });
}

int THexField::value() const {
    return cam::hex_value(text().toUpper().toStdString());
}

void THexField::setValue(unsigned value) {
    const int digits = maxLength();
    setText(QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).right(digits).toUpper());
}

void THexField::keyPressEvent(QKeyEvent* event) {
    // Typed letters go in as upper case, so the field's handler sees the text
    // once, as the field shows it.
    const QString upper = event->text().toUpper();
    if (upper == event->text()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent typed(event->type(), event->key(), event->modifiers(), upper, event->isAutoRepeat(),
                    static_cast<ushort>(event->count()));
    QLineEdit::keyPressEvent(&typed);
}
