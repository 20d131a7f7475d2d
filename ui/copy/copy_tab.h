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

#include "transactions/copy_records.h"
#include "ui/copy/copy_dialogs.h"

#include <QWidget>

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

    // Who answers the file dialogs and the overwrite question (tests answer
    // them themselves).
    void SetDialogRunner(TDialogRunner runner) { runDialog_ = std::move(runner); }
    void SetQuestion(TYesNoQuestion question) { ask_ = std::move(question); }

  public slots:
    void CtopOK2Click();
    void ptocOkClick();
    void ptocOk2Click();
    void Trans_end_copy();
    // The technician left the tab: a running single copy stops there.
    void PageLeft();
    void Trans_end_ctop();

  private:
    enum Mode { kCameraToPc = 0, kSingle = 1, kBatch = 2 };

    void buildControls();
    void endCopy();
    void sendWordRead(int address);
    void writeCameraFile();
    bool make_frec();
    void nextLine();
    void finishBatch();
    // The file for a PC->Camera copy: the last one opened when "Same File
    // Name" is checked and `reuse` allows, else the open dialog's choice.
    bool chooseOpenFile(bool reuse);
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
};
