#pragma once
// VerifyMap: the 1024 EEPROM words of a verification as a 32 x 32 picture,
// address 0 at the top left, 32 words to a row. Each cell tells whether the
// camera's word is as in the file, differs, is not in the file or has not
// been read yet; hovering a cell shows the address, both words and, for the
// words that hold a register's stored value, the register's name.

#include "copy/copy_engine.h"

#include <QWidget>

class TVerifyMap : public QWidget {
    Q_OBJECT
  public:
    enum class Cell { NotRead, Equal, Differs, NotInFile };
    static constexpr int kColumns = 32;

    explicit TVerifyMap(QWidget* parent = nullptr);

    // The file's words (-1: not in the file) and the camera's read so far
    // (-1: not read yet).
    void SetWords(const cam::CopyWords& file, const cam::CopyWords& camera);
    // No verification: every cell not read.
    void Clear();

    Cell CellState(int address) const;
    // The tooltip of the cell at `address`.
    QString CellText(int address) const;
    // The address of the cell under `pos`, -1 outside the cells.
    int AddressAt(QPoint pos) const;
    // The colour a cell of `state` is painted in (also the legend's).
    static QColor Colour(Cell state);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    bool known_ = false; // a verification's file is shown
    cam::CopyWords file_{};
    cam::CopyWords camera_{};
};
