#include "ui/close_up_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

#include "ui/dialogs/export_size_dialog.h"
#include "ui/render_controller.h"

namespace mottler::ui {

namespace {

// How long the program must stay unchanged before its picture is made
// again: dragging a scroll bar restarts the pause, not the run.
constexpr int kSettleMs = 300;
// How far an arrow key moves the picture, in screen pixels.
constexpr int kArrowStep = 32;
constexpr QSize kOpeningSize(720, 600);

QString scaleText(int scale) {
  return scale == 1 ? QStringLiteral(" (design size)") : QStringLiteral(" (\u00d7%1)").arg(scale);
}

// A size to choose: "2048 x 2048 (x8)".
QString sizeText(int width, int height, int scale) {
  return QStringLiteral("%1 \u00d7 %2").arg(width * scale).arg(height * scale) + scaleText(scale);
}

// A picture made: "2048 x 2048 pixels (x8)".
QString pictureText(const QImage& picture, int scale) {
  return QStringLiteral("%1 \u00d7 %2 pixels").arg(picture.width()).arg(picture.height()) + scaleText(scale);
}

bool sameProgram(const std::vector<ProgramEntry>& a, const std::vector<ProgramEntry>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(ProgramEntry)) == 0);
}

// The texture of a run as a picture Qt draws (the fourth byte made opaque).
QImage pictureOf(const RunOutcome& outcome) {
  QImage picture(outcome.width, outcome.height, QImage::Format_RGB32);
  for (int y = 0; y < outcome.height; ++y) {
    auto* line = reinterpret_cast<std::uint32_t*>(picture.scanLine(y));
    const std::uint32_t* source =
        outcome.texture.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(outcome.width);
    for (int x = 0; x < outcome.width; ++x) line[x] = source[x] | 0xFF000000u;
  }
  return picture;
}

}  // namespace

// The picture at one texture pixel per device pixel, whatever the screen's
// scale factor, so that "1:1" holds on a high-density screen too.
class CloseUpPicture : public QWidget {
  Q_OBJECT

 public:
  explicit CloseUpPicture(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::OpenHandCursor);
  }

  // tiles: 1, or 2 for the picture repeated 2 x 2, so that its edges meet
  // in the middle.
  void setPicture(const QImage& picture, int tiles) {
    picture_ = picture;
    picture_.setDevicePixelRatio(devicePixelRatioF());
    tiles_ = tiles;
    resize(picture_.isNull() ? QSize(0, 0) : picture_.deviceIndependentSize().toSize() * tiles_);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (picture_.isNull()) return;
    QPainter painter(this);
    const QSizeF step = picture_.deviceIndependentSize();
    for (int row = 0; row < tiles_; ++row)
      for (int column = 0; column < tiles_; ++column)
        painter.drawImage(QPointF(column * step.width(), row * step.height()), picture_);
  }

 private:
  QImage picture_;
  int tiles_ = 1;
};

// For a screen reader the picture is a graphic, named by its size.
QAccessibleInterface* closeUpPictureAccessible(const QString& key, QObject* object) {
  if (key != QLatin1String("mottler::ui::CloseUpPicture") || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
}

CloseUpView::CloseUpView(QWidget* parent) : QDialog(parent) {
  static const bool accessibleInstalled = [] {
    QAccessible::installFactory(closeUpPictureAccessible);
    return true;
  }();
  (void)accessibleInstalled;
  setWindowTitle(QStringLiteral("Close-up"));
  setAccessibleName(QStringLiteral("Close-up"));
  setSizeGripEnabled(true);

  sizeBox_ = new QComboBox(this);
  auto* sizeLabel = new QLabel(QStringLiteral("&Size:"), this);
  sizeLabel->setBuddy(sizeBox_);
  // However the choice changes (the mouse, the keys, a screen reader).
  connect(sizeBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) setScale(sizeBox_->itemData(index).toInt());
  });

  progress_ = new QProgressBar(this);
  progress_->setAccessibleName(QStringLiteral("Rendering progress"));
  progress_->setTextVisible(false);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  // Hidden while nothing renders, without the row rearranging itself.
  QSizePolicy keepRoom = progress_->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  progress_->setSizePolicy(keepRoom);

  tileBox_ = new QCheckBox(QStringLiteral("&Tile"), this);
  tileBox_->setToolTip(QStringLiteral("the texture repeated 2 \u00d7 2, its edges meeting in the middle"));
  connect(tileBox_, &QCheckBox::toggled, this, [this] {
    showCanvas();
    showState();
  });

  renderButton_ = new QPushButton(QStringLiteral("&Render"), this);
  renderButton_->setAutoDefault(false);
  connect(renderButton_, &QPushButton::clicked, this, &CloseUpView::onRenderButton);

  canvas_ = new CloseUpPicture(this);
  canvas_->installEventFilter(this);
  scroller_ = new QScrollArea(this);
  scroller_->setWidget(canvas_);
  scroller_->setWidgetResizable(false);
  scroller_->setAlignment(Qt::AlignCenter);
  scroller_->setBackgroundRole(QPalette::Dark);
  scroller_->setFocusPolicy(Qt::StrongFocus);
  scroller_->setAccessibleName(QStringLiteral("Close-up picture"));
  scroller_->horizontalScrollBar()->setSingleStep(kArrowStep);
  scroller_->verticalScrollBar()->setSingleStep(kArrowStep);
  scroller_->installEventFilter(this);

  status_ = new QLabel(this);
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);

  auto* top = new QHBoxLayout;
  top->addWidget(sizeLabel);
  top->addWidget(sizeBox_);
  top->addWidget(tileBox_);
  top->addWidget(progress_, 1);
  top->addWidget(renderButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(scroller_, 1);
  layout->addWidget(status_);
  setTabOrder(sizeBox_, tileBox_);
  setTabOrder(tileBox_, renderButton_);
  setTabOrder(renderButton_, scroller_);

  delay_ = new QTimer(this);
  delay_->setSingleShot(true);
  delay_->setInterval(kSettleMs);
  connect(delay_, &QTimer::timeout, this, &CloseUpView::render);

  resize(kOpeningSize);
  showState();
}

CloseUpView::~CloseUpView() {
  // The run stops before the picture it reports to goes.
  delete renders_;
}

void CloseUpView::ensureRenders() {
  if (renders_ != nullptr) return;
  renders_ = new RenderController(this);
  connect(renders_, &RenderController::runStarted, this, [this](int size) {
    progress_->setRange(0, size);
    progress_->setValue(0);
  });
  connect(renders_, &RenderController::progressed, progress_, &QProgressBar::setValue);
  connect(renders_, &RenderController::busyChanged, this, &CloseUpView::onBusyChanged);
  connect(renders_, &RenderController::pictureChanged, this, &CloseUpView::onPictureChanged);
}

void CloseUpView::showProgram(const std::vector<ProgramEntry>& program, int seed, int width,
                              int height) {
  const bool sizeChanged = width != width_ || height != height_;
  if (!sizeChanged && seed == seed_ && sameProgram(program, program_) && requested_ != 0) return;
  program_ = program;
  seed_ = seed;
  width_ = width;
  height_ = height;
  if (sizeChanged) fillSizes();
  upToDate_ = false;
  // The first picture at once; a change after a pause without changes.
  if (requested_ == 0)
    render();
  else
    delay_->start();
  showState();
}

int CloseUpView::scale() const { return wantedScale_; }

void CloseUpView::setScale(int scale) {
  const std::vector<int> scales = CExportSizeDlg::scalesFor(std::max(width_, 1), std::max(height_, 1));
  const auto fits = std::find_if(scales.rbegin(), scales.rend(), [&](int s) { return s <= scale; });
  const int chosen = fits != scales.rend() ? *fits : scales.front();
  {
    const QSignalBlocker quiet(sizeBox_);
    const int index = sizeBox_->findData(chosen);
    if (index >= 0) sizeBox_->setCurrentIndex(index);
  }
  if (chosen == wantedScale_) return;
  wantedScale_ = chosen;
  upToDate_ = false;
  // Before the first program there is nothing to make; a hidden view makes
  // its picture when it is shown.
  if (width_ > 0 && isVisible()) render();
}

// The sizes the design allows, the scale kept where it still fits.
void CloseUpView::fillSizes() {
  const std::vector<int> scales = CExportSizeDlg::scalesFor(width_, height_);
  const QSignalBlocker quiet(sizeBox_);
  sizeBox_->clear();
  for (int s : scales) sizeBox_->addItem(sizeText(width_, height_, s), s);
  const auto fits = std::find_if(scales.rbegin(), scales.rend(), [&](int s) { return s <= wantedScale_; });
  wantedScale_ = fits != scales.rend() ? *fits : scales.front();
  sizeBox_->setCurrentIndex(sizeBox_->findData(wantedScale_));
}

void CloseUpView::render() {
  delay_->stop();
  if (width_ <= 0 || height_ <= 0) return;
  ensureRenders();
  RunRequest request;
  request.program = program_;
  request.seed = seed_;
  request.width = width_;
  request.height = height_;
  request.scale = wantedScale_;
  request.keepBuffer = false;  // only the texture is shown
  requested_ = renders_->start(std::move(request));
  upToDate_ = false;
  showState();
}

void CloseUpView::stop() {
  delay_->stop();
  if (renders_ != nullptr) renders_->stopAll();
  showState();
}

bool CloseUpView::isRendering() const {
  return delay_->isActive() || (renders_ != nullptr && renders_->isRunning());
}

void CloseUpView::waitUntilRendered() {
  if (delay_->isActive()) render();
  if (renders_ != nullptr) renders_->waitUntilIdle();
}

void CloseUpView::onRenderButton() {
  if (isRendering())
    stop();
  else
    render();
}

void CloseUpView::onPictureChanged() {
  const RunOutcome& outcome = renders_->picture();
  if (outcome.id == 0) return;  // the controller's empty start
  upToDate_ = outcome.id == requested_;
  shownScale_ = outcome.scale;
  showPicture(pictureOf(outcome));
  showState();
}

void CloseUpView::onBusyChanged(bool busy) {
  if (!busy) progress_->setValue(0);
  showState();
}

// A picture of another size keeps the same spot of the texture in the
// middle of the view; one of the same size keeps the view where it is.
void CloseUpView::showPicture(QImage picture) {
  picture_ = std::move(picture);
  showCanvas();
}

void CloseUpView::showCanvas() {
  QScrollBar* across = scroller_->horizontalScrollBar();
  QScrollBar* down = scroller_->verticalScrollBar();
  const QSize view = scroller_->viewport()->size();
  const QSize before = canvas_->size();
  // The spot in the middle of the view, as a share of the picture's width
  // and height (a picture smaller than the view sits in its middle).
  const auto middle = [](int value, int view, int picture) {
    return picture <= view ? 0.5 : (value + view / 2.0) / picture;
  };
  const double middleX = middle(across->value(), view.width(), canvas_->width());
  const double middleY = middle(down->value(), view.height(), canvas_->height());
  canvas_->setPicture(picture_, tileBox_->isChecked() ? 2 : 1);
  // The first picture starts at its top-left corner.
  if (before.isEmpty() || canvas_->size() == before) return;
  const auto centre = [this, middleX, middleY] {
    const QSize now = scroller_->viewport()->size();
    scroller_->horizontalScrollBar()->setValue(static_cast<int>(middleX * canvas_->width() - now.width() / 2.0));
    scroller_->verticalScrollBar()->setValue(static_cast<int>(middleY * canvas_->height() - now.height() / 2.0));
  };
  centre();
  // Again once the scroll bars that came or went with the new size have
  // taken their room from the view.
  QTimer::singleShot(0, this, centre);
}

void CloseUpView::showState() {
  const bool busy = isRendering();
  renderButton_->setText(busy ? QStringLiteral("&Stop") : QStringLiteral("&Render"));
  renderButton_->setToolTip(busy ? QStringLiteral("stop making the picture")
                                 : QStringLiteral("make the picture of the program as it is now"));
  renderButton_->setEnabled(busy || (!upToDate_ && width_ > 0));
  progress_->setVisible(busy);

  const QString wanted = sizeText(width_, height_, wantedScale_);
  // The picture shown may be of a document of another size.
  const QString shown = picture_.isNull() ? QString() : pictureText(picture_, shownScale_);
  const QString tiled = tileBox_->isChecked() ? QStringLiteral(", repeated 2 \u00d7 2") : QString();
  QString text;
  if (picture_.isNull() && width_ == 0)
    text = QString();
  else if (busy && picture_.isNull())
    text = QStringLiteral("Rendering %1...").arg(wanted);
  else if (busy)
    text = QStringLiteral("Rendering %1... Until it is ready, this is the previous picture, %2.")
               .arg(wanted, shown);
  else if (picture_.isNull())
    text = QStringLiteral("Stopped. Render makes the picture at %1.").arg(wanted);
  else if (!upToDate_)
    text = QStringLiteral("Stopped. This is an earlier picture, %1; Render makes the program as it is now.")
               .arg(shown);
  else
    text = QStringLiteral("%1, shown at 1:1%2. Drag the picture, or use the arrow keys, to move around.")
               .arg(shown, tiled);
  status_->setText(text);
  canvas_->setAccessibleName(picture_.isNull() ? QStringLiteral("No picture yet")
                                               : QStringLiteral("Texture, %1").arg(shown) + tiled);
  scroller_->setAccessibleDescription(
      picture_.isNull() ? QStringLiteral("No picture yet")
                        : QStringLiteral("%1 at 1:1; the arrow keys, Page Up, Page Down, Home "
                                         "and End move around")
                              .arg(shown));
}

void CloseUpView::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  // Minimising with the main window is not leaving: only a real close
  // lets the picture and its engine go.
  if (event->spontaneous()) return;
  delay_->stop();
  delete renders_;
  renders_ = nullptr;
  requested_ = 0;
  upToDate_ = false;
  picture_ = QImage();
  canvas_->setPicture(picture_, 1);
  showState();
}

bool CloseUpView::eventFilter(QObject* watched, QEvent* event) {
  QScrollBar* across = scroller_->horizontalScrollBar();
  QScrollBar* down = scroller_->verticalScrollBar();
  if (watched == scroller_ && event->type() == QEvent::KeyPress) {
    // The arrow keys and the page keys are the scroll area's own.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Home || key == Qt::Key_End) {
      const bool home = key == Qt::Key_Home;
      across->setValue(home ? across->minimum() : across->maximum());
      down->setValue(home ? down->minimum() : down->maximum());
      return true;
    }
  }
  if (watched == canvas_) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) break;
        dragging_ = true;
        dragFrom_ = mouse->globalPosition().toPoint();
        canvas_->setCursor(Qt::ClosedHandCursor);
        scroller_->setFocus(Qt::MouseFocusReason);
        return true;
      }
      case QEvent::MouseMove: {
        if (!dragging_) break;
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        const QPoint moved = at - dragFrom_;
        dragFrom_ = at;
        across->setValue(across->value() - moved.x());
        down->setValue(down->value() - moved.y());
        return true;
      }
      case QEvent::MouseButtonRelease:
        if (!dragging_) break;
        dragging_ = false;
        canvas_->setCursor(Qt::OpenHandCursor);
        return true;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace mottler::ui

#include "close_up_view.moc"
