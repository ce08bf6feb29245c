// "The same look", measured: a texture rendered at a scale s is shrunk back
// to the design size by averaging every s x s block, and its statistics are
// compared with the spread of design-size renders of the same program with
// other seeds (and other "Variant" values).
//
// The statistics of a W x H picture: the mean and the standard deviation of
// each colour channel, the mean luminance gradient (how fine the detail is)
// and the luminance power spectrum summed over octave bands of 1-2, 2-4, ...
// cycles per side.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/arithmetic.h"
#include "engine/executor.h"

namespace mottler::look {

// A picture of doubles, three channels a pixel (blue, green, red).
struct Picture {
  int width = 0, height = 0;
  std::vector<double> values;  // (y * width + x) * 3 + c
  double at(int x, int y, int c) const {
    return values[(static_cast<std::size_t>(y) * width + x) * 3 + c];
  }
  double luminance(int x, int y) const {
    return 0.114 * at(x, y, 0) + 0.587 * at(x, y, 1) + 0.299 * at(x, y, 2);
  }
};

// The texture of an engine, every s x s block averaged into one pixel.
inline Picture shrunk(const TextureEngine& e, int s) {
  Picture p;
  p.width = e.width / s;
  p.height = e.height / s;
  p.values.assign(static_cast<std::size_t>(p.width) * p.height * 3, 0.0);
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      const std::uint32_t px = e.texture.data()[static_cast<std::size_t>(y) * e.width + x];
      const std::size_t at = (static_cast<std::size_t>(y / s) * p.width + x / s) * 3;
      for (int c = 0; c < 3; ++c) p.values[at + c] += channel(px, c);
    }
  for (double& v : p.values) v /= static_cast<double>(s) * s;
  return p;
}

// In-place discrete Fourier transform of n values (a power of two: radix 2;
// otherwise directly).
inline void transform(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  if ((n & (n - 1)) != 0) {
    std::vector<std::complex<double>> out(n);
    for (std::size_t k = 0; k < n; ++k)
      for (std::size_t j = 0; j < n; ++j)
        out[k] += a[j] * std::polar(1.0, -2.0 * kPi * static_cast<double>(j * k % n) / n);
    a = out;
    return;
  }
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2.0 * kPi / static_cast<double>(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0);
      for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

struct Statistics {
  std::vector<double> values;  // in the order of names()
  static std::vector<std::string> names(int bands) {
    std::vector<std::string> n = {"mean blue",       "mean green",    "mean red", "deviation blue",
                                  "deviation green", "deviation red", "gradient"};
    for (int b = 0; b < bands; ++b)
      n.push_back("spectrum " + std::to_string(1 << b) + "-" + std::to_string(2 << b));
    return n;
  }
};

// Octave bands up to a quarter of the smaller side: the finest octave is
// left out, as the block average of the shrinking damps it by design.
inline int bandCount(int width, int height) {
  int bands = 0;
  while ((2 << bands) <= std::min(width, height) / 4) ++bands;
  return bands;
}

inline Statistics measure(const Picture& p) {
  Statistics s;
  const double n = static_cast<double>(p.width) * p.height;
  for (int c = 0; c < 3; ++c) {
    double sum = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) sum += p.at(x, y, c);
    s.values.push_back(sum / n);
  }
  for (int c = 0; c < 3; ++c) {
    double sum = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) sum += std::pow(p.at(x, y, c) - s.values[c], 2);
    s.values.push_back(std::sqrt(sum / n));
  }
  double gradient = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      gradient += std::abs(p.luminance((x + 1) % p.width, y) - p.luminance(x, y)) +
                  std::abs(p.luminance(x, (y + 1) % p.height) - p.luminance(x, y));
  s.values.push_back(gradient / n);

  // Luminance spectrum: rows, then columns.
  std::vector<std::complex<double>> f(static_cast<std::size_t>(p.width) * p.height);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      f[static_cast<std::size_t>(y) * p.width + x] = p.luminance(x, y);
  std::vector<std::complex<double>> line;
  for (int y = 0; y < p.height; ++y) {
    line.assign(f.begin() + static_cast<std::ptrdiff_t>(y) * p.width,
                f.begin() + static_cast<std::ptrdiff_t>(y + 1) * p.width);
    transform(line);
    std::copy(line.begin(), line.end(), f.begin() + static_cast<std::ptrdiff_t>(y) * p.width);
  }
  line.resize(static_cast<std::size_t>(p.height));
  for (int x = 0; x < p.width; ++x) {
    for (int y = 0; y < p.height; ++y) line[y] = f[static_cast<std::size_t>(y) * p.width + x];
    transform(line);
    for (int y = 0; y < p.height; ++y) f[static_cast<std::size_t>(y) * p.width + x] = line[y];
  }
  const int bands = bandCount(p.width, p.height);
  std::vector<double> power(static_cast<std::size_t>(bands), 0.0);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      // Frequency in cycles per side.
      const double r = std::hypot(std::min(x, p.width - x), std::min(y, p.height - y));
      for (int b = 0; b < bands; ++b)
        if (r >= (1 << b) && r < (2 << b))
          power[static_cast<std::size_t>(b)] +=
              std::norm(f[static_cast<std::size_t>(y) * p.width + x]);
    }
  // Amplitude per pixel, in colour levels: comparable across sizes.
  for (double pw : power) s.values.push_back(std::sqrt(pw) / n);
  return s;
}

// Whether a value lies within the spread of the design renders plus a
// margin: half the spread, and an absolute floor that keeps programs whose
// pictures hardly depend on the seed from failing on a rounding: two colour
// levels for the means and deviations, a fifth of the largest reference
// value plus a quarter level for the gradient and the spectrum bands (the
// block average itself softens detail finer than a design pixel, which the
// design's point samples keep).
struct Verdict {
  bool same = true;
  std::string report;
};

inline Verdict compare(const Statistics& scaled, const std::vector<Statistics>& references,
                       int bands) {
  Verdict v;
  const std::vector<std::string> names = Statistics::names(bands);
  for (std::size_t k = 0; k < scaled.values.size(); ++k) {
    double lo = references[0].values[k], hi = lo;
    for (const Statistics& r : references) {
      lo = std::min(lo, r.values[k]);
      hi = std::max(hi, r.values[k]);
    }
    const double floor = k < 6 ? 2.0 : 0.2 * std::max(std::abs(lo), std::abs(hi)) + 0.25;
    const double margin = 0.5 * (hi - lo) + floor;
    const double x = scaled.values[k];
    if (x < lo - margin || x > hi + margin) {
      v.same = false;
      v.report += names[k] + ": " + std::to_string(x) + " outside " + std::to_string(lo) + " .. " +
                  std::to_string(hi) + " (margin " + std::to_string(margin) + ")\n";
    }
  }
  return v;
}

// The colour step across the wrap edges against the largest mean step
// between neighbouring columns and rows inside at the same phase of the
// design grid (at a scale s: every s-th boundary, the edge's own phase; a
// rule that works on the design's pixels makes its steps there).  A
// texture tiles when the edge step is no larger.
struct SeamSteps {
  double edgeX = 0, innerX = 0, edgeY = 0, innerY = 0;
};

inline SeamSteps seamSteps(const TextureEngine& e) {
  const int w = e.width, h = e.height, s = e.scale;
  std::vector<double> columns(static_cast<std::size_t>(w)), rows(static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* line = e.texture.data() + static_cast<std::size_t>(y) * w;
    const std::uint32_t* below = e.texture.data() + static_cast<std::size_t>((y + 1) % h) * w;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        columns[x] += std::abs(channel(line[x], c) - channel(line[(x + 1) % w], c));
        rows[y] += std::abs(channel(line[x], c) - channel(below[x], c));
      }
  }
  SeamSteps steps;
  // Between column x and x + 1 (wrapped), averaged over the rows.
  steps.edgeX = columns[w - 1] / h;
  for (int x = s - 1; x < w - 1; x += s) steps.innerX = std::max(steps.innerX, columns[x] / h);
  steps.edgeY = rows[h - 1] / w;
  for (int y = s - 1; y < h - 1; y += s) steps.innerY = std::max(steps.innerY, rows[y] / w);
  return steps;
}

}  // namespace mottler::look
