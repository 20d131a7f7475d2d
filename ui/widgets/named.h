#pragma once
// Controls created with their given name, the way every form of the tool
// lays them out.

#include <QString>

class QGroupBox;
class QPushButton;
class QSlider;
class QWidget;

// A horizontal track bar with a tick at every step; it shows its value (see
// ShowValueTips).
QSlider* NamedBar(QWidget* parent, const char* name, int minimum, int maximum);
// The bar's value as its tooltip on hover, and beside the pointer while the
// bar is dragged. A tooltip the bar had keeps its text above the value.
void ShowValueTips(QSlider* bar);
QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption);
// A button exactly as wide as its caption needs plus `padding` pixels.
QPushButton* FittedButton(QWidget* parent, const char* name, const QString& caption,
                          int padding = 24);
QGroupBox* NamedGroup(QWidget* parent, const char* name, const QString& caption);
