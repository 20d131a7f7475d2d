#include "sim/camera_model.h"

#include "sim/command_records.h"
#include "sim/status_block.h"

#include <fstream>

namespace camsim {

namespace {

const std::vector<std::uint8_t> kAck{cam::ACK};
const std::vector<std::uint8_t> kNak{cam::NAK};

} // namespace

CameraModel::CameraModel(ModelOptions options)
    : options_(options), memory_(options.pal, options.hiResolution) {
    SetFaults(options);
}

void CameraModel::SetFaults(const ModelOptions& options) {
    const bool pal = options_.pal;
    const bool hi = options_.hiResolution;
    options_ = options;
    options_.pal = pal;
    options_.hiResolution = hi;
    faultFrames_ = 0;
    faultReplies_ = 0;
    random_ = options.faultSeed;
    heldReply_.clear();
    silenced_ = false;
}

bool CameraModel::Strikes(int every, int count) {
    if (every <= 0) return false;
    if (options_.faultSeed == 0) return count % every == 0;
    // splitmix64: a fixed sequence for a seed, whatever the platform.
    random_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = random_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return z % static_cast<std::uint64_t>(every) == 0;
}

std::vector<std::uint8_t> CameraModel::Feed(std::uint8_t byte) {
    return Feed(&byte, 1);
}

std::vector<std::uint8_t> CameraModel::Feed(const std::uint8_t* data, std::size_t count) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < count; ++i)
        for (const auto& unit : parser_.Push(data[i]))
            OnUnit(unit, out);
    return out;
}

void CameraModel::LineOpened() {
    parser_.Reset();
}

std::vector<std::uint8_t> CameraModel::DtrRaised() {
    parser_.Reset();
    std::vector<std::uint8_t> out;
    if (!options_.silent && !silenced_) Emit(out, kAck, "line opened");
    return out;
}

void CameraModel::OnUnit(const ToolUnit& unit, std::vector<std::uint8_t>& out) {
    using Kind = ToolUnit::Kind;
    if (observer_) {
        std::string_view note;
        switch (unit.kind) {
        case Kind::Bulk:
            note = "bulk frame";
            break;
        case Kind::BadFrame:
            note = unit.answered ? "bad frame" : "bad frame while resynchronising";
            break;
        case Kind::Garbage:
            note = "ignored";
            break;
        default:
            break;
        }
        observer_(Direction::ToCamera, unit.bytes, note);
    }
    if (options_.silent || silenced_) return;
    const bool frame = unit.kind == Kind::Command || unit.kind == Kind::Bulk;
    if (frame && options_.silentAfter >= 0 && faultFrames_ >= options_.silentAfter) {
        silenced_ = true;
        heldReply_.clear();
        return;
    }
    if (!heldReply_.empty()) { // the tool sent again: the late reply goes first
        Emit(out, heldReply_, "late");
        heldReply_.clear();
    }
    if (frame) {
        ++faultFrames_;
        if (Strikes(options_.nakEvery, faultFrames_)) {
            Emit(out, kNak, "NAK on purpose, not acted on");
            return;
        }
        ackDue_ = !Strikes(options_.missingAckEvery, faultFrames_);
    }
    switch (unit.kind) {
    case Kind::Control:
        if (unit.bytes[0] == cam::ENQ) Emit(out, kAck); // every ENQ, greeted or not
        if (unit.bytes[0] == cam::NAK && !lastReply_.empty()) Emit(out, lastReply_, "repeated");
        break;
    case Kind::Command:
        OnCommand(unit.bytes, out);
        break;
    case Kind::Bulk:
        OnBulk(unit.bytes, out);
        break;
    case Kind::BadFrame:
        if (unit.answered) Emit(out, kNak);
        break;
    case Kind::Garbage:
        break;
    }
}

void CameraModel::OnCommand(const std::vector<std::uint8_t>& frame,
                            std::vector<std::uint8_t>& out) {
    if (ackDue_) Emit(out, kAck);
    if (const auto reply = Execute(Command(frame.data() + 1))) SendReply(*reply, out);
}

void CameraModel::OnBulk(const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t>& out) {
    if (ackDue_) Emit(out, kAck);
    const std::uint8_t sizeCode = frame[1];
    memory_.WriteImage(frame.data() + 2, BulkDataSize(sizeCode));
    SendReply(Reply(sizeCode), out);
}

std::optional<Reply> CameraModel::Execute(const Command& command) {
    if (command.Class() == cam::kResetClass) {
        Restart();
        return std::nullopt;
    }
    if (command.IsWrite() && command.Code() == 0x20 && command.Sub() == 0x00) {
        ++easy_.presetEntries;
        return std::nullopt;
    }
    if (!command.IsRead() && !command.IsWrite())
        return Reply::Rejected(command.Code()).Put(3, command.Sub());
    if (command.Code() == 0x60) {
        if (command.IsWrite()) return Reply::Rejected(0x60).Put(3, command.Sub());
        return StatusBlock(command.Sub(), easy_, lens_, memory_);
    }
    if (auto reply = memory_.Handle(command)) return reply;
    if (auto reply = lens_.Handle(command)) return reply;
    if (auto reply = easy_.Handle(command)) return reply;
    if (command.Code() == 0x36) return service_.defect.Handle(command, easy_.vRev);
    if (auto reply = service_.Handle(command)) return reply;
    return Reply::Rejected(command.Code()).Put(3, command.Sub());
}

void CameraModel::Restart() {
    ++restarts_;
    memory_.Restart();
    easy_.awbRunning = false;
    lens_.lensAdjusting = false;
    lens_.irisAdjusting = false;
}

void CameraModel::SendReply(const Reply& reply, std::vector<std::uint8_t>& out) {
    ++replies_;
    ++faultReplies_;
    const auto frame = reply.Frame();
    lastReply_.assign(frame.begin(), frame.end());
    if (Strikes(options_.dropReplyEvery, faultReplies_)) {
        if (observer_) observer_(Direction::FromCamera, lastReply_, "dropped, not sent");
        return;
    }
    if (Strikes(options_.corruptReplyEvery, faultReplies_)) {
        auto spoiled = lastReply_;
        spoiled.back() ^= 0xFF;
        Emit(out, spoiled, "wrong CRC");
        return;
    }
    if (Strikes(options_.delayReplyEvery, faultReplies_)) {
        heldReply_ = lastReply_;
        if (observer_) observer_(Direction::FromCamera, lastReply_, "held back, sent late");
        return;
    }
    Emit(out, lastReply_);
}

void CameraModel::Emit(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes,
                       std::string_view note) {
    out.insert(out.end(), bytes.begin(), bytes.end());
    if (observer_) observer_(Direction::FromCamera, bytes, note);
}

bool CameraModel::LoadEepromFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": cannot be opened";
        return false;
    }
    std::string why;
    if (!LoadEepromRecords(in, &why)) {
        if (error) *error = path + ": " + why;
        return false;
    }
    return true;
}

bool CameraModel::LoadEepromRecords(std::istream& in, std::string* error) {
    std::vector<CommandRecord> records;
    if (!ReadCommandRecords(in, &records, error)) return false;
    // Applied to copies, so that a refused record leaves the camera as it was.
    MemoryState memory = memory_;
    EasyState easy = easy_;
    LensState lens = lens_;
    ServiceState service = service_;
    for (const auto& record : records) {
        const Command command(record.payload.data());
        // Only writes build an image; reads and the end record (the reset
        // that follows a copy) have nothing to leave behind.
        if (command.IsRead() || command.Class() == cam::kResetClass) continue;
        const auto reply = Execute(command);
        if (!command.IsWrite() || (reply && (*reply)[1] != cam::kAccepted)) {
            memory_ = memory;
            easy_ = easy;
            lens_ = lens;
            service_ = service;
            if (error)
                *error =
                    "line " + std::to_string(record.line) + ": the camera refuses this command";
            return false;
        }
    }
    memory_.Restart();
    return true;
}

} // namespace camsim
