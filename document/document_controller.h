// The file commands of the editor's one document without a window: Save,
// Save As, Open and the prompt that protects unsaved changes, with the
// folders Open and Export start in.  Whatever must be asked or shown goes
// through DocumentView, which a window (or a test) provides.  Paths are
// UTF-8, "/" separating folders.
#pragma once

#include <string>

#include "document/editor_model.h"
#include "document/file_names.h"

namespace mottler {

class DocumentView {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~DocumentView() = default;
  // "Save changes to PATH?" with Yes, No and Cancel.
  virtual Answer askSaveChanges(const std::string& documentPath) = 0;
  // A file dialog; an empty path means cancelled.
  virtual std::string askSavePath(const std::string& initialPath) = 0;
  virtual std::string askOpenPath(const std::string& initialPath) = 0;
  // "File could not be saved", "Unable to open file", ...
  virtual void showFileError(const std::string& text) = 0;
  // The document was written to path (the model says so already).
  virtual void documentSaved(const std::string& path) = 0;
  // The model holds the document read from path.
  virtual void documentOpened(const std::string& path) = 0;
};

class DocumentController {
 public:
  DocumentController(EditorModel& model, DocumentView& view) : model_(model), view_(view) {}

  // Asks about unsaved changes of a program with entries.  True: the
  // command that asked goes on (nothing to save, No, or Yes and the save
  // reached the disk); false: it stops (Cancel, or a save that failed or
  // was cancelled: nothing is lost).
  bool saveChangesPrompt();

  // Save: to the document's path, or as Save As when it has none.
  bool save();
  // Save As: asks for a path (".mlr" added to a name without a dot).
  bool saveAs();
  // Open: asks for a program file in the open folder.
  bool open();
  // Opens a named file (Open, a dropped file, the command line).  A file
  // that cannot be read leaves the document exactly as it was.
  bool openFile(const std::string& path);

  // Where Open starts and New places its document; where Export starts.
  const std::string& openFolder() const { return openFolder_; }
  void setOpenFolder(std::string folder) { openFolder_ = std::move(folder); }
  // The path Export suggests, and what it writes for a chosen path and
  // filter (the export folder follows the written file).
  std::string exportSuggestion() const;
  PicturePath exportPathFor(const std::string& chosen, PictureType filter);

 private:
  bool write(const std::string& path);

  EditorModel& model_;
  DocumentView& view_;
  std::string openFolder_;
  std::string exportFolder_;
};

}  // namespace mottler
