#include "ui/copy/copy_tab.h"

#include "link/hex.h"
#include "transactions/copy_file.h"
#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/copy/copy_file_io.h"
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
constexpr std::uint8_t kWordRead[] = {cam::kReadClass, cam::kEepromWordCode};
// The word the copy file does not hold; the batch copy keeps the camera's.
constexpr int kLastWord = cam::kEepromWordCount - 1;
constexpr std::size_t kLastWordByte = 2 * kLastWord; // its low byte in the image
// Answers in a row that answer something else than the step's frame, after
// which the copy stops: a camera that keeps doing so is not copied from or to.
constexpr int kMaxLateAnswers = 4;

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

// True when reply `r` answers the command `p` (payload bytes 1..15 at p[0..]):
// byte 2 repeats the code, and the EEPROM word and register replies repeat the
// address the command named.
bool answers(const cam::Payload& p, const cam::ReplyBuffer& r) {
    if (r[2] != p[1]) return false;
    switch (p[1]) {
    case 0x0A:
    case 0x0B:
        return r[3] == p[2];
    case 0x0C:
    case 0x0F:
        return r[3] == p[2] && r[4] == p[3];
    default:
        return true;
    }
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
    running_ = false;
    awaited_ = 0;
    verifyAfterReset_ = false;
    if (verifying_) endVerify(QStringLiteral("Verify stopped"));
    lateAnswers_ = 0;
    awaitingLastWord_ = false;
    lines_.clear();
    nextLine_ = 0;
}

void TCopyTab::stopCopy(const QString& why) {
    endCopy();
    Label35_->setText(why);
    replyError(this);
}

void TCopyTab::LinkGaveUp() {
    verifyAfterReset_ = false;
    if (!running_ && !verifying_) return;
    stopCopy(QStringLiteral("Stopped: the camera did not answer"));
}

bool TCopyTab::LineLost() {
    verifyAfterReset_ = false;
    bool stopped = false;
    if (verifying_) {
        endVerify(QStringLiteral("Verify stopped: the camera's line was lost"));
        stopped = true;
    }
    if (!running_) return stopped;
    endCopy(); // a Camera->PC file is not written: it would not be complete
    Label35_->setText(QStringLiteral("Stopped: the camera's line was lost"));
    return true;
}

void TCopyTab::PageLeft() {
    interrupt(QStringLiteral("the tab was changed"));
}

void TCopyTab::LoadStarted() {
    interrupt(QStringLiteral("a load took the line"));
}

void TCopyTab::Abandoned(std::uint32_t tag) {
    if (tag == 0 || tag != awaited_) return;
    // A lost line or a give-up tells the copy itself, with its reason, right
    // after; only an exchange ended otherwise stops it here.
    QTimer::singleShot(0, this, [this, tag] {
        if (awaited_ == tag) interrupt(QStringLiteral("its frame was not sent"));
    });
}

void TCopyTab::interrupt(const QString& why) {
    verifyAfterReset_ = false;
    if (verifying_) {
        endVerify(QStringLiteral("Verify stopped: ") + why);
        ShowMessage(QStringLiteral("The verification was stopped because ") + why,
                    QStringLiteral("38R5"), TButtons::Ok, this);
    }
    if (!running_) return;
    endCopy(); // a Camera->PC file is not written, a file's lines are let go
    Label35_->setText(QStringLiteral("Stopped: ") + why);
    ShowMessage(QStringLiteral("The copy was stopped because ") + why, QStringLiteral("38R5"),
                TButtons::Ok, this);
}

bool TCopyTab::sent(std::uint32_t tag) {
    awaited_ = tag;
    if (tag == 0) interrupt(QStringLiteral("the line did not take its frame"));
    return tag != 0;
}

void TCopyTab::CloseCopyFile() {
    const bool ended = (running_ && Copy_select_->ItemIndex() == kSingle) || verifyAfterReset_;
    if (Copy_select_->ItemIndex() == kSingle) endCopy();
    verifyAfterReset_ = false;
    // The link is still finishing the reset's exchange: the reads follow it.
    if (ended) QTimer::singleShot(0, this, &TCopyTab::copyEnded);
}

void TCopyTab::SetCopyProgressMax() {
    ProgressBar3_->setValue(ProgressBar3_->maximum());
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
    cameraWords_.fill(-1);
    cameraFile_ = name;
    running_ = true;
    sendWordRead(0);
    ProgressBar3_->setRange(0, kProgressWords);
    ProgressBar3_->setValue(0);
}

bool TCopyTab::lateAnswer() {
    if (++lateAnswers_ <= kMaxLateAnswers) return true;
    stopCopy(QStringLiteral("Stopped: the camera's answers do not fit the copy"));
    return false;
}

void TCopyTab::sendWordRead(int address) {
    readAddress_ = address;
    sent(context_.Request({kWordRead[0], kWordRead[1], static_cast<std::uint8_t>(address >> 8),
                           static_cast<std::uint8_t>(address)}));
}

bool TCopyTab::wordReply(int* address, std::uint16_t* word) {
    const cam::ReplyBuffer& r = context_.Reply();
    *address = r[3] << 8 | r[4];
    if (r[2] != cam::kEepromWordCode || *address != readAddress_) {
        if (lateAnswer()) sendWordRead(readAddress_);
        return false;
    }
    lateAnswers_ = 0;
    *word = static_cast<std::uint16_t>(r[5] << 8 | r[6]);
    return true;
}

void TCopyTab::Trans_end_ctop() {
    int address = 0;
    std::uint16_t word = 0;
    if (!wordReply(&address, &word)) return;
    context_.Data(address) = word;
    cameraWords_[static_cast<std::size_t>(address)] = word;
    ProgressBar3_->setValue(address);
    if (address < cam::kEepromWordCount - 1) {
        sendWordRead(address + 1);
        return;
    }
    running_ = false;
    writeCameraFile();
}

void TCopyTab::writeCameraFile() {
    // Only the words this copy read: the data table is shared with the
    // register values that other replies report.
    const std::vector<std::int32_t> words(cameraWords_.begin(), cameraWords_.end());
    std::string text;
    std::string why;
    if (!cam::copy_file_text(words, &text, &why)) {
        fileError(kWriteError + QLatin1Char('\n') + QString::fromStdString(why), this);
        return;
    }
    QString error;
    if (!WriteCopyFile(cameraFile_, text, &error)) {
        fileError(kWriteError + QLatin1Char('\n') + error, this);
        return;
    }
    complete2_->show();
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
    lines_ = std::move(lines);
    nextLine_ = 0;
    running_ = true;
    ProgressBar3_->setRange(0, static_cast<int>(text.size()));
    ProgressBar3_->setValue(0);
    if (make_frec()) sent(context_.RequestCommand(static_cast<int>(cam::kPayloadSize)));
}

bool TCopyTab::make_frec() {
    if (nextLine_ >= lines_.size()) {
        lines_.clear(); // the file is done with
        nextLine_ = 0;
        return false;
    }
    const cam::CopyRecord& line = lines_[nextLine_++];
    cam::TxFrame& tx = context_.Tx();
    for (std::size_t k = 0; k < cam::kPayloadSize; ++k)
        tx[k + 1] = line.payload[k];
    return true;
}

void TCopyTab::resendLine() {
    const cam::CopyRecord& line = lines_[nextLine_ - 1];
    cam::TxFrame& tx = context_.Tx();
    for (std::size_t k = 0; k < cam::kPayloadSize; ++k)
        tx[k + 1] = line.payload[k];
    sent(context_.RequestCommand(static_cast<int>(cam::kPayloadSize)));
}

void TCopyTab::nextLine() {
    if (nextLine_ > 0 && nextLine_ <= lines_.size() &&
        !answers(lines_[nextLine_ - 1].payload, context_.Reply())) {
        if (lateAnswer()) resendLine(); // a late answer to the line before
        return;
    }
    lateAnswers_ = 0;
    if (make_frec()) {
        if (!sent(context_.RequestCommand(static_cast<int>(cam::kPayloadSize)))) return;
        ProgressBar3_->setValue(static_cast<int>(lines_[nextLine_ - 1].end));
        return;
    }
    running_ = false;
    complete2_->show();
    copyEnded();
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
    ProgressBar3_->setRange(0, static_cast<int>(text.size()));
    ProgressBar3_->setValue(16);
    if (!context_.Trans_chk()) return;
    image_ = image;
    running_ = true;
    if (image_.set.test(kLastWordByte)) {
        sendImage(); // the file names word 0x3FF itself
        return;
    }
    // The camera's own word 0x3FF goes back into it with the image.
    awaitingLastWord_ = true;
    sendWordRead(kLastWord);
}

void TCopyTab::sendImage() {
    // Only now, with the whole file checked and the camera's word read, does
    // the image enter the table.
    for (std::size_t n = 0; n < image_.bytes.size(); ++n)
        if (image_.set.test(n)) context_.Data(static_cast<int>(n)) = image_.bytes[n];
    ProgressBar3_->setValue(ProgressBar3_->value() + 256);
    Same_->setFocus();
    sendBulk();
}

void TCopyTab::sendBulk() {
    sent(host_.SohCommand());
}

void TCopyTab::batchReply() {
    const cam::ReplyBuffer& r = context_.Reply();
    if (awaitingLastWord_) {
        if (r[2] != cam::kEepromWordCode || (r[3] << 8 | r[4]) != readAddress_) {
            stopCopy(QStringLiteral("Stopped: word 0x3FF could not be read"));
            return;
        }
        awaitingLastWord_ = false;
        image_.bytes[kLastWordByte] = r[6];
        image_.bytes[kLastWordByte + 1] = r[5];
        image_.set.set(kLastWordByte);
        image_.set.set(kLastWordByte + 1);
        sendImage();
        return;
    }
    if (r[2] == cam::kEepromWordCode) {
        if (lateAnswer()) sendBulk(); // a late answer to the word read: again
        return;
    }
    finishBatch();
}

void TCopyTab::finishBatch() {
    running_ = false;
    ProgressBar3_->setValue(ProgressBar3_->maximum());
    verifyAfterReset_ = true; // the reset's ACK ends the copy
    host_.Reset1Click();
    Same_->setChecked(true);
    complete2_->show();
}

// ---- Verify ------------------------------------------------------------------

bool TCopyTab::loadVerifyFile(const QString& path) {
    std::string text;
    if (!readFile(path, &text)) return false;
    std::string why;
    if (!cam::read_copy_words(text, &verifyWords_, &why)) {
        showFormatError(path, why);
        return false;
    }
    return true;
}

void TCopyTab::VerifyButtonClick() {
    if (!context_.Trans_chk() || running_ || verifying_) return;
    if (!chooseOpenFile(Copyfname2_->text())) return;
    const QString name = OpenDialog1_->FileName;
    Copyfname2_->setText(name);
    if (!loadVerifyFile(name) || !context_.Trans_chk()) return;
    startVerify();
}

void TCopyTab::copyEnded() {
    if (!VerifyAfterCopy_->isChecked() || verifying_ || running_ || copyFile_.isEmpty()) return;
    if (loadVerifyFile(copyFile_)) startVerify();
}

void TCopyTab::startVerify() {
    verifying_ = true;
    differences_.clear();
    verified_ = 0;
    lateAnswers_ = 0;
    int words = 0;
    for (std::int32_t w : verifyWords_)
        words += w >= 0;
    VerifyProgress_->setRange(0, words);
    VerifyProgress_->setValue(0);
    VerifyResult_->setText(QStringLiteral("Verifying %1 words ...").arg(words));
    VerifyButton_->setEnabled(false);
    VerifyCancel_->setEnabled(true);
    nextVerifyRead(0);
}

void TCopyTab::nextVerifyRead(int from) {
    for (int a = from; a < cam::kEepromWordCount; ++a) {
        if (verifyWords_[static_cast<std::size_t>(a)] >= 0) {
            sendWordRead(a);
            return;
        }
    }
    awaited_ = 0;
    if (differences_.empty()) {
        endVerify(QStringLiteral("Verified: all %1 words are as in the file").arg(verified_));
        return;
    }
    QString text = QStringLiteral("%1 of %2 words differ").arg(differences_.size()).arg(verified_);
    constexpr std::size_t kShown = 5;
    for (std::size_t i = 0; i < differences_.size() && i < kShown; ++i) {
        const Difference& d = differences_[i];
        text += QStringLiteral("\n0x%1: camera %2, file %3")
                    .arg(hexWord(d.address), hexWord(d.camera), hexWord(d.file));
    }
    if (differences_.size() > kShown) text += QStringLiteral("\n...");
    endVerify(text);
}

void TCopyTab::verifyReply() {
    int address = 0;
    std::uint16_t camera = 0;
    if (!wordReply(&address, &camera)) return;
    const auto file = static_cast<std::uint16_t>(verifyWords_[static_cast<std::size_t>(address)]);
    if (camera != file) differences_.push_back({address, camera, file});
    VerifyProgress_->setValue(++verified_);
    nextVerifyRead(address + 1);
}

void TCopyTab::VerifyCancelClick() {
    if (!verifying_) return;
    endVerify(QStringLiteral("Verify cancelled after %1 words, %2 differing")
                  .arg(verified_)
                  .arg(differences_.size()));
}

void TCopyTab::endVerify(const QString& result) {
    verifying_ = false;
    VerifyResult_->setText(result);
    VerifyButton_->setEnabled(true);
    VerifyCancel_->setEnabled(false);
}

// ---- replies -----------------------------------------------------------------

void TCopyTab::Trans_end_copy() {
    const ILinkGate::DecodingScope decoding(context_);
    // A copy or verification goes on only on the answer to its own frame:
    // replies to loads, switch keys and the like pass it by.
    const bool own = (running_ || verifying_) && context_.Answers(awaited_);
    if (context_.Reply()[1] != cam::kAccepted) {
        replyError(this);
        // The copy does not go on; a single copy's file is closed.
        if (own || !(running_ || verifying_)) endCopy();
        return;
    }
    if (!own || context_.SequenceRunning()) return;
    if (verifying_) {
        verifyReply();
        return;
    }
    switch (Copy_select_->ItemIndex()) {
    case kCameraToPc:
        Trans_end_ctop();
        break;
    case kSingle:
        nextLine();
        break;
    case kBatch:
        batchReply();
        break;
    default:
        break;
    }
}
