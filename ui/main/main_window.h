#pragma once
// TF38R5: the main window. It owns the serial port, the link, the load
// sequences and the tabs, and shows the link traffic in its status bar.

#include "link/link.h"
#include "transactions/transactions.h"
#include "ui/common/tab_context.h"
#include "ui/copy/adjust_save.h"
#include "ui/copy/copy_dialogs.h"
#include "ui/copy/copy_host.h"
#include "ui/defect/defect_host.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class TAdjustTab;
class TCopyTab;
class TDebugTab;
class TDefectTab;
class TEasyTab;
class TLineTab;
class TPaintHold;
class TTrafficWindow;

namespace cam {
class TJournal;
class TTrafficAssembler;
} // namespace cam

class TF38R5 : public QMainWindow,
               public TTabContext,
               public TDefectHost,
               public TCopyHost,
               private cam::ILinkHost,
               private cam::ITransHost {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 740;
    static constexpr int kClientHeight = 570;

    // When the window starts looking for the camera: at once, or once it is
    // on screen (its first paint then never holds up a reply).
    enum class TGreet : std::uint8_t { Now, AfterFirstPaint };

    // Takes the serial port `Comm1` and starts looking for the camera.
    explicit TF38R5(std::unique_ptr<cam::IPort> comm, QWidget* parent = nullptr,
                    TGreet greet = TGreet::Now);
    ~TF38R5() override; // closes the port

    void SetSwitchWindow(QWidget* window) { switchWindow_ = window; }
    void SetParameterWindow(QWidget* window) { parameterWindow_ = window; }
    // The traffic seen on the port and its journal (both outlive the
    // window): the inspector shows it, the markers of the link go to it.
    void SetTraffic(cam::TTrafficAssembler* traffic, cam::TJournal* journal);
    TTrafficWindow* TrafficWindow() const { return trafficWindow_; }

    // --- TTabContext
    bool Trans_chk() const override { return trans_.Trans_chk(); }
    bool SequenceRunning() const override { return trans_.SequenceStep() != 0; }
    cam::TxFrame& Tx() override { return link_.Tx(); }
    const cam::TxFrame& Answered() const override { return link_.Answered(); }
    std::uint32_t AnsweredTag() const override { return link_.AnsweredTag(); }
    const cam::ReplyBuffer& Reply() const override { return link_.Reply(); }
    std::int32_t& Data(int index) override { return data_.at(static_cast<std::size_t>(index)); }
    void ApplyRegister(int address, std::uint16_t value) override;

    // --- state for the tabs and tests
    cam::TLink& Link() { return link_; }
    cam::TTransactions& Transactions() { return trans_; }
    cam::IPort& Comm1() { return *comm_; }
    // A panel's whole text (panels 1 and 2 are elided when they do not fit).
    QString StatusText(int panel) const;
    // The line's state in words: the port, its device and what happened last.
    // The whole text; the label shows it elided in the middle.
    QString ConnectionDetail() const;
    bool BusyPointer() const { return busyPointer_; }
    int TitleDoubleClicks() const { return titleDoubleClicks_; }
    // --- TDefectHost
    int HorizontalRange() const override { return hRange_; }
    int VerticalRange() const override { return vRange_; }
    bool Ntsc() const override { return ntsc_; }
    void ShowParameterWindow() override;

    // --- TCopyHost
    std::uint32_t SohCommand() override;
    void ShowCopyPage() override;
    void CopyNote(const std::string& text) override;
    TEasyTab* EasyTab() const { return easy_; }
    TAdjustTab* AdjustTab() const { return adjust_; }

  public slots:
    void ExitClick();
    void Reset1Click() override;
    void SW1Click();
    // Option menu: the traffic inspector, and the journal on or off.
    void TrafficClick();
    void JournalClick();
    void SW_push(std::uint8_t code);
    // A double-click on the title panel or its label; it does nothing, and
    // counts its calls so that the binding can be seen.
    void Panel1DblClick() { ++titleDoubleClicks_; }
    void pwlChange();
    void ShowAccessField();
    void ReLoadClick() override;
    void PageControl1Change();
    void SendTimerTimer();
    void ReloadTimerTimer();
    // The delay after which a page disabled by a load is painted greyed.
    void GreyOutTimerTimer();
    void Comm1CommReceive(int size);
    void Trans_init1(unsigned step) { runSequence(0, step); }
    void Trans_init2(unsigned step) { runSequence(1, step); }
    void Trans_init3(unsigned step) { runSequence(2, step); }
    void Trans_init4(unsigned step) { runSequence(3, step); }
    void Trans_init5(unsigned step) { runSequence(4, step); }
    void Trans_init6(unsigned step) { runSequence(5, step); }
    void Trans_end();
    void Trans_end_common();
    void Trans_cstm_hidden();

    // Who answers the question asked before closing while a copy runs
    // (tests answer it themselves).
    void SetCloseQuestion(TYesNoQuestion question) { closeQuestion_ = std::move(question); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

  protected:
    bool Transmit(int count, std::uint32_t tag, const void* source) override;

  private:
    void buildFrame();
    void buildMenu();
    void buildStatusBar();
    void FormCreate();
    // Opens the first port and sends the ENQ; the supervision tick starts.
    void startLooking();
    void shutDown();
    void guarded(const std::function<void()>& f);
    void runSequence(int kind, unsigned step);
    void showError(const std::exception& e);
    // A line event for the inspector and the journal; `fault`: something
    // went wrong (a time-out, a give-up).
    void mark(const std::string& text, bool fault = false);
    void showJournalState();
    // Closing while a copy or verification runs asks first; on Yes the copy
    // ends here. True when the window may close.
    bool confirmClose();
    // Panel 0 and the detail label; `journal`: the state is marked for the
    // inspector and the journal (a changing count of seconds is not).
    void showLineState(const std::string& text, const std::string& detail, bool journal);
    // After a tick or a byte: panel 0 tells a wait for an answer, a camera
    // that does not answer, and one that answers again.
    void followExchange();

    // --- ILinkGate
    void OperatorAction(QObject* control) override;

    // --- ILinkHost
    void SetStatusText(int panel, const std::string& text) override;
    void SetBusyPointer(bool busy) override;
    void SetPageControlEnabled(bool enabled) override;
    void SetCopyProgressMax() override;
    void LinkMessage(const std::string& text, const std::string& caption,
                     bool abortRetryIgnore) override;
    void Connected() override;
    void ReplyReceived() override;
    void ResetAcknowledged() override;
    void ExchangeAbandoned(std::uint32_t tag) override;
    void GiveUp() override;
    void SerialError(const std::string& message) override;
    void ShowConnection(const std::string& text, const std::string& detail) override;
    void DeviceLost(const std::string& message) override;

    // --- ITransHost
    void SetPanelsEnabled(bool enabled) override;
    int ActivePage() const override;
    void SetOrderText(int count) override;
    void TransMessage(const std::string& text) override;
    void RefreshPointer() override;
    void BeforeEasyLoad() override;
    void LoadStarting() override;

    std::unique_ptr<cam::IPort> comm_;
    cam::TLink link_;
    cam::TTransactions trans_;
    std::array<std::int32_t, 2048> data_{};
    int hRange_ = 1;
    int vRange_ = 1;
    bool ntsc_ = false;
    bool busyPointer_ = false;
    bool shutDown_ = false;
    // TGreet::AfterFirstPaint: the greeting waits for the window to have
    // painted and then been quiet for kGreetQuietMs (at most until
    // kGreetLatestMs after its first paint), or kGreetUnpaintedMs after its
    // creation when it is not painted by then.
    static constexpr int kGreetQuietMs = 30;
    static constexpr int kGreetLatestMs = 300;
    static constexpr int kGreetUnpaintedMs = 1000;
    bool greetPending_ = false;
    QTimer* greetTimer_ = nullptr;
    QElapsedTimer firstPaint_;
    int titleDoubleClicks_ = 0;
    int accessAttempts_ = 0;

    QTimer* sendTimer_ = nullptr;
    QTimer* reloadTimer_ = nullptr;
    TPaintHold* panelHold_ = nullptr; // the page a load has disabled
    QLabel* title_ = nullptr;
    QLabel* tv_ = nullptr;
    QLabel* resolution_ = nullptr;
    QLabel* order_ = nullptr;
    QLineEdit* pwl_ = nullptr;
    QTabWidget* pages_ = nullptr;
    std::array<QWidget*, 6> panels_{}; // Panel3, Panel2, Panel6, Panel7, Panel4, Panel5
    std::array<QLabel*, 4> status_{};
    std::array<QString, 4> statusTexts_{}; // what each panel shows when it fits
    QLabel* statusDetail_ = nullptr;       // beside the panels: what panel 0 stands for
    TEasyTab* easy_ = nullptr;
    TAdjustTab* adjust_ = nullptr;
    TDebugTab* debug_ = nullptr;
    TDefectTab* defect_ = nullptr;
    TCopyTab* copy_ = nullptr;
    TLineTab* line_ = nullptr;
    QWidget* switchWindow_ = nullptr;
    QWidget* parameterWindow_ = nullptr;
    cam::TTrafficAssembler* traffic_ = nullptr;
    cam::TJournal* journal_ = nullptr;
    TTrafficWindow* trafficWindow_ = nullptr;
    QAction* journalAction_ = nullptr;
    std::string lastConnection_;
    std::string linkText_, linkDetail_; // the state the link reported last
    std::string lostMessage_;           // the open "device is gone" box's text
    int waitTicks_ = 0;                 // ticks the exchange in flight has waited
    bool notAnswering_ = false;         // an exchange was given up, none answered since
    TYesNoQuestion closeQuestion_;
    TAdjustSaveChain saveChain_; // the Adjust tab's Save
    // Markers of the start, made before the traffic was handed over.
    std::vector<std::pair<std::string, std::int64_t>> earlyMarks_;
};
