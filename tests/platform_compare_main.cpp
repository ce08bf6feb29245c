// platform_compare: the native half of scripts/check-platforms.sh.
//   platform_compare generate FOLDER COUNT [SET]
//       writes random programs 0..COUNT-1 of SET (default 1) into FOLDER
//   platform_compare reseed FOLDER COUNT PROGRAM.mlr...
//       writes each program again with COUNT other seeds into FOLDER
//   platform_compare compare PROGRAMS NATIVE OTHER PLATFORM
//       compares OTHER/NAME.bmp with NATIVE/NAME.bmp for each PROGRAMS/NAME.mlr;
//       exit status 1 when any differs, with a report of each
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform_compare.h"

namespace {

bool parseNumber(std::string_view text, int& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

int usage() {
  std::fputs(
      "Usage: platform_compare generate FOLDER COUNT [SET]\n"
      "       platform_compare reseed FOLDER COUNT PROGRAM.mlr...\n"
      "       platform_compare compare PROGRAMS NATIVE OTHER PLATFORM\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view verb = argc > 1 ? argv[1] : "";
  if (verb == "generate" && (argc == 4 || argc == 5)) {
    int count = 0, set = 1;
    if (!parseNumber(argv[3], count) || (argc == 5 && !parseNumber(argv[4], set))) return usage();
    std::string error;
    if (!mottler::writeRandomPrograms(argv[2], set, 0, count, &error)) {
      std::fprintf(stderr, "platform_compare: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (verb == "reseed" && argc >= 5) {
    int count = 0;
    if (!parseNumber(argv[3], count)) return usage();
    std::string error;
    if (!mottler::writeReseededPrograms(argv[2], {argv + 4, argv + argc}, count, &error)) {
      std::fprintf(stderr, "platform_compare: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (verb == "compare" && argc == 6) {
    std::string report;
    const int differing = mottler::comparePictures(argv[2], argv[3], argv[4], argv[5], report);
    std::fputs(report.c_str(), stdout);
    return differing == 0 ? 0 : 1;
  }
  return usage();
}
