// The parameter panel's scroll-bar rules and who runs the program.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <algorithm>

#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

QString label(CMottlerDlg& dlg, int id) { return dlg.control<QLabel>(id)->text(); }

}  // namespace

TEST(ParameterPanel, TwirlShowsOneRowAndADragWritesEveryStep) {
  CMottlerDlg dlg;
  choose(dlg, "Twirl");
  EXPECT_EQ(label(dlg, kParamLabelIds[0]), "Angle");
  EXPECT_EQ(label(dlg, kParamValueIds[0]), "90");
  EXPECT_EQ(bar(dlg, kParamBarIds[0])->minimum(), -180);
  EXPECT_EQ(bar(dlg, kParamBarIds[0])->maximum(), 180);
  for (int k = 1; k < 7; ++k) {
    EXPECT_EQ(label(dlg, kParamLabelIds[k]), "None");
    EXPECT_EQ(label(dlg, kParamValueIds[k]), "");
    EXPECT_FALSE(bar(dlg, kParamBarIds[k])->isEnabled());
  }
  QScrollBar* angle = bar(dlg, kParamBarIds[0]);
  angle->setSliderDown(true);
  for (int position : {60, 10, -45}) {
    markTexture(dlg);
    angle->setSliderPosition(position);
    EXPECT_EQ(entryAt(dlg, 0).param[0], position);
    EXPECT_TRUE(programRanSinceMark(dlg)) << position;  // regenerates at every step
  }
  angle->setSliderDown(false);
  EXPECT_EQ(label(dlg, kParamValueIds[0]), "-45");
}

TEST(ParameterPanel, StepsStopAtTheRangeAndAnUnchangedPositionDoesNothing) {
  CMottlerDlg dlg;
  choose(dlg, "Enviroument Map");  // "Radius" 1..256 on a 256-wide texture
  QScrollBar* radius = bar(dlg, kParamBarIds[0]);
  EXPECT_EQ(radius->maximum(), 256);
  drag(dlg, kParamBarIds[0], 250);
  step(dlg, kParamBarIds[0], QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(radius->value(), 256);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 256);

  dlg.model().setModified(false);
  markTexture(dlg);
  step(dlg, kParamBarIds[0], QAbstractSlider::SliderSingleStepAdd);  // at the maximum
  EXPECT_EQ(radius->value(), 256);
  EXPECT_FALSE(dlg.model().modified());
  EXPECT_FALSE(programRanSinceMark(dlg));
  EXPECT_FALSE(dlg.redrawRequested());

  step(dlg, kParamBarIds[0], QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 246);
  step(dlg, kParamBarIds[0], QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 245);
  EXPECT_TRUE(dlg.model().modified());
  // Jumps to an end are not steps of this panel.
  step(dlg, kParamBarIds[0], QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(radius->value(), 245);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 245);
}

TEST(ParameterPanel, OffsetsAndMethodWriteTheEntry) {
  CMottlerDlg dlg;
  choose(dlg, "Perlin Noise");
  drag(dlg, IdOffsetXBar, 200);
  step(dlg, IdOffsetYBar, QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(entryAt(dlg, 0).offsetX, 200);
  EXPECT_EQ(entryAt(dlg, 0).offsetY, 10);
  EXPECT_EQ(label(dlg, IdOffsetXText), "200");
  EXPECT_EQ(bar(dlg, IdOffsetXBar)->maximum(), 255);

  dlg.model().setModified(false);
  markTexture(dlg);
  QComboBox* method = dlg.control<QComboBox>(IdMethod);
  method->setCurrentIndex(Darken);
  emit method->activated(Darken);
  EXPECT_EQ(entryAt(dlg, 0).method, Darken);
  EXPECT_TRUE(programRanSinceMark(dlg));
  dlg.control<QCheckBox>(IdFixedColors)->click();
  EXPECT_EQ(entryAt(dlg, 0).fixedColors, 1);
  // Like every other change of the program, they leave the document
  // modified (after a save, closing then asks before they are lost).
  EXPECT_TRUE(dlg.model().modified());
}

TEST(ParameterPanel, SmallTexturesNarrowOffsetsAndSizeDependentLimits) {
  CMottlerDlg dlg;
  openProgram(dlg, emptyProgram(100, 60));
  EXPECT_EQ(bar(dlg, IdOffsetXBar)->maximum(), 99);
  EXPECT_EQ(bar(dlg, IdOffsetYBar)->maximum(), 59);
  choose(dlg, "Enviroument Map");
  EXPECT_EQ(bar(dlg, kParamBarIds[0])->maximum(), 100);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 50);
}

TEST(ParameterPanel, SeedMarksModifiedEvenWithAnEmptyProgram) {
  CMottlerDlg dlg;
  step(dlg, IdSeedBar, QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(label(dlg, IdSeedText), "1");
  EXPECT_TRUE(dlg.model().modified());
}

TEST(ParameterPanel, TheRunSeedIsTheSeedScrollBar) {
  CMottlerDlg dlg;
  choose(dlg, "Twirl");  // draws no random numbers: the state stays the seed
  drag(dlg, IdSeedBar, 1234);
  EXPECT_EQ(finished(dlg).random.state, 1234u);
}

TEST(ParameterPanel, ZoomRedrawsWithoutRunningOrMarkingModified) {
  CMottlerDlg dlg;
  ProgramDocument doc = emptyProgram();
  doc.entries = {defaultEntry("Plasma")};
  openProgram(dlg, doc);
  dlg.model().setModified(false);
  dlg.control<QCheckBox>(IdAutoGenerate)->click();  // off
  const std::vector<std::uint32_t> texture = finished(dlg).texture;
  markTexture(dlg);
  step(dlg, IdZoomBar, QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(dlg.zoom(), 110);
  EXPECT_EQ(label(dlg, IdZoomText), "110 %");
  EXPECT_FALSE(dlg.model().modified());
  EXPECT_FALSE(programRanSinceMark(dlg));
  // The picture is drawn again at the new zoom: 281 x 281 at (-11, -11),
  // so bitmap pixel (1, 1) shows texel (10, 10) (12 x 65536 x 256 / 281).
  EXPECT_EQ(shownPixel(dlg, 1, 1), texture[10 * 256 + 10]);

  drag(dlg, IdZoomBar, 1000);
  step(dlg, IdZoomBar, QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(dlg.zoom(), 1000);
  EXPECT_FALSE(dlg.redrawRequested());
}

TEST(Generate, WithoutAutoGenerateAParameterChangesTheEntryButNotThePicture) {
  CMottlerDlg dlg;
  choose(dlg, "Twirl");
  dlg.control<QCheckBox>(IdAutoGenerate)->click();  // off
  markTexture(dlg);
  const QImage before = static_cast<PreviewControl*>(dlg.control(IdPreview))->image();
  step(dlg, kParamBarIds[0], QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 91);
  EXPECT_EQ(label(dlg, kParamValueIds[0]), "91");
  EXPECT_FALSE(programRanSinceMark(dlg));
  EXPECT_EQ(static_cast<PreviewControl*>(dlg.control(IdPreview))->image(), before);

  press(dlg, IdGenerate);
  EXPECT_TRUE(programRanSinceMark(dlg));
  EXPECT_FALSE(dlg.redrawRequested());
}

TEST(Generate, EmptyProgramLeavesABlackTextureAndAFullProgressBar) {
  CMottlerDlg dlg;
  markTexture(dlg);
  press(dlg, IdGenerate);
  EXPECT_TRUE(programRanSinceMark(dlg));
  ASSERT_EQ(finished(dlg).texture.size(), 256u * 256u);
  EXPECT_TRUE(std::all_of(finished(dlg).texture.begin(), finished(dlg).texture.end(),
                          [](std::uint32_t p) { return p == 0; }));
  EXPECT_EQ(shownPixel(dlg, 128, 128), 0u);
  EXPECT_EQ(dlg.control<QProgressBar>(IdProgress)->minimum(), 0);
  EXPECT_EQ(dlg.control<QProgressBar>(IdProgress)->maximum(), 1);
  EXPECT_EQ(dlg.control<QProgressBar>(IdProgress)->value(), 1);
}

TEST(Generate, LookBufferNeverRunsAndTheToggleRunsWhenTurnedOn) {
  CMottlerDlg dlg;
  markTexture(dlg);
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  EXPECT_FALSE(programRanSinceMark(dlg));

  dlg.control<QCheckBox>(IdAutoGenerate)->click();  // off: no run
  markTexture(dlg);
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  EXPECT_FALSE(programRanSinceMark(dlg));
  dlg.control<QCheckBox>(IdAutoGenerate)->click();  // on again: runs
  EXPECT_TRUE(programRanSinceMark(dlg));
}

TEST(Generate, PaintRedrawsFromThePlanesWithoutRunning) {
  CMottlerDlg dlg;
  dlg.show();
  choose(dlg, "Plasma");
  press(dlg, IdAdd);
  const std::uint32_t texel = finished(dlg).texture.data()[0];
  QApplication::processEvents();
  // Painting shows the picture of the last run as it is and runs nothing.
  dlg.control(IdPreview)->repaint();
  EXPECT_FALSE(dlg.isRunning());
  const QImage shown = dlg.control(IdPreview)->grab().toImage();
  EXPECT_NE(texel, 0u);
  EXPECT_EQ(shown.pixel(1, 1) & 0xFFFFFFu, texel);
  EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFFu, 0u);
}
