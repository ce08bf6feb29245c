#include "document/editor_model.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace mottler {

namespace {

constexpr int kMaxSeed = 32767;

// Where a scroll bar puts a value: inside its range; a range whose maximum
// lies below its minimum holds only the minimum.
int clampToBar(int value, int minimum, int maximum) {
  return std::max(minimum, std::min(value, std::max(minimum, maximum)));
}

std::optional<int> recordOf(const ProgramEntry& entry) {
  return catalogueIndexOfCode(entry.code & 0xFFu);
}

// The edits that continue while the user drags, holds a key or types (or
// walks through the command tree, each command replacing the last).
bool continuous(EditStep::Kind kind) {
  switch (kind) {
    case EditStep::Kind::Choose:
    case EditStep::Kind::Parameter:
    case EditStep::Kind::Method:
    case EditStep::Kind::OffsetX:
    case EditStep::Kind::OffsetY:
    case EditStep::Kind::Seed:
    case EditStep::Kind::Remark:
      return true;
    default:
      return false;
  }
}

std::string joined(std::string_view verb, std::string_view what) {
  std::string text(verb);
  text += ' ';
  text += what;
  return text;
}

}  // namespace

bool EditStep::absorb(const EditStep& later) {
  if (!continuous(kind) || later.kind != kind || later.target != target ||
      later.gesture != gesture || !(later.before == after))
    return false;
  after = later.after;
  text = later.text;  // a walk through the tree is named by where it ended
  return true;
}

EditorModel::EditorModel() { resetPanel(); }

// --- reading -------------------------------------------------------------------

ProgramEntry EditorModel::slot(int index) const {
  if (index < 0 || index >= listCount()) return ProgramEntry{};
  return state_.programSlots[static_cast<std::size_t>(index)];
}

const ProgramEntry* EditorModel::editedEntry() const {
  if (state_.mode == EditorMode::Idle || state_.currentIndex >= listCount()) return nullptr;
  return &state_.programSlots[static_cast<std::size_t>(state_.currentIndex)];
}

ProgramEntry* EditorModel::edited() { return const_cast<ProgramEntry*>(editedEntry()); }

std::string_view EditorModel::commandName(int slotIndex) const {
  const std::optional<int> record = recordOf(slot(slotIndex));
  return record ? kCommandTable[static_cast<std::size_t>(*record)].name : std::string_view();
}

ListRow EditorModel::listRow(int index) const {
  const ProgramEntry entry = slot(index);
  const std::optional<int> record = recordOf(entry);
  ListRow row;
  row.switchedOff = entry.disabled != 0;
  if (record) {
    const CommandDecl& decl = kCommandTable[static_cast<std::size_t>(*record)];
    row.name = decl.name;
    row.image = decl.category;
  }
  if (row.switchedOff) row.image = kSwitchedOffImage;
  return row;
}

std::optional<int> EditorModel::highlightedRow() const {
  if (state_.mode == EditorMode::Selected) return state_.currentIndex;
  return std::nullopt;
}

std::optional<int> EditorModel::parameterValue(int k) const {
  const ProgramEntry* entry = editedEntry();
  if (entry == nullptr || !parameterRow(k).enabled) return std::nullopt;
  return entry->param[static_cast<std::size_t>(k)];
}

std::optional<int> EditorModel::offsetXValue() const {
  const ProgramEntry* entry = editedEntry();
  if (entry == nullptr || !offsetX_.enabled) return std::nullopt;
  return entry->offsetX;
}

std::optional<int> EditorModel::offsetYValue() const {
  const ProgramEntry* entry = editedEntry();
  if (entry == nullptr || !offsetY_.enabled) return std::nullopt;
  return entry->offsetY;
}

namespace {
std::uint8_t layerFlagsOf(const ProgramEntry* entry) {
  if (entry == nullptr) return 0;
  const std::optional<int> record = recordOf(*entry);
  return record ? kCommandTable[static_cast<std::size_t>(*record)].layerFlags : 0;
}
}  // namespace

bool EditorModel::methodEnabled() const { return layerFlagsOf(editedEntry()) != 0; }

int EditorModel::methodShown() const {
  return methodEnabled() ? editedEntry()->method : static_cast<int>(Add);
}

bool EditorModel::fixedColorsEnabled() const {
  return (layerFlagsOf(editedEntry()) & LayerFixedColors) != 0;
}

bool EditorModel::fixedColorsChecked() const {
  return fixedColorsEnabled() && editedEntry()->fixedColors != 0;
}

bool EditorModel::canAdd() const {
  // The table keeps one slot for the pending entry: a full program can show
  // a chosen command but not add it.
  return hasPendingEntry() && state_.programLength < kMaxProgramLength;
}

ProgramDocument EditorModel::committedDocument() const {
  ProgramDocument doc;
  doc.width = state_.width;
  doc.height = state_.height;
  doc.seed = state_.seed;
  doc.remark = state_.remark;
  doc.entries.reserve(static_cast<std::size_t>(state_.programLength));
  for (int i = 0; i < listCount(); ++i) {
    if (hasPendingEntry() && i == state_.currentIndex) continue;
    doc.entries.push_back(state_.programSlots[static_cast<std::size_t>(i)]);
  }
  return doc;
}

std::vector<ProgramEntry> EditorModel::runSlots() const {
  std::vector<ProgramEntry> slots = state_.programSlots;
  slots.resize(static_cast<std::size_t>(state_.programLength) + 1);
  return slots;
}

// --- the panel -------------------------------------------------------------------

void EditorModel::resetPanel() {
  for (ParameterRow& row : rows_) {
    row.enabled = false;
    row.label = kUnusedLabel;
  }
  for (OffsetBar* bar : {&offsetX_, &offsetY_}) bar->enabled = false;
  offsetX_.maximum = state_.width - 1;
  offsetY_.maximum = state_.height - 1;
  offsetX_.position = clampToBar(offsetX_.position, 0, offsetX_.maximum);
  offsetY_.position = clampToBar(offsetY_.position, 0, offsetY_.maximum);
}

// The panel for the edited entry: its command's rows and offsets at the
// document's size, or everything off when it edits none (or an entry of no
// known command, which can be removed or switched, not edited).
void EditorModel::showEditedEntry() {
  resetPanel();
  const ProgramEntry* entry = editedEntry();
  if (entry == nullptr) return;
  const std::optional<int> record =
      hasPendingEntry() ? std::optional<int>(state_.pendingCommand) : recordOf(*entry);
  if (!record) return;
  showEntryOptions(commandInfoForSize(*record, state_.width, state_.height), entry);
  showParameters(*record, entry);
}

void EditorModel::restore(const EditorState& state) {
  state_ = state;
  showEditedEntry();
}

// The seven rows for a command: from its defaults (entry == nullptr) or from
// an entry.  A row the command does not use goes off and keeps its range
// and position.
void EditorModel::showParameters(int index, const ProgramEntry* entry) {
  const CommandInfo info = commandInfoForSize(index, state_.width, state_.height);
  for (std::size_t k = 0; k < kParamCount; ++k) {
    ParameterRow& row = rows_[k];
    if (!info.used(static_cast<int>(k))) {
      row.enabled = false;
      row.label = kUnusedLabel;
      continue;
    }
    row.enabled = true;
    row.label = info.paramLabel[k];
    row.minimum = info.minValue[k];
    row.maximum = std::max(info.minValue[k], info.maxValue[k]);
    const int value = entry != nullptr ? entry->param[k] : info.defaultValue[k];
    row.position = clampToBar(value, row.minimum, row.maximum);
  }
}

// The offsets by the command's layer flags: on and at the entry's offsets
// (0 for a fresh choice) when the command blends a layer, else off.
void EditorModel::showEntryOptions(const CommandInfo& info, const ProgramEntry* entry) {
  const bool blended = info.layerFlags != 0;
  offsetX_.enabled = blended;
  offsetY_.enabled = blended;
  if (!blended) return;
  offsetX_.position =
      clampToBar(entry != nullptr ? entry->offsetX : 0, 0, offsetX_.maximum);
  offsetY_.position =
      clampToBar(entry != nullptr ? entry->offsetY : 0, 0, offsetY_.maximum);
}

// --- verbs ---------------------------------------------------------------------------

ModelChange changesBetween(const EditorState& before, const EditorState& after) {
  ModelChange c;
  const std::vector<ProgramEntry>& a = before.programSlots;
  const std::vector<ProgramEntry>& b = after.programSlots;
  // The list shows each slot's command and whether it is switched off.
  c.list = a.size() != b.size() || before.mode != after.mode || before.currentIndex != after.currentIndex ||
           before.programLength != after.programLength;
  int valuesChanged = 0;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i].code != b[i].code || a[i].disabled != b[i].disabled) c.list = true;
    if (std::memcmp(&a[i], &b[i], sizeof(ProgramEntry)) != 0) {
      ++valuesChanged;
      c.entry = static_cast<int>(i);
    }
  }
  if (valuesChanged != 1 || c.list) c.entry = -1;
  // The panel follows the edited entry, so it changes with the list or the
  // values of an entry.
  c.panel = c.list || valuesChanged > 0 || before.pendingCommand != after.pendingCommand;
  // Whether Save works turns with a pending entry coming or going and with
  // the program becoming empty or not.
  const auto pending = [](const EditorState& s) { return s.mode == EditorMode::Pending; };
  const bool saveMayTurn = pending(before) != pending(after) ||
                           (before.programLength == 0) != (after.programLength == 0);
  c.document = before.seed != after.seed || before.remark != after.remark || before.width != after.width ||
               before.height != after.height || saveMayTurn;
  return c;
}

EditResult EditorModel::finish(EditStep::Kind kind, std::string text, int target,
                               EditorState before, bool regenerate) {
  EditResult result;
  result.regenerate = regenerate;
  result.change = changesBetween(before, state_);
  result.step = EditStep{kind, std::move(text), target, gesture_, std::move(before), state_};
  // Whatever changes the document leaves it modified, so that closing asks
  // before the change is lost.
  modified_ = true;
  if (!continuous(kind)) startGesture();
  return result;
}

EditResult EditorModel::chooseCommand(int index) {
  if (index < 0 || index >= kCommandCount) return {};
  EditorState before = state_;
  if (state_.mode != EditorMode::Pending) {
    // A fresh pending entry, in the slot after the committed entries.
    state_.currentIndex = state_.programLength;
    state_.programSlots.insert(state_.programSlots.begin() + state_.currentIndex, ProgramEntry{});
  }
  state_.mode = EditorMode::Pending;
  state_.pendingCommand = index;

  const CommandInfo info = commandInfoForSize(index, state_.width, state_.height);
  showEntryOptions(info, nullptr);
  showParameters(index, nullptr);
  ProgramEntry& entry = state_.programSlots[static_cast<std::size_t>(state_.currentIndex)];
  entry = ProgramEntry{};
  entry.code = info.code;
  entry.method = Add;
  // Every slot takes its scroll bar's position: the defaults for the rows
  // the command uses, whatever a row that is off last showed for the rest.
  for (std::size_t k = 0; k < kParamCount; ++k) entry.param[k] = rows_[k].position;

  return finish(EditStep::Kind::Choose, joined("Choose", info.name), state_.currentIndex,
                std::move(before), true);
}

void EditorModel::chooseCategory() {
  if (state_.mode == EditorMode::Selected) state_.mode = EditorMode::Holding;
  startGesture();
}

bool EditorModel::selectEntry(int row) {
  if (!listEnabled() || row < 0 || row >= state_.programLength) return false;
  state_.mode = EditorMode::Selected;
  state_.currentIndex = row;
  // Selecting counts as a change even when nothing is then edited.
  modified_ = true;
  startGesture();

  showEditedEntry();
  return true;
}

EditResult EditorModel::add() {
  if (!canAdd()) return {};
  EditorState before = state_;
  const std::string_view name = commandName(state_.currentIndex);
  state_.programLength += 1;
  state_.currentIndex = state_.programLength;
  state_.mode = EditorMode::Idle;
  resetPanel();
  // The added entry already took part in the last run: nothing runs.
  return finish(EditStep::Kind::Add, joined("Add", name), before.currentIndex, std::move(before),
                false);
}

EditResult EditorModel::cancel() {
  if (!hasPendingEntry()) return {};
  EditorState before = state_;
  const std::string_view name = commandName(state_.currentIndex);
  state_.programSlots.erase(state_.programSlots.begin() + state_.currentIndex);
  state_.currentIndex = state_.programLength;
  state_.mode = EditorMode::Idle;
  if (state_.programLength == 0) emptyProgramSavable_ = true;  // even an empty program can be saved
  resetPanel();
  return finish(EditStep::Kind::Cancel, joined("Cancel", name), before.currentIndex,
                std::move(before), true);
}

EditResult EditorModel::remove() {
  if (!canRemove()) return {};
  EditorState before = state_;
  const int index = state_.currentIndex;
  const std::string_view name = commandName(index);
  if (state_.programLength <= 1) emptyProgramSavable_ = false;  // the program becomes empty
  state_.programSlots.erase(state_.programSlots.begin() + index);
  state_.programLength -= 1;
  state_.currentIndex = state_.programLength;
  state_.mode = EditorMode::Idle;
  resetPanel();
  return finish(EditStep::Kind::Remove, joined("Remove", name), index, std::move(before), true);
}

EditResult EditorModel::toggleState() {
  if (!canToggleState()) return {};
  EditorState before = state_;
  ProgramEntry& entry = *edited();
  entry.disabled = entry.disabled == 0 ? 1 : 0;
  // The panel keeps editing the entry; "State" waits for a new selection.
  state_.mode = EditorMode::Holding;
  const char* verb = entry.disabled != 0 ? "Switch Off" : "Switch On";
  return finish(EditStep::Kind::State, joined(verb, commandName(state_.currentIndex)),
                state_.currentIndex, std::move(before), true);
}

EditResult EditorModel::moveUp() {
  if (!canMove() || state_.currentIndex == 0) return {};
  EditorState before = state_;
  const int from = state_.currentIndex;
  std::swap(state_.programSlots[static_cast<std::size_t>(from - 1)],
            state_.programSlots[static_cast<std::size_t>(from)]);
  state_.currentIndex = from - 1;
  std::string text = joined("Move", commandName(state_.currentIndex)) + " Up";
  return finish(EditStep::Kind::Up, std::move(text), from, std::move(before), true);
}

EditResult EditorModel::moveDown() {
  if (!canMove() || state_.currentIndex >= listCount() - 1) return {};
  EditorState before = state_;
  const int from = state_.currentIndex;
  std::swap(state_.programSlots[static_cast<std::size_t>(from)],
            state_.programSlots[static_cast<std::size_t>(from + 1)]);
  state_.currentIndex = from + 1;
  std::string text = joined("Move", commandName(state_.currentIndex)) + " Down";
  return finish(EditStep::Kind::Down, std::move(text), from, std::move(before), true);
}

EditResult EditorModel::setParameter(int k, int position) {
  if (k < 0 || k >= kParamCount) return {};
  ParameterRow& row = rows_[static_cast<std::size_t>(k)];
  ProgramEntry* entry = edited();
  if (entry == nullptr || !row.enabled) return {};
  position = clampToBar(position, row.minimum, row.maximum);
  if (position == row.position) return {};  // nothing moved: no run, no change
  EditorState before = state_;
  row.position = position;
  entry->param[static_cast<std::size_t>(k)] = position;
  return finish(EditStep::Kind::Parameter, joined("Change", row.label),
                state_.currentIndex * kParamCount + k, std::move(before), true);
}

EditResult EditorModel::setMethod(int method) {
  ProgramEntry* entry = edited();
  if (entry == nullptr || !methodEnabled() || method < 0 || method >= kBlendMethodCount) return {};
  EditResult unchanged;
  unchanged.regenerate = true;  // choosing the same method runs the program again
  if (entry->method == method) return unchanged;
  EditorState before = state_;
  entry->method = method;
  return finish(EditStep::Kind::Method, "Change Method", state_.currentIndex, std::move(before),
                true);
}

EditResult EditorModel::setFixedColors(bool on) {
  ProgramEntry* entry = edited();
  if (entry == nullptr || !fixedColorsEnabled()) return {};
  const std::uint8_t value = on ? 1 : 0;
  EditResult unchanged;
  unchanged.regenerate = true;
  if (entry->fixedColors == value) return unchanged;
  EditorState before = state_;
  entry->fixedColors = value;
  return finish(EditStep::Kind::FixedColors, "Change Fixed Colors", state_.currentIndex,
                std::move(before), true);
}

EditResult EditorModel::setOffsetX(int position) {
  ProgramEntry* entry = edited();
  if (entry == nullptr || !offsetX_.enabled) return {};
  position = clampToBar(position, 0, offsetX_.maximum);
  if (position == offsetX_.position) return {};
  EditorState before = state_;
  offsetX_.position = position;
  entry->offsetX = position;
  return finish(EditStep::Kind::OffsetX, "Change X Offset", state_.currentIndex, std::move(before),
                true);
}

EditResult EditorModel::setOffsetY(int position) {
  ProgramEntry* entry = edited();
  if (entry == nullptr || !offsetY_.enabled) return {};
  position = clampToBar(position, 0, offsetY_.maximum);
  if (position == offsetY_.position) return {};
  EditorState before = state_;
  offsetY_.position = position;
  entry->offsetY = position;
  return finish(EditStep::Kind::OffsetY, "Change Y Offset", state_.currentIndex, std::move(before),
                true);
}

EditResult EditorModel::setSeed(int seed) {
  seed = clampToBar(seed, 0, kMaxSeed);
  if (seed == state_.seed) return {};
  EditorState before = state_;
  state_.seed = seed;
  return finish(EditStep::Kind::Seed, "Change Random Seed", 0, std::move(before), true);
}

EditResult EditorModel::setRemark(std::string remark) {
  // A file ends the remark at its first zero byte and holds 127 characters.
  remark.resize(std::min({remark.size(), remark.find('\0'), std::size_t{kMaxRemarkLength}}));
  if (remark == state_.remark) return {};
  EditorState before = state_;
  state_.remark = std::move(remark);
  // The remark is no part of a run.
  return finish(EditStep::Kind::Remark, "Change Author's Remark", 0, std::move(before), false);
}

// --- whole documents -------------------------------------------------------------

void EditorModel::resetTo(const ProgramDocument& doc) {
  const std::size_t count =
      std::min(doc.entries.size(), static_cast<std::size_t>(kMaxProgramLength));
  state_.programSlots.assign(doc.entries.begin(),
                             doc.entries.begin() + static_cast<std::ptrdiff_t>(count));
  state_.programLength = static_cast<int>(count);
  state_.currentIndex = state_.programLength;
  state_.mode = EditorMode::Idle;
  state_.seed = clampToBar(doc.seed, 0, kMaxSeed);
  state_.remark = doc.remark.substr(0, std::min(doc.remark.size(), std::size_t{kMaxRemarkLength}));
  state_.width = doc.width;
  state_.height = doc.height;
  resetPanel();
  modified_ = false;
  startGesture();
}

void EditorModel::newDocument(int width, int height, const std::string& name,
                              const std::string& path) {
  ProgramDocument empty;
  empty.width = width;
  empty.height = height;
  resetTo(empty);
  emptyProgramSavable_ = false;
  documentName_ = name;
  documentPath_ = path;
  hasPath_ = false;
}

void EditorModel::openDocument(const ProgramDocument& doc, const std::string& path) {
  resetTo(doc);
  emptyProgramSavable_ = true;
  documentPath_ = path;
  hasPath_ = true;
}

void EditorModel::documentSaved(const std::string& path) {
  documentPath_ = path;
  hasPath_ = true;
  modified_ = false;
  startGesture();
}

}  // namespace mottler
