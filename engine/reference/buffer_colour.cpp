// The buffer commands and colour adjustments, written literally.  The
// colour adjustments change each channel of each pixel by itself and keep
// byte 3, except "Inversion", which complements the whole word.  A disabled
// entry does nothing.
#include <algorithm>
#include <cmath>

#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/reference/reference.h"

namespace mottler {

using reference::get;
using reference::set;

namespace {

// Limits to 0..255, then truncates toward zero.
int limitTruncate(double v) {
  if (v >= 255.0) return 255;
  if (v > 0.0) return static_cast<int>(v);
  return 0;
}

// Every channel of every texture pixel through rule(channel index, value).
template <class Rule>
void eachChannel(TextureEngine& e, Rule rule) {
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      for (int c = 0; c < 3; ++c) set(e, e.texture, x, y, c, rule(c, get(e, e.texture, x, y, c)));
}

}  // namespace

// "Move to Buffer": the whole texture is copied into the buffer.
void MoveToBuffer::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.buffer, e.texture);
}

// "Clear Texture": every texture pixel becomes 0.
void ClearTexture::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) reference::pixel(e, e.texture, x, y) = 0;
}

// "Connect Buffer": the layer blend of the buffer.
void ConnectBuffer::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::blendLayer(e, e.buffer, entry);
}

// "Gamma Correction": c -> truncate(c^g / K + 0.5) limited to 0..255, with
// g = Percents x 0.01 and K = 255^g / 255.
void GammaCorrection::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const double g = entry.param[Percents] * 0.01;
  const double k = exactPow(255.0, g) / 255.0;
  eachChannel(
      e, [&](int, int c) { return limitTruncate(exactPow(static_cast<double>(c), g) / k + 0.5); });
}

// "Brightness": each channel c -> min(255, c x its percentage / 100).
void Brightness::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int percents[3] = {entry.param[BluePercents], entry.param[GreenPercents],
                           entry.param[RedPercents]};
  eachChannel(e, [&](int ch, int c) { return std::min(255, c * percents[ch] / 100); });
}

// "Inversion": the whole pixel word is complemented.
void Inversion::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      std::uint32_t& p = reference::pixel(e, e.texture, x, y);
      p = ~p;
    }
}

// "Contrast": c -> (c - 128) x Percents / 100 + 128, the division truncating
// toward zero, limited to 0..255.
void Contrast::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  eachChannel(e, [&](int, int c) {
    return std::clamp((c - 128) * entry.param[Percents] / 100 + 128, 0, 255);
  });
}

// "HSV": the hexcone model on the stored channels c0 = blue, c1 = green,
// c2 = red (c0 where the usual formulas put red); hue scaled by Hue / 180,
// saturation by Saturation %, value by Value %; hues of 360 degrees or more
// come round again; every channel limited to 255 and truncated.
void Hsv::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      const int c0 = get(e, e.texture, x, y, 0), c1 = get(e, e.texture, x, y, 1),
                c2 = get(e, e.texture, x, y, 2);
      const int mx = std::max({c0, c1, c2}), mn = std::min({c0, c1, c2});
      const double delta = mx - mn;
      const double s = mx == 0 ? 0.0 : delta / mx;
      double h = 0.0;
      if (s != 0.0) {
        if (c0 == mx)
          h = (c1 - c2) / delta;
        else if (c1 == mx)
          h = 2 + (c2 - c0) / delta;
        else
          h = 4 + (c0 - c1) / delta;
        h = h * 60;
        while (h < 0) h += 360;
        while (h >= 360) h -= 360;
      }
      double hs = h * entry.param[Hue] / 180;
      while (hs >= 360) hs -= 360;
      double ss = s * entry.param[Saturation] * 0.01;
      if (ss > 1) ss = 1;
      const double vs = mx * static_cast<double>(entry.param[Value]) * 0.01;
      double out[3];
      if (ss == 0) {
        out[0] = out[1] = out[2] = vs;
      } else {
        const double hh = hs / 60;
        const int i = static_cast<int>(std::floor(hh));
        const double f = hh - i;
        const double p = vs * (1 - ss), q = vs * (1 - ss * f), t = vs * (1 - ss * (1 - f));
        const double sectors[6][3] = {{vs, t, p}, {q, vs, p}, {p, vs, t},
                                      {p, q, vs}, {t, p, vs}, {vs, p, q}};
        std::copy(sectors[i], sectors[i] + 3, out);
      }
      for (int c = 0; c < 3; ++c) set(e, e.texture, x, y, c, limitTruncate(out[c]));
    }
}

}  // namespace mottler
