// The whole tool against the simulated camera, figures from the camera's clock.
//
//   bench_tool [--short] [--verbose] [--idle SECONDS] [--loads N] [--keep DIR]
//              [--sim PROGRAM] [--tool PROGRAM]
//
// Runs the program's own windows (offscreen) in this process against
// cam38r5-sim on a pseudo-terminal, and the real cam38r5 program for its
// start. The simulator stamps every unit on the line to the microsecond
// (--log-us); the figures come from those stamps. One figure a line,
// "name value unit", on standard output; progress goes to standard error.
//
//   start_to_enq            cam38r5 started -> its ENQ on the line
//   peak_rss                cam38r5's peak resident memory after the Easy load
//   easy_turnaround_*       reply frame out of the camera -> next command in,
//   copy_turnaround_*       during Easy loads by Camera > Load and an unpaced
//                           "Camera->PC";
//   easy_first_load_*       ... during the load that the connection starts
//                           (the window greets the camera once its first
//                           paints are over);
//   connect_to_first_command the camera's ACK to the ENQ -> the first command;
//     *_wait_*              ... of which: reply out -> the tool's ACK (the
//                           reply waited for the window's thread, then was read)
//     *_decode_*            ... of which: the tool's ACK -> next command
//                           (decoders, controls, the next frame)
//   copy_paced_turnaround_* the same on the paced line, from the line times
//                           (the floor: the tool's ACK and one byte, 2.08 ms)
//   copy_*_ratio            "Camera->PC" (1024 words), "PC->Camera(Batch)"
//   batch_*_ratio           (bulk image and reset), click -> the last byte
//                           from the tool, over the time the same bytes take
//                           at 9600 bit/s; unpaced: the tool's cost alone;
//                           paced (full mode): camera at the line rate both ways
//   cpu_idle_connected      CPU of this process (all threads) connected and idle
//   cpu_idle_connecting     ... while looking for a camera that never answers
//   gui_<phase>_<kind>      time the window's thread spent on each kind of event
//
// --verbose: which widgets took the painting time, and what the window's
// thread did while the slowest replies waited (standard error).
// --short: unpaced only, 3 Easy loads, 1.5 s idle windows (CI runs this).
// Exit status 0 when every phase ran, 1 when one could not (no figure is
// judged here).

#include "comm/port_map.h"
#include "ui/copy/copy_tab.h"
#include "ui/main/main_window.h"
#include "ui/main/startup.h"
#include "ui/traffic/traffic_window.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
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
using Wall = std::chrono::system_clock;

// One byte of 10 bits at 9600 bit/s, in seconds.
constexpr double kByteSeconds = 10.0 / 9600.0;

// ------------------------------------------------------------ figures

void figure(const std::string& name, double value, const char* unit) {
    std::printf("%s %.4g %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

void note(const char* format, ...) __attribute__((format(printf, 1, 2)));
void note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(p * static_cast<double>(values.size()) + 0.999999);
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

// Seconds since local midnight, as the simulator's log shows the time.
double time_of_day(Wall::time_point t) {
    const std::time_t seconds = Wall::to_time_t(t);
    std::tm local{};
    localtime_r(&seconds, &local);
    const double fraction = std::chrono::duration<double>(t - Wall::from_time_t(seconds)).count();
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

// b - a for two times of day, across midnight.
double later_by(double a, double b) {
    double d = b - a;
    if (d < -43200) d += 86400;
    return d;
}

// ----------------------------------------------------------- processes

class Process {
  public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { Stop(); }

    // Starts `argv` with `extraEnv` added; its standard output is kept for
    // FirstLine when `readOutput`, else it goes to /dev/null like its errors.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
               bool readOutput) {
        int out[2] = {-1, -1};
        if (readOutput && ::pipe2(out, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (readOutput)
            posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> args = argv;
        std::vector<char*> cargs;
        for (auto& a : args)
            cargs.push_back(a.data());
        cargs.push_back(nullptr);
        std::vector<std::string> env = extraEnv;
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
        std::vector<char*> cenv;
        for (auto& e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        const int rc =
            ::posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, cargs.data(), cenv.data());
        posix_spawn_file_actions_destroy(&actions);
        if (readOutput) {
            ::close(out[1]);
            out_ = out[0];
        }
        if (rc != 0) {
            pid_ = -1;
            return false;
        }
        return true;
    }

    // The first line of its output, within 5 s.
    std::string FirstLine() {
        std::string line;
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (out_ >= 0 && Clock::now() < deadline) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c = 0;
            if (::read(out_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line.push_back(c);
        }
        return {};
    }

    pid_t Pid() const { return pid_; }

    void Stop() {
        if (out_ >= 0) ::close(out_);
        out_ = -1;
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// ------------------------------------------------------ the traffic log

struct Unit {
    double time = 0; // seconds since local midnight
    enum Kind { ToCamera, FromCamera, Event } kind = Event;
    std::vector<std::uint8_t> head; // the bytes shown (a long frame: its first ones)
    std::size_t size = 0;           // bytes on the line
    std::string text;
};

std::optional<Unit> parse_unit(const std::string& line) {
    int h = 0, m = 0;
    double s = 0;
    char rest[8];
    if (std::sscanf(line.c_str(), "%d:%d:%lf %7s", &h, &m, &s, rest) != 4) return std::nullopt;
    Unit u;
    u.time = h * 3600.0 + m * 60.0 + s;
    u.text = line;
    const std::string tag = rest;
    if (tag == "--") return u;
    if (tag != "PC>CAM" && tag != "CAM>PC") return std::nullopt;
    u.kind = tag == "PC>CAM" ? Unit::ToCamera : Unit::FromCamera;
    std::istringstream words(line.substr(line.find(tag) + tag.size()));
    std::string word;
    while (words >> word) {
        if (word == "...") {
            // "... 11 11 EE (2053 bytes)": the length closes the line.
            const auto open = line.rfind('(');
            if (open != std::string::npos)
                u.size = std::strtoul(line.c_str() + open + 1, nullptr, 10);
            break;
        }
        if (word.size() != 2 || !std::isxdigit(static_cast<unsigned char>(word[0]))) break;
        u.head.push_back(static_cast<std::uint8_t>(std::strtoul(word.c_str(), nullptr, 16)));
    }
    if (u.size == 0) u.size = u.head.size();
    if (u.head.empty()) return std::nullopt;
    return u;
}

class TrafficLog {
  public:
    explicit TrafficLog(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // Every unit logged so far.
    std::vector<Unit> Read() const {
        std::vector<Unit> units;
        std::ifstream in(path_);
        std::string line;
        while (std::getline(in, line))
            if (auto u = parse_unit(line)) units.push_back(std::move(*u));
        return units;
    }
    std::size_t Count() const { return Read().size(); }
    bool Contains(const std::string& text) const {
        std::ifstream in(path_);
        std::string line;
        while (std::getline(in, line))
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

  private:
    std::string path_;
};

bool is_frame(const Unit& u) {
    return u.head[0] == 0x02 || u.head[0] == 0x01;
}

// Turnarounds in units [from, to): each reply frame from the camera to the
// tool's next frame, with the tool's ACK in between. A frame that a click
// (a time in `actions`) sent is not a turnaround.
struct Exchange {
    double reply = 0, ack = 0, frame = 0; // times of day
    std::string text;                     // the reply
    double Total() const { return later_by(reply, frame) * 1e3; }
};

std::vector<Exchange> exchanges(const std::vector<Unit>& units, std::size_t from, std::size_t to,
                                const std::vector<double>& actions) {
    std::vector<Exchange> found;
    to = std::min(to, units.size());
    for (std::size_t i = from; i < to; ++i) {
        const Unit& reply = units[i];
        if (reply.kind != Unit::FromCamera || reply.head[0] != 0x02) continue;
        std::optional<double> ack;
        for (std::size_t j = i + 1; j < to; ++j) {
            const Unit& u = units[j];
            if (u.kind != Unit::ToCamera) break; // the camera spoke again, or an event
            if (u.head[0] == 0x06 && !ack) ack = u.time;
            if (!is_frame(u)) continue;
            const bool clicked = std::any_of(actions.begin(), actions.end(), [&](double t) {
                return later_by(reply.time, t) >= 0 && later_by(t, u.time) >= 0;
            });
            if (ack && !clicked)
                found.push_back(
                    {reply.time, *ack, u.time, reply.text.substr(reply.text.find("CAM>PC"))});
            break;
        }
    }
    return found;
}

void turnaround_figures(const std::string& name, const std::vector<Exchange>& found) {
    std::vector<double> total, wait, decode;
    for (const Exchange& e : found) {
        total.push_back(e.Total());
        wait.push_back(later_by(e.reply, e.ack) * 1e3);
        decode.push_back(later_by(e.ack, e.frame) * 1e3);
    }
    figure(name + "_turnaround_median", percentile(total, 0.5), "ms");
    figure(name + "_turnaround_p99", percentile(total, 0.99), "ms");
    figure(name + "_turnaround_max", percentile(total, 1.0), "ms");
    figure(name + "_turnaround_count", static_cast<double>(total.size()), "exchanges");
    figure(name + "_wait_median", percentile(wait, 0.5), "ms");
    figure(name + "_wait_p99", percentile(wait, 0.99), "ms");
    figure(name + "_decode_median", percentile(decode, 0.5), "ms");
    figure(name + "_decode_p99", percentile(decode, 0.99), "ms");
}

// ------------------------------------------------ the window's thread

// Where the window's thread spends its time, by the kind of the outermost
// event it handles; with `slices` also when, and which widgets it paints.
class Profile {
  public:
    struct Slice {
        double start = 0, ms = 0; // time of day, duration
        const char* kind = "";
    };

    void Add(const char* kind, double start, Clock::duration d) {
        const double ms = std::chrono::duration<double, std::milli>(d).count();
        auto& slot = kinds_[kind];
        slot.first += ms;
        ++slot.second;
        if (keepSlices) slices_.push_back({start, ms, kind});
    }
    void AddPaint(const std::string& widget, double start, Clock::duration d) {
        const double ms = std::chrono::duration<double, std::milli>(d).count();
        painted_[widget] += ms;
        paints_.push_back({start, ms, widget});
    }
    void Report(const std::string& phase, double wallMs) const {
        for (const auto& [kind, slot] : kinds_)
            figure("gui_" + phase + "_" + kind, slot.first, "ms");
        figure("gui_" + phase + "_wall", wallMs, "ms");
        if (!keepSlices) return;
        std::vector<std::pair<int, std::string>> changes;
        for (const auto& [what, n] : nested_)
            changes.emplace_back(n, what);
        std::sort(changes.rbegin(), changes.rend());
        for (std::size_t k = 0; k < changes.size() && k < 12; ++k)
            note("  %s: %d x %s", phase.c_str(), changes[k].first, changes[k].second.c_str());
        std::vector<std::pair<double, std::string>> top;
        for (const auto& [w, ms] : painted_)
            top.emplace_back(ms, w);
        std::sort(top.rbegin(), top.rend());
        for (std::size_t k = 0; k < top.size() && k < 8; ++k)
            note("  %s: painting %s took %.2f ms", phase.c_str(), top[k].second.c_str(),
                 top[k].first);
    }
    // What the thread did from `from` to `to` (times of day), by kind.
    std::string During(double from, double to) const {
        std::map<std::string, double> by;
        for (const Slice& s : slices_) {
            const double end = s.start + s.ms / 1e3;
            const double overlap = std::min(end, to) - std::max(s.start, from);
            if (overlap > 0) by[s.kind] += overlap * 1e3;
        }
        std::string text;
        for (const auto& [kind, ms] : by) {
            char part[64];
            std::snprintf(part, sizeof part, "%s%s %.2f ms", text.empty() ? "" : ", ", kind.c_str(),
                          ms);
            text += part;
        }
        return text.empty() ? "nothing" : text;
    }
    // When the thread began its first `kind` event from `from` to `to`
    // (times of day); nothing when it did not.
    std::optional<double> FirstStart(const char* kind, double from, double to) const {
        for (const Slice& s : slices_)
            if (s.start >= from && s.start <= to && std::strcmp(s.kind, kind) == 0) return s.start;
        return std::nullopt;
    }
    // The state changes (enabled, shown, moved ...) from `from` to `to`.
    std::string ChangedDuring(double from, double to) const {
        std::map<std::string, int> by;
        for (const auto& [t, what] : changes_)
            if (t >= from && t <= to) ++by[what];
        std::string text;
        for (const auto& [what, n] : by)
            text += (text.empty() ? "" : ", ") + std::to_string(n) + " " + what;
        return text.empty() ? "none" : text;
    }
    // The widgets painted from `from` to `to`, most costly first.
    std::string PaintedDuring(double from, double to) const {
        std::map<std::string, std::pair<double, int>> by;
        for (const Paint& p : paints_) {
            if (p.start < from || p.start > to) continue;
            by[p.widget].first += p.ms;
            ++by[p.widget].second;
        }
        std::vector<std::pair<double, std::string>> top;
        double total = 0;
        for (const auto& [w, slot] : by) {
            top.emplace_back(slot.first, w);
            total += slot.first;
        }
        std::sort(top.rbegin(), top.rend());
        char head[64];
        std::snprintf(head, sizeof head, "%zu widgets, %.2f ms:", by.size(), total);
        std::string text = head;
        for (std::size_t k = 0; k < top.size() && k < 6; ++k) {
            char part[96];
            std::snprintf(part, sizeof part, " %s %.2f", top[k].second.c_str(), top[k].first);
            text += part;
        }
        return text;
    }
    // Events that make a widget repaint itself or its children.
    void CountNested(QObject* receiver, QEvent* event) {
        const char* what = nullptr;
        switch (event->type()) {
        case QEvent::EnabledChange:
            what = "EnabledChange";
            break;
        case QEvent::PaletteChange:
            what = "PaletteChange";
            break;
        case QEvent::FontChange:
            what = "FontChange";
            break;
        case QEvent::StyleChange:
            what = "StyleChange";
            break;
        case QEvent::Resize:
            what = "Resize";
            break;
        case QEvent::Move:
            what = "Move";
            break;
        case QEvent::Show:
            what = "Show";
            break;
        case QEvent::Hide:
            what = "Hide";
            break;
        default:
            return;
        }
        const QString name = receiver->objectName();
        ++nested_[std::string(what) + " " + name.toStdString()];
        changes_.emplace_back(time_of_day(Wall::now()), what);
    }
    void NewPhase() {
        kinds_.clear();
        nested_.clear();
        painted_.clear();
    }
    bool keepSlices = false;

  private:
    std::map<std::string, std::pair<double, int>> kinds_;
    std::map<std::string, double> painted_;
    std::map<std::string, int> nested_;
    std::vector<std::pair<double, const char*>> changes_;
    struct Paint {
        double start = 0, ms = 0;
        std::string widget;
    };
    std::vector<Slice> slices_;
    std::vector<Paint> paints_;
};

class BenchApp : public QApplication {
  public:
    using QApplication::QApplication;
    Profile* profile = nullptr;

    bool notify(QObject* receiver, QEvent* event) override {
        struct Enter {
            int& d;
            explicit Enter(int& depth) : d(depth) { ++d; }
            ~Enter() { --d; }
        };
        if (!profile) return QApplication::notify(receiver, event);
        if (depth_ > 0) {
            Enter enter(depth_);
            if (profile->keepSlices) profile->CountNested(receiver, event);
            // One widget's own paint event (its children get their own).
            if (event->type() != QEvent::Paint || !profile->keepSlices || painting_)
                return QApplication::notify(receiver, event);
            painting_ = true;
            const double startOfDay = time_of_day(Wall::now());
            const auto start = Clock::now();
            const bool handled = QApplication::notify(receiver, event);
            painting_ = false;
            const QString name = receiver->objectName().isEmpty()
                                     ? QString::fromLatin1(receiver->metaObject()->className())
                                     : receiver->objectName();
            profile->AddPaint(name.toStdString(), startOfDay, Clock::now() - start);
            return handled;
        }
        const char* kind = kindOf(receiver, event);
        const double startOfDay = profile->keepSlices ? time_of_day(Wall::now()) : 0;
        const auto start = Clock::now();
        Enter enter(depth_);
        const bool handled = QApplication::notify(receiver, event);
        profile->Add(kind, startOfDay, Clock::now() - start);
        return handled;
    }

  private:
    static const char* kindOf(QObject* receiver, QEvent* event) {
        switch (event->type()) {
        case QEvent::UpdateRequest:
        case QEvent::UpdateLater:
        case QEvent::Paint:
            return "paint";
        case QEvent::LayoutRequest:
            return "layout";
        case QEvent::MetaCall:
            // The serial port's "bytes waiting": reading, decoding, the next frame.
            return receiver->objectName() == QLatin1String("Comm1") ? "receive" : "metacall";
        case QEvent::Timer:
            return "timer";
        case QEvent::Expose:
        case QEvent::Show:
        case QEvent::ShowToParent:
        case QEvent::Polish:
        case QEvent::PolishRequest:
        case QEvent::PlatformSurface:
            return "show";
        default:
            return "other";
        }
    }
    int depth_ = 0;
    bool painting_ = false;
};

// Runs the event loop until `done` or the time-out; false on time-out. It
// waits in the event loop, as the program does: `done` looks at the windows'
// state, which only events change. (Spinning on processEvents would keep a
// core busy and starve the simulator and the serial watcher on a 2-core
// machine: the stalls it causes were once taken for the tool's turnaround.)
bool run_until(const std::function<bool()>& done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    QTimer deadlineCheck; // wakes the wait when nothing else happens
    deadlineCheck.start(100);
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void run_for(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &loop,
                       &QEventLoop::quit);
    loop.exec();
}

double cpu_ms() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// CPU of this process over `seconds` of the event loop doing what it does.
void cpu_figure(const std::string& name, double seconds) {
    const double before = cpu_ms();
    const auto start = Clock::now();
    run_for(seconds);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double used = cpu_ms() - before;
    figure(name, used / (wall * 10.0), "%core");
    figure(name + "_ms", used, "ms");
    figure(name + "_window", wall, "s");
}

// ----------------------------------------------------------- the bench

struct Options {
    bool shortMode = false;
    bool verbose = false;
    double idleSeconds = 10;
    int loads = 20;
    std::string sim;
    std::string tool;
    std::string keep;
};

std::string beside_self(const char* name) {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return name;
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + name;
}

class Bench {
  public:
    Bench(BenchApp& app, Options options) : app_(app), o_(std::move(options)) {
        profile_.keepSlices = o_.verbose;
    }

    int Run() {
        if (!dir_.isValid()) return fail("no temporary folder");
        bool ok = Start();
        ok = Session(false) && ok;
        if (!o_.shortMode) ok = Session(true) && ok;
        ok = Connecting() && ok;
        return ok ? 0 : 1;
    }

  private:
    int fail(const char* what) {
        note("bench_tool: %s", what);
        return 1;
    }
    std::string path(const char* name) const {
        return (o_.keep.empty() ? dir_.path().toStdString() : o_.keep) + "/" + name;
    }

    // A simulator with its log; false when it does not start.
    bool StartSim(Process& sim, TrafficLog& log, std::vector<std::string> extra,
                  std::string* device) {
        std::vector<std::string> argv = {o_.sim, "--log", log.Path(), "--log-us"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        if (!sim.Start(argv, {}, true)) return false;
        *device = sim.FirstLine();
        return !device->empty();
    }

    // The real program: start -> ENQ, and its memory once loaded.
    bool Start() {
        note("start: the cam38r5 program against the simulated camera");
        Process sim;
        TrafficLog log(path("start.log"));
        std::string device;
        if (!StartSim(sim, log, {}, &device)) {
            note("cannot start the simulator %s", o_.sim.c_str());
            return false;
        }
        Process tool;
        const double started = time_of_day(Wall::now());
        if (!tool.Start({o_.tool, "--port1", device}, {"QT_QPA_PLATFORM=offscreen"}, false)) {
            note("cannot start %s", o_.tool.c_str());
            return false;
        }
        const auto loaded = [&] { return log.Contains("CAM>PC 02 A0 0C 01 51"); };
        const auto deadline = Clock::now() + std::chrono::seconds(15);
        while (!loaded() && Clock::now() < deadline)
            ::usleep(20'000);
        if (!loaded()) {
            note("cam38r5 did not load the Easy tab within 15 s (see %s)", log.Path().c_str());
            return false;
        }
        ::usleep(500'000); // the window repaints with the values
        std::ifstream status("/proc/" + std::to_string(tool.Pid()) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmHWM:", 0) == 0)
                figure("peak_rss", std::strtod(line.c_str() + 6, nullptr) / 1024.0, "MB");
        tool.Stop();
        for (const Unit& u : log.Read()) {
            if (u.kind == Unit::ToCamera && u.head[0] == 0x05) {
                figure("start_to_enq", later_by(started, u.time) * 1e3, "ms");
                return true;
            }
        }
        note("no ENQ in %s", log.Path().c_str());
        return false;
    }

    // The tool is idle: connected, no load, nothing in flight.
    bool Idle(TF38R5& w) {
        const auto& link = w.Link();
        return link.LinkMode() == cam::TLink::Idle && link.ReplyTimeout() == -1 && w.Trans_chk();
    }

    // Runs `action` with the profile on and reports it as `phase`.
    void Profiled(const std::string& phase, const std::function<void()>& action) {
        profile_.NewPhase();
        app_.profile = &profile_;
        const auto start = Clock::now();
        action();
        app_.profile = nullptr;
        profile_.Report(phase,
                        std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    // A click: the frame it sends starts no turnaround.
    void Act(const std::function<void()>& click) {
        actions_.push_back(time_of_day(Wall::now()));
        click();
    }

    // Turnaround figures, and with --verbose what the window's thread did
    // while the slowest replies waited.
    void Turnarounds(const std::string& name, const std::vector<Exchange>& found) {
        turnaround_figures(name, found);
        if (!o_.verbose) return;
        std::vector<Exchange> slowest = found;
        std::sort(slowest.begin(), slowest.end(),
                  [](const Exchange& a, const Exchange& b) { return a.Total() > b.Total(); });
        for (std::size_t k = 0; k < slowest.size() && k < 5; ++k) {
            const Exchange& e = slowest[k];
            note("  %s: %.2f ms (wait %.2f, decode %.2f) after %s", name.c_str(), e.Total(),
                 later_by(e.reply, e.ack) * 1e3, later_by(e.ack, e.frame) * 1e3, e.text.c_str());
            if (auto seen = profile_.FirstStart("receive", e.reply, e.ack))
                note("    reply noticed by the window's thread after %.2f ms",
                     later_by(e.reply, *seen) * 1e3);
            note("    waiting: %s", profile_.During(e.reply, e.ack).c_str());
            note("    painted: %s", profile_.PaintedDuring(e.reply, e.ack).c_str());
            note("    decoding: %s", profile_.During(e.ack, e.frame).c_str());
            // The reply before: its decoders changed what is painted now.
            const Exchange* before = nullptr;
            for (const Exchange& x : found)
                if (later_by(x.frame, e.reply) >= 0 && (!before || x.frame > before->frame))
                    before = &x;
            if (before)
                note("    changed by the decoders of %s: %s", before->text.c_str(),
                     profile_.ChangedDuring(before->ack, before->frame).c_str());
        }
    }

    // One session of the windows against one simulator: Easy loads, idle,
    // "Camera->PC", "PC->Camera(Batch)".
    bool Session(bool paced) {
        const std::string mode = paced ? "paced" : "unpaced";
        note("session: the windows against the simulated camera, %s", mode.c_str());
        Process sim;
        TrafficLog log(path(paced ? "paced.log" : "unpaced.log"));
        std::string device;
        if (!StartSim(sim, log,
                      paced ? std::vector<std::string>{"--pace", "--pace-in"}
                            : std::vector<std::string>{},
                      &device)) {
            note("cannot start the simulator %s", o_.sim.c_str());
            return false;
        }
        cam::SetPortDevice(1, device);
        cam::SetPortDevice(2, device);
        const double loadLimit = paced ? 30 : 10;
        const double copyLimit = paced ? 120 : 60;

        std::unique_ptr<TApplicationWindows> windows;
        TF38R5* w = nullptr;
        bool loaded = false;
        Profiled(mode + "_first_load", [&] {
            windows = CreateApplicationWindows();
            w = windows->main.get();
            w->show();
            loaded = run_until([&] { return Idle(*w); }, loadLimit);
        });
        if (!loaded) {
            note("the first Easy load did not end within %.0f s (see %s)", loadLimit,
                 log.Path().c_str());
            return false;
        }
        settle();
        auto units = log.Read();
        if (!paced) {
            // The camera's greeting answered -> the first command of the load.
            for (std::size_t i = 0; i + 1 < units.size(); ++i) {
                if (units[i].kind == Unit::FromCamera && units[i].head[0] == 0x06) {
                    for (std::size_t j = i + 1; j < units.size(); ++j) {
                        if (units[j].kind == Unit::ToCamera && is_frame(units[j])) {
                            figure("connect_to_first_command",
                                   later_by(units[i].time, units[j].time) * 1e3, "ms");
                            if (o_.verbose) {
                                const double from = units[i].time, to = units[j].time;
                                note("  connect_to_first_command: %s; painted: %s",
                                     profile_.During(from, to).c_str(),
                                     profile_.PaintedDuring(from, to).c_str());
                            }
                            break;
                        }
                    }
                    break;
                }
            }
            Turnarounds("easy_first_load", exchanges(units, 0, units.size(), actions_));
        }

        // More loads of the Easy tab, each by Camera > Load (the load the
        // connection starts has figures of its own).
        const std::size_t loadsFrom = units.size();
        const int loads = paced ? 2 : o_.loads;
        bool ok = true;
        Profiled(mode + "_loads", [&] {
            for (int k = 0; k < loads && ok; ++k) {
                Act([&] { w->ReLoadClick(); });
                ok = run_until([&] { return Idle(*w); }, loadLimit);
            }
        });
        if (!ok) {
            note("an Easy load did not end (see %s)", log.Path().c_str());
            return false;
        }
        settle();
        units = log.Read();
        if (!paced) Turnarounds("easy", exchanges(units, loadsFrom, units.size(), actions_));

        if (!paced) cpu_figure("cpu_idle_connected", o_.idleSeconds);

        // The development tabs, by the access code; then the Copy page.
        if (auto* pwl = w->findChild<QLineEdit*>(QStringLiteral("pwl"))) pwl->setText("qzvt");
        Act([&] { w->ShowCopyPage(); });
        if (!run_until([&] { return Idle(*w); }, loadLimit)) {
            note("the Copy page did not load");
            return false;
        }
        auto* copy = w->findChild<TCopyTab*>(QStringLiteral("Panel7"));
        if (!copy) {
            note("no Copy page (Panel7)");
            return false;
        }
        const QString file = QString::fromStdString(path(paced ? "paced.dat" : "unpaced.dat"));
        QFile::remove(file);
        copy->SetDialogRunner([file](TCopyFileDialog& dialog) {
            dialog.FileName = file;
            return true;
        });
        copy->SetQuestion([](const QString&) { return true; });
        settle();

        // Camera->PC: 1024 words; the seconds from the click to the tool's
        // last byte, or nothing when the copy did not finish.
        auto copyToPc = [&](const std::string& phase) -> std::optional<double> {
            const std::size_t from = log.Count();
            const double clicked = time_of_day(Wall::now());
            bool done = false;
            Profiled(mode + "_" + phase, [&] {
                Act([&] { copy->CtopOK2Click(); });
                done = run_until([&] { return !copy->CopyRunning() && Idle(*w); }, copyLimit);
            });
            if (!done || !QFile::exists(file)) {
                note("\"Camera->PC\" did not finish (see %s)", log.Path().c_str());
                return std::nullopt;
            }
            settle();
            const auto found = log.Read();
            if (!paced) Turnarounds(phase, exchanges(found, from, found.size(), actions_));
            return ratio_figures(phase + "_" + mode, found, from, clicked);
        };
        std::size_t from = log.Count();
        const auto closed = copyToPc("copy");
        if (!closed) return false;
        units = log.Read();
        if (paced) {
            // Reply stamped when handed to the line (its last byte leaves 20
            // byte times later), command when its 19th byte has arrived: the
            // reply's last byte out -> the command's first byte in, of which
            // the tool's ACK and that first byte take two byte times.
            std::vector<double> line;
            for (const Exchange& e : exchanges(units, from, units.size(), actions_))
                line.push_back(e.Total() - 38 * kByteSeconds * 1e3);
            figure("copy_paced_turnaround_median", percentile(line, 0.5), "ms");
            figure("copy_paced_turnaround_p99", percentile(line, 0.99), "ms");
            figure("copy_paced_turnaround_floor", 2 * kByteSeconds * 1e3, "ms");
        }

        // The same copy with the traffic inspector open and following: it
        // must add nothing a technician could notice.
        w->TrafficClick();
        settle();
        const auto open = copyToPc("copy_inspector");
        if (!open) return false;
        figure("copy_inspector_" + mode + "_over_closed", *open / *closed, "x");
        if (auto* inspector = w->TrafficWindow()) inspector->hide();

        // PC->Camera(Batch): the file just written as one bulk image, then the reset.
        from = log.Count();
        const double clicked = time_of_day(Wall::now());
        Profiled(mode + "_batch", [&] {
            Act([&] { copy->ptocOk2Click(); });
            ok = run_until([&] { return !copy->CopyRunning() && Idle(*w); }, copyLimit);
        });
        if (!ok) {
            note("\"PC->Camera(Batch)\" did not finish (see %s)", log.Path().c_str());
            return false;
        }
        settle();
        units = log.Read();
        ratio_figures("batch_" + mode, units, from, clicked);
        windows.reset();
        return true;
    }

    // Click -> the last unit from the tool, over the line time of every byte
    // exchanged up to that unit.
    // Returns that time, 0 when the tool sent nothing.
    double ratio_figures(const std::string& name, const std::vector<Unit>& units, std::size_t from,
                         double clicked) {
        std::size_t last = units.size();
        for (std::size_t i = from; i < units.size(); ++i)
            if (units[i].kind == Unit::ToCamera) last = i;
        if (last == units.size()) return 0;
        std::size_t bytes = 0;
        for (std::size_t i = from; i <= last; ++i)
            if (units[i].kind != Unit::Event) bytes += units[i].size;
        const double span = later_by(clicked, units[last].time);
        const double limit = static_cast<double>(bytes) * kByteSeconds;
        figure(name + "_ratio", span / limit, "x");
        figure(name + "_seconds", span, "s");
        figure(name + "_line_limit", limit, "s");
        figure(name + "_bytes", static_cast<double>(bytes), "bytes");
        return span;
    }

    // Looking for a camera that never answers.
    bool Connecting() {
        note("connecting: the windows against a silent camera");
        Process sim;
        TrafficLog log(path("silent.log"));
        std::string device;
        if (!StartSim(sim, log, {"--silent"}, &device)) {
            note("cannot start the simulator %s", o_.sim.c_str());
            return false;
        }
        cam::SetPortDevice(1, device);
        cam::SetPortDevice(2, device);
        auto windows = CreateApplicationWindows();
        windows->main->show();
        run_for(0.3); // the first paint
        cpu_figure("cpu_idle_connecting", o_.idleSeconds);
        const bool connecting = windows->main->Link().LinkMode() == cam::TLink::Connecting;
        windows.reset();
        if (!connecting) note("the tool left the connecting state against a silent camera");
        return connecting;
    }

    // Lets the simulator log what is on its way.
    void settle() { run_for(0.05); }

    BenchApp& app_;
    Options o_;
    Profile profile_;
    std::vector<double> actions_; // times of day of the clicks
    QTemporaryDir dir_;
};

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Options o;
    o.sim = beside_self("cam38r5-sim");
    o.tool = beside_self("cam38r5");
    bool idleGiven = false, loadsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--short") {
            o.shortMode = true;
        } else if (a == "--verbose" || a == "-v") {
            o.verbose = true;
        } else if (a == "--idle" && more) {
            o.idleSeconds = std::max(0.1, std::atof(argv[++i]));
            idleGiven = true;
        } else if (a == "--loads" && more) {
            o.loads = std::max(1, std::atoi(argv[++i]));
            loadsGiven = true;
        } else if (a == "--sim" && more) {
            o.sim = argv[++i];
        } else if (a == "--tool" && more) {
            o.tool = argv[++i];
        } else if (a == "--keep" && more) {
            o.keep = argv[++i];
        } else {
            std::fprintf(
                stderr,
                "usage: %s [--short] [--verbose] [--idle SECONDS] [--loads N] [--keep DIR] "
                "[--sim PROGRAM] [--tool PROGRAM]\n",
                argv[0]);
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    if (o.shortMode) {
        if (!idleGiven) o.idleSeconds = 1.5;
        if (!loadsGiven) o.loads = 3;
    }
    if (!o.keep.empty()) QDir().mkpath(QString::fromStdString(o.keep));
    BenchApp app(argc, argv);
    return Bench(app, o).Run();
}
