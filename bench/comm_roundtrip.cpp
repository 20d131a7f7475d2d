// Round trips through TComm against the simulated camera.
//
//   bench_comm_roundtrip [--count N] [SIMULATOR]
//
// Starts SIMULATOR (default: cam38r5-sim next to this program), opens the
// device it prints with TComm, greets it with ENQ, then runs N (2000) round
// trips: the register read command 02 31 0A 01 0..0 03 CRC, the camera's ACK
// and 19-byte reply frame, our ACK. Every received byte travels the way it
// does in the tool: watcher notification, OnCommReceive on this (the owner's)
// thread, Read. Prints exchanges per second, the median and 99th-percentile
// round trip, and the CPU time the process uses in 2 s with the port open and
// idle.

#include "comm/comm.h"
#include "comm/port_map.h"
#include "link/crc.h"
#include "link/frames.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kExchangeTimeoutMs = 2000;
constexpr int kIdleMs = 2000;

// The simulator as a child process whose first output line is the device.
class Simulator {
  public:
    ~Simulator() { Stop(); }

    bool Start(const std::string& program, std::string& device) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::string prog = program;
        char* argv[] = {prog.data(), nullptr};
        const int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            ::close(out[0]);
            pid_ = -1;
            errno = rc;
            return false;
        }
        // First line, within 5 s.
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        char c = 0;
        device.clear();
        while (Clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            if (::read(out[0], &c, 1) != 1 || c == '\n') break;
            device.push_back(c);
        }
        ::close(out[0]);
        return c == '\n' && !device.empty();
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
};

// Bytes the camera sent, collected the way the tool's receive handler does.
struct Receiver {
    cam::TComm& comm;
    std::vector<std::uint8_t> bytes;

    void OnReceive(std::uint16_t size) {
        const std::size_t old = bytes.size();
        bytes.resize(old + size);
        bytes.resize(old + comm.Read(bytes.data() + old, size));
    }
};

// Runs the event loop until `count` bytes have come; false on time-out.
bool wait_bytes(Receiver& rx, std::size_t count, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (rx.bytes.size() < count) {
        if (Clock::now() >= deadline) return false;
        // The watchdog timer wakes this wait at least every 100 ms.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

double process_cpu_ms() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double percentile(std::vector<double> sorted, double p) {
    if (sorted.empty()) return 0;
    const auto i = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(i, sorted.size() - 1)];
}

std::string default_simulator() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "./cam38r5-sim";
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + "cam38r5-sim";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int count = 2000;
    std::string simulator = default_simulator();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--count" || arg == "-n") && i + 1 < argc) {
            count = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--help" || arg == "-h") {
            std::printf("usage: %s [--count N] [SIMULATOR]\n", argv[0]);
            return 0;
        } else {
            simulator = arg;
        }
    }

    Simulator sim;
    std::string device;
    if (!sim.Start(simulator, device)) {
        std::fprintf(stderr, "cannot start the simulator %s\n", simulator.c_str());
        return 1;
    }
    std::printf("simulator %s on %s\n", simulator.c_str(), device.c_str());

    QTimer watchdog;
    watchdog.start(100);

    cam::SetPortDevice(1, device);
    cam::TComm comm;
    Receiver rx{comm, {}};
    comm.OnCommReceive = [&rx](std::uint16_t size) { rx.OnReceive(size); };
    try {
        comm.Open();

        // The camera answers the opening of the line and ENQ with ACK.
        if (!wait_bytes(rx, 1, kExchangeTimeoutMs)) {
            std::fprintf(stderr, "no ACK for the opening of the line\n");
            return 1;
        }
        rx.bytes.clear();
        const std::uint8_t enq = cam::ENQ;
        comm.Write(&enq, 1);
        if (!wait_bytes(rx, 1, kExchangeTimeoutMs) || rx.bytes[0] != cam::ACK) {
            std::fprintf(stderr, "no ACK for ENQ\n");
            return 1;
        }
        rx.bytes.clear();
        const std::uint8_t eot = cam::EOT;
        comm.Write(&eot, 1);

        cam::TxFrame command{};
        command[1] = cam::kReadClass;
        command[2] = 0x0A;
        command[3] = 0x01;
        cam::complete_command_frame(command, 3);
        const std::uint8_t ack = cam::ACK;
        constexpr std::size_t kAnswer = 1 + cam::kFrameSize;

        std::vector<double> round_trips_us;
        round_trips_us.reserve(static_cast<std::size_t>(count));
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            const auto sent = Clock::now();
            comm.Write(command.data(), cam::kFrameSize);
            if (!wait_bytes(rx, kAnswer, kExchangeTimeoutMs)) {
                std::fprintf(stderr, "exchange %d: %zu of %zu bytes within %d ms\n", i,
                             rx.bytes.size(), kAnswer, kExchangeTimeoutMs);
                return 1;
            }
            round_trips_us.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
            const std::uint8_t* reply = rx.bytes.data() + 1;
            const std::uint16_t crc = cam::frame_crc(reply + 1, 16);
            if (rx.bytes[0] != cam::ACK || reply[0] != cam::STX || reply[16] != cam::ETX ||
                reply[17] != (crc >> 8) || reply[18] != (crc & 0xFF) || reply[2] != 0x0A) {
                std::fprintf(stderr, "exchange %d: unexpected answer\n", i);
                return 1;
            }
            rx.bytes.erase(rx.bytes.begin(), rx.bytes.begin() + kAnswer);
            comm.Write(&ack, 1);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::sort(round_trips_us.begin(), round_trips_us.end());
        std::printf("exchanges: %d in %.3f s, %.0f per second\n", count, seconds, count / seconds);
        std::printf("round trip: median %.1f us, 99th percentile %.1f us, max %.1f us\n",
                    percentile(round_trips_us, 0.5), percentile(round_trips_us, 0.99),
                    round_trips_us.back());

        // Idle: the port open, the event loop running, nothing on the line.
        watchdog.stop();
        QEventLoop idle;
        QTimer::singleShot(kIdleMs, Qt::PreciseTimer, &idle, &QEventLoop::quit);
        const double cpu_before = process_cpu_ms();
        const auto idle_start = Clock::now();
        idle.exec();
        const double idle_s = std::chrono::duration<double>(Clock::now() - idle_start).count();
        const double cpu = process_cpu_ms() - cpu_before;
        std::printf("idle open port: %.1f ms CPU in %.2f s (%.2f%%)\n", cpu, idle_s,
                    cpu / (idle_s * 10.0));
        comm.Close();
    } catch (const cam::ECommError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    sim.Stop();
    return 0;
}
