#pragma once
// A plain filled rectangle. It may be larger than its parent; it never paints
// over the parent's frame, so a framed panel clips it to its inside.

#include <QBrush>
#include <QPen>
#include <QWidget>

class TShape : public QWidget {
    Q_OBJECT
  public:
    TShape(const QString& objectName, const QBrush& brush, const QPen& pen,
           QWidget* parent = nullptr);

    const QBrush& brush() const { return brush_; }
    const QPen& pen() const { return pen_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QBrush brush_;
    QPen pen_;
};
