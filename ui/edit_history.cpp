#include "ui/edit_history.h"

#include <QUndoCommand>
#include <utility>

namespace mottler::ui {

// One step on the stack.  When pushed, the model has already made it, so the
// first redo does nothing.
class StepCommand : public QUndoCommand {
 public:
  StepCommand(EditHistory& history, EditStep step)
      : QUndoCommand(QString::fromStdString(step.text)),
        history_(history),
        step_(std::move(step)) {}

  int id() const override { return kStepId; }

  bool mergeWith(const QUndoCommand* other) override {
    if (other->id() != kStepId || !step_.absorb(static_cast<const StepCommand*>(other)->step_))
      return false;
    setText(QString::fromStdString(step_.text));
    return true;
  }

  void undo() override { history_.put(step_.before, step_.kind); }

  void redo() override {
    if (justPushed_) {
      justPushed_ = false;
      return;
    }
    history_.put(step_.after, step_.kind);
  }

 private:
  static constexpr int kStepId = 1;
  EditHistory& history_;
  EditStep step_;
  bool justPushed_ = true;
};

EditHistory::EditHistory(EditorModel& model, QObject* parent) : QObject(parent), model_(model) {
  connect(&stack_, &QUndoStack::indexChanged, this, &EditHistory::afterIndexChange);
}

void EditHistory::record(EditStep step) { stack_.push(new StepCommand(*this, std::move(step))); }

void EditHistory::clear() { stack_.clear(); }

void EditHistory::markClean() { stack_.setClean(); }

void EditHistory::put(const EditorState& state, EditStep::Kind kind) {
  model_.restore(state);
  restoring_ = kind;
}

// Called once the stack has moved to its new index, so that its clean state
// is up to date.
void EditHistory::afterIndexChange() {
  if (!restoring_) return;
  const EditStep::Kind kind = *restoring_;
  restoring_.reset();
  model_.setModified(!stack_.isClean());
  // What comes next no longer continues the drag or typing before the undo.
  model_.startGesture();
  emit restored(kind);
}

}  // namespace mottler::ui
