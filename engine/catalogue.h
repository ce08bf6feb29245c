// The command catalogue: the 32 commands a program can contain.
//
// Every command is declared exactly once, in kCommandTable (catalogue.cpp):
// its stable code, category, name, the seven parameters with their ranges and
// defaults, the entry options that apply and a one-line summary.  The command
// tree, the parameter panel, the file reader's range checks and the help pages
// all read that one declaration.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace mottler {

// Stable number of a command, stored in program entries and files. 0 = empty slot.
using CommandCode = std::uint32_t;

inline constexpr int kCommandCount = 32;
inline constexpr int kParamCount = 7;
inline constexpr int kCategoryCount = 5;
inline constexpr int kBlendMethodCount = 10;

// Command codes, named for readability in the executor and the tests.
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
};

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

// One parameter as declared: label ("None" for an empty slot), range, default.
struct ParamDecl {
  std::string_view label = "None";
  std::int32_t minValue = 0;
  std::int32_t maxValue = 0;
  std::int32_t defaultValue = 0;
  bool used() const { return label != "None"; }
};

// The single declaration of a command.
struct CommandDecl {
  CommandCode code;
  int category;
  std::string_view name;
  std::uint8_t layerFlags;
  std::array<ParamDecl, kParamCount> params;
  std::string_view summary;  // one sentence for the help pages
};

// The constant declarations, in catalogue-index (tree) order.
extern const std::array<CommandDecl, kCommandCount> kCommandTable;

// The record the rest of the system looks commands up in.  Some limits are
// rewritten by adjustForSize, so the catalogue holds a mutable copy.
struct CommandInfo {
  int category = 0;
  CommandCode code = 0;
  std::string_view name;
  std::array<std::string_view, kParamCount> paramLabel{};
  std::array<std::int32_t, kParamCount> maxValue{};
  std::array<std::int32_t, kParamCount> minValue{};
  std::array<std::int32_t, kParamCount> defaultValue{};
  std::uint8_t layerFlags = 0;
};

class CommandCatalogue {
 public:
  CommandCatalogue() { build(); }

  // Fills the 32 records from the constant declarations.
  void build();

  const CommandInfo& info(int index) const { return records_[static_cast<std::size_t>(index)]; }
  std::optional<int> indexOfName(std::string_view text) const;
  std::optional<int> indexOfCode(CommandCode code) const;

  // Rewrites the size-dependent limits of one command for a texture size.
  void adjustForSize(int index, int width, int height);

  static std::string_view categoryName(int category);
  static int categorySize(int category);
  static std::string_view blendMethodName(int method);

 private:
  std::array<CommandInfo, kCommandCount> records_{};
};

// The record of a command with its limits adjusted for a texture size,
// computed without touching any catalogue.
CommandInfo commandInfoForSize(int index, int width, int height);

// Catalogue index of a code, without a catalogue object.
std::optional<int> catalogueIndexOfCode(CommandCode code);

}  // namespace mottler
