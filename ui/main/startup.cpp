#include "ui/main/startup.h"

#include "comm/comm.h"
#include "comm/port_map.h"
#include "link/journal.h"
#include "link/tap_port.h"
#include "link/traffic.h"
#include "ui/defect/mask_window.h"
#include "ui/defect/parameter_window.h"
#include "ui/main/main_window.h"
#include "ui/switch/switch_window.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

// The toolkit's own options, with one dash or two; the first group takes the
// next argument as its value. The toolkit reads them when it is created.
const char* const kToolkitValueOptions[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowtitle",
    "title",
    "qwindowicon",
    "display",
    "name",
    "session",
    "style",
    "stylesheet",
};
const char* const kToolkitFlags[] = {"reverse", "nograb", "dograb", "widgetcount", "testability"};

// "platform" for "-platform" or "--platform", else empty.
QString toolkitName(const QString& a) {
    if (!a.startsWith(QLatin1Char('-'))) return {};
    return a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
}

} // namespace

TStartOptions ParseStartOptions(const QStringList& arguments) {
    TStartOptions options;
    auto fail = [&options](const QString& message) {
        if (options.error.isEmpty()) options.error = message;
    };
    // `--option VALUE` or `--option=VALUE`; an empty value or a next argument
    // that is itself an option counts as missing.
    auto value = [&](int& i, const QString& option, const char* what, QString* out) {
        const QString& a = arguments[i];
        if (a == option) {
            if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1Char('-'))) {
                *out = arguments[++i];
                return true;
            }
        } else if (a.startsWith(option + QLatin1Char('='))) {
            *out = a.mid(option.size() + 1);
            if (!out->isEmpty()) return true;
        } else {
            return false;
        }
        fail(QStringLiteral("%1 needs %2").arg(option, QLatin1String(what)));
        return true;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString text;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            options.help = true;
        } else if (a == QLatin1String("--version")) {
            options.version = true;
        } else if (a == QLatin1String("--list-ports")) {
            options.listPorts = true;
        } else if (value(i, QStringLiteral("--port1"), "a device", &text)) {
            if (!text.isEmpty()) cam::SetPortDevice(1, text.toStdString());
        } else if (value(i, QStringLiteral("--port2"), "a device", &text)) {
            if (!text.isEmpty()) cam::SetPortDevice(2, text.toStdString());
        } else if (value(i, QStringLiteral("--journal"), "a file", &text)) {
            options.journal = text;
        } else if (const QString name = toolkitName(a);
                   std::any_of(std::begin(kToolkitValueOptions), std::end(kToolkitValueOptions),
                               [&name](const char* o) { return name == QLatin1String(o); })) {
            if (i + 1 < arguments.size())
                options.toolkit << a << arguments[++i];
            else
                fail(QStringLiteral("%1 needs a value").arg(a));
        } else if (std::any_of(std::begin(kToolkitFlags), std::end(kToolkitFlags),
                               [&name](const char* o) { return name == QLatin1String(o); }) ||
                   name.startsWith(QLatin1String("qmljsdebugger="))) {
            options.toolkit << a;
        } else {
            options.rest << a;
            fail(QStringLiteral("unknown option %1").arg(a));
        }
    }
    return options;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: cam38r5 [OPTION]...\n"
        "Adjusts the 38R5 colour CCD camera over an RS-232 line (9600 bit/s). The tool\n"
        "looks for the camera on port 1, then on port 2, for about 24 seconds.\n"
        "\n"
        "Options:\n"
        "  --port1 DEVICE   serial device of port 1 (default /dev/ttyS0); a stable name\n"
        "                   such as /dev/serial/by-id/usb-... (see --list-ports) keeps\n"
        "                   naming the same adapter whichever socket it is plugged into\n"
        "  --port2 DEVICE   serial device of port 2 (default /dev/ttyS1)\n"
        "  --journal FILE   append every frame, control byte and line event to FILE,\n"
        "                   one line each, written out at once\n"
        "  --list-ports     print the serial devices of this machine and exit\n"
        "  --help, -h       print this help and exit\n"
        "  --version        print the version and exit\n"
        "Options that take a value also accept the form --option=VALUE. Qt's own\n"
        "options (for example -platform offscreen) are accepted as well.\n"
        "\n"
        "Environment:\n"
        "  CAM38R5_PORT1    serial device of port 1 when --port1 is not given\n"
        "  CAM38R5_PORT2    serial device of port 2 when --port2 is not given\n"
        "  QT_QPA_PLATFORM  Qt's display platform; \"offscreen\" runs without a display\n"
        "\n"
        "Exit status: 0 when the program ends normally, 2 for an option it does not\n"
        "know or one without its value. Help, version and the port list need no\n"
        "display.\n");
}

TApplicationWindows::~TApplicationWindows() = default;

std::unique_ptr<TApplicationWindows> CreateApplicationWindows(const TStartOptions& options) {
    auto windows = std::make_unique<TApplicationWindows>();
    windows->traffic = std::make_unique<cam::TTrafficAssembler>();
    windows->journal = std::make_unique<cam::TJournal>();
    cam::TJournal* journal = windows->journal.get();
    // Until the main window takes the report over (it shows a failure of
    // --journal at the start too).
    journal->SetFailureHandler([](const std::string& message) {
        std::fprintf(stderr, "cam38r5: journal: %s\n", message.c_str());
    });
    windows->traffic->AddSink([journal](const cam::TTrafficRecord& r) { journal->Write(r); });
    // Opened before the port, so that the journal has the first opening too.
    if (!options.journal.isEmpty()) journal->Open(QFile::encodeName(options.journal).toStdString());

    auto comm = std::make_unique<cam::TComm>();
    comm->setObjectName(QStringLiteral("Comm1"));
    comm->SetReceiveNotifySize(7168);
    comm->SetSendNotifySize(8192);
    auto tap = std::make_unique<cam::TTapPort>(std::move(comm), *windows->traffic);
    windows->main =
        std::make_unique<TF38R5>(std::move(tap), nullptr, TF38R5::TGreet::AfterFirstPaint);
    TF38R5* main = windows->main.get();
    windows->mask = std::make_unique<TFM38R5>();
    windows->switches =
        std::make_unique<TFS38R5>([main](std::uint8_t code) { main->SW_push(code); });
    windows->parameters = std::make_unique<TKizuInfo>([main] { return main->Ntsc(); });
    main->SetSwitchWindow(windows->switches.get());
    main->SetParameterWindow(windows->parameters.get());
    main->SetTraffic(windows->traffic.get(), windows->journal.get());
    return windows;
}
