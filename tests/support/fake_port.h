#pragma once
// An in-memory serial port. Everything written is recorded (one entry per
// Write call); bytes handed to Receive() wait until the link reads them. A
// test may attach a peer that answers writes and openings.

#include "link/port.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class FakePort : public cam::IPort {
  public:
    using Bytes = std::vector<std::uint8_t>;

    // The peer on port number n: answers what the tool writes, and the opening.
    std::function<Bytes(std::uint8_t port, const Bytes& written)> answer;
    std::function<Bytes(std::uint8_t port)> opened;
    std::vector<std::uint8_t> opens; // port number of every successful Open
    std::vector<std::uint8_t> failedOpens;
    std::vector<Bytes> writes;   // every Write call
    std::deque<std::uint8_t> rx; // waiting to be read
    bool dsr = true;
    std::vector<std::uint8_t> missingPorts; // Open of these fails

    bool gone = false; // the device went away: opens, writes and reads fail
    bool port2Exists = true; // port 2's device was named or exists
    bool WorthTrying(std::uint8_t p) const override { return p != 2 || port2Exists; }

    void Open() override {
        if (open_) return;
        if (gone) {
            failedOpens.push_back(port_);
            throw std::runtime_error("オープンエラー ErrorCode = -1");
        }
        lost_ = false;
        for (auto p : missingPorts)
            if (p == port_) {
                failedOpens.push_back(port_);
                throw std::runtime_error("オープンエラー ErrorCode = -1");
            }
        open_ = true;
        opens.push_back(port_);
        if (opened) Receive(opened(port_));
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void SetPort(std::uint8_t port) override { port_ = port; }
    std::uint8_t Port() const override { return port_; }
    void SetBaudRate(std::int32_t rate) override { baud = rate; }
    void Write(const void* buffer, std::uint32_t count) override {
        if (!open_) throw std::runtime_error("通信が開始されていない。");
        failIfGone();
        const auto* b = static_cast<const std::uint8_t*>(buffer);
        writes.emplace_back(b, b + count);
        if (answer) Receive(answer(port_, writes.back()));
    }
    std::uint32_t Read(void* buffer, std::uint32_t count) override {
        failIfGone();
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::uint32_t n = 0;
        while (n < count && !rx.empty()) {
            out[n++] = rx.front();
            rx.pop_front();
        }
        return n;
    }
    bool DsrState() const override { return open_ && dsr; }
    std::uint32_t Waiting() const override { return static_cast<std::uint32_t>(rx.size()); }
    bool Lost() const override { return lost_; }
    void SetReceiveThreshold(std::uint32_t bytes) override { threshold = bytes; }
    std::uint32_t threshold = 1; // what the link last said it waits for
    std::string device;          // the device name to report; "/dev/fakeN" when empty
    std::string DeviceName() const override {
        return device.empty() ? "/dev/fake" + std::to_string(port_) : device;
    }
    // The device hangs up, as the watcher reports it.
    void HangUp() {
        gone = true;
        lost_ = true;
        if (OnDeviceLost) OnDeviceLost();
    }

    void Receive(const Bytes& bytes) { rx.insert(rx.end(), bytes.begin(), bytes.end()); }
    // Hands every waiting byte to the link, as the watcher's notification would,
    // until nothing is left (answers may produce more bytes). Returns the rounds.
    int Deliver(int maxRounds = 1000) {
        int rounds = 0;
        while (!rx.empty() && OnCommReceive && rounds < maxRounds) {
            OnCommReceive(static_cast<std::uint16_t>(rx.size()));
            ++rounds;
        }
        return rounds;
    }
    // All bytes written so far, concatenated.
    Bytes Written() const {
        Bytes all;
        for (const auto& w : writes)
            all.insert(all.end(), w.begin(), w.end());
        return all;
    }
    std::int32_t baud = 0;

  private:
    void failIfGone() {
        if (!gone) return;
        lost_ = true;
        throw std::runtime_error("入出力エラー ErrorCode = 5");
    }
    bool open_ = false;
    bool lost_ = false;
    std::uint8_t port_ = 1;
};
