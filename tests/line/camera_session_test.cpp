// One camera session of the line program on an in-memory port whose other end
// is the simulated camera: what each job leaves in the camera and on disk.

#include "line/camera_session.h"
#include "sim/camera_model.h"
#include "support/fake_port.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using Job = cam::SessionPlan::Job;

std::uint16_t ownWord(int a) {
    return static_cast<std::uint16_t>(0xA000 + a);
}
std::uint16_t goldenWord(int a) {
    return static_cast<std::uint16_t>(0x5000 + 3 * a);
}

// A copy file of words 0..0x3FE as written by Camera->PC.
std::string fileOf(std::uint16_t (*word)(int)) {
    std::vector<std::int32_t> words(cam::kEepromWordCount);
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        words[static_cast<std::size_t>(a)] = word(a);
    std::string text, why;
    EXPECT_TRUE(cam::copy_file_text(words, &text, &why)) << why;
    return text;
}

struct Bench {
    camsim::CameraModel camera;
    FakePort* port = nullptr;
    std::unique_ptr<cam::TCameraSession> session;
    QTemporaryDir dir;

    Bench(cam::SessionPlan plan, camsim::ModelOptions faults = {}) : camera(faults) {
        for (int a = 0; a < cam::kEepromWordCount; ++a)
            camera.SetEeprom(a, ownWord(a));
        auto p = std::make_unique<FakePort>();
        port = p.get();
        port->answer = [this](std::uint8_t, const FakePort::Bytes& w) {
            return w.size() == 1 && w[0] == cam::ENQ ? FakePort::Bytes{}
                                                     : camera.Feed(w.data(), w.size());
        };
        port->opened = [this](std::uint8_t) {
            camera.LineOpened();
            return camera.DtrRaised();
        };
        plan.port = "/dev/fake-camera";
        plan.tickMs = 600000; // the test ticks itself
        if (plan.backupDir.isEmpty()) plan.backupDir = dir.path();
        session = std::make_unique<cam::TCameraSession>(std::move(plan), std::move(p));
    }

    // Runs the job to its end; `during` is called once at the given word read.
    void Run(std::function<void()> during = {}, int at = -1) {
        session->Start();
        bool called = false;
        for (int quiet = 0, rounds = 0; !session->Ended() && quiet < 400; ++rounds) {
            QCoreApplication::processEvents();
            if (during && rounds == at) {
                during();
                called = true;
            }
            const std::size_t waiting = port->rx.size();
            if (waiting > 0 && port->IsOpen()) {
                port->Deliver(1); // one notification a round, as from the watcher
                quiet = 0;
            } else {
                session->Tick();
                ++quiet;
            }
        }
        ASSERT_TRUE(session->Ended());
        ASSERT_EQ(called, bool(during)) << "the job ended before round " << at;
    }
};

cam::SessionPlan planFor(Job job, const std::string& text, bool single = false) {
    cam::SessionPlan plan;
    plan.job = job;
    plan.single = single;
    plan.fileSize = text.size();
    std::string why;
    if (job == Job::Restore && single) {
        EXPECT_TRUE(cam::parse_command_records(text, &plan.lines, &why)) << why;
    }
    if (job != Job::Verify && !single) {
        EXPECT_TRUE(cam::read_copy_image(text, &plan.image, &why)) << why;
    }
    EXPECT_TRUE(cam::read_copy_words(text, &plan.fileWords, &why)) << why;
    return plan;
}

struct JobCase {
    const char* name;
    Job job;
    bool single;
    camsim::ModelOptions faults;
    std::uint16_t (*file)(int a); // the words of the job's file
    // What the camera holds afterwards at address a.
    std::uint16_t (*after)(int a);
    bool restarted;
};

void PrintTo(const JobCase& c, std::ostream* os) {
    *os << c.name;
}

std::uint16_t clonedWord(int a) {
    return (a >= 0x100 && a <= 0x13F) || a == 0x3FF ? ownWord(a) : goldenWord(a);
}
std::uint16_t restoredWord(int a) {
    return a == 0x3FF ? ownWord(a) : goldenWord(a);
}

class SessionJobs : public testing::TestWithParam<JobCase> {};

TEST_P(SessionJobs, LeaveTheCameraAndItsBackupAsPlanned) {
    const JobCase& c = GetParam();
    cam::SessionPlan plan = planFor(c.job, fileOf(c.file), c.single);
    std::string why;
    ASSERT_TRUE(cam::ParseKeptRanges("0x100-0x13F", &plan.keep, &why));
    Bench bench(plan, c.faults);
    bench.Run();

    EXPECT_EQ(bench.session->Row().result, "ok");
    EXPECT_EQ(bench.camera.Restarts(), c.restarted ? 1 : 0);
    int wrong = 0;
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        wrong += bench.camera.Eeprom(a) != c.after(a);
    EXPECT_EQ(wrong, 0);
    if (c.job == Job::Clone) {
        // The backup holds the camera's words as they were before the write.
        QFile backup(QString::fromStdString(bench.session->Row().backupFile));
        ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
        EXPECT_EQ(backup.readAll().toStdString(), fileOf(ownWord));
        EXPECT_EQ(bench.session->Row().differing, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Line, SessionJobs,
    testing::Values(
        JobCase{
            "CloneKeepsItsRangesAndWord3FF", Job::Clone, false, {}, goldenWord, clonedWord, true},
        JobCase{"CloneThroughDroppedAndCorruptReplies", Job::Clone, false,
                [] {
                    camsim::ModelOptions o;
                    o.dropReplyEvery = 97;
                    o.corruptReplyEvery = 89;
                    o.delayReplyEvery = 101;
                    return o;
                }(),
                goldenWord, clonedWord, true},
        JobCase{
            "RestoreBatchKeepsWord3FF", Job::Restore, false, {}, goldenWord, restoredWord, true},
        JobCase{"RestoreSingleEndsWithItsReset",
                Job::Restore,
                true,
                {},
                goldenWord,
                restoredWord,
                true},
        JobCase{"VerifyTouchesNothing", Job::Verify, false, {}, ownWord, ownWord, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SessionFaults, EachEndsItsRowSayingWhatHappened) {
    struct Case {
        const char* name;
        int silentAfter;   // frames answered before the camera falls silent
        const char* start; // the row's result begins so
        bool backupNamed;
        bool untouched;
    };
    const Case cases[] = {
        {"silent at once", 0, "backup failed: the camera did not answer", false, true},
        {"silent during the backup", 500, "backup failed: the camera did not answer", false, true},
        // The bulk image is the 1025th frame: the camera never takes it.
        {"silent before the image", 1024, "write failed: the camera did not answer", true, true},
        {"silent during the read-back", 1100, "verify failed: the camera did not answer", true,
         false},
    };
    for (const Case& c : cases) {
        camsim::ModelOptions faults;
        faults.silentAfter = c.silentAfter;
        Bench bench(planFor(Job::Clone, fileOf(goldenWord)), faults);
        bench.Run();
        const cam::CameraRow& row = bench.session->Row();
        EXPECT_EQ(row.result.rfind(c.start, 0), 0u) << c.name << ": " << row.result;
        EXPECT_EQ(row.result.find(row.backupFile) != std::string::npos && !row.backupFile.empty(),
                  c.backupNamed)
            << c.name << ": " << row.result;
        EXPECT_EQ(bench.camera.Eeprom(0) == ownWord(0), c.untouched) << c.name;
        // A backup that was not finished is not on disk.
        EXPECT_EQ(QFile::exists(QString::fromStdString(row.backupFile)), c.backupNamed) << c.name;
    }
}

TEST(SessionFaults, ADeviceThatComesBackStartsItsPhaseAgain) {
    Bench bench(planFor(Job::Clone, fileOf(goldenWord)));
    bench.Run(
        [&] {
            bench.port->HangUp();
            bench.port->rx.clear();   // what was on its way is lost with it
            bench.port->gone = false; // plugged in again: the next tick opens it
        },
        300);
    EXPECT_EQ(bench.session->Row().result, "ok");
    EXPECT_EQ(bench.camera.Eeprom(0x200), goldenWord(0x200));
}

TEST(SessionFaults, AnInterruptedBackupWritesNoFile) {
    Bench bench(planFor(Job::Clone, fileOf(goldenWord)));
    bench.Run([&] { bench.session->Interrupt(); }, 200);
    EXPECT_EQ(bench.session->Row().result, "interrupted during backup");
    EXPECT_TRUE(QDir(bench.dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(bench.camera.Eeprom(0), ownWord(0));
}

} // namespace
