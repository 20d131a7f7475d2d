#include "ui/main/startup.h"

#include "comm/comm.h"
#include "comm/port_map.h"
#include "ui/defect/mask_window.h"
#include "ui/defect/parameter_window.h"
#include "ui/main/main_window.h"
#include "ui/switch/switch_window.h"

QStringList ApplyPortOptions(const QStringList& arguments) {
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        bool matched = false;
        for (int n : {1, 2}) {
            const QString option = QStringLiteral("--port%1").arg(n);
            if (a == option && i + 1 < arguments.size()) {
                cam::SetPortDevice(n, arguments[++i].toStdString());
                matched = true;
            } else if (a.startsWith(option + QLatin1Char('='))) {
                cam::SetPortDevice(n, a.mid(option.size() + 1).toStdString());
                matched = true;
            }
        }
        if (!matched) rest << a;
    }
    return rest;
}

TApplicationWindows::~TApplicationWindows() = default;

std::unique_ptr<TApplicationWindows> CreateApplicationWindows() {
    auto comm = std::make_unique<cam::TComm>();
    comm->setObjectName(QStringLiteral("Comm1"));
    comm->SetReceiveNotifySize(7168);
    comm->SetSendNotifySize(8192);
    auto windows = std::make_unique<TApplicationWindows>();
    windows->main = std::make_unique<TF38R5>(std::move(comm));
    TF38R5* main = windows->main.get();
    windows->mask = std::make_unique<TFM38R5>();
    windows->switches =
        std::make_unique<TFS38R5>([main](std::uint8_t code) { main->SW_push(code); });
    windows->parameters = std::make_unique<TKizuInfo>([main] { return main->Ntsc(); });
    main->SetSwitchWindow(windows->switches.get());
    main->SetParameterWindow(windows->parameters.get());
    return windows;
}
