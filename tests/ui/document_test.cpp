// The document commands of the main window: what New, Open, Save, Save As
// and Export put on disk and into the window, the modified flag, the save
// prompt before New and Exit, and the Help menu.  Every dialog is answered
// by a scripted seam.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <vector>

#include "document/bitmap_export.h"
#include "document/program_file.h"
#include "ui/artwork.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/external_links.h"
#include "ui/dialogs/scripted_dialog_seam.h"
#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;
using Kind = ScriptedDialogSeam::Kind;

namespace {

std::vector<std::uint8_t> bytesOf(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = file.readAll();
  return {data.begin(), data.end()};
}

void writeBytes(const QString& path, const QByteArray& data) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(data);
}

QString label(CMottlerDlg& dlg, int id) { return dlg.control<QLabel>(id)->text(); }

bool sameImage(const QIcon& a, const QIcon& b) {
  return a.pixmap(kStripImageSize, kStripImageSize).toImage() == b.pixmap(kStripImageSize, kStripImageSize).toImage();
}

class DocumentCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // Active, so that the accelerators reach the window.
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  }

  QString at(const QString& name) const { return dir.filePath(name); }
  void trigger(int id) { mottler::ui::testing::trigger(dlg, id); }

  void compose(const QStringList& names) {
    for (const QString& name : names) {
      choose(dlg, name);
      press(dlg, IdAdd);
    }
  }

  // The first committed entries of the program.
  std::vector<ProgramEntry> entries(int count) {
    const std::vector<ProgramEntry> all = dlg.model().committedDocument().entries;
    return {all.begin(), all.begin() + std::min<std::size_t>(all.size(), count)};
  }

  ProgramDocument document(std::vector<ProgramEntry> list, int seed = 0, std::string remark = {},
                           int width = 256, int height = 256) {
    ProgramDocument doc;
    doc.width = width;
    doc.height = height;
    doc.seed = seed;
    doc.remark = std::move(remark);
    doc.entries = std::move(list);
    return doc;
  }

  // Saves the current program under a chosen name.
  void saveAs(const QString& path) {
    seam.answerFile(path);
    trigger(IdFileSaveAs);
  }

  std::vector<ScriptedDialogSeam::Call> messages() { return seam.callsOf(Kind::Message); }

  QTemporaryDir dir;
  ScriptedDialogSeam seam;
  CMottlerDlg dlg;
};

// --- saving ---------------------------------------------------------------------

TEST_F(DocumentCommands, SaveAsWritesTheDocumentByteForByteThenSaveWritesBackWithoutAsking) {
  compose({"Plasma", "Worms"});
  selectEntry(dlg, 1);
  press(dlg, IdState);  // Worms switched off
  drag(dlg, IdSeedBar, 1234);
  // The remark is stored in Windows-1252: "é", "€" and "ß" are one byte each;
  // a character that code page cannot hold is refused, never replaced.
  QLineEdit* remark = dlg.control<QLineEdit>(IdRemark);
  QInputMethodEvent typed;
  typed.setCommitString(QString::fromUtf8("caf\u00e9 \u20ac\u00df"));
  QApplication::sendEvent(remark, &typed);
  QInputMethodEvent refused;
  refused.setCommitString(QString::fromUtf8(" \u2603"));
  QApplication::sendEvent(remark, &refused);
  EXPECT_EQ(remark->text(), QString::fromUtf8("caf\u00e9 \u20ac\u00df"));
  const std::string stored = "caf\xE9 \x80\xDF";
  ASSERT_TRUE(dlg.model().modified());
  const QString untitled = documentPath(dlg);

  // A name typed without a dot gets ".mlr".
  saveAs(at("cave"));
  const QString path = at("cave.mlr");
  const auto expected = encodeProgram(document(entries(2), 1234, stored));
  EXPECT_EQ(bytesOf(path), expected);
  ASSERT_EQ(expected.size(), 156u + 2 * 48u);
  EXPECT_EQ(expected[156 + 48 + 36], 1);  // the switched-off entry
  ASSERT_EQ(seam.callsOf(Kind::SaveFile).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::SaveFile)[0].text, untitled);
  EXPECT_EQ(seam.callsOf(Kind::SaveFile)[0].filter, kProgramFilters);
  EXPECT_EQ(dlg.windowTitle(), "Mottler - cave.mlr");
  EXPECT_EQ(dlg.statusText(), " " + path + " saved");
  EXPECT_EQ(documentPath(dlg), path);
  EXPECT_TRUE(dlg.model().hasPath());
  EXPECT_FALSE(dlg.model().modified());

  // Save writes to the same path without a dialog.
  step(dlg, IdSeedBar, QAbstractSlider::SliderSingleStepAdd);
  EXPECT_TRUE(dlg.model().modified());
  trigger(IdFileSave);
  EXPECT_EQ(seam.callsOf(Kind::SaveFile).size(), 1u);
  EXPECT_EQ(bytesOf(path), encodeProgram(document(entries(2), 1235, stored)));
  EXPECT_FALSE(dlg.model().modified());

  // A name with a dot keeps it.
  saveAs(at("name.txt"));
  EXPECT_TRUE(QFile::exists(at("name.txt")));
  EXPECT_FALSE(QFile::exists(at("name.txt.mlr")));
  EXPECT_EQ(dlg.windowTitle(), "Mottler - name.txt");
  EXPECT_TRUE(messages().empty());
}

TEST_F(DocumentCommands, AFailedSaveKeepsTheGoodFileAndTheModifiedFlag) {
  compose({"Plasma"});
  saveAs(at("good.mlr"));
  const auto good = bytesOf(at("good.mlr"));
  ASSERT_FALSE(good.empty());

  drag(dlg, IdSeedBar, 99);
  // A folder that does not exist: nothing can be written there.
  saveAs(at("missing/bad.mlr"));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].caption, "Error");
  EXPECT_EQ(messages()[0].text, "File could not be saved");
  EXPECT_EQ(messages()[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(dlg.model().modified());
  EXPECT_EQ(dlg.windowTitle(), "Mottler - good.mlr");
  EXPECT_NE(dlg.statusText(), " " + at("missing/bad.mlr") + " saved");
  EXPECT_EQ(bytesOf(at("good.mlr")), good);
  EXPECT_FALSE(QDir(at("missing")).exists());
}

TEST_F(DocumentCommands, ARemarkComesBackAsTypedAndUnknownBytesSurvive) {
  const QString typed = QString::fromUtf8("Gr\u00fc\u00dfe \u20ac \u00e9 \u2018q\u2019");
  QInputMethodEvent typing;
  typing.setCommitString(typed);
  QApplication::sendEvent(dlg.control<QLineEdit>(IdRemark), &typing);
  compose({"Plasma"});
  saveAs(at("remark.mlr"));
  EXPECT_EQ(dlg.model().remark(), "Gr\xFC\xDF" "e \x80 \xE9 \x91q\x92");

  seam.answerNewTexture(ScriptedDialogSeam::typeAndOk("other", "256", "256"));
  trigger(IdFileNew);
  EXPECT_EQ(dlg.control<QLineEdit>(IdRemark)->text(), "");
  seam.answerFile(at("remark.mlr"));
  trigger(IdFileOpen);
  EXPECT_EQ(dlg.control<QLineEdit>(IdRemark)->text(), typed);

  // A byte the code page leaves unassigned is kept as it was.
  ProgramDocument odd = document({}, 0, "a\x81z");
  ASSERT_TRUE(writeProgramFile(std::filesystem::path(at("odd.mlr").toStdString()), odd));
  seam.answerFile(at("odd.mlr"));
  trigger(IdFileOpen);
  QFile::remove(at("odd.mlr"));
  trigger(IdFileSave);
  EXPECT_EQ(bytesOf(at("odd.mlr")), encodeProgram(odd));
  EXPECT_TRUE(messages().empty());
}

// --- the modified flag ------------------------------------------------------------

TEST_F(DocumentCommands, ModifiedFollowsTheEditsThatChangeTheDocument) {
  EXPECT_FALSE(dlg.model().modified());
  step(dlg, IdZoomBar, QAbstractSlider::SliderSingleStepAdd);
  EXPECT_FALSE(dlg.model().modified()) << "zoom is no part of the document";
  choose(dlg, "Generate");
  EXPECT_FALSE(dlg.model().modified()) << "a category chooses nothing";

  choose(dlg, "Plasma");
  EXPECT_TRUE(dlg.model().modified());
  press(dlg, IdAdd);
  saveAs(at("m.mlr"));
  EXPECT_FALSE(dlg.model().modified());

  selectEntry(dlg, 0);
  EXPECT_TRUE(dlg.model().modified()) << "a list selection counts, even without a change";
  trigger(IdFileSave);
  EXPECT_FALSE(dlg.model().modified());

  step(dlg, IdSeedBar, QAbstractSlider::SliderSingleStepAdd);
  EXPECT_TRUE(dlg.model().modified());
  trigger(IdFileSave);
  QTest::keyClicks(dlg.control<QLineEdit>(IdRemark), "r");
  EXPECT_TRUE(dlg.model().modified());
  trigger(IdFileSave);

  // Loading puts a remark into the box: that is no edit.
  seam.answerFile(at("m.mlr"));
  trigger(IdFileOpen);
  EXPECT_EQ(dlg.control<QLineEdit>(IdRemark)->text(), "r");
  EXPECT_FALSE(dlg.model().modified());
}

// --- the save prompt ------------------------------------------------------------

TEST_F(DocumentCommands, PromptCancelAbandonsNewAndExitAndAnEmptyProgramIsNotAsked) {
  QTest::keyClicks(dlg.control<QLineEdit>(IdRemark), "only a remark");
  choose(dlg, "Plasma");  // pending: nothing committed yet
  ASSERT_TRUE(dlg.model().modified());
  trigger(IdFileNew);     // the unscripted "New" dialog is cancelled
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(seam.callsOf(Kind::NewTexture).size(), 1u);

  press(dlg, IdAdd);
  ASSERT_TRUE(dlg.model().modified());
  seam.answerMessage(QMessageBox::Cancel);
  trigger(IdFileNew);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].caption, "Mottler");
  EXPECT_EQ(messages()[0].text, "Save changes to " + documentPath(dlg) + "?");
  EXPECT_EQ(messages()[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(seam.callsOf(Kind::NewTexture).size(), 1u);
  EXPECT_EQ(dlg.model().programLength(), 1);

  seam.answerMessage(QMessageBox::Cancel);
  trigger(IdFileExit);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(seam.callsOf(Kind::Modal).empty());
  EXPECT_TRUE(dlg.model().modified());
}

TEST_F(DocumentCommands, PromptNoGoesOnWithoutWriting) {
  compose({"Plasma"});
  seam.answerMessage(QMessageBox::No);
  seam.answerNewTexture(ScriptedDialogSeam::typeAndOk("cave", "64", "32"));
  trigger(IdFileNew);
  EXPECT_TRUE(seam.callsOf(Kind::SaveFile).empty());
  EXPECT_EQ(dlg.windowTitle(), "Mottler - cave.mlr");
  EXPECT_EQ(documentPath(dlg), dlg.openFolder() + "cave.mlr");
  EXPECT_EQ(dlg.model().documentName(), "cave.mlr");
  EXPECT_EQ(finished(dlg).width, 64);
  EXPECT_EQ(label(dlg, IdWidthText), "64");
  EXPECT_EQ(dlg.model().programLength(), 0);
  EXPECT_EQ(list(dlg)->count(), 0);
  EXPECT_EQ(dlg.statusText(), "Ready");
  EXPECT_FALSE(saveEnabled(dlg));
  EXPECT_FALSE(dlg.model().modified());
  EXPECT_FALSE(dlg.model().hasPath());

  // After New, Save asks for a name starting at the new document's path.
  compose({"Blobs"});
  trigger(IdFileSave);
  ASSERT_EQ(seam.callsOf(Kind::SaveFile).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::SaveFile)[0].text, dlg.openFolder() + "cave.mlr");

  seam.answerMessage(QMessageBox::No);
  trigger(IdFileExit);
  EXPECT_FALSE(dlg.isVisible());
  ASSERT_EQ(seam.callsOf(Kind::Modal).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::Modal)[0].caption, "Tessavane Information");
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(DocumentCommands, PromptYesSavesThenGoesOn) {
  compose({"Plasma"});
  saveAs(at("keep.mlr"));
  drag(dlg, IdSeedBar, 500);
  seam.answerMessage(QMessageBox::Yes);
  seam.answerNewTexture(ScriptedDialogSeam::pressCancel());
  trigger(IdFileNew);
  EXPECT_EQ(bytesOf(at("keep.mlr")), encodeProgram(document(entries(1), 500)));
  EXPECT_EQ(seam.callsOf(Kind::NewTexture).size(), 1u);

  drag(dlg, IdSeedBar, 501);
  seam.answerMessage(QMessageBox::Yes);
  dlg.close();
  EXPECT_EQ(bytesOf(at("keep.mlr")), encodeProgram(document(entries(1), 501)));
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(seam.callsOf(Kind::Modal).size(), 1u);
}

TEST_F(DocumentCommands, PromptYesThatDoesNotSaveKeepsTheWindowAsItWas) {
  compose({"Plasma"});
  const QString untitled = documentPath(dlg);

  // Untitled: Yes asks for a name; cancelling it abandons the New.
  seam.answerMessage(QMessageBox::Yes);
  seam.answerFile(QString());
  trigger(IdFileNew);
  EXPECT_EQ(seam.callsOf(Kind::SaveFile).size(), 1u);
  EXPECT_TRUE(seam.callsOf(Kind::NewTexture).empty());
  EXPECT_EQ(dlg.model().programLength(), 1);
  EXPECT_TRUE(dlg.model().modified());
  EXPECT_EQ(documentPath(dlg), untitled);

  // ... and the close.
  seam.answerMessage(QMessageBox::Yes);
  seam.answerFile(QString());
  QTest::keyClick(tree(dlg), Qt::Key_Escape);
  EXPECT_TRUE(dlg.isVisible());

  // A save that fails abandons them as well.
  seam.answerMessage(QMessageBox::Yes);
  seam.answerFile(at("missing/x.mlr"));
  trigger(IdFileNew);
  EXPECT_TRUE(seam.callsOf(Kind::NewTexture).empty());
  seam.answerMessage(QMessageBox::Yes);
  seam.answerFile(at("missing/x.mlr"));
  trigger(IdFileExit);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(dlg.model().modified());
  EXPECT_EQ(dlg.model().programLength(), 1);
  EXPECT_TRUE(seam.callsOf(Kind::Modal).empty());
  int errors = 0;
  for (const auto& m : messages()) errors += m.text == "File could not be saved" ? 1 : 0;
  EXPECT_EQ(errors, 2);
  EXPECT_EQ(seam.pendingAnswers(), 0);
}

TEST_F(DocumentCommands, PromptSavesTheCommittedEntriesWhileAPendingOneWasMovedUp) {
  compose({"Plasma", "Worms"});
  const std::vector<ProgramEntry> committed = entries(2);
  saveAs(at("order.mlr"));
  choose(dlg, "Blur");
  press(dlg, IdUp);
  ASSERT_EQ(listTexts(dlg), (QStringList{"Plasma", "Blur", "Worms"}));
  seam.answerMessage(QMessageBox::Yes);
  trigger(IdFileExit);
  EXPECT_EQ(bytesOf(at("order.mlr")), encodeProgram(document(committed)));
  EXPECT_FALSE(dlg.isVisible());
}

// --- opening ----------------------------------------------------------------------

class OpeningDocuments : public DocumentCommands {
 protected:
  // A program of 64 x 32 with a switched-off second entry.
  ProgramDocument sample() {
    ProgramDocument doc = document({}, 77, "stone", 64, 32);
    const CommandCatalogue& cat = dlg.catalogue();
    for (const char* name : {"Plasma", "Worms", "Blur"}) {
      const CommandInfo& info = cat.info(*cat.indexOfName(name));
      ProgramEntry e{};
      e.code = info.code;
      for (int k = 0; k < kParamCount; ++k) e.param[k] = info.defaultValue[k];
      e.method = Add;
      doc.entries.push_back(e);
    }
    doc.entries[1].disabled = 1;
    doc.entries[1].offsetX = 5;
    doc.entries[1].offsetY = 7;
    // As a load brings them into range for the size.
    for (ProgramEntry& e : doc.entries) EXPECT_TRUE(sanitizeEntry(e, doc.width, doc.height));
    return doc;
  }

  QString writeSample(const QString& name) {
    const QString path = at(name);
    EXPECT_TRUE(writeProgramFile(std::filesystem::path(path.toStdString()), sample()));
    return path;
  }
};

TEST_F(OpeningDocuments, OpenRestoresTheWindowAndSaveWritesTheSameBytesBack) {
  const QString path = writeSample("cave.mlr");
  const auto original = bytesOf(path);
  compose({"Twirl"});
  choose(dlg, "Noise");  // a pending entry is dropped by the load

  // Before any document has a folder, Open starts in the working folder
  // (this one is writable), afterwards in the document's folder.
  EXPECT_EQ(dlg.openFolder(), QDir::currentPath() + "/");
  const QString startFolder = dlg.openFolder();
  seam.answerFile(path);
  trigger(IdFileOpen);
  ASSERT_EQ(seam.callsOf(Kind::OpenFile).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::OpenFile)[0].text, startFolder + "*.mlr");
  EXPECT_EQ(dlg.openFolder(), dir.path() + "/");
  EXPECT_EQ(seam.callsOf(Kind::OpenFile)[0].filter, kProgramFilters);
  EXPECT_TRUE(messages().empty());

  EXPECT_EQ(dlg.windowTitle(), "Mottler - cave.mlr");
  EXPECT_EQ(dlg.statusText(), " " + path + " loaded");
  EXPECT_EQ(documentPath(dlg), path);
  EXPECT_EQ(dlg.openFolder(), dir.path() + "/");
  EXPECT_TRUE(dlg.model().hasPath());
  EXPECT_FALSE(dlg.model().modified());
  EXPECT_EQ(dlg.model().programLength(), 3);
  EXPECT_EQ(dlg.model().currentIndex(), 3);
  EXPECT_EQ(codeAt(dlg, 3), 0) << "the pending slot is cleared";
  EXPECT_EQ(finished(dlg).width, 64);
  EXPECT_EQ(label(dlg, IdWidthText), "64");
  EXPECT_EQ(label(dlg, IdSeedText), "77");
  EXPECT_EQ(label(dlg, IdZoomText), "100 %");
  EXPECT_EQ(bar(dlg, IdOffsetXBar)->maximum(), 63);
  EXPECT_EQ(dlg.control<QLineEdit>(IdRemark)->text(), "stone");
  EXPECT_EQ(tree(dlg)->currentItem(), tree(dlg)->topLevelItem(0));
  EXPECT_TRUE(saveEnabled(dlg));
  EXPECT_TRUE(list(dlg)->isEnabled());
  ASSERT_EQ(listTexts(dlg), (QStringList{"Plasma", "Worms", "Blur"}));
  EXPECT_TRUE(sameImage(list(dlg)->item(0)->icon(), stripImage(0)));
  EXPECT_TRUE(sameImage(list(dlg)->item(1)->icon(), stripImage(kDisabledEntryImage)));
  EXPECT_TRUE(sameImage(list(dlg)->item(2)->icon(), stripImage(2)));

  // Save after Open: the same path, no dialog, the same bytes.
  QFile::remove(path);
  trigger(IdFileSave);
  EXPECT_TRUE(seam.callsOf(Kind::SaveFile).empty());
  EXPECT_EQ(bytesOf(path), original);
  EXPECT_EQ(dlg.statusText(), " " + path + " saved");
}

TEST_F(OpeningDocuments, AReadOnlyProgramFileOpens) {
  const QString path = writeSample("locked.mlr");
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  seam.answerFile(path);
  trigger(IdFileOpen);
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(dlg.model().programLength(), 3);
  EXPECT_EQ(dlg.windowTitle(), "Mottler - locked.mlr");
}

TEST_F(OpeningDocuments, ARefusedFileLeavesTheDocumentUntouched) {
  const QString path = writeSample("first.mlr");
  seam.answerFile(path);
  trigger(IdFileOpen);
  selectEntry(dlg, 0);
  ASSERT_TRUE(dlg.model().modified());
  const EditorState before = dlg.model().state();
  const QStringList listBefore = listTexts(dlg);

  writeBytes(at("x.mlr"), "this is a text file, not a program\n");
  QByteArray cut = QByteArray::fromStdString(std::string(reinterpret_cast<const char*>(bytesOf(path).data()), 20));
  writeBytes(at("huge.mlr"), cut.replace(10, 2, QByteArray("\xFF\x7F", 2)));  // 32767 entries
  struct Case {
    QString path;
    QString message;
  };
  for (const Case& c : {Case{at("x.mlr"), "File format not supported"},
                        Case{at("huge.mlr"), "File format not supported"},
                        Case{at("absent.mlr"), "Unable to open file"},
                        Case{dir.path(), "Unable to open file"}}) {
    seam.takeCalls();
    seam.answerFile(c.path);
    trigger(IdFileOpen);
    ASSERT_EQ(messages().size(), 1u) << c.path.toStdString();
    EXPECT_EQ(messages()[0].text, c.message);
    EXPECT_EQ(messages()[0].caption, "Error");
    EXPECT_EQ(dlg.windowTitle(), "Mottler - first.mlr");
    EXPECT_EQ(documentPath(dlg), path);
    EXPECT_EQ(dlg.model().programLength(), 3);
    EXPECT_EQ(dlg.model().state(), before);
    EXPECT_EQ(listTexts(dlg), listBefore);
    EXPECT_EQ(finished(dlg).width, 64);
    EXPECT_TRUE(dlg.model().modified());
  }

  // Save still writes to the document's own path.
  trigger(IdFileSave);
  EXPECT_EQ(bytesOf(path), encodeProgram(sample()));
  EXPECT_FALSE(dlg.model().modified());
}

// A program named on the command line opens as "Open" would; a relative
// name is taken from the working folder, and a file that cannot be read is
// reported and leaves the empty window as it was.
TEST_F(OpeningDocuments, AProgramNamedAtStartOpens) {
  const QString path = writeSample("start.mlr");
  writeBytes(at("junk.mlr"), "not a program");
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));

  EXPECT_FALSE(dlg.openStartupDocument("junk.mlr"));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, "File format not supported");
  EXPECT_EQ(dlg.model().programLength(), 0);
  EXPECT_FALSE(dlg.model().hasPath());

  EXPECT_TRUE(dlg.openStartupDocument("start.mlr"));
  QDir::setCurrent(previous);
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(documentPath(dlg), QFileInfo(path).absoluteFilePath());
  EXPECT_EQ(dlg.openFolder(), dir.path() + "/");
  EXPECT_EQ(dlg.model().programLength(), 3);
  EXPECT_EQ(dlg.windowTitle(), "Mottler - start.mlr");
  EXPECT_FALSE(dlg.model().modified());
}

TEST_F(OpeningDocuments, CancellingTheNewDialogChangesNothing) {
  const QString path = writeSample("stay.mlr");
  seam.answerFile(path);
  trigger(IdFileOpen);
  const EditorState before = dlg.model().state();

  seam.answerNewTexture(ScriptedDialogSeam::typeAndOk("other", "300", "8"));  // refused, then Cancel
  trigger(IdFileNew);
  seam.answerNewTexture(ScriptedDialogSeam::pressCancel());
  QTest::keyClick(tree(dlg), Qt::Key_N, Qt::ControlModifier);
  settle();
  EXPECT_EQ(seam.callsOf(Kind::NewTexture).size(), 2u);
  EXPECT_EQ(dlg.windowTitle(), "Mottler - stay.mlr");
  EXPECT_EQ(documentPath(dlg), path);
  EXPECT_EQ(dlg.statusText(), " " + path + " loaded");
  EXPECT_TRUE(dlg.model().hasPath());
  EXPECT_EQ(dlg.model().state(), before);
  EXPECT_EQ(list(dlg)->count(), 3);
  EXPECT_EQ(finished(dlg).width, 64);
  EXPECT_EQ(label(dlg, IdWidthText), "64");
  EXPECT_TRUE(saveEnabled(dlg));
}

// --- export -----------------------------------------------------------------------

TEST_F(DocumentCommands, ExportRunsTheProgramAndWritesTheTextureNotTheBuffer) {
  compose({"Plasma", "Move to Buffer", "Worms"});
  dlg.control<QCheckBox>(IdAutoGenerate)->click();  // off
  dlg.control<QCheckBox>(IdLookBuffer)->click();    // on
  selectEntry(dlg, 2);
  drag(dlg, kParamBarIds[0], bar(dlg, kParamBarIds[0])->value() + 3);
  markTexture(dlg);
  const QString caption = dlg.windowTitle();
  const QString previousPath = documentPath(dlg);

  seam.answerFile(at("tex.txt"));
  QTest::keyClick(tree(dlg), Qt::Key_E, Qt::ControlModifier);
  settle();
  ASSERT_EQ(seam.callsOf(Kind::SaveFile).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::SaveFile)[0].text, previousPath);
  EXPECT_EQ(seam.callsOf(Kind::SaveFile)[0].filter, kExportFilters);
  EXPECT_TRUE(programRanSinceMark(dlg));
  EXPECT_FALSE(QFile::exists(at("tex.txt")));
  const auto written = bytesOf(at("tex.bmp"));
  EXPECT_EQ(written, finishedBitmap(dlg));
  EXPECT_NE(written, finishedBitmap(dlg, true));
  EXPECT_EQ(written.size(), 54u + 768u * 256u);
  EXPECT_EQ(dlg.statusText(), " " + at("tex.bmp") + " saved");
  EXPECT_EQ(dlg.windowTitle(), caption);
  EXPECT_EQ(documentPath(dlg), previousPath);
  EXPECT_TRUE(dlg.model().modified());
  EXPECT_FALSE(dlg.model().hasPath());

  // A name with ".bmp" is kept as it is; one without a dot gets it.
  seam.answerFile(at("tex.bmp.old"));
  trigger(IdFileExport);
  dlg.waitUntilIdle();
  EXPECT_TRUE(QFile::exists(at("tex.bmp.old")));
  seam.answerFile(at("plain"));
  trigger(IdFileExport);
  dlg.waitUntilIdle();
  EXPECT_TRUE(QFile::exists(at("plain.bmp")));
  EXPECT_TRUE(messages().empty());

  // A folder that does not exist: the error, and nothing runs.
  markTexture(dlg);
  seam.answerFile(at("missing/tex.bmp"));
  trigger(IdFileExport);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, "File could not be saved");
  EXPECT_FALSE(programRanSinceMark(dlg));
}

TEST_F(DocumentCommands, ExportTypesStartFoldersAndNamesInDottedFolders) {
  // Untitled, the dialogs start in the working folder (never the program's).
  const QString start = QDir::currentPath() + "/";
  EXPECT_EQ(documentPath(dlg), start + "Untitled.mlr");
  compose({"Plasma"});
  trigger(IdFileExport);  // cancelled
  EXPECT_EQ(seam.callsOf(Kind::SaveFile).back().text, start + "Untitled.mlr");

  // A name typed without a dot in a folder with one gets the extension.
  ASSERT_TRUE(QDir(dir.path()).mkdir("j.smith"));
  saveAs(at("j.smith/cave"));
  EXPECT_TRUE(QFile::exists(at("j.smith/cave.mlr")));
  EXPECT_EQ(dlg.openFolder(), at("j.smith/"));

  // A typed type decides whatever the filter (regression: exp.png with the
  // bitmap filter was written as exp.bmp); the filter's extension replaces
  // another one, and the bitmap's rule looks at the file name only too.
  seam.answerFile(at("j.smith/exp.png"), kBitmapFilter);
  trigger(IdFileExport);
  seam.answerFile(at("j.smith/tex.txt"), kPngFilter);
  trigger(IdFileExport);
  seam.answerFile(at("j.smith/tex"));
  trigger(IdFileExport);
  dlg.waitUntilIdle();
  const auto saves = seam.callsOf(Kind::SaveFile);
  EXPECT_EQ(saves[saves.size() - 3].text, at("j.smith/cave.mlr"));  // the document's folder
  EXPECT_EQ(dlg.statusText(), " " + at("j.smith/tex.bmp") + " saved");
  EXPECT_FALSE(QFile::exists(at("j.smith/exp.bmp")));
  for (const char* name : {"j.smith/exp.png", "j.smith/tex.png"}) {
    const auto png = bytesOf(at(name));
    ASSERT_GT(png.size(), 8u) << name;
    EXPECT_EQ(png[0], 0x89) << name;
    EXPECT_EQ(png[1], 'P') << name;
  }
  EXPECT_EQ(bytesOf(at("j.smith/tex.bmp")), finishedBitmap(dlg));
  EXPECT_TRUE(messages().empty());

  // Export remembers its own folder; Save As and Open follow the document.
  ASSERT_TRUE(QDir(dir.path()).mkdir("pictures"));
  seam.answerFile(at("pictures/p.bmp"));
  trigger(IdFileExport);
  trigger(IdFileExport);  // cancelled
  EXPECT_EQ(seam.callsOf(Kind::SaveFile).back().text, at("pictures/cave.mlr"));
  trigger(IdFileSaveAs);  // cancelled
  EXPECT_EQ(seam.callsOf(Kind::SaveFile).back().text, at("j.smith/cave.mlr"));
  dlg.waitUntilIdle();
}

TEST_F(DocumentCommands, ADroppedProgramOpensAfterThePromptAndOtherDropsAreRefused) {
  const QString program = at("dropped.mlr");
  ASSERT_TRUE(writeProgramFile(program.toStdString(), document({ProgramEntry{kPlasma}})));
  writeBytes(at("picture.png"), "not a program");
  compose({"Twirl"});
  ASSERT_TRUE(dlg.model().modified());

  auto drop = [&](const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &dropped);
    settle();
    return dropped.isAccepted();
  };
  EXPECT_FALSE(drop({QUrl::fromLocalFile(at("picture.png"))}));
  EXPECT_FALSE(drop({QUrl::fromLocalFile(program), QUrl::fromLocalFile(program)}));
  EXPECT_FALSE(drop({QUrl("https://example.org/x.mlr")}));
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(listTexts(dlg), QStringList{"Twirl"});

  // Cancel in the prompt keeps the document; No opens the dropped one.
  seam.answerMessage(QMessageBox::Cancel);
  EXPECT_TRUE(drop({QUrl::fromLocalFile(program)}));
  EXPECT_EQ(listTexts(dlg), QStringList{"Twirl"});
  seam.answerMessage(QMessageBox::No);
  EXPECT_TRUE(drop({QUrl::fromLocalFile(program)}));
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_TRUE(messages()[1].text.startsWith("Save changes to "));
  EXPECT_EQ(listTexts(dlg), QStringList{"Plasma"});
  EXPECT_EQ(dlg.windowTitle(), "Mottler - dropped.mlr");
  EXPECT_EQ(dlg.statusText(), " " + program + " loaded");
  dlg.waitUntilIdle();
}

// --- help ---------------------------------------------------------------------------

TEST_F(DocumentCommands, HelpWebPageAndAbout) {
  trigger(IdHelpWebSite);
  ASSERT_EQ(seam.callsOf(Kind::Url).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::Url)[0].text, kMakerWebAddress);

  trigger(IdHelpAbout);
  ASSERT_EQ(seam.callsOf(Kind::Modal).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::Modal)[0].caption, "About");

  // The manual is built beside the programs.
  ASSERT_TRUE(QFile::exists(helpIndexPath()));
  trigger(IdHelpContents);
  QTest::keyClick(dlg.control(IdRemark), Qt::Key_F1);
  settle();
  const auto urls = seam.callsOf(Kind::Url);
  ASSERT_EQ(urls.size(), 3u);
  EXPECT_TRUE(urls[1].text.endsWith("/help/index.html")) << urls[1].text.toStdString();
  EXPECT_EQ(urls[2].text, urls[1].text);
}

}  // namespace
