#include "comm/line_settings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace cam {
namespace {

constexpr std::array<std::pair<std::int64_t, speed_t>, 31> kSpeeds{{
    {50, B50},
    {75, B75},
    {110, B110},
    {134, B134},
    {150, B150},
    {200, B200},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {1800, B1800},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
    {460800, B460800},
    {500000, B500000},
    {576000, B576000},
    {921600, B921600},
    {1000000, B1000000},
    {1152000, B1152000},
    {1500000, B1500000},
    {2000000, B2000000},
    {2500000, B2500000},
    {3000000, B3000000},
    {3500000, B3500000},
    {4000000, B4000000},
    {0, B0},
}};

} // namespace

void make_raw_line(termios& t) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

void set_line_receive_minimum(termios& t, std::uint32_t bytes) {
    t.c_cc[VMIN] = static_cast<cc_t>(bytes > 1 ? std::min<std::uint32_t>(bytes, 255) : 0);
    t.c_cc[VTIME] = 0;
}

std::int64_t effective_rate(std::int32_t baud_rate, std::uint16_t user_defined) {
    return baud_rate == -1 ? static_cast<std::int64_t>(user_defined) : baud_rate;
}

bool speed_of_rate(std::int64_t rate, speed_t& speed) {
    if (rate <= 0) return false;
    for (const auto& [r, s] : kSpeeds) {
        if (r == rate) {
            speed = s;
            return true;
        }
    }
    return false;
}

std::int64_t rate_of_speed(speed_t speed) {
    for (const auto& [r, s] : kSpeeds)
        if (s == speed) return r;
    return 0;
}

bool set_line_rate(termios& t, std::int64_t rate) {
    speed_t speed{};
    if (!speed_of_rate(rate, speed)) return false;
    termios copy = t;
    if (cfsetispeed(&copy, speed) != 0 || cfsetospeed(&copy, speed) != 0) return false;
    t = copy;
    return true;
}

bool set_line_byte_size(termios& t, TCommByteSize size) {
    tcflag_t bits = 0;
    switch (size) {
    case cbs5:
        bits = CS5;
        break;
    case cbs6:
        bits = CS6;
        break;
    case cbs7:
        bits = CS7;
        break;
    case cbs8:
        bits = CS8;
        break;
    default:
        return false;
    }
    t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | bits;
    return true;
}

void set_line_parity(termios& t, TCommParityBits parity) {
    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IGNPAR | PARMRK);
    switch (parity) {
    case cpbNone:
        return;
    case cpbOdd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case cpbEven:
        t.c_cflag |= PARENB;
        break;
    case cpbMark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case cpbSpace:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    t.c_iflag |= INPCK;
}

void set_line_stop_bits(termios& t, TCommStopBits stop) {
    if (stop == csb1)
        t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    else
        t.c_cflag |= CSTOPB;
}

void set_line_flow_control(termios& t, TCommFlowControls flow) {
    if (flow.Has(cfcRtsCts))
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (flow.Has(cfcXonXoff)) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
}

std::uint16_t xoff_limit(std::uint16_t in_queue_size, std::int32_t receive_notify_size) {
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(in_queue_size) -
                                      receive_notify_size);
}

std::uint16_t xon_limit(std::int32_t send_notify_size) {
    return static_cast<std::uint16_t>(send_notify_size);
}

} // namespace cam
