#include "ui/widgets/hex_field.h"

#include "link/hex.h"

#include <QValidator>

namespace {
// Whatever the technician types or pastes goes in as upper case, so the
// field's handler sees the text once, as the field shows it. Nothing is
// refused here: the handlers say what is wrong with a text.
class TUpperCase : public QValidator {
  public:
    explicit TUpperCase(THexField* field) : QValidator(field), field_(field) {}
    State validate(QString& input, int&) const override {
        if (field_->Typing()) input = input.toUpper();
        return Acceptable;
    }

  private:
    THexField* field_;
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

void THexField::keyPressEvent(QKeyEvent* event) {
    typed([&] { QLineEdit::keyPressEvent(event); });
}
void THexField::inputMethodEvent(QInputMethodEvent* event) {
    typed([&] { QLineEdit::inputMethodEvent(event); });
}
void THexField::contextMenuEvent(QContextMenuEvent* event) {
    typed([&] { QLineEdit::contextMenuEvent(event); }); // its Paste runs inside
}
void THexField::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection.
    typed([&] { QLineEdit::mouseReleaseEvent(event); });
}
void THexField::dropEvent(QDropEvent* event) {
    typed([&] { QLineEdit::dropEvent(event); });
}
