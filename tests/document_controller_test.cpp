// The file commands without a window: the save prompt, Save, Save As and
// Open, driven through a scripted view that answers the questions.
#include "document/document_controller.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/program_file.h"
#include "temp_dir.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

class ScriptedView : public DocumentView {
 public:
  std::deque<Answer> answers;
  std::deque<std::string> paths;  // for the file dialogs; "" cancels
  std::vector<std::string> asked;  // what was asked, in order
  std::vector<std::string> errors;
  std::vector<std::string> saved;
  std::vector<std::string> opened;

  Answer askSaveChanges(const std::string& path) override {
    asked.push_back("prompt " + path);
    return take(answers, Answer::Cancel);
  }
  std::string askSavePath(const std::string& initial) override {
    asked.push_back("save " + initial);
    return take(paths, std::string());
  }
  std::string askOpenPath(const std::string& initial) override {
    asked.push_back("open " + initial);
    return take(paths, std::string());
  }
  void showFileError(const std::string& text) override { errors.push_back(text); }
  void documentSaved(const std::string& path) override { saved.push_back(path); }
  void documentOpened(const std::string& path) override { opened.push_back(path); }

 private:
  template <class T>
  static T take(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) return otherwise;
    T front = queue.front();
    queue.pop_front();
    return front;
  }
};

class DocumentCommandsWithoutAWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = dir.path.string() + "/";
    documents.setOpenFolder(folder);
    model.setDocumentPath(folder + "Untitled.mlr");
  }

  // One committed entry, and the document changed.
  void edit() {
    model.chooseCommand(*CommandCatalogue().indexOfName("Plasma"));
    model.add();
  }

  TempDir dir;
  std::string folder;
  EditorModel model;
  ScriptedView view;
  DocumentController documents{model, view};
};

}  // namespace

TEST_F(DocumentCommandsWithoutAWindow, ThePromptAsksOnlyAboutAProgramWithChanges) {
  EXPECT_TRUE(documents.saveChangesPrompt());  // nothing changed
  model.setRemark("only the remark");
  EXPECT_TRUE(documents.saveChangesPrompt());  // an empty program is never saved
  EXPECT_TRUE(view.asked.empty());

  edit();
  view.answers = {DocumentView::Answer::Cancel, DocumentView::Answer::No};
  EXPECT_FALSE(documents.saveChangesPrompt());
  EXPECT_TRUE(documents.saveChangesPrompt());
  EXPECT_EQ(view.asked, (std::vector<std::string>{"prompt " + folder + "Untitled.mlr",
                                                  "prompt " + folder + "Untitled.mlr"}));
  EXPECT_TRUE(view.saved.empty());
}

TEST_F(DocumentCommandsWithoutAWindow, YesSavesAndOnlyASaveThatReachedTheDiskGoesOn) {
  edit();
  // Yes on an untitled document asks for a name; cancelling it stops the
  // command, so nothing is lost.
  view.answers = {DocumentView::Answer::Yes};
  EXPECT_FALSE(documents.saveChangesPrompt());
  EXPECT_TRUE(model.modified());

  // A folder that is not there: the save fails, the error is shown, and the
  // command stops.
  view.answers = {DocumentView::Answer::Yes};
  view.paths = {folder + "missing/cave"};
  EXPECT_FALSE(documents.saveChangesPrompt());
  EXPECT_EQ(view.errors, std::vector<std::string>{"File could not be saved"});
  EXPECT_TRUE(model.modified());

  view.answers = {DocumentView::Answer::Yes};
  view.paths = {folder + "cave"};
  EXPECT_TRUE(documents.saveChangesPrompt());
  EXPECT_TRUE(fs::exists(folder + "cave.mlr"));
  EXPECT_EQ(view.saved, std::vector<std::string>{folder + "cave.mlr"});
  EXPECT_FALSE(model.modified());
  EXPECT_TRUE(model.hasPath());
  // Save now writes there without asking.
  const std::size_t questions = view.asked.size();
  EXPECT_TRUE(documents.save());
  EXPECT_EQ(view.asked.size(), questions);
}

TEST_F(DocumentCommandsWithoutAWindow, SaveAsNamesAndOpenFolders) {
  edit();
  fs::create_directory(folder + "j.smith");
  view.paths = {folder + "j.smith/cave", folder + "j.smith/name.txt"};
  EXPECT_TRUE(documents.saveAs());
  EXPECT_TRUE(documents.saveAs());
  EXPECT_TRUE(fs::exists(folder + "j.smith/cave.mlr"));
  EXPECT_TRUE(fs::exists(folder + "j.smith/name.txt"));
  EXPECT_EQ(model.documentPath(), folder + "j.smith/name.txt");
  EXPECT_EQ(documents.openFolder(), folder + "j.smith/");
}

TEST_F(DocumentCommandsWithoutAWindow, AFileThatCannotBeReadLeavesTheDocumentAsItWas) {
  edit();
  const std::string before = model.documentPath();
  fs::create_directory(folder + "other");
  { std::ofstream(folder + "other/bad.mlr") << "not a program"; }
  view.paths = {folder + "other/bad.mlr"};
  EXPECT_FALSE(documents.open());
  EXPECT_EQ(view.asked.back(), "open " + folder + "*.mlr");
  EXPECT_EQ(view.errors, std::vector<std::string>{"File format not supported"});
  EXPECT_EQ(model.documentPath(), before);
  EXPECT_EQ(model.programLength(), 1);
  EXPECT_EQ(documents.openFolder(), folder + "other/");  // taken even so
  EXPECT_FALSE(documents.openFile(folder + "none.mlr"));
  EXPECT_EQ(view.errors.back(), "Unable to open file");

  // A good file: the model holds it, with its path and no changes.
  ProgramDocument doc;
  doc.seed = 42;
  ASSERT_TRUE(writeProgramFile(folder + "good.mlr", doc));
  EXPECT_TRUE(documents.openFile(folder + "good.mlr"));
  EXPECT_EQ(view.opened, std::vector<std::string>{folder + "good.mlr"});
  EXPECT_EQ(model.seed(), 42);
  EXPECT_FALSE(model.modified());
  EXPECT_TRUE(model.hasPath());
}

TEST_F(DocumentCommandsWithoutAWindow, ExportStartsWhereTheLastExportWent) {
  model.setDocumentPath(folder + "cave.mlr");
  EXPECT_EQ(documents.exportSuggestion(), folder + "cave.mlr");
  const PicturePath p = documents.exportPathFor("/pictures/exp.png", PictureType::Bitmap);
  EXPECT_EQ(p.path, "/pictures/exp.png");
  EXPECT_EQ(p.type, PictureType::Png);
  EXPECT_EQ(documents.exportSuggestion(), "/pictures/cave.mlr");
}
