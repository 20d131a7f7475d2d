#pragma once
// Program start: the command line, and the four windows in their order.

#include <QStringList>

#include <memory>

class TF38R5;
class TFM38R5;
class TFS38R5;
class TKizuInfo;

// Reads --port1 PATH / --port2 PATH (also --port1=PATH) into the port map.
// Returns the arguments it did not understand.
QStringList ApplyPortOptions(const QStringList& arguments);

struct TApplicationWindows {
    std::unique_ptr<TF38R5> main;
    std::unique_ptr<TFM38R5> mask;
    std::unique_ptr<TFS38R5> switches;
    std::unique_ptr<TKizuInfo> parameters;
    ~TApplicationWindows();
};

// Creates the main window (with its serial port `Comm1`, which starts looking
// for the camera), then the mask, switch and parameter windows.
std::unique_ptr<TApplicationWindows> CreateApplicationWindows();
