#include "comm/port_list.h"
#include "comm/port_map.h"
#include "ui/main/main_window.h"
#include "ui/main/startup.h"

#include <QApplication>

#include <cstdio>

#ifndef CAM38R5_VERSION
#error "CAM38R5_VERSION comes from the project version in CMakeLists.txt"
#endif

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Help, version and the port list are answered without a display.
    const TStartOptions early = ParseStartOptions(arguments);
    if (early.help) {
        std::fputs(UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (early.version) {
        std::printf("cam38r5 %s\n", CAM38R5_VERSION);
        return 0;
    }
    if (early.listPorts) {
        std::fputs(cam::FormatSerialPorts(cam::ListSerialPorts()).c_str(), stdout);
        std::printf("\nPort 1 is %s, port 2 is %s (--port1, --port2, CAM38R5_PORT1, "
                    "CAM38R5_PORT2).\n",
                    cam::PortDevicePath(1).c_str(), cam::PortDevicePath(2).c_str());
        return 0;
    }

    QApplication app(argc, argv);
    // Qt has taken its own options (-platform ...) out of the command line.
    const TStartOptions options = ParseStartOptions(app.arguments().mid(1));
    if (!options.rest.isEmpty()) {
        std::fprintf(stderr, "cam38r5: unknown option %s\nTry 'cam38r5 --help'.\n",
                     options.rest.first().toLocal8Bit().constData());
        return 2;
    }
    auto windows = CreateApplicationWindows(options);
    windows->main->show();
    return app.exec();
}
