#pragma once
// The "Copy" page (panel Panel7): copies the camera's 1024 EEPROM words into
// a copy file ("Camera->PC") and a copy file back into a camera, line by line
// ("PC->Camera(Single)") or as one bulk image followed by the camera reset
// ("PC->Camera(Batch)"). The camera's replies drive each copy: the window
// hands every reply that arrives while this page is active to Trans_end_copy.
//
// A file to be sent is read and checked whole before the first frame goes
// out; a file that fails the check is refused and nothing is sent. The file
// written by "Camera->PC" appears only when all its words were read and
// written (see WriteCopyFile).
//
// The batch copy keeps the camera's own word 0x3FF, which a copy file does
// not hold: it reads that word first and sends the image only with it.
//
// Each step checks that the reply answers what the step sent. A late answer
// to an earlier frame (the camera answered after the time-out, and the
// re-sent frame is answered again) takes the place of the answer awaited, so
// the step sends its frame once more rather than move on: a line is never
// skipped and no word goes into the wrong place. A camera that keeps
// answering something else stops the copy with the error box.
//
// "Verify" reads the camera's words that a chosen copy file writes and
// compares them with the file's, word by word; "Verify after copy" runs the
// same comparison with the file just copied once a PC->Camera copy has ended.
// VerifyResult tells the number of words that differ and the first few
// addresses with the camera's and the file's word.

#include "transactions/copy_file.h"
#include "transactions/copy_records.h"
#include "ui/copy/copy_dialogs.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class TCopyHost;
class TRadioGroup;
class TTabContext;

class TCopyTab : public QWidget {
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
    bool CopyRunning() const { return running_; }
    // True while a verification reads the camera's words.
    bool Verifying() const { return verifying_; }

    // Who answers the file dialogs and the overwrite question (tests answer
    // them themselves).
    void SetDialogRunner(TDialogRunner runner) { runDialog_ = std::move(runner); }
    void SetQuestion(TYesNoQuestion question) { ask_ = std::move(question); }

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

  private:
    enum Mode { kCameraToPc = 0, kSingle = 1, kBatch = 2 };

    void buildControls();
    void buildVerifyControls(class QVBoxLayout* page);
    // Reads and checks `path` for a verification; shows why not and returns false.
    bool loadVerifyFile(const QString& path);
    void startVerify();
    void verifyReply();
    void nextVerifyRead(int from);
    void endVerify(const QString& result);
    // A PC->Camera copy of `file` ended well: verified when the box is checked.
    void copyEnded();
    void endCopy();
    void sendWordRead(int address);
    void writeCameraFile();
    bool make_frec();
    void nextLine();
    void batchReply();
    // The batch image with the camera's word 0x3FF (unless the file gave
    // one) into the data table, then the bulk frame.
    void sendImage();
    void finishBatch();
    void stopCopy(const QString& why);
    // Ends a running copy or verification with a message naming `why`.
    void interrupt(const QString& why);
    // Remembers the tag of the frame just sent; a frame that did not go out
    // (tag 0) ends the copy. False then.
    bool sent(std::uint32_t tag);
    void sendBulk();
    // One more answer that fits no step; false once there were too many in a
    // row (the copy has then stopped).
    bool lateAnswer();
    // The answer to the word read in flight: its address and word. False
    // (and the read asked again, unless too many answers fitted no step) for
    // a late answer to an earlier command.
    bool wordReply(int* address, std::uint16_t* word);
    // The line in flight once more (its answer was taken by a late one).
    void resendLine();
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

    bool running_ = false;
    QString cameraFile_;                 // the file "Camera->PC" writes
    std::vector<cam::CopyRecord> lines_; // the single copy's file, read and checked
    std::size_t nextLine_ = 0;
    cam::CopyImage image_;          // the batch copy's image, checked
    bool awaitingLastWord_ = false; // the batch copy's read of word 0x3FF is out
    int readAddress_ = 0;           // the EEPROM word read in flight
    int lateAnswers_ = 0;           // answers in a row that fit no step
    std::uint32_t awaited_ = 0;     // the tag of the frame whose answer the copy waits for
    // The words Camera->PC read, -1 where none was read yet.
    std::array<std::int32_t, cam::kEepromWordCount> cameraWords_{};

    QPushButton* VerifyButton_ = nullptr;
    QPushButton* VerifyCancel_ = nullptr;
    QCheckBox* VerifyAfterCopy_ = nullptr;
    QProgressBar* VerifyProgress_ = nullptr;
    QLabel* VerifyResult_ = nullptr;
    bool verifying_ = false;
    bool verifyAfterReset_ = false; // a copy ended with the reset: verify on its ACK
    QString copyFile_;              // the file of the PC->Camera copy running
    std::array<std::int32_t, cam::kEepromWordCount> verifyWords_{}; // -1: not in the file
    struct Difference {
        int address;
        std::uint16_t camera;
        std::uint16_t file;
    };
    std::vector<Difference> differences_;
    int verified_ = 0; // words compared so far
};
