// Engine benchmarks: every command at its defaults and at its most expensive
// catalogue parameters, the layer blend, program files, the example programs
// end to end, edits through the runner (the time from an edit to its
// picture), how soon a heavy command notices a cancellation, start-up, and
// how cost grows with size and counts.  Everything runs at 256 x 256 on a
// colourful plasma texture unless the name says otherwise.  After the run a
// Markdown table gives each median also as a multiple of copying one plane
// with memcpy, measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "document/preview.h"
#include "document/program_file.h"
#include "document/program_text.h"
#include "engine/commands.h"
#include "engine/executor.h"
#include "engine/program_runner.h"

using namespace mottler;
namespace fs = std::filesystem;

namespace {

ProgramEntry entryFromText(const std::string& line, int w = 256, int h = 256) {
  ProgramDocument doc;
  std::string why;
  const std::string text =
      "size " + std::to_string(w) + " " + std::to_string(h) + "\n" + line + "\n";
  if (!parseProgramText(text, doc, &why) || doc.entries.size() != 1) {
    std::fprintf(stderr, "bad benchmark entry \"%s\": %s\n", line.c_str(), why.c_str());
    std::exit(1);
  }
  return doc.entries[0];
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A plasma of many colours: three plasmas of different variants and
// roughness, one per colour channel, added.  Tens of thousands of distinct
// colours, none of the grey a single plasma makes.
void paintColourfulPlasma(TextureEngine& e, int variant) {
  const int w = e.width, h = e.height;
  e.clear(e.texture);
  const std::string v = std::to_string(variant);
  executeCommand(e, entryFromText("Plasma: " + v + " 60 127 255 0 0", w, h));
  executeCommand(e, entryFromText("Plasma: 1" + v + " 25 127 0 255 0", w, h));
  executeCommand(e, entryFromText("Plasma: 2" + v + " 90 127 0 0 255", w, h));
  executeCommand(e, entryFromText("Brightness: 200 200 200", w, h));
}

// An engine of the given size holding a colourful plasma and, in the buffer,
// a second one, as the commands would meet them in a program.
TextureEngine& preparedEngine(int w = 256, int h = 256) {
  static TextureEngine engine;
  engine.wideVectors = wideVectorsSupported();
  engine.setSize(w, h);
  engine.clear(engine.texture);
  engine.clear(engine.buffer);
  engine.clear(engine.workPlane);
  engine.random.seed(1);
  paintColourfulPlasma(engine, 3);
  MoveToBuffer::run(engine, ProgramEntry{});
  paintColourfulPlasma(engine, 7);
  return engine;
}

// The texture, the buffer and the random state of an engine, put back
// before each iteration, so that every iteration meets the same input
// rather than the command's own output.
class SavedInput {
 public:
  explicit SavedInput(const TextureEngine& e)
      : texture_(e.texture.data(), e.texture.data() + e.pixelCount),
        buffer_(e.buffer.data(), e.buffer.data() + e.pixelCount),
        random_(e.random) {}
  void restore(TextureEngine& e) const {
    std::copy(texture_.begin(), texture_.end(), e.texture.data());
    std::copy(buffer_.begin(), buffer_.end(), e.buffer.data());
    e.random = random_;
  }

 private:
  std::vector<std::uint32_t> texture_, buffer_;
  RandomState random_;
};

// The command alone is timed; the input is restored outside the timing.
void runCommand(benchmark::State& state, const std::string& line, int w, int h,
                bool portable = false) {
  TextureEngine& e = preparedEngine(w, h);
  if (portable) e.wideVectors = false;
  const ProgramEntry entry = entryFromText(line, w, h);
  const SavedInput input(e);
  for (auto _ : state) {
    input.restore(e);
    benchmark::ClobberMemory();
    const Clock::time_point start = Clock::now();
    executeCommand(e, entry);
    benchmark::DoNotOptimize(e.texture.data());
    benchmark::ClobberMemory();
    state.SetIterationTime(secondsSince(start));
  }
}

void BM_MemcpyFloor(benchmark::State& state) {
  TextureEngine& e = preparedEngine();
  for (auto _ : state) {
    std::memcpy(e.workPlane.data(), e.texture.data(), static_cast<std::size_t>(e.byteSize));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyFloor);

// A command's name as a benchmark row names it: its words joined, each
// capitalised ("Distortion by Buffer" -> "DistortionByBuffer").
std::string rowName(std::string_view name) {
  std::string row;
  bool wordStart = true;
  for (char c : name) {
    if (c == ' ') {
      wordStart = true;
      continue;
    }
    row += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    wordStart = false;
  }
  return row;
}

// Each command with its catalogue defaults, and at its most expensive
// catalogue parameters (the heaviest settings its declaration gives).
struct CommandCase {
  std::string name;
  std::string defaults;
  std::string heaviest;
};

std::vector<CommandCase> commandCases() {
  std::vector<CommandCase> cases;
  for (const CommandDecl& d : kCommandTable) {
    const std::string line = std::string(d.name) + ":";
    cases.push_back(
        {rowName(d.name), line, d.heaviest.empty() ? line : line + " " + std::string(d.heaviest)});
  }
  return cases;
}

// The case of a command by its row name.
CommandCase commandCase(const std::string& name) {
  for (const CommandCase& c : commandCases())
    if (c.name == name) return c;
  std::fprintf(stderr, "no command %s\n", name.c_str());
  std::exit(1);
}

void registerCommandBenchmarks() {
  const std::vector<CommandCase> cases = commandCases();
  for (const CommandCase& c : cases) {
    benchmark::RegisterBenchmark(
        ("Default/" + c.name).c_str(),
        [line = c.defaults](benchmark::State& s) { runCommand(s, line, 256, 256); })
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
  }
  for (const CommandCase& c : cases) {
    benchmark::RegisterBenchmark(
        ("Heaviest/" + c.name).c_str(),
        [line = c.heaviest](benchmark::State& s) { runCommand(s, line, 256, 256); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  // The per-pixel colour and buffer work again on the code paths every
  // x86-64 processor runs (the rows above use the wide ones where this
  // processor has them).
  if (!wideVectorsSupported()) return;
  for (const char* name :
       {"ConnectBuffer", "GammaCorrection", "Brightness", "Inversion", "Contrast", "HSV"}) {
    benchmark::RegisterBenchmark((std::string("Portable/") + name).c_str(),
                                 [line = commandCase(name).heaviest](benchmark::State& s) {
                                   runCommand(s, line, 256, 256, true);
                                 })
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
  }
}

// The layer blend for each method (state.range(0)); BM_BlendPortable on the
// code paths every x86-64 processor runs.
void blendBenchmark(benchmark::State& state, bool portable) {
  TextureEngine& e = preparedEngine();
  if (portable) e.wideVectors = false;
  ProgramEntry entry;
  entry.method = static_cast<int>(state.range(0));
  entry.offsetX = 17;
  entry.offsetY = 5;
  for (auto _ : state) {
    blendLayer(e, e.buffer, entry);
    benchmark::ClobberMemory();
  }
  state.SetLabel(std::string(CommandCatalogue::blendMethodName(entry.method)));
}
void BM_Blend(benchmark::State& state) { blendBenchmark(state, false); }
void BM_BlendPortable(benchmark::State& state) { blendBenchmark(state, true); }
BENCHMARK(BM_Blend)->DenseRange(0, 9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendPortable)->DenseRange(0, 9)->Unit(benchmark::kMicrosecond);

// The preview's zoomed copy of a 256 x 256 texture into the 258 x 258 bitmap.
void BM_BlitZoomed(benchmark::State& state) {
  TextureEngine& e = preparedEngine();
  static std::uint32_t bits[preview::kPixels];
  const int zoom = static_cast<int>(state.range(0));
  const preview::Placement p = preview::placeZoomed(zoom, e.width, e.height);
  for (auto _ : state) {
    preview::clearBitmap(bits);
    preview::blitZoomed(p.x0, p.y0, e.width, e.height, p.zoomedWidth, p.zoomedHeight,
                        e.texture.data(), bits);
    preview::drawFrame(bits);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BlitZoomed)->Arg(100)->Arg(150)->Arg(1000)->Unit(benchmark::kMicrosecond);

ProgramDocument largeDocument() {
  ProgramDocument doc;
  doc.remark = "a long program";
  for (int i = 0; i < kMaxProgramLength; ++i) {
    const CommandDecl& d = kCommandTable[static_cast<std::size_t>(i % kCommandCount)];
    ProgramEntry e;
    e.code = d.code;
    for (int k = 0; k < kParamCount; ++k)
      e.param[k] = d.params[static_cast<std::size_t>(k)].defaultValue;
    e.method = Add;
    doc.entries.push_back(e);
  }
  return doc;
}

void BM_ProgramFileEncode(benchmark::State& state) {
  const ProgramDocument doc = largeDocument();
  for (auto _ : state) benchmark::DoNotOptimize(encodeProgram(doc));
}
BENCHMARK(BM_ProgramFileEncode)->Unit(benchmark::kMicrosecond);

void BM_ProgramFileDecode(benchmark::State& state) {
  const auto bytes = encodeProgram(largeDocument());
  const std::string text(bytes.begin(), bytes.end());
  for (auto _ : state) {
    std::istringstream in(text);
    ProgramDocument doc;
    benchmark::DoNotOptimize(decodeProgram(in, doc));
  }
}
BENCHMARK(BM_ProgramFileDecode)->Unit(benchmark::kMicrosecond);

void BM_ProgramFileWrite(benchmark::State& state) {
  const ProgramDocument doc = largeDocument();
  const fs::path path = fs::temp_directory_path() / "mottler-bench.mlr";
  for (auto _ : state) benchmark::DoNotOptimize(writeProgramFile(path, doc));
  fs::remove(path);
}
BENCHMARK(BM_ProgramFileWrite)->Unit(benchmark::kMicrosecond);

// The example programs by name, in name order.
std::vector<std::pair<std::string, ProgramDocument>> examplePrograms() {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(MOTTLER_EXAMPLES, ec))
    if (item.path().extension() == ".mlr") files.push_back(item.path());
  std::sort(files.begin(), files.end());
  std::vector<std::pair<std::string, ProgramDocument>> programs;
  for (const fs::path& file : files) {
    ProgramDocument doc;
    if (readProgramFile(file, doc) == ReadStatus::Ok) programs.emplace_back(file.stem(), doc);
  }
  return programs;
}

// Every example program, end to end, as a run from the top makes it.
void registerExampleBenchmarks() {
  for (const auto& [name, doc] : examplePrograms()) {
    benchmark::RegisterBenchmark(("Example/" + name).c_str(), [doc = doc](benchmark::State& s) {
      static TextureEngine e;
      e.setSize(doc.width, doc.height);
      std::copy(doc.entries.begin(), doc.entries.end(), e.entries.begin());
      e.entries[doc.entries.size()] = ProgramEntry{};
      for (auto _ : s) {
        runProgram(e, doc.seed, static_cast<int>(doc.entries.size()));
        benchmark::ClobberMemory();
      }
    })->Unit(benchmark::kMillisecond);
  }
}

// Every example program made large: at 8 and 16 times its 256 x 256
// design size (2048 x 2048 and 4096 x 4096), on one thread and on every
// core; once each, as one export makes it.
void registerLargeExampleBenchmarks() {
  for (const auto& [name, doc] : examplePrograms())
    for (const int scale : {8, 16})
      for (const int threads : {1, 0}) {
        const std::string title = "LargeExample/" + name + "/" + std::to_string(doc.width * scale) +
                                  (threads == 1 ? "/1thread" : "/allcores");
        benchmark::RegisterBenchmark(
            title.c_str(),
            [doc = doc, scale, threads](benchmark::State& s) {
              static auto e = std::make_unique<TextureEngine>();
              e->setScaledSize(doc.width, doc.height, scale);
              e->setThreads(threads != 0 ? threads
                                         : static_cast<int>(
                                               std::max(1u, std::thread::hardware_concurrency())));
              std::copy(doc.entries.begin(), doc.entries.end(), e->entries.begin());
              e->entries[doc.entries.size()] = ProgramEntry{};
              for (auto _ : s) {
                runProgram(*e, doc.seed, static_cast<int>(doc.entries.size()));
                benchmark::ClobberMemory();
              }
              e->setThreads(1);
            })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
      }
}

// The entry as one step of a scroll bar changes it: its first parameter
// that can move one up (or else one down), or, for a command without
// parameters, its "State".
ProgramEntry oneStepFrom(const ProgramEntry& entry, int w, int h) {
  ProgramEntry changed = entry;
  const std::optional<int> index = catalogueIndexOfCode(entry.code);
  if (index) {
    const CommandInfo info = commandInfoForSize(*index, w, h);
    for (int k = 0; k < kParamCount; ++k) {
      if (!info.used(k) || info.minValue[k] == info.maxValue[k]) continue;
      changed.param[k] += entry.param[k] < info.maxValue[k] ? 1 : -1;
      return changed;
    }
  }
  changed.disabled ^= 1;
  return changed;
}

// The time from an edit of entry k to its finished picture, through the
// runner as the window's worker uses it: the program's first `length`
// entries and the empty slot after them, entry k stepped back and forth as a
// scroll bar drag does.  The first step (not timed) runs the entries before
// k once; every timed one reruns entry k and those after it.  Counters: the
// entry the runs started at and the memory the snapshots fill.
void editBenchmark(benchmark::State& state, const ProgramDocument& doc, int length, int k) {
  static TextureEngine e;
  static ProgramRunner runner;
  e.setSize(doc.width, doc.height);
  std::vector<ProgramEntry> program(doc.entries.begin(), doc.entries.begin() + length);
  program.emplace_back();
  runner.forget();
  runner.run(e, doc.seed, program);
  const ProgramEntry original = program[static_cast<std::size_t>(k)];
  const ProgramEntry stepped = oneStepFrom(original, doc.width, doc.height);
  bool step = false;
  for (auto _ : state) {
    step = !step;
    program[static_cast<std::size_t>(k)] = step ? stepped : original;
    runner.run(e, doc.seed, program);
    benchmark::ClobberMemory();
  }
  state.counters["from"] = runner.lastStart() + 1;
  state.counters["snapshot_MiB"] = static_cast<double>(runner.snapshotBytes()) / (1 << 20);
}

void registerEditBenchmarks() {
  for (const auto& [name, doc] : examplePrograms()) {
    const int n = static_cast<int>(doc.entries.size());
    if (n == 0) continue;
    const auto add = [&, doc = doc](const std::string& row, int length, int k) {
      benchmark::RegisterBenchmark(("Edit/" + row).c_str(), [doc, length, k](benchmark::State& s) {
        editBenchmark(s, doc, length, k);
      })->Unit(benchmark::kMicrosecond);
    };
    add(name + "/first", n, 0);
    add(name + "/middle", n, n / 2);
    add(name + "/last", n, n - 1);
    if (n < 30) continue;
    // The long example: each of its last five entries, and the last three of
    // its first twenty entries as a program of its own.
    for (int k = n - 5; k < n - 1; ++k) add(name + "/entry-" + std::to_string(k + 1), n, k);
    for (int k = 17; k < 20; ++k) add(name + "-20/entry-" + std::to_string(k + 1), 20, k);
  }
}

// How soon a command at its most expensive parameters notices a
// cancellation: another thread raises the flag at a random moment of the
// command's run, and the time from then to the command's return is
// measured.  Median in the table; the counter max_ms is the longest seen.
void cancelLatency(benchmark::State& state, const std::string& line) {
  TextureEngine& e = preparedEngine();
  const ProgramEntry entry = entryFromText(line);
  const SavedInput input(e);
  Clock::time_point start = Clock::now();
  executeCommand(e, entry);
  const double whole = secondsSince(start);

  std::atomic<bool> flag{false};
  RandomState dice;
  dice.seed(1);
  double longest = 0;
  for (auto _ : state) {
    input.restore(e);
    flag = false;
    e.cancel.watch(&flag);  // a flag once seen raised stays seen until watched anew
    const auto delay = std::chrono::duration<double>(whole * 0.9 * dice.next() / 32768.0);
    std::atomic<std::int64_t> raisedAt{0};
    std::thread raiser([&] {
      std::this_thread::sleep_for(delay);
      raisedAt = Clock::now().time_since_epoch().count();
      flag = true;
    });
    executeCommand(e, entry);
    const std::int64_t returnedAt = Clock::now().time_since_epoch().count();
    raiser.join();
    const double latency = returnedAt > raisedAt ? (returnedAt - raisedAt) * 1e-9 : 0.0;
    longest = std::max(longest, latency);
    state.SetIterationTime(latency);
  }
  e.cancel.watch(nullptr);
  state.counters["max_ms"] = longest * 1e3;
  state.counters["whole_ms"] = whole * 1e3;
}

void registerCancelBenchmarks() {
  // The commands that can take longer than a few milliseconds, at their
  // heaviest settings.
  for (const char* name :
       {"Circles", "Blobs", "Points", "Worms", "Splines", "Lines", "Blur", "UnsharpMask"})
    benchmark::RegisterBenchmark(
        ("CancelLatency/" + std::string(name)).c_str(),
        [l = commandCase(name).heaviest](benchmark::State& s) { cancelLatency(s, l); })
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
}

// What a headless render spends on the engine before its first entry: the
// engine made and sized (the lookup tables are built only when a command
// first needs them).
void BM_EngineStartUp(benchmark::State& state) {
  for (auto _ : state) {
    auto e = std::make_unique<TextureEngine>();
    e->setSize(256, 256);
    benchmark::DoNotOptimize(e->texture.data());
  }
}
BENCHMARK(BM_EngineStartUp)->Unit(benchmark::kMicrosecond);

// How cost grows with the texture size and with the count parameters.
void registerScalingBenchmarks() {
  const std::pair<const char*, const char*> bySize[] = {
      {"Plasma", "Plasma:"}, {"Blur", "Blur: 8"}, {"Twirl", "Twirl:"}, {"Worms", "Worms:"}};
  for (const auto& [name, line] : bySize)
    for (int size : {32, 64, 128, 256})
      benchmark::RegisterBenchmark(
          ("Size/" + std::string(name) + "/" + std::to_string(size)).c_str(),
          [line = std::string(line), size](benchmark::State& s) {
            runCommand(s, line, size, size);
          })
          ->UseManualTime()
          ->Unit(benchmark::kMicrosecond);

  const std::pair<const char*, std::vector<const char*>> byCount[] = {
      {"PointsAmount", {"Points: 1000 4", "Points: 4000 4", "Points: 16000 4"}},
      {"PointsThickness", {"Points: 2000 8", "Points: 2000 32", "Points: 2000 128"}},
      {"WormsAmount", {"Worms: 256 128 5 4", "Worms: 1024 128 5 4", "Worms: 4096 128 5 4"}},
      {"WormsThickness", {"Worms: 512 128 5 4", "Worms: 512 128 5 16", "Worms: 512 128 5 64"}},
      {"BlurPasses", {"Blur: 4", "Blur: 16", "Blur: 64"}},
      {"BlobsAmount", {"Blobs: 64", "Blobs: 256", "Blobs: 1024"}},
  };
  for (const auto& [name, lines] : byCount)
    for (const char* line : lines)
      benchmark::RegisterBenchmark(
          ("Count/" + std::string(name) + "/" + line).c_str(),
          [l = std::string(line)](benchmark::State& s) { runCommand(s, l, 256, 256); })
          ->UseManualTime()
          ->Unit(benchmark::kMicrosecond);
}

// Prints the usual console report and collects the runs for the table.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      const std::string name = shortName(r);
      const double ns = r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond   ? 1e6
                                                   : r.time_unit == benchmark::kMicrosecond ? 1e3
                                                                                            : 1.0);
      if (!seen_.count(name)) order_.push_back(name);
      seen_[name] = ns;
      notes_[name] = notesOf(r);
    }
  }

  void printTable() const {
    const auto floor = seen_.find("BM_MemcpyFloor");
    const double floorNs = floor == seen_.end() ? 0.0 : floor->second;
    std::printf("\n| benchmark | time | × memcpy | notes |\n|---|---:|---:|---|\n");
    for (const std::string& name : order_) {
      const double ns = seen_.at(name);
      char time[32];
      if (ns >= 1e6)
        std::snprintf(time, sizeof time, "%.2f ms", ns / 1e6);
      else
        std::snprintf(time, sizeof time, "%.1f µs", ns / 1e3);
      char multiple[32] = "—";
      if (floorNs > 0) std::snprintf(multiple, sizeof multiple, "%.1f", ns / floorNs);
      std::printf("| %s | %s | %s | %s |\n", name.c_str(), time, multiple, notes_.at(name).c_str());
    }
  }

 private:
  // The name without the aggregate, the iteration count and the timing kind.
  static std::string shortName(const Run& r) {
    std::string name = r.benchmark_name();
    if (r.run_type == Run::RT_Aggregate) name = name.substr(0, name.rfind('_'));
    for (const char* suffix : {"/manual_time", "/iterations:20"}) {
      const std::size_t at = name.find(suffix);
      if (at != std::string::npos) name.erase(at, std::string(suffix).size());
    }
    return name;
  }

  // The counters a benchmark reports, in words.
  static std::string notesOf(const Run& r) {
    std::string notes;
    const auto add = [&](const char* counter, const char* format) {
      const auto c = r.counters.find(counter);
      if (c == r.counters.end()) return;
      char text[64];
      std::snprintf(text, sizeof text, format, static_cast<double>(c->second));
      notes += (notes.empty() ? "" : ", ") + std::string(text);
    };
    add("from", "reruns from entry %.0f");
    add("snapshot_MiB", "snapshots %.1f MiB");
    add("max_ms", "longest %.2f ms");
    add("whole_ms", "whole command %.0f ms");
    return notes;
  }

  std::vector<std::string> order_;
  std::map<std::string, double> seen_;
  std::map<std::string, std::string> notes_;
};

}  // namespace

int main(int argc, char** argv) {
  registerCommandBenchmarks();
  registerExampleBenchmarks();
  registerLargeExampleBenchmarks();
  registerEditBenchmarks();
  registerCancelBenchmarks();
  registerScalingBenchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printTable();
  benchmark::Shutdown();
  return 0;
}

// Writing the texture as a PNG, as mottler-render does for a .png name.
#include "document/bitmap_export.h"

namespace {

void BM_PngEncode(benchmark::State& state) {
  const TextureEngine& e = preparedEngine();
  for (auto _ : state) benchmark::DoNotOptimize(encodePng(e, e.texture));
}
BENCHMARK(BM_PngEncode)->Unit(benchmark::kMicrosecond);

}  // namespace
