// Pixel effect blits that do not rotate: blends, colour filters, blur and the ripple, done in software on
// the locked source object and back surface. A source pixel 0 is transparent (except for the ripple).
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "pixels.h"

namespace oxDraw {
namespace {

using pixels::Channels;
using pixels::Join;
using pixels::Limit;
using pixels::LockedSurface;
using pixels::Split;
using pixels::Truncate;

// Where a source rectangle lands, cut as DrawObject cuts it and then kept inside both surfaces.
struct Placement {
  int x, y, l, t, r, b;
};

bool Place(Placement& p, const LockedSurface& src, const LockedSurface& dst) {
  // A source rectangle reaching past its surface is cut first, the destination moving with it.
  if (p.l < 0) p.x -= p.l, p.l = 0;
  if (p.t < 0) p.y -= p.t, p.t = 0;
  p.r = std::min(p.r, src.Width());
  p.b = std::min(p.b, src.Height());
  RECT c = pixels::ClipWithin(dst.Width(), dst.Height());
  // Right and bottom first, with x and y as passed; then left and top, which move the source start.
  if (p.x + (p.r - p.l) > c.right) p.r -= p.x + (p.r - p.l) - c.right;
  if (p.y + (p.b - p.t) > c.bottom) p.b -= p.y + (p.b - p.t) - c.bottom;
  if (p.x < c.left) p.l += c.left - p.x, p.x = c.left;
  if (p.y < c.top) p.t += c.top - p.y, p.y = c.top;
  return p.r > p.l && p.b > p.t;
}

// Huge rectangles are cut to what a surface can hold before any arithmetic on them.
void Tame(int& x, int& y, int& l, int& t, int& r, int& b) {
  constexpr int kFar = 1 << 24;
  x = std::clamp(x, -kFar, kFar), y = std::clamp(y, -kFar, kFar);
  l = std::clamp(l, -kFar, kFar), r = std::clamp(r, -kFar, kFar);
  t = std::clamp(t, -kFar, kFar), b = std::clamp(b, -kFar, kFar);
}

// Runs `pixel(s, d)` for each non-zero source pixel s over its destination pixel d. `rows(d, s, n)`, when the
// fast paths are on, does the same for the first pixels of a row and answers how many it did.
template <class F, class R>
int Blit(int x, int y, int object, int l, int t, int r, int b, F pixel, R rows) {
  Tame(x, y, l, t, r, b);
  LockedSurface src, dst;
  if (!src.Lock(pixels::SurfaceOf(object))) return 0;
  if (!dst.Lock(screen.back)) return 0;
  Placement p{x, y, l, t, r, b};
  if (!Place(p, src, dst)) return 1;
  int w = p.r - p.l;
  for (int j = 0; j < p.b - p.t; j++) {
    const uint16_t* s = src.Row(p.t + j) + p.l;
    uint16_t* d = dst.Row(p.y + j) + p.x;
    for (int i = pixels::Plain() ? 0 : rows(d, s, w); i < w; i++)
      if (s[i]) d[i] = pixel(s[i], d[i]);
  }
  return 1;
}

template <class F>
int Blit(int x, int y, int object, int l, int t, int r, int b, F pixel) {
  return Blit(x, y, object, l, t, r, b, pixel, [](uint16_t*, const uint16_t*, int) { return 0; });
}

// The exact blend of two channel values, dv + floor((sv - dv) * a), with a 14-bit fixed-point weight n:
// floor(delta * n / 2^14) == floor(delta * a) for every delta a channel can give, or -1 when none is found.
// Only weights in 0..1 qualify, and only those for which the plain double arithmetic is exact (its products
// and sums need at most 52 bits), so that both paths compute the same floor.
int BlendWeight(float alpha) {
  const double a = alpha;
  if (!(a == 0 || (a >= 0x1p-23 && a <= 1))) return -1;
  for (double candidate : {std::floor(a * 16384), std::ceil(a * 16384)}) {
    const int n = int(candidate);
    bool same = true;
    for (int delta = -63; delta <= 63 && same; ++delta)
      same = std::floor(delta * a) == std::floor(delta * n / 16384.0);
    if (same) return n;
  }
  return -1;
}

// The last weight asked for and its fixed-point weight: a blend is usually repeated with the same alpha, and
// the search costs more than a small blit.
int CachedBlendWeight(float alpha) {
  static uint32_t lastBits = 0;
  static int lastWeight = 0;  // BlendWeight(0.0f)
  uint32_t bits;
  std::memcpy(&bits, &alpha, sizeof bits);
  if (bits != lastBits) lastWeight = BlendWeight(alpha), lastBits = bits;
  return lastWeight;
}

// Whether a kernel that builds the pixel from its channels alone gives d back for s = 0: only when the
// channels fill all sixteen bits.
bool ChannelsFillPixel() {
  const PixelFormatInfo& f = pixelFormat;
  return (f.redMask | f.greenMask | f.blueMask) == 0xFFFF;
}

// Whether a channel's largest difference, times four in its place, fits in 16 signed bits, as the alpha rows
// need of green and blue (in 5-6-5 and 5-5-5 it does).
bool LowInPlace(DWORD mask) { return (int64_t(mask) << 2) <= 0x7FFF; }

#ifdef __SSE2__
namespace sse2 {
struct V {
  using T = __m128i;
  static constexpr int kWidth = 8;
  static T Load(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static void Store(uint16_t* p, T v) { _mm_storeu_si128(reinterpret_cast<T*>(p), v); }
  static T Set(uint16_t v) { return _mm_set1_epi16(short(v)); }
  static T Zero() { return _mm_setzero_si128(); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Add(T a, T b) { return _mm_add_epi16(a, b); }
  static T Sub(T a, T b) { return _mm_sub_epi16(a, b); }
  static T AddsU(T a, T b) { return _mm_adds_epu16(a, b); }
  static T SubsU(T a, T b) { return _mm_subs_epu16(a, b); }
  static T MulHi(T a, T b) { return _mm_mulhi_epi16(a, b); }
  static T Srl(T a, __m128i n) { return _mm_srl_epi16(a, n); }
  static T Sll(T a, __m128i n) { return _mm_sll_epi16(a, n); }
  static T Srli1(T a) { return _mm_srli_epi16(a, 1); }
  static T Slli2(T a) { return _mm_slli_epi16(a, 2); }
  static T Equal(T a, T b) { return _mm_cmpeq_epi16(a, b); }
  static T Select(T which, T a, T b) { return _mm_or_si128(_mm_and_si128(which, a), _mm_andnot_si128(which, b)); }
};
#include "effect_rows.h"
}  // namespace sse2
#endif

#ifdef OX_AVX2
// Everything in here, the lambdas of the rows too, is compiled for AVX2.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
struct V {
  using T = __m256i;
  static constexpr int kWidth = 16;
  static T Load(const uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static void Store(uint16_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
  static T Set(uint16_t v) { return _mm256_set1_epi16(short(v)); }
  static T Zero() { return _mm256_setzero_si256(); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T Add(T a, T b) { return _mm256_add_epi16(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_epi16(a, b); }
  static T AddsU(T a, T b) { return _mm256_adds_epu16(a, b); }
  static T SubsU(T a, T b) { return _mm256_subs_epu16(a, b); }
  static T MulHi(T a, T b) { return _mm256_mulhi_epi16(a, b); }
  static T Srl(T a, __m128i n) { return _mm256_srl_epi16(a, n); }
  static T Sll(T a, __m128i n) { return _mm256_sll_epi16(a, n); }
  static T Srli1(T a) { return _mm256_srli_epi16(a, 1); }
  static T Slli2(T a) { return _mm256_slli_epi16(a, 2); }
  static T Equal(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
  static T Select(T which, T a, T b) { return _mm256_blendv_epi8(b, a, which); }
};
#include "effect_rows.h"
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

#ifdef __SSE2__
// The row function of the widest paths in use.
#ifdef OX_AVX2
#define WIDEST_ROW(name) (pixels::paths == pixels::Paths::avx2 ? avx2::name : sse2::name)
#else
#define WIDEST_ROW(name) sse2::name
#endif
#endif

uint16_t Scale(uint16_t s, double fr, double fg, double fb) {
  Channels c = Split(s);
  const PixelFormatInfo& f = pixelFormat;
  return Join(Truncate(c.r * fr, f.redMax), Truncate(c.g * fg, f.greenMax), Truncate(c.b * fb, f.blueMax));
}

}  // namespace

pixels::Paths pixels::WidestPaths() {
#if defined(OX_AVX2)
  __builtin_cpu_init();  // this may run before the constructors that would do it
  if (__builtin_cpu_supports("avx2")) return Paths::avx2;
#endif
#ifdef __SSE2__
  return Paths::sse2;
#else
  return Paths::plain;
#endif
}
pixels::Paths pixels::paths = pixels::WidestPaths();

int DrawObjectHalf(int x, int y, int object, int l, int t, int r, int b) {
  const uint16_t half = uint16_t(pixelFormat.halfMask);
  auto plain = [half](uint16_t s, uint16_t d) { return uint16_t(((s >> 1) & half) + ((d >> 1) & half)); };
#ifdef __SSE2__
  const auto row = WIDEST_ROW(HalfRow);
  return Blit(x, y, object, l, t, r, b, plain, [&](uint16_t* d, const uint16_t* s, int w) { return row(d, s, w, half); });
#else
  return Blit(x, y, object, l, t, r, b, plain);
#endif
}

int DrawObjectAlpha(int x, int y, float alpha, int object, int l, int t, int r, int b) {
  return DrawObjectAlphaRGB(x, y, alpha, alpha, alpha, object, l, t, r, b);
}

int DrawObjectAlphaRGB(int x, int y, float alphaRed, float alphaGreen, float alphaBlue, int object, int l, int t,
                       int r, int b) {
  const PixelFormatInfo& f = pixelFormat;
  const double ar = alphaRed, ag = alphaGreen, ab = alphaBlue;
  auto plain = [&](uint16_t s, uint16_t d) {
    Channels a = Split(s), o = Split(d);
    return Join(Truncate(a.r * ar + o.r * (1.0 - ar), f.redMax), Truncate(a.g * ag + o.g * (1.0 - ag), f.greenMax),
                Truncate(a.b * ab + o.b * (1.0 - ab), f.blueMax));
  };
#ifdef __SSE2__
  if (!pixels::Plain()) {
    const int weight[3] = {CachedBlendWeight(alphaRed), CachedBlendWeight(alphaGreen), CachedBlendWeight(alphaBlue)};
    if (weight[0] >= 0 && weight[1] >= 0 && weight[2] >= 0 && LowInPlace(pixelFormat.greenMask) &&
        LowInPlace(pixelFormat.blueMask)) {
      const auto row = WIDEST_ROW(AlphaRow);
      return Blit(x, y, object, l, t, r, b, plain,
                  [&](uint16_t* d, const uint16_t* s, int w) { return row(d, s, w, weight); });
    }
  }
#endif
  return Blit(x, y, object, l, t, r, b, plain);
}

int DrawObjectAdd(int x, int y, int object, int l, int t, int r, int b) {
  const PixelFormatInfo& f = pixelFormat;
  auto plain = [&](uint16_t s, uint16_t d) {
    Channels a = Split(s), o = Split(d);
    return Join(std::min(a.r + o.r, f.redMax), std::min(a.g + o.g, f.greenMax), std::min(a.b + o.b, f.blueMax));
  };
#ifdef __SSE2__
  const auto row = WIDEST_ROW(AddRow);
  const bool zeroKeeps = ChannelsFillPixel();
  return Blit(x, y, object, l, t, r, b, plain,
              [&](uint16_t* d, const uint16_t* s, int w) { return row(d, s, w, zeroKeeps); });
#else
  return Blit(x, y, object, l, t, r, b, plain);
#endif
}

int DrawObjectSubtract(int x, int y, int object, int l, int t, int r, int b) {
  auto plain = [](uint16_t s, uint16_t d) {
    // The source's red takes something off every channel.
    int red = Split(s).r;
    Channels o = Split(d);
    return Join(std::max(o.r - red, 0), std::max(o.g - red, 0), std::max(o.b - red, 0));
  };
#ifdef __SSE2__
  // The red moved into a wider channel's place must stay inside sixteen bits.
  const PixelFormatInfo& f = pixelFormat;
  if (f.redMax << std::max({f.redShift, f.greenShift, f.blueShift}) <= 0xFFFF) {
    const auto row = WIDEST_ROW(SubtractRow);
    const bool zeroKeeps = ChannelsFillPixel();
    return Blit(x, y, object, l, t, r, b, plain,
                [&](uint16_t* d, const uint16_t* s, int w) { return row(d, s, w, zeroKeeps); });
  }
#endif
  return Blit(x, y, object, l, t, r, b, plain);
}

int DrawObjectMask(int x, int y, int redOn, int greenOn, int blueOn, int object, int l, int t, int r, int b) {
  const PixelFormatInfo& f = pixelFormat;
  const uint16_t mask = uint16_t((redOn ? f.redMask : 0) | (greenOn ? f.greenMask : 0) | (blueOn ? f.blueMask : 0));
  auto plain = [mask](uint16_t s, uint16_t) { return uint16_t(s & mask); };
#ifdef __SSE2__
  const auto row = WIDEST_ROW(MaskRow);
  return Blit(x, y, object, l, t, r, b, plain, [&](uint16_t* d, const uint16_t* s, int w) { return row(d, s, w, mask); });
#else
  return Blit(x, y, object, l, t, r, b, plain);
#endif
}

int DrawObjectBright(int x, int y, float factor, int object, int l, int t, int r, int b) {
  return DrawObjectBrightRGB(x, y, factor, factor, factor, object, l, t, r, b);
}

int DrawObjectBrightRGB(int x, int y, float factorRed, float factorGreen, float factorBlue, int object, int l, int t,
                        int r, int b) {
  const double fr = factorRed, fg = factorGreen, fb = factorBlue;
  return Blit(x, y, object, l, t, r, b, [=](uint16_t s, uint16_t) { return Scale(s, fr, fg, fb); });
}

int DrawObjectGray(int x, int y, int object, int l, int t, int r, int b) {
  const bool fiveFiveFive = pixelFormat.redMax == pixelFormat.greenMax;
  return Blit(x, y, object, l, t, r, b, [fiveFiveFive](uint16_t s, uint16_t) {
    Channels c = Split(s);
    if (fiveFiveFive) {
      int g = (c.r + c.g + c.b) / 3;
      return Join(g, g, g);
    }
    // Six bits of green: half of it counts, and the grey gets twice the value in green.
    int g = (c.r + c.g / 2 + c.b) / 3;
    return Join(g, 2 * g, g);
  });
}

int DrawObjectBlur(int x, int y, int size, int object, int l, int t, int r, int b) {
  // A block of 0 or less is a plain copy; a block is at most 32 pixels wide, which bounds the work per pixel.
  const int n = std::clamp(size, 1, 32);
  Tame(x, y, l, t, r, b);
  LockedSurface src, dst;
  if (!src.Lock(pixels::SurfaceOf(object))) return 0;
  if (!dst.Lock(screen.back)) return 0;
  // The block stays inside the source rectangle as given (kept inside its surface), not as clipped.
  const int l0 = std::max(l, 0), t0 = std::max(t, 0);
  const int r0 = std::min(r, src.Width()), b0 = std::min(b, src.Height());
  Placement p{x, y, l, t, r, b};
  if (!Place(p, src, dst)) return 1;
  const int area = n * n;
  for (int j = 0; j < p.b - p.t; j++) {
    const int sy = p.t + j;
    const uint16_t* s = src.Row(sy);
    uint16_t* d = dst.Row(p.y + j) + p.x;
    const int by = std::max(std::min(sy, b0 - n), t0);
    for (int i = 0; i < p.r - p.l; i++) {
      const int sx = p.l + i;
      if (!s[sx]) continue;
      const int bx = std::max(std::min(sx, r0 - n), l0);
      int sr = 0, sg = 0, sb = 0;
      for (int v = 0; v < n; v++) {
        const uint16_t* row = src.Row(std::min(by + v, b0 - 1));
        for (int u = 0; u < n; u++) {
          Channels c = Split(row[std::min(bx + u, r0 - 1)]);
          sr += c.r, sg += c.g, sb += c.b;
        }
      }
      d[i] = Join(sr / area, sg / area, sb / area);
    }
  }
  return 1;
}

int DrawObjectRipple(int x, int y, int amplitude, int frequency, int step, float scale, float shear, int object,
                     int l, int t, int r, int b) {
  Tame(x, y, l, t, r, b);
  LockedSurface src, dst;
  if (!src.Lock(pixels::SurfaceOf(object))) return 0;
  if (!dst.Lock(screen.back)) return 0;
  const int sw = r - l, sh = b - t;
  Placement p{x, y, l, t, r, b};
  if (sw <= 0 || sh <= 0 || !Place(p, src, dst)) return 1;
  const int every = std::max(step, 1);
  const RECT c = pixels::ClipWithin(dst.Width(), dst.Height());
  // Columns and rows count from the rectangle as given, so a clipped ripple keeps its shape.
  for (int row = p.t - t; row < p.b - t; row += every) {
    const double v = 2.0 * row / sh - 1.0;
    const uint16_t* s = src.Row(t + row);
    for (int column = p.l - l; column < p.r - l; column += every) {
      const double u = 2.0 * column / sw - 1.0;
      const double wave = (std::cos(std::sqrt(u * u + v * v) * frequency) * std::exp(v * v - u * u) + 1.0) * amplitude;
      const double dx = (column + row * double(shear)) * scale;
      const double dy = (row + wave / 2.0) * scale;
      if (!(std::fabs(dx) < 1e8 && std::fabs(dy) < 1e8)) continue;  // NaN too
      const int px = x + int(dx), py = y + int(dy);
      if (px < c.left || px >= c.right || py < c.top || py >= c.bottom) continue;
      dst.Row(py)[px] = s[l + column];
    }
  }
  return 1;
}

}  // namespace oxDraw
