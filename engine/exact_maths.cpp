// Correctly rounded sin, cos, exp and pow from IEEE double and integer
// arithmetic alone (see exact_maths.h).
//
// Fast path: argument reduction and a short polynomial in double-double
// arithmetic (pairs hi + lo of doubles, products split by Dekker's method so
// no fused multiply-add is needed), with a proven bound on the relative
// error.  provenNearest() accepts the result only if every value within that
// bound rounds to the same double.
//
// Slow path: a small multi-precision binary floating-point type (Big, 32-bit
// limbs, truncating arithmetic) evaluates the function with a few hundred
// bits and a bound on the error; the precision grows until roundBig() can
// decide the rounding.  sin, cos and exp of a double are never exactly half
// way between two doubles, so this ends; for pow the exact and half-way
// cases are found first (exactPowCase) and rounded exactly.
//
// The lookup tables of the fast path are computed once, on first use, by
// the slow path's arithmetic from the constants below (pi, 2/pi and ln 2 in
// hexadecimal; the tests check them against an independent library).
#include "engine/exact_maths.h"

#include <algorithm>
#include <bit>
#include <cmath>  // std::sqrt, std::floor: exact under IEEE
#include <cstdint>
#include <limits>

namespace mottler {
namespace {

// ------------------------------------------------------------- doubles ---

std::uint64_t bitsOf(double x) { return std::bit_cast<std::uint64_t>(x); }
double fromBits(std::uint64_t b) { return std::bit_cast<double>(b); }
double absOf(double x) { return fromBits(bitsOf(x) & ~(1ULL << 63)); }
constexpr std::uint64_t kFractionMask = (1ULL << 52) - 1;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// 2^e for -1074 <= e <= 1023.
double pow2(int e) {
  if (e >= -1022) return fromBits(static_cast<std::uint64_t>(e + 1023) << 52);
  return fromBits(1ULL << (e + 1074));
}

// The whole number nearest to t (ties to even), for |t| < 2^51.
double nearestWhole(double t) {
  constexpr double kShifter = 0x1.8p52;
  return (t + kShifter) - kShifter;
}

// ------------------------------------------------------- double-double ---

struct DD {
  double hi;
  double lo;
};

DD twoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// Exact a + b as hi + lo, for |a| >= |b| (or a = 0).
DD fastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

void split(double a, double& hi, double& lo) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  hi = c - (c - a);
  lo = a - hi;
}

// Exact a * b as hi + lo (Dekker), for products far from overflow.
DD twoProd(double a, double b) {
  const double p = a * b;
  double ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

DD mulDD(DD a, DD b) {
  const DD p = twoProd(a.hi, b.hi);
  return fastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

DD addDD(DD a, DD b) {
  const DD s = twoSum(a.hi, b.hi);
  return twoSum(s.hi, s.lo + (a.lo + b.lo));
}

DD divDD(DD a, DD b) {
  const double q1 = a.hi / b.hi;
  const DD p = twoProd(q1, b.hi);
  const double r = (((a.hi - p.hi) - p.lo) + a.lo) - q1 * b.lo;
  return fastTwoSum(q1, r / b.hi);
}

// True when hi is the double nearest to every number within err of
// hi + lo, where hi is hi + lo rounded (|lo| at most half an ulp of hi).
// Compares with half the smaller gap next to hi, with a margin for the
// rounding of |lo| + err; tiny, zero and non-finite hi are left to the slow
// path.
bool provenNearest(double hi, double lo, double err) {
  const std::uint64_t b = bitsOf(hi) & ~(1ULL << 63);
  const int biased = static_cast<int>(b >> 52);
  if (biased <= 1 || biased >= 2047) return false;
  const bool powerOfTwo = (b & kFractionMask) == 0;
  const double halfGap = pow2(biased - 1023 - 53 - (powerOfTwo ? 1 : 0));
  return absOf(lo) + err < 0.9999 * halfGap;
}

// ------------------------------------------------------ multi-precision ---

constexpr int kMaxLimbs = 72;

// (-1)^neg x 0.limb[0] limb[1] ... limb[n-1] (binary) x 2^exp, limb[0]
// with its top bit set unless the number is zero.  Operations truncate to
// the precision asked for; each is off by at most a few units in the last
// limb.
struct Big {
  std::uint32_t limb[kMaxLimbs] = {};
  int n = 1;
  int exp = 0;
  bool neg = false;
  bool zero = true;
};

Big zeroBig(int n) {
  Big a;
  std::fill(a.limb, a.limb + kMaxLimbs, 0u);
  a.n = n;
  return a;
}

// Big from w limbs (most significant first) of value 0.R x 2^exp: shifted
// until the top bit is set, then truncated to n limbs.
Big finish(std::uint32_t* r, int w, int exp, bool neg, int n) {
  Big a = zeroBig(n);
  int first = 0;
  while (first < w && r[first] == 0) ++first;
  if (first == w) return a;
  const int shift = std::countl_zero(r[first]);
  for (int i = 0; i < n; ++i) {
    const int j = first + i;
    const std::uint64_t hi = j < w ? r[j] : 0;
    const std::uint64_t lo = j + 1 < w ? r[j + 1] : 0;
    a.limb[i] = static_cast<std::uint32_t>(((hi << 32 | lo) << shift) >> 32);
  }
  a.exp = exp - 32 * first - shift;
  a.neg = neg;
  a.zero = false;
  return a;
}

Big withPrecision(const Big& a, int n) {
  Big r = a;
  for (int i = std::min(a.n, n); i < kMaxLimbs; ++i) r.limb[i] = 0;
  r.n = n;
  return r;
}

Big negated(Big a) {
  if (!a.zero) a.neg = !a.neg;
  return a;
}

Big fromUnsigned(std::uint64_t m, int exp2, bool neg, int n) {
  std::uint32_t r[2] = {static_cast<std::uint32_t>(m >> 32), static_cast<std::uint32_t>(m)};
  return finish(r, 2, exp2 + 64, neg, n);
}

// The double x exactly.
Big fromDouble(double x, int n) {
  const std::uint64_t b = bitsOf(x);
  const int biased = static_cast<int>((b >> 52) & 0x7ff);
  const std::uint64_t fraction = b & kFractionMask;
  const std::uint64_t m = biased == 0 ? fraction : fraction | 1ULL << 52;
  return fromUnsigned(m, biased == 0 ? -1074 : biased - 1075, (b >> 63) != 0, n);
}

Big one(int n) { return fromUnsigned(1, 0, false, n); }

// 32 bits of the magnitude starting at bit pos (0 = the top bit), zeros
// outside the stored bits.
std::uint32_t bitsFrom(const Big& a, long pos) {
  const auto limbAt = [&](long i) -> std::uint64_t {
    return i >= 0 && i < a.n ? a.limb[i] : 0;
  };
  const long word = pos >= 0 ? pos / 32 : (pos - 31) / 32;
  const int bit = static_cast<int>(pos - word * 32);
  const std::uint64_t both = limbAt(word) << 32 | limbAt(word + 1);
  return static_cast<std::uint32_t>((both << bit) >> 32);
}

int bitAt(const Big& a, long pos) { return static_cast<int>(bitsFrom(a, pos) >> 31); }

Big addBig(const Big& a, const Big& b, int n) {
  if (b.zero) return withPrecision(a, n);
  if (a.zero) return withPrecision(b, n);
  const Big* x = &a;
  const Big* y = &b;
  if (y->exp > x->exp) std::swap(x, y);
  const int w = n + 2;
  std::uint32_t X[kMaxLimbs + 3] = {};
  std::uint32_t Y[kMaxLimbs + 3] = {};
  for (int i = 0; i < w; ++i) {
    X[i + 1] = i < x->n ? x->limb[i] : 0;
    Y[i + 1] = bitsFrom(*y, 32L * i - (x->exp - y->exp));
  }
  // One spare limb on top for a carry.
  std::uint32_t R[kMaxLimbs + 3] = {};
  bool neg = x->neg;
  if (x->neg == y->neg) {
    std::uint64_t carry = 0;
    for (int i = w; i >= 0; --i) {
      const std::uint64_t s = static_cast<std::uint64_t>(X[i]) + Y[i] + carry;
      R[i] = static_cast<std::uint32_t>(s);
      carry = s >> 32;
    }
  } else {
    const std::uint32_t* big = X;
    const std::uint32_t* small = Y;
    if (std::lexicographical_compare(X, X + w + 1, Y, Y + w + 1)) {
      std::swap(big, small);
      neg = y->neg;
    }
    std::int64_t borrow = 0;
    for (int i = w; i >= 0; --i) {
      std::int64_t d = static_cast<std::int64_t>(big[i]) - small[i] - borrow;
      borrow = d < 0;
      if (d < 0) d += 1LL << 32;
      R[i] = static_cast<std::uint32_t>(d);
    }
  }
  return finish(R, w + 1, x->exp + 32, neg, n);
}

Big subBig(const Big& a, const Big& b, int n) { return addBig(a, negated(b), n); }

Big mulBig(const Big& a, const Big& b, int n) {
  if (a.zero || b.zero) return zeroBig(n);
  const int na = std::min(a.n, n + 1), nb = std::min(b.n, n + 1);
  std::uint32_t P[2 * kMaxLimbs + 2] = {};
  for (int i = na - 1; i >= 0; --i) {
    std::uint64_t carry = 0;
    for (int j = nb - 1; j >= 0; --j) {
      const std::uint64_t t =
          static_cast<std::uint64_t>(a.limb[i]) * b.limb[j] + P[i + j + 1] + carry;
      P[i + j + 1] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    P[i] = static_cast<std::uint32_t>(carry);
  }
  return finish(P, na + nb, a.exp + b.exp, a.neg != b.neg, n);
}

Big mulSmall(const Big& a, std::uint32_t k, int n) {
  if (a.zero || k == 0) return zeroBig(n);
  std::uint32_t R[kMaxLimbs + 2] = {};
  std::uint64_t carry = 0;
  const int m = std::min(a.n, n + 1);
  for (int i = m - 1; i >= 0; --i) {
    const std::uint64_t t = static_cast<std::uint64_t>(a.limb[i]) * k + carry;
    R[i + 1] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  R[0] = static_cast<std::uint32_t>(carry);
  return finish(R, m + 1, a.exp + 32, a.neg, n);
}

Big divSmall(const Big& a, std::uint32_t k, int n) {
  if (a.zero) return zeroBig(n);
  std::uint32_t R[kMaxLimbs + 2] = {};
  std::uint64_t rest = 0;
  for (int i = 0; i < n + 1; ++i) {
    const std::uint64_t cur = rest << 32 | (i < a.n ? a.limb[i] : 0);
    R[i] = static_cast<std::uint32_t>(cur / k);
    rest = cur % k;
  }
  return finish(R, n + 1, a.exp, a.neg, n);
}

Big scaled(Big a, int e) {
  if (!a.zero) a.exp += e;
  return a;
}

// A double near a (within a part in 2^60), +-huge or 0 far out of range.
double approx(const Big& a) {
  if (a.zero) return 0.0;
  const double m = static_cast<double>(a.limb[0]) * 0x1p-32 +
                   static_cast<double>(a.n > 1 ? a.limb[1] : 0) * 0x1p-64;
  const int e = std::clamp(a.exp, -1060, 1060);
  const double v = m * pow2(e / 2) * pow2(e - e / 2);
  return a.neg ? -v : v;
}

// The double nearest to a, into out.  With exact, a is the value itself
// and a tie goes to the even neighbour; otherwise the value is anywhere
// within 2^errExp of a and the answer is given only if that whole interval
// rounds to the same double (false otherwise).
bool roundBig(const Big& a, bool exact, int errExp, double& out) {
  if (a.zero) {
    out = 0.0;
    return exact;
  }
  const int E = a.exp;  // 2^(E-1) <= |a| < 2^E
  if (E >= 1025) {
    out = a.neg ? -kInfinity : kInfinity;
    return true;
  }
  const int ulpExp = std::max(E - 53, -1074);
  const long kept = E - ulpExp;  // bits of the result, at most 53
  const int roundBit = bitAt(a, kept);
  bool up = false;
  if (exact) {
    bool rest = false;
    for (long p = kept + 1; p < 32L * a.n && !rest; ++p) rest = bitAt(a, p) != 0;
    std::uint64_t k = 0;
    for (long p = std::max(0L, kept - 1); p < kept; ++p) k = bitAt(a, p);
    up = roundBit && (rest || (k & 1));
  } else {
    // err is 2^s units of the result's last place: decided when a bit equal
    // to the rounding bit follows it within the bits that err leaves alone.
    const long s = static_cast<long>(errExp) - ulpExp;
    bool decided = false;
    for (long j = 2; j <= -s - 1 && !decided; ++j) decided = bitAt(a, kept + j - 1) == roundBit;
    if (!decided) return false;
    up = roundBit != 0;
  }
  std::uint64_t k = 0;
  for (long p = 0; p < kept; ++p) k = k << 1 | static_cast<std::uint64_t>(bitAt(a, p));
  const double v = static_cast<double>(k + (up ? 1 : 0)) * pow2(ulpExp);
  out = a.neg ? -v : v;
  return true;
}

// The double nearest to a, a tie to even (for table values).
double nearestOf(const Big& a) {
  double d = 0.0;
  roundBig(a, true, 0, d);
  return d;
}

DD ddOf(const Big& a) {
  const double hi = nearestOf(a);
  return {hi, nearestOf(subBig(a, fromDouble(hi, a.n), a.n))};
}

// The leading bits of a (at most 53), truncated, as a double.
double leadingBits(const Big& a, int bits) {
  if (a.zero) return 0.0;
  std::uint64_t k = 0;
  for (int p = 0; p < bits; ++p) k = k << 1 | static_cast<std::uint64_t>(bitAt(a, p));
  const double v = static_cast<double>(k) * pow2(a.exp - bits);
  return a.neg ? -v : v;
}

Big fromHex(const char* hex, int exp) {
  Big a = zeroBig(kMaxLimbs);
  int i = 0;
  for (const char* p = hex; *p != 0 && i < 8 * kMaxLimbs; ++p, ++i) {
    const int d = *p <= '9' ? *p - '0' : *p - 'a' + 10;
    a.limb[i / 8] |= static_cast<std::uint32_t>(d) << (28 - 4 * (i % 8));
  }
  a.exp = exp;
  a.zero = false;
  return a;
}

// pi, 2/pi and ln 2, truncated.
const Big& bigPi() {
  static const Big v = fromHex(
      "c90fdaa22168c234c4c6628b80dc1cd129024e088a67cc74020bbea63b139b22"
      "514a08798e3404ddef9519b3cd3a431b302b0a6df25f14374fe1356d6d51c245"
      "e485b576625e7ec6f44c42e9a637ed6b0bff5cb6f406b7edee386bfb5a899fa5",
      2);
  return v;
}

const Big& bigTwoOverPi() {
  static const Big v = fromHex(
      "a2f9836e4e441529fc2757d1f534ddc0db6295993c439041fe5163abdebbc561"
      "b7246e3a424dd2e006492eea09d1921cfe1deb1cb129a73ee88235f52ebb4484"
      "e99c7026b45f7e413991d639835339f49c845f8bbdf9283b1ff897ffde05980f"
      "ef2f118b5a0a6d1f6d367ecf27cb09b74f463f669e5fea2d7527bac7ebe5f17b"
      "3d0739f78a5292ea6bfb5fb11f8d5d0856033046fc7b6babf0cfbc209af4361d"
      "a9e391615ee61b086599855f14a068408dffd8804d73273106061556ca73a8c9"
      "60e27bc08c6b47c419c367cddce8092a8359c4768b961ca6ddaf44d15719053e"
      "a5ff07053f7e33e832c2de4f98327dbbc33d26ef6b1e5ef89f3a1f35caf27f1d"
      "87f121907c7c246afa6ed5772d30433b15c614b59d19c3c2c4ad414d2c5d000c",
      0);
  return v;
}

const Big& bigLn2() {
  static const Big v = fromHex(
      "b17217f7d1cf79abc9e3b39803f2f6af40f343267298b62d8a0d175b8baafa2b"
      "e7b876206debac98559552fb4afa1b10ed2eae35c138214427573b291169b825"
      "3e96ca16224ae8c51acbda11317c387eb9ea9bc3b136603b256fa0ec7657f74b",
      0);
  return v;
}
constexpr int kConstantLimbs = 24;  // limbs held of pi and ln 2

// e^r for |r| <= 1: the Taylor series of r / 2^12, squared 12 times.
// Relative error below 2^-(32n - 24).
Big expSmall(const Big& r, int n) {
  constexpr int kSquarings = 12;
  const Big x = scaled(withPrecision(r, n), -kSquarings);
  Big sum = one(n);
  Big term = one(n);
  for (std::uint32_t k = 1;; ++k) {
    term = divSmall(mulBig(term, x, n), k, n);
    if (term.zero || term.exp < -32 * n - 4) break;
    sum = addBig(sum, term, n);
  }
  for (int i = 0; i < kSquarings; ++i) sum = mulBig(sum, sum, n);
  return sum;
}

// e^z, zd a double near z with |zd| < 800.  Relative error below
// 2^-(32n - 26) (plus the error of z itself).
Big expBig(const Big& z, double zd, int n) {
  const double k = nearestWhole(zd * 1.4426950408889634);
  const Big kLn2 = mulSmall(withPrecision(bigLn2(), n + 1),
                            static_cast<std::uint32_t>(k < 0 ? -k : k), n + 1);
  const Big r = addBig(z, k < 0 ? kLn2 : negated(kLn2), n + 1);
  return scaled(expSmall(r, n), static_cast<int>(k));
}

// sin r and cos r by their Taylor series, for |r| <= 2.  Relative error
// below 2^-(32n - 12) for |r| <= pi/4.
Big sinSmall(const Big& r, int n) {
  const Big r2 = mulBig(r, r, n);
  Big term = withPrecision(r, n);
  Big sum = term;
  for (std::uint32_t k = 1;; ++k) {
    term = negated(divSmall(mulBig(term, r2, n), (2 * k) * (2 * k + 1), n));
    if (term.zero || term.exp < sum.exp - 32 * n - 4) break;
    sum = addBig(sum, term, n);
  }
  return sum;
}

Big cosSmall(const Big& r, int n) {
  const Big r2 = mulBig(r, r, n);
  Big term = one(n);
  Big sum = term;
  for (std::uint32_t k = 1;; ++k) {
    term = negated(divSmall(mulBig(term, r2, n), (2 * k - 1) * (2 * k), n));
    if (term.zero || term.exp < sum.exp - 32 * n - 4) break;
    sum = addBig(sum, term, n);
  }
  return sum;
}

// sin x (or cos x) of a finite nonzero double: x = j pi/2 + r with |r| <=
// pi/4, j from x times enough bits of 2/pi that r keeps 32n - 8 bits.
Big sinCosBig(double x, bool cosine, int n) {
  const Big X = fromDouble(x, 2);
  int extra = std::max(0, X.exp) / 32 + 3;
  int quadrant = 0;
  Big f;
  for (;;) {
    const int m = std::min(n + extra, kMaxLimbs);
    const Big q = mulBig(X, withPrecision(bigTwoOverPi(), m), m);
    // q = I + g with I whole and 0 <= g < 1 (magnitudes), then rounded to
    // the nearest whole number so that |g| <= 1/2.
    const int e = q.exp;
    int whole = bitAt(q, e - 2) * 2 + bitAt(q, e - 1);
    Big g = zeroBig(m);
    for (int i = 0; i < m; ++i) g.limb[i] = bitsFrom(q, std::max(e, 0) + 32L * i);
    g = finish(g.limb, m, std::min(e, 0), false, m);
    if (bitAt(q, e) != 0) {
      whole += 1;
      g = subBig(g, one(m), m);
    }
    if (q.neg) {
      whole = -whole;
      g = negated(g);
    }
    quadrant = whole & 3;
    f = g;
    // q is off by at most 2^(q.exp - 32m + 3); f must keep 32n + 8 bits.
    const bool enough = !f.zero && f.exp - 32 * n - 8 >= q.exp - 32 * m + 3;
    if (enough || m == kMaxLimbs) break;
    extra += 2;
  }
  const Big r = mulBig(f, scaled(withPrecision(bigPi(), n + 1), -1), n);
  if (cosine) quadrant = (quadrant + 1) & 3;
  // sin(j pi/2 + r) for j = 0..3: sin r, cos r, -sin r, -cos r.
  const Big v = quadrant & 1 ? cosSmall(r, n) : sinSmall(r, n);
  return quadrant & 2 ? negated(v) : v;
}

// --------------------------------------------------------- fast tables ---

struct Tables {
  DD sinSteps[129];  // sin(m pi/256), m = 0..128
  DD exp2Steps[64];  // 2^(j/64), j = 0..63
  double piStep[4];  // pi/256 in four parts, the first two of 24 bits
  double ln2Step[3];  // ln 2/64 in three parts, the first two of 36 bits
  DD ln2;
  DD inverseOdd[16];  // 1/(2k+1)
};

Tables buildTables() {
  constexpr int n = 5;
  Tables t{};
  const Big pi = withPrecision(bigPi(), n);
  for (std::uint32_t m = 0; m <= 128; ++m)
    t.sinSteps[m] = ddOf(sinSmall(scaled(mulSmall(pi, m, n), -8), n));
  const Big ln2 = withPrecision(bigLn2(), n);
  for (std::uint32_t j = 0; j < 64; ++j)
    t.exp2Steps[j] = ddOf(expSmall(scaled(mulSmall(ln2, j, n), -6), n));
  Big rest = scaled(pi, -8);
  for (int i = 0; i < 4; ++i) {
    t.piStep[i] = i < 2 ? leadingBits(rest, 24) : nearestOf(rest);
    rest = subBig(rest, fromDouble(t.piStep[i], n), n);
  }
  rest = scaled(ln2, -6);
  for (int i = 0; i < 3; ++i) {
    t.ln2Step[i] = i < 2 ? leadingBits(rest, 36) : nearestOf(rest);
    rest = subBig(rest, fromDouble(t.ln2Step[i], n), n);
  }
  t.ln2 = ddOf(ln2);
  for (std::uint32_t k = 0; k < 16; ++k) t.inverseOdd[k] = ddOf(divSmall(one(n), 2 * k + 1, n));
  return t;
}

const Tables& tables() {
  static const Tables t = buildTables();
  return t;
}

// ----------------------------------------------------------- fast paths ---

// sin x (cosine: cos x) for 2^-27 <= |x| < 2^22, or false when the
// rounding is not proven.  x = k pi/256 + r, |r| <= pi/512, and with
// k = 128 q + m, sin x = sin(q pi/2 + m pi/256 + r) from the table and
// the short series of sin r and cos r.  Error below 2^-63 relative plus
// that of r (2^-101 |x - k C1| + 2^-127).
bool fastSinCos(double x, bool cosine, double& out) {
  const Tables& t = tables();
  const double kd = nearestWhole(x * 81.48733086305042);  // 256/pi
  const double head = x - kd * t.piStep[0];                // exact
  const double p2 = kd * t.piStep[1];                      // exact
  const DD s = twoSum(head, -p2);
  const DD p3 = twoProd(kd, t.piStep[2]);
  const DD u = twoSum(s.hi, -p3.hi);
  const DD r = twoSum(u.hi, ((s.lo + u.lo) - p3.lo) - kd * t.piStep[3]);
  const double reductionErr = 0x1p-101 * (absOf(head) + absOf(p2)) + 0x1p-127;

  const auto k = static_cast<std::int64_t>(kd);
  const int j = static_cast<int>(static_cast<std::uint64_t>(k) & 511u);
  const int m = j & 127;
  int q = j >> 7;
  if (cosine) q = (q + 1) & 3;
  // sin(q pi/2 + theta) = A cos r + B sin r.
  const DD sm = t.sinSteps[m], cm = t.sinSteps[128 - m];
  const DD minusSm = {-sm.hi, -sm.lo}, minusCm = {-cm.hi, -cm.lo};
  const DD a = q == 0 ? sm : q == 1 ? cm : q == 2 ? minusSm : minusCm;
  const DD b = q == 0 ? cm : q == 1 ? minusSm : q == 2 ? minusCm : sm;

  const double rh = r.hi, rl = r.lo;
  const DD r2 = twoProd(rh, rh);
  const double z = r2.hi;
  const double r2lo = r2.lo + 2.0 * rh * rl;
  // cos r - 1 and sin r - r.
  const double cosTail =
      -0.5 * z + (-0.5 * r2lo + z * z * (1.0 / 24 - z * (1.0 / 720 - z * (1.0 / 40320))));
  const double sinTail = rh * z * (-1.0 / 6 + z * (1.0 / 120 - z * (1.0 / 5040)));
  const DD br = twoProd(b.hi, rh);
  const DD head2 = twoSum(a.hi, br.hi);
  const double rest = head2.lo + ((a.lo + (br.lo + (b.hi * rl + b.lo * rh))) +
                                  (a.hi * cosTail + b.hi * sinTail));
  const DD v = twoSum(head2.hi, rest);
  if (!provenNearest(v.hi, v.lo, 0x1p-63 * absOf(v.hi) + 1.01 * reductionErr)) return false;
  out = v.hi;
  return true;
}

// e^(xh + xl), where xh + xl is off by at most xErr, for -708 < xh < 709:
// x = N ln2/64 + r, |r| <= ln2/128, e^x = 2^(N/64) e^r with 2^(j/64) from the
// table and e^r by its series.  Error below 2^-63 relative plus xErr.
bool fastExp(double xh, double xl, double xErr, double& out) {
  if (!(xh > -708.0 && xh < 709.0)) return false;
  const Tables& t = tables();
  const double nd = nearestWhole(xh * 92.33248261689366);  // 64/ln2
  const double head = xh - nd * t.ln2Step[0];               // exact
  const DD s = twoSum(head, -(nd * t.ln2Step[1]));          // exact
  const DD r = twoSum(s.hi, (s.lo - nd * t.ln2Step[2]) + xl);
  const double rh = r.hi, rl = r.lo;
  const double p =
      rh * rh *
          (0.5 + rh * (1.0 / 6 + rh * (1.0 / 24 + rh * (1.0 / 120 + rh * (1.0 / 720 + rh / 5040))))) +
      rh * rl;
  const DD e1 = fastTwoSum(1.0, rh);
  const DD er = fastTwoSum(e1.hi, e1.lo + (rl + p));
  const int N = static_cast<int>(nd);
  const int j = N & 63;
  const DD v = mulDD(t.exp2Steps[j], er);
  if (!provenNearest(v.hi, v.lo, (0x1p-63 + 1.01 * xErr) * v.hi)) return false;
  out = v.hi * pow2((N - j) / 64);
  return true;
}

// ln x for a positive finite x as a double-double, relative error below
// 2^-74: x = 2^E m with m in [sqrt(1/2), sqrt(2)), ln m = 2 atanh(s),
// s = (m - 1)/(m + 1), |s| < 0.172, by 14 terms of its series.
DD logDD(double x) {
  const Tables& t = tables();
  int e = 0;
  if (x < 0x1p-1022) {
    x *= 0x1p54;
    e = -54;
  }
  const std::uint64_t b = bitsOf(x);
  e += static_cast<int>(b >> 52) - 1023;
  double m = fromBits((b & kFractionMask) | 0x3ffULL << 52);
  if (m > 1.4142135623730951) {
    m *= 0.5;
    e += 1;
  }
  const DD s = divDD({m - 1.0, 0.0}, twoSum(m, 1.0));
  const DD s2 = mulDD(s, s);
  DD sum = t.inverseOdd[13];
  for (int k = 12; k >= 0; --k) sum = addDD(t.inverseOdd[k], mulDD(sum, s2));
  DD lm = mulDD(sum, s);
  lm = {2.0 * lm.hi, 2.0 * lm.lo};
  const double ed = e;
  return addDD(addDD(twoProd(ed, t.ln2.hi), {ed * t.ln2.lo, 0.0}), lm);
}

// ------------------------------------------------------------ slow paths ---

// The precisions tried in turn, in limbs of 32 bits: the first decides all
// but a few arguments in a billion, the others are there for the rest.
constexpr int kPrecisions[] = {5, 9, 15};

// sin x or cos x for a finite x with |x| >= 2^-27.
double slowSinCos(double x, bool cosine) {
  double out = 0.0;
  Big v;
  for (const int n : kPrecisions) {
    v = sinCosBig(x, cosine, n);
    if (roundBig(v, false, v.exp - (32 * n - 24), out)) return out;
  }
  roundBig(v, true, 0, out);
  return out;
}

double slowExpOf(double x) {
  if (x != x) return x;
  if (x > 710.0) return kInfinity;
  if (x < -746.0) return 0.0;  // below 2^-1076
  if (x == 0.0) return 1.0;
  double out = 0.0;
  Big v;
  for (const int n : kPrecisions) {
    v = expBig(fromDouble(x, n + 1), x, n);
    if (roundBig(v, false, v.exp - (32 * n - 28), out)) return out;
  }
  roundBig(v, true, 0, out);
  return out;
}

// ln x for a positive finite x, off by at most 2^-(32n - 29): Newton's
// steps y + x e^-y - 1 from the double-double logarithm, each doubling the
// bits that are right, until the step is below 2^-16n.
Big logBig(double x, int n) {
  const DD start = logDD(x);
  const Big X = fromDouble(x, n);
  Big y = addBig(fromDouble(start.hi, n), fromDouble(start.lo, n), n);
  const Big minusOne = negated(one(n));
  for (int i = 0; i < 12; ++i) {
    const Big e = expBig(negated(y), -approx(y), n);
    const Big t = addBig(mulBig(e, X, n), minusOne, n);
    y = addBig(y, t, n);
    if (t.zero || 2 * t.exp < -32 * n) break;
  }
  return y;
}

std::uint64_t wholeSquareRoot(std::uint64_t v) {
  auto s = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(v)));
  while (s * s > v) --s;
  while ((s + 1) * (s + 1) <= v) ++s;
  return s;
}

// The odd integer m and exponent q with |x| = m 2^q, for a finite x != 0.
void oddParts(double x, std::uint64_t& m, int& q) {
  const std::uint64_t b = bitsOf(x);
  const int biased = static_cast<int>((b >> 52) & 0x7ff);
  m = biased == 0 ? b & kFractionMask : (b & kFractionMask) | 1ULL << 52;
  q = biased == 0 ? -1074 : biased - 1075;
  const int zeros = std::countr_zero(m);
  m >>= zeros;
  q += zeros;
}

// x^y for a positive finite x != 1 and a finite y != 0 when that is a
// double or half-way between two doubles (or rounds to 0 or infinity as a
// power of two), correctly rounded into out; false when it is neither.
// With x = M 2^E and y = Y 2^-k (M, Y odd), x^y is a dyadic rational only
// if M is a perfect 2^k-th power R^(2^k) and 2^k divides E (or M = 1); then
// x^y = R^Y 2^(EY/2^k), which needs at most 54 bits only for k <= 5 and
// small Y.
bool exactPowCase(double x, double y, double& out) {
  std::uint64_t mx = 0, my = 0;
  int qx = 0, qy = 0;
  oddParts(x, mx, qx);
  oddParts(y, my, qy);
  const bool yNegative = y < 0;
  if (mx == 1) {  // x = 2^qx, x^y = 2^(qx y)
    const double e = static_cast<double>(qx) * y;
    if (e > 3000.0 || e < -3000.0) {
      out = e > 0 ? kInfinity : 0.0;
      return true;
    }
    if (qy < 0 && (qy < -11 || qx % (1 << -qy) != 0)) return false;
    const std::int64_t whole =
        qy >= 0 ? static_cast<std::int64_t>(qx) * static_cast<std::int64_t>(my << qy)
                : static_cast<std::int64_t>(qx / (1 << -qy)) * static_cast<std::int64_t>(my);
    const std::int64_t e2 = yNegative ? -whole : whole;
    return roundBig(fromUnsigned(1, static_cast<int>(e2), false, 2), true, 0, out);
  }
  if (yNegative) return false;  // 1 / R^Y is not dyadic for odd R > 1
  std::uint64_t power = 0;
  int k = 0;
  if (qy >= 0) {
    if (qy > 6 || (my << qy) > 34) return false;  // 3^35 > 2^54
    power = my << qy;
  } else {
    k = -qy;
    if (k > 5 || my > 34) return false;
    power = my;
  }
  if (qx % (1 << k) != 0) return false;
  std::uint64_t root = mx;
  for (int i = 0; i < k; ++i) {
    const std::uint64_t s = wholeSquareRoot(root);
    if (s * s != root) return false;
    root = s;
  }
  std::uint64_t value = 1;
  for (std::uint64_t i = 0; i < power; ++i) {
    if (value > (1ULL << 54) / root) return false;
    value *= root;
  }
  const std::int64_t e2 = static_cast<std::int64_t>(qx / (1 << k)) * static_cast<std::int64_t>(power);
  return roundBig(fromUnsigned(value, static_cast<int>(e2), false, 3), true, 0, out);
}

// x^y for a positive finite x != 1 and a finite y != 0.
double slowPowOf(double x, double y) {
  double out = 0.0;
  if (exactPowCase(x, y, out)) return out;
  const int yExp = static_cast<int>((bitsOf(y) >> 52) & 0x7ff) - 1022;  // |y| < 2^yExp
  Big v;
  for (const int n : kPrecisions) {
    const int nl = std::min(kConstantLimbs, n + 3 + std::max(0, yExp) / 32);
    const Big z = mulBig(logBig(x, nl), fromDouble(y, 2), nl);
    const double zd = approx(z);
    if (zd > 710.0) return kInfinity;
    if (zd < -746.0) return 0.0;
    v = expBig(z, zd, n);
    if (roundBig(v, false, v.exp - (32 * n - 30), out)) return out;
  }
  roundBig(v, true, 0, out);
  return out;
}

double sinOrCos(double x, bool cosine, bool fast) {
  const double ax = absOf(x);
  if (ax < 0x1p-27) return cosine ? 1.0 : x;  // within a quarter of an ulp
  if (!(ax < kInfinity)) return x - x;         // NaN
  double out = 0.0;
  if (fast && ax < 0x1p22 && fastSinCos(x, cosine, out)) return out;
  return slowSinCos(x, cosine);
}

double expOf(double x, bool fast) {
  double out = 0.0;
  if (fast && fastExp(x, 0.0, 0.0, out)) return out;
  return slowExpOf(x);
}

bool isWhole(double y) { return std::floor(y) == y; }
bool isOddWhole(double y) { return isWhole(y) && absOf(y) < 0x1p53 && !isWhole(y * 0.5); }
double withSignOf(double magnitude, double sign) {
  return fromBits((bitsOf(magnitude) & ~(1ULL << 63)) | (bitsOf(sign) & (1ULL << 63)));
}

double powOf(double x, double y, bool fast) {
  if (y == 0.0 || x == 1.0) return 1.0;
  if (x != x || y != y) return x + y;
  if (absOf(y) == kInfinity) {
    if (x == -1.0) return 1.0;
    return (absOf(x) < 1.0) == (y > 0) ? 0.0 : kInfinity;
  }
  const bool odd = isOddWhole(y);
  if (x == 0.0) {
    if (y < 0) return odd ? withSignOf(kInfinity, x) : kInfinity;
    return odd ? x : 0.0;
  }
  if (absOf(x) == kInfinity) {
    const double magnitude = y > 0 ? kInfinity : 0.0;
    return x < 0 && odd ? -magnitude : magnitude;
  }
  bool negative = false;
  if (x < 0) {
    if (!isWhole(y)) return kNaN;
    negative = odd;
    x = -x;
  }
  double out = 0.0;
  bool done = false;
  if (fast && absOf(y) < 0x1p40) {
    const DD l = logDD(x);
    const DD p = twoProd(y, l.hi);
    const DD z = fastTwoSum(p.hi, p.lo + y * l.lo);
    done = fastExp(z.hi, z.lo, 0x1p-72 * absOf(z.hi), out);
  }
  if (!done) out = slowPowOf(x, y);
  return negative ? -out : out;
}

}  // namespace

double exactSin(double x) { return sinOrCos(x, false, true); }
double exactCos(double x) { return sinOrCos(x, true, true); }
double exactExp(double x) { return expOf(x, true); }
double exactPow(double x, double y) { return powOf(x, y, true); }

namespace exact_maths_detail {
double slowSin(double x) { return sinOrCos(x, false, false); }
double slowCos(double x) { return sinOrCos(x, true, false); }
double slowExp(double x) { return expOf(x, false); }
double slowPow(double x, double y) { return powOf(x, y, false); }
}  // namespace exact_maths_detail

}  // namespace mottler
