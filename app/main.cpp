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
    // The whole command line is read before the toolkit is created: a usage
    // error, help, the version and the port list need no display.
    const TStartOptions options = ParseStartOptions(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "cam38r5: %s\nTry 'cam38r5 --help'.\n",
                     options.error.toLocal8Bit().constData());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("cam38r5 %s\n", CAM38R5_VERSION);
        return 0;
    }
    if (options.listPorts) {
        std::fputs(cam::FormatSerialPorts(cam::ListSerialPorts()).c_str(), stdout);
        std::printf("\nPort 1 is %s, port 2 is %s (--port1, --port2, CAM38R5_PORT1, "
                    "CAM38R5_PORT2).\n",
                    cam::PortDevicePath(1).c_str(), cam::PortDevicePath(2).c_str());
        return 0;
    }

    QApplication app(argc, argv); // takes the toolkit's options (-platform ...)
    auto windows = CreateApplicationWindows(options);
    windows->main->show();
    return app.exec();
}
