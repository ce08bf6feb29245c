// Runs at a scale: parameters carried over through their units, offsets
// with them, scale 1 the same as the design size, and the largest sizes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/program_runner.h"
#include "engine_support.h"

using namespace mottler;

namespace {

std::uint64_t fingerprint(const TextureEngine& e) {
  std::uint64_t h = 14695981039346656037ull;
  for (int i = 0; i < e.pixelCount; ++i)
    h = (h ^ (e.texture.data()[i] & 0xFFFFFFu)) * 1099511628211ull;
  return h;
}

class ScaledParameters : public ::testing::TestWithParam<int> {};

// Lengths in pixels grow with the scale; every other unit stays.
TEST_P(ScaledParameters, PixelsGrowWithTheScaleAndNothingElse) {
  const CommandDecl& d = kCommandTable[static_cast<std::size_t>(GetParam())];
  for (int scale : {1, 2, 16}) {
    std::array<std::int32_t, kParamCount> params{};
    for (std::size_t k = 0; k < kParamCount; ++k) params[k] = d.params[k].maxValue;
    scaleParameters(d, params, scale);
    for (std::size_t k = 0; k < kParamCount; ++k)
      EXPECT_EQ(params[k], d.params[k].maxValue * (d.params[k].unit == Unit::Pixels ? scale : 1))
          << d.params[k].label << " at scale " << scale;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, ScaledParameters, ::testing::Range(0, kCommandCount));

// A few programs that use every family.
std::vector<ProgramEntry> mixedProgram(int width, int height) {
  std::vector<ProgramEntry> p;
  for (CommandCode c :
       {kPlasma, kBlobs, kWorms, kMoveToBuffer, kGlass, kBlur, kUnsharpMask, kBumpMapping, kMedian,
        kMaximum, kEnvironmentMap, kSinePlasma, kDistortionByBuffer, kConnectBuffer})
    p.push_back(defaultEntry(c, width, height));
  p.back().offsetX = width / 3;
  p.back().offsetY = height / 5;
  return p;
}

std::uint64_t run(TextureEngine& e, const std::vector<ProgramEntry>& program, int seed) {
  const int n = static_cast<int>(program.size());
  std::copy(program.begin(), program.end(), e.entries.begin());
  e.entries[static_cast<std::size_t>(n)] = ProgramEntry{};
  runProgram(e, seed, n);
  return fingerprint(e);
}

TEST(ScaledRun, AtScaleOneIsTheDesignSizeRun) {
  auto a = std::make_unique<TextureEngine>();
  auto b = std::make_unique<TextureEngine>();
  for (const Size size : {Size{64, 64}, Size{40, 24}}) {
    const std::vector<ProgramEntry> program = mixedProgram(size.width, size.height);
    a->setSize(size.width, size.height);
    b->setScaledSize(size.width, size.height, 2);
    b->setScaledSize(size.width, size.height, 1);
    EXPECT_EQ(b->scale, 1);
    EXPECT_EQ(run(*a, program, 3), run(*b, program, 3));
  }
}

TEST(ScaledRun, IsTheSameEveryTimeAndDiffersFromTheDesignUpscaled) {
  auto e = std::make_unique<TextureEngine>();
  const std::vector<ProgramEntry> program = mixedProgram(32, 32);
  e->setScaledSize(32, 32, 3);
  EXPECT_EQ(e->width, 96);
  EXPECT_EQ(e->designWidth(), 32);
  const std::uint64_t first = run(*e, program, 9);
  EXPECT_EQ(run(*e, program, 9), first);
  EXPECT_NE(run(*e, program, 10), first);
}

// An offset of the design moves the layer by the offset times the scale.
TEST(ScaledRun, OffsetsGrowWithTheScale) {
  auto e = std::make_unique<TextureEngine>();
  e->setScaledSize(16, 8, 4);
  std::vector<ProgramEntry> program = {
      defaultEntry(kPlasma, 16, 8), defaultEntry(kMoveToBuffer, 16, 8),
      defaultEntry(kClearTexture, 16, 8), defaultEntry(kConnectBuffer, 16, 8)};
  program[3].offsetX = 3;
  program[3].offsetY = 5;
  run(*e, program, 1);
  for (int y = 0; y < e->height; ++y)
    for (int x = 0; x < e->width; ++x)
      ASSERT_EQ(e->at(e->texture, x, y) & 0xFFFFFFu,
                e->at(e->buffer, (x + 12) % e->width, (y + 20) % e->height) & 0xFFFFFFu);
}

// The largest side: 4096 pixels (a design 256 wide at scale 16); every
// command runs there without reading or writing outside its storage.
TEST(ScaledRun, RunsEveryCommandAtTheLargestSide) {
  auto e = std::make_unique<TextureEngine>();
  e->setScaledSize(256, 2, kMaxScale);
  EXPECT_EQ(e->width, kMaxScaledSide);
  for (const CommandDecl& d : kCommandTable) {
    SCOPED_TRACE(std::string(d.name));
    ProgramEntry entry = defaultEntry(d.code, 256, 2);
    for (std::size_t k = 0; k < kParamCount; ++k)
      if (d.params[k].used() && d.params[k].unit == Unit::Pixels)
        entry.param[k] = d.params[k].maxValue;
    // One shape is enough to reach every edge: the largest blob alone
    // covers the plane many times over.
    for (std::size_t k = 0; k < kParamCount; ++k)
      if (d.params[k].unit == Unit::CountPerArea) entry.param[k] = 1;
    run(*e, {defaultEntry(kSinePlasma, 256, 2), entry}, 4);
  }
}

}  // namespace

namespace {

// The examples and a mixed program at scales 1 to 3 on 1, 2 and 7 threads:
// the same bytes every time.
TEST(ScaledRun, GivesTheSameBytesOnAnyNumberOfThreads) {
  std::vector<std::pair<std::vector<ProgramEntry>, Size>> programs = {
      {mixedProgram(48, 40), Size{48, 40}}};
  // Wide enough at scale 3 for the filters to share out several strips of
  // columns, with many passes of "Maximum" and "Minimum" at once.
  std::vector<ProgramEntry> filters = mixedProgram(100, 12);
  filters.push_back(makeEntry(kMinimum, {4}));
  filters.push_back(makeEntry(kBlur, {9}));
  filters.push_back(makeEntry(kUnsharpMask, {300, 6, 2}));
  programs.push_back({filters, Size{100, 12}});
  for (const CommandDecl& d : kCommandTable) {
    std::vector<ProgramEntry> p = mixedProgram(32, 24);
    p.push_back(defaultEntry(d.code, 32, 24));
    programs.push_back({p, Size{32, 24}});
  }
  auto e = std::make_unique<TextureEngine>();
  for (const auto& [program, size] : programs)
    for (int scale : {1, 2, 3}) {
      std::uint64_t first = 0;
      for (int threads : {1, 2, 7}) {
        e->setScaledSize(size.width, size.height, scale);
        e->setThreads(threads);
        const std::uint64_t print = run(*e, program, 21);
        if (threads == 1)
          first = print;
        else
          EXPECT_EQ(print, first) << threads << " threads, scale " << scale << ", ending with "
                                  << commandToRun(program.back().code)->name;
      }
    }
  // Large enough for the layer blend to share out bands of rows: layers
  // under several methods, with offsets across, down, both and none.
  std::vector<ProgramEntry> layers;
  const int offsets[][2] = {{0, 0}, {21, 0}, {0, 13}, {5, 40}};
  const int methods[] = {Add, Xor, Lighten, Shade};
  for (int i = 0; i < 4; ++i)
    for (CommandCode c : {kSinePlasma, kBlobs}) {
      ProgramEntry entry = defaultEntry(c, 64, 64);
      entry.method = methods[i];
      entry.offsetX = offsets[i][0];
      entry.offsetY = offsets[i][1];
      layers.push_back(entry);
    }
  std::uint64_t first = 0;
  std::uint64_t firstOfEach[16] = {};
  for (int threads : {1, 2, 7}) {
    e->setScaledSize(64, 64, 8);
    e->setThreads(threads);
    const std::uint64_t print = run(*e, layers, 4);
    if (threads == 1)
      first = print;
    else
      EXPECT_EQ(print, first) << threads << " threads, layers at 512 x 512";
  }
  // Large enough for the per-pixel commands to share out bands of rows, on
  // a side that is no multiple of sixteen (the wide code leaves a tail in
  // every band), on the wide path and the portable one.
  std::vector<ProgramEntry> perPixel = {defaultEntry(kPlasma, 60, 60)};
  perPixel.push_back(makeEntry(kGammaCorrection, {160}));
  perPixel.push_back(makeEntry(kBrightness, {130, 90, 250}));
  perPixel.push_back(makeEntry(kContrast, {170}));
  perPixel.push_back(makeEntry(kInversion));
  perPixel.push_back(makeEntry(kHsv, {250, 140, 90}));
  for (CommandCode c : {kEnvironmentMap, kTwirl, kSineDistortion, kDistortionByBuffer, kGlass})
    perPixel.push_back(defaultEntry(c, 60, 60));
  for (const bool wide : {true, false}) {
    for (int threads : {1, 2, 7}) {
      e->setScaledSize(60, 60, 9);
      e->setThreads(threads);
      e->wideVectors = wide && wideVectorsSupported();
      std::vector<ProgramEntry> upTo;
      for (const ProgramEntry& entry : perPixel) {
        upTo.push_back(entry);
        const std::uint64_t print = run(*e, upTo, 8);
        if (threads == 1)
          firstOfEach[upTo.size()] = print;
        else
          EXPECT_EQ(print, firstOfEach[upTo.size()])
              << threads << " threads at 540 x 540, ending with " << commandToRun(entry.code)->name
              << (wide ? "" : ", portable path");
      }
    }
  }
}

}  // namespace

namespace {

// A runner keeps snapshots between runs; a design at another scale with
// the same pixel size is another picture and must not reuse them.
TEST(ScaledRun, ARunnerDoesNotReuseSnapshotsAcrossScales) {
  auto e = std::make_unique<TextureEngine>();
  auto fresh = std::make_unique<TextureEngine>();
  std::vector<ProgramEntry> program = mixedProgram(32, 32);
  program.emplace_back();
  ProgramRunner runner;
  e->setScaledSize(64, 64, 1);
  ASSERT_TRUE(runner.run(*e, 3, program));
  e->setScaledSize(32, 32, 2);
  ASSERT_TRUE(runner.run(*e, 3, program));
  EXPECT_EQ(runner.lastStart(), 0);
  fresh->setScaledSize(32, 32, 2);
  EXPECT_EQ(fingerprint(*e),
            run(*fresh, std::vector<ProgramEntry>(program.begin(), program.end() - 1), 3));
}

}  // namespace
