// How the main window's controls follow the window when it is larger than
// its default size.  At the default size every control sits where the
// layout description puts it; extra room goes to the preview (which grows as
// a square), to the command tree and the program list, and the controls
// around them move out of their way, keeping their order.
#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace mottler::ui {

// What a control does as the window grows.
enum class Anchor {
  Fixed,             // stays where the layout puts it (above the preview)
  Preview,           // grows as a square by the preview's growth
  BelowPreview,      // left column, under the preview: moves down with it
  WideBelowPreview,  // as BelowPreview, and widens with the preview
  Middle,            // middle column (and captions above the tree): moves right
  Tree,              // right column: grows across, and down by half the extra height
  ListCaption,       // between the tree and the list: moves down by that half
  List,              // moves down by that half and grows by the other half
  BelowList,         // under the list: moves down by all the extra height, and
                     // right by half of the right column's extra width
  BelowListFrame,    // the frame around the program buttons: moves down, widens
};

// The room beyond the default size, shared out.
struct Growth {
  int preview = 0;      // the preview's growth, across and down
  int rightColumn = 0;  // the tree's and the list's extra width
  int height = 0;       // the extra height of the right column
};

// Shares out extra room (negative parts count as none): the preview takes
// as much as fits as a square, the right column the rest of the width.
Growth growthFor(QSize extra);

// Where a control placed at `base` in the default size sits after growth.
QRect grownRect(const QRect& base, Anchor anchor, const Growth& growth);

// Room the window system's frame (title bar and borders) may take around a
// window, kept free when a window is fitted to a screen.
inline constexpr QSize kFrameAllowance(16, 48);

// The size a window that wants `wanted` opens at on a screen whose
// available area is `available`: no larger than that area less the frame.
QSize fittedWindowSize(QSize wanted, QSize available, QSize frame);

// The main window's client area: the controls at their places for its size.
// It is never smaller than the default size (a scroll area around it lets a
// smaller window reach every control).
class GrowingClient : public QWidget {
  Q_OBJECT

 public:
  explicit GrowingClient(QWidget* parent = nullptr);

  // A control at its place in the default size.
  void place(QWidget* control, const QRect& base, Anchor anchor);
  // The size the layout description gives the client area.
  void setDefaultSize(QSize size);
  QSize defaultSize() const { return defaultSize_; }
  QSize sizeHint() const override { return defaultSize_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Placed {
    QWidget* control;
    QRect base;
    Anchor anchor;
  };
  void arrange();

  std::vector<Placed> placed_;
  QSize defaultSize_;
};

}  // namespace mottler::ui
