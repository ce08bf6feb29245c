// The declarations of the commands, grouped by family.  Each one is the
// whole command: its code, category, name, entry options, its parameters in
// slot order (named by the Param enum, so a procedure reads p[Radius], not
// p[1]), the example program the help pages show and the heaviest settings
// the benchmarks time, its procedure `run` (in the family's source file) and
// its reference version (the same rule written literally, per pixel and
// channel, in engine/reference/).  kCommandTable at the end lists them in
// tree order; their number, the category sizes, the dispatch, the panel's
// records, the help pages, the benchmarks and the tests that go over every
// command all follow from that list.
//
// Adding a command touches five places in three files:
//   1. here: its stable code in the Code enum, the next number, just before
//      kCodeEnd (the number program files store; never reused);
//   2. here: its declaration, beside the others of its family;
//   3. here: its place in kCommandTable, which is its place in the tree;
//   4. the family's source file: its procedure `run`;
//   5. engine/reference/: its reference version `reference`.
// A code without its place in kCommandTable, or a place without a new
// code, does not compile.  Its tests of its own rule go beside those of its
// family; every test, help page and benchmark that goes over all commands
// picks it up.
//
// Procedures are called through the executor, which brings every parameter
// into its range first (ParamDecl::inRange); they rely on that and guard
// nothing themselves.
#pragma once

#include <array>
#include <string_view>

#include "engine/command_decl.h"

namespace mottler {

// The stable command codes.  They are what program files store, so a number,
// once given, never changes; the catalogue index (tree order) is another
// numbering.
enum Code : CommandCode {
  kPlasma = 1,
  kBlobs = 2,
  kLines = 3,
  kCircles = 4,
  kRectangles = 5,
  kWorms = 6,
  kEnvironmentMap = 7,
  kNoise = 8,
  kTwirl = 9,
  kSineDistortion = 10,
  kDistortionByBuffer = 11,
  kDivider = 12,
  kCarpet = 13,
  kSinePlasma = 14,
  kPoints = 15,
  kBlur = 16,
  kUnsharpMask = 17,
  kBumpMapping = 18,
  kMoveToBuffer = 19,
  kClearTexture = 20,
  kConnectBuffer = 21,
  kBrightness = 22,
  kInversion = 23,
  kContrast = 24,
  kHsv = 25,
  kGammaCorrection = 26,
  kGlass = 27,
  kMedian = 28,
  kMaximum = 29,
  kMinimum = 30,
  kPerlinNoise = 31,
  kSplines = 32,
  // One past the last code.  A new command takes the number before it.
  kCodeEnd,
};

// Pieces of the help pages' example programs, in text form.
namespace example {
// A warm, structured texture for the commands that change a texture: a
// rough plasma at twice its heights, which stop at 127.
inline constexpr std::string_view kWarmPlasma =
    "Plasma: 0 60 127 255 160 60\nBrightness: 200 200 200\n";
// Shapes added on top, for the deformations and the filters to work on.
inline constexpr std::string_view kCirclesOnTop = "Circles: 24 30 5 3 120 200 255 method=Add\n";
inline constexpr std::string_view kWormsOnTop = "Worms: 60 128 5 2 255 255 255 method=Add\n";
}  // namespace example

// ------------------------------------------------ generators_fields.cpp ---

struct Plasma {
  enum Param { Variant, Roughness, MaximumHeight, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kPlasma,
      .category = kGenerate,
      .name = "Plasma",
      .layerFlags = LayerBlended,
      .params =
          {
              param("Variant", Unit::Pattern, 0, 32767, 0),
              param("Roughness", Unit::Factor, 0, 255, 20),
              param("Maximum Height", Unit::ColourLevel, 1, 127, 127),
              mask("Red Mask", 0),
              mask("Green Mask", 0),
              mask("Blue Mask", 0),
          },
      .example = {.settings = "0 60", .after = "Brightness: 200 200 200\n"},
      .heaviest = "0 255 127",
      .run = run,
      .reference = reference,
      .summary = "Cloudy fractal heights made by midpoint subdivision, tinted by the three masks.",
      .scaleRule =
          "The subdivision runs over the whole scaled texture; each edge's random displacement is "
          "measured in pixels of the design (the edge length divided by the scale).  Edges of at "
          "most two design pixels displace twice as widely (about the design's mean on its last "
          "step, about zero on the finer steps the design does not have), and the heights are laid "
          "half a design pixel off, so that each design pixel's block varies from its neighbours "
          "as much as the design's pixels do, also at a high Roughness."};
};

struct SinePlasma {
  enum Param { XPeriod, YPeriod, XCoefficient, YCoefficient, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kSinePlasma,
      .category = kGenerate,
      .name = "Sine Plasma",
      .layerFlags = LayerBlended,
      .params =
          {
              param("Period of X Sine", Unit::Period, 1, 32, 1),
              param("Period of Y Sine", Unit::Period, 1, 32, 1),
              param("X Sine Coefficient", Unit::ColourLevel, 0, 255, 128),
              param("Y Sine Coefficient", Unit::ColourLevel, 0, 255, 128),
              mask("Red Mask", 0),
              mask("Green Mask", 0),
              mask("Blue Mask", 0),
          },
      .example = {.settings = "2 3"},
      .heaviest = "32 32 255 255",
      .run = run,
      .reference = reference,
      .summary = "Smooth waves: a horizontal sine plus a vertical cosine."};
};

struct PerlinNoise {
  enum Param { Variant, Width, Height, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kPerlinNoise,
      .category = kGenerate,
      .name = "Perlin Noise",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Variant", Unit::Pattern, 0, 32767, 0),
              // At least two cells across and down.
              param("Width", Unit::Pixels, 4, 128, 128)
                  .followingSize({.side = Side::Width, .maxDivisor = 2, .defaultDivisor = 4}),
              param("Height", Unit::Pixels, 4, 128, 128)
                  .followingSize({.side = Side::Height, .maxDivisor = 2, .defaultDivisor = 4}),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {},
      .heaviest = "0 4 4",
      .run = run,
      .reference = reference,
      .summary = "Soft random colour blotches interpolated over a lattice of cells."};
};

struct Noise {
  enum Param { Width, Height, RedMask, GreenMask, BlueMask, BrightnessLevel };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kNoise,
      .category = kGenerate,
      .name = "Noise",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Width", Unit::Pixels, 1, 255, 1),
              param("Height", Unit::Pixels, 1, 255, 1),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
              param("Brightness Level", Unit::ColourLevel, 1, 255, 128),
          },
      .example = {.settings = "4 4"},
      .heaviest = "1 1",
      .run = run,
      .reference = reference,
      .summary = "Blocks of random colour."};
};

struct EnvironmentMap {
  enum Param { Radius, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kEnvironmentMap,
      .category = kGenerate,
      .name = "Enviroument Map",
      .layerFlags = 0,
      .params =
          {// Up to the width, half of it by default.
           param("Radius", Unit::Pixels, 1, 255, 128)
               .followingSize({.side = Side::Width, .maxDivisor = 1, .defaultDivisor = 2}),
           mask("Red Mask", 0), mask("Green Mask", 0), mask("Blue Mask", 0)},
      .example = {.texture = example::kWarmPlasma},
      .heaviest = "256",
      .run = run,
      .reference = reference,
      .summary = "Darkens the texture away from its centre, like a spot light.",
      .scaleRule =
          "Radius grows with the scale like every length, and the fall-off is computed from the "
          "distance in pixels of the design (the distance divided by the scale)."};
};

// ------------------------------------------------ generators_shapes.cpp ---

struct Blobs {
  enum Param { Amount, MaximumRadius, AdditionalRadius, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kBlobs,
      .category = kGenerate,
      .name = "Blobs",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Amount", Unit::CountPerArea, 1, 1024, 30),
              param("Maximum Radius", Unit::Pixels, 1, 512, 30),
              param("Additional Value to Radius", Unit::Pixels, 0, 512, 10),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {.settings = "60 50 20"},
      .heaviest = "1024 512 512",
      .run = run,
      .reference = reference,
      .summary = "Soft glowing spots that add up where they overlap.",
      .scaleRule =
          "Positions are rounded down to a multiple of the scale, so shapes lie on the design's "
          "pixel grid; sizes and thicknesses grow with the scale like every length."};
};

struct Points {
  enum Param { Amount, Thickness, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kPoints,
      .category = kGenerate,
      .name = "Points",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Amount", Unit::CountPerArea, 1, 32767, 50),
              param("Thickness", Unit::Pixels, 1, 255, 1),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {.settings = "400 2"},
      .heaviest = "32767 255",
      .run = run,
      .reference = reference,
      .summary = "Randomly placed square dots.",
      .scaleRule =
          "Positions are rounded down to a multiple of the scale, so shapes lie on the design's "
          "pixel grid; sizes and thicknesses grow with the scale like every length."};
};

struct Lines {
  enum Param { Amount, Angle, MaximumLength, Thickness, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kLines,
      .category = kGenerate,
      .name = "Lines",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Amount", Unit::CountPerArea, 1, 1024, 50),
              param("Angle", Unit::Angle, 0, 360, 50),
              param("Maximum Length", Unit::Pixels, 1, 512, 40),
              param("Thickness", Unit::Pixels, 1, 64, 1),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {},
      .heaviest = "1024 45 512 64",
      .run = run,
      .reference = reference,
      .summary = "Parallel straight strokes of one length at random places.",
      .scaleRule =
          "Each line is drawn on the design's pixel grid: its start is rounded down to a "
          "multiple of the scale, it is worked out in design pixels with the design's length and "
          "thickness, and every design pixel it covers becomes a square of scale by scale pixels. "
          "This way a stroke one design pixel wide keeps the design's crisp edges and covers the "
          "same share of the texture; drawn finer, its edges would cross the design's pixels and "
          "the texture would look softer and lower in contrast than the design."};
};

struct Circles {
  enum Param { Amount, MaximumRadius, AdditionalRadius, Thickness, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kCircles,
      .category = kGenerate,
      .name = "Circles",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Amount", Unit::CountPerArea, 1, 1024, 20),
              param("Maximum Radius", Unit::Pixels, 1, 512, 50),
              param("Additional Value to Radius", Unit::Pixels, 0, 512, 5),
              param("Thickness", Unit::Pixels, 1, 64, 1),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {},
      .heaviest = "1024 512 512 64",
      .run = run,
      .reference = reference,
      .summary = "Circle outlines of random radius.",
      .scaleRule =
          "Each circle is drawn on the design's pixel grid: its centre is rounded down to a "
          "multiple of the scale and its radius, drawn at the scale, to whole design pixels; it is "
          "worked out in design pixels with the design's thickness, and every design pixel it "
          "covers becomes a square of scale by scale pixels. This way a stroke one design pixel "
          "wide keeps the design's crisp edges and covers the same share of the texture; drawn "
          "finer, its edges would cross the design's pixels and the texture would look softer and "
          "lower in contrast than the design."};
};

struct Rectangles {
  enum Param { Amount, Width, Height, Thickness, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kRectangles,
      .category = kGenerate,
      .name = "Rectangles",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Amount", Unit::CountPerArea, 1, 1024, 40),
              param("Width", Unit::Pixels, 1, 255, 50),
              param("Height", Unit::Pixels, 1, 255, 50),
              param("Thickness", Unit::Pixels, 1, 64, 1),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {.settings = "30 30 20 2"},
      .heaviest = "1024 255 255 64",
      .run = run,
      .reference = reference,
      .summary = "Rectangle outlines of one size at random places.",
      .scaleRule =
          "Each rectangle is drawn on the design's pixel grid: its corner is rounded down to a "
          "multiple of the scale, it is worked out in design pixels with the design's width, "
          "height and thickness, and every design pixel it covers becomes a square of scale by "
          "scale pixels, the far corner left out as in the design."};
};

struct Worms {
  enum Param { Amount, MaximumLength, Twirl, Thickness, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kWorms,
      .category = kGenerate,
      .name = "Worms",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Amount", Unit::CountPerArea, 1, 4096, 100),
              param("Maximum Length", Unit::Pixels, 1, 255, 128),
              param("Twirl", Unit::Factor, 1, 128, 5),
              param("Thickness", Unit::Pixels, 1, 64, 1),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {},
      .heaviest = "4096 255 128 64",
      .run = run,
      .reference = reference,
      .summary = "Random walks that wander diagonally across the texture.",
      .scaleRule =
          "Each worm walks on the design's pixel grid: its start is rounded down to a multiple "
          "of the scale, it takes the design's steps of one design pixel with the design's "
          "thickness, and every design pixel it covers becomes a square of scale by scale pixels. "
          "A worm of the same number of turns is thus scale times as long and as wiggly, its "
          "stamps meeting corner to corner as the design's do; drawn finer, the walk would lose "
          "the checkered grain the design shows."};
};

struct Splines {
  enum Param { Amount, Variant, MaximumLength, Thickness, RedMask, GreenMask, BlueMask };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kSplines,
      .category = kGenerate,
      .name = "Splines",
      .layerFlags = LayerBlended | LayerFixedColors,
      .params =
          {
              param("Amount", Unit::CountPerArea, 1, 4096, 50),
              // Turns both angles by Variant - 128 degrees.
              param("Variant", Unit::Angle, 0, 255, 128),
              param("Maximum Length", Unit::Pixels, 1, 255, 64),
              param("Thickness", Unit::Pixels, 1, 64, 1),
              mask("Red Mask", 1),
              mask("Green Mask", 1),
              mask("Blue Mask", 1),
          },
      .example = {},
      .heaviest = "4096 128 255 64",
      .run = run,
      .reference = reference,
      .summary = "S-shaped curves that ease from one height to another.",
      .scaleRule =
          "Each curve is drawn on the design's pixel grid: its start is rounded down to a "
          "multiple of the scale, it is worked out in design pixels with the design's length and "
          "thickness, and every design pixel it covers becomes a square of scale by scale pixels. "
          "This way a stroke one design pixel wide keeps the design's crisp edges and covers the "
          "same share of the texture; drawn finer, its edges would cross the design's pixels and "
          "the texture would look softer and lower in contrast than the design."};
};

// ------------------------------------------------------ deformations.cpp ---

struct Twirl {
  enum Param { Angle };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kTwirl,
      .category = kDeform,
      .name = "Twirl",
      .layerFlags = 0,
      .params =
          {
              param("Angle", Unit::Angle, -180, 180, 90),
          },
      .example = {.texture = example::kWarmPlasma, .setUp = example::kCirclesOnTop},
      .heaviest = "180",
      .run = run,
      .reference = reference,
      .summary = "A vortex that turns the middle of the texture.",
      .scaleRule =
          "Every pixel turns by the same rule at the scaled size, except where the design reads "
          "neighbouring pixels from pixels that are not neighbours (in the fast-turning middle): "
          "there each design pixel's block of scale x scale pixels is moved whole from the place "
          "the design reads, so the middle keeps the design's pixel-sized swirl of detail."};
};

struct SineDistortion {
  enum Param { XAmplitude, YAmplitude, XPeriod, YPeriod, XPhase, YPhase };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kSineDistortion,
      .category = kDeform,
      .name = "Sine Distortion",
      .layerFlags = 0,
      .params =
          {
              param("X Amplitude", Unit::Pixels, 1, 255, 32),
              param("Y Amplitude", Unit::Pixels, 1, 255, 32),
              param("Period of X Sine", Unit::Period, 1, 32, 1),
              param("Period of Y Sine", Unit::Period, 1, 32, 1),
              param("X Phase", Unit::Pixels, 1, 255, 1),
              param("Y Phase", Unit::Pixels, 1, 255, 1),
          },
      .example = {.texture = example::kWarmPlasma,
                  .setUp = example::kCirclesOnTop,
                  .settings = "8 8 2 2"},
      .heaviest = "255 255 32 32 255 255",
      .run = run,
      .reference = reference,
      .summary = "Shifts rows and columns along sine waves.",
      .scaleRule =
          "Every pixel shifts by the same rule at the scaled size, except where the design reads "
          "neighbouring pixels from pixels that are not neighbours (where the waves are steep): "
          "there each design pixel's block of scale x scale pixels is moved whole from the place "
          "the design reads, so the design's pixel-sized breaks stay.  A shifted position is "
          "rounded down (the design size truncates toward zero), so that the last and the first "
          "row and column read neighbouring pixels and the texture tiles."};
};

struct DistortionByBuffer {
  enum Param { XAmplitude, XTurbulence, YAmplitude, YTurbulence };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kDistortionByBuffer,
      .category = kDeform,
      .name = "Distortion by Buffer",
      .layerFlags = 0,
      .params =
          {
              param("X Amplitude", Unit::Pixels, 0, 255, 32),
              param("X Turbulence", Unit::Factor, 0, 255, 32),
              param("Y Amplitude", Unit::Pixels, 0, 255, 32),
              param("Y Turbulence", Unit::Factor, 0, 255, 32),
          },
      .example = {.setUp = "Plasma: 5 40\nMove to Buffer:\nClear Texture:\n"
                           "Circles: 24 30 5 3 120 200 255\n"},
      .heaviest = "255 255 255 255",
      .run = run,
      .reference = reference,
      .summary = "Shifts every pixel by an amount picked by the buffer's brightness.",
      .scaleRule =
          "The shift is worked out per design pixel, from the mean brightness of its block of "
          "scale x scale pixels in the buffer, and multiplied by the scale.  Where the design "
          "reads neighbouring pixels from pixels that are not neighbours, the block is moved "
          "whole by that shift; elsewhere the shifts of the nearest design pixels are read "
          "between them for every pixel."};
};

struct Divider {
  enum Param { Amount };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{.code = kDivider,
                                           .category = kDeform,
                                           .name = "Divider",
                                           .layerFlags = 0,
                                           .params =
                                               {
                                                   param("Amount", Unit::Count, 1, 32, 1),
                                               },
                                           .example = {.texture = example::kWarmPlasma,
                                                       .setUp = example::kCirclesOnTop,
                                                       .settings = "2"},
                                           .heaviest = "32",
                                           .run = run,
                                           .reference = reference,
                                           .summary = "Shrinks the texture and repeats it.",
                                           .scaleRule =
                                               "The design's pixels are moved whole: each block of "
                                               "scale x scale pixels is taken from the block of "
                                               "the design pixel that the design reads, so the "
                                               "copies keep the design's pixel-sized detail."};
};

struct Carpet {
  enum Param { XOffset, YOffset };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kCarpet,
      .category = kDeform,
      .name = "Carpet",
      .layerFlags = 0,
      .params =
          {// The mirrored block must lie inside the texture.
           param("X Offset", Unit::Pixels, 0, 127, 0)
               .followingSize({.side = Side::Width, .maxDivisor = 2, .maxLess = 1}),
           param("Y Offset", Unit::Pixels, 0, 127, 0)
               .followingSize({.side = Side::Height, .maxDivisor = 2, .maxLess = 1})},
      .example = {.texture = example::kWarmPlasma,
                  .setUp = example::kCirclesOnTop,
                  .settings = "10 20"},
      .heaviest = "127 127",
      .run = run,
      .reference = reference,
      .summary = "Mirrors one quarter of the texture into all four."};
};

struct Glass {
  enum Param { Distortion, Smoothness };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kGlass,
      .category = kDeform,
      .name = "Glass",
      .layerFlags = 0,
      .params =
          {
              param("Distortion", Unit::Pixels, 1, 255, 64),
              param("Smoothness", Unit::Passes, 0, 16, 2),
          },
      .example = {.texture = example::kWarmPlasma, .setUp = example::kCirclesOnTop},
      .heaviest = "255 16",
      .run = run,
      .reference = reference,
      .summary = "Random smoothed displacement, as seen through rippled glass.",
      .scaleRule =
          "The displacement fields are drawn and smoothed at the design size (two draws per design "
          "pixel) and multiplied by the scale.  Where the design reads neighbouring pixels from "
          "pixels that are not neighbours (rough glass), each design pixel's block of scale x "
          "scale pixels is moved whole by its displacement, so the glass keeps the design's grain; "
          "elsewhere the fields are read between their points bilinearly for every pixel."};
};

// ----------------------------------------------------------- filters.cpp ---

struct Blur {
  enum Param { Amount };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kBlur,
      .category = kFilters,
      .name = "Blur",
      .layerFlags = 0,
      .params =
          {
              param("Amount", Unit::Passes, 1, 255, 1),
          },
      .example = {.texture = example::kWarmPlasma, .setUp = example::kWormsOnTop, .settings = "3"},
      .heaviest = "255",
      .run = run,
      .reference = reference,
      .summary = "Softens the texture by repeated neighbour averaging.",
      .scaleRule =
          "The whole texture is smoothed by three box averages across and three down, wrapped, "
          "that spread each pixel as far as the design's passes do, scale times the distance (a "
          "variance of 11/12 of a design pixel squared a pass, less 1/4), and darken it as much "
          "as they do (3/4 of a level a pass)."};
};

struct UnsharpMask {
  enum Param { Amount, Radius, Threshold };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kUnsharpMask,
      .category = kFilters,
      .name = "Unsharp Mask",
      .layerFlags = 0,
      .params =
          {
              param("Amount", Unit::Percent, 1, 1000, 1),
              param("Radius", Unit::Passes, 1, 50, 1),
              param("Threshold", Unit::ColourLevel, 0, 255, 0),
          },
      .example = {.texture = example::kWarmPlasma,
                  .setUp = example::kWormsOnTop,
                  .settings = "300 3 0"},
      .heaviest = "1000 50 0",
      .run = run,
      .reference = reference,
      .summary = "Brightens pixels that stand out above a blurred copy.",
      .scaleRule =
          "The blurred copy is the texture smoothed by three box averages across and three down, "
          "wrapped, as far as the design's blur passes reach, scale times the distance (a variance "
          "of 8/9 of a design pixel squared a pass), and 7/9 of a level darker a pass, as they "
          "are; pixels are lifted above it as at the design size."};
};

struct BumpMapping {
  enum Param { Brightness, Contrast };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kBumpMapping,
      .category = kFilters,
      .name = "Bump Mapping",
      .layerFlags = 0,
      .params =
          {
              param("Brightness", Unit::ColourLevel, 1, 255, 128),
              param("Contrast", Unit::Factor, 1, 32, 1),
          },
      .example = {.texture = example::kWarmPlasma},
      .heaviest = "255 32",
      .run = run,
      .reference = reference,
      .summary = "Lights the texture from the upper left as if its colours were heights.",
      .scaleRule =
          "The design's rule runs on each of the scale x scale interleaved grids of every scale-th "
          "pixel, so slopes are taken over the distance of one design pixel."};
};

struct Maximum {
  enum Param { Amount };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kMaximum,
      .category = kFilters,
      .name = "Maximum",
      .layerFlags = 0,
      .params =
          {
              param("Amount", Unit::Passes, 1, 24, 1),
          },
      .example = {.texture = example::kWarmPlasma, .setUp = example::kWormsOnTop, .settings = "2"},
      .heaviest = "24",
      .run = run,
      .reference = reference,
      .summary = "Grows bright areas.",
      .scaleRule =
          "Scale times as many passes: each pass grows a bright area by one pixel (all "
          "of them done at once, as one diamond)."};
};

struct Minimum {
  enum Param { Amount };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kMinimum,
      .category = kFilters,
      .name = "Minimum",
      .layerFlags = 0,
      .params =
          {
              param("Amount", Unit::Passes, 1, 24, 1),
          },
      .example = {.texture = example::kWarmPlasma, .setUp = example::kWormsOnTop, .settings = "2"},
      .heaviest = "24",
      .run = run,
      .reference = reference,
      .summary = "Grows dark areas.",
      .scaleRule =
          "Scale times as many passes: each pass grows a dark area by one pixel (all of "
          "them done at once, as one diamond)."};
};

struct Median {
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kMedian,
      .category = kFilters,
      .name = "Median",
      .layerFlags = 0,
      .params = {},
      .example = {.texture = example::kWarmPlasma,
                  .setUp = "Points: 900 1 255 255 255 method=Add\n"},
      .heaviest = "",
      .run = run,
      .reference = reference,
      .summary = "Removes single-pixel specks.",
      .scaleRule =
          "The design's rule runs on each of the scale x scale interleaved grids of every scale-th "
          "pixel, so specks of one design pixel (scale x scale pixels) go."};
};

// ----------------------------------------------------- buffer_colour.cpp ---

struct MoveToBuffer {
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kMoveToBuffer,
      .category = kBuffer,
      .name = "Move to Buffer",
      .layerFlags = 0,
      .params = {},
      .example = {.texture = example::kWarmPlasma,
                  .after = "Clear Texture:\nWorms: 60 128 5 3\nConnect Buffer: method=Add\n"},
      .heaviest = "",
      .run = run,
      .reference = reference,
      .summary = "Copies the texture into the buffer."};
};

struct ClearTexture {
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kClearTexture,
      .category = kBuffer,
      .name = "Clear Texture",
      .layerFlags = 0,
      .params = {},
      .example = {.texture = example::kWarmPlasma, .after = "Worms: 60 128 5 3\n"},
      .heaviest = "",
      .run = run,
      .reference = reference,
      .summary = "Makes the texture black."};
};

struct ConnectBuffer {
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kConnectBuffer,
      .category = kBuffer,
      .name = "Connect Buffer",
      .layerFlags = LayerBlended,
      .params = {},
      .example = {.texture = example::kWarmPlasma,
                  .setUp = "Move to Buffer:\nClear Texture:\nCircles: 24 30 5 3\n",
                  .settings = "method=Multiply"},
      .heaviest = "method=Shade",
      .run = run,
      .reference = reference,
      .summary = "Blends the buffer back into the texture."};
};

struct GammaCorrection {
  enum Param { Percents };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kGammaCorrection,
      .category = kAdjustColors,
      .name = "Gamma Correction",
      .layerFlags = 0,
      .params =
          {
              param("Percents", Unit::Percent, 1, 300, 100),
          },
      .example = {.texture = example::kWarmPlasma, .settings = "50"},
      .heaviest = "300",
      .run = run,
      .reference = reference,
      .summary = "Darkens (above 100) or lightens (below 100) the middle tones."};
};

struct Brightness {
  enum Param { RedPercents, GreenPercents, BluePercents };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kBrightness,
      .category = kAdjustColors,
      .name = "Brightness",
      .layerFlags = 0,
      .params =
          {
              param("Red in Percents", Unit::Percent, 0, 1000, 100),
              param("Green in Percents", Unit::Percent, 0, 1000, 100),
              param("Blue in Percents", Unit::Percent, 0, 1000, 100),
          },
      .example = {.texture = example::kWarmPlasma, .settings = "60 120 180"},
      .heaviest = "1000 1000 1000",
      .run = run,
      .reference = reference,
      .summary = "Scales each colour channel by its own percentage."};
};

struct Inversion {
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{.code = kInversion,
                                           .category = kAdjustColors,
                                           .name = "Inversion",
                                           .layerFlags = 0,
                                           .params = {},
                                           .example = {.texture = example::kWarmPlasma},
                                           .heaviest = "",
                                           .run = run,
                                           .reference = reference,
                                           .summary = "Turns the texture into its negative."};
};

struct Contrast {
  enum Param { Percents };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kContrast,
      .category = kAdjustColors,
      .name = "Contrast",
      .layerFlags = 0,
      .params =
          {
              param("Percents", Unit::Percent, 0, 500, 100),
          },
      .example = {.texture = example::kWarmPlasma, .settings = "250"},
      .heaviest = "500",
      .run = run,
      .reference = reference,
      .summary = "Spreads colours away from (or pulls them toward) middle grey."};
};

struct Hsv {
  enum Param { Hue, Saturation, Value };
  static void run(TextureEngine& e, const ProgramEntry& entry);
  static void reference(TextureEngine& e, const ProgramEntry& entry);
  static constexpr CommandDecl declaration{
      .code = kHsv,
      .category = kAdjustColors,
      .name = "HSV",
      .layerFlags = 0,
      .params =
          {// 180 keeps every hue; lower values pull hues toward 0, higher ones stretch them.
           param("Hue", Unit::Factor, 0, 360, 180), param("Saturation", Unit::Percent, 0, 200, 100),
           param("Value", Unit::Percent, 0, 200, 100)},
      .example = {.texture = example::kWarmPlasma, .settings = "90 150 100"},
      .heaviest = "360 200 200",
      .run = run,
      .reference = reference,
      .summary = "Scales hue, saturation and value."};
};

// The declarations in catalogue-index order, which is tree order:
// categories in order, commands in their order within a category.
inline constexpr std::array kCommandTable = {
    Plasma::declaration,
    SinePlasma::declaration,
    PerlinNoise::declaration,
    Blobs::declaration,
    Points::declaration,
    Lines::declaration,
    Circles::declaration,
    Rectangles::declaration,
    Worms::declaration,
    Splines::declaration,
    EnvironmentMap::declaration,
    Noise::declaration,
    Twirl::declaration,
    SineDistortion::declaration,
    DistortionByBuffer::declaration,
    Divider::declaration,
    Carpet::declaration,
    Glass::declaration,
    Blur::declaration,
    UnsharpMask::declaration,
    BumpMapping::declaration,
    Maximum::declaration,
    Minimum::declaration,
    Median::declaration,
    MoveToBuffer::declaration,
    ClearTexture::declaration,
    ConnectBuffer::declaration,
    GammaCorrection::declaration,
    Brightness::declaration,
    Inversion::declaration,
    Contrast::declaration,
    Hsv::declaration,
};

// How many commands there are.
inline constexpr int kCommandCount = static_cast<int>(kCommandTable.size());

// The catalogue checks that the listed codes are 1..kCommandCount, each
// once; so every code of the enum is listed exactly when this holds.
static_assert(kCodeEnd == kCommandCount + 1, "a command code is missing from kCommandTable");

}  // namespace mottler
