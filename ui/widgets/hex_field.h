#pragma once
// An edit box for hexadecimal digits that acts only when its text reaches
// the field's maximum length (4 digits for words, 2 for bytes, 1 for a digit).

#include <QLineEdit>

class THexField : public QLineEdit {
    Q_OBJECT
  public:
    THexField(const QString& objectName, int maxLength, QWidget* parent = nullptr);

    // True when the text fills the field.
    bool full() const { return text().size() == maxLength(); }
    // The text read as hexadecimal (hex_value: "" is 0, a non-digit gives -1).
    int value() const;
    // Shows the value as upper-case digits filling the field.
    void setValue(unsigned value);
    // True while the technician's input is being taken in.
    bool Typing() const { return typing_ > 0; }

  protected:
    // Every way a technician puts text in: what comes in is upper-cased;
    // what the program writes is shown as written.
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  signals:
    // Emitted on every change of text whose new text fills the field.
    void Completed();

  private:
    template <class F> void typed(F&& input) {
        ++typing_;
        input();
        --typing_;
    }
    int typing_ = 0;
};
