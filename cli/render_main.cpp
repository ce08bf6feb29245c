// mottler-render: renders a program file headlessly into a picture file.
#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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
    "      --scale=N        render the same texture at N times the program's size,\n"
    "                       N = 1..16 (at most 4096 x 4096 pixels)\n"
    "      --size=WxH       the same as a scale: W and H must be the same whole\n"
    "                       multiple of the program's width and height\n"
    "      --seeds=A-B      render every seed from A to B (0..32767); FILE must\n"
    "                       hold %d, which becomes the seed: -o 'tile-%d.png'\n"
    "      --threads=N      use N threads (default: every core): a batch renders\n"
    "                       one picture per thread, a single picture shares\n"
    "                       the work of its commands; the bytes are the same\n"
    "  -h, --help           show this help and exit\n"
    "  -V, --version        show the version and exit\n"
    "\n"
    "Options may come before or after PROGRAM.mlr; -- ends them, so that a file\n"
    "whose name begins with - can be given.\n"
    "\n"
    "A batch shows its progress on standard error when that is a terminal.\n"
    "\n"
    "Exit status: 0 on success, 1 when the program cannot be read or a picture\n"
    "cannot be written, 2 for wrong usage (a size over 4096 x 4096 included).\n";

enum OptionCode : int {
  kSeedOption = 256,
  kScaleOption,
  kSizeOption,
  kSeedsOption,
  kThreadsOption,
};

constexpr option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"format", required_argument, nullptr, 'f'},
    {"seed", required_argument, nullptr, kSeedOption},
    {"scale", required_argument, nullptr, kScaleOption},
    {"size", required_argument, nullptr, kSizeOption},
    {"seeds", required_argument, nullptr, kSeedsOption},
    {"threads", required_argument, nullptr, kThreadsOption},
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
  int seed = -1;                      // -1: the file's own
  int scale = 0;                      // 0: not asked for (1)
  int sizeWidth = 0, sizeHeight = 0;  // --size, 0: not asked for
  int firstSeed = -1, lastSeed = -1;  // --seeds
  int threads = 0;                    // 0: every core
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

// A whole number within [low, high], the whole text.
bool parseNumber(std::string_view text, int low, int high, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && value >= low && value <= high;
}

// "WxH", two whole numbers 1..99999.
bool parseSize(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find_first_of("xX");
  return x != std::string_view::npos && parseNumber(text.substr(0, x), 1, 99999, width) &&
         parseNumber(text.substr(x + 1), 1, 99999, height);
}

// "A-B" with 0 <= A <= B <= 32767.
bool parseSeedRange(std::string_view text, int& first, int& last) {
  const std::size_t dash = text.find('-', 1);
  return dash != std::string_view::npos && parseNumber(text.substr(0, dash), 0, 32767, first) &&
         parseNumber(text.substr(dash + 1), 0, 32767, last) && first <= last;
}

// The output name of one seed of a batch: the one %d replaced by the seed.
std::string nameForSeed(const std::string& pattern, int seed) {
  std::string name = pattern;
  name.replace(name.find("%d"), 2, std::to_string(seed));
  return name;
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
      case kScaleOption:
        if (!parseNumber(optarg, 1, mottler::kMaxScale, settings.scale))
          return usageError("the scale must be a whole number from 1 to 16, not '" +
                            std::string(optarg) + "'");
        break;
      case kSizeOption:
        if (!parseSize(optarg, settings.sizeWidth, settings.sizeHeight))
          return usageError("the size must be given as WIDTHxHEIGHT, for example 1024x1024, not '" +
                            std::string(optarg) + "'");
        break;
      case kSeedsOption:
        if (!parseSeedRange(optarg, settings.firstSeed, settings.lastSeed))
          return usageError(
              "the seeds must be a range A-B of whole numbers 0..32767 with A <= B, "
              "not '" +
              std::string(optarg) + "'");
        break;
      case kThreadsOption:
        if (!parseNumber(optarg, 1, 1024, settings.threads))
          return usageError("the number of threads must be a whole number from 1 to 1024, not '" +
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
  if (settings.scale != 0 && settings.sizeWidth != 0)
    return usageError("give either --scale or --size, not both");
  if (settings.firstSeed >= 0) {
    if (settings.seed >= 0) return usageError("give either --seed or --seeds, not both");
    const std::size_t at = settings.output.find("%d");
    if (at == std::string::npos || settings.output.find("%d", at + 2) != std::string::npos)
      return usageError(
          "with --seeds the output name must hold %d once, for the seed: "
          "-o 'tile-%d.png'");
  }
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

  // The size asked for: a scale, or a size that is a whole multiple of the
  // program's own.
  int scale = settings.scale != 0 ? settings.scale : 1;
  if (settings.sizeWidth != 0) {
    if (settings.sizeWidth % doc.width != 0 || settings.sizeHeight % doc.height != 0 ||
        settings.sizeWidth / doc.width != settings.sizeHeight / doc.height)
      return usageError("the size " + std::to_string(settings.sizeWidth) + "x" +
                        std::to_string(settings.sizeHeight) +
                        " is not the same whole multiple of " + "the program's size " +
                        std::to_string(doc.width) + "x" + std::to_string(doc.height) +
                        " in both directions");
    scale = settings.sizeWidth / doc.width;
  }
  const long long outWidth = 1LL * doc.width * scale, outHeight = 1LL * doc.height * scale;
  if (scale > mottler::kMaxScale || outWidth > mottler::kMaxScaledSide ||
      outHeight > mottler::kMaxScaledSide)
    return usageError("the texture would be " + std::to_string(outWidth) + "x" +
                      std::to_string(outHeight) + " pixels: at most " +
                      std::to_string(mottler::kMaxScaledSide) + "x" +
                      std::to_string(mottler::kMaxScaledSide) + " and 16 times the program's size");

  const bool batch = settings.firstSeed >= 0;
  const int first = batch ? settings.firstSeed : (settings.seed >= 0 ? settings.seed : doc.seed);
  const int last = batch ? settings.lastSeed : first;
  const int count = last - first + 1;
  const int cores = mottler::usableThreads();
  const int threads =
      mottler::kThreadsSupported ? std::min(count, settings.threads != 0 ? settings.threads : cores) : 1;
  const bool showProgress = batch && ::isatty(STDERR_FILENO) == 1;

  std::atomic<int> nextSeed{first};
  std::atomic<int> done{0};
  std::atomic<bool> failed{false};
  std::mutex reporting;           // error lines and the progress line, one at a time
  std::set<std::string> written;  // the files of a batch, their folders synced at the end

  // One picture per thread; the threads a batch leaves over share the work
  // of each picture's commands (the same bytes whatever the number).
  const int threadsEach = std::max(1, (settings.threads != 0 ? settings.threads : cores) / threads);
  auto renderSeeds = [&] {
    auto engine = std::make_unique<mottler::TextureEngine>();
    const int entries = mottler::loadIntoEngine(doc, *engine);
    engine->setScaledSize(doc.width, doc.height, scale);
    engine->setThreads(threadsEach);
    for (int seed = nextSeed++; seed <= last; seed = nextSeed++) {
      mottler::runProgram(*engine, seed, entries);
      const std::vector<std::uint8_t> picture = mottler::encodePicture(*engine, *settings.format);
      const std::string output = batch ? nameForSeed(settings.output, seed) : settings.output;
      const bool toOutput = output == "-";
      std::string why;
      const bool ok = !picture.empty() &&
                      (toOutput ? mottler::writeToDescriptor(STDOUT_FILENO, picture, &why)
                                : mottler::writeFileAtomically(output, picture, &why,
                                                               batch ? mottler::FolderSync::Deferred
                                                                     : mottler::FolderSync::Each));
      const std::lock_guard<std::mutex> lock(reporting);
      if (!ok) {
        failed = true;
        if (showProgress) std::fputs("\r\033[K", stderr);
        printError(std::string(mottler::kSaveFailedMessage) + ": " +
                   (toOutput ? std::string("standard output") : output) + " (" +
                   (picture.empty() ? std::string("cannot encode the picture") : why) + ")");
      } else if (batch) {
        written.insert(output);
      }
      ++done;
      if (showProgress)
        std::fprintf(stderr, "\r%s: %d of %d rendered", kProgramName, done.load(), count);
    }
  };
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; ++t) workers.emplace_back(renderSeeds);
  renderSeeds();
  for (std::thread& worker : workers) worker.join();
  if (showProgress) std::fputs("\n", stderr);

  // One sync per folder for the whole batch (through one of its files, so
  // that a link is followed to the folder the file really is in).
  std::map<std::string, std::string> folders;
  for (const std::string& file : written) {
    const std::filesystem::path path(file);
    folders.emplace(path.has_parent_path() ? path.parent_path().string() : std::string("."), file);
  }
  for (const auto& [folder, file] : folders) {
    std::string why;
    if (!mottler::syncFolderOf(file, &why)) {
      failed = true;
      printError(why);
    }
  }
  return failed ? 1 : 0;
}
