// The real program against the simulated camera over a pseudo-terminal.

#include "e2e/sim_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

pid_t startTool(const std::string& port1) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(CAM_TOOL_BINARY, CAM_TOOL_BINARY, "--port1", port1.c_str(), "--port2",
              "/nonexistent/cam38r5-port2", static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Waits until `done(log)` holds, at most `seconds`.
template <class F> bool waitForLog(const SimProcess& sim, F done, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done(sim.Log())) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

} // namespace

TEST(Program, ConnectsAndCompletesTheEasyLoad) {
    SimProcess sim({});
    ASSERT_FALSE(sim.Device().empty());
    const pid_t tool = startTool(sim.Device());
    const bool loaded = waitForLog(
        sim,
        [](const std::string& log) {
            const auto lock = log.find("PC>CAM 02 31 0C 01 51");
            return lock != std::string::npos &&
                   log.find("CAM>PC 02 A0 0C 01 51", lock) != std::string::npos &&
                   log.find("PC>CAM 06", log.find("CAM>PC 02 A0 0C 01 51", lock)) !=
                       std::string::npos;
        },
        20);
    kill(tool, SIGTERM);
    int status = 0;
    waitpid(tool, &status, 0);
    const std::string log = sim.Log();
    ASSERT_TRUE(loaded) << log;
    // The opening: ENQ answered by ACK, the tool's EOT, then the status block in order.
    std::size_t at = log.find("PC>CAM 05");
    ASSERT_NE(at, std::string::npos) << log;
    at = log.find("PC>CAM 04", at);
    ASSERT_NE(at, std::string::npos) << log;
    for (int sub = 0; sub <= 9; ++sub) {
        char command[40];
        std::snprintf(command, sizeof command, "PC>CAM 02 31 60 %02X", sub);
        at = log.find(command, at);
        ASSERT_NE(at, std::string::npos) << command << "\n" << log;
        // The reply to this command comes before the tool's next command:
        // the tool never runs ahead of the camera.
        std::snprintf(command, sizeof command, "CAM>PC 02 A0 60 %02X", sub);
        const auto reply = log.find(command, at);
        ASSERT_NE(reply, std::string::npos) << command << "\n" << log;
        EXPECT_LT(reply, log.find("PC>CAM 02", at + 1)) << command << "\n" << log;
    }
}
