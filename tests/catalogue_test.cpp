#include "engine/catalogue.h"

#include "document/program_text.h"

#include <gtest/gtest.h>

#include <set>

using namespace mottler;

namespace {

// The catalogue index of a command, by its code.
int indexOf(CommandCode code) { return *catalogueIndexOfCode(code); }

}  // namespace

TEST(Catalogue, HoldsEveryDeclarationWithUniqueDenseCodes) {
  CommandCatalogue cat;
  std::set<CommandCode> codes;
  for (int i = 0; i < kCommandCount; ++i) {
    const CommandDecl& d = kCommandTable[static_cast<std::size_t>(i)];
    EXPECT_EQ(cat.info(i).code, d.code) << i;
    EXPECT_EQ(cat.info(i).name, d.name) << i;
    codes.insert(cat.info(i).code);
    EXPECT_EQ(cat.indexOfCode(cat.info(i).code), i);
  }
  EXPECT_EQ(codes.size(), static_cast<std::size_t>(kCommandCount));
  EXPECT_EQ(*codes.begin(), 1u);
  EXPECT_EQ(*codes.rbegin(), static_cast<CommandCode>(kCommandCount));
  EXPECT_FALSE(cat.indexOfCode(0));
  EXPECT_FALSE(cat.indexOfCode(kCommandCount + 1));
  EXPECT_FALSE(cat.indexOfCode(0x101));  // only an exact 32-bit code matches
}

// The tree shows the commands in this order; a new command may come in
// anywhere, but these keep their order among themselves.
TEST(Catalogue, KeepsTheTreeOrderOfItsCommands) {
  const CommandCode treeOrder[] = {kPlasma,
                                   kSinePlasma,
                                   kPerlinNoise,
                                   kBlobs,
                                   kPoints,
                                   kLines,
                                   kCircles,
                                   kRectangles,
                                   kWorms,
                                   kSplines,
                                   kEnvironmentMap,
                                   kNoise,
                                   kTwirl,
                                   kSineDistortion,
                                   kDistortionByBuffer,
                                   kDivider,
                                   kCarpet,
                                   kGlass,
                                   kBlur,
                                   kUnsharpMask,
                                   kBumpMapping,
                                   kMaximum,
                                   kMinimum,
                                   kMedian,
                                   kMoveToBuffer,
                                   kClearTexture,
                                   kConnectBuffer,
                                   kGammaCorrection,
                                   kBrightness,
                                   kInversion,
                                   kContrast,
                                   kHsv};
  for (std::size_t k = 1; k < std::size(treeOrder); ++k)
    EXPECT_LT(indexOf(treeOrder[k - 1]), indexOf(treeOrder[k])) << treeOrder[k];
}

TEST(Catalogue, CategoriesAreContiguousRunsOfTheirSizes) {
  CommandCatalogue cat;
  int index = 0;
  for (int c = 0; c < kCategoryCount; ++c) {
    EXPECT_GT(CommandCatalogue::categorySize(c), 0);
    for (int n = 0; n < CommandCatalogue::categorySize(c); ++n)
      EXPECT_EQ(cat.info(index++).category, c);
  }
  EXPECT_EQ(index, kCommandCount);
  // The first and last command of each category.
  const std::pair<CommandCode, CommandCode> ends[kCategoryCount] = {{kPlasma, kNoise},
                                                                    {kTwirl, kGlass},
                                                                    {kBlur, kMedian},
                                                                    {kMoveToBuffer, kConnectBuffer},
                                                                    {kGammaCorrection, kHsv}};
  int first = 0;
  for (int c = 0; c < kCategoryCount; ++c) {
    EXPECT_EQ(indexOf(ends[c].first), first) << c;
    first += CommandCatalogue::categorySize(c);
    EXPECT_EQ(indexOf(ends[c].second), first - 1) << c;
  }
  EXPECT_EQ(CommandCatalogue::categoryName(4), "Adjust Colors");
  EXPECT_EQ(CommandCatalogue::blendMethodName(7), "Shade");
}

TEST(Catalogue, NameLookupIsExactAndIgnoresCategoriesAndParameterLabels) {
  CommandCatalogue cat;
  EXPECT_FALSE(cat.indexOfName("Generate"));
  EXPECT_EQ(cat.indexOfName("Brightness"), indexOf(kBrightness));  // not Bump Mapping's parameter
  EXPECT_EQ(cat.indexOfName("Enviroument Map"), indexOf(kEnvironmentMap));
  EXPECT_FALSE(cat.indexOfName("plasma"));
  EXPECT_EQ(cat.indexOfName("Twirl"), indexOf(kTwirl));  // the command, not the Worms parameter
}

TEST(Catalogue, ParameterSlotsAreLeadingAndEmptySlotsAreZero) {
  CommandCatalogue cat;
  int negativeMinimums = 0;
  for (int i = 0; i < kCommandCount; ++i) {
    const CommandInfo& r = cat.info(i);
    bool seenEmpty = false;
    for (int k = 0; k < kParamCount; ++k) {
      const bool used = r.used(k);
      EXPECT_EQ(used, r.maxValue[k] != 0) << r.name << " " << k;
      if (!used) {
        seenEmpty = true;
        EXPECT_EQ(r.minValue[k], 0);
        EXPECT_EQ(r.defaultValue[k], 0);
      } else {
        EXPECT_FALSE(seenEmpty) << r.name << " has a gap";
        EXPECT_LE(r.minValue[k], r.defaultValue[k]) << r.name << " " << k;
        EXPECT_LE(r.defaultValue[k], r.maxValue[k]) << r.name << " " << k;
        if (r.minValue[k] < 0) ++negativeMinimums;
      }
    }
    EXPECT_TRUE(r.layerFlags == 0 || r.layerFlags == 1 || r.layerFlags == 3);
  }
  EXPECT_EQ(negativeMinimums, 1);  // only "Twirl"
  for (const char* name :
       {"Median", "Move to Buffer", "Clear Texture", "Connect Buffer", "Inversion"})
    EXPECT_EQ(cat.info(*cat.indexOfName(name)).maxValue[0], 0) << name;
}

TEST(Catalogue, AdjustForSizeRewritesTheThreeSizeDependentCommands) {
  CommandCatalogue cat;
  const int environmentMap = indexOf(kEnvironmentMap), carpet = indexOf(kCarpet),
            perlin = indexOf(kPerlinNoise);
  for (int i = 0; i < kCommandCount; ++i) cat.adjustForSize(i, 256, 256);
  EXPECT_EQ(cat.info(environmentMap).maxValue[0], 256);
  EXPECT_EQ(cat.info(environmentMap).defaultValue[0], 128);
  EXPECT_EQ(cat.info(carpet).maxValue[0], 127);
  EXPECT_EQ(cat.info(carpet).maxValue[1], 127);
  EXPECT_EQ(cat.info(perlin).maxValue[1], 128);
  EXPECT_EQ(cat.info(perlin).defaultValue[1], 64);
  EXPECT_EQ(cat.info(perlin).minValue[1], 4);

  cat.adjustForSize(perlin, 8, 8);
  cat.adjustForSize(carpet, 8, 8);
  cat.adjustForSize(environmentMap, 8, 8);
  EXPECT_EQ(cat.info(perlin).maxValue[1], 4);
  EXPECT_EQ(cat.info(perlin).defaultValue[1], 2);  // below the minimum: the catalogue only computes
  EXPECT_EQ(cat.info(carpet).maxValue[0], 3);
  EXPECT_EQ(cat.info(environmentMap).maxValue[0], 8);
  EXPECT_EQ(cat.info(environmentMap).defaultValue[0], 4);

  cat.adjustForSize(carpet, 16, 100);
  cat.adjustForSize(perlin, 16, 100);
  EXPECT_EQ(cat.info(carpet).maxValue[0], 7);
  EXPECT_EQ(cat.info(carpet).maxValue[1], 49);
  EXPECT_EQ(cat.info(perlin).maxValue[1], 8);
  EXPECT_EQ(cat.info(perlin).defaultValue[1], 4);

  // The constant declarations never change.
  EXPECT_EQ(PerlinNoise::declaration.params[PerlinNoise::Width].maxValue, 128);
  EXPECT_EQ(commandInfoForSize(environmentMap, 100, 60).maxValue[0], 100);
  EXPECT_EQ(commandInfoForSize(environmentMap, 100, 60).defaultValue[0], 50);
}

// The benchmarks time every command at the heaviest settings its declaration
// gives: they must read as an entry of that command and lie inside its
// ranges at the largest design size, or the benchmark would time something
// else.
TEST(Catalogue, EveryHeaviestSettingIsAnEntryWithinItsRanges) {
  for (const CommandDecl& d : kCommandTable) {
    SCOPED_TRACE(std::string(d.name));
    std::string line = std::string(d.name) + ":";
    if (!d.heaviest.empty()) line.append(" ").append(d.heaviest);
    ProgramDocument doc;
    std::string why;
    ASSERT_TRUE(parseProgramText("size 256 256\n" + line + "\n", doc, &why)) << why;
    ASSERT_EQ(doc.entries.size(), 1u);
    EXPECT_EQ(doc.entries[0].code, d.code);
    std::array<std::int32_t, kParamCount> inRange = doc.entries[0].param;
    bringIntoRange(d, inRange, 256, 256);
    EXPECT_EQ(inRange, doc.entries[0].param);
  }
}
