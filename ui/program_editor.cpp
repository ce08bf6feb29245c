// The program editor: choosing a command in the tree (the pending entry),
// selecting an entry in the program list, and the six program buttons.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <utility>

#include "ui/artwork.h"
#include "ui/control_ids.h"
#include "ui/main_dialog.h"

using namespace mottler;
using namespace mottler::ui;

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

// --- list and menu helpers ---------------------------------------------------

void CMottlerDlg::insertListItem(int index, const QString& name, int image) {
  const QSignalBlocker quiet(list_);
  auto* item = new QListWidgetItem(stripImage(image), name);
  list_->insertItem(index, item);
}

void CMottlerDlg::deleteListItem(int index) {
  if (index < 0 || index >= list_->count()) return;
  const QSignalBlocker quiet(list_);
  delete list_->takeItem(index);
}

void CMottlerDlg::selectFirstTreeItem() { tree_->setCurrentItem(tree_->topLevelItem(0)); }

void CMottlerDlg::setSaveCommandsEnabled(bool enabled) {
  menuCommand(IdFileSave)->setEnabled(enabled);
  menuCommand(IdFileSaveAs)->setEnabled(enabled);
}

// The offsets, Method and "Fixed Colors" of an entry, by the command's layer
// flags: a fresh choice (entry == nullptr) shows method "Add", offsets 0.
void CMottlerDlg::setEntryOptions(const CommandInfo& info, const ProgramEntry* entry) {
  if (info.layerFlags == 0) {
    offsetXBar_->setEnabled(false);
    offsetYBar_->setEnabled(false);
    offsetXText.clear();
    offsetYText.clear();
    fixedColorsBox_->setEnabled(false);
    methodBox_->setEnabled(false);
    methodBox_->setCurrentIndex(Add);
    fixedColorsBox_->setChecked(false);
    return;
  }
  const int x = entry != nullptr ? entry->offsetX : 0;
  const int y = entry != nullptr ? entry->offsetY : 0;
  offsetXBar_->setEnabled(true);
  offsetYBar_->setEnabled(true);
  offsetXBar_->setValue(x);
  offsetYBar_->setValue(y);
  offsetXText = QString::number(x);
  offsetYText = QString::number(y);
  methodBox_->setEnabled(true);
  methodBox_->setCurrentIndex(entry != nullptr ? entry->method : static_cast<int>(Add));
  const bool fixedColorsApply = (info.layerFlags & LayerFixedColors) != 0;
  fixedColorsBox_->setEnabled(fixedColorsApply);
  fixedColorsBox_->setChecked(fixedColorsApply && entry != nullptr && entry->fixedColors != 0);
}

// --- handlers ------------------------------------------------------------------

void CMottlerDlg::onCommandChosen(QTreeWidgetItem* item) {
  removeButton_->setEnabled(false);
  stateButton_->setEnabled(false);
  updateControls();
  if (item == nullptr) return;

  const std::optional<int> found = catalogue_.indexOfName(item->text(0).toStdString());
  if (!found) return;  // a category item chooses nothing

  {
    const QSignalBlocker quiet(list_);
    list_->clearSelection();
  }
  list_->setEnabled(false);

  if (newSlotOnChoice) {
    currentIndex = programLength;
    newSlotOnChoice = false;
  }
  pendingCommand = static_cast<std::uint8_t>(*found);
  markModified();

  // The table keeps one slot for the pending entry: a full program can show
  // a chosen command but not add it.
  addButton_->setEnabled(programLength < kMaxProgramLength);
  cancelButton_->setEnabled(true);
  upButton_->setEnabled(true);
  downButton_->setEnabled(true);
  setSaveCommandsEnabled(false);

  methodBox_->setCurrentIndex(Add);
  fixedColorsBox_->setChecked(false);
  ProgramEntry& entry = engine_->entries[static_cast<std::size_t>(currentIndex)];
  entry.disabled = 0;
  entry.fixedColors = 0;
  entry.offsetX = 0;
  entry.offsetY = 0;
  entry.method = Add;

  const CommandInfo& info = catalogue_.info(*found);
  setEntryOptions(info, nullptr);
  showParameters(*found, true);

  entry.code = info.code;
  entry.reserved = {};
  for (int k = 0; k < kParamCount; ++k) entry.param[k] = paramBars_[k]->value();

  updateControls();
  generate();

  deleteListItem(currentIndex);
  insertListItem(currentIndex, text(info.name), info.category);
}

void CMottlerDlg::onEntrySelected() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  const int index = list_->row(selected.first());

  removeButton_->setEnabled(true);
  stateButton_->setEnabled(true);
  // The tree loses its highlight but keeps its current item.
  tree_->selectionModel()->clearSelection();

  currentIndex = index;
  newSlotOnChoice = true;
  markModified();

  const ProgramEntry& entry = engine_->entries[static_cast<std::size_t>(currentIndex)];
  const std::optional<int> record = catalogue_.indexOfCode(entry.code & 0xFFu);
  if (!record) {
    // An entry of no known command: it can be removed or switched, not edited.
    selectedName = selected.first()->text();
    selectedIcon = 0;
    return;
  }
  const CommandInfo& info = catalogue_.info(*record);
  selectedName = text(info.name);
  selectedIcon = info.category;

  setEntryOptions(info, &entry);
  showParameters(*record, false);
  updateControls();
}

void CMottlerDlg::onAdd() {
  if (programLength >= kMaxProgramLength) return;
  programLength += 1;
  currentIndex = programLength;
  setSaveCommandsEnabled(true);
  selectFirstTreeItem();
  tree_->setFocus();
  list_->setEnabled(true);
  resetParameterPanel();
}

void CMottlerDlg::onCancelPending() {
  programLength += 1;
  removingPending = true;
  onRemove();
  removingPending = false;
  selectFirstTreeItem();
  tree_->setFocus();
  list_->setEnabled(true);
  setSaveCommandsEnabled(true);
}

void CMottlerDlg::onRemove() {
  removeButton_->setEnabled(false);
  stateButton_->setEnabled(false);
  int index = currentIndex;
  if (!removingPending) {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    index = list_->row(selected.first());
  }

  auto& entries = engine_->entries;
  if (list_->count() <= 1) {
    entries[0] = ProgramEntry{};
    setSaveCommandsEnabled(false);
  } else {
    for (int i = index; i < programLength; ++i) {
      // The last slot of the table has no successor: it becomes empty.
      entries[static_cast<std::size_t>(i)] =
          i + 1 < kProgramSlots ? entries[static_cast<std::size_t>(i + 1)] : ProgramEntry{};
    }
  }
  if (programLength > 0) programLength -= 1;
  currentIndex = programLength;
  resetParameterPanel();
  generate();
  deleteListItem(index);
}

void CMottlerDlg::onMoveUp() {
  if (currentIndex == 0) return;
  const CommandInfo& info = catalogue_.info(pendingCommand);
  deleteListItem(currentIndex);
  currentIndex -= 1;
  insertListItem(currentIndex, text(info.name), info.category);
  std::swap(engine_->entries[static_cast<std::size_t>(currentIndex)],
            engine_->entries[static_cast<std::size_t>(currentIndex + 1)]);
  generate();
}

void CMottlerDlg::onMoveDown() {
  if (currentIndex >= list_->count() - 1) return;
  const CommandInfo& info = catalogue_.info(pendingCommand);
  deleteListItem(currentIndex);
  currentIndex += 1;
  insertListItem(currentIndex, text(info.name), info.category);
  std::swap(engine_->entries[static_cast<std::size_t>(currentIndex - 1)],
            engine_->entries[static_cast<std::size_t>(currentIndex)]);
  generate();
}

void CMottlerDlg::onToggleState() {
  ProgramEntry& entry = engine_->entries[static_cast<std::size_t>(currentIndex)];
  entry.disabled = entry.disabled == 0 ? 1 : 0;
  removeButton_->setEnabled(false);
  stateButton_->setEnabled(false);
  generate();
  deleteListItem(currentIndex);
  insertListItem(currentIndex, selectedName, entry.disabled != 0 ? kDisabledEntryImage : selectedIcon);
}
