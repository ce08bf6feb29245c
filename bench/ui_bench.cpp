// Event-loop latency of the real window on Qt's offscreen platform: how long
// the window's event loop is kept from handling events while programs run.
//
// A 1 ms timer measures its own lateness: every time it fires, the time since
// it last fired, less its interval, is time the loop was blocked.  Reported
// per benchmark (as counters): the longest block (max_blocked_ms), how many
// blocks exceeded 16 ms, one frame at 60 Hz (blocks_over_16ms), and the mean
// interval between timer events (mean_tick_ms).  On a machine shared with
// other work the longest block includes the times the scheduler gave the
// window's thread no core.
//
//   Idle               the window with nothing to run, for a second: what the
//                      machine itself costs the probe (the baseline).
//   DragHeavyProgram   a fast drag (a step every 8 ms, 120 steps) of the first
//                      entry's scroll bar in a program of 24 heavy entries:
//                      every step reruns the whole program.
//   LongRun            a run of many seconds (100 "Circles" and 100 "Blur"
//                      at their maxima) while the seed is stepped and the
//                      preview zoomed.
//   CloseDuringLongRun the time from Exit during that long run until the
//                      window is gone and its worker stopped (close_ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>

#include "document/program_file.h"
#include "document/program_text.h"
#include "ui/control_ids.h"
#include "ui/dialogs/scripted_dialog_seam.h"
#include "ui/main_dialog.h"

using namespace mottler;
using namespace mottler::ui;

namespace {

// Twenty-four entries with heavy but ordinary settings.
const char* const kHeavyProgram = R"(size 256 256
seed 1
Plasma: 7 40 127
Perlin Noise: 3 5 4 method=Middle
Blur: 32
Unsharp Mask: 200 8 0
Glass: 64 8
Maximum: 6
Minimum: 6
Twirl: 120 method=Middle
Blur: 32
Bump Mapping: 128 4
Median:
Circles: 200 40 method=Middle
Blur: 32
Unsharp Mask: 300 12 0
Glass: 128 4
Maximum: 8
HSV: 30 10 0
Blobs: 100 30 method=Lighten
Blur: 32
Minimum: 8
Sine Distortion: 10 10 4 4
Median:
Unsharp Mask: 100 4 0
Contrast: 20
)";

// "Circles" and "Blur" at their maxima, a hundred each: many seconds a run.
std::string longProgram() {
  std::string text = "size 256 256\n";
  for (int i = 0; i < 100; ++i) text += "Circles: 1024 512 method=Xor\nBlur: 255\n";
  return text;
}

// Measures how late a 1 ms timer fires.
class LatencyProbe {
 public:
  LatencyProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
  }
  void start() {
    clock_.start();
    last_ = 0;
    maxBlockedNs_ = 0;
    ticks_ = 0;
    overFrame_ = 0;
    timer_.start();
  }
  void stop() { timer_.stop(); }
  double maxBlockedMs() const { return static_cast<double>(maxBlockedNs_) / 1e6; }
  long blocksOverFrame() const { return overFrame_; }
  double meanIntervalMs() const {
    return ticks_ > 0 ? static_cast<double>(last_) / 1e6 / static_cast<double>(ticks_) : 0.0;
  }

 private:
  void tick() {
    const qint64 now = clock_.nsecsElapsed();
    const qint64 blocked = now - last_ - 1'000'000;
    maxBlockedNs_ = std::max(maxBlockedNs_, blocked);
    if (blocked > 16'000'000) ++overFrame_;
    last_ = now;
    ++ticks_;
  }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 maxBlockedNs_ = 0;
  long ticks_ = 0;
  long overFrame_ = 0;
};

// Handles events for a while (the probe keeps firing meanwhile).
void runEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// A window with a program open, as a file manager would open it.
std::unique_ptr<CMottlerDlg> windowWith(const std::string& text, QTemporaryDir& dir) {
  ProgramDocument doc;
  std::string why;
  if (!parseProgramText(text, doc, &why)) {
    std::fprintf(stderr, "ui bench: bad program: %s\n", why.c_str());
    std::exit(1);
  }
  const QString path = dir.filePath(QStringLiteral("bench.mlr"));
  writeProgramFile(path.toStdString(), doc);
  auto window = std::make_unique<CMottlerDlg>();
  window->show();
  window->openStartupDocument(path);
  window->waitUntilIdle();
  return window;
}

// Runs each iteration's work under the probe, times it as the iteration and
// keeps the worst block over all iterations for the report.
class ProbedIterations {
 public:
  template <class Work>
  void measure(benchmark::State& state, Work work) {
    probe_.start();
    QElapsedTimer clock;
    clock.start();
    work();
    probe_.stop();
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    worst_ = std::max(worst_, probe_.maxBlockedMs());
    overFrame_ += probe_.blocksOverFrame();
  }
  void report(benchmark::State& state) const {
    state.counters["max_blocked_ms"] = benchmark::Counter(worst_);
    state.counters["blocks_over_16ms"] = benchmark::Counter(static_cast<double>(overFrame_));
    state.counters["mean_tick_ms"] = benchmark::Counter(probe_.meanIntervalMs());
  }

 private:
  LatencyProbe probe_;
  double worst_ = 0;
  long overFrame_ = 0;
};

void Idle(benchmark::State& state) {
  QTemporaryDir dir;
  const std::unique_ptr<CMottlerDlg> window = windowWith("size 256 256\n", dir);
  ProbedIterations probed;
  for (auto _ : state) probed.measure(state, [] { runEventsFor(1000); });
  probed.report(state);
}
BENCHMARK(Idle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void DragHeavyProgram(benchmark::State& state) {
  QTemporaryDir dir;
  const std::unique_ptr<CMottlerDlg> window = windowWith(kHeavyProgram, dir);
  window->control<QListWidget>(IdList)->setCurrentRow(0);
  window->waitUntilIdle();
  QScrollBar* bar = window->control<QScrollBar>(kParamBarIds[0]);
  ProbedIterations probed;
  for (auto _ : state) {
    probed.measure(state, [&] {
      // The drag: the thumb moves one step every 8 ms, as mouse moves arrive.
      bar->setSliderDown(true);
      int steps = 0;
      QEventLoop loop;
      QTimer drag;
      drag.setTimerType(Qt::PreciseTimer);
      QObject::connect(&drag, &QTimer::timeout, [&] {
        bar->setSliderPosition(bar->minimum() + (steps * 7) % (bar->maximum() - bar->minimum()));
        if (++steps == 120) loop.quit();
      });
      drag.start(8);
      loop.exec();
      drag.stop();
      bar->setSliderDown(false);
      window->waitUntilIdle();
    });
  }
  probed.report(state);
}
BENCHMARK(DragHeavyProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void LongRun(benchmark::State& state) {
  QTemporaryDir dir;
  const std::unique_ptr<CMottlerDlg> window = windowWith("size 256 256\n", dir);
  ProgramDocument doc;
  parseProgramText(longProgram(), doc);
  const QString path = dir.filePath(QStringLiteral("long.mlr"));
  writeProgramFile(path.toStdString(), doc);
  QScrollBar* seed = window->control<QScrollBar>(IdSeedBar);
  QScrollBar* zoom = window->control<QScrollBar>(IdZoomBar);
  ProbedIterations probed;
  for (auto _ : state) {
    probed.measure(state, [&] {
      window->openStartupDocument(path);
      // While it runs: seed steps (each supersedes the run) and zoom steps.
      for (int i = 0; i < 20; ++i) {
        seed->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        zoom->triggerAction(i < 10 ? QAbstractSlider::SliderSingleStepAdd
                                   : QAbstractSlider::SliderSingleStepSub);
        runEventsFor(25);
      }
      runEventsFor(500);
    });
    // The rest of the run is not measured: an empty program supersedes it.
    window->openStartupDocument(dir.filePath(QStringLiteral("bench.mlr")));
    window->waitUntilIdle();
  }
  probed.report(state);
}
BENCHMARK(LongRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void CloseDuringLongRun(benchmark::State& state) {
  QTemporaryDir dir;
  double worst = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<CMottlerDlg> window = windowWith("size 256 256\n", dir);
    ProgramDocument doc;
    parseProgramText(longProgram(), doc);
    const QString path = dir.filePath(QStringLiteral("long.mlr"));
    writeProgramFile(path.toStdString(), doc);
    window->openStartupDocument(path);
    runEventsFor(300);  // well into the first entry
    state.ResumeTiming();
    QElapsedTimer clock;
    clock.start();
    window->close();
    window.reset();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1e3);
    worst = std::max(worst, ms);
  }
  state.counters["close_ms"] = benchmark::Counter(worst);
}
BENCHMARK(CloseDuringLongRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Questions the window would ask (the exit information) answer at once.
  ScriptedDialogSeam unattended;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
