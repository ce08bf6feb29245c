// The "New" dialog: its controls, presets, focus, the checks on OK and what
// it hands over.
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <QValidator>
#include <gtest/gtest.h>

#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/new_texture_dialog.h"
#include "ui/dialogs/scripted_dialog_seam.h"

using mottler::ui::ScriptedDialogSeam;
using Kind = ScriptedDialogSeam::Kind;

namespace {

const QString kFolder = QStringLiteral("/home/ana/textures/");

QStringList labelTexts(const QWidget& w) {
  QStringList texts;
  for (const QLabel* l : w.findChildren<QLabel*>()) texts << l->text();
  return texts;
}

}  // namespace

TEST(NewTextureDialog, OpensWithTheTemplatesControlsAndValues) {
  CNewTextureDlg dlg(kFolder);
  EXPECT_EQ(dlg.windowTitle(), "New");
  EXPECT_EQ(dlg.nameBox(), dlg.findChild<QLineEdit*>("1046"));
  EXPECT_EQ(dlg.widthBox(), dlg.findChild<QLineEdit*>("1047"));
  EXPECT_EQ(dlg.heightBox(), dlg.findChild<QLineEdit*>("1048"));
  EXPECT_EQ(dlg.presetBox(), dlg.findChild<QComboBox*>("1049"));
  EXPECT_EQ(dlg.okButton(), dlg.findChild<QPushButton*>("1"));
  EXPECT_EQ(dlg.cancelButton(), dlg.findChild<QPushButton*>("2"));
  EXPECT_EQ(dlg.okButton()->text(), "OK");
  EXPECT_EQ(dlg.cancelButton()->text(), "Cancel");

  EXPECT_EQ(dlg.nameBox()->text(), "Untitled");
  EXPECT_EQ(dlg.widthBox()->text(), "256");
  EXPECT_EQ(dlg.heightBox()->text(), "256");
  EXPECT_TRUE(dlg.widthBox()->alignment() & Qt::AlignHCenter);
  EXPECT_TRUE(dlg.heightBox()->alignment() & Qt::AlignHCenter);

  const QStringList presets = {"Default (256x256)", "Average (128x128)", "Small (64x64)",
                               "Big Icon (32x32)",  "Small Icon (16x16)", "Symbol (8x8)"};
  ASSERT_EQ(dlg.presetBox()->count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(dlg.presetBox()->itemText(i), presets[i]);
  EXPECT_EQ(dlg.presetBox()->currentIndex(), 0);

  ASSERT_NE(dlg.findChild<QGroupBox*>(), nullptr);
  EXPECT_EQ(dlg.findChild<QGroupBox*>()->title(), "Texture Size: ");
  const QStringList labels = labelTexts(dlg);
  EXPECT_TRUE(labels.contains("Name:"));
  EXPECT_TRUE(labels.contains("Width:"));
  EXPECT_TRUE(labels.contains("Height:"));
  EXPECT_EQ(labels.count("Pixels"), 2);

  // A screen reader tells the two size boxes apart.
  auto spoken = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
  EXPECT_EQ(spoken(dlg.widthBox()), "Width");
  EXPECT_EQ(spoken(dlg.heightBox()), "Height");
  EXPECT_EQ(spoken(dlg.nameBox()), "Name:");
}

TEST(NewTextureDialog, ShowingPutsTheFocusOnTheWholeName) {
  CNewTextureDlg dlg(kFolder);
  dlg.show();
  EXPECT_EQ(dlg.focusWidget(), dlg.nameBox());
  EXPECT_EQ(dlg.nameBox()->selectedText(), "Untitled");

  // Shown again after the user moved elsewhere: the name takes the focus again.
  dlg.widthBox()->setFocus();
  dlg.hide();
  dlg.nameBox()->setText("cave");
  dlg.show();
  EXPECT_EQ(dlg.focusWidget(), dlg.nameBox());
  EXPECT_EQ(dlg.nameBox()->selectedText(), "cave");
}

TEST(NewTextureDialog, PresetsOverwriteBothBoxes) {
  CNewTextureDlg dlg(kFolder);
  const int sizes[] = {256, 128, 64, 32, 16, 8};
  for (int i = 5; i >= 0; --i) {
    dlg.widthBox()->setText("77");
    dlg.heightBox()->setText("");
    dlg.presetBox()->setCurrentIndex(i);
    EXPECT_EQ(dlg.widthBox()->text(), QString::number(sizes[i])) << i;
    EXPECT_EQ(dlg.heightBox()->text(), QString::number(sizes[i])) << i;
    EXPECT_EQ(CNewTextureDlg::presetSize(i), sizes[i]);
  }
  // Typing leaves the preset alone; the sizes need not match it or each other.
  dlg.presetBox()->setCurrentIndex(5);
  dlg.widthBox()->setText("100");
  EXPECT_EQ(dlg.presetBox()->currentIndex(), 5);
  EXPECT_EQ(dlg.heightBox()->text(), "8");
}

TEST(NewTextureDialog, OkAtOnceGivesUntitledAt256) {
  ScriptedDialogSeam seam;
  CNewTextureDlg dlg(kFolder);
  dlg.show();
  dlg.okButton()->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.documentWidth(), 256);
  EXPECT_EQ(dlg.documentHeight(), 256);
  EXPECT_EQ(dlg.documentName(), "Untitled.mlr");
  EXPECT_EQ(dlg.documentPath(), kFolder + "Untitled.mlr");
  EXPECT_TRUE(seam.calls().empty());
}

TEST(NewTextureDialog, ChecksTheHeightBeforeTheWidth) {
  ScriptedDialogSeam seam;
  CNewTextureDlg dlg(kFolder);
  dlg.show();
  dlg.heightBox()->setText("");
  dlg.widthBox()->setText("999");
  dlg.okButton()->click();

  // Only the height's message: the width is not looked at.
  ASSERT_EQ(seam.calls().size(), 1u);
  const auto& call = seam.calls()[0];
  EXPECT_EQ(call.kind, Kind::Message);
  EXPECT_EQ(call.text, "Please enter a positive integer.");
  EXPECT_EQ(call.caption, "Mottler");
  EXPECT_EQ(call.icon, QMessageBox::Warning);
  EXPECT_EQ(call.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.focusWidget(), dlg.heightBox());

  // With the height right, the width's range message comes, focus and all.
  seam.takeCalls();
  dlg.heightBox()->setText("64");
  dlg.okButton()->click();
  ASSERT_EQ(seam.calls().size(), 1u);
  EXPECT_EQ(seam.calls()[0].text, "Please enter an integer between 8 and 256.");
  EXPECT_EQ(seam.calls()[0].caption, "Mottler");
  EXPECT_EQ(seam.calls()[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(dlg.focusWidget(), dlg.widthBox());
  EXPECT_EQ(dlg.widthBox()->selectedText(), "999");

  // A bad height is still reported first when both are bad.
  seam.takeCalls();
  dlg.heightBox()->setText("4");
  dlg.widthBox()->setText("");
  dlg.okButton()->click();
  ASSERT_EQ(seam.calls().size(), 1u);
  EXPECT_EQ(seam.calls()[0].text, "Please enter an integer between 8 and 256.");
  EXPECT_EQ(dlg.focusWidget(), dlg.heightBox());
  EXPECT_EQ(dlg.heightBox()->selectedText(), "4");
}

TEST(NewTextureDialog, SymbolThenTooWideKeepsTheDialogOpenAndCancelHandsNothingOver) {
  ScriptedDialogSeam seam;
  CNewTextureDlg dlg(kFolder);
  dlg.show();
  dlg.presetBox()->setCurrentIndex(5);
  EXPECT_EQ(dlg.widthBox()->text(), "8");
  EXPECT_EQ(dlg.heightBox()->text(), "8");
  dlg.widthBox()->setText("300");
  dlg.okButton()->click();
  ASSERT_EQ(seam.callsOf(Kind::Message).size(), 1u);
  EXPECT_EQ(seam.callsOf(Kind::Message)[0].text, mottler::ui::rangeText(8, 256));
  EXPECT_TRUE(dlg.isVisible());
  dlg.cancelButton()->click();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_TRUE(dlg.documentName().isEmpty());
  EXPECT_TRUE(dlg.documentPath().isEmpty());
}

TEST(NewTextureDialog, SizeCheckBoundaries) {
  using C = CNewTextureDlg::SizeCheck;
  int v = 0;
  EXPECT_EQ(CNewTextureDlg::checkSize("8", &v), C::Ok);
  EXPECT_EQ(v, 8);
  EXPECT_EQ(CNewTextureDlg::checkSize("256", &v), C::Ok);
  EXPECT_EQ(v, 256);
  EXPECT_EQ(CNewTextureDlg::checkSize("0100", &v), C::Ok);
  EXPECT_EQ(v, 100);
  EXPECT_EQ(CNewTextureDlg::checkSize("7"), C::OutOfRange);
  EXPECT_EQ(CNewTextureDlg::checkSize("257"), C::OutOfRange);
  EXPECT_EQ(CNewTextureDlg::checkSize("0"), C::OutOfRange);
  EXPECT_EQ(CNewTextureDlg::checkSize("99999999999999999999999999"), C::OutOfRange);
  EXPECT_EQ(CNewTextureDlg::checkSize(""), C::NotAnInteger);
  EXPECT_EQ(CNewTextureDlg::checkSize("-16"), C::NotAnInteger);
  EXPECT_EQ(CNewTextureDlg::checkSize("12a"), C::NotAnInteger);
  EXPECT_EQ(CNewTextureDlg::checkSize(" 64"), C::NotAnInteger);
}

TEST(NewTextureDialog, SizeBoxesTakeDigitsOnlyButMayBeEmptied) {
  CNewTextureDlg dlg(kFolder);
  dlg.show();
  for (QLineEdit* box : {dlg.widthBox(), dlg.heightBox()}) {
    box->clear();
    QTest::keyClicks(box, "1a-2.5");
    EXPECT_EQ(box->text(), "125");
    int pos = 0;
    QString empty;
    EXPECT_NE(box->validator()->validate(empty, pos), QValidator::Invalid);
    QString letters = "abc";
    EXPECT_EQ(box->validator()->validate(letters, pos), QValidator::Invalid);
  }
}

TEST(NewTextureDialog, NameRulesAndPath) {
  EXPECT_EQ(CNewTextureDlg::nameWithExtension("my.texture"), "my.texture");
  EXPECT_EQ(CNewTextureDlg::nameWithExtension("cave"), "cave.mlr");
  EXPECT_EQ(CNewTextureDlg::nameWithExtension(""), ".mlr");
  EXPECT_EQ(CNewTextureDlg::nameWithExtension("old.mlr"), "old.mlr");
  // A dot in a folder typed before the name is no extension.
  EXPECT_EQ(CNewTextureDlg::nameWithExtension("j.smith/cave"), "j.smith/cave.mlr");

  ScriptedDialogSeam seam;
  struct Case {
    QString typed, name;
  } cases[] = {{"my.texture", "my.texture"}, {"cave", "cave.mlr"}, {"", ".mlr"}};
  for (const Case& c : cases) {
    CNewTextureDlg dlg(kFolder);
    seam.answerNewTexture(ScriptedDialogSeam::typeAndOk(c.typed, "32", "128"));
    ASSERT_TRUE(mottler::ui::dialogSeam().runNewTextureDialog(dlg));
    EXPECT_EQ(dlg.documentName(), c.name);
    EXPECT_EQ(dlg.documentPath(), kFolder + c.name);
    EXPECT_EQ(dlg.documentWidth(), 32);
    EXPECT_EQ(dlg.documentHeight(), 128);
  }
  // A folder given without its closing separator still gets one.
  CNewTextureDlg dlg("/tmp/work");
  seam.answerNewTexture(ScriptedDialogSeam::pressOk());
  ASSERT_TRUE(mottler::ui::dialogSeam().runNewTextureDialog(dlg));
  EXPECT_EQ(dlg.documentPath(), "/tmp/work/Untitled.mlr");
}

TEST(NewTextureDialog, F1DoesNothing) {
  // The application's help key, as the main window has it.
  QWidget owner;
  int helpAsked = 0;
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), &owner);
  shortcut->setContext(Qt::ApplicationShortcut);
  QObject::connect(shortcut, &QShortcut::activated, [&] { ++helpAsked; });
  owner.show();

  // The same key in an ordinary window reaches the application's help.
  {
    QWidget plain;
    auto* edit = new QLineEdit(&plain);
    plain.show();
    plain.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&plain));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);
    ASSERT_EQ(helpAsked, 1);
  }
  // In the dialog, modal as it runs or not, it does nothing.
  for (bool modal : {true, false}) {
    CNewTextureDlg dlg(kFolder);
    dlg.setModal(modal);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(dlg.nameBox(), Qt::Key_F1);
    QTest::keyClick(dlg.widthBox(), Qt::Key_F1);
    QTest::keyClick(&dlg, Qt::Key_F1);
    EXPECT_EQ(helpAsked, 1) << modal;
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.nameBox()->text(), "Untitled");
  }
}
