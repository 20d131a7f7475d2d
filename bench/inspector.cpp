// The traffic inspector with a full history, offscreen.
//
//   bench_inspector [--records N] [--budget-ms MS]
//
// Feeds N records (100 000 by default: commands, ACKs, replies, now and then
// a bad CRC, a NAK and a marker) through the traffic assembler into an open
// inspector window, then times what the technician waits for: the flush of
// them all into the table, the refresh of a full table while the line runs,
// each kind of filter change, and a save as journal lines and as CSV. Each
// step includes the repaint that follows it. One figure a line, "name value
// unit", on standard output. Exit status 1 when a step takes longer than the
// budget (1000 ms by default: generous, machines are noisy), else 0.

#include "link/frames.h"
#include "link/traffic.h"
#include "ui/traffic/traffic_model.h"
#include "ui/traffic/traffic_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Line {
    std::vector<std::uint8_t> command, reply, badReply;
};

std::vector<std::uint8_t> frame(std::initializer_list<std::uint8_t> payload) {
    const cam::TxFrame f = cam::command_frame(payload);
    return {f.begin(), f.end()};
}

// One exchange on the line: 3 records (5 with a bad CRC and the NAK that
// asks again), a marker now and then. Returns the records it made.
int exchange(cam::TTrafficAssembler& traffic, const Line& line, int i, std::int64_t& us) {
    const std::uint8_t ack = cam::ACK;
    const std::uint8_t nak = cam::NAK;
    int records = 3;
    traffic.Sent(line.command.data(), line.command.size(), us += 20000);
    traffic.Received(&ack, 1, us += 1100);
    if (i % 50 == 49) {
        traffic.Received(line.badReply.data(), line.badReply.size(), us += 19800);
        traffic.Sent(&nak, 1, us += 500);
        records += 2;
    }
    traffic.Received(line.reply.data(), line.reply.size(), us += 19800);
    if (i % 300 == 299) {
        traffic.Marker("Camera->PC: word " + std::to_string(i), us += 10);
        ++records;
    }
    return records;
}

class Bench {
  public:
    explicit Bench(double budgetMs) : budgetMs_(budgetMs) {}

    // Times `step` and the repaint after it.
    void Step(const char* name, const std::function<void()>& step) {
        const auto start = Clock::now();
        step();
        QApplication::processEvents();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const bool over = ms > budgetMs_;
        std::printf("%s %.1f ms%s\n", name, ms, over ? "  OVER BUDGET" : "");
        std::fflush(stdout);
        if (over) failed_ = true;
    }
    bool Failed() const { return failed_; }

  private:
    double budgetMs_;
    bool failed_ = false;
};

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int records = static_cast<int>(TTrafficModel::kDefaultCapacity);
    double budgetMs = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--records") == 0 && i + 1 < argc) {
            records = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--budget-ms") == 0 && i + 1 < argc) {
            budgetMs = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--records N] [--budget-ms MS]\n", argv[0]);
            return 2;
        }
    }
    QApplication app(argc, argv);
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic);
    window.resize(1000, 560);
    window.show();
    QApplication::processEvents();

    const Line line{frame({0x31, 0x0C, 0x01, 0x51}), frame({0xA0, 0x0C, 0x01, 0x51, 0x12, 0x34}),
                    [] {
                        auto f = frame({0xA0, 0x0C, 0x01, 0x51, 0x12, 0x34});
                        f.back() ^= 0xFF;
                        return f;
                    }()};
    std::int64_t us = cam::TrafficNowUs();
    Bench bench(budgetMs);

    // The records arrive while the window is open; the timer is held off so
    // that the appends alone are timed.
    int made = 0;
    const auto start = Clock::now();
    for (int i = 0; made < records; ++i)
        made += exchange(traffic, line, i, us);
    const double appendS = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("append %.0f records/s (%d records, %.1f ms)\n", made / appendS, made,
                appendS * 1000);

    bench.Step("flush_all", [&] { window.TrafficTimerTimer(); });
    // A copy running: ten refreshes a second of a full table, the oldest
    // rows giving way (about 25 records each at 9600 bit/s; 1000 here).
    int batch = 0;
    for (int i = 0; batch < 1000; ++i)
        batch += exchange(traffic, line, i, us);
    bench.Step("flush_full_table_1000", [&] { window.TrafficTimerTimer(); });
    std::printf("rows %d of %zu\n", window.Model().rowCount(), window.Model().Capacity());

    auto* direction = window.findChild<QComboBox*>(QStringLiteral("TrafficDirection"));
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("TrafficFilter"));
    auto* errors = window.findChild<QCheckBox*>(QStringLiteral("TrafficErrorsOnly"));
    if (!direction || !filter || !errors) {
        std::fprintf(stderr, "a filter control is missing\n");
        return 1;
    }
    auto shown = [&] { std::printf("  shown %d\n", window.Filter().rowCount()); };
    bench.Step("filter_direction", [&] { direction->setCurrentIndex(2); });
    shown();
    bench.Step("filter_direction_off", [&] { direction->setCurrentIndex(0); });
    bench.Step("filter_code", [&] { filter->setText(QStringLiteral("0C")); });
    shown();
    bench.Step("filter_word", [&] { filter->setText(QStringLiteral("nak")); });
    shown();
    bench.Step("filter_text_off", [&] { filter->clear(); });
    bench.Step("filter_errors_only", [&] { errors->setChecked(true); });
    shown();
    bench.Step("filter_errors_only_off", [&] { errors->setChecked(false); });

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    for (const char* name : {"traffic.txt", "traffic.csv"}) {
        const QString path = dir.filePath(QLatin1String(name));
        window.SetSaveAsker([path](const QString&) { return path; });
        bench.Step(QFileInfo(path).suffix() == QLatin1String("csv") ? "save_csv" : "save_text",
                   [&] { window.TrafficSaveClick(); });
        std::printf("  %lld bytes\n", static_cast<long long>(QFileInfo(path).size()));
        if (!QFileInfo::exists(path)) {
            std::fprintf(stderr, "%s was not written\n", name);
            return 1;
        }
    }
    return bench.Failed() ? 1 : 0;
}
