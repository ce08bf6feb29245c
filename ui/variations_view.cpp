#include "ui/variations_view.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QGridLayout>
#include <QToolButton>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

#include "ui/render_worker.h"

namespace mottler::ui {

namespace {

// Room kept on the screen for the dialog's frame, caption and buttons.
constexpr int kChromeHeight = 160;
constexpr int kSmallestCell = 64;
constexpr int kLargestCell = 256;
constexpr int kCellPadding = 16;

QString seedName(int seed) { return QStringLiteral("Seed %1").arg(seed); }

bool sameProgram(const std::vector<ProgramEntry>& a, const std::vector<ProgramEntry>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(ProgramEntry)) == 0);
}

}  // namespace

VariationsView::VariationsView(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Variations"));
  setAccessibleName(QStringLiteral("Variations"));
  worker_ = new RenderWorker(this);
  connect(worker_, &RenderWorker::runEnded, this, &VariationsView::onRunEnded);

  auto* grid = new QGridLayout;
  grid->setSpacing(kCellPadding / 2);
  for (int index = 0; index < kVariationCells; ++index) {
    auto* button = new QToolButton(this);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setCheckable(false);
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this, [this, index] { choose(index); });
    grid->addWidget(button, index / 3, index % 3);
    cells_[static_cast<std::size_t>(index)] = button;
  }

  moreButton_ = new QPushButton(QStringLiteral("&More"), this);
  moreButton_->setAutoDefault(false);
  moreButton_->setToolTip(QStringLiteral("eight other seeds around the current one"));
  connect(moreButton_, &QPushButton::clicked, this, &VariationsView::more);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(moreButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

VariationsView::~VariationsView() {
  // The worker stops before the pictures it reports to go.
  delete worker_;
}

// The side of a cell's picture on the screen: the design size, made smaller
// when three rows of it would not fit the screen.
int VariationsView::displaySide() const {
  int side = std::clamp(std::max(width_, height_), kSmallestCell, kLargestCell);
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const int fits = (screen->availableGeometry().height() - kChromeHeight) / 3 - kCellPadding * 2;
    side = std::clamp(std::min(side, fits), kSmallestCell, kLargestCell);
  }
  return side;
}

void VariationsView::showProgram(const std::vector<ProgramEntry>& program, int seed, int width,
                                 int height) {
  const bool samePicture = sameProgram(program, program_) && width == width_ && height == height_;
  if (!samePicture) {
    program_ = program;
    width_ = width;
    height_ = height;
  }
  const auto found = std::find(seeds_.begin(), seeds_.end(), seed);
  const int cell = static_cast<int>(found - seeds_.begin());
  if (!started_ || found == seeds_.end()) {
    started_ = true;
    seeds_ = variationSeeds(seed, round_);
    renderAll();
  } else if (!samePicture) {
    seeds_ = recentred(seeds_, cell);
    renderAll();
  } else if (cell != kVariationCentre) {
    // A seed the grid shows already: it moves to the centre, no run.
    moveToCentre(cell);
  }
  const int side = displaySide();
  for (QToolButton* button : cells_) button->setIconSize(QSize(side, side));
  for (int index = 0; index < kVariationCells; ++index) showCell(index);
}

void VariationsView::more() {
  ++round_;
  seeds_ = variationSeeds(seeds_[kVariationCentre], round_);
  for (int cell = 0; cell < kVariationCells; ++cell)
    if (cell != kVariationCentre) render(cell);
}

void VariationsView::renderAll() {
  // Pictures of an older program are not wanted any more.
  worker_->cancelAll();
  for (int cell = 0; cell < kVariationCells; ++cell) render(cell);
}

void VariationsView::render(int cell) {
  RunRequest request;
  request.program = program_;
  request.seed = seeds_[static_cast<std::size_t>(cell)];
  request.width = width_;
  request.height = height_;
  // Every cell's run goes to the end: a newer cell does not supersede an
  // older one.
  request.mustFinish = true;
  pictures_[static_cast<std::size_t>(cell)] = QImage();
  runs_[static_cast<std::size_t>(cell)] = worker_->submit(std::move(request));
  ++outstanding_;
  showCell(cell);
}

void VariationsView::onRunEnded(const std::shared_ptr<const RunOutcome>& outcome) {
  --outstanding_;
  const auto cell = std::find(runs_.begin(), runs_.end(), outcome->id);
  if (cell == runs_.end() || !outcome->finished) return;
  QImage picture(outcome->width, outcome->height, QImage::Format_RGB32);
  for (int y = 0; y < outcome->height; ++y) {
    auto* line = reinterpret_cast<std::uint32_t*>(picture.scanLine(y));
    const std::uint32_t* source = outcome->texture.data() + static_cast<std::size_t>(y) * outcome->width;
    for (int x = 0; x < outcome->width; ++x) line[x] = source[x] | 0xFF000000u;
  }
  const int index = static_cast<int>(cell - runs_.begin());
  pictures_[static_cast<std::size_t>(index)] = std::move(picture);
  showCell(index);
}

void VariationsView::showCell(int index) {
  QToolButton* button = cells_[static_cast<std::size_t>(index)];
  const int seed = seeds_[static_cast<std::size_t>(index)];
  const bool centre = index == kVariationCentre;
  button->setText(centre ? QStringLiteral("%1 (current)").arg(seed) : QString::number(seed));
  button->setAccessibleName(centre ? seedName(seed) + QStringLiteral(", current") : seedName(seed));
  button->setToolTip(centre ? QStringLiteral("the current seed") : QStringLiteral("use seed %1").arg(seed));
  const QImage& picture = pictures_[static_cast<std::size_t>(index)];
  const int side = displaySide();
  if (picture.isNull()) {
    // The cell keeps its size while its picture is being made.
    QPixmap empty(side, side);
    empty.fill(palette().color(QPalette::Mid));
    button->setIcon(QIcon(empty));
    return;
  }
  // Square, unsmoothed pixels: the picture as the preview would show it.
  button->setIcon(QIcon(QPixmap::fromImage(
      picture.scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation))));
}

void VariationsView::choose(int cell) {
  if (cell < 0 || cell >= kVariationCells || cell == kVariationCentre) return;
  const int seed = seeds_[static_cast<std::size_t>(cell)];
  moveToCentre(cell);
  cells_[kVariationCentre]->setFocus();
  emit seedChosen(seed);
}

void VariationsView::moveToCentre(int cell) {
  seeds_ = recentred(seeds_, cell);
  std::swap(pictures_[static_cast<std::size_t>(cell)], pictures_[kVariationCentre]);
  std::swap(runs_[static_cast<std::size_t>(cell)], runs_[kVariationCentre]);
  showCell(cell);
  showCell(kVariationCentre);
}

bool VariationsView::eventFilter(QObject* watched, QEvent* event) {
  // The arrow keys move between the cells, Enter chooses the cell that has
  // the focus (Space clicks it, as with any button).
  const auto found = std::find(cells_.begin(), cells_.end(), watched);
  if (found != cells_.end() && event->type() == QEvent::KeyPress) {
    const int index = static_cast<int>(found - cells_.begin());
    int row = index / 3;
    int column = index % 3;
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        choose(index);
        return true;
      case Qt::Key_Left: column = std::max(column - 1, 0); break;
      case Qt::Key_Right: column = std::min(column + 1, 2); break;
      case Qt::Key_Up: row = std::max(row - 1, 0); break;
      case Qt::Key_Down: row = std::min(row + 1, 2); break;
      default:
        return QDialog::eventFilter(watched, event);
    }
    cells_[static_cast<std::size_t>(row * 3 + column)]->setFocus();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void VariationsView::waitUntilRendered() {
  while (isRendering())
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace mottler::ui
