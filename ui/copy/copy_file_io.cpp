#include "ui/copy/copy_file_io.h"

#include <QFile>
#include <QSaveFile>

bool ReadCopyFile(const QString& path, std::string* text, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.size() > kCopyFileMaxSize) {
        *error = QStringLiteral("%1 bytes: too large for a copy file").arg(file.size());
        return false;
    }
    const QByteArray bytes = file.read(kCopyFileMaxSize + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    if (bytes.size() > kCopyFileMaxSize) {
        *error = QStringLiteral("too large for a copy file");
        return false;
    }
    text->assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

bool WriteCopyFile(const QString& path, const std::string& text, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
