#pragma once
// The traffic inspector's table: a bounded history of traffic records. New
// records wait in a batch until Flush() (the window's timer), so the view is
// updated a few times a second however fast the line runs, never per byte.

#include "link/traffic.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QStringList>

#include <deque>

class TTrafficModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Time, Direction, Kind, Command, Crc, Reply, ColumnCount };
    static constexpr std::size_t kDefaultCapacity = 20000;

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
        return rows_.at(static_cast<std::size_t>(row));
    }
    // Milliseconds since the first record this model saw.
    QString TimeText(const cam::TTrafficRecord& record) const;
    // A row as one text line (the journal's fields, with the time in ms).
    QString LineText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::size_t capacity_;
    std::deque<cam::TTrafficRecord> rows_;
    std::deque<cam::TTrafficRecord> pending_;
    std::int64_t originUs_ = -1;
};

// Shows the rows whose command code is one of the hexadecimal codes of the
// filter text ("0C 60", "0x0c,0x60"); other words of the text match the kind
// or the decoded text ("marker", "ACK", "bad"). An empty text shows all.
class TTrafficFilter : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetFilterText(const QString& text);

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    QSet<int> codes_;
    QStringList words_;
};
