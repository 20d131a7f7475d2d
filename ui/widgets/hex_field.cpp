#include "ui/widgets/hex_field.h"

#include "link/hex.h"

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
