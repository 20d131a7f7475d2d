// The simulated camera at the line rate both ways, and its log to the
// microsecond: what the benchmark's figures rest on.

#include "sim_test_util.h"

#include "sim/pty_server.h"
#include "sim/sim_options.h"
#include "sim/traffic_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <regex>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using simtest::Bytes;
using Clock = std::chrono::steady_clock;
constexpr double kByteMs = 10000.0 / 9600.0;

TEST(SimOptions, LineRateAndLogFlags) {
    struct Case {
        std::vector<std::string> args;
        bool ok, pace, paceInput, microseconds;
    };
    const Case cases[] = {
        {{}, true, false, false, false},
        {{"--pace-in"}, true, false, true, false},
        {{"--log-us", "--pace", "--pace-in"}, true, true, true, true},
        {{"--pace-in=1"}, false, false, false, false},
        {{"--log-us=yes"}, false, false, false, false},
    };
    for (const auto& c : cases) {
        camsim::SimOptions options;
        std::string error;
        const std::string line = c.args.empty() ? "(none)" : c.args[0];
        ASSERT_EQ(camsim::ParseSimOptions(c.args, &options, &error), c.ok) << line;
        if (!c.ok) continue;
        EXPECT_EQ(options.pace, c.pace) << line;
        EXPECT_EQ(options.paceInput, c.paceInput) << line;
        EXPECT_EQ(options.logMicroseconds, c.microseconds) << line;
    }
}

int OpenRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

std::size_t ReadCount(int fd, std::size_t count) {
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    std::size_t got = 0;
    while (got < count && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        std::uint8_t buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    return got;
}

double SecondsOfDay(std::chrono::system_clock::time_point t) {
    const std::time_t s = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    localtime_r(&s, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           std::chrono::duration<double>(t - std::chrono::system_clock::from_time_t(s)).count();
}

// One command exchange against a server paced as asked: the time from the
// command written to the whole answer (ACK and reply) read, and the log.
struct Answer {
    double answerMs = 0;
    double writtenAt = 0; // seconds of the day
    std::string log;
};

Answer Exchange(bool paceOut, bool paceIn, bool microseconds) {
    const std::string path = testing::TempDir() + "cam38r5_pacing_" + std::to_string(::getpid()) +
                             (paceOut ? "o" : "") + (paceIn ? "i" : "") + ".log";
    camsim::TrafficLog log;
    std::string error;
    EXPECT_TRUE(log.Open(path, &error)) << error;
    log.SetMicroseconds(microseconds);
    camsim::CameraModel model;
    camsim::PtyServer server(model, paceOut);
    server.SetInputPace(paceIn);
    server.SetLog(&log);
    EXPECT_TRUE(server.Open(&error)) << error;
    std::thread serving([&] { server.Serve(&error); });

    Answer run;
    const int fd = OpenRaw(server.DevicePath());
    EXPECT_EQ(ReadCount(fd, 1), 1u); // the greeting
    const Bytes command = simtest::CommandFrame({0x31, 0x0A, 0x01});
    run.writtenAt = SecondsOfDay(std::chrono::system_clock::now());
    const auto start = Clock::now();
    EXPECT_EQ(::write(fd, command.data(), command.size()), static_cast<ssize_t>(command.size()));
    EXPECT_EQ(ReadCount(fd, 1 + cam::kFrameSize), 1 + cam::kFrameSize);
    run.answerMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ::close(fd);

    const char stop = 1;
    EXPECT_EQ(::write(server.StopDescriptor(), &stop, 1), 1);
    serving.join();
    std::ifstream in(path);
    run.log.assign(std::istreambuf_iterator<char>(in), {});
    std::remove(path.c_str());
    return run;
}

TEST(PtyServer, PacesEachWayAtTheLineRate) {
    // 19 bytes in, ACK and 19 bytes out: the answer takes the line time of
    // the bytes that are paced, at the least.
    struct Case {
        bool out, in;
        double atLeastBytes;
    };
    const Case cases[] = {
        {false, false, 0}, {true, false, 20}, {false, true, 19}, {true, true, 39}};
    double unpaced = 0;
    for (const auto& c : cases) {
        const Answer run = Exchange(c.out, c.in, false);
        EXPECT_GE(run.answerMs, c.atLeastBytes * kByteMs - 0.5) << c.out << c.in;
        if (!c.out && !c.in) {
            unpaced = run.answerMs;
        } else if (c.out && c.in) {
            EXPECT_LT(unpaced, run.answerMs);
        }
    }
}

TEST(TrafficLog, MicrosecondStampsAndTheArrivalOfTheLastByte) {
    const std::regex ms(R"((^|\n)\d\d:\d\d:\d\d\.\d{3} PC>CAM 02 31 0A 01)");
    const std::regex us(R"((^|\n)(\d\d):(\d\d):(\d\d\.\d{6}) PC>CAM 02 31 0A 01)");
    EXPECT_TRUE(std::regex_search(Exchange(false, false, false).log, ms));

    // Paced in, the command is stamped when its 19th byte has arrived.
    const Answer run = Exchange(false, true, true);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.log, m, us)) << run.log;
    const double stamped = std::stoi(m[2]) * 3600.0 + std::stoi(m[3]) * 60.0 + std::stod(m[4]);
    EXPECT_GE((stamped - run.writtenAt) * 1e3, 19 * kByteMs - 0.5) << run.log;
}

} // namespace
