#include "document/undo_history.h"

#include <algorithm>
#include <utility>

namespace mottler {

namespace {

using Slots = std::vector<ProgramEntry>;
using SlotChange = UndoHistory::SlotChange;

// The smallest run of slots that turns `from` into `to`: what lies between
// their common beginning and their common end.
SlotChange changeBetween(const Slots& from, const Slots& to) {
  const std::size_t shorter = std::min(from.size(), to.size());
  std::size_t head = 0;
  while (head < shorter && from[head] == to[head]) ++head;
  std::size_t tail = 0;
  while (tail < shorter - head && from[from.size() - 1 - tail] == to[to.size() - 1 - tail]) ++tail;
  SlotChange change;
  change.at = static_cast<int>(head);
  change.removed.assign(from.begin() + static_cast<std::ptrdiff_t>(head),
                        from.end() - static_cast<std::ptrdiff_t>(tail));
  change.inserted.assign(to.begin() + static_cast<std::ptrdiff_t>(head),
                         to.end() - static_cast<std::ptrdiff_t>(tail));
  return change;
}

void replaceRun(Slots& slots, int at, const Slots& out, const Slots& in) {
  const auto first = slots.begin() + at;
  slots.erase(first, first + static_cast<std::ptrdiff_t>(out.size()));
  slots.insert(slots.begin() + at, in.begin(), in.end());
}

void applyForward(Slots& slots, const SlotChange& change) {
  replaceRun(slots, change.at, change.removed, change.inserted);
}

void applyBackward(Slots& slots, const SlotChange& change) {
  replaceRun(slots, change.at, change.inserted, change.removed);
}

EditorState withoutSlots(EditorState state) {
  state.programSlots = Slots();
  return state;
}

}  // namespace

UndoHistory::StoredStep UndoHistory::stored(EditStep step) const {
  StoredStep s;
  s.kind = step.kind;
  s.text = std::move(step.text);
  s.target = step.target;
  s.gesture = step.gesture;
  if (step.before.programSlots != slots_) s.bridge = changeBetween(slots_, step.before.programSlots);
  s.change = changeBetween(step.before.programSlots, step.after.programSlots);
  s.before = withoutSlots(std::move(step.before));
  s.after = withoutSlots(std::move(step.after));
  return s;
}

// The last done step as the model made it; its slots after it are slots_.
EditStep UndoHistory::expanded(const StoredStep& s) const {
  EditStep step{s.kind, s.text, s.target, s.gesture, s.before, s.after};
  step.after.programSlots = slots_;
  step.before.programSlots = slots_;
  applyBackward(step.before.programSlots, s.change);
  return step;
}

void UndoHistory::record(EditStep step) {
  steps_.erase(steps_.begin() + index_, steps_.end());
  if (clean_ > index_) clean_ = -1;  // the saved state was undone and is now dropped

  // Merging across the saved place would make it unreachable.
  if (index_ > 0 && index_ != clean_) {
    StoredStep& last = steps_.back();
    EditStep merged = expanded(last);
    if (merged.absorb(step)) {
      std::optional<SlotChange> bridge = std::move(last.bridge);
      slots_ = merged.after.programSlots;
      // Re-encoded against the slots before the step, which merging keeps.
      last.change = changeBetween(merged.before.programSlots, slots_);
      last.text = std::move(merged.text);
      last.after = withoutSlots(std::move(merged.after));
      last.bridge = std::move(bridge);
      return;
    }
  }

  Slots after = step.after.programSlots;
  steps_.push_back(stored(std::move(step)));
  slots_ = std::move(after);
  ++index_;
}

void UndoHistory::clear() {
  steps_.clear();
  index_ = 0;
  clean_ = 0;
  slots_.clear();
}

void UndoHistory::markClean() { clean_ = index_; }

std::string UndoHistory::undoText() const {
  return canUndo() ? steps_[static_cast<std::size_t>(index_ - 1)].text : std::string();
}

std::string UndoHistory::redoText() const {
  return canRedo() ? steps_[static_cast<std::size_t>(index_)].text : std::string();
}

std::optional<RestoredState> UndoHistory::undo() {
  if (!canUndo()) return std::nullopt;
  const StoredStep& s = steps_[static_cast<std::size_t>(--index_)];
  applyBackward(slots_, s.change);
  RestoredState restored{s.before, s.kind};
  restored.state.programSlots = slots_;
  if (s.bridge) applyBackward(slots_, *s.bridge);
  return restored;
}

std::optional<RestoredState> UndoHistory::redo() {
  if (!canRedo()) return std::nullopt;
  const StoredStep& s = steps_[static_cast<std::size_t>(index_++)];
  if (s.bridge) applyForward(slots_, *s.bridge);
  applyForward(slots_, s.change);
  RestoredState restored{s.after, s.kind};
  restored.state.programSlots = slots_;
  return restored;
}

}  // namespace mottler
