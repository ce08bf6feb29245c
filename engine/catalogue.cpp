#include "engine/catalogue.h"

namespace mottler {

namespace {

constexpr ParamDecl P(std::string_view label, std::int32_t lo, std::int32_t hi, std::int32_t def) {
  return ParamDecl{label, lo, hi, def};
}
constexpr ParamDecl Mask(std::string_view label, std::int32_t lo) { return P(label, lo, 255, 255); }
constexpr ParamDecl None{};

constexpr int kGenerate = 0, kDeform = 1, kFilters = 2, kBuffer = 3, kAdjust = 4;

constexpr std::array<std::string_view, kCategoryCount> kCategoryNames = {
    "Generate", "Deform", "Filters", "Buffer", "Adjust Colors"};
constexpr std::array<int, kCategoryCount> kCategorySizes = {12, 6, 6, 3, 5};
constexpr std::array<std::string_view, kBlendMethodCount> kBlendMethodNames = {
    "Middle", "Add", "Subtract", "Xor", "And", "Or", "Multiply", "Shade", "Lighten", "Darken"};

}  // namespace

// Catalogue index order is tree order: categories in order, commands within them.
const std::array<CommandDecl, kCommandCount> kCommandTable = {{
    {kPlasma,
     kGenerate,
     "Plasma",
     1,
     {P("Variant", 0, 32767, 0), P("Roughness", 0, 255, 20), P("Maximum Height", 1, 127, 127),
      Mask("Red Mask", 0), Mask("Green Mask", 0), Mask("Blue Mask", 0), None},
     "Cloudy fractal heights made by midpoint subdivision, tinted by the three masks."},
    {kSinePlasma,
     kGenerate,
     "Sine Plasma",
     1,
     {P("Period of X Sine", 1, 32, 1), P("Period of Y Sine", 1, 32, 1),
      P("X Sine Coefficient", 0, 255, 128), P("Y Sine Coefficient", 0, 255, 128),
      Mask("Red Mask", 0), Mask("Green Mask", 0), Mask("Blue Mask", 0)},
     "Smooth waves: a horizontal sine plus a vertical cosine."},
    {kPerlinNoise,
     kGenerate,
     "Perlin Noise",
     3,
     {P("Variant", 0, 32767, 0), P("Width", 4, 128, 128), P("Height", 4, 128, 128),
      Mask("Red Mask", 1), Mask("Green Mask", 1), Mask("Blue Mask", 1), None},
     "Soft random colour blotches interpolated over a lattice of cells."},
    {kBlobs,
     kGenerate,
     "Blobs",
     3,
     {P("Amount", 1, 1024, 30), P("Maximum Radius", 1, 512, 30),
      P("Additional Value to Radius", 0, 512, 10), Mask("Red Mask", 1), Mask("Green Mask", 1),
      Mask("Blue Mask", 1), None},
     "Soft glowing spots that add up where they overlap."},
    {kPoints,
     kGenerate,
     "Points",
     3,
     {P("Amount", 1, 32767, 50), P("Thickness", 1, 255, 1), Mask("Red Mask", 1),
      Mask("Green Mask", 1), Mask("Blue Mask", 1), None, None},
     "Randomly placed square dots."},
    {kLines,
     kGenerate,
     "Lines",
     3,
     {P("Amount", 1, 1024, 50), P("Angle", 0, 360, 50), P("Maximum Length", 1, 512, 40),
      P("Thickness", 1, 64, 1), Mask("Red Mask", 1), Mask("Green Mask", 1), Mask("Blue Mask", 1)},
     "Parallel straight strokes of one length at random places."},
    {kCircles,
     kGenerate,
     "Circles",
     3,
     {P("Amount", 1, 1024, 20), P("Maximum Radius", 1, 512, 50),
      P("Additional Value to Radius", 0, 512, 5), P("Thickness", 1, 64, 1), Mask("Red Mask", 1),
      Mask("Green Mask", 1), Mask("Blue Mask", 1)},
     "Circle outlines of random radius."},
    {kRectangles,
     kGenerate,
     "Rectangles",
     3,
     {P("Amount", 1, 1024, 40), P("Width", 1, 255, 50), P("Height", 1, 255, 50),
      P("Thickness", 1, 64, 1), Mask("Red Mask", 1), Mask("Green Mask", 1), Mask("Blue Mask", 1)},
     "Rectangle outlines of one size at random places."},
    {kWorms,
     kGenerate,
     "Worms",
     3,
     {P("Amount", 1, 4096, 100), P("Maximum Length", 1, 255, 128), P("Twirl", 1, 128, 5),
      P("Thickness", 1, 64, 1), Mask("Red Mask", 1), Mask("Green Mask", 1), Mask("Blue Mask", 1)},
     "Random walks that wander diagonally across the texture."},
    {kSplines,
     kGenerate,
     "Splines",
     3,
     {P("Amount", 1, 4096, 50), P("Variant", 0, 255, 128), P("Maximum Length", 1, 255, 64),
      P("Thickness", 1, 64, 1), Mask("Red Mask", 1), Mask("Green Mask", 1), Mask("Blue Mask", 1)},
     "S-shaped curves that ease from one height to another."},
    {kEnvironmentMap,
     kGenerate,
     "Enviroument Map",
     0,
     {P("Radius", 1, 255, 128), Mask("Red Mask", 0), Mask("Green Mask", 0), Mask("Blue Mask", 0),
      None, None, None},
     "Darkens the texture away from its centre, like a spot light."},
    {kNoise,
     kGenerate,
     "Noise",
     3,
     {P("Width", 1, 255, 1), P("Height", 1, 255, 1), Mask("Red Mask", 1), Mask("Green Mask", 1),
      Mask("Blue Mask", 1), P("Brightness Level", 1, 255, 128), None},
     "Blocks of random colour."},
    {kTwirl,
     kDeform,
     "Twirl",
     0,
     {P("Angle", -180, 180, 90), None, None, None, None, None, None},
     "A vortex that turns the middle of the texture."},
    {kSineDistortion,
     kDeform,
     "Sine Distortion",
     0,
     {P("X Amplitude", 1, 255, 32), P("Y Amplitude", 1, 255, 32), P("Period of X Sine", 1, 32, 1),
      P("Period of Y Sine", 1, 32, 1), P("X Phase", 1, 255, 1), P("Y Phase", 1, 255, 1), None},
     "Shifts rows and columns along sine waves."},
    {kDistortionByBuffer,
     kDeform,
     "Distortion by Buffer",
     0,
     {P("X Amplitude", 0, 255, 32), P("X Turbulence", 0, 255, 32), P("Y Amplitude", 0, 255, 32),
      P("Y Turbulence", 0, 255, 32), None, None, None},
     "Shifts every pixel by an amount picked by the buffer's brightness."},
    {kDivider,
     kDeform,
     "Divider",
     0,
     {P("Amount", 1, 32, 1), None, None, None, None, None, None},
     "Shrinks the texture and repeats it."},
    {kCarpet,
     kDeform,
     "Carpet",
     0,
     {P("X Offset", 0, 127, 0), P("Y Offset", 0, 127, 0), None, None, None, None, None},
     "Mirrors one quarter of the texture into all four."},
    {kGlass,
     kDeform,
     "Glass",
     0,
     {P("Distortion", 1, 255, 64), P("Smoothness", 0, 16, 2), None, None, None, None, None},
     "Random smoothed displacement, as seen through rippled glass."},
    {kBlur,
     kFilters,
     "Blur",
     0,
     {P("Amount", 1, 255, 1), None, None, None, None, None, None},
     "Softens the texture by repeated neighbour averaging."},
    {kUnsharpMask,
     kFilters,
     "Unsharp Mask",
     0,
     {P("Amount", 1, 1000, 1), P("Radius", 1, 50, 1), P("Threshold", 0, 255, 0), None, None, None,
      None},
     "Brightens pixels that stand out above a blurred copy."},
    {kBumpMapping,
     kFilters,
     "Bump Mapping",
     0,
     {P("Brightness", 1, 255, 128), P("Contrast", 1, 32, 1), None, None, None, None, None},
     "Lights the texture from the upper left as if its colours were heights."},
    {kMaximum,
     kFilters,
     "Maximum",
     0,
     {P("Amount", 1, 24, 1), None, None, None, None, None, None},
     "Grows bright areas."},
    {kMinimum,
     kFilters,
     "Minimum",
     0,
     {P("Amount", 1, 24, 1), None, None, None, None, None, None},
     "Grows dark areas."},
    {kMedian,
     kFilters,
     "Median",
     0,
     {None, None, None, None, None, None, None},
     "Removes single-pixel specks."},
    {kMoveToBuffer,
     kBuffer,
     "Move to Buffer",
     0,
     {None, None, None, None, None, None, None},
     "Copies the texture into the buffer."},
    {kClearTexture,
     kBuffer,
     "Clear Texture",
     0,
     {None, None, None, None, None, None, None},
     "Makes the texture black."},
    {kConnectBuffer,
     kBuffer,
     "Connect Buffer",
     1,
     {None, None, None, None, None, None, None},
     "Blends the buffer back into the texture."},
    {kGammaCorrection,
     kAdjust,
     "Gamma Correction",
     0,
     {P("Percents", 1, 300, 100), None, None, None, None, None, None},
     "Darkens (above 100) or lightens (below 100) the middle tones."},
    {kBrightness,
     kAdjust,
     "Brightness",
     0,
     {P("Red in Percents", 0, 1000, 100), P("Green in Percents", 0, 1000, 100),
      P("Blue in Percents", 0, 1000, 100), None, None, None, None},
     "Scales each colour channel by its own percentage."},
    {kInversion,
     kAdjust,
     "Inversion",
     0,
     {None, None, None, None, None, None, None},
     "Turns the texture into its negative."},
    {kContrast,
     kAdjust,
     "Contrast",
     0,
     {P("Percents", 0, 500, 100), None, None, None, None, None, None},
     "Spreads colours away from (or pulls them toward) middle grey."},
    {kHsv,
     kAdjust,
     "HSV",
     0,
     {P("Hue", 0, 360, 180), P("Saturation", 0, 200, 100), P("Value", 0, 200, 100), None, None,
      None, None},
     "Scales hue, saturation and value."},
}};

namespace {
CommandInfo recordOf(const CommandDecl& d) {
  CommandInfo r;
  r.category = d.category;
  r.code = d.code;
  r.name = d.name;
  r.layerFlags = d.layerFlags;
  for (int k = 0; k < kParamCount; ++k) {
    const ParamDecl& p = d.params[static_cast<std::size_t>(k)];
    r.paramLabel[k] = p.label;
    r.minValue[k] = p.minValue;
    r.maxValue[k] = p.maxValue;
    r.defaultValue[k] = p.defaultValue;
  }
  return r;
}
}  // namespace

void CommandCatalogue::build() {
  for (int i = 0; i < kCommandCount; ++i)
    records_[static_cast<std::size_t>(i)] = recordOf(kCommandTable[static_cast<std::size_t>(i)]);
}

std::optional<int> CommandCatalogue::indexOfName(std::string_view text) const {
  for (int i = 0; i < kCommandCount; ++i)
    if (records_[static_cast<std::size_t>(i)].name == text) return i;
  return std::nullopt;
}

std::optional<int> CommandCatalogue::indexOfCode(CommandCode code) const {
  for (int i = 0; i < kCommandCount; ++i)
    if (records_[static_cast<std::size_t>(i)].code == code) return i;
  return std::nullopt;
}

std::optional<int> catalogueIndexOfCode(CommandCode code) {
  for (int i = 0; i < kCommandCount; ++i)
    if (kCommandTable[static_cast<std::size_t>(i)].code == code) return i;
  return std::nullopt;
}

namespace {
// The three commands whose limits depend on the texture size.
void applySizeLimits(CommandInfo& r, int width, int height) {
  switch (r.code) {
    case kEnvironmentMap:  // "Radius" up to the width
      r.maxValue[0] = width;
      r.defaultValue[0] = width / 2;
      break;
    case kCarpet:  // the mirrored block must lie inside the texture
      r.maxValue[0] = width / 2 - 1;
      r.maxValue[1] = height / 2 - 1;
      break;
    case kPerlinNoise:  // at least two cells across and down
      r.maxValue[1] = width / 2;
      r.defaultValue[1] = width / 4;
      r.maxValue[2] = height / 2;
      r.defaultValue[2] = height / 4;
      break;
    default:
      break;
  }
}
}  // namespace

void CommandCatalogue::adjustForSize(int index, int width, int height) {
  applySizeLimits(records_[static_cast<std::size_t>(index)], width, height);
}

CommandInfo commandInfoForSize(int index, int width, int height) {
  CommandInfo r = recordOf(kCommandTable[static_cast<std::size_t>(index)]);
  applySizeLimits(r, width, height);
  return r;
}

std::string_view CommandCatalogue::categoryName(int category) {
  return kCategoryNames[static_cast<std::size_t>(category)];
}
int CommandCatalogue::categorySize(int category) {
  return kCategorySizes[static_cast<std::size_t>(category)];
}
std::string_view CommandCatalogue::blendMethodName(int method) {
  return kBlendMethodNames[static_cast<std::size_t>(method)];
}

}  // namespace mottler
