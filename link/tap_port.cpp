#include "link/tap_port.h"

#include <exception>

namespace cam {

TTapPort::TTapPort(IPort& inner, TTrafficAssembler& traffic, Describe describe)
    : inner_(inner), traffic_(traffic), describe_(std::move(describe)) {
    // The port's notification of waiting bytes reaches whoever listens here.
    inner_.OnCommReceive = [this](std::uint16_t size) {
        if (OnCommReceive) OnCommReceive(size);
    };
    inner_.OnDeviceLost = [this] {
        traffic_.Fault(portText() + " device lost");
        if (OnDeviceLost) OnDeviceLost();
    };
}

TTapPort::TTapPort(std::unique_ptr<IPort> inner, TTrafficAssembler& traffic, Describe describe)
    : TTapPort(*inner, traffic, std::move(describe)) {
    owned_ = std::move(inner);
}

TTapPort::~TTapPort() {
    inner_.OnCommReceive = nullptr;
    inner_.OnDeviceLost = nullptr;
}

std::string TTapPort::portText() const {
    std::string text = "COM" + std::to_string(inner_.Port());
    const std::string device = describe_ ? describe_(inner_.Port()) : inner_.DeviceName();
    if (!device.empty()) text += " (" + device + ")";
    return text;
}

void TTapPort::Open() {
    const bool wasOpen = inner_.IsOpen();
    try {
        inner_.Open();
    } catch (const std::exception& e) {
        const std::string why = inner_.LastOpenFailure();
        traffic_.Fault(portText() + " not opened: " + (why.empty() ? e.what() : why));
        throw;
    }
    if (!wasOpen) traffic_.Marker(portText() + " opened");
}

void TTapPort::Close() {
    const bool wasOpen = inner_.IsOpen();
    inner_.Close();
    if (wasOpen) traffic_.Marker(portText() + " closed");
}

void TTapPort::Write(const void* buffer, std::uint32_t count) {
    const std::int64_t start = TrafficNowUs();
    try {
        inner_.Write(buffer, count);
    } catch (const std::exception& e) {
        traffic_.Fault("write of " + std::to_string(count) + " bytes failed: " + e.what());
        throw;
    }
    traffic_.Sent(static_cast<const std::uint8_t*>(buffer), count, start);
}

std::uint32_t TTapPort::Read(void* buffer, std::uint32_t count) {
    std::uint32_t n = 0;
    try {
        n = inner_.Read(buffer, count);
    } catch (const std::exception& e) {
        traffic_.Fault(std::string("read failed: ") + e.what());
        throw;
    }
    if (n > 0) traffic_.Received(static_cast<const std::uint8_t*>(buffer), n, TrafficNowUs());
    return n;
}

} // namespace cam
