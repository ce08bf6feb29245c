// mottler-render: renders a program file headlessly into a picture file.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "document/bitmap_export.h"
#include "document/program_file.h"
#include "engine/executor.h"

namespace {

constexpr const char* kUsage =
    "Usage: mottler-render PROGRAM.mlr -o OUT.bmp [--seed N]\n"
    "\n"
    "Runs a Mottler program file and writes the texture it makes.\n"
    "\n"
    "  PROGRAM.mlr     the program file to render\n"
    "  -o, --output F  the picture to write: a 24-bit Windows bitmap, or PNG when\n"
    "                  F ends in .png; an existing file is replaced only when the\n"
    "                  new one is complete\n"
    "  --seed N        random seed 0..32767 instead of the one stored in the file\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 on success, 1 when the program cannot be read or the picture\n"
    "cannot be written, 2 for wrong usage.\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "mottler-render: %s\nTry 'mottler-render --help'.\n", message.c_str());
  return 2;
}

bool parseSeed(std::string_view text, int& seed) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, seed);
  return ec == std::errc() && ptr == end && seed >= 0 && seed <= 32767;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, output;
  int seed = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "-o" || arg == "--output") {
      if (++i >= argc) return usageError("missing file name after " + std::string(arg));
      output = argv[i];
    } else if (arg == "--seed") {
      if (++i >= argc) return usageError("missing number after --seed");
      if (!parseSeed(argv[i], seed))
        return usageError("the seed must be a whole number from 0 to 32767");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError("unknown option " + std::string(arg));
    } else if (input.empty()) {
      input = arg;
    } else {
      return usageError("more than one program file given");
    }
  }
  if (input.empty()) return usageError("no program file given");
  if (output.empty()) return usageError("no output file given (-o OUT.bmp)");

  mottler::ProgramDocument doc;
  const mottler::ReadStatus status = mottler::readProgramFile(input, doc);
  if (status != mottler::ReadStatus::Ok) {
    std::fprintf(stderr, "%s: %s\n", mottler::readStatusMessage(status), input.c_str());
    return 1;
  }

  static mottler::TextureEngine engine;
  const int count = mottler::loadIntoEngine(doc, engine);
  mottler::runProgram(engine, seed >= 0 ? seed : doc.seed, count);

  std::string why;
  if (!mottler::writeTextureFile(output, engine, &why)) {
    std::fprintf(stderr, "%s: %s (%s)\n", mottler::kSaveFailedMessage, output.c_str(), why.c_str());
    return 1;
  }
  return 0;
}
