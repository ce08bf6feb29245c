// The program editor: choosing a command in the tree (the pending entry),
// selecting an entry in the program list, the six program buttons, and undo
// and redo.  Each handler hands the action to the model, keeps the step it
// returns in the undo history, runs the program when the step asks for it and
// shows the model again.
#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "ui/artwork.h"
#include "ui/control_ids.h"
#include "ui/edit_history.h"
#include "ui/main_dialog.h"

using namespace mottler;
using namespace mottler::ui;

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// What a screen reader says for a list item: a switched-off entry is told
// apart by words as well as by its icon.
QString spokenName(const ListRow& row) {
  const QString name = text(row.name);
  return row.switchedOff ? name + QStringLiteral(", switched off") : name;
}

constexpr int kImageRole = Qt::UserRole;

}  // namespace

void CMottlerDlg::apply(EditResult result) {
  if (result.step) {
    history_->record(std::move(*result.step));
    showChanges(result.change);
  } else {
    // Nothing changed: the control that asked shows the model's value again.
    showModel();
  }
  if (result.regenerate) generate();
}

void CMottlerDlg::onStepRestored(EditStep::Kind kind, const ModelChange& change) {
  showTreeChoice();
  showChanges(change);
  // The program runs again, so the picture is that of the state put back;
  // the remark is no part of a run.
  if (kind != EditStep::Kind::Remark) generate();
}

// --- showing the model ---------------------------------------------------------

// The list's items follow the model's rows; only items that differ change,
// so the list keeps its scroll position.  The highlight is always the entry
// the panel edits, or none.
void CMottlerDlg::showProgramList() {
  const QSignalBlocker quiet(list_);
  const int count = model_.listCount();
  while (list_->count() > count) delete list_->takeItem(list_->count() - 1);
  for (int i = 0; i < count; ++i) {
    const ListRow row = model_.listRow(i);
    QListWidgetItem* item = list_->item(i);
    if (item == nullptr) {
      item = new QListWidgetItem;
      list_->addItem(item);
    }
    const QString name = text(row.name);
    if (item->text() != name) item->setText(name);
    if (item->data(kImageRole) != row.image) {
      item->setData(kImageRole, row.image);
      item->setIcon(stripImage(row.image));
    }
    const QString spoken = spokenName(row);
    if (item->data(Qt::AccessibleTextRole).toString() != spoken) item->setData(Qt::AccessibleTextRole, spoken);
  }
  list_->setEnabled(model_.listEnabled());
  showEntryTimes();

  const std::optional<int> highlighted = model_.highlightedRow();
  if (highlighted) {
    list_->setCurrentRow(*highlighted, QItemSelectionModel::ClearAndSelect);
  } else {
    list_->clearSelection();
  }
}

void CMottlerDlg::showEditorButtons() {
  addButton_->setEnabled(model_.canAdd());
  cancelButton_->setEnabled(model_.canCancel());
  upButton_->setEnabled(model_.canMove());
  downButton_->setEnabled(model_.canMove());
  removeButton_->setEnabled(model_.canRemove());
  stateButton_->setEnabled(model_.canToggleState());
  menuCommand(IdFileSave)->setEnabled(model_.saveEnabled());
  menuCommand(IdFileSaveAs)->setEnabled(model_.saveEnabled());
}

void CMottlerDlg::selectFirstTreeItem() {
  const QSignalBlocker quiet(tree_);
  tree_->setCurrentItem(tree_->topLevelItem(0));
}

// After undo or redo: the tree shows the pending command while one waits,
// else its first item ("Generate"), without its highlight while an entry of
// the list is edited.  Choosing any command afterwards raises an event.
void CMottlerDlg::showTreeChoice() {
  const QSignalBlocker quiet(tree_);
  if (model_.hasPendingEntry()) {
    const QString name = text(catalogue_.info(model_.pendingCommand()).name);
    const QList<QTreeWidgetItem*> found = tree_->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    if (!found.isEmpty()) tree_->setCurrentItem(found.first());
    return;
  }
  tree_->setCurrentItem(tree_->topLevelItem(0));
  if (model_.mode() != EditorMode::Idle) tree_->selectionModel()->clearSelection();
}

// --- handlers ------------------------------------------------------------------

void CMottlerDlg::onCommandChosen(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  const std::optional<int> found = catalogue_.indexOfName(item->text(0).toStdString());
  if (!found) {
    // A category item chooses nothing.
    model_.chooseCategory();
    showModel();
    return;
  }
  apply(model_.chooseCommand(*found));
}

void CMottlerDlg::onEntrySelected() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (!selected.isEmpty() && model_.selectEntry(list_->row(selected.first()))) {
    // The tree loses its highlight but keeps its current item.
    tree_->selectionModel()->clearSelection();
  }
  // A selection the model did not take (or an item unselected with the
  // keyboard) gives way to what the model edits.
  showModel();
}

void CMottlerDlg::onAdd() {
  apply(model_.add());
  selectFirstTreeItem();
  tree_->setFocus();
}

void CMottlerDlg::onCancelPending() {
  apply(model_.cancel());
  selectFirstTreeItem();
  tree_->setFocus();
}

void CMottlerDlg::onRemove() { apply(model_.remove()); }

void CMottlerDlg::onMoveUp() { apply(model_.moveUp()); }

void CMottlerDlg::onMoveDown() { apply(model_.moveDown()); }

void CMottlerDlg::onToggleState() { apply(model_.toggleState()); }
