#pragma once
// The traffic inspector: a window beside the main window that lists every
// frame and control byte on the camera line in both directions, with the
// decoded command, the CRC check, the time to the answer and the raw bytes.
// It takes records from the traffic assembler as they come and shows them at
// most every 100 ms; its history is bounded.

#include <QWidget>

#include <cstddef>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class TTrafficFilter;
class TTrafficModel;

namespace cam {
class TTrafficAssembler;
}

class TTrafficWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 100;

    // Subscribes to `traffic`, which must outlive the window.
    explicit TTrafficWindow(cam::TTrafficAssembler& traffic, QWidget* parent = nullptr,
                            std::size_t capacity = 20000);
    ~TTrafficWindow() override;

    TTrafficModel& Model() { return *model_; }
    TTrafficFilter& Filter() { return *filter_; }
    // The journal's state under the table ("journal: /tmp/x.txt", or its failure).
    void SetJournalText(const QString& text);

  public slots:
    // Moves the waiting records into the table (the refresh timer's tick).
    void TrafficTimerTimer();
    void TrafficFilterChange();
    void TrafficPauseClick();
    // Copies the rows shown (after the filter) as text lines to the clipboard.
    void TrafficCopyClick();
    void TrafficClearClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void updateStatus();

    cam::TTrafficAssembler& traffic_;
    int sink_ = 0;
    TTrafficModel* model_ = nullptr;
    TTrafficFilter* filter_ = nullptr;
    QTableView* view_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    QCheckBox* pause_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* journal_ = nullptr;
    QTimer* timer_ = nullptr;
};
