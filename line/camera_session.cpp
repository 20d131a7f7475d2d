#include "line/camera_session.h"

#include "comm/port_map.h"
#include "line/backup_name.h"
#include "line/clone_image.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimer>

#include <array>
#include <exception>

namespace cam {

namespace {
// The share of the whole job (percent) each phase takes, in the order
// backup, write, reset, verify: reading 1024 words costs 20 times the bulk image.
std::array<int, 4> phaseShares(const SessionPlan& plan) {
    switch (plan.job) {
    case SessionPlan::Job::Backup:
        return {100, 0, 0, 0};
    case SessionPlan::Job::Verify:
        return {0, 0, 0, 100};
    case SessionPlan::Job::Restore:
        return plan.single ? std::array<int, 4>{0, 50, 0, 50} : std::array<int, 4>{0, 5, 1, 94};
    case SessionPlan::Job::Clone:
        break;
    }
    return {48, 3, 1, 48};
}

int phaseIndex(TCameraSession::Phase phase) {
    switch (phase) {
    case TCameraSession::Phase::Backup:
        return 0;
    case TCameraSession::Phase::Write:
        return 1;
    case TCameraSession::Phase::Reset:
        return 2;
    case TCameraSession::Phase::Verify:
        return 3;
    default:
        return -1;
    }
}
} // namespace

const char* TCameraSession::PhaseName(Phase phase) {
    switch (phase) {
    case Phase::Connect:
        return "connect";
    case Phase::Backup:
        return "backup";
    case Phase::Write:
        return "write";
    case Phase::Reset:
        return "reset";
    case Phase::Verify:
        return "verify";
    case Phase::Ended:
        break;
    }
    return "end";
}

TCameraSession::TCameraSession(SessionPlan plan, std::unique_ptr<IPort> port, QObject* parent)
    : QObject(parent), plan_(std::move(plan)), comm_(std::move(port)), link_(*comm_, *this),
      engine_(*this, *this) {
    row_.port = plan_.port;
    // The ACK and the reply frame of an exchange are waited for together.
    link_.SetWholeAnswers(true);
    timer_ = new QTimer(this);
    timer_->setInterval(plan_.tickMs);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
    comm_->OnCommReceive = [this](std::uint16_t size) { received(size); };
    comm_->OnDeviceLost = [this] { guarded([this] { link_.DeviceLost(); }); };
}

TCameraSession::~TCameraSession() {
    comm_->OnCommReceive = nullptr;
    comm_->OnDeviceLost = nullptr;
    comm_->Close();
}

template <typename F> void TCameraSession::guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        fail(e.what());
    }
}

void TCameraSession::Start() {
    clock_.start();
    phaseClock_.start();
    row_.start = IsoTime(QDateTime::currentDateTime());
    SetPortDevice(plan_.portNumber, plan_.port);
    // A stable name (/dev/serial/by-id/...) resolves to the device behind it.
    row_.device = QFileInfo(QString::fromStdString(plan_.port)).canonicalFilePath().toStdString();
    link_.StayOnPort(plan_.portNumber);
    report(0);
    timer_->start();
    try {
        link_.CnctDataLink(plan_.portNumber, 9600);
        link_.IdEnq();
    } catch (const std::exception& e) {
        lastError_ = e.what(); // the supervision opens it again at each tick
    }
}

void TCameraSession::Interrupt() {
    if (Ended()) return;
    engine_.End(); // nothing more goes out; Camera->PC writes no file
    end(std::string("interrupted during ") + PhaseName(lost_ ? lostIn_ : phase_));
}

// ---- the line ------------------------------------------------------------------

void TCameraSession::Tick() {
    if (Ended()) return;
    if (lost_ && ++lostTicks_ > kLostTicks) {
        fail("the device is gone (" + link_.PortLabel() + ")");
        return;
    }
    guarded([this] { link_.SendTimerTimer(); });
}

void TCameraSession::received(std::uint16_t size) {
    if (Ended()) {
        return;
    }
    guarded([this, size] { link_.Comm1CommReceive(size); });
}

std::uint32_t TCameraSession::nextTag() {
    if (++tag_ == 0) ++tag_;
    return tag_;
}

std::uint32_t TCameraSession::SendCommand(const Payload& payload, int count) {
    TxFrame& tx = link_.Tx();
    for (int k = 0; k < count; ++k)
        tx[static_cast<std::size_t>(k) + 1] = payload[static_cast<std::size_t>(k)];
    const std::uint32_t tag = nextTag();
    bool taken = false;
    guarded([&] { taken = link_.Submit(count, tag, nullptr); });
    return taken ? tag : 0;
}

std::uint32_t TCameraSession::SendImage(const CopyImage& image) {
    std::array<std::int32_t, kBulkDataSize> table{};
    for (std::size_t n = 0; n < kBulkDataSize; ++n)
        table[n] = image.bytes[n];
    const std::uint32_t tag = nextTag();
    bool taken = false;
    guarded([&] { taken = link_.SohCommand(table.data(), tag); });
    return taken ? tag : 0;
}

void TCameraSession::SendReset() {
    enter(Phase::Reset);
    const Payload reset{kResetClass};
    resetTag_ = SendCommand(reset, 1);
    if (resetTag_ == 0) fail("the reset was not sent");
}

void TCameraSession::LinkMessage(const std::string& text, const std::string&, bool) {
    lastError_ = text;
}

void TCameraSession::SerialError(const std::string& message) {
    lastError_ = message;
}

void TCameraSession::Connected() {
    if (Ended()) return;
    if (lost_) {
        lost_ = false;
        event("the device is back: " + std::string(PhaseName(lostIn_)) + " starts again");
        // After the bulk image its reset and read-back are repeated with it.
        startPhase(lostIn_ == Phase::Reset ? Phase::Write : lostIn_);
        return;
    }
    switch (plan_.job) {
    case SessionPlan::Job::Backup:
    case SessionPlan::Job::Clone:
        startPhase(Phase::Backup);
        break;
    case SessionPlan::Job::Restore:
        startPhase(Phase::Write);
        break;
    case SessionPlan::Job::Verify:
        startPhase(Phase::Verify);
        break;
    }
}

void TCameraSession::GiveUp() {
    fail("no camera answered" + (lastError_.empty() ? std::string() : " (" + lastError_ + ")"));
}

void TCameraSession::DeviceLost(const std::string& message) {
    if (Ended()) return;
    engine_.End();
    lostIn_ = phase_ == Phase::Connect ? Phase::Connect : phase_;
    lost_ = true;
    lostTicks_ = 0;
    event(message + " during " + PhaseName(lostIn_) + "; waiting for it to come back");
}

void TCameraSession::ReplyReceived() {
    engine_.Reply(link_.Reply(), link_.AnsweredTag());
}

void TCameraSession::ResetAcknowledged() {
    // The link finishes the reset's exchange after this call: the next
    // frame goes out once it has.
    QTimer::singleShot(0, this, [this] {
        if (Ended() || lost_) return;
        if (engine_.Running() == CopyProcedure::Single) {
            engine_.ResetAcknowledged();
        } else if (phase_ == Phase::Reset) {
            startPhase(Phase::Verify);
        }
    });
}

void TCameraSession::ExchangeAbandoned(std::uint32_t tag) {
    const auto awaited = [this, tag] {
        return tag != 0 &&
               (tag == engine_.Awaited() || (tag == resetTag_ && phase_ == Phase::Reset));
    };
    if (!awaited()) return;
    // A lost device is waited for; anything else ends this camera.
    QTimer::singleShot(0, this, [this, awaited] {
        if (Ended() || lost_ || !awaited()) return;
        engine_.End();
        fail("the camera did not answer" + (lastError_.empty() || lastError_.front() == ' '
                                                ? std::string()
                                                : " (" + lastError_ + ")"));
    });
}

// ---- the phases ------------------------------------------------------------------

void TCameraSession::enter(Phase phase) {
    // The row's seconds, in the order of the phases; the end has none.
    double* const seconds[] = {&row_.seconds.connect, &row_.seconds.backup, &row_.seconds.write,
                               &row_.seconds.reset, &row_.seconds.verify};
    if (phase_ != phase && phase_ != Phase::Ended)
        *seconds[static_cast<int>(phase_)] += static_cast<double>(phaseClock_.restart()) / 1000.0;
    phase_ = phase;
}

void TCameraSession::startPhase(Phase phase) {
    switch (phase) {
    case Phase::Connect:
    case Phase::Backup:
        startBackup();
        break;
    case Phase::Write:
    case Phase::Reset:
        startWrite();
        break;
    case Phase::Verify:
        startVerify();
        break;
    case Phase::Ended:
        break;
    }
}

void TCameraSession::startBackup() {
    enter(Phase::Backup);
    if (plan_.job == SessionPlan::Job::Clone) {
        // A new file each time: a backup is never overwritten.
        backupPath_ =
            UniquePath(plan_.backupDir.toStdString(),
                       BackupFileName(plan_.port, row_.device, QDateTime::currentDateTime()));
        engine_.StartCameraToPc(QString::fromStdString(backupPath_));
    } else {
        engine_.StartCameraToPc(plan_.file);
    }
}

void TCameraSession::startWrite() {
    enter(Phase::Write);
    if (plan_.job == SessionPlan::Job::Restore) {
        expected_ = plan_.fileWords;
        if (plan_.single) {
            engine_.StartSingle(plan_.lines, plan_.fileSize);
        } else {
            engine_.StartBatch(plan_.image, plan_.fileSize);
        }
        return;
    }
    const CopyImage image = CloneImage(plan_.image, engine_.Words(), plan_.keep, &expected_);
    engine_.StartBatch(image, kBulkDataSize);
}

void TCameraSession::startVerify() {
    enter(Phase::Verify);
    engine_.StartVerify(plan_.job == SessionPlan::Job::Verify ? plan_.fileWords : expected_);
}

void TCameraSession::CopyProgress(CopyProcedure, int value, int maximum) {
    const int index = phaseIndex(phase_);
    if (index < 0 || maximum <= 0) return;
    const std::array<int, 4> shares = phaseShares(plan_);
    int before = 0;
    for (int i = 0; i < index; ++i)
        before += shares[static_cast<std::size_t>(i)];
    report(before + shares[static_cast<std::size_t>(index)] * std::min(value, maximum) / maximum);
}

void TCameraSession::CopyEnded(const CopyEnd& end) {
    switch (end.kind) {
    case CopyEndKind::Done:
        break;
    case CopyEndKind::Rejected:
        fail("the camera refused a command");
        return;
    case CopyEndKind::Failed:
    case CopyEndKind::Refused:
    case CopyEndKind::FileError:
        fail(end.why);
        return;
    }
    switch (end.procedure) {
    case CopyProcedure::CameraToPc:
        if (plan_.job == SessionPlan::Job::Backup) {
            row_.backupFile = plan_.file.toStdString();
            this->end("ok");
        } else {
            row_.backupFile = backupPath_; // written whole: only now may the camera be written
            startWrite();
        }
        return;
    case CopyProcedure::Single:
        // Ended by its reset line, or by its last line when it had none.
        QTimer::singleShot(0, this, [this] {
            if (!Ended() && !lost_) startPhase(Phase::Verify);
        });
        return;
    case CopyProcedure::Batch:
        return; // its reset is out (SendReset); its ACK starts the read-back
    case CopyProcedure::Verify: {
        const auto differing = static_cast<int>(engine_.Differences().size());
        row_.differing = differing;
        if (differing == 0) {
            this->end("ok");
        } else {
            fail(std::to_string(differing) + " of " + std::to_string(engine_.Verified()) +
                 " words differ");
        }
        return;
    }
    case CopyProcedure::None:
        return;
    }
}

// ---- the end ---------------------------------------------------------------------

void TCameraSession::fail(const std::string& why) {
    if (Ended()) return;
    const Phase phase = lost_ ? lostIn_ : phase_;
    std::string result = std::string(PhaseName(phase)) + " failed: " + why;
    // A camera written to, wholly or not, names the backup of its own image.
    if (plan_.job == SessionPlan::Job::Clone && phase >= Phase::Write)
        result += "; its own EEPROM is saved in " + row_.backupFile;
    end(result);
}

void TCameraSession::end(const std::string& result) {
    if (Ended()) return;
    engine_.End();
    enter(Phase::Ended);
    timer_->stop();
    comm_->OnCommReceive = nullptr;
    comm_->Close();
    row_.result = result;
    row_.end = IsoTime(QDateTime::currentDateTime());
    event(result);
    CameraProgress done;
    done.port = plan_.port;
    done.phase = "done";
    done.percent = result == "ok" ? 100 : 0;
    done.finished = true;
    done.result = result;
    if (onProgress) onProgress(done);
    if (onEnded) onEnded();
}

void TCameraSession::event(const std::string& text) {
    if (onEvent) onEvent(text);
}

void TCameraSession::report(int percent) {
    if (!onProgress) return;
    CameraProgress p;
    p.port = plan_.port;
    p.phase = PhaseName(phase_);
    p.percent = percent;
    const double elapsed = static_cast<double>(clock_.elapsed()) / 1000.0;
    if (percent > 0 && percent < 100) p.secondsLeft = elapsed * (100 - percent) / percent;
    onProgress(p);
}

} // namespace cam
