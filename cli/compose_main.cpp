// mottler-compose: turns a program written as text into a program file.
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/tool_messages.h"
#include "document/atomic_file.h"
#include "document/program_file.h"
#include "document/program_text.h"
#include "document/version.h"

namespace {

constexpr const char* kProgramName = "mottler-compose";

constexpr const char* kUsage =
    "Usage: mottler-compose [OPTION]... PROGRAM.txt OUT.mlr\n"
    "\n"
    "Writes the program described in the text file as a Mottler program file.\n"
    "\n"
    "  PROGRAM.txt      the program as text, one command a line; - reads it\n"
    "                   from standard input\n"
    "  OUT.mlr          the program file to write; an existing file is replaced\n"
    "                   only when the new one is complete; - writes to standard\n"
    "                   output\n"
    "  -h, --help       show this help and exit\n"
    "  -V, --version    show the version and exit\n"
    "\n"
    "-- ends the options, so that a file whose name begins with - can be given.\n"
    "\n"
    "Exit status: 0 on success, 1 when the text cannot be read or has an error or\n"
    "the program file cannot be written, 2 for wrong usage.\n";

constexpr option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

void printError(const std::string& message) { mottler::cli::printError(kProgramName, message); }

int usageError(const std::string& message) {
  return mottler::cli::usageError(kProgramName, message);
}

// Reads the options; returns an exit status when the program should stop
// here (help, version, wrong usage), nullopt to go on.
std::optional<int> parseOptions(int argc, char** argv) {
  opterr = 0;  // the messages below begin with the program's name
  int code = 0;
  while ((code = getopt_long(argc, argv, "hV", kOptions, nullptr)) != -1) {
    switch (code) {
      case 'h':
        std::fputs(kUsage, stdout);
        return 0;
      case 'V':
        std::printf("%s %s\n", kProgramName, mottler::kVersion);
        return 0;
      default:
        return usageError(mottler::cli::refusedOption(optopt, argv, optind, kOptions));
    }
  }
  if (argc - optind != 2) return usageError("give the text and the program file to write");
  return std::nullopt;
}

// Reads the whole text of the file, or of standard input for "-".
mottler::ReadAllStatus readText(const std::string& name, std::string& text, std::string& why) {
  std::vector<std::uint8_t> bytes;
  mottler::ReadAllStatus status;
  if (name == "-") {
    status = mottler::readAll(STDIN_FILENO, mottler::kMaxProgramTextBytes, bytes);
    if (status == mottler::ReadAllStatus::Failed) why = std::strerror(errno);
  } else {
    status = mottler::readWholeFile(name, mottler::kMaxProgramTextBytes, bytes, &why);
  }
  text.assign(bytes.begin(), bytes.end());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (| head) makes the write fail with an error
  // line and status 1, instead of ending the tool silently.
  std::signal(SIGPIPE, SIG_IGN);
  if (const std::optional<int> status = parseOptions(argc, argv)) return *status;
  const std::string input = argv[optind];
  const std::string output = argv[optind + 1];
  const std::string inputName = input == "-" ? "standard input" : input;

  std::string text, why;
  switch (readText(input, text, why)) {
    case mottler::ReadAllStatus::Ok:
      break;
    case mottler::ReadAllStatus::TooLarge:
      printError(inputName + ": longer than a program text can be (16 MiB)");
      return 1;
    case mottler::ReadAllStatus::Failed:
      printError(std::string(mottler::kUnableToOpenMessage) + ": " + inputName + " (" + why + ")");
      return 1;
  }
  mottler::ProgramDocument doc;
  if (!mottler::parseProgramText(text, doc, &why)) {
    printError(inputName + ": " + why);
    return 1;
  }
  const std::vector<std::uint8_t> bytes = mottler::encodeProgram(doc);
  const bool toOutput = output == "-";
  const bool written = toOutput ? mottler::writeToDescriptor(STDOUT_FILENO, bytes, &why)
                                : mottler::writeFileAtomically(output, bytes, &why);
  if (!written) {
    printError(std::string(mottler::kSaveFailedMessage) + ": " +
               (toOutput ? std::string("standard output") : output) + " (" + why + ")");
    return 1;
  }
  return 0;
}
