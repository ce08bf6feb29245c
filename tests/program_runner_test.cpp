// The runner the window runs programs with: what it leaves is what a plain
// run from the top leaves, and a raised cancel flag stops it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "document/program_file.h"
#include "engine/program_runner.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {
std::vector<ProgramEntry> withPendingSlot(const ProgramDocument& doc) {
  std::vector<ProgramEntry> program = doc.entries;
  program.emplace_back();
  return program;
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
