// The shape generators: the fast paths against the reference versions on
// random programs, the shared random sequence accounting, the disabled
// rules, the documented stamp patterns and the work the extremes of the
// parameter ranges ask for.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine_support.h"

using namespace mottler;

namespace {

std::unique_ptr<TextureEngine> makeEngine(int w, int h) {
  auto e = std::make_unique<TextureEngine>();
  e->setSize(w, h);
  e->clear(e->texture);
  e->clear(e->workPlane);
  return e;
}

ProgramEntry entryOf(CommandCode code, std::array<std::int32_t, kParamCount> params,
                     bool fixed = false) {
  ProgramEntry en = makeEntry(code);
  en.param = params;
  en.fixedColors = fixed ? 1 : 0;
  return en;
}

// Runs one entry on a cleared engine with the given random state.
void runOne(TextureEngine& e, const ProgramEntry& en, std::int32_t seed) {
  e.random.seed(seed);
  executeCommand(e, en);
}

std::uint32_t layerAt(TextureEngine& e, int x, int y) { return e.at(e.workPlane, x, y); }

int countLit(TextureEngine& e) {
  int n = 0;
  for (int i = 0; i < e.pixelCount; ++i) n += e.workPlane.data()[i] != 0;
  return n;
}

// A random entry of the command with parameters across the catalogue ranges,
// "Amount" kept small enough for the reference painter.
ProgramEntry randomEntry(RandomState& g, CommandCode code) {
  auto pick = [&](int lo, int hi) {
    const int high = g.next();
    return lo + (high * 32768 + g.next()) % (hi - lo + 1);
  };
  auto mask = [&] { return g.next() % 3 == 0 ? 255 : pick(1, 255); };
  std::array<std::int32_t, kParamCount> p{};
  switch (code) {
    case kBlobs:
      p = {pick(1, 6), pick(1, 512), pick(0, 512), mask(), mask(), mask(), 0};
      break;
    case kPoints:
      p = {pick(1, 300), pick(1, 255), mask(), mask(), mask(), 0, 0};
      break;
    case kLines:
      p = {pick(1, 40), pick(0, 360), pick(1, 512), pick(1, 64), mask(), mask(), mask()};
      break;
    case kCircles:
      p = {pick(1, 8), pick(1, 512), pick(0, 512), pick(1, 64), mask(), mask(), mask()};
      break;
    case kRectangles:
      p = {pick(1, 40), pick(1, 255), pick(1, 255), pick(1, 64), mask(), mask(), mask()};
      break;
    case kWorms:
      p = {pick(1, 40), pick(1, 255), pick(1, 128), pick(1, 64), mask(), mask(), mask()};
      break;
    case kSplines:
      p = {pick(1, 30), pick(0, 255), pick(1, 255), pick(1, 64), mask(), mask(), mask()};
      break;
  }
  // Mostly thin brushes and small shapes, sometimes the full range.
  if (code != kBlobs && g.next() % 2 == 0) p[code == kPoints ? 1 : 3] = pick(1, 6);
  if ((code == kBlobs || code == kCircles) && g.next() % 2 == 0) {
    p[1] = pick(1, 40);
    p[2] = pick(0, 20);
  }
  // Straight and diagonal lines make the longest horizontal and vertical runs.
  if (code == kLines && g.next() % 2 == 0) p[1] = 45 * (g.next() % 9);
  ProgramEntry en = entryOf(code, p, g.next() % 4 == 0);
  en.disabled = g.next() % 8 == 0 ? 1 : 0;
  return en;
}

constexpr CommandCode kShapeCodes[] = {kBlobs,      kPoints, kLines,  kCircles,
                                       kRectangles, kWorms,  kSplines};

}  // namespace

// Thin brushes, straight and diagonal lines and long worms make the runs of
// stamps the fast path gathers; the reference paints every stamp in full.
TEST(ShapeGenerators, MatchTheReferenceOnRandomPrograms) {
  RandomState g;
  g.seed(20240607);
  const int sizes[][2] = {{1, 1},   {1, 7},   {5, 3},     {8, 8},   {13, 29},
                          {40, 17}, {64, 64}, {256, 256}, {100, 37}};
  for (const auto& s : sizes) {
    auto e = makeEngine(s[0], s[1]);
    for (CommandCode code : kShapeCodes) {
      for (int trial = 0; trial < 6; ++trial) {
        ProgramEntry en = randomEntry(g, code);
        en.method = 10;  // the layer replaces the texture, to be compared whole
        SCOPED_TRACE(testing::Message()
                     << "size " << s[0] << "x" << s[1] << " code " << en.code << " params "
                     << en.param[0] << " " << en.param[1] << " " << en.param[2] << " "
                     << en.param[3] << " fixed " << int(en.fixedColors));
        // Leave something in the plane: the command must clear it first.
        std::fill_n(e->workPlane.data(), e->pixelCount, 0xFF123456u);
        e->random.seed(g.next());
        expectSameAsReference(*e, en);
        if (HasFatalFailure()) return;
      }
    }
  }
}

TEST(ShapeGenerators, AdvanceTheSharedSequenceByTheirDrawsEnabledOrNot) {
  auto e = makeEngine(64, 48);
  struct Case {
    CommandCode code;
    std::array<std::int32_t, kParamCount> p;
    int draws, fixedDraws;
  };
  const Case cases[] = {
      {kBlobs, {7, 30, 10, 255, 255, 255, 0}, 6, 3},
      {kPoints, {9, 2, 255, 255, 255, 0, 0}, 5, 2},
      {kLines, {5, 50, 40, 1, 255, 255, 255}, 5, 2},
      {kCircles, {4, 50, 5, 1, 255, 255, 255}, 6, 3},
      {kRectangles, {6, 50, 50, 1, 255, 255, 255}, 5, 2},
      {kWorms, {3, 17, 5, 1, 255, 255, 255}, 5 + 4 * 17, 2 + 4 * 17},
      {kSplines, {8, 128, 64, 1, 255, 255, 255}, 7, 4},
  };
  for (const Case& c : cases) {
    for (int fixed = 0; fixed < 2; ++fixed) {
      for (int disabled = 0; disabled < 2; ++disabled) {
        ProgramEntry en = entryOf(c.code, c.p, fixed != 0);
        en.disabled = static_cast<std::uint8_t>(disabled);
        runOne(*e, en, 777);
        RandomState r;
        r.seed(777);
        for (int i = 0; i < c.p[0] * (fixed ? c.fixedDraws : c.draws); ++i) r.next();
        EXPECT_EQ(e->random.state, r.state) << "code " << c.code << " fixed " << fixed;
      }
    }
  }
}

TEST(ShapeGenerators, DisabledEntryPaintsNothingButStillBlends) {
  for (CommandCode code : kShapeCodes) {
    RandomState g;
    g.seed(static_cast<std::int32_t>(code));
    ProgramEntry en = randomEntry(g, code);
    en.disabled = 1;
    auto e = makeEngine(32, 32);
    for (int i = 0; i < e->pixelCount; ++i) e->texture.data()[i] = rgb(200, 101, 7);
    en.method = Middle;
    runOne(*e, en, 5);
    EXPECT_EQ(countLit(*e), 0) << "code " << code;
    EXPECT_EQ(e->texture.data()[77], rgb(100, 50, 3)) << "code " << code;
    en.method = Add;
    runOne(*e, en, 5);
    EXPECT_EQ(e->texture.data()[77], rgb(100, 50, 3)) << "code " << code;
    en.method = Multiply;
    runOne(*e, en, 5);
    EXPECT_EQ(e->texture.data()[77], 0u) << "code " << code;
  }
}

TEST(ShapeGenerators, ALaterEntryDrawsTheSameWhetherAnEarlierOneIsDisabled) {
  auto run = [](bool disabled) {
    auto e = makeEngine(64, 64);
    e->entries[0] = entryOf(kBlobs, {20, 30, 10, 255, 255, 255, 0});
    e->entries[0].disabled = disabled ? 1 : 0;
    e->entries[1] = entryOf(kPoints, {200, 2, 255, 255, 255, 0, 0});
    e->entries[1].method = 10;  // the layer replaces the texture
    runProgram(*e, 99, 1);
    return std::vector<std::uint32_t>(e->texture.data(), e->texture.data() + e->pixelCount);
  };
  EXPECT_EQ(run(false), run(true));
}

TEST(ShapeGenerators, PointsWrapAtTheCorner) {
  // Find a seed whose single point lands at (W - 1, H - 1) on a 16 x 8 plane.
  auto e = makeEngine(16, 8);
  for (std::int32_t seed = 0;; ++seed) {
    RandomState r;
    r.seed(seed);
    if (r.next() % 16 == 15 && r.next() % 8 == 7) {
      runOne(*e, entryOf(kPoints, {1, 3, 10, 20, 30, 0, 0}, true), seed);
      break;
    }
  }
  EXPECT_EQ(countLit(*e), 9);
  for (int x : {15, 0, 1})
    for (int y : {7, 0, 1}) EXPECT_EQ(layerAt(*e, x, y), rgb(30, 20, 10)) << x << "," << y;
}

TEST(ShapeGenerators, LinesAt45DegreesStampEachPixelOfTheDiagonalButNotTheEnd) {
  auto e = makeEngine(128, 128);
  runOne(*e, entryOf(kLines, {1, 45, 40, 1, 255, 255, 255}, true), 3);
  RandomState r;
  r.seed(3);
  const int x = r.next() % 128, y = r.next() % 128;
  EXPECT_EQ(countLit(*e), 28);
  for (int k = 0; k < 28; ++k) EXPECT_NE(layerAt(*e, (x + k) % 128, (y + k) % 128), 0u);
  EXPECT_EQ(layerAt(*e, (x + 28) % 128, (y + 28) % 128), 0u);

  // Angle 180 runs up the plane from the start point.
  runOne(*e, entryOf(kLines, {1, 180, 10, 1, 255, 255, 255}, true), 3);
  EXPECT_EQ(countLit(*e), 10);
  for (int k = 0; k < 10; ++k) EXPECT_NE(layerAt(*e, x, (y - k + 128) % 128), 0u);
}

TEST(ShapeGenerators, SmallCirclesAreTheDocumentedStampPatterns) {
  auto e = makeEngine(32, 32);
  RandomState r;
  r.seed(11);
  const int x = r.next() % 32, y = r.next() % 32;
  auto lit = [&](int dx, int dy) {
    return layerAt(*e, (x + dx + 32) % 32, (y + dy + 32) % 32) != 0;
  };
  runOne(*e, entryOf(kCircles, {1, 1, 1, 1, 255, 255, 255}, true), 11);  // R = 1
  EXPECT_EQ(countLit(*e), 4);
  EXPECT_TRUE(lit(1, 0) && lit(-1, 0) && lit(0, 1) && lit(0, -1));
  runOne(*e, entryOf(kCircles, {1, 1, 2, 1, 255, 255, 255}, true), 11);  // R = 2
  EXPECT_EQ(countLit(*e), 8);
  EXPECT_TRUE(lit(2, 0) && lit(-2, 0) && lit(0, 2) && lit(0, -2));
  EXPECT_TRUE(lit(1, 1) && lit(-1, 1) && lit(1, -1) && lit(-1, -1));
  runOne(*e, entryOf(kCircles, {1, 1, 0, 1, 255, 255, 255}, true), 11);  // R = 0
  EXPECT_EQ(countLit(*e), 1);
  EXPECT_TRUE(lit(0, 0));
}

TEST(ShapeGenerators, OneByOneRectangleLeavesOutTheFarCorner) {
  auto e = makeEngine(32, 32);
  runOne(*e, entryOf(kRectangles, {1, 1, 1, 1, 255, 255, 255}, true), 21);
  RandomState r;
  r.seed(21);
  const int x = r.next() % 32, y = r.next() % 32;
  EXPECT_EQ(countLit(*e), 3);
  EXPECT_NE(layerAt(*e, x, y), 0u);
  EXPECT_NE(layerAt(*e, (x + 1) % 32, y), 0u);
  EXPECT_NE(layerAt(*e, x, (y + 1) % 32), 0u);
}

TEST(ShapeGenerators, WormsWithTwirlOneRunStraightToTheTopLeft) {
  auto e = makeEngine(32, 32);
  runOne(*e, entryOf(kWorms, {1, 20, 1, 1, 255, 255, 255}, true), 8);
  RandomState r;
  r.seed(8);
  const int x = r.next() % 32, y = r.next() % 32;
  EXPECT_EQ(countLit(*e), 20);
  for (int k = 0; k < 20; ++k) EXPECT_NE(layerAt(*e, (x - k + 32) % 32, (y - k + 32) % 32), 0u);
}

TEST(ShapeGenerators, SplineWithoutHorizontalReachPaintsNothing) {
  // Variant 38 turns the first angle so that a draw of 90 gives 0 degrees.
  auto e = makeEngine(32, 32);
  for (std::int32_t seed = 0;; ++seed) {
    RandomState r;
    r.seed(seed);
    r.next();
    r.next();
    if (r.next() % 360 == 90) {
      runOne(*e, entryOf(kSplines, {1, 38, 255, 1, 255, 255, 255}, true), seed);
      RandomState after;
      after.seed(seed);
      for (int i = 0; i < 4; ++i) after.next();
      EXPECT_EQ(e->random.state, after.state);
      break;
    }
  }
  EXPECT_EQ(countLit(*e), 0);
}

TEST(ShapeGenerators, BlobsOfSideOneAndTwo) {
  auto e = makeEngine(16, 16);
  runOne(*e, entryOf(kBlobs, {30, 1, 0, 255, 255, 255, 0}), 4);
  EXPECT_EQ(countLit(*e), 0) << "profile entry [0][0] is 0";

  runOne(*e, entryOf(kBlobs, {1, 1, 1, 255, 255, 255, 0}, true), 4);
  RandomState r;
  r.seed(4);
  r.next();
  const int x = r.next() % 16, y = r.next() % 16;
  EXPECT_EQ(layerAt(*e, x, y), 0u);
  EXPECT_EQ(layerAt(*e, (x + 1) % 16, y), rgb(1, 1, 1));
  EXPECT_EQ(layerAt(*e, x, (y + 1) % 16), rgb(1, 1, 1));
  EXPECT_EQ(layerAt(*e, (x + 1) % 16, (y + 1) % 16), rgb(255, 255, 255));
}

TEST(ShapeGenerators, BlobsAddUpAndSaturate) {
  // Many large white blobs on a small plane: every pixel ends at 255, and
  // byte 3 of the layer is never written.
  auto e = makeEngine(8, 8);
  runOne(*e, entryOf(kBlobs, {40, 20, 40, 255, 255, 255, 0}, true), 6);
  for (int i = 0; i < e->pixelCount; ++i) EXPECT_EQ(e->workPlane.data()[i], 0x00FFFFFFu);
}

// The work of a shape entry is bounded by its draws: "Amount" times the
// draws of one shape (for "Worms" four more per step), each shape painted
// with a brush of at most 64 (255 for "Points").  The most expensive values
// of the ranges, and values far outside them, make exactly the draws of the
// range's ends.
TEST(ShapeGenerators, ExtremeValuesMakeTheDrawsOfTheRangeEnds) {
  auto e = makeEngine(16, 16);
  const std::int32_t big = 1000000000;
  for (CommandCode code : kShapeCodes) {
    const CommandDecl& d = kCommandTable[static_cast<std::size_t>(*catalogueIndexOfCode(code))];
    for (std::int32_t v : {big, -big}) {
      for (int fixed = 0; fixed < 2; ++fixed) {
        ProgramEntry en = entryOf(code, {v, v, v, v, v, v, v}, fixed != 0);
        runOne(*e, en, 1);
        // The amount and worm length at the nearer end of their ranges.
        const ParamDecl& amount = d.params[0];
        const int shapes = v > 0 ? amount.maxValue : amount.minValue;
        int perShape = 0;
        switch (code) {
          case kBlobs:
          case kCircles:
            perShape = fixed ? 3 : 6;
            break;
          case kPoints:
          case kLines:
          case kRectangles:
            perShape = fixed ? 2 : 5;
            break;
          case kSplines:
            perShape = fixed ? 4 : 7;
            break;
          case kWorms:
            perShape = (fixed ? 2 : 5) + 4 * (v > 0 ? d.params[Worms::MaximumLength].maxValue : 1);
            break;
        }
        EXPECT_EQ(e->random.state, stateAfter(1, shapes * perShape))
            << "code " << code << " value " << v;
        for (int i = 0; i < e->pixelCount; ++i) ASSERT_EQ(e->workPlane.data()[i] >> 24, 0u);
      }
    }
  }
}

namespace {

class ShapesAtAScale : public ::testing::TestWithParam<CommandCode> {};

// At a scale the fast paths follow the rules the references spell out
// (positions on the design's grid; lines, circles, worms and splines worked
// out in design pixels), make exactly the draws of the design-size run, and
// every shape but a blob paints whole design pixels: s x s blocks of one
// colour.
TEST_P(ShapesAtAScale, FollowTheReferenceWithTheDesignsDrawsInWholeDesignPixels) {
  const CommandCode code = GetParam();
  RandomState g;
  g.seed(4000 + code);
  auto reference = std::make_unique<TextureEngine>();
  auto fast = std::make_unique<TextureEngine>();
  auto design = std::make_unique<TextureEngine>();
  for (const Size size : {Size{13, 29}, Size{40, 17}, Size{32, 32}}) {
    design->setSize(size.width, size.height);
    for (int scale : {2, 3}) {
      reference->setScaledSize(size.width, size.height, scale);
      fast->setScaledSize(size.width, size.height, scale);
      for (int trial = 0; trial < 4; ++trial) {
        ProgramEntry en = randomEntry(g, code);
        en.method = 10;  // the layer replaces the texture, to be compared whole
        if (code != kBlobs)
          en.param[code == kPoints ? 1 : 3] %= 9;  // a brush the reference can afford
        SCOPED_TRACE(testing::Message()
                     << "design " << size.width << "x" << size.height << " scale " << scale
                     << " params " << en.param[0] << " " << en.param[1] << " " << en.param[2] << " "
                     << en.param[3] << " fixed " << int(en.fixedColors));
        const std::int32_t seed = g.next();
        std::fill_n(reference->workPlane.data(), reference->pixelCount, 0xFF123456u);
        reference->random.seed(seed);
        executeReference(*reference, en);
        for (const bool wide : vectorPaths()) {
          SCOPED_TRACE(pathName(wide));
          fast->wideVectors = wide;
          std::fill_n(fast->workPlane.data(), fast->pixelCount, 0xFF654321u);
          fast->random.seed(seed);
          executeCommand(*fast, en);
          ASSERT_EQ(pixelsOf(*fast, fast->texture), pixelsOf(*reference, reference->texture));
          ASSERT_EQ(fast->random.state, reference->random.state);
        }
        design->random.seed(seed);
        executeCommand(*design, en);
        EXPECT_EQ(fast->random.state, design->random.state) << "not the design's draws";
        if (code == kBlobs) continue;
        for (int y = 0; y < fast->height; ++y)
          for (int x = 0; x < fast->width; ++x)
            ASSERT_EQ(fast->at(fast->workPlane, x, y),
                      fast->at(fast->workPlane, x / scale * scale, y / scale * scale))
                << "pixel (" << x << ", " << y << ") is not its design pixel's colour";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryShape, ShapesAtAScale, ::testing::ValuesIn(kShapeCodes),
    [](const ::testing::TestParamInfo<CommandCode>& info) {
      return std::string(
          kCommandTable[static_cast<std::size_t>(*catalogueIndexOfCode(info.param))].name);
    });

}  // namespace
