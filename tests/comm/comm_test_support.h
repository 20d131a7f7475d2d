#pragma once
// Helpers of the serial port tests: a pseudo-terminal pair whose master side
// plays the camera, event pumping with a deadline, CPU time and descriptor
// counts.

#include "comm/port_map.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace cam::test {

class PtyPair {
  public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0) return;
        char name[128] = {};
        if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0) {
            ::close(master_);
            master_ = -1;
            return;
        }
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        slave_ = name;
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& Slave() const { return slave_; }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    // The camera side sends bytes.
    void Send(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // The camera side receives until `count` bytes have come or the deadline.
    std::vector<std::uint8_t> Receive(std::size_t count, int timeout_ms = 3000) const {
        std::vector<std::uint8_t> got;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        std::uint8_t buf[4096];
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                got.insert(got.end(), buf, buf + n);
                continue;
            }
            pollfd p{master_, POLLIN, 0};
            ::poll(&p, 1, 10);
        }
        return got;
    }

  private:
    int master_ = -1;
    std::string slave_;
};

// Fixture: a pty pair whose slave is port 1.
class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!pty_.Ok()) GTEST_SKIP() << "no pseudo-terminal on this machine";
        SetPortDevice(1, pty_.Slave());
    }
    void TearDown() override { SetPortDevice(1, {}); }

    PtyPair pty_;
};

// Runs the event loop until `done` or the deadline; false on time-out.
template <typename Pred> bool PumpUntil(Pred done, int timeout_ms = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        ::poll(nullptr, 0, 2);
    }
    return true;
}

// Runs the event loop for a while (to show that something does NOT happen).
inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

// User plus system CPU time of the whole process, in milliseconds.
inline double ProcessCpuMs() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

inline int OpenDescriptorCount() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n;
}

} // namespace cam::test
