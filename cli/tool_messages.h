// Error lines of the command-line tools: each begins with the tool's name, so
// that a batch script's log says which program failed.
#pragma once

#include <cstdio>
#include <string>

namespace mottler::cli {

inline void printError(const char* program, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", program, message.c_str());
}

// Wrong usage: one line that points at --help, and exit status 2.
inline int usageError(const char* program, const std::string& message) {
  printError(program, message + " (see " + program + " --help)");
  return 2;
}

// The option getopt_long did not know, as the user typed it.
inline std::string unknownOption(int optionCode, char** argv, int nextIndex) {
  return "unknown option " + (optionCode != 0 ? std::string("-") + static_cast<char>(optionCode)
                                              : std::string(argv[nextIndex - 1]));
}

}  // namespace mottler::cli
