#pragma once
// Starts the simulated camera program on a pseudo-terminal for a test and
// stops it again. The device path is the program's first line of output.

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> options) {
        char logTemplate[] = "/tmp/cam38r5-e2e-XXXXXX";
        const int fd = mkstemp(logTemplate);
        if (fd >= 0) close(fd);
        logPath_ = logTemplate;
        options.insert(options.begin(), {"--log", logPath_});
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv{const_cast<char*>(CAM_SIM_BINARY)};
            for (auto& o : options) argv.push_back(o.data());
            argv.push_back(nullptr);
            execv(CAM_SIM_BINARY, argv.data());
            _exit(127);
        }
        close(out[1]);
        // Read the first line, waiting at most five seconds.
        pollfd p{out[0], POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 5000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') device_ += c;
        close(out[0]);
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        unlink(logPath_.c_str());
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& Device() const { return device_; }
    const std::string& LogPath() const { return logPath_; }
    std::string Log() const {
        std::string text;
        if (FILE* f = std::fopen(logPath_.c_str(), "r")) {
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
            std::fclose(f);
        }
        return text;
    }

    // The log once it has stopped growing for `quietMs` (the simulator writes
    // it from a thread of its own, a little after the bytes went out).
    std::string SettledLog(int quietMs = 100, int timeoutMs = 3000) const {
        std::string text = Log();
        for (int waited = 0, quiet = 0; quiet < quietMs && waited < timeoutMs; waited += 10) {
            poll(nullptr, 0, 10);
            std::string now = Log();
            quiet = now.size() == text.size() ? quiet + 10 : 0;
            text = std::move(now);
        }
        return text;
    }

private:
    pid_t pid_ = -1;
    std::string device_;
    std::string logPath_;
};
