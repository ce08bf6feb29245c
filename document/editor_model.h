// The program editor without its window: what the user edits (the committed
// entries, the pending entry and where it sits, which entry the parameter
// panel edits, the seed, the remark and the texture size), the document it
// belongs to (path, name, whether it has a file, whether it has unsaved
// changes) and the editor's verbs.  The window shows this state and forwards
// the user's actions to the verbs; a run takes the slots the model lays out.
//
// Every verb that changes the program, the seed or the remark returns an
// EditStep holding the editor state before and after it, so that an undo
// history can put either back exactly.  What the panel shows (which rows are
// on, their labels, ranges and positions, the offset bars) and whether Save
// works are no part of that state: they follow from the edited entry, its
// command at the document's size and the document, and are worked out again
// whenever the state changes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/program_file.h"
#include "engine/catalogue.h"
#include "engine/engine_state.h"

namespace mottler {

// Which controls of the editor work, and what the parameter panel edits.
enum class EditorMode {
  Idle,      // nothing edited; the six program buttons are off
  Pending,   // a command chosen in the tree waits to be added or cancelled
  Selected,  // an entry selected in the list: "Remove" and "State" work
  Holding,   // the panel still edits that entry, but "Remove" and "State" wait
             // for a new selection (after "State", or a category chosen)
};

// One parameter row of the panel as its scroll bar shows it.  A row that the
// edited command does not use is off and keeps its last range and position.
struct ParameterRow {
  bool enabled = false;
  std::string_view label = kUnusedLabel;
  int minimum = 0;
  int maximum = 99;
  int position = 0;

  bool operator==(const ParameterRow&) const = default;
};

// An X or Y offset scroll bar.
struct OffsetBar {
  bool enabled = false;
  int maximum = 255;
  int position = 0;

  bool operator==(const OffsetBar&) const = default;
};

// Everything an undo step puts back: the document and the selection, never
// what the panel shows of them.
struct EditorState {
  // The slots a run takes: the committed entries in program order and,
  // while one waits, the pending entry in the slot where it sits.
  std::vector<ProgramEntry> programSlots;
  int programLength = 0;  // committed entries
  int currentIndex = 0;   // slot the panel edits (programLength when idle)
  EditorMode mode = EditorMode::Idle;
  int pendingCommand = 0;  // catalogue index of the command last chosen

  int seed = 0;        // "Random Seed", 0..32767
  std::string remark;  // author's remark, Windows-1252 bytes, at most 127
  int width = 256;
  int height = 256;

  bool operator==(const EditorState&) const = default;
};

// What one verb changed, as an undo history keeps it.
struct EditStep {
  // What was edited; consecutive changes of one continuous value merge.
  enum class Kind {
    Choose,
    Add,
    Cancel,
    Remove,
    State,
    Up,
    Down,
    Parameter,
    Method,
    FixedColors,
    OffsetX,
    OffsetY,
    Seed,
    Remark,
  };

  Kind kind = Kind::Add;
  std::string text;           // names the step: "Add Plasma", "Change Radius"
  int target = 0;             // the slot and row edited (for merging)
  std::uint64_t gesture = 0;  // the drag, key run or typing it belongs to
  EditorState before;
  EditorState after;

  // Takes a later step into this one when both belong to the same drag, key
  // run or typing on one control: this step then ends where the later one
  // ends.  Returns false (and changes nothing) otherwise.
  bool absorb(const EditStep& later);
};

// What changed between two editor states, so that a view redraws only
// that: the program list (its items, their order or states, the highlight,
// whether it takes a selection, the buttons that follow the mode), one
// entry (its parameters, method, options or offsets), the parameter panel,
// and the document's own values (seed, remark, size, whether Save works).
struct ModelChange {
  bool list = false;
  int entry = -1;  // the one slot whose values changed, or -1
  bool panel = false;
  bool document = false;

  bool any() const { return list || entry >= 0 || panel || document; }
  // Everything: for a whole new document.
  static ModelChange everything() { return {true, -1, true, true}; }
};

ModelChange changesBetween(const EditorState& before, const EditorState& after);

// What a verb did: whether the program must run again, the step that
// undoes it (none when nothing changed), and what a view must redraw.
struct EditResult {
  bool regenerate = false;
  std::optional<EditStep> step;
  ModelChange change;
};

// One item of the program list.
struct ListRow {
  std::string_view name;  // the command's name ("" for a code of no command)
  int image = 0;          // category 0..4, or kSwitchedOffImage
  bool switchedOff = false;
};

inline constexpr int kSwitchedOffImage = 5;

class EditorModel {
 public:
  EditorModel();

  // --- the state ----------------------------------------------------------
  const EditorState& state() const { return state_; }
  EditorMode mode() const { return state_.mode; }
  int programLength() const { return state_.programLength; }
  int currentIndex() const { return state_.currentIndex; }
  int pendingCommand() const { return state_.pendingCommand; }
  bool hasPendingEntry() const { return state_.mode == EditorMode::Pending; }
  int seed() const { return state_.seed; }
  const std::string& remark() const { return state_.remark; }
  int width() const { return state_.width; }
  int height() const { return state_.height; }

  // The slots a run takes (see EditorState::programSlots); slot
  // programLength is empty when no entry is pending.
  const std::vector<ProgramEntry>& programSlots() const { return state_.programSlots; }
  // The entry in a slot; an empty entry past the used slots.
  ProgramEntry slot(int index) const;

  // The entry the parameter panel edits, or nullptr when it edits none.
  const ProgramEntry* editedEntry() const;

  // --- what the controls show ---------------------------------------------
  int listCount() const { return static_cast<int>(state_.programSlots.size()); }
  ListRow listRow(int index) const;
  // The list item shown highlighted: the selected entry, never one that
  // the panel does not edit.
  std::optional<int> highlightedRow() const;
  bool listEnabled() const { return state_.mode != EditorMode::Pending; }

  const ParameterRow& parameterRow(int k) const { return rows_[static_cast<std::size_t>(k)]; }
  // The value text of row k: the value stored in the edited entry (even one
  // outside the scroll bar's range), nothing for a row that is off.
  std::optional<int> parameterValue(int k) const;

  const OffsetBar& offsetXBar() const { return offsetX_; }
  const OffsetBar& offsetYBar() const { return offsetY_; }
  std::optional<int> offsetXValue() const;
  std::optional<int> offsetYValue() const;

  bool methodEnabled() const;
  int methodShown() const;  // index shown in the Method box
  bool fixedColorsEnabled() const;
  bool fixedColorsChecked() const;

  bool canAdd() const;
  bool canCancel() const { return hasPendingEntry(); }
  bool canMove() const { return hasPendingEntry(); }
  bool canRemove() const { return state_.mode == EditorMode::Selected; }
  bool canToggleState() const { return state_.mode == EditorMode::Selected; }
  // "Save" and "Save As": never while a command waits to be added; for an
  // empty program only once Open or "Cancel" has allowed it.
  bool saveEnabled() const {
    return !hasPendingEntry() && (state_.programLength > 0 || emptyProgramSavable_);
  }

  // --- the document ---------------------------------------------------------
  const std::string& documentPath() const { return documentPath_; }
  const std::string& documentName() const { return documentName_; }
  bool hasPath() const { return hasPath_; }
  bool modified() const { return modified_; }
  void markModified() { modified_ = true; }
  void setModified(bool modified) { modified_ = modified; }

  // The document as a program file carries it: the committed entries in
  // program order (never the pending entry, wherever "Up" and "Down" have
  // put it), the size, the seed and the remark.
  ProgramDocument committedDocument() const;

  // The slots a run takes, in order: the committed entries and the pending
  // one where it sits, or an empty slot after the committed entries.
  std::vector<ProgramEntry> runSlots() const;

  // --- the editor's verbs -------------------------------------------------
  // A command chosen in the tree (catalogue index): a pending entry with the
  // command's defaults, at the end, or in place of the pending command.
  EditResult chooseCommand(int index);
  // A category item chosen in the tree: chooses nothing; a selected entry
  // stays edited but "Remove" and "State" wait for a new selection.
  void chooseCategory();
  // An entry selected in the list (committed entries only); false when the
  // list takes no selection now or the row is no entry.
  bool selectEntry(int row);

  EditResult add();
  EditResult cancel();
  EditResult remove();
  EditResult toggleState();
  EditResult moveUp();
  EditResult moveDown();

  // Edits of the entry the panel edits (nothing happens while it edits none)
  // and of the document's seed and remark.  Positions come from the scroll
  // bars and lie in their ranges.
  EditResult setParameter(int k, int position);
  EditResult setMethod(int method);
  EditResult setFixedColors(bool on);
  EditResult setOffsetX(int position);
  EditResult setOffsetY(int position);
  EditResult setSeed(int seed);
  // The remark as Windows-1252 bytes; cut at 127.
  EditResult setRemark(std::string remark);

  // Starts a new drag, key run or typing: later edits no longer merge with
  // earlier ones.  The verbs that are single actions start one themselves.
  void startGesture() { ++gesture_; }

  // --- whole documents --------------------------------------------------------
  // New: an empty program of the given size, no file yet.
  void newDocument(int width, int height, const std::string& name, const std::string& path);
  // Open: the program of a file that was read.
  void openDocument(const ProgramDocument& doc, const std::string& path);
  // The document was written to path: it has a file and no unsaved changes.
  void documentSaved(const std::string& path);
  // The path Save writes to (Save As takes a chosen one before writing).
  void setDocumentPath(const std::string& path) { documentPath_ = path; }

  // Puts an editor state back (undo and redo); the panel then shows the
  // entry that state edits, and rows that are off keep what they showed.
  void restore(const EditorState& state);

 private:
  // The one reset behind New and Open: the program, size, seed and remark of
  // a document, nothing pending or edited, the panel empty.
  void resetTo(const ProgramDocument& doc);
  void resetPanel();
  void showEditedEntry();
  void showParameters(int index, const ProgramEntry* entry);
  void showEntryOptions(const CommandInfo& info, const ProgramEntry* entry);
  ProgramEntry* edited();
  std::string_view commandName(int slot) const;
  EditResult finish(EditStep::Kind kind, std::string text, int target, EditorState before,
                    bool regenerate);

  EditorState state_;
  // What the panel shows: worked out from the edited entry; a row or offset
  // bar that is off keeps the range and position it showed last.
  std::array<ParameterRow, kParamCount> rows_{};
  OffsetBar offsetX_;
  OffsetBar offsetY_;
  // Save works for an empty program: set by Open and "Cancel", cleared by
  // New and by removing the last entry; no undo step carries it.
  bool emptyProgramSavable_ = false;
  std::string documentPath_;
  std::string documentName_;
  bool hasPath_ = false;
  bool modified_ = false;
  std::uint64_t gesture_ = 1;
};

}  // namespace mottler
