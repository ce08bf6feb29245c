#include "ui/edit_history.h"

#include <QUndoCommand>
#include <utility>

namespace mottler::ui {

// One step on Qt's stack: its name, and whether the history took it into
// the step before (then the stack merges it the same way).  The step itself
// is the history's.  When pushed, the model has already made it, so the
// first redo does nothing.
class StepCommand : public QUndoCommand {
 public:
  StepCommand(EditHistory& history, const std::string& text, bool merged)
      : QUndoCommand(QString::fromStdString(text)), history_(history), merged_(merged) {}

  int id() const override { return kStepId; }

  bool mergeWith(const QUndoCommand* other) override {
    const auto* later = static_cast<const StepCommand*>(other);
    if (other->id() != kStepId || !later->merged_) return false;
    setText(later->text());
    return true;
  }

  void undo() override { history_.put(history_.history_.undo()); }

  void redo() override {
    if (justPushed_) {
      justPushed_ = false;
      return;
    }
    history_.put(history_.history_.redo());
  }

 private:
  static constexpr int kStepId = 1;
  EditHistory& history_;
  bool merged_;
  bool justPushed_ = true;
};

EditHistory::EditHistory(EditorModel& model, QObject* parent) : QObject(parent), model_(model) {
  connect(&stack_, &QUndoStack::indexChanged, this, &EditHistory::afterIndexChange);
}

void EditHistory::record(EditStep step) {
  const int doneBefore = history_.index();
  history_.record(std::move(step));
  // The history merges the same way the stack does (one gesture, never
  // across the saved place); the stack follows what the history did.
  const bool merged = history_.index() == doneBefore;
  stack_.push(new StepCommand(*this, history_.undoText(), merged));
}

void EditHistory::clear() {
  history_.clear();
  stack_.clear();
}

void EditHistory::markClean() {
  history_.markClean();
  stack_.setClean();
}

void EditHistory::put(std::optional<RestoredState> restored) {
  if (!restored) return;
  const EditorState before = model_.state();
  model_.restore(restored->state);
  restoredChange_ = changesBetween(before, model_.state());
  restoring_ = restored->kind;
}

// Called once the stack has moved to its new index.
void EditHistory::afterIndexChange() {
  if (!restoring_) return;
  const EditStep::Kind kind = *restoring_;
  restoring_.reset();
  model_.setModified(!history_.isClean());
  // What comes next no longer continues the drag or typing before the undo.
  model_.startGesture();
  emit restored(kind, restoredChange_);
}

}  // namespace mottler::ui
