#include "comm/comm_errors.h"

namespace cam {

ECommOpenError::ECommOpenError(int code)
    : ECommError("オープンエラー ErrorCode = " + std::to_string(code)), ErrorCode(code) {}

ECommReadWriteError::ECommReadWriteError(int code)
    : ECommError("入出力エラー ErrorCode = " + std::to_string(code)), ErrorCode(code) {}

} // namespace cam
