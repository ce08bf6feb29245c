// The program editor: pending entry, list selection, and the six buttons
// through the editor's four states.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

// Commits the named commands, in order.
void compose(CMottlerDlg& dlg, const QStringList& names) {
  for (const QString& name : names) {
    choose(dlg, name);
    press(dlg, IdAdd);
  }
}

void expectIdleButtons(CMottlerDlg& dlg) {
  for (int id : {IdUp, IdDown, IdAdd, IdCancel, IdState, IdRemove}) EXPECT_FALSE(button(dlg, id)->isEnabled()) << id;
}

}  // namespace

TEST(ProgramEditor, ChoosingACommandMakesAPendingEntryThatAddCommits) {
  CMottlerDlg dlg;
  choose(dlg, "Plasma");
  EXPECT_EQ(listTexts(dlg), QStringList{"Plasma"});
  EXPECT_EQ(codeAt(dlg, 0), kPlasma);
  EXPECT_EQ(dlg.model().programLength(), 0);
  EXPECT_TRUE(dlg.model().modified());
  EXPECT_FALSE(saveEnabled(dlg));
  EXPECT_FALSE(list(dlg)->isEnabled());
  for (int id : {IdUp, IdDown, IdAdd, IdCancel}) EXPECT_TRUE(button(dlg, id)->isEnabled()) << id;
  // The pending entry is part of the run: range 0..N+1 with N = 0.
  dlg.waitUntilIdle();
  EXPECT_EQ(dlg.control<QProgressBar>(IdProgress)->maximum(), 1);
  EXPECT_EQ(dlg.control<QProgressBar>(IdProgress)->value(), 1);
  // The run's time replaces what the status bar said before the run.
  EXPECT_TRUE(QRegularExpression("^Generated in \\d+\\.\\d ms$").match(dlg.statusText()).hasMatch())
      << dlg.statusText().toStdString();

  press(dlg, IdAdd);
  EXPECT_EQ(dlg.model().programLength(), 1);
  EXPECT_EQ(dlg.model().currentIndex(), 1);
  EXPECT_TRUE(saveEnabled(dlg));
  EXPECT_TRUE(saveAsEnabled(dlg));
  EXPECT_TRUE(list(dlg)->isEnabled());
  EXPECT_EQ(tree(dlg)->currentItem(), tree(dlg)->topLevelItem(0));
  expectIdleButtons(dlg);
  EXPECT_EQ(dlg.control<QLabel>(kParamLabelIds[0])->text(), "None");
}

TEST(ProgramEditor, PendingEntryTakesDefaultsAndEntryOptions) {
  CMottlerDlg dlg;
  choose(dlg, "Perlin Noise");  // layer flags 3: Method, offsets and Fixed Colors
  const ProgramEntry e = entryAt(dlg, 0);
  EXPECT_EQ(e.method, Add);
  EXPECT_EQ(e.param[1], 64);  // a quarter of the width
  EXPECT_EQ(e.param[3], 255);
  EXPECT_TRUE(dlg.control<QCheckBox>(IdFixedColors)->isEnabled());
  EXPECT_TRUE(dlg.control<QComboBox>(IdMethod)->isEnabled());
  EXPECT_TRUE(bar(dlg, IdOffsetXBar)->isEnabled());
  EXPECT_EQ(dlg.control<QLabel>(IdOffsetXText)->text(), "0");

  choose(dlg, "Plasma");  // flags 1: no Fixed Colors; replaces the pending command
  EXPECT_FALSE(dlg.control<QCheckBox>(IdFixedColors)->isEnabled());
  EXPECT_TRUE(dlg.control<QComboBox>(IdMethod)->isEnabled());
  EXPECT_EQ(listTexts(dlg), QStringList{"Plasma"});
  EXPECT_EQ(codeAt(dlg, 0), kPlasma);

  choose(dlg, "Blur");  // flags 0: no entry options at all
  EXPECT_FALSE(dlg.control<QComboBox>(IdMethod)->isEnabled());
  EXPECT_FALSE(bar(dlg, IdOffsetXBar)->isEnabled());
  EXPECT_EQ(dlg.control<QLabel>(IdOffsetXText)->text(), "");
  EXPECT_EQ(listTexts(dlg), QStringList{"Blur"});

  // A category item chooses nothing.
  choose(dlg, "Deform");
  EXPECT_EQ(listTexts(dlg), QStringList{"Blur"});
  EXPECT_TRUE(button(dlg, IdAdd)->isEnabled());
}

TEST(ProgramEditor, UpMovesThePendingEntryToTheTopAndStopsThere) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma", "Blobs"});
  choose(dlg, "Twirl");
  press(dlg, IdUp);
  press(dlg, IdUp);
  EXPECT_EQ(dlg.model().currentIndex(), 0);
  press(dlg, IdUp);  // already first: nothing
  EXPECT_EQ(listTexts(dlg), (QStringList{"Twirl", "Plasma", "Blobs"}));
  press(dlg, IdAdd);
  EXPECT_EQ(dlg.model().programLength(), 3);
  EXPECT_EQ(codeAt(dlg, 0), kTwirl);
  EXPECT_EQ(codeAt(dlg, 1), kPlasma);
  EXPECT_EQ(codeAt(dlg, 2), kBlobs);
  EXPECT_EQ(codeAt(dlg, 3), 0u);
}

TEST(ProgramEditor, DownStopsAtTheEndAndParametersFollowTheMovedEntry) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma"});
  choose(dlg, "Twirl");
  press(dlg, IdUp);
  drag(dlg, kParamBarIds[0], -45);
  EXPECT_EQ(entryAt(dlg, 0).param[0], -45);
  EXPECT_EQ(entryAt(dlg, 1).code, kPlasma);
  press(dlg, IdDown);
  press(dlg, IdDown);  // already last: nothing
  EXPECT_EQ(listTexts(dlg), (QStringList{"Plasma", "Twirl"}));
  EXPECT_EQ(entryAt(dlg, 1).param[0], -45);
}

TEST(ProgramEditor, CancelRestoresTheProgram) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma"});
  choose(dlg, "Worms");
  press(dlg, IdUp);
  press(dlg, IdCancel);
  EXPECT_EQ(dlg.model().programLength(), 1);
  EXPECT_EQ(listTexts(dlg), QStringList{"Plasma"});
  EXPECT_EQ(codeAt(dlg, 0), kPlasma);
  EXPECT_EQ(codeAt(dlg, 1), 0u);
  EXPECT_TRUE(saveEnabled(dlg));
  EXPECT_TRUE(list(dlg)->isEnabled());
  expectIdleButtons(dlg);
}

TEST(ProgramEditor, CancelOnAnEmptyProgramStillEnablesSave) {
  CMottlerDlg dlg;
  choose(dlg, "Circles");
  press(dlg, IdCancel);
  EXPECT_EQ(dlg.model().programLength(), 0);
  EXPECT_EQ(list(dlg)->count(), 0);
  EXPECT_EQ(codeAt(dlg, 0), 0u);
  EXPECT_TRUE(saveEnabled(dlg));
  EXPECT_TRUE(saveAsEnabled(dlg));
}

TEST(ProgramEditor, SelectingAnEntryShowsItsValuesWithoutRunning) {
  CMottlerDlg dlg;
  choose(dlg, "Plasma");
  QComboBox* method = dlg.control<QComboBox>(IdMethod);
  method->setCurrentIndex(Multiply);
  emit method->activated(Multiply);
  drag(dlg, IdOffsetXBar, 7);
  press(dlg, IdAdd);
  compose(dlg, {"Twirl"});
  dlg.model().setModified(false);
  markTexture(dlg);
  selectEntry(dlg, 0);
  EXPECT_FALSE(programRanSinceMark(dlg));
  EXPECT_TRUE(dlg.model().modified());
  EXPECT_EQ(dlg.model().currentIndex(), 0);
  EXPECT_EQ(dlg.control<QComboBox>(IdMethod)->currentIndex(), Multiply);
  EXPECT_EQ(dlg.control<QLabel>(IdOffsetXText)->text(), "7");
  EXPECT_EQ(bar(dlg, IdOffsetXBar)->value(), 7);
  EXPECT_EQ(dlg.control<QLabel>(kParamLabelIds[0])->text(), "Variant");
  EXPECT_TRUE(button(dlg, IdRemove)->isEnabled());
  EXPECT_TRUE(button(dlg, IdState)->isEnabled());
  EXPECT_FALSE(button(dlg, IdAdd)->isEnabled());
  EXPECT_TRUE(tree(dlg)->selectedItems().isEmpty());
  EXPECT_TRUE(list(dlg)->item(0)->isSelected());

  // Editing the selected entry writes into it.
  step(dlg, kParamBarIds[1], QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(entryAt(dlg, 0).param[1], 21);
}

TEST(ProgramEditor, RemoveDropsTheSelectedEntry) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma", "Blobs", "Twirl"});
  selectEntry(dlg, 1);
  press(dlg, IdRemove);
  EXPECT_EQ(listTexts(dlg), (QStringList{"Plasma", "Twirl"}));
  EXPECT_EQ(dlg.model().programLength(), 2);
  EXPECT_EQ(codeAt(dlg, 0), kPlasma);
  EXPECT_EQ(codeAt(dlg, 1), kTwirl);
  EXPECT_EQ(codeAt(dlg, 2), 0u);
  EXPECT_EQ(dlg.model().currentIndex(), 2);
  expectIdleButtons(dlg);
  EXPECT_TRUE(saveEnabled(dlg));
}

TEST(ProgramEditor, RemovingTheOnlyEntryGreysSave) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma"});
  selectEntry(dlg, 0);
  press(dlg, IdRemove);
  EXPECT_EQ(dlg.model().programLength(), 0);
  EXPECT_EQ(list(dlg)->count(), 0);
  EXPECT_EQ(codeAt(dlg, 0), 0u);
  EXPECT_FALSE(saveEnabled(dlg));
  EXPECT_FALSE(saveAsEnabled(dlg));
}

TEST(ProgramEditor, StateSwitchesTheEntryAndShowsTheRedCross) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma", "Twirl"});
  selectEntry(dlg, 1);
  const QIcon before = list(dlg)->item(1)->icon();
  markTexture(dlg);
  press(dlg, IdState);
  EXPECT_TRUE(programRanSinceMark(dlg));
  EXPECT_EQ(entryAt(dlg, 1).disabled, 1);
  EXPECT_FALSE(button(dlg, IdState)->isEnabled());
  EXPECT_FALSE(button(dlg, IdRemove)->isEnabled());
  EXPECT_EQ(list(dlg)->item(1)->text(), "Twirl");
  EXPECT_FALSE(list(dlg)->item(1)->isSelected());
  const QImage cross = list(dlg)->item(1)->icon().pixmap(16, 16).toImage();
  EXPECT_NE(cross, before.pixmap(16, 16).toImage());
  // Red dominates the cross's middle pixel.
  const QColor middle = cross.pixelColor(8, 8);
  EXPECT_GT(middle.red(), 150);
  EXPECT_LT(middle.green(), 80);

  // The panel still edits this entry; "State" needs a new selection.
  step(dlg, kParamBarIds[0], QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(entryAt(dlg, 1).param[0], 89);
  selectEntry(dlg, 0);
  selectEntry(dlg, 1);
  press(dlg, IdState);
  EXPECT_EQ(entryAt(dlg, 1).disabled, 0);
}

TEST(ProgramEditor, ChoosingAfterASelectionStartsANewEntryAtTheEnd) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma", "Blobs"});
  selectEntry(dlg, 0);
  choose(dlg, "Lines");
  EXPECT_EQ(listTexts(dlg), (QStringList{"Plasma", "Blobs", "Lines"}));
  EXPECT_EQ(dlg.model().currentIndex(), 2);
  EXPECT_EQ(codeAt(dlg, 0), kPlasma);
  EXPECT_FALSE(list(dlg)->isEnabled());
  EXPECT_TRUE(list(dlg)->selectedItems().isEmpty());
  EXPECT_FALSE(button(dlg, IdRemove)->isEnabled());
}

TEST(ProgramEditor, AFullProgramCanShowButNotAddAnotherCommand) {
  CMottlerDlg dlg;
  ProgramDocument full = emptyProgram();
  full.entries.assign(kMaxProgramLength, defaultEntry("Plasma"));
  openProgram(dlg, full);
  ASSERT_EQ(dlg.model().programLength(), kMaxProgramLength);
  choose(dlg, "Blur");
  EXPECT_FALSE(button(dlg, IdAdd)->isEnabled());
  EXPECT_EQ(codeAt(dlg, kMaxProgramLength), kBlur);
  EXPECT_EQ(dlg.control<QProgressBar>(IdProgress)->maximum(), kProgramSlots);
  EXPECT_EQ(finished(dlg).program.at(kMaxProgramLength).code, kBlur);
  // Cancel still works and leaves the table's last slot empty.
  press(dlg, IdCancel);
  EXPECT_EQ(dlg.model().programLength(), kMaxProgramLength);
  EXPECT_EQ(codeAt(dlg, kMaxProgramLength), 0u);
  ASSERT_GT(finished(dlg).program.size(), std::size_t{kMaxProgramLength});
  EXPECT_EQ(finished(dlg).program.at(kMaxProgramLength).code, 0u);
  EXPECT_EQ(list(dlg)->count(), kMaxProgramLength);
}

namespace {

// A click on a list item, as the user makes it.
void clickItem(CMottlerDlg& dlg, int row) {
  QListWidget* l = list(dlg);
  const QPoint at = l->visualItemRect(l->item(row)).center();
  QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

QList<int> highlighted(CMottlerDlg& dlg) {
  QList<int> rows;
  for (QListWidgetItem* item : list(dlg)->selectedItems()) rows << list(dlg)->row(item);
  return rows;
}

}  // namespace

// The highlight in the list always shows the entry the panel edits, or
// none, so that clicking any item selects it.
TEST(ProgramEditor, AfterStateOrRemoveEveryItemCanBeClickedAgain) {
  CMottlerDlg dlg;
  dlg.show();
  QApplication::processEvents();
  compose(dlg, {"Plasma", "Worms", "Blur"});

  clickItem(dlg, 1);
  EXPECT_EQ(highlighted(dlg), QList<int>{1});
  EXPECT_TRUE(button(dlg, IdState)->isEnabled());
  press(dlg, IdState);
  EXPECT_TRUE(highlighted(dlg).isEmpty());
  EXPECT_EQ(dlg.model().currentIndex(), 1) << "the panel still edits the entry";
  clickItem(dlg, 1);
  EXPECT_EQ(highlighted(dlg), QList<int>{1});
  EXPECT_TRUE(button(dlg, IdState)->isEnabled());
  EXPECT_TRUE(button(dlg, IdRemove)->isEnabled());
  EXPECT_EQ(dlg.control<QLabel>(kParamLabelIds[0])->text(), "Amount");

  press(dlg, IdRemove);
  EXPECT_TRUE(highlighted(dlg).isEmpty());
  EXPECT_EQ(listTexts(dlg), (QStringList{"Plasma", "Blur"}));
  clickItem(dlg, 1);
  EXPECT_EQ(highlighted(dlg), QList<int>{1});
  EXPECT_TRUE(button(dlg, IdRemove)->isEnabled());
  EXPECT_EQ(dlg.model().currentIndex(), 1);

  // A category chosen meanwhile leaves the entry edited but not highlighted.
  choose(dlg, "Deform");
  EXPECT_TRUE(highlighted(dlg).isEmpty());
  EXPECT_FALSE(button(dlg, IdState)->isEnabled());
  clickItem(dlg, 1);
  EXPECT_TRUE(button(dlg, IdState)->isEnabled());
}

// A value text always shows the value that is stored: on a texture under 16
// pixels the cells of "Perlin Noise" cannot be a quarter of the width.
TEST(ProgramEditor, ValueTextsShowTheStoredValueOnTinyTextures) {
  CMottlerDlg dlg;
  openProgram(dlg, emptyProgram(8, 8));
  choose(dlg, "Perlin Noise");
  EXPECT_EQ(entryAt(dlg, 0).param[1], 4);
  EXPECT_EQ(bar(dlg, kParamBarIds[1])->value(), 4);
  EXPECT_EQ(dlg.control<QLabel>(kParamValueIds[1])->text(), "4");
  EXPECT_EQ(dlg.control<QLabel>(kParamValueIds[2])->text(), "4");
}
