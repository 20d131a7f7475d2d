// The Copy tab on its own: refused files, failed writes, the overwrite
// question and the replies that must not move a copy on.

#include "tests/ui/copy_test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>

#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace copy_test {
namespace {

// ---- files refused before anything is sent -------------------------------------------

TEST_F(CopyTabTest, RefusedFilesSendNothingAndLeaveTheTableAlone) {
    const struct {
        const char* what;
        bool batch;
        std::optional<std::string> text; // nullopt: no such file
        const char* reason;              // in the box after "File read Error occured"
    } cases[] = {
        {"missing", false, std::nullopt, ""},
        {"missing", true, std::nullopt, ""},
        {"cut inside the last word", false, CameraFile().substr(0, 32 * 1022 + 10), "line 1023"},
        {"cut at a line end", true, CameraFile().substr(0, 32 * 1000), "0x03E8"},
        {"reset before the end", false, "F1000000\r\n" + CameraFile(), "line 1"},
        {"not hexadecimal", true, "210C0000ZZ\r\n" + CameraFile(), "line 1"},
    };
    for (std::size_t i = 0; i < ctx.data.size(); ++i)
        ctx.data[i] = static_cast<std::int32_t>(i * 7);
    const auto before = ctx.data;
    int n = 0;
    for (const auto& c : cases) {
        MessageLog::clear();
        const QString name = path("in") + QString::number(n++);
        if (c.text) WriteFile(name, *c.text);
        get<QCheckBox>("Same")->setChecked(false);
        dialogAnswers.push_back(name);
        c.batch ? tab.ptocOk2Click() : tab.ptocOkClick();

        EXPECT_TRUE(ctx.sent.empty() && host.bulk.empty()) << c.what;
        EXPECT_EQ(ctx.data, before) << c.what;
        EXPECT_FALSE(tab.CopyRunning()) << c.what;
        ASSERT_EQ(MessageLog::shown().size(), 1) << c.what;
        const TShownMessage box = MessageLog::shown().front();
        EXPECT_TRUE(box.text.startsWith("File read Error occured")) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(QLatin1String(c.reason))) << box.text.toStdString();
        EXPECT_EQ(box.caption, "File.ERR");
    }
}

// ---- "Camera->PC" that cannot finish its file ----------------------------------------

// Files of this process cannot grow past `bytes`, as on a full disk (the
// write fails with EFBIG instead of ending the process).
struct FileSizeLimit {
    rlimit saved{};
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
};

TEST_F(CopyTabTest, CameraToPcThatFailsLeavesNoFileLookingComplete) {
    enum Fault { kFolderGone, kWordSkipped, kDiskFull };
    const struct {
        const char* what;
        Fault fault;
        QStringList left; // what the folder holds afterwards
        const char* box;
        const char* caption;
    } cases[] = {
        {"the folder is gone when the file is written",
         kFolderGone,
         {},
         "File write Error occured",
         "File.ERR"},
        // Read again a few times, then the copy stops.
        {"the camera answers word 0x101 for 0x100", kWordSkipped, {"cam.dat"}, " Error ", "ERR"},
        {"the disk fills up halfway through the file",
         kDiskFull,
         {"cam.dat"},
         "File write Error occured",
         "File.ERR"},
    };
    int n = 0;
    for (const auto& c : cases) {
        MessageLog::clear();
        ctx.sent.clear();
        const QString folder = path("case") + QString::number(n++);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString name = QDir(folder).filePath("cam.dat");
        if (c.fault != kFolderGone) WriteFile(name, "earlier copy\r\n");
        dialogAnswers.push_back(name);
        tab.CtopOK2Click();
        if (c.fault == kFolderGone) {
            ASSERT_TRUE(QDir(folder).removeRecursively());
        }
        {
            std::optional<FileSizeLimit> limit;
            if (c.fault == kDiskFull) limit.emplace(16 * 1024);
            // The camera answers each read with the address it read (or not).
            for (std::size_t k = 0; k < ctx.sent.size(); ++k) {
                const auto p = ctx.Payload(k, 4);
                int a = p[2] << 8 | p[3];
                if (c.fault == kWordSkipped && a == 0x100) a = 0x101;
                ctx.SetReply({0x0C, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a),
                              0x12, 0x34});
                tab.Trans_end_copy();
            }
        }

        ASSERT_EQ(MessageLog::shown().size(), 1) << c.what;
        EXPECT_TRUE(MessageLog::shown().front().text.startsWith(QLatin1String(c.box))) << c.what;
        EXPECT_EQ(MessageLog::shown().front().caption, c.caption) << c.what;
        EXPECT_FALSE(tab.CopyRunning()) << c.what;
        // No temporary file is left behind, and an earlier copy stays as it was.
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  c.left)
            << c.what;
        if (c.fault != kFolderGone) {
            EXPECT_EQ(ReadFile(name), std::optional<std::string>("earlier copy\r\n")) << c.what;
        }
        EXPECT_FALSE(completeShown()) << c.what;
    }
}

TEST_F(CopyTabTest, OverwritingAFileIsAskedFirst) {
    const QString name = path("old.dat");
    WriteFile(name, "keep me\r\n");
    for (const bool yes : {false, true}) {
        ctx.sent.clear();
        questions.clear();
        answerYes = yes;
        dialogAnswers.push_back(name);
        tab.CtopOK2Click();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0], "Do you really want to over write old.dat?");
        EXPECT_EQ(ctx.sent.size(), yes ? 1u : 0u) << yes;
        EXPECT_EQ(ctx.data[0x2B], yes ? -1 : 0) << yes; // words marked unread once it starts
    }
    EXPECT_EQ(ReadFile(name), std::optional<std::string>("keep me\r\n"));
}

// ---- the single copy ----------------------------------------------------------------

TEST_F(CopyTabTest, SingleCopySendsEachLineWholeAndReusesTheSameFile) {
    const QString name = path("lines.dat");
    WriteFile(name, "210c0005ab\n\r\n210A2B11223344556677889900AABB\r\n");
    ctx.tx.fill(0xEE); // what an earlier frame left in the transmit frame
    dialogAnswers.push_back(name);
    tab.ptocOkClick();
    ctx.SetReply({0x0C, 0x00, 0x05});
    tab.Trans_end_copy();
    ctx.SetReply({0x0A, 0x2B});
    tab.Trans_end_copy();

    ASSERT_EQ(ctx.sent.size(), 2u);
    EXPECT_EQ(ctx.Payload(0, 15),
              Bytes({0x21, 0x0C, 0x00, 0x05, 0xAB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ctx.Payload(1, 3), Bytes({0x21, 0x0A, 0x2B}));
    EXPECT_TRUE(completeShown());

    ctx.sent.clear(); // "Same File Name" is now checked: no dialog this time
    tab.ptocOkClick();
    EXPECT_EQ(dialogsRun, 1);
    EXPECT_EQ(ctx.sent.size(), 1u);
}

TEST_F(CopyTabTest, RepliesThatDoNotMoveASingleCopyOn) {
    const struct {
        const char* what;
        std::function<void(CopyTabTest&)> reply;
        int errorBoxes;
        std::size_t sent = 1; // frames sent in all
    } cases[] = {
        {"an error reply, then a good one",
         [](CopyTabTest& t) {
             t.ctx.SetReply({0x0C}, 0xE0);
             t.tab.Trans_end_copy();
             t.ctx.SetReply({0x0C});
             t.tab.Trans_end_copy();
         },
         1},
        {"a reply to the load sequence",
         [](CopyTabTest& t) {
             t.ctx.sequenceRunning = true;
             t.tab.Trans_end_copy();
             t.ctx.sequenceRunning = false;
         },
         0},
        {"a late answer to an earlier word: the line in flight goes again",
         [](CopyTabTest& t) {
             t.ctx.SetReply({0x0C, 0x00, 0x07});
             t.tab.Trans_end_copy();
         },
         0, 2},
    };
    const QString name = path("three.dat");
    WriteFile(name, "210C00000001\r\n210C00010002\r\n210C00020003\r\n");
    for (const auto& c : cases) {
        MessageLog::clear();
        ctx.sent.clear();
        ctx.SetReply({0x0C, 0x00, 0x00});
        get<QCheckBox>("Same")->setChecked(false);
        dialogAnswers.push_back(name);
        tab.ptocOkClick();
        ASSERT_EQ(ctx.sent.size(), 1u) << c.what;
        c.reply(*this);
        ASSERT_EQ(ctx.sent.size(), c.sent) << c.what;
        EXPECT_EQ(ctx.sent.back(), ctx.sent.front()) << c.what;
        EXPECT_EQ(MessageLog::count(" Error "), c.errorBoxes) << c.what;
    }
}

} // namespace

// Leaving the tab stops a single copy: a later reply on the tab sends no line.
TEST_F(CopyTabTest, SingleCopyStopsWhenTheTabIsLeft) {
    const QString name = path("left.dat");
    WriteFile(name, "210c0005ab\n210c0006cd\n");
    dialogAnswers.push_back(name);
    tab.ptocOkClick();
    tab.PageLeft();
    ctx.SetReply({0x32});
    tab.Trans_end_copy();
    EXPECT_EQ(ctx.sent.size(), 1u);
    EXPECT_FALSE(completeShown());
    EXPECT_EQ(MessageLog::count(QStringLiteral("The copy was stopped because the tab was changed")),
              1);
    // The second line tells what the camera was left with: its first line was sent, not answered.
    EXPECT_TRUE(
        MessageLog::shown().back().text.endsWith(QStringLiteral("\nthe camera was not written")))
        << MessageLog::shown().back().text.toStdString();
}

} // namespace copy_test

namespace copy_test {
namespace {

// "Same File Name" is ticked only when a copy starts (not by Verify, not by
// a file that failed to load), and a reused file is always the one "File
// Name" shows: otherwise the open dialog asks.
TEST_F(CopyTabTest, SameFileNameReusesOnlyTheFileShown) {
    auto* same = get<QCheckBox>("Same");
    auto* shown = get<QLabel>("Copyfname2");
    const QString bad = path("bad.dat");
    WriteFile(bad, "no records here\r\n");
    for (auto click : {&TCopyTab::VerifyButtonClick, &TCopyTab::ptocOkClick}) {
        dialogAnswers.push_back(bad);
        (tab.*click)();
        EXPECT_FALSE(same->isChecked());
    }
    const QString a = path("a.dat");
    WriteFile(a, "210c0005ab\r\n");
    dialogAnswers.push_back(a);
    tab.ptocOkClick();
    ctx.SetReply({0x0C, 0x00, 0x05});
    tab.Trans_end_copy();
    ASSERT_TRUE(same->isChecked());
    shown->setText(path("b.dat")); // as a Camera->PC to b.dat leaves it
    const int dialogs = dialogsRun;
    ctx.sent.clear();
    tab.ptocOk2Click(); // no answer: cancelled
    EXPECT_EQ(dialogsRun, dialogs + 1);
    EXPECT_TRUE(ctx.sent.empty());
    EXPECT_TRUE(host.bulk.empty());
}

} // namespace
} // namespace copy_test
