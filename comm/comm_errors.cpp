#include "comm/comm_errors.h"

#include <cerrno>
#include <cstring>

namespace cam {

ECommOpenError::ECommOpenError(int code, int cause)
    : ECommError("オープンエラー ErrorCode = " + std::to_string(code)), ErrorCode(code),
      Cause(cause) {}

ECommReadWriteError::ECommReadWriteError(int code)
    : ECommError("入出力エラー ErrorCode = " + std::to_string(code)), ErrorCode(code) {}

std::string OpenFailureReason(int cause) {
    switch (cause) {
    case 0:
        return "the device could not be opened";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "no such device";
    case EACCES:
    case EPERM:
        return "permission denied: add your user to the dialout group";
    case EBUSY:
    case EWOULDBLOCK:
        return "in use by another program";
    case ENOTTY:
        return "not a serial device";
    default:
        return std::strerror(cause);
    }
}

bool MeansDeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE;
}

} // namespace cam
