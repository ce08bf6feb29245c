// A cancelled 4096 x 4096 run: every example program, and every command at
// its heaviest settings, is cancelled from another thread once the run is
// under way - early, and at later points of a command's work, so that a
// long stretch between two checks anywhere in it shows.  The run must stop
// at the first check that follows (the checks sit in every long loop, a few
// milliseconds apart), report that it did not finish, and keep nothing of
// the cancelled work for the runs after it.
//
// Between the raised flag and the return the run may make only the checks
// that see the flag, and spend little processor time (the test process's,
// all threads together: time spent waiting for a core on a busy machine is
// not counted).  The wall time is printed, not asserted.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "document/program_file.h"
#include "engine/program_runner.h"
#include "engine_support.h"
#include "sanitized.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

constexpr int kDesign = 256;
constexpr int kScale = kMaxScaledSide / kDesign;

struct Cancelled {
  bool finished = false;
  std::uint64_t checksAfterRaise = 0;
  double latencyMs = 0;
  double processorMs = 0;
};

// Processor time of the whole test process, all threads, in milliseconds.
double processorMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// The most processor time from the raised flag to the return: a cancel is
// to stop a big export within 100 ms, and the checks lie a few milliseconds
// of work apart (17 ms at most measured, all threads counted), so a stretch
// without a check as long as the whole allowance shows at one of the
// raises.  Processor time, not wall time, so that a busy machine does not
// count.  A sanitized build works up to fifteen times slower (one "Blobs"
// shape of the largest size: 17 ms, sanitized 255 ms): there the bound only
// keeps out a run that does not stop.
constexpr double kMostProcessorMs = kSanitized ? 1000.0 : 100.0;

// Runs the program at 4096 x 4096 on another thread and raises the cancel
// flag once that run has made `after` checks (it is then inside a command's
// loops) or `waitMs` have passed; a run that ends first is reported
// finished.
Cancelled cancelWhileRunning(TextureEngine& e, ProgramRunner& runner,
                             const std::vector<ProgramEntry>& program, int seed,
                             std::uint64_t after, int waitMs = 20) {
  std::atomic<bool> flag{false}, done{false};
  const std::uint64_t start = e.cancel.asked();
  Cancelled out;
  std::thread run([&] {
    out.finished = runner.run(e, seed, program, &flag);
    done = true;
  });
  // Or after a short while: a command with few checks is then stopped at
  // its next one rather than run to its end (which only makes the test slow).
  const auto began = std::chrono::steady_clock::now();
  while (!done && e.cancel.asked() - start < after &&
         std::chrono::steady_clock::now() - began < std::chrono::milliseconds(waitMs))
    std::this_thread::yield();
  const double processorAtRaise = processorMs();
  const auto raised = std::chrono::steady_clock::now();
  flag = true;
  // Counted from just after the raise: checks come so often in some
  // commands that several may fall between a count read before the raise
  // and the raise itself.
  const std::uint64_t atRaise = e.cancel.asked();
  run.join();
  out.processorMs = processorMs() - processorAtRaise;
  out.latencyMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - raised).count();
  out.checksAfterRaise = e.cancel.asked() - atRaise;
  return out;
}

TextureEngine& bigEngine() {
  static auto e = std::make_unique<TextureEngine>();
  if (e->width != kMaxScaledSide) e->setScaledSize(kDesign, kDesign, kScale);
  return *e;
}

// At most one check that had read the flag just before it was raised and
// the check that saw it (the returns after it are not counted): nothing
// more, and little work.
void expectStoppedAtOnce(const Cancelled& c, const std::string& what) {
  if (c.finished) return;  // over before the flag went up
  EXPECT_LE(c.checksAfterRaise, 2u) << what;
  EXPECT_LE(c.processorMs, kMostProcessorMs) << what << ": a long stretch without a check";
  std::printf("  %-28s stopped %.1f ms after the flag (%.1f ms of processor time)\n", what.c_str(),
              c.latencyMs, c.processorMs);
}

}  // namespace

TEST(BigCancel, EveryExampleStopsAtTheNextCheckAndKeepsNothingHalfDone) {
  TextureEngine& e = bigEngine();
  std::vector<fs::path> files;
  for (const auto& item : fs::directory_iterator(MOTTLER_EXAMPLES))
    if (item.path().extension() == ".mlr") files.push_back(item.path());
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    ProgramDocument doc;
    ASSERT_EQ(readProgramFile(file, doc), ReadStatus::Ok) << file;
    if (doc.width != kDesign || doc.height != kDesign) continue;
    std::vector<ProgramEntry> program = doc.entries;
    program.emplace_back();
    ProgramRunner runner;
    const Cancelled c = cancelWhileRunning(e, runner, program, doc.seed, 3);
    expectStoppedAtOnce(c, file.stem().string());
    EXPECT_FALSE(c.finished) << file.stem() << " finished before a cancel 3 checks in";
  }
}

// After a cancelled run the runner starts again from what it kept: the
// finished picture must be the one a fresh runner makes (at a smaller scale,
// to keep the test quick).
TEST(BigCancel, ARunAfterACancelledOneIsTheSameAsAFreshOne) {
  auto e = std::make_unique<TextureEngine>();
  auto fresh = std::make_unique<TextureEngine>();
  e->setScaledSize(kDesign, kDesign, 2);
  fresh->setScaledSize(kDesign, kDesign, 2);
  ProgramDocument doc;
  ASSERT_EQ(readProgramFile(fs::path(MOTTLER_EXAMPLES) / "weathered-copper.mlr", doc),
            ReadStatus::Ok);
  std::vector<ProgramEntry> program = doc.entries;
  program.emplace_back();
  ProgramRunner runner, other;
  for (std::uint64_t after : {1, 5, 40}) cancelWhileRunning(*e, runner, program, doc.seed, after);
  ASSERT_TRUE(runner.run(*e, doc.seed, program));
  ASSERT_TRUE(other.run(*fresh, doc.seed, program));
  EXPECT_EQ(pixelsOf(*e, e->texture), pixelsOf(*fresh, fresh->texture));
}

class BigCancelCommand : public ::testing::TestWithParam<int> {};

TEST_P(BigCancelCommand, StopsAtTheNextCheckAtItsHeaviest) {
  const CommandDecl& command = kCommandTable[static_cast<std::size_t>(GetParam())];
  TextureEngine& e = bigEngine();
  ProgramEntry heaviest = makeEntry(command.code);
  for (std::size_t k = 0; k < kParamCount; ++k)
    heaviest.param[k] = command.params[k].limitsAt(kDesign, kDesign).maxValue;
  // A colourful texture and buffer first (Plasma, moved to the buffer,
  // Plasma again), then the command; cancelled once the command is under
  // way (the runner asks once before each entry).
  ProgramEntry plasma = defaultEntry(kPlasma, kDesign, kDesign);
  ProgramEntry move = makeEntry(kMoveToBuffer);
  const std::vector<ProgramEntry> setUp = {plasma, move, plasma};
  std::vector<ProgramEntry> program = setUp;
  program.push_back(heaviest);
  // One runner for all, with room for one snapshot (texture and buffer):
  // the set-up runs once and every command starts from its end.
  static ProgramRunner runner(std::size_t{2} * kMaxScaledSide * kMaxScaledSide * 4);
  // The runner starts again from the snapshot before the command, which is
  // cancelled early and then later on in its work (a few checks in, or a
  // while after it began, whichever comes first).
  for (const int waitMs : {20, 150, 400}) {
    // A run that finished may have kept its end instead: the set-up's end
    // again, so that the cancel falls inside the command.
    ASSERT_TRUE(runner.run(e, 1, setUp));
    const Cancelled c = cancelWhileRunning(e, runner, program, 1, waitMs == 20 ? 2 : 1000, waitMs);
    expectStoppedAtOnce(c, std::string(command.name) + " at " + std::to_string(waitMs) + " ms");
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, BigCancelCommand, ::testing::Range(0, kCommandCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                           std::string name;
                           for (char c : kCommandTable[static_cast<std::size_t>(info.param)].name)
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           return name;
                         });
