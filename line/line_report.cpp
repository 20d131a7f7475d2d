#include "line/line_report.h"

#include <QSaveFile>
#include <QString>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace cam {

namespace {

const char* const kColumns[] = {"port",     "device",  "result",  "differing",
                                "backup",   "start",   "end",     "connect_s",
                                "backup_s", "write_s", "reset_s", "verify_s"};

bool endsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = text[text.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

// Seconds with three decimals whatever the locale; empty when not a number.
std::string seconds(double value) {
    if (!std::isfinite(value)) return {};
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    return std::string(text, result.ptr);
}

// Invalid UTF-8 (a device name in some other encoding) becomes U+FFFD, so
// that every line stays valid JSON and valid UTF-8 text.
std::string validUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

std::string csvField(const std::string& raw) {
    const std::string text = validUtf8(raw);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string jsonString(const std::string& raw) {
    std::string quoted = "\"";
    for (const char c : validUtf8(raw)) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

std::string jsonNumber(double value) {
    const std::string text = seconds(value);
    return text.empty() ? "null" : text;
}

std::string csvRow(const CameraRow& row) {
    const PhaseTimes& s = row.seconds;
    const std::string fields[] = {
        csvField(row.port),       csvField(row.device),
        csvField(row.result),     row.differing < 0 ? "" : std::to_string(row.differing),
        csvField(row.backupFile), csvField(row.start),
        csvField(row.end),        seconds(s.connect),
        seconds(s.backup),        seconds(s.write),
        seconds(s.reset),         seconds(s.verify)};
    std::string line;
    for (std::size_t i = 0; i < std::size(fields); ++i)
        line += (i ? "," : "") + fields[i];
    return line + '\n';
}

std::string jsonRow(const CameraRow& row) {
    const PhaseTimes& s = row.seconds;
    const std::string values[] = {
        jsonString(row.port),       jsonString(row.device),
        jsonString(row.result),     row.differing < 0 ? "null" : std::to_string(row.differing),
        jsonString(row.backupFile), jsonString(row.start),
        jsonString(row.end),        jsonNumber(s.connect),
        jsonNumber(s.backup),       jsonNumber(s.write),
        jsonNumber(s.reset),        jsonNumber(s.verify)};
    std::string line = "{";
    for (std::size_t i = 0; i < std::size(values); ++i)
        line += (i ? ",\"" : "\"") + std::string(kColumns[i]) + "\":" + values[i];
    return line + "}\n";
}

} // namespace

bool IsReportPath(const std::string& path) {
    return endsWithNoCase(path, ".csv") || endsWithNoCase(path, ".jsonl");
}

ReportFormat ReportFormatFor(const std::string& path) {
    return endsWithNoCase(path, ".jsonl") ? ReportFormat::JsonLines : ReportFormat::Csv;
}

std::string ReportText(const std::vector<CameraRow>& rows, ReportFormat format) {
    std::string text;
    if (format == ReportFormat::Csv) {
        for (const char* column : kColumns)
            text += (text.empty() ? "" : ",") + std::string(column);
        text += '\n';
    }
    for (const CameraRow& row : rows)
        text += format == ReportFormat::Csv ? csvRow(row) : jsonRow(row);
    return text;
}

bool WriteReport(const std::string& path, const std::vector<CameraRow>& rows, std::string* error) {
    const std::string text = ReportText(rows, ReportFormatFor(path));
    QSaveFile file(QString::fromStdString(path));
    const auto size = static_cast<qint64>(text.size());
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(text.data(), size) == size && file.commit();
    if (!written && error) *error = path + ": " + file.errorString().toStdString();
    return written;
}

std::string IsoTime(const QDateTime& when) {
    return when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")).toStdString();
}

} // namespace cam
