#pragma once
// One camera on one port, worked on by the production line program: its own
// serial port, link and copy engine, run by the program's event loop (the one
// thread that runs every link). A session goes through its phases
//   connect -> backup -> write -> reset -> verify
// (each job uses the ones it needs) and ends once, with its report row.
//
// A clone never writes a camera whose backup was not written. A device that
// goes away is waited for; when it comes back the phase it was in starts
// again (the bulk image is either taken whole by the camera or not at all).
// Each fault ends this camera's row only.

#include "copy/copy_engine.h"
#include "line/kept_ranges.h"
#include "line/line_report.h"
#include "line/progress_view.h"
#include "link/link.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace cam {

struct SessionPlan {
    enum class Job { Backup, Restore, Verify, Clone };
    Job job = Job::Clone;
    bool single = false;           // restore: line by line instead of the bulk image
    std::string port;              // as given on the command line
    std::uint8_t portNumber = 1;   // the link's port number (see port_map.h)
    QString file;                  // backup: the file written
    std::size_t fileSize = 0;      // restore: the size of the file read
    CopyImage image;               // restore (batch) and clone: the file's image
    std::vector<CopyRecord> lines; // restore --single
    CopyWords fileWords{};         // restore and verify: the words the file writes (-1: none)
    std::vector<KeptRange> keep;   // clone: the words each camera keeps
    QString backupDir;             // clone
    int tickMs = 1500;             // the link's supervision tick
};

class TCameraSession : public QObject, private ILinkHost, private ICopyLine, private ICopyObserver {
  public:
    enum class Phase { Connect, Backup, Write, Reset, Verify, Ended };
    // Ticks a lost device is waited for before its camera fails.
    static constexpr int kLostTicks = 20;

    // `port`: the camera's serial port (a TComm; tests pass an in-memory one).
    TCameraSession(SessionPlan plan, std::unique_ptr<IPort> port, QObject* parent = nullptr);
    ~TCameraSession() override;

    void Start();
    // One supervision tick (the timer calls it every plan.tickMs).
    void Tick();
    // Ctrl+C: the exchange under way is left, no file is half written and
    // the row says in which phase the camera was.
    void Interrupt();

    bool Ended() const { return phase_ == Phase::Ended; }
    const CameraRow& Row() const { return row_; }
    // The image a clone wrote (golden words with the camera's kept ones).
    const CopyWords& Expected() const { return expected_; }

    std::function<void(const CameraProgress&)> onProgress;
    std::function<void(const std::string&)> onEvent;
    std::function<void()> onEnded;

    static const char* PhaseName(Phase phase);

  private:
    // ILinkHost
    void SetStatusText(int, const std::string&) override {}
    void SetBusyPointer(bool) override {}
    void SetPageControlEnabled(bool) override {}
    void SetCopyProgressMax() override {}
    void LinkMessage(const std::string& text, const std::string& caption,
                     bool abortRetryIgnore) override;
    void Connected() override;
    void ReplyReceived() override;
    void ResetAcknowledged() override;
    void ExchangeAbandoned(std::uint32_t tag) override;
    void GiveUp() override;
    void ShowConnection(const std::string&, const std::string&) override {}
    void DeviceLost(const std::string& message) override;
    void SerialError(const std::string& message) override;
    // ICopyLine
    std::uint32_t SendCommand(const Payload& payload, int count) override;
    std::uint32_t SendImage(const CopyImage& image) override;
    void SendReset() override;
    // ICopyObserver
    void CopyProgress(CopyProcedure procedure, int value, int maximum) override;
    void CopyEnded(const CopyEnd& end) override;

    void received(std::uint16_t size);
    // Runs a link call; a serial fault it throws ends this camera.
    template <typename F> void guarded(F&& f);
    void enter(Phase phase);
    void startPhase(Phase phase);
    void startBackup();
    void startWrite();
    void startVerify();
    void fail(const std::string& why);
    void end(const std::string& result);
    void event(const std::string& text);
    void report(int percent);
    std::uint32_t nextTag();

    SessionPlan plan_;
    std::unique_ptr<IPort> comm_;
    TLink link_;
    TCopyEngine engine_;
    QTimer* timer_ = nullptr;
    Phase phase_ = Phase::Connect;
    Phase lostIn_ = Phase::Connect; // the phase a lost device interrupted
    bool lost_ = false;
    int lostTicks_ = 0;
    std::uint32_t tag_ = 0;
    std::uint32_t resetTag_ = 0; // the clone's or batch restore's reset in flight
    std::string backupPath_;     // the clone's backup being read
    std::string lastError_;      // the last serial error, for the row
    CopyWords expected_{};
    QElapsedTimer clock_;      // since Start
    QElapsedTimer phaseClock_; // since the phase began
    CameraRow row_;
};

} // namespace cam
