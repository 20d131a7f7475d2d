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

struct TStartOptions {
    bool help = false;      // --help, -h
    bool version = false;   // --version
    bool listPorts = false; // --list-ports
    QString journal;        // --journal FILE
    QStringList toolkit;    // the toolkit's own options (-platform offscreen ...)
    QStringList rest;       // arguments not understood
    QString error;          // the first usage error ("--port1 needs a device"), or empty
};

// The whole command line (without the program name). --port1 / --port2
// DEVICE (also --port1=DEVICE) go into the port map. Needs no application
// object, so that a usage error is reported before any display is opened.
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
