// Error lines of the command-line tools: each begins with the tool's name, so
// that a batch script's log says which program failed.
#pragma once

#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "document/program_text.h"

namespace mottler::cli {

// One line on standard error.  Control bytes (from file names, mostly) are
// shown escaped: a newline in a name cannot start a line that poses as
// another message, nor an escape sequence reach the terminal.
inline void printError(const char* program, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", program, escapeControlBytes(message).c_str());
}

// Wrong usage: one line that points at --help, and exit status 2.
inline int usageError(const char* program, const std::string& message) {
  printError(program, message + " (see " + program + " --help)");
  return 2;
}

// What was wrong with the option getopt_long refused, named as the user
// typed it: an unknown option, or a long option given a value it does not
// take (--help=3, also abbreviated: --he=3).
inline std::string refusedOption(int optionCode, char** argv, int nextIndex,
                                 const option* longOptions) {
  const std::string_view typed = nextIndex > 1 ? argv[nextIndex - 1] : "";
  const std::size_t equals = typed.find('=');
  if (optionCode != 0 && typed.rfind("--", 0) == 0 && equals != std::string_view::npos) {
    const std::string_view name = typed.substr(2, equals - 2);
    for (const option* o = longOptions; o->name; ++o)
      if (o->val == optionCode && o->has_arg == no_argument &&
          std::string_view(o->name).rfind(name, 0) == 0)
        return "option --" + std::string(name) + " takes no value";
  }
  return "unknown option " + (optionCode != 0 ? std::string("-") + static_cast<char>(optionCode)
                                              : std::string(typed));
}

}  // namespace mottler::cli
