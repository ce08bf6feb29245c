// "About", the exit information dialog, the web page, the help manual's
// opening and the dialog seam's file-command questions.
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/exit_info_dialog.h"
#include "ui/dialogs/external_links.h"
#include "ui/dialogs/new_texture_dialog.h"
#include "ui/dialogs/scripted_dialog_seam.h"

using namespace mottler::ui;
using Kind = ScriptedDialogSeam::Kind;

namespace {

// With MOTTLER_GRAB_DIR set, the dialogs are saved as pictures for a look.
void grab(QWidget& w, const char* name) {
  const QByteArray dir = qgetenv("MOTTLER_GRAB_DIR");
  if (dir.isEmpty()) return;
  w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
}

}  // namespace

TEST(AboutDialog, NamesTheProgramAndClosesWithOkOrEscape) {
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), "About");
  QStringList texts;
  for (const QLabel* l : about.findChildren<QLabel*>()) texts << l->text();
  EXPECT_TRUE(texts.contains("Mottler"));
  EXPECT_TRUE(texts.join(' ').contains("Version "));
  EXPECT_TRUE(texts.join(' ').contains("seamless procedural textures"));

  about.show();
  grab(about, "about.png");
  about.findChild<QPushButton*>("1")->click();
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);

  about.show();
  QTest::keyClick(&about, Qt::Key_Escape);
  EXPECT_FALSE(about.isVisible());
}

TEST(ExitInfoDialog, PresentsTessavaneWithItsTwoButtons) {
  ScriptedDialogSeam seam;
  CExitInfoDlg info;
  EXPECT_EQ(info.windowTitle(), "Tessavane Information");
  auto* picture = info.findChild<QLabel*>("182");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->pixmap().size(), QSize(718, 320));
  EXPECT_EQ(CExitInfoDlg::picture().size(), QSize(718, 320));
  // Drawn the same every time.
  EXPECT_EQ(CExitInfoDlg::picture(), CExitInfoDlg::picture());

  ASSERT_EQ(info.webPageButton(), info.findChild<QPushButton*>("1065"));
  ASSERT_EQ(info.exitButton(), info.findChild<QPushButton*>("2"));
  EXPECT_EQ(info.webPageButton()->text(), "Go to Varnholt Web Page");
  EXPECT_EQ(info.exitButton()->text(), "Exit");

  info.show();
  grab(info, "exit-info.png");
  // The web page opens and the dialog stays.
  info.webPageButton()->click();
  ASSERT_EQ(seam.callsOf(Kind::Url).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::Url)[0].text, kMakerWebAddress);
  EXPECT_TRUE(info.isVisible());
  // Exit closes it; so does Escape.
  info.exitButton()->click();
  EXPECT_FALSE(info.isVisible());
  info.show();
  QTest::keyClick(&info, Qt::Key_Escape);
  EXPECT_FALSE(info.isVisible());
}

TEST(DialogPictures, NewDialogCanBeGrabbed) {
  CNewTextureDlg dlg("/tmp/");
  dlg.show();
  grab(dlg, "new.png");
  SUCCEED();
}

TEST(WebPageAndHelp, WebPageOpensTheMakersHomePageWhateverTheResult) {
  ScriptedDialogSeam seam;
  EXPECT_TRUE(QUrl(kMakerWebAddress).isValid());
  EXPECT_EQ(QUrl(kMakerWebAddress).scheme(), "https");
  seam.urlResult = false;
  openWebPage();
  openWebPage();
  ASSERT_EQ(seam.calls().size(), 2u);
  EXPECT_EQ(seam.calls()[1].kind, Kind::Url);
  EXPECT_EQ(seam.calls()[1].text, kMakerWebAddress);
}

TEST(WebPageAndHelp, HelpOpensTheManualBesideTheProgram) {
  ScriptedDialogSeam seam;
  const QString beside = QCoreApplication::applicationDirPath() + "/help/index.html";
  ASSERT_FALSE(helpIndexCandidates().isEmpty());
  EXPECT_EQ(helpIndexCandidates().first(), beside);
  // The tests are built beside the programs, so the manual is there.
  ASSERT_TRUE(QFileInfo(beside).isFile()) << beside.toStdString();
  EXPECT_EQ(helpIndexPath(), beside);
  EXPECT_TRUE(showHelp());
  ASSERT_EQ(seam.calls().size(), 1u);
  EXPECT_EQ(seam.calls()[0].kind, Kind::Url);
  EXPECT_EQ(QUrl(seam.calls()[0].text), QUrl::fromLocalFile(beside));

  // No browser: the user is told which file to open.
  seam.urlResult = false;
  EXPECT_FALSE(showHelp());
  const auto messages = seam.callsOf(Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "Mottler");
  EXPECT_EQ(messages[0].icon, QMessageBox::Warning);
  EXPECT_EQ(messages[0].buttons, QMessageBox::Ok);
  EXPECT_EQ(messages[0].text, helpNotShownText(beside));
  EXPECT_TRUE(messages[0].text.contains(beside));
}

TEST(WebPageAndHelp, HelpLooksWhereAnInstallationPutsTheManual) {
  const QByteArray saved = qgetenv("XDG_DATA_DIRS");
  qputenv("XDG_DATA_DIRS", "/opt/elsewhere/share");
  const QStringList candidates = helpIndexCandidates();
  // Installed: <prefix>/bin/mottler finds <prefix>/share/mottler/help.
  const QString installed =
      QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/mottler/help/index.html");
  ASSERT_GE(candidates.size(), 3);
  EXPECT_EQ(candidates[1], installed);
  EXPECT_TRUE(candidates.contains("/opt/elsewhere/share/mottler/help/index.html"));
  QStringList unique = candidates;
  EXPECT_EQ(unique.removeDuplicates(), 0);
  qputenv("XDG_DATA_DIRS", saved);
}

TEST(WebPageAndHelp, MissingManualSaysWhereItWasLookedFor) {
  ScriptedDialogSeam seam;
  const QString missing = QDir::temp().filePath("no-such-manual/index.html");
  EXPECT_FALSE(showHelpAt(nullptr, missing));
  EXPECT_TRUE(seam.callsOf(Kind::Url).empty());  // no browser for a missing file
  const auto messages = seam.callsOf(Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "Mottler");
  EXPECT_EQ(messages[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(messages[0].text.startsWith("The manual could not be found."));
  EXPECT_TRUE(messages[0].text.contains(QDir::temp().filePath("no-such-manual")));

  // Every folder looked in is named.
  const QString text = helpMissingText({"/a/help/index.html", "/b/mottler/help/index.html"});
  EXPECT_TRUE(text.contains("/a/help\n/b/mottler/help"));
}

TEST(DialogSeam, FileCommandsQuestions) {
  ScriptedDialogSeam seam;
  seam.answerFile("/t/cave.mlr");
  seam.answerFile("");
  seam.answerFile("/t/cave.bmp");
  seam.answerFile("/t/cave.png", kPngFilter);
  EXPECT_EQ(askOpenProgram(nullptr, "/t/*.mlr"), "/t/cave.mlr");
  EXPECT_EQ(askSaveProgram(nullptr, "/t/Untitled.mlr"), "");
  const ExportChoice bitmap = askExportPicture(nullptr, "/t/cave.mlr");
  EXPECT_EQ(bitmap.path, "/t/cave.bmp");
  EXPECT_EQ(bitmap.type, ExportType::Bitmap);
  const ExportChoice png = askExportPicture(nullptr, "/t/cave.mlr");
  EXPECT_EQ(png.path, "/t/cave.png");
  EXPECT_EQ(png.type, ExportType::Png);
  EXPECT_EQ(askOpenProgram(nullptr, "/t/*.mlr"), "");  // unscripted: cancelled

  // Programs can be looked for among all files; the bitmap is the type an
  // export offers first, PNG the other.
  const auto calls = seam.takeCalls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].kind, Kind::OpenFile);
  EXPECT_EQ(calls[0].filter, "Mottler Files (*.mlr);;All files (*)");
  EXPECT_EQ(calls[0].text, "/t/*.mlr");
  EXPECT_EQ(calls[1].kind, Kind::SaveFile);
  EXPECT_EQ(calls[1].filter, "Mottler Files (*.mlr);;All files (*)");
  EXPECT_EQ(calls[1].text, "/t/Untitled.mlr");
  EXPECT_EQ(calls[2].kind, Kind::SaveFile);
  EXPECT_EQ(calls[2].filter, "Windows Bitmap Files (*.bmp);;PNG Files (*.png)");
  EXPECT_EQ(calls[2].selectedFilter, "Windows Bitmap Files (*.bmp)");
}

TEST(DialogSeam, MessagesAndThePrompt) {
  ScriptedDialogSeam seam;
  showFileError(nullptr, kUnableToOpenText);
  showFileError(nullptr, kFormatNotSupportedText);
  showFileError(nullptr, kCouldNotSaveText);
  seam.answerMessage(QMessageBox::No);
  EXPECT_EQ(askSaveChanges(nullptr, "/t/cave.mlr"), QMessageBox::No);
  EXPECT_EQ(askSaveChanges(nullptr, "/t/cave.mlr"), QMessageBox::Cancel);  // unscripted

  const auto calls = seam.calls();
  ASSERT_EQ(calls.size(), 5u);
  const char* errors[] = {"Unable to open file", "File format not supported",
                          "File could not be saved"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[i].kind, Kind::Message);
    EXPECT_EQ(calls[i].caption, "Error");
    EXPECT_EQ(calls[i].text, errors[i]);
    EXPECT_EQ(calls[i].icon, QMessageBox::Warning);
    EXPECT_EQ(calls[i].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }
  EXPECT_EQ(calls[3].caption, "Mottler");
  EXPECT_EQ(calls[3].text, "Save changes to /t/cave.mlr?");
  EXPECT_EQ(calls[3].icon, QMessageBox::Warning);
  EXPECT_EQ(calls[3].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(seam.pendingAnswers(), 0);
}

TEST(DialogSeam, ModalDialogsAndTheNewDialogThroughTheSeam) {
  ScriptedDialogSeam seam;
  showAbout(nullptr);
  showExitInfo(nullptr);
  ASSERT_EQ(seam.calls().size(), 2u);
  EXPECT_EQ(seam.calls()[0].kind, Kind::Modal);
  EXPECT_EQ(seam.calls()[0].caption, "About");
  EXPECT_EQ(seam.calls()[1].caption, "Tessavane Information");

  // Cancelled (scripted or not) hands nothing over.
  CNewTextureDlg a("/t/");
  EXPECT_FALSE(dialogSeam().runNewTextureDialog(a));
  seam.answerNewTexture(ScriptedDialogSeam::pressCancel());
  CNewTextureDlg b("/t/");
  EXPECT_FALSE(dialogSeam().runNewTextureDialog(b));
  EXPECT_TRUE(b.documentPath().isEmpty());

  // A failing check, then the user cancels: one message, no document.
  seam.takeCalls();
  seam.answerNewTexture(ScriptedDialogSeam::typeAndOk("cave", "300", "8"));
  CNewTextureDlg c("/t/");
  EXPECT_FALSE(dialogSeam().runNewTextureDialog(c));
  ASSERT_EQ(seam.calls().size(), 2u);
  EXPECT_EQ(seam.calls()[0].kind, Kind::NewTexture);
  EXPECT_EQ(seam.calls()[0].caption, "New");
  EXPECT_EQ(seam.calls()[1].text, "Please enter an integer between 8 and 256.");
  EXPECT_TRUE(c.documentPath().isEmpty());
}

TEST(DialogSeam, ScriptedSeamInstallsAndRestores) {
  DialogSeam* real = &dialogSeam();
  {
    ScriptedDialogSeam outer;
    EXPECT_EQ(&dialogSeam(), &outer);
    {
      ScriptedDialogSeam inner;
      EXPECT_EQ(&dialogSeam(), &inner);
    }
    EXPECT_EQ(&dialogSeam(), &outer);
  }
  EXPECT_EQ(&dialogSeam(), real);
}
