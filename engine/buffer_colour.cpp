// Buffer commands ("Move to Buffer", "Clear Texture", "Connect Buffer") and
// colour adjustments ("Gamma Correction", "Brightness", "Inversion",
// "Contrast", "HSV").
//
// None of them draws random numbers, and a disabled entry does nothing.  The
// colour adjustments change bytes 0..2 of every texture pixel and keep byte 3,
// except "Inversion", which complements the whole pixel word.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/commands.h"
#include "engine/executor.h"

namespace mottler {

namespace {

constexpr std::uint32_t kSpareMask = 0xFF000000u;

inline std::uint8_t limitByte(std::int64_t v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Limits a real to 0..255, then truncates: the same as truncating first and
// limiting after, but the conversion stays in range (NaN gives 0).
inline std::uint8_t limitTruncate(double v) {
  if (v >= 255.0) return 255;
  if (v > 0.0) return static_cast<std::uint8_t>(static_cast<int>(v));
  return 0;
}

// Maps every texture pixel through one 256-entry table per channel
// (index 0 blue, 1 green, 2 red), keeping byte 3.
void applyTables(TextureEngine& e, const std::uint8_t (&table)[3][256]) {
  std::uint32_t* t = e.texture.data();
  const int n = e.pixelCount;  // a local count: pixel stores may alias the member
  for (int i = 0; i < n; ++i) {
    const std::uint32_t p = t[i];
    t[i] = (p & kSpareMask) | rgb(table[0][channel(p, 0)], table[1][channel(p, 1)], table[2][channel(p, 2)]);
  }
}

}  // namespace

// "Move to Buffer": the whole texture is copied into the buffer.
void moveToBuffer(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  std::memcpy(e.buffer.data(), e.texture.data(), static_cast<std::size_t>(e.pixelCount) * 4);
}

// "Clear Texture": every texture pixel becomes 0.
void clearTexture(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  e.clear(e.texture);
}

// "Connect Buffer": the buffer blended into the texture under the entry's
// method and offsets.
void connectBuffer(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  blendLayer(e, e.buffer, entry);
}

// "Gamma Correction": c -> truncate(c^g / K + 0.5) limited to 0..255, with
// g = Percents x 0.01 and K = 255^g / 255; that is 255 x (c / 255)^g rounded.
void gammaCorrection(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const double g = entry.param[0] * 0.01;
  const double k = std::pow(255.0, g) / 255.0;
  std::uint8_t table[3][256];
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t v = limitTruncate(std::pow(static_cast<double>(c), g) / k + 0.5);
    table[0][c] = table[1][c] = table[2][c] = v;
  }
  applyTables(e, table);
}

// "Brightness": each channel c -> min(255, c x percents / 100), its own
// percentage per channel.
void brightness(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  // Parameters are red, green, blue; table rows are blue, green, red.
  const std::int64_t percents[3] = {entry.param[2], entry.param[1], entry.param[0]};
  std::uint8_t table[3][256];
  for (int ch = 0; ch < 3; ++ch)
    for (int c = 0; c < 256; ++c) table[ch][c] = limitByte(c * percents[ch] / 100);
  applyTables(e, table);
}

// "Inversion": the whole pixel word is complemented (each channel c -> 255 - c).
void inversion(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  std::uint32_t* t = e.texture.data();
  const int n = e.pixelCount;  // a local count lets the loop run sixteen bytes at a time
  for (int i = 0; i < n; ++i) t[i] = ~t[i];
}

// "Contrast": c -> (c - 128) x Percents / 100 + 128, the division truncating
// toward zero, limited to 0..255.
void contrast(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const std::int64_t percents = entry.param[0];
  std::uint8_t table[3][256];
  for (int c = 0; c < 256; ++c)
    table[0][c] = table[1][c] = table[2][c] = limitByte((c - 128) * percents / 100 + 128);
  applyTables(e, table);
}

// "HSV": each pixel to hue, saturation and value (hexcone model, blue in the
// place of red), scaled by Hue / 180, Saturation % and Value %, and back.
// All in double; the channels are truncated without rounding.
void hsv(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const double hueScale = entry.param[0];
  const double saturationScale = entry.param[1];
  // V' = mx x Value x 0.01 for every possible mx.
  double scaledValue[256];
  for (int mx = 0; mx < 256; ++mx) scaledValue[mx] = mx * static_cast<double>(entry.param[2]) * 0.01;

  // Which of V', p, q, t each channel takes in the six sectors:
  // (V', t, p), (q, V', p), (p, V', t), (p, q, V'), (t, p, V'), (V', p, q).
  enum { kV, kP, kQ, kT };
  static constexpr std::uint8_t kPick[6][3] = {{kV, kT, kP}, {kQ, kV, kP}, {kP, kV, kT},
                                               {kP, kQ, kV}, {kT, kP, kV}, {kV, kP, kQ}};

  std::uint32_t* tex = e.texture.data();
  // Neighbouring pixels often share a colour: remember the last conversion.
  bool haveLast = false;
  std::uint32_t lastIn = 0, lastOut = 0;

  for (int i = 0, n = e.pixelCount; i < n; ++i) {
    const std::uint32_t pixel = tex[i];
    const std::uint32_t colourIn = pixel & ~kSpareMask;
    if (haveLast && colourIn == lastIn) {
      tex[i] = (pixel & kSpareMask) | lastOut;
      continue;
    }
    const int c0 = channel(pixel, 0);
    const int c1 = channel(pixel, 1);
    const int c2 = channel(pixel, 2);
    const int mx = std::max(c0, std::max(c1, c2));
    const int mn = std::min(c0, std::min(c1, c2));
    const double delta = mx - mn;
    const double s = mx == 0 ? 0.0 : delta / mx;

    double h = 0.0;  // undefined for grey, where it does not matter
    if (s != 0.0) {
      // H = (c1 - c2) / delta, 2 + (c2 - c0) / delta or 4 + (c0 - c1) / delta
      // by the largest channel (0 + x is x exactly, x never being -0).
      const int num = c0 == mx ? c1 - c2 : (c1 == mx ? c2 - c0 : c0 - c1);
      const double base = c0 == mx ? 0.0 : (c1 == mx ? 2.0 : 4.0);
      h = base + num / delta;
      h = h * 60;
      // h >= -60 and h < 300 here, so one step of "while h < 0 add 360"
      // is all it takes (written as a select: the sign is unpredictable).
      h = h < 0 ? h + 360 : h;
      while (h >= 360) h -= 360;
    }

    double hs = h * hueScale / 180;
    // Hues of 360 degrees or more (Hue above 180) come round again.  Values
    // far outside the catalogue ranges are first brought near by fmod so the
    // loops stay short.
    if (hs >= 720.0 || hs <= -720.0) hs = std::fmod(hs, 360.0);
    hs = hs >= 360 ? hs - 360 : hs;  // within the catalogue range hs < 720
    while (hs >= 360) hs -= 360;
    while (hs < 0) hs += 360;
    double ss = s * saturationScale * 0.01;
    if (ss > 1) ss = 1;
    const double vs = scaledValue[mx];

    // With S' = 0 (grey pixels, or Saturation 0) p, q and t all equal V'
    // exactly, which is the grey case: every channel V'.
    const double hh = hs / 60;
    // hh >= 0, so floor(hh) is its truncation.
    const int sectorOfHue = static_cast<int>(hh);
    const double f = hh - sectorOfHue;
    const double value[4] = {vs, vs * (1 - ss), vs * (1 - ss * f), vs * (1 - ss * (1 - f))};
    int sector = sectorOfHue;
    if (sector > 5) sector = 5;  // not reached: hs < 360
    if (sector < 0) sector = 0;
    const std::uint8_t* pick = kPick[sector];
    const std::uint32_t colourOut =
        rgb(limitTruncate(value[pick[0]]), limitTruncate(value[pick[1]]), limitTruncate(value[pick[2]]));
    tex[i] = (pixel & kSpareMask) | colourOut;
    haveLast = true;
    lastIn = colourIn;
    lastOut = colourOut;
  }
}

}  // namespace mottler
