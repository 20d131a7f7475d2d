#pragma once
// Program start: the command line, and the four windows in their order.

#include <QString>
#include <QStringList>

#include <memory>

class TF38R5;
class TFM38R5;
class TFS38R5;
class TKizuInfo;

namespace cam {
class TJournal;
class TTrafficAssembler;
} // namespace cam

// Reads --port1 PATH / --port2 PATH (also --port1=PATH) into the port map.
// Returns the arguments it did not understand.
QStringList ApplyPortOptions(const QStringList& arguments);

struct TStartOptions {
    bool help = false;      // --help, -h
    bool version = false;   // --version
    bool listPorts = false; // --list-ports
    QString journal;        // --journal FILE
    QStringList rest;       // arguments not understood
};

// The whole command line (without the program name); the port options go
// into the port map as ApplyPortOptions does.
TStartOptions ParseStartOptions(const QStringList& arguments);
// What `--help` prints: every option and the environment variables.
QString UsageText();

struct TApplicationWindows {
    // The traffic of the line and its journal outlive the main window, whose
    // port reports to them until it is closed.
    std::unique_ptr<cam::TTrafficAssembler> traffic;
    std::unique_ptr<cam::TJournal> journal;
    std::unique_ptr<TF38R5> main;
    std::unique_ptr<TFM38R5> mask;
    std::unique_ptr<TFS38R5> switches;
    std::unique_ptr<TKizuInfo> parameters;
    ~TApplicationWindows();
};

// Creates the main window (with its serial port `Comm1`, seen by the traffic
// tap, which starts looking for the camera), then the mask, switch and
// parameter windows. With a journal file in `options` the traffic is appended
// to it from the first byte on.
std::unique_ptr<TApplicationWindows> CreateApplicationWindows(const TStartOptions& options = {});
