#include "ui/main/main_window.h"

#include "link/command_names.h"
#include "link/journal.h"
#include "link/traffic.h"
#include "ui/common/message.h"
#include "ui/common/paint_hold.h"
#include "ui/copy/adjust_save.h"
#include "ui/copy/copy_tab.h"
#include "ui/defect/defect_tab.h"
#include "ui/main/adjust_tab.h"
#include "ui/main/easy_tab.h"
#include "ui/main/line_tab.h"
#include "ui/service/debug_tab.h"
#include "ui/traffic/traffic_window.h"
#include "ui/widgets/radio_group.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Header height above the page control, and the status bar's panels.
constexpr int kHeaderHeight = 40;
constexpr int kStatusHeight = 22;
constexpr std::array<int, 4> kStatusWidths = {150, 200, 200, 40};

struct PageInfo {
    const char* caption;
    const char* sheet;
    const char* panel;
};
// In page order; the page index is the sequence kind of the tab's load.
constexpr std::array<PageInfo, 6> kPages = {{{"Adjust", "TabSheet1", "Panel3"},
                                             {"Debug", "TabSheet2", "Panel2"},
                                             {"CCD Defect", "TabSheet5", "Panel6"},
                                             {"Copy", "CopySheet", "Panel7"},
                                             {"Easy", "TabSheet3", "Panel4"},
                                             {"Line", "TabSheet4", "Panel5"}}};
constexpr int kEasyPage = 4;
constexpr int kLinePage = 5;
} // namespace

TF38R5::TF38R5(std::unique_ptr<cam::IPort> comm, QWidget* parent, TGreet greet)
    : QMainWindow(parent), comm_(std::move(comm)), link_(*comm_, *this), trans_(link_, *this),
      greetPending_(greet == TGreet::AfterFirstPaint) {
    setObjectName(QStringLiteral("F38R5"));
    setWindowTitle(QStringLiteral("38R5"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    comm_->OnCommReceive = [this](std::uint16_t size) { Comm1CommReceive(size); };
    comm_->OnDeviceLost = [this] { guarded([this] { link_.DeviceLost(); }); };

    sendTimer_ = new QTimer(this);
    sendTimer_->setObjectName(QStringLiteral("SendTimer"));
    sendTimer_->setInterval(1500);
    connect(sendTimer_, &QTimer::timeout, this, &TF38R5::SendTimerTimer);
    reloadTimer_ = new QTimer(this);
    reloadTimer_->setObjectName(QStringLiteral("ReloadTimer"));
    reloadTimer_->setInterval(2000);
    connect(reloadTimer_, &QTimer::timeout, this, &TF38R5::ReloadTimerTimer);
    // Longer than a load of the longest table (14 exchanges, 0.6 s) on a
    // healthy line, so that a load does not make its page flash.
    panelHold_ = new TPaintHold(this, QStringLiteral("GreyOutTimer"), 700);
    greetTimer_ = new QTimer(this);
    greetTimer_->setObjectName(QStringLiteral("GreetTimer"));
    greetTimer_->setSingleShot(true);
    connect(greetTimer_, &QTimer::timeout, this, &TF38R5::startLooking);
    closeQuestion_ = WidgetYesNoQuestion(this);

    buildMenu();
    buildFrame();
    buildStatusBar();
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    FormCreate();
}

TF38R5::~TF38R5() {
    comm_->OnCommReceive = nullptr;
    comm_->OnDeviceLost = nullptr;
    comm_->Close();
}

// ------------------------------------------------------------------ layout

void TF38R5::buildMenu() {
    auto* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu* menu, const char* name, const QString& text, auto handler) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        if constexpr (!std::is_same_v<decltype(handler), std::nullptr_t>)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* camera = bar->addMenu(QStringLiteral("&Camera"));
    camera->setObjectName(QStringLiteral("Camera"));
    item(camera, "ReLoad", QStringLiteral("&Load"), &TF38R5::ReLoadClick);
    item(camera, "Reset1", QStringLiteral("&Reset"), &TF38R5::Reset1Click);
    item(camera, "Exit", QStringLiteral("&Exit"), &TF38R5::ExitClick);
    QMenu* option = bar->addMenu(QStringLiteral("&Option"));
    option->setObjectName(QStringLiteral("Option1"));
    item(option, "SW1", QStringLiteral("&SW"), &TF38R5::SW1Click);
    item(option, "Traffic1", QStringLiteral("&Traffic..."), &TF38R5::TrafficClick);
    journalAction_ = item(option, "Journal1", QStringLiteral("&Journal"), &TF38R5::JournalClick);
    journalAction_->setCheckable(true);
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help"));
    item(help, "Version1", QStringLiteral("&Camera Version"), nullptr);
    item(help, "PCVersion1", QStringLiteral("&PC Version"), nullptr);
    help->menuAction()->setVisible(false);
}

void TF38R5::buildFrame() {
    auto* base = new QFrame(this);
    base->setObjectName(QStringLiteral("Panelbase"));
    setCentralWidget(base);

    auto* panel1 = new QFrame(base);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameShape(QFrame::Panel);
    panel1->setFrameShadow(QFrame::Sunken);
    panel1->setGeometry(4, 4, 300, kHeaderHeight - 8);
    title_ = new QLabel(QStringLiteral("Camera"), panel1);
    title_->setObjectName(QStringLiteral("Title"));
    title_->setGeometry(6, 2, 288, kHeaderHeight - 12);
    QFont titleFont = title_->font();
    titleFont.setPointSize(titleFont.pointSize() + 3);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    panel1->installEventFilter(this);
    title_->installEventFilter(this);

    auto label = [base](const char* name, const QString& text, int x, int w) {
        auto* l = new QLabel(text, base);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, 4, w, kHeaderHeight - 8);
        l->setFrameShape(QFrame::StyledPanel);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    tv_ = label("TV", QStringLiteral("TV"), 312, 70);
    resolution_ = label("Resolution", QStringLiteral("Resolution"), 388, 110);
    order_ = label("Order", QStringLiteral("Order"), 504, 40);
    order_->hide();

    pwl_ = new QLineEdit(QStringLiteral("****"), base);
    pwl_->setObjectName(QStringLiteral("pwl"));
    pwl_->setEchoMode(QLineEdit::Password);
    pwl_->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    pwl_->setGeometry(504, 8, 70, kHeaderHeight - 16);
    pwl_->hide();
    connect(pwl_, &QLineEdit::textChanged, this, &TF38R5::pwlChange);
    // The access-code field is hidden; Ctrl+Shift+A shows it.
    auto* reveal = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+A")), this);
    connect(reveal, &QShortcut::activated, this, &TF38R5::ShowAccessField);

    auto button = [this, base](const char* name, const QString& text, int x, auto handler) {
        auto* b = new QPushButton(text, base);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, 6, 72, kHeaderHeight - 12);
        connect(b, &QPushButton::clicked, this, handler);
    };
    button("ResetButton", QStringLiteral("Reset"), kClientWidth - 160, &TF38R5::Reset1Click);
    button("ExitButton", QStringLiteral("Exit"), kClientWidth - 82, &TF38R5::ExitClick);

    pages_ = new QTabWidget(base);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setGeometry(2, kHeaderHeight, kClientWidth - 4,
                        kClientHeight - kHeaderHeight - kStatusHeight);
    pages_->setStyleSheet(QStringLiteral("QTabBar::tab { width: 100px; }"));
    pages_->tabBar()->setExpanding(false);
    // The pages in order; the Line tab follows the Easy tab's lens state, so
    // the Easy page is built before it.
    adjust_ = new TAdjustTab(*this);
    debug_ = new TDebugTab(*this);
    defect_ = new TDefectTab(*this, *this);
    copy_ = new TCopyTab(*this, *this);
    easy_ = new TEasyTab(*this);
    line_ = new TLineTab(*this, *easy_);
    panels_ = {adjust_, debug_, defect_, copy_, easy_, line_};
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QLatin1String(kPages[i].sheet));
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(panels_[i]); // the sheet takes the panel over
        Q_ASSERT(panels_[i]->objectName() == QLatin1String(kPages[i].panel));
        pages_->addTab(sheet, QLatin1String(kPages[i].caption));
    }
}

namespace {

constexpr int kStatusIndent = 2; // pixels between a panel's frame and its text

// Room for text in a status label of fixed size.
int textRoom(const QLabel& label) {
    return label.contentsRect().width() - std::max(label.indent(), 0);
}

// The largest monospace font, from 7 points down to 7 pixels, in which the 15
// bytes of a reply, spaced, fit the panel.
QFont hexPanelFont(const QLabel& panel) {
    const QString reply = QStringLiteral("00 ").repeated(15).chopped(1);
    const int room = panel.contentsRect().width() - kStatusIndent;
    QFont mono = panel.font();
    mono.setFamily(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(7);
    for (int pixels = QFontInfo(mono).pixelSize() - 1;
         pixels >= 7 && QFontMetrics(mono).horizontalAdvance(reply) > room; --pixels)
        mono.setPixelSize(pixels);
    return mono;
}

// "310A01" as "31 0A 01"; a text that is not bytes in hexadecimal as it is.
QString spacedBytes(const QString& text) {
    static const QRegularExpression bytes(QStringLiteral("^([0-9A-F]{2})+$"));
    if (!bytes.match(text).hasMatch()) return text;
    QString spaced;
    for (qsizetype i = 0; i < text.size(); i += 2) {
        if (i > 0) spaced += QLatin1Char(' ');
        spaced += text.mid(i, 2);
    }
    return spaced;
}

// Shows `text` in `label`, elided where it does not fit; the tooltip has it
// whole.
void showElided(QLabel* label, const QString& text, Qt::TextElideMode mode) {
    label->setText(label->fontMetrics().elidedText(text, mode, textRoom(*label)));
    label->setToolTip(text);
}

} // namespace

void TF38R5::buildStatusBar() {
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusHeight);
    for (std::size_t i = 0; i < status_.size(); ++i) {
        status_[i] = new QLabel(bar);
        status_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // A fixed size keeps a new text from laying the status bar out again.
        status_[i]->setFixedSize(kStatusWidths[i], kStatusHeight - 4);
        status_[i]->setFrameShape(QFrame::Panel);
        status_[i]->setFrameShadow(QFrame::Sunken);
        if (i == 1 || i == 2) {
            status_[i]->setFont(hexPanelFont(*status_[i]));
            status_[i]->setIndent(kStatusIndent);
        }
        bar->addWidget(status_[i]);
    }
    statusDetail_ = new QLabel(bar);
    statusDetail_->setObjectName(QStringLiteral("StatusDetail"));
    statusDetail_->setTextFormat(Qt::PlainText);
    statusDetail_->setFixedSize(kClientWidth - 600, kStatusHeight - 4);
    bar->addWidget(statusDetail_);
}

void TF38R5::FormCreate() {
    trans_.ClearOrders(); // "0" in Order
    for (int i = 0; i < pages_->count(); ++i)
        pages_->setTabVisible(i, i == kEasyPage);
    if (auto* complete2 = findChild<QWidget*>(QStringLiteral("complete2"))) complete2->hide();
    pwl_->clear();
    pages_->setEnabled(false);
    pages_->setCurrentIndex(kEasyPage);
    panels_[kEasyPage]->setEnabled(false);
    connect(pages_, &QTabWidget::currentChanged, this, &TF38R5::PageControl1Change);
    debug_->ClearWriteEchoFlags();
    title_->setText(QStringLiteral(" 38R5 Camera Adjust Tool"));
    if (greetPending_)
        greetTimer_->start(kGreetUnpaintedMs); // a window never painted still greets
    else
        startLooking();
    if (auto* current = findChild<QCheckBox*>(QStringLiteral("CurrentCheck")))
        current->setChecked(false);
}

void TF38R5::startLooking() {
    greetPending_ = false;
    if (shutDown_) return;
    sendTimer_->start();
    guarded([this] { link_.Trans_Create(); });
}

QString TF38R5::StatusText(int panel) const {
    return statusTexts_.at(static_cast<std::size_t>(panel));
}

QString TF38R5::ConnectionDetail() const {
    return statusDetail_->toolTip();
}

// ---------------------------------------------------------------- handlers

void TF38R5::guarded(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TF38R5::runSequence(int kind, unsigned step) {
    guarded([&] { trans_.Trans_init(kind, step); });
}

void TF38R5::showError(const std::exception& e) {
    ShowMessage(QString::fromUtf8(e.what()), QStringLiteral("38R5"), TButtons::Ok, this);
}

bool TF38R5::Transmit(int count, std::uint32_t tag, const void* source) {
    bool accepted = false;
    guarded([&] { accepted = link_.Submit(count, tag, source); });
    return accepted;
}

void TF38R5::shutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    sendTimer_->stop();
    reloadTimer_->stop();
    trans_.ClearOrders();
    comm_->OnCommReceive = nullptr;
    comm_->OnDeviceLost = nullptr;
    comm_->Close();
}

bool TF38R5::confirmClose() {
    if (shutDown_ || (!copy_->CopyRunning() && !copy_->Verifying())) return true;
    const QString what = copy_->CopyRunning() ? QStringLiteral("A copy is running")
                                              : QStringLiteral("A verification is running");
    if (!closeQuestion_(what + QStringLiteral(": ") + copy_->CopyStateText() +
                        QStringLiteral("\nClose the program anyway?")))
        return false;
    mark("closed during a copy: " + copy_->CopyStateText().toStdString());
    copy_->StopForClose();
    return true;
}

void TF38R5::ExitClick() {
    if (!confirmClose()) return;
    shutDown();
    close();
    QApplication::quit();
}

bool TF38R5::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == title_ || watched == title_->parent())) {
        Panel1DblClick();
        return true; // once, also when the label passes it on to the panel
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TF38R5::event(QEvent* event) {
    if (greetPending_ && event->type() == QEvent::Paint) {
        // A new window paints itself a few times while its layouts settle
        // (some 40 ms). The greeting goes out once it has been quiet for a
        // moment, so that no answer waits behind those paints; a window
        // that keeps painting does not hold the camera up for long.
        if (!firstPaint_.isValid()) firstPaint_.start();
        if (firstPaint_.elapsed() < kGreetLatestMs) greetTimer_->start(kGreetQuietMs);
    }
    return QMainWindow::event(event);
}

void TF38R5::closeEvent(QCloseEvent* event) {
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
    QApplication::quit();
}

void TF38R5::Reset1Click() {
    if (!Trans_chk()) return;
    Send({cam::kResetClass}); // also the last step of a batch copy
}

void TF38R5::ShowParameterWindow() {
    if (!parameterWindow_) return;
    parameterWindow_->show();
    parameterWindow_->raise();
}

std::uint32_t TF38R5::SohCommand() {
    const std::uint32_t tag = NewTag();
    bool sent = false;
    guarded([&] { sent = link_.SohCommand(data_.data(), tag); });
    return sent ? tag : 0;
}

void TF38R5::CopyNote(const std::string& text) {
    mark("copy: " + text + " (camera on " + link_.PortLabel() + ")");
}

void TF38R5::ShowCopyPage() {
    pages_->setCurrentIndex(3);
}

void TF38R5::SetCopyProgressMax() {
    copy_->SetCopyProgressMax();
}

void TF38R5::ExchangeAbandoned(std::uint32_t tag) {
    trans_.Abandoned(tag);
    copy_->Abandoned(tag);
    debug_->Abandoned(tag);
    if (saveChain_.Awaits(tag)) // told after the give-up or the lost line has said why
        QTimer::singleShot(0, this, [this, tag] {
            if (saveChain_.Awaits(tag))
                saveChain_.Interrupt(QStringLiteral("its frame was not answered"));
        });
}

void TF38R5::ResetAcknowledged() {
    copy_->CloseCopyFile();
}

void TF38R5::SW1Click() {
    if (!switchWindow_) return;
    switchWindow_->show();
    switchWindow_->raise();
}

void TF38R5::SW_push(std::uint8_t code) {
    if (!Trans_chk()) return;
    Send({cam::kWriteClass, 0x32, code});
}

void TF38R5::ShowAccessField() {
    pwl_->show();
    pwl_->setFocus();
}

void TF38R5::pwlChange() {
    const QString text = pwl_->text();
    if (text == QLatin1String("qzvt") || text == QLatin1String("QZVT")) {
        for (int i = 0; i < pages_->count(); ++i)
            pages_->setTabVisible(i, true);
        for (const char* name : {"CtopOK2", "ptocOk"})
            if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->show();
        pwl_->hide();
    } else if (accessAttempts_ >= 3) {
        pwl_->hide();
        accessAttempts_ = 0;
    } else if (!text.isEmpty()) {
        ++accessAttempts_;
    }
}

void TF38R5::ReLoadClick() {
    guarded([this] { trans_.ReLoadClick(); });
}

void TF38R5::PageControl1Change() {
    if (pages_->currentIndex() != 1) debug_->PageLeft();
    if (pages_->currentIndex() != 3) copy_->PageLeft();
    if (pages_->currentIndex() != 0) saveChain_.Interrupt(QStringLiteral("the tab was changed"));
    guarded([this] { trans_.PageControl1Change(); });
    // The page just shown is painted at once, greyed if its load runs.
    panelHold_->Release();
}

void TF38R5::SendTimerTimer() {
    guarded([this] {
        // A reply time-out expires on the tick that finds the counter at 0.
        const bool expires =
            link_.ReplyTimeout() == 0 &&
            (link_.LinkMode() == cam::TLink::Idle || link_.LinkMode() == cam::TLink::AwaitReply);
        if (expires)
            mark("time-out: no answer to " + cam::CommandName(link_.Answered().data() + 1), true);
        if (!link_.SendTimerTimer()) sendTimer_->stop();
        followExchange();
    });
}

void TF38R5::followExchange() {
    const bool waiting =
        link_.InFlight() && !link_.Abandonable() &&
        (link_.LinkMode() == cam::TLink::Idle || link_.LinkMode() == cam::TLink::AwaitReply);
    const std::string port = "COM" + std::to_string(comm_->Port());
    if (waiting && !notAnswering_) {
        // A healthy answer takes a fraction of a tick: from the second tick on
        // the wait is worth telling, with the seconds waited.
        if (++waitTicks_ < 2) return;
        const int seconds = waitTicks_ * sendTimer_->interval() / 1000;
        showLineState(port + " waiting",
                      link_.PortLabel() + ": waiting " + std::to_string(seconds) +
                          " s for an answer to " + cam::CommandName(link_.Answered().data() + 1),
                      waitTicks_ == 2);
        return;
    }
    if (link_.InFlight() || (waitTicks_ == 0 && !notAnswering_)) return;
    // The exchange ended with an answer: the camera answers again.
    const bool wasSilent = notAnswering_;
    waitTicks_ = 0;
    notAnswering_ = false;
    showLineState(linkText_, linkDetail_ + (wasSilent ? "; the camera answers again" : ""),
                  wasSilent);
    if (wasSilent)
        CloseMessages(QStringLiteral("Comm.ERR"), QStringLiteral(" Serial Port not connected "));
}

void TF38R5::ReloadTimerTimer() {
    reloadTimer_->stop();
    ReLoadClick();
}

void TF38R5::Comm1CommReceive(int size) {
    guarded([&] { link_.Comm1CommReceive(static_cast<std::uint16_t>(size)); });
    followExchange();
}

// ----------------------------------------------------------- reply dispatch

void TF38R5::Trans_end() {
    const DecodingScope decoding(*this);
    Trans_end_common();
    switch (pages_->currentIndex()) {
    case 0:
        saveChain_.Trans_end_cstm(*this, *this);
        break;
    case 1:
        debug_->Debug_tend();
        break;
    case 2:
        defect_->Trans_end_kizu();
        break;
    case 3:
        copy_->Trans_end_copy();
        break;
    case kEasyPage:
        easy_->Trans_end_easy();
        break;
    case kLinePage:
        line_->Trans_end_line();
        break;
    default:
        break;
    }
    Trans_cstm_hidden();
}

void TF38R5::Trans_end_common() {
    const cam::ReplyBuffer& reply = Reply();
    if (reply[1] != cam::kAccepted || Answered()[1] != cam::kReadClass) return;
    const std::uint8_t code = reply[2];
    if (code == 0x0A || code == 0x0B)
        ApplyRegister(reply[3], static_cast<std::uint16_t>(reply[4] << 8 | reply[5]));
    easy_->DecodeRead();
    adjust_->DecodeRead();
    defect_->DecodeRead();
    line_->DecodeRead();
}

void TF38R5::Trans_cstm_hidden() {
    adjust_->UpdatePresetButtons();
}

void TF38R5::ApplyRegister(int address, std::uint16_t value) {
    Data(address) = value;
    if (address == 0x01) {
        const bool hi = value & 0x4000;
        resolution_->setText(hi ? QStringLiteral("Hi-Resolution")
                                : QStringLiteral("Lo-Resolution"));
        hRange_ = hi ? 800 : 544;
    } else if (address == 0x40) {
        const bool pal = value & 0x0001;
        tv_->setText(pal ? QStringLiteral("PAL") : QStringLiteral("NTSC"));
        vRange_ = pal ? 312 : 136;
        ntsc_ = !pal;
        easy_->SetFixedShutterText(pal ? QStringLiteral("1/120") : QStringLiteral("1/100"));
    }
}

// ---------------------------------------------------------- link effects

void TF38R5::SetStatusText(int panel, const std::string& text) {
    const auto i = static_cast<std::size_t>(panel);
    // The bytes of a command or a reply are read one by one: spaced.
    statusTexts_.at(i) = spacedBytes(QString::fromStdString(text));
    showElided(status_[i], statusTexts_[i], Qt::ElideRight);
}

void TF38R5::SetBusyPointer(bool busy) {
    if (busy == busyPointer_) return;
    busyPointer_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TF38R5::SetPageControlEnabled(bool enabled) {
    pages_->setEnabled(enabled);
}

void TF38R5::LinkMessage(const std::string& text, const std::string& caption,
                         bool abortRetryIgnore) {
    mark((abortRetryIgnore ? "given up: " : "message: ") + text, abortRetryIgnore);
    QString shown = QString::fromStdString(text);
    if (abortRetryIgnore) {
        // The one such box: an exchange given up. Which port, and what for.
        const std::string why = link_.PortLabel() + ": no answer to " +
                                cam::CommandName(link_.Answered().data() + 1) + " after " +
                                std::to_string(cam::TLink::kRetries + 1) + " tries";
        shown += QLatin1Char('\n') + QString::fromStdString(why);
        notAnswering_ = true;
        waitTicks_ = 0;
        showLineState("COM" + std::to_string(comm_->Port()) + " not answering",
                      why + "; it is sent again now and then", true);
    }
    ShowMessage(shown, QString::fromStdString(caption),
                abortRetryIgnore ? TButtons::AbortRetryIgnore : TButtons::OkCancel, this);
    if (abortRetryIgnore) copy_->LinkGaveUp(); // the one such box: an exchange given up
}

void TF38R5::Connected() {
    // The device that was gone is back: its box has nothing more to say.
    if (!lostMessage_.empty())
        CloseMessages(QStringLiteral("Comm.ERR"), QString::fromStdString(lostMessage_));
    lostMessage_.clear();
    copy_->CameraConnected();
    trans_.ReLoadClick();
}

void TF38R5::ReplyReceived() {
    trans_.AfterReply([this] { Trans_end(); });
}

void TF38R5::GiveUp() {
    mark("given up: no camera on either port", true);
    sendTimer_->stop();
    ShowMessage(QStringLiteral(" Serial Port not connected "), QStringLiteral("Comm.ERR"),
                TButtons::AbortRetryIgnore, this, [this] { ExitClick(); });
}

void TF38R5::ShowConnection(const std::string& text, const std::string& detail) {
    linkText_ = text;
    linkDetail_ = detail;
    waitTicks_ = 0;
    notAnswering_ = false;
    showLineState(text, detail, true);
}

void TF38R5::showLineState(const std::string& text, const std::string& detail, bool journal) {
    if (journal && text + detail != lastConnection_) mark(text + ": " + detail);
    if (journal) lastConnection_ = text + detail;
    statusTexts_[0] = QString::fromStdString(text);
    status_[0]->setText(statusTexts_[0]);
    status_[0]->setToolTip(QString::fromStdString(detail));
    // A stable device name (/dev/serial/by-id/usb-...) is longer than the
    // label: its beginning and its end tell adapters apart.
    showElided(statusDetail_, QString::fromStdString(detail), Qt::ElideMiddle);
}

void TF38R5::DeviceLost(const std::string& message) {
    trans_.Stop(false);
    lostMessage_ = message;
    QString text = QString::fromStdString(message);
    if (copy_->LineLost())
        text +=
            QStringLiteral("\nThe copy was stopped; it is not resumed when the line comes back.");
    ShowMessage(text, QStringLiteral("Comm.ERR"), TButtons::Ok, this);
}

void TF38R5::SerialError(const std::string& message) {
    // A write that failed ended its exchange: a load waiting for it would
    // never go on and every handler would refuse.
    if (SequenceRunning() && !link_.InFlight()) trans_.Stop(true);
    // The box keeps its text; a second line names the port and why.
    std::string why = link_.PortLabel();
    const std::string failure = comm_->LastOpenFailure();
    if (!failure.empty()) why += ": " + failure;
    ShowMessage(QString::fromStdString(message + "\n" + why), QStringLiteral("38R5"), TButtons::Ok,
                this);
}

// ----------------------------------------------------- traffic and journal

void TF38R5::SetTraffic(cam::TTrafficAssembler* traffic, cam::TJournal* journal) {
    traffic_ = traffic;
    journal_ = journal;
    if (traffic_)
        for (const auto& [text, timeUs] : earlyMarks_)
            traffic_->Marker(text, timeUs);
    earlyMarks_.clear();
    // Made at once and kept hidden, so that it holds the traffic from the
    // start (bounded) when the technician first opens it.
    if (traffic_ && !trafficWindow_) trafficWindow_ = new TTrafficWindow(*traffic_, this);
    if (!journal_) return;
    // Reported once per failure: a box and the inspector's journal line. The
    // link goes on; the journal writes nothing more.
    journal_->SetFailureHandler([this](const std::string& message) {
        ShowMessage(QString::fromStdString(message), QStringLiteral("Journal"), TButtons::Ok, this);
        showJournalState();
    });
    if (journal_->Failed())
        ShowMessage(QString::fromStdString(journal_->FailureText()), QStringLiteral("Journal"),
                    TButtons::Ok, this);
    showJournalState();
}

void TF38R5::mark(const std::string& text, bool fault) {
    if (traffic_ && fault)
        traffic_->Fault(text);
    else if (traffic_)
        traffic_->Marker(text);
    else
        earlyMarks_.emplace_back(text, cam::TrafficNowUs());
}

void TF38R5::OperatorAction(QObject* control) {
    // A dragged bar changes many times a second; the frames it sends tell its values.
    if (qobject_cast<QSlider*>(control)) return;
    QString what;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        what = QStringLiteral(" = ") + edit->text();
    else if (auto* box = qobject_cast<QCheckBox*>(control))
        what = box->isChecked() ? QStringLiteral(" on") : QStringLiteral(" off");
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        what = QStringLiteral(" = ") + combo->currentText();
    else if (auto* group = qobject_cast<TRadioGroup*>(control))
        what = QStringLiteral(" = item %1").arg(group->ItemIndex());
    else
        what = QStringLiteral(" clicked");
    mark("operator: " + (control->objectName() + what).toStdString());
}

void TF38R5::showJournalState() {
    const bool on = journal_ && journal_->IsOpen() && !journal_->Failed();
    if (journalAction_) journalAction_->setChecked(on);
    if (!trafficWindow_) return;
    QString text = QStringLiteral("journal off");
    if (journal_ && journal_->Failed())
        text =
            QStringLiteral("journal stopped: ") + QString::fromStdString(journal_->FailureText());
    else if (on)
        text = QStringLiteral("journal: ") + QString::fromStdString(journal_->Path());
    trafficWindow_->SetJournalText(text);
}

void TF38R5::TrafficClick() {
    if (!trafficWindow_) return;
    showJournalState();
    trafficWindow_->show();
    trafficWindow_->raise();
    trafficWindow_->activateWindow();
}

void TF38R5::JournalClick() {
    if (!journal_) return;
    if (journal_->IsOpen() && !journal_->Failed()) {
        mark("journal closed");
        journal_->Close();
    } else {
        // The file of --journal again, else a new one in the data folder.
        QString path = QString::fromStdString(journal_->Path());
        if (path.isEmpty()) {
            const QString dir =
                QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
            QDir().mkpath(dir);
            path = dir + QStringLiteral("/journal-") +
                   QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                   QStringLiteral(".txt");
        }
        journal_->Open(QFile::encodeName(path).toStdString());
    }
    showJournalState();
}

// ------------------------------------------------------- sequence effects

void TF38R5::SetPanelsEnabled(bool enabled) {
    for (QWidget* panel : panels_)
        panel->setEnabled(enabled);
    if (enabled)
        panelHold_->Release();
    else
        panelHold_->Hold();
}

void TF38R5::GreyOutTimerTimer() {
    panelHold_->Release();
}

int TF38R5::ActivePage() const {
    return pages_->currentIndex();
}

void TF38R5::SetOrderText(int count) {
    order_->setText(QString::number(count));
}

void TF38R5::TransMessage(const std::string& text) {
    ShowMessage(QString::fromStdString(text), QStringLiteral("38R5"), TButtons::OkCancel, this);
}

void TF38R5::RefreshPointer() {
    // Setting the pointer to where it is makes the window system re-evaluate its shape.
    const QPoint global = QCursor::pos();
    if (rect().contains(mapFromGlobal(global))) QCursor::setPos(global);
}

void TF38R5::LoadStarting() {
    copy_->LoadStarted();
    debug_->LoadStarted();
    saveChain_.Interrupt(QStringLiteral("a load took the line"));
}

void TF38R5::BeforeEasyLoad() {
    easy_->EnableWhiteBalance();
}
