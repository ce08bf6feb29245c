// The undo history: long random edit sessions checked against a plain history
// that keeps every step whole, the merging of one gesture's steps, the saved
// place, and the memory that 10,000 steps of a long program take.
#include "document/undo_history.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace mottler;

namespace {

int indexOf(const char* name) { return *CommandCatalogue().indexOfName(name); }

// Bytes the allocator has handed out, large blocks (mapped apart) included.
std::size_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// A history that keeps each step with both of its whole states, merging and
// dropping as an undo stack does: the yardstick for the compact one.
class WholeStepHistory {
 public:
  void record(EditStep step) {
    steps_.resize(static_cast<std::size_t>(index_));
    if (clean_ > index_) clean_ = -1;
    if (index_ > 0 && index_ != clean_ && steps_.back().absorb(step)) return;
    steps_.push_back(std::move(step));
    ++index_;
  }
  std::optional<EditorState> undo() {
    if (index_ == 0) return std::nullopt;
    return steps_[static_cast<std::size_t>(--index_)].before;
  }
  std::optional<EditorState> redo() {
    if (index_ == static_cast<int>(steps_.size())) return std::nullopt;
    return steps_[static_cast<std::size_t>(index_++)].after;
  }
  void markClean() { clean_ = index_; }
  bool isClean() const { return index_ == clean_; }
  int count() const { return static_cast<int>(steps_.size()); }
  int index() const { return index_; }
  std::string undoText() const { return index_ > 0 ? steps_[index_ - 1].text : ""; }

 private:
  std::vector<EditStep> steps_;
  int index_ = 0;
  int clean_ = 0;
};

// One random action of a user: a verb, a selection, a new gesture, an undo,
// a redo or a save.  Both histories see the same steps.
void randomAction(std::mt19937& rng, EditorModel& m, UndoHistory& h, WholeStepHistory& ref) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto keep = [&](EditResult r) {
    if (!r.step) return;
    ref.record(*r.step);
    h.record(std::move(*r.step));
  };
  switch (pick(16)) {
    case 0:
      keep(m.chooseCommand(pick(kCommandCount)));
      break;
    case 1:
      keep(m.add());
      break;
    case 2:
      keep(m.cancel());
      break;
    case 3:
      keep(m.remove());
      break;
    case 4:
      keep(m.toggleState());
      break;
    case 5:
      keep(m.moveUp());
      break;
    case 6:
      keep(m.moveDown());
      break;
    case 7:
    case 8:
      keep(m.setParameter(pick(kParamCount), pick(200) - 100));
      break;
    case 9:
      keep(m.setSeed(pick(32768)));
      break;
    case 10:
      keep(m.setMethod(pick(kBlendMethodCount)));
      break;
    case 11:
      keep(m.setOffsetX(pick(256)));
      break;
    case 12:
      m.selectEntry(pick(std::max(1, m.programLength())));
      break;
    case 13:
      m.startGesture();
      break;
    case 14:
      m.chooseCategory();
      break;
    default:
      h.markClean();
      ref.markClean();
      break;
  }
}

}  // namespace

// --- against the whole-step history ------------------------------------------

class UndoHistorySession : public testing::TestWithParam<unsigned> {};

// A long session of random verbs, selections, gestures, saves, undos and
// redos: after every action the compact history holds the same steps as the
// whole one, and each undo or redo gives back the very same state.
TEST_P(UndoHistorySession, GivesBackTheStatesAWholeStepHistoryGives) {
  std::mt19937 rng(GetParam());
  EditorModel m;
  UndoHistory h;
  WholeStepHistory ref;
  for (int action = 0; action < 3000; ++action) {
    const unsigned roll = rng() % 20;
    if (roll < 3) {
      const bool back = roll < 2;
      std::optional<RestoredState> got = back ? h.undo() : h.redo();
      std::optional<EditorState> want = back ? ref.undo() : ref.redo();
      ASSERT_EQ(got.has_value(), want.has_value()) << "action " << action;
      if (got) {
        ASSERT_EQ(got->state, *want) << "action " << action;
        m.restore(got->state);
        m.startGesture();
      }
    } else {
      randomAction(rng, m, h, ref);
    }
    ASSERT_EQ(h.count(), ref.count()) << "action " << action;
    ASSERT_EQ(h.index(), ref.index()) << "action " << action;
    ASSERT_EQ(h.isClean(), ref.isClean()) << "action " << action;
    ASSERT_EQ(h.undoText(), ref.undoText()) << "action " << action;
  }
  EXPECT_GT(ref.count(), 50);  // the session did build a history
  // All the way back and forward again.
  while (std::optional<EditorState> want = ref.undo()) ASSERT_EQ(h.undo()->state, *want);
  EXPECT_FALSE(h.undo());
  while (std::optional<EditorState> want = ref.redo()) ASSERT_EQ(h.redo()->state, *want);
  EXPECT_FALSE(h.redo());
}

INSTANTIATE_TEST_SUITE_P(Seeds, UndoHistorySession, testing::Values(1u, 2u, 3u, 20261207u));

// --- merging, the saved place, texts ---------------------------------------------

TEST(UndoHistory, OneDragIsOneStepAndTheNextDragAnother) {
  EditorModel m;
  UndoHistory h;
  h.record(*m.chooseCommand(indexOf("Twirl")).step);
  h.record(*m.add().step);
  ASSERT_TRUE(m.selectEntry(0));
  m.startGesture();
  for (int angle = 80; angle >= -45; angle -= 5) h.record(*m.setParameter(0, angle).step);
  EXPECT_EQ(h.count(), 3);
  EXPECT_EQ(h.undoText(), "Change Angle");
  m.startGesture();
  h.record(*m.setParameter(0, 10).step);
  EXPECT_EQ(h.count(), 4);

  m.restore(h.undo()->state);
  EXPECT_EQ(m.editedEntry()->param[0], -45);
  m.restore(h.undo()->state);
  EXPECT_EQ(m.editedEntry()->param[0], 90);
  EXPECT_EQ(h.redoText(), "Change Angle");
}

TEST(UndoHistory, StepsAfterTheSavedPlaceDoNotMergeIntoTheStepBeforeIt) {
  EditorModel m;
  UndoHistory h;
  h.record(*m.setSeed(5).step);
  h.markClean();
  EXPECT_TRUE(h.isClean());
  h.record(*m.setSeed(6).step);  // same gesture, but the saved place lies between
  EXPECT_EQ(h.count(), 2);
  EXPECT_FALSE(h.isClean());
  h.record(*m.setSeed(7).step);  // merges with the step after the saved place
  EXPECT_EQ(h.count(), 2);

  EXPECT_EQ(h.undo()->state.seed, 5);
  EXPECT_TRUE(h.isClean());
  EXPECT_EQ(h.undo()->state.seed, 0);
  EXPECT_FALSE(h.isClean());
  EXPECT_EQ(h.redo()->state.seed, 5);
  EXPECT_TRUE(h.isClean());
}

TEST(UndoHistory, ASavedStateDroppedWithUndoneStepsIsNeverCleanAgain) {
  EditorModel m;
  UndoHistory h;
  h.record(*m.setSeed(5).step);
  m.startGesture();
  h.record(*m.setSeed(9).step);
  h.markClean();
  m.restore(h.undo()->state);
  m.startGesture();
  h.record(*m.setSeed(11).step);  // drops the saved step
  EXPECT_EQ(h.count(), 2);
  EXPECT_FALSE(h.redo());
  EXPECT_FALSE(h.isClean());
  h.undo();
  h.undo();
  EXPECT_FALSE(h.isClean());
}

TEST(UndoHistory, ClearStartsAfreshAtTheSavedPlace) {
  EditorModel m;
  UndoHistory h;
  h.record(*m.chooseCommand(indexOf("Plasma")).step);
  h.clear();
  EXPECT_FALSE(h.canUndo());
  EXPECT_FALSE(h.canRedo());
  EXPECT_TRUE(h.isClean());
  EXPECT_EQ(h.undoText(), "");

  // A history that starts with a program already there gives it back whole.
  ProgramDocument doc;
  doc.entries.resize(3);
  for (int i = 0; i < 3; ++i) doc.entries[i].code = static_cast<CommandCode>(i + 1);
  m.openDocument(doc, "three.mlr");
  const EditorState opened = m.state();
  h.record(*m.chooseCommand(indexOf("Blur")).step);
  EXPECT_EQ(h.undo()->state, opened);
}

// --- the panel after an undo or redo ---------------------------------------------

namespace {

// What the panel shows of the edited entry: the rows and offset bars in use
// with their labels, ranges, positions and value texts, and whether Save
// works.  Rows that are off show only that they are off.
struct ShownPanel {
  std::array<ParameterRow, kParamCount> rows{};
  std::array<std::optional<int>, kParamCount> values{};
  OffsetBar x, y;
  std::optional<int> xValue, yValue;
  bool method = false;
  bool save = false;
  bool operator==(const ShownPanel&) const = default;
};

ShownPanel panelOf(const EditorModel& m) {
  ShownPanel p;
  for (int k = 0; k < kParamCount; ++k) {
    const ParameterRow& row = m.parameterRow(k);
    p.rows[static_cast<std::size_t>(k)] = row.enabled ? row : ParameterRow{false, row.label, 0, 0, 0};
    p.values[static_cast<std::size_t>(k)] = m.parameterValue(k);
  }
  p.x = m.offsetXBar().enabled ? m.offsetXBar() : OffsetBar{false, m.offsetXBar().maximum, 0};
  p.y = m.offsetYBar().enabled ? m.offsetYBar() : OffsetBar{false, m.offsetYBar().maximum, 0};
  p.xValue = m.offsetXValue();
  p.yValue = m.offsetYValue();
  p.method = m.methodEnabled();
  p.save = m.saveEnabled();
  return p;
}

}  // namespace

// A session of edits, each preceded by the selection it needs: undoing every
// step shows the panel the user saw before it, redoing shows the panel after.
TEST(UndoHistory, UndoAndRedoShowThePanelTheUserSawThere) {
  struct Edit {
    int select;  // the entry selected first, or -1
    std::function<EditResult(EditorModel&)> verb;
  };
  const std::vector<Edit> session = {
      {-1, [](EditorModel& m) { return m.chooseCommand(indexOf("Plasma")); }},
      {-1, [](EditorModel& m) { return m.setParameter(1, 60); }},
      {-1, [](EditorModel& m) { return m.setOffsetX(30); }},
      {-1, [](EditorModel& m) { return m.add(); }},
      {-1, [](EditorModel& m) { return m.chooseCommand(indexOf("Twirl")); }},
      {-1, [](EditorModel& m) { return m.setParameter(0, 45); }},
      {-1, [](EditorModel& m) { return m.moveUp(); }},
      {-1, [](EditorModel& m) { return m.add(); }},
      {1, [](EditorModel& m) { return m.setParameter(1, 20); }},
      {1, [](EditorModel& m) { return m.toggleState(); }},
      {1, [](EditorModel& m) { return m.setOffsetY(12); }},
      {1, [](EditorModel& m) { return m.setMethod(3); }},
      {-1, [](EditorModel& m) { return m.chooseCommand(indexOf("Blur")); }},
      {-1, [](EditorModel& m) { return m.cancel(); }},
      {0, [](EditorModel& m) { return m.remove(); }},
  };
  EditorModel m;
  UndoHistory h;
  std::vector<ShownPanel> before, after;
  for (const Edit& edit : session) {
    if (edit.select >= 0) {
      ASSERT_TRUE(m.selectEntry(edit.select));
    }
    before.push_back(panelOf(m));
    EditResult r = edit.verb(m);
    ASSERT_TRUE(r.step) << before.size();
    h.record(std::move(*r.step));
    after.push_back(panelOf(m));
    m.startGesture();
  }
  ASSERT_EQ(h.count(), static_cast<int>(session.size()));

  for (std::size_t i = session.size(); i-- > 0;) {
    m.restore(h.undo()->state);
    EXPECT_EQ(panelOf(m), before[i]) << "undo of step " << i;
  }
  for (std::size_t i = 0; i < session.size(); ++i) {
    m.restore(h.redo()->state);
    EXPECT_EQ(panelOf(m), after[i]) << "redo of step " << i;
  }
}

// --- memory ---------------------------------------------------------------------------

// 10,000 slider steps on a program of 1,000 entries: each step keeps only the
// slot it changed, not two copies of the whole program.
TEST(UndoHistory, TenThousandStepsOfALongProgramStayUnderFiftyMegabytes) {
  EditorModel m;
  ProgramDocument doc;
  doc.entries.resize(1000);
  for (ProgramEntry& e : doc.entries) e.code = kPlasma;
  m.openDocument(doc, "long.mlr");
  ASSERT_TRUE(m.selectEntry(500));

  const std::size_t start = heapInUse();
  UndoHistory h;
  for (int i = 0; i < 10000; ++i) {
    m.startGesture();
    EditResult r = m.setParameter(0, i % 2 == 0 ? 1 : 2);
    ASSERT_TRUE(r.step);
    h.record(std::move(*r.step));
  }
  const std::size_t used = heapInUse() - start;
  EXPECT_EQ(h.count(), 10000);
  EXPECT_LT(used, 50u << 20) << used << " bytes";

  // And the oldest state is still there.
  for (int i = 0; i < 10000; ++i) ASSERT_TRUE(h.undo());
  EXPECT_EQ(h.redo()->state.programSlots.size(), 1000u);
}
