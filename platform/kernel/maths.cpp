// The program's sin, cos, exp and hypot (linked with --wrap): one implementation on every system, so that a
// game plays alike natively and in WebAssembly, whose C library rounds about 3 % of sines and cosines the
// other way. Each is evaluated in double-double arithmetic (about 106 bits) and rounded once, so results are
// correctly rounded but for inputs within 2^-100 or so of a rounding boundary; every step is a plain IEEE
// double operation, which every system rounds alike. This file is compiled without contraction into fused
// multiply-adds (platform/CMakeLists.txt): the error terms below depend on each product being rounded.
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

struct DD {
  double hi, lo;
};

DD TwoSum(double a, double b) {
  double s = a + b, bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}
DD FastTwoSum(double a, double b) {  // |a| >= |b|
  double s = a + b;
  return {s, b - (s - a)};
}
void Split(double a, double& high, double& low) {
  double t = 134217729.0 * a;  // 2^27 + 1
  high = t - (t - a);
  low = a - high;
}
DD TwoProduct(double a, double b) {
  double p = a * b, ah, al, bh, bl;
  Split(a, ah, al);
  Split(b, bh, bl);
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}
DD Add(DD a, DD b) {
  DD s = TwoSum(a.hi, b.hi), t = TwoSum(a.lo, b.lo);
  s = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(s.hi, s.lo + t.lo);
}
DD Multiply(DD a, DD b) {
  DD p = TwoProduct(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}
DD Negate(DD a) { return {-a.hi, -a.lo}; }

// The nearest whole number, ties to even, for |v| < 2^51: the sum's rounding drops the fraction.
double Nearest(double v) { return (v + 0x1.8p52) - 0x1.8p52; }

// Horner's scheme over coefficients from the highest degree down. The terms of high degree are below 2^-30
// of the result, so plain doubles carry them well past the 53 bits returned; the last `exact` in full.
template <int N>
DD Polynomial(const DD (&c)[N], int exact, DD x) {
  double small = c[0].hi;
  for (int i = 1; i < N - exact; i++) small = small * x.hi + c[i].hi;
  DD p = {small, 0.0};
  for (int i = N - exact; i < N; i++) p = Add(Multiply(p, x), c[i]);
  return p;
}

// 1/(2j+1)! and 1/(2j)! with alternating signs, j = 14 down to 0: sin r = r P(r^2), cos r = Q(r^2) for
// |r| <= pi/4, the first omitted terms below 2^-106 of the result.
constexpr DD kSine[] = {
    {0x1.259f98b4358adp-103, 0x1.eaf8c39dd9bc5p-157},   {-0x1.d1ab1c2dccea3p-94, -0x1.054d0c78aea14p-149},
    {0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},   {-0x1.761b41316381ap-75, 0x1.3423c7d91404fp-130},
    {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},   {-0x1.2f49b46814157p-57, -0x1.2650f61dbdcb4p-112},
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},    {-0x1.ae7f3e733b81fp-41, -0x1.1d8656b0ee8cbp-97},
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},     {-0x1.ae64567f544e4p-26, 0x1.c062e06d1f209p-80},
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},    {-0x1.a01a01a01a01ap-13, -0x1.a01a01a01a01ap-73},
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},      {-0x1.5555555555555p-3, -0x1.5555555555555p-57},
    {1.0, 0.0},
};
constexpr DD kCosine[] = {
    {0x1.0a18a2635085dp-98, 0x1.b9e2e28e1aa54p-153},   {-0x1.88e85fc6a4e5ap-89, 0x1.71c37ebd16540p-143},
    {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},   {-0x1.0ce396db7f853p-70, 0x1.aebcdbd20331cp-124},
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},    {-0x1.6827863b97d97p-53, -0x1.eec01221a8b0bp-107},
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},    {-0x1.93974a8c07c9dp-37, -0x1.05d6f8a2efd1fp-92},
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},    {-0x1.27e4fb7789f5cp-22, -0x1.cbbc05b4fa99ap-76},
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},     {-0x1.6c16c16c16c17p-10, 0x1.f49f49f49f49fp-65},
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},      {-0.5, 0.0},
    {1.0, 0.0},
};
// 1/n!, n = 24 down to 0: exp r for |r| <= ln 2 / 2.
constexpr DD kExp[] = {
    {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135}, {0x1.761b41316381ap-75, -0x1.3423c7d91404fp-130},
    {0x1.0ce396db7f853p-70, -0x1.aebcdbd20331cp-124}, {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},  {0x1.2f49b46814157p-57, 0x1.2650f61dbdcb4p-112},
    {0x1.6827863b97d97p-53, 0x1.eec01221a8b0bp-107},  {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},  {0x1.ae7f3e733b81fp-41, 0x1.1d8656b0ee8cbp-97},
    {0x1.93974a8c07c9dp-37, 0x1.05d6f8a2efd1fp-92},   {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},  {0x1.ae64567f544e4p-26, -0x1.c062e06d1f209p-80},
    {0x1.27e4fb7789f5cp-22, 0x1.cbbc05b4fa99ap-76},   {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},   {0x1.a01a01a01a01ap-13, 0x1.a01a01a01a01ap-73},
    {0x1.6c16c16c16c17p-10, -0x1.f49f49f49f49fp-65},  {0x1.1111111111111p-7, 0x1.1111111111111p-63},
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},    {0x1.5555555555555p-3, 0x1.5555555555555p-57},
    {0.5, 0.0},                                       {1.0, 0.0},
    {1.0, 0.0},
};

// pi/2 and ln 2 in pieces of 53 bits each.
constexpr double kHalfPi[] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, -0x1.f1976b7ed8fbcp-110,
                              0x1.4cf98e804177dp-164};
constexpr double kLn2[] = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56, 0x1.7b57a079a1934p-111};

// x - n pi/2 for the nearest n, and n mod 4. Below 2^30 the remainder keeps about 160 bits past x's own;
// beyond, where the game never goes, it is the remainder by the double nearest 2 pi: the same on every
// system, but not the true sine.
DD Reduce(double x, int& quadrant) {
  if (!(std::fabs(x) < 0x1p30)) {
    x = std::fmod(x, 2 * kHalfPi[0] * 2);
    if (std::fabs(x) > 2 * kHalfPi[0]) x -= std::copysign(4 * kHalfPi[0], x);
  }
  double n = Nearest(x * 0x1.45f306dc9c883p-1);
  quadrant = int(int64_t(n) & 3);
  DD r = Add({x, 0.0}, Negate(TwoProduct(n, kHalfPi[0])));
  r = Add(r, Negate(TwoProduct(n, kHalfPi[1])));
  r = Add(r, Negate(TwoProduct(n, kHalfPi[2])));
  return Add(r, {-n * kHalfPi[3], 0.0});
}

DD SineOf(DD r) { return Multiply(r, Polynomial(kSine, 6, Multiply(r, r))); }
DD CosineOf(DD r) { return Polynomial(kCosine, 7, Multiply(r, r)); }

// sin x (cosine = false) or cos x, quadrant by quadrant.
double SineOrCosine(double x, bool cosine) {
  if (std::isnan(x) || std::isinf(x)) return x - x;
  // Past the first term's rounding: sin x rounds to x and cos x to 1.
  if (std::fabs(x) < 0x1p-27) return cosine ? 1.0 : x;
  int quadrant = 0;
  DD r = Reduce(x, quadrant);
  if (cosine) quadrant = (quadrant + 1) & 3;
  DD v = (quadrant & 1) ? CosineOf(r) : SineOf(r);
  return (quadrant & 2) ? -v.hi : v.hi;
}

}  // namespace

namespace platform {

double Sine(double x) { return SineOrCosine(x, false); }
double Cosine(double x) { return SineOrCosine(x, true); }

double Exponential(double x) {
  if (std::isnan(x)) return x + x;
  if (x > 709.8) return HUGE_VAL;
  if (x < -746.0) return 0.0;
  double k = Nearest(x * 0x1.71547652b82fep+0);
  DD r = Add({x, 0.0}, Negate(TwoProduct(k, kLn2[0])));
  r = Add(r, Negate(TwoProduct(k, kLn2[1])));
  r = Add(r, {-k * kLn2[2], 0.0});
  DD e = Polynomial(kExp, 10, r);
  // Scaling by a power of two is exact but for results below the normal range.
  return std::ldexp(e.hi, int(k));
}

double Hypotenuse(double x, double y) {
  if (std::isinf(x) || std::isinf(y)) return HUGE_VAL;
  if (std::isnan(x) || std::isnan(y)) return x + y;
  x = std::fabs(x);
  y = std::fabs(y);
  if (x < y) std::swap(x, y);
  if (y == 0) return x;
  // Scaled by a power of two so that the squares neither overflow nor lose bits below the normal range.
  int scale = 0;
  if (x > 0x1p500) scale = 600;
  else if (y < 0x1p-450) scale = -600;
  x = std::ldexp(x, -scale);
  y = std::ldexp(y, -scale);
  DD sum = Add(TwoProduct(x, x), TwoProduct(y, y));
  // One Newton step from the double square root, with the residue computed exactly.
  double s = std::sqrt(sum.hi);
  DD residue = Add(sum, Negate(TwoProduct(s, s)));
  DD root = FastTwoSum(s, residue.hi / (2 * s));
  return std::ldexp(root.hi, scale);
}

}  // namespace platform

extern "C" {
double __wrap_sin(double x) { return platform::Sine(x); }
double __wrap_cos(double x) { return platform::Cosine(x); }
// Compilers turn sin and cos of one argument into one call of sincos.
void __wrap_sincos(double x, double* s, double* c) {
  *s = platform::Sine(x);
  *c = platform::Cosine(x);
}
double __wrap_exp(double x) { return platform::Exponential(x); }
double __wrap_hypot(double x, double y) { return platform::Hypotenuse(x, y); }
}
