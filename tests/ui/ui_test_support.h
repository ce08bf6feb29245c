// Helpers that drive the main window the way a user does: choosing commands
// in the tree, clicking buttons, selecting list entries, moving scroll bars.
#pragma once

#include <QAbstractSlider>
#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "document/bitmap_export.h"
#include "document/program_file.h"
#include "ui/preview_control.h"
#include "ui/control_ids.h"
#include "ui/main_dialog.h"

namespace mottler::ui::testing {

// The colour of every pixel of a picture, row by row, without alpha.
inline std::vector<std::uint32_t> pixelsOf(const QImage& picture) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) pixels.push_back(picture.pixel(x, y) & 0xFFFFFFu);
  return pixels;
}


inline QTreeWidget* tree(CMottlerDlg& dlg) { return dlg.control<QTreeWidget>(IdTree); }
inline QListWidget* list(CMottlerDlg& dlg) { return dlg.control<QListWidget>(IdList); }
inline QScrollBar* bar(CMottlerDlg& dlg, int id) { return dlg.control<QScrollBar>(id); }
inline QPushButton* button(CMottlerDlg& dlg, int id) { return dlg.control<QPushButton>(id); }

// Chooses a command (or category) by its text, as a click in the tree does.
inline void choose(CMottlerDlg& dlg, const QString& name) {
  const QList<QTreeWidgetItem*> found =
      tree(dlg)->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_FALSE(found.isEmpty()) << name.toStdString();
  tree(dlg)->setCurrentItem(found.first());
}

// Clicks a button the way the user can: only when it is enabled.
inline void press(CMottlerDlg& dlg, int id) {
  QPushButton* b = button(dlg, id);
  ASSERT_NE(b, nullptr) << id;
  ASSERT_TRUE(b->isEnabled()) << "button " << id << " is disabled";
  b->click();
}

inline void selectEntry(CMottlerDlg& dlg, int row) {
  ASSERT_TRUE(list(dlg)->isEnabled());
  list(dlg)->setCurrentRow(row);
}

inline QStringList listTexts(CMottlerDlg& dlg) {
  QStringList texts;
  for (int i = 0; i < list(dlg)->count(); ++i) texts << list(dlg)->item(i)->text();
  return texts;
}

// A line or page step or a thumb drag, as the scroll bar reports it.
inline void step(CMottlerDlg& dlg, int id, QAbstractSlider::SliderAction action) {
  bar(dlg, id)->triggerAction(action);
}
inline void drag(CMottlerDlg& dlg, int id, int position) {
  bar(dlg, id)->setSliderDown(true);
  bar(dlg, id)->setSliderPosition(position);
  bar(dlg, id)->setSliderDown(false);
}

// Menu commands run once their trigger has returned: this lets them run.
inline void settle() { QCoreApplication::sendPostedEvents(); }
inline void trigger(CMottlerDlg& dlg, int id) {
  dlg.menuCommand(id)->trigger();
  settle();
}

inline bool saveEnabled(CMottlerDlg& dlg) { return dlg.menuCommand(IdFileSave)->isEnabled(); }
inline bool saveAsEnabled(CMottlerDlg& dlg) { return dlg.menuCommand(IdFileSaveAs)->isEnabled(); }

// The entry in a program slot (the committed entries, and the pending one
// where it sits), and its command code.
inline ProgramEntry entryAt(CMottlerDlg& dlg, int slot) { return dlg.model().slot(slot); }
inline CommandCode codeAt(CMottlerDlg& dlg, int slot) { return entryAt(dlg, slot).code; }

inline QString documentPath(CMottlerDlg& dlg) { return QString::fromStdString(dlg.model().documentPath()); }

// An entry of a command with its defaults for a texture size.
inline ProgramEntry defaultEntry(const char* name, int width = 256, int height = 256) {
  const int index = *CommandCatalogue().indexOfName(name);
  const CommandInfo info = commandInfoForSize(index, width, height);
  ProgramEntry e;
  e.code = info.code;
  for (int k = 0; k < kParamCount; ++k) e.param[k] = info.defaultValue[k];
  e.method = Add;
  return e;
}

// Opens a program as if it had been named at start.
inline void openProgram(CMottlerDlg& dlg, const ProgramDocument& doc) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("program.mlr"));
  ASSERT_TRUE(writeProgramFile(path.toStdString(), doc));
  ASSERT_TRUE(dlg.openStartupDocument(path));
}

inline ProgramDocument emptyProgram(int width = 256, int height = 256) {
  ProgramDocument doc;
  doc.width = width;
  doc.height = height;
  return doc;
}

// Runs go to a worker thread: this handles events until every run asked for
// has ended, and gives the picture of the last finished one.
inline const RunOutcome& finished(CMottlerDlg& dlg) {
  dlg.waitUntilIdle();
  return dlg.picture();
}

// The texture (or the buffer) of the last finished run as the bitmap Export
// writes.
inline std::vector<std::uint8_t> finishedBitmap(CMottlerDlg& dlg, bool buffer = false) {
  const RunOutcome& picture = finished(dlg);
  auto engine = std::make_unique<TextureEngine>();
  engine->setSize(picture.width, picture.height);
  const std::vector<std::uint32_t>& plane = buffer ? picture.buffer : picture.texture;
  std::copy(plane.begin(), plane.end(), engine->texture.data());
  return encodeBitmap(*engine, engine->texture);
}

// What the preview shows at a pixel of its bitmap, 0x00RRGGBB.
inline std::uint32_t shownPixel(CMottlerDlg& dlg, int x, int y) {
  return static_cast<PreviewControl*>(dlg.control(IdPreview))->image().pixel(x, y) & 0xFFFFFFu;
}

// Every run empties the status bar as it starts and tells its time when it
// has finished: a mark put there survives only if no run started after it.
inline const QString kRunMark = QStringLiteral("(no run since)");
inline void markTexture(CMottlerDlg& dlg) {
  dlg.waitUntilIdle();
  dlg.setStatusText(kRunMark);
}
inline bool programRanSinceMark(CMottlerDlg& dlg) {
  dlg.waitUntilIdle();
  return dlg.statusText() != kRunMark;
}

}  // namespace mottler::ui::testing
