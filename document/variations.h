// Seed variations: the current program with nine seeds in a 3 x 3 grid, the
// current seed in the centre and eight others around it.  Which eight is
// fixed by the current seed and a round number ("More" takes the next
// round), so the same program shows the same variations every time.
#pragma once

#include <array>
#include <cstdint>

namespace mottler {

inline constexpr int kVariationCells = 9;
inline constexpr int kVariationCentre = 4;  // row 1, column 1
inline constexpr int kLargestSeed = 32767;

// Nine distinct seeds in 0..32767, cells in reading order; the centre cell
// holds `current` (taken into range).
std::array<int, kVariationCells> variationSeeds(int current, std::uint32_t round);

// The grid after the user chose cell `chosen`: its seed moves to the centre
// and the seed that was there takes the chosen cell, so the others stay.
std::array<int, kVariationCells> recentred(std::array<int, kVariationCells> seeds, int chosen);

}  // namespace mottler
