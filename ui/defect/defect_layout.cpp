// The CCD Defect tab's controls and their places: three columns in about
// 730 x 480 pixels. The manual position group; the position pad with the
// positions of the three points, the automatic search, save and cancel; the
// measurement and the correction modes.

#include "ui/defect/defect_tab.h"

#include "ui/defect/shape.h"
#include "ui/common/tab_context.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/level_control.h"
#include "ui/widgets/named.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kPadWidth = 200;
constexpr int kPadHeight = 150;
constexpr int kCursorSize = 6;
constexpr int kFieldWidth = 48; // four hexadecimal digits

// The cursor on the position pad: a small filled circle.
class TCursorShape : public QWidget {
  public:
    explicit TCursorShape(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Shape2"));
        setFixedSize(kCursorSize, kCursorSize);
        setAttribute(Qt::WA_TransparentForMouseEvents); // a click goes to the pad
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
};

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// A read-only box of four hexadecimal digits.
QLineEdit* makeDisplay(QWidget* parent, const QString& name, const QString& text = QString()) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFixedWidth(kFieldWidth);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

QFrame* makePanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    return panel;
}

QLabel* centred(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

template <class L> L* compact(L* layout) {
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    return layout;
}

} // namespace

TDefectTab::TDefectTab(TTabContext& context, TDefectHost& host, QWidget* parent)
    : QWidget(parent), context_(context), host_(host) {
    setObjectName(QStringLiteral("Panel6"));
    buildControls();
    connectHandlers();
}

void TDefectTab::buildControls() {
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(6, 6, 6, 6);
    columns->setSpacing(12);

    auto* first = new QVBoxLayout;
    first->addWidget(buildManual());
    first->addStretch(1);

    auto* second = new QVBoxLayout;
    second->addWidget(buildPad(), 0, Qt::AlignHCenter);
    second->addWidget(buildPoints());
    second->addWidget(buildActions());
    second->addStretch(1);

    auto* third = new QVBoxLayout;
    third->addWidget(buildMeasurement());
    third->addWidget(buildModes());
    third->addStretch(1);

    columns->addLayout(first, 1);
    columns->addLayout(second, 1);
    columns->addLayout(third, 1);

    // Timerkizu sends a position once the link is idle.
    Timerkizu_ = new QTimer(this);
    Timerkizu_->setObjectName(QStringLiteral("Timerkizu"));
    Timerkizu_->setInterval(100);
}

// "Manual": which point, its switches and its position.
QWidget* TDefectTab::buildManual() {
    auto* box = new QGroupBox(QStringLiteral("Manual"), this);
    box->setObjectName(QStringLiteral("fine_adj"));
    auto* layout = compact(new QVBoxLayout(box));

    Kizu_ =
        new TRadioGroup(QStringLiteral("Kizu"), QStringLiteral("Kizu"),
                        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, box, 3);
    const QStringList offOn = {QStringLiteral("OFF"), QStringLiteral("ON")};
    Defect_ = new TRadioGroup(QStringLiteral("Defect"), QStringLiteral("Defect"), offOn, box, 2);
    kizu_sel_ = new TRadioGroup(QStringLiteral("kizu_sel"), QStringLiteral("Cursor Display"), offOn,
                                box, 2);
    layout->addWidget(Kizu_);
    layout->addWidget(Defect_);
    layout->addWidget(kizu_sel_);

    auto* arrows = new QGridLayout;
    arrows->setSpacing(2);
    kizu_up_ = NamedButton(box, "kizu_up", QStringLiteral("Up"));
    kizu_left_ = NamedButton(box, "kizu_left", QStringLiteral("Left"));
    kizu_right_ = NamedButton(box, "kizu_right", QStringLiteral("Right"));
    kizu_down_ = NamedButton(box, "kizu_down", QStringLiteral("Down"));
    for (auto* b : {kizu_up_, kizu_left_, kizu_right_, kizu_down_})
        b->setFixedWidth(52);
    arrows->addWidget(kizu_up_, 0, 1);
    arrows->addWidget(kizu_left_, 1, 0);
    arrows->addWidget(kizu_right_, 1, 2);
    arrows->addWidget(kizu_down_, 2, 1);
    layout->addLayout(arrows);

    auto* fields = new QGridLayout;
    fields->setSpacing(4);
    kizu_ax_ = new THexField(QStringLiteral("kizu_ax"), 4, box);
    kizu_ay_ = new THexField(QStringLiteral("kizu_ay"), 4, box);
    SpinEdit1_ = new QSpinBox(box);
    SpinEdit1_->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1_->setRange(1, 1023);
    SpinEdit1_->setValue(1);
    for (QWidget* w : {static_cast<QWidget*>(kizu_ax_), static_cast<QWidget*>(kizu_ay_),
                       static_cast<QWidget*>(SpinEdit1_)})
        w->setFixedWidth(64);
    fields->addWidget(new QLabel(QStringLiteral("X"), box), 0, 0);
    fields->addWidget(kizu_ax_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Y"), box), 1, 0);
    fields->addWidget(kizu_ay_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Step"), box), 2, 0);
    fields->addWidget(SpinEdit1_, 2, 1);
    fields->setColumnStretch(2, 1);
    layout->addLayout(fields);
    return box;
}

// The position pad: a cross-hatched field of 200 x 150 pixels inside a single
// border, with the cursor of the selected point.
QWidget* TDefectTab::buildPad() {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel9"));
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setFixedSize(kPadWidth + 2, kPadHeight + 2);
    Shape1_ = new TShape(QStringLiteral("Shape1"), QBrush(QColor(128, 128, 0), Qt::CrossPattern),
                         QPen(Qt::NoPen), panel);
    Shape1_->setGeometry(1, 1, kPadWidth, kPadHeight);
    Shape1_->setCursor(Qt::CrossCursor);
    Shape1_->installEventFilter(this);
    Shape2_ = new TCursorShape(panel);
    Shape2_->move(Shape1_->pos());
    Shape2_->raise();
    return panel;
}

// The positions of the three points, and the correction switches of A.
QWidget* TDefectTab::buildPoints() {
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    auto* panel = makePanel(holder, "Panel8");
    auto* grid = compact(new QGridLayout(panel));
    grid->addWidget(centred(QStringLiteral("X"), panel), 0, 1);
    grid->addWidget(centred(QStringLiteral("Y"), panel), 0, 2);
    const char* names[] = {"KizuAX", "KizuAY", "KizuBX", "KizuBY", "KizuCX", "KizuCY"};
    const QString rows[] = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(new QLabel(rows[row], panel), row + 1, 0);
        for (int col = 0; col < 2; ++col) {
            const auto k = static_cast<std::size_t>(row * 2 + col);
            points_[k] = makeDisplay(panel, QLatin1String(names[k]));
            grid->addWidget(points_[k], row + 1, col + 1);
        }
    }
    grid->setColumnStretch(3, 1);
    layout->addWidget(panel);

    auto* checks = new QHBoxLayout;
    KFFX_ = makeCheck(holder, "KFFX", QStringLiteral("KF_FIX"));
    KFRV_ = makeCheck(holder, "KFRV", QStringLiteral("KF_REV"));
    checks->addWidget(KFFX_);
    checks->addWidget(KFRV_);
    checks->addStretch(1);
    layout->addLayout(checks);
    return holder;
}

// "Kizu Read": the defect seen in the even and the odd field, and "Kizu Adjust".
QWidget* TDefectTab::buildMeasurement() {
    auto* panel = makePanel(this, "Panel10");
    auto* grid = compact(new QGridLayout(panel));
    KizuRead_ = NamedButton(panel, "KizuRead", QStringLiteral("Kizu Read"));
    grid->addWidget(KizuRead_, 0, 0, 1, 3);
    grid->addWidget(centred(QStringLiteral("Even"), panel), 1, 1);
    grid->addWidget(centred(QStringLiteral("Odd"), panel), 1, 2);
    const char* names[] = {"kin_x1", "kin_y1", "kin_p1", "kin_x2", "kin_y2", "kin_p2"};
    const QString rows[] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Pk")};
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(new QLabel(rows[row], panel), row + 2, 0);
        for (int field = 0; field < 2; ++field) {
            const auto k = static_cast<std::size_t>(field * 3 + row);
            kin_[k] = makeDisplay(panel, QLatin1String(names[k]), QStringLiteral("0000"));
            grid->addWidget(kin_[k], row + 2, field + 1);
        }
    }
    Kizu_Adjust_ = NamedButton(panel, "Kizu_Adjust", QStringLiteral("Kizu Adjust"));
    Kizu_Adjust_->setEnabled(false);
    grid->addWidget(Kizu_Adjust_, 5, 0, 1, 3);
    return panel;
}

// The automatic search, the parameter window, save and cancel.
QWidget* TDefectTab::buildActions() {
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto* autoBox = new QGroupBox(QStringLiteral("Auto"), holder);
    autoBox->setObjectName(QStringLiteral("Auto"));
    auto* autoLayout = compact(new QGridLayout(autoBox));
    kizu_auto_ = NamedButton(autoBox, "kizu_auto", QStringLiteral("Auto"));
    Auto3Point_ = makeCheck(autoBox, "Auto3Point", QStringLiteral("3 Point"));
    AdjustInfo_ = NamedButton(autoBox, "AdjustInfo", QStringLiteral("Info"));
    autoLayout->addWidget(kizu_auto_, 0, 0);
    autoLayout->addWidget(Auto3Point_, 0, 1);
    autoLayout->addWidget(AdjustInfo_, 1, 0);
    layout->addWidget(autoBox);

    auto* saveRow = new QHBoxLayout;
    Kizu_Save_ = NamedButton(holder, "Kizu_Save", QStringLiteral("Kizu Save"));
    Kizu_Cancel_ = NamedButton(holder, "Kizu_Cancel", QStringLiteral("Kizu Cancel"));
    saveRow->addWidget(Kizu_Save_);
    saveRow->addWidget(Kizu_Cancel_);
    layout->addLayout(saveRow);
    return holder;
}

// "Adjust Set", "KF Change" with "VRev", "Sens" with "KF OFF".
QWidget* TDefectTab::buildModes() {
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    AdjustSet_ = new TRadioGroup(QStringLiteral("AdjustSet"), QStringLiteral("Adjust Set"),
                                 {QStringLiteral("OFF"), QStringLiteral("ON")}, holder, 2);
    layout->addWidget(AdjustSet_);

    auto* panel11 = makePanel(holder, "Panel11");
    auto* layout11 = compact(new QVBoxLayout(panel11));
    VRevKFChange_ = new TRadioGroup(QStringLiteral("VRevKFChange"), QStringLiteral("KF Change"),
                                    {QStringLiteral("No"), QStringLiteral("KF_REV"),
                                     QStringLiteral("KF_FIX"), QStringLiteral("REV && FIX")},
                                    panel11, 2);
    VRevKF_ = makeCheck(panel11, "VRevKF", QStringLiteral("VRev"));
    layout11->addWidget(VRevKFChange_);
    layout11->addWidget(VRevKF_);
    layout->addWidget(panel11);

    auto* panel12 = makePanel(holder, "Panel12");
    auto* layout12 = compact(new QGridLayout(panel12));
    auto* sensLabel = new QLabel(QStringLiteral("Sens"), panel12);
    sensLabel->setObjectName(QStringLiteral("Label55"));
    SensKFBar_ = new QSlider(Qt::Horizontal, panel12);
    SensKFBar_->setObjectName(QStringLiteral("SensKFBar"));
    SensKFBar_->setRange(0, 8);
    SensKFBar_->setSingleStep(1);
    SensKFBar_->setPageStep(1);
    SensKFBar_->setTickInterval(1);
    SensKFBar_->setTickPosition(QSlider::TicksBelow);
    SensKFBar_->setValue(0);
    SensUpKFOFF_ = new TRadioGroup(QStringLiteral("SensUpKFOFF"), QStringLiteral("KF OFF"),
                                   {QStringLiteral("No"), QStringLiteral("Yes")}, panel12, 2);
    layout12->addWidget(sensLabel, 0, 0);
    layout12->addWidget(SensKFBar_, 0, 1);
    layout12->addWidget(SensUpKFOFF_, 1, 0, 1, 2);
    layout->addWidget(panel12);

    using Arm = TLevelControl::Arm;
    using Wait = TLevelControl::Wait;
    sensLevel_ = new TLevelControl(
        this, QStringLiteral("SensKFTimer"), 300, Arm::NoLoad, Wait::TransChk, context_, [this] {
            sendWrite({0x06, static_cast<std::uint8_t>(SensKFBar_->value())});
        });
    return holder;
}

void TDefectTab::connectHandlers() {
    auto click = [this](QPushButton* button, void (TDefectTab::*handler)()) {
        Bind(context_, button, &QPushButton::clicked, this, handler);
    };
    auto radio = [this](TRadioGroup* group, void (TDefectTab::*handler)()) {
        Bind(context_, group, &TRadioGroup::Click, this, handler);
    };
    auto check = [this](QCheckBox* box, void (TDefectTab::*handler)()) {
        Bind(context_, box, &QCheckBox::toggled, this, handler);
    };

    radio(Kizu_, &TDefectTab::KizuClick);
    radio(Defect_, &TDefectTab::DefectClick);
    radio(kizu_sel_, &TDefectTab::kizu_selClick);
    radio(VRevKFChange_, &TDefectTab::VRevKFChangeClick);
    radio(SensUpKFOFF_, &TDefectTab::SensUpKFOFFClick);
    radio(AdjustSet_, &TDefectTab::AdjustSetClick);
    check(KFFX_, &TDefectTab::KFFXClick);
    check(KFRV_, &TDefectTab::KFRVClick);
    check(VRevKF_, &TDefectTab::VRevKFClick);
    Bind(context_, kizu_ax_, &QLineEdit::textChanged, this, &TDefectTab::kizu_axChange);
    Bind(context_, kizu_ay_, &QLineEdit::textChanged, this, &TDefectTab::kizu_axChange);
    click(kizu_up_, &TDefectTab::kizu_upClick);
    click(kizu_down_, &TDefectTab::kizu_downClick);
    click(kizu_left_, &TDefectTab::kizu_leftClick);
    click(kizu_right_, &TDefectTab::kizu_rightClick);
    Bind(context_, SensKFBar_, &QSlider::valueChanged, this, &TDefectTab::SensKFBarChange);
    connect(Timerkizu_, &QTimer::timeout, this, &TDefectTab::TimerkizuTimer);
    click(KizuRead_, &TDefectTab::KizuReadClick);
    click(Kizu_Adjust_, &TDefectTab::Kizu_AdjustClick);
    click(kizu_auto_, &TDefectTab::kizu_autoClick);
    click(Kizu_Save_, &TDefectTab::Kizu_SaveClick);
    click(Kizu_Cancel_, &TDefectTab::Kizu_CancelClick);
    click(AdjustInfo_, &TDefectTab::AdjustInfoClick);
}

bool TDefectTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Shape1_ && event->type() == QEvent::MouseButtonRelease) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        Shape1MouseUp(at.x(), at.y());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
