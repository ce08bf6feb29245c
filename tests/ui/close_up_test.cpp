// View > Close-up and the window's Export at Size at x8: the close-up shows
// the program made at a larger size, pixel for pixel, follows the program,
// stops when asked, moves with the keys and lets its picture go when closed;
// Export at Size from the window writes the renderer's bytes at x8 while the
// window goes on, and a cancelled one writes nothing.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "engine/program_runner.h"
#include "ui/close_up_view.h"
#include "ui/dialogs/export_size_dialog.h"
#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

ProgramDocument smallProgram(int seed = 21) {
  ProgramDocument doc = emptyProgram(32, 32);
  doc.entries = {defaultEntry("Plasma", 32, 32), defaultEntry("Blobs", 32, 32)};
  doc.seed = seed;
  return doc;
}

// A plasma and eight blurs at their most passes: a scaled run of it is
// still going when the test acts next.
ProgramDocument heavyProgram() {
  const CommandCatalogue catalogue;
  ProgramEntry blur = defaultEntry("Blur");
  blur.param[0] = catalogue.info(*catalogue.indexOfCode(kBlur)).maxValue[0];
  ProgramDocument doc = emptyProgram();
  doc.entries.push_back(defaultEntry("Plasma"));
  doc.entries.insert(doc.entries.end(), 8, blur);
  return doc;
}

// The texture of a program at a scale, made apart from the window.
std::vector<std::uint32_t> scaledTexture(const ProgramDocument& doc, int scale) {
  auto engine = std::make_unique<TextureEngine>();
  engine->setScaledSize(doc.width, doc.height, scale);
  ProgramRunner runner(0);
  runner.run(*engine, doc.seed, doc.entries);
  return {engine->texture.data(), engine->texture.data() + engine->pixelCount};
}

QString spokenName(QWidget* widget) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(QAccessible::Name) : QString();
}

CExportSizeDlg* exportDialog(CMottlerDlg& dlg) {
  trigger(dlg, IdFileExportAtSize);
  return dlg.findChild<CExportSizeDlg*>();
}

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CloseUp : public ::testing::Test {
 protected:
  void SetUp() override {
    openProgram(dlg, doc);
    finished(dlg);
    trigger(dlg, IdViewCloseUp);
    view = dlg.closeUp();
    ASSERT_NE(view, nullptr);
    view->waitUntilRendered();
  }

  ProgramDocument doc = smallProgram();
  CMottlerDlg dlg;
  CloseUpView* view = nullptr;
};

}  // namespace

TEST(CloseUpMenu, NoTwoControlsOrMenuCommandsShareAnIdOrAKey) {
  CMottlerDlg dlg;
  EXPECT_EQ(dlg.menuCommand(IdViewCloseUp)->text(), "&Close-up");
  EXPECT_FALSE(dlg.menuCommand(IdViewCloseUp)->shortcut().isEmpty());
  QSet<int> ids;
  QSet<QKeySequence> keys;
  int numbered = 0;
  for (QObject* object : dlg.findChildren<QObject*>()) {
    bool isId = false;
    const int id = object->objectName().toInt(&isId);
    if (!isId) continue;
    ++numbered;
    ids.insert(id);
    if (auto* action = qobject_cast<QAction*>(object))
      for (const QKeySequence& key : action->shortcuts()) {
        EXPECT_FALSE(keys.contains(key)) << key.toString().toStdString();
        keys.insert(key);
      }
  }
  EXPECT_EQ(ids.size(), numbered);
}

TEST_F(CloseUp, ShowsTheProgramAtTheChosenScalePixelForPixelAndNamesItself) {
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->scale(), 2);
  EXPECT_TRUE(view->upToDate());
  EXPECT_EQ(view->picture().size(), QSize(64, 64));
  EXPECT_EQ(pixelsOf(view->picture()), scaledTexture(doc, 2));
  // Every size the design allows, up to 16 times.
  EXPECT_EQ(view->sizeBox()->count(), 5);

  view->setScale(8);
  view->waitUntilRendered();
  EXPECT_EQ(view->picture().size(), QSize(256, 256));
  EXPECT_EQ(pixelsOf(view->picture()), scaledTexture(doc, 8));
  EXPECT_TRUE(view->statusLabel()->text().startsWith(QString::fromUtf8("256 \u00d7 256 pixels (\u00d78), shown at 1:1")))
      << view->statusLabel()->text().toStdString();

  EXPECT_EQ(spokenName(view->scroller()), "Close-up picture");
  EXPECT_EQ(spokenName(view->progressBar()), "Rendering progress");
  QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(view->scroller()->widget());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->role(), QAccessible::Graphic);
  EXPECT_EQ(picture->text(QAccessible::Name), QString::fromUtf8("Texture, 256 \u00d7 256 pixels (\u00d78)"));
  EXPECT_TRUE(view->scroller()->accessibleDescription().contains("1:1"));
}

TEST_F(CloseUp, FollowsTheProgramAndStopsWhenAsked) {
  drag(dlg, IdSeedBar, 99);
  EXPECT_TRUE(view->isRendering());
  EXPECT_FALSE(view->upToDate());
  EXPECT_EQ(view->renderButton()->text(), "&Stop");
  // The previous picture stays until the new one is there.
  EXPECT_FALSE(view->picture().isNull());
  view->waitUntilRendered();
  doc.seed = 99;
  EXPECT_EQ(pixelsOf(view->picture()), scaledTexture(doc, 2));
  EXPECT_EQ(view->renderButton()->text(), "&Render");
  EXPECT_FALSE(view->renderButton()->isEnabled());

  // A slow program at 16 times, stopped: the earlier picture stays, marked
  // as such, and Render makes it again.
  const std::vector<std::uint32_t> before = pixelsOf(view->picture());
  openProgram(dlg, heavyProgram());
  view->setScale(16);  // asked for at once, not after a pause
  EXPECT_TRUE(view->isRendering());
  // The picture shown is named by its own size, not the new document's.
  EXPECT_TRUE(view->statusLabel()->text().endsWith(
      QString::fromUtf8("the previous picture, 64 \u00d7 64 pixels (\u00d72).")))
      << view->statusLabel()->text().toStdString();
  QTest::mouseClick(view->renderButton(), Qt::LeftButton);
  view->waitUntilRendered();
  EXPECT_FALSE(view->upToDate());
  EXPECT_EQ(pixelsOf(view->picture()), before);
  EXPECT_TRUE(view->statusLabel()->text().startsWith("Stopped.")) << view->statusLabel()->text().toStdString();
  EXPECT_TRUE(view->renderButton()->isEnabled());
  EXPECT_EQ(view->renderButton()->text(), "&Render");
}

TEST_F(CloseUp, TheKeysMoveAroundThePictureAndClosingLetsItGo) {
  view->resize(200, 200);
  QCoreApplication::processEvents();
  // From a picture smaller than the view to a larger one: the middle of
  // the texture is in the middle of the view.
  view->setScale(16);
  view->waitUntilRendered();
  QCoreApplication::processEvents();
  QScrollBar* across = view->scroller()->horizontalScrollBar();
  QScrollBar* down = view->scroller()->verticalScrollBar();
  ASSERT_GT(across->maximum(), 0);
  const QSize seen = view->scroller()->viewport()->size();
  EXPECT_NEAR(across->value() + seen.width() / 2, 256, 2);
  EXPECT_NEAR(down->value() + seen.height() / 2, 256, 2);
  // Tile: four copies, the middle of the texture still in the middle of
  // the view, which is now where the copies' edges meet.
  view->tileBox()->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(view->scroller()->widget()->size(), QSize(1024, 1024));
  EXPECT_NEAR(across->value() + seen.width() / 2, 512, 2);
  EXPECT_TRUE(spokenName(view->scroller()->widget()).endsWith(QString::fromUtf8("repeated 2 \u00d7 2")));
  view->tileBox()->click();
  QCoreApplication::processEvents();
  QTest::keyClick(view->scroller(), Qt::Key_End);
  EXPECT_EQ(across->value(), across->maximum());
  EXPECT_EQ(down->value(), down->maximum());
  QTest::keyClick(view->scroller(), Qt::Key_Left);
  EXPECT_EQ(across->value(), across->maximum() - across->singleStep());
  QTest::keyClick(view->scroller(), Qt::Key_Home);
  EXPECT_EQ(across->value(), 0);
  EXPECT_EQ(down->value(), 0);

  view->close();
  EXPECT_TRUE(view->picture().isNull());
  // Shown again, it makes the picture of the program as it is then.
  drag(dlg, IdSeedBar, 5);
  trigger(dlg, IdViewCloseUp);
  view->waitUntilRendered();
  doc.seed = 5;
  EXPECT_EQ(view->scale(), 16);
  EXPECT_EQ(pixelsOf(view->picture()), scaledTexture(doc, 16));
}

TEST(WindowExportAtSize, AtX8ItWritesTheRenderersBytesWhileTheWindowGoesOn) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString program = dir.filePath("small.mlr");
  ProgramDocument doc = smallProgram(44);
  doc.width = doc.height = 64;
  ASSERT_TRUE(writeProgramFile(program.toStdString(), doc));
  CMottlerDlg dlg;
  ASSERT_TRUE(dlg.openStartupDocument(program));

  CExportSizeDlg* exporter = exportDialog(dlg);
  ASSERT_NE(exporter, nullptr);
  exporter->sizeBox()->setCurrentIndex(exporter->sizeBox()->findData(8));
  QSignalSpy ended(exporter, &CExportSizeDlg::exportEnded);
  exporter->startExport(dir.filePath("x8.png"));
  // Editing goes on; the file is the program as it was.
  drag(dlg, IdSeedBar, 45);
  EXPECT_EQ(dlg.model().seed(), 45);
  ASSERT_TRUE(ended.wait(60000));
  EXPECT_TRUE(ended.first().at(0).toBool()) << ended.first().at(1).toString().toStdString();

  QProcess renderer;
  renderer.start(MOTTLER_RENDER, {program, "-o", dir.filePath("render.png"), "--scale", "8"});
  ASSERT_TRUE(renderer.waitForFinished(-1));
  ASSERT_EQ(renderer.exitCode(), 0);
  const QByteArray written = bytesOf(dir.filePath("x8.png"));
  EXPECT_FALSE(written.isEmpty());
  EXPECT_EQ(written, bytesOf(dir.filePath("render.png")));

  // Its Close-up button shows the texture at the size chosen there.
  exporter->closeUpButton()->click();
  ASSERT_NE(dlg.closeUp(), nullptr);
  EXPECT_EQ(dlg.closeUp()->scale(), 8);
  dlg.closeUp()->waitUntilRendered();
  EXPECT_EQ(dlg.closeUp()->picture().size(), QSize(512, 512));
}

TEST(WindowExportAtSize, AtX8CancelledItWritesNothingAndTheWindowGoesOn) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  CMottlerDlg dlg;
  openProgram(dlg, heavyProgram());
  CExportSizeDlg* exporter = exportDialog(dlg);
  ASSERT_NE(exporter, nullptr);
  exporter->sizeBox()->setCurrentIndex(exporter->sizeBox()->findData(8));
  EXPECT_EQ(exporter->chosenScale(), 8);
  QSignalSpy ended(exporter, &CExportSizeDlg::exportEnded);
  exporter->startExport(dir.filePath("x8.png"));
  QTest::mouseClick(exporter->cancelButton(), Qt::LeftButton);
  ASSERT_TRUE(ended.wait(20000));
  EXPECT_FALSE(ended.first().at(0).toBool());
  EXPECT_EQ(ended.first().at(1).toString(), "Export cancelled");
  EXPECT_FALSE(QFile::exists(dir.filePath("x8.png")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
  // The dialog can export again, and the window edits on.
  EXPECT_TRUE(exporter->exportButton()->isEnabled());
  drag(dlg, IdSeedBar, 3);
  EXPECT_EQ(dlg.model().seed(), 3);
}
