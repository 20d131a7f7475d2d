#include "ui/main/main_window.h"
#include "ui/main/startup.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList rest = ApplyPortOptions(app.arguments().mid(1));
    if (!rest.isEmpty()) {
        std::fprintf(stderr, "usage: cam38r5 [--port1 DEVICE] [--port2 DEVICE]\n");
        return 2;
    }
    auto windows = CreateApplicationWindows();
    windows->main->show();
    return app.exec();
}
