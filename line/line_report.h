#pragma once
// The clone report: one row per camera, written as CSV or as JSON Lines
// (chosen by the file's extension) once every camera is done.

#include <QDateTime>

#include <string>
#include <vector>

namespace cam {

struct PhaseTimes { // seconds
    double connect = 0, backup = 0, write = 0, reset = 0, verify = 0;
};

struct CameraRow {
    std::string port;       // as given on the command line
    std::string device;     // the device it resolves to (e.g. /dev/ttyUSB3), may be empty
    std::string result;     // "ok", or "<phase> failed: <why>" / "interrupted during <phase>"
    int differing = -1;     // words that differ after the write, -1 when not verified
    std::string backupFile; // empty when none was written
    std::string start, end; // IsoTime
    PhaseTimes seconds;
};

enum class ReportFormat { Csv, JsonLines };

// True when `path` ends in .csv or .jsonl (in any case).
bool IsReportPath(const std::string& path);
// JsonLines for .jsonl, otherwise Csv.
ReportFormat ReportFormatFor(const std::string& path);

// CSV: a header line, then RFC 4180 rows, each ending in LF. JSON Lines: one
// object per row with the same keys in the same order.
std::string ReportText(const std::vector<CameraRow>& rows, ReportFormat format);

// Writes the report for the extension of `path` through a temporary file that
// replaces `path` only when complete. False with "<path>: <reason>".
bool WriteReport(const std::string& path, const std::vector<CameraRow>& rows, std::string* error);

// Local time to the millisecond: 2026-12-10T18:15:01.250.
std::string IsoTime(const QDateTime& when);

} // namespace cam
