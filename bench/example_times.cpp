// mottler-example-times: how long each program takes to run from the top in
// this build, without the process around it (loading, reading the file,
// writing the picture): the median of repeated runs, at least 15 and at
// least a quarter of a second of them, after as long a warm-up (a
// WebAssembly engine compiles the hot functions a second time, optimised,
// while they run).  It is built for every platform the renderer is
// (WebAssembly under node, aarch64), to compare them with the native build;
// docs/performance.md has the numbers.
//   mottler-example-times PROGRAM.mlr...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "document/program_file.h"
#include "engine/executor.h"

namespace {

using Clock = std::chrono::steady_clock;

// The times of runs of a program, at least 15 and at least 250 ms of them.
std::vector<double> runTimes(mottler::TextureEngine& engine, const mottler::ProgramDocument& doc) {
  std::vector<double> times;
  const Clock::time_point start = Clock::now();
  while (times.size() < 15 || Clock::now() - start < std::chrono::milliseconds(250)) {
    const Clock::time_point before = Clock::now();
    const int count = mottler::loadIntoEngine(doc, engine);
    mottler::runProgram(engine, doc.seed, count);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
  }
  return times;
}

double medianMilliseconds(mottler::TextureEngine& engine, const mottler::ProgramDocument& doc) {
  runTimes(engine, doc);  // the warm-up
  std::vector<double> times = runTimes(engine, doc);
  std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                   times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  static mottler::TextureEngine engine;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    mottler::ProgramDocument doc;
    if (mottler::readProgramFile(argv[i], doc) != mottler::ReadStatus::Ok) {
      std::fprintf(stderr, "mottler-example-times: cannot read %s\n", argv[i]);
      status = 1;
      continue;
    }
    std::printf("%-24s %8.3f ms\n", std::filesystem::path(argv[i]).stem().c_str(),
                medianMilliseconds(engine, doc));
  }
  return status;
}
