// The Easy tab's controls and their places in about 730 x 480 pixels: two
// columns on the left, and on the right the exposure pairs beside BLC above
// the lens group. Controls that the form puts directly on the panel (the
// white-balance bars, the exposure bars, the phase bar and level...) sit in
// the columns' layouts, so their parent stays the panel itself.

#include "ui/main/easy_tab.h"

#include "ui/widgets/hex_field.h"
#include "ui/widgets/named.h"
#include "ui/widgets/radio_group.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kColumnSpacing = 6;

// Group boxes drawn with their caption on the frame line: a row of radio
// buttons takes 36 pixels instead of 47, which is what lets the lens group
// share the page with the rest.
const char* const kGroupStyle =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 3px;"
    " margin-top: 7px; padding-top: 3px; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0px 2px; }"
    "QGroupBox[flat=\"true\"] { border: none; margin-top: 0px; padding-top: 0px; }";

QLabel* makeLabel(QWidget* parent, const QString& caption, int width = 0) {
    auto* label = new QLabel(caption, parent);
    if (width > 0) label->setFixedWidth(width);
    return label;
}

// A row "caption  bar" (optionally "  suffix") inside a grid.
void addBarRow(QGridLayout* grid, int row, QLabel* label, QSlider* bar, QLabel* suffix = nullptr) {
    grid->addWidget(label, row, 0);
    grid->addWidget(bar, row, 1);
    if (suffix) grid->addWidget(suffix, row, 2);
}

// Group boxes are packed tighter than the style's default.
template <class L> L* compact(L* layout) {
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(3);
    return layout;
}

} // namespace

TEasyTab::TEasyTab(TTabContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("Panel4"));
    setStyleSheet(QLatin1String(kGroupStyle));
    buildControls();
    buildLevelControls();
    buildLensLevelControls();
    connectHandlers();
    setFocusOrder();
}

// The panel's controls in its order: the group boxes with their controls,
// the lens group as its controls are listed, then the controls that sit on
// the panel itself. A control made of several focusable parts (a radio
// group, a spin button) takes them in their own order.
void TEasyTab::setFocusOrder() {
    QStringList order = {"Mark", "Mark_up", "Mark_down", "Mark_left", "Mark_right", "HRev", "VRev",
                         "RevSet", "Rgain", "BGain", "PosiNega", "Freeze", "Initial",
                         // "Lens Control"
                         "ZoomStep", "CurrentZoom", "ZoomStepBar", "ZoomSpinButton", "FocusStep",
                         "CurrentFocus", "FocusStepMin", "FocusStepMax", "FocusStepBar",
                         "FocusSpinButton", "ZoomSpeedBar", "FocusSpeedBar", "AutoFocus",
                         "OnePushAF", "GetZoomCurrent", "CurrentCheck", "DigitalZoom", "PositionNo",
                         "PositionSpinButton", "PosLoad", "PosSave", "AlarmNo", "AlarmSpinButton",
                         "PushSW",
                         // then
                         "Preset", "AES", "ALC", "PEAK", "AGCBar", "SENSBar", "BLC"};
    for (int k = 1; k <= 48; ++k)
        order << QStringLiteral("BLCCheck%1").arg(k, 2, 10, QLatin1Char('0'));
    order << QStringList{"BLCSensBar", "Sync",       "CName",     "Ctitlepos",  "SetTitle",
                         "HGainBar",   "VGainBar",   "PhaseBar",  "PhaseLevel", "wb_select",
                         "AWB",        "ATWBar",     "AWBBar",    "PeakOnBar",  "ALCAutoBar",
                         "ALCFixBar",  "AESAutoBar", "AESFixBox", "PresetSet",  "Select"};
    QWidget* previous = nullptr;
    for (const QString& name : order) {
        auto* control = findChild<QWidget*>(name);
        if (!control) continue;
        QList<QWidget*> parts;
        if (control->focusPolicy() & Qt::TabFocus)
            parts << control; // a drop-down list's popup is no part of the chain
        else
            for (QWidget* part : control->findChildren<QWidget*>())
                if (part->focusPolicy() & Qt::TabFocus) parts << part;
        for (QWidget* part : parts) {
            if (previous) setTabOrder(previous, part);
            previous = part;
        }
    }
}

void TEasyTab::buildControls() {
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(4, 4, 4, 4);
    columns->setSpacing(kColumnSpacing);
    columns->addLayout(buildMarkColumn(), 0);
    columns->addLayout(buildExposureColumn(), 0);
    auto* right = new QVBoxLayout;
    right->setSpacing(kColumnSpacing);
    auto* pairs = new QHBoxLayout;
    pairs->setSpacing(kColumnSpacing);
    pairs->addLayout(buildModeColumn(), 0);
    pairs->addLayout(buildBlcColumn(), 0);
    right->addLayout(pairs);
    right->addWidget(buildLensGroup());
    right->addStretch(1);
    columns->addLayout(right, 0);
}

// Mark, title, picture reversal, Posi/Nega, Select, Freeze and Initial.
QLayout* TEasyTab::buildMarkColumn() {
    auto* layout = new QVBoxLayout;

    auto* markBox = NamedGroup(this, "GroupBox1", QStringLiteral("Mark"));
    auto* markLayout = compact(new QGridLayout(markBox));
    markGroup_ = new TRadioGroup(QStringLiteral("Mark"), QString(),
                                 {QStringLiteral("OFF"), QStringLiteral("ON")}, markBox, 2);
    markGroup_->setFlat(true);
    markUp_ = FittedButton(markBox, "Mark_up", QStringLiteral("up"));
    markDown_ = FittedButton(markBox, "Mark_down", QStringLiteral("down"));
    markLeft_ = FittedButton(markBox, "Mark_left", QStringLiteral("left"));
    markRight_ = FittedButton(markBox, "Mark_right", QStringLiteral("right"));
    markLayout->addWidget(markGroup_, 0, 0, 1, 3);
    markLayout->addWidget(markUp_, 1, 1);
    markLayout->addWidget(markLeft_, 2, 0);
    markLayout->addWidget(markRight_, 2, 2);
    markLayout->addWidget(markDown_, 3, 1);
    layout->addWidget(markBox);

    auto* titleBox = NamedGroup(this, "TitleBox", QStringLiteral("Title"));
    auto* titleLayout = compact(new QGridLayout(titleBox));
    cName_ = new QLineEdit(titleBox);
    cName_->setObjectName(QStringLiteral("CName"));
    cName_->setMaxLength(20);
    ctitlepos_ = new QComboBox(titleBox);
    ctitlepos_->setObjectName(QStringLiteral("Ctitlepos"));
    ctitlepos_->addItems({QStringLiteral("Up"), QStringLiteral("Down")});
    setTitle_ = FittedButton(titleBox, "SetTitle", QStringLiteral("Set"));
    titleLayout->addWidget(cName_, 0, 0, 1, 2);
    titleLayout->addWidget(ctitlepos_, 1, 0);
    titleLayout->addWidget(setTitle_, 1, 1);
    layout->addWidget(titleBox);

    auto* revBox = NamedGroup(this, "RevBox", QStringLiteral("Rev"));
    auto* revLayout = compact(new QHBoxLayout(revBox));
    hRev_ = new QCheckBox(QStringLiteral("HRev"), revBox);
    hRev_->setObjectName(QStringLiteral("HRev"));
    vRev_ = new QCheckBox(QStringLiteral("VRev"), revBox);
    vRev_->setObjectName(QStringLiteral("VRev"));
    revSet_ = FittedButton(revBox, "RevSet", QStringLiteral("Save"));
    revLayout->addWidget(hRev_);
    revLayout->addWidget(vRev_);
    revLayout->addWidget(revSet_);
    layout->addWidget(revBox);

    posiNega_ = new TRadioGroup(QStringLiteral("PosiNega"), QStringLiteral("Posi / Nega"),
                                {QStringLiteral("Posi"), QStringLiteral("Nega")}, this, 2);
    select_ = new TRadioGroup(QStringLiteral("Select"), QStringLiteral("Select"),
                              {QStringLiteral("Field"), QStringLiteral("Frame")}, this, 2);
    layout->addWidget(posiNega_);
    layout->addWidget(select_);

    const QStringList offOn = {QStringLiteral("OFF"), QStringLiteral("ON")};
    freeze_ = new TRadioGroup(QStringLiteral("Freeze"), QStringLiteral("Freeze"), offOn, this, 2);
    initial_ =
        new TRadioGroup(QStringLiteral("Initial"), QStringLiteral("Initial"), offOn, this, 2);
    layout->addWidget(freeze_);
    layout->addWidget(initial_);
    layout->addStretch(1);
    return layout;
}

// White balance, gains, AGC / Sens, APC, phase and Preset.
QLayout* TEasyTab::buildExposureColumn() {
    auto* layout = new QVBoxLayout;

    auto* wbRow = new QHBoxLayout;
    wbSelect_ = new TRadioGroup(QStringLiteral("wb_select"), QStringLiteral("WB"),
                                {QStringLiteral("ATW"), QStringLiteral("AWB")}, this, 2);
    awb_ = FittedButton(this, "AWB", QStringLiteral("Enter"));
    wbRow->addWidget(wbSelect_, 1);
    wbRow->addWidget(awb_, 0, Qt::AlignBottom);
    layout->addLayout(wbRow);

    auto* wbBars = new QGridLayout;
    atwBar_ = NamedBar(this, "ATWBar", 0, 8);
    awbBar_ = NamedBar(this, "AWBBar", 0, 8);
    addBarRow(wbBars, 0, makeLabel(this, QStringLiteral("ATW"), 44), atwBar_);
    addBarRow(wbBars, 1, makeLabel(this, QStringLiteral("AWB"), 44), awbBar_);
    layout->addLayout(wbBars);

    wbGroup_ = NamedGroup(this, "WB", QStringLiteral("Gain"));
    auto* gainLayout = compact(new QGridLayout(wbGroup_));
    rGain_ = NamedBar(wbGroup_, "Rgain", 0, 8);
    bGain_ = NamedBar(wbGroup_, "BGain", 0, 8);
    addBarRow(gainLayout, 0, makeLabel(wbGroup_, QStringLiteral("R-Y"), 40), rGain_);
    addBarRow(gainLayout, 1, makeLabel(wbGroup_, QStringLiteral("B-Y"), 40), bGain_);
    layout->addWidget(wbGroup_);

    auto* agcBox = NamedGroup(this, "AGC", QStringLiteral("AGC / Sens"));
    auto* agcLayout = compact(new QGridLayout(agcBox));
    agcBar_ = NamedBar(agcBox, "AGCBar", 0, 8);
    sensBar_ = NamedBar(agcBox, "SENSBar", 0, 8);
    addBarRow(agcLayout, 0, makeLabel(agcBox, QStringLiteral("AGC"), 40), agcBar_,
              makeLabel(agcBox, QStringLiteral("Auto")));
    addBarRow(agcLayout, 1, makeLabel(agcBox, QStringLiteral("Sens"), 40), sensBar_,
              makeLabel(agcBox, QStringLiteral("Auto")));
    layout->addWidget(agcBox);

    auto* apcBox = NamedGroup(this, "APC", QStringLiteral("APC"));
    auto* apcLayout = compact(new QGridLayout(apcBox));
    hGainBar_ = NamedBar(apcBox, "HGainBar", 0, 12);
    vGainBar_ = NamedBar(apcBox, "VGainBar", 0, 12);
    addBarRow(apcLayout, 0, makeLabel(apcBox, QStringLiteral("H-GAIN"), 52), hGainBar_);
    addBarRow(apcLayout, 1, makeLabel(apcBox, QStringLiteral("V-GAIN"), 52), vGainBar_);
    layout->addWidget(apcBox);

    auto* phaseRow = new QHBoxLayout;
    sync_ = new TRadioGroup(QStringLiteral("Sync"), QStringLiteral("Phase"),
                            {QStringLiteral("OFF"), QStringLiteral("ON")}, this, 2);
    phaseLevel_ = new THexField(QStringLiteral("PhaseLevel"), 4, this);
    phaseLevel_->setFixedWidth(52);
    phaseRow->addWidget(sync_, 1);
    phaseRow->addWidget(phaseLevel_, 0, Qt::AlignBottom);
    layout->addLayout(phaseRow);
    phaseBar_ = NamedBar(this, "PhaseBar", 0, 0);
    layout->addWidget(phaseBar_);

    auto* presetRow = new QHBoxLayout;
    preset_ = new TRadioGroup(QStringLiteral("Preset"), QStringLiteral("Preset"),
                              {QStringLiteral("OFF"), QStringLiteral("ON")}, this, 2);
    presetSet_ = FittedButton(this, "PresetSet", QStringLiteral("Enter"));
    presetRow->addWidget(preset_, 1);
    presetRow->addWidget(presetSet_, 0, Qt::AlignBottom);
    layout->addLayout(presetRow);
    layout->addStretch(1);
    return layout;
}

// The exposure pairs PEAK/BLC and ALC/AES with their bars.
QLayout* TEasyTab::buildModeColumn() {
    auto* layout = new QVBoxLayout;
    const QStringList offOn = {QStringLiteral("OFF"), QStringLiteral("ON")};
    const QStringList autoFix = {QStringLiteral("AUTO"), QStringLiteral("FIX")};

    peak_ = new TRadioGroup(QStringLiteral("PEAK"), QStringLiteral("PEAK"), offOn, this, 2);
    peakOnBar_ = NamedBar(this, "PeakOnBar", 0, 8);
    layout->addWidget(peak_);
    layout->addWidget(peakOnBar_);

    alc_ = new TRadioGroup(QStringLiteral("ALC"), QStringLiteral("ALC"), autoFix, this, 2);
    alcAutoBar_ = NamedBar(this, "ALCAutoBar", 0, 8);
    alcFixBar_ = NamedBar(this, "ALCFixBar", 0, 8);
    auto* alcBars = new QGridLayout;
    addBarRow(alcBars, 0, makeLabel(this, QStringLiteral("AUTO"), 36), alcAutoBar_);
    addBarRow(alcBars, 1, makeLabel(this, QStringLiteral("FIX"), 36), alcFixBar_);
    layout->addWidget(alc_);
    layout->addLayout(alcBars);

    aes_ = new TRadioGroup(QStringLiteral("AES"), QStringLiteral("AES"), autoFix, this, 2);
    aesAutoBar_ = NamedBar(this, "AESAutoBar", 0, 8);
    aesFixBox_ = new QComboBox(this);
    aesFixBox_->setObjectName(QStringLiteral("AESFixBox"));
    aesFixBox_->addItems({QStringLiteral("OFF"), QStringLiteral("1/100 or 1/120"),
                          QStringLiteral("1/250"), QStringLiteral("1/500"),
                          QStringLiteral("1/1000"), QStringLiteral("1/2000"),
                          QStringLiteral("1/4000"), QStringLiteral("1/10000")});
    aesFixBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* aesBars = new QGridLayout;
    addBarRow(aesBars, 0, makeLabel(this, QStringLiteral("AUTO"), 36), aesAutoBar_);
    aesBars->addWidget(makeLabel(this, QStringLiteral("FIX"), 36), 1, 0);
    aesBars->addWidget(aesFixBox_, 1, 1);
    layout->addWidget(aes_);
    layout->addLayout(aesBars);
    layout->addStretch(1);
    return layout;
}

// BLC with its 8 x 6 area grid.
QLayout* TEasyTab::buildBlcColumn() {
    auto* layout = new QVBoxLayout;

    auto* blcBox = NamedGroup(this, "GroupBox5", QStringLiteral("BLC"));
    auto* blcLayout = compact(new QGridLayout(blcBox));
    blc_ = new TRadioGroup(QStringLiteral("BLC"), QStringLiteral("Select"),
                           {QStringLiteral("OFF"), QStringLiteral("ON")}, blcBox, 2);
    auto* panel = new QFrame(blcBox);
    panel->setObjectName(QStringLiteral("BLCPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);
    for (int k = 0; k < 48; ++k) {
        auto* box = new QCheckBox(panel);
        box->setObjectName(QStringLiteral("BLCCheck%1").arg(k + 1, 2, 10, QLatin1Char('0')));
        grid->addWidget(box, k / 8, k % 8);
        blcChecks_[static_cast<std::size_t>(k)] = box;
    }
    blcSensBar_ = NamedBar(blcBox, "BLCSensBar", 0, 7);
    blcLayout->addWidget(blc_, 0, 0, 1, 2);
    blcLayout->addWidget(makeLabel(blcBox, QStringLiteral("Area")), 1, 0, 1, 2);
    blcLayout->addWidget(panel, 2, 0, 1, 2, Qt::AlignHCenter);
    blcLayout->addWidget(makeLabel(blcBox, QStringLiteral("Sens")), 3, 0);
    blcLayout->addWidget(blcSensBar_, 3, 1);
    layout->addWidget(blcBox);
    layout->addStretch(1);
    return layout;
}
