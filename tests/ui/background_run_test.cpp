// Runs on the render worker: the window goes on during a run, the newest
// edit's picture is the one that stays, New and closing do not wait for a
// run, and Export writes the program as it was when asked, with the bytes
// the renderer writes.  Nothing here depends on how long a run takes: a
// handler returns before any run's end can be delivered, and the tests wait
// for the worker through the event loop.
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "document/program_file.h"
#include "engine/executor.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/scripted_dialog_seam.h"
#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

// A program of a plasma and eight blurs at their most passes: slow enough
// that a run is usually still going when the test acts next.
ProgramDocument heavyProgram(int seed = 0) {
  const CommandCatalogue catalogue;
  ProgramEntry blur = defaultEntry("Blur");
  blur.param[0] = catalogue.info(*catalogue.indexOfCode(kBlur)).maxValue[0];
  ProgramDocument doc = emptyProgram();
  doc.seed = seed;
  doc.entries.push_back(defaultEntry("Plasma"));
  doc.entries.insert(doc.entries.end(), 8, blur);
  return doc;
}

// The texture a run of a program from the top gives.
std::vector<std::uint32_t> rendered(const ProgramDocument& doc, int seed) {
  static TextureEngine engine;
  runProgram(engine, seed, loadIntoEngine(doc, engine));
  return {engine.texture.data(), engine.texture.data() + engine.pixelCount};
}

std::vector<std::uint32_t> shown(CMottlerDlg& dlg) { return finished(dlg).texture; }

QByteArray bytesOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(BackgroundRun, TheWindowGoesOnDuringARunAndTheNewestEditsPictureStays) {
  CMottlerDlg dlg;
  const ProgramDocument doc = heavyProgram();
  openProgram(dlg, doc);
  // The load returned with the new document shown; its run goes on.
  EXPECT_TRUE(dlg.isRunning());
  EXPECT_EQ(list(dlg)->count(), 9);

  // Edits during the run each ask for a run of the program as it is then;
  // the last one's picture is what stays.
  for (int seed : {5, 6, 7}) drag(dlg, IdSeedBar, seed);
  EXPECT_TRUE(dlg.isRunning());
  EXPECT_EQ(shown(dlg), rendered(doc, 7));
  EXPECT_FALSE(dlg.isRunning());
  QProgressBar* progress = dlg.control<QProgressBar>(IdProgress);
  EXPECT_EQ(progress->maximum(), 10);
  EXPECT_EQ(progress->value(), 10);

  // Zoom and "Look Buffer" show the finished picture and start no run.
  step(dlg, IdZoomBar, QAbstractSlider::SliderSingleStepAdd);
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  EXPECT_FALSE(dlg.isRunning());
}

TEST(BackgroundRun, NewDuringARunShowsTheNewDocumentAtOnceAndNeverTheOldPicture) {
  ScriptedDialogSeam seam;
  seam.answerNewTexture(ScriptedDialogSeam::typeAndOk("after", "64", "64"));
  CMottlerDlg dlg;
  openProgram(dlg, heavyProgram());
  dlg.model().setModified(false);
  ASSERT_TRUE(dlg.isRunning());

  trigger(dlg, IdFileNew);
  EXPECT_EQ(dlg.windowTitle(), "Mottler - after.mlr");
  EXPECT_EQ(list(dlg)->count(), 0);
  EXPECT_EQ(finished(dlg).width, 64);

  const std::vector<std::uint32_t> picture = shown(dlg);
  EXPECT_EQ(finished(dlg).width, 64);
  EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [](std::uint32_t p) { return p == 0; }));
}

TEST(BackgroundRun, ClosingDuringARunEndsTheWindowWithoutWaitingForIt) {
  CMottlerDlg dlg;
  dlg.show();
  openProgram(dlg, heavyProgram());
  dlg.model().setModified(false);
  ASSERT_TRUE(dlg.isRunning());
  dlg.close();
  EXPECT_FALSE(dlg.isVisible());
  // The cancelled run ends without a picture.
  dlg.waitUntilIdle();
  EXPECT_EQ(shown(dlg), std::vector<std::uint32_t>(256 * 256, 0u));
}

TEST(BackgroundRun, ExportWritesTheProgramAsItWasWhenAskedWithTheRenderersBytes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString program = dir.filePath("heavy.mlr");
  ASSERT_TRUE(writeProgramFile(program.toStdString(), heavyProgram(77)));
  ScriptedDialogSeam seam;
  CMottlerDlg dlg;
  ASSERT_TRUE(dlg.openStartupDocument(program));

  // A PNG, then an edit right after the command: the file is the program
  // as it was when Export was given.  Then a bitmap of the edited program.
  seam.answerFile(dir.filePath("tex"), kPngFilter);
  trigger(dlg, IdFileExport);
  drag(dlg, IdSeedBar, 78);
  seam.answerFile(dir.filePath("tex.mlr"));
  trigger(dlg, IdFileExport);
  dlg.waitUntilIdle();
  EXPECT_TRUE(seam.callsOf(ScriptedDialogSeam::Kind::Message).empty());
  EXPECT_EQ(dlg.statusText(), " " + dir.filePath("tex.bmp") + " saved");

  auto render = [&](const char* out, const char* seed) {
    QProcess renderer;
    renderer.start(MOTTLER_RENDER, {program, "-o", dir.filePath(out), "--seed", seed});
    return renderer.waitForFinished(-1) && renderer.exitCode() == 0;
  };
  ASSERT_TRUE(render("render.png", "77"));
  ASSERT_TRUE(render("render.bmp", "78"));
  EXPECT_EQ(bytesOf(dir.filePath("tex.png")), bytesOf(dir.filePath("render.png")));
  EXPECT_EQ(bytesOf(dir.filePath("tex.bmp")), bytesOf(dir.filePath("render.bmp")));
  EXPECT_FALSE(bytesOf(dir.filePath("tex.bmp")).isEmpty());
}
