// Small arithmetic the commands share.
#pragma once

namespace mottler {

inline constexpr double kPi = 3.14159265358979323846;

// v modulo n, into 0..n-1 also for negative v (n >= 1).  Values already
// inside skip the division.
constexpr int wrap(int v, int n) {
  if (v >= 0 && v < n) return v;
  const int r = v % n;
  return r < 0 ? r + n : r;
}

}  // namespace mottler
