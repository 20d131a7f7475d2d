#pragma once
// The traffic inspector: a window beside the main window that lists every
// frame and control byte on the camera line in both directions, one line
// each, with the time of day, the gap to the record before, the decoded
// command, the CRC check, the time to the answer and the raw bytes. It takes
// records from the traffic assembler as they come and shows them at most
// every 100 ms; its history is bounded.
//
// Filters (direction, command codes or words, errors only) never hide the
// markers. "Follow" keeps the newest row in view; scrolling up turns it off
// and scrolling to the end turns it on again. "Pause" holds the table still
// while the records wait. "Save..." writes the rows shown as journal lines
// (.txt) or CSV (.csv).

#include "ui/traffic/traffic_model.h"

#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

namespace cam {
class TTrafficAssembler;
}

class TTrafficWindow : public QWidget {
    Q_OBJECT
  public:
    // Four times a second: live to the eye, and a copy (a hundred records a
    // second) costs the window's thread a repaint of the list only that often.
    static constexpr int kRefreshMs = 250;
    // Asks for the file to save to, starting from `suggested`; an empty
    // name when the technician cancels.
    using SaveAsker = std::function<QString(const QString& suggested)>;

    // Subscribes to `traffic`, which must outlive the window.
    explicit TTrafficWindow(cam::TTrafficAssembler& traffic, QWidget* parent = nullptr,
                            std::size_t capacity = TTrafficModel::kDefaultCapacity);
    ~TTrafficWindow() override;

    TTrafficModel& Model() { return *model_; }
    TTrafficFilter& Filter() { return *filter_; }
    // The journal's state under the table ("journal: /tmp/x.txt", or its failure).
    void SetJournalText(const QString& text);
    // The file dialog of "Save..."; tests answer it themselves. The real
    // one answers Cancel where there is no display.
    void SetSaveAsker(SaveAsker asker) { askSave_ = std::move(asker); }

  public slots:
    // Moves the waiting records into the table (the refresh timer's tick).
    void TrafficTimerTimer();
    void TrafficFilterChange();
    void TrafficDirectionChange();
    void TrafficErrorsOnlyClick();
    void TrafficPauseClick();
    void TrafficFollowClick();
    // The table was scrolled: at its end "Follow" goes on, elsewhere off.
    void TrafficViewScroll();
    // Copies the rows shown (after the filters) as journal lines to the clipboard.
    void TrafficCopyClick();
    // Writes the rows shown to a file the technician chooses.
    void TrafficSaveClick();
    void TrafficClearClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // Runs a change of the rows, then shows the newest row when following,
    // else the row that was at the top (or the next one still shown).
    void keepPlace(const std::function<void()>& change);
    void updateStatus();

    cam::TTrafficAssembler& traffic_;
    int sink_ = 0;
    TTrafficModel* model_ = nullptr;
    TTrafficFilter* filter_ = nullptr;
    QTableView* view_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    QComboBox* direction_ = nullptr;
    QCheckBox* errorsOnly_ = nullptr;
    QCheckBox* follow_ = nullptr;
    QCheckBox* pause_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* journal_ = nullptr;
    QTimer* timer_ = nullptr;
    SaveAsker askSave_;
    QString savePath_;    // the file last saved to, offered again
    QString saveText_;    // what the last save did, under the table
    bool moving_ = false; // the table is being scrolled by this window, not by the technician
};
