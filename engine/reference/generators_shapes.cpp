// The shape generators, written literally: "Blobs", "Points", "Lines",
// "Circles", "Rectangles", "Worms" and "Splines".
//
// Each clears the work plane, paints "Amount" shapes into it with positions,
// colours and sizes drawn from the shared random sequence, and blends the
// work plane into the texture.  A disabled entry makes the same draws,
// paints nothing and still blends.  Every stamp is painted in full.
//
// At a scale s every position is rounded down to a multiple of s.  "Lines",
// "Circles", "Rectangles", "Worms" and "Splines" are worked out in design
// pixels (position, length, size, radius and brush divided by s) and each
// design pixel they paint is an s x s square.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/reference/reference.h"

namespace mottler {

namespace {

// The shape colour: with "Fixed Colors" the masks themselves, otherwise
// randomChannel of the blue, green and red masks, in that order.
std::uint32_t shapeColour(TextureEngine& e, const ProgramEntry& entry, int red, int green,
                          int blue) {
  const std::uint32_t b =
      static_cast<std::uint32_t>(entry.fixedColors ? blue : randomChannel(e.random, blue));
  const std::uint32_t g =
      static_cast<std::uint32_t>(entry.fixedColors ? green : randomChannel(e.random, green));
  const std::uint32_t r =
      static_cast<std::uint32_t>(entry.fixedColors ? red : randomChannel(e.random, red));
  return rgb(b, g, r);
}

// The brush: rows y..y + size - 1 and columns x..x + size - 1, wrapped,
// each set to the whole pixel word colour.
void stampSquare(TextureEngine& e, int x, int y, std::uint32_t colour, int size) {
  for (int row = y; row < y + size; ++row) {
    std::uint32_t* line = e.workPlane.row(wrap(row, e.height), e.width);
    for (int column = 0, wrapped = wrap(x, e.width); column < size; ++column) {
      line[wrapped] = colour;
      if (++wrapped == e.width) wrapped = 0;
    }
  }
}

// A segment in 16.16 fixed point: n = |xb - xa| + |yb - ya| stamps from
// (xa, ya) in steps of (xb - xa) / n and (yb - ya) / n; (xb, yb) itself is
// not stamped.  Positions and the brush are counted in cells of cell x cell
// pixels.
void stampLine(TextureEngine& e, int xa, int ya, int xb, int yb, std::uint32_t colour, int size,
               int cell = 1) {
  const std::int64_t n = std::abs(xb - xa) + std::abs(yb - ya);
  if (n <= 0) return;
  const std::int64_t sx = (static_cast<std::int64_t>(xb - xa) * 65536) / n;
  const std::int64_t sy = (static_cast<std::int64_t>(yb - ya) * 65536) / n;
  std::int64_t fx = static_cast<std::int64_t>(xa) * 65536,
               fy = static_cast<std::int64_t>(ya) * 65536;
  for (std::int64_t k = 0; k < n; ++k) {
    stampSquare(e, static_cast<int>(fx >> 16) * cell, static_cast<int>(fy >> 16) * cell, colour,
                size * cell);
    fx += sx;
    fy += sy;
  }
}

// A position from a draw r at a scale s: r mod W (or H), rounded down to a
// multiple of s.
int column(const TextureEngine& e, int r) { return r % e.width / e.scale * e.scale; }
int row(const TextureEngine& e, int r) { return r % e.height / e.scale * e.scale; }

// The same in design pixels.
int designColumn(const TextureEngine& e, int r) { return r % e.width / e.scale; }
int designRow(const TextureEngine& e, int r) { return r % e.height / e.scale; }

// The brush in design pixels: a size x size square of design pixels at the
// design pixel (x, y), each pixel s x s.
void stampCell(TextureEngine& e, int x, int y, std::uint32_t colour, int size) {
  stampSquare(e, x * e.scale, y * e.scale, colour, size * e.scale);
}

// Clears the work plane, runs shape "Amount" times (told whether to paint)
// and blends.
template <class Shape>
void drawShapes(TextureEngine& e, const ProgramEntry& entry, int amount, Shape shape) {
  e.clear(e.workPlane);
  for (int n = 0; n < amount; ++n) shape(entry.disabled == 0);
  reference::blendLayer(e, e.workPlane, entry);
}

}  // namespace

// "Blobs": side R = (next() mod "Maximum Radius") + "Additional Value to
// Radius" + 1, then x, y, the colour; pixel (x + i, y + j), 0 <= i, j < R,
// receives from T = BlobProfile[(j x step) >> 16][(i x step) >> 16], step =
// 16777216 / R, in each channel with colour value q: min(255, channel +
// max(0, T + q - 255)).  Byte 3 is not written.
void Blobs::reference(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  drawShapes(e, entry, p[Amount], [&](bool paint) {
    const int side = e.random.next() % p[MaximumRadius] + p[AdditionalRadius] + 1;
    const int x = column(e, e.random.next());
    const int y = row(e, e.random.next());
    const std::uint32_t colour = shapeColour(e, entry, p[RedMask], p[GreenMask], p[BlueMask]);
    if (!paint) return;
    const int step = 16777216 / side;
    for (int j = 0; j < side; ++j) {
      std::uint32_t* line = e.workPlane.row(wrap(y + j, e.height), e.width);
      for (int i = 0, column = wrap(x, e.width); i < side; ++i) {
        const int t =
            blobProfile()[static_cast<std::size_t>(((j * step) >> 16) * 256 + ((i * step) >> 16))];
        std::uint32_t out = line[column] & 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
          const int gain = std::max(0, t + channel(colour, c) - 255);
          out |= static_cast<std::uint32_t>(std::min(255, channel(line[column], c) + gain))
                 << (8 * c);
        }
        line[column] = out;
        if (++column == e.width) column = 0;
      }
    }
  });
}

// "Points": the colour, x, y; a square of "Thickness" at (x, y).
void Points::reference(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  drawShapes(e, entry, p[Amount], [&](bool paint) {
    const std::uint32_t colour = shapeColour(e, entry, p[RedMask], p[GreenMask], p[BlueMask]);
    const int x = column(e, e.random.next());
    const int y = row(e, e.random.next());
    if (paint) stampSquare(e, x, y, colour, p[Thickness]);
  });
}

// "Lines": the colour, x, y; a segment from (x, y) to (x + dx, y + dy) with
// dx = truncate(sin(a) x length), dy = truncate(cos(a) x length), a =
// "Angle" x pi / 180; in design pixels.
void Lines::reference(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const int length = p[MaximumLength] / e.scale;
  const double a = p[Angle] * kPi / 180;
  const int dx = static_cast<int>(exactSin(a) * length);
  const int dy = static_cast<int>(exactCos(a) * length);
  drawShapes(e, entry, p[Amount], [&](bool paint) {
    const std::uint32_t colour = shapeColour(e, entry, p[RedMask], p[GreenMask], p[BlueMask]);
    const int x = designColumn(e, e.random.next());
    const int y = designRow(e, e.random.next());
    if (paint) stampLine(e, x, y, x + dx, y + dy, colour, p[Thickness] / e.scale, e.scale);
  });
}

// "Circles": the centre x, y, the colour, R = (next() mod "Maximum Radius")
// + "Additional Value to Radius"; outlines by integer midpoint stepping; in
// design pixels, R rounded down to whole ones.
void Circles::reference(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  drawShapes(e, entry, p[Amount], [&](bool paint) {
    const int x = designColumn(e, e.random.next());
    const int y = designRow(e, e.random.next());
    const std::uint32_t colour = shapeColour(e, entry, p[RedMask], p[GreenMask], p[BlueMask]);
    const int radius = (e.random.next() % p[MaximumRadius] + p[AdditionalRadius]) / e.scale;
    if (!paint) return;
    int u = 0, v = radius;
    do {
      const int points[8][2] = {{x + u, y - v}, {x - u, y - v}, {x + u, y + v}, {x - u, y + v},
                                {x - v, y - u}, {x + v, y - u}, {x - v, y + u}, {x + v, y + u}};
      for (const auto& point : points)
        stampCell(e, point[0], point[1], colour, p[Thickness] / e.scale);
      ++u;
      if (radius * radius - u * (u + 1) <= v * (v - 1)) --v;
    } while (u <= v);
  });
}

// "Rectangles": the corner x, y, the colour; four segments left, top,
// right, bottom; in design pixels.
void Rectangles::reference(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  drawShapes(e, entry, p[Amount], [&](bool paint) {
    const int x = designColumn(e, e.random.next());
    const int y = designRow(e, e.random.next());
    const std::uint32_t colour = shapeColour(e, entry, p[RedMask], p[GreenMask], p[BlueMask]);
    if (!paint) return;
    const int s = e.scale;
    const int w = p[Width] / s, h = p[Height] / s, size = p[Thickness] / s;
    stampLine(e, x, y, x, y + h, colour, size, s);
    stampLine(e, x, y, x + w, y, colour, size, s);
    stampLine(e, x + w, y, x + w, y + h, colour, size, s);
    stampLine(e, x, y + h, x + w, y + h, colour, size, s);
  });
}

// "Worms": the start x, y, the colour; "Maximum Length" steps, each a
// stamp, then a = next() mod "Twirl", b = next() mod "Twirl", x moves +1
// when next() mod (a + 1) > a / 2, else -1, and y likewise with b; in
// design pixels.
void Worms::reference(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  drawShapes(e, entry, p[Amount], [&](bool paint) {
    int x = designColumn(e, e.random.next());
    int y = designRow(e, e.random.next());
    const std::uint32_t colour = shapeColour(e, entry, p[RedMask], p[GreenMask], p[BlueMask]);
    for (int step = 0; step < p[MaximumLength] / e.scale; ++step) {
      if (paint) stampCell(e, x, y, colour, p[Thickness] / e.scale);
      const int a = e.random.next() % p[Twirl];
      const int b = e.random.next() % p[Twirl];
      x += e.random.next() % (a + 1) > a / 2 ? 1 : -1;
      y += e.random.next() % (b + 1) > b / 2 ? 1 : -1;
    }
  });
}

// "Splines": the colour, x0, y0, two angles (next() mod 360) + "Variant" -
// 128 in degrees; the end x1 = x0 + truncate(sin(a1) x length), y1 = y0 +
// truncate(cos(a2) x length); n = |x1 - x0| segments, one column each, the
// height easing from y0 to y1 along a half cosine; in design pixels.
void Splines::reference(TextureEngine& e, const ProgramEntry& entry) {
  const auto& p = entry.param;
  const int length = p[MaximumLength] / e.scale;
  drawShapes(e, entry, p[Amount], [&](bool paint) {
    const std::uint32_t colour = shapeColour(e, entry, p[RedMask], p[GreenMask], p[BlueMask]);
    const int x0 = designColumn(e, e.random.next());
    const int y0 = designRow(e, e.random.next());
    const int a1 = e.random.next() % 360 + p[Variant] - 128;
    const int a2 = e.random.next() % 360 + p[Variant] - 128;
    if (!paint) return;
    const int x1 = x0 + static_cast<int>(exactSin(a1 * kPi / 180) * length);
    const int y1 = y0 + static_cast<int>(exactCos(a2 * kPi / 180) * length);
    const int n = std::abs(x1 - x0);
    int px = x0, py = y0;
    for (int i = 0; i < n; ++i) {
      const double t = (1 - exactCos(kPi * i / n)) * 0.5;
      // 1 - t from a single-precision 1, the end height single precision.
      const int yi = static_cast<int>((1.0f - t) * y0 + t * static_cast<float>(y1));
      stampLine(e, px, py, x0 + i, yi, colour, p[Thickness] / e.scale, e.scale);
      px = x0 + i;
      py = yi;
    }
  });
}

}  // namespace mottler
