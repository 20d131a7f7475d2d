#pragma once
// A serial port that passes everything on to another port and shows the
// traffic assembler every byte written and read, and every opening, closing,
// failure and loss of the line. The port's notifications (bytes waiting,
// device lost) reach whoever listens on the tap. The link is built on it instead of on the port
// itself; nothing else changes.

#include "link/port.h"
#include "link/traffic.h"

#include <functional>
#include <memory>
#include <string>

namespace cam {

class TTapPort : public IPort {
  public:
    // Port number to the device it stands for, for the markers ("COM1
    // (/dev/ttyUSB0)"); when empty, the port's own DeviceName() is used.
    using Describe = std::function<std::string(std::uint8_t port)>;

    TTapPort(IPort& inner, TTrafficAssembler& traffic, Describe describe = {});
    TTapPort(std::unique_ptr<IPort> inner, TTrafficAssembler& traffic, Describe describe = {});
    ~TTapPort() override;
    TTapPort(const TTapPort&) = delete;
    TTapPort& operator=(const TTapPort&) = delete;

    void Open() override;
    void Close() override;
    bool IsOpen() const override { return inner_.IsOpen(); }
    void SetPort(std::uint8_t port) override { inner_.SetPort(port); }
    std::uint8_t Port() const override { return inner_.Port(); }
    void SetBaudRate(std::int32_t rate) override { inner_.SetBaudRate(rate); }
    void Write(const void* buffer, std::uint32_t count) override;
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void SetReceiveThreshold(std::uint32_t bytes) override { inner_.SetReceiveThreshold(bytes); }
    bool DsrState() const override { return inner_.DsrState(); }
    std::uint32_t Waiting() const override { return inner_.Waiting(); }
    std::string DeviceName() const override { return inner_.DeviceName(); }
    std::string LastOpenFailure() const override { return inner_.LastOpenFailure(); }
    bool Lost() const override { return inner_.Lost(); }

    IPort& Inner() { return inner_; }

  private:
    std::string portText() const;

    std::unique_ptr<IPort> owned_;
    IPort& inner_;
    TTrafficAssembler& traffic_;
    Describe describe_;
};

} // namespace cam
