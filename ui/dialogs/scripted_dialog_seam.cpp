#include "ui/dialogs/scripted_dialog_seam.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "ui/dialogs/new_texture_dialog.h"

namespace mottler::ui {

ScriptedDialogSeam::ScriptedDialogSeam() : previous_(setDialogSeam(this)) {}

ScriptedDialogSeam::~ScriptedDialogSeam() { setDialogSeam(previous_); }

void ScriptedDialogSeam::answerFile(const QString& path, const QString& chosenType) {
  fileAnswers_.push_back({path, chosenType});
}

void ScriptedDialogSeam::answerMessage(QMessageBox::StandardButton button) {
  messageAnswers_.push_back(button);
}

void ScriptedDialogSeam::answerNewTexture(NewTextureScript script) {
  newTextureAnswers_.push_back(std::move(script));
}

void ScriptedDialogSeam::answerModal(int result) { modalAnswers_.push_back(result); }

ScriptedDialogSeam::NewTextureScript ScriptedDialogSeam::typeAndOk(const QString& name,
                                                                   const QString& width,
                                                                   const QString& height) {
  return [=](CNewTextureDlg& dialog) {
    dialog.nameBox()->setText(name);
    dialog.widthBox()->setText(width);
    dialog.heightBox()->setText(height);
    dialog.okButton()->click();
    if (dialog.isVisible()) dialog.cancelButton()->click();
  };
}

ScriptedDialogSeam::NewTextureScript ScriptedDialogSeam::pressOk() {
  return [](CNewTextureDlg& dialog) {
    dialog.okButton()->click();
    if (dialog.isVisible()) dialog.cancelButton()->click();
  };
}

ScriptedDialogSeam::NewTextureScript ScriptedDialogSeam::pressCancel() {
  return [](CNewTextureDlg& dialog) { dialog.cancelButton()->click(); };
}

std::vector<ScriptedDialogSeam::Call> ScriptedDialogSeam::takeCalls() {
  std::vector<Call> taken;
  taken.swap(calls_);
  return taken;
}

std::vector<ScriptedDialogSeam::Call> ScriptedDialogSeam::callsOf(Kind kind) const {
  std::vector<Call> found;
  for (const Call& c : calls_)
    if (c.kind == kind) found.push_back(c);
  return found;
}

int ScriptedDialogSeam::pendingAnswers() const {
  return static_cast<int>(fileAnswers_.size() + messageAnswers_.size() +
                          newTextureAnswers_.size() + modalAnswers_.size());
}

QString ScriptedDialogSeam::getOpenFileName(QWidget*, const QString& caption,
                                            const QString& initialPath, const QString& filter) {
  calls_.push_back({Kind::OpenFile, caption, initialPath, filter, QMessageBox::NoIcon, {}, {}});
  if (fileAnswers_.empty()) return {};
  QString answer = fileAnswers_.front().path;
  fileAnswers_.pop_front();
  return answer;
}

QString ScriptedDialogSeam::getSaveFileName(QWidget*, const QString& caption,
                                            const QString& initialPath, const QString& filter,
                                            QString* selectedFilter) {
  calls_.push_back({Kind::SaveFile,
                    caption,
                    initialPath,
                    filter,
                    QMessageBox::NoIcon,
                    {},
                    selectedFilter != nullptr ? *selectedFilter : QString()});
  if (fileAnswers_.empty()) return {};
  const FileAnswer answer = fileAnswers_.front();
  fileAnswers_.pop_front();
  if (selectedFilter != nullptr && !answer.chosenType.isEmpty())
    *selectedFilter = answer.chosenType;
  return answer.path;
}

QMessageBox::StandardButton ScriptedDialogSeam::message(QWidget*, QMessageBox::Icon icon,
                                                        const QString& caption,
                                                        const QString& text,
                                                        QMessageBox::StandardButtons buttons) {
  calls_.push_back({Kind::Message, caption, text, {}, icon, buttons, {}});
  if (messageAnswers_.empty())
    return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Cancel;
  const QMessageBox::StandardButton answer = messageAnswers_.front();
  messageAnswers_.pop_front();
  return answer;
}

bool ScriptedDialogSeam::runNewTextureDialog(CNewTextureDlg& dialog) {
  calls_.push_back({Kind::NewTexture, dialog.windowTitle(), {}, {}, QMessageBox::NoIcon, {}, {}});
  dialog.setResult(QDialog::Rejected);
  if (newTextureAnswers_.empty()) return false;
  NewTextureScript script = std::move(newTextureAnswers_.front());
  newTextureAnswers_.pop_front();
  // Shown (not modally) so that focus and painting behave as for the user.
  dialog.show();
  script(dialog);
  if (dialog.isVisible()) dialog.reject();
  return dialog.result() == QDialog::Accepted;
}

int ScriptedDialogSeam::runModal(QDialog& dialog) {
  calls_.push_back({Kind::Modal, dialog.windowTitle(), {}, {}, QMessageBox::NoIcon, {}, {}});
  if (modalAnswers_.empty()) return QDialog::Rejected;
  const int answer = modalAnswers_.front();
  modalAnswers_.pop_front();
  return answer;
}

bool ScriptedDialogSeam::openUrl(const QUrl& url) {
  calls_.push_back({Kind::Url, {}, url.toString(), {}, QMessageBox::NoIcon, {}, {}});
  return urlResult;
}

}  // namespace mottler::ui
