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
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <filesystem>
#include <string>
#include <vector>

#include "document/atomic_file.h"
#include "document/bitmap_export.h"
#include "document/program_file.h"
#include "ui/artwork.h"
#include "ui/control_ids.h"
#include "ui/dialogs/dialog_seam.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/new_texture_dialog.h"
#include "ui/main_dialog.h"

using namespace mottler;
using namespace mottler::ui;

namespace {

std::filesystem::path fsPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The part of a path after its last separator.
QString fileNameOf(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

// The part of a path up to and including its last separator.
QString folderOf(const QString& path) { return path.left(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// The bitmap's path: a chosen path with no ".bmp" anywhere keeps its folder
// and its name up to the name's last "." and gets ".bmp" instead.
QString bitmapPathFor(const QString& chosen) {
  if (chosen.contains(kBitmapExtension)) return chosen;
  QString name = fileNameOf(chosen);
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot >= 0) name.truncate(dot);
  return folderOf(chosen) + name + kBitmapExtension;
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

void CMottlerDlg::markModified() { modified = true; }

void CMottlerDlg::onRemarkEdited(const QString& text) {
  remark = text;
  markModified();
}

bool CMottlerDlg::hasPendingEntry() const {
  // The list shows the committed entries and, while one waits, the pending one.
  return list_->count() > programLength;
}

ProgramDocument CMottlerDlg::committedDocument() const {
  ProgramDocument doc;
  doc.width = documentWidth;
  doc.height = documentHeight;
  doc.seed = seedBar_->value();
  // Single-byte characters; what Latin-1 cannot show becomes '?'.
  const QByteArray bytes = remark.toLatin1().left(kMaxRemarkLength);
  doc.remark.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));

  // Without a pending entry the committed ones are slots 0..programLength-1;
  // with one, they are slots 0..programLength without the pending slot.
  const bool pending = hasPendingEntry();
  const int slotCount = pending ? programLength + 1 : programLength;
  doc.entries.reserve(static_cast<std::size_t>(programLength));
  for (int i = 0; i < slotCount && i < kProgramSlots; ++i) {
    if (pending && i == currentIndex) continue;
    doc.entries.push_back(engine_->entries[static_cast<std::size_t>(i)]);
  }
  return doc;
}

void CMottlerDlg::showDocumentCaption(const QString& fileName) {
  setWindowTitle(title + QStringLiteral(" - ") + fileName);
}

// --- saving -------------------------------------------------------------------

bool CMottlerDlg::writeDocument(const QString& path) {
  std::string error;
  if (!writeProgramFile(fsPath(path), committedDocument(), &error)) {
    showFileError(this, kCouldNotSaveText);
    return false;
  }
  showDocumentCaption(fileNameOf(path));
  setStatusText(QStringLiteral(" ") + path + QStringLiteral(" saved"));
  modified = false;
  return true;
}

bool CMottlerDlg::saveToDocumentPath() {
  if (!hasPath) return saveUnderChosenName();
  return writeDocument(documentPath);
}

bool CMottlerDlg::saveUnderChosenName() {
  QString chosen = askSaveProgram(this, documentPath);
  if (chosen.isEmpty()) return false;
  if (!chosen.contains(QLatin1Char('.'))) chosen += kProgramExtension;
  documentPath = chosen;
  if (!writeDocument(chosen)) return false;
  hasPath = true;
  return true;
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
  if (!modified || programLength == 0) return true;
  switch (askSaveChanges(this, documentPath)) {
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

  CNewTextureDlg dialog(openFolder, this);
  if (!dialogSeam().runNewTextureDialog(dialog)) return;
  documentWidth = dialog.documentWidth();
  documentHeight = dialog.documentHeight();
  documentPath = dialog.documentPath();
  documentName = dialog.documentName();

  engine_->setSize(documentWidth, documentHeight);

  programLength = 0;
  currentIndex = 0;
  newSlotOnChoice = false;
  engine_->entries.fill(ProgramEntry{});

  modified = false;
  seedBar_->setValue(0);
  seedText = QStringLiteral("0");
  zoom = 100;
  zoomText = QStringLiteral("100 %");
  remark.clear();
  autoGenerateBox_->setChecked(true);
  widthText = QString::number(documentWidth);
  heightText = QString::number(documentHeight);

  resetParameterPanel();

  forceRedraw = true;
  generate();

  selectFirstTreeItem();
  tree_->scrollToItem(tree_->topLevelItem(0));

  hasPath = false;
  setStatusText(QStringLiteral("Ready"));
  setSaveCommandsEnabled(false);
  list_->setEnabled(true);
  {
    const QSignalBlocker quiet(list_);
    list_->clear();
  }

  showDocumentCaption(documentName);
  updateControls();
}

// --- open -----------------------------------------------------------------------

void CMottlerDlg::openDocument() {
  const QString chosen = askOpenProgram(this, openFolder + QStringLiteral("*") + kProgramExtension);
  if (chosen.isEmpty()) return;
  openFolder = folderOf(chosen);
  loadDocument(chosen);
}

bool CMottlerDlg::openStartupDocument(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  openFolder = folderOf(absolute);
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

  engine_->entries.fill(ProgramEntry{});
  const int count = static_cast<int>(doc.entries.size());
  for (int i = 0; i < count; ++i) engine_->entries[static_cast<std::size_t>(i)] = doc.entries[static_cast<std::size_t>(i)];
  showDocumentCaption(fileNameOf(path));

  programLength = count;
  currentIndex = programLength;
  newSlotOnChoice = false;
  documentWidth = doc.width;
  documentHeight = doc.height;
  resetParameterPanel();
  engine_->setSize(documentWidth, documentHeight);
  selectFirstTreeItem();
  tree_->scrollToItem(tree_->topLevelItem(0));
  widthText = QString::number(documentWidth);
  heightText = QString::number(documentHeight);
  seedBar_->setValue(doc.seed);
  seedText = QString::number(doc.seed);
  zoom = 100;
  zoomText = QStringLiteral("100 %");
  remark = QString::fromLatin1(doc.remark.data(), static_cast<qsizetype>(doc.remark.size()));
  setSaveCommandsEnabled(true);
  list_->setEnabled(true);
  updateControls();
  generate();

  {
    const QSignalBlocker quiet(list_);
    list_->clear();
  }
  for (int i = 0; i < count; ++i) {
    const ProgramEntry& entry = engine_->entries[static_cast<std::size_t>(i)];
    const std::optional<int> record = catalogue_.indexOfCode(entry.code & 0xFFu);
    const CommandInfo* info = record ? &catalogue_.info(*record) : nullptr;
    const QString name = info != nullptr ? text(info->name) : QString();
    const int image = entry.disabled != 0 ? kDisabledEntryImage : (info != nullptr ? info->category : 0);
    insertListItem(i, name, image);
  }

  setStatusText(QStringLiteral(" ") + path + QStringLiteral(" loaded"));
  documentPath = path;
  modified = false;
  hasPath = true;
  return true;
}

// --- export ---------------------------------------------------------------------

void CMottlerDlg::exportBitmap() {
  const QString chosen = askExportBitmap(this, documentPath);
  if (chosen.isEmpty()) return;
  const QString path = bitmapPathFor(chosen);
  if (!folderTakesFile(path)) {
    showFileError(this, kCouldNotSaveText);
    return;
  }

  // The whole program runs first, so the file matches the current program
  // even with "Auto Generate" off; the file holds the texture whatever
  // "Look Buffer" shows.
  forceRedraw = true;
  generate();

  const std::vector<std::uint8_t> bytes = encodeBitmap(*engine_, engine_->texture);
  std::string error;
  if (!writeFileAtomically(fsPath(path), bytes, &error)) {
    showFileError(this, kCouldNotSaveText);
    return;
  }
  setStatusText(QStringLiteral(" ") + path + QStringLiteral(" saved"));
}

// --- exit -----------------------------------------------------------------------

void CMottlerDlg::closeDocument() {
  if (ending_) return;
  if (!saveChangesPrompt()) return;
  endDialog();
}
