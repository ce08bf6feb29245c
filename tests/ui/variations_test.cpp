// View > Variations: the current program with nine seeds, chosen with the
// mouse or the keys as one undo step, rerolled with "More", and named by
// seed for a screen reader.
#include <QAccessible>
#include <QToolButton>
#include <QMenuBar>
#include <QSet>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include "engine/program_runner.h"
#include "ui/variations_view.h"
#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

// The texture a program gives with a seed, made apart from the window.
std::vector<std::uint32_t> textureOf(const std::vector<ProgramEntry>& program, int seed, int width,
                                     int height) {
  auto engine = std::make_unique<TextureEngine>();
  engine->setSize(width, height);
  ProgramRunner runner(std::size_t{8} << 20);
  runner.run(*engine, seed, program);
  return {engine->texture.data(), engine->texture.data() + engine->pixelCount};
}

class Variations : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramDocument doc = emptyProgram(32, 32);
    doc.entries = {defaultEntry("Plasma", 32, 32), defaultEntry("Blobs", 32, 32)};
    doc.seed = 77;
    openProgram(dlg, doc);
    finished(dlg);
    trigger(dlg, IdViewVariations);
    view = dlg.variations();
    ASSERT_NE(view, nullptr);
    view->waitUntilRendered();
  }

  // What a screen reader says for each cell.
  QStringList spokenNames() const {
    QStringList names;
    for (int i = 0; i < kVariationCells; ++i) {
      QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(view->cell(i));
      names << (cell != nullptr ? cell->text(QAccessible::Name) : QString());
    }
    return names;
  }

  CMottlerDlg dlg;
  VariationsView* view = nullptr;
};

}  // namespace

TEST(VariationsMenu, ViewMenuSitsBetweenTheOthersAndKeepsThem) {
  CMottlerDlg dlg;
  QStringList menus;
  for (QAction* a : dlg.findChild<QMenuBar*>()->actions()) menus << a->text();
  EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&View", "&Help"}));
  EXPECT_EQ(dlg.menuCommand(IdViewVariations)->text(), "&Variations");
  EXPECT_FALSE(dlg.menuCommand(IdViewVariations)->shortcut().isEmpty());
  for (int id : {IdFileNew, IdFileOpen, IdFileSave, IdFileSaveAs, IdFileExport, IdFileExit, IdHelpContents,
                 IdHelpWebSite, IdHelpAbout})
    EXPECT_NE(dlg.menuCommand(id), nullptr) << id;
}

// Two menu commands once shared a number (Export at Size and Variations),
// so the window found only one of them by it.
TEST(VariationsMenu, EveryMenuCommandHasANumberOfItsOwn) {
  CMottlerDlg dlg;
  QStringList names;
  for (QAction* menu : dlg.findChild<QMenuBar*>()->actions())
    for (QAction* a : menu->menu()->actions())
      if (!a->isSeparator()) names << a->objectName();
  EXPECT_EQ(names.size(), QSet<QString>(names.begin(), names.end()).size()) << names.join(' ').toStdString();
  for (const QString& name : names) EXPECT_FALSE(name.isEmpty());
}

TEST_F(Variations, NineSeedsAroundTheCurrentEachRenderedAtTheDesignSize) {
  EXPECT_TRUE(view->isVisible());
  const auto seeds = view->seeds();
  EXPECT_EQ(seeds[kVariationCentre], 77);
  const std::vector<ProgramEntry> program = dlg.model().runSlots();
  for (int cell = 0; cell < kVariationCells; ++cell) {
    const QImage& picture = view->picture(cell);
    ASSERT_EQ(picture.size(), QSize(32, 32)) << cell;
    EXPECT_EQ(pixelsOf(picture), textureOf(program, seeds[static_cast<std::size_t>(cell)], 32, 32)) << cell;
  }
  // Read by seed; the centre is the current one.
  const QStringList names = spokenNames();
  EXPECT_EQ(names[kVariationCentre], "Seed 77, current");
  EXPECT_EQ(names[0], QStringLiteral("Seed %1").arg(seeds[0]));
  for (int cell = 0; cell < kVariationCells; ++cell) {
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(view->cell(cell));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role(), QAccessible::Button);
  }
}

TEST_F(Variations, ArrowKeysAndEnterSetTheSeedAsOneUndoStep) {
  const auto seeds = view->seeds();
  const int steps = dlg.undoStack().count();
  EXPECT_EQ(view->focusWidget(), view->cell(kVariationCentre));
  QTest::keyClick(view->cell(kVariationCentre), Qt::Key_Right);
  EXPECT_EQ(view->focusWidget(), view->cell(5));
  QTest::keyClick(view->cell(5), Qt::Key_Return);
  EXPECT_EQ(dlg.model().seed(), seeds[5]);
  EXPECT_EQ(bar(dlg, IdSeedBar)->value(), seeds[5]);
  EXPECT_EQ(dlg.undoStack().count(), steps + 1);
  // The chosen seed is the centre now; its picture moved with it.
  EXPECT_EQ(view->seeds()[kVariationCentre], seeds[5]);
  EXPECT_EQ(view->seeds()[5], 77);
  EXPECT_FALSE(view->isRendering());
  EXPECT_TRUE(view->isVisible());  // Enter does not close the grid

  dlg.undoStack().undo();
  EXPECT_EQ(dlg.model().seed(), 77);
}

TEST_F(Variations, ClickSetsTheSeedAndTheWindowRunsIt) {
  const auto seeds = view->seeds();
  QTest::mouseClick(view->cell(0), Qt::LeftButton);
  EXPECT_EQ(dlg.model().seed(), seeds[0]);
  const std::vector<std::uint32_t> texture =
      textureOf(dlg.model().runSlots(), seeds[0], 32, 32);
  EXPECT_EQ(finished(dlg).texture, texture);
}

TEST_F(Variations, MoreRerollsTheEightAndKeepsTheCentre) {
  const auto before = view->seeds();
  view->findChild<QPushButton*>()->click();  // More
  const auto after = view->seeds();
  EXPECT_EQ(after[kVariationCentre], 77);
  EXPECT_NE(after, before);
  view->waitUntilRendered();
  for (int cell = 0; cell < kVariationCells; ++cell) EXPECT_FALSE(view->picture(cell).isNull());
  EXPECT_EQ(spokenNames()[0], QStringLiteral("Seed %1").arg(after[0]));
}

TEST_F(Variations, AnEditOfTheProgramRendersTheGridAgain) {
  const QImage centre = view->picture(kVariationCentre);
  choose(dlg, "Twirl");
  press(dlg, IdAdd);
  view->waitUntilRendered();
  EXPECT_EQ(view->seeds()[kVariationCentre], 77);
  EXPECT_EQ(pixelsOf(view->picture(kVariationCentre)), textureOf(dlg.model().runSlots(), 77, 32, 32));
  EXPECT_NE(view->picture(kVariationCentre), centre);
}
