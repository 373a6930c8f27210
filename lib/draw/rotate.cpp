// The rotation blit: each destination pixel looks up its source pixel through the integer sine table.
#include "ox.h"
#include "pixels.h"
#include "rotation_walk.h"

namespace oxDraw {

namespace {

struct Locked {
  IDirectDrawSurface* surface = nullptr;
  WORD* pixels = nullptr;
  long long pitch = 0;  // in pixels
  long long width = 0, height = 0;
};

bool Lock(IDirectDrawSurface* surface, Locked* out) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return false;
  out->surface = surface;
  out->pixels = static_cast<WORD*>(desc.lpSurface);
  out->pitch = desc.lPitch / 2;
  out->width = desc.dwWidth;
  out->height = desc.dwHeight;
  return true;
}

}  // namespace

int DrawObjectRotate(int destLeft, int destTop, int destRight, int destBottom, int angle, int object, int left,
                     int top, int right, int bottom) {
  // Wide arithmetic throughout, so that no rectangle can overflow the sums.
  const long long dl = destLeft, dt = destTop;
  const long long dw = (long long)destRight - destLeft, dh = (long long)destBottom - destTop;
  const long long sw = (long long)right - left, sh = (long long)bottom - top;

  // The visible part of the destination.
  const RECT& clip = ClipRect;
  long long x0 = dl < clip.left ? clip.left - dl : 0;
  long long x1 = dw < clip.right - dl ? dw : clip.right - dl;
  long long y0 = dt < clip.top ? clip.top - dt : 0;
  long long y1 = dh < clip.bottom - dt ? dh : clip.bottom - dt;
  if (x0 > x1 || y0 > y1) return 1;

  if (object < 0 || object >= kObjectCount || !objects[object].surface || !screen.back) return 0;
  Locked source, back;
  if (!Lock(objects[object].surface, &source)) return 0;
  if (!Lock(screen.back, &back)) {
    source.surface->Unlock(nullptr);
    return 0;
  }
  // A source rectangle the picture does not hold draws nothing, as the plain blit refuses it.
  bool inside = sw > 0 && sh > 0 && left >= 0 && top >= 0 && right <= source.width && bottom <= source.height;
  // The destination is clipped to the back surface as well, whatever the clip rectangle says.
  if (x1 > back.width - dl) x1 = back.width - dl;
  if (y1 > back.height - dt) y1 = back.height - dt;
  if (dl + x0 < 0) x0 = -dl;
  if (dt + y0 < 0) y0 = -dt;

  if (inside) {
    // Angles outside 0..359 are taken round the circle.
    int a = angle % 360;
    if (a < 0) a += 360;
    const long long S = SineTable[a], C = SineTable[a + 90];
    const long long cx = dw / 2, cy = dh / 2, ox = (dw - sw) / 2, oy = (dh - sh) / 2;
    // In 1/360 pixel: the source point of destination pixel (0, 0).
    const long long uStart = 360 * cx - cx * C + cy * S;
    const long long vStart = 360 * cy - cx * S - cy * C;
    auto out = [&](long long j) { return back.pixels + (dt + j) * back.pitch + dl; };
    const pixels::RotationWalk walk{uStart, vStart, C, S, x0, x1, y0, y1, source.pixels, source.pitch};
    auto column = [&](long long q) { return q - ox >= 0 && q - ox < sw ? left + q - ox : -1; };
    auto row = [&](long long q) { return q - oy >= 0 && q - oy < sh ? top + q - oy : -1; };
    const bool walked = !pixels::Plain() && pixels::Walk(walk, column, row, out);
    for (long long j = walked ? y1 : y0; j < y1; ++j) {
      long long u = uStart - j * S + x0 * C;
      long long v = vStart + j * C + x0 * S;
      WORD* out = back.pixels + (dt + j) * back.pitch + dl;
      for (long long i = x0; i < x1; ++i, u += C, v += S) {
        long long sx = u / 360 - ox, sy = v / 360 - oy;
        if (sx < 0 || sx >= sw || sy < 0 || sy >= sh) continue;
        WORD p = source.pixels[(top + sy) * source.pitch + left + sx];
        if (p != 0) out[i] = p;  // black is left out
      }
    }
  }
  source.surface->Unlock(nullptr);
  back.surface->Unlock(nullptr);
  return inside ? 1 : 0;
}

}  // namespace oxDraw
