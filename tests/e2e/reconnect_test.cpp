// The camera's line goes away under the running window and comes back under
// the same name, as a USB adapter does: the real window and serial port over
// a pseudo-terminal that the simulated camera closes and creates again.

#include "comm/comm.h"
#include "comm/port_map.h"
#include "e2e/sim_process.h"
#include "link/hex.h"
#include "transactions/sequences.h"
#include "ui/common/message.h"
#include "ui/main/main_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <unistd.h>

namespace {

// Pumps events until `done` holds, at most `ms`; returns the time it took or -1.
template <class F> qint64 pumpUntil(F done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (done()) return clock.elapsed();
    }
    return -1;
}

// The command frames the tool sent, as "31 0A 01 ..." (payload bytes 1 to 3).
std::vector<std::string> commandsIn(const std::string& log) {
    std::vector<std::string> commands;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find("PC>CAM 02 ");
        if (at != std::string::npos) commands.push_back(line.substr(at + 10, 8));
    }
    return commands;
}

} // namespace

TEST(Reconnect, TheLoadRunsAgainOnceTheDeviceIsBack) {
    MessageLog::clear();
    char dir[] = "/tmp/cam38r5-reconnect-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ttyCAM";
    auto sim = std::make_unique<SimProcess>(std::vector<std::string>{"--link", link});
    ASSERT_FALSE(sim->Device().empty());
    cam::SetPortDevice(1, link);
    cam::SetPortDevice(2, "/nonexistent/cam38r5-port2");
    TF38R5 window(std::make_unique<cam::TComm>());
    const auto idle = [&window] {
        return window.Link().LinkMode() == cam::TLink::Idle && !window.Link().InFlight() &&
               window.Trans_chk();
    };
    ASSERT_GE(pumpUntil(idle), 0) << sim->Log();
    EXPECT_EQ(window.StatusText(0), "COM1 connected");

    // The device goes away.
    sim.reset();
    const qint64 detected =
        pumpUntil([&window] { return window.Link().LinkMode() == cam::TLink::Lost; });
    ASSERT_GE(detected, 0);
    EXPECT_EQ(window.StatusText(0), "COM1 lost");
    EXPECT_EQ(MessageLog::count(QString::fromStdString("COM1 (" + link + "): the device is gone")),
              1);

    // A tick while it is away fails quietly; then it comes back under the same name.
    QMetaObject::invokeMethod(&window, "SendTimerTimer");
    sim = std::make_unique<SimProcess>(std::vector<std::string>{"--link", link});
    ASSERT_FALSE(sim->Device().empty());
    QElapsedTimer recovery;
    recovery.start();
    QMetaObject::invokeMethod(&window, "SendTimerTimer");
    ASSERT_GE(pumpUntil(idle), 0) << sim->Log();
    std::printf("[ figures  ] loss noticed after %lld ms; reconnected and loaded %lld ms after "
                "the reopening tick\n",
                static_cast<long long>(detected), static_cast<long long>(recovery.elapsed()));
    EXPECT_EQ(window.StatusText(0), "COM1 connected");

    // The new line carried the Easy load once, each step once, and nothing
    // was refused or sent again.
    const std::string log = sim->SettledLog();
    std::vector<std::string> expected;
    const int easy = static_cast<int>(cam::SeqKind::Easy);
    for (unsigned step = 0; step < cam::SequenceLength(easy); ++step) {
        const auto payload = cam::SequenceStep(easy, step);
        expected.push_back("31 " + cam::hex2(payload[1]) + " " + cam::hex2(payload[2]));
    }
    const auto sent = commandsIn(log);
    std::size_t next = 0;
    for (const auto& command : sent)
        if (next < expected.size() && command == expected[next]) ++next;
    EXPECT_EQ(next, expected.size()) << log;
    for (std::size_t i = 0; i < sent.size(); ++i)
        for (std::size_t j = i + 1; j < sent.size(); ++j)
            EXPECT_FALSE(sent[i] == sent[j] && sent[i].rfind("31 ", 0) == 0)
                << "sent twice: " << sent[i] << "\n"
                << log;
    EXPECT_EQ(log.find("PC>CAM 15"), std::string::npos) << "a NAK on the new line\n" << log;
    EXPECT_EQ(log.find("CAM>PC 15"), std::string::npos) << "a NAK on the new line\n" << log;
    sim.reset();
    rmdir(dir);
}
