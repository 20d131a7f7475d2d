#include "ui/traffic/traffic_window.h"

#include "link/traffic.h"
#include "ui/traffic/traffic_model.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

TTrafficWindow::TTrafficWindow(cam::TTrafficAssembler& traffic, QWidget* parent,
                               std::size_t capacity)
    : QWidget(parent, Qt::Window), traffic_(traffic) {
    setObjectName(QStringLiteral("TrafficWindow"));
    setWindowTitle(QStringLiteral("38R5 Traffic"));
    resize(820, 520);

    model_ = new TTrafficModel(capacity, this);
    filter_ = new TTrafficFilter(this);
    filter_->setSourceModel(model_);

    filterEdit_ = new QLineEdit(this);
    filterEdit_->setObjectName(QStringLiteral("TrafficFilter"));
    filterEdit_->setPlaceholderText(
        QStringLiteral("command codes, e.g. 0C 60 (or words: ACK, marker)"));
    filterEdit_->setClearButtonEnabled(true);
    connect(filterEdit_, &QLineEdit::textChanged, this, &TTrafficWindow::TrafficFilterChange);
    pause_ = new QCheckBox(QStringLiteral("Pause"), this);
    pause_->setObjectName(QStringLiteral("TrafficPause"));
    connect(pause_, &QCheckBox::toggled, this, &TTrafficWindow::TrafficPauseClick);
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("TrafficCopy"));
    connect(copy, &QPushButton::clicked, this, &TTrafficWindow::TrafficCopyClick);
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
    view_->verticalHeader()->hide();
    // Two lines a row (name, bytes), all rows alike: no measuring per row.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().lineSpacing() * 2 + 6);
    QHeaderView* header = view_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    const int digit = view_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    view_->setColumnWidth(TTrafficModel::Time, digit * 12);
    view_->setColumnWidth(TTrafficModel::Direction, digit * 8);
    view_->setColumnWidth(TTrafficModel::Kind, digit * 9);
    view_->setColumnWidth(TTrafficModel::Crc, digit * 9);
    view_->setColumnWidth(TTrafficModel::Reply, digit * 10);
    header->setSectionResizeMode(TTrafficModel::Command, QHeaderView::Stretch);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("TrafficStatus"));
    journal_ = new QLabel(this);
    journal_->setObjectName(QStringLiteral("TrafficJournal"));
    journal_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* tools = new QHBoxLayout;
    tools->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    tools->addWidget(filterEdit_, 1);
    tools->addWidget(pause_);
    tools->addWidget(copy);
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

void TTrafficWindow::TrafficTimerTimer() {
    if (!pause_->isChecked() && model_->Waiting() > 0) {
        QScrollBar* bar = view_->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        model_->Flush();
        if (atEnd) view_->scrollToBottom();
    }
    updateStatus();
}

void TTrafficWindow::TrafficFilterChange() {
    filter_->SetFilterText(filterEdit_->text());
    updateStatus();
}

void TTrafficWindow::TrafficPauseClick() {
    if (!pause_->isChecked()) TrafficTimerTimer();
    updateStatus();
}

void TTrafficWindow::TrafficCopyClick() {
    QStringList lines;
    lines.reserve(filter_->rowCount());
    for (int row = 0; row < filter_->rowCount(); ++row)
        lines << model_->LineText(filter_->mapToSource(filter_->index(row, 0)).row());
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) +
                                       (lines.isEmpty() ? QString() : QStringLiteral("\n")));
}

void TTrafficWindow::TrafficClearClick() {
    model_->Clear();
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
    status_->setText(text);
}
