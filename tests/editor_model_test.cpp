// The editor model without a window: its verbs, what the panel and the list
// show, the steps the verbs return (undoing and redoing each of them, and
// merging the steps of one drag or typing), and the document state.
#include "document/editor_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "document/windows1252.h"

using namespace mottler;

namespace {

int indexOf(const char* name) { return *CommandCatalogue().indexOfName(name); }

// Commits the named commands, in order.
void compose(EditorModel& m, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    ASSERT_TRUE(m.chooseCommand(indexOf(name)).step);
    ASSERT_TRUE(m.add().step);
  }
}

std::vector<CommandCode> codes(const EditorModel& m) {
  std::vector<CommandCode> result;
  for (const ProgramEntry& e : m.programSlots()) result.push_back(e.code);
  return result;
}

std::vector<CommandCode> committedCodes(const EditorModel& m) {
  std::vector<CommandCode> result;
  for (const ProgramEntry& e : m.committedDocument().entries) result.push_back(e.code);
  return result;
}

}  // namespace

// --- the editor's verbs -----------------------------------------------------------

TEST(EditorModel, ChoosingMakesAPendingEntryThatAddCommitsWhereItSits) {
  EditorModel m;
  compose(m, {"Plasma", "Blobs"});
  EXPECT_TRUE(m.saveEnabled());

  EditResult chosen = m.chooseCommand(indexOf("Twirl"));
  EXPECT_TRUE(chosen.regenerate);
  EXPECT_EQ(m.mode(), EditorMode::Pending);
  EXPECT_EQ(m.currentIndex(), 2);
  EXPECT_FALSE(m.saveEnabled());
  EXPECT_FALSE(m.listEnabled());
  EXPECT_EQ(m.editedEntry()->param[0], 90);
  EXPECT_EQ(m.editedEntry()->method, Add);

  // Up twice, then once more at the top: nothing.
  EXPECT_TRUE(m.moveUp().step);
  EXPECT_TRUE(m.moveUp().step);
  EXPECT_FALSE(m.moveUp().step);
  EXPECT_EQ(codes(m), (std::vector<CommandCode>{kTwirl, kPlasma, kBlobs}));
  // The file would hold the committed entries only, in their order.
  EXPECT_EQ(committedCodes(m), (std::vector<CommandCode>{kPlasma, kBlobs}));

  // A second choice replaces the pending command where it now sits.
  m.chooseCommand(indexOf("Blur"));
  EXPECT_EQ(codes(m), (std::vector<CommandCode>{kBlur, kPlasma, kBlobs}));

  EditResult added = m.add();
  EXPECT_FALSE(added.regenerate) << "the added entry was already part of the last run";
  EXPECT_EQ(m.programLength(), 3);
  EXPECT_EQ(m.currentIndex(), 3);
  EXPECT_EQ(m.mode(), EditorMode::Idle);
  EXPECT_EQ(committedCodes(m), (std::vector<CommandCode>{kBlur, kPlasma, kBlobs}));

  // A run takes the committed entries and an empty slot after them.
  const std::vector<ProgramEntry> run = m.runSlots();
  ASSERT_EQ(run.size(), 4u);
  EXPECT_EQ(run[0].code, kBlur);
  EXPECT_EQ(run[3].code, 0u);
}

TEST(EditorModel, CancelAndRemoveLeaveTheRestOfTheProgram) {
  EditorModel m;
  compose(m, {"Plasma"});
  m.chooseCommand(indexOf("Worms"));
  m.moveUp();
  EXPECT_TRUE(m.cancel().regenerate);
  EXPECT_EQ(codes(m), std::vector<CommandCode>{kPlasma});
  EXPECT_EQ(m.currentIndex(), 1);
  EXPECT_TRUE(m.saveEnabled());

  EditorModel empty;
  empty.chooseCommand(indexOf("Circles"));
  empty.cancel();
  EXPECT_EQ(empty.listCount(), 0);
  EXPECT_TRUE(empty.saveEnabled()) << "Cancel enables Save even for an empty program";

  compose(m, {"Blobs", "Twirl"});
  ASSERT_TRUE(m.selectEntry(1));
  EXPECT_TRUE(m.canRemove());
  EXPECT_TRUE(m.remove().regenerate);
  EXPECT_EQ(codes(m), (std::vector<CommandCode>{kPlasma, kTwirl}));
  EXPECT_EQ(m.currentIndex(), 2);
  EXPECT_TRUE(m.saveEnabled());
  EXPECT_FALSE(m.remove().step) << "Remove waits for a new selection";

  // Removing the last entry greys Save.
  EditorModel one;
  compose(one, {"Plasma"});
  one.selectEntry(0);
  one.remove();
  EXPECT_EQ(one.listCount(), 0);
  EXPECT_FALSE(one.saveEnabled());
}

TEST(EditorModel, StateSwitchesTheEntryAndTheHighlightFollowsWhatThePanelEdits) {
  EditorModel m;
  compose(m, {"Plasma", "Worms"});
  EXPECT_FALSE(m.highlightedRow());
  ASSERT_TRUE(m.selectEntry(1));
  EXPECT_EQ(m.highlightedRow(), 1);
  EXPECT_TRUE(m.listRow(1).name == "Worms");

  EditResult off = m.toggleState();
  ASSERT_TRUE(off.step);
  EXPECT_EQ(off.step->text, "Switch Off Worms");
  EXPECT_EQ(m.slot(1).disabled, 1);
  EXPECT_EQ(m.listRow(1).image, kSwitchedOffImage);
  EXPECT_TRUE(m.listRow(1).switchedOff);
  // The panel still edits the entry, but no item shows a highlight that a
  // click could not change; State waits for the entry to be selected again.
  EXPECT_EQ(m.mode(), EditorMode::Holding);
  EXPECT_FALSE(m.highlightedRow());
  EXPECT_FALSE(m.canToggleState());
  EXPECT_TRUE(m.setParameter(0, 5).step);
  EXPECT_EQ(m.slot(1).param[0], 5);

  ASSERT_TRUE(m.selectEntry(1));
  EXPECT_EQ(m.toggleState().step->text, "Switch On Worms");
  EXPECT_EQ(m.slot(1).disabled, 0);

  // A category chosen while an entry is selected: the same holding state.
  m.selectEntry(0);
  m.chooseCategory();
  EXPECT_EQ(m.mode(), EditorMode::Holding);
  EXPECT_FALSE(m.highlightedRow());
  EXPECT_FALSE(m.canRemove());

  // Choosing afterwards starts a new entry at the end.
  m.chooseCommand(indexOf("Lines"));
  EXPECT_EQ(codes(m), (std::vector<CommandCode>{kPlasma, kWorms, kLines}));
  EXPECT_FALSE(m.selectEntry(0)) << "the list takes no selection while a command waits";
}

TEST(EditorModel, SelectingShowsTheEntryAndItsOptions) {
  EditorModel m;
  m.chooseCommand(indexOf("Perlin Noise"));
  m.setMethod(Darken);
  m.setFixedColors(true);
  m.setOffsetX(30);
  m.add();
  compose(m, {"Blur"});
  m.setModified(false);

  ASSERT_TRUE(m.selectEntry(0));
  EXPECT_TRUE(m.modified()) << "a selection counts as a change";
  EXPECT_TRUE(m.methodEnabled());
  EXPECT_EQ(m.methodShown(), Darken);
  EXPECT_TRUE(m.fixedColorsChecked());
  EXPECT_EQ(m.offsetXValue(), 30);
  EXPECT_EQ(m.offsetXBar().position, 30);
  EXPECT_EQ(m.parameterRow(1).label, "Width");

  // A command without layer options shows "Add", nothing else.
  m.selectEntry(1);
  EXPECT_FALSE(m.methodEnabled());
  EXPECT_EQ(m.methodShown(), Add);
  EXPECT_FALSE(m.fixedColorsEnabled());
  EXPECT_FALSE(m.offsetXValue());
  EXPECT_FALSE(m.setOffsetX(3).step);
  EXPECT_FALSE(m.setMethod(Xor).step);
}

TEST(EditorModel, ThePanelShowsStoredValuesAndRowsThatAreOffKeepTheirPosition) {
  // On an 8-pixel texture the cells of "Perlin Noise" are at least 4 wide,
  // above the default of a quarter of the width: text and value agree on 4.
  EditorModel small;
  small.newDocument(8, 8, "tiny.mlr", "/tmp/tiny.mlr");
  small.chooseCommand(indexOf("Perlin Noise"));
  EXPECT_EQ(small.parameterRow(1).position, 4);
  EXPECT_EQ(small.parameterValue(1), 4);
  EXPECT_EQ(small.editedEntry()->param[1], 4);
  EXPECT_EQ(small.offsetXBar().maximum, 7);

  // Below the sizes "New" offers (a program file may hold 1..7), a slot the
  // command uses stays a row of it even where its range shrinks to nothing.
  EditorModel tiny;
  for (const int side : {1, 2, 3}) {
    tiny.newDocument(side, side, "tiny.mlr", "/tmp/tiny.mlr");
    tiny.chooseCommand(indexOf("Carpet"));
    EXPECT_TRUE(tiny.parameterRow(0).enabled) << side;
    EXPECT_EQ(tiny.parameterRow(0).label, "X Offset") << side;
    EXPECT_EQ(tiny.parameterRow(0).maximum, 0) << side;
    tiny.chooseCommand(indexOf("Perlin Noise"));
    EXPECT_TRUE(tiny.parameterRow(1).enabled) << side;
    EXPECT_EQ(tiny.parameterRow(1).position, 4) << side;
  }

  // A row the next command does not use keeps its range and position, and
  // the entry takes that position.
  EditorModel m;
  m.chooseCommand(indexOf("Plasma"));
  m.setParameter(1, 77);
  m.chooseCommand(indexOf("Twirl"));
  EXPECT_FALSE(m.parameterRow(1).enabled);
  EXPECT_EQ(m.parameterRow(1).label, "None");
  EXPECT_EQ(m.parameterRow(1).position, 77);
  EXPECT_EQ(m.parameterRow(1).maximum, 255);
  EXPECT_FALSE(m.parameterValue(1));
  EXPECT_EQ(m.editedEntry()->param[1], 77);

  // Unchanged positions and edits with nothing edited do nothing.
  EXPECT_FALSE(m.setParameter(0, 90).step);
  EXPECT_FALSE(m.setParameter(0, 90).regenerate);
  EXPECT_FALSE(m.setParameter(1, 5).step) << "a row that is off";
  m.cancel();
  EXPECT_FALSE(m.setParameter(0, 10).step);
  EXPECT_FALSE(m.setFixedColors(true).step);
}

TEST(EditorModel, SeedAndRemarkBelongToTheDocument) {
  EditorModel m;
  EditResult seed = m.setSeed(40000);
  ASSERT_TRUE(seed.step);
  EXPECT_EQ(m.seed(), 32767);
  EXPECT_TRUE(seed.regenerate);
  EXPECT_TRUE(m.modified());
  EXPECT_FALSE(m.setSeed(32767).step);

  m.setModified(false);
  EditResult remark = m.setRemark(std::string(200, 'r'));
  ASSERT_TRUE(remark.step);
  EXPECT_FALSE(remark.regenerate) << "the remark is no part of a run";
  EXPECT_EQ(m.remark().size(), 127u);
  EXPECT_TRUE(m.modified());
  m.setRemark(std::string("ab\0cd", 5));
  EXPECT_EQ(m.remark(), "ab");
  EXPECT_EQ(m.committedDocument().remark, "ab");
}

// --- steps: undo and redo -------------------------------------------------------

namespace {

struct Verb {
  const char* text;  // the step's name
  std::function<EditResult(EditorModel&)> run;
};

}  // namespace

// For every verb: putting back the state before its step is exactly the
// state before the verb, and the state after it is exactly the state the
// verb left.
TEST(EditorModel, EveryStepPutsBackTheStateBeforeAndAfterIt) {
  const std::vector<Verb> verbs = {
      {"Choose Worms", [](EditorModel& m) { return m.chooseCommand(indexOf("Worms")); }},
      {"Change Amount", [](EditorModel& m) { return m.setParameter(0, 7); }},
      {"Change Method", [](EditorModel& m) { return m.setMethod(Multiply); }},
      {"Change Fixed Colors", [](EditorModel& m) { return m.setFixedColors(true); }},
      {"Change X Offset", [](EditorModel& m) { return m.setOffsetX(9); }},
      {"Change Y Offset", [](EditorModel& m) { return m.setOffsetY(11); }},
      {"Move Worms Up", [](EditorModel& m) { return m.moveUp(); }},
      {"Move Worms Down", [](EditorModel& m) { return m.moveDown(); }},
      {"Add Worms", [](EditorModel& m) { return m.add(); }},
      {"Change Random Seed", [](EditorModel& m) { return m.setSeed(1234); }},
      {"Change Author's Remark", [](EditorModel& m) { return m.setRemark("stone"); }},
      {"Choose Blur", [](EditorModel& m) { return m.chooseCommand(indexOf("Blur")); }},
      {"Cancel Blur", [](EditorModel& m) { return m.cancel(); }},
      {"Switch Off Plasma",
       [](EditorModel& m) {
         m.selectEntry(0);
         return m.toggleState();
       }},
      {"Remove Worms",
       [](EditorModel& m) {
         m.selectEntry(1);
         return m.remove();
       }},
  };
  EditorModel m;
  compose(m, {"Plasma"});
  for (const Verb& verb : verbs) {
    SCOPED_TRACE(verb.text);
    EditorState start = m.state();
    EditResult result = verb.run(m);
    ASSERT_TRUE(result.step);
    EXPECT_EQ(result.step->text, verb.text);
    const EditorState end = m.state();
    EXPECT_EQ(result.step->after, end);
    EXPECT_NE(result.step->before, end);

    m.restore(result.step->before);
    // The step starts where the verb started, apart from a selection made
    // for it.
    if (start.mode != result.step->before.mode) start = result.step->before;
    EXPECT_EQ(m.state(), start);
    m.restore(result.step->after);
    EXPECT_EQ(m.state(), end);
  }
  EXPECT_EQ(committedCodes(m), std::vector<CommandCode>{kPlasma});
  EXPECT_EQ(m.slot(0).disabled, 1);
}

TEST(EditorModel, StepsOfOneDragOrTypingMerge) {
  EditorModel m;
  compose(m, {"Plasma"});
  m.selectEntry(0);

  // One drag: three positions, one step from the first to the last.
  EditStep drag = *m.setParameter(1, 30).step;
  EXPECT_TRUE(drag.absorb(*m.setParameter(1, 40).step));
  EXPECT_TRUE(drag.absorb(*m.setParameter(1, 50).step));
  EXPECT_EQ(drag.text, "Change Roughness");
  EXPECT_EQ(drag.before.programSlots[0].param[1], 20);
  EXPECT_EQ(drag.after.programSlots[0].param[1], 50);

  // Another row, or the same row in a new drag, is a step of its own.
  EditStep other = *m.setParameter(2, 100).step;
  EXPECT_FALSE(drag.absorb(other));
  m.startGesture();
  EXPECT_FALSE(other.absorb(*m.setParameter(2, 90).step));

  // Typing merges; a seed change in between does not belong to it.
  EditStep typing = *m.setRemark("a").step;
  EXPECT_TRUE(typing.absorb(*m.setRemark("ab").step));
  EditStep seed = *m.setSeed(5).step;
  EXPECT_FALSE(typing.absorb(seed));
  EXPECT_FALSE(typing.absorb(*m.setRemark("abc").step)) << "the seed changed in between";

  // Walking through the tree replaces the pending command: one step, named
  // by the last command.
  m.startGesture();
  EditStep walk = *m.chooseCommand(indexOf("Lines")).step;
  EXPECT_TRUE(walk.absorb(*m.chooseCommand(indexOf("Circles")).step));
  EXPECT_EQ(walk.text, "Choose Circles");
  EXPECT_EQ(walk.before.mode, EditorMode::Selected);
  m.cancel();

  // Single actions never merge, not even with themselves.
  m.selectEntry(0);
  EditStep on = *m.toggleState().step;
  m.selectEntry(0);
  EXPECT_FALSE(on.absorb(*m.toggleState().step));
}

// --- documents --------------------------------------------------------------------

TEST(EditorModel, NewAndOpenResetTheEditorAndTheDocument) {
  EditorModel m;
  compose(m, {"Plasma"});
  m.chooseCommand(indexOf("Twirl"));
  m.setSeed(9);
  m.setRemark("x");
  const int angleMaximum = m.parameterRow(0).maximum;

  m.newDocument(64, 32, "cave.mlr", "/textures/cave.mlr");
  EXPECT_EQ(m.listCount(), 0);
  EXPECT_EQ(m.mode(), EditorMode::Idle);
  EXPECT_EQ(m.currentIndex(), 0);
  EXPECT_EQ(m.seed(), 0);
  EXPECT_EQ(m.remark(), "");
  EXPECT_EQ(m.width(), 64);
  EXPECT_EQ(m.offsetYBar().maximum, 31);
  EXPECT_FALSE(m.parameterRow(0).enabled);
  EXPECT_EQ(m.parameterRow(0).maximum, angleMaximum) << "a row that is off keeps its range";
  EXPECT_FALSE(m.saveEnabled());
  EXPECT_FALSE(m.modified());
  EXPECT_FALSE(m.hasPath());
  EXPECT_EQ(m.documentName(), "cave.mlr");
  EXPECT_EQ(m.documentPath(), "/textures/cave.mlr");

  ProgramDocument doc;
  doc.width = 100;
  doc.height = 60;
  doc.seed = 77;
  doc.remark = "stone";
  doc.entries.resize(2);
  doc.entries[0].code = kPlasma;
  doc.entries[1].code = kBlur;
  m.chooseCommand(indexOf("Noise"));
  m.openDocument(doc, "/textures/stone.mlr");
  EXPECT_EQ(m.committedDocument(), doc);
  EXPECT_EQ(m.currentIndex(), 2);
  EXPECT_EQ(m.mode(), EditorMode::Idle);
  EXPECT_TRUE(m.saveEnabled());
  EXPECT_TRUE(m.hasPath());
  EXPECT_FALSE(m.modified());
  EXPECT_EQ(m.documentPath(), "/textures/stone.mlr");
  EXPECT_EQ(m.documentName(), "cave.mlr") << "only New names the document";

  m.setSeed(1);
  m.documentSaved("/textures/other.mlr");
  EXPECT_FALSE(m.modified());
  EXPECT_EQ(m.documentPath(), "/textures/other.mlr");
}

TEST(EditorModel, AFullProgramShowsAChoiceButCannotAddIt) {
  EditorModel m;
  ProgramDocument doc;
  doc.entries.assign(kMaxProgramLength + 5, ProgramEntry{kPlasma});
  m.openDocument(doc, "/big.mlr");
  EXPECT_EQ(m.programLength(), kMaxProgramLength) << "the table keeps one slot free";
  m.chooseCommand(indexOf("Blur"));
  EXPECT_FALSE(m.canAdd());
  EXPECT_FALSE(m.add().step);
  EXPECT_EQ(m.runSlots().size(), std::size_t{kProgramSlots});
  EXPECT_EQ(m.runSlots().back().code, kBlur);
  m.cancel();
  EXPECT_EQ(m.runSlots().size(), std::size_t{kProgramSlots});
  EXPECT_EQ(m.runSlots().back().code, 0u);
}

// --- what the panel shows, worked out from the document ---------------------------

// A step holds the document and the selection, never the panel: two models
// that show different panels of one program have equal states.
template <class T>
concept CarriesThePanel = requires(T s) { s.rows; } || requires(T s) { s.offsetX; } ||
                          requires(T s) { s.saveEnabled; };
static_assert(!CarriesThePanel<EditorState>);

TEST(EditorModel, StatesOfOneDocumentAreEqualWhateverThePanelLastShowed) {
  EditorModel dragged;
  dragged.chooseCommand(indexOf("Plasma"));
  dragged.setParameter(1, 77);
  dragged.cancel();
  EditorModel fresh;
  fresh.chooseCommand(indexOf("Plasma"));
  fresh.cancel();
  EXPECT_NE(dragged.parameterRow(1).position, fresh.parameterRow(1).position);
  EXPECT_EQ(dragged.state(), fresh.state());
}

TEST(EditorModel, ARowThatIsOffShowsWhatItShowedLastAcrossUndo) {
  EditorModel m;
  compose(m, {"Plasma"});
  ASSERT_TRUE(m.selectEntry(0));
  m.setParameter(1, 77);
  m.startGesture();
  const EditStep twirl = *m.chooseCommand(indexOf("Twirl")).step;
  const ParameterRow angle = m.parameterRow(0);
  ASSERT_TRUE(angle.enabled);

  // Undo: the selected Plasma again, its Roughness row on at its value.
  m.restore(twirl.before);
  EXPECT_TRUE(m.parameterRow(1).enabled);
  EXPECT_EQ(m.parameterRow(1).label, "Roughness");
  EXPECT_EQ(m.parameterRow(1).position, 77);
  EXPECT_EQ(m.parameterValue(1), 77);

  // Redo: Twirl does not use the row, which keeps Plasma's range and value.
  m.restore(twirl.after);
  EXPECT_EQ(m.parameterRow(0), angle);
  EXPECT_FALSE(m.parameterRow(1).enabled);
  EXPECT_EQ(m.parameterRow(1).label, "None");
  EXPECT_EQ(m.parameterRow(1).position, 77);
  EXPECT_EQ(m.parameterRow(1).maximum, 255);
  EXPECT_FALSE(m.parameterValue(1));

  // Cancel turns every row off; each keeps Twirl's range and position, and
  // undoing and redoing the Cancel shows them on and off again.
  const EditStep cancel = *m.cancel().step;
  for (const EditorState* state : {&cancel.after, &cancel.before, &cancel.after}) {
    m.restore(*state);
    const bool pending = state == &cancel.before;
    EXPECT_EQ(m.parameterRow(0).enabled, pending);
    EXPECT_EQ(m.parameterRow(0).minimum, angle.minimum);
    EXPECT_EQ(m.parameterRow(0).maximum, angle.maximum);
    EXPECT_EQ(m.parameterRow(0).position, angle.position);
    EXPECT_EQ(m.parameterValue(0), pending ? std::optional<int>(angle.position) : std::nullopt);
  }
}

TEST(EditorModel, SaveFollowsTheDocumentAndCancelOnAnEmptyProgramOutlastsUndo) {
  EditorModel m;
  m.newDocument(256, 256, "new.mlr", "/tmp/new.mlr");
  const EditStep choose = *m.chooseCommand(indexOf("Plasma")).step;
  const EditStep cancel = *m.cancel().step;
  EXPECT_TRUE(m.saveEnabled()) << "Cancel enables Save even for an empty program";
  // No undo takes that back; a pending entry still disables Save.
  const std::pair<const EditorState*, bool> walk[] = {
      {&cancel.before, false}, {&choose.before, true}, {&choose.after, false}, {&cancel.after, true}};
  for (const auto& [state, save] : walk) {
    m.restore(*state);
    EXPECT_EQ(m.saveEnabled(), save) << "pending " << (state->mode == EditorMode::Pending);
  }

  // Removing the last entry disables Save; undoing the Remove enables it.
  compose(m, {"Blur"});
  ASSERT_TRUE(m.selectEntry(0));
  const EditStep remove = *m.remove().step;
  EXPECT_FALSE(m.saveEnabled());
  m.restore(remove.before);
  EXPECT_TRUE(m.saveEnabled());
  m.restore(remove.after);
  EXPECT_FALSE(m.saveEnabled());

  // New disables it, Open enables it even for an empty program.
  m.newDocument(64, 64, "a.mlr", "/tmp/a.mlr");
  EXPECT_FALSE(m.saveEnabled());
  m.openDocument(ProgramDocument{}, "/tmp/empty.mlr");
  EXPECT_TRUE(m.saveEnabled());
}

// --- the remark's code page ---------------------------------------------------------

TEST(Windows1252, EveryByteReadsAndWritesBackAndOtherCharactersAreRefused) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(encodeWindows1252(decodeWindows1252(all)), all);

  EXPECT_EQ(encodeWindows1252(U"caf\u00e9 \u20ac \u00df \u201cq\u201d"),
            "caf\xE9 \x80 \xDF \x93q\x94");
  EXPECT_EQ(decodeWindows1252("\x80\x9F"), U"\u20ac\u0178");
  EXPECT_FALSE(encodeWindows1252(U"\u0436"));  // Cyrillic
  EXPECT_FALSE(encodeWindows1252(U"\u6f22"));  // a Han character
  EXPECT_FALSE(encodeWindows1252(U"\U0001F600"));
  EXPECT_FALSE(encodeWindows1252(std::u32string(1, U'\0'))) << "a zero would end the remark";
  EXPECT_FALSE(fitsWindows1252(U"\u0080")) << "0x80 holds the euro sign";
}

// What each verb tells a view to redraw: only the parts it changed.
struct ChangeCase {
  const char* what;
  std::function<EditResult(EditorModel&)> verb;
  bool list;
  bool entry;  // exactly one entry's values changed
  bool panel;
  bool document;
};

class VerbChanges : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(VerbChanges, TellOnlyWhatChanged) {
  EditorModel m;
  compose(m, {"Plasma", "Twirl"});
  ASSERT_TRUE(m.selectEntry(0));
  const ChangeCase c = GetParam();
  const EditResult r = c.verb(m);
  ASSERT_TRUE(r.step) << c.what;
  EXPECT_EQ(r.change.list, c.list) << c.what;
  EXPECT_EQ(r.change.entry >= 0, c.entry) << c.what;
  if (c.entry) {
    EXPECT_EQ(r.change.entry, 0) << c.what;
  }
  EXPECT_EQ(r.change.panel, c.panel) << c.what;
  EXPECT_EQ(r.change.document, c.document) << c.what;
  // The step's two states give the same answer.
  const ModelChange again = changesBetween(r.step->before, r.step->after);
  EXPECT_EQ(again.list, r.change.list);
  EXPECT_EQ(again.entry, r.change.entry);
}

INSTANTIATE_TEST_SUITE_P(
    Verbs, VerbChanges,
    ::testing::Values(
        ChangeCase{"parameter", [](EditorModel& m) { return m.setParameter(0, 7); }, false, true, true, false},
        ChangeCase{"offset", [](EditorModel& m) { return m.setOffsetX(3); }, false, true, true, false},
        ChangeCase{"method", [](EditorModel& m) { return m.setMethod(3); }, false, true, true, false},
        ChangeCase{"seed", [](EditorModel& m) { return m.setSeed(99); }, false, false, false, true},
        ChangeCase{"remark", [](EditorModel& m) { return m.setRemark("hi"); }, false, false, false, true},
        ChangeCase{"state", [](EditorModel& m) { return m.toggleState(); }, true, false, true, false},
        ChangeCase{"remove", [](EditorModel& m) { return m.remove(); }, true, false, true, false},
        ChangeCase{"choose", [](EditorModel& m) { return m.chooseCommand(indexOf("Blur")); }, true, false, true,
                   true}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.what); });
