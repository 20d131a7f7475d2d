// The cam38r5-sim program over a real pseudo-terminal.

#include "sim_test_util.h"

#include "sim/eeprom_file.h"
#include "sim/pty_server.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using simtest::Bytes;
using simtest::CommandFrame;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::seconds(5);

int remaining_ms(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads until `count` bytes have arrived or the deadline has passed.
Bytes ReadBytes(int fd, std::size_t count, Clock::duration within = kDeadline) {
    const auto deadline = Clock::now() + within;
    Bytes got;
    while (got.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, remaining_ms(deadline)) <= 0) break;
        std::uint8_t buffer[256];
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

void WriteBytes(int fd, const Bytes& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// The program with its standard output on a pipe.
class SimProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> all{CAM_SIM_BINARY};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, CAM_SIM_BINARY, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
    }
    ~SimProcess() {
        if (pid_ > 0) Stop();
        if (out_ >= 0) ::close(out_);
    }

    // First line of the output: the device path.
    std::string ReadLine() {
        std::string line;
        const auto deadline = Clock::now() + kDeadline;
        while (line.empty() || line.back() != '\n') {
            const Bytes b = ReadBytes(out_, 1, deadline - Clock::now());
            if (b.empty()) return line;
            line.push_back(static_cast<char>(b[0]));
        }
        line.pop_back();
        return line;
    }

    // Everything it writes until it ends (or the deadline passes).
    std::string ReadAll() {
        std::string text;
        const auto deadline = Clock::now() + kDeadline;
        while (!ended_) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, remaining_ms(deadline)) <= 0) break;
            char buffer[4096];
            const ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n > 0)
                text.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0)
                ended_ = true;
            else if (errno != EINTR)
                break;
        }
        return text;
    }

    // Asks it to end (SIGTERM) and returns its exit status, -1 if it hangs.
    int Stop() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        return Wait();
    }

    // Its end closes its output: waits for that within the deadline.
    int Wait() {
        if (pid_ <= 0) return -1;
        ReadAll();
        int status = 0;
        if (!ended_) ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return ended_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool Running() const { return pid_ > 0; }
    int Signal(int signal) { return pid_ > 0 ? ::kill(pid_, signal) : -1; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool ended_ = false;
};

// The device opened as the tool opens it: raw, no controlling terminal.
int OpenDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

std::string TempPath(const std::string& name) {
    return testing::TempDir() + "cam38r5_sim_" + std::to_string(::getpid()) + "_" + name;
}

// Sends a command and returns ACK + reply frame as received.
Bytes Ask(int fd, std::initializer_list<int> payload) {
    WriteBytes(fd, CommandFrame(payload));
    return ReadBytes(fd, 1 + cam::kFrameSize);
}

TEST(PtyServer, AnswersOpeningsWhicheverWayItWatches) {
    for (const bool watchOpens : {true, false}) {
        camsim::CameraModel model;
        camsim::PtyServer server(model, false, watchOpens);
        std::string error;
        ASSERT_TRUE(server.Open(&error)) << error;
        std::atomic<int> wakes{0};
        server.SetWakeHandler([&] { ++wakes; });
        bool served = false;
        std::thread serving([&] { served = server.Serve(&error); });
        // A wake byte runs the handler in the serving loop, which goes on;
        // with the line closed here and open later.
        const auto woken = [&](int count) {
            const char wake = 1;
            EXPECT_EQ(::write(server.WakeDescriptor(), &wake, 1), 1);
            const auto deadline = Clock::now() + kDeadline;
            while (wakes < count && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return wakes.load();
        };
        EXPECT_EQ(woken(1), 1) << watchOpens;
        // Quick re-openings are only told apart where opens are counted.
        const int openings = watchOpens ? 3 : 1;
        for (int n = 0; n < openings; ++n) {
            const int fd = OpenDevice(server.DevicePath());
            ASSERT_GE(fd, 0);
            EXPECT_EQ(ReadBytes(fd, 1), Bytes{cam::ACK}) << watchOpens << " opening " << n;
            // The tool's EOT ends the handshake; a later ENQ is answered again.
            WriteBytes(fd, {cam::EOT, cam::ENQ});
            EXPECT_EQ(ReadBytes(fd, 1), Bytes{cam::ACK});
            ::close(fd);
        }
        EXPECT_EQ(woken(2), 2) << watchOpens;
        const char stop = 1;
        ASSERT_EQ(::write(server.StopDescriptor(), &stop, 1), 1);
        serving.join();
        EXPECT_TRUE(served) << error;
    }
}

TEST(SimProgram, ServesTheCameraOnAPseudoTerminal) {
    const std::string log = TempPath("traffic.log");
    const std::string link = TempPath("link");
    SimProcess sim({"--log", log, "--link", link});
    ASSERT_TRUE(sim.Running());
    const std::string device = sim.ReadLine();
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;

    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(device, target);

    // A tool that sends ENQ right after opening gets exactly one ACK: the
    // camera answers the ENQ and does not also greet the opening.
    int fd = OpenDevice(device);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    WriteBytes(fd, {cam::ENQ});
    EXPECT_EQ(ReadBytes(fd, 2, std::chrono::milliseconds(600)), Bytes{cam::ACK});
    ::close(fd);

    fd = OpenDevice(device);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    EXPECT_EQ(ReadBytes(fd, 1), Bytes{cam::ACK}) << "the opening is answered";

    WriteBytes(fd, {cam::ENQ}); // answered although the opening was greeted
    EXPECT_EQ(ReadBytes(fd, 1), Bytes{cam::ACK});
    WriteBytes(fd, {cam::EOT, cam::ENQ});
    EXPECT_EQ(ReadBytes(fd, 1), Bytes{cam::ACK});

    Bytes answer = Ask(fd, {0x21, 0x0A, 0x20, 0x12, 0x34});
    ASSERT_EQ(answer.size(), 20u);
    EXPECT_EQ(answer[0], cam::ACK);
    WriteBytes(fd, {cam::ACK});
    answer = Ask(fd, {0x31, 0x0A, 0x20});
    ASSERT_EQ(answer.size(), 20u);
    EXPECT_TRUE(simtest::IsReplyFrame(Bytes(answer.begin() + 1, answer.end())));
    EXPECT_EQ(answer[2], cam::kAccepted);
    EXPECT_EQ(answer[4], 0x20);
    EXPECT_EQ(answer[5], 0x12);
    EXPECT_EQ(answer[6], 0x34);

    Ask(fd, {0x21, 0x0C, 0x02, 0x22, 0xCA, 0xFE});
    answer = Ask(fd, {0x31, 0x0C, 0x02, 0x22});
    ASSERT_EQ(answer.size(), 20u);
    EXPECT_EQ(answer[3], 0x0C);
    EXPECT_EQ(answer[6], 0xCA);
    EXPECT_EQ(answer[7], 0xFE);

    // A spoiled frame gets NAK and nothing else: the next answer is the ENQ's.
    Bytes spoiled = CommandFrame({0x31, 0x0A, 0x01});
    spoiled[18] ^= 0x5A;
    WriteBytes(fd, spoiled);
    WriteBytes(fd, {cam::ENQ});
    EXPECT_EQ(ReadBytes(fd, 2), (Bytes{cam::NAK, cam::ACK}));

    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(::access(link.c_str(), F_OK) == 0) << "the link is removed at exit";

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    const std::string logged = text.str();
    EXPECT_NE(logged.find("PC>CAM 02 21 0A 20 12 34"), std::string::npos) << logged;
    EXPECT_NE(logged.find("CAM>PC 02 A0 0A 20 12 34"), std::string::npos) << logged;
    EXPECT_NE(logged.find("PC>CAM 05"), std::string::npos);
    EXPECT_NE(logged.find("CAM>PC 15"), std::string::npos);
    std::remove(log.c_str());
}

// Polls for `path` to hold `size` bytes; false once the deadline has passed.
bool WaitForFile(const std::string& path, std::size_t size) {
    const auto deadline = Clock::now() + kDeadline;
    while (Clock::now() < deadline) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && static_cast<std::size_t>(info.st_size) == size)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SimProgram, WritesTheEepromOnSigusr1AndAtExit) {
    camsim::CameraModel start;
    start.SetEeprom(0x0005, 0x1234);
    start.SetEeprom(0x03FF, 0xBEEF);
    const std::string startText = camsim::EepromCopyText(start.Memory());
    const std::string in = TempPath("start.dat");
    const std::string out = TempPath("out.dat");
    std::string error;
    ASSERT_TRUE(camsim::WriteFileAtomically(in, startText, &error)) << error;
    std::remove(out.c_str());

    SimProcess sim({"--eeprom", in, "--eeprom-out", out});
    ASSERT_TRUE(sim.Running());
    const std::string device = sim.ReadLine(); // the handlers are in place from here on
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;

    ASSERT_EQ(sim.Signal(SIGUSR1), 0);
    ASSERT_TRUE(WaitForFile(out, startText.size()));
    EXPECT_TRUE(ReadFile(out) == startText) << "still running, the camera it started as";

    const int fd = OpenDevice(device);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    EXPECT_EQ(ReadBytes(fd, 1), Bytes{cam::ACK});
    const Bytes answer = Ask(fd, {0x21, 0x0C, 0x00, 0x05, 0xCA, 0xFE});
    ASSERT_EQ(answer.size(), 20u);
    EXPECT_EQ(answer[2], cam::kAccepted);
    ::close(fd);

    EXPECT_EQ(sim.Stop(), 0);
    camsim::CameraModel after;
    ASSERT_TRUE(after.LoadEepromFile(out, &error)) << error;
    EXPECT_EQ(after.Eeprom(0x0005), 0xCAFE) << "the word written over the line";
    EXPECT_EQ(after.Eeprom(0x03FF), 0xBEEF);
    start.SetEeprom(0x0005, 0xCAFE);
    EXPECT_TRUE(ReadFile(out) == camsim::EepromCopyText(start.Memory()));
    std::remove(in.c_str());
    std::remove(out.c_str());
}

TEST(SimProgram, EveryOpeningIsAnsweredAndOptionsApply) {
    const std::string image = TempPath("start.dat");
    {
        std::ofstream out(image);
        out << "210C0123BEEF000000000000000000\r\nF10000000000000000000000000000\r\n";
    }
    SimProcess sim({"--video", "ntsc", "--resolution", "lo", "--eeprom", image, "--pace"});
    const std::string device = sim.ReadLine();
    ASSERT_FALSE(device.empty());
    for (int opening = 0; opening < 2; ++opening) {
        const int fd = OpenDevice(device);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(ReadBytes(fd, 1), Bytes{cam::ACK}) << "opening " << opening;
        const auto start = Clock::now();
        const Bytes front = Ask(fd, {0x31, 0x0A, 0x01});
        // Paced: 20 bytes of 10 bits at 9600 bit/s take about 20.8 ms.
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(19));
        const Bytes timing = Ask(fd, {0x31, 0x0A, 0x40});
        const Bytes word = Ask(fd, {0x31, 0x0C, 0x01, 0x23});
        ASSERT_EQ(front.size(), 20u);
        ASSERT_EQ(timing.size(), 20u);
        ASSERT_EQ(word.size(), 20u);
        EXPECT_EQ(front[5] & 0x40, 0) << "Lo resolution: bit 14 clear";
        EXPECT_EQ(timing[6] & 0x01, 0) << "NTSC: bit 0 clear";
        EXPECT_EQ(word[6], 0xBE);
        EXPECT_EQ(word[7], 0xEF);
        ::close(fd);
    }
    EXPECT_EQ(sim.Stop(), 0);
    std::remove(image.c_str());
}

TEST(SimProgram, CommandLineMistakesAndHelp) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* shows;
    };
    const Case cases[] = {
        {{"--help"}, 0, "--corrupt-reply"},
        {{"--video", "secam"}, 2, ""},
        {{"--eeprom", "/nonexistent/start.dat"}, 1, ""},
    };
    for (const auto& c : cases) {
        SimProcess sim(c.args);
        const std::string out = sim.ReadAll();
        EXPECT_EQ(sim.Wait(), c.status) << c.args[0];
        EXPECT_NE(out.find(c.shows), std::string::npos) << out;
    }
}

} // namespace
