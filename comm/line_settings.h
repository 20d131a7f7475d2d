#pragma once
// The line settings of the component applied to a termios record, one helper
// per field. Pure functions: the caller reads the record from the device and
// writes it back. A helper that returns false left the record unchanged
// because the terminal interface cannot express the value.

#include "comm/comm_types.h"

#include <cstdint>
#include <termios.h>

namespace cam {

// Raw byte transfer: no echo, no line editing, no character translation,
// VMIN = VTIME = 0 (reads never block in the driver; the time-outs are ours),
// receiver on, modem control lines ignored for open/read (CLOCAL), and HUPCL
// cleared so closing the device does not drop the lines behind our back.
void make_raw_line(termios& t);

// The effective rate: BaudRate, or BaudRateUserDefined when BaudRate is -1.
std::int64_t effective_rate(std::int32_t baud_rate, std::uint16_t user_defined);
// Linux speed code of a rate in bit/s; false for a rate without one
// (14400, 56000, 128000, 256000, ...).
bool speed_of_rate(std::int64_t rate, speed_t& speed);
// Rate in bit/s of a speed code, 0 if unknown.
std::int64_t rate_of_speed(speed_t speed);

bool set_line_rate(termios& t, std::int64_t rate);
// cbs4 has no terminal equivalent.
bool set_line_byte_size(termios& t, TCommByteSize size);
// Mark and space use CMSPAR. Input parity checking is on whenever a parity
// bit is sent.
void set_line_parity(termios& t, TCommParityBits parity);
// 1.5 stop bits do not exist on the terminal interface: 2 are used, as a
// UART does for 1.5 with more than 5 data bits.
void set_line_stop_bits(termios& t, TCommStopBits stop);
// cfcRtsCts: CRTSCTS (c_cflag). cfcXonXoff: IXON | IXOFF with XON 0x11 and
// XOFF 0x13. cfcDtrDsr has no terminal equivalent; DTR then stays raised as
// it is without the handshake. Holding RTS on without cfcRtsCts is a modem
// line operation and done by the component on the device.
void set_line_flow_control(termios& t, TCommFlowControls flow);
// The receive threshold as VMIN with VTIME 0: poll() then reports the device
// readable only once `bytes` are waiting (at most 255), while a non-blocking
// read still returns at once with what is there. 1 (or 0) is VMIN 0.
void set_line_receive_minimum(termios& t, std::uint32_t bytes);

// The XOFF and XON thresholds the component's properties describe (bytes
// of room left in the input queue, bytes in it), both truncated to 16 bits
// (4096 - 7168 wraps to 62464).
std::uint16_t xoff_limit(std::uint16_t in_queue_size, std::int32_t receive_notify_size);
std::uint16_t xon_limit(std::int32_t send_notify_size);

} // namespace cam
