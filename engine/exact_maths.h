// The engine's own sine, cosine, exponential and power: each returns the
// double nearest to the exact mathematical value (ties to even), for every
// double argument, computed with plain IEEE double and integer arithmetic
// only.  A picture therefore never depends on the C library's maths: the
// same program gives the same bits with every compiler, processor and
// platform.
//
// Each function first evaluates a double-double approximation with a known
// bound on its error and returns its rounded value when the bound proves it
// is the correctly rounded one (nearly every argument).  Otherwise it
// evaluates again in multi-precision arithmetic, with more precision until
// the rounding is decided; powers whose exact value is a double or lies
// exactly half-way between two doubles are recognised and computed exactly.
#pragma once

namespace mottler {

// sin(x); sin(+-inf) and sin(NaN) are NaN, sin(-0) is -0.
double exactSin(double x);

// cos(x); cos(+-inf) and cos(NaN) are NaN.
double exactCos(double x);

// e^x; +inf past the largest double, +0 below half the smallest one.
double exactExp(double x);

// x^y, with the special values of the C library's pow (pow(x, 0) = 1,
// pow(1, y) = 1, a negative x only with a whole y, 0^-y = inf, ...).
double exactPow(double x, double y);

// The multi-precision evaluations on their own, which the functions above
// fall back to; exposed so that tests can check them directly.
namespace exact_maths_detail {
double slowSin(double x);
double slowCos(double x);
double slowExp(double x);
double slowPow(double x, double y);
}  // namespace exact_maths_detail

}  // namespace mottler
