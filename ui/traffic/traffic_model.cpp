#include "ui/traffic/traffic_model.h"

#include <QBrush>
#include <QColor>
#include <QRegularExpression>

namespace {

// Frames longer than this show their first bytes and their length in the
// table; the tooltip and the copied text carry every byte.
constexpr std::size_t kShownBytes = 24;
constexpr std::size_t kTooltipBytes = 256;

QString hexText(const std::vector<std::uint8_t>& bytes, std::size_t limit) {
    if (bytes.size() <= limit) return QString::fromStdString(cam::TrafficHex(bytes));
    const std::vector<std::uint8_t> head(bytes.begin(),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(limit));
    return QString::fromStdString(cam::TrafficHex(head)) +
           QStringLiteral(" ... (%1 bytes)").arg(bytes.size());
}

bool isFault(const cam::TTrafficRecord& r) {
    return r.crc == cam::TTrafficCrc::Bad || r.kind == cam::TTrafficKind::Partial ||
           r.kind == cam::TTrafficKind::Noise;
}

} // namespace

TTrafficModel::TTrafficModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(capacity == 0 ? 1 : capacity) {}

void TTrafficModel::Append(const cam::TTrafficRecord& record) {
    if (originUs_ < 0) originUs_ = record.timeUs;
    pending_.push_back(record);
    if (pending_.size() > capacity_) pending_.pop_front();
}

int TTrafficModel::Flush() {
    if (pending_.empty()) return 0;
    const int added = static_cast<int>(pending_.size());
    const std::size_t total = rows_.size() + pending_.size();
    if (total > capacity_) {
        const std::size_t drop = std::min(total - capacity_, rows_.size());
        beginRemoveRows({}, 0, static_cast<int>(drop) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(drop));
        endRemoveRows();
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + added - 1);
    for (cam::TTrafficRecord& r : pending_)
        rows_.push_back(std::move(r));
    pending_.clear();
    endInsertRows();
    return added;
}

void TTrafficModel::Clear() {
    beginResetModel();
    rows_.clear();
    pending_.clear();
    endResetModel();
}

QString TTrafficModel::TimeText(const cam::TTrafficRecord& record) const {
    return QString::number(static_cast<double>(record.timeUs - originUs_) / 1000.0, 'f', 3);
}

QString TTrafficModel::LineText(int row) const {
    const cam::TTrafficRecord& r = Record(row);
    return QString::fromStdString(cam::TrafficLine(r, TimeText(r).toStdString()));
}

int TTrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TTrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TTrafficModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const cam::TTrafficRecord& r = Record(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Time:
            return TimeText(r);
        case Direction:
            return QString::fromLatin1(cam::TrafficDirectionText(r.direction));
        case Kind:
            return QString::fromLatin1(cam::TrafficKindText(r.kind));
        case Command: {
            const QString text = QString::fromStdString(r.text);
            // The raw bytes beneath the name.
            return r.bytes.empty() ? text
                                   : text + QLatin1Char('\n') + hexText(r.bytes, kShownBytes);
        }
        case Crc:
            return QString::fromLatin1(cam::TrafficCrcText(r.crc));
        case Reply:
            return r.replyUs < 0 ? QString()
                                 : QString::number(static_cast<double>(r.replyUs) / 1000.0, 'f', 1);
        default:
            return {};
        }
    }
    if (role == Qt::ToolTipRole && index.column() == Command && !r.bytes.empty())
        return hexText(r.bytes, kTooltipBytes);
    if (role == Qt::ForegroundRole) {
        if (isFault(r)) return QBrush(QColor(0xB0, 0x00, 0x00));
        if (r.kind == cam::TTrafficKind::Marker) return QBrush(QColor(0x00, 0x40, 0xA0));
    }
    if (role == Qt::TextAlignmentRole && (index.column() == Time || index.column() == Reply))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignTop);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignTop);
    return {};
}

QVariant TTrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case Time:
        return QStringLiteral("Time (ms)");
    case Direction:
        return QStringLiteral("Direction");
    case Kind:
        return QStringLiteral("Kind");
    case Command:
        return QStringLiteral("Command / bytes");
    case Crc:
        return QStringLiteral("CRC");
    case Reply:
        return QStringLiteral("Reply (ms)");
    default:
        return {};
    }
}

void TTrafficFilter::SetFilterText(const QString& text) {
    codes_.clear();
    words_.clear();
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    static const QRegularExpression code(QStringLiteral("^(0[xX])?[0-9A-Fa-f]{1,2}$"));
    for (const QString& token : text.split(separators, Qt::SkipEmptyParts)) {
        if (code.match(token).hasMatch()) {
            const bool prefixed = token.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
            codes_.insert((prefixed ? token.mid(2) : token).toInt(nullptr, 16));
        } else {
            words_ << token;
        }
    }
    invalidateFilter();
}

bool TTrafficFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (codes_.isEmpty() && words_.isEmpty()) return true;
    const auto* model = static_cast<const TTrafficModel*>(sourceModel());
    const cam::TTrafficRecord& r = model->Record(sourceRow);
    if (r.code >= 0 && codes_.contains(r.code)) return true;
    const QString text = QString::fromStdString(r.text);
    const QString kind = QString::fromLatin1(cam::TrafficKindText(r.kind));
    const QString crc = QString::fromLatin1(cam::TrafficCrcText(r.crc));
    for (const QString& word : words_)
        if (text.contains(word, Qt::CaseInsensitive) ||
            kind.compare(word, Qt::CaseInsensitive) == 0 || crc.contains(word, Qt::CaseInsensitive))
            return true;
    return false;
}
