#include "ui/copy/copy_tab.h"

#include "copy/copy_file_io.h"
#include "link/hex.h"
#include "transactions/copy_file.h"
#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/copy/copy_host.h"
#include "ui/copy/verify_map.h"
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

#include <utility>

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

// "0:21": minutes and seconds, rounded up.
QString duration(qint64 ms) {
    const qint64 s = (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

bool isWordLine(const cam::Payload& p) {
    return p[0] == cam::kWriteClass && (p[1] == cam::kEepromWordCode || p[1] == 0x0F);
}

int lineAddress(const cam::Payload& p) {
    return p[2] << 8 | p[3];
}

// The address of the last word line among the first `answered`, -1 for none.
int lastWordLine(const std::vector<cam::CopyRecord>& lines, std::size_t answered) {
    for (std::size_t i = answered; i-- > 0;)
        if (isWordLine(lines[i].payload)) return lineAddress(lines[i].payload);
    return -1;
}

// A procedure that ended keeps its count, not a time left.
void dropTimeLeft(QLabel* label) {
    const QString text = label->text();
    if (text.endsWith(QLatin1String(" left")))
        label->setText(text.left(text.lastIndexOf(QLatin1String(", "))));
}

// What a single copy stopped after `answered` lines leaves in the camera;
// `lastWord` is the address of the last word line answered, -1 for none.
QString singleState(std::size_t answered, int lastWord) {
    if (lastWord >= 0)
        return QStringLiteral("the camera holds words up to 0x%1 of the file, without the "
                              "reset: its EEPROM is partly written")
            .arg(hexWord(lastWord));
    if (answered > 0)
        return QStringLiteral("the camera took %1 lines of the file, without the reset")
            .arg(answered);
    return QStringLiteral("the camera was not written");
}

const QString kCancelled = QStringLiteral("Cancelled: ");

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
    CopyCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    CopyCancel_->setObjectName(QStringLiteral("CopyCancel"));
    CopyCancel_->setToolTip(QStringLiteral("Stop the running copy"));
    CopyCancel_->setEnabled(false);
    Bind(context_, CopyCancel_, &QPushButton::clicked, this, &TCopyTab::CopyCancelClick);
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
    CopyProgressText_ = new QLabel(this);
    CopyProgressText_->setObjectName(QStringLiteral("CopyProgressText"));
    CopyProgressText_->setMinimumWidth(220);
    progressTimer_ = new QTimer(this);
    progressTimer_->setObjectName(QStringLiteral("ProgressTimer"));
    progressTimer_->setSingleShot(true);
    progressTimer_->setInterval(kProgressMs);
    connect(progressTimer_, &QTimer::timeout, this, &TCopyTab::ProgressTimerTimer);
    complete2_ = new QLabel(QStringLiteral("Complete"), this);
    complete2_->setObjectName(QStringLiteral("complete2"));
    QFont big = complete2_->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    complete2_->setFont(big);
    // Its place stays when it is hidden: nothing below moves.
    QSizePolicy keep = complete2_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    complete2_->setSizePolicy(keep);
    complete2_->hide();
    CompleteStamp_ = new QLabel(this);
    CompleteStamp_->setObjectName(QStringLiteral("CompleteStamp"));

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
    DiffSaveDialog_ =
        new TCopyFileDialog(QStringLiteral("DiffSaveDialog"), TCopyFileDialog::Kind::Save, this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CtopOK2_);
    buttons->addWidget(ptocOk_);
    buttons->addWidget(ptocOk2_);
    buttons->addWidget(CopyCancel_);
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
    auto* progress = new QHBoxLayout;
    progress->addWidget(ProgressBar3_, 1);
    progress->addWidget(CopyProgressText_);
    page->addLayout(progress);
    auto* complete = new QHBoxLayout;
    complete->addWidget(complete2_);
    complete->addWidget(CompleteStamp_);
    complete->addStretch();
    page->addLayout(complete);
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
    VerifyAfterCopy_->setToolTip(QStringLiteral(
        "After a PC->Camera copy (Single or Batch), compare the camera with the file copied"));
    VerifyDiffSave_ = new QPushButton(QStringLiteral("Save differences"), this);
    VerifyDiffSave_->setObjectName(QStringLiteral("VerifyDiffSave"));
    VerifyDiffSave_->setToolTip(
        QStringLiteral("Save the camera's words that differ from the file as a copy file"));
    VerifyDiffSave_->setEnabled(false);
    Bind(context_, VerifyDiffSave_, &QPushButton::clicked, this, &TCopyTab::VerifyDiffSaveClick);
    VerifyProgress_ = new QProgressBar(this);
    VerifyProgress_->setObjectName(QStringLiteral("VerifyProgress"));
    VerifyProgress_->setRange(0, cam::kEepromWordCount);
    VerifyProgress_->setValue(0);
    VerifyProgress_->setTextVisible(false);
    VerifyProgressText_ = new QLabel(this);
    VerifyProgressText_->setObjectName(QStringLiteral("VerifyProgressText"));
    VerifyProgressText_->setMinimumWidth(220);
    VerifyStamp_ = new QLabel(this);
    VerifyStamp_->setObjectName(QStringLiteral("VerifyStamp"));
    VerifyResult_ = new QLabel(this);
    VerifyResult_->setObjectName(QStringLiteral("VerifyResult"));
    VerifyResult_->setWordWrap(true);
    VerifyResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    VerifyMap_ = new TVerifyMap(this);
    auto* legend = new QLabel(this);
    legend->setObjectName(QStringLiteral("VerifyMapLegend"));
    const auto key = [](TVerifyMap::Cell cell, const char* text) {
        return QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2")
            .arg(TVerifyMap::Colour(cell).name(), QLatin1String(text));
    };
    legend->setText(key(TVerifyMap::Cell::Equal, "as in the file") + QStringLiteral("<br>") +
                    key(TVerifyMap::Cell::Differs, "differs") + QStringLiteral("<br>") +
                    key(TVerifyMap::Cell::NotInFile, "not in the file") + QStringLiteral("<br>") +
                    key(TVerifyMap::Cell::NotRead, "not read"));

    auto* row = new QHBoxLayout;
    row->addWidget(VerifyButton_);
    row->addWidget(VerifyCancel_);
    row->addWidget(VerifyAfterCopy_);
    row->addStretch();
    auto* progress = new QHBoxLayout;
    progress->addWidget(VerifyProgress_, 1);
    progress->addWidget(VerifyProgressText_);
    auto* counts = new QVBoxLayout;
    counts->addLayout(row);
    counts->addLayout(progress);
    counts->addWidget(VerifyStamp_);
    counts->addWidget(VerifyResult_);
    counts->addStretch();
    auto* side = new QVBoxLayout;
    side->addWidget(legend);
    side->addStretch();
    side->addWidget(VerifyDiffSave_);
    auto* verify = new QHBoxLayout;
    verify->addLayout(counts, 1);
    verify->addWidget(VerifyMap_, 0, Qt::AlignTop);
    verify->addLayout(side);
    page->addSpacing(12);
    page->addLayout(verify);
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
    syncRunning();
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
    const QString state = CopyStateText();
    const cam::CopyProcedure ended = engine_.End();
    syncRunning();
    switch (ended) {
    case cam::CopyProcedure::None:
        return false;
    case cam::CopyProcedure::Verify:
        endVerify(QStringLiteral("Verify stopped: the camera's line was lost"));
        return true;
    default:
        // A Camera->PC file is not written: it would not be complete.
        Label35_->setText(QStringLiteral("Stopped: the camera's line was lost; ") + state);
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
    const QString state = CopyStateText();
    const cam::CopyProcedure ended = engine_.End();
    syncRunning();
    switch (ended) {
    case cam::CopyProcedure::None:
        return;
    case cam::CopyProcedure::Verify:
        endVerify(QStringLiteral("Verify stopped: ") + why);
        ShowMessage(QStringLiteral("The verification was stopped because ") + why,
                    QStringLiteral("38R5"), TButtons::Ok, this);
        return;
    default:
        // A Camera->PC file is not written, a file's lines are let go; the
        // camera's state goes beside the reason.
        Label35_->setText(QStringLiteral("Stopped: ") + why + QStringLiteral("; ") + state);
        ShowMessage(QStringLiteral("The copy was stopped because ") + why + QStringLiteral("\n") +
                        state,
                    QStringLiteral("38R5"), TButtons::Ok, this);
    }
}

void TCopyTab::CloseCopyFile() {
    if (cancelled_.procedure == cam::CopyProcedure::Single &&
        cancelled_.line[0] == cam::kResetClass) {
        // The cancelled copy's last line, the reset, was taken after all.
        Label35_->setText(kCancelled +
                          QStringLiteral("the camera took the whole file and was reset"));
        cancelled_ = {};
    }
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
    const Progress progress{procedure, value, maximum};
    // The first step shows at once, the next ones at most every kProgressMs,
    // the last one (and the end, in syncRunning) at once again.
    if (progressTimer_->isActive() && value > 0 && value < maximum) {
        progressHeld_ = progress;
    } else {
        progressHeld_.reset();
        showProgress(progress);
        progressTimer_->start();
    }
    syncRunning();
}

void TCopyTab::ProgressTimerTimer() {
    if (!progressHeld_) return;
    const Progress progress = *progressHeld_;
    progressHeld_.reset();
    showProgress(progress);
    progressTimer_->start();
}

void TCopyTab::showProgress(const Progress& progress) {
    const bool verify = progress.procedure == cam::CopyProcedure::Verify;
    QProgressBar* bar = verify ? VerifyProgress_ : ProgressBar3_;
    bar->setRange(0, progress.maximum);
    bar->setValue(progress.value);
    progressText(progress.procedure, progress.value, progress.maximum);
    if (verify) VerifyMap_->SetWords(engine_.VerifyFileWords(), engine_.VerifyCameraWords());
}

void TCopyTab::progressText(cam::CopyProcedure procedure, int value, int maximum) {
    QLabel* label = CopyProgressText_;
    int done = 0;
    QString unit = QStringLiteral("words");
    switch (procedure) {
    case cam::CopyProcedure::None:
        return;
    case cam::CopyProcedure::Batch:
        // One image: its steps rather than words.
        label->setText(value >= maximum      ? QStringLiteral("Image written; camera reset sent")
                       : engine_.ImageSent() ? QStringLiteral("Sending the image")
                                             : QStringLiteral("Reading the camera's word 0x03FF"));
        return;
    case cam::CopyProcedure::CameraToPc:
        done = wordsRead_;
        progressTodo_ = maximum;
        break;
    case cam::CopyProcedure::Single:
        // The progress runs over the file's bytes; its lines are what the technician counts.
        done = static_cast<int>(engine_.LinesAnswered());
        progressTodo_ = static_cast<int>(engine_.Lines().size());
        unit = QStringLiteral("lines");
        break;
    case cam::CopyProcedure::Verify:
        label = VerifyProgressText_;
        done = value;
        progressTodo_ = maximum;
        break;
    }
    QString text = QStringLiteral("%1 of %2 %3").arg(done).arg(progressTodo_).arg(unit);
    if (done > 0 && done < progressTodo_) {
        const qint64 elapsed = startedAt_.msecsTo(clock_());
        text += QStringLiteral(", %1 left").arg(duration(elapsed * (progressTodo_ - done) / done));
    }
    label->setText(text);
}

void TCopyTab::CopyWord(int address, std::uint16_t word) {
    context_.Data(address) = word;
    ++wordsRead_;
}

void TCopyTab::syncRunning() {
    const bool running = CopyRunning();
    if (engine_.Running() == cam::CopyProcedure::None) ProgressTimerTimer(); // its last step
    CopyCancel_->setEnabled(running);
    if (!running) dropTimeLeft(CopyProgressText_);
}

QString TCopyTab::stamp() const {
    return QFileInfo(procedureFile_).fileName() + QStringLiteral(", ") +
           clock_().toString(QStringLiteral("HH:mm:ss"));
}

void TCopyTab::starting(const QString& file, bool keepCopy) {
    clearResults(keepCopy);
    procedureFile_ = file;
    startedAt_ = clock_();
    wordsRead_ = 0;
    cancelled_ = {};
}

void TCopyTab::clearResults(bool keepCopy) {
    progressHeld_.reset(); // an earlier procedure's
    if (!keepCopy) {
        complete2_->hide();
        CompleteStamp_->clear();
        ProgressBar3_->setValue(0);
        CopyProgressText_->clear();
    }
    VerifyResult_->clear();
    VerifyStamp_->clear();
    VerifyProgress_->setValue(0);
    VerifyProgressText_->clear();
    VerifyMap_->Clear();
    VerifyDiffSave_->setEnabled(false);
}

void TCopyTab::CameraConnected() {
    clearResults(false);
    Label35_->clear();
}

QString TCopyTab::CopyStateText() const {
    switch (engine_.Running()) {
    case cam::CopyProcedure::None:
        break;
    case cam::CopyProcedure::CameraToPc:
        return QStringLiteral("no file was written");
    case cam::CopyProcedure::Single: {
        const std::size_t answered = engine_.LinesAnswered();
        return singleState(answered, lastWordLine(engine_.Lines(), answered));
    }
    case cam::CopyProcedure::Batch:
        return engine_.ImageSent()
                   ? QStringLiteral("the image was sent but not answered: the camera may hold it; "
                                    "the reset was not sent")
                   : QStringLiteral("the camera was not written");
    case cam::CopyProcedure::Verify:
        return QStringLiteral("%1 of %2 words compared, %3 differing; the camera was not written")
            .arg(engine_.Verified())
            .arg(engine_.VerifyWords())
            .arg(engine_.Differences().size());
    }
    return {};
}

void TCopyTab::CopyCancelClick() {
    if (!CopyRunning()) return;
    const QString state = CopyStateText();
    // The frame in flight still reaches the camera: its answer tells what it took.
    cancelled_ = {};
    if (engine_.Running() == cam::CopyProcedure::Single) {
        const std::size_t answered = engine_.LinesAnswered();
        cancelled_.procedure = cam::CopyProcedure::Single;
        cancelled_.answered = answered;
        if (answered < engine_.Lines().size()) cancelled_.line = engine_.Lines()[answered].payload;
        cancelled_.lastWord = lastWordLine(engine_.Lines(), answered);
    } else if (engine_.ImageSent()) {
        cancelled_.procedure = cam::CopyProcedure::Batch;
    }
    if (cancelled_.procedure != cam::CopyProcedure::None) cancelled_.tag = engine_.Awaited();
    verifyAfterReset_ = false;
    engine_.End();
    syncRunning();
    Label35_->setText(kCancelled + state);
}

void TCopyTab::cancelledAnswered() {
    const Cancelled c = std::exchange(cancelled_, {});
    const cam::ReplyBuffer& r = context_.Reply();
    if (r[1] != cam::kAccepted) return;
    if (c.procedure == cam::CopyProcedure::Batch) {
        if (r[2] != cam::kEepromWordCode)
            Label35_->setText(kCancelled +
                              QStringLiteral("the image is written; the reset was not sent"));
        return;
    }
    // A line answers with its code and, for a word, its address.
    if (r[2] != c.line[1] || (isWordLine(c.line) && (r[3] << 8 | r[4]) != lineAddress(c.line)))
        return;
    Label35_->setText(kCancelled + singleState(c.answered + 1, isWordLine(c.line)
                                                                   ? lineAddress(c.line)
                                                                   : c.lastWord));
}

void TCopyTab::CopyEnded(const cam::CopyEnd& end) {
    noteEnd(end);
    syncRunning();
    const bool verify = end.procedure == cam::CopyProcedure::Verify;
    switch (end.kind) {
    case cam::CopyEndKind::Done:
        if (end.procedure == cam::CopyProcedure::CameraToPc ||
            end.procedure == cam::CopyProcedure::Single)
            CopyProgressText_->setText(QStringLiteral("%1 of %1 %2")
                                           .arg(progressTodo_)
                                           .arg(end.procedure == cam::CopyProcedure::Single
                                                    ? QStringLiteral("lines")
                                                    : QStringLiteral("words")));
        if (verify) {
            endVerify(verifySummary());
        } else if (end.procedure == cam::CopyProcedure::CameraToPc) {
            complete2_->show();
            CompleteStamp_->setText(stamp());
        } else if (!resetEnding_) {
            // A single copy ended by its reset line shows no "Complete".
            if (end.procedure == cam::CopyProcedure::Batch) Same_->setChecked(true);
            complete2_->show();
            CompleteStamp_->setText(stamp());
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
    starting(name);
    host_.CopyNote("Camera->PC into " + name.toStdString());
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
    clearResults(false);
    fileError(kReadError + QLatin1Char('\n') + error, this);
    return false;
}

void TCopyTab::showFormatError(const QString& path, const std::string& why) {
    clearResults(false);
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
    starting(name);
    host_.CopyNote("PC->Camera(Single) from " + name.toStdString());
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
    starting(name);
    host_.CopyNote("PC->Camera(Batch) from " + name.toStdString());
    engine_.StartBatch(image, text.size());
}

// ---- Verify ------------------------------------------------------------------

bool TCopyTab::loadVerifyFile(const QString& path, bool afterCopy) {
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
    starting(path, afterCopy);
    VerifyResult_->setText(QStringLiteral("Verifying %1 words ...").arg(count));
    VerifyButton_->setEnabled(false);
    VerifyCancel_->setEnabled(true);
    host_.CopyNote("Verify against " + path.toStdString());
    engine_.StartVerify(words);
    return true;
}

void TCopyTab::VerifyButtonClick() {
    if (!context_.Trans_chk() || engine_.Running() != cam::CopyProcedure::None) return;
    if (!chooseOpenFile(Copyfname2_->text())) return;
    const QString name = OpenDialog1_->FileName;
    Copyfname2_->setText(name);
    if (!context_.Trans_chk()) return;
    loadVerifyFile(name, false);
}

void TCopyTab::copyEnded() {
    if (!VerifyAfterCopy_->isChecked() || engine_.Running() != cam::CopyProcedure::None ||
        copyFile_.isEmpty())
        return;
    loadVerifyFile(copyFile_, true);
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
    const QString state = CopyStateText();
    engine_.End();
    endVerify(QStringLiteral("Verify cancelled after %1 words, %2 differing")
                  .arg(engine_.Verified())
                  .arg(engine_.Differences().size()));
    Label35_->setText(kCancelled + state);
}

void TCopyTab::endVerify(const QString& result) {
    VerifyResult_->setText(result);
    VerifyStamp_->setText(stamp());
    dropTimeLeft(VerifyProgressText_);
    VerifyButton_->setEnabled(true);
    VerifyCancel_->setEnabled(false);
    VerifyDiffSave_->setEnabled(!engine_.Differences().empty());
}

void TCopyTab::VerifyDiffSaveClick() {
    if (!VerifyDiffSave_->isEnabled() || Verifying()) return;
    // A copy: the dialogs let other events run.
    const std::vector<cam::CopyDifference> differences = engine_.Differences();
    if (differences.empty() || !runDialog_(*DiffSaveDialog_)) return;
    const QString name = DiffSaveDialog_->FileName;
    if (QFileInfo::exists(name) &&
        !ask_(
            QStringLiteral("Do you really want to over write %1?").arg(QFileInfo(name).fileName())))
        return;
    std::string text;
    for (const cam::CopyDifference& d : differences)
        text += cam::copy_record_text(
            cam::eeprom_write_payload(static_cast<std::uint16_t>(d.address), d.camera));
    text += cam::copy_record_text(cam::end_record_payload());
    QString why;
    if (!WriteCopyFile(name, text, &why)) {
        fileError(kWriteError + QLatin1Char('\n') + why, this);
        return;
    }
    Label35_->setText(QStringLiteral("The camera's %1 differing words were saved to %2")
                          .arg(differences.size())
                          .arg(QFileInfo(name).fileName()));
}

// ---- replies -----------------------------------------------------------------

void TCopyTab::Trans_end_copy() {
    const ILinkGate::DecodingScope decoding(context_);
    if (cancelled_.tag != 0 && engine_.Running() == cam::CopyProcedure::None &&
        context_.Answers(cancelled_.tag))
        cancelledAnswered();
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

void TCopyTab::noteEnd(const cam::CopyEnd& end) {
    static const char* const names[] = {"", "Camera->PC", "PC->Camera(Single)", "PC->Camera(Batch)",
                                        "Verify"};
    std::string text = names[static_cast<int>(end.procedure)];
    switch (end.kind) {
    case cam::CopyEndKind::Done:
        if (end.procedure == cam::CopyProcedure::Verify)
            text += ": " + std::to_string(engine_.Differences().size()) + " of " +
                    std::to_string(engine_.Verified()) + " words differ";
        else
            text += " ended";
        break;
    case cam::CopyEndKind::Rejected:
        text += " stopped: the camera refused a command";
        break;
    default:
        text += " stopped: " + end.why;
        break;
    }
    host_.CopyNote(text);
}
