#include "link/traffic.h"

#include "link/command_names.h"
#include "link/crc.h"
#include "link/frames.h"
#include "link/hex.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace cam {

namespace {

// The bytes the receive state machine reports as control results.
bool isControl(std::uint8_t b) {
    return b == NUL || b == EOT || b == ENQ || b == ACK || b == DC1 || b == NAK || b == SYN;
}

// The camera answers these with ACK alone: the reset and the preset entry.
bool ackOnly(const std::vector<std::uint8_t>& payload) {
    return !payload.empty() &&
           (payload[0] == kResetClass || (payload.size() >= 3 && payload[0] == kWriteClass &&
                                          payload[1] == 0x20 && payload[2] == 0x00));
}

// A marker's text on one line: each run of line breaks, tabs and other
// control characters becomes one blank, none at either end.
std::string oneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool gap = false;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            gap = !out.empty();
            continue;
        }
        if (gap && c != ' ' && out.back() != ' ') out += ' ';
        gap = false;
        out += c;
    }
    return out;
}

std::string replyMs(const TTrafficRecord& r) {
    if (r.replyUs < 0) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(r.replyUs) / 1000.0);
    return text;
}

void csvField(std::string& line, const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        line += field;
        return;
    }
    line += '"';
    for (const char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

struct LocalTime {
    std::tm tm{};
    int us = 0;
};

LocalTime localTime(std::int64_t wallUs) {
    // Whole seconds rounded down, so that a time before 1970 keeps a
    // positive fraction.
    std::int64_t seconds = wallUs / 1000000;
    std::int64_t us = wallUs % 1000000;
    if (us < 0) {
        us += 1000000;
        --seconds;
    }
    LocalTime t;
    const auto clock = static_cast<std::time_t>(seconds);
    localtime_r(&clock, &t.tm);
    t.us = static_cast<int>(us);
    return t;
}

} // namespace

const char* TrafficDirectionText(TTrafficDirection direction) {
    switch (direction) {
    case TTrafficDirection::ToCamera:
        return "PC>CAM";
    case TTrafficDirection::FromCamera:
        return "CAM>PC";
    default:
        return "--";
    }
}

const char* TrafficKindText(TTrafficKind kind) {
    switch (kind) {
    case TTrafficKind::Control:
        return "control";
    case TTrafficKind::Command:
        return "command";
    case TTrafficKind::Reply:
        return "reply";
    case TTrafficKind::Bulk:
        return "bulk";
    case TTrafficKind::Noise:
        return "noise";
    case TTrafficKind::Partial:
        return "partial";
    default:
        return "marker";
    }
}

const char* TrafficCrcText(TTrafficCrc crc) {
    switch (crc) {
    case TTrafficCrc::Good:
        return "CRC ok";
    case TTrafficCrc::Bad:
        return "CRC bad";
    default:
        return "";
    }
}

std::string TrafficHex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += hex2(b);
    }
    return out;
}

std::string TrafficLine(const TTrafficRecord& r, const std::string& time) {
    std::string reply = replyMs(r);
    if (!reply.empty()) reply += " ms";
    std::string line = time;
    for (const std::string& field :
         {std::string(TrafficDirectionText(r.direction)), std::string(TrafficKindText(r.kind)),
          r.text, std::string(TrafficCrcText(r.crc)), reply, TrafficHex(r.bytes)}) {
        line += '\t';
        line += field;
    }
    return line;
}

const char* TrafficCsvHeader() {
    return "time,direction,kind,text,crc,reply_ms,bytes";
}

std::string TrafficCsvLine(const TTrafficRecord& r, const std::string& time) {
    std::string line;
    line.reserve(time.size() + r.text.size() + r.bytes.size() * 3 + 40);
    csvField(line, time);
    for (const std::string& field :
         {std::string(TrafficDirectionText(r.direction)), std::string(TrafficKindText(r.kind)),
          r.text, std::string(TrafficCrcText(r.crc)), replyMs(r), TrafficHex(r.bytes)}) {
        line += ',';
        csvField(line, field);
    }
    return line;
}

std::int64_t TrafficNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t TrafficWallUs(std::int64_t steadyUs) {
    static const std::int64_t wallMinusSteadyUs =
        std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::system_clock::now().time_since_epoch())
            .count() -
        TrafficNowUs();
    return steadyUs + wallMinusSteadyUs;
}

std::string TrafficIsoTime(std::int64_t wallUs) {
    const LocalTime t = localTime(wallUs);
    const long offset = t.tm.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06d%c%02ld:%02ld",
                  t.tm.tm_year + 1900, t.tm.tm_mon + 1, t.tm.tm_mday, t.tm.tm_hour, t.tm.tm_min,
                  t.tm.tm_sec, t.us, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

std::string TrafficClockTime(std::int64_t wallUs) {
    const LocalTime t = localTime(wallUs);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t.tm.tm_hour, t.tm.tm_min, t.tm.tm_sec,
                  t.us / 1000);
    return text;
}

int TTrafficAssembler::AddSink(Sink sink) {
    sinks_.emplace_back(nextSink_, std::move(sink));
    return nextSink_++;
}

void TTrafficAssembler::RemoveSink(int id) {
    std::erase_if(sinks_, [id](const auto& s) { return s.first == id; });
}

void TTrafficAssembler::Sent(const std::uint8_t* data, std::size_t count, std::int64_t timeUs) {
    for (std::size_t i = 0; i < count; ++i)
        feed(tx_, data[i], timeUs);
    flushNoise(tx_); // the tool writes whole units: stray bytes end with the write
}

void TTrafficAssembler::Received(const std::uint8_t* data, std::size_t count, std::int64_t timeUs) {
    for (std::size_t i = 0; i < count; ++i)
        feed(rx_, data[i], timeUs);
}

void TTrafficAssembler::Marker(const std::string& text, std::int64_t timeUs) {
    marker(text, timeUs, false);
}

void TTrafficAssembler::Fault(const std::string& text, std::int64_t timeUs) {
    marker(text, timeUs, true);
}

void TTrafficAssembler::marker(const std::string& text, std::int64_t timeUs, bool fault) {
    TTrafficRecord r;
    r.timeUs = timeUs;
    r.text = oneLine(text);
    r.fault = fault;
    publish(std::move(r));
}

void TTrafficAssembler::Flush() {
    flushNoise(tx_);
    flushNoise(rx_);
}

void TTrafficAssembler::feed(Stream& s, std::uint8_t byte, std::int64_t timeUs) {
    if (!s.frame.empty()) {
        s.frame.push_back(byte);
        if (s.expected == 0) // a bulk frame's length follows from its size code
            s.expected = bulk_data_size(byte) + 5;
        if (s.frame.size() == s.expected - 2 && byte != ETX) {
            // No ETX where it belongs: the receiver drops the frame here.
            TTrafficRecord r;
            r.timeUs = s.frameStartUs;
            r.direction = s.direction;
            r.kind = TTrafficKind::Partial;
            r.bytes = std::move(s.frame);
            r.text = "frame broken off: no ETX";
            r.fault = true;
            s.frame.clear();
            publish(std::move(r));
        } else if (s.frame.size() == s.expected) {
            frameDone(s, timeUs);
        }
        return;
    }
    if (byte == STX || byte == SOH) {
        flushNoise(s);
        s.frameStartUs = timeUs;
        if (byte == STX)
            s.expected = kFrameSize;
        else // the tool's SOH starts a bulk frame, the camera's a short reply
            s.expected = s.direction == TTrafficDirection::ToCamera ? 0 : 6;
        // One allocation a frame (the record keeps it), none per byte.
        s.frame.reserve(s.expected == 0 ? kBulkFrameSize : s.expected);
        s.frame.push_back(byte);
        return;
    }
    if (isControl(byte)) {
        flushNoise(s);
        control(s, byte, timeUs);
        return;
    }
    if (s.noise.empty()) {
        s.noiseStartUs = timeUs;
        s.noise.reserve(kMaxNoise);
    }
    s.noise.push_back(byte);
    if (s.noise.size() >= kMaxNoise) flushNoise(s);
}

void TTrafficAssembler::frameDone(Stream& s, std::int64_t timeUs) {
    TTrafficRecord r;
    r.timeUs = s.frameStartUs;
    r.direction = s.direction;
    r.bytes = std::move(s.frame);
    s.frame.clear();
    const std::vector<std::uint8_t>& f = r.bytes;
    const std::size_t n = f.size();
    const std::uint16_t crc = frame_crc(f.data() + 1, n - 3);
    r.crc = crc == (f[n - 2] << 8 | f[n - 1]) ? TTrafficCrc::Good : TTrafficCrc::Bad;
    r.fault = r.crc == TTrafficCrc::Bad;
    const std::vector<std::uint8_t> payload(f.begin() + 1, f.end() - 3);

    if (s.direction == TTrafficDirection::ToCamera) {
        const bool bulk = f[0] == SOH;
        r.kind = bulk ? TTrafficKind::Bulk : TTrafficKind::Command;
        if (bulk) {
            r.text = BulkName(f[1]);
        } else {
            r.code = f[2];
            r.text = CommandName(payload.data());
        }
        // The same frame again while its answer is still awaited: the
        // supervision's re-send.
        if (awaitingReply_ && requestBulk_ == bulk && (bulk || request_ == payload))
            r.text += " [re-sent]";
        request_ = bulk ? std::vector<std::uint8_t>{} : payload;
        requestBulk_ = bulk;
        requestUs_ = s.frameStartUs;
        awaitingAck_ = awaitingReply_ = true;
    } else {
        r.kind = TTrafficKind::Reply;
        if (f[0] == STX) r.code = f[2];
        if (f[1] != kAccepted) r.fault = true; // the camera refused the command
        r.text = ReplyName(payload.data(), payload.size(),
                           request_.empty() ? nullptr : request_.data(), requestBulk_);
        if (awaitingReply_ && r.crc == TTrafficCrc::Good) {
            r.replyUs = timeUs - requestUs_;
            awaitingReply_ = awaitingAck_ = false;
        }
    }
    publish(std::move(r));
}

void TTrafficAssembler::control(Stream& s, std::uint8_t byte, std::int64_t timeUs) {
    TTrafficRecord r;
    r.timeUs = timeUs;
    r.direction = s.direction;
    r.kind = TTrafficKind::Control;
    r.bytes = {byte};
    r.text = ControlName(byte);
    r.fault = byte == NAK;
    if (s.direction == TTrafficDirection::ToCamera) {
        if (byte == ENQ) { // opens the link: the camera's ACK answers it
            request_.clear();
            requestBulk_ = false;
            requestUs_ = timeUs;
            awaitingAck_ = true;
            awaitingReply_ = false;
        } else if (byte == NAK) { // the reply is awaited again
            requestUs_ = timeUs;
            awaitingReply_ = true;
        }
    } else if (byte == ACK && awaitingAck_) {
        r.replyUs = timeUs - requestUs_;
        awaitingAck_ = false;
        if (ackOnly(request_)) awaitingReply_ = false;
    }
    publish(std::move(r));
}

void TTrafficAssembler::flushNoise(Stream& s) {
    if (s.noise.empty()) return;
    TTrafficRecord r;
    r.timeUs = s.noiseStartUs;
    r.direction = s.direction;
    r.kind = TTrafficKind::Noise;
    r.fault = true;
    r.text =
        std::to_string(s.noise.size()) + (s.noise.size() == 1 ? " stray byte" : " stray bytes");
    r.bytes = std::move(s.noise);
    s.noise.clear();
    publish(std::move(r));
}

void TTrafficAssembler::publish(TTrafficRecord record) {
    // Stray bytes held in either direction came before this record.
    if (record.kind != TTrafficKind::Noise) {
        flushNoise(tx_);
        flushNoise(rx_);
    }
    record.number = ++number_;
    for (const auto& [id, sink] : sinks_)
        if (sink) sink(record);
}

} // namespace cam
