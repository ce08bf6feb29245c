// Comparing the pictures the renderers of several platforms make of the
// same programs (scripts/check-platforms.sh): the random programs they
// render, and a report of the first difference between two bitmaps.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/program_file.h"

namespace mottler {

// A bitmap as mottler-render writes it, rows top-down, three bytes a pixel
// in blue, green, red order.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;
};

// Reads an uncompressed 24-bit bottom-up bitmap; nullopt for anything else
// (or a damaged one).
std::optional<Picture> decodeBitmap(std::span<const std::uint8_t> bytes);

// The first pixel (in row order from the top left) where two pictures of
// the same size differ, and how many differ in all.
struct PixelDifference {
  int x = 0;
  int y = 0;
  std::array<std::uint8_t, 3> expected{};  // red, green, blue
  std::array<std::uint8_t, 3> actual{};
  int count = 0;
};
std::optional<PixelDifference> firstDifference(const Picture& expected, const Picture& actual);

// The commands a program holds, in order: "Plasma", "Blur" (off), ...
std::string describeCommands(const ProgramDocument& doc);

// Empty when the two files hold the same bytes; otherwise the report of what
// differs: the program (its name, size, seed and commands), the platform,
// and the first differing pixel with its channel values on both.
std::string describeDifference(const ProgramDocument& doc, std::string_view programName,
                               std::string_view platform, std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> actual);

// Writes random programs first..first+count-1 of a set (randomProgram) as
// random-NNNN.mlr into a folder; false (with *error) when one cannot be
// written.
bool writeRandomPrograms(const std::filesystem::path& folder, std::int32_t set, int first,
                         int count, std::string* error);

// Writes each program again with `count` other random seeds (the same ones
// on every machine) as NAME-seed-N.mlr into a folder; false (with *error)
// when one cannot be read or written.
bool writeReseededPrograms(const std::filesystem::path& folder,
                           const std::vector<std::filesystem::path>& programs, int count,
                           std::string* error);

// Compares platformFolder/NAME.bmp with referenceFolder/NAME.bmp for every
// NAME.mlr in programFolder and writes a report of each difference (or
// missing picture) to `report`.  Returns how many programs differ.
int comparePictures(const std::filesystem::path& programFolder,
                    const std::filesystem::path& referenceFolder,
                    const std::filesystem::path& platformFolder, std::string_view platform,
                    std::string& report);

}  // namespace mottler
