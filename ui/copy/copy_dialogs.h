#pragma once
// The Copy tab's file dialogs SaveDialog1 and OpenDialog1, and the way they
// and the overwrite question are put to the technician. The tab asks through
// replaceable functions so that tests answer without a display.

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// A file dialog's settings and the name last chosen in it.
class TCopyFileDialog : public QObject {
    Q_OBJECT
  public:
    enum class Kind { Save, Open };

    TCopyFileDialog(const QString& objectName, Kind kind, QObject* parent);

    Kind DialogKind() const { return kind_; }
    // The full name of the file last chosen; "*.dat" until then.
    QString FileName = QStringLiteral("*.dat");
    // True when FileName names a file rather than the initial pattern.
    bool HasFileName() const;

    static QString Filter() { return QStringLiteral("データ (*.dat);;すべてのファイル (*)"); }

  private:
    Kind kind_;
};

// Shows the dialog; on a choice sets dialog.FileName and returns true.
using TDialogRunner = std::function<bool(TCopyFileDialog& dialog)>;
// Asks a question with the buttons Yes and No; true for Yes.
using TYesNoQuestion = std::function<bool(const QString& text)>;

// The real dialog and question, over `parent`. They wait for the technician.
// Where no display is (offscreen platform) they answer Cancel and No.
TDialogRunner WidgetDialogRunner(QWidget* parent);
TYesNoQuestion WidgetYesNoQuestion(QWidget* parent);
