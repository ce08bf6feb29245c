// Commands of the File menu and the document's state: New, Open, Save,
// Save As, Export and Exit, the prompt that protects unsaved changes, the
// caption and the status texts.
//
// Files are never opened for writing in place: program files and bitmaps go
// to a temporary file beside the target that is renamed over it only when
// every byte was written, so a failed save leaves the old file as it was.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/atomic_file.h"
#include "document/bitmap_export.h"
#include "document/file_names.h"
#include "document/program_file.h"
#include "ui/control_ids.h"
#include "ui/dialogs/dialog_seam.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/export_size_dialog.h"
#include "ui/dialogs/new_texture_dialog.h"
#include "ui/edit_history.h"
#include "ui/main_dialog.h"
#include "ui/remark_box.h"

using namespace mottler;
using namespace mottler::ui;

namespace {


QString fileNameOf(const QString& path) { return QString::fromStdString(mottler::fileNameOf(path.toStdString())); }

PictureType pictureTypeOf(ExportType type) {
  return type == ExportType::Png ? PictureType::Png : PictureType::Bitmap;
}


// Whether a file could be put at path at all: its folder exists and takes
// files, the path is not a folder itself, and a file already there may be
// written.
bool folderTakesFile(const QString& path) {
  const QFileInfo target(path);
  const QFileInfo folder(target.absolutePath());
  return folder.isDir() && folder.isWritable() && !target.isDir() &&
         (!target.exists() || target.isWritable());
}

}  // namespace

// --- document state ---------------------------------------------------------

void CMottlerDlg::onRemarkEdited(const QString& text) {
  // The box takes only characters a program file can hold.
  const std::optional<std::string> bytes = remarkBytes(text);
  if (!bytes) {
    showModel();
    return;
  }
  apply(model_.setRemark(*bytes));
}

void CMottlerDlg::showDocumentCaption(const QString& fileName) {
  setWindowTitle(title_ + QStringLiteral(" - ") + fileName);
}

// What New and Open share once the model holds the new document: the old
// document's runs stop and its picture goes, the zoom goes back to 100 %,
// the undo history starts afresh, the tree shows "Generate", and every
// control shows the document.
void CMottlerDlg::showFreshDocument() {
  zoom_ = 100;
  leaveDocument();
  history_->clear();
  selectFirstTreeItem();
  tree_->scrollToItem(tree_->topLevelItem(0));
  showModel();
}

// --- what the document commands ask and show ---------------------------------

mottler::DocumentView::Answer CMottlerDlg::askSaveChanges(const std::string& documentPath) {
  switch (ui::askSaveChanges(this, QString::fromStdString(documentPath))) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

std::string CMottlerDlg::askSavePath(const std::string& initialPath) {
  return askSaveProgram(this, QString::fromStdString(initialPath)).toStdString();
}

std::string CMottlerDlg::askOpenPath(const std::string& initialPath) {
  return askOpenProgram(this, QString::fromStdString(initialPath)).toStdString();
}

void CMottlerDlg::showFileError(const std::string& text) {
  ui::showFileError(this, QString::fromStdString(text));
}

void CMottlerDlg::documentSaved(const std::string& path) {
  const QString saved = QString::fromStdString(path);
  showDocumentCaption(fileNameOf(saved));
  setStatusText(QStringLiteral(" ") + saved + QStringLiteral(" saved"));
  history_->markClean();
}

void CMottlerDlg::documentOpened(const std::string& path) {
  const QString opened = QString::fromStdString(path);
  showDocumentCaption(fileNameOf(opened));
  showFreshDocument();
  generate();
  setStatusText(QStringLiteral(" ") + opened + QStringLiteral(" loaded"));
}

void CMottlerDlg::saveDocument() {
  // Greyed while a chosen command waits to be added; the key then does nothing.
  if (!menuCommand(IdFileSave)->isEnabled()) return;
  documents_.save();
}

void CMottlerDlg::saveDocumentAs() {
  if (!menuCommand(IdFileSaveAs)->isEnabled()) return;
  documents_.saveAs();
}

// --- new ------------------------------------------------------------------------

void CMottlerDlg::newDocument() {
  if (!documents_.saveChangesPrompt()) return;

  CNewTextureDlg dialog(openFolder(), this);
  if (!dialogSeam().runNewTextureDialog(dialog)) return;
  model_.newDocument(dialog.documentWidth(), dialog.documentHeight(), dialog.documentName().toStdString(),
                     dialog.documentPath().toStdString());
  autoGenerateBox_->setChecked(true);
  showFreshDocument();

  // The empty texture shows even with "Auto Generate" off.
  forceRedraw_ = true;
  generate();

  setStatusText(QStringLiteral("Ready"));
  showDocumentCaption(dialog.documentName());
}

// --- open -----------------------------------------------------------------------

void CMottlerDlg::openDocument() { documents_.open(); }

// A program file dropped on the window opens as Open opens it, after the
// prompt that protects unsaved changes.
void CMottlerDlg::openDroppedDocument(const QString& path) {
  if (ending_ || !documents_.saveChangesPrompt()) return;
  documents_.openFile(QFileInfo(path).absoluteFilePath().toStdString());
}

bool CMottlerDlg::openStartupDocument(const QString& path) {
  return documents_.openFile(QFileInfo(path).absoluteFilePath().toStdString());
}

// --- export ---------------------------------------------------------------------

// Export asks for a path, then runs the program as it is now and writes the
// picture when the run has finished: the window goes on meanwhile, and edits
// made in the meantime do not reach the file.  The file holds the texture
// whatever "Look Buffer" shows.
void CMottlerDlg::exportBitmap() {
  const ExportChoice chosen = askExportPicture(this, QString::fromStdString(documents_.exportSuggestion()));
  if (chosen.path.isEmpty()) return;
  // A typed name ending in a type we write decides the type; the filter
  // decides only for a name without one.
  const PicturePath picture = documents_.exportPathFor(chosen.path.toStdString(), pictureTypeOf(chosen.type));
  const QString path = QString::fromStdString(picture.path);
  if (!folderTakesFile(path)) {
    ui::showFileError(this, kCouldNotSaveText);
    return;
  }
  // The whole program runs, even with "Auto Generate" off, so that the file
  // and the preview show the current program.
  startRun(path, picture.type);
  forceRedraw_ = false;
  redrawOnly_ = false;
}

void CMottlerDlg::exportAtSize() {
  CExportSizeDlg::Job job{model_.runSlots(), model_.seed(), model_.width(), model_.height()};
  // The name Export would suggest, without its extension: the dialog adds
  // the one of the type chosen there.
  QString suggestion = QString::fromStdString(documents_.exportSuggestion());
  const qsizetype slash = suggestion.lastIndexOf(QLatin1Char('/'));
  if (const qsizetype dot = suggestion.lastIndexOf(QLatin1Char('.')); dot > slash + 1)
    suggestion.truncate(dot);
  auto* dialog = new CExportSizeDlg(std::move(job), suggestion, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &CExportSizeDlg::closeUpRequested, this, &CMottlerDlg::showCloseUpAt);
  dialog->show();
}

// --- exit -----------------------------------------------------------------------

void CMottlerDlg::closeDocument() {
  if (ending_) return;
  if (!documents_.saveChangesPrompt()) return;
  endDialog();
}
