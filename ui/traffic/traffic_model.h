#pragma once
// The traffic inspector's table: a bounded history of traffic records, one
// line each. New records wait in a batch until Flush() (the window's timer),
// so the view is updated a few times a second however fast the line runs,
// never per byte. What the filter asks of a row is on the record or worked
// out when the record is appended, so filtering a full history builds no
// text.

#include "link/traffic.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <bitset>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class TTrafficModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Time, Gap, Direction, Kind, Command, Crc, Reply, Bytes, ColumnCount };
    enum class Format { Text, Csv };
    static constexpr std::size_t kDefaultCapacity = 100000;

    explicit TTrafficModel(std::size_t capacity = kDefaultCapacity, QObject* parent = nullptr);

    // Cheap: the record waits for the next Flush (at most `capacity` wait;
    // older ones give way).
    void Append(const cam::TTrafficRecord& record);
    // Moves the waiting records into the table; the oldest rows go when the
    // history is full. Returns the number of rows added.
    int Flush();
    void Clear();

    std::size_t Waiting() const { return pending_.size(); }
    std::size_t Capacity() const { return capacity_; }
    const cam::TTrafficRecord& Record(int row) const {
        return rows_[static_cast<std::size_t>(row)].record;
    }
    // Microseconds from the record before it on the line (below 0 when a
    // record came in stamped earlier); kNoGap for the first.
    static constexpr std::int64_t kNoGap = INT64_MIN;
    std::int64_t GapUs(int row) const { return rows_[static_cast<std::size_t>(row)].gapUs; }
    // Local time of day, "18:15:01.250": the journal's clock.
    static QString TimeText(const cam::TTrafficRecord& record);
    // A row as the journal writes it (no line end).
    QString LineText(int row) const;
    // Adds a row to `out` as a journal line or a CSV line, with its line end.
    void WriteLine(int row, Format format, std::string& out) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    struct Row {
        cam::TTrafficRecord record;
        std::int64_t gapUs = kNoGap;
    };
    std::size_t capacity_;
    std::deque<Row> rows_;
    std::deque<Row> pending_;
    std::int64_t lastUs_ = kNoGap; // the time of the last record appended
};

// Which rows the inspector shows. Markers (line events and what the
// technician did) always show: they place everything else. Other rows show
// when they pass every filter:
// - direction: both, or only what the tool sent, or only what the camera sent;
// - errors only: the records marked as a fault;
// - text: the command codes in hexadecimal ("0C 60", "0x0c,0x60"); other
//   words match the kind, the CRC text or the decoded text ("ACK", "bad").
//   A row passes when any code or word matches; an empty text passes all.
class TTrafficFilter : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    enum class Direction { Both, ToCamera, FromCamera };

    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetFilterText(const QString& text);
    void SetDirection(Direction direction);
    void SetErrorsOnly(bool errorsOnly);
    // The table row of a shown row.
    int SourceRow(int row) const { return mapToSource(index(row, 0)).row(); }

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    void changed();

    std::bitset<256> codes_;
    std::vector<std::string> words_; // UTF-8, ASCII letters in lower case
    Direction direction_ = Direction::Both;
    bool errorsOnly_ = false;
};
