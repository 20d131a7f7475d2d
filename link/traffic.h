#pragma once
// The traffic on the camera line as records: one record per control byte,
// command frame, reply frame, bulk frame or run of stray bytes, in each
// direction, plus markers for what happened on the line (opened, time-out,
// given up...) and what the technician did between the frames. The assembler is fed the bytes as
// they are written and read; it recognises frames by their start byte and fixed length as the
// receive state machine does, checks ETX and CRC, names the command and times each answer from the
// request it answers. It never throws and never blocks: the inspector window and the journal
// subscribe to it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cam {

enum class TTrafficDirection : std::uint8_t { ToCamera, FromCamera, None };

enum class TTrafficKind : std::uint8_t {
    Control, // a single control byte (ENQ, ACK, NAK, EOT, ...)
    Command, // the tool's 19-byte command frame
    Reply,   // the camera's frame (STX with 15 payload bytes, or SOH with 2)
    Bulk,    // the tool's bulk frame (SOH, size code, data, ETX, CRC)
    Noise,   // bytes outside any frame
    Partial, // a frame broken off (no ETX where it belongs)
    Marker,  // an event on the line, no bytes
};

enum class TTrafficCrc : std::uint8_t { None, Good, Bad };

struct TTrafficRecord {
    std::uint64_t number = 0; // running number from 1
    std::int64_t timeUs = 0;  // steady clock, microseconds
    TTrafficDirection direction = TTrafficDirection::None;
    TTrafficKind kind = TTrafficKind::Marker;
    std::vector<std::uint8_t> bytes;
    TTrafficCrc crc = TTrafficCrc::None;
    std::string text;          // decoded command, or the marker's text
    std::int64_t replyUs = -1; // request to this answer, -1 when it answers nothing
    int code = -1;             // command code (payload byte 2) of a frame, else -1
    // Something went wrong here: a bad CRC, a frame broken off, stray bytes,
    // a NAK, a reply that refuses its command, a time-out or give-up marker.
    bool fault = false;
};

// "PC>CAM", "CAM>PC" or "--".
const char* TrafficDirectionText(TTrafficDirection direction);
// "control", "command", "reply", "bulk", "noise", "partial", "marker".
const char* TrafficKindText(TTrafficKind kind);
// "CRC ok", "CRC bad" or "".
const char* TrafficCrcText(TTrafficCrc crc);
// Bytes as upper-case hexadecimal pairs separated by one blank.
std::string TrafficHex(const std::vector<std::uint8_t>& bytes);
// One record as one line of tab-separated fields, after `time`:
// direction, kind, text, CRC, reply time in ms ("" when none), bytes.
std::string TrafficLine(const TTrafficRecord& record, const std::string& time);
// The same fields as comma-separated values, quoted where a field needs it
// (a comma, a quote or a line break); the reply time is a bare number.
std::string TrafficCsvLine(const TTrafficRecord& record, const std::string& time);
// The names of the CSV fields, as the first line of a CSV file.
const char* TrafficCsvHeader();
// Microseconds since the epoch of the steady clock.
std::int64_t TrafficNowUs();

// Wall-clock microseconds since 1970 (UTC) of a record's steady time. The
// distance between the two clocks is taken once for the whole program, so
// the inspector and the journal give a record the same time of day.
std::int64_t TrafficWallUs(std::int64_t steadyUs);
// Local time with its UTC offset, to the microsecond:
// "2026-12-10T18:15:01.250123+01:00".
std::string TrafficIsoTime(std::int64_t wallUs);
// Local time of day to the millisecond, "18:15:01.250": the ISO time's
// hours to milliseconds, cut (not rounded), so it finds its journal line.
std::string TrafficClockTime(std::int64_t wallUs);

class TTrafficAssembler {
  public:
    using Sink = std::function<void(const TTrafficRecord&)>;
    // Stray bytes are cut into records of at most this many.
    static constexpr std::size_t kMaxNoise = 64;

    // Subscribers see every record as it is completed, in order. Returns an
    // id for RemoveSink. A sink must not add or remove sinks itself.
    int AddSink(Sink sink);
    void RemoveSink(int id);

    // Bytes the tool wrote (`timeUs`: when the write began).
    void Sent(const std::uint8_t* data, std::size_t count, std::int64_t timeUs);
    // Bytes the tool read.
    void Received(const std::uint8_t* data, std::size_t count, std::int64_t timeUs);
    // An event on the line, or something the technician did; stray bytes
    // held so far are recorded first. Its text is kept on one line: line
    // breaks and tabs become blanks.
    void Marker(const std::string& text, std::int64_t timeUs = TrafficNowUs());
    // A marker for something that went wrong (a time-out, a give-up).
    void Fault(const std::string& text, std::int64_t timeUs = TrafficNowUs());
    // Records the stray bytes still held in either direction.
    void Flush();

    std::uint64_t Records() const { return number_; }

  private:
    struct Stream {
        TTrafficDirection direction;
        std::vector<std::uint8_t> frame; // frame in progress
        std::size_t expected = 0;        // its full length once known, 0 before
        std::int64_t frameStartUs = 0;
        std::vector<std::uint8_t> noise;
        std::int64_t noiseStartUs = 0;
    };
    void feed(Stream& s, std::uint8_t byte, std::int64_t timeUs);
    void frameDone(Stream& s, std::int64_t timeUs);
    void flushNoise(Stream& s);
    void control(Stream& s, std::uint8_t byte, std::int64_t timeUs);
    void publish(TTrafficRecord record);
    void marker(const std::string& text, std::int64_t timeUs, bool fault);

    Stream tx_{TTrafficDirection::ToCamera, {}, 0, 0, {}, 0};
    Stream rx_{TTrafficDirection::FromCamera, {}, 0, 0, {}, 0};
    std::vector<std::pair<int, Sink>> sinks_;
    int nextSink_ = 1;
    std::uint64_t number_ = 0;

    // The exchange last started by the tool.
    std::vector<std::uint8_t> request_; // its payload (or the bulk frame's first bytes)
    bool requestBulk_ = false;
    std::int64_t requestUs_ = 0;
    bool awaitingAck_ = false;
    bool awaitingReply_ = false;
};

} // namespace cam
