// Line settings on a termios record, the XON/XOFF limits, the port map and
// the exception texts.

#include "comm/comm_errors.h"
#include "comm/line_settings.h"
#include "comm/port_map.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace cam {
namespace {

termios RawLine() {
    termios t{};
    make_raw_line(t);
    return t;
}

TEST(LineSettings, RatesWithASpeedCodeAreSetOthersLeaveTheRecord) {
    const struct {
        std::int64_t rate;
        bool supported;
        speed_t speed;
    } cases[] = {
        {110, true, B110},       {300, true, B300},      {1200, true, B1200},
        {9600, true, B9600},     {19200, true, B19200},  {38400, true, B38400},
        {115200, true, B115200}, {14400, false, B9600},  {56000, false, B9600},
        {128000, false, B9600},  {256000, false, B9600}, {0, false, B9600},
        {-1, false, B9600},      {9601, false, B9600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        termios t = RawLine();
        ASSERT_TRUE(set_line_rate(t, 9600));
        EXPECT_EQ(set_line_rate(t, c.rate), c.supported);
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(cfgetispeed(&t), c.speed);
        if (c.supported) {
            EXPECT_EQ(rate_of_speed(c.speed), c.rate);
        }
    }
}

TEST(LineSettings, UserDefinedRateIsUsedOnlyForMinusOne) {
    EXPECT_EQ(effective_rate(9600, 2400), 9600);
    EXPECT_EQ(effective_rate(-1, 2400), 2400);
    EXPECT_EQ(effective_rate(-1, 65535), 65535);
    EXPECT_EQ(effective_rate(-2, 2400), -2);
}

TEST(LineSettings, ByteSizes) {
    const struct {
        TCommByteSize size;
        bool supported;
        tcflag_t bits;
    } cases[] = {
        {cbs4, false, CS8}, {cbs5, true, CS5}, {cbs6, true, CS6},
        {cbs7, true, CS7},  {cbs8, true, CS8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.size));
        termios t = RawLine(); // CS8
        EXPECT_EQ(set_line_byte_size(t, c.size), c.supported);
        EXPECT_EQ(t.c_cflag & CSIZE, c.bits);
    }
}

TEST(LineSettings, ParityAndStopBits) {
    const struct {
        TCommParityBits parity;
        tcflag_t cflag;
        bool checked;
    } parities[] = {
        {cpbNone, 0, false},
        {cpbOdd, PARENB | PARODD, true},
        {cpbEven, PARENB, true},
        {cpbMark, PARENB | PARODD | CMSPAR, true},
        {cpbSpace, PARENB | CMSPAR, true},
    };
    for (const auto& from : parities) {
        for (const auto& c : parities) {
            SCOPED_TRACE(testing::Message() << int(from.parity) << " -> " << int(c.parity));
            termios t = RawLine();
            set_line_parity(t, from.parity);
            set_line_parity(t, c.parity);
            EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.cflag);
            EXPECT_EQ((t.c_iflag & INPCK) != 0, c.checked);
            EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        }
    }
    const struct {
        TCommStopBits stop;
        bool two;
    } stops[] = {{csb1, false}, {csb15, true}, {csb2, true}, {csb1, false}};
    termios t = RawLine();
    for (const auto& c : stops) {
        set_line_stop_bits(t, c.stop);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.two) << int(c.stop);
    }
}

TEST(LineSettings, FlowControls) {
    const struct {
        TCommFlowControls flow;
        bool rtscts;
        bool xonxoff;
    } cases[] = {
        {{}, false, false},          {{cfcRtsCts}, true, false},
        {{cfcXonXoff}, false, true}, {{cfcRtsCts, cfcXonXoff}, true, true},
        {{cfcDtrDsr}, false, false}, {{cfcDtrDsr, cfcRtsCts}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flow.Bits());
        termios t = RawLine();
        t.c_cflag |= CRTSCTS;
        t.c_iflag |= IXON | IXOFF | IXANY;
        set_line_flow_control(t, c.flow);
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.rtscts);
        EXPECT_EQ((t.c_iflag & IXON) != 0, c.xonxoff);
        EXPECT_EQ((t.c_iflag & IXOFF) != 0, c.xonxoff);
        EXPECT_FALSE(t.c_iflag & IXANY);
        EXPECT_EQ(t.c_cc[VSTART], 0x11);
        EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    }
}

TEST(LineSettings, XonXoffLimitsAreTruncatedTo16Bits) {
    EXPECT_EQ(xoff_limit(4096, 3072), 1024);
    EXPECT_EQ(xoff_limit(4096, 7168), 62464); // the main window's values
    EXPECT_EQ(xoff_limit(0, 0), 0);
    EXPECT_EQ(xon_limit(1024), 1024);
    EXPECT_EQ(xon_limit(8192), 8192);
    EXPECT_EQ(xon_limit(70000), 70000 - 65536);
    EXPECT_EQ(xon_limit(-1), 65535);
}

TEST(CommSets, MembersAndBits) {
    TCommEventMask m{evRxchar, evPerr};
    EXPECT_EQ(m.Bits(), 0x201);
    EXPECT_TRUE(m.Has(evPerr));
    EXPECT_FALSE(m.Has(evCts));
    m.Include(evCts).Exclude(evRxchar);
    EXPECT_EQ(m.Bits(), 0x208);
    EXPECT_EQ((m & TCommEventMask{evCts, evDsr}), TCommEventMask{evCts});
    EXPECT_TRUE(TCommFlowControls{}.Empty());
}

TEST(PortMap, SettingThenEnvironmentThenDefault) {
    ::unsetenv("CAM38R5_PORT1");
    ::unsetenv("CAM38R5_PORT2");
    SetPortDevice(1, {});
    SetPortDevice(2, {});
    EXPECT_EQ(PortDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(PortDevicePath(2), "/dev/ttyS1");
    EXPECT_EQ(PortDevicePath(0), "");

    ::setenv("CAM38R5_PORT2", "/tmp/cam-pty-2", 1);
    EXPECT_EQ(PortDevicePath(2), "/tmp/cam-pty-2");
    EXPECT_EQ(PortDevicePath(1), "/dev/ttyS0");
    ::setenv("CAM38R5_PORT2", "", 1); // empty is unset
    EXPECT_EQ(PortDevicePath(2), "/dev/ttyS1");

    ::setenv("CAM38R5_PORT1", "/tmp/from-env", 1);
    SetPortDevice(1, "/dev/pts/77");
    EXPECT_EQ(PortDevicePath(1), "/dev/pts/77");
    SetPortDevice(1, {});
    EXPECT_EQ(PortDevicePath(1), "/tmp/from-env");
    ::unsetenv("CAM38R5_PORT1");
    ::unsetenv("CAM38R5_PORT2");
}

TEST(CommErrors, MessagesAndCodes) {
    const struct {
        int code;
        const char* open_text;
        const char* io_text;
    } cases[] = {
        {-1, "オープンエラー ErrorCode = -1", "入出力エラー ErrorCode = -1"},
        {-2, "オープンエラー ErrorCode = -2", "入出力エラー ErrorCode = -2"},
        {5, "オープンエラー ErrorCode = 5", "入出力エラー ErrorCode = 5"},
    };
    for (const auto& c : cases) {
        const ECommOpenError open_error(c.code);
        const ECommReadWriteError io_error(c.code);
        EXPECT_EQ(open_error.ErrorCode, c.code);
        EXPECT_EQ(io_error.ErrorCode, c.code);
        EXPECT_STREQ(open_error.what(), c.open_text);
        EXPECT_STREQ(io_error.what(), c.io_text);
        EXPECT_EQ(open_error.Message(), QString::fromUtf8(c.open_text));
        // Both are caught as the base class and as std::runtime_error.
        try {
            throw ECommOpenError(c.code);
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.open_text);
        }
    }
    EXPECT_EQ(ECommError(kCommNotOpenText).Message(), QStringLiteral("通信が開始されていない。"));
}

} // namespace
} // namespace cam
