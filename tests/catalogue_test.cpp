#include "engine/catalogue.h"

#include <gtest/gtest.h>

#include <set>

using namespace mottler;

TEST(Catalogue, HoldsThirtyTwoCommandsWithUniqueCodesInTreeOrder) {
  CommandCatalogue cat;
  const int expectedCodes[kCommandCount] = {1,  14, 31, 2,  15, 3,  4,  5,  6,  32, 7,
                                            8,  9,  10, 11, 12, 13, 27, 16, 17, 18, 29,
                                            30, 28, 19, 20, 21, 26, 22, 23, 24, 25};
  std::set<CommandCode> codes;
  for (int i = 0; i < kCommandCount; ++i) {
    EXPECT_EQ(cat.info(i).code, static_cast<CommandCode>(expectedCodes[i])) << i;
    codes.insert(cat.info(i).code);
    EXPECT_EQ(cat.indexOfCode(cat.info(i).code), i);
  }
  EXPECT_EQ(codes.size(), 32u);
  EXPECT_EQ(*codes.begin(), 1u);
  EXPECT_EQ(*codes.rbegin(), 32u);
  EXPECT_FALSE(cat.indexOfCode(0));
  EXPECT_FALSE(cat.indexOfCode(33));
  EXPECT_FALSE(cat.indexOfCode(0x101));  // only an exact 32-bit code matches
}

TEST(Catalogue, CategoriesAreContiguousRunsOfTheirSizes) {
  CommandCatalogue cat;
  const int sizes[kCategoryCount] = {12, 6, 6, 3, 5};
  int index = 0;
  for (int c = 0; c < kCategoryCount; ++c) {
    EXPECT_EQ(CommandCatalogue::categorySize(c), sizes[c]);
    for (int n = 0; n < CommandCatalogue::categorySize(c); ++n)
      EXPECT_EQ(cat.info(index++).category, c);
  }
  EXPECT_EQ(index, kCommandCount);
  EXPECT_EQ(CommandCatalogue::categoryName(4), "Adjust Colors");
  EXPECT_EQ(CommandCatalogue::blendMethodName(7), "Shade");
}

TEST(Catalogue, NameLookupIsExactAndIgnoresCategoriesAndParameterLabels) {
  CommandCatalogue cat;
  EXPECT_FALSE(cat.indexOfName("Generate"));
  EXPECT_EQ(cat.indexOfName("Brightness"), 28);  // not Bump Mapping's parameter
  EXPECT_EQ(cat.indexOfName("Enviroument Map"), 10);
  EXPECT_FALSE(cat.indexOfName("plasma"));
  EXPECT_EQ(cat.indexOfName("Twirl"), 12);  // the command, not the Worms parameter
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
  for (int i = 0; i < kCommandCount; ++i) cat.adjustForSize(i, 256, 256);
  EXPECT_EQ(cat.info(10).maxValue[0], 256);
  EXPECT_EQ(cat.info(10).defaultValue[0], 128);
  EXPECT_EQ(cat.info(16).maxValue[0], 127);
  EXPECT_EQ(cat.info(16).maxValue[1], 127);
  EXPECT_EQ(cat.info(2).maxValue[1], 128);
  EXPECT_EQ(cat.info(2).defaultValue[1], 64);
  EXPECT_EQ(cat.info(2).minValue[1], 4);

  cat.adjustForSize(2, 8, 8);
  cat.adjustForSize(16, 8, 8);
  cat.adjustForSize(10, 8, 8);
  EXPECT_EQ(cat.info(2).maxValue[1], 4);
  EXPECT_EQ(cat.info(2).defaultValue[1], 2);  // below the minimum: the catalogue only computes
  EXPECT_EQ(cat.info(16).maxValue[0], 3);
  EXPECT_EQ(cat.info(10).maxValue[0], 8);
  EXPECT_EQ(cat.info(10).defaultValue[0], 4);

  cat.adjustForSize(16, 16, 100);
  cat.adjustForSize(2, 16, 100);
  EXPECT_EQ(cat.info(16).maxValue[0], 7);
  EXPECT_EQ(cat.info(16).maxValue[1], 49);
  EXPECT_EQ(cat.info(2).maxValue[1], 8);
  EXPECT_EQ(cat.info(2).defaultValue[1], 4);

  // The constant declarations never change.
  EXPECT_EQ(kCommandTable[2].params[1].maxValue, 128);
  EXPECT_EQ(commandInfoForSize(10, 100, 60).maxValue[0], 100);
  EXPECT_EQ(commandInfoForSize(10, 100, 60).defaultValue[0], 50);
}
