// The editor's undo history: Qt's undo stack over the editor model.  Each
// entry of the stack is one step of the model (EditStep); undoing or redoing
// it puts the model's editor state of that moment back.  Steps of one drag,
// key run or typing merge into one.  The stack's clean index is the saved
// state: undoing or redoing back to it leaves the document unmodified.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <optional>

#include "document/editor_model.h"

namespace mottler::ui {

class EditHistory : public QObject {
  Q_OBJECT

 public:
  explicit EditHistory(EditorModel& model, QObject* parent = nullptr);

  // Keeps a step the model has already carried out.
  void record(EditStep step);

  // A fresh history whose start is the clean state (New, Open).
  void clear();
  // The current state is the saved one (Save).
  void markClean();

  QUndoStack& stack() { return stack_; }

 signals:
  // An undo or redo put an editor state back; kind is the step's.
  void restored(mottler::EditStep::Kind kind);

 private:
  friend class StepCommand;
  void put(const EditorState& state, EditStep::Kind kind);
  void afterIndexChange();

  EditorModel& model_;
  QUndoStack stack_;
  std::optional<EditStep::Kind> restoring_;
};

}  // namespace mottler::ui
