#pragma once
// The "Copy" page (panel Panel7): copies the camera's 1024 EEPROM words into
// a copy file ("Camera->PC") and a copy file back into a camera, line by line
// ("PC->Camera(Single)") or as one bulk image followed by the camera reset
// ("PC->Camera(Batch)"). The camera's replies drive each copy: the window
// hands every reply that arrives while this page is active to Trans_end_copy.
//
// The procedures themselves are TCopyEngine's (copy/copy_engine.h); this
// page chooses the files, shows the progress and tells how each ended. A file
// to be sent is read and checked whole before the first frame goes out; a
// file that fails the check is refused and nothing is sent. The file written
// by "Camera->PC" appears only when all its words were read and written.
//
// "Verify" reads the camera's words that a chosen copy file writes and
// compares them with the file's, word by word; "Verify after copy" runs the
// same comparison with the file just copied once a PC->Camera copy has ended.
// VerifyResult tells the number of words that differ and the first few
// addresses with the camera's and the file's word; VerifyMap shows every
// word, and VerifyDiffSave saves the camera's differing words as a copy file.
//
// Every copy and verification can be cancelled (CopyCancel, VerifyCancel);
// Label35 then tells what the camera was left holding. "Complete" and the
// verification's result carry their file and time, and go as soon as they
// no longer tell about the camera in front of the technician: a new copy or
// verification, a file that fails to load, another camera.

#include "copy/copy_engine.h"
#include "transactions/copy_file.h"
#include "transactions/copy_records.h"
#include "ui/copy/copy_dialogs.h"

#include <QDateTime>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QTimer;
class QPushButton;
class TCopyHost;
class TRadioGroup;
class TTabContext;
class TVerifyMap;

class TCopyTab : public QWidget, private cam::ICopyLine, private cam::ICopyObserver {
    Q_OBJECT
  public:
    TCopyTab(TTabContext& context, TCopyHost& host, QWidget* parent = nullptr);

    // The camera acknowledged the reset command: a single copy whose last
    // line was the reset has ended, and its file is closed.
    void CloseCopyFile();
    // A bulk frame went out: ProgressBar3 to its maximum.
    void SetCopyProgressMax();
    // With 0: marks data table entries 0..1023 as not read (-1) and returns
    // 1024. Any other argument is returned unchanged.
    int ctop_adr_chk(int start);
    // True from the start of a copy until its end, its failure or an error reply.
    bool CopyRunning() const {
        const cam::CopyProcedure p = engine_.Running();
        return p != cam::CopyProcedure::None && p != cam::CopyProcedure::Verify;
    }
    // True while a verification reads the camera's words.
    bool Verifying() const { return engine_.Running() == cam::CopyProcedure::Verify; }

    // Who answers the file dialogs and the overwrite question (tests answer
    // them themselves).
    void SetDialogRunner(TDialogRunner runner) { runDialog_ = std::move(runner); }
    void SetQuestion(TYesNoQuestion question) { ask_ = std::move(question); }
    // Where the time comes from (tests set their own).
    void SetClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    // What the camera is left holding if the running copy or verification
    // stopped now, e.g. "no file was written"; empty when none runs.
    QString CopyStateText() const;

    // The window is closing while a copy or verification runs: it ends here,
    // quietly (the window asked the technician already).
    void StopForClose();

  public slots:
    void CtopOK2Click();
    void ptocOkClick();
    void ptocOk2Click();
    void Trans_end_copy();
    // The technician left the tab: a running copy or verification stops
    // there and says so.
    void PageLeft();
    // A load sequence starts: it takes the line, so a running copy or
    // verification stops and says so.
    void LoadStarted();
    // The frame tagged `tag` will never be answered: the copy waiting for it stops.
    void Abandoned(std::uint32_t tag);
    // The serial device went away: a running copy or verify stops, and is
    // not resumed when the line comes back. True when one was running.
    bool LineLost();
    // The link gave up on the exchange in flight (no answer after the
    // re-sends): a running copy stops there, says so, and writes no file.
    void LinkGaveUp();
    void Trans_end_ctop();
    void VerifyButtonClick();
    void VerifyCancelClick();
    // Cancels the running copy; Label35 tells the camera's state.
    void CopyCancelClick();
    // Saves the camera's words where the last verification found them
    // different, as a copy file.
    void VerifyDiffSaveClick();
    // Another camera is on the line: the results shown were another camera's.
    void CameraConnected();
    // Shows the progress held back since the last showing (bars, texts and
    // the map follow a copy at most every kProgressMs).
    void ProgressTimerTimer();

  private:
    enum Mode { kCameraToPc = 0, kSingle = 1, kBatch = 2 };

    // cam::ICopyLine: the window's link.
    std::uint32_t SendCommand(const cam::Payload& payload, int count) override;
    std::uint32_t SendImage(const cam::CopyImage& image) override;
    void SendReset() override;
    // cam::ICopyObserver: the page's controls.
    void CopyProgress(cam::CopyProcedure procedure, int value, int maximum) override;
    void CopyWord(int address, std::uint16_t word) override;
    void CopyEnded(const cam::CopyEnd& end) override;
    // How a procedure ended, for the inspector and the journal.
    void noteEnd(const cam::CopyEnd& end);

    // A single copy or batch image cancelled while its frame was in flight:
    // that frame's answer still tells what the camera took.
    struct Cancelled {
        cam::CopyProcedure procedure = cam::CopyProcedure::None;
        std::uint32_t tag = 0;
        cam::Payload line{};      // the single copy's line in flight
        std::size_t answered = 0; // the single copy's lines answered before it
        int lastWord = -1;        // the last word line answered
    };

    void buildControls();
    void buildVerifyControls(class QVBoxLayout* page);
    // Reads and checks `path` for a verification; shows why not and returns false.
    bool loadVerifyFile(const QString& path, bool afterCopy);
    // A procedure on `file` starts: the results shown go (the copy's stay
    // for the verification that follows it).
    void starting(const QString& file, bool keepCopy = false);
    void clearResults(bool keepCopy);
    // "a.dat, 18:15:01" for the file of the procedure that ended now.
    QString stamp() const;
    void progressText(cam::CopyProcedure procedure, int value, int maximum);
    // The answer to the frame in flight when a copy was cancelled.
    void cancelledAnswered();
    // CopyCancel while a copy runs; the time left goes when it ends.
    void syncRunning();
    void startVerify();
    void endVerify(const QString& result);
    // The verification's result as VerifyResult shows it.
    QString verifySummary() const;
    // A PC->Camera copy of `file` ended well: verified when the box is checked.
    void copyEnded();
    // Ends a copy or verification quietly (a single copy's file is let go).
    void endCopy();
    // Ends a running copy or verification with a message naming `why`.
    void interrupt(const QString& why);
    // Shows the error box and why a copy stopped.
    void stopCopy(const QString& why);
    // The file for a PC->Camera copy or Verify: with "Same File Name"
    // ticked, the file "File Name" shows (`shown`) when it is the one last
    // opened; otherwise the open dialog asks.
    bool chooseOpenFile(const QString& shown);
    // Reads the chosen file; shows the read error and returns false on failure.
    bool readFile(const QString& path, std::string* text);
    void showFormatError(const QString& path, const std::string& why);

    TTabContext& context_;
    TCopyHost& host_;
    TDialogRunner runDialog_;
    TYesNoQuestion ask_;
    cam::TCopyEngine engine_{*this, *this};

    QPushButton* CtopOK2_ = nullptr;
    QPushButton* ptocOk2_ = nullptr;
    QPushButton* ptocOk_ = nullptr;
    QCheckBox* Same_ = nullptr;
    QProgressBar* ProgressBar3_ = nullptr;
    QLabel* Copyfname2_ = nullptr;
    QLabel* Label35_ = nullptr;
    QLabel* complete2_ = nullptr;
    TRadioGroup* Copy_select_ = nullptr;
    TCopyFileDialog* SaveDialog1_ = nullptr;
    TCopyFileDialog* OpenDialog1_ = nullptr;

    QPushButton* VerifyButton_ = nullptr;
    QPushButton* VerifyCancel_ = nullptr;
    QCheckBox* VerifyAfterCopy_ = nullptr;
    QProgressBar* VerifyProgress_ = nullptr;
    QLabel* VerifyResult_ = nullptr;
    QPushButton* CopyCancel_ = nullptr;
    QLabel* CopyProgressText_ = nullptr;
    QLabel* VerifyProgressText_ = nullptr;
    QLabel* CompleteStamp_ = nullptr;
    QLabel* VerifyStamp_ = nullptr;
    TVerifyMap* VerifyMap_ = nullptr;
    QPushButton* VerifyDiffSave_ = nullptr;
    TCopyFileDialog* DiffSaveDialog_ = nullptr;
    std::function<QDateTime()> clock_ = &QDateTime::currentDateTime;
    QDateTime startedAt_;   // the running procedure's start
    QString procedureFile_; // its file
    int wordsRead_ = 0;     // Camera->PC's words read so far
    int progressTodo_ = 0;  // the running procedure's words or lines in all
    Cancelled cancelled_;
    bool verifyAfterReset_ = false; // a copy ended with the reset: verify on its ACK
    bool resetEnding_ = false;      // the reset's ACK is ending a single copy
    QString copyFile_;              // the file of the PC->Camera copy running
    // A copy answers up to a few hundred words a second: a repaint of the
    // page for each would cost more than the exchange.
    static constexpr int kProgressMs = 250;
    struct Progress {
        cam::CopyProcedure procedure = cam::CopyProcedure::None;
        int value = 0, maximum = 0;
    };
    QTimer* progressTimer_ = nullptr;
    std::optional<Progress> progressHeld_; // not shown yet
    void showProgress(const Progress& progress);
};
