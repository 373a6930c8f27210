// Shapes: pixels, lines, rectangles, polygons, Bezier curves and inverted rectangles on a DC's pixels.
// Coordinates name pixel centres; everything is clipped to the DC's target.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "pen_brush.h"

namespace platform {
namespace {

struct Canvas {
  explicit Canvas(DeviceContext& d) : dc(d), t(d.target) {}
  DeviceContext& dc;
  PixelTarget& t;

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < t.width && y < t.height; }
  uint16_t* Row(int y) const { return reinterpret_cast<uint16_t*>(reinterpret_cast<char*>(t.pixels) + y * t.pitch); }
  void Plot(int x, int y, uint16_t v) const {
    if (Inside(x, y)) Row(y)[x] = v;
  }
  // One pixel of the brush: hatch gaps take the background colour only in opaque mode.
  void Paint(int x, int y, const Brush& b) const {
    if (!Inside(x, y)) return;
    if (b.style == BS_SOLID) {
      Row(y)[x] = ToPixel(b.color, t.is555);
    } else if (b.style == BS_HATCHED) {
      if (HatchBit(b.hatch, x, y)) Row(y)[x] = ToPixel(b.color, t.is555);
      else if (dc.bkMode == OPAQUE) Row(y)[x] = ToPixel(dc.bkColor, t.is555);
    }
  }
  void PaintSpan(int x0, int x1, int y, const Brush& b) const {  // x0..x1-1
    if (y < 0 || y >= t.height || b.style == BS_NULL) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, t.width);
    for (int x = x0; x < x1; x++) Paint(x, y, b);
  }
};

bool Usable(HDC dc) {
  DeviceContext* d = ToDC(dc);
  return d && d->target.pixels && d->target.width > 0 && d->target.height > 0;
}

bool Wide(const Pen& pen) { return pen.width > 1; }

// Cuts a segment to the box (l, t)..(r, b) (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double l, double t, double r, double b) {
  double t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - l, r - x0, y0 - t, b - y0};
  for (int i = 0; i < 4; i++) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double k = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, k);
    else t1 = std::min(t1, k);
    if (t0 > t1) return false;
  }
  double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
  x1 = x0 + t1 * dx, y1 = y0 + t1 * dy;
  x0 = ax, y0 = ay;
  return true;
}

// The dashes of a styled one-pixel pen, counted in pixels along a figure: the pen's colour on the runs,
// the DC's background colour in the gaps when the background mode is opaque. Wider pens draw solid.
struct Dashes {
  Dashes(const DeviceContext& dc, const Pen& pen) {
    static const int dash[] = {18, 6}, dot[] = {3, 3}, dashDot[] = {9, 6, 3, 6}, dashDotDot[] = {9, 3, 3, 3, 3, 3};
    if (pen.width > 1) return;
    switch (pen.style) {
      case PS_DASH: runs = dash, count = 2; break;
      case PS_DOT: runs = dot, count = 2; break;
      case PS_DASHDOT: runs = dashDot, count = 4; break;
      case PS_DASHDOTDOT: runs = dashDotDot, count = 6; break;
      default: return;
    }
    for (int i = 0; i < count; i++) period += runs[i];
    opaque = dc.bkMode == OPAQUE;
    gap = ToPixel(dc.bkColor, dc.target.is555);
  }
  // Whether the next pixel is on a run; counts it.
  bool Next() {
    int k = at++ % period;
    for (int i = 0; i < count; k -= runs[i++])
      if (k < runs[i]) return i % 2 == 0;
    return true;
  }
  const int* runs = nullptr;  // null: solid
  int count = 0, period = 0, at = 0;
  bool opaque = false;
  uint16_t gap = 0;
};

// Rounds num / den (den > 0) to the nearest integer, a half down.
int64_t RoundHalfDown(int64_t num, int64_t den) {
  int64_t n = 2 * num - den, d = 2 * den;  // ceil(n / d)
  return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

// The one-pixel pen, without its last pixel as GDI's LineTo draws it. Along the major axis every pixel is
// drawn; across it, the pixel whose centre is nearest the true line, and of two equally near the one with
// the smaller coordinate (the diamond rule: a pixel owns the lower and right corners of its diamond).
void ThinLine(const Canvas& c, int x0, int y0, int x1, int y1, uint16_t v, Dashes* dashes = nullptr) {
  // A line reaching far outside the target is first cut to a margin around it, so it costs little.
  const int far = 1 << 15;
  if (std::abs(x0) > far || std::abs(y0) > far || std::abs(x1) > far || std::abs(y1) > far) {
    double ax = x0, ay = y0, bx = x1, by = y1;
    if (!ClipSegment(ax, ay, bx, by, -2, -2, c.t.width + 1, c.t.height + 1)) return;
    bool endInside = bx == x1 && by == y1;
    x0 = int(std::lround(ax)), y0 = int(std::lround(ay)), x1 = int(std::lround(bx)), y1 = int(std::lround(by));
    if (!endInside) c.Plot(x1, y1, v);
  }
  int64_t dx = x1 - x0, dy = y1 - y0;
  int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  auto plot = [&](int x, int y) {
    if (!dashes || !dashes->runs || dashes->Next()) c.Plot(x, y, v);
    else if (dashes->opaque) c.Plot(x, y, dashes->gap);
  };
  if (adx >= ady) {
    int sx = dx < 0 ? -1 : 1;
    for (int64_t i = 0; i < adx; ++i) plot(int(x0 + sx * i), int(y0 + RoundHalfDown(dy * i, adx)));
  } else {
    int sy = dy < 0 ? -1 : 1;
    for (int64_t i = 0; i < ady; ++i) plot(int(x0 + RoundHalfDown(dx * i, ady)), int(y0 + sy * i));
  }
}

// GDI keeps coordinates to 27 bits; so do the shapes here, which keeps their arithmetic in range.
int Coord(int v) { return std::clamp(v, -(1 << 27), (1 << 27) - 1); }

// Rounds half up, as the wide pen's outline does.
int RoundHalfUp(double v) { return int(std::floor(v + 0.5)); }
// Rounds away from zero.
int RoundOut(double v) { return v >= 0 ? int(std::ceil(v)) : -int(std::ceil(-v)); }

// The round end of a wide pen at (x, y), in the square of the pen's width that starts width / 2 up and left
// of it: the pixels whose centres lie inside its circle. An even width has no centre pixel, so its circle
// sits half a pixel up and left. GDI's circle is a shade smaller than the width: a diameter of w - 0.21
// gives its shape pixel for pixel at widths 2 to 15 and most up to 34 (not 16, 21, 23, 27, 28, 30); at
// those and many wider ones a few edge pixels (8 to 32 up to a width of 100) differ.
void PenDot(const Canvas& c, int x, int y, int width, uint16_t v) {
  int off = width % 2 == 0 ? 1 : 0;  // in doubled coordinates an even width's centre is 1 off
  double r = width - 0.21;
  int64_t x0 = int64_t(x) - width / 2, y0 = int64_t(y) - width / 2;  // the corner of its square
  int64_t left = std::max<int64_t>(0, x0), right = std::min<int64_t>(c.t.width - 1, x0 + width - 1);
  int64_t top = std::max<int64_t>(0, y0), bottom = std::min<int64_t>(c.t.height - 1, y0 + width - 1);
  for (int64_t py = top; py <= bottom; py++) {
    int64_t dy = 2 * (py - y) + off;
    for (int64_t px = left; px <= right; px++) {
      int64_t dx = 2 * (px - x) + off;
      if (double(dx * dx + dy * dy) < r * r) c.Row(int(py))[px] = v;
    }
  }
}

// A wide solid pen: the band of the segment plus a round end on each point, so a figure's joins are round.
// The band is a parallelogram with whole-pixel corners filled by pixel centres (left and top edges in):
// the side to the left (below, for a level line) sits at half the width rounded, the other side a whole
// width further, rounded outwards, as GDI widens its lines.
void WideLine(const Canvas& c, int x0, int y0, int x1, int y1, int width, uint16_t v) {
  PenDot(c, x0, y0, width, v);
  PenDot(c, x1, y1, width, v);
  if (x0 == x1 && y0 == y1) return;
  double len = std::hypot(double(x1 - x0), double(y1 - y0));
  double nx = (y1 - y0) / len, ny = -(x1 - x0) / len;  // the normal towards the right, or up when level
  if (nx < 0 || (nx == 0 && ny > 0)) nx = -nx, ny = -ny;
  int lx = RoundHalfUp(-nx * width / 2), ly = RoundHalfUp(-ny * width / 2);
  int rx = lx + RoundOut(nx * width), ry = ly + RoundOut(ny * width);
  const int64_t px[4] = {int64_t(x0) + lx, int64_t(x1) + lx, int64_t(x1) + rx, int64_t(x0) + rx};
  const int64_t py[4] = {int64_t(y0) + ly, int64_t(y1) + ly, int64_t(y1) + ry, int64_t(y0) + ry};
  int64_t top = std::max<int64_t>(0, std::min({py[0], py[1], py[2], py[3]}));
  int64_t bottom = std::min<int64_t>(c.t.height - 1, std::max({py[0], py[1], py[2], py[3]}));
  auto ceilDiv = [](int64_t n, int64_t d) {  // d > 0
    return n >= 0 ? (n + d - 1) / d : -((-n) / d);
  };
  for (int64_t y = top; y <= bottom; y++) {
    // A parallelogram is convex: a row crosses two of its edges.
    int64_t from = INT64_MAX, to = INT64_MIN;
    for (int i = 0; i < 4; i++) {
      int64_t ax = px[i], ay = py[i], bx = px[(i + 1) % 4], by = py[(i + 1) % 4];
      if (ay == by || y < std::min(ay, by) || y >= std::max(ay, by)) continue;
      int64_t num = (y - ay) * (bx - ax), den = by - ay;
      if (den < 0) num = -num, den = -den;
      int64_t x = ax + ceilDiv(num, den);  // the first pixel centre at or right of the edge
      from = std::min(from, x), to = std::max(to, x);
    }
    if (from >= to) continue;
    int64_t l = std::max<int64_t>(from, 0), r = std::min<int64_t>(to, c.t.width);
    for (int64_t x = l; x < r; x++) c.Row(int(y))[x] = v;
  }
}

// One segment of a figure; `dashes` carries a styled pen's pattern from segment to segment.
void Stroke(const Canvas& c, const Pen& pen, int x0, int y0, int x1, int y1, Dashes* dashes = nullptr) {
  if (pen.style == PS_NULL) return;
  uint16_t v = ToPixel(pen.color, c.t.is555);
  if (Wide(pen)) WideLine(c, x0, y0, x1, y1, pen.width, v);
  else ThinLine(c, x0, y0, x1, y1, v, dashes);
}

// Fills the inside of a closed polygon by the DC's fill mode, sampling pixel centres.
void FillPolygon(const Canvas& c, const POINT* p, int n, const Brush& brush) {
  if (brush.style == BS_NULL || n < 3) return;
  int top = p[0].y, bottom = p[0].y;
  for (int i = 1; i < n; i++) top = std::min<int>(top, p[i].y), bottom = std::max<int>(bottom, p[i].y);
  top = std::max(top, 0);
  bottom = std::min(bottom, c.t.height - 1);
  bool winding = c.dc.polyFillMode == WINDING;
  // A crossing is kept as x and direction; a row of a polygon has at most n of them.
  constexpr int kMaxCrossings = 64;  // kMaxPolygonPoints
  double xs[kMaxCrossings];
  int dirs[kMaxCrossings];
  for (int y = top; y <= bottom; y++) {
    int count = 0;
    for (int i = 0; i < n && count < kMaxCrossings; i++) {
      const POINT& a = p[i];
      const POINT& b = p[(i + 1) % n];
      if (a.y == b.y) continue;
      bool down = a.y < b.y;
      int y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
      if (y < y0 || y >= y1) continue;
      xs[count] = a.x + double(y - a.y) * (b.x - a.x) / double(b.y - a.y);
      dirs[count] = down ? 1 : -1;
      count++;
    }
    // Insertion sort: the lists are short.
    for (int i = 1; i < count; i++) {
      for (int j = i; j > 0 && xs[j - 1] > xs[j]; j--) std::swap(xs[j - 1], xs[j]), std::swap(dirs[j - 1], dirs[j]);
    }
    int wind = 0;
    for (int i = 0; i + 1 < count; i++) {
      wind += dirs[i];
      bool inside = winding ? wind != 0 : (i % 2 == 0);
      if (!inside) continue;
      int x0 = int(std::ceil(xs[i])), x1 = int(std::ceil(xs[i + 1]));
      c.PaintSpan(x0, x1, y, brush);
    }
  }
}

// The crossing list of a fill row is on the stack, so polygons are limited to that many vertices.
constexpr int kMaxPolygonPoints = 64;

// Bezier curves are flattened the way Windows' GDI does it, so curves land on the same pixels: the curve is
// halved at t = 1/2 in 1/16-pixel fixed point, depth first and at most 8 times, until a piece is flat. A
// piece is flat when its control points lie between its ends along its major axis and within a pixel of a
// walk from its start that moves the minor axis by a fixed whole number of sixteenths for each whole pixel
// of the major axis; `emit` gets the end of each flat piece, rounded to the pixel.
struct Fixed {
  int64_t x, y;
};

int64_t FloorShift(int64_t v, int bits) { return v >= 0 ? v >> bits : -((-v + (int64_t(1) << bits) - 1) >> bits); }
int64_t RoundSixteenths(int64_t v) { return FloorShift(v + 8, 4); }

bool FlatPiece(const Fixed* p) {
  int64_t a0 = p[0].x, b0 = p[0].y, da = p[3].x - p[0].x, db = p[3].y - p[0].y;
  bool yMajor = std::abs(da) < std::abs(db);
  if (yMajor) std::swap(a0, b0), std::swap(da, db);
  int64_t steps = RoundSixteenths(da);
  int64_t perStep = steps ? db / steps : 0;
  for (int k = 1; k <= 2; k++) {
    int64_t a = (yMajor ? p[k].y : p[k].x) - a0, b = (yMajor ? p[k].x : p[k].y) - b0;
    // Walking backward along the major axis, a control point level with the start does not count as between.
    bool between = da >= 0 ? (a >= 0 && a <= da) : (a < 0 && a >= da);
    if (!between) return false;
    // Under half a pixel along its major axis a piece has no walk: only the between test holds it.
    if (steps != 0 && std::abs(b - RoundSixteenths(a) * perStep) > 16) return false;
  }
  return true;
}

template <typename Emit>
void FlattenBezier(const POINT* q, Emit emit) {
  constexpr int kMaxDepth = 8;
  struct Piece {
    Fixed p[4];
    int depth;
  };
  Piece stack[kMaxDepth + 1];  // depth first: one piece waiting on each level
  for (int k = 0; k < 4; k++) stack[0].p[k] = {int64_t(q[k].x) * 16, int64_t(q[k].y) * 16};
  stack[0].depth = 0;
  int top = 1;
  // Rounded up and truncated toward zero, as Windows' points show: below zero an even sum comes out a
  // sixteenth high.
  auto mid = [](Fixed a, Fixed b) { return Fixed{(a.x + b.x + 1) / 2, (a.y + b.y + 1) / 2}; };
  while (top > 0) {
    Piece piece = stack[--top];
    const Fixed* p = piece.p;
    if (piece.depth >= kMaxDepth || FlatPiece(p)) {
      emit(int(RoundSixteenths(p[3].x)), int(RoundSixteenths(p[3].y)));
      continue;
    }
    Fixed p01 = mid(p[0], p[1]), p12 = mid(p[1], p[2]), p23 = mid(p[2], p[3]);
    Fixed p012 = mid(p01, p12), p123 = mid(p12, p23), centre = mid(p012, p123);
    int depth = piece.depth + 1;
    stack[top++] = {{centre, p123, p23, p[3]}, depth};  // the second half waits under the first
    stack[top++] = {{p[0], p01, p012, centre}, depth};
  }
}

}  // namespace
}  // namespace platform

using platform::Brush;
using platform::BrushOf;
using platform::Canvas;
using platform::DeviceContext;
using platform::Pen;
using platform::PenOf;
using platform::ToDC;

extern "C" {

int WINAPI SetPolyFillMode(HDC dc, int mode) {
  if (!dc || (mode != ALTERNATE && mode != WINDING)) return 0;
  int previous = ToDC(dc)->polyFillMode;
  ToDC(dc)->polyFillMode = mode;
  return previous;
}

int WINAPI GetPolyFillMode(HDC dc) { return dc ? ToDC(dc)->polyFillMode : 0; }

BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  if (!dc) return FALSE;
  DeviceContext* d = ToDC(dc);
  if (previous) *previous = d->position;
  d->position = POINT{x, y};
  return TRUE;
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
  if (!platform::Usable(dc)) return FALSE;
  DeviceContext* d = ToDC(dc);
  Canvas c(*d);
  x = platform::Coord(x), y = platform::Coord(y);
  platform::Dashes dashes(*d, PenOf(*d));
  platform::Stroke(c, PenOf(*d), platform::Coord(d->position.x), platform::Coord(d->position.y), x, y, &dashes);
  d->position = POINT{x, y};
  return TRUE;
}

BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
  if (!platform::Usable(dc)) return FALSE;
  DeviceContext* d = ToDC(dc);
  Canvas c(*d);
  left = platform::Coord(left), right = platform::Coord(right);
  top = platform::Coord(top), bottom = platform::Coord(bottom);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right == left || bottom == top) return TRUE;
  const Pen& pen = PenOf(*d);
  const Brush& brush = BrushOf(*d);
  if (pen.style == PS_NULL) {
    // Without a pen the shape loses its right column and bottom row.
    for (int y = std::max(top, 0); y < std::min(bottom - 1, c.t.height); y++) c.PaintSpan(left, right - 1, y, brush);
    return TRUE;
  }
  uint16_t v = platform::ToPixel(pen.color, c.t.is555);
  platform::Dashes dashes(*d, pen);
  if (dashes.runs && right - left >= 2 && bottom - top >= 2) {
    // A styled frame runs from the top-right corner to the left, down, right and up again.
    for (int y = std::max(top + 1, 0); y < std::min(bottom - 1, c.t.height); y++) c.PaintSpan(left + 1, right - 1, y, brush);
    int r = right - 1, b = bottom - 1;
    platform::ThinLine(c, r, top, left, top, v, &dashes);
    platform::ThinLine(c, left, top, left, b, v, &dashes);
    platform::ThinLine(c, left, b, r, b, v, &dashes);
    platform::ThinLine(c, r, b, r, top, v, &dashes);
    return TRUE;
  }
  if (!platform::Wide(pen)) {
    // The one-pixel frame runs through the corner pixels; a single pixel's frame has no length at all.
    if (right - left == 1 && bottom - top == 1) return TRUE;
    for (int y = std::max(top, 0); y < std::min(bottom, c.t.height); y++) {
      if (y == top || y == bottom - 1) {
        c.PaintSpan(left, right, y, Brush(BS_SOLID, pen.color, 0));
      } else {
        c.PaintSpan(left, left + 1, y, Brush(BS_SOLID, pen.color, 0));
        c.PaintSpan(left + 1, right - 1, y, brush);
        c.PaintSpan(right - 1, right, y, Brush(BS_SOLID, pen.color, 0));
      }
    }
    return TRUE;
  }
  // A wide pen is centred on the outline through the corner pixels, with round joins; an inside frame's
  // outline is moved in by half the pen's width so that the pen stays within the bounds.
  int l = left, t = top, r = right - 1, b = bottom - 1, w = pen.width;
  if (pen.style == PS_INSIDEFRAME) {
    w = std::min({w, (right - left + 1) / 2, (bottom - top + 1) / 2});
    l += w / 2, t += w / 2, r -= (w - 1) / 2, b -= (w - 1) / 2;
  }
  for (int y = std::max(top + 1, 0); y < std::min(bottom - 1, c.t.height); y++) {
    c.PaintSpan(left + 1, right - 1, y, brush);
  }
  platform::WideLine(c, l, t, r, t, w, v);
  platform::WideLine(c, r, t, r, b, w, v);
  platform::WideLine(c, r, b, l, b, w, v);
  platform::WideLine(c, l, b, l, t, w, v);
  return TRUE;
}

BOOL WINAPI Polygon(HDC dc, const POINT* points, int count) {
  if (!platform::Usable(dc) || !points || count < 2 || count > platform::kMaxPolygonPoints) return FALSE;
  DeviceContext* d = ToDC(dc);
  Canvas c(*d);
  platform::FillPolygon(c, points, count, BrushOf(*d));
  const Pen& pen = PenOf(*d);
  platform::Dashes dashes(*d, pen);
  for (int i = 0; i < count; i++) {
    const POINT& a = points[i];
    const POINT& b = points[(i + 1) % count];
    platform::Stroke(c, pen, a.x, a.y, b.x, b.y, &dashes);
  }
  return TRUE;
}

BOOL WINAPI PolyBezier(HDC dc, const POINT* points, DWORD count) {
  if (!platform::Usable(dc) || !points || count < 4 || (count - 1) % 3 != 0) return FALSE;
  DeviceContext* d = ToDC(dc);
  Canvas c(*d);
  const Pen& pen = PenOf(*d);
  platform::Dashes dashes(*d, pen);
  for (DWORD i = 0; i + 3 < count; i += 3) {
    int px = points[i].x, py = points[i].y;
    platform::FlattenBezier(points + i, [&](int x, int y) {
      platform::Stroke(c, pen, px, py, x, y, &dashes);
      px = x, py = y;
    });
  }
  return TRUE;
}

// InvertRect belongs to USER, but it works on a DC's pixels like the shapes here.
BOOL WINAPI InvertRect(HDC dc, const RECT* rect) {
  if (!platform::Usable(dc) || !rect) return FALSE;
  Canvas c(*ToDC(dc));
  int left = std::max<int>(rect->left, 0), right = std::min<int>(rect->right, c.t.width);
  int top = std::max<int>(rect->top, 0), bottom = std::min<int>(rect->bottom, c.t.height);
  uint16_t bits = c.t.is555 ? 0x7FFF : 0xFFFF;
  for (int y = top; y < bottom; y++) {
    uint16_t* row = c.Row(y);
    for (int x = left; x < right; x++) row[x] ^= bits;
  }
  return TRUE;
}

}  // extern "C"
