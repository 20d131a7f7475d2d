// The copies over a real pseudo-terminal: the window and its serial port
// against the simulated camera program, started from a copy file. What
// "Camera->PC" writes is the camera's start image; a batch copy of another
// file, read back the same way, is that file.

#include "comm/comm.h"
#include "comm/port_map.h"
#include "e2e/sim_process.h"
#include "tests/ui/copy_bench.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

using copy_bench::FileOf;
using copy_bench::Pattern;

struct CopySession : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<TF38R5> window;
    TCopyTab* tab = nullptr;
    QString answer;

    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    void SetUp() override {
        MessageLog::clear();
        const QString start = path("start.dat");
        copy_bench::WriteFile(start, FileOf(Pattern(6)));
        sim =
            std::make_unique<SimProcess>(std::vector<std::string>{"--eeprom", start.toStdString()});
        ASSERT_FALSE(sim->Device().empty());
        cam::SetPortDevice(1, sim->Device());
        cam::SetPortDevice(2, "/nonexistent/cam38r5-port2");
        window = std::make_unique<TF38R5>(std::make_unique<cam::TComm>());
        ASSERT_TRUE(waitIdle()) << sim->Log();
        auto* pwl = window->findChild<QLineEdit*>(QStringLiteral("pwl"));
        for (const char* code : {"q", "qz", "qzv", "qzvt"})
            pwl->setText(QLatin1String(code));
        window->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
        ASSERT_TRUE(waitIdle());
        tab = window->findChild<TCopyTab*>(QStringLiteral("Panel7"));
        tab->SetDialogRunner([this](TCopyFileDialog& dialog) {
            dialog.FileName = answer;
            return true;
        });
        tab->SetQuestion([](const QString&) { return true; });
    }
    void TearDown() override {
        window.reset();
        sim.reset();
    }

    // Pumps events until no copy runs and the link is idle (at most 30 s).
    bool waitIdle() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const auto& link = window->Link();
            if ((!tab || !tab->CopyRunning()) && link.LinkMode() == cam::TLink::Idle &&
                !link.InFlight() && window->Trans_chk())
                return true;
        }
        return false;
    }
    void run(const char* button, const QString& file) {
        answer = file;
        window->findChild<QPushButton*>(QLatin1String(button))->click();
        ASSERT_TRUE(waitIdle()) << button;
    }
};

TEST_F(CopySession, CameraToPcAndBatchBackAreExact) {
    const QString first = path("first.dat");
    run("CtopOK2", first);
    EXPECT_EQ(copy_bench::FirstDifference(copy_bench::ReadFile(first), FileOf(Pattern(6))), "");

    const QString other = path("other.dat");
    copy_bench::WriteFile(other, FileOf(Pattern(7)));
    run("ptocOk2", other);
    const QString back = path("back.dat");
    run("CtopOK2", back);
    EXPECT_EQ(copy_bench::FirstDifference(copy_bench::ReadFile(back), FileOf(Pattern(7))), "");
    EXPECT_TRUE(MessageLog::shown().isEmpty()) << MessageLog::shown().front().text.toStdString();
}

} // namespace
