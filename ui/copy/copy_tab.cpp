#include "ui/copy/copy_tab.h"

#include "transactions/copy_file.h"
#include "ui/common/message.h"
#include "ui/copy/copy_file_io.h"
#include "ui/copy/copy_host.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kProgressWords = 1024;
constexpr std::uint8_t kWordRead[] = {cam::kReadClass, cam::kEepromWordCode};

const QString kWriteError = QStringLiteral("File write Error occured");
const QString kReadError = QStringLiteral("File read Error occured");
const QString kFileCaption = QStringLiteral("File.ERR");

void fileError(const QString& text, QWidget* parent) {
    ShowMessage(text, kFileCaption, TButtons::AbortRetryIgnore, parent);
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
        connect(b, &QPushButton::clicked, this, handler);
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
    page->addStretch();
}

int TCopyTab::ctop_adr_chk(int start) {
    if (start != 0) return start;
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        context_.Data(a) = -1;
    return cam::kEepromWordCount;
}

void TCopyTab::endCopy() {
    running_ = false;
    lines_.clear();
    nextLine_ = 0;
}

void TCopyTab::PageLeft() {
    if (!running_ || Copy_select_->ItemIndex() != kSingle) return;
    endCopy(); // the file's lines are let go: nothing more is sent from it
    Label35_->setText(QStringLiteral("Stopped: the tab was changed"));
    ShowMessage(QStringLiteral("The copy was stopped because the tab was changed"),
                QStringLiteral("38R5"), TButtons::Ok, this);
}

void TCopyTab::CloseCopyFile() {
    if (Copy_select_->ItemIndex() == kSingle) endCopy();
}

void TCopyTab::SetCopyProgressMax() {
    ProgressBar3_->setValue(ProgressBar3_->maximum());
}

// ---- Camera->PC ------------------------------------------------------------

void TCopyTab::CtopOK2Click() {
    if (!context_.Trans_chk()) return;
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
    // The dialogs let other events run: something may have started meanwhile.
    if (!context_.Trans_chk()) return;
    ctop_adr_chk(0);
    cameraFile_ = name;
    running_ = true;
    sendWordRead(0);
    ProgressBar3_->setRange(0, kProgressWords);
    ProgressBar3_->setValue(0);
}

void TCopyTab::sendWordRead(int address) {
    context_.FollowUp({kWordRead[0], kWordRead[1], static_cast<std::uint8_t>(address >> 8),
                       static_cast<std::uint8_t>(address)});
}

void TCopyTab::Trans_end_ctop() {
    const cam::ReplyBuffer& r = context_.Reply();
    if (r[2] != cam::kEepromWordCode) {
        running_ = false; // not an EEPROM word: the copy stops here
        return;
    }
    const int address = r[3] << 8 | r[4];
    if (address < cam::kEepromWordCount) {
        context_.Data(address) = r[5] << 8 | r[6];
        ProgressBar3_->setValue(address);
    }
    if (address < cam::kEepromWordCount - 1) {
        sendWordRead(address + 1);
        return;
    }
    running_ = false;
    writeCameraFile();
}

void TCopyTab::writeCameraFile() {
    std::vector<std::int32_t> words(cam::kEepromWordCount);
    for (int a = 0; a < cam::kEepromWordCount; ++a)
        words[static_cast<std::size_t>(a)] = context_.Data(a);
    std::string text;
    std::string why;
    if (!cam::copy_file_text(words, &text, &why)) {
        fileError(kWriteError + QLatin1Char('\n') + QString::fromStdString(why), this);
        return;
    }
    QString error;
    if (!WriteCopyFile(cameraFile_, text, &error)) {
        fileError(kWriteError, this);
        return;
    }
    complete2_->show();
}

// ---- PC->Camera ------------------------------------------------------------

bool TCopyTab::chooseOpenFile(bool reuse) {
    if (Same_->isChecked()) {
        if (reuse && OpenDialog1_->HasFileName()) return true;
        Same_->setChecked(false);
    }
    return runDialog_(*OpenDialog1_);
}

bool TCopyTab::readFile(const QString& path, std::string* text) {
    QString error;
    if (ReadCopyFile(path, text, &error)) return true;
    fileError(kReadError, this);
    return false;
}

void TCopyTab::showFormatError(const QString& path, const std::string& why) {
    fileError(kReadError + QLatin1Char('\n') + QFileInfo(path).fileName() + QStringLiteral(", ") +
                  QString::fromStdString(why),
              this);
}

void TCopyTab::ptocOkClick() {
    if (!context_.Trans_chk()) return;
    endCopy();
    Copy_select_->setItemIndex(kSingle);
    Label35_->setText(QStringLiteral("PC->Camera(Single)"));
    ProgressBar3_->setValue(0);
    complete2_->hide();
    Copyfname2_->clear();
    if (!chooseOpenFile(true)) return;
    const QString name = OpenDialog1_->FileName;
    Copyfname2_->setText(name);
    Same_->setChecked(true);

    std::string text;
    if (!readFile(name, &text)) return;
    std::vector<cam::CopyRecord> lines;
    std::string why;
    if (!cam::parse_command_records(text, &lines, &why)) {
        showFormatError(name, why);
        return;
    }
    if (!context_.Trans_chk()) return;
    lines_ = std::move(lines);
    nextLine_ = 0;
    running_ = true;
    ProgressBar3_->setRange(0, static_cast<int>(text.size()));
    ProgressBar3_->setValue(0);
    if (make_frec()) context_.StxCommand(static_cast<int>(cam::kPayloadSize));
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

void TCopyTab::nextLine() {
    if (make_frec()) {
        context_.FollowUpCommand(static_cast<int>(cam::kPayloadSize));
        ProgressBar3_->setValue(static_cast<int>(lines_[nextLine_ - 1].end));
        return;
    }
    running_ = false;
    complete2_->show();
}

void TCopyTab::ptocOk2Click() {
    complete2_->hide();
    if (!context_.Trans_chk()) return;
    endCopy();
    Copy_select_->setItemIndex(kBatch);
    Label35_->setText(QStringLiteral("PC->Camera"));
    ProgressBar3_->setValue(0);
    if (!chooseOpenFile(!Copyfname2_->text().isEmpty())) return;
    const QString name = OpenDialog1_->FileName;
    Copyfname2_->setText(name);

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
    // Only now, with the whole file checked, does the image enter the table.
    for (std::size_t n = 0; n < image.bytes.size(); ++n)
        if (image.set.test(n)) context_.Data(static_cast<int>(n)) = image.bytes[n];
    ProgressBar3_->setValue(ProgressBar3_->value() + 256);
    Same_->setFocus();
    running_ = true;
    host_.SohCommand();
}

void TCopyTab::finishBatch() {
    running_ = false;
    ProgressBar3_->setValue(ProgressBar3_->maximum());
    host_.Reset1Click();
    Same_->setChecked(true);
    complete2_->show();
}

// ---- replies -----------------------------------------------------------------

void TCopyTab::Trans_end_copy() {
    if (context_.Reply()[1] != cam::kAccepted) {
        ShowMessage(QStringLiteral(" Error "), QStringLiteral("ERR"), TButtons::AbortRetryIgnore,
                    this);
        endCopy(); // the copy does not go on; a single copy's file is closed
        return;
    }
    // Only a running copy goes on, and not on the replies of a load sequence
    // (the sequence sends its own next command).
    if (!running_ || context_.SequenceRunning()) return;
    switch (Copy_select_->ItemIndex()) {
    case kCameraToPc:
        Trans_end_ctop();
        break;
    case kSingle:
        nextLine();
        break;
    case kBatch:
        finishBatch();
        break;
    default:
        break;
    }
}
