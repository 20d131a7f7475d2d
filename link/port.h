#pragma once
// What the link needs of a serial port. TComm is the real one; tests use an
// in-memory port.

#include <cstdint>
#include <functional>

namespace cam {

class IPort {
  public:
    virtual ~IPort() = default;
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual void SetPort(std::uint8_t port) = 0;
    virtual std::uint8_t Port() const = 0;
    virtual void SetBaudRate(std::int32_t rate) = 0;
    // Blocks until the bytes are handed to the driver; throws ECommError.
    virtual void Write(const void* buffer, std::uint32_t count) = 0;
    // Returns the number of bytes actually read.
    virtual std::uint32_t Read(void* buffer, std::uint32_t count) = 0;
    virtual bool DsrState() const = 0;
    // Called on the owner's thread with the count of waiting bytes.
    std::function<void(std::uint16_t size)> OnCommReceive;
};

} // namespace cam
