// The command catalogue: the commands a program can contain.
//
// Every command is declared exactly once, in engine/commands.h: its code,
// category, name, the entry options that apply, its seven parameters (label,
// unit, range, default and, for a few, how the range follows the texture
// size), its example program and heaviest settings, its procedure, its
// reference version and a one-line summary.  commands.h also lists the
// declarations in tree order (kCommandTable), which gives their number
// (kCommandCount); the catalogue derives from them everything the rest of
// the system looks up: the records of the parameter panel, the category
// sizes, the executor's dispatch, the range rule of the executor and the
// file reader, and the help pages.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/commands.h"

namespace mottler {

// The declaration the executor runs for an entry's code: dispatch is on the
// low byte; nullptr when no command has it.
const CommandDecl* commandToRun(CommandCode code);

// Brings every used parameter into its range at a texture size
// (ParamDecl::inRange).  The executor applies it to every entry it runs, and
// the program file reader to every entry it reads.
void bringIntoRange(const CommandDecl& command, std::array<std::int32_t, kParamCount>& params,
                    int width, int height);

// Carries parameters brought into range at the design size over to a scale:
// every used parameter in pixels is multiplied by the scale.
void scaleParameters(const CommandDecl& command, std::array<std::int32_t, kParamCount>& params,
                     int scale);

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

  // Whether parameter slot k is in use (the same test as ParamDecl::used).
  bool used(int k) const { return paramLabel[static_cast<std::size_t>(k)] != kUnusedLabel; }
};

class CommandCatalogue {
 public:
  CommandCatalogue() { build(); }

  // Fills the records from the declarations.
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
