#include "document/variations.h"

#include <algorithm>
#include <utility>

namespace mottler {

namespace {

// A well-mixed 32-bit value of a 64-bit counter (the finaliser of a
// splitmix generator).
std::uint32_t mixed(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint32_t>((x ^ (x >> 31)) >> 32);
}

}  // namespace

std::array<int, kVariationCells> variationSeeds(int current, std::uint32_t round) {
  std::array<int, kVariationCells> seeds{};
  seeds.fill(-1);
  seeds[kVariationCentre] = std::clamp(current, 0, kLargestSeed);
  std::uint64_t counter = (static_cast<std::uint64_t>(round) << 32) ^
                          (static_cast<std::uint64_t>(seeds[kVariationCentre]) << 8);
  for (int cell = 0; cell < kVariationCells; ++cell) {
    if (cell == kVariationCentre) continue;
    int seed = 0;
    do {
      seed = static_cast<int>(mixed(counter++) % (kLargestSeed + 1));
    } while (std::find(seeds.begin(), seeds.end(), seed) != seeds.end());
    seeds[static_cast<std::size_t>(cell)] = seed;
  }
  return seeds;
}

std::array<int, kVariationCells> recentred(std::array<int, kVariationCells> seeds, int chosen) {
  if (chosen >= 0 && chosen < kVariationCells)
    std::swap(seeds[static_cast<std::size_t>(chosen)], seeds[kVariationCentre]);
  return seeds;
}

}  // namespace mottler
