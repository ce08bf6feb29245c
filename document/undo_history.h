// The editor's undo history without a toolkit: the steps the editor model's
// verbs return (EditStep), in order, with the place the user has undone to
// and the place that matches the saved file.  Undoing a step gives back the
// editor state from before it, redoing gives the state after it; the caller
// puts that state into the model.
//
// Steps of one drag, key run or typing merge into one (EditStep::absorb),
// except across the saved place, so that undoing to the saved state stays
// possible.  Recording a step after some undos drops the undone steps.
//
// A step does not keep two copies of the program: it keeps the selection and
// document values from before and after it (what the panel shows is worked
// out again from them), and only the program slots it changed.  The history holds the whole program once, as it is after the
// last done step, and rebuilds the slots of any state from there.  A long
// program with many slider steps thus costs a few hundred bytes per step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/editor_model.h"

namespace mottler {

// What one undo or redo puts back.
struct RestoredState {
  EditorState state;
  EditStep::Kind kind = EditStep::Kind::Add;
};

class UndoHistory {
 public:
  // Keeps a step the model has already carried out; merges it into the last
  // one when they belong to one gesture.
  void record(EditStep step);

  // A fresh history whose start is the saved state (New, Open).
  void clear();
  // The current state is the saved one (Save).
  void markClean();
  // The current place is the saved one: undoing or redoing back to it leaves
  // the document unmodified.
  bool isClean() const { return index_ == clean_; }

  bool canUndo() const { return index_ > 0; }
  bool canRedo() const { return index_ < count(); }
  // The texts of the step an undo or redo would take ("Change Radius").
  std::string undoText() const;
  std::string redoText() const;

  int count() const { return static_cast<int>(steps_.size()); }
  // Steps done: the place between the done and the undone steps.
  int index() const { return index_; }

  // Steps back over the last done step; nothing when there is none.
  std::optional<RestoredState> undo();
  // Takes the next undone step again; nothing when there is none.
  std::optional<RestoredState> redo();

  // A run of program slots that one state has and another replaces: the
  // slots from `at` on that `removed` lists become `inserted`.
  struct SlotChange {
    int at = 0;
    std::vector<ProgramEntry> removed;
    std::vector<ProgramEntry> inserted;
  };

 private:
  struct StoredStep {
    EditStep::Kind kind = EditStep::Kind::Add;
    std::string text;
    int target = 0;
    std::uint64_t gesture = 0;
    EditorState before;  // without its program slots
    EditorState after;   // without its program slots
    // From the slots after the previous step to the slots before this one,
    // when they differ (the first step after a clear, or a caller that did
    // not record every step).
    std::optional<SlotChange> bridge;
    SlotChange change;  // from the slots before this step to those after it
  };

  StoredStep stored(EditStep step) const;
  EditStep expanded(const StoredStep& step) const;

  std::vector<StoredStep> steps_;
  int index_ = 0;
  int clean_ = 0;                    // -1 once the saved state has been dropped with undone steps
  std::vector<ProgramEntry> slots_;  // the program after the last done step
};

}  // namespace mottler
