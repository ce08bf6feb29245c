// Generators that scatter shapes over a layer: "Blobs", "Points", "Lines",
// "Circles", "Rectangles", "Worms" and "Splines".
//
// Each command clears the work plane, paints "Amount" shapes into it with
// positions, colours and sizes drawn from the shared random sequence, and
// blends the work plane into the texture.  A disabled entry makes exactly the
// same draws, paints nothing and still blends, so the entries after it see
// the same random numbers either way.
//
// Painting.  The brush is a square stamp (top-left corner at the point) that
// wraps at the plane's edges and overwrites whole pixel words.  Every shape
// except a blob is painted in one colour, so the layer after a shape is the
// layer before it with the union of the shape's stamps set to that colour:
// the order of a shape's stamps does not matter and a pixel need not be
// painted twice.  Stroke uses that (see there).  A square wider or taller
// than the plane is clipped to W columns / H rows, which are the same pixels.
//
// At a scale s the strokes of "Lines", "Circles", "Rectangles", "Worms" and
// "Splines" are drawn on the design's pixel grid: the shape is worked out in
// design pixels (its position, lengths, radius and brush divided by s) and
// every design pixel it paints is an s x s block.  A stroke one design pixel
// wide keeps its crisp edges and its share of the texture that way; drawn
// finer, its edges would cross the design's pixels and the texture, seen at
// the design size, would be softer and lower in contrast than the design.
//
// The rules, written literally (every stamp in full), are in
// reference/generators_shapes.cpp.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "engine/arithmetic.h"
#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/executor.h"

namespace mottler {

namespace {

// 16.16 fixed point: the one of a segment's step.
constexpr std::int64_t kFixedOne = 65536;
constexpr int kFixedShift = 16;
// A blob's step through the 256 profile entries in 16.16 fixed point is
// kBlobSpan / side.
constexpr int kBlobSpan = 256 * 65536;
// Degrees of a full and a half turn; "Variant" 128 leaves a spline's angles
// unturned.
constexpr int kFullTurn = 360;
constexpr double kHalfTurn = 180.0;
constexpr int kVariantCentre = 128;
// A circle asks whether the run is cancelled every this many of its steps
// (eight stamps each).
constexpr int kStepsBetweenChecks = 64;

// The shape colour rule: three channel draws blue, green, red, or the masks
// themselves (no draw) with "Fixed Colors".  Returns the pixel word.
std::uint32_t shapeColour(RandomState& random, bool fixed, int redMask, int greenMask,
                          int blueMask) {
  if (fixed) {
    return rgb(static_cast<std::uint32_t>(blueMask), static_cast<std::uint32_t>(greenMask),
               static_cast<std::uint32_t>(redMask));
  }
  const int blue = randomChannel(random, blueMask);
  const int green = randomChannel(random, greenMask);
  const int red = randomChannel(random, redMask);
  return rgb(static_cast<std::uint32_t>(blue), static_cast<std::uint32_t>(green),
             static_cast<std::uint32_t>(red));
}

// The work plane as the commands paint it.
struct Layer {
  std::uint32_t* pixels;
  int width;
  int height;

  int scale;

  explicit Layer(TextureEngine& e)
      : pixels(e.workPlane.data()), width(e.width), height(e.height), scale(e.scale) {}

  // A shape's position from a draw r: r mod W and r mod H.  At a scale s
  // shapes lie on the design's pixel grid, the position rounded down to a
  // multiple of s, so that strokes of the design's thickness cover whole
  // design pixels as they do there.
  int column(int r) const { return designColumn(r) * scale; }
  int row(int r) const { return designRow(r) * scale; }

  // The same position in design pixels.
  int designColumn(int r) const { return r % width / scale; }
  int designRow(int r) const { return r % height / scale; }

  // Sets a w x h rectangle with top-left corner (x, y) to colour, wrapping
  // at the edges.  Needs 0 <= w <= width and 0 <= h <= height, so that no
  // pixel is addressed twice; each row is at most two spans.
  void fill(int x, int y, int w, int h, std::uint32_t colour) {
    if (w <= 0 || h <= 0) return;
    x = wrap(x, width);
    int row = wrap(y, height);
    const int first = std::min(w, width - x);
    const int second = w - first;
    for (int r = 0; r < h; ++r) {
      std::uint32_t* p = pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
      std::fill_n(p + x, first, colour);
      if (second > 0) std::fill_n(p, second, colour);
      if (++row == height) row = 0;
    }
  }

  // The brush: a size x size square with top-left corner (x, y), wrapped;
  // writes whole words (byte 3 becomes 0).
  void stampSquare(int x, int y, std::uint32_t colour, int size) {
    fill(x, y, std::min(size, width), std::min(size, height), colour);
  }
};

// The stamps of one shape: one colour, one brush size.  Paints the same
// pixels as stamping every square in full, but cheaper: stamps that continue
// a straight horizontal or vertical run one pixel at a time are gathered
// into the run's rectangle, and each rectangle is painted without the part
// the previous one already covered.  finish() paints the last run.
//
// Positions and the brush size are counted in cells of `cell` x `cell`
// pixels: 1 paints pixels, the scale paints the design's pixels.
class Stroke {
 public:
  Stroke(Layer& layer, std::uint32_t colour, int size, int cell = 1)
      : layer_(layer), colour_(colour), size_(size), cell_(cell) {}
  ~Stroke() { finish(); }
  Stroke(const Stroke&) = delete;
  Stroke& operator=(const Stroke&) = delete;

  void stamp(int x, int y) {
    if (!pending_) {
      begin(x, y);
      return;
    }
    if (x >= runX0_ && x <= runX1_ && y >= runY0_ && y <= runY1_) return;  // already in the run
    if (runY0_ == runY1_ && y == runY0_ && (x == runX1_ + 1 || x == runX0_ - 1)) {
      runX0_ = std::min(runX0_, x);
      runX1_ = std::max(runX1_, x);
      return;
    }
    if (runX0_ == runX1_ && x == runX0_ && (y == runY1_ + 1 || y == runY0_ - 1)) {
      runY0_ = std::min(runY0_, y);
      runY1_ = std::max(runY1_, y);
      return;
    }
    flush();
    begin(x, y);
  }

  void finish() {
    if (pending_) flush();
  }

 private:
  struct Rect {
    long long x0, y0, x1, y1;  // unwrapped cells, half-open
  };

  void begin(int x, int y) {
    pending_ = true;
    runX0_ = runX1_ = x;
    runY0_ = runY1_ = y;
  }

  // Paints the union of the run's squares, less the previous rectangle.
  void flush() {
    pending_ = false;
    const Rect a{runX0_, runY0_, static_cast<long long>(runX1_) + size_,
                 static_cast<long long>(runY1_) + size_};
    const Rect b = last_;
    last_ = a;
    const long long ix0 = std::max(a.x0, b.x0), ix1 = std::min(a.x1, b.x1);
    const long long iy0 = std::max(a.y0, b.y0), iy1 = std::min(a.y1, b.y1);
    if (!painted_ || ix0 >= ix1 || iy0 >= iy1) {
      painted_ = true;
      paint(a.x0, a.y0, a.x1, a.y1);
      return;
    }
    paint(a.x0, a.y0, a.x1, iy0);  // rows above the overlap
    paint(a.x0, iy1, a.x1, a.y1);  // rows below it
    paint(a.x0, iy0, ix0, iy1);    // left of it
    paint(ix1, iy0, a.x1, iy1);    // right of it
  }

  // A rectangle of cells, in pixels.  One wider than the plane covers every
  // column once wrapped, so it is clipped to W columns (and to H rows).
  void paint(long long x0, long long y0, long long x1, long long y1) {
    if (x1 <= x0 || y1 <= y0) return;
    const int w = static_cast<int>(std::min<long long>((x1 - x0) * cell_, layer_.width));
    const int h = static_cast<int>(std::min<long long>((y1 - y0) * cell_, layer_.height));
    layer_.fill(static_cast<int>(x0 * cell_), static_cast<int>(y0 * cell_), w, h, colour_);
  }

  Layer& layer_;
  std::uint32_t colour_;
  int size_;
  int cell_;
  bool pending_ = false;
  int runX0_ = 0, runY0_ = 0, runX1_ = 0, runY1_ = 0;  // top-left corners of the run
  bool painted_ = false;
  Rect last_{0, 0, 0, 0};
};

// A straight segment in 16.16 fixed point: n = |dx| + |dy| stamps, from
// (xa, ya) toward (xb, yb), the end point itself not stamped.
void stampLine(Stroke& stroke, int xa, int ya, int xb, int yb) {
  const std::int64_t dx = static_cast<std::int64_t>(xb) - xa;
  const std::int64_t dy = static_cast<std::int64_t>(yb) - ya;
  const std::int64_t n = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
  if (n <= 0) return;
  const std::int64_t sx = (dx * kFixedOne) / n;
  const std::int64_t sy = (dy * kFixedOne) / n;
  std::int64_t fx = static_cast<std::int64_t>(xa) * kFixedOne;
  std::int64_t fy = static_cast<std::int64_t>(ya) * kFixedOne;
  for (std::int64_t k = 0; k < n; ++k) {
    // Arithmetic shift: the integer part rounded toward minus infinity.
    stroke.stamp(static_cast<int>(fx >> kFixedShift), static_cast<int>(fy >> kFixedShift));
    fx += sx;
    fy += sy;
  }
}

// dst[c] = min(255, dst[c] + src[c]) for every byte of n words.  The source
// words have byte 3 = 0, so byte 3 of the destination is left as it is.
void addSaturated(std::uint32_t* dst, const std::uint32_t* src, int n) {
  auto* d = reinterpret_cast<std::uint8_t*>(dst);
  const auto* s = reinterpret_cast<const std::uint8_t*>(src);
  for (int i = 0; i < 4 * n; ++i) {
    const std::uint8_t v = static_cast<std::uint8_t>(d[i] + s[i]);
    d[i] = v < d[i] ? std::uint8_t{255} : v;  // carried out: saturate
  }
}

// Largest blob side the parameter ranges allow: (511 + 512 + 1) at the
// design size, kMaxScale times that at the largest scale.
constexpr int kMaxBlobSide = 1024 * kMaxScale;
static_assert((Blobs::declaration.params[Blobs::MaximumRadius].maxValue +
               Blobs::declaration.params[Blobs::AdditionalRadius].maxValue) *
                  kMaxScale <=
              kMaxBlobSide);

// One blob: an R x R square with top-left corner (x, y); pixel (x + i, y + j)
// receives, per channel with colour value q, max(0, T + q - 255) from the
// profile entry T = BlobProfile[(j * step) >> 16][(i * step) >> 16], added
// with saturation at 255.
//
// Additions of non-negative amounts saturating at 255 give the same result
// in any order and grouping (min(255, c + a + b)), so a row is built once for
// each profile row and added whole, and when the blob is wider than the
// plane the amounts that wrap onto one column are summed first.
void paintBlob(Layer& layer, const std::uint8_t* profile, int x, int y, int side,
               std::uint32_t colour) {
  const int step = kBlobSpan / side;
  const int qb = static_cast<int>(channel(colour, 0));
  const int qg = static_cast<int>(channel(colour, 1));
  const int qr = static_cast<int>(channel(colour, 2));

  // What each profile value adds, packed as a pixel word (each part <= 255).
  std::uint32_t gain[256];
  bool any = false;
  for (int t = 0; t < 256; ++t) {
    gain[t] = rgb(static_cast<std::uint32_t>(std::max(0, t + qb - 255)),
                  static_cast<std::uint32_t>(std::max(0, t + qg - 255)),
                  static_cast<std::uint32_t>(std::max(0, t + qr - 255)));
    any = any || gain[t] != 0;
  }
  if (!any) return;

  // The same gains with blue, green, red in 21-bit lanes, for summing the
  // columns of a blob wider than the plane (at most 1024 * 255 per lane).
  std::uint64_t wideGain[256];
  for (int t = 0; t < 256; ++t) {
    const std::uint32_t g = gain[t];
    wideGain[t] = static_cast<std::uint64_t>(g & 0xFFu) |
                  (static_cast<std::uint64_t>((g >> 8) & 0xFFu) << 21) |
                  (static_cast<std::uint64_t>((g >> 16) & 0xFFu) << 42);
  }

  int column[kMaxBlobSide];  // profile column of each i
  for (int i = 0; i < side; ++i) column[i] = (i * step) >> 16;

  const int width = layer.width;
  const int height = layer.height;
  const int x0 = wrap(x, width);
  const bool folded = side > width;
  // Row of gains: indexed by i when the blob fits the width, by plane column
  // when it wraps onto itself.
  std::uint32_t pattern[kMaxBlobSide];
  std::uint64_t sum[kMaxBlobSide];  // per plane column while folding
  int lastRow = -1;
  int row = wrap(y, height);
  for (int j = 0; j < side; ++j) {
    const int k = (j * step) >> 16;
    if (k != lastRow) {
      lastRow = k;
      const std::uint8_t* profileRow = profile + static_cast<std::size_t>(k) * 256;
      if (!folded) {
        for (int i = 0; i < side; ++i) pattern[i] = gain[profileRow[column[i]]];
      } else {
        std::fill_n(sum, width, std::uint64_t{0});
        for (int i = 0, xd = x0; i < side; xd = 0) {
          const int run = std::min(side - i, width - xd);
          for (int r = 0; r < run; ++r) sum[xd + r] += wideGain[profileRow[column[i + r]]];
          i += run;
        }
        for (int c = 0; c < width; ++c) {
          const std::uint64_t v = sum[c];
          const auto lane = [](std::uint64_t part) {
            return static_cast<std::uint32_t>(std::min<std::uint64_t>(part & 0x1FFFFFu, 255u));
          };
          pattern[c] = rgb(lane(v), lane(v >> 21), lane(v >> 42));
        }
      }
    }
    std::uint32_t* p =
        layer.pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
    if (!folded) {
      const int first = std::min(side, width - x0);
      addSaturated(p + x0, pattern, first);
      if (side > first) addSaturated(p, pattern + first, side - first);
    } else {
      addSaturated(p, pattern, width);
    }
    if (++row == height) row = 0;
  }
}

// The common frame of the seven commands: clear, shapes, blend.  A
// cancelled run stops before the next shape ("Circles" also within one).
template <typename Shape>
void drawShapes(TextureEngine& e, const ProgramEntry& entry, int amount, Shape&& shape) {
  if (e.width < 1 || e.height < 1) return;  // no plane yet: nothing to place shapes on
  e.clear(e.workPlane);
  Layer layer(e);
  const bool paint = entry.disabled == 0;
  for (int n = 0; n < amount; ++n) {
    if (e.cancel.requested()) return;
    shape(layer, paint);
  }
  blendLayer(e, e.workPlane, entry);
}

}  // namespace

void Blobs::run(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const bool fixed = entry.fixedColors != 0;
  RandomState& random = e.random;
  drawShapes(e, entry, p[Amount], [&](Layer& layer, bool paint) {
    const int side = random.next() % p[MaximumRadius] + p[AdditionalRadius] + 1;
    const int x = layer.column(random.next());
    const int y = layer.row(random.next());
    const std::uint32_t colour = shapeColour(random, fixed, p[RedMask], p[GreenMask], p[BlueMask]);
    if (paint) paintBlob(layer, blobProfile().data(), x, y, side, colour);
  });
}

void Points::run(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const bool fixed = entry.fixedColors != 0;
  RandomState& random = e.random;
  drawShapes(e, entry, p[Amount], [&](Layer& layer, bool paint) {
    const std::uint32_t colour = shapeColour(random, fixed, p[RedMask], p[GreenMask], p[BlueMask]);
    const int x = layer.column(random.next());
    const int y = layer.row(random.next());
    if (paint) layer.stampSquare(x, y, colour, p[Thickness]);
  });
}

// "Lines", "Circles", "Rectangles", "Worms" and "Splines" work in design
// pixels and paint cells of scale x scale pixels (see the top of this file).
void Lines::run(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const int cell = e.scale;
  const int length = p[MaximumLength] / cell, thickness = p[Thickness] / cell;
  const double a = static_cast<double>(p[Angle]) * kPi / kHalfTurn;
  const int dx = static_cast<int>(exactSin(a) * static_cast<double>(length));
  const int dy = static_cast<int>(exactCos(a) * static_cast<double>(length));
  const bool fixed = entry.fixedColors != 0;
  RandomState& random = e.random;
  drawShapes(e, entry, p[Amount], [&](Layer& layer, bool paint) {
    const std::uint32_t colour = shapeColour(random, fixed, p[RedMask], p[GreenMask], p[BlueMask]);
    const int x = layer.designColumn(random.next());
    const int y = layer.designRow(random.next());
    if (!paint) return;
    Stroke stroke(layer, colour, thickness, cell);
    stampLine(stroke, x, y, x + dx, y + dy);
  });
}

void Circles::run(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const int cell = e.scale;
  const int thickness = p[Thickness] / cell;
  const bool fixed = entry.fixedColors != 0;
  RandomState& random = e.random;
  drawShapes(e, entry, p[Amount], [&](Layer& layer, bool paint) {
    const int x = layer.designColumn(random.next());
    const int y = layer.designRow(random.next());
    const std::uint32_t colour = shapeColour(random, fixed, p[RedMask], p[GreenMask], p[BlueMask]);
    // The radius drawn at the scale, in whole design pixels.
    const int radius = (random.next() % p[MaximumRadius] + p[AdditionalRadius]) / cell;
    if (!paint) return;
    // Each of the eight symmetric points moves at most one pixel per axis
    // from one step to the next; each is a stroke of its own.
    Stroke octant[8] = {{layer, colour, thickness, cell}, {layer, colour, thickness, cell},
                        {layer, colour, thickness, cell}, {layer, colour, thickness, cell},
                        {layer, colour, thickness, cell}, {layer, colour, thickness, cell},
                        {layer, colour, thickness, cell}, {layer, colour, thickness, cell}};
    const int r2 = radius * radius;
    int u = 0, v = radius;
    for (;;) {
      // One circle of the largest radius and thickness at a large scale
      // paints for a good part of a second: a cancelled run stops within it
      // (and drawShapes before the next shape).
      if (u % kStepsBetweenChecks == kStepsBetweenChecks - 1 && e.cancel.requested()) return;
      octant[0].stamp(x + u, y - v);
      octant[1].stamp(x - u, y - v);
      octant[2].stamp(x + u, y + v);
      octant[3].stamp(x - u, y + v);
      octant[4].stamp(x - v, y - u);
      octant[5].stamp(x + v, y - u);
      octant[6].stamp(x - v, y + u);
      octant[7].stamp(x + v, y + u);
      ++u;
      if (r2 - u * (u + 1) <= v * (v - 1)) --v;
      if (u > v) break;
    }
  });
}

void Rectangles::run(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const int cell = e.scale;
  const int w = p[Width] / cell, h = p[Height] / cell, thickness = p[Thickness] / cell;
  const bool fixed = entry.fixedColors != 0;
  RandomState& random = e.random;
  drawShapes(e, entry, p[Amount], [&](Layer& layer, bool paint) {
    const int x = layer.designColumn(random.next());
    const int y = layer.designRow(random.next());
    const std::uint32_t colour = shapeColour(random, fixed, p[RedMask], p[GreenMask], p[BlueMask]);
    if (!paint) return;
    Stroke stroke(layer, colour, thickness, cell);
    stampLine(stroke, x, y, x, y + h);          // left
    stampLine(stroke, x, y, x + w, y);          // top
    stampLine(stroke, x + w, y, x + w, y + h);  // right
    stampLine(stroke, x, y + h, x + w, y + h);  // bottom
  });
}

// At a scale s a worm takes the design's steps of one design pixel, so a
// worm of the same number of turns is s times as long (its length is in
// pixels) and as wiggly, its stamps meeting corner to corner as the
// design's do.
void Worms::run(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const int cell = e.scale;
  const int length = p[MaximumLength] / cell, thickness = p[Thickness] / cell;
  const int twirl = p[Twirl];
  const bool fixed = entry.fixedColors != 0;
  RandomState& random = e.random;
  drawShapes(e, entry, p[Amount], [&](Layer& layer, bool paint) {
    int x = layer.designColumn(random.next());
    int y = layer.designRow(random.next());
    const std::uint32_t colour = shapeColour(random, fixed, p[RedMask], p[GreenMask], p[BlueMask]);
    Stroke stroke(layer, colour, thickness, cell);
    for (int step = 0; step < length; ++step) {
      if (paint) stroke.stamp(x, y);
      const int a = random.next() % twirl;
      const int b = random.next() % twirl;
      // Branches rather than selects: with the step predicted, the next
      // stamp need not wait for the division that decides it.
      if (random.next() % (a + 1) > a / 2)
        ++x;
      else
        --x;
      if (random.next() % (b + 1) > b / 2)
        ++y;
      else
        --y;
    }
  });
}

void Splines::run(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const int cell = e.scale;
  const int variant = p[Variant];
  const int length = p[MaximumLength] / cell, thickness = p[Thickness] / cell;
  const bool fixed = entry.fixedColors != 0;
  RandomState& random = e.random;
  drawShapes(e, entry, p[Amount], [&](Layer& layer, bool paint) {
    const std::uint32_t colour = shapeColour(random, fixed, p[RedMask], p[GreenMask], p[BlueMask]);
    const int x0 = layer.designColumn(random.next());
    const int y0 = layer.designRow(random.next());
    const int a1 = random.next() % kFullTurn + variant - kVariantCentre;
    const int a2 = random.next() % kFullTurn + variant - kVariantCentre;
    if (!paint) return;
    const int x1 = x0 + static_cast<int>(exactSin(static_cast<double>(a1) * kPi / kHalfTurn) *
                                         static_cast<double>(length));
    const int y1 = y0 + static_cast<int>(exactCos(static_cast<double>(a2) * kPi / kHalfTurn) *
                                         static_cast<double>(length));
    const int n = std::abs(x1 - x0);
    // 1 - t is formed from a single-precision 1.0 and the end height is a
    // single-precision value; both are exact (1 and a small integer), and the
    // arithmetic itself is double.
    const double one = static_cast<double>(1.0f);
    const double yEnd = static_cast<double>(static_cast<float>(y1));
    Stroke stroke(layer, colour, thickness, cell);
    int px = x0, py = y0;
    for (int i = 0; i < n; ++i) {
      const double t =
          (1.0 - exactCos(kPi * static_cast<double>(i) / static_cast<double>(n))) * 0.5;
      const int yi = static_cast<int>((one - t) * static_cast<double>(y0) + t * yEnd);
      stampLine(stroke, px, py, x0 + i, yi);
      px = x0 + i;
      py = yi;
    }
  });
}

}  // namespace mottler
