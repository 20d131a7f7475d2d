// cam38r5-line cloning many cameras at once against cloning one alone.
//
//   bench_line_clone [--cameras N] [--short] [--keep DIR] [--sim PROGRAM] [--line PROGRAM]
//
// Starts one simulated camera at the line rate both ways (--pace --pace-in)
// and clones it with cam38r5-line, then N such cameras (default 8) at once
// with one cam38r5-line on all of them. The program's wall time and its CPU
// time (wait4) give the figures, one a line, "name value unit":
//
//   clone_1_s                 one camera, started -> ended
//   clone_N_s                 N cameras at once
//   clone_N_over_1            the two over each other (goal: at most 1.03)
//   line_limit_s              what one clone's bytes take at 9600 bit/s: reading
//                             1024 words twice (backup, read-back), the bulk image
//                             and its reply, the reset
//   clone_1_over_line_limit   clone_1_s over that
//   line_cpu_1, line_cpu_N    the line program's CPU over its wall time, in
//                             percent of one core (goal for N: below 2 %)
//   line_cpu_N_kernel         ... of which in the kernel (the serial ports'
//                             watchers waking as bytes arrive)
//
// --short: unpaced cameras, N = 4 unless given: it must only run and succeed
// (CI runs it); the figures are printed, never judged. --keep DIR keeps the
// golden file, the backups, the reports and the program's output there (a
// run that fails keeps them in its temporary folder).
// Exit status 0 when every clone ended "ok", 1 otherwise.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// One byte of 10 bits at 9600 bit/s, in seconds.
constexpr double kByteSeconds = 10.0 / 9600.0;
// A word read: command (19), ACK, reply (19), ACK.
constexpr int kWordExchangeBytes = 40;
// The bulk image (2053), its ACK, its reply (19) and the ACK of that.
constexpr int kBulkExchangeBytes = 2053 + 1 + 19 + 1;
// The reset: command (19) and its ACK; ENQ, ACK, EOT before all of it.
constexpr int kResetBytes = 20;
constexpr int kConnectBytes = 3;
constexpr double kLineLimitSeconds =
    (2 * 1024 * kWordExchangeBytes + kBulkExchangeBytes + kResetBytes + kConnectBytes) *
    kByteSeconds;

void figure(const std::string& name, double value, const char* unit) {
    std::printf("%s %.4g %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

std::string besideSelf(const char* name) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return name;
    const std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + name;
}

std::vector<char*> argvOf(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// A simulated camera; its device path is the first line it prints.
class Sim {
  public:
    Sim(const std::string& program, bool paced) {
        std::vector<std::string> args{program};
        if (paced) args.insert(args.end(), {"--pace", "--pace-in"});
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, out[1]);
        auto argv = argvOf(args);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        pollfd p{out[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && ::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            device_ += c;
        ::close(out[0]);
    }
    ~Sim() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;

    const std::string& Device() const { return device_; }

  private:
    pid_t pid_ = -1;
    std::string device_;
};

// A copy file of all 1024 words and the end record, as a clone's golden file.
bool writeGolden(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    char record[40];
    for (int a = 0; a < 1024; ++a) {
        std::snprintf(record, sizeof record, "210C%04X%04X000000000000000000\r\n", a,
                      (0x5A00 + a * 3) & 0xFFFF);
        out << record;
    }
    out << "F10000000000000000000000000000\r\n";
    return static_cast<bool>(out);
}

// The rows of a CSV report whose result is "ok".
int okRows(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    int ok = 0;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string port, device, result;
        std::getline(fields, port, ',');
        std::getline(fields, device, ',');
        std::getline(fields, result, ',');
        ok += result == "ok";
    }
    return ok;
}

struct Run {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;
    double kernelSeconds = 0; // of which in the kernel
};

struct Options {
    int cameras = 8;
    bool shortMode = false;
    std::string keep;
    std::string sim;
    std::string line;
};

// Starts `count` cameras and clones them all with one cam38r5-line.
Run cloneOn(const Options& o, int count, const std::string& dir, const std::string& golden) {
    Run run;
    std::vector<std::unique_ptr<Sim>> sims;
    const std::string tag = std::to_string(count);
    std::vector<std::string> args{o.line, "clone", golden};
    for (int i = 0; i < count; ++i) {
        sims.push_back(std::make_unique<Sim>(o.sim, !o.shortMode));
        if (sims.back()->Device().empty()) {
            std::fprintf(stderr, "cannot start the simulator %s\n", o.sim.c_str());
            return run;
        }
        args.insert(args.end(), {"--port", sims.back()->Device()});
    }
    const std::string report = dir + "/report_" + tag + ".csv";
    const std::string output = dir + "/output_" + tag + ".txt";
    args.insert(args.end(), {"--keep", "0x100-0x13F", "--backup-dir", dir + "/backups_" + tag,
                             "--report", report});

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    auto argv = argvOf(args);
    const auto start = Clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, o.line.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", o.line.c_str());
        return run;
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    run.kernelSeconds = seconds(usage.ru_stime);
    run.cpuSeconds = seconds(usage.ru_utime) + run.kernelSeconds;
    const int ok = okRows(report);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok == count;
    if (!run.ok)
        std::fprintf(stderr, "clone of %d: %d ok, exit status %d; its output: %s\n", count, ok,
                     WIFEXITED(status) ? WEXITSTATUS(status) : -1, output.c_str());
    return run;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    o.sim = besideSelf("cam38r5-sim");
    o.line = besideSelf("cam38r5-line");
    bool camerasGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--short") {
            o.shortMode = true;
        } else if (a == "--cameras" && more) {
            o.cameras = std::clamp(std::atoi(argv[++i]), 1, 255);
            camerasGiven = true;
        } else if (a == "--keep" && more) {
            o.keep = argv[++i];
        } else if (a == "--sim" && more) {
            o.sim = argv[++i];
        } else if (a == "--line" && more) {
            o.line = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: %s [--cameras N] [--short] [--keep DIR] [--sim PROGRAM] "
                         "[--line PROGRAM]\n",
                         argv[0]);
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    if (o.shortMode && !camerasGiven) o.cameras = 4;

    std::string dir = o.keep;
    if (dir.empty()) {
        char temp[] = "/tmp/bench_line_clone-XXXXXX";
        if (!::mkdtemp(temp)) return 1;
        dir = temp;
    }
    std::filesystem::create_directories(dir);
    const std::string golden = dir + "/golden.dat";
    if (!writeGolden(golden)) return 1;

    std::fprintf(stderr, "cloning 1 %s camera...\n", o.shortMode ? "unpaced" : "paced");
    const Run one = cloneOn(o, 1, dir, golden);
    std::fprintf(stderr, "cloning %d cameras at once...\n", o.cameras);
    const Run many = cloneOn(o, o.cameras, dir, golden);
    // A failed run keeps its files, for the program's output.
    if (o.keep.empty() && one.ok && many.ok) std::filesystem::remove_all(dir);

    const std::string n = std::to_string(o.cameras);
    figure("clone_1_s", one.seconds, "s");
    figure("clone_" + n + "_s", many.seconds, "s");
    figure("clone_" + n + "_over_1", one.seconds > 0 ? many.seconds / one.seconds : 0, "x");
    figure("line_limit_s", kLineLimitSeconds, "s");
    figure("clone_1_over_line_limit", one.seconds / kLineLimitSeconds, "x");
    figure("line_cpu_1", one.seconds > 0 ? 100 * one.cpuSeconds / one.seconds : 0, "%core");
    figure("line_cpu_" + n, many.seconds > 0 ? 100 * many.cpuSeconds / many.seconds : 0, "%core");
    figure("line_cpu_" + n + "_kernel",
           many.seconds > 0 ? 100 * many.kernelSeconds / many.seconds : 0, "%core");
    return one.ok && many.ok ? 0 : 1;
}
