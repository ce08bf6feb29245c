// The runner the window runs programs with: what it leaves is what a plain
// run from the top leaves, whatever was edited, cancelled or remembered
// before; a raised cancel flag stops it; and an edit reruns from the entry
// that changed.
#include "engine/program_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "document/program_file.h"
#include "engine_support.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

std::vector<ProgramEntry> withPendingSlot(const ProgramDocument& doc) {
  std::vector<ProgramEntry> program = doc.entries;
  program.emplace_back();
  return program;
}

// Runs a program from the top on an engine whose planes and scratch hold
// nothing from before, as a first run would.
void runFromTheTop(TextureEngine& e, int width, int height, int seed,
                   const std::vector<ProgramEntry>& program) {
  e.setSize(width, height);
  for (TexturePlane* plane : {&e.texture, &e.buffer, &e.workPlane})
    std::fill_n(plane->data(), plane->capacity(), 0u);
  std::copy(program.begin(), program.end(), e.entries.begin());
  std::fill(e.entries.begin() + static_cast<std::ptrdiff_t>(program.size()), e.entries.end(),
            ProgramEntry{});
  runProgram(e, seed, static_cast<int>(program.size()) - 1);
}

void expectSameState(const TextureEngine& expected, const TextureEngine& actual) {
  ASSERT_EQ(pixelsOf(actual, actual.texture), pixelsOf(expected, expected.texture));
  ASSERT_EQ(pixelsOf(actual, actual.buffer), pixelsOf(expected, expected.buffer));
  ASSERT_EQ(actual.random.state, expected.random.state);
}

// Raises the flag when the entry at a position (1-based) starts: the entry
// then stops at its first check, in the middle of its work.
class CancelAt : public RunObserver {
 public:
  CancelAt(std::atomic<bool>& flag, int position) : flag_(flag), position_(position) {}
  void entryStarting(int position) override {
    if (position == position_) flag_ = true;
  }

 private:
  std::atomic<bool>& flag_;
  int position_;
};

ProgramEntry randomProgramEntry(Dice& dice, const Size& s) {
  if (dice.oneIn(12)) return ProgramEntry{};  // an empty slot
  const CommandDecl& command = kCommandTable[static_cast<std::size_t>(dice.below(kCommandCount))];
  return randomEntry(command, s, dice.below(11), dice);
}

}  // namespace

TEST(ProgramRunner, LeavesWhatARunFromTheTopLeavesForEveryExample) {
  auto plain = std::make_unique<TextureEngine>();
  auto viaRunner = std::make_unique<TextureEngine>();
  ProgramRunner runner;
  int count = 0;
  for (const auto& item : fs::directory_iterator(MOTTLER_EXAMPLES)) {
    if (item.path().extension() != ".mlr") continue;
    SCOPED_TRACE(item.path().filename().string());
    ProgramDocument doc;
    ASSERT_EQ(readProgramFile(item.path(), doc), ReadStatus::Ok);
    const int last = loadIntoEngine(doc, *plain);
    runProgram(*plain, doc.seed, last);

    viaRunner->setSize(doc.width, doc.height);
    ASSERT_TRUE(runner.run(*viaRunner, doc.seed, withPendingSlot(doc)));
    const auto bytes = static_cast<std::size_t>(plain->byteSize);
    EXPECT_EQ(0, std::memcmp(plain->texture.data(), viaRunner->texture.data(), bytes));
    EXPECT_EQ(0, std::memcmp(plain->buffer.data(), viaRunner->buffer.data(), bytes));
    EXPECT_EQ(plain->random.state, viaRunner->random.state);
    ++count;
  }
  EXPECT_GT(count, 5);
}

TEST(ProgramRunner, ARaisedCancelFlagStopsTheRunAndSaysSo) {
  auto engine = std::make_unique<TextureEngine>();
  ProgramRunner runner;
  ProgramEntry blur{};
  blur.code = kBlur;
  blur.param[0] = 10;
  const std::vector<ProgramEntry> program(20, blur);
  std::atomic<bool> cancel{true};
  EXPECT_FALSE(runner.run(*engine, 0, program, &cancel));
  cancel = false;
  EXPECT_TRUE(runner.run(*engine, 0, program, &cancel));
}

// Random programs under random edits: changed parameters (several steps of
// one entry, as a drag makes them), inserted, removed, moved and switched
// off entries, new seeds and sizes, runs cancelled in the middle of an
// entry, and no change at all.  After every finished run the runner's
// engine holds exactly what a run from the top leaves, on every vector
// path, with room for every snapshot and with room for only a few.
TEST(ProgramRunner, EveryEditGivesWhatARunFromTheTopGives) {
  const Size sizes[] = {{32, 32}, {33, 20}, {7, 5}};
  for (const bool wide : vectorPaths()) {
    for (const std::size_t budget : {kDefaultRunnerBudget, std::size_t{5 * 2 * 33 * 20 * 4}}) {
      SCOPED_TRACE(::testing::Message() << pathName(wide) << ", budget " << budget);
      auto engine = std::make_unique<TextureEngine>();
      auto expected = std::make_unique<TextureEngine>();
      engine->wideVectors = expected->wideVectors = wide;
      ProgramRunner runner(budget);
      Dice dice(wide ? 17 : 23);
      Size size = sizes[0];
      int seed = 5;
      std::vector<ProgramEntry> program;
      for (int i = 0; i < 12; ++i) program.push_back(randomProgramEntry(dice, size));
      int dragged = 0;
      for (int step = 0; step < 160; ++step) {
        const int n = static_cast<int>(program.size());
        const int k = dice.below(n);
        std::atomic<bool> cancel{false};
        int cancelAt = 0;
        switch (dice.below(12)) {
          case 0:
          case 1:
          case 2:  // a drag of one entry's scroll bar
            if (dice.oneIn(3)) dragged = k;
            dragged = std::min(dragged, n - 1);
            program[static_cast<std::size_t>(dragged)].param[0] += 1;
            break;
          case 3:
            program[static_cast<std::size_t>(k)] = randomProgramEntry(dice, size);
            break;
          case 4:
            if (n < 24) program.insert(program.begin() + k, randomProgramEntry(dice, size));
            break;
          case 5:
            if (n > 1) program.erase(program.begin() + k);
            break;
          case 6:
            if (k + 1 < n)
              std::swap(program[static_cast<std::size_t>(k)],
                        program[static_cast<std::size_t>(k + 1)]);
            break;
          case 7:
            program[static_cast<std::size_t>(k)].disabled ^= 1;
            break;
          case 8:
            program[static_cast<std::size_t>(k)].method = dice.below(11);
            program[static_cast<std::size_t>(k)].offsetX = dice.below(size.width);
            break;
          case 9:
            if (dice.oneIn(2))
              seed = dice.below(32768);
            else
              size = sizes[dice.below(3)];
            break;
          case 10:
            cancelAt = 1 + dice.below(n);
            program[static_cast<std::size_t>(k)].param[1] += 1;
            break;
          default:  // the same program again
            break;
        }
        SCOPED_TRACE(::testing::Message() << "step " << step);
        engine->setSize(size.width, size.height);
        CancelAt observer(cancel, cancelAt);
        const bool finished = runner.run(*engine, seed, program, &cancel, &observer);
        EXPECT_LE(runner.snapshotBytes(), runner.budgetBytes());
        if (!finished) {
          ASSERT_NE(cancelAt, 0);
          continue;
        }
        runFromTheTop(*expected, size.width, size.height, seed, program);
        expectSameState(*expected, *engine);
        if (HasFatalFailure()) return;
      }
    }
  }
}

// Dragging the scroll bar of entry k reruns entries k..N only, once the
// first step has run the entries before k; the first step starts at most a
// spacing of snapshots before k.  A new seed or size starts at the top.
TEST(ProgramRunner, AnEditRerunsFromTheEntryThatChanged) {
  auto engine = std::make_unique<TextureEngine>();
  engine->setSize(40, 40);
  std::vector<ProgramEntry> program(60, makeEntry(kBlur, {1}));
  program.back() = ProgramEntry{};
  for (const std::size_t budget : {kDefaultRunnerBudget, std::size_t{10 * 2 * 40 * 40 * 4}}) {
    ProgramRunner runner(budget);
    ASSERT_TRUE(runner.run(*engine, 1, program));
    EXPECT_EQ(runner.lastStart(), 0);
    EXPECT_LE(runner.snapshotCount(), runner.capacity());
    for (const int k : {45, 30, 59, 3}) {
      program[static_cast<std::size_t>(k)].param[0] = 2;
      ASSERT_TRUE(runner.run(*engine, 1, program));
      EXPECT_LE(runner.lastStart(), k);
      EXPECT_GT(runner.lastStart(), k - runner.spacing());
      program[static_cast<std::size_t>(k)].param[0] = 3;
      ASSERT_TRUE(runner.run(*engine, 1, program));
      EXPECT_EQ(runner.lastStart(), k);
    }
    ASSERT_TRUE(runner.run(*engine, 2, program));
    EXPECT_EQ(runner.lastStart(), 0);
    ASSERT_TRUE(runner.run(*engine, 2, program));
    EXPECT_EQ(runner.lastStart(), 60);  // nothing changed: nothing reruns
    engine->setSize(40, 39);
    ASSERT_TRUE(runner.run(*engine, 2, program));
    EXPECT_EQ(runner.lastStart(), 0);
    engine->setSize(40, 40);
  }
}

// Each entry's time is the time of the run that executed it: entries a run
// skipped by starting from a snapshot keep theirs, entries it ran get new
// ones, and a run at another size or seed starts the times afresh.
TEST(ProgramRunner, EntryTimesComeFromTheRunThatExecutedTheEntry) {
  auto engine = std::make_unique<TextureEngine>();
  engine->setSize(40, 40);
  std::vector<ProgramEntry> program(12, makeEntry(kBlur, {1}));
  ProgramRunner runner;
  ASSERT_TRUE(runner.run(*engine, 1, program));
  ASSERT_EQ(runner.entryTimes().size(), program.size());
  const std::vector<std::int64_t> first(runner.entryTimes().begin(), runner.entryTimes().end());
  for (const std::int64_t t : first) EXPECT_GE(t, 0);

  for (const int k : {8, 3, 11}) {
    const std::vector<std::int64_t> before(runner.entryTimes().begin(), runner.entryTimes().end());
    program[static_cast<std::size_t>(k)].param[0] += 1;
    ASSERT_TRUE(runner.run(*engine, 1, program));
    const int start = runner.lastStart();
    ASSERT_GT(start, 0);
    for (int i = 0; i < start; ++i)
      EXPECT_EQ(runner.entryTimes()[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << i;
  }

  // A shorter program: its times only.
  program.resize(5);
  ASSERT_TRUE(runner.run(*engine, 1, program));
  EXPECT_EQ(runner.entryTimes().size(), 5u);

  // Another seed: nothing is kept, every entry runs (and is timed) again.
  ASSERT_TRUE(runner.run(*engine, 2, program));
  EXPECT_EQ(runner.lastStart(), 0);
  runner.forget();
  EXPECT_TRUE(runner.entryTimes().empty());
}
