// The fast path of the rotation blits. The plain paths work out each destination pixel's source point from
// the angle, divide it by 360 and test it against the source; this walk steps through the source instead
// and looks each whole source pixel up in two tables made once per call, so that the inner loop neither
// divides nor tests bounds; each row walks only the span that reaches the source, eight pixels a step where
// the machine allows. It gives the plain paths' pixels exactly.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "pixels.h"
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace oxDraw {
namespace pixels {

// A rotation as the plain paths see it: destination pixel (i, j) of the drawn part x0..x1, y0..y1 takes the
// source pixel (u / 360, v / 360), u = uStart - j * S + i * C, v = vStart + j * C + i * S, divided towards zero.
struct RotationWalk {
  int64_t uStart, vStart, C, S;
  int64_t x0, x1, y0, y1;
  const uint16_t* source;
  int64_t sourcePitch;  // in pixels
};

inline int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return q - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// floor(a / b) for a divisor taken once a row: a reciprocal's estimate, put right by the remainder, since a
// division of 64 bits would cost more than the row's pixels.
struct Divisor {
  int64_t b;
  double inverse;
  explicit Divisor(int64_t divisor) : b(divisor), inverse(divisor ? 1.0 / double(divisor) : 0) {}
  int64_t Floor(int64_t a) const {
    int64_t q = int64_t(double(a) * inverse), r = a - q * b;
    if (b > 0) {
      while (r < 0) --q, r += b;
      while (r >= b) ++q, r -= b;
    } else {
      while (r > 0) --q, r += b;
      while (r <= b) ++q, r -= b;
    }
    return q;
  }
};

// The first i in from..to at which base + i * step has the other sign than at `from`; `to` when none.
inline int64_t SignChange(int64_t base, const Divisor& step, int64_t from, int64_t to) {
  const bool negative = base + from * step.b < 0;
  int64_t i = to;
  if (negative && step.b > 0) i = -step.Floor(base);
  else if (!negative && step.b < 0) i = step.Floor(-base) + 1;
  return std::clamp(i, from, to);
}

// Narrows [first, last) to the i at which lo <= trunc((base + i * step) / 360) <= hi.
inline void Within(int64_t base, const Divisor& step, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
  // The u that truncate to lo and to hi, at the far ends.
  const int64_t uLo = lo > 0 ? 360 * lo : 360 * lo - 359, uHi = hi >= 0 ? 360 * hi + 359 : 360 * hi;
  if (step.b == 0) {
    if (base < uLo || base > uHi) last = first;
  } else if (step.b > 0) {
    first = std::max(first, -step.Floor(base - uLo));
    last = std::min(last, step.Floor(uHi - base) + 1);
  } else {
    first = std::max(first, -step.Floor(base - uHi));
    last = std::min(last, step.Floor(uLo - base) + 1);
  }
  last = std::max(last, first);
}

// The first and last q whose entry in `table` (which starts at q0) is not -1; false when there is none.
inline bool Reached(const std::vector<int32_t>& table, int64_t q0, int64_t& lo, int64_t& hi) {
  size_t a = 0, b = table.size();
  while (a < b && table[a] < 0) ++a;
  while (b > a && table[b - 1] < 0) --b;
  lo = q0 + int64_t(a), hi = q0 + int64_t(b) - 1;
  return a < b;
}

#ifdef __SSE2__
// Where every pixel of the stretch is inside and the tables are straight runs (no zoom, no repetition): the
// source index is worked out, base + x + y * pitch, eight at a time, and the pixels are loaded one by one
// (gathers were slower here).
inline void WalkEightStraight(int64_t base, int64_t pitch, const uint16_t* source, int64_t x, int64_t y, int64_t du,
                              int64_t dv, uint16_t* d, int64_t n) {
  __m128i xs[4], ys[4];
  for (int k = 0; k < 4; ++k) {
    xs[k] = _mm_set_epi64x(x + (2 * k + 1) * du, x + 2 * k * du);
    ys[k] = _mm_set_epi64x(y + (2 * k + 1) * dv, y + 2 * k * dv);
  }
  const __m128i stepX = _mm_set1_epi64x(8 * du), stepY = _mm_set1_epi64x(8 * dv);
  const __m128i b = _mm_set1_epi64x(base), rowPitch = _mm_set1_epi64x(pitch), zero = _mm_setzero_si128();
  for (int64_t i = 0; i < n; i += 8) {
    alignas(16) int64_t at[8];
    for (int k = 0; k < 4; ++k) {
      const __m128i whole = _mm_add_epi64(_mm_add_epi64(b, _mm_srli_epi64(xs[k], 32)),
                                          _mm_mul_epu32(_mm_srli_epi64(ys[k], 32), rowPitch));
      _mm_store_si128(reinterpret_cast<__m128i*>(at + 2 * k), whole);
      xs[k] = _mm_add_epi64(xs[k], stepX), ys[k] = _mm_add_epi64(ys[k], stepY);
    }
    const __m128i p = _mm_set_epi16(short(source[at[7]]), short(source[at[6]]), short(source[at[5]]),
                                    short(source[at[4]]), short(source[at[3]]), short(source[at[2]]),
                                    short(source[at[1]]), short(source[at[0]]));
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i keep = _mm_cmpeq_epi16(p, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, p)));
  }
}
#endif

#ifdef OX_AVX2
// Eight pixels a step of a stretch of n (a multiple of 8), as the scalar loop of Walk does them. The source
// pixels are gathered 32 bits at a time: our surfaces pad every row, so the two bytes after a pixel are there.
// The table entries at the whole parts of eight 32.32 values.
OX_TARGET_AVX2 inline __m256i GatherEight(const int32_t* table, __m256i a, __m256i b) {
  const __m128i lo = _mm256_i64gather_epi32(table, _mm256_srli_epi64(a, 32), 4);
  const __m128i hi = _mm256_i64gather_epi32(table, _mm256_srli_epi64(b, 32), 4);
  return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

OX_TARGET_AVX2 inline void WalkEight(const int32_t* cols, const int32_t* offsets, const uint16_t* source, int64_t x,
                                     int64_t y, int64_t du, int64_t dv, uint16_t* d, int64_t n) {
  __m256i x0 = _mm256_set_epi64x(x + 3 * du, x + 2 * du, x + du, x), x1 = _mm256_add_epi64(x0, _mm256_set1_epi64x(4 * du));
  __m256i y0 = _mm256_set_epi64x(y + 3 * dv, y + 2 * dv, y + dv, y), y1 = _mm256_add_epi64(y0, _mm256_set1_epi64x(4 * dv));
  const __m256i stepX = _mm256_set1_epi64x(8 * du), stepY = _mm256_set1_epi64x(8 * dv);
  const __m256i none = _mm256_set1_epi32(-1), low = _mm256_set1_epi32(0xFFFF), zero = _mm256_setzero_si256();
  for (int64_t k = 0; k < n; k += 8) {
    const __m256i c = GatherEight(cols, x0, x1), r = GatherEight(offsets, y0, y1);
    const __m256i inside = _mm256_cmpgt_epi32(_mm256_or_si256(c, r), none);
    const __m256i p = _mm256_and_si256(
        _mm256_mask_i32gather_epi32(zero, reinterpret_cast<const int*>(source), _mm256_add_epi32(c, r), inside, 2), low);
    const __m128i p16 = _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi32(p, zero), 0x08));
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + k));
    const __m128i keep = _mm_cmpeq_epi16(p16, _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + k), _mm_blendv_epi8(p16, old, keep));
    x0 = _mm256_add_epi64(x0, stepX), x1 = _mm256_add_epi64(x1, stepX);
    y0 = _mm256_add_epi64(y0, stepY), y1 = _mm256_add_epi64(y1, stepY);
  }
}
// The same, eight at a time in AVX2 registers.
OX_TARGET_AVX2 inline void WalkEightStraightAvx2(int64_t base, int64_t pitch, const uint16_t* source, int64_t x,
                                                 int64_t y, int64_t du, int64_t dv, uint16_t* d, int64_t n) {
  __m256i x0 = _mm256_set_epi64x(x + 3 * du, x + 2 * du, x + du, x), x1 = _mm256_add_epi64(x0, _mm256_set1_epi64x(4 * du));
  __m256i y0 = _mm256_set_epi64x(y + 3 * dv, y + 2 * dv, y + dv, y), y1 = _mm256_add_epi64(y0, _mm256_set1_epi64x(4 * dv));
  const __m256i stepX = _mm256_set1_epi64x(8 * du), stepY = _mm256_set1_epi64x(8 * dv);
  const __m256i b = _mm256_set1_epi64x(base), rowPitch = _mm256_set1_epi64x(pitch);
  for (int64_t i = 0; i < n; i += 8) {
    alignas(32) int64_t at[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at),
                       _mm256_add_epi64(_mm256_add_epi64(b, _mm256_srli_epi64(x0, 32)),
                                        _mm256_mul_epu32(_mm256_srli_epi64(y0, 32), rowPitch)));
    _mm256_store_si256(reinterpret_cast<__m256i*>(at + 4),
                       _mm256_add_epi64(_mm256_add_epi64(b, _mm256_srli_epi64(x1, 32)),
                                        _mm256_mul_epu32(_mm256_srli_epi64(y1, 32), rowPitch)));
    const __m128i p = _mm_set_epi16(short(source[at[7]]), short(source[at[6]]), short(source[at[5]]),
                                    short(source[at[4]]), short(source[at[3]]), short(source[at[2]]),
                                    short(source[at[1]]), short(source[at[0]]));
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_blendv_epi8(p, old, _mm_cmpeq_epi16(p, _mm_setzero_si128())));
    x0 = _mm256_add_epi64(x0, stepX), x1 = _mm256_add_epi64(x1, stepX);
    y0 = _mm256_add_epi64(y0, stepY), y1 = _mm256_add_epi64(y1, stepY);
  }
}
#endif

// Draws the walk: `column(q)` is the source column for the whole source point q = u / 360, or -1 to leave the
// pixel; `row(q)` likewise the source row for v / 360; `out(j)` the destination row j, indexed by i.
// Non-zero source pixels are drawn. Answers false, having drawn nothing, when the walk is too large for its
// tables or its fixed-point steps, so that the caller takes its plain path.
inline const uint16_t kNothing = 0;

template <class Column, class Row, class Out>
bool Walk(const RotationWalk& w, Column column, Row row, Out out) {
  constexpr int64_t kLimit = int64_t(1) << 30;
  if (w.x1 - w.x0 > (1 << 20) || w.y1 - w.y0 > (1 << 20)) return false;
  // u and v are linear in i and j: their extremes, and those of u / 360 and v / 360, are at the corners.
  int64_t qu[2] = {INT64_MAX, INT64_MIN}, qv[2] = {INT64_MAX, INT64_MIN};
  for (int64_t j : {w.y0, w.y1 - 1})
    for (int64_t i : {w.x0, w.x1 - 1}) {
      const int64_t u = w.uStart - j * w.S + i * w.C, v = w.vStart + j * w.C + i * w.S;
      if (u <= -kLimit || u >= kLimit || v <= -kLimit || v >= kLimit) return false;
      qu[0] = std::min(qu[0], u / 360), qu[1] = std::max(qu[1], u / 360);
      qv[0] = std::min(qv[0], v / 360), qv[1] = std::max(qv[1], v / 360);
    }
  if (qu[1] - qu[0] >= (1 << 16) || qv[1] - qv[0] >= (1 << 16)) return false;
  // Kept from call to call, so that a frame allocates nothing once they have grown.
  static std::vector<int32_t> columns, rows;
  columns.resize(size_t(qu[1] - qu[0] + 1));
  rows.resize(size_t(qv[1] - qv[0] + 1));
  for (size_t k = 0; k < columns.size(); ++k) columns[k] = int32_t(column(qu[0] + int64_t(k)));
  for (size_t k = 0; k < rows.size(); ++k) {
    const int64_t r = row(qv[0] + int64_t(k));
    rows[k] = r < 0 ? -1 : int32_t(r * w.sourcePitch);
  }
  // Only the source points whose column and row the tables hold can draw: per row, the span of i whose u and
  // v reach them, so that the pixels outside are not walked at all.
  int64_t cLo, cHi, rLo, rHi;
  if (!Reached(columns, qu[0], cLo, cHi) || !Reached(rows, qv[0], rLo, rHi)) return true;
  const int32_t* cols = columns.data();
  const int32_t* offsets = rows.data();
  // Straight runs: column k is cols[first] + k - first, row k likewise a pitch a step.
  const int64_t cA = cLo - qu[0], cB = cHi - qu[0], rA = rLo - qv[0], rB = rHi - qv[0];
  bool straight = true;
  for (int64_t k = cA; k <= cB && straight; ++k) straight = cols[k] == cols[cA] + (k - cA);
  for (int64_t k = rA; k <= rB && straight; ++k) straight = offsets[k] == offsets[rA] + (k - rA) * w.sourcePitch;
  const int64_t base = cols[cA] - cA + offsets[rA] - rA * w.sourcePitch;
  // u / 360 towards zero is floor((u + b) / 360), b being 359 where u < 0 and 0 elsewhere. It is carried in
  // 32.32 fixed point, half a step of u above the true value: the error of 2^20 steps stays below that half
  // step, so the whole part is always exact. The tables' first entries are taken off, so the whole part is
  // the index.
  const int64_t du = FloorDiv(w.C * (int64_t(1) << 32) + 180, 360), dv = FloorDiv(w.S * (int64_t(1) << 32) + 180, 360);
  auto fixed = [](int64_t u, int64_t first) {
    return FloorDiv((2 * (u + (u < 0 ? 359 : 0)) + 1) * (int64_t(1) << 31), 360) - first * (int64_t(1) << 32);
  };
  const Divisor alongU(w.C), alongV(w.S);
  for (int64_t j = w.y0; j < w.y1; ++j) {
    const int64_t uRow = w.uStart - j * w.S, vRow = w.vStart + j * w.C;
    int64_t first = w.x0, last = w.x1;
    Within(uRow, alongU, cLo, cHi, first, last);
    Within(vRow, alongV, rLo, rHi, first, last);
    uint16_t* d = out(j);
    for (int64_t i = first; i < last;) {
      // Each stretch keeps the signs of u and v.
      const int64_t end = std::min(SignChange(uRow, alongU, i, last), SignChange(vRow, alongV, i, last));
      int64_t x = fixed(uRow + i * w.C, qu[0]), y = fixed(vRow + i * w.S, qv[0]);
#ifdef __SSE2__
      if (!Plain() && straight) {
        const int64_t n = (end - i) & ~int64_t(7);
#ifdef OX_AVX2
        if (paths == Paths::avx2) WalkEightStraightAvx2(base, w.sourcePitch, w.source, x, y, du, dv, d + i, n);
        else
#endif
          WalkEightStraight(base, w.sourcePitch, w.source, x, y, du, dv, d + i, n);
        i += n, x += n * du, y += n * dv;
      }
#endif
#ifdef OX_AVX2
      if (paths == Paths::avx2 && !straight) {
        const int64_t n = (end - i) & ~int64_t(7);
        WalkEight(cols, offsets, w.source, x, y, du, dv, d + i, n);
        i += n, x += n * du, y += n * dv;
      }
#endif
      for (; i < end; ++i, x += du, y += dv) {
        // Without branches: a rotated picture's holes would be mispredicted all the time.
        const int32_t c = cols[x >> 32], r = offsets[y >> 32];
        const uint16_t* at = (c | r) >= 0 ? w.source + r + c : &kNothing;
        const uint16_t p = *at;
        d[i] = p ? p : d[i];
      }
    }
  }
  return true;
}

}  // namespace pixels
}  // namespace oxDraw
