// The traffic inspector: records reach the table in batches on its timer,
// the history is bounded, every record is one line on the journal's clock,
// the filters never hide a marker, follow and pause hold the view where the
// technician wants it, and the rows shown are saved as journal lines or CSV.

#include "link/journal.h"
#include "link/traffic.h"
#include "ui/common/message.h"
#include "ui/traffic/traffic_model.h"
#include "ui/traffic/traffic_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using cam::TTrafficDirection;
using cam::TTrafficKind;

template <class T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

cam::TTrafficRecord record(TTrafficDirection direction, TTrafficKind kind, int code,
                           const std::string& text, bool fault = false) {
    cam::TTrafficRecord r;
    r.direction = direction;
    r.kind = kind;
    r.code = code;
    r.text = text;
    r.fault = fault;
    if (kind != TTrafficKind::Marker) r.bytes = {0x02, static_cast<std::uint8_t>(code & 0xFF)};
    return r;
}

// Seven records, numbered from 1, 12.3 ms apart, as the assembler hands
// them on.
void appendSample(TTrafficModel& model) {
    constexpr auto PC = TTrafficDirection::ToCamera;
    constexpr auto CAM = TTrafficDirection::FromCamera;
    constexpr auto none = TTrafficDirection::None;
    const std::int64_t start = cam::TrafficNowUs();
    std::uint64_t n = 0;
    for (cam::TTrafficRecord r : {
             record(PC, TTrafficKind::Command, 0x0C, "EEPROM word read 0x0151"),
             record(CAM, TTrafficKind::Reply, 0x0C, "EEPROM word 0x0151 = 0x1234"),
             record(CAM, TTrafficKind::Reply, 0x0C, "EEPROM word 0x0151", true),
             record(PC, TTrafficKind::Control, -1, "NAK", true),
             record(none, TTrafficKind::Marker, -1, "Copy \"A\", started"),
             record(PC, TTrafficKind::Command, 0x60, "Easy status block 3"),
             record(none, TTrafficKind::Marker, -1, "time-out", true),
         }) {
        r.timeUs = start + 12300 * static_cast<std::int64_t>(n);
        r.number = ++n;
        if (r.fault && r.kind == TTrafficKind::Reply) r.crc = cam::TTrafficCrc::Bad;
        model.Append(r);
    }
}

QString shownTexts(TTrafficWindow& window) {
    QStringList texts;
    for (int row = 0; row < window.Filter().rowCount(); ++row)
        texts << QString::fromStdString(
            window.Model().Record(window.Filter().SourceRow(row)).text.substr(0, 3));
    return texts.join(QLatin1Char('|'));
}

} // namespace

TEST(TrafficWindow, ShowsRecordsInBatchesWithABoundedHistory) {
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic, nullptr, 5);
    EXPECT_EQ(window.objectName(), QStringLiteral("TrafficWindow"));
    EXPECT_TRUE(window.isWindow());
    window.show();
    auto* timer = child<QTimer>(window, "TrafficTimer");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 250);

    for (int i = 1; i <= 7; ++i)
        traffic.Marker("event " + std::to_string(i));
    EXPECT_EQ(window.Model().rowCount(), 0); // nothing drawn per record
    QElapsedTimer clock;
    clock.start();
    while (window.Model().rowCount() == 0 && clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(window.Model().rowCount(), 5); // the two oldest gave way
    EXPECT_EQ(window.Model().Record(0).text, "event 3");
    EXPECT_EQ(window.Model().Record(4).text, "event 7");

    window.hide();
    EXPECT_FALSE(timer->isActive());
    for (int i = 8; i <= 20; ++i)
        traffic.Marker("event " + std::to_string(i));
    EXPECT_EQ(window.Model().Waiting(), 5u); // hidden, at most a history's worth waits
}

TEST(TrafficWindow, OneLineARecordOnTheJournalsClock) {
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic);
    const std::vector<std::uint8_t> bytes(30, 0x41);
    traffic.Marker("first", 1'000'000);
    traffic.Received(bytes.data(), bytes.size(), 1'012'345);
    traffic.Marker("box:\nline two", 1'005'000); // stamped before the record it follows
    window.TrafficTimerTimer();
    const TTrafficModel& model = window.Model();
    ASSERT_EQ(model.rowCount(), 3);
    auto cell = [&](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    EXPECT_EQ(cell(0, TTrafficModel::Gap), QString());
    EXPECT_EQ(cell(1, TTrafficModel::Gap), QStringLiteral("+12.3"));
    EXPECT_EQ(cell(2, TTrafficModel::Gap), QStringLiteral("-7.3"));
    EXPECT_EQ(cell(1, TTrafficModel::Command), QStringLiteral("30 stray bytes"));
    EXPECT_TRUE(cell(1, TTrafficModel::Bytes).endsWith(QStringLiteral("41 ... (30 bytes)")));
    EXPECT_EQ(cell(2, TTrafficModel::Command), QStringLiteral("box: line two"));
    // The journal's time of the record, cut to the millisecond.
    const std::string iso = cam::TJournal::IsoTime(1'012'345);
    EXPECT_EQ(cell(1, TTrafficModel::Time).toStdString(), iso.substr(11, 12));
    EXPECT_EQ(model.LineText(1).toStdString(), cam::TrafficLine(model.Record(1), iso));
}

TEST(TrafficWindow, FiltersNeverHideMarkers) {
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic);
    window.show();
    appendSample(window.Model());
    window.TrafficTimerTimer();
    ASSERT_EQ(window.Model().rowCount(), 7);

    struct Case {
        int direction; // both, PC>CAM, CAM>PC
        const char* text;
        bool errorsOnly;
        const char* shown;
    };
    for (const Case& c : {
             Case{0, "", false, "EEP|EEP|EEP|NAK|Cop|Eas|tim"},
             Case{1, "", false, "EEP|NAK|Cop|Eas|tim"},
             Case{2, "", false, "EEP|EEP|Cop|tim"},
             Case{0, "0c", false, "EEP|EEP|EEP|Cop|tim"},
             Case{1, "0x60, 0C", false, "EEP|Cop|Eas|tim"},
             Case{0, "4A", false, "Cop|tim"},
             Case{0, "bad", false, "EEP|Cop|tim"}, // the CRC text
             Case{0, "nak", false, "NAK|Cop|tim"},
             Case{0, "", true, "EEP|NAK|Cop|tim"},
             Case{2, "", true, "EEP|Cop|tim"},
             Case{1, "60", true, "Cop|tim"},
         }) {
        SCOPED_TRACE(std::string(c.text) + " direction " + std::to_string(c.direction) +
                     (c.errorsOnly ? " errors only" : ""));
        child<QComboBox>(window, "TrafficDirection")->setCurrentIndex(c.direction);
        child<QLineEdit>(window, "TrafficFilter")->setText(QLatin1String(c.text));
        child<QCheckBox>(window, "TrafficErrorsOnly")->setChecked(c.errorsOnly);
        EXPECT_EQ(shownTexts(window), QLatin1String(c.shown));
    }

    // Copy takes the rows shown, as journal lines.
    child<QPushButton>(window, "TrafficCopy")->click();
    const QStringList lines =
        QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], window.Model().LineText(6));

    child<QPushButton>(window, "TrafficClear")->click();
    EXPECT_EQ(window.Model().rowCount(), 0);
    EXPECT_EQ(window.Filter().rowCount(), 0);
}

TEST(TrafficWindow, FollowAndPause) {
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic, nullptr, 300);
    window.resize(900, 400);
    window.show();
    auto* follow = child<QCheckBox>(window, "TrafficFollow");
    auto* pause = child<QCheckBox>(window, "TrafficPause");
    QScrollBar* bar = child<QTableView>(window, "TrafficView")->verticalScrollBar();
    auto add = [&](int count) {
        for (int i = 0; i < count; ++i)
            traffic.Marker("event");
    };
    EXPECT_TRUE(follow->isChecked());
    add(200);
    window.TrafficTimerTimer();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()); // the newest row in view

    bar->setValue(100); // the technician scrolls up
    EXPECT_FALSE(follow->isChecked());
    auto topNumber = [&] {
        return window.Model().Record(window.Filter().SourceRow(bar->value())).number;
    };
    const std::uint64_t top = topNumber();
    add(150); // 50 of the oldest give way
    window.TrafficTimerTimer();
    EXPECT_EQ(window.Model().rowCount(), 300);
    EXPECT_EQ(topNumber(), top); // the same record stays at the top
    EXPECT_LT(bar->value(), bar->maximum());

    bar->setValue(bar->maximum()); // scrolled to the end
    EXPECT_TRUE(follow->isChecked());
    add(5);
    window.TrafficTimerTimer();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(window.Model().Record(299).number, 355u);

    pause->setChecked(true);
    const int value = bar->value();
    add(20);
    window.TrafficTimerTimer();
    EXPECT_EQ(window.Model().Record(299).number, 355u); // the table holds still
    EXPECT_EQ(bar->value(), value);
    EXPECT_TRUE(
        child<QLabel>(window, "TrafficStatus")->text().contains(QLatin1String("20 waiting")));
    pause->setChecked(false); // what waited comes in at once, the newest in view
    EXPECT_EQ(window.Model().Record(299).number, 375u);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(TrafficWindow, SavesTheRowsShown) {
    cam::TTrafficAssembler traffic;
    TTrafficWindow window(traffic);
    window.show();
    appendSample(window.Model());
    window.TrafficTimerTimer();
    child<QComboBox>(window, "TrafficDirection")->setCurrentIndex(1); // PC>CAM and the markers
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString chosen;
    window.SetSaveAsker([&](const QString&) { return chosen; });
    auto* save = child<QPushButton>(window, "TrafficSave");
    auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };

    chosen = dir.filePath(QStringLiteral("t.txt"));
    save->click();
    const QStringList lines = read(chosen).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6); // five rows and the end of the last
    EXPECT_EQ(lines[0], window.Model().LineText(0));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("\t--\tmarker\tCopy \"A\", started\t\t\t")));

    chosen = dir.filePath(QStringLiteral("t.CSV"));
    save->click();
    const QStringList rows = read(chosen).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 7); // the field names, five rows, the end of the last
    EXPECT_EQ(rows[0], QLatin1String(cam::TrafficCsvHeader()));
    EXPECT_TRUE(rows[3].endsWith(QStringLiteral(",--,marker,\"Copy \"\"A\"\", started\",,,")))
        << rows[3].toStdString();

    chosen.clear(); // cancelled: nothing written, nothing said
    MessageLog::clear();
    save->click();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(MessageLog::shown().isEmpty());

    chosen = dir.filePath(QStringLiteral("missing/t.txt"));
    save->click();
    ASSERT_EQ(MessageLog::shown().size(), 1);
    const QString message = MessageLog::shown().constFirst().text;
    EXPECT_TRUE(message.startsWith(chosen + QStringLiteral(": cannot be saved: ")));
    EXPECT_GT(message.size(), chosen.size() + 20); // the reason
}
