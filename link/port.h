#pragma once
// What the link needs of a serial port. TComm is the real one; tests use an
// in-memory port.

#include <cstdint>
#include <functional>
#include <string>

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
    // Bytes received and not read yet.
    virtual std::uint32_t Waiting() const { return 0; }
    // The device behind the port, for messages (empty when unknown).
    virtual std::string DeviceName() const { return {}; }
    // Why the last Open failed, in plain words (empty when it did not).
    virtual std::string LastOpenFailure() const { return {}; }
    // Whether port number `port` is worth trying while the camera is looked
    // for: its device was named, or its default device exists.
    virtual bool WorthTrying(std::uint8_t port) const {
        (void)port;
        return true;
    }
    // True once the device of the current opening has gone away.
    virtual bool Lost() const { return false; }
    // How many bytes the link waits for: the port may hold its receive
    // notification back until that many are in, so that a frame arriving at
    // the line rate is reported once rather than byte by byte. Bytes that
    // stop short of it are still reported, a little later. 1 (the default)
    // reports every arrival at once.
    virtual void SetReceiveThreshold(std::uint32_t bytes) { (void)bytes; }
    // Called on the owner's thread with the count of waiting bytes.
    std::function<void(std::uint16_t size)> OnCommReceive;
    // Called on the owner's thread, once per opening, when the device hangs up.
    std::function<void()> OnDeviceLost;
};

} // namespace cam
