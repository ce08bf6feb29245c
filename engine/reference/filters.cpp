// The filters, written literally: "Blur", "Unsharp Mask", "Bump Mapping",
// "Maximum", "Minimum" and "Median".  Each channel is treated alone; byte 3
// of the texture stays.  A disabled entry does nothing.
#include <algorithm>
#include <cstdlib>

#include "engine/commands.h"
#include "engine/reference/reference.h"

namespace mottler {

using reference::get;
using reference::set;

namespace {

// At a scale s above 1, "Blur" and the blur of "Unsharp Mask" smooth the
// scaled texture with three box averages of odd widths across and then
// three down, wrapped.  A box of width w spreads a pixel by (w^2 - 1) / 12
// pixels^2; the three widths are w or w + 2 for the widest w of which three
// stay within the variance wanted, with as many widened as brings the sum
// nearest (the first ones narrow).  Each average is truncate(max(sum x
// (1 / w) + offset, 0)) in single precision, the offset a half less a sixth
// of the darkening of the design's passes.

// The variance wanted, in twelfths of a pixel^2: design twelfths / per,
// s^2 times, rounded.
long long twelfthsAtScale(long long designTwelfths, int per, int s) {
  if (designTwelfths < 0) designTwelfths = 0;
  return (designTwelfths * s * s + per / 2) / per;
}

void boxWidths(long long twelfths, int (&widths)[3]) {
  const int widest = 4095;
  int w = 1;
  while (w + 2 <= widest && 3 * ((w + 2LL) * (w + 2) - 1) <= twelfths) w += 2;
  int best = 0;
  long long bestMiss = -1;
  for (int widened = 0; widened <= 3; ++widened) {
    if (widened > 0 && w + 2 > widest) break;
    const long long sum = (3 - widened) * (1LL * w * w - 1) + widened * ((w + 2LL) * (w + 2) - 1);
    const long long miss = sum > twelfths ? sum - twelfths : twelfths - sum;
    if (bestMiss < 0 || miss < bestMiss) {
      best = widened;
      bestMiss = miss;
    }
  }
  for (int k = 0; k < 3; ++k) widths[k] = k < 3 - best ? w : w + 2;
}

// The offset for passes that darken by `levels` / `per` each.
float offsetFor(int passes, int levels, int per) {
  return 0.5f - static_cast<float>(levels * passes) / static_cast<float>(per * 6);
}

int boxAverage(long long sum, int width, float offset) {
  const float v = static_cast<float>(sum) * (1.0f / static_cast<float>(width)) + offset;
  return v < 0.0f ? 0 : static_cast<int>(v);
}

// Smooths the colour channels of a plane in place; byte 3 stays.  One row
// or column at a time is copied aside (a scaled texture is at most
// kMaxScaledSide pixels a side).
void smoothAtScale(TextureEngine& e, TexturePlane& plane, long long twelfths, float offset) {
  int widths[3];
  boxWidths(twelfths, widths);
  std::uint32_t line[kMaxScaledSide];
  if (e.width > kMaxScaledSide || e.height > kMaxScaledSide) return;
  for (int across = 1; across >= 0; --across)
    for (const int width : widths) {
      const int r = width / 2;
      const int lines = across ? e.height : e.width;
      const int length = across ? e.width : e.height;
      for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < length; ++i)
          line[i] = across ? reference::pixel(e, plane, i, l) : reference::pixel(e, plane, l, i);
        for (int i = 0; i < length; ++i)
          for (int c = 0; c < 3; ++c) {
            long long sum = 0;
            for (int k = -r; k <= r; ++k) sum += channel(line[wrap(i + k, length)], c);
            if (across)
              set(e, plane, i, l, c, boxAverage(sum, width, offset));
            else
              set(e, plane, l, i, c, boxAverage(sum, width, offset));
          }
      }
    }
}

}  // namespace

// "Blur": "Amount" passes; in each, for every row from the top, pixel from
// the left and channel: (below + above + right + left) / 4, neighbours
// wrapped and read from the texture as it stands (those already visited in
// this pass with their new values).  At a scale s: smoothed by (11 x
// "Amount" - 3) twelfths of a design pixel^2 and 3/4 of a level darker a pass.
void Blur::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  if (e.scale > 1) {
    if (entry.param[Amount] > 0)
      smoothAtScale(e, e.texture, twelfthsAtScale(11 * entry.param[Amount] - 3, 1, e.scale),
                    offsetFor(entry.param[Amount], 3, 4));
    return;
  }
  const TexturePlane& t = e.texture;
  for (int pass = 0; pass < entry.param[Amount]; ++pass)
    for (int y = 0; y < e.height; ++y)
      for (int x = 0; x < e.width; ++x)
        for (int c = 0; c < 3; ++c)
          set(e, e.texture, x, y, c,
              (get(e, t, x, y + 1, c) + get(e, t, x, y - 1, c) + get(e, t, x + 1, y, c) +
               get(e, t, x - 1, y, c)) /
                  4);
}

namespace {

// "Unsharp Mask" at a scale s above 1: the blurred copy is the texture
// smoothed (as "Blur" at a scale) by 32/3 twelfths of a design pixel^2 and
// 7/9 of a level darker a "Radius" pass, wrapped; then the same lift.
void unsharpAtScale(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.param[UnsharpMask::Radius] == 0) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const int radius = entry.param[UnsharpMask::Radius];
  smoothAtScale(e, e.workPlane, twelfthsAtScale(32LL * radius, 3, e.scale),
                offsetFor(radius, 7, 9));
  const float k = static_cast<float>(entry.param[UnsharpMask::Amount] * 0.01);
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      bool keep = false;
      for (int c = 0; c < 3; ++c)
        if (std::abs(get(e, e.texture, x, y, c) - get(e, e.workPlane, x, y, c)) <
            entry.param[UnsharpMask::Threshold])
          keep = true;
      if (keep) continue;
      for (int c = 0; c < 3; ++c) {
        const int t = get(e, e.texture, x, y, c);
        const int d = std::max(t - get(e, e.workPlane, x, y, c), 0);
        set(e, e.texture, x, y, c, std::min(255, static_cast<int>(t + static_cast<double>(k) * d)));
      }
    }
}

}  // namespace

// "Unsharp Mask": texture row y is copied to work-plane row y + 1; "Radius"
// blur passes, each first copying row 1 to row 0 and row H to row H + 1,
// then replacing every channel of rows 1..H in place by (3 x centre + 2 x
// (left + right + above + below) + the four diagonals) / 15, a missing
// column at either end replaced by the pixel's own.  Then a pixel keeps its
// colour if any channel differs from its blurred value S by less than
// "Threshold"; otherwise each channel T becomes min(255, truncate(T + k x
// max(T - S, 0))), k = "Amount" x 0.01 in single precision.
void UnsharpMask::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  if (e.scale > 1) {
    unsharpAtScale(e, entry);
    return;
  }
  const int w = e.width, h = e.height;
  TexturePlane& work = e.workPlane;
  // Work-plane pixel (x, y), 0 <= y <= H + 1: no wrapping here.
  const auto at = [&](int x, int y) -> std::uint32_t& {
    return work.data()[static_cast<std::size_t>(y) * w + x];
  };
  const auto blurred = [&](int x, int y, int c) { return static_cast<int>(channel(at(x, y), c)); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) at(x, y + 1) = reference::pixel(e, e.texture, x, y);
  for (int pass = 0; pass < entry.param[Radius]; ++pass) {
    for (int x = 0; x < w; ++x) {
      at(x, 0) = at(x, 1);
      at(x, h + 1) = at(x, h);
    }
    for (int y = 1; y <= h; ++y)
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c) {
          const int l = x > 0 ? x - 1 : x, r = x < w - 1 ? x + 1 : x;
          const int v = (3 * blurred(x, y, c) +
                         2 * (blurred(l, y, c) + blurred(r, y, c) + blurred(x, y - 1, c) +
                              blurred(x, y + 1, c)) +
                         (blurred(l, y - 1, c) + blurred(r, y - 1, c) + blurred(l, y + 1, c) +
                          blurred(r, y + 1, c))) /
                        15;
          std::uint32_t& p = at(x, y);
          p = (p & ~(0xFFu << (8 * c))) | (static_cast<std::uint32_t>(v) << (8 * c));
        }
  }
  const float k = static_cast<float>(entry.param[Amount] * 0.01);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool keep = false;
      for (int c = 0; c < 3; ++c)
        if (std::abs(get(e, e.texture, x, y, c) - blurred(x, y + 1, c)) < entry.param[Threshold])
          keep = true;
      if (keep) continue;
      for (int c = 0; c < 3; ++c) {
        const int t = get(e, e.texture, x, y, c);
        const int d = std::max(t - blurred(x, y + 1, c), 0);
        set(e, e.texture, x, y, c, std::min(255, static_cast<int>(t + static_cast<double>(k) * d)));
      }
    }
}

// "Bump Mapping": from a copy, v = (below + right + below-right) - (above +
// left + above-left) with wrapped neighbours; t = v x "Contrast" +
// "Brightness" limited to 0..255; the channel becomes ShadeTable[t x 256 +
// its own value].  At a scale s the neighbours are s pixels away.
void BumpMapping::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const TexturePlane& s = e.workPlane;
  const int d = e.scale;  // neighbours one design pixel away
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      for (int c = 0; c < 3; ++c) {
        const int v =
            (get(e, s, x, y + d, c) + get(e, s, x + d, y, c) + get(e, s, x + d, y + d, c)) -
            (get(e, s, x, y - d, c) + get(e, s, x - d, y, c) + get(e, s, x - d, y - d, c));
        const int t = std::clamp(v * entry.param[Contrast] + entry.param[Brightness], 0, 255);
        set(e, e.texture, x, y, c,
            shadeTable()[static_cast<std::size_t>(t * 256 + get(e, s, x, y, c))]);
      }
}

namespace {

// "Amount" passes (at a scale s, s times as many), each from a copy made at
// its start: every channel
// becomes the largest (or smallest) of the pixel and its right, below, left
// and above neighbours, wrapped.
void crossPasses(TextureEngine& e, int passes, bool largest) {
  const TexturePlane& s = e.workPlane;
  for (int pass = 0; pass < passes; ++pass) {
    reference::copyPlane(e, e.workPlane, e.texture);
    for (int y = 0; y < e.height; ++y)
      for (int x = 0; x < e.width; ++x)
        for (int c = 0; c < 3; ++c) {
          const int v[5] = {get(e, s, x, y, c), get(e, s, x + 1, y, c), get(e, s, x, y + 1, c),
                            get(e, s, x - 1, y, c), get(e, s, x, y - 1, c)};
          set(e, e.texture, x, y, c,
              largest ? *std::max_element(v, v + 5) : *std::min_element(v, v + 5));
        }
  }
}

}  // namespace

void Maximum::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  crossPasses(e, entry.param[Amount] * e.scale, true);
}

void Minimum::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  crossPasses(e, entry.param[Amount] * e.scale, false);
}

// "Median": from a copy, every channel becomes the third smallest of the
// pixel and its four neighbours by position in row-major storage, i - 1,
// i + 1, i - W and i + W, the plane taken as a ring of W x H pixels (the
// border rule chosen: wrapping).  At a scale s the same on each of the
// s x s grids of every s-th pixel: grid (px, py) is the W/s x H/s picture
// of the pixels (px + s i, py + s j), a ring of its own.
void Median::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const int s = e.scale;
  const int gw = e.width / s, n = gw * (e.height / s);
  const std::uint32_t* copy = e.workPlane.data();
  for (int py = 0; py < s; ++py)
    for (int px = 0; px < s; ++px)
      for (int i = 0; i < n; ++i) {
        // Grid index g is pixel (px + s (g mod gw), py + s (g div gw)).
        const auto at = [&](int g) {
          g = wrap(g, n);
          return copy[static_cast<std::size_t>(py + s * (g / gw)) * e.width + px + s * (g % gw)];
        };
        for (int c = 0; c < 3; ++c) {
          int v[5];
          const int around[5] = {i, i - 1, i + 1, i - gw, i + gw};
          for (int j = 0; j < 5; ++j) v[j] = channel(at(around[j]), c);
          std::sort(v, v + 5);
          set(e, e.texture, px + s * (i % gw), py + s * (i / gw), c, v[2]);
        }
      }
}

}  // namespace mottler
