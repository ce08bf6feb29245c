#include "engine/executor.h"

#include "engine/commands.h"

namespace mottler {

namespace {

using CommandProc = void (*)(TextureEngine&, const ProgramEntry&);

// Procedure of each command code; index 0 and unknown codes have none.
constexpr std::array<CommandProc, 256> makeDispatchTable() {
  std::array<CommandProc, 256> t{};
  t[kPlasma] = plasma;
  t[kBlobs] = blobs;
  t[kLines] = lines;
  t[kCircles] = circles;
  t[kRectangles] = rectangles;
  t[kWorms] = worms;
  t[kEnvironmentMap] = environmentMap;
  t[kNoise] = noise;
  t[kTwirl] = twirl;
  t[kSineDistortion] = sineDistortion;
  t[kDistortionByBuffer] = distortionByBuffer;
  t[kDivider] = divider;
  t[kCarpet] = carpet;
  t[kSinePlasma] = sinePlasma;
  t[kPoints] = points;
  t[kBlur] = blur;
  t[kUnsharpMask] = unsharpMask;
  t[kBumpMapping] = bumpMapping;
  t[kMoveToBuffer] = moveToBuffer;
  t[kClearTexture] = clearTexture;
  t[kConnectBuffer] = connectBuffer;
  t[kBrightness] = brightness;
  t[kInversion] = inversion;
  t[kContrast] = contrast;
  t[kHsv] = hsv;
  t[kGammaCorrection] = gammaCorrection;
  t[kGlass] = glass;
  t[kMedian] = median;
  t[kMaximum] = maximum;
  t[kMinimum] = minimum;
  t[kPerlinNoise] = perlinNoise;
  t[kSplines] = splines;
  return t;
}

constexpr std::array<CommandProc, 256> kDispatch = makeDispatchTable();

}  // namespace

void executeCommand(TextureEngine& engine, const ProgramEntry& entry) {
  if (CommandProc proc = kDispatch[entry.code & 0xFFu]) proc(engine, entry);
}

void executeEntry(TextureEngine& engine, int index) {
  executeCommand(engine, engine.entries[static_cast<std::size_t>(index)]);
}

void runProgram(TextureEngine& engine, int seed, int lastIndex, RunObserver* observer) {
  engine.clear(engine.texture);
  engine.clear(engine.workPlane);
  engine.clear(engine.buffer);
  engine.random.seed(seed);
  if (lastIndex >= kProgramSlots) lastIndex = kProgramSlots - 1;
  for (int i = 0; i <= lastIndex; ++i) {
    if (observer) observer->entryStarting(i + 1);
    executeEntry(engine, i);
  }
}

}  // namespace mottler
