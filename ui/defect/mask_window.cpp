#include "ui/defect/mask_window.h"

#include "ui/defect/shape.h"

#include <QFrame>

TFM38R5::TFM38R5(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Panel9_(new QFrame(this)) {
    setObjectName(QStringLiteral("FM38R5"));
    setWindowTitle(QStringLiteral("38R5-Mask"));
    setFixedSize(263, 184);

    Panel9_->setObjectName(QStringLiteral("Panel9"));
    Panel9_->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel9_->setLineWidth(1);
    Panel9_->setGeometry(28, 28, 207, 128);

    // Larger than the panel on purpose: the panel shows a part of it.
    Shape1_ = new TShape(QStringLiteral("Shape1"), QBrush(QColor(128, 128, 0), Qt::CrossPattern),
                         QPen(Qt::NoPen), Panel9_);
    Shape1_->setGeometry(Panel9_->contentsRect().x(), Panel9_->contentsRect().y(), 250, 250);
}
