// The fast path of the rotation blits. The plain paths work out each destination pixel's source point from
// the angle, divide it by 360 and test it against the source; this walk steps through the source instead
// and looks each whole source pixel up in two tables made once per call, so that the inner loop neither
// divides nor tests bounds. It gives the plain paths' pixels exactly.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

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

// The first i in from..to at which base + i * step has the other sign than at `from`; `to` when none.
inline int64_t SignChange(int64_t base, int64_t step, int64_t from, int64_t to) {
  const bool negative = base + from * step < 0;
  int64_t i = to;
  if (negative && step > 0) i = -FloorDiv(base, step);
  else if (!negative && step < 0) i = FloorDiv(base, -step) + 1;
  return std::clamp(i, from, to);
}

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
  const int32_t* cols = columns.data();
  const int32_t* offsets = rows.data();
  // u / 360 towards zero is floor((u + b) / 360), b being 359 where u < 0 and 0 elsewhere. It is carried in
  // 32.32 fixed point, half a step of u above the true value: the error of 2^20 steps stays below that half
  // step, so the whole part is always exact.
  const int64_t du = FloorDiv(w.C * (int64_t(1) << 32) + 180, 360), dv = FloorDiv(w.S * (int64_t(1) << 32) + 180, 360);
  auto fixed = [](int64_t u) { return FloorDiv((2 * (u + (u < 0 ? 359 : 0)) + 1) * (int64_t(1) << 31), 360); };
  for (int64_t j = w.y0; j < w.y1; ++j) {
    const int64_t uRow = w.uStart - j * w.S, vRow = w.vStart + j * w.C;
    uint16_t* d = out(j);
    for (int64_t i = w.x0; i < w.x1;) {
      // Each stretch keeps the signs of u and v.
      const int64_t end = std::min(SignChange(uRow, w.C, i, w.x1), SignChange(vRow, w.S, i, w.x1));
      int64_t x = fixed(uRow + i * w.C), y = fixed(vRow + i * w.S);
      const int64_t cu = qu[0], cv = qv[0];
      for (; i < end; ++i, x += du, y += dv) {
        // Without branches: a rotated picture's edges and holes would be mispredicted all the time.
        const int32_t c = cols[(x >> 32) - cu], r = offsets[(y >> 32) - cv];
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
