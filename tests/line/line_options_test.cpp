// The command line of cam38r5-line: what each accepted line sets, and the
// reason given for each wrong one.

#include "line/line_options.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string parse(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> args;
    for (std::string word; in >> word;)
        args.push_back(word);
    cam::LineOptions o;
    std::string error;
    if (!cam::ParseLineOptions(args, &o, &error)) return "error: " + error;
    std::string text = std::to_string(static_cast<int>(o.command)) + " [" + o.file + "]";
    for (const std::string& port : o.ports)
        text += " " + port;
    if (o.single) text += " single";
    if (!o.keep.empty()) text += " keep " + cam::FormatKeptRanges(o.keep);
    if (!o.backupDir.empty()) text += " dir " + o.backupDir;
    if (!o.report.empty()) text += " report " + o.report;
    return text + " " + std::to_string(o.tickMs);
}

TEST(LineOptions, CommandLines) {
    QTemporaryDir dir;
    const std::string ports = dir.filePath("ports").toStdString();
    QFile file(QString::fromStdString(ports));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# station 2\n\n\t /dev/ttyUSB4 \t\r\n/dev/ttyUSB5 # spare\n   # off\n");
    file.close();
    const std::pair<std::string, std::string> cases[] = {
        // Command: 0 backup, 1 restore, 2 verify, 3 clone, 4 list-ports, 5 help, 6 version.
        {"backup --port /dev/ttyS0 a.dat", "0 [a.dat] /dev/ttyS0 1500"},
        {"--tick-ms=20 restore a.dat --single --port=A", "1 [a.dat] A single 20"},
        {"verify --port A -- --odd.dat", "2 [--odd.dat] A 1500"},
        {"clone g --port A --ports-from " + ports +
             " --port B --keep 0x100-0x13F --keep=1023 --backup-dir d --report r.JSONL",
         "3 [g] A /dev/ttyUSB4 /dev/ttyUSB5 B keep 0x100-0x13F,0x3FF dir d report r.JSONL 1500"},
        {"list-ports", "4 [] 1500"},
        {"clone --help", "5 [] 1500"},
        {"--version", "6 [] 1500"},
        {"", "error: no command given"},
        {"copy --port A f", "error: unknown command copy"},
        {"backup --port A f --fast", "error: unknown option --fast"},
        {"backup f --port", "error: --port needs a value"},
        {"backup f --port --single", "error: --port needs a value"},
        {"backup --port A", "error: backup needs a FILE"},
        {"clone --port A --backup-dir d", "error: clone needs the golden file"},
        {"verify --port A f g", "error: unexpected argument g"},
        {"list-ports --port A", "error: list-ports takes no port"},
        {"backup --port A --port B f", "error: backup takes exactly one --port"},
        {"clone g --backup-dir d", "error: clone needs at least one --port"},
        {"clone g --port A", "error: clone needs --backup-dir"},
        {"clone g --port /dev/ttyUSB5 --backup-dir d --ports-from " + ports,
         "error: port /dev/ttyUSB5 is given twice"},
        {"verify --single --port A f", "error: --single goes with restore only"},
        {"restore --port A f --keep 1", "error: --keep goes with clone only"},
        {"verify --port A f --report r.csv", "error: --report goes with clone only"},
        {"clone g --port A --backup-dir d --keep 0x400",
         "error: --keep \"0x400\": past the last word 0x3FF"},
        {"clone g --port A --backup-dir d --backup-dir e", "error: --backup-dir is given twice"},
        {"clone g --port A --backup-dir d --report r.txt",
         "error: --report r.txt: the report is a .csv or .jsonl file"},
        {"clone g --port A --backup-dir d --ports-from /none",
         "error: --ports-from /none: No such file or directory"},
        {"backup --port A f --tick-ms 0", "error: --tick-ms takes milliseconds from 1 to 600000"},
        {"backup --port A f --tick-ms 10x", "error: --tick-ms takes milliseconds from 1 to 600000"},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(parse(line), expected) << line;
}

} // namespace
