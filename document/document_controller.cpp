#include "document/document_controller.h"

#include <filesystem>

#include "document/file_messages.h"
#include "document/program_file.h"

namespace mottler {

namespace {

std::filesystem::path fsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

bool DocumentController::saveChangesPrompt() {
  // An empty program is never saved by the prompt, whatever changed.
  if (!model_.modified() || model_.programLength() == 0) return true;
  switch (view_.askSaveChanges(model_.documentPath())) {
    case DocumentView::Answer::No:
      return true;
    case DocumentView::Answer::Yes:
      // Only a save that reached the disk lets the command go on: a failed
      // save or a cancelled Save As keeps the document as it was.
      return save();
    case DocumentView::Answer::Cancel:
      break;
  }
  return false;
}

bool DocumentController::save() {
  if (!model_.hasPath()) return saveAs();
  return write(model_.documentPath());
}

bool DocumentController::saveAs() {
  const std::string asked = view_.askSavePath(model_.documentPath());
  if (asked.empty()) return false;
  const std::string chosen = programPathFor(asked);
  model_.setDocumentPath(chosen);
  return write(chosen);
}

bool DocumentController::write(const std::string& path) {
  std::string error;
  if (!writeProgramFile(fsPath(path), model_.committedDocument(), &error)) {
    view_.showFileError(kSaveFailedMessage);
    return false;
  }
  model_.documentSaved(path);
  // Open starts in the folder of the document from now on.
  openFolder_ = folderOf(path);
  view_.documentSaved(path);
  return true;
}

bool DocumentController::open() {
  const std::string chosen = view_.askOpenPath(openFolder_ + "*.mlr");
  if (chosen.empty()) return false;
  return openFile(chosen);
}

bool DocumentController::openFile(const std::string& path) {
  // The folder is taken even when the file then fails to load.
  openFolder_ = folderOf(path);
  // The file is read and checked completely before anything of the current
  // document changes.
  ProgramDocument doc;
  const ReadStatus status = readProgramFile(fsPath(path), doc);
  if (status != ReadStatus::Ok) {
    view_.showFileError(readStatusMessage(status));
    return false;
  }
  model_.openDocument(doc, path);
  view_.documentOpened(path);
  return true;
}

std::string DocumentController::exportSuggestion() const {
  return mottler::exportSuggestion(model_.documentPath(), exportFolder_);
}

PicturePath DocumentController::exportPathFor(const std::string& chosen, PictureType filter) {
  PicturePath picture = picturePathFor(chosen, filter);
  exportFolder_ = folderOf(picture.path);
  return picture;
}

}  // namespace mottler
