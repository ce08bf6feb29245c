// The engine's sin, cos, exp and pow against MPFR's correctly rounded
// results (53 bits, to nearest, with subnormals): every argument the
// commands compute from their parameter ranges and the texture sizes, random
// arguments over the ranges they use, the multi-precision fallback on its
// own, and the special values.
//
// The enumeration covers every texture side up to 256.  Where that is many
// millions of arguments (Twirl, Sine Plasma, Enviroument Map, Sine
// Distortion) the everyday run takes a fixed slice; MOTTLER_FULL_MATHS_SWEEP=1
// takes all of them (and the size-dependent half-cosine weights and Sine
// Plasma angles up to a side of 4096), which takes the better part of an
// hour, except Sine Distortion's phases: 4 of the 255 (all 255 would be half
// a billion angles).  Larger sides are left to the random arguments, which
// span the same ranges.
#include "engine/exact_maths.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/arithmetic.h"
#include "sanitized.h"

using namespace mottler;

namespace {

bool fullSweep() {
  const char* v = std::getenv("MOTTLER_FULL_MATHS_SWEEP");
  return v != nullptr && *v == '1';
}

// The sanitizer build runs a smaller random sample.
constexpr int kRandomScale = mottler::kSanitized ? 8 : 1;

enum class Fn { Sin, Cos, Exp, Pow };
const char* nameOf(Fn f) {
  switch (f) {
    case Fn::Sin:
      return "sin";
    case Fn::Cos:
      return "cos";
    case Fn::Exp:
      return "exp";
    case Fn::Pow:
      return "pow";
  }
  return "?";
}

// MPFR with the exponent range of doubles, so that its results round as a
// double would, subnormals included.
class Mpfr {
 public:
  Mpfr() {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_inits2(53, x_, y_, r_, static_cast<mpfr_ptr>(nullptr));
  }
  ~Mpfr() { mpfr_clears(x_, y_, r_, static_cast<mpfr_ptr>(nullptr)); }
  Mpfr(const Mpfr&) = delete;
  Mpfr& operator=(const Mpfr&) = delete;

  double operator()(Fn f, double x, double y = 0.0) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    mpfr_set_d(y_, y, MPFR_RNDN);
    int t = 0;
    switch (f) {
      case Fn::Sin:
        t = mpfr_sin(r_, x_, MPFR_RNDN);
        break;
      case Fn::Cos:
        t = mpfr_cos(r_, x_, MPFR_RNDN);
        break;
      case Fn::Exp:
        t = mpfr_exp(r_, x_, MPFR_RNDN);
        break;
      case Fn::Pow:
        t = mpfr_pow(r_, x_, y_, MPFR_RNDN);
        break;
    }
    mpfr_subnormalize(r_, t, MPFR_RNDN);
    return mpfr_get_d(r_, MPFR_RNDN);
  }

 private:
  mpfr_t x_, y_, r_;
};

double ours(Fn f, double x, double y = 0.0) {
  switch (f) {
    case Fn::Sin:
      return exactSin(x);
    case Fn::Cos:
      return exactCos(x);
    case Fn::Exp:
      return exactExp(x);
    case Fn::Pow:
      return exactPow(x, y);
  }
  return 0.0;
}

double slow(Fn f, double x, double y = 0.0) {
  switch (f) {
    case Fn::Sin:
      return exact_maths_detail::slowSin(x);
    case Fn::Cos:
      return exact_maths_detail::slowCos(x);
    case Fn::Exp:
      return exact_maths_detail::slowExp(x);
    case Fn::Pow:
      return exact_maths_detail::slowPow(x, y);
  }
  return 0.0;
}

// The same double, telling -0 from +0; any NaN equals any NaN.
bool sameDouble(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

// Arguments: x alone, or x and y for pow.
using Args = std::vector<std::pair<double, double>>;

// How many of the arguments give a result other than MPFR's, the first few
// printed.
template <typename Compute>
long mismatches(Fn f, Args args, Compute compute) {
  std::sort(args.begin(), args.end());
  args.erase(std::unique(args.begin(), args.end()), args.end());
  Mpfr mpfr;
  long wrong = 0;
  for (const auto& [x, y] : args) {
    const double got = compute(f, x, y);
    const double want = mpfr(f, x, y);
    if (sameDouble(got, want)) continue;
    if (++wrong <= 5)
      ADD_FAILURE() << nameOf(f) << std::hexfloat << "(" << x << ", " << y << ") = " << got
                    << ", not " << want;
  }
  std::printf("  %s: %zu distinct arguments, %ld wrong\n", nameOf(f), args.size(), wrong);
  return wrong;
}

// ------------------------------------------- the arguments of the engine ---

// The calls a command makes, by function.
struct Calls {
  Args sin, cos, exp, pow;
  void sinAndCos(double x) {
    sin.emplace_back(x, 0.0);
    cos.emplace_back(x, 0.0);
  }
};

constexpr int kSide = 256;         // the largest texture side of the application
constexpr int kScaledSide = 4096;  // 16 x that, for size-dependent arguments

// "Lines": sin and cos of "Angle" x pi / 180, "Angle" 0..360.
void lineCalls(Calls& c, bool) {
  for (int angle = 0; angle <= 360; ++angle) c.sinAndCos(static_cast<double>(angle) * kPi / 180.0);
}

// "Splines": sin and cos of a x pi / 180, a = (0..359) + "Variant" (0..255)
// - 128.
void splineAngleCalls(Calls& c, bool) {
  for (int a = -128; a <= 359 + 255 - 128; ++a) c.sinAndCos(static_cast<double>(a) * kPi / 180.0);
}

// "Splines" and "Perlin Noise": the half-cosine weights cos(pi i / n),
// 0 <= i < n, n a spline's width (at most 255) or a lattice cell's (at most
// the texture side).
void halfCosineCalls(Calls& c, bool full) {
  const int most = full ? kScaledSide : kSide;
  for (int n = 1; n <= most; ++n)
    for (int i = 0; i < n; ++i)
      c.cos.emplace_back(kPi * static_cast<double>(i) / static_cast<double>(n), 0.0);
}

// "Sine Plasma": sin and cos of the angles 0, s, 2s, ... (256 of them,
// accumulated) with s = 2 pi / (side / period), period 1..32.
void sinePlasmaCalls(Calls& c, bool full) {
  const int most = full ? kScaledSide : kSide;
  for (int side = 1; side <= most; ++side)
    for (int period = 1; period <= 32; ++period) {
      if (!full && period != 1 && period != 32 && side % 16 != 0) continue;
      const double step = 2.0 * kPi / (static_cast<double>(side) / period);
      double angle = 0.0;
      for (int i = 0; i < 256; ++i) {
        c.sinAndCos(angle);
        angle += step;
      }
    }
}

// "Twirl": sin and cos of theta = -Angle x (2 pi / 120) x ((R - d) / R)^2
// for R = min(W/2, H/2) (1..128), every distance d = sqrt(dx^2 + dy^2) <= R
// of whole offsets, "Angle" -180..180.  The slice: every R at the extreme
// and the default angle, every angle for R up to 8.
void twirlCalls(Calls& c, bool full) {
  for (int r = 1; r <= kSide / 2; ++r) {
    const double radius = static_cast<double>(r);
    std::vector<int> distances;
    for (int ady = 0; ady <= r; ++ady)
      for (int adx = ady; adx <= r && adx * adx + ady * ady <= r * r; ++adx)
        distances.push_back(adx * adx + ady * ady);
    std::sort(distances.begin(), distances.end());
    distances.erase(std::unique(distances.begin(), distances.end()), distances.end());
    for (int angle = -180; angle <= 180; ++angle) {
      if (!full && angle != -180 && angle != 90 && r > 8) continue;
      const double k = -static_cast<double>(angle) * (2.0 * kPi / 120.0);
      for (const int d2 : distances) {
        const double d = std::sqrt(static_cast<double>(d2));
        const double f = (radius - d) / radius;
        c.sinAndCos(k * (f * f));
      }
    }
  }
}

// "Sine Distortion": sin of the single-precision angle sequences.  Rows:
// start pi x "Y Phase" / fx, step pi / fx, fx = W / (2 x X period); columns:
// start pi x "X Phase" / fy, step pi / fy, fy = H / (2 x Y period) in single
// precision; each angle float(angle + step), up to 256 of them.  The
// phases 1..255 make this hundreds of millions of angles: the sweep takes
// four phases (the slice one, and 64 angles).
void sineDistortionCalls(Calls& c, bool full) {
  const int phases[] = {1, 2, 128, 255};
  const int count = full ? 256 : 64;
  for (int side = 1; side <= kSide; ++side)
    for (int period = 1; period <= 32; ++period)
      for (const int phase : phases) {
        if (!full && (phase != 1 || (period != 1 && period != 32 && side % 16 != 0))) continue;
        const double fx = static_cast<double>(side) / (2.0 * static_cast<double>(period));
        const float rowStep = static_cast<float>(kPi / fx);
        auto row = static_cast<float>(kPi * static_cast<double>(phase) / fx);
        const auto fy =
            static_cast<float>(static_cast<double>(side) / (2.0 * static_cast<double>(period)));
        const float colStep = static_cast<float>(kPi / static_cast<double>(fy));
        auto col = static_cast<float>(kPi * static_cast<double>(phase) / static_cast<double>(fy));
        for (int i = 0; i < count; ++i) {
          c.sin.emplace_back(static_cast<double>(row), 0.0);
          c.sin.emplace_back(static_cast<double>(col), 0.0);
          row = static_cast<float>(static_cast<double>(row) + static_cast<double>(rowStep));
          col = static_cast<float>(static_cast<double>(col) + static_cast<double>(colStep));
        }
      }
}

// "Distortion by Buffer": sin(pi i / (257 - Turbulence)), i 0..255,
// "Turbulence" 0..255.
void distortionByBufferCalls(Calls& c, bool) {
  for (int turbulence = 0; turbulence <= 255; ++turbulence)
    for (int i = 0; i < 256; ++i)
      c.sin.emplace_back(kPi * static_cast<double>(i) / static_cast<double>(257 - turbulence), 0.0);
}

// The distinct squared distances a^2 + b^2 with 0 <= a, b <= half.
std::vector<int> squaredDistances(int half) {
  std::vector<int> all;
  for (int a = 0; a <= half; ++a)
    for (int b = a; b <= half; ++b) all.push_back(a * a + b * b);
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  return all;
}

// "Enviroument Map": exp(-k d) and exp(-0.002 d d), d = sqrt(dx^2 + dy^2)
// with |dx|, |dy| <= 128, k = 1 / ("Radius" + 1), "Radius" 1..256 (it
// follows the width).  The slice takes a dozen radii.
void environmentMapCalls(Calls& c, bool full) {
  const std::vector<int> distances = squaredDistances(kSide / 2);
  for (const int r2 : distances) {
    const double d = std::sqrt(static_cast<double>(r2));
    c.exp.emplace_back(-0.002 * d * d, 0.0);
  }
  const int slice[] = {1, 2, 3, 5, 10, 31, 64, 100, 128, 200, 255, 256};
  for (int radius = 1; radius <= kSide; ++radius) {
    if (!full && std::find(std::begin(slice), std::end(slice), radius) == std::end(slice)) continue;
    const double k = 1.0 / (static_cast<double>(radius) + 1.0);
    for (const int r2 : distances) c.exp.emplace_back(-k * std::sqrt(static_cast<double>(r2)), 0.0);
  }
}

// "Blobs": the profile table, exp(-0.002 d d) and exp(-0.02 d) with
// d = 2 sqrt((128 - k)^2 + (s - 128)^2), k, s 0..255.
void blobProfileCalls(Calls& c, bool) {
  for (const int r2 : squaredDistances(128)) {
    const double d = 2.0 * std::sqrt(static_cast<double>(r2));
    c.exp.emplace_back(-0.002 * d * d, 0.0);
    c.exp.emplace_back(-0.02 * d, 0.0);
  }
}

// "Gamma Correction": pow(c, g) for c 0..255 and pow(255, g), g =
// "Percents" x 0.01, "Percents" 1..300.
void gammaCalls(Calls& c, bool) {
  for (int percents = 1; percents <= 300; ++percents) {
    const double g = percents * 0.01;
    for (int v = 0; v <= 255; ++v) c.pow.emplace_back(static_cast<double>(v), g);
  }
}

struct CallSite {
  const char* name;
  void (*build)(Calls&, bool full);
};

const CallSite kCallSites[] = {
    {"Lines", lineCalls},
    {"SplineAngles", splineAngleCalls},
    {"HalfCosineWeights", halfCosineCalls},
    {"SinePlasma", sinePlasmaCalls},
    {"Twirl", twirlCalls},
    {"SineDistortion", sineDistortionCalls},
    {"DistortionByBuffer", distortionByBufferCalls},
    {"EnvironmentMap", environmentMapCalls},
    {"BlobProfile", blobProfileCalls},
    {"GammaCorrection", gammaCalls},
};

class EngineArguments : public testing::TestWithParam<CallSite> {};

TEST_P(EngineArguments, EveryResultIsTheCorrectlyRoundedOne) {
  Calls calls;
  GetParam().build(calls, fullSweep());
  std::printf("%s%s\n", GetParam().name, fullSweep() ? " (full sweep)" : "");
  const std::pair<Fn, Args*> sets[] = {
      {Fn::Sin, &calls.sin}, {Fn::Cos, &calls.cos}, {Fn::Exp, &calls.exp}, {Fn::Pow, &calls.pow}};
  for (const auto& [f, args] : sets)
    if (!args->empty()) {
      EXPECT_EQ(mismatches(f, *args, ours), 0) << nameOf(f);
    }
}

INSTANTIATE_TEST_SUITE_P(CallSites, EngineArguments, testing::ValuesIn(kCallSites),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------ random arguments ---

// count arguments with magnitudes spread evenly over the binades from
// 2^lowExp to 2^highExp (either sign when signed), or uniform in [low, high]
// when lowExp == highExp == 0.
struct RandomRange {
  const char* name;
  Fn fn;
  double low, high;  // uniform part
  int lowExp, highExp;
  bool signedValues;
  int count;
};

const RandomRange kRandomRanges[] = {
    // Twirl's angles and the reduced range.
    {"SinSmall", Fn::Sin, -10.0, 10.0, 0, 0, true, 150000},
    {"CosSmall", Fn::Cos, -10.0, 10.0, 0, 0, true, 150000},
    // Sine Plasma and Sine Distortion reach a few hundred thousand radians.
    {"SinWide", Fn::Sin, 0, 0, -30, 20, true, 100000},
    {"CosWide", Fn::Cos, 0, 0, -30, 20, true, 100000},
    // Enviroument Map, Blobs: negative exponents down to past underflow.
    {"ExpNegative", Fn::Exp, -750.0, 0.0, 0, 0, false, 150000},
    {"ExpAnySize", Fn::Exp, 0, 0, -60, 9, true, 100000},
    // Gamma Correction: pow(0..255, 0..3); pow of any positive double below
    // 256 to a power in (0, 3].
    {"PowGamma", Fn::Pow, 0.0, 3.0, 0, 0, false, 150000},
    {"PowAnyBase", Fn::Pow, 0.0, 3.0, -40, 8, false, 100000},
};

class RandomArguments : public testing::TestWithParam<RandomRange> {};

TEST_P(RandomArguments, EveryResultIsTheCorrectlyRoundedOne) {
  const RandomRange& range = GetParam();
  std::mt19937_64 random(0x5eed0000u + static_cast<unsigned>(range.fn));
  std::uniform_real_distribution<double> uniform(range.low, range.high);
  std::uniform_real_distribution<double> binade(range.lowExp, range.highExp);
  std::uniform_int_distribution<int> byte(0, 255);
  const int count = (fullSweep() ? 10 : 1) * range.count / kRandomScale;
  Args args;
  args.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    double x = range.lowExp == range.highExp ? uniform(random) : std::exp2(binade(random));
    if (range.signedValues && (random() & 1)) x = -x;
    if (range.fn == Fn::Pow) {
      // x is the power; the base is a whole byte value or, for AnyBase, x.
      const double base = range.lowExp == range.highExp ? byte(random) : x;
      args.emplace_back(base, range.lowExp == range.highExp ? x : uniform(random));
    } else {
      args.emplace_back(x, 0.0);
    }
  }
  std::printf("%s\n", range.name);
  EXPECT_EQ(mismatches(range.fn, args, ours), 0);
}

INSTANTIATE_TEST_SUITE_P(Ranges, RandomArguments, testing::ValuesIn(kRandomRanges),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------ the fallback on its own ---

// The multi-precision evaluation decides the rare arguments the fast path
// cannot; here it gets ordinary ones, and whole doubles of any size
// (sin and cos of huge arguments need hundreds of bits of 2/pi).
TEST(SlowPath, AgreesWithMpfrEverywhere) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> small(-10.0, 10.0);
  Args trig, expArgs, powArgs;
  for (int i = 0; i < 3000 / kRandomScale; ++i) {
    trig.emplace_back(small(random), 0.0);
    expArgs.emplace_back(small(random) * 75.0, 0.0);
    powArgs.emplace_back(std::abs(small(random)) * 25.6, std::abs(small(random)) * 0.3);
  }
  for (int i = 0; i < 300 / kRandomScale; ++i) {
    // Any finite double: random bits with the exponent field below 2047.
    std::uint64_t bits = random();
    if (((bits >> 52) & 0x7ff) == 0x7ff) bits ^= 1ULL << 62;
    trig.emplace_back(std::bit_cast<double>(bits), 0.0);
  }
  const auto fallback = [](Fn f, double x, double y) { return slow(f, x, y); };
  EXPECT_EQ(mismatches(Fn::Sin, trig, fallback), 0);
  EXPECT_EQ(mismatches(Fn::Cos, trig, fallback), 0);
  EXPECT_EQ(mismatches(Fn::Sin, trig, ours), 0);
  EXPECT_EQ(mismatches(Fn::Cos, trig, ours), 0);
  EXPECT_EQ(mismatches(Fn::Exp, expArgs, fallback), 0);
  EXPECT_EQ(mismatches(Fn::Pow, powArgs, fallback), 0);
}

// ------------------------------------------------------- chosen arguments ---

struct Chosen {
  Fn fn;
  double x, y;
};

class ChosenArguments : public testing::TestWithParam<Chosen> {};

// Special values, the edges of overflow and underflow, subnormal results,
// multiples of pi that cancel, and powers whose exact value is a double or
// half-way between two (to even): the fast and the slow path both.
TEST_P(ChosenArguments, FastAndSlowAgreeWithMpfr) {
  const Chosen& c = GetParam();
  Mpfr mpfr;
  const double want = mpfr(c.fn, c.x, c.y);
  EXPECT_PRED2(sameDouble, ours(c.fn, c.x, c.y), want)
      << nameOf(c.fn) << std::hexfloat << " " << c.x << " " << c.y;
  EXPECT_PRED2(sameDouble, slow(c.fn, c.x, c.y), want)
      << nameOf(c.fn) << std::hexfloat << " " << c.x << " " << c.y << " (slow)";
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();

const Chosen kChosen[] = {
    {Fn::Sin, 0.0, 0},
    {Fn::Sin, -0.0, 0},
    {Fn::Sin, kInf, 0},
    {Fn::Sin, -kInf, 0},
    {Fn::Sin, kNaN, 0},
    {Fn::Sin, kTiny, 0},
    {Fn::Sin, 0x1p-27, 0},
    {Fn::Sin, kPi, 0},
    {Fn::Sin, 2 * kPi, 0},
    {Fn::Sin, 0x1p22, 0},
    {Fn::Sin, 1e22, 0},
    {Fn::Sin, kMax, 0},
    {Fn::Sin, 6381956970095103.0 * 0x1p797, 0},  // very close to a multiple of pi/2
    {Fn::Cos, 0.0, 0},
    {Fn::Cos, -kInf, 0},
    {Fn::Cos, kNaN, 0},
    {Fn::Cos, kPi / 2, 0},
    {Fn::Cos, 3 * kPi / 2, 0},
    {Fn::Cos, 0x1p-27, 0},
    {Fn::Cos, 0x1.0000000000001p-26, 0},
    {Fn::Cos, -kMax, 0},
    {Fn::Exp, 0.0, 0},
    {Fn::Exp, -0.0, 0},
    {Fn::Exp, kInf, 0},
    {Fn::Exp, -kInf, 0},
    {Fn::Exp, kNaN, 0},
    {Fn::Exp, 0x1p-60, 0},
    {Fn::Exp, -0x1p-60, 0},
    {Fn::Exp, 709.782712893384, 0},
    {Fn::Exp, 709.7827128933841, 0},
    {Fn::Exp, -708.3964185322641, 0},
    {Fn::Exp, -720.0, 0},
    {Fn::Exp, -745.1332191019411, 0},
    {Fn::Exp, -745.1332191019412, 0},
    {Fn::Exp, -1e4, 0},
    {Fn::Pow, 0.0, 0.5},
    {Fn::Pow, 0.0, 3.0},
    {Fn::Pow, -0.0, 3.0},
    {Fn::Pow, -0.0, -3.0},
    {Fn::Pow, 0.0, -0.5},
    {Fn::Pow, 1.0, kNaN},
    {Fn::Pow, kNaN, 0.0},
    {Fn::Pow, -1.0, kInf},
    {Fn::Pow, 0.5, kInf},
    {Fn::Pow, 2.0, -kInf},
    {Fn::Pow, -kInf, 3.0},
    {Fn::Pow, -kInf, -3.0},
    {Fn::Pow, -kInf, 2.0},
    {Fn::Pow, kInf, -2.0},
    {Fn::Pow, -8.0, 1.0 / 3},
    {Fn::Pow, -2.0, 3.0},
    {Fn::Pow, -2.0, -1075.0},
    {Fn::Pow, 255.0, 1.0},
    {Fn::Pow, 255.0, 3.0},
    {Fn::Pow, 16.0, 0.25},
    {Fn::Pow, 81.0, 0.75},
    {Fn::Pow, 9.0, 1.5},
    {Fn::Pow, 2.0, 0.5},
    {Fn::Pow, 1853020188851841.0, 0.03125},  // 3^32, to the 1/32: 3
    {Fn::Pow, 94906267.0, 2.0},              // 54 bits: half-way, to even
    {Fn::Pow, 134217727.0, 2.0},             // (2^27 - 1)^2, half-way
    {Fn::Pow, 134217729.0, 2.0},             // (2^27 + 1)^2, 55 bits
    {Fn::Pow, 0x1p-600, 2.0},
    {Fn::Pow, 2.0, -1074.0},
    {Fn::Pow, 2.0, -1075.0},
    {Fn::Pow, 3.0, -700.0},
    {Fn::Pow, 10.0, 308.5},
    {Fn::Pow, 1.0000000000000002, 0x1p60},
    {Fn::Pow, 0.9999999999999999, -0x1p62},
    {Fn::Pow, kTiny, 0.5},
    {Fn::Pow, kMax, 0.5},
};

INSTANTIATE_TEST_SUITE_P(Values, ChosenArguments, testing::ValuesIn(kChosen));

// --------------------------------------------------------- the call sites ---

// No source of the engine or the document code calls the C library's
// transcendental functions (std::sqrt and std::floor are exact and stay),
// so no picture can depend on them again.
TEST(EngineSources, NoneUsesTheCLibrarysMaths) {
  namespace fs = std::filesystem;
  const std::regex libraryMaths(
      R"((std)?::(sin|cos|tan|asin|acos|atan2?|sinh|cosh|tanh|exp|exp2|expm1)"
      R"(|log|log2|log10|log1p|pow|cbrt|hypot)f?\s*\()");
  int files = 0;
  for (const char* folder : {"engine", "document"})
    for (const auto& entry :
         fs::recursive_directory_iterator(fs::path(MOTTLER_SOURCE_DIR) / folder)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      ++files;
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number)
        EXPECT_FALSE(std::regex_search(line, libraryMaths))
            << entry.path() << ":" << number << ": " << line;
    }
  EXPECT_GT(files, 20);
}

}  // namespace
