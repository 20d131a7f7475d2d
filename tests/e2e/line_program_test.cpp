// cam38r5-line against four simulated camera programs at once, each behind a
// link of its own as behind a stable port name: a healthy camera, one whose
// replies are now and then lost or spoilt, one that falls silent during its
// backup and one whose adapter is pulled and plugged in again. The report,
// the backups and each camera's EEPROM afterwards must tell the same story.

#include "e2e/sim_process.h"
#include "transactions/copy_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Words = std::array<std::int32_t, cam::kEepromWordCount>;
using Clock = std::chrono::steady_clock;

// A camera's own words: its seed in the top four bits, so that no two
// cameras (nor the golden file, seed 9) share a word at any address.
Words pattern(int seed) {
    Words words{};
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        words[static_cast<std::size_t>(a)] = seed << 12 | ((a * 7 + seed) & 0x0FFF);
    return words;
}

// All 1024 words (0x3FF too, which a backup leaves out), then the end record.
std::string fileOf(const Words& words) {
    std::string text;
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        text += cam::copy_record_text(cam::eeprom_write_payload(
            static_cast<std::uint16_t>(a),
            static_cast<std::uint16_t>(words[static_cast<std::size_t>(a)])));
    return text + cam::copy_record_text(cam::end_record_payload());
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

Words wordsIn(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    Words words{};
    std::string error;
    EXPECT_TRUE(cam::read_copy_words(text.str(), &words, &error)) << path << ": " << error;
    return words;
}

// "" when equal, else the first address that differs.
std::string difference(const Words& got, const Words& want) {
    for (std::size_t a = 0; a < got.size(); ++a) {
        if (got[a] == want[a]) continue;
        char text[64];
        std::snprintf(text, sizeof text, "word 0x%03zX is %d, not %d", a, got[a], want[a]);
        return text;
    }
    return {};
}

// The report's rows by port, each a map from column to field (none of the
// fields these cameras get holds a comma or a quote).
std::map<std::string, std::map<std::string, std::string>> readReport(const std::string& path) {
    std::ifstream in(path);
    const auto fields = [](const std::string& line) {
        std::vector<std::string> out;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, ',');)
            out.push_back(field);
        if (!line.empty() && line.back() == ',') out.emplace_back();
        return out;
    };
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> columns = fields(line);
    std::map<std::string, std::map<std::string, std::string>> rows;
    while (std::getline(in, line)) {
        const std::vector<std::string> values = fields(line);
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < columns.size() && i < values.size(); ++i)
            row[columns[i]] = values[i];
        rows[row["port"]] = row;
    }
    return rows;
}

// cam38r5-line with its standard output and error read through one pipe.
class LineRun {
  public:
    explicit LineRun(const std::vector<std::string>& args) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(out[1], STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(CAM_LINE_BINARY)};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(CAM_LINE_BINARY, argv.data());
            _exit(127);
        }
        close(out[1]);
        fd_ = out[0];
    }
    ~LineRun() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) close(fd_);
    }
    LineRun(const LineRun&) = delete;
    LineRun& operator=(const LineRun&) = delete;

    // True once the output holds `text` (at most `ms`).
    bool WaitFor(const std::string& text, int ms) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (output_.find(text) == std::string::npos)
            if (!readSome(deadline)) return false;
        return true;
    }
    // The exit status once the program has ended (at most `ms`), else -1.
    int Finish(int ms) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (readSome(deadline)) {
        }
        int status = 0;
        pid_t ended = 0;
        while (pid_ > 0 && (ended = waitpid(pid_, &status, WNOHANG)) == 0 &&
               Clock::now() < deadline)
            poll(nullptr, 0, 10);
        if (ended != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Output() const { return output_; }

  private:
    // False at the end of the output or at the deadline.
    bool readSome(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[4096];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) return false;
        output_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    std::string output_;
};

struct Camera {
    const char* name;
    std::vector<std::string> faults; // the simulator's options
    const char* result;              // in the report
    bool cloned;
};

// D also falls silent a little past the point where the test pulls it, so
// that the pull lands in its backup however slow the machine is. Each lost
// reply costs B a reply time-out (20 ticks, 1 s here), so it loses only a few.
const Camera kCameras[] = {
    {"A", {}, "ok", true},
    {"B", {"--drop-reply", "400", "--corrupt-reply", "37"}, "ok", true},
    {"C", {"--silent-after", "400"}, "backup failed: the camera did not answer", false},
    {"D", {"--silent-after", "300"}, "ok", true},
};

TEST(LineProgram, ClonesEveryCameraItCanAndTellsWhyNotForTheOthers) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const std::string dir = tmp.path().toStdString();
    const std::string backups = dir + "/line";
    const std::string golden = dir + "/golden.dat";
    const Words goldenWords = pattern(9);
    writeText(golden, fileOf(goldenWords));

    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::string> args{"clone", golden};
    for (std::size_t i = 0; i < std::size(kCameras); ++i) {
        const std::string at = dir + "/" + kCameras[i].name;
        writeText(at + ".start.dat", fileOf(pattern(static_cast<int>(i) + 1)));
        std::vector<std::string> options{
            "--link", at, "--eeprom", at + ".start.dat", "--eeprom-out", at + ".out.dat"};
        options.insert(options.end(), kCameras[i].faults.begin(), kCameras[i].faults.end());
        sims.push_back(std::make_unique<SimProcess>(options));
        ASSERT_FALSE(sims.back()->Device().empty()) << kCameras[i].name;
        args.insert(args.end(), {"--port", at});
    }
    args.insert(args.end(), {"--keep", "0x100-0x13F", "--backup-dir", backups, "--report",
                             backups + "/report.csv", "--tick-ms", "50"});
    LineRun line(args);

    // D's adapter is pulled once its backup is under way and plugged in again
    // some ticks later (the wait is 20): a new camera program on the same
    // link, with the EEPROM the old one held (it writes it as it ends).
    const std::string d = dir + "/D";
    ASSERT_TRUE(line.WaitFor(d + " backup 10%", 10000)) << line.Output();
    sims[3].reset();
    ASSERT_TRUE(line.WaitFor("the device is gone during backup", 5000)) << line.Output();
    poll(nullptr, 0, 300);
    sims[3] = std::make_unique<SimProcess>(std::vector<std::string>{
        "--link", d, "--eeprom", d + ".out.dat", "--eeprom-out", d + ".out.dat"});
    ASSERT_FALSE(sims[3]->Device().empty());

    EXPECT_EQ(line.Finish(25000), 1) << line.Output();
    EXPECT_NE(line.Output().find(d + " the device is back: backup starts again"), std::string::npos)
        << line.Output();
    sims.clear(); // each writes its EEPROM as it ends

    const auto rows = readReport(backups + "/report.csv");
    std::set<std::string> expectedFiles{"report.csv"};
    for (std::size_t i = 0; i < std::size(kCameras); ++i) {
        const Camera& camera = kCameras[i];
        SCOPED_TRACE(camera.name);
        const std::string at = dir + "/" + camera.name;
        ASSERT_EQ(rows.count(at), 1u) << line.Output();
        const auto& row = rows.at(at);
        EXPECT_EQ(row.at("result"), camera.result);

        const Words own = pattern(static_cast<int>(i) + 1);
        Words expected = own;
        for (std::size_t a = 0; camera.cloned && a < expected.size(); ++a)
            if ((a < 0x100 || a > 0x13F) && a != 0x3FF) expected[a] = goldenWords[a];
        EXPECT_EQ(difference(wordsIn(at + ".out.dat"), expected), "");

        // A clone backs a camera up whole before it writes it; a backup that
        // was broken off leaves no file.
        const std::string backup = row.at("backup");
        EXPECT_EQ(backup.empty(), !camera.cloned) << backup;
        if (backup.empty()) continue;
        expectedFiles.insert(QFileInfo(QString::fromStdString(backup)).fileName().toStdString());
        Words backedUp = own;
        backedUp[0x3FF] = -1; // not kept in a copy file
        EXPECT_EQ(difference(wordsIn(backup), backedUp), "");
    }
    std::set<std::string> files;
    for (const QString& name : QDir(QString::fromStdString(backups)).entryList(QDir::Files))
        files.insert(name.toStdString());
    EXPECT_EQ(files, expectedFiles);
}

TEST(LineProgram, RefusesABrokenGoldenFileBeforeTouchingAnyCamera) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const std::string golden = tmp.filePath("golden.dat").toStdString();
    std::string text = fileOf(pattern(9));
    text.erase(5 * cam::kCopyRecordSize, 1); // line 6: an odd number of digits
    writeText(golden, text);

    SimProcess sim({});
    ASSERT_FALSE(sim.Device().empty());
    LineRun line({"clone", golden, "--port", sim.Device(), "--backup-dir",
                  tmp.filePath("line").toStdString(), "--tick-ms", "50"});
    EXPECT_EQ(line.Finish(10000), 2) << line.Output();
    EXPECT_NE(line.Output().find("golden file is refused"), std::string::npos) << line.Output();
    const std::string log = sim.SettledLog();
    EXPECT_TRUE(log.empty()) << log.substr(0, 200); // not even an ENQ
}

} // namespace
