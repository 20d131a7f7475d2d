#include "ui/widgets/hex_field.h"

#include "link/hex.h"

#include <QValidator>

namespace {
// Whatever the technician types or pastes goes in as upper case, so the
// field's handler sees the text once, as the field shows it. Nothing is
// refused here: the handlers say what is wrong with a text.
class TUpperCase : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};
} // namespace

THexField::THexField(const QString& objectName, int maxLength, QWidget* parent)
    : QLineEdit(parent) {
    setObjectName(objectName);
    setMaxLength(maxLength);
    setValidator(new TUpperCase(this));
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
