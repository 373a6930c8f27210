// Pixel effect blits that do not rotate: blends, colour filters, blur and the ripple, done in software on
// the locked source object and back surface. A source pixel 0 is transparent (except for the ripple).
#include <cmath>
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

#ifdef __SSE2__
// Eight pixels at a time; each channel in its own 16-bit lanes.
struct Lanes {
  __m128i shift[3], max[3];
  Lanes() {
    const PixelFormatInfo& f = pixelFormat;
    const int shifts[3] = {f.redShift, f.greenShift, f.blueShift}, maxes[3] = {f.redMax, f.greenMax, f.blueMax};
    for (int c = 0; c < 3; ++c) {
      shift[c] = _mm_cvtsi32_si128(shifts[c]);
      max[c] = _mm_set1_epi16(short(maxes[c]));
    }
  }
  __m128i Channel(__m128i p, int c) const { return _mm_and_si128(_mm_srl_epi16(p, shift[c]), max[c]); }
  __m128i Place(__m128i v, int c) const { return _mm_sll_epi16(v, shift[c]); }
};

// Runs `eight(s, d)` over a row, keeping d where s is 0; answers the pixels done.
template <class E>
int EightAtATime(uint16_t* d, const uint16_t* s, int n, E eight) {
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i vs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i vd = _mm_loadu_si128(reinterpret_cast<__m128i*>(d + i));
    const __m128i keep = _mm_cmpeq_epi16(vs, zero);
    const __m128i out = eight(vs, vd);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                     _mm_or_si128(_mm_and_si128(keep, vd), _mm_andnot_si128(keep, out)));
  }
  return i;
}
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
  const __m128i h = _mm_set1_epi16(short(half));
  return Blit(x, y, object, l, t, r, b, plain, [h](uint16_t* d, const uint16_t* s, int w) {
    return EightAtATime(d, s, w, [h](__m128i vs, __m128i vd) {
      return _mm_add_epi16(_mm_and_si128(_mm_srli_epi16(vs, 1), h), _mm_and_si128(_mm_srli_epi16(vd, 1), h));
    });
  });
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
  const int weight[3] = {BlendWeight(alphaRed), BlendWeight(alphaGreen), BlendWeight(alphaBlue)};
  if (weight[0] >= 0 && weight[1] >= 0 && weight[2] >= 0) {
    const Lanes lanes;
    const __m128i n[3] = {_mm_set1_epi16(short(weight[0])), _mm_set1_epi16(short(weight[1])),
                          _mm_set1_epi16(short(weight[2]))};
    return Blit(x, y, object, l, t, r, b, plain, [&](uint16_t* d, const uint16_t* s, int w) {
      return EightAtATime(d, s, w, [&](__m128i vs, __m128i vd) {
        __m128i out = _mm_setzero_si128();
        for (int c = 0; c < 3; ++c) {
          const __m128i dc = lanes.Channel(vd, c);
          // (delta * 4) * n / 2^16 is delta * n / 2^14, floored.
          const __m128i delta4 = _mm_slli_epi16(_mm_sub_epi16(lanes.Channel(vs, c), dc), 2);
          out = _mm_or_si128(out, lanes.Place(_mm_add_epi16(dc, _mm_mulhi_epi16(delta4, n[c])), c));
        }
        return out;
      });
    });
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
  const Lanes lanes;
  return Blit(x, y, object, l, t, r, b, plain, [&](uint16_t* d, const uint16_t* s, int w) {
    return EightAtATime(d, s, w, [&](__m128i vs, __m128i vd) {
      __m128i out = _mm_setzero_si128();
      for (int c = 0; c < 3; ++c) {
        const __m128i sum = _mm_add_epi16(lanes.Channel(vs, c), lanes.Channel(vd, c));
        out = _mm_or_si128(out, lanes.Place(_mm_min_epi16(sum, lanes.max[c]), c));
      }
      return out;
    });
  });
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
  const Lanes lanes;
  return Blit(x, y, object, l, t, r, b, plain, [&](uint16_t* d, const uint16_t* s, int w) {
    return EightAtATime(d, s, w, [&](__m128i vs, __m128i vd) {
      const __m128i red = lanes.Channel(vs, 0);
      __m128i out = _mm_setzero_si128();
      for (int c = 0; c < 3; ++c)
        out = _mm_or_si128(out, lanes.Place(_mm_subs_epu16(lanes.Channel(vd, c), red), c));
      return out;
    });
  });
#else
  return Blit(x, y, object, l, t, r, b, plain);
#endif
}

int DrawObjectMask(int x, int y, int redOn, int greenOn, int blueOn, int object, int l, int t, int r, int b) {
  const PixelFormatInfo& f = pixelFormat;
  const uint16_t mask = uint16_t((redOn ? f.redMask : 0) | (greenOn ? f.greenMask : 0) | (blueOn ? f.blueMask : 0));
  auto plain = [mask](uint16_t s, uint16_t) { return uint16_t(s & mask); };
#ifdef __SSE2__
  const __m128i m = _mm_set1_epi16(short(mask));
  return Blit(x, y, object, l, t, r, b, plain, [m](uint16_t* d, const uint16_t* s, int w) {
    return EightAtATime(d, s, w, [m](__m128i vs, __m128i) { return _mm_and_si128(vs, m); });
  });
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
