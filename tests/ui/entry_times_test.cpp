// Where the time goes: after every run each entry of the program list tells
// its time (tooltip and accessible description) and the status bar tells
// the whole run's.
#include <QAccessible>
#include <QRegularExpression>

#include "ui_test_support.h"

using namespace mottler;
using namespace mottler::ui;
using namespace mottler::ui::testing;

namespace {

const QRegularExpression kTime(QStringLiteral("^\\d+\\.\\d ms(, slow)?$"));

// What a screen reader is told about list item i.
QString spokenDescription(CMottlerDlg& dlg, int i) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list(dlg));
  if (iface == nullptr) return {};
  for (int c = 0; c < iface->childCount(); ++c) {
    QAccessibleInterface* child = iface->child(c);
    if (child != nullptr && child->text(QAccessible::Name) == list(dlg)->item(i)->data(Qt::AccessibleTextRole).toString())
      return child->text(QAccessible::Description);
  }
  return {};
}

}  // namespace

TEST(EntryTimes, EveryEntryTellsItsTimeAfterARun) {
  CMottlerDlg dlg;
  dlg.show();
  for (const char* name : {"Plasma", "Twirl", "Blobs"}) {
    choose(dlg, name);
    press(dlg, IdAdd);
  }
  finished(dlg);
  ASSERT_EQ(listTexts(dlg), QStringList({"Plasma", "Twirl", "Blobs"}));
  for (int i = 0; i < 3; ++i) {
    QListWidgetItem* item = list(dlg)->item(i);
    const QString description = item->data(Qt::AccessibleDescriptionRole).toString();
    EXPECT_TRUE(kTime.match(description).hasMatch()) << description.toStdString();
    EXPECT_EQ(item->toolTip(), item->text() + ": " + description);
    EXPECT_EQ(spokenDescription(dlg, i), description) << i;
    // Marked bold exactly when slow.
    EXPECT_EQ(item->font().bold(), description.endsWith(", slow"));
  }
  EXPECT_TRUE(QRegularExpression("^Generated in \\d+\\.\\d ms$").match(dlg.statusText()).hasMatch());
}

TEST(EntryTimes, AFileMessageIsNotOverwrittenByTheRunsTime) {
  CMottlerDlg dlg;
  ProgramDocument doc = emptyProgram(32, 32);
  doc.entries = {defaultEntry("Plasma", 32, 32)};
  openProgram(dlg, doc);
  finished(dlg);
  EXPECT_TRUE(dlg.statusText().endsWith(" loaded")) << dlg.statusText().toStdString();
  // The next run says its time.
  step(dlg, IdSeedBar, QAbstractSlider::SliderSingleStepAdd);
  finished(dlg);
  EXPECT_TRUE(dlg.statusText().startsWith("Generated in "));
  EXPECT_FALSE(list(dlg)->item(0)->toolTip().isEmpty());
}
