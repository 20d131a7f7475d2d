#include "ui/defect/parameter_window.h"

#include "ui/defect/kizu_params.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
QFont bold(QFont font) {
    font.setBold(true);
    return font;
}

QLabel* caption(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(bold(l->font()));
    return l;
}

QLineEdit* valueBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setFont(bold(box->font()));
    box->setReadOnly(true);
    box->setFixedWidth(80);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
    return box;
}

QString twoDigits(int value) {
    return QString::asprintf("%02d", value);
}
} // namespace

TKizuInfo::TKizuInfo(std::function<bool()> ntscFlag, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      ntscFlag_(std::move(ntscFlag)), AdjustX_(valueBox(QStringLiteral("AdjustX"), this)),
      AdjustY_(valueBox(QStringLiteral("AdjustY"), this)),
      AdjustPk_(valueBox(QStringLiteral("AdjustPk"), this)) {
    setObjectName(QStringLiteral("KizuInfo"));
    setWindowTitle(QStringLiteral("Adjust Parameter"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(20, 12, 20, 12);
    grid->addWidget(caption(QStringLiteral("Adjust_X"), QStringLiteral("X"), this), 0, 0);
    grid->addWidget(AdjustX_, 0, 1);
    grid->addWidget(caption(QStringLiteral("Adjust_Y"), QStringLiteral("Y"), this), 1, 0);
    grid->addWidget(AdjustY_, 1, 1);
    grid->addWidget(caption(QStringLiteral("Adjust_Pk"), QStringLiteral("Pk"), this), 2, 0);
    grid->addWidget(AdjustPk_, 2, 1);
    setFixedSize(168, 120);
    FormCreate();
}

void TKizuInfo::FormCreate() {
    const bool ntsc = ntscFlag_ && ntscFlag_();
    AdjustX_->setText(twoDigits(kizu::kAdjustX));
    AdjustY_->setText(twoDigits(kizu::adjustY(ntsc)));
    AdjustPk_->setText(twoDigits(kizu::kPeakTolerance));
}

void TKizuInfo::showEvent(QShowEvent* event) {
    FormCreate();
    QWidget::showEvent(event);
}
