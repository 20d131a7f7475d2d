#pragma once
// What a tab makes of a field the technician typed into. A hexadecimal field
// acts when its text fills it; a text with a character that is not a
// hexadecimal digit, or a value outside what the camera takes, is refused
// with a message that names the field and what it takes, and nothing is
// sent. While a reply is being decoded nothing is shown: the value came from
// the camera, and nothing is sent back anyway.

#include <QString>

class ILinkGate;
class QWidget;
class THexField;

// The value of `field` when its text fills it with hexadecimal digits; -1
// (silently) while the text is shorter, -1 and a message when it is not
// hexadecimal. `what` names the field as the technician knows it.
int AcceptedHex(const THexField& field, const QString& what, const ILinkGate& gate,
                QWidget* parent);

// True when first <= value <= last; otherwise a message that names the field
// and its limits, shown as hexadecimal of `digits` digits.
bool WithinLimits(int value, int first, int last, int digits, const QString& what,
                  const ILinkGate& gate, QWidget* parent);

// Shows `text` as a refusal of the technician's input (caption "38R5", OK),
// unless a reply is being decoded.
void RefuseInput(const QString& text, const ILinkGate& gate, QWidget* parent);

// `value` as `digits` upper-case hexadecimal digits (a negative value with
// its sign).
QString HexDigits(int value, int digits);
