// The main window at start, its keys, tooltips and accessible names.
#include <QAccessible>
#include <QGroupBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolTip>
#include <QUndoStack>

#include "ui_test_support.h"

using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

QString label(CMottlerDlg& dlg, int id) { return dlg.control<QLabel>(id)->text(); }

void showActive(CMottlerDlg& dlg) {
  dlg.show();
  QApplication::setActiveWindow(&dlg);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
}

}  // namespace

TEST(MainWindow, StartsUntitledAndIdle) {
  CMottlerDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Mottler - Untitled.mlr");
  EXPECT_TRUE(documentPath(dlg).endsWith("/Untitled.mlr"));
  EXPECT_EQ(dlg.statusText(), "Ready");
  EXPECT_EQ(label(dlg, IdWidthText), "256");
  EXPECT_EQ(label(dlg, IdHeightText), "256");
  EXPECT_EQ(label(dlg, IdZoomText), "100 %");
  EXPECT_EQ(label(dlg, IdSeedText), "0");
  EXPECT_EQ(bar(dlg, IdZoomBar)->value(), 100);
  EXPECT_EQ(bar(dlg, IdSeedBar)->maximum(), 32767);
  EXPECT_EQ(dlg.control<QComboBox>(IdMethod)->currentText(), "Add");
  EXPECT_EQ(dlg.control<QComboBox>(IdMethod)->count(), 10);
  EXPECT_TRUE(dlg.control<QCheckBox>(IdAutoGenerate)->isChecked());
  EXPECT_TRUE(dlg.control<QCheckBox>(IdShowClock)->isChecked());
  EXPECT_FALSE(dlg.control<QCheckBox>(IdFixedColors)->isEnabled());
  EXPECT_FALSE(saveEnabled(dlg));
  EXPECT_FALSE(saveAsEnabled(dlg));
  for (int id : {IdFileNew, IdFileOpen, IdFileExport, IdFileExit, IdHelpContents, IdHelpWebSite, IdHelpAbout})
    EXPECT_TRUE(dlg.menuCommand(id)->isEnabled()) << id;
  // The keys show beside the plain text, from the shortcut.
  EXPECT_EQ(dlg.menuCommand(IdFileNew)->text(), "&New...");
  EXPECT_EQ(dlg.menuCommand(IdFileNew)->shortcut(), QKeySequence("Ctrl+N"));
  EXPECT_EQ(dlg.menuCommand(IdFileExit)->text(), "E&xit");
  EXPECT_EQ(dlg.menuCommand(IdFileExit)->shortcut(), QKeySequence("Alt+X"));
  EXPECT_EQ(dlg.menuCommand(IdHelpContents)->shortcut(), QKeySequence("F1"));
  for (int id : {IdUp, IdDown, IdAdd, IdCancel, IdState, IdRemove}) EXPECT_FALSE(button(dlg, id)->isEnabled()) << id;
  for (int id : kParamLabelIds) EXPECT_EQ(label(dlg, id), "None");
  EXPECT_EQ(dlg.model().programLength(), 0);
  EXPECT_FALSE(dlg.model().modified());
  EXPECT_EQ(finished(dlg).width, 256);
}

TEST(MainWindow, TreeHoldsFiveExpandedCategoriesWithTheFirstSelected) {
  CMottlerDlg dlg;
  QTreeWidget* t = tree(dlg);
  ASSERT_EQ(t->topLevelItemCount(), 5);
  const char* names[] = {"Generate", "Deform", "Filters", "Buffer", "Adjust Colors"};
  int index = 0;  // the commands in tree order
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(t->topLevelItem(c)->text(0), names[c]);
    ASSERT_EQ(t->topLevelItem(c)->childCount(), mottler::CommandCatalogue::categorySize(c));
    for (int k = 0; k < t->topLevelItem(c)->childCount(); ++k, ++index)
      EXPECT_EQ(t->topLevelItem(c)->child(k)->text(0).toStdString(),
                mottler::kCommandTable[static_cast<std::size_t>(index)].name);
    EXPECT_TRUE(t->topLevelItem(c)->isExpanded());
  }
  EXPECT_EQ(index, mottler::kCommandCount);
  EXPECT_EQ(t->currentItem(), t->topLevelItem(0));
  EXPECT_TRUE(t->topLevelItem(0)->isSelected());
  EXPECT_EQ(list(dlg)->count(), 0);
}

TEST(MainWindow, PreviewShowsTheWholeBitmapAndNothingOverlapsIt) {
  CMottlerDlg dlg;
  QWidget* preview = dlg.control(IdPreview);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->size(), QSize(258, 258));
  for (QWidget* w : preview->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (w == preview || qobject_cast<QGroupBox*>(w) != nullptr) continue;
    EXPECT_FALSE(w->geometry().intersects(preview->geometry())) << w->objectName().toStdString();
  }
}

TEST(MainWindow, ToolTipsAndAccessibleNames) {
  CMottlerDlg dlg;
  EXPECT_EQ(tree(dlg)->toolTip(), "commands window");
  EXPECT_EQ(list(dlg)->toolTip(), "program window");
  EXPECT_EQ(button(dlg, IdGenerate)->toolTip(), "begin to generate the texture");
  EXPECT_EQ(button(dlg, IdUp)->toolTip(), "move up the command");
  EXPECT_EQ(button(dlg, IdState)->toolTip(), "enable/disable the command");

  auto spoken = [&](int id) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(dlg.control(id));
    return a != nullptr ? a->text(QAccessible::Name) : QString();
  };
  // Value texts are read with their values.
  EXPECT_EQ(spoken(IdSeedBar), "Random Seed");
  EXPECT_EQ(spoken(IdSeedText), "Random Seed: 0");
  EXPECT_EQ(spoken(IdWidthText), "Width: 256");
  EXPECT_EQ(spoken(IdHeightText), "Height: 256");
  EXPECT_EQ(spoken(IdZoomText), "Zoom: 100 %");
  // The status bar is read by its text.
  QStatusBar* status = dlg.findChild<QStatusBar*>();
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), "Ready");
  EXPECT_EQ(spoken(IdZoomBar), "Zoom:");
  EXPECT_EQ(spoken(IdTree), "Commands:");
  EXPECT_EQ(spoken(IdList), "Program:");
  EXPECT_EQ(spoken(IdPreview), "Texture Image:");
  EXPECT_EQ(spoken(IdOffsetXBar), "X Offset");
  EXPECT_EQ(spoken(IdOffsetYText), "Y Offset");  // empty while nothing is edited
  EXPECT_EQ(spoken(IdUp), "Up");
  EXPECT_EQ(spoken(IdAdd), "Add");
  EXPECT_EQ(spoken(IdLookBuffer), "Look Buffer");
  EXPECT_EQ(spoken(kParamBarIds[0]), "None");
  choose(dlg, "Twirl");
  EXPECT_EQ(spoken(kParamBarIds[0]), "Angle");
  EXPECT_EQ(spoken(kParamValueIds[0]), "Angle: 90");
  choose(dlg, "Plasma");
  drag(dlg, IdOffsetXBar, 12);
  drag(dlg, IdSeedBar, 77);
  EXPECT_EQ(spoken(IdOffsetXText), "X Offset: 12");
  EXPECT_EQ(spoken(IdSeedText), "Random Seed: 77");
  EXPECT_EQ(spoken(kParamValueIds[1]), "Roughness: 20");

  // A switched-off entry is told apart in words, not only by its icon.
  press(dlg, IdAdd);
  selectEntry(dlg, 0);
  press(dlg, IdState);
  QAccessibleInterface* program = QAccessible::queryAccessibleInterface(list(dlg));
  ASSERT_NE(program, nullptr);
  QStringList items;
  for (int i = 0; i < program->childCount(); ++i) items << program->child(i)->text(QAccessible::Name);
  EXPECT_TRUE(items.contains("Plasma, switched off")) << items.join("|").toStdString();
  EXPECT_EQ(list(dlg)->item(0)->text(), "Plasma");

  // Every control that takes input can be reached with the keyboard and is named.
  for (QWidget* w : dlg.findChildren<QWidget*>()) {
    if (w->objectName().isEmpty() || !(w->focusPolicy() & Qt::TabFocus)) continue;
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty())
        << w->objectName().toStdString();
  }
  for (int id : kParamBarIds) EXPECT_TRUE(bar(dlg, id)->focusPolicy() & Qt::TabFocus);
}

TEST(MainWindow, HoveringOverTheTreeShowsItsToolTip) {
  CMottlerDlg dlg;
  showActive(dlg);
  QWidget* viewport = tree(dlg)->viewport();
  const QPoint over = tree(dlg)->visualItemRect(tree(dlg)->topLevelItem(0)->child(1)).center();
  QHelpEvent hover(QEvent::ToolTip, over, viewport->mapToGlobal(over));
  QApplication::sendEvent(viewport, &hover);
  EXPECT_EQ(QToolTip::text(), "commands window");
  QToolTip::hideText();
}

TEST(MainWindow, ScrollBarsStepFromTheKeyboard) {
  CMottlerDlg dlg;
  showActive(dlg);
  choose(dlg, "Twirl");
  QScrollBar* angle = bar(dlg, kParamBarIds[0]);
  angle->setFocus();
  QTest::keyClick(angle, Qt::Key_Right);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 91);
  QTest::keyClick(angle, Qt::Key_PageDown);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 101);
  QTest::keyClick(angle, Qt::Key_Left);
  QTest::keyClick(angle, Qt::Key_PageUp);
  QTest::keyClick(angle, Qt::Key_PageDown);
  QTest::keyClick(angle, Qt::Key_Right);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 101);
  // Home is no step of ours: the position stays.
  QTest::keyClick(angle, Qt::Key_Home);
  EXPECT_EQ(angle->value(), 101);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 101);
}

TEST(MainWindow, EnterKeepsTheWindowOpenAndEscapeClosesIt) {
  CMottlerDlg dlg;
  showActive(dlg);
  dlg.control<QLineEdit>(IdRemark)->setFocus();
  QTest::keyClicks(dlg.control(IdRemark), "stone");
  QTest::keyClick(dlg.control(IdRemark), Qt::Key_Return);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.model().remark(), "stone");
  EXPECT_TRUE(dlg.model().modified());
  tree(dlg)->setFocus();
  QTest::keyClick(tree(dlg), Qt::Key_Enter);
  EXPECT_TRUE(dlg.isVisible());
  QTest::keyClick(tree(dlg), Qt::Key_Escape);
  EXPECT_FALSE(dlg.isVisible());
}

TEST(MainWindow, CloseBoxEndsTheWindow) {
  CMottlerDlg dlg;
  showActive(dlg);
  dlg.close();
  EXPECT_FALSE(dlg.isVisible());
}

TEST(MainWindow, AcceleratorsWorkWhereverTheFocusIsUnlessGreyed) {
  CMottlerDlg dlg;
  showActive(dlg);
  QSignalSpy exportSpy(dlg.menuCommand(IdFileExport), &QAction::triggered);
  QSignalSpy newSpy(dlg.menuCommand(IdFileNew), &QAction::triggered);
  QSignalSpy saveSpy(dlg.menuCommand(IdFileSave), &QAction::triggered);

  QLineEdit* remark = dlg.control<QLineEdit>(IdRemark);
  remark->setFocus();
  QTest::keyClick(remark, Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(exportSpy.count(), 1);

  bar(dlg, IdSeedBar)->setFocus();
  QTest::keyClick(bar(dlg, IdSeedBar), Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(newSpy.count(), 1);

  // Save is greyed at start: its key does nothing.
  QTest::keyClick(tree(dlg), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(saveSpy.count(), 0);

  // Alt+X ends the window (through closeDocument).
  QTest::keyClick(tree(dlg), Qt::Key_X, Qt::AltModifier);
  settle();
  EXPECT_FALSE(dlg.isVisible());
}

namespace {

QAccessibleInterface* accessibleChild(QWidget* w, const QString& name) {
  QAccessibleInterface* parent = QAccessible::queryAccessibleInterface(w);
  for (int i = 0; parent != nullptr && i < parent->childCount(); ++i)
    if (parent->child(i)->text(QAccessible::Name) == name) return parent->child(i);
  return nullptr;
}

void toggle(QAccessibleInterface* cell) {
  ASSERT_NE(cell, nullptr);
  ASSERT_NE(cell->actionInterface(), nullptr);
  cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

}  // namespace

// What a screen reader does through the accessibility interfaces (select an
// item, set a scroll bar's value, write the remark) edits the program just
// as the mouse and keys do.
TEST(MainWindow, AScreenReaderEditsThroughTheAccessibleControls) {
  CMottlerDlg dlg;
  toggle(accessibleChild(tree(dlg), "Worms"));
  EXPECT_EQ(listTexts(dlg), QStringList{"Worms"});
  ASSERT_TRUE(button(dlg, IdAdd)->isEnabled());

  QAccessibleInterface* amount = QAccessible::queryAccessibleInterface(bar(dlg, kParamBarIds[0]));
  ASSERT_NE(amount->valueInterface(), nullptr);
  amount->valueInterface()->setCurrentValue(321);
  EXPECT_EQ(entryAt(dlg, 0).param[0], 321);
  EXPECT_EQ(dlg.control<QLabel>(kParamValueIds[0])->text(), "321");
  EXPECT_EQ(dlg.undoStack().undoText(), "Change Amount");
  QAccessible::queryAccessibleInterface(bar(dlg, IdSeedBar))->valueInterface()->setCurrentValue(77);
  EXPECT_EQ(dlg.model().seed(), 77);

  QAccessible::queryAccessibleInterface(button(dlg, IdAdd))->actionInterface()->doAction(
      QAccessibleActionInterface::pressAction());
  // The press is shown as an animated click that ends a moment later.
  for (int i = 0; i < 100 && dlg.model().programLength() == 0; ++i) QTest::qWait(10);
  EXPECT_EQ(dlg.model().programLength(), 1);

  toggle(accessibleChild(list(dlg), "Worms"));
  EXPECT_TRUE(button(dlg, IdState)->isEnabled());
  EXPECT_EQ(dlg.model().currentIndex(), 0);
  QComboBox* method = dlg.control<QComboBox>(IdMethod);
  method->setCurrentIndex(mottler::Darken);  // as selecting in its list does
  EXPECT_EQ(entryAt(dlg, 0).method, mottler::Darken);

  QAccessibleInterface* remark = QAccessible::queryAccessibleInterface(dlg.control(IdRemark));
  ASSERT_NE(remark->editableTextInterface(), nullptr);
  remark->editableTextInterface()->insertText(0, QStringLiteral("stone"));
  EXPECT_EQ(dlg.model().remark(), "stone");
  // A character the file cannot hold is refused here too.
  remark->setText(QAccessible::Value, QString::fromUtf8("\u2603"));
  EXPECT_EQ(dlg.model().remark(), "stone");
  EXPECT_EQ(dlg.control<QLineEdit>(IdRemark)->text(), "stone");
}
