// A run must not allocate: every command at its defaults, every example
// program, and the runner's runs with snapshots, edits and a cancellation,
// while the global allocator counts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

#include "document/program_file.h"
#include "engine/executor.h"
#include "engine/program_runner.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
}  // namespace

// The replacements pair with each other (malloc and free).  Kept out of
// line, so that the compiler does not match a free it sees inlined against
// the new expression of a caller.
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace mottler;

namespace {
int allocationsDuring(TextureEngine& e, int seed, int last) {
  allocations = 0;
  counting = true;
  runProgram(e, seed, last);
  counting = false;
  return allocations;
}
}  // namespace

TEST(NoAllocation, EveryCommandAtItsDefaults) {
  allocations = 0;
  counting = true;
  ::operator delete(::operator new(16));  // the counter itself works
  counting = false;
  ASSERT_EQ(allocations, 1);

  static TextureEngine e;
  for (int size : {256, 37}) {
    e.setSize(size, size);
    int slot = 0;
    for (const CommandDecl& d : kCommandTable) {
      const CommandInfo info = commandInfoForSize(*catalogueIndexOfCode(d.code), size, size);
      ProgramEntry& entry = e.entries[static_cast<std::size_t>(slot++)];
      entry = ProgramEntry{};
      entry.code = d.code;
      entry.method = Add;
      for (int k = 0; k < kParamCount; ++k) entry.param[k] = info.defaultValue[k];
    }
    e.entries[static_cast<std::size_t>(slot)] = ProgramEntry{};
    EXPECT_EQ(allocationsDuring(e, 99, slot), 0) << size;
  }
}

TEST(NoAllocation, EveryExampleProgram) {
  static TextureEngine e;
  std::error_code missing;
  for (const auto& item : std::filesystem::directory_iterator(MOTTLER_EXAMPLES, missing)) {
    if (item.path().extension() != ".mlr") continue;
    ProgramDocument doc;
    ASSERT_EQ(readProgramFile(item.path(), doc), ReadStatus::Ok);
    loadIntoEngine(doc, e);
    EXPECT_EQ(allocationsDuring(e, doc.seed, static_cast<int>(doc.entries.size())), 0)
        << item.path().filename();
  }
}

// At a scale the grids, the fields and the tables were all made by
// setScaledSize.
TEST(NoAllocation, EveryCommandAtAScale) {
  static TextureEngine e;
  for (int scale : {2, 3}) {
    e.setScaledSize(40, 24, scale);
    int slot = 0;
    for (const CommandDecl& d : kCommandTable) {
      ProgramEntry& entry = e.entries[static_cast<std::size_t>(slot++)];
      const CommandInfo info = commandInfoForSize(*catalogueIndexOfCode(d.code), 40, 24);
      entry = ProgramEntry{};
      entry.code = d.code;
      entry.method = Add;
      for (int k = 0; k < kParamCount; ++k) entry.param[k] = info.defaultValue[k];
    }
    e.entries[static_cast<std::size_t>(slot)] = ProgramEntry{};
    EXPECT_EQ(allocationsDuring(e, 5, slot), 0) << scale;
  }
}

namespace {
class CancelAtSecondEntry : public RunObserver {
 public:
  explicit CancelAtSecondEntry(std::atomic<bool>& flag) : flag_(flag) {}
  void entryStarting(int position) override {
    if (position == 2) flag_ = true;
  }

 private:
  std::atomic<bool>& flag_;
};
}  // namespace

TEST(NoAllocation, RunnerRunsWithSnapshotsEditsAndCancellation) {
  static TextureEngine e;
  for (int size : {256, 37}) {
    e.setSize(size, size);
    std::vector<ProgramEntry> program;
    for (const CommandDecl& d : kCommandTable) {
      const CommandInfo info = commandInfoForSize(*catalogueIndexOfCode(d.code), size, size);
      ProgramEntry entry{};
      entry.code = d.code;
      entry.method = Add;
      for (int k = 0; k < kParamCount; ++k) entry.param[k] = info.defaultValue[k];
      program.push_back(entry);
    }
    program.emplace_back();
    ProgramRunner runner;
    std::atomic<bool> cancel{false};
    CancelAtSecondEntry observer(cancel);

    allocations = 0;
    counting = true;
    const bool first = runner.run(e, 3, program, &cancel);
    program[20].param[0] += 1;
    const bool edited = runner.run(e, 3, program, &cancel);
    program[1].disabled = 1;
    const bool cancelled = runner.run(e, 3, program, &cancel, &observer);
    cancel = false;
    const bool again = runner.run(e, 4, program, &cancel);
    counting = false;
    EXPECT_TRUE(first && edited && again);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(allocations, 0) << size;
  }
}
