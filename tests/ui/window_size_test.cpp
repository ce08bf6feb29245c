// The main window on screens of every size: how the extra room of a larger
// window is shared out, how a window is fitted to a small screen, and the
// resized window as the user sees it.
#include <QApplication>
#include <QCheckBox>
#include <QScreen>

#include "document/preview.h"
#include "ui/artwork.h"
#include "ui/preview_control.h"
#include "ui/window_layout.h"
#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

struct GrowthCase {
  QSize extra;
  int preview;
  int rightColumn;
  int height;
};

class GrowthSharing : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(GrowthSharing, PreviewTakesTheLargestSquareAndTheRightColumnTheRest) {
  const GrowthCase c = GetParam();
  const Growth g = growthFor(c.extra);
  EXPECT_EQ(g.preview, c.preview);
  EXPECT_EQ(g.rightColumn, c.rightColumn);
  EXPECT_EQ(g.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Extras, GrowthSharing,
                         ::testing::Values(GrowthCase{QSize(0, 0), 0, 0, 0},
                                           GrowthCase{QSize(-50, -20), 0, 0, 0},  // smaller: scrolls
                                           GrowthCase{QSize(300, 100), 100, 200, 100},
                                           GrowthCase{QSize(100, 300), 100, 0, 300},
                                           GrowthCase{QSize(400, -10), 0, 400, 0}));

struct AnchorCase {
  Anchor anchor;
  QRect expected;  // of the rectangle (10, 20, 30, 40) after growth (preview 100,
                   // right column 60, height 100)
};

class AnchoredControl : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(AnchoredControl, FollowsItsPartOfTheGrowth) {
  const Growth g{100, 60, 100};
  const QRect base(10, 20, 30, 40);
  EXPECT_EQ(grownRect(base, GetParam().anchor, g), GetParam().expected);
  // At the default size nothing moves.
  EXPECT_EQ(grownRect(base, GetParam().anchor, Growth{}), base);
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, AnchoredControl,
    ::testing::Values(AnchorCase{Anchor::Fixed, QRect(10, 20, 30, 40)},
                      AnchorCase{Anchor::Preview, QRect(10, 20, 130, 140)},
                      AnchorCase{Anchor::BelowPreview, QRect(10, 120, 30, 40)},
                      AnchorCase{Anchor::WideBelowPreview, QRect(10, 120, 130, 40)},
                      AnchorCase{Anchor::Middle, QRect(110, 20, 30, 40)},
                      AnchorCase{Anchor::Tree, QRect(110, 20, 90, 90)},
                      AnchorCase{Anchor::ListCaption, QRect(110, 70, 30, 40)},
                      AnchorCase{Anchor::List, QRect(110, 70, 90, 90)},
                      AnchorCase{Anchor::BelowList, QRect(140, 120, 30, 40)},
                      AnchorCase{Anchor::BelowListFrame, QRect(110, 120, 90, 40)}));

TEST(WindowFit, NeverOpensLargerThanTheScreenLeaves) {
  const QSize frame(16, 48);
  // Fits: the default size.
  EXPECT_EQ(fittedWindowSize(QSize(962, 616), QSize(1280, 720), frame), QSize(962, 616));
  EXPECT_EQ(fittedWindowSize(QSize(962, 616), QSize(1920, 1080), frame), QSize(962, 616));
  // Too large in one or both directions: the screen less the frame.
  EXPECT_EQ(fittedWindowSize(QSize(1924, 1232), QSize(1920, 1080), frame), QSize(1904, 1032));
  EXPECT_EQ(fittedWindowSize(QSize(962, 616), QSize(800, 600), frame), QSize(784, 552));
  EXPECT_EQ(fittedWindowSize(QSize(962, 616), QSize(0, 0), frame), QSize(1, 1));
}

// The preview's picture as the screen shows it.
QImage shownPreview(CMottlerDlg& dlg) { return dlg.control(IdPreview)->grab().toImage(); }

QRgb opaque(std::uint32_t pixel) { return pixel | 0xFF000000u; }

// Resizes the window so that its client area gets a size, as a user
// dragging the window's edge does.
void resizeClient(CMottlerDlg& dlg, QWidget* client, QSize wanted) {
  for (int attempt = 0; attempt < 3 && client->size() != wanted; ++attempt) {
    dlg.resize(dlg.size() + wanted - client->size());
    QApplication::processEvents();
  }
  ASSERT_EQ(client->size(), wanted);
}

}  // namespace

TEST(ResizedWindow, PreviewGrowsAtAWholeZoomAndEveryControlFollows) {
  CMottlerDlg dlg;
  openProgram(dlg, emptyProgram(64, 64));
  finished(dlg);
  dlg.show();
  auto* client = dlg.control(IdPreview)->parentWidget();
  const QSize base = client->minimumSize();
  resizeClient(dlg, client, base);
  const QRect generate = dlg.control(IdGenerate)->geometry();
  const QRect listBefore = list(dlg)->geometry();
  const QRect seed = dlg.control(IdSeedBar)->geometry();

  // Room for the picture twice over, and more width for the right column.
  resizeClient(dlg, client, base + QSize(400, 300));
  auto* preview = static_cast<PreviewControl*>(dlg.control(IdPreview));
  EXPECT_EQ(preview->size(), QSize(258 + 300, 258 + 300));
  EXPECT_EQ(preview->scale(), 2);
  const QRect picture = preview->pictureRect();
  EXPECT_EQ(picture.size(), QSize(516, 516));

  // Every bitmap pixel is a 2 x 2 block of the same colour: texel (0, 0)
  // of the 64 x 64 texture at zoom 100 sits at bitmap (97, 97).
  const QImage shown = shownPreview(dlg);
  const std::uint32_t texel = finished(dlg).texture.data()[0];
  for (int dy = 0; dy < 2; ++dy)
    for (int dx = 0; dx < 2; ++dx)
      EXPECT_EQ(shown.pixel(picture.x() + 97 * 2 + dx, picture.y() + 97 * 2 + dy), opaque(texel));
  EXPECT_EQ(shown.pixel(picture.x(), picture.y()), opaque(0));  // the frame

  // The list grows, the controls keep their order: the middle column moves
  // right by the preview's growth, Generate stays under the list.
  EXPECT_GT(list(dlg)->height(), listBefore.height());
  EXPECT_GT(list(dlg)->width(), listBefore.width());
  EXPECT_EQ(dlg.control(IdSeedBar)->geometry(), seed.translated(300, 0));
  EXPECT_GT(dlg.control(IdGenerate)->y(), list(dlg)->geometry().bottom());
  EXPECT_GT(dlg.control(IdGenerate)->y(), generate.y());
  EXPECT_TRUE(client->rect().contains(dlg.control(IdGenerate)->geometry()));
  EXPECT_EQ(button(dlg, IdGenerate)->text(), "&Generate");

  // Back at the default size everything is where it was.
  resizeClient(dlg, client, base);
  EXPECT_EQ(preview->size(), QSize(258, 258));
  EXPECT_EQ(dlg.control(IdGenerate)->geometry(), generate);
}

TEST(ResizedWindow, SmallerThanTheDefaultScrollsInsteadOfHidingControls) {
  CMottlerDlg dlg;
  dlg.resize(400, 300);
  dlg.show();
  QApplication::processEvents();
  auto* client = dlg.control(IdPreview)->parentWidget();
  // The controls keep their default places; the window scrolls to them.
  EXPECT_GE(client->width(), client->minimumWidth());
  EXPECT_GE(client->height(), client->minimumHeight());
  EXPECT_EQ(dlg.control(IdPreview)->size(), QSize(258, 258));
  EXPECT_LE(dlg.height(), 300);
}

TEST(ResizedWindow, OpensWithinTheScreen) {
  CMottlerDlg dlg;
  dlg.show();
  QApplication::processEvents();
  const QRect available = dlg.screen()->availableGeometry();
  EXPECT_LE(dlg.width(), available.width());
  EXPECT_LE(dlg.height(), available.height());
}

// Icons are drawn afresh at the size and screen scale they are shown at:
// at 200 % a 16-pixel icon has 32 x 32 pixels of its own, not 16 enlarged.
class IconScale : public ::testing::TestWithParam<qreal> {};

TEST_P(IconScale, EveryIconHasThePixelsOfItsScale) {
  const qreal scale = GetParam();
  const int pixels = static_cast<int>(16 * scale);
  for (const QIcon& icon : {upIcon(), downIcon(), stripImage(0), stripImage(kDisabledEntryImage), applicationIcon()}) {
    const QPixmap pixmap = icon.pixmap(QSize(16, 16), scale);
    EXPECT_EQ(pixmap.size(), QSize(pixels, pixels));
    EXPECT_EQ(pixmap.devicePixelRatio(), scale);
    // Something is drawn: not every pixel is transparent.
    const QImage image = pixmap.toImage();
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
      for (int x = 0; x < image.width() && !drawn; ++x) drawn = qAlpha(image.pixel(x, y)) != 0;
    EXPECT_TRUE(drawn);
  }
  // Greyed for a disabled control, at the same size.
  EXPECT_EQ(upIcon().pixmap(QSize(16, 16), scale, QIcon::Disabled).size(), QSize(pixels, pixels));
}

INSTANTIATE_TEST_SUITE_P(Scales, IconScale, ::testing::Values(1.0, 1.5, 2.0, 3.0));
