// Opening, closing, exclusivity and the line settings on the device.

#include "comm/comm.h"
#include "comm_test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>

namespace cam::test {
namespace {

using OpenTest = PtyTest;

termios DeviceLine(const TComm& comm) {
    termios t{};
    EXPECT_EQ(::tcgetattr(comm.Handle(), &t), 0);
    return t;
}

speed_t DeviceSpeed(const TComm& comm) {
    const termios t = DeviceLine(comm);
    return cfgetospeed(&t);
}

// Runs `test_comm --try-open DEVICE` and returns its exit code.
int OpenFromAnotherProcess(const std::string& device) {
    std::string self = "/proc/self/exe";
    std::string flag = "--try-open";
    std::string dev = device;
    char* args[] = {self.data(), flag.data(), dev.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, args, environ) != 0) return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(OpenTest, OpensAndClosesTwice) {
    TComm comm;
    for (int round = 0; round < 2; ++round) {
        comm.Open();
        ASSERT_TRUE(comm.IsOpen());
        EXPECT_GE(comm.Handle(), 0);
        comm.Close();
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(comm.Handle(), -1);
        comm.Close(); // closing a closed port does nothing
        EXPECT_FALSE(comm.IsOpen());
    }
}

TEST_F(OpenTest, SecondOpenLeavesTheFirstOpeningUntouched) {
    TComm comm;
    comm.Open();
    const int fd = comm.Handle();
    comm.Open();
    EXPECT_EQ(comm.Handle(), fd);
    // Still the exclusive owner, and still working.
    TComm other;
    EXPECT_THROW(other.Open(), ECommOpenError);
    const std::uint8_t byte = 0x05;
    comm.Write(&byte, 1);
    EXPECT_EQ(pty_.Receive(1), std::vector<std::uint8_t>{0x05});
}

TEST_F(OpenTest, AnotherProcessCannotOpenTheDeviceWhileItIsOpen) {
    TComm comm;
    comm.Open();
    EXPECT_EQ(OpenFromAnotherProcess(pty_.Slave()), 3);
    comm.Close();
    EXPECT_EQ(OpenFromAnotherProcess(pty_.Slave()), 0);
}

TEST_F(OpenTest, FailedOpensRaiseErrorMinusOneAndLeakNoDescriptor) {
    TComm holder;
    holder.Open(); // makes the pty slave busy
    const struct {
        const char* what;
        std::uint8_t port;
        std::string device;
        const char* reason; // what the technician is told
    } cases[] = {
        {"missing device", 1, "/nonexistent/ttyCAM", "no such device"},
        {"not a terminal", 1, "/dev/null", "not a serial device"},
        {"device in use", 1, pty_.Slave(), "in use by another program"},
        {"no device for port 0", 0, "", "no such device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetPortDevice(c.port, c.device);
        TComm comm;
        comm.SetPort(c.port);
        const int before = OpenDescriptorCount();
        try {
            comm.Open();
            ADD_FAILURE() << "opened";
        } catch (const ECommOpenError& e) {
            EXPECT_EQ(e.ErrorCode, -1);
            EXPECT_STREQ(e.what(), "オープンエラー ErrorCode = -1");
        }
        EXPECT_EQ(comm.LastOpenFailure(), c.reason);
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(OpenDescriptorCount(), before);
    }
}

TEST_F(OpenTest, OpenAppliesRaw8N1WithRtsCtsAndNoHangupOnClose) {
    TComm comm;
    comm.Open();
    const termios t = DeviceLine(comm);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    const struct {
        const char* name;
        tcflag_t flags;
        tcflag_t mask;
        bool set;
    } flags[] = {
        {"CRTSCTS", t.c_cflag, CRTSCTS, true}, {"CLOCAL", t.c_cflag, CLOCAL, true},
        {"CREAD", t.c_cflag, CREAD, true},     {"HUPCL", t.c_cflag, HUPCL, false},
        {"PARENB", t.c_cflag, PARENB, false},  {"CSTOPB", t.c_cflag, CSTOPB, false},
        {"ICANON", t.c_lflag, ICANON, false},  {"ECHO", t.c_lflag, ECHO, false},
        {"ISIG", t.c_lflag, ISIG, false},      {"ICRNL", t.c_iflag, ICRNL, false},
        {"IXON", t.c_iflag, IXON, false},      {"OPOST", t.c_oflag, OPOST, false},
    };
    for (const auto& f : flags)
        EXPECT_EQ((f.flags & f.mask) != 0, f.set) << f.name;
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST_F(OpenTest, BaudRateTakesEffectAtOnceWhenOpenAndAtNextOpenWhenClosed) {
    TComm comm;
    comm.Open();
    comm.SetBaudRate(19200);
    EXPECT_EQ(DeviceSpeed(comm), static_cast<speed_t>(B19200));
    comm.SetBaudRate(14400); // no such rate on this system: refused, not reported
    EXPECT_EQ(DeviceSpeed(comm), static_cast<speed_t>(B19200));
    comm.Close();

    comm.SetBaudRate(4800);
    EXPECT_EQ(comm.BaudRate(), 4800);
    comm.Open();
    EXPECT_EQ(DeviceSpeed(comm), static_cast<speed_t>(B4800));
    comm.Close();

    comm.SetBaudRate(-1);
    comm.SetBaudRateUserDefined(2400);
    comm.Open();
    EXPECT_EQ(DeviceSpeed(comm), static_cast<speed_t>(B2400));
}

// A pseudo-terminal keeps 8 data bits and no parity whatever it is told, so
// only stop bits and flow control show here; the termios records of the
// other settings are checked in line_settings_test.cpp.
TEST_F(OpenTest, LineSettersChangeTheOpenDevice) {
    TComm comm;
    comm.Open();
    comm.SetStopBits(csb2);
    comm.SetFlowControls({cfcXonXoff});
    termios t = DeviceLine(comm);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);

    // Values set while closed are applied by Open.
    comm.Close();
    comm.SetStopBits(csb1);
    comm.SetFlowControls({cfcRtsCts});
    comm.Open();
    t = DeviceLine(comm);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & IXON);
    comm.Close();
    comm.SetStopBits(csb15);
    comm.SetFlowControls({cfcRtsCts, cfcXonXoff});
    comm.Open();
    t = DeviceLine(comm);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXOFF);
}

TEST_F(OpenTest, DsrStateIsFalseWhenClosedAndTrueOnAnOpenPty) {
    TComm comm;
    EXPECT_FALSE(comm.DsrState());
    comm.Open();
    EXPECT_TRUE(comm.DsrState());
    comm.Close();
    EXPECT_FALSE(comm.DsrState());
}

TEST(CommDefaults, PropertiesStartWithTheirDefaults) {
    TComm comm;
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.Port(), 1);
    EXPECT_EQ(comm.BaudRate(), 9600);
    EXPECT_EQ(comm.BaudRateUserDefined(), 9600);
    EXPECT_EQ(comm.ParityBits(), cpbNone);
    EXPECT_EQ(comm.ByteSize(), cbs8);
    EXPECT_EQ(comm.StopBits(), csb1);
    EXPECT_EQ(comm.FlowControls(), TCommFlowControls{cfcRtsCts});
    EXPECT_EQ(comm.InQueueSize(), 4096);
    EXPECT_EQ(comm.OutQueueSize(), 4096);
    EXPECT_EQ(comm.ReceiveNotifySize(), 3072);
    EXPECT_EQ(comm.SendNotifySize(), 1024);
    EXPECT_TRUE(comm.EventMask().Empty());
    EXPECT_EQ(comm.XoffLimit(), 1024);
    EXPECT_EQ(comm.XonLimit(), 1024);
}

} // namespace
} // namespace cam::test

namespace cam::test {
namespace {

// A device the user may not open: run as an ordinary user (root opens
// anything), in a child process so that the test program keeps its rights.
TEST(OpenPermission, ADeviceWithoutRightsNamesTheDialoutGroup) {
    char path[] = "/tmp/cam38r5-noaccess-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ::chmod(path, 0);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(out[0]);
        if (::geteuid() == 0 && ::setuid(65534) != 0) _exit(2);
        SetPortDevice(1, path);
        TComm comm;
        try {
            comm.Open();
        } catch (const ECommOpenError&) {
        }
        const std::string reason = comm.LastOpenFailure();
        [[maybe_unused]] const ssize_t n = ::write(out[1], reason.data(), reason.size());
        _exit(0);
    }
    ::close(out[1]);
    std::string reason;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        reason.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::unlink(path);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(reason, "permission denied: add your user to the dialout group");
}

} // namespace
} // namespace cam::test
