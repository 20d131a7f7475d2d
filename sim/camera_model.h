#pragma once
// The simulated camera: bytes from the tool in, bytes to the tool out.
// Deterministic and free of clocks and threads; the pseudo-terminal server
// and the tests drive it.
//
// On the line the camera
// - answers ENQ and the opening of the line (DTR raised) with ACK;
// - takes the tool's EOT and ACK silently and answers its NAK by sending its
//   last reply frame again;
// - answers a command frame with ACK and one reply frame (STX, 0xA0, code,
//   data, ETX, CRC), except the reset (class 0xF1) and the preset entry
//   21 20 00, which get the ACK alone;
// - answers a bulk frame with ACK and a reply frame A0 <size code>, after
//   writing its image into the EEPROM (see MemoryState::WriteImage);
// - answers a frame with a wrong ETX or CRC with NAK and nothing else;
// - answers a code it does not know with reply byte 1 = kRejected.
//
// Faults on purpose (ModelOptions), each striking every Nth time or, with a
// fault seed, each time with the chance 1/N from a generator seeded with it:
// the same seed and the same traffic give the same faults. A frame that
// strikes the NAK fault is answered with NAK alone and not acted on; one that
// strikes the missing-ACK fault is acted on and answered without its ACK. A
// reply frame may be dropped, sent with a wrong CRC, or held back: a held
// reply goes out only when the tool sends something again, which it does
// after its reply time-out, so it arrives late, just before the answer to the
// tool's re-sent frame. After `silentAfter` frames the camera answers nothing
// at all, as one that lost power.

#include "sim/easy_state.h"
#include "sim/frame_parser.h"
#include "sim/lens_state.h"
#include "sim/memory_state.h"
#include "sim/service_state.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

struct ModelOptions {
    bool pal = true;             // register 0x40 bit 0 set
    bool hiResolution = true;    // register 0x01 bit 14 set
    int dropReplyEvery = 0;      // every Nth reply frame is not sent at all (0 = never)
    int corruptReplyEvery = 0;   // every Nth reply frame goes out with a wrong CRC (0 = never)
    bool silent = false;         // answer nothing at all
    int missingAckEvery = 0;     // every Nth frame is answered without its ACK (0 = never)
    int nakEvery = 0;            // every Nth frame is answered with NAK alone (0 = never)
    int delayReplyEvery = 0;     // every Nth reply frame goes out late (0 = never)
    int silentAfter = -1;        // frames answered before the camera falls silent (-1 = never)
    std::uint64_t faultSeed = 0; // 0: faults every Nth time; else at random, seeded
};

enum class Direction { ToCamera, FromCamera };

// Sees every unit on the line: what the tool sent, as the camera split it,
// and what the camera sends (dropped replies included, marked by the note).
using TrafficObserver =
    std::function<void(Direction, const std::vector<std::uint8_t>& bytes, std::string_view note)>;

class CameraModel {
  public:
    explicit CameraModel(ModelOptions options = {});

    // New fault options from now on (the video format stays as built); the
    // fault counts and the generator start again.
    void SetFaults(const ModelOptions& options);
    // A held-back reply waiting for the tool to send again.
    bool ReplyHeldBack() const { return !heldReply_.empty(); }
    bool Silenced() const { return silenced_; }

    // One byte from the tool; returns the bytes the camera sends in answer.
    std::vector<std::uint8_t> Feed(std::uint8_t byte);
    std::vector<std::uint8_t> Feed(const std::uint8_t* data, std::size_t count);
    // The tool opened the line: a frame in progress is forgotten, ACK is sent.
    // The tool opened the line: a frame broken off by the last closing is
    // forgotten. The camera greets with DtrRaised() unless the tool speaks first.
    void LineOpened();
    std::vector<std::uint8_t> DtrRaised();

    void SetObserver(TrafficObserver observer) { observer_ = std::move(observer); }

    std::uint16_t Register(int address) const { return memory_.Register(address); }
    void SetRegister(int address, std::uint16_t value) { memory_.SetRegister(address, value); }
    std::uint16_t Eeprom(int address) const { return memory_.Eeprom(address); }
    void SetEeprom(int address, std::uint16_t value) { memory_.SetEeprom(address, value); }
    std::uint8_t Ram(int address) const { return memory_.Ram(address); }

    // Start image: applies the command records of a text file (see
    // ReadCommandRecords) and restarts the camera from the EEPROM so written.
    bool LoadEepromFile(const std::string& path, std::string* error);
    bool LoadEepromRecords(std::istream& in, std::string* error);

    EasyState& Easy() { return easy_; }
    const EasyState& Easy() const { return easy_; }
    LensState& Lens() { return lens_; }
    const LensState& Lens() const { return lens_; }
    ServiceState& Service() { return service_; }
    const ServiceState& Service() const { return service_; }
    const MemoryState& Memory() const { return memory_; }

    int ReplyFramesBuilt() const { return replies_; } // fresh replies, repeats not counted
    int Restarts() const { return restarts_; }

  private:
    void OnUnit(const ToolUnit& unit, std::vector<std::uint8_t>& out);
    void OnCommand(const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t>& out);
    void OnBulk(const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t>& out);
    // The reply to a command; nullopt when the ACK is the whole answer.
    std::optional<Reply> Execute(const Command& command);
    void Restart();
    void SendReply(const Reply& reply, std::vector<std::uint8_t>& out);
    void Emit(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes,
              std::string_view note = {});
    // Whether the fault given every `every` times strikes at count `count`.
    bool Strikes(int every, int count);

    ModelOptions options_;
    FrameParser parser_;
    MemoryState memory_;
    EasyState easy_;
    LensState lens_;
    ServiceState service_;
    TrafficObserver observer_;
    std::vector<std::uint8_t> lastReply_;
    int replies_ = 0;
    int restarts_ = 0;
    int faultFrames_ = 0; // frames and replies counted for the faults
    int faultReplies_ = 0;
    std::uint64_t random_ = 0; // the fault generator's state
    std::vector<std::uint8_t> heldReply_;
    bool silenced_ = false;
    bool ackDue_ = true; // the frame being answered gets its ACK
};

} // namespace camsim
