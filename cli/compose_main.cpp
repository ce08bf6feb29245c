// mottler-compose: turns a program written as text into a program file.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "document/program_file.h"
#include "document/program_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs(
        "Usage: mottler-compose PROGRAM.txt OUT.mlr\n"
        "Writes the program described in the text file as a program file.\n",
        argc == 2 && std::string(argv[1]) == "--help" ? stdout : stderr);
    return argc == 2 && std::string(argv[1]) == "--help" ? 0 : 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "Unable to open file: %s\n", argv[1]);
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  mottler::ProgramDocument doc;
  std::string why;
  if (!mottler::parseProgramText(text.str(), doc, &why)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], why.c_str());
    return 1;
  }
  if (!mottler::writeProgramFile(argv[2], doc, &why)) {
    std::fprintf(stderr, "%s: %s (%s)\n", mottler::kSaveFailedMessage, argv[2], why.c_str());
    return 1;
  }
  return 0;
}
