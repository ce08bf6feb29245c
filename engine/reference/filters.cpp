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

// "Blur": "Amount" passes; in each, for every row from the top, pixel from
// the left and channel: (below + above + right + left) / 4, neighbours
// wrapped and read from the texture as it stands (those already visited in
// this pass with their new values).
void Blur::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
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
// its own value].
void BumpMapping::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const TexturePlane& s = e.workPlane;
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      for (int c = 0; c < 3; ++c) {
        const int v =
            (get(e, s, x, y + 1, c) + get(e, s, x + 1, y, c) + get(e, s, x + 1, y + 1, c)) -
            (get(e, s, x, y - 1, c) + get(e, s, x - 1, y, c) + get(e, s, x - 1, y - 1, c));
        const int t = std::clamp(v * entry.param[Contrast] + entry.param[Brightness], 0, 255);
        set(e, e.texture, x, y, c,
            shadeTable()[static_cast<std::size_t>(t * 256 + get(e, s, x, y, c))]);
      }
}

namespace {

// "Amount" passes, each from a copy made at its start: every channel
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
  crossPasses(e, entry.param[Amount], true);
}

void Minimum::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  crossPasses(e, entry.param[Amount], false);
}

// "Median": from a copy, every channel becomes the third smallest of the
// pixel and its four neighbours by position in row-major storage, i - 1,
// i + 1, i - W and i + W, the plane taken as a ring of W x H pixels (the
// border rule chosen: wrapping).
void Median::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const int n = e.pixelCount;
  const std::uint32_t* s = e.workPlane.data();
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c) {
      int v[5];
      const int at[5] = {i, i - 1, i + 1, i - e.width, i + e.width};
      for (int j = 0; j < 5; ++j) v[j] = channel(s[wrap(at[j], n)], c);
      std::sort(v, v + 5);
      set(e, e.texture, i % e.width, i / e.width, c, v[2]);
    }
}

}  // namespace mottler
