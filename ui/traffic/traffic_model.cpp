#include "ui/traffic/traffic_model.h"

#include "link/journal.h"

#include <QBrush>
#include <QColor>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

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

QString msText(std::int64_t us) {
    return QString::number(static_cast<double>(us) / 1000.0, 'f', 1);
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `word` (lower case) within `text`, ASCII letters matched in either case.
bool containsWord(std::string_view text, const std::string& word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [](char a, char b) { return lower(a) == b; }) != text.end();
}

bool sameWord(std::string_view text, const std::string& word) {
    return text.size() == word.size() && containsWord(text, word);
}

} // namespace

TTrafficModel::TTrafficModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(capacity == 0 ? 1 : capacity) {}

void TTrafficModel::Append(const cam::TTrafficRecord& record) {
    pending_.push_back({record, lastUs_ == kNoGap ? kNoGap : record.timeUs - lastUs_});
    lastUs_ = record.timeUs;
    if (pending_.size() > capacity_) pending_.pop_front();
}

int TTrafficModel::Flush() {
    if (pending_.empty()) return 0;
    const int added = static_cast<int>(pending_.size());
    const std::size_t total = rows_.size() + pending_.size();
    if (total > capacity_) {
        const std::size_t drop = std::min(total - capacity_, rows_.size());
        if (drop > 0) {
            beginRemoveRows({}, 0, static_cast<int>(drop) - 1);
            rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(drop));
            endRemoveRows();
        }
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + added - 1);
    std::move(pending_.begin(), pending_.end(), std::back_inserter(rows_));
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

QString TTrafficModel::TimeText(const cam::TTrafficRecord& record) {
    return QString::fromStdString(cam::TrafficClockTime(cam::TrafficWallUs(record.timeUs)));
}

QString TTrafficModel::LineText(int row) const {
    std::string line;
    WriteLine(row, Format::Text, line);
    line.pop_back();
    return QString::fromStdString(line);
}

void TTrafficModel::WriteLine(int row, Format format, std::string& out) const {
    const cam::TTrafficRecord& r = Record(row);
    const std::string time = cam::TJournal::IsoTime(r.timeUs);
    if (format == Format::Csv) {
        out += cam::TrafficCsvLine(r, time);
        out += "\r\n";
    } else {
        out += cam::TrafficLine(r, time);
        out += '\n';
    }
}

int TTrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TTrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TTrafficModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const cam::TTrafficRecord& r = row.record;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Time:
            return TimeText(r);
        case Gap:
            if (row.gapUs == kNoGap) return QString();
            return (row.gapUs >= 0 ? QStringLiteral("+") : QString()) + msText(row.gapUs);
        case Direction:
            return QString::fromLatin1(cam::TrafficDirectionText(r.direction));
        case Kind:
            return QString::fromLatin1(cam::TrafficKindText(r.kind));
        case Command:
            return QString::fromStdString(r.text);
        case Crc:
            return QString::fromLatin1(cam::TrafficCrcText(r.crc));
        case Reply:
            return r.replyUs < 0 ? QString() : msText(r.replyUs);
        case Bytes:
            return hexText(r.bytes, kShownBytes);
        default:
            return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        // What the narrow column cuts off.
        if (index.column() == Command && !r.text.empty()) return QString::fromStdString(r.text);
        if (index.column() == Bytes && !r.bytes.empty()) return hexText(r.bytes, kTooltipBytes);
    }
    if (role == Qt::ForegroundRole) {
        if (r.fault) return QBrush(QColor(0xB0, 0x00, 0x00));
        if (r.kind == cam::TTrafficKind::Marker) return QBrush(QColor(0x00, 0x40, 0xA0));
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == Gap || index.column() == Reply;
        return QVariant::fromValue((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

QVariant TTrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case Time:
        return QStringLiteral("Time");
    case Gap:
        return QStringLiteral("Gap (ms)");
    case Direction:
        return QStringLiteral("Direction");
    case Kind:
        return QStringLiteral("Kind");
    case Command:
        return QStringLiteral("Command");
    case Crc:
        return QStringLiteral("CRC");
    case Reply:
        return QStringLiteral("Reply (ms)");
    case Bytes:
        return QStringLiteral("Bytes");
    default:
        return {};
    }
}

void TTrafficFilter::SetFilterText(const QString& text) {
    codes_.reset();
    words_.clear();
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    static const QRegularExpression code(QStringLiteral("^(0[xX])?[0-9A-Fa-f]{1,2}$"));
    for (const QString& token : text.split(separators, Qt::SkipEmptyParts)) {
        if (code.match(token).hasMatch()) {
            const bool prefixed = token.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
            codes_.set(
                static_cast<std::size_t>((prefixed ? token.mid(2) : token).toInt(nullptr, 16)));
        } else {
            std::string word = token.toStdString();
            std::transform(word.begin(), word.end(), word.begin(), lower);
            words_.push_back(std::move(word));
        }
    }
    changed();
}

void TTrafficFilter::SetDirection(Direction direction) {
    direction_ = direction;
    changed();
}

void TTrafficFilter::SetErrorsOnly(bool errorsOnly) {
    errorsOnly_ = errorsOnly;
    changed();
}

void TTrafficFilter::changed() {
    // The whole table at once: a view told of every row that comes or goes
    // would spend far longer than the filter on a full history.
    invalidate();
}

bool TTrafficFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const TTrafficModel*>(sourceModel());
    const cam::TTrafficRecord& r = model->Record(sourceRow);
    if (r.kind == cam::TTrafficKind::Marker) return true;
    if (errorsOnly_ && !r.fault) return false;
    if ((direction_ == Direction::ToCamera && r.direction != cam::TTrafficDirection::ToCamera) ||
        (direction_ == Direction::FromCamera && r.direction != cam::TTrafficDirection::FromCamera))
        return false;
    if (codes_.none() && words_.empty()) return true;
    if (r.code >= 0 && codes_.test(static_cast<std::size_t>(r.code))) return true;
    for (const std::string& word : words_)
        if (containsWord(r.text, word) || sameWord(cam::TrafficKindText(r.kind), word) ||
            containsWord(cam::TrafficCrcText(r.crc), word))
            return true;
    return false;
}
