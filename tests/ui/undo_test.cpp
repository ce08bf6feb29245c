// Undo and redo: the Edit menu, what each step is called and takes back, the
// merging of drags, key runs and typing, the saved state, and a long run of
// edits undone to the start and redone to the end.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <vector>

#include "document/bitmap_export.h"
#include "ui/dialogs/scripted_dialog_seam.h"
#include "ui/edit_history.h"
#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;
using Kind = ScriptedDialogSeam::Kind;

namespace {

QAction* undoAction(CMottlerDlg& dlg) { return dlg.menuCommand(IdEditUndo); }
QAction* redoAction(CMottlerDlg& dlg) { return dlg.menuCommand(IdEditRedo); }
void undo(CMottlerDlg& dlg) { undoAction(dlg)->trigger(); }
void redo(CMottlerDlg& dlg) { redoAction(dlg)->trigger(); }

void compose(CMottlerDlg& dlg, const QStringList& names) {
  for (const QString& name : names) {
    choose(dlg, name);
    press(dlg, IdAdd);
  }
}

void showActive(CMottlerDlg& dlg) {
  dlg.show();
  QApplication::setActiveWindow(&dlg);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
}

std::vector<std::uint32_t> texture(CMottlerDlg& dlg) { return finished(dlg).texture; }

}  // namespace

TEST(Undo, TheEditMenuSitsBetweenFileAndHelpAndNamesTheStep) {
  CMottlerDlg dlg;
  QMenuBar* bar = dlg.findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  QStringList menus;
  for (QAction* a : bar->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Help"}));

  EXPECT_EQ(undoAction(dlg)->text(), "&Undo");
  EXPECT_EQ(redoAction(dlg)->text(), "&Redo");
  EXPECT_FALSE(undoAction(dlg)->isEnabled());
  EXPECT_FALSE(redoAction(dlg)->isEnabled());
  EXPECT_EQ(undoAction(dlg)->shortcut(), QKeySequence("Ctrl+Z"));
  EXPECT_EQ(redoAction(dlg)->shortcuts(),
            (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));

  compose(dlg, {"Plasma"});
  EXPECT_EQ(undoAction(dlg)->text(), "&Undo Add Plasma");
  EXPECT_TRUE(undoAction(dlg)->isEnabled());

  choose(dlg, "Enviroument Map");
  drag(dlg, kParamBarIds[0], 60);
  EXPECT_EQ(undoAction(dlg)->text(), "&Undo Change Radius");
  press(dlg, IdAdd);
  compose(dlg, {"Worms"});
  selectEntry(dlg, 2);
  press(dlg, IdRemove);
  EXPECT_EQ(undoAction(dlg)->text(), "&Undo Remove Worms");

  undo(dlg);
  EXPECT_EQ(listTexts(dlg), (QStringList{"Plasma", "Enviroument Map", "Worms"}));
  EXPECT_EQ(redoAction(dlg)->text(), "&Redo Remove Worms");
  EXPECT_TRUE(redoAction(dlg)->isEnabled());
  // The entry comes back selected, as it was when it was removed.
  EXPECT_TRUE(list(dlg)->item(2)->isSelected());
  EXPECT_TRUE(button(dlg, IdRemove)->isEnabled());
  redo(dlg);
  EXPECT_EQ(listTexts(dlg), (QStringList{"Plasma", "Enviroument Map"}));
  EXPECT_FALSE(redoAction(dlg)->isEnabled());
}

TEST(Undo, ADragIsOneStepAndAnUndoPutsTheValueAndThePictureBack) {
  CMottlerDlg dlg;
  compose(dlg, {"Plasma"});
  choose(dlg, "Twirl");
  const std::vector<std::uint32_t> before = texture(dlg);
  const int steps = dlg.undoStack().count();

  QScrollBar* angle = bar(dlg, kParamBarIds[0]);
  angle->setSliderDown(true);
  for (int position : {80, 40, -10, -45}) angle->setSliderPosition(position);
  angle->setSliderDown(false);
  EXPECT_EQ(dlg.undoStack().count(), steps + 1);
  EXPECT_NE(texture(dlg), before);

  undo(dlg);
  EXPECT_EQ(entryAt(dlg, 1).param[0], 90);
  EXPECT_EQ(angle->value(), 90);
  EXPECT_EQ(dlg.control<QLabel>(kParamValueIds[0])->text(), "90");
  EXPECT_EQ(texture(dlg), before);
  redo(dlg);
  EXPECT_EQ(entryAt(dlg, 1).param[0], -45);

  // A second drag of the same scroll bar is a step of its own.
  drag(dlg, kParamBarIds[0], 0);
  drag(dlg, kParamBarIds[0], 10);
  EXPECT_EQ(dlg.undoStack().count(), steps + 3);
}

TEST(Undo, AKeyRunOnOneControlIsOneStepUntilTheFocusMoves) {
  CMottlerDlg dlg;
  showActive(dlg);
  choose(dlg, "Plasma");
  QScrollBar* roughness = bar(dlg, kParamBarIds[1]);
  roughness->setFocus();
  const int steps = dlg.undoStack().count();
  for (int i = 0; i < 4; ++i) QTest::keyClick(roughness, Qt::Key_Right);
  EXPECT_EQ(dlg.undoStack().count(), steps + 1);
  EXPECT_EQ(entryAt(dlg, 0).param[1], 24);

  bar(dlg, IdOffsetXBar)->setFocus();
  QTest::keyClick(bar(dlg, IdOffsetXBar), Qt::Key_Right);
  roughness->setFocus();
  QTest::keyClick(roughness, Qt::Key_Right);
  EXPECT_EQ(dlg.undoStack().count(), steps + 3);

  // Ctrl+Z where the focus is: the last run, then the offset, then the four.
  QTest::keyClick(roughness, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(entryAt(dlg, 0).param[1], 24);
  QTest::keyClick(roughness, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(entryAt(dlg, 0).offsetX, 0);
  QTest::keyClick(roughness, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(entryAt(dlg, 0).param[1], 20);
  // Keys after an undo start a new step, and drop what could be redone.
  QTest::keyClick(roughness, Qt::Key_Left);
  QTest::keyClick(roughness, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(entryAt(dlg, 0).param[1], 19);
  EXPECT_EQ(dlg.undoStack().count(), steps + 1);
}

TEST(Undo, WalkingThroughTheTreeWithTheKeysIsOneStep) {
  CMottlerDlg dlg;
  showActive(dlg);
  tree(dlg)->setFocus();
  for (int i = 0; i < 4; ++i) QTest::keyClick(tree(dlg), Qt::Key_Down);
  EXPECT_EQ(listTexts(dlg), QStringList{"Blobs"});
  EXPECT_EQ(dlg.undoStack().count(), 1);
  EXPECT_EQ(undoAction(dlg)->text(), "&Undo Choose Blobs");
  undo(dlg);
  EXPECT_EQ(list(dlg)->count(), 0);
}

TEST(Undo, TypingIsOneStepAndCtrlZInTheRemarkUsesTheOneHistory) {
  CMottlerDlg dlg;
  showActive(dlg);
  QLineEdit* remark = dlg.control<QLineEdit>(IdRemark);
  remark->setFocus();
  QTest::keyClicks(remark, "stone");
  EXPECT_EQ(dlg.undoStack().count(), 1);
  EXPECT_EQ(undoAction(dlg)->text(), "&Undo Change Author's Remark");

  QTest::keyClick(remark, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(remark->text(), "");
  EXPECT_EQ(dlg.model().remark(), "");
  QTest::keyClick(remark, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(remark->text(), "stone");
  EXPECT_EQ(dlg.model().remark(), "stone");
}

TEST(Undo, UndoBackToTheSavedStateClearsModifiedAndSaveMakesTheStateClean) {
  QTemporaryDir dir;
  ScriptedDialogSeam seam;
  CMottlerDlg dlg;
  compose(dlg, {"Plasma"});
  seam.answerFile(dir.filePath("saved.mlr"));
  trigger(dlg, IdFileSaveAs);
  ASSERT_FALSE(dlg.model().modified());

  drag(dlg, IdSeedBar, 300);
  EXPECT_TRUE(dlg.model().modified());
  undo(dlg);
  EXPECT_EQ(dlg.model().seed(), 0);
  EXPECT_FALSE(dlg.model().modified());
  redo(dlg);
  EXPECT_TRUE(dlg.model().modified());

  // Saving here makes this the clean state; undoing from it leaves changes.
  trigger(dlg, IdFileSave);
  EXPECT_FALSE(dlg.model().modified());
  undo(dlg);
  EXPECT_TRUE(dlg.model().modified());
  redo(dlg);
  EXPECT_FALSE(dlg.model().modified());

  // Back at the saved state, closing asks nothing.
  undo(dlg);
  undo(dlg);  // the seed, then Add
  redo(dlg);
  redo(dlg);
  dlg.close();
  EXPECT_TRUE(seam.callsOf(Kind::Message).empty());
  EXPECT_FALSE(dlg.isVisible());
}

TEST(Undo, NewAndOpenStartAFreshHistory) {
  QTemporaryDir dir;
  ScriptedDialogSeam seam;
  CMottlerDlg dlg;
  compose(dlg, {"Plasma"});
  seam.answerFile(dir.filePath("one.mlr"));
  trigger(dlg, IdFileSaveAs);
  compose(dlg, {"Blur"});

  seam.answerFile(dir.filePath("one.mlr"));
  trigger(dlg, IdFileOpen);
  EXPECT_EQ(listTexts(dlg), QStringList{"Plasma"});
  EXPECT_FALSE(undoAction(dlg)->isEnabled());
  EXPECT_EQ(undoAction(dlg)->text(), "&Undo");

  compose(dlg, {"Blur"});
  seam.answerMessage(QMessageBox::No);
  seam.answerNewTexture(ScriptedDialogSeam::typeAndOk("fresh", "64", "64"));
  trigger(dlg, IdFileNew);
  EXPECT_EQ(dlg.model().width(), 64);
  EXPECT_FALSE(undoAction(dlg)->isEnabled());
  EXPECT_FALSE(redoAction(dlg)->isEnabled());
}

// After the undo of a choice, clicking the same command in the tree chooses
// it again.
TEST(Undo, ATreeChoiceUndoneCanBeMadeAgain) {
  CMottlerDlg dlg;
  choose(dlg, "Worms");
  undo(dlg);
  EXPECT_EQ(list(dlg)->count(), 0);
  EXPECT_EQ(tree(dlg)->currentItem(), tree(dlg)->topLevelItem(0));
  choose(dlg, "Worms");
  EXPECT_EQ(listTexts(dlg), QStringList{"Worms"});
  undo(dlg);
  redo(dlg);
  EXPECT_EQ(tree(dlg)->currentItem()->text(0), "Worms");
  EXPECT_TRUE(button(dlg, IdAdd)->isEnabled());
}

namespace {

// A long, varied run of edits: every verb of the editor, chosen by a fixed
// sequence of numbers.
class Edits {
 public:
  explicit Edits(CMottlerDlg& dlg) : dlg_(dlg) {}

  void run(int count) {
    for (int i = 0; i < count; ++i) one();
    // Save is greyed while a command waits: end with it added.
    if (button(dlg_, IdAdd)->isEnabled()) press(dlg_, IdAdd);
  }

 private:
  int next(int n) {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) % static_cast<unsigned>(n));
  }

  void one() {
    static const char* kCommands[] = {"Plasma", "Worms",       "Blobs",          "Twirl",
                                      "Blur",   "Points",      "Move to Buffer", "Connect Buffer",
                                      "HSV",    "Perlin Noise"};
    switch (next(13)) {
      case 0:
      case 1:
        choose(dlg_, kCommands[next(10)]);
        break;
      case 2:
      case 3:
        if (button(dlg_, IdAdd)->isEnabled()) press(dlg_, IdAdd);
        break;
      case 4: {
        const int id = next(2) ? IdUp : IdDown;
        if (button(dlg_, id)->isEnabled()) press(dlg_, id);
        break;
      }
      case 5:
      case 6:
        if (list(dlg_)->isEnabled() && list(dlg_)->count() > 0)
          selectEntry(dlg_, next(list(dlg_)->count()));
        if (button(dlg_, IdState)->isEnabled() && next(2)) press(dlg_, IdState);
        break;
      case 7:
        if (button(dlg_, IdRemove)->isEnabled()) press(dlg_, IdRemove);
        break;
      case 8: {
        const int k = next(kParamCount);
        QScrollBar* b = bar(dlg_, kParamBarIds[static_cast<std::size_t>(k)]);
        if (b->isEnabled())
          drag(dlg_, kParamBarIds[static_cast<std::size_t>(k)],
               b->minimum() + next(b->maximum() - b->minimum() + 1));
        break;
      }
      case 9:
        if (bar(dlg_, IdOffsetXBar)->isEnabled())
          drag(dlg_, next(2) ? IdOffsetXBar : IdOffsetYBar, next(256));
        break;
      case 10: {
        QComboBox* method = dlg_.control<QComboBox>(IdMethod);
        if (method->isEnabled()) {
          const int m = next(kBlendMethodCount);
          method->setCurrentIndex(m);
          emit method->activated(m);
        }
        if (dlg_.control<QCheckBox>(IdFixedColors)->isEnabled() && next(2))
          dlg_.control<QCheckBox>(IdFixedColors)->click();
        break;
      }
      case 11:
        drag(dlg_, IdSeedBar, next(32768));
        break;
      default:
        if (button(dlg_, IdCancel)->isEnabled() && next(3) == 0) {
          press(dlg_, IdCancel);
        } else {
          QTest::keyClicks(dlg_.control<QLineEdit>(IdRemark), QString(QChar('a' + next(26))));
        }
        break;
    }
  }

  CMottlerDlg& dlg_;
  std::uint32_t state_ = 2024;
};

}  // namespace

TEST(Undo, EditsUndoneToTheStartAndRedoneToTheEndGiveTheSameFileAndPicture) {
  CMottlerDlg dlg;
  const EditorState start = dlg.model().state();
  Edits(dlg).run(150);
  ASSERT_GT(dlg.model().programLength(), 2);
  press(dlg, IdGenerate);
  const std::vector<std::uint8_t> program = encodeProgram(dlg.model().committedDocument());
  const std::vector<std::uint8_t> bitmap = finishedBitmap(dlg);
  const EditorState end = dlg.model().state();

  int undone = 0;
  while (undoAction(dlg)->isEnabled()) {
    undo(dlg);
    ++undone;
  }
  EXPECT_GT(undone, 20);
  EXPECT_EQ(dlg.model().state(), start);
  EXPECT_EQ(list(dlg)->count(), 0);
  EXPECT_FALSE(dlg.model().modified());

  while (redoAction(dlg)->isEnabled()) redo(dlg);
  EXPECT_EQ(dlg.model().state().programSlots, end.programSlots);
  EXPECT_EQ(encodeProgram(dlg.model().committedDocument()), program);
  // Redo ran the program: the picture is the same to the bit.
  EXPECT_EQ(finishedBitmap(dlg), bitmap);
}

// The history over the model alone, without a window.
TEST(EditHistory, PutsStatesBackAndKnowsTheSavedOne) {
  EditorModel model;
  EditHistory history(model);
  std::vector<EditStep::Kind> restored;
  QObject::connect(&history, &EditHistory::restored,
                   [&](EditStep::Kind kind) { restored.push_back(kind); });

  const int plasma = *CommandCatalogue().indexOfName("Plasma");
  history.record(*model.chooseCommand(plasma).step);
  history.record(*model.setParameter(1, 30).step);
  history.record(*model.setParameter(1, 31).step);  // the same drag
  history.record(*model.add().step);
  EXPECT_EQ(history.stack().count(), 3);
  history.markClean();
  model.documentSaved("/saved.mlr");

  history.stack().undo();
  EXPECT_EQ(model.mode(), EditorMode::Pending);
  EXPECT_TRUE(model.modified());
  history.stack().undo();
  EXPECT_EQ(model.editedEntry()->param[1], 20);
  history.stack().redo();
  history.stack().redo();
  EXPECT_EQ(model.programLength(), 1);
  EXPECT_FALSE(model.modified());
  EXPECT_EQ(restored,
            (std::vector<EditStep::Kind>{EditStep::Kind::Add, EditStep::Kind::Parameter,
                                         EditStep::Kind::Parameter, EditStep::Kind::Add}));

  history.clear();
  EXPECT_FALSE(history.stack().canUndo());
  EXPECT_TRUE(history.stack().isClean());
}
