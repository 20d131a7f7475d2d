#include "ui/copy/verify_map.h"

#include "link/hex.h"
#include "ui/service/register_rows.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr int kCell = 5; // pixels, the grid line included
constexpr int kSide = TVerifyMap::kColumns * kCell + 1;

QString hexWord(std::int32_t word) {
    return QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(word)));
}
} // namespace

TVerifyMap::TVerifyMap(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("VerifyMap"));
    setFixedSize(kSide, kSide);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Clear();
}

QSize TVerifyMap::sizeHint() const {
    return {kSide, kSide};
}

void TVerifyMap::SetWords(const cam::CopyWords& file, const cam::CopyWords& camera) {
    known_ = true;
    file_ = file;
    camera_ = camera;
    update();
}

void TVerifyMap::Clear() {
    known_ = false;
    file_.fill(-1);
    camera_.fill(-1);
    update();
}

TVerifyMap::Cell TVerifyMap::CellState(int address) const {
    if (!known_ || address < 0 || address >= cam::kEepromWordCount) return Cell::NotRead;
    const auto a = static_cast<std::size_t>(address);
    if (file_[a] < 0) return Cell::NotInFile;
    if (camera_[a] < 0) return Cell::NotRead;
    return camera_[a] == file_[a] ? Cell::Equal : Cell::Differs;
}

QColor TVerifyMap::Colour(Cell state) {
    switch (state) {
    case Cell::Equal:
        return {0x2E, 0x9E, 0x44};
    case Cell::Differs:
        return {0xE0, 0x1B, 0x24};
    case Cell::NotInFile:
        return {0x40, 0x40, 0x40};
    case Cell::NotRead:
        break;
    }
    return {0xBD, 0xBD, 0xBD};
}

QString TVerifyMap::CellText(int address) const {
    if (address < 0 || address >= cam::kEepromWordCount) return {};
    QString text = QStringLiteral("0x") + hexWord(address);
    // Words 0x000..0x0CB hold the stored values of the registers of the same number.
    if (address < cam::kRegisterRowCount) {
        const QString row =
            QString::fromUtf8(cam::register_rows()[static_cast<std::size_t>(address)]);
        text +=
            QStringLiteral(" (") + row.mid(row.indexOf(QLatin1Char(' ')) + 1) + QLatin1Char(')');
    }
    const auto a = static_cast<std::size_t>(address);
    text += QStringLiteral("\ncamera: ") +
            (known_ && camera_[a] >= 0 ? hexWord(camera_[a]) : QStringLiteral("not read"));
    text += QStringLiteral("\nfile: ") +
            (known_ && file_[a] >= 0 ? hexWord(file_[a]) : QStringLiteral("no word"));
    return text;
}

int TVerifyMap::AddressAt(QPoint pos) const {
    const int column = pos.x() / kCell;
    const int row = pos.y() / kCell;
    if (pos.x() < 0 || pos.y() < 0 || column >= kColumns || row >= kColumns) return -1;
    return row * kColumns + column;
}

void TVerifyMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        painter.fillRect((a % kColumns) * kCell + 1, (a / kColumns) * kCell + 1, kCell - 1,
                         kCell - 1, Colour(CellState(a)));
}

bool TVerifyMap::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int address = AddressAt(help->pos());
    if (address < 0) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), CellText(address), this);
    }
    return true;
}
