#include "platform_compare.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "engine/catalogue.h"
#include "random_programs.h"

namespace mottler {

namespace {

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// "R 12 G 34 B 56" from blue, green, red bytes.
std::string channels(const std::array<std::uint8_t, 3>& rgb) {
  return "R " + std::to_string(rgb[0]) + " G " + std::to_string(rgb[1]) + " B " +
         std::to_string(rgb[2]);
}

}  // namespace

std::optional<Picture> decodeBitmap(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kHeader = 54;
  if (bytes.size() < kHeader || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const std::uint32_t offset = le32(bytes, 10);
  const auto width = static_cast<std::int32_t>(le32(bytes, 18));
  const auto height = static_cast<std::int32_t>(le32(bytes, 22));
  const int bits = bytes[28] | bytes[29] << 8;
  if (bits != 24 || le32(bytes, 30) != 0 || width < 1 || height < 1 || width > 65536 ||
      height > 65536 || offset < kHeader)
    return std::nullopt;
  const std::size_t row = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
  if (bytes.size() < offset + row * static_cast<std::size_t>(height)) return std::nullopt;
  Picture picture{width, height, {}};
  picture.bgr.reserve(3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(
                                          offset + row * static_cast<std::size_t>(height - 1 - y));
    picture.bgr.insert(picture.bgr.end(), from, from + 3 * width);
  }
  return picture;
}

std::optional<PixelDifference> firstDifference(const Picture& expected, const Picture& actual) {
  std::optional<PixelDifference> found;
  const std::size_t pixels = std::min(expected.bgr.size(), actual.bgr.size()) / 3;
  for (std::size_t i = 0; i < pixels; ++i) {
    const auto a = expected.bgr.begin() + static_cast<std::ptrdiff_t>(3 * i);
    const auto b = actual.bgr.begin() + static_cast<std::ptrdiff_t>(3 * i);
    if (std::equal(a, a + 3, b)) continue;
    if (!found) {
      found = PixelDifference{static_cast<int>(i % static_cast<std::size_t>(expected.width)),
                              static_cast<int>(i / static_cast<std::size_t>(expected.width)),
                              {a[2], a[1], a[0]},
                              {b[2], b[1], b[0]},
                              0};
    }
    ++found->count;
  }
  return found;
}

std::string describeCommands(const ProgramDocument& doc) {
  std::string text;
  for (const ProgramEntry& entry : doc.entries) {
    if (!text.empty()) text += ", ";
    const std::optional<int> index = catalogueIndexOfCode(entry.code);
    if (index) {
      text.append("\"").append(kCommandTable[static_cast<std::size_t>(*index)].name).append("\"");
    } else {
      text.append("code ").append(std::to_string(entry.code));
    }
    if (entry.disabled) text += " (off)";
  }
  return text.empty() ? "no commands" : text;
}

std::string describeDifference(const ProgramDocument& doc, std::string_view programName,
                               std::string_view platform, std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> actual) {
  if (std::equal(expected.begin(), expected.end(), actual.begin(), actual.end())) return {};
  std::ostringstream out;
  out << "DIFFERENT: " << programName << " (" << doc.width << " x " << doc.height << ", seed "
      << doc.seed << ") on " << platform << "\n  commands: " << describeCommands(doc) << "\n  ";
  const std::optional<Picture> a = decodeBitmap(expected);
  const std::optional<Picture> b = decodeBitmap(actual);
  if (!a) {
    out << "the native picture is not a bitmap\n";
  } else if (!b) {
    out << platform << " wrote " << actual.size() << " bytes that are not a bitmap\n";
  } else if (a->width != b->width || a->height != b->height) {
    out << platform << " wrote " << b->width << " x " << b->height << " pixels, native "
        << a->width << " x " << a->height << "\n";
  } else if (const std::optional<PixelDifference> d = firstDifference(*a, *b)) {
    out << "first differing pixel: x " << d->x << ", y " << d->y << ": native "
        << channels(d->expected) << ", " << platform << " " << channels(d->actual) << "\n  "
        << d->count << " of " << a->width * a->height << " pixels differ\n";
  } else {
    out << "the pixels agree but the files differ (header or row padding)\n";
  }
  return out.str();
}

bool writeRandomPrograms(const std::filesystem::path& folder, std::int32_t set, int first,
                         int count, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (int number = first; number < first + count; ++number) {
    char name[32];
    std::snprintf(name, sizeof name, "random-%04d.mlr", number);
    if (!writeProgramFile(folder / name, randomProgram(set, number), error)) return false;
  }
  return true;
}

bool writeReseededPrograms(const std::filesystem::path& folder,
                           const std::vector<std::filesystem::path>& programs, int count,
                           std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  Dice dice(4242);
  for (const std::filesystem::path& program : programs) {
    ProgramDocument doc;
    if (readProgramFile(program, doc, error) != ReadStatus::Ok) {
      if (error) *error = "cannot read " + program.string();
      return false;
    }
    std::set<int> seeds = {doc.seed};
    for (int k = 0; k < count; ++k) {
      while (!seeds.insert(doc.seed).second) doc.seed = dice.below(32768);
      const std::string name =
          program.stem().string() + "-seed-" + std::to_string(doc.seed) + ".mlr";
      if (!writeProgramFile(folder / name, doc, error)) return false;
    }
  }
  return true;
}

int comparePictures(const std::filesystem::path& programFolder,
                    const std::filesystem::path& referenceFolder,
                    const std::filesystem::path& platformFolder, std::string_view platform,
                    std::string& report) {
  std::vector<std::filesystem::path> programs;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(programFolder, error))
    if (item.path().extension() == ".mlr") programs.push_back(item.path());
  if (error) {
    report += "UNREADABLE: " + programFolder.string() + " (" + error.message() + ")\n";
    return 1;
  }
  std::sort(programs.begin(), programs.end());
  int differing = 0;
  for (const std::filesystem::path& program : programs) {
    const std::string name = program.filename().string();
    const std::filesystem::path picture = program.stem().string() + ".bmp";
    ProgramDocument doc;
    std::string why;
    if (readProgramFile(program, doc, &why) != ReadStatus::Ok) {
      report += "UNREADABLE: " + name + "\n";
      ++differing;
      continue;
    }
    const auto expected = readWholeFile(referenceFolder / picture);
    const auto actual = readWholeFile(platformFolder / picture);
    if (!expected || !actual) {
      report += "MISSING: " + name + " (" + (expected ? "" : "native") +
                (!expected && !actual ? " and " : "") + (actual ? "" : std::string(platform)) +
                " wrote no picture)\n  commands: " + describeCommands(doc) + "\n";
      ++differing;
      continue;
    }
    const std::string difference = describeDifference(doc, name, platform, *expected, *actual);
    if (!difference.empty()) {
      report += difference;
      ++differing;
    }
  }
  return differing;
}

}  // namespace mottler
