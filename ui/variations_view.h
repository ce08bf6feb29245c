// View > "Variations": the current program with nine seeds in a 3 x 3 grid,
// the current seed in the centre.  The pictures are made in the background
// at the document's size, on a worker of their own, so the main window's
// runs are never held up.  Choosing a cell (a click, or the arrow keys and
// Enter) asks the window to take its seed; "More" rerolls the eight around
// the centre.  Each cell is named by its seed for a screen reader.
#pragma once

#include <QDialog>
#include <QImage>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/variations.h"
#include "engine/engine_state.h"

class QPushButton;
class QToolButton;

namespace mottler::ui {

class RenderWorker;
struct RunOutcome;

class VariationsView : public QDialog {
  Q_OBJECT

 public:
  explicit VariationsView(QWidget* parent);
  ~VariationsView() override;

  // The program to vary: the slots a run takes, the current seed and the
  // size.  Only what changed is made again: a new seed that is one of the
  // cells moves to the centre without a run.
  void showProgram(const std::vector<ProgramEntry>& program, int seed, int width, int height);

  const std::array<int, kVariationCells>& seeds() const { return seeds_; }
  // The picture of a cell; null until its run has finished.
  const QImage& picture(int cell) const { return pictures_[static_cast<std::size_t>(cell)]; }
  bool isRendering() const { return outstanding_ > 0; }
  // Handles events until every picture asked for is there.
  void waitUntilRendered();

  // Rerolls the eight seeds around the centre ("More").
  void more();

  // The button of a cell, in reading order; named by its seed.
  QToolButton* cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }

 signals:
  // The user chose the seed of a cell.
  void seedChosen(int seed);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void choose(int cell);
  void moveToCentre(int cell);
  void render(int cell);
  void renderAll();
  void onRunEnded(const std::shared_ptr<const RunOutcome>& outcome);
  void showCell(int cell);
  int displaySide() const;

  std::array<QToolButton*, kVariationCells> cells_{};
  QPushButton* moreButton_ = nullptr;
  RenderWorker* worker_ = nullptr;

  std::vector<ProgramEntry> program_;
  int width_ = 0;
  int height_ = 0;
  std::uint32_t round_ = 0;
  bool started_ = false;
  std::array<int, kVariationCells> seeds_{};
  std::array<QImage, kVariationCells> pictures_;
  std::array<std::uint64_t, kVariationCells> runs_{};
  int outstanding_ = 0;
};

}  // namespace mottler::ui
