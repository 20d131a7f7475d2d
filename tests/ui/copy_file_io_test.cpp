// Copy files that are not regular files, and a copy file in a folder that
// takes no new file.

#include "copy/copy_file_io.h"
#include "tests/ui/copy_test_support.h"

#include <QDir>
#include <QElapsedTimer>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace copy_test {
namespace {

// Should anything open the FIFO for reading, this opens it for writing and
// closes it again, so that the reader gets an empty file instead of waiting
// for ever (and the test fails instead of hanging).
struct FifoUnblocker {
    std::atomic<bool> done{false};
    std::thread thread;
    explicit FifoUnblocker(const QByteArray& path)
        : thread([this, path] {
              while (!done) {
                  const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      ::close(fd);
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          }) {}
    ~FifoUnblocker() {
        done = true;
        thread.join();
    }
};

TEST_F(CopyTabTest, OnlyRegularFilesAreCopyFiles) {
    const QString fifo = path("pipe.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(path("folder.dat")));
    FifoUnblocker unblocker(QFile::encodeName(fifo));
    const struct {
        const char* what;
        QString file;
        const char* button; // CtopOK2, ptocOk, ptocOk2
        const char* box;
        const char* kind;
    } cases[] = {
        {"a FIFO to read", fifo, "ptocOk", "File read Error occured", "is a FIFO"},
        {"a FIFO for the batch", fifo, "ptocOk2", "File read Error occured", "is a FIFO"},
        {"a FIFO to write", fifo, "CtopOK2", "File write Error occured", "is a FIFO"},
        {"a device to read", "/dev/null", "ptocOk", "File read Error occured", "is a device"},
        {"a device to write", "/dev/null", "CtopOK2", "File write Error occured", "is a device"},
        {"a folder to read", path("folder.dat"), "ptocOk2", "File read Error occured",
         "is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageLog::clear();
        ctx.sent.clear();
        get<QCheckBox>("Same")->setChecked(false);
        dialogAnswers.push_back(c.file);
        QElapsedTimer clock;
        clock.start();
        QMetaObject::invokeMethod(&tab, (QByteArray(c.button) + "Click").constData());
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_TRUE(ctx.sent.empty() && host.bulk.empty());
        EXPECT_FALSE(tab.CopyRunning());
        ASSERT_EQ(MessageLog::shown().size(), 1);
        const QString text = MessageLog::shown().front().text;
        EXPECT_TRUE(text.startsWith(QLatin1String(c.box))) << text.toStdString();
        EXPECT_TRUE(text.contains(c.file + QLatin1Char(' ') + QLatin1String(c.kind)))
            << text.toStdString();
    }
}

// Filesystem checks as another user than root, who may write anywhere.
struct AsNobody {
    bool switched = false;
    AsNobody() {
        if (::geteuid() == 0) switched = ::seteuid(65534) == 0;
    }
    ~AsNobody() {
        if (switched) [[maybe_unused]]
            const int back = ::seteuid(0);
    }
};

TEST_F(CopyTabTest, CopyFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    const struct {
        const char* what;
        bool folderWritable;
        bool sameFile; // written in place, not replaced by a new one
    } cases[] = {
        {"a writable folder: a new file replaces the old one", true, false},
        {"a read-only folder: written in place", false, true},
    };
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0); // to be passed through
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = path("f") + QString::number(n++);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString name = QDir(folder).filePath("cam.dat");
        WriteFile(name, std::string(40000, 'x')); // longer than what replaces it
        ASSERT_EQ(::chmod(QFile::encodeName(name).constData(), 0666), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), c.folderWritable ? 0777 : 0555),
                  0);
        struct stat before {};
        ::stat(QFile::encodeName(name).constData(), &before);
        QString error;
        bool written = false;
        {
            AsNobody nobody;
            written = WriteCopyFile(name, CameraFile(), &error);
        }
        struct stat after {};
        ::stat(QFile::encodeName(name).constData(), &after);
        ::chmod(QFile::encodeName(folder).constData(), 0777);
        EXPECT_TRUE(written) << error.toStdString();
        EXPECT_EQ(ReadFile(name), std::optional<std::string>(CameraFile()));
        EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{"cam.dat"});
    }
}

} // namespace
} // namespace copy_test
