// Engine benchmarks: every command at its defaults and at its most expensive
// catalogue parameters, the layer blend, program files, the example programs
// end to end, and how cost grows with size and counts.  Everything runs at
// 256 x 256 on a plasma texture unless the name says otherwise.  After the
// run a Markdown table gives each median also as a multiple of copying one
// plane with memcpy, measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "document/program_file.h"
#include "document/program_text.h"
#include "engine/commands.h"
#include "engine/executor.h"
#include "document/preview.h"

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

// An engine of the given size holding a plasma texture and, in the buffer, a
// second plasma, as the commands would meet them in a program.
TextureEngine& preparedEngine(int w = 256, int h = 256) {
  static TextureEngine engine;
  engine.wideVectors = wideVectorsSupported();
  engine.setSize(w, h);
  engine.clear(engine.texture);
  engine.clear(engine.buffer);
  engine.clear(engine.workPlane);
  engine.random.seed(1);
  executeCommand(engine, entryFromText("Plasma: 3 60", w, h));
  MoveToBuffer::run(engine, ProgramEntry{});
  executeCommand(engine, entryFromText("Plasma: 11 25", w, h));
  return engine;
}

void runCommand(benchmark::State& state, const std::string& line, int w, int h,
                bool portable = false) {
  TextureEngine& e = preparedEngine(w, h);
  if (portable) e.wideVectors = false;
  const ProgramEntry entry = entryFromText(line, w, h);
  for (auto _ : state) {
    executeCommand(e, entry);
    benchmark::DoNotOptimize(e.texture.data());
    benchmark::ClobberMemory();
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

// Each command with its catalogue defaults, and at its most expensive
// catalogue parameters.
struct CommandCase {
  const char* name;
  const char* defaults;
  const char* heaviest;
};
const CommandCase kCases[] = {
    {"Plasma", "Plasma:", "Plasma: 0 255 127"},
    {"SinePlasma", "Sine Plasma:", "Sine Plasma: 32 32 255 255"},
    {"PerlinNoise", "Perlin Noise:", "Perlin Noise: 0 4 4"},
    {"Blobs", "Blobs:", "Blobs: 1024 512 512"},
    {"Points", "Points:", "Points: 32767 255"},
    {"Lines", "Lines:", "Lines: 1024 45 512 64"},
    {"Circles", "Circles:", "Circles: 1024 512 512 64"},
    {"Rectangles", "Rectangles:", "Rectangles: 1024 255 255 64"},
    {"Worms", "Worms:", "Worms: 4096 255 128 64"},
    {"Splines", "Splines:", "Splines: 4096 128 255 64"},
    {"EnviroumentMap", "Enviroument Map:", "Enviroument Map: 256"},
    {"Noise", "Noise:", "Noise: 1 1"},
    {"Twirl", "Twirl:", "Twirl: 180"},
    {"SineDistortion", "Sine Distortion:", "Sine Distortion: 255 255 32 32 255 255"},
    {"DistortionByBuffer", "Distortion by Buffer:", "Distortion by Buffer: 255 255 255 255"},
    {"Divider", "Divider:", "Divider: 32"},
    {"Carpet", "Carpet:", "Carpet: 127 127"},
    {"Glass", "Glass:", "Glass: 255 16"},
    {"Blur", "Blur:", "Blur: 255"},
    {"UnsharpMask", "Unsharp Mask:", "Unsharp Mask: 1000 50 0"},
    {"BumpMapping", "Bump Mapping:", "Bump Mapping: 255 32"},
    {"Maximum", "Maximum:", "Maximum: 24"},
    {"Minimum", "Minimum:", "Minimum: 24"},
    {"Median", "Median:", "Median:"},
    {"MoveToBuffer", "Move to Buffer:", "Move to Buffer:"},
    {"ClearTexture", "Clear Texture:", "Clear Texture:"},
    {"ConnectBuffer", "Connect Buffer:", "Connect Buffer: method=Shade"},
    {"GammaCorrection", "Gamma Correction:", "Gamma Correction: 300"},
    {"Brightness", "Brightness:", "Brightness: 1000 1000 1000"},
    {"Inversion", "Inversion:", "Inversion:"},
    {"Contrast", "Contrast:", "Contrast: 500"},
    {"HSV", "HSV:", "HSV: 360 200 200"},
};

void registerCommandBenchmarks() {
  for (const CommandCase& c : kCases) {
    benchmark::RegisterBenchmark(
        (std::string("Default/") + c.name).c_str(),
        [line = std::string(c.defaults)](benchmark::State& s) { runCommand(s, line, 256, 256); })
        ->Unit(benchmark::kMicrosecond);
  }
  for (const CommandCase& c : kCases) {
    benchmark::RegisterBenchmark(
        (std::string("Heaviest/") + c.name).c_str(),
        [line = std::string(c.heaviest)](benchmark::State& s) { runCommand(s, line, 256, 256); })
        ->Unit(benchmark::kMillisecond);
  }
  // The per-pixel colour and buffer work again on the code paths every
  // x86-64 processor runs (the rows above use the wide ones where this
  // processor has them).
  if (!wideVectorsSupported()) return;
  for (const CommandCase& c : kCases) {
    const std::string name = c.name;
    if (name != "ConnectBuffer" && name != "GammaCorrection" && name != "Brightness" &&
        name != "Contrast" && name != "Inversion" && name != "HSV")
      continue;
    benchmark::RegisterBenchmark(("Portable/" + name).c_str(), [line = std::string(c.heaviest)](
                                                                   benchmark::State& s) {
      runCommand(s, line, 256, 256, true);
    })->Unit(benchmark::kMicrosecond);
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

// Every example program, end to end, as the preview runs it.
void registerExampleBenchmarks() {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(MOTTLER_EXAMPLES, ec))
    if (item.path().extension() == ".mlr") files.push_back(item.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    ProgramDocument doc;
    if (readProgramFile(file, doc) != ReadStatus::Ok) continue;
    benchmark::RegisterBenchmark(("Example/" + file.stem().string()).c_str(),
                                 [doc](benchmark::State& s) {
                                   static TextureEngine e;
                                   e.setSize(doc.width, doc.height);
                                   std::copy(doc.entries.begin(), doc.entries.end(),
                                             e.entries.begin());
                                   e.entries[doc.entries.size()] = ProgramEntry{};
                                   for (auto _ : s) {
                                     runProgram(e, doc.seed, static_cast<int>(doc.entries.size()));
                                     benchmark::ClobberMemory();
                                   }
                                 })
        ->Unit(benchmark::kMillisecond);
  }
}

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
          ->Unit(benchmark::kMicrosecond);
}

// Prints the usual console report and collects the runs for the table.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      std::string name = r.benchmark_name();
      if (r.run_type == Run::RT_Aggregate) name = name.substr(0, name.rfind('_'));
      const double ns = r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond   ? 1e6
                                                   : r.time_unit == benchmark::kMicrosecond ? 1e3
                                                                                            : 1.0);
      if (!seen_.count(name)) order_.push_back(name);
      seen_[name] = ns;
    }
  }

  void printTable() const {
    const auto floor = seen_.find("BM_MemcpyFloor");
    const double floorNs = floor == seen_.end() ? 0.0 : floor->second;
    std::printf("\n| benchmark | time | × memcpy |\n|---|---:|---:|\n");
    for (const std::string& name : order_) {
      const double ns = seen_.at(name);
      char time[32];
      if (ns >= 1e6)
        std::snprintf(time, sizeof time, "%.2f ms", ns / 1e6);
      else
        std::snprintf(time, sizeof time, "%.1f µs", ns / 1e3);
      char multiple[32] = "—";
      if (floorNs > 0) std::snprintf(multiple, sizeof multiple, "%.1f", ns / floorNs);
      std::printf("| %s | %s | %s |\n", name.c_str(), time, multiple);
    }
  }

 private:
  std::vector<std::string> order_;
  std::map<std::string, double> seen_;
};

}  // namespace

int main(int argc, char** argv) {
  registerCommandBenchmarks();
  registerExampleBenchmarks();
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
