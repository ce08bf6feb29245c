// "Export at Size": the sizes it offers, an export written at a scale (the
// same bytes as the engine makes there), a cancelled one that leaves no
// file, and a failed one that says so.
#include "ui/dialogs/export_size_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "document/bitmap_export.h"
#include "engine/commands.h"
#include "engine/executor.h"
#include "tests/temp_dir.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

CExportSizeDlg::Job smallJob(int width, int height) {
  CExportSizeDlg::Job job;
  job.width = width;
  job.height = height;
  job.seed = 17;
  ProgramEntry plasma;
  plasma.code = kPlasma;
  plasma.param = {3, 40, 127, 255, 200, 120, 0};
  plasma.method = Add;
  ProgramEntry blur;
  blur.code = kBlur;
  blur.param = {2, 0, 0, 0, 0, 0, 0};
  job.program = {plasma, blur, ProgramEntry{}};
  return job;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Waits for the export to end; its (written, message).
std::pair<bool, QString> waitForEnd(CExportSizeDlg& dlg) {
  QSignalSpy ended(&dlg, &CExportSizeDlg::exportEnded);
  EXPECT_TRUE(ended.wait(20000));
  if (ended.isEmpty()) return {false, QString()};
  return {ended.first().at(0).toBool(), ended.first().at(1).toString()};
}

}  // namespace

TEST(ExportSizeDialog, OffersTheDesignSizeAndItsMultiplesUpTo4096) {
  EXPECT_EQ(CExportSizeDlg::scalesFor(256, 256), (std::vector<int>{1, 2, 4, 8, 16}));
  EXPECT_EQ(CExportSizeDlg::scalesFor(256, 100), (std::vector<int>{1, 2, 4, 8, 16}));
  EXPECT_EQ(CExportSizeDlg::scalesFor(64, 48), (std::vector<int>{1, 2, 4, 8, 16}));
  EXPECT_EQ(CExportSizeDlg::estimatedSeconds(0.5, 4), 8.0);
  EXPECT_EQ(CExportSizeDlg::sizeText(256, 128, 8, 0.2),
            QString::fromUtf8("2048 \u00d7 1024 (\u00d78), under a second"));
  EXPECT_EQ(CExportSizeDlg::sizeText(64, 64, 1, 30.0),
            QString::fromUtf8("64 \u00d7 64 (design size), about 30 s"));

  CExportSizeDlg dlg(smallJob(32, 24), QStringLiteral("/tmp/x"));
  ASSERT_EQ(dlg.sizeBox()->count(), 5);
  EXPECT_TRUE(
      dlg.sizeBox()->itemText(4).startsWith(QString::fromUtf8("512 \u00d7 384 (\u00d716)")));
  EXPECT_EQ(dlg.typeBox()->count(), 2);
  EXPECT_EQ(dlg.cancelButton()->text(), "Close");
  EXPECT_FALSE(dlg.isModal());
  // The estimates come from a design-size run on another thread.
  EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.estimated(); }, 10000));
  QTest::qWait(120);
  EXPECT_FALSE(dlg.sizeBox()->itemText(0).contains("estimating"))
      << dlg.sizeBox()->itemText(0).toStdString();
}

TEST(ExportSizeDialog, WritesTheTextureAtTheChosenScaleInEitherType) {
  TempDir dir;
  for (const bool png : {true, false}) {
    CExportSizeDlg dlg(smallJob(32, 24), QString::fromStdString(dir / "t"));
    dlg.sizeBox()->setCurrentIndex(2);  // x4
    dlg.typeBox()->setCurrentIndex(png ? 0 : 1);
    const std::string path = dir / (png ? "t.png" : "t.bmp");
    dlg.startExport(QString::fromStdString(path));
    EXPECT_TRUE(dlg.running());
    EXPECT_FALSE(dlg.exportButton()->isEnabled());
    EXPECT_EQ(dlg.cancelButton()->text(), "Cancel");
    const auto [written, message] = waitForEnd(dlg);
    EXPECT_TRUE(written) << message.toStdString();
    EXPECT_TRUE(message.endsWith(" saved"));
    EXPECT_FALSE(dlg.running());
    EXPECT_EQ(dlg.progressBar()->value(), dlg.progressBar()->maximum());

    // The same bytes as a run of the engine at that scale.
    auto engine = std::make_unique<TextureEngine>();
    const CExportSizeDlg::Job job = smallJob(32, 24);
    engine->setScaledSize(32, 24, 4);
    std::copy(job.program.begin(), job.program.end(), engine->entries.begin());
    runProgram(*engine, job.seed, static_cast<int>(job.program.size()) - 1);
    const std::vector<std::uint8_t> bytes =
        png ? encodePng(*engine, engine->texture) : encodeBitmap(*engine, engine->texture);
    EXPECT_EQ(slurp(path), std::string(bytes.begin(), bytes.end()));
  }
}

TEST(ExportSizeDialog, ACancelledExportLeavesNoFileAndAFailedOneSaysSo) {
  TempDir dir;
  {
    // A heavy program at 4096 x 4096, cancelled at once.
    CExportSizeDlg::Job job = smallJob(256, 256);
    ProgramEntry blur;
    blur.code = kBlur;
    blur.param = {255, 0, 0, 0, 0, 0, 0};
    job.program.insert(job.program.end() - 1, 8, blur);
    CExportSizeDlg dlg(job, QString::fromStdString(dir / "big"));
    dlg.sizeBox()->setCurrentIndex(dlg.sizeBox()->count() - 1);
    dlg.startExport(QString::fromStdString(dir / "big.png"));
    QTest::mouseClick(dlg.cancelButton(), Qt::LeftButton);
    const auto [written, message] = waitForEnd(dlg);
    EXPECT_FALSE(written);
    EXPECT_EQ(message, "Export cancelled");
    EXPECT_FALSE(fs::exists(dir / "big.png"));
    EXPECT_EQ(dlg.cancelButton()->text(), "Close");
  }
  {
    CExportSizeDlg dlg(smallJob(16, 16), QString::fromStdString(dir / "x"));
    dlg.startExport(QString::fromStdString(dir / "no-such-folder/x.png"));
    const auto [written, message] = waitForEnd(dlg);
    EXPECT_FALSE(written);
    EXPECT_TRUE(message.startsWith("File could not be saved: ")) << message.toStdString();
    EXPECT_EQ(dlg.statusLabel()->text(), message);
  }
}

TEST(ExportSizeDialog, ClosingItWhileItRendersStopsTheRender) {
  TempDir dir;
  CExportSizeDlg::Job job = smallJob(256, 256);
  ProgramEntry blur;
  blur.code = kBlur;
  blur.param = {255, 0, 0, 0, 0, 0, 0};
  job.program.insert(job.program.end() - 1, 8, blur);
  auto dlg = std::make_unique<CExportSizeDlg>(job, QString::fromStdString(dir / "big"));
  dlg->sizeBox()->setCurrentIndex(dlg->sizeBox()->count() - 1);
  dlg->startExport(QString::fromStdString(dir / "big.png"));
  dlg.reset();  // joins the worker after cancelling it
  EXPECT_FALSE(fs::exists(dir / "big.png"));
}
