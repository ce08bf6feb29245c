// A plain-text form of a program, for writing example programs and tests by
// hand.  One statement a line; '#' starts a comment:
//
//   size 256 256
//   seed 1234
//   remark Marble with veins
//   Plasma: 7 40 127 255 200 160 method=Add
//   Worms: 300 200 3 2 255 255 255 method=Multiply offset=10,20 fixed off
//
// A command line names the command, a colon, then its parameters in order;
// parameters left out take the command's defaults for the texture size.
// Options: method=<blend method name>, offset=X,Y, fixed ("Fixed Colors"),
// off (disabled).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "document/program_file.h"

namespace mottler {

// The longest text a reader of program texts takes in: room for the most
// commands a program holds with long comments between them.
inline constexpr std::size_t kMaxProgramTextBytes = 16u << 20;

// The text with its control bytes written as \xNN, so that a name or a line
// shown in an error message cannot break the message's line or send escape
// sequences to the terminal.
std::string escapeControlBytes(std::string_view text);

// Parses the text into a program.  On an error returns false and describes
// it (with the line number) in *error.
bool parseProgramText(const std::string& text, ProgramDocument& out, std::string* error = nullptr);

}  // namespace mottler
