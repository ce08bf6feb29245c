// mottler-render: renders a program file headlessly into a picture file.
#include <getopt.h>
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "cli/tool_messages.h"
#include "document/atomic_file.h"
#include "document/bitmap_export.h"
#include "document/program_file.h"
#include "document/version.h"
#include "engine/executor.h"

namespace {

constexpr const char* kProgramName = "mottler-render";

constexpr const char* kUsage =
    "Usage: mottler-render [OPTION]... PROGRAM.mlr -o OUT.bmp\n"
    "\n"
    "Runs a Mottler program file and writes the texture it makes.\n"
    "\n"
    "  PROGRAM.mlr          the program file to render; - reads it from standard\n"
    "                       input\n"
    "  -o, --output=FILE    the picture to write: a 24-bit Windows bitmap when FILE\n"
    "                       ends in .bmp, PNG when it ends in .png (in any case);\n"
    "                       other extensions are refused.  An existing file is\n"
    "                       replaced only when the new one is complete; a device\n"
    "                       or FIFO is written directly; - writes to standard\n"
    "                       output.  A name without an extension, a device and\n"
    "                       a FIFO get a bitmap.\n"
    "  -f, --format=TYPE    bmp or png whatever FILE is called\n"
    "      --seed=N         random seed 0..32767 instead of the one in the file\n"
    "  -h, --help           show this help and exit\n"
    "  -V, --version        show the version and exit\n"
    "\n"
    "Options may come before or after PROGRAM.mlr; -- ends them, so that a file\n"
    "whose name begins with - can be given.\n"
    "\n"
    "Exit status: 0 on success, 1 when the program cannot be read or the picture\n"
    "cannot be written, 2 for wrong usage.\n";

enum OptionCode : int { kSeedOption = 256 };

constexpr option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"format", required_argument, nullptr, 'f'},
    {"seed", required_argument, nullptr, kSeedOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// Standard output, a device or a FIFO: a stream whose name says nothing of the
// picture type, so it gets a bitmap as standard output does.
bool isStream(const std::string& output) {
  if (output == "-") return true;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(output, error);
  return !error &&
         (std::filesystem::is_fifo(status) || std::filesystem::is_character_file(status) ||
          std::filesystem::is_block_file(status) || std::filesystem::is_socket(status));
}

struct Settings {
  std::string input;
  std::string output;
  std::optional<mottler::PictureType> format;
  int seed = -1;  // -1: the file's own
};

void printError(const std::string& message) { mottler::cli::printError(kProgramName, message); }

int usageError(const std::string& message) {
  return mottler::cli::usageError(kProgramName, message);
}

bool parseSeed(std::string_view text, int& seed) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, seed);
  return ec == std::errc() && ptr == end && seed >= 0 && seed <= 32767;
}

std::optional<mottler::PictureType> parseFormat(std::string_view text) {
  if (text == "bmp") return mottler::PictureType::Bitmap;
  if (text == "png") return mottler::PictureType::Png;
  return std::nullopt;
}

// Reads the options into settings.  Returns an exit status when the program
// should stop here (help, version, wrong usage), nullopt to go on.
std::optional<int> parseOptions(int argc, char** argv, Settings& settings) {
  opterr = 0;  // the messages below begin with the program's name
  int code = 0;
  while ((code = getopt_long(argc, argv, ":o:f:hV", kOptions, nullptr)) != -1) {
    switch (code) {
      case 'o':
        settings.output = optarg;
        break;
      case 'f':
        settings.format = parseFormat(optarg);
        if (!settings.format)
          return usageError("unknown picture type '" + std::string(optarg) + "': use bmp or png");
        break;
      case kSeedOption:
        if (!parseSeed(optarg, settings.seed))
          return usageError("the seed must be a whole number from 0 to 32767, not '" +
                            std::string(optarg) + "'");
        break;
      case 'h':
        std::fputs(kUsage, stdout);
        return 0;
      case 'V':
        std::printf("%s %s\n", kProgramName, mottler::kVersion);
        return 0;
      case ':':
        // The option as typed: "-o" and "--output" are both reported as given.
        return usageError("option " + std::string(argv[optind - 1]) + " needs a value");
      default:
        return usageError(mottler::cli::refusedOption(optopt, argv, optind, kOptions));
    }
  }
  if (optind >= argc) return usageError("no program file given");
  if (argc - optind > 1) return usageError("more than one program file given");
  settings.input = argv[optind];
  if (settings.output.empty()) return usageError("no output file given: -o OUT.bmp");
  if (!settings.format) {
    settings.format = isStream(settings.output) ? mottler::PictureType::Bitmap
                                                : mottler::pictureTypeForName(settings.output);
    if (!settings.format)
      return usageError("cannot tell the picture type of " + settings.output +
                        ": the name must end in .bmp or .png");
  }
  // Refused before any work, in the builds without libpng (WebAssembly,
  // cross builds).
  if (*settings.format == mottler::PictureType::Png && !mottler::kPngAvailable)
    return usageError(std::string("cannot write ") +
                      (settings.output == "-" ? "standard output" : settings.output) + ": " +
                      mottler::kNoPngMessage + " (use a .bmp name or -f bmp)");
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (| head) makes the write fail with an error
  // line and status 1, instead of ending the tool silently.
  std::signal(SIGPIPE, SIG_IGN);
  Settings settings;
  if (const std::optional<int> status = parseOptions(argc, argv, settings)) return *status;

  const bool fromInput = settings.input == "-";
  const std::string inputName = fromInput ? "standard input" : settings.input;
  mottler::ProgramDocument doc;
  std::string why;
  const mottler::ReadStatus status = fromInput
                                         ? mottler::readProgram(STDIN_FILENO, doc, &why)
                                         : mottler::readProgramFile(settings.input, doc, &why);
  if (status != mottler::ReadStatus::Ok) {
    std::string message = std::string(mottler::readStatusMessage(status)) + ": " + inputName;
    if (status == mottler::ReadStatus::CannotOpen && !why.empty()) message += " (" + why + ")";
    printError(message);
    return 1;
  }

  static mottler::TextureEngine engine;
  const int count = mottler::loadIntoEngine(doc, engine);
  mottler::runProgram(engine, settings.seed >= 0 ? settings.seed : doc.seed, count);

  const std::vector<std::uint8_t> picture = mottler::encodePicture(engine, *settings.format);
  const bool toOutput = settings.output == "-";
  const bool written =
      !picture.empty() && (toOutput ? mottler::writeToDescriptor(STDOUT_FILENO, picture, &why)
                                    : mottler::writeFileAtomically(settings.output, picture, &why));
  if (!written) {
    printError(std::string(mottler::kSaveFailedMessage) + ": " +
               (toOutput ? std::string("standard output") : settings.output) + " (" +
               (picture.empty() ? std::string("cannot encode the picture") : why) + ")");
    return 1;
  }
  return 0;
}
