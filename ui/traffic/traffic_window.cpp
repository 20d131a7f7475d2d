#include "ui/traffic/traffic_window.h"

#include "link/traffic.h"
#include "ui/common/message.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <string>

namespace {

const QString kTextFiles = QStringLiteral("Journal lines (*.txt)");
const QString kCsvFiles = QStringLiteral("CSV (*.csv)");

// The real file dialog. It waits for the technician; where there is no
// display (offscreen platform) it answers Cancel.
TTrafficWindow::SaveAsker widgetSaveAsker(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    return [owner](const QString& suggested) {
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) return QString();
        QFileDialog box(owner, QStringLiteral("Save traffic"), QString(),
                        kTextFiles + QStringLiteral(";;") + kCsvFiles);
        box.setAcceptMode(QFileDialog::AcceptSave);
        box.setFileMode(QFileDialog::AnyFile);
        const bool csv = suggested.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
        box.selectNameFilter(csv ? kCsvFiles : kTextFiles);
        box.setDefaultSuffix(csv ? QStringLiteral("csv") : QStringLiteral("txt"));
        QObject::connect(&box, &QFileDialog::filterSelected, &box, [&box](const QString& f) {
            box.setDefaultSuffix(f == kCsvFiles ? QStringLiteral("csv") : QStringLiteral("txt"));
        });
        box.selectFile(suggested);
        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return QString();
        return box.selectedFiles().constFirst();
    };
}

} // namespace

TTrafficWindow::TTrafficWindow(cam::TTrafficAssembler& traffic, QWidget* parent,
                               std::size_t capacity)
    : QWidget(parent, Qt::Window), traffic_(traffic), askSave_(widgetSaveAsker(this)) {
    setObjectName(QStringLiteral("TrafficWindow"));
    setWindowTitle(QStringLiteral("38R5 Traffic"));
    resize(1000, 560);

    model_ = new TTrafficModel(capacity, this);
    filter_ = new TTrafficFilter(this);
    filter_->setSourceModel(model_);

    filterEdit_ = new QLineEdit(this);
    filterEdit_->setObjectName(QStringLiteral("TrafficFilter"));
    filterEdit_->setPlaceholderText(
        QStringLiteral("command codes, e.g. 0C 60 (or words: ACK, bad)"));
    filterEdit_->setClearButtonEnabled(true);
    connect(filterEdit_, &QLineEdit::textChanged, this, &TTrafficWindow::TrafficFilterChange);
    direction_ = new QComboBox(this);
    direction_->setObjectName(QStringLiteral("TrafficDirection"));
    // In the order of TTrafficFilter::Direction.
    direction_->addItems(
        {QStringLiteral("both ways"), QStringLiteral("PC>CAM"), QStringLiteral("CAM>PC")});
    connect(direction_, &QComboBox::currentIndexChanged, this,
            &TTrafficWindow::TrafficDirectionChange);
    errorsOnly_ = new QCheckBox(QStringLiteral("Errors only"), this);
    errorsOnly_->setObjectName(QStringLiteral("TrafficErrorsOnly"));
    errorsOnly_->setToolTip(QStringLiteral("Bad CRC, NAK, broken frames, stray bytes, refused "
                                           "commands, time-outs (markers always show)"));
    connect(errorsOnly_, &QCheckBox::toggled, this, &TTrafficWindow::TrafficErrorsOnlyClick);
    follow_ = new QCheckBox(QStringLiteral("Follow"), this);
    follow_->setObjectName(QStringLiteral("TrafficFollow"));
    follow_->setChecked(true);
    follow_->setToolTip(QStringLiteral("Keep the newest record in view"));
    connect(follow_, &QCheckBox::toggled, this, &TTrafficWindow::TrafficFollowClick);
    pause_ = new QCheckBox(QStringLiteral("Pause"), this);
    pause_->setObjectName(QStringLiteral("TrafficPause"));
    pause_->setToolTip(QStringLiteral("Hold the table still; the records wait"));
    connect(pause_, &QCheckBox::toggled, this, &TTrafficWindow::TrafficPauseClick);
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("TrafficCopy"));
    connect(copy, &QPushButton::clicked, this, &TTrafficWindow::TrafficCopyClick);
    auto* save = new QPushButton(QStringLiteral("Save..."), this);
    save->setObjectName(QStringLiteral("TrafficSave"));
    save->setToolTip(QStringLiteral("The records shown, as journal lines (.txt) or CSV (.csv)"));
    connect(save, &QPushButton::clicked, this, &TTrafficWindow::TrafficSaveClick);
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    clear->setObjectName(QStringLiteral("TrafficClear"));
    connect(clear, &QPushButton::clicked, this, &TTrafficWindow::TrafficClearClick);

    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("TrafficView"));
    view_->setModel(filter_);
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setWordWrap(false);
    view_->setTextElideMode(Qt::ElideRight);
    // The scroll bar counts rows: its value is the row at the top.
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view_->verticalHeader()->hide();
    // One line a row, all rows alike: no measuring per row.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().lineSpacing() + 4);
    QHeaderView* header = view_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true); // the raw bytes take what is left
    const int digit = view_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    view_->setColumnWidth(TTrafficModel::Time, digit * 14);
    view_->setColumnWidth(TTrafficModel::Gap, digit * 10);
    view_->setColumnWidth(TTrafficModel::Direction, digit * 10);
    view_->setColumnWidth(TTrafficModel::Kind, digit * 9);
    view_->setColumnWidth(TTrafficModel::Command, digit * 34);
    view_->setColumnWidth(TTrafficModel::Crc, digit * 9);
    view_->setColumnWidth(TTrafficModel::Reply, digit * 11);
    QScrollBar* bar = view_->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &TTrafficWindow::TrafficViewScroll);
    // A taller or shorter table keeps the newest row in view while following.
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar] {
        if (moving_ || !follow_->isChecked()) return;
        const QScopedValueRollback moving(moving_, true);
        bar->setValue(bar->maximum());
    });

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("TrafficStatus"));
    journal_ = new QLabel(this);
    journal_->setObjectName(QStringLiteral("TrafficJournal"));
    journal_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* tools = new QHBoxLayout;
    tools->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    tools->addWidget(filterEdit_, 1);
    tools->addWidget(direction_);
    tools->addWidget(errorsOnly_);
    tools->addSpacing(digit * 2);
    tools->addWidget(follow_);
    tools->addWidget(pause_);
    tools->addWidget(copy);
    tools->addWidget(save);
    tools->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(view_, 1);
    layout->addWidget(status_);
    layout->addWidget(journal_);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("TrafficTimer"));
    timer_->setInterval(kRefreshMs);
    connect(timer_, &QTimer::timeout, this, &TTrafficWindow::TrafficTimerTimer);

    // The link's thread is this one: a record only joins the waiting batch.
    sink_ = traffic_.AddSink([this](const cam::TTrafficRecord& r) { model_->Append(r); });
    updateStatus();
}

TTrafficWindow::~TTrafficWindow() {
    traffic_.RemoveSink(sink_);
}

void TTrafficWindow::SetJournalText(const QString& text) {
    journal_->setText(text);
}

void TTrafficWindow::keepPlace(const std::function<void()>& change) {
    const QScopedValueRollback moving(moving_, true);
    // The table row at the top follows rows that go from the front.
    QPersistentModelIndex top;
    if (!follow_->isChecked()) {
        const QModelIndex shown = view_->indexAt(QPoint(0, 0));
        if (shown.isValid()) top = filter_->mapToSource(shown);
    }
    change();
    if (follow_->isChecked()) {
        view_->scrollToBottom();
        return;
    }
    if (!top.isValid() && model_->rowCount() > 0 && filter_->rowCount() > 0) {
        // It went with the oldest rows: the oldest row still shown is the top.
        view_->scrollToTop();
        return;
    }
    if (!top.isValid()) return;
    // The first row shown from the old top on (the rows shown are in table order).
    int low = 0;
    int high = filter_->rowCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (filter_->SourceRow(middle) < top.row())
            low = middle + 1;
        else
            high = middle;
    }
    view_->doItemsLayout(); // the scroll bar's range for the rows as they are now
    view_->verticalScrollBar()->setValue(low);
}

void TTrafficWindow::TrafficTimerTimer() {
    if (!pause_->isChecked() && model_->Waiting() > 0) keepPlace([this] { model_->Flush(); });
    updateStatus();
}

void TTrafficWindow::TrafficFilterChange() {
    keepPlace([this] { filter_->SetFilterText(filterEdit_->text()); });
    updateStatus();
}

void TTrafficWindow::TrafficDirectionChange() {
    keepPlace([this] {
        filter_->SetDirection(static_cast<TTrafficFilter::Direction>(direction_->currentIndex()));
    });
    updateStatus();
}

void TTrafficWindow::TrafficErrorsOnlyClick() {
    keepPlace([this] { filter_->SetErrorsOnly(errorsOnly_->isChecked()); });
    updateStatus();
}

void TTrafficWindow::TrafficPauseClick() {
    if (!pause_->isChecked()) TrafficTimerTimer();
    updateStatus();
}

void TTrafficWindow::TrafficFollowClick() {
    if (!follow_->isChecked()) return;
    const QScopedValueRollback moving(moving_, true);
    view_->scrollToBottom();
}

void TTrafficWindow::TrafficViewScroll() {
    if (moving_) return;
    const QScrollBar* bar = view_->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    if (follow_->isChecked() != atEnd) follow_->setChecked(atEnd);
}

void TTrafficWindow::TrafficCopyClick() {
    QStringList lines;
    lines.reserve(filter_->rowCount());
    for (int row = 0; row < filter_->rowCount(); ++row)
        lines << model_->LineText(filter_->SourceRow(row));
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) +
                                       (lines.isEmpty() ? QString() : QStringLiteral("\n")));
}

void TTrafficWindow::TrafficSaveClick() {
    const QString path =
        askSave_ ? askSave_(savePath_.isEmpty() ? QStringLiteral("traffic.txt") : savePath_)
                 : QString();
    if (path.isEmpty()) return;
    savePath_ = path;
    const bool csv =
        QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    const auto format = csv ? TTrafficModel::Format::Csv : TTrafficModel::Format::Text;
    const int rows = filter_->rowCount();
    std::string out;
    out.reserve(static_cast<std::size_t>(rows) * 110);
    if (csv) out += std::string(cam::TrafficCsvHeader()) + "\r\n";
    for (int row = 0; row < rows; ++row)
        model_->WriteLine(filter_->SourceRow(row), format, out);

    // Written whole or not at all: the file appears only once every line is in.
    QSaveFile file(path);
    QString error;
    if (!file.open(QIODevice::WriteOnly))
        error = file.errorString();
    else if (file.write(out.data(), static_cast<qint64>(out.size())) !=
             static_cast<qint64>(out.size()))
        error = file.errorString();
    else if (!file.commit())
        error = file.errorString();
    if (!error.isEmpty()) {
        file.cancelWriting();
        saveText_ = QStringLiteral("not saved");
        ShowMessage(QStringLiteral("%1: cannot be saved: %2").arg(path, error),
                    QStringLiteral("Traffic"), TButtons::Ok, this);
    } else {
        saveText_ = QStringLiteral("%1 records saved to %2").arg(rows).arg(path);
    }
    updateStatus();
}

void TTrafficWindow::TrafficClearClick() {
    keepPlace([this] { model_->Clear(); });
    updateStatus();
}

void TTrafficWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    TrafficTimerTimer();
    timer_->start();
}

void TTrafficWindow::hideEvent(QHideEvent* event) {
    // Hidden, the records only wait (bounded) until the window shows again.
    timer_->stop();
    QWidget::hideEvent(event);
}

void TTrafficWindow::updateStatus() {
    QString text =
        QStringLiteral("%1 of %2 records shown").arg(filter_->rowCount()).arg(model_->rowCount());
    if (model_->rowCount() >= static_cast<int>(model_->Capacity()))
        text += QStringLiteral(" (the oldest give way)");
    if (pause_->isChecked()) text += QStringLiteral("; paused, %1 waiting").arg(model_->Waiting());
    if (!saveText_.isEmpty()) text += QStringLiteral("; ") + saveText_;
    status_->setText(text);
}
