// Fuzzes the text form of programs.
//
// Whatever the text, the parser either refuses it with a message naming a
// line or gives a program that the program-file writer and reader carry
// over whole: the same size, seed, commands in the same order, and the
// remark as far as a program file holds it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document/program_file.h"
#include "document/program_text.h"

namespace {

using namespace mottler;

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ProgramDocument doc;
  std::string why;
  if (!parseProgramText(text, doc, &why)) {
    check(why.rfind("line ", 0) == 0);
    return 0;
  }
  check(doc.width >= 1 && doc.width <= kMaxTextureSide);
  check(doc.height >= 1 && doc.height <= kMaxTextureSide);
  check(doc.seed >= 0 && doc.seed <= 32767);
  check(doc.entries.size() <= static_cast<std::size_t>(kMaxProgramLength));

  ProgramDocument file;
  check(decodeProgram(encodeProgram(doc), file) == ReadStatus::Ok);
  check(file.width == doc.width && file.height == doc.height && file.seed == doc.seed);
  check(file.entries.size() == doc.entries.size());
  for (std::size_t i = 0; i < doc.entries.size(); ++i) {
    check(file.entries[i].code == doc.entries[i].code);
    check(file.entries[i].method == doc.entries[i].method);
  }
  const std::size_t kept = strnlen(doc.remark.c_str(), static_cast<std::size_t>(kMaxRemarkLength));
  check(file.remark == doc.remark.substr(0, kept));
  return 0;
}
