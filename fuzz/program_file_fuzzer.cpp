// Fuzzes the program-file reader and runs what it accepts.
//
// Every input is decoded from memory.  An accepted program must be a program
// the engine can take (sizes, counts, ranges), must encode and decode back to
// itself, and is then run on the portable and, where the processor has them,
// the wide code paths, which must give the same picture.
//
// A run keeps to the cost cap of tests/random_programs.h (capRunCost), so that
// one input runs in a bounded time whatever its parameters.  The reader
// itself sees every input whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "document/program_file.h"
#include "engine/catalogue.h"
#include "engine/executor.h"
#include "tests/random_programs.h"

namespace {

using namespace mottler;

void check(bool condition) {
  if (!condition) std::abort();
}

void checkInRange(const ProgramDocument& doc) {
  check(doc.width >= 1 && doc.width <= kMaxTextureSide);
  check(doc.height >= 1 && doc.height <= kMaxTextureSide);
  check(doc.seed >= 0 && doc.seed <= 32767);
  check(doc.entries.size() <= static_cast<std::size_t>(kMaxProgramLength));
  check(doc.remark.size() <= static_cast<std::size_t>(kMaxRemarkLength));
  for (const ProgramEntry& e : doc.entries) {
    check(catalogueIndexOfCode(e.code).has_value());
    check(e.offsetX >= 0 && e.offsetX < doc.width);
    check(e.offsetY >= 0 && e.offsetY < doc.height);
    check(e.disabled <= 1 && e.fixedColors <= 1);
  }
}

void runOn(TextureEngine& engine, const ProgramDocument& doc, bool wide) {
  engine.wideVectors = wide;
  const int count = loadIntoEngine(doc, engine);
  runProgram(engine, doc.seed, count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ProgramDocument doc;
  if (decodeProgram(std::span(data, size), doc) != ReadStatus::Ok) return 0;
  checkInRange(doc);

  ProgramDocument again;
  check(decodeProgram(encodeProgram(doc), again) == ReadStatus::Ok);
  check(again == doc);

  capRunCost(doc);
  static TextureEngine portable, wide;
  runOn(portable, doc, false);
  if (wideVectorsSupported()) {
    runOn(wide, doc, true);
    check(std::equal(portable.texture.data(), portable.texture.data() + portable.pixelCount,
                     wide.texture.data()));
  }
  return 0;
}
