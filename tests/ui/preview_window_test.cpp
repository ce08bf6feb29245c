// The preview in the window: Auto Zoom, the zoom scroll bar and "Look Buffer".
#include <QCheckBox>
#include <QLabel>

#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

// A program whose texture has no black texel at (0, 0).
ProgramDocument plasmaProgram(int width, int height) {
  ProgramDocument doc = emptyProgram(width, height);
  doc.entries = {defaultEntry("Plasma", width, height)};
  return doc;
}

}  // namespace

TEST(PreviewWindow, AutoZoomButtonRedrawsAtTheFittingZoom) {
  CMottlerDlg dlg;
  openProgram(dlg, plasmaProgram(200, 100));
  dlg.model().setModified(false);
  const std::uint32_t texel = finished(dlg).texture[0];
  ASSERT_NE(texel, 0u);
  markTexture(dlg);
  press(dlg, IdAutoZoom);
  EXPECT_EQ(dlg.zoom(), 128);
  EXPECT_EQ(bar(dlg, IdZoomBar)->value(), 128);
  EXPECT_EQ(dlg.control<QLabel>(IdZoomText)->text(), "128 %");
  EXPECT_FALSE(dlg.model().modified());
  EXPECT_FALSE(programRanSinceMark(dlg));
  // 200 x 100 at 128 %: 256 x 128 at (1, 65).
  EXPECT_EQ(shownPixel(dlg, 1, 65), texel);
  EXPECT_EQ(shownPixel(dlg, 1, 64), 0u);
}

TEST(PreviewWindow, LookBufferShowsTheBuffer) {
  CMottlerDlg dlg;
  ProgramDocument doc = plasmaProgram(256, 256);
  doc.entries.push_back(defaultEntry("Move to Buffer"));
  doc.entries.push_back(defaultEntry("Sine Plasma"));
  openProgram(dlg, doc);
  const RunOutcome picture = finished(dlg);
  ASSERT_NE(picture.buffer[0], picture.texture[0]);
  dlg.control<QCheckBox>(IdAutoGenerate)->click();  // off, so nothing runs
  EXPECT_EQ(shownPixel(dlg, 1, 1), picture.texture[0]);
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  EXPECT_EQ(shownPixel(dlg, 1, 1), picture.texture[0]);  // not redrawn yet: the old picture
  press(dlg, IdAutoZoom);                                // a forced redraw shows the buffer
  EXPECT_EQ(shownPixel(dlg, 1, 1), picture.buffer[0]);
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  press(dlg, IdAutoZoom);
  EXPECT_EQ(shownPixel(dlg, 1, 1), picture.texture[0]);
}

// What the preview shows of a width x height picture at zoom 100 (centred).
std::vector<std::uint32_t> shownPicture(CMottlerDlg& dlg, int width, int height) {
  std::vector<std::uint32_t> pixels;
  const int x0 = (256 - width) / 2 + 1;
  const int y0 = (256 - height) / 2 + 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(shownPixel(dlg, x0 + x, y0 + y));
  return pixels;
}

// Regression: after a run, "Look Buffer" showed the buffer of an earlier
// run (the window kept planes of its own that a run did not replace).
TEST(PreviewWindow, LookBufferAfterARunShowsTheBufferOfThatRun) {
  CMottlerDlg dlg;
  ProgramDocument doc = emptyProgram(64, 64);
  doc.entries = {defaultEntry("Blobs", 64, 64), defaultEntry("Move to Buffer", 64, 64),
                 defaultEntry("Clear Texture", 64, 64)};
  openProgram(dlg, doc);
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  const std::vector<std::uint32_t> first = finished(dlg).buffer;
  EXPECT_EQ(shownPicture(dlg, 64, 64), first);
  // Each new seed gives another buffer, and the preview shows that one.
  for (int seed : {1, 2, 3}) {
    drag(dlg, IdSeedBar, seed);
    const std::vector<std::uint32_t> buffer = finished(dlg).buffer;
    EXPECT_NE(buffer, first) << seed;
    EXPECT_EQ(shownPicture(dlg, 64, 64), buffer) << seed;
  }
}

TEST(PreviewWindow, ZoomScrollBarFollowsADrag) {
  CMottlerDlg dlg;
  openProgram(dlg, plasmaProgram(256, 256));
  const std::vector<std::uint32_t> texture = finished(dlg).texture;
  dlg.control<QCheckBox>(IdAutoGenerate)->click();
  drag(dlg, IdZoomBar, 150);
  EXPECT_EQ(dlg.control<QLabel>(IdZoomText)->text(), "150 %");
  // 384 x 384 at (-63, -63): bitmap (1, 1) is texel (42, 42).
  EXPECT_EQ(shownPixel(dlg, 1, 1), texture[42 * 256 + 42]);
  EXPECT_EQ(shownPixel(dlg, 0, 0), 0u);
}

TEST(PreviewWindow, TileShowsNineCopiesThatFitWithoutRunning) {
  CMottlerDlg dlg;
  openProgram(dlg, plasmaProgram(64, 64));
  const std::vector<std::uint32_t> texture = finished(dlg).texture;
  markTexture(dlg);
  dlg.control<QCheckBox>(IdTile)->click();
  EXPECT_FALSE(programRanSinceMark(dlg));
  // 3 x 3 copies of 64 x 64 at a whole zoom of 1: 192 x 192 at (33, 33);
  // texel (0, 0) starts each copy, texel (63, 63) ends it.
  for (int y : {33, 97, 161})
    for (int x : {33, 97, 161}) {
      EXPECT_EQ(shownPixel(dlg, x, y), texture[0]) << x << "," << y;
      EXPECT_EQ(shownPixel(dlg, x + 63, y + 63), texture[63 * 64 + 63]) << x << "," << y;
    }
  EXPECT_EQ(shownPixel(dlg, 32, 32), 0u);
  EXPECT_EQ(shownPixel(dlg, 225, 225), 0u);
  dlg.control<QCheckBox>(IdTile)->click();
  // One copy at zoom 100 again: 64 x 64 at (97, 97).
  EXPECT_EQ(shownPixel(dlg, 33, 33), 0u);
  EXPECT_EQ(shownPixel(dlg, 97, 97), texture[0]);
}
