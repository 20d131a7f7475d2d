// The clone report: awkward texts survive both formats, and the file is
// written whole or not at all.

#include "line/line_report.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string kAwkward = "a,b \"c\"\nd\r\\é\x01\x1F";
const std::vector<cam::CameraRow> kRows = {
    {"P\r", kAwkward, "write failed: " + kAwkward, -1, "", "s", "e", {1.25, 0, 6.0004, 0, 0}},
    {"B", "/dev/ttyUSB3", "ok", 0, "d/B.dat", "s", "e", {0.1, 2, 3, 4, 5.5}}};

// RFC 4180 records, each a list of fields joined by '|' here.
std::vector<std::string> parseCsv(const std::string& text) {
    std::vector<std::string> records(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"' && quoted && i + 1 < text.size() && text[i + 1] == '"')
            records.back() += text[++i];
        else if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && text[i] == '\n')
            records.emplace_back();
        else
            records.back() += !quoted && text[i] == ',' ? '|' : text[i];
    }
    return records;
}

TEST(LineReport, AwkwardTextsRoundTrip) {
    const std::string csv = cam::ReportText(kRows, cam::ReportFormat::Csv);
    EXPECT_NE(csv.find("\n\"P\r\","), std::string::npos); // a lone CR is quoted too
    EXPECT_EQ(parseCsv(csv),
              (std::vector<std::string>{
                  "port|device|result|differing|backup|start|end|connect_s|backup_s|write_s|"
                  "reset_s|verify_s",
                  "P\r|" + kAwkward + "|write failed: " + kAwkward +
                      "|||s|e|1.250|0.000|6.000|0.000|0.000",
                  "B|/dev/ttyUSB3|ok|0|d/B.dat|s|e|0.100|2.000|3.000|4.000|5.500", ""}));

    const std::string text = cam::ReportText(kRows, cam::ReportFormat::JsonLines);
    const auto newline = text.find('\n');
    EXPECT_EQ(std::count_if(text.begin(), text.end(), [](char c) { return c >= 0 && c < 0x20; }),
              2); // the two line ends only
    cam::CameraRow latin1;
    latin1.port = "\xFC"; // not UTF-8: replaced, so that the line stays valid
    EXPECT_EQ(cam::ReportText({latin1}, cam::ReportFormat::JsonLines).substr(0, 13),
              "{\"port\":\"\uFFFD\"");
    QJsonParseError error;
    const QJsonObject first =
        QJsonDocument::fromJson(QByteArray::fromStdString(text.substr(0, newline)), &error)
            .object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    EXPECT_EQ(first["result"].toString().toStdString(), "write failed: " + kAwkward);
    EXPECT_TRUE(first["differing"].isNull());
    EXPECT_EQ(first["write_s"].toDouble(), 6.0);
    EXPECT_EQ(text.substr(newline + 1),
              "{\"port\":\"B\",\"device\":\"/dev/ttyUSB3\",\"result\":\"ok\",\"differing\":0,"
              "\"backup\":\"d/B.dat\",\"start\":\"s\",\"end\":\"e\",\"connect_s\":0.100,"
              "\"backup_s\":2.000,\"write_s\":3.000,\"reset_s\":4.000,\"verify_s\":5.500}\n");
}

TEST(LineReport, FileFormatAndTime) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("r.JsonL").toStdString();
    std::string error;
    ASSERT_TRUE(cam::WriteReport(path, kRows, &error)) << error;
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), cam::ReportText(kRows, cam::ReportFormat::JsonLines));
    EXPECT_FALSE(cam::IsReportPath("r.json"));

    const std::string missing = dir.filePath("no/r.csv").toStdString();
    EXPECT_FALSE(cam::WriteReport(missing, kRows, &error));
    EXPECT_EQ(error, missing + ": No such file or directory");

    EXPECT_EQ(cam::IsoTime(QDateTime(QDate(2026, 12, 10), QTime(18, 15, 1, 250))),
              "2026-12-10T18:15:01.250");
}

} // namespace
