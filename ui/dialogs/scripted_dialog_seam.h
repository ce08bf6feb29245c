// A dialog seam for tests: answers every question from a script queued in
// advance and records what was asked.  Constructing one installs it as the
// seam in use; destroying it puts the previous seam back.
//
// Unscripted questions get the answer a user closing the dialog would give:
// file dialogs are cancelled, a message box with OK gets OK (otherwise
// Cancel), the "New" dialog and other dialogs are cancelled.  Browser
// requests are recorded and succeed unless urlResult says otherwise.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "ui/dialogs/dialog_seam.h"

namespace mottler::ui {

class ScriptedDialogSeam : public DialogSeam {
 public:
  enum class Kind { OpenFile, SaveFile, Message, NewTexture, Modal, Url };

  // One question as it was asked.
  struct Call {
    Kind kind;
    QString caption;      // dialog or message box caption, dialog title for Modal
    QString text;         // message text; initial path of a file dialog; the address for Url
    QString filter;       // file dialogs: the type list
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString selectedFilter;  // save dialogs: the type shown first
  };

  // What the "user" does in the "New" dialog; whether it ends with OK is
  // read from the dialog afterwards.
  using NewTextureScript = std::function<void(CNewTextureDlg&)>;

  ScriptedDialogSeam();
  ~ScriptedDialogSeam() override;
  ScriptedDialogSeam(const ScriptedDialogSeam&) = delete;
  ScriptedDialogSeam& operator=(const ScriptedDialogSeam&) = delete;

  // Queues the answer of the next file dialog (open or save); "" cancels.
  // A save dialog with a type list ends with the type chosen (unless empty:
  // then with the type it showed first).
  void answerFile(const QString& path, const QString& chosenType = {});
  // Queues the answer of the next message box.
  void answerMessage(QMessageBox::StandardButton button);
  // Queues the actions of the next "New" dialog.
  void answerNewTexture(NewTextureScript script);
  // Queues the result of the next other modal dialog.
  void answerModal(int result);

  // Ready-made "New" scripts: type the three boxes and press OK (then
  // Cancel when a check kept the dialog open); or press Cancel at once.
  static NewTextureScript typeAndOk(const QString& name, const QString& width,
                                    const QString& height);
  static NewTextureScript pressOk();
  static NewTextureScript pressCancel();

  bool urlResult = true;

  const std::vector<Call>& calls() const { return calls_; }
  std::vector<Call> takeCalls();
  std::vector<Call> callsOf(Kind kind) const;
  // Answers queued but not yet used.
  int pendingAnswers() const;

  QString getOpenFileName(QWidget* parent, const QString& caption, const QString& initialPath,
                          const QString& filter) override;
  QString getSaveFileName(QWidget* parent, const QString& caption, const QString& initialPath,
                          const QString& filter, QString* selectedFilter = nullptr) override;
  QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                      const QString& caption, const QString& text,
                                      QMessageBox::StandardButtons buttons) override;
  bool runNewTextureDialog(CNewTextureDlg& dialog) override;
  int runModal(QDialog& dialog) override;
  bool openUrl(const QUrl& url) override;

 private:
  std::vector<Call> calls_;
  struct FileAnswer {
    QString path;
    QString chosenType;
  };
  std::deque<FileAnswer> fileAnswers_;
  std::deque<QMessageBox::StandardButton> messageAnswers_;
  std::deque<NewTextureScript> newTextureAnswers_;
  std::deque<int> modalAnswers_;
  DialogSeam* previous_ = nullptr;
};

}  // namespace mottler::ui
