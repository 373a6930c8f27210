// Rotating pixel effect blits besides the plain rotation: tiled, zoomed, both, and the receding floor. Integer
// steps of the sine table walk the source in 1/360 pixel; each destination pixel is clipped on its own.
#include <cmath>
#include <cstdlib>

#include "pixels.h"
#include "rotation_walk.h"

namespace oxDraw {
namespace {

using pixels::Channels;
using pixels::LockedSurface;

struct RotationParams {
  bool tile = false;
  bool zoom = false;
  float zoomX = 1, zoomXStep = 0, zoomY = 1, zoomYStep = 0;
  bool shade = false;
  double factor[3] = {1, 1, 1};
};

// A zoomed source coordinate; false when the zoom leaves no finite answer (a zoom of 0).
inline bool Zoomed(int64_t s, float zoom, int64_t& out) {
  float q = float(s) / zoom;
  if (!(q > -1e9f && q < 1e9f)) return false;
  out = int64_t(q);
  return true;
}

// Brings a coordinate into 0..size-1 by its absolute value, so the picture repeats.
inline int64_t Wrap(int64_t s, int size) { return (s < 0 ? -s : s) % size; }

int Rotation(int dl, int dt, int dr, int db, int angle, int object, int l, int t, int r, int b,
             const RotationParams& p) {
  constexpr int kFar = 1 << 24;
  dl = std::clamp(dl, -kFar, kFar), dr = std::clamp(dr, -kFar, kFar);
  dt = std::clamp(dt, -kFar, kFar), db = std::clamp(db, -kFar, kFar);
  const int dw = dr - dl, dh = db - dt;
  if (dw <= 0 || dh <= 0) return 1;
  // Angles outside a turn are taken modulo 360, so the table is never read past its end.
  const int a = ((angle % 360) + 360) % 360;
  const int64_t S = SineTable[a], C = SineTable[a + 90];

  IDirectDrawSurface* source = pixels::SurfaceOf(object);
  if (!source || !screen.back) return 0;
  // The visible part first: a rotation wholly outside the clip locks nothing.
  RECT clip = ClipRect;
  int x0 = dl < clip.left ? clip.left - dl : 0, x1 = std::min<int64_t>(dw, int64_t(clip.right) - dl);
  int y0 = dt < clip.top ? clip.top - dt : 0, y1 = std::min<int64_t>(dh, int64_t(clip.bottom) - dt);
  if (x0 > x1 || y0 > y1) return 1;

  LockedSurface src, dst;
  if (!src.Lock(source)) return 0;
  if (!dst.Lock(screen.back)) return 0;
  // Kept inside the two surfaces, whatever the clip rectangle and the source rectangle say.
  x0 = std::max<int64_t>(x0, -int64_t(dl));
  y0 = std::max<int64_t>(y0, -int64_t(dt));
  x1 = std::min<int64_t>(x1, int64_t(dst.Width()) - dl);
  y1 = std::min<int64_t>(y1, int64_t(dst.Height()) - dt);
  l = std::max(l, 0), t = std::max(t, 0);
  r = std::min(r, src.Width()), b = std::min(b, src.Height());
  const int sw = r - l, sh = b - t;
  if (sw <= 0 || sh <= 0 || x0 >= x1 || y0 >= y1) return 1;

  const int64_t cx = dw / 2, cy = dh / 2, ox = (int64_t(dw) - sw) / 2, oy = (int64_t(dh) - sh) / 2;
  const int64_t uStart = 360 * cx - cx * C + cy * S;
  const int64_t vStart = 360 * cy - cx * S - cy * C;
  const PixelFormatInfo& f = pixelFormat;
  float zx = p.zoomX, zy = p.zoomY;
  // Only a floor, whose zoom grows row by row, walks the rows above the visible part.
  const bool growing = p.zoomXStep != 0 || p.zoomYStep != 0;
  if (!growing && !p.shade && !pixels::Plain()) {
    // One axis at a time, as the loop below takes it.
    auto axis = [](int64_t q, int64_t offset, float zoom, bool zoomed, bool tiled, int start, int size) -> int64_t {
      int64_t s = q - offset;
      if (zoomed && !Zoomed(s, zoom, s)) return -1;
      if (tiled) return start + Wrap(s, size);
      return s >= 0 && s < size ? start + s : -1;
    };
    const pixels::RotationWalk walk{uStart, vStart, C, S, x0, x1, y0, y1, src.Row(0), src.Pitch()};
    if (pixels::Walk(
            walk, [&](int64_t q) { return axis(q, ox, zx, p.zoom, p.tile, l, sw); },
            [&](int64_t q) { return axis(q, oy, zy, p.zoom, p.tile, t, sh); },
            [&](int64_t j) { return dst.Row(int(dt + j)) + dl; }))
      return 1;
  }
  for (int j = growing ? 0 : y0; j < y1; j++) {
    if (j >= y0) {
      int64_t u = uStart - j * S + x0 * C;
      int64_t v = vStart + j * C + x0 * S;
      uint16_t* d = dst.Row(dt + j) + dl;
      for (int i = x0; i < x1; i++, u += C, v += S) {
        int64_t sx = u / 360 - ox, sy = v / 360 - oy;
        if (p.zoom && (!Zoomed(sx, zx, sx) || !Zoomed(sy, zy, sy))) continue;
        if (p.tile) {
          sx = Wrap(sx, sw), sy = Wrap(sy, sh);
        } else if (sx < 0 || sx >= sw || sy < 0 || sy >= sh) {
          continue;
        }
        uint16_t s = src.Row(int(t + sy))[l + sx];
        if (!s) continue;
        if (p.shade) {
          Channels c = pixels::Split(s);
          s = pixels::Join(pixels::Truncate(c.r * p.factor[0], f.redMax), pixels::Truncate(c.g * p.factor[1], f.greenMax),
                           pixels::Truncate(c.b * p.factor[2], f.blueMax));
        }
        d[i] = s;
      }
    }
    zx += p.zoomXStep, zy += p.zoomYStep;
  }
  return 1;
}

}  // namespace

int DrawObjectRotateTile(int dl, int dt, int dr, int db, int angle, int object, int l, int t, int r, int b) {
  RotationParams p;
  p.tile = true;
  return Rotation(dl, dt, dr, db, angle, object, l, t, r, b, p);
}

int DrawObjectRotateZoom(int dl, int dt, int dr, int db, int angle, float zoom, int object, int l, int t, int r,
                         int b) {
  RotationParams p;
  p.zoom = true;
  p.zoomX = p.zoomY = zoom;
  return Rotation(dl, dt, dr, db, angle, object, l, t, r, b, p);
}

int DrawObjectRotateZoomTile(int dl, int dt, int dr, int db, int angle, float zoom, int object, int l, int t, int r,
                             int b) {
  RotationParams p;
  p.zoom = p.tile = true;
  p.zoomX = p.zoomY = zoom;
  return Rotation(dl, dt, dr, db, angle, object, l, t, r, b, p);
}

int DrawObjectFloor(int dl, int dt, int dr, int db, int angle, float zoomX, float zoomXStep, float zoomY,
                    float zoomYStep, float factorRed, float factorGreen, float factorBlue, int object, int l, int t,
                    int r, int b) {
  RotationParams p;
  p.zoom = p.tile = p.shade = true;
  p.zoomX = zoomX, p.zoomXStep = zoomXStep, p.zoomY = zoomY, p.zoomYStep = zoomYStep;
  p.factor[0] = factorRed, p.factor[1] = factorGreen, p.factor[2] = factorBlue;
  return Rotation(dl, dt, dr, db, angle, object, l, t, r, b, p);
}

}  // namespace oxDraw
