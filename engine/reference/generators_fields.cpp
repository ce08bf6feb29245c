// The field generators, written literally: "Plasma", "Sine Plasma", "Perlin
// Noise", "Noise" and "Enviroument Map".
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/reference/reference.h"

namespace mottler {

using reference::get;
using reference::set;

namespace {

// Writes v into bytes 0, 1 and 2 of pixel (x, y) of the work plane.
void setGrey(TextureEngine& e, int x, int y, int v) {
  for (int c = 0; c < 3; ++c) set(e, e.workPlane, x, y, c, v);
}

// Midpoint subdivision of "Plasma".  Every address wraps; a pixel whose
// byte 0 is 0 is unset; values are read from byte 0.
struct Subdivision {
  TextureEngine& e;
  int roughness;
  int maxHeight;
  int scale;

  int value(int x, int y) const { return get(e, e.workPlane, x, y, 0); }

  // One draw: k = -5..4, v = (d x k x Roughness + 100 x (a + b)) / 200,
  // held within 1..Maximum Height.  At a scale s, d is counted in design
  // pixels (d / s), and on edges of at most two design pixels k becomes
  // 2k + 1/2 (more than one design pixel long) or 2k + 1 (shorter).
  void edgeValue(int x, int y, int d, int a, int b) {
    const int k = e.random.next() % 10 - 5;
    int v;
    if (scale > 1 && d <= 2 * scale)
      v = (d * (d > scale ? 4 * k + 1 : 4 * k + 2) * roughness + 200 * scale * (a + b)) /
          (400 * scale);
    else
      v = (d * k * roughness + 100 * scale * (a + b)) / (200 * scale);
    if (v < 1) v = 1;
    if (v >= maxHeight) v = maxHeight;
    setGrey(e, x, y, v);
  }

  void subdivide(int x1, int y1, int x2, int y2) {
    if (x2 - x1 < 2 && y2 - y1 < 2) return;
    const int mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    if (value(mx, y1) == 0) edgeValue(mx, y1, dx, value(x1, y1), value(x2, y1));  // top
    if (value(x2, my) == 0) edgeValue(x2, my, dy, value(x2, y1), value(x2, y2));  // right
    if (value(mx, y2) == 0) edgeValue(mx, y2, dx, value(x1, y2), value(x2, y2));  // bottom
    if (value(x1, my) == 0) edgeValue(x1, my, dy, value(x1, y1), value(x1, y2));  // left
    if (value(mx, my) == 0)
      setGrey(e, mx, my, (value(x1, y1) + value(x2, y1) + value(x2, y2) + value(x1, y2)) / 4);
    subdivide(x1, y1, mx, my);
    subdivide(mx, y1, x2, my);
    subdivide(x1, my, mx, y2);
    subdivide(mx, my, x2, y2);
  }
};

}  // namespace

// "Plasma": a private sequence seeded with "Variant"; three seed heights
// next() mod "Maximum Height" at (0, 0), (W/2, H/2) and ((W/2 + W/4) mod W,
// (H/2 + H/4) mod H); midpoint subdivision of (0, 0, W, H); then each
// channel x its mask / 255; blend; the saved sequence put back.
void Plasma::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const RandomState saved = e.random;
  e.random.seed(entry.param[Variant]);
  e.clear(e.workPlane);
  const int W = e.width, H = e.height;
  const int maxHeight = entry.param[MaximumHeight];
  setGrey(e, 0, 0, e.random.next() % maxHeight);
  setGrey(e, W / 2, H / 2, e.random.next() % maxHeight);
  setGrey(e, (W / 2 + W / 4) % W, (H / 2 + H / 4) % H, e.random.next() % maxHeight);
  Subdivision{e, entry.param[Roughness], maxHeight, e.scale}.subdivide(0, 0, W, H);
  const int masks[3] = {entry.param[BlueMask], entry.param[GreenMask], entry.param[RedMask]};
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < 3; ++c)
        set(e, e.workPlane, x, y, c, get(e, e.workPlane, x, y, c) * masks[c] / 255);
  // At a scale the heights are laid half a design pixel off.
  ProgramEntry laid = entry;
  laid.offsetX += e.scale / 2;
  laid.offsetY += e.scale / 2;
  reference::blendLayer(e, e.workPlane, laid);
  e.random = saved;
}

// "Sine Plasma": tables X[i] = truncate((sin(ax) + 1) x X coefficient) and
// Y[i] = truncate((cos(ay) + 1) x Y coefficient) for i = 0..255, the angles
// starting at 0 and growing by 2 pi / (W / X period) and 2 pi / (H / Y
// period); each pixel v = (X[x] + Y[y]) / 2 limited to 0..255, each channel
// (v x mask) >> 8.  Textures wider or taller than 256 repeat the tables.
void SinePlasma::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  e.clear(e.workPlane);
  const int W = e.width, H = e.height;
  const double sx = 2 * kPi / (static_cast<double>(W) / entry.param[XPeriod]);
  const double sy = 2 * kPi / (static_cast<double>(H) / entry.param[YPeriod]);
  int X[256], Y[256];
  double ax = 0, ay = 0;
  for (int i = 0; i < 256; ++i) {
    X[i] = static_cast<int>((exactSin(ax) + 1) * entry.param[XCoefficient]);
    Y[i] = static_cast<int>((exactCos(ay) + 1) * entry.param[YCoefficient]);
    ax += sx;
    ay += sy;
  }
  const int masks[3] = {entry.param[BlueMask], entry.param[GreenMask], entry.param[RedMask]};
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const int v = std::clamp((X[x % 256] + Y[y % 256]) / 2, 0, 255);
      for (int c = 0; c < 3; ++c) set(e, e.workPlane, x, y, c, (v * masks[c]) >> 8);
    }
  reference::blendLayer(e, e.workPlane, entry);
}

// "Perlin Noise": a 66 x 66 lattice of colours from a private sequence
// seeded with "Variant" (every point drawn; column nx = W / Width and row
// ny = H / Height repeat column 0 and row 0), interpolated over nx x ny
// cells with cosine weights, the last cell of a row or column widened to
// the edge when the size is not a whole number of cells.
void PerlinNoise::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  e.clear(e.workPlane);
  const RandomState saved = e.random;
  e.random.seed(entry.param[Variant]);
  const int W = e.width, H = e.height;
  const int width = entry.param[Width], height = entry.param[Height];
  constexpr int kSide = 66;
  // The lattice has 65 cells a side; only textures far larger than the
  // application's would ask for more.
  const int nx = std::min(W / width, kSide - 1);
  const int ny = std::min(H / height, kSide - 1);
  const int masks[3] = {entry.param[BlueMask], entry.param[GreenMask], entry.param[RedMask]};

  int G[kSide][kSide][3];  // [column i][row j][channel]
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kSide; ++i) {
      int colour[3];
      if (entry.fixedColors) {
        const int k = e.random.next() % 255;
        for (int c = 0; c < 3; ++c) colour[c] = std::max(0, masks[c] - k);
      } else {
        for (int c = 0; c < 3; ++c) colour[c] = randomChannel(e.random, masks[c]);
      }
      for (int c = 0; c < 3; ++c) G[i][j][c] = i == nx ? G[0][j][c] : colour[c];
    }
    if (j == ny)
      for (int m = 0; m <= nx; ++m)
        for (int c = 0; c < 3; ++c) G[m][ny][c] = G[m][0][c];
  }

  for (int cj = 0; cj < ny; ++cj)
    for (int ci = 0; ci < nx; ++ci) {
      const int x0 = ci * width, y0 = cj * height;
      int cw = width, ch = height;
      if (static_cast<double>(W) / width != nx && x0 + 2 * width >= W) cw = W - x0;
      if (static_cast<double>(H) / height != ny && y0 + 2 * height >= H) ch = H - y0;
      for (int v = 0; v < ch; ++v) {
        const double t = (1 - exactCos(kPi * v / ch)) * 0.5;
        float left[3], right[3];
        for (int c = 0; c < 3; ++c) {
          const float P = static_cast<float>(G[ci][cj][c]),
                      Q = static_cast<float>(G[ci + 1][cj][c]);
          const float R = static_cast<float>(G[ci][cj + 1][c]);
          const float S = static_cast<float>(G[ci + 1][cj + 1][c]);
          left[c] = static_cast<float>((1 - t) * P + t * R);
          right[c] = static_cast<float>((1 - t) * Q + t * S);
        }
        for (int u = 0; u < cw; ++u) {
          const double s = (1 - exactCos(kPi * u / cw)) * 0.5;
          const int x = x0 + u, y = y0 + v;
          if (x < 0 || x >= W || y < 0 || y >= H) continue;
          for (int c = 0; c < 3; ++c)
            set(e, e.workPlane, x, y, c, static_cast<int>((1 - s) * left[c] + s * right[c]));
        }
      }
    }
  e.random = saved;
  reference::blendLayer(e, e.workPlane, entry);
}

// "Noise": blocks of Width x Height from the top left, clipped at the right
// and bottom edges, each one colour from the shared sequence: without
// "Fixed Colors" truncate(randomChannel(mask) x f) per channel with f =
// "Brightness Level" x q, with it one draw g = (next() mod level) x q and
// truncate(mask x g); q is 1/255 in single precision.  A disabled entry
// makes the draws, paints nothing and still blends.
void Noise::reference(TextureEngine& e, const ProgramEntry& entry) {
  e.clear(e.workPlane);
  const int W = e.width, H = e.height;
  const int level = entry.param[BrightnessLevel];
  const int masks[3] = {entry.param[BlueMask], entry.param[GreenMask], entry.param[RedMask]};
  const double q = static_cast<float>(1.0 / 255.0);
  for (int y0 = 0; y0 < H; y0 += entry.param[Height])
    for (int x0 = 0; x0 < W; x0 += entry.param[Width]) {
      int colour[3];
      if (entry.fixedColors) {
        const double g = (e.random.next() % level) * q;
        for (int c = 0; c < 3; ++c) colour[c] = static_cast<int>(masks[c] * g);
      } else {
        const double f = level * q;
        for (int c = 0; c < 3; ++c)
          colour[c] = static_cast<int>(randomChannel(e.random, masks[c]) * f);
      }
      if (entry.disabled) continue;
      for (int y = y0; y < std::min(y0 + entry.param[Height], H); ++y)
        for (int x = x0; x < std::min(x0 + entry.param[Width], W); ++x)
          for (int c = 0; c < 3; ++c) set(e, e.workPlane, x, y, c, colour[c]);
    }
  reference::blendLayer(e, e.workPlane, entry);
}

// "Enviroument Map": in place, for dx = x - W/2, dy = H/2 - y and d their
// length, f = 0.95 exp(-k d) + 0.05 exp(-0.002 d d), at most 1, with
// k = 1 / (Radius + 1); each channel becomes truncate(channel x f x mask x
// (1/256)).  Byte 3 stays.  At a scale s the radius and d are those of the
// design: Radius / s (the radius scaled back) and the length divided by s.
void EnvironmentMap::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const double k = 1.0 / (entry.param[Radius] / e.scale + 1.0);
  const int masks[3] = {entry.param[BlueMask], entry.param[GreenMask], entry.param[RedMask]};
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      const int dx = x - e.width / 2, dy = e.height / 2 - y;
      const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy)) / e.scale;
      double f = 0.95 * exactExp(-k * d) + 0.05 * exactExp(-0.002 * d * d);
      if (f > 1.0) f = 1.0;
      for (int c = 0; c < 3; ++c)
        set(e, e.texture, x, y, c,
            static_cast<int>(get(e, e.texture, x, y, c) * f * masks[c] * (1.0 / 256)));
    }
}

}  // namespace mottler
