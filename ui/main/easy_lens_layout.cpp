// The "Lens Control" group: the zoom and focus rows (target typed or
// dragged, current position read back), the speeds, auto focus, the digital
// zoom, the stored positions, the push switch and the alarm number.

#include "ui/main/easy_tab.h"

#include "ui/main/easy_lens.h"
#include "ui/widgets/hex_field.h"
#include "ui/widgets/named.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/spin_button.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr int kStepWidth = 44;   // four hexadecimal digits
constexpr int kNumberWidth = 30; // two decimal digits
constexpr int kSpeedWidth = 64;  // five positions

template <class L> L* tight(L* layout) {
    layout->setContentsMargins(5, 1, 5, 3);
    layout->setSpacing(3);
    return layout;
}

QLineEdit* makeEdit(QLineEdit* edit, const char* name, int maxLength, int width) {
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    edit->setFixedWidth(width);
    return edit;
}

// A position the camera reports: four digits, not typed.
QLineEdit* makeShown(QWidget* parent, const char* name) {
    auto* edit = makeEdit(new QLineEdit(parent), name, 4, kStepWidth);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

QWidget* TEasyTab::buildLensGroup() {
    lensGroup_ = NamedGroup(this, "GroupBox13", QStringLiteral("Lens Control"));
    QWidget* g = lensGroup_;
    auto* grid = tight(new QGridLayout(g));
    grid->setHorizontalSpacing(4);
    const auto label = [g](const QString& text) { return new QLabel(text, g); };
    // The two speed bars line up under each other at the right end.
    const auto speedLabel = [g](const QString& text) {
        auto* l = new QLabel(text, g);
        l->setFixedWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("FocusSpeed")) + 2);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };

    // Zoom: target, arrows, current position, "Get"; the bar and the speed below.
    zoomStep_ = new THexField(QStringLiteral("ZoomStep"), 4, g);
    zoomStep_->setFixedWidth(kStepWidth);
    zoomSpin_ = new TSpinButton(QStringLiteral("ZoomSpinButton"), g);
    currentZoom_ = makeShown(g, "CurrentZoom");
    getZoomCurrent_ = FittedButton(g, "GetZoomCurrent", QStringLiteral("Get"), 20);
    zoomStepBar_ = NamedBar(g, "ZoomStepBar", lens::kZoomMin, lens::kZoomMax);
    // Ticks every tenth of the range, as the zoom reply sets them.
    zoomStepBar_->setTickInterval((lens::kZoomMax - lens::kZoomMin) / 10);
    zoomStepBar_->setPageStep((lens::kZoomMax - lens::kZoomMin) / 50);
    zoomSpeedBar_ = NamedBar(g, "ZoomSpeedBar", 0, 4);
    zoomSpeedBar_->setFixedWidth(kSpeedWidth);
    grid->addWidget(label(QStringLiteral("Zoom")), 0, 0);
    grid->addWidget(label(QStringLiteral("Direct")), 0, 1);
    grid->addWidget(zoomStep_, 0, 2);
    grid->addWidget(zoomSpin_, 0, 3);
    grid->addWidget(label(QStringLiteral("Current")), 0, 4);
    grid->addWidget(currentZoom_, 0, 5);
    grid->addWidget(getZoomCurrent_, 0, 6);
    auto* zoomBars = new QHBoxLayout;
    zoomBars->setSpacing(4);
    zoomBars->addWidget(zoomStepBar_, 1);
    zoomBars->addWidget(speedLabel(QStringLiteral("ZoomSpeed")));
    zoomBars->addWidget(zoomSpeedBar_);
    grid->addLayout(zoomBars, 1, 0, 1, 7);

    // Focus: target, arrows, current position, one-push auto focus; the
    // limits around the bar and the speed below.
    focusStep_ = new THexField(QStringLiteral("FocusStep"), 4, g);
    focusStep_->setFixedWidth(kStepWidth);
    focusSpin_ = new TSpinButton(QStringLiteral("FocusSpinButton"), g);
    currentFocus_ = makeShown(g, "CurrentFocus");
    onePushAF_ = FittedButton(g, "OnePushAF", QStringLiteral("OnePushAF"), 20);
    focusStepMin_ = makeShown(g, "FocusStepMin");
    focusStepMax_ = makeShown(g, "FocusStepMax");
    focusStepBar_ = NamedBar(g, "FocusStepBar", 0, 0);
    focusSpeedBar_ = NamedBar(g, "FocusSpeedBar", 0, 4);
    focusSpeedBar_->setFixedWidth(kSpeedWidth);
    grid->addWidget(label(QStringLiteral("Focus")), 2, 0);
    grid->addWidget(label(QStringLiteral("Direct")), 2, 1);
    grid->addWidget(focusStep_, 2, 2);
    grid->addWidget(focusSpin_, 2, 3);
    grid->addWidget(label(QStringLiteral("Current")), 2, 4);
    grid->addWidget(currentFocus_, 2, 5);
    grid->addWidget(onePushAF_, 2, 6);
    auto* focusBars = new QHBoxLayout;
    focusBars->setSpacing(4);
    focusBars->addWidget(focusStepMin_);
    focusBars->addWidget(focusStepBar_, 1);
    focusBars->addWidget(focusStepMax_);
    focusBars->addWidget(speedLabel(QStringLiteral("FocusSpeed")));
    focusBars->addWidget(focusSpeedBar_);
    grid->addLayout(focusBars, 3, 0, 1, 7);

    // Auto focus and following the moves; digital zoom; alarm number.
    autoFocus_ = new QCheckBox(QStringLiteral("AutoFocus"), g);
    autoFocus_->setObjectName(QStringLiteral("AutoFocus"));
    currentCheck_ = new QCheckBox(QStringLiteral("CurrentCheck"), g);
    currentCheck_->setObjectName(QStringLiteral("CurrentCheck"));
    currentCheck_->setChecked(false);
    digitalZoom_ = new TRadioGroup(QStringLiteral("DigitalZoom"), QStringLiteral("Digital Zoom"),
                                   {QStringLiteral("OFF"), QStringLiteral("ON")}, g, 2);
    auto* alarmBox = NamedGroup(g, "AlarmBox", QStringLiteral("Alarm"));
    auto* alarmLayout = tight(new QHBoxLayout(alarmBox));
    alarmNo_ = makeEdit(new QLineEdit(alarmBox), "AlarmNo", 2, kNumberWidth);
    alarmSpin_ = new TSpinButton(QStringLiteral("AlarmSpinButton"), alarmBox);
    alarmLayout->addWidget(alarmNo_);
    alarmLayout->addWidget(alarmSpin_);
    auto* checks = new QVBoxLayout;
    checks->setSpacing(0);
    checks->addWidget(autoFocus_);
    checks->addWidget(currentCheck_);
    auto* modes = new QHBoxLayout;
    modes->addLayout(checks);
    modes->addWidget(digitalZoom_, 1);
    modes->addWidget(alarmBox);
    grid->addLayout(modes, 4, 0, 1, 7);

    // Stored positions and the push switch.
    auto* positionBox = NamedGroup(g, "PositionBox", QStringLiteral("Position"));
    auto* positionLayout = tight(new QHBoxLayout(positionBox));
    positionNo_ = makeEdit(new QLineEdit(positionBox), "PositionNo", 2, kNumberWidth);
    positionSpin_ = new TSpinButton(QStringLiteral("PositionSpinButton"), positionBox);
    posLoad_ = FittedButton(positionBox, "PosLoad", QStringLiteral("Load"), 20);
    posSave_ = FittedButton(positionBox, "PosSave", QStringLiteral("Save"), 20);
    positionLayout->addWidget(positionNo_);
    positionLayout->addWidget(positionSpin_);
    positionLayout->addWidget(posLoad_);
    positionLayout->addWidget(posSave_);
    pushSW_ = new TRadioGroup(QStringLiteral("PushSW"), QStringLiteral("Push SW"),
                              {QStringLiteral("Alarm"), QStringLiteral("Freeze")}, g, 2);
    auto* stored = new QHBoxLayout;
    stored->addWidget(positionBox);
    stored->addWidget(pushSW_, 1);
    grid->addLayout(stored, 5, 0, 1, 7);
    grid->setColumnStretch(6, 1);
    return lensGroup_;
}
