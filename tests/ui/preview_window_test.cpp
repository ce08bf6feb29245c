// The preview in the window: Auto Zoom, the zoom scroll bar and "Look Buffer".
#include <QCheckBox>
#include <QLabel>

#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

TEST(PreviewWindow, AutoZoomButtonRedrawsAtTheFittingZoom) {
  CMottlerDlg dlg;
  openProgram(dlg, emptyProgram(200, 100));
  dlg.model().setModified(false);
  markTexture(dlg);
  press(dlg, IdAutoZoom);
  EXPECT_EQ(dlg.zoom, 128);
  EXPECT_EQ(bar(dlg, IdZoomBar)->value(), 128);
  EXPECT_EQ(dlg.control<QLabel>(IdZoomText)->text(), "128 %");
  EXPECT_FALSE(dlg.model().modified());
  EXPECT_FALSE(programRanSinceMark(dlg));
  // 200 x 100 at 128 %: 256 x 128 at (1, 65).
  EXPECT_EQ(dlg.previewBits[65 * 258 + 1], kMarker);
  EXPECT_EQ(dlg.previewBits[64 * 258 + 1], 0u);
}

TEST(PreviewWindow, LookBufferShowsTheBuffer) {
  CMottlerDlg dlg;
  dlg.control<QCheckBox>(IdAutoGenerate)->click();  // off, so nothing clears the planes
  dlg.engine().buffer.data()[0] = 0x00ABCDEF;
  dlg.engine().texture.data()[0] = kMarker;
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  EXPECT_EQ(dlg.previewBits[1 * 258 + 1], 0u);  // not redrawn yet: the old picture
  press(dlg, IdAutoZoom);                       // a forced redraw shows the buffer
  EXPECT_EQ(dlg.previewBits[1 * 258 + 1], 0x00ABCDEFu);
  dlg.control<QCheckBox>(IdLookBuffer)->click();
  press(dlg, IdAutoZoom);
  EXPECT_EQ(dlg.previewBits[1 * 258 + 1], kMarker);
}

TEST(PreviewWindow, ZoomScrollBarFollowsADrag) {
  CMottlerDlg dlg;
  std::fill(dlg.engine().texture.data(), dlg.engine().texture.data() + 256 * 256, 0u);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) dlg.engine().texture.data()[y * 256 + x] = static_cast<std::uint32_t>(y << 8 | x);
  dlg.control<QCheckBox>(IdAutoGenerate)->click();
  drag(dlg, IdZoomBar, 150);
  EXPECT_EQ(dlg.control<QLabel>(IdZoomText)->text(), "150 %");
  EXPECT_EQ(dlg.previewBits[1 * 258 + 1] & 0xFFu, 41u + 1u);  // column 1 of the bitmap
  EXPECT_EQ(dlg.previewBits[0], 0u);
}

TEST(PreviewWindow, TileShowsNineCopiesThatFitWithoutRunning) {
  CMottlerDlg dlg;
  openProgram(dlg, emptyProgram(64, 64));
  markTexture(dlg);
  dlg.control<QCheckBox>(IdTile)->click();
  EXPECT_FALSE(programRanSinceMark(dlg));
  // 3 x 3 copies of 64 x 64 at a whole zoom of 1: 192 x 192 at (33, 33);
  // texel (0, 0) starts each copy.
  for (int y : {33, 97, 161})
    for (int x : {33, 97, 161}) EXPECT_EQ(dlg.previewBits[y * 258 + x], kMarker) << x << "," << y;
  EXPECT_EQ(dlg.previewBits[32 * 258 + 32], 0u);
  EXPECT_EQ(dlg.previewBits[225 * 258 + 225], 0u);
  dlg.control<QCheckBox>(IdTile)->click();
  EXPECT_EQ(dlg.previewBits[33 * 258 + 33], 0u);
  EXPECT_EQ(dlg.previewBits[97 * 258 + 97], kMarker);
}
