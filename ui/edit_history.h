// The window's side of the editor's undo history.  The steps, their merging
// and the saved place live in the toolkit-free UndoHistory; this adapter
// mirrors them on Qt's undo stack, whose entries hold only the step's name,
// so that the Edit menu's Undo and Redo actions name the step ("Undo Add
// Plasma") and are greyed when there is none.  Undoing or redoing puts the
// history's editor state back into the model.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <optional>

#include "document/editor_model.h"
#include "document/undo_history.h"

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
  const UndoHistory& history() const { return history_; }

 signals:
  // An undo or redo put an editor state back; kind is the step's.
  void restored(mottler::EditStep::Kind kind, const mottler::ModelChange& change);

 private:
  friend class StepCommand;
  void put(std::optional<RestoredState> restored);
  void afterIndexChange();

  EditorModel& model_;
  UndoHistory history_;
  QUndoStack stack_;
  std::optional<EditStep::Kind> restoring_;
  ModelChange restoredChange_;
};

}  // namespace mottler::ui
