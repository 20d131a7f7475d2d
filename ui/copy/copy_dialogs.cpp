#include "ui/copy/copy_dialogs.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

namespace {
bool headless() {
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}
} // namespace

TCopyFileDialog::TCopyFileDialog(const QString& objectName, Kind kind, QObject* parent)
    : QObject(parent), kind_(kind) {
    setObjectName(objectName);
}

bool TCopyFileDialog::HasFileName() const {
    return !FileName.isEmpty() && !FileName.contains(QLatin1Char('*'));
}

TDialogRunner WidgetDialogRunner(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    return [owner](TCopyFileDialog& dialog) {
        if (headless()) return false;
        QFileDialog box(owner, QString(), QString(), TCopyFileDialog::Filter());
        const bool save = dialog.DialogKind() == TCopyFileDialog::Kind::Save;
        box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        box.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The copy asks its own overwrite question.
        box.setOption(QFileDialog::DontConfirmOverwrite, true);
        box.selectFile(dialog.HasFileName() ? dialog.FileName : QStringLiteral("*.dat"));
        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
        dialog.FileName = box.selectedFiles().constFirst();
        return true;
    };
}

TYesNoQuestion WidgetYesNoQuestion(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        if (headless()) return false;
        return QMessageBox::question(owner, QStringLiteral("Confirm"), text,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
}
