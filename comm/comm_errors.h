#pragma once
// Exceptions of the serial port component. The message is UTF-8 (what());
// Message() gives it as a QString for the exception display.

#include <QString>
#include <stdexcept>
#include <string>

namespace cam {

class ECommError : public std::runtime_error {
  public:
    explicit ECommError(const std::string& message) : std::runtime_error(message) {}
    QString Message() const { return QString::fromUtf8(what()); }
};

// "オープンエラー ErrorCode = %d": -1 when the device cannot be opened, -2
// when the watcher's wake-up descriptor or thread cannot be created.
class ECommOpenError : public ECommError {
  public:
    // `cause` is the errno of the call that failed (0 when none applies).
    explicit ECommOpenError(int code, int cause = 0);
    int ErrorCode;
    int Cause;
};

// Why a device could not be opened, in plain words for the technician:
// "no such device", "permission denied: add your user to the dialout group",
// "in use by another program", "not a serial device", else the system's text.
std::string OpenFailureReason(int cause);
// True for the errors that mean the device itself went away (a USB adapter
// pulled, the far end of a pseudo-terminal closed).
bool MeansDeviceGone(int error);

// "入出力エラー ErrorCode = %d" with the errno of the failed call.
class ECommReadWriteError : public ECommError {
  public:
    explicit ECommReadWriteError(int code);
    int ErrorCode;
};

// Fixed texts of the plain ECommError cases.
inline constexpr const char* kCommNotOpenText = "通信が開始されていない。";
inline constexpr const char* kCommTooLongText = "送信データ長が長すぎる。";

} // namespace cam
