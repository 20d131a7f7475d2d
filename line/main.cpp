// cam38r5-line: backs up, restores, verifies and clones the EEPROM of
// cameras on many serial ports at once, without a window. Every port has its
// own link; all of them run on this one thread's event loop.

#include "comm/comm.h"
#include "comm/port_list.h"
#include "copy/copy_file_io.h"
#include "line/camera_session.h"
#include "line/line_options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;
int wakePipe[2] = {-1, -1};

extern "C" void onSignal(int) {
    const char byte = 1;
    const auto ignored = ::write(wakePipe[1], &byte, 1);
    (void)ignored;
}

int usageError(const std::string& program, const std::string& why) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.c_str(), why.c_str(),
                 program.c_str());
    return kUsageError;
}

// Reads and checks the copy file of a restore, verify or clone into `plan`;
// nothing is sent to any camera when it fails.
bool readPlanFile(const cam::LineOptions& options, cam::SessionPlan* plan, std::string* why) {
    std::string text;
    QString error;
    const QString path = QString::fromStdString(options.file);
    if (!ReadCopyFile(path, &text, &error)) {
        *why = error.toStdString();
        return false;
    }
    std::string fault;
    const bool single = options.command == cam::LineOptions::Command::Restore && options.single;
    const bool image = options.command != cam::LineOptions::Command::Verify && !single;
    if ((single && !cam::parse_command_records(text, &plan->lines, &fault)) ||
        (image && !cam::read_copy_image(text, &plan->image, &fault)) ||
        !cam::read_copy_words(text, &plan->fileWords, &fault)) {
        *why = options.file + ": " + fault;
        return false;
    }
    plan->fileSize = text.size();
    return true;
}

bool prepareBackupDir(const std::string& dir, std::string* why) {
    if (!QDir().mkpath(QString::fromStdString(dir))) {
        *why = "the backup folder " + dir + " cannot be made";
        return false;
    }
    if (::access(dir.c_str(), W_OK | X_OK) != 0) {
        *why = "the backup folder " + dir + " is not writable";
        return false;
    }
    return true;
}

std::size_t terminalColumns() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col - 1u;
    return 200;
}

} // namespace

int main(int argc, char** argv) {
    const std::string program = "cam38r5-line";
    std::vector<std::string> args(argv + 1, argv + argc);
    cam::LineOptions options;
    std::string error;
    if (!cam::ParseLineOptions(args, &options, &error)) return usageError(program, error);
    using Command = cam::LineOptions::Command;
    switch (options.command) {
    case Command::Help:
        std::fputs(cam::LineUsage(program).c_str(), stdout);
        return 0;
    case Command::Version:
        std::printf("%s %s\n", program.c_str(), CAM38R5_VERSION);
        return 0;
    case Command::ListPorts:
        std::fputs(cam::FormatSerialPorts(cam::ListSerialPorts()).c_str(), stdout);
        return 0;
    default:
        break;
    }

    cam::SessionPlan common;
    common.tickMs = options.tickMs;
    common.keep = options.keep;
    common.file = QString::fromStdString(options.file);
    switch (options.command) {
    case Command::Backup: {
        common.job = cam::SessionPlan::Job::Backup;
        QString why;
        if (!CanWriteCopyFile(common.file, &why))
            return usageError(program, options.file + ": " + why.toStdString());
        break;
    }
    case Command::Restore:
        common.job = cam::SessionPlan::Job::Restore;
        common.single = options.single;
        if (!readPlanFile(options, &common, &error)) return usageError(program, error);
        break;
    case Command::Verify:
        common.job = cam::SessionPlan::Job::Verify;
        if (!readPlanFile(options, &common, &error)) return usageError(program, error);
        break;
    default:
        common.job = cam::SessionPlan::Job::Clone;
        // A golden file that fails the checks is refused before any camera is touched.
        if (!readPlanFile(options, &common, &error))
            return usageError(program, "the golden file is refused: " + error);
        if (!prepareBackupDir(options.backupDir, &error)) return usageError(program, error);
        common.backupDir = QString::fromStdString(options.backupDir);
        break;
    }
    if (options.ports.size() > 255) return usageError(program, "at most 255 ports at once");

    QCoreApplication app(argc, argv);
    const bool live = ::isatty(STDOUT_FILENO) != 0;
    cam::TProgressView view(stdout, live, options.ports.size(), {}, live ? terminalColumns() : 200);

    std::vector<std::unique_ptr<cam::TCameraSession>> sessions;
    std::size_t running = options.ports.size();
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        cam::SessionPlan plan = common;
        plan.port = options.ports[i];
        plan.portNumber = static_cast<std::uint8_t>(i + 1);
        // Many ports on one thread: each frame's rest is waited for by time.
        auto comm = std::make_unique<cam::TComm>();
        comm->SetTimedReceive(true);
        auto session = std::make_unique<cam::TCameraSession>(std::move(plan), std::move(comm));
        session->onProgress = [&view, i](const cam::CameraProgress& p) { view.Update(i, p); };
        session->onEvent = [&view, i](const std::string& text) { view.Event(i, text); };
        session->onEnded = [&running] {
            if (--running == 0) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        };
        sessions.push_back(std::move(session));
    }

    // Ctrl+C (or a TERM) ends every camera's exchange; a second one ends at once.
    bool interrupted = false;
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    QSocketNotifier wake(wakePipe[0], QSocketNotifier::Read);
    QObject::connect(&wake, &QSocketNotifier::activated, [&] {
        char bytes[16];
        while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
        }
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        interrupted = true;
        for (auto& s : sessions)
            s->Interrupt();
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [&view] { view.Flush(); });
    if (live) redraw.start(250);

    for (auto& s : sessions)
        s->Start();
    if (running > 0) app.exec();
    redraw.stop();
    view.Flush();

    std::vector<cam::CameraRow> rows;
    bool allOk = true;
    for (const auto& s : sessions) {
        rows.push_back(s->Row());
        allOk = allOk && s->Row().result == "ok";
    }
    std::fputs(cam::ReportText(rows, cam::ReportFormat::Csv).c_str(), stdout);
    if (!options.report.empty() && !cam::WriteReport(options.report, rows, &error)) {
        std::fprintf(stderr, "%s: the report was not written: %s\n", program.c_str(),
                     error.c_str());
        return 1;
    }
    if (interrupted) std::fprintf(stderr, "%s: interrupted\n", program.c_str());
    return allOk && !interrupted ? 0 : 1;
}
