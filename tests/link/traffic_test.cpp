// The traffic assembler turns the bytes of both directions into one record
// per frame or control byte and marks the faults; the tap port feeds it from
// a real port; the journal writes the records out on the local clock and
// survives a file it cannot write.

#include "link/crc.h"
#include "link/frames.h"
#include "link/journal.h"
#include "link/tap_port.h"
#include "link/traffic.h"
#include "support/fake_port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

using cam::TTrafficCrc;
using cam::TTrafficDirection;
using cam::TTrafficKind;
using cam::TTrafficRecord;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr auto PC = TTrafficDirection::ToCamera;
constexpr auto CAM = TTrafficDirection::FromCamera;

Bytes frame(std::initializer_list<std::uint8_t> payload) {
    const cam::TxFrame f = cam::command_frame(payload);
    return {f.begin(), f.end()};
}

Bytes badCrc(Bytes f) {
    f.back() ^= 0xFF;
    return f;
}

Bytes shortReply(std::uint8_t a, std::uint8_t b) {
    Bytes f{cam::SOH, a, b, cam::ETX};
    const std::uint16_t crc = cam::frame_crc(f.data() + 1, 3);
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    f.push_back(static_cast<std::uint8_t>(crc));
    return f;
}

struct Step {
    TTrafficDirection direction; // None: Flush()
    Bytes bytes;
    std::int64_t timeUs;
    bool oneByOne = false; // as the link reads: one byte per Read
};

struct Expect {
    TTrafficDirection direction;
    TTrafficKind kind;
    TTrafficCrc crc;
    std::size_t size;
    std::string text;          // the record's text starts with this
    std::int64_t replyUs = -1; // -2: not checked
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<Expect> records;
};

std::vector<Step> bulkWrites(std::int64_t t) {
    std::vector<std::uint8_t> data(cam::kBulkDataSize, 0x5A);
    cam::BulkFrame f{};
    cam::build_bulk_frame(f, data.data());
    std::vector<Step> steps{{PC, {f.begin(), f.begin() + 2}, t}};
    for (std::size_t at = 2; at < 2 + cam::kBulkDataSize; at += 512)
        steps.push_back(
            {PC, {f.begin() + static_cast<long>(at), f.begin() + static_cast<long>(at) + 512}, t});
    steps.push_back({PC, {f.end() - 3, f.end()}, t});
    return steps;
}

std::vector<TTrafficRecord> assemble(const std::vector<Step>& steps) {
    cam::TTrafficAssembler traffic;
    std::vector<TTrafficRecord> got;
    traffic.AddSink([&](const TTrafficRecord& r) { got.push_back(r); });
    for (const Step& s : steps) {
        if (s.direction == TTrafficDirection::None) {
            traffic.Flush();
        } else if (s.direction == PC) {
            traffic.Sent(s.bytes.data(), s.bytes.size(), s.timeUs);
        } else if (!s.oneByOne) {
            traffic.Received(s.bytes.data(), s.bytes.size(), s.timeUs);
        } else { // one byte a microsecond, the last one at timeUs
            const auto n = static_cast<std::int64_t>(s.bytes.size());
            for (std::int64_t i = 0; i < n; ++i)
                traffic.Received(s.bytes.data() + i, 1, s.timeUs - (n - 1) + i);
        }
    }
    return got;
}

// Runs with TZ set to `zone`, then puts the old one back.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

  private:
    bool had_ = false;
    std::string old_;
};

} // namespace

TEST(TrafficAssembler, OneRecordPerUnitWithItsCheckAndAnswerTime) {
    const Bytes eepRead = frame({0x31, 0x0C, 0x01, 0x51});
    const Bytes eepReply = frame({0xA0, 0x0C, 0x01, 0x51, 0x12, 0x34});
    std::vector<Case> cases = {
        {"opening",
         {{PC, {cam::ENQ}, 0}, {CAM, {cam::ACK}, 3000}, {PC, {cam::EOT}, 3100}},
         {{PC, TTrafficKind::Control, TTrafficCrc::None, 1, "ENQ"},
          {CAM, TTrafficKind::Control, TTrafficCrc::None, 1, "ACK", 3000},
          {PC, TTrafficKind::Control, TTrafficCrc::None, 1, "EOT"}}},
        {"exchange read byte by byte",
         {{PC, eepRead, 1000}, {CAM, {cam::ACK}, 2000}, {CAM, eepReply, 9000, true}},
         {{PC, TTrafficKind::Command, TTrafficCrc::Good, 19, "EEPROM word read 0x0151"},
          {CAM, TTrafficKind::Control, TTrafficCrc::None, 1, "ACK", 1000},
          {CAM, TTrafficKind::Reply, TTrafficCrc::Good, 19, "EEPROM word 0x0151 = 0x1234", 8000}}},
        {"bad CRC, NAK, the reply again",
         {{PC, eepRead, 0},
          {CAM, badCrc(eepReply), 500},
          {PC, {cam::NAK}, 600},
          {CAM, eepReply, 900}},
         {{PC, TTrafficKind::Command, TTrafficCrc::Good, 19, "EEPROM word read"},
          {CAM, TTrafficKind::Reply, TTrafficCrc::Bad, 19, "EEPROM word 0x0151", -1},
          {PC, TTrafficKind::Control, TTrafficCrc::None, 1, "NAK"},
          {CAM, TTrafficKind::Reply, TTrafficCrc::Good, 19, "EEPROM word 0x0151", 300}}},
        {"no ETX where it belongs",
         {{CAM,
           [] {
               Bytes b(16, 0x11);
               b[0] = cam::STX;
               b.push_back(0x55);
               return b;
           }(),
           0, true},
          {CAM, {cam::ACK}, 10}},
         {{CAM, TTrafficKind::Partial, TTrafficCrc::None, 17, "frame broken off"},
          {CAM, TTrafficKind::Control, TTrafficCrc::None, 1, "ACK"}}},
        {"stray bytes, cut and flushed",
         {{CAM, {0x41, 0x42}, 0, true},
          {CAM, {cam::ACK}, 5},
          {CAM, Bytes(70, 0x7E), 6, true},
          {TTrafficDirection::None, {}, 7}},
         {{CAM, TTrafficKind::Noise, TTrafficCrc::None, 2, "2 stray bytes"},
          {CAM, TTrafficKind::Control, TTrafficCrc::None, 1, "ACK", -2},
          {CAM, TTrafficKind::Noise, TTrafficCrc::None, 64, "64 stray bytes"},
          {CAM, TTrafficKind::Noise, TTrafficCrc::None, 6, "6 stray bytes"}}},
        {"bulk frame in six writes, its short answer",
         [] {
             auto s = bulkWrites(100);
             s.push_back({CAM, {cam::ACK}, 200});
             s.push_back({CAM, frame({0xA0, 0x75}), 400});
             s.push_back({CAM, shortReply(0xA0, 0x00), 500});
             return s;
         }(),
         {{PC, TTrafficKind::Bulk, TTrafficCrc::Good, cam::kBulkFrameSize,
           "bulk image, 2048 bytes"},
          {CAM, TTrafficKind::Control, TTrafficCrc::None, 1, "ACK", 100},
          {CAM, TTrafficKind::Reply, TTrafficCrc::Good, 19, "bulk image accepted", 300},
          {CAM, TTrafficKind::Reply, TTrafficCrc::Good, 6, "bulk image accepted", -1}}},
        {"the same frame again while unanswered is a re-send",
         {{PC, eepRead, 0}, {PC, eepRead, 30'000'000}, {CAM, {cam::ACK}, 30'001'000}},
         {{PC, TTrafficKind::Command, TTrafficCrc::Good, 19, "EEPROM word read 0x0151"},
          {PC, TTrafficKind::Command, TTrafficCrc::Good, 19, "EEPROM word read 0x0151 [re-sent]"},
          {CAM, TTrafficKind::Control, TTrafficCrc::None, 1, "ACK", 1000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<TTrafficRecord> got = assemble(c.steps);
        ASSERT_EQ(got.size(), c.records.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE("record " + std::to_string(i) + ": " + got[i].text);
            const Expect& e = c.records[i];
            EXPECT_EQ(got[i].number, i + 1);
            EXPECT_EQ(got[i].direction, e.direction);
            EXPECT_EQ(got[i].kind, e.kind);
            EXPECT_EQ(got[i].crc, e.crc);
            EXPECT_EQ(got[i].bytes.size(), e.size);
            EXPECT_EQ(got[i].text.rfind(e.text, 0), 0u);
            if (e.replyUs != -2) {
                EXPECT_EQ(got[i].replyUs, e.replyUs);
            }
        }
    }
}

TEST(TrafficAssembler, MarksTheFaults) {
    const Bytes eepRead = frame({0x31, 0x0C, 0x01, 0x51});
    const Bytes eepReply = frame({0xA0, 0x0C, 0x01, 0x51, 0x12, 0x34});
    struct FaultCase {
        const char* name;
        std::vector<Step> steps;
        std::vector<bool> faults;
    };
    const std::vector<FaultCase> cases = {
        {"answered", {{PC, eepRead, 0}, {CAM, {cam::ACK}, 1}, {CAM, eepReply, 2}}, {0, 0, 0}},
        {"bad CRC and NAK",
         {{PC, eepRead, 0}, {CAM, badCrc(eepReply), 1}, {PC, {cam::NAK}, 2}, {CAM, {cam::NAK}, 3}},
         {0, 1, 1, 1}},
        {"refused", {{CAM, frame({0xA1, 0x0C}), 0}, {CAM, shortReply(0x15, 0x00), 1}}, {1, 1}},
        {"broken off and stray",
         {{CAM, {cam::STX, 0x31}, 0},
          {CAM, Bytes(15, 0x11), 1},
          {CAM, {0x41}, 2},
          {TTrafficDirection::None, {}, 3}},
         {1, 1}},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<TTrafficRecord> got = assemble(c.steps);
        ASSERT_EQ(got.size(), c.faults.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i].fault, c.faults[i]) << i << ": " << got[i].text;
    }
}

TEST(TrafficAssembler, MarkersAreOneLineAndFollowTheStrayBytes) {
    cam::TTrafficAssembler traffic;
    std::vector<TTrafficRecord> got;
    const int id = traffic.AddSink([&](const TTrafficRecord& r) { got.push_back(r); });
    const Bytes stray{0x41};
    traffic.Received(stray.data(), 1, 5);
    traffic.Fault("time-out: re-sending", 9);
    traffic.Marker("\nCopy started:\r\n\tCamera->PC\n", 10);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, TTrafficKind::Noise);
    EXPECT_EQ(got[1].kind, TTrafficKind::Marker);
    EXPECT_EQ(got[1].text, "time-out: re-sending");
    EXPECT_TRUE(got[1].fault);
    EXPECT_EQ(got[2].text, "Copy started: Camera->PC");
    EXPECT_FALSE(got[2].fault);
    traffic.RemoveSink(id);
    traffic.Marker("unseen");
    EXPECT_EQ(got.size(), 3u);
}

TEST(TrafficTime, LocalTimeWithItsOffset) {
    struct TimeCase {
        const char* zone;
        std::int64_t wallUs;
        const char* iso;
        const char* clock;
    };
    for (const TimeCase& c : {
             TimeCase{"CET-1CEST,M3.5.0,M10.5.0/3", 1796922901'250123,
                      "2026-12-10T18:15:01.250123+01:00", "18:15:01.250"},
             TimeCase{"CET-1CEST,M3.5.0,M10.5.0/3", 1782900000'000999,
                      "2026-07-01T12:00:00.000999+02:00", "12:00:00.000"},
             TimeCase{"<-0330>3:30", 1796868000'500000, "2026-12-09T22:30:00.500000-03:30",
                      "22:30:00.500"},
             TimeCase{"UTC0", -1, "1969-12-31T23:59:59.999999+00:00", "23:59:59.999"},
         }) {
        SCOPED_TRACE(c.zone);
        const ZoneScope zone(c.zone);
        EXPECT_EQ(cam::TrafficIsoTime(c.wallUs), c.iso);
        EXPECT_EQ(cam::TrafficClockTime(c.wallUs), c.clock);
    }
}

TEST(TrafficCsv, QuotesWhatNeedsIt) {
    TTrafficRecord r;
    r.direction = CAM;
    r.kind = TTrafficKind::Reply;
    r.crc = TTrafficCrc::Good;
    r.text = "gain \"high\", then low";
    r.replyUs = 12345;
    r.bytes = {0x06};
    EXPECT_EQ(cam::TrafficCsvLine(r, "T"),
              "T,CAM>PC,reply,\"gain \"\"high\"\", then low\",CRC ok,12.3,06");
    EXPECT_EQ(cam::TrafficCsvLine(TTrafficRecord{}, "a\nb"), "\"a\nb\",--,marker,,,,");
}

TEST(TapPort, PassesEverythingOnAndRecordsIt) {
    FakePort inner;
    cam::TTrafficAssembler traffic;
    std::vector<TTrafficRecord> got;
    traffic.AddSink([&](const TTrafficRecord& r) { got.push_back(r); });
    cam::TTapPort tap(inner, traffic,
                      [](std::uint8_t n) { return "/dev/ttyX" + std::to_string(n); });
    int notified = 0;
    tap.OnCommReceive = [&](std::uint16_t size) {
        notified += size;
        Bytes in(size);
        EXPECT_EQ(tap.Read(in.data(), size), size);
    };
    inner.answer = [](std::uint8_t, const Bytes& w) {
        return w == Bytes{cam::ENQ} ? Bytes{cam::ACK} : Bytes{};
    };

    inner.missingPorts = {2};
    tap.SetPort(2);
    EXPECT_THROW(tap.Open(), std::runtime_error);
    tap.SetPort(1);
    tap.Open();
    const std::uint8_t enq = cam::ENQ;
    tap.Write(&enq, 1);
    inner.Deliver();
    tap.Close();
    inner.Close(); // already closed: no second marker

    EXPECT_EQ(inner.Written(), Bytes{cam::ENQ});
    EXPECT_EQ(notified, 1);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].text.rfind("COM2 (/dev/ttyX2) not opened: ", 0), 0u) << got[0].text;
    EXPECT_EQ(got[1].text, "COM1 (/dev/ttyX1) opened");
    EXPECT_EQ(got[2].direction, PC);
    EXPECT_EQ(got[3].direction, CAM);
    EXPECT_EQ(got[3].replyUs >= 0, true);
    EXPECT_EQ(got[4].text, "COM1 (/dev/ttyX1) closed");
    // What failed on the port shows as a fault; its ordinary events do not.
    const bool faults[] = {true, false, false, false, false};
    for (std::size_t i = 0; i < std::size(faults); ++i)
        EXPECT_EQ(got[i].fault, faults[i]) << got[i].text;

    // Without a description the port names its device; its loss is a
    // marker and reaches whoever listens on the tap.
    FakePort other;
    cam::TTapPort plain(other, traffic);
    int lost = 0;
    plain.OnDeviceLost = [&] { ++lost; };
    plain.Open();
    other.HangUp();
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(plain.Lost());
    ASSERT_EQ(got.size(), 7u);
    EXPECT_EQ(got[5].text, "COM1 (/dev/fake1) opened");
    EXPECT_EQ(got[6].text, "COM1 (/dev/fake1) device lost");
    EXPECT_TRUE(got[6].fault);
    got.resize(5);

    // A write that fails is a marker and still reaches the caller.
    EXPECT_THROW(tap.Write(&enq, 1), std::runtime_error);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[5].text.rfind("write of 1 bytes failed", 0), 0u) << got[5].text;
    EXPECT_TRUE(got[5].fault);
}

TEST(Journal, OneLinePerRecordAndAFailureReportedOnce) {
    char path[] = "/tmp/cam38r5-journal-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    cam::TTrafficAssembler traffic;
    cam::TJournal journal;
    traffic.AddSink([&](const TTrafficRecord& r) { journal.Write(r); });
    ASSERT_TRUE(journal.Open(path));
    const Bytes f = frame({0x31, 0x0A, 0x2B});
    traffic.Sent(f.data(), f.size(), cam::TrafficNowUs());
    traffic.Marker("copy\nstarted");
    journal.Close();
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::remove(path);
    ASSERT_EQ(lines.size(), 3u); // "journal opened", the command, the marker
    EXPECT_NE(lines[0].find("\t--\tmarker\tjournal opened"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].substr(lines[1].find('\t')),
              "\tPC>CAM\tcommand\tregister read 0x2B\tCRC ok\t\t" + cam::TrafficHex(f));
    EXPECT_EQ(lines[2].substr(lines[2].find('\t')), "\t--\tmarker\tcopy started\t\t\t");
    // Local time with the offset of the zone in force, to the microsecond.
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}[+-]\d\d:\d\d)");
    EXPECT_TRUE(std::regex_match(lines[1].substr(0, lines[1].find('\t')), iso)) << lines[1];

    struct Target {
        const char* path;
        bool opens;
    };
    for (const Target& t :
         {Target{"/dev/full", true}, Target{"/nonexistent-dir/journal.txt", false}}) {
        SCOPED_TRACE(t.path);
        cam::TJournal broken;
        int reports = 0;
        broken.SetFailureHandler([&](const std::string& message) {
            ++reports;
            EXPECT_NE(message.find(t.path), std::string::npos) << message;
        });
        EXPECT_FALSE(broken.Open(t.path));
        EXPECT_EQ(broken.IsOpen(), t.opens);
        for (int i = 0; i < 3; ++i)
            broken.Write(TTrafficRecord{});
        EXPECT_EQ(reports, 1);
        EXPECT_TRUE(broken.Failed());
    }
}
