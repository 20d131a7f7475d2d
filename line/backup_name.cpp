#include "line/backup_name.h"

#include <QFileInfo>
#include <QString>

namespace cam {

namespace {

// The last component of a path, its characters made safe for a file name;
// a character of several UTF-8 bytes becomes one '_'.
std::string safeLastComponent(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) path.erase(0, slash + 1);
    std::string safe;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80) continue; // UTF-8 continuation byte
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        safe += plain ? c : '_';
    }
    return safe;
}

bool taken(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    return info.exists() || info.isSymLink(); // a dangling link is taken too
}

} // namespace

std::string BackupFileName(const std::string& port, const std::string& device,
                           const QDateTime& when) {
    const std::string portPart = safeLastComponent(port);
    const std::string devicePart = safeLastComponent(device);
    std::string name = portPart.empty() ? "camera" : portPart;
    if (!devicePart.empty() && devicePart != portPart) name += '_' + devicePart;
    if (name[0] == '.') name[0] = '_';
    const QString stamp = when.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return name + '_' + stamp.toStdString() + ".dat";
}

std::string UniquePath(const std::string& dir, const std::string& name) {
    const std::string base = dir.empty() || dir.back() == '/' ? dir : dir + '/';
    if (!taken(base + name)) return base + name;
    const auto dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : "";
    for (int n = 2;; ++n) {
        const std::string path = base + stem + '-' + std::to_string(n) + extension;
        if (!taken(path)) return path;
    }
}

} // namespace cam
