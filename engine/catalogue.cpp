#include "engine/catalogue.h"

namespace mottler {

namespace {

constexpr std::array<std::string_view, kCategoryCount> kCategoryNames = {
    "Generate", "Deform", "Filters", "Buffer", "Adjust Colors"};
constexpr std::array<std::string_view, kBlendMethodCount> kBlendMethodNames = {
    "Middle", "Add", "Subtract", "Xor", "And", "Or", "Multiply", "Shade", "Lighten", "Darken"};

// What the rest of the system relies on, checked where the table is built.
constexpr bool declarationsAreSound() {
  std::array<bool, kCommandCount + 1> codeSeen{};
  int category = 0;
  for (const CommandDecl& d : kCommandTable) {
    if (d.code < 1 || d.code > kCommandCount || codeSeen[d.code]) return false;
    codeSeen[d.code] = true;
    // Categories form runs in tree order.
    if (d.category < category || d.category >= kCategoryCount) return false;
    category = d.category;
    if (d.layerFlags != 0 && d.layerFlags != LayerBlended &&
        d.layerFlags != (LayerBlended | LayerFixedColors))
      return false;
    // Used slots lead; an empty slot has no range, default or unit.
    bool emptySeen = false;
    for (const ParamDecl& p : d.params) {
      if (!p.used()) {
        emptySeen = true;
        if (p.minValue != 0 || p.maxValue != 0 || p.defaultValue != 0 || p.unit != Unit::None)
          return false;
        continue;
      }
      if (emptySeen || p.unit == Unit::None || p.maxValue == 0) return false;
      if (p.minValue > p.defaultValue || p.defaultValue > p.maxValue) return false;
    }
  }
  return true;
}
static_assert(declarationsAreSound());

constexpr std::array<int, kCategoryCount> countCategories() {
  std::array<int, kCategoryCount> sizes{};
  for (const CommandDecl& d : kCommandTable) ++sizes[static_cast<std::size_t>(d.category)];
  return sizes;
}
constexpr std::array<int, kCategoryCount> kCategorySizes = countCategories();

// The declaration of each low code byte; none for 0 and unknown codes.
constexpr std::array<const CommandDecl*, 256> makeDispatchTable() {
  std::array<const CommandDecl*, 256> table{};
  for (const CommandDecl& d : kCommandTable) table[d.code] = &d;
  return table;
}
constexpr std::array<const CommandDecl*, 256> kDispatch = makeDispatchTable();

// The record of a declaration, each parameter with the limits `limitsOf`
// gives it.
template <class LimitsOf>
CommandInfo recordOf(const CommandDecl& d, LimitsOf limitsOf) {
  CommandInfo r;
  r.category = d.category;
  r.code = d.code;
  r.name = d.name;
  r.layerFlags = d.layerFlags;
  for (std::size_t k = 0; k < kParamCount; ++k) {
    const ParamDecl& p = d.params[k];
    const ParamLimits limits = limitsOf(p);
    r.paramLabel[k] = p.label;
    r.minValue[k] = limits.minValue;
    r.maxValue[k] = limits.maxValue;
    r.defaultValue[k] = limits.defaultValue;
  }
  return r;
}

const CommandDecl& declarationAt(int index) {
  return kCommandTable[static_cast<std::size_t>(index)];
}

}  // namespace

std::string_view unitName(Unit unit) {
  switch (unit) {
    case Unit::None:
      return "";
    case Unit::Pixels:
      return "pixels";
    case Unit::Count:
      return "count";
    case Unit::CountPerArea:
      return "count per area";
    case Unit::Angle:
      return "angle";
    case Unit::Percent:
      return "percent";
    case Unit::ColourLevel:
      return "colour level";
    case Unit::Period:
      return "periods";
    case Unit::Passes:
      return "passes";
    case Unit::Pattern:
      return "random pattern";
    case Unit::Factor:
      return "factor";
  }
  return "";
}

const CommandDecl* commandToRun(CommandCode code) { return kDispatch[code & 0xFFu]; }

void bringIntoRange(const CommandDecl& command, std::array<std::int32_t, kParamCount>& params,
                    int width, int height) {
  for (std::size_t k = 0; k < kParamCount; ++k)
    if (command.params[k].used()) params[k] = command.params[k].inRange(params[k], width, height);
}

void scaleParameters(const CommandDecl& command, std::array<std::int32_t, kParamCount>& params,
                     int scale) {
  for (std::size_t k = 0; k < kParamCount; ++k)
    if (command.params[k].unit == Unit::Pixels) params[k] *= scale;
}

void CommandCatalogue::build() {
  // The declared limits, before any size adjusts them.
  for (int i = 0; i < kCommandCount; ++i)
    records_[static_cast<std::size_t>(i)] = recordOf(declarationAt(i), [](const ParamDecl& p) {
      return ParamLimits{p.minValue, p.maxValue, p.defaultValue};
    });
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
    if (declarationAt(i).code == code) return i;
  return std::nullopt;
}

void CommandCatalogue::adjustForSize(int index, int width, int height) {
  records_[static_cast<std::size_t>(index)] = commandInfoForSize(index, width, height);
}

CommandInfo commandInfoForSize(int index, int width, int height) {
  return recordOf(declarationAt(index),
                  [=](const ParamDecl& p) { return p.limitsAt(width, height); });
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
