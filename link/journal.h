#pragma once
// The session journal: every traffic record and marker appended to a text
// file as one line, written out at once, so that a field problem can be sent
// on as one file. Line: local ISO time with its UTC offset, to the
// microsecond (the inspector shows the same clock to the millisecond), then
// the fields of TrafficLine separated by tabs:
//   2025-05-01T10:00:00.123456+02:00<TAB>PC>CAM<TAB>command<TAB>register read
//   0x2B<TAB>CRC ok<TAB><TAB>02 31 ...
// A file that cannot be opened or written (full disk, no permission) is
// reported once through the failure handler; the journal then writes nothing
// more and never throws, so the link goes on.

#include "link/traffic.h"

#include <cstdint>
#include <functional>
#include <string>

namespace cam {

class TJournal {
  public:
    using FailureHandler = std::function<void(const std::string& message)>;

    TJournal() = default;
    ~TJournal();
    TJournal(const TJournal&) = delete;
    TJournal& operator=(const TJournal&) = delete;

    // Appends to `path` (created when missing) after a "journal opened"
    // line. False when the file cannot be opened (reported).
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    void Write(const TTrafficRecord& record);

    // Called once when opening or writing fails; Failed() then holds until
    // the next Open.
    void SetFailureHandler(FailureHandler handler) { onFailure_ = std::move(handler); }
    bool Failed() const { return failed_; }
    const std::string& FailureText() const { return failure_; }

    // The time of a traffic record as local ISO text with the UTC offset.
    static std::string IsoTime(std::int64_t steadyUs);

  private:
    void fail(const std::string& message);
    void writeLine(const std::string& line);

    int fd_ = -1;
    std::string path_;
    bool failed_ = false;
    std::string failure_;
    FailureHandler onFailure_;
};

} // namespace cam
