// Buffer commands ("Move to Buffer", "Clear Texture", "Connect Buffer") and
// colour adjustments ("Gamma Correction", "Brightness", "Inversion",
// "Contrast", "HSV").
//
// None of them draws random numbers, and a disabled entry does nothing.  The
// colour adjustments change bytes 0..2 of every texture pixel and keep byte 3,
// except "Inversion", which complements the whole pixel word.
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
  for (int i = 0; i < e.pixelCount; ++i) {
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
  for (int i = 0; i < e.pixelCount; ++i) t[i] = ~t[i];
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
  const double valueScale = entry.param[2];
  std::uint32_t* tex = e.texture.data();

  // Neighbouring pixels often share a colour: remember the last conversion.
  bool haveLast = false;
  std::uint32_t lastIn = 0, lastOut = 0;

  for (int i = 0; i < e.pixelCount; ++i) {
    const std::uint32_t pixel = tex[i];
    const std::uint32_t colourIn = pixel & ~kSpareMask;
    if (haveLast && colourIn == lastIn) {
      tex[i] = (pixel & kSpareMask) | lastOut;
      continue;
    }
    const double c0 = channel(pixel, 0);
    const double c1 = channel(pixel, 1);
    const double c2 = channel(pixel, 2);

    double mx = c0, mn = c0;
    if (c1 > mx) mx = c1;
    if (c2 > mx) mx = c2;
    if (c1 < mn) mn = c1;
    if (c2 < mn) mn = c2;
    const double delta = mx - mn;
    const double s = mx == 0.0 ? 0.0 : delta / mx;

    double h = 0.0;  // undefined for grey; unused there
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

    double hs = h * hueScale / 180;
    // Hues of 360 degrees or more (Hue above 180) come round again.  Values
    // far outside the catalogue ranges are first brought near by fmod so the
    // loops stay short.
    if (hs >= 720.0 || hs <= -720.0) hs = std::fmod(hs, 360.0);
    while (hs >= 360) hs -= 360;
    while (hs < 0) hs += 360;
    double ss = s * saturationScale * 0.01;
    if (ss > 1) ss = 1;
    const double vs = mx * valueScale * 0.01;

    double r0, r1, r2;
    if (ss == 0.0) {
      r0 = r1 = r2 = vs;
    } else {
      const double hh = hs / 60;
      const double fi = std::floor(hh);
      const double f = hh - fi;
      const double p = vs * (1 - ss);
      const double q = vs * (1 - ss * f);
      const double t = vs * (1 - ss * (1 - f));
      switch (static_cast<int>(fi)) {
        case 0: r0 = vs; r1 = t; r2 = p; break;
        case 1: r0 = q; r1 = vs; r2 = p; break;
        case 2: r0 = p; r1 = vs; r2 = t; break;
        case 3: r0 = p; r1 = q; r2 = vs; break;
        case 4: r0 = t; r1 = p; r2 = vs; break;
        default: r0 = vs; r1 = p; r2 = q; break;  // 5
      }
    }
    const std::uint32_t colourOut = rgb(limitTruncate(r0), limitTruncate(r1), limitTruncate(r2));
    tex[i] = (pixel & kSpareMask) | colourOut;
    haveLast = true;
    lastIn = colourIn;
    lastOut = colourOut;
  }
}

}  // namespace mottler
