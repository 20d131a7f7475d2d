#pragma once
// The one way the tool shows a message box. It never waits for an answer
// (no nested event loop) and keeps a record of every box for tests.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

enum class TButtons { OkCancel, AbortRetryIgnore, Ok, YesNo };

struct TShownMessage {
    QString text;
    QString caption;
    TButtons buttons;
};

// Shows the box window-modal over `parent` (or the active window) and returns
// at once. In headless runs (no display, or message boxes suppressed by a test)
// the box is only recorded.
// A box with the same text and caption that is still open is not opened a
// second time (it is recorded all the same), so a repeating fault cannot
// flood the screen. `closed`, if given, runs once the technician has closed
// the box, or at once when no box is shown.
void ShowMessage(const QString& text, const QString& caption, TButtons buttons,
                 QWidget* parent = nullptr, std::function<void()> closed = {});

// Closes the open boxes of `caption` whose text begins with `firstLine`: the
// state they tell of has ended (the device they report gone is back).
void CloseMessages(const QString& caption, const QString& firstLine);

namespace MessageLog {
const QList<TShownMessage>& shown();
// Boxes whose text is `text`, or begins with `text` and a line break (the
// line that names the port or file and why).
int count(const QString& text);
// How many boxes CloseMessages was asked to close, open or not.
int closedCount(const QString& caption);
void clear();
// Tests switch real boxes off so that nothing is left open between cases.
void setSuppressed(bool suppressed);
} // namespace MessageLog
