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
#include "ui/dialogs/new_texture_dialog.h"
#include "ui/edit_history.h"
#include "ui/main_dialog.h"
#include "ui/remark_box.h"

using namespace mottler;
using namespace mottler::ui;

namespace {

std::filesystem::path fsPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString fileNameOf(const QString& path) { return QString::fromStdString(mottler::fileNameOf(path.toStdString())); }
QString folderOf(const QString& path) { return QString::fromStdString(mottler::folderOf(path.toStdString())); }

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

// --- saving -------------------------------------------------------------------

bool CMottlerDlg::writeDocument(const QString& path) {
  std::string error;
  if (!writeProgramFile(fsPath(path), model_.committedDocument(), &error)) {
    showFileError(this, kCouldNotSaveText);
    return false;
  }
  showDocumentCaption(fileNameOf(path));
  setStatusText(QStringLiteral(" ") + path + QStringLiteral(" saved"));
  model_.documentSaved(path.toStdString());
  // Open starts in the folder of the document from now on.
  openFolder_ = folderOf(path);
  history_->markClean();
  return true;
}

bool CMottlerDlg::saveToDocumentPath() {
  if (!model_.hasPath()) return saveUnderChosenName();
  return writeDocument(QString::fromStdString(model_.documentPath()));
}

bool CMottlerDlg::saveUnderChosenName() {
  const QString asked = askSaveProgram(this, QString::fromStdString(model_.documentPath()));
  if (asked.isEmpty()) return false;
  const QString chosen = QString::fromStdString(programPathFor(asked.toStdString()));
  model_.setDocumentPath(chosen.toStdString());
  return writeDocument(chosen);
}

void CMottlerDlg::saveDocument() {
  // Greyed while a chosen command waits to be added; the key then does nothing.
  if (!menuCommand(IdFileSave)->isEnabled()) return;
  saveToDocumentPath();
}

void CMottlerDlg::saveDocumentAs() {
  if (!menuCommand(IdFileSaveAs)->isEnabled()) return;
  saveUnderChosenName();
}

bool CMottlerDlg::saveChangesPrompt() {
  // An empty program is never saved by the prompt, whatever changed.
  if (!model_.modified() || model_.programLength() == 0) return true;
  switch (askSaveChanges(this, QString::fromStdString(model_.documentPath()))) {
    case QMessageBox::No:
      return true;
    case QMessageBox::Yes:
      // Only a save that reached the disk lets the New or the close go on:
      // a failed save or a cancelled Save As keeps the window as it was.
      return saveToDocumentPath();
    default:
      return false;
  }
}

// --- new ------------------------------------------------------------------------

void CMottlerDlg::newDocument() {
  if (!saveChangesPrompt()) return;

  CNewTextureDlg dialog(openFolder_, this);
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

void CMottlerDlg::openDocument() {
  const QString chosen = askOpenProgram(this, openFolder_ + QStringLiteral("*") + kProgramExtension);
  if (chosen.isEmpty()) return;
  openFolder_ = folderOf(chosen);
  loadDocument(chosen);
}

// A program file dropped on the window opens as Open opens it, after the
// prompt that protects unsaved changes.
void CMottlerDlg::openDroppedDocument(const QString& path) {
  if (ending_ || !saveChangesPrompt()) return;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  openFolder_ = folderOf(absolute);
  loadDocument(absolute);
}

bool CMottlerDlg::openStartupDocument(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  openFolder_ = folderOf(absolute);
  return loadDocument(absolute);
}

bool CMottlerDlg::loadDocument(const QString& path) {
  // The file is read and checked completely before anything of the current
  // document changes; a refused file leaves it exactly as it was.
  ProgramDocument doc;
  const ReadStatus status = readProgramFile(fsPath(path), doc);
  if (status != ReadStatus::Ok) {
    showFileError(this, QString::fromLatin1(readStatusMessage(status)));
    return false;
  }
  model_.openDocument(doc, path.toStdString());
  showDocumentCaption(fileNameOf(path));
  showFreshDocument();
  generate();
  setStatusText(QStringLiteral(" ") + path + QStringLiteral(" loaded"));
  return true;
}

// --- export ---------------------------------------------------------------------

// Export asks for a path, then runs the program as it is now and writes the
// picture when the run has finished: the window goes on meanwhile, and edits
// made in the meantime do not reach the file.  The file holds the texture
// whatever "Look Buffer" shows.
void CMottlerDlg::exportBitmap() {
  const ExportChoice chosen = askExportPicture(
      this, QString::fromStdString(exportSuggestion(model_.documentPath(), exportFolder_.toStdString())));
  if (chosen.path.isEmpty()) return;
  // A typed name ending in a type we write decides the type; the filter
  // decides only for a name without one.
  const PicturePath picture = picturePathFor(chosen.path.toStdString(), pictureTypeOf(chosen.type));
  const QString path = QString::fromStdString(picture.path);
  exportFolder_ = folderOf(path);
  if (!folderTakesFile(path)) {
    showFileError(this, kCouldNotSaveText);
    return;
  }
  // The whole program runs, even with "Auto Generate" off, so that the file
  // and the preview show the current program.
  startRun(path, picture.type);
  forceRedraw_ = false;
  redrawOnly_ = false;
}

// --- exit -----------------------------------------------------------------------

void CMottlerDlg::closeDocument() {
  if (ending_) return;
  if (!saveChangesPrompt()) return;
  endDialog();
}
