// View > "Close-up": the current program rendered at 2, 4, 8 or 16 times its
// design size and shown at 1:1 (one texture pixel to one screen pixel), in
// a view that scrolls and pans, for a look at the detail an export at that
// size will have.
//
// The picture is made in the background by a render controller of its own,
// so neither the window's runs nor editing wait for it.  It follows the
// program: every run the window starts hands the close-up the program too,
// and a change supersedes the close-up's run in progress (after a short
// pause, so that dragging a scroll bar does not restart it at every step).
// Until the new picture is there the previous one stays, and the status
// line says so.  Stop cancels the run; Render starts it again.  Hiding the
// window stops its run and lets go of the picture and of the engine that
// made it, which at 4096 x 4096 are hundreds of megabytes.
//
// "Tile" repeats the picture 2 x 2, so that its seams can be looked at.
//
// Keys: the arrow keys and Page Up / Page Down move around the picture,
// Home and End go to its top-left and bottom-right corners; dragging with
// the mouse pans it.
#pragma once

#include <QDialog>
#include <QImage>

#include <cstdint>
#include <vector>

#include "engine/engine_state.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;

namespace mottler::ui {

class RenderController;
class CloseUpPicture;

class CloseUpView : public QDialog {
  Q_OBJECT

 public:
  explicit CloseUpView(QWidget* parent);
  ~CloseUpView() override;

  // The program to show: the slots a run takes, the seed and the design
  // size.  The same program at the same scale is not made again.
  void showProgram(const std::vector<ProgramEntry>& program, int seed, int width, int height);

  // The scale shown (or being made) and choosing one; a scale the design
  // size does not allow becomes the largest one it does.
  int scale() const;
  void setScale(int scale);

  // The picture shown, at its full size; null until a run has finished.
  const QImage& picture() const { return picture_; }
  // Whether the picture shown is of the program and scale asked for last.
  bool upToDate() const { return upToDate_; }
  bool isRendering() const;
  // Starts the run a pending change waits for now, then handles events
  // until no run is outstanding.
  void waitUntilRendered();

  // Stops the run in progress; the picture shown stays.
  void stop();
  // Makes the picture of the program and scale asked for, now.
  void render();

  QComboBox* sizeBox() const { return sizeBox_; }
  QCheckBox* tileBox() const { return tileBox_; }
  QScrollArea* scroller() const { return scroller_; }
  QPushButton* renderButton() const { return renderButton_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* statusLabel() const { return status_; }

 protected:
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ensureRenders();
  void onPictureChanged();
  void onBusyChanged(bool busy);
  void onRenderButton();
  void fillSizes();
  void showState();
  void showPicture(QImage picture);
  // Sizes the picture's widget for the picture and Tile, keeping the spot
  // in the middle of the view there.
  void showCanvas();

  QComboBox* sizeBox_ = nullptr;
  QCheckBox* tileBox_ = nullptr;
  QScrollArea* scroller_ = nullptr;
  CloseUpPicture* canvas_ = nullptr;
  QPushButton* renderButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QTimer* delay_ = nullptr;  // the pause before a change is rendered
  RenderController* renders_ = nullptr;  // made when a run is asked for

  // What is asked for.
  std::vector<ProgramEntry> program_;
  int seed_ = 0;
  int width_ = 0;
  int height_ = 0;
  int wantedScale_ = 2;
  std::uint64_t requested_ = 0;  // the run of what is asked for; 0: none started

  // What is shown.
  QImage picture_;
  int shownScale_ = 0;
  bool upToDate_ = false;
  QPoint dragFrom_;
  bool dragging_ = false;
};

}  // namespace mottler::ui
