#include "ui/copy/copy_tab.h"

#include "copy/copy_file_io.h"
#include "link/hex.h"
#include "transactions/copy_file.h"
#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/copy/copy_host.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kProgressWords = 1024;
const QString kWriteError = QStringLiteral("File write Error occured");
const QString kReadError = QStringLiteral("File read Error occured");
const QString kFileCaption = QStringLiteral("File.ERR");

void fileError(const QString& text, QWidget* parent) {
    ShowMessage(text, kFileCaption, TButtons::AbortRetryIgnore, parent);
}

QString hexWord(int value) {
    return QString::fromStdString(cam::hex4(static_cast<std::uint16_t>(value)));
}

void replyError(QWidget* parent) {
    ShowMessage(QStringLiteral(" Error "), QStringLiteral("ERR"), TButtons::AbortRetryIgnore,
                parent);
}

} // namespace

TCopyTab::TCopyTab(TTabContext& context, TCopyHost& host, QWidget* parent)
    : QWidget(parent), context_(context), host_(host), runDialog_(WidgetDialogRunner(this)),
      ask_(WidgetYesNoQuestion(this)) {
    setObjectName(QStringLiteral("Panel7"));
    buildControls();
}

void TCopyTab::buildControls() {
    auto button = [this](const char* name, const char* caption, auto handler) {
        auto* b = new QPushButton(QLatin1String(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setMinimumWidth(150);
        Bind(context_, b, &QPushButton::clicked, this, handler);
        return b;
    };
    CtopOK2_ = button("CtopOK2", "Camera->PC", &TCopyTab::CtopOK2Click);
    ptocOk_ = button("ptocOk", "PC->Camera(Single)", &TCopyTab::ptocOkClick);
    ptocOk2_ = button("ptocOk2", "PC->Camera(Batch)", &TCopyTab::ptocOk2Click);
    // "Camera->PC" and the single copy are shown by the access code.
    CtopOK2_->setVisible(false);
    ptocOk_->setVisible(false);

    Same_ = new QCheckBox(QStringLiteral("Same File Name"), this);
    Same_->setObjectName(QStringLiteral("Same"));

    auto* Label33 = new QLabel(QStringLiteral("File Name"), this);
    Label33->setObjectName(QStringLiteral("Label33"));
    Copyfname2_ = new QLabel(QStringLiteral("Copyfname"), this);
    Copyfname2_->setObjectName(QStringLiteral("Copyfname2"));
    Copyfname2_->setFrameShape(QFrame::Panel);
    Copyfname2_->setFrameShadow(QFrame::Sunken);
    Copyfname2_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Copyfname2_->setMinimumHeight(24);

    Label35_ = new QLabel(QStringLiteral("Label35"), this);
    Label35_->setObjectName(QStringLiteral("Label35"));
    ProgressBar3_ = new QProgressBar(this);
    ProgressBar3_->setObjectName(QStringLiteral("ProgressBar3"));
    ProgressBar3_->setRange(0, kProgressWords);
    ProgressBar3_->setValue(0);
    ProgressBar3_->setTextVisible(false);
    complete2_ = new QLabel(QStringLiteral("Complete"), this);
    complete2_->setObjectName(QStringLiteral("complete2"));
    QFont big = complete2_->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    complete2_->setFont(big);
    complete2_->hide();

    // Holds the copy mode only.
    Copy_select_ = new TRadioGroup(
        QStringLiteral("Copy_select"), QString(),
        {QStringLiteral("ctop"), QStringLiteral("ptoc(Single)"), QStringLiteral("ptoc(batch)")},
        this);
    Copy_select_->setEnabled(false);
    Copy_select_->hide();

    SaveDialog1_ =
        new TCopyFileDialog(QStringLiteral("SaveDialog1"), TCopyFileDialog::Kind::Save, this);
    OpenDialog1_ =
        new TCopyFileDialog(QStringLiteral("OpenDialog1"), TCopyFileDialog::Kind::Open, this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CtopOK2_);
    buttons->addWidget(ptocOk_);
    buttons->addWidget(ptocOk2_);
    buttons->addStretch();
    auto* name = new QHBoxLayout;
    name->addWidget(Label33);
    name->addWidget(Copyfname2_, 1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 16, 16, 16);
    page->setSpacing(12);
    page->addLayout(buttons);
    page->addWidget(Same_);
    page->addLayout(name);
    page->addWidget(Label35_);
    page->addWidget(ProgressBar3_);
    page->addWidget(complete2_);
    buildVerifyControls(page);
    page->addStretch();
}

void TCopyTab::buildVerifyControls(QVBoxLayout* page) {
    VerifyButton_ = new QPushButton(QStringLiteral("Verify"), this);
    VerifyButton_->setObjectName(QStringLiteral("VerifyButton"));
    VerifyButton_->setMinimumWidth(150);
    VerifyButton_->setToolTip(
        QStringLiteral("Compare the camera's EEPROM words with those of a copy file"));
    Bind(context_, VerifyButton_, &QPushButton::clicked, this, &TCopyTab::VerifyButtonClick);
    VerifyCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    VerifyCancel_->setObjectName(QStringLiteral("VerifyCancel"));
    VerifyCancel_->setEnabled(false);
    Bind(context_, VerifyCancel_, &QPushButton::clicked, this, &TCopyTab::VerifyCancelClick);
    VerifyAfterCopy_ = new QCheckBox(QStringLiteral("Verify after copy"), this);
    VerifyAfterCopy_->setObjectName(QStringLiteral("VerifyAfterCopy"));
    VerifyProgress_ = new QProgressBar(this);
    VerifyProgress_->setObjectName(QStringLiteral("VerifyProgress"));
    VerifyProgress_->setRange(0, cam::kEepromWordCount);
    VerifyProgress_->setValue(0);
    VerifyProgress_->setTextVisible(false);
    VerifyResult_ = new QLabel(this);
    VerifyResult_->setObjectName(QStringLiteral("VerifyResult"));
    VerifyResult_->setWordWrap(true);
    VerifyResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* row = new QHBoxLayout;
    row->addWidget(VerifyButton_);
    row->addWidget(VerifyCancel_);
    row->addWidget(VerifyAfterCopy_);
    row->addStretch();
    page->addSpacing(12);
    page->addLayout(row);
    page->addWidget(VerifyProgress_);
    page->addWidget(VerifyResult_);
}

int TCopyTab::ctop_adr_chk(int start) {
    if (start != 0) return start;
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        context_.Data(a) = -1;
    return cam::kEepromWordCount;
}

void TCopyTab::endCopy() {
    verifyAfterReset_ = false;
    if (engine_.End() == cam::CopyProcedure::Verify) endVerify(QStringLiteral("Verify stopped"));
}

void TCopyTab::stopCopy(const QString& why) {
    endCopy();
    Label35_->setText(why);
    replyError(this);
}

void TCopyTab::LinkGaveUp() {
    verifyAfterReset_ = false;
    if (engine_.Running() == cam::CopyProcedure::None) return;
    stopCopy(QStringLiteral("Stopped: the camera did not answer"));
}

bool TCopyTab::LineLost() {
    verifyAfterReset_ = false;
    switch (engine_.End()) {
    case cam::CopyProcedure::None:
        return false;
    case cam::CopyProcedure::Verify:
        endVerify(QStringLiteral("Verify stopped: the camera's line was lost"));
        return true;
    default:
        // A Camera->PC file is not written: it would not be complete.
        Label35_->setText(QStringLiteral("Stopped: the camera's line was lost"));
        return true;
    }
}

void TCopyTab::PageLeft() {
    interrupt(QStringLiteral("the tab was changed"));
}

void TCopyTab::LoadStarted() {
    interrupt(QStringLiteral("a load took the line"));
}

void TCopyTab::Abandoned(std::uint32_t tag) {
    if (tag == 0 || tag != engine_.Awaited()) return;
    // A lost line or a give-up tells the copy itself, with its reason, right
    // after; only an exchange ended otherwise stops it here.
    QTimer::singleShot(0, this, [this, tag] {
        if (engine_.Awaited() == tag) interrupt(QStringLiteral("its frame was not sent"));
    });
}

void TCopyTab::interrupt(const QString& why) {
    verifyAfterReset_ = false;
    switch (engine_.End()) {
    case cam::CopyProcedure::None:
        return;
    case cam::CopyProcedure::Verify:
        endVerify(QStringLiteral("Verify stopped: ") + why);
        ShowMessage(QStringLiteral("The verification was stopped because ") + why,
                    QStringLiteral("38R5"), TButtons::Ok, this);
        return;
    default:
        // A Camera->PC file is not written, a file's lines are let go.
        Label35_->setText(QStringLiteral("Stopped: ") + why);
        ShowMessage(QStringLiteral("The copy was stopped because ") + why, QStringLiteral("38R5"),
                    TButtons::Ok, this);
    }
}

void TCopyTab::CloseCopyFile() {
    const bool single = engine_.Running() == cam::CopyProcedure::Single;
    const bool ended = single || verifyAfterReset_;
    verifyAfterReset_ = false;
    if (single) {
        // The copy's end is told from here, once the link is done with the reset.
        resetEnding_ = true;
        engine_.ResetAcknowledged();
        resetEnding_ = false;
    }
    // The link is still finishing the reset's exchange: the reads follow it.
    if (ended) QTimer::singleShot(0, this, &TCopyTab::copyEnded);
}

void TCopyTab::SetCopyProgressMax() {
    ProgressBar3_->setValue(ProgressBar3_->maximum());
}

// ---- the line and the page's view of the procedures ----------------------------

std::uint32_t TCopyTab::SendCommand(const cam::Payload& payload, int count) {
    cam::TxFrame& tx = context_.Tx();
    for (int k = 0; k < count; ++k)
        tx[static_cast<std::size_t>(k) + 1] = payload[static_cast<std::size_t>(k)];
    return context_.RequestCommand(count);
}

std::uint32_t TCopyTab::SendImage(const cam::CopyImage& image) {
    // Only now, with the whole file checked (and the camera's word read),
    // does the image enter the table.
    for (std::size_t n = 0; n < image.bytes.size(); ++n)
        if (image.set.test(n)) context_.Data(static_cast<int>(n)) = image.bytes[n];
    Same_->setFocus();
    return host_.SohCommand();
}

void TCopyTab::SendReset() {
    verifyAfterReset_ = true; // the reset's ACK ends the copy
    host_.Reset1Click();
}

void TCopyTab::CopyProgress(cam::CopyProcedure procedure, int value, int maximum) {
    QProgressBar* bar = procedure == cam::CopyProcedure::Verify ? VerifyProgress_ : ProgressBar3_;
    bar->setRange(0, maximum);
    bar->setValue(value);
}

void TCopyTab::CopyWord(int address, std::uint16_t word) {
    context_.Data(address) = word;
}

void TCopyTab::CopyEnded(const cam::CopyEnd& end) {
    const bool verify = end.procedure == cam::CopyProcedure::Verify;
    switch (end.kind) {
    case cam::CopyEndKind::Done:
        if (verify) {
            endVerify(verifySummary());
        } else if (end.procedure == cam::CopyProcedure::CameraToPc) {
            complete2_->show();
        } else if (!resetEnding_) {
            // A single copy ended by its reset line shows no "Complete".
            if (end.procedure == cam::CopyProcedure::Batch) Same_->setChecked(true);
            complete2_->show();
            if (end.procedure == cam::CopyProcedure::Single) copyEnded();
        }
        return;
    case cam::CopyEndKind::Rejected:
        replyError(this);
        if (verify) endVerify(QStringLiteral("Verify stopped"));
        return;
    case cam::CopyEndKind::Failed:
        if (verify) endVerify(QStringLiteral("Verify stopped"));
        Label35_->setText(QStringLiteral("Stopped: ") + QString::fromStdString(end.why));
        replyError(this);
        return;
    case cam::CopyEndKind::Refused: {
        const QString why = QString::fromStdString(end.why);
        if (verify) {
            endVerify(QStringLiteral("Verify stopped: ") + why);
            ShowMessage(QStringLiteral("The verification was stopped because ") + why,
                        QStringLiteral("38R5"), TButtons::Ok, this);
            return;
        }
        Label35_->setText(QStringLiteral("Stopped: ") + why);
        ShowMessage(QStringLiteral("The copy was stopped because ") + why, QStringLiteral("38R5"),
                    TButtons::Ok, this);
        return;
    }
    case cam::CopyEndKind::FileError:
        fileError(kWriteError + QLatin1Char('\n') + QString::fromStdString(end.why), this);
        return;
    }
}

// ---- Camera->PC ------------------------------------------------------------

void TCopyTab::CtopOK2Click() {
    if (!context_.Trans_chk()) return;
    interrupt(QStringLiteral("another copy was started"));
    endCopy();
    Copy_select_->setItemIndex(kCameraToPc);
    Label35_->setText(QStringLiteral("Camera->PC"));
    ProgressBar3_->setValue(0);
    complete2_->hide();
    Copyfname2_->clear();
    if (!runDialog_(*SaveDialog1_)) return;
    const QString name = SaveDialog1_->FileName;
    if (QFileInfo::exists(name) &&
        !ask_(
            QStringLiteral("Do you really want to over write %1?").arg(QFileInfo(name).fileName())))
        return;
    Copyfname2_->setText(name);
    QString why;
    if (!CanWriteCopyFile(name, &why)) {
        fileError(kWriteError + QLatin1Char('\n') + why, this);
        return;
    }
    // The dialogs let other events run: something may have started meanwhile.
    if (!context_.Trans_chk()) return;
    ctop_adr_chk(0);
    engine_.StartCameraToPc(name);
}

void TCopyTab::Trans_end_ctop() {
    if (engine_.Running() == cam::CopyProcedure::CameraToPc)
        engine_.Reply(context_.Reply(), context_.AnsweredTag());
}

// ---- PC->Camera ------------------------------------------------------------

bool TCopyTab::chooseOpenFile(const QString& shown) {
    if (Same_->isChecked()) {
        // Never a file other than the one the technician sees.
        if (OpenDialog1_->HasFileName() && OpenDialog1_->FileName == shown) return true;
        Same_->setChecked(false);
    }
    return runDialog_(*OpenDialog1_);
}

bool TCopyTab::readFile(const QString& path, std::string* text) {
    QString error;
    if (ReadCopyFile(path, text, &error)) return true;
    fileError(kReadError + QLatin1Char('\n') + error, this);
    return false;
}

void TCopyTab::showFormatError(const QString& path, const std::string& why) {
    fileError(kReadError + QLatin1Char('\n') + QFileInfo(path).fileName() + QStringLiteral(", ") +
                  QString::fromStdString(why),
              this);
}

void TCopyTab::ptocOkClick() {
    if (!context_.Trans_chk()) return;
    interrupt(QStringLiteral("another copy was started"));
    endCopy();
    Copy_select_->setItemIndex(kSingle);
    Label35_->setText(QStringLiteral("PC->Camera(Single)"));
    ProgressBar3_->setValue(0);
    complete2_->hide();
    const QString shown = Copyfname2_->text();
    Copyfname2_->clear();
    if (!chooseOpenFile(shown)) return;
    const QString name = OpenDialog1_->FileName;
    Copyfname2_->setText(name);
    copyFile_ = name;

    std::string text;
    if (!readFile(name, &text)) return;
    std::vector<cam::CopyRecord> lines;
    std::string why;
    if (!cam::parse_command_records(text, &lines, &why)) {
        showFormatError(name, why);
        return;
    }
    if (!context_.Trans_chk()) return;
    Same_->setChecked(true); // the copy starts: only now is the file worth reusing
    engine_.StartSingle(std::move(lines), text.size());
}

void TCopyTab::ptocOk2Click() {
    complete2_->hide();
    if (!context_.Trans_chk()) return;
    interrupt(QStringLiteral("another copy was started"));
    endCopy();
    Copy_select_->setItemIndex(kBatch);
    Label35_->setText(QStringLiteral("PC->Camera"));
    ProgressBar3_->setValue(0);
    if (!chooseOpenFile(Copyfname2_->text())) return;
    const QString name = OpenDialog1_->FileName;
    Copyfname2_->setText(name);
    copyFile_ = name;

    std::string text;
    if (!readFile(name, &text)) return;
    cam::CopyImage image;
    std::string why;
    if (!cam::read_copy_image(text, &image, &why)) {
        showFormatError(name, why);
        return;
    }
    if (!context_.Trans_chk()) return;
    engine_.StartBatch(image, text.size());
}

// ---- Verify ------------------------------------------------------------------

bool TCopyTab::loadVerifyFile(const QString& path) {
    std::string text;
    if (!readFile(path, &text)) return false;
    std::string why;
    cam::CopyWords words;
    if (!cam::read_copy_words(text, &words, &why)) {
        showFormatError(path, why);
        return false;
    }
    int count = 0;
    for (std::int32_t w : words)
        count += w >= 0;
    VerifyResult_->setText(QStringLiteral("Verifying %1 words ...").arg(count));
    VerifyButton_->setEnabled(false);
    VerifyCancel_->setEnabled(true);
    engine_.StartVerify(words);
    return true;
}

void TCopyTab::VerifyButtonClick() {
    if (!context_.Trans_chk() || engine_.Running() != cam::CopyProcedure::None) return;
    if (!chooseOpenFile(Copyfname2_->text())) return;
    const QString name = OpenDialog1_->FileName;
    Copyfname2_->setText(name);
    if (!context_.Trans_chk()) return;
    loadVerifyFile(name);
}

void TCopyTab::copyEnded() {
    if (!VerifyAfterCopy_->isChecked() || engine_.Running() != cam::CopyProcedure::None ||
        copyFile_.isEmpty())
        return;
    loadVerifyFile(copyFile_);
}

QString TCopyTab::verifySummary() const {
    const auto& differences = engine_.Differences();
    const int verified = engine_.Verified();
    if (differences.empty())
        return QStringLiteral("Verified: all %1 words are as in the file").arg(verified);
    QString text = QStringLiteral("%1 of %2 words differ").arg(differences.size()).arg(verified);
    constexpr std::size_t kShown = 5;
    for (std::size_t i = 0; i < differences.size() && i < kShown; ++i) {
        const cam::CopyDifference& d = differences[i];
        text += QStringLiteral("\n0x%1: camera %2, file %3")
                    .arg(hexWord(d.address), hexWord(d.camera), hexWord(d.file));
    }
    if (differences.size() > kShown) text += QStringLiteral("\n...");
    return text;
}

void TCopyTab::VerifyCancelClick() {
    if (engine_.Running() != cam::CopyProcedure::Verify) return;
    engine_.End();
    endVerify(QStringLiteral("Verify cancelled after %1 words, %2 differing")
                  .arg(engine_.Verified())
                  .arg(engine_.Differences().size()));
}

void TCopyTab::endVerify(const QString& result) {
    VerifyResult_->setText(result);
    VerifyButton_->setEnabled(true);
    VerifyCancel_->setEnabled(false);
}

// ---- replies -----------------------------------------------------------------

void TCopyTab::Trans_end_copy() {
    const ILinkGate::DecodingScope decoding(context_);
    // A copy or verification goes on only on the answer to its own frame:
    // replies to loads, switch keys and the like pass it by.
    const bool running = engine_.Running() != cam::CopyProcedure::None;
    const bool own = running && context_.Answers(engine_.Awaited());
    const bool refused = context_.Reply()[1] != cam::kAccepted;
    if (refused && !own) {
        replyError(this);
        if (!running) verifyAfterReset_ = false;
        return;
    }
    if (!own || (!refused && context_.SequenceRunning())) return;
    engine_.Reply(context_.Reply(), context_.AnsweredTag());
}

void TCopyTab::StopForClose() {
    verifyAfterReset_ = false;
    if (engine_.End() != cam::CopyProcedure::None)
        Label35_->setText(QStringLiteral("Stopped: the program was closed"));
}

QString TCopyTab::CopyStateText() const {
    switch (engine_.Running()) {
    case cam::CopyProcedure::CameraToPc:
        return QStringLiteral("no file is written");
    case cam::CopyProcedure::Single:
        return QStringLiteral("the camera's EEPROM is partly written, without the reset");
    case cam::CopyProcedure::Batch:
        return QStringLiteral("the image may not be written, the reset is not sent");
    case cam::CopyProcedure::Verify:
        return QStringLiteral("the verification is not finished");
    case cam::CopyProcedure::None:
        break;
    }
    return {};
}

void TCopyTab::CameraConnected() {
    VerifyResult_->clear();
    complete2_->hide();
}
