// Seed variations: nine distinct seeds around the current one, the same
// ones for the same seed and round, others for the next round.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "document/variations.h"

using namespace mottler;

class VariationSeeds : public ::testing::TestWithParam<int> {};

TEST_P(VariationSeeds, NineDistinctSeedsWithTheCurrentInTheCentre) {
  const int current = GetParam();
  for (std::uint32_t round : {0u, 1u, 7u}) {
    const auto seeds = variationSeeds(current, round);
    EXPECT_EQ(seeds[kVariationCentre], std::clamp(current, 0, kLargestSeed));
    EXPECT_EQ(std::set<int>(seeds.begin(), seeds.end()).size(), 9u);
    for (int seed : seeds) {
      EXPECT_GE(seed, 0);
      EXPECT_LE(seed, kLargestSeed);
    }
    EXPECT_EQ(variationSeeds(current, round), seeds);  // repeatable
  }
}

TEST_P(VariationSeeds, MoreRerollsTheEightAroundTheCentre) {
  const auto first = variationSeeds(GetParam(), 0);
  const auto second = variationSeeds(GetParam(), 1);
  EXPECT_EQ(first[kVariationCentre], second[kVariationCentre]);
  int same = 0;
  for (int cell = 0; cell < kVariationCells; ++cell)
    if (cell != kVariationCentre && first[static_cast<std::size_t>(cell)] == second[static_cast<std::size_t>(cell)])
      ++same;
  EXPECT_LE(same, 1);
}

INSTANTIATE_TEST_SUITE_P(Seeds, VariationSeeds, ::testing::Values(0, 1, 4242, kLargestSeed, -5, 40000));

TEST(VariationGrid, ChosenSeedMovesToTheCentreAndTheOthersStay) {
  const auto seeds = variationSeeds(100, 0);
  const auto after = recentred(seeds, 0);
  EXPECT_EQ(after[kVariationCentre], seeds[0]);
  EXPECT_EQ(after[0], seeds[kVariationCentre]);
  for (int cell = 1; cell < kVariationCells; ++cell)
    if (cell != kVariationCentre) {
      EXPECT_EQ(after[static_cast<std::size_t>(cell)], seeds[static_cast<std::size_t>(cell)]);
    }
  EXPECT_EQ(recentred(seeds, kVariationCentre), seeds);
  EXPECT_EQ(recentred(seeds, 9), seeds);
  EXPECT_EQ(recentred(seeds, -1), seeds);
}
