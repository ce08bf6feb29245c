// What a command's declaration is made of: its stable code, category, entry
// options, parameters (label, unit, range, default, size rule), example
// program, heaviest settings, procedures, summary and scale rule.  The
// declarations themselves are in engine/commands.h, the catalogue that
// derives everything else from them in engine/catalogue.h.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace mottler {

struct ProgramEntry;
class TextureEngine;

// Stable number of a command, stored in program entries and files. 0 = empty slot.
using CommandCode = std::uint32_t;

inline constexpr int kParamCount = 7;
inline constexpr int kCategoryCount = 5;
inline constexpr int kBlendMethodCount = 10;

// Categories in tree order.
enum Category : int { kGenerate, kDeform, kFilters, kBuffer, kAdjustColors };

// layerFlags bits.
inline constexpr std::uint8_t LayerBlended = 1;      // blend method and X/Y offsets apply
inline constexpr std::uint8_t LayerFixedColors = 2;  // "Fixed Colors" applies

// Blend methods, index stored in ProgramEntry::method.
enum BlendMethod : int {
  Middle = 0,    // (a + b) / 2
  Add = 1,       // min(a + b, 255)
  Subtract = 2,  // max(a - b, 0), layer minus texture
  Xor = 3,       // a ^ b
  And = 4,       // a & b
  Or = 5,        // a | b
  Multiply = 6,  // (a * b) / 256
  Shade = 7,     // ShadeTable[a * 256 + b]
  Lighten = 8,   // max(a, b)
  Darken = 9,    // min(a, b)
};

// What a parameter's number measures.  The help shows it, and a run at a
// scale s (TextureEngine::setScaledSize) carries a value over through it:
// pixels are multiplied by s, every other unit stays as it is (a count of
// shapes too: every shape grows with s, so the same count covers the same
// share of the texture).
enum class Unit : std::uint8_t {
  None,          // an empty slot
  Pixels,        // a length, size, distance or position in pixels
  Count,         // how many of something
  CountPerArea,  // how many over the whole texture: more on a larger one
  Angle,         // an angle
  Percent,       // a percentage, 100 = as it is
  ColourLevel,   // a colour channel value 0..255
  Period,        // whole waves across the texture
  Passes,        // how often a step is repeated
  Pattern,       // picks one of the random patterns
  Factor,        // a plain multiplier
};

// The unit as the help names it ("pixels", "colour level", ...).
std::string_view unitName(Unit unit);

// The label of an empty parameter slot.
inline constexpr std::string_view kUnusedLabel = "None";

// A range that follows the texture size: maximum = side / maxDivisor -
// maxLess and, unless defaultDivisor is 0, default = side / defaultDivisor
// (integer divisions).  The minimum never changes.
enum class Side : std::uint8_t { None, Width, Height };
struct SizeRule {
  Side side = Side::None;
  int maxDivisor = 1;
  int maxLess = 0;
  int defaultDivisor = 0;
};

// Minimum, maximum and default of a parameter at one texture size.
struct ParamLimits {
  std::int32_t minValue = 0;
  std::int32_t maxValue = 0;
  std::int32_t defaultValue = 0;
};

// One parameter slot as declared.
struct ParamDecl {
  std::string_view label = kUnusedLabel;
  Unit unit = Unit::None;
  std::int32_t minValue = 0;
  std::int32_t maxValue = 0;
  std::int32_t defaultValue = 0;
  SizeRule sizeRule{};

  // The one test of whether a slot is in use.
  constexpr bool used() const { return label != kUnusedLabel; }

  // The same parameter with a range that follows the texture size.
  constexpr ParamDecl followingSize(SizeRule rule) const {
    ParamDecl p = *this;
    p.sizeRule = rule;
    return p;
  }

  constexpr ParamLimits limitsAt(int width, int height) const {
    ParamLimits limits{minValue, maxValue, defaultValue};
    if (sizeRule.side == Side::None) return limits;
    const int side = sizeRule.side == Side::Width ? width : height;
    limits.maxValue = side / sizeRule.maxDivisor - sizeRule.maxLess;
    if (sizeRule.defaultDivisor != 0) limits.defaultValue = side / sizeRule.defaultDivisor;
    return limits;
  }

  // The range rule: a value is brought to the nearest end of the range at
  // the texture size; where a small size pushes the maximum below the
  // minimum, the minimum wins, so that divisors stay positive.
  constexpr std::int32_t inRange(std::int32_t value, int width, int height) const {
    const ParamLimits limits = limitsAt(width, height);
    return std::max(limits.minValue, std::min(value, limits.maxValue));
  }
};

constexpr ParamDecl param(std::string_view label, Unit unit, std::int32_t minValue,
                          std::int32_t maxValue, std::int32_t defaultValue) {
  return ParamDecl{label, unit, minValue, maxValue, defaultValue, {}};
}
// A colour mask: a colour level from the given minimum to 255, default 255.
constexpr ParamDecl mask(std::string_view label, std::int32_t minValue) {
  return param(label, Unit::ColourLevel, minValue, 255, 255);
}

// What a command does with a program entry (its parameters already in range).
using CommandProcedure = void (*)(TextureEngine&, const ProgramEntry&);

// How the help pages show a command at work, in the text form of programs:
// the program it works on (`texture`, then `setUp`; both empty when the
// command draws on its own), the command's own settings after its name
// (empty: its defaults) and what follows it.
struct ExampleProgram {
  std::string_view texture = {};
  std::string_view setUp = {};
  std::string_view settings = {};
  std::string_view after = {};
};

// The single declaration of a command.
struct CommandDecl {
  CommandCode code;
  int category;
  std::string_view name;
  std::uint8_t layerFlags;
  std::array<ParamDecl, kParamCount> params;
  ExampleProgram example;  // how the help pages show it at work
  // Its most expensive settings in the text form of an entry, after the
  // name ("0 255 127"; empty: none beyond the defaults); the benchmarks time
  // the command with them.
  std::string_view heaviest;
  CommandProcedure run;        // the procedure a run uses
  CommandProcedure reference;  // the same rule written literally (engine/reference/)
  std::string_view summary;    // one sentence for the help pages
  // How the command keeps its look at a scale s above 1 beyond what its
  // parameters' units do; empty when the units say it all.  The help shows it.
  std::string_view scaleRule = {};
};

}  // namespace mottler
