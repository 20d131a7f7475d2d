#include "ui/common/message.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMap>
#include <QMessageBox>
#include <QSet>

namespace {
QList<TShownMessage>& log() {
    static QList<TShownMessage> entries;
    return entries;
}
QSet<QString>& openBoxes() {
    static QSet<QString> keys;
    return keys;
}
QMap<QString, int>& closings() {
    static QMap<QString, int> counts;
    return counts;
}
bool& suppressed() {
    static bool value = false;
    return value;
}

QMessageBox::StandardButtons standardButtons(TButtons buttons) {
    switch (buttons) {
    case TButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case TButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case TButtons::Ok:
        return QMessageBox::Ok;
    case TButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}
} // namespace

void ShowMessage(const QString& text, const QString& caption, TButtons buttons, QWidget* parent,
                 std::function<void()> closed) {
    log().append({text, caption, buttons});
    if (suppressed() || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        if (closed) closed();
        return;
    }
    const QString key = caption + QLatin1Char('\n') + text;
    if (openBoxes().contains(key) && !closed) return;
    if (!parent) parent = QApplication::activeWindow();
    auto* box =
        new QMessageBox(QMessageBox::NoIcon, caption, text, standardButtons(buttons), parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
    openBoxes().insert(key);
    QObject::connect(box, &QMessageBox::finished, box, [key, closed] {
        openBoxes().remove(key);
        if (closed) closed();
    });
    box->open();
}

void CloseMessages(const QString& caption, const QString& firstLine) {
    ++closings()[caption];
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            for (QMessageBox* child : w->findChildren<QMessageBox*>())
                if (child->windowTitle() == caption && child->text().startsWith(firstLine))
                    child->done(QMessageBox::Ok);
            continue;
        }
        if (box->windowTitle() == caption && box->text().startsWith(firstLine))
            box->done(QMessageBox::Ok);
    }
}

namespace MessageLog {
int closedCount(const QString& caption) {
    return closings().value(caption);
}
const QList<TShownMessage>& shown() {
    return log();
}
int count(const QString& text) {
    int n = 0;
    for (const auto& m : log())
        if (m.text == text || m.text.startsWith(text + QLatin1Char('\n'))) ++n;
    return n;
}
void clear() {
    closings().clear();
    log().clear();
}
void setSuppressed(bool value) {
    suppressed() = value;
}
} // namespace MessageLog
