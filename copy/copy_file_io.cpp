#include "copy/copy_file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString notRegular(const QString& path, mode_t mode) {
    const char* kind = S_ISFIFO(mode)                   ? "a FIFO"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISDIR(mode)                  ? "a folder"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "not a regular file";
    return QStringLiteral("%1 is %2, not a copy file").arg(path, QLatin1String(kind));
}

QString systemError(const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

// Writes `text` over the contents of the existing file `path`; on a failure
// the contents read first are written back.
bool writeInPlace(const QString& path, const std::string& text, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray before = file.readAll();
    const auto size = static_cast<qint64>(text.size());
    const bool written = file.seek(0) && file.write(text.data(), size) == size &&
                         file.resize(size) && file.flush() && ::fsync(file.handle()) == 0;
    if (written) return true;
    *error = file.errorString();
    if (file.seek(0) && file.write(before) == before.size()) file.resize(before.size());
    file.flush();
    return false;
}

} // namespace

bool ReadCopyFile(const QString& path, std::string* text, QString* error) {
    // Looked at before it is opened (opening a serial device would raise its
    // line), then opened without waiting (a FIFO would wait for a writer) and
    // looked at again through the descriptor: what is read is what was checked.
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        *error = systemError(path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = notRegular(path, info.st_mode);
        return false;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = systemError(path);
        return false;
    }
    if (::fstat(fd, &info) != 0) {
        *error = systemError(path);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = notRegular(path, info.st_mode);
        ::close(fd);
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *error = file.errorString();
        ::close(fd);
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

bool CanWriteCopyFile(const QString& path, QString* error) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return true;
    *error = notRegular(path, info.st_mode);
    return false;
}

bool WriteCopyFile(const QString& path, const std::string& text, QString* error) {
    if (!CanWriteCopyFile(path, error)) return false;
    const bool exists = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // The folder takes no temporary file; a copy file that is there and
        // writable is written in place.
        *error = file.errorString();
        return exists && writeInPlace(path, text, error);
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
