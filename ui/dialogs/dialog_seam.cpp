#include "ui/dialogs/dialog_seam.h"

#include <QDesktopServices>
#include <QFileDialog>

#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/new_texture_dialog.h"

namespace mottler::ui {

namespace {

QtDialogSeam& realSeam() {
  static QtDialogSeam seam;
  return seam;
}

DialogSeam* installedSeam = nullptr;

}  // namespace

QString QtDialogSeam::getOpenFileName(QWidget* parent, const QString& caption,
                                      const QString& initialPath, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, caption, initialPath, filter);
}

QString QtDialogSeam::getSaveFileName(QWidget* parent, const QString& caption,
                                      const QString& initialPath, const QString& filter,
                                      QString* selectedFilter) {
  // The dialog only accepts paths in existing folders; no overwrite question.
  return QFileDialog::getSaveFileName(parent, caption, initialPath, filter, selectedFilter,
                                      QFileDialog::DontConfirmOverwrite);
}

QMessageBox::StandardButton QtDialogSeam::message(QWidget* parent, QMessageBox::Icon icon,
                                                  const QString& caption, const QString& text,
                                                  QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, caption, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool QtDialogSeam::runNewTextureDialog(CNewTextureDlg& dialog) {
  return dialog.exec() == QDialog::Accepted;
}

int QtDialogSeam::runModal(QDialog& dialog) { return dialog.exec(); }

bool QtDialogSeam::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

DialogSeam& dialogSeam() { return installedSeam ? *installedSeam : realSeam(); }

DialogSeam* setDialogSeam(DialogSeam* seam) {
  DialogSeam* previous = installedSeam;
  installedSeam = seam;
  return previous;
}

QString askOpenProgram(QWidget* parent, const QString& initialPath) {
  return dialogSeam().getOpenFileName(parent, QStringLiteral("Open"), initialPath, kProgramFilters);
}

QString askSaveProgram(QWidget* parent, const QString& initialPath) {
  return dialogSeam().getSaveFileName(parent, QStringLiteral("Save As"), initialPath,
                                      kProgramFilters);
}

ExportChoice askExportPicture(QWidget* parent, const QString& initialPath) {
  // The bitmap is the type offered first.
  QString chosenType = kBitmapFilter;
  ExportChoice choice;
  choice.path = dialogSeam().getSaveFileName(parent, QStringLiteral("Export"), initialPath,
                                             kExportFilters, &chosenType);
  choice.type = chosenType == kPngFilter ? ExportType::Png : ExportType::Bitmap;
  return choice;
}

void showFileError(QWidget* parent, const QString& text) {
  dialogSeam().message(parent, QMessageBox::Warning, kErrorCaption, text, QMessageBox::Ok);
}

QMessageBox::StandardButton askSaveChanges(QWidget* parent, const QString& documentPath) {
  return dialogSeam().message(parent, QMessageBox::Warning, kAppName,
                              saveChangesText(documentPath),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

}  // namespace mottler::ui
