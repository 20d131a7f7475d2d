#include "ui/common/field_check.h"

#include "ui/common/message.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/link_gate.h"

void RefuseInput(const QString& text, const ILinkGate& gate, QWidget* parent) {
    if (gate.EchoWrite()) return; // the camera reported it: nothing was typed
    ShowMessage(text, QStringLiteral("38R5"), TButtons::Ok, parent);
}

QString HexDigits(int value, int digits) {
    const QString magnitude = QStringLiteral("%1")
                                  .arg(value < 0 ? -value : value, digits, 16, QLatin1Char('0'))
                                  .toUpper();
    return value < 0 ? QLatin1Char('-') + magnitude : magnitude;
}

int AcceptedHex(const THexField& field, const QString& what, const ILinkGate& gate,
                QWidget* parent) {
    if (!field.full()) return -1;
    const int value = field.value();
    if (value >= 0) return value;
    const int digits = field.maxLength();
    RefuseInput(QStringLiteral("%1: \"%2\" is not hexadecimal. Type %3 %4 0-9 or A-F.")
                    .arg(what, field.text())
                    .arg(digits)
                    .arg(digits == 1 ? QStringLiteral("digit") : QStringLiteral("digits")),
                gate, parent);
    return -1;
}

bool WithinLimits(int value, int first, int last, int digits, const QString& what,
                  const ILinkGate& gate, QWidget* parent) {
    if (value >= first && value <= last) return true;
    RefuseInput(
        QStringLiteral("%1: %2 is outside %3 to %4.")
            .arg(what, HexDigits(value, digits), HexDigits(first, digits), HexDigits(last, digits)),
        gate, parent);
    return false;
}
