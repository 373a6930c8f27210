// Blits onto the back surface: the clipped colour-keyed copy, its opaque twin, fills, stretching, mirroring
// and the row-by-row raster effects.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ox.h"

namespace oxDraw {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Nothing is drawn from an object number outside the table or without a surface.
IDirectDrawSurface* SourceOf(int object) {
  if (object < 0 || object >= kObjectCount) return nullptr;
  return objects[object].surface;
}

HRESULT ClippedBlit(int x, int y, int object, int l, int t, int r, int b, DWORD flags) {
  IDirectDrawSurface* source = SourceOf(object);
  if (!source || !screen.back) return DDERR_INVALIDOBJECT;
  const RECT& c = ClipRect;
  // Right and bottom are cut with x and y as passed, before left and top move them.
  if (x + (r - l) > c.right) r -= x + (r - l) - c.right;
  if (y + (b - t) > c.bottom) b -= y + (b - t) - c.bottom;
  if (x < c.left) {
    l += c.left - x;
    x = c.left;
  }
  if (y < c.top) {
    t += c.top - y;
    y = c.top;
  }
  if (r < l || b < t) return DD_OK;
  RECT rect = {l, t, r, b};
  HRESULT result = screen.back->BltFast(DWORD(x), DWORD(y), source, &rect, flags);
  if (result == DDERR_SURFACELOST) RestoreSurfaces();
  return result;
}

int Fill(int left, int top, int right, int bottom, DWORD value) {
  if (!screen.back) return 0;
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = value;
  RECT rect = {left, top, right, bottom};
  return SUCCEEDED(screen.back->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx)) ? 1 : 0;
}

// Through the Buffer object: the source rectangle drawn by GDI onto its top-left corner.
bool StretchToBuffer(int object, int sx, int sy, int sw, int sh, int w, int h) {
  IDirectDrawSurface* source = SourceOf(object);
  IDirectDrawSurface* buffer = objects[0].surface;
  if (!source || !buffer || source == buffer) return false;
  HDC to, from;
  if (FAILED(buffer->GetDC(&to))) return false;
  if (FAILED(source->GetDC(&from))) {
    buffer->ReleaseDC(to);
    return false;
  }
  StretchBlt(to, 0, 0, w, h, from, sx, sy, sw, sh, SRCCOPY);
  source->ReleaseDC(from);
  buffer->ReleaseDC(to);
  return true;
}

double Cos(double degrees) { return std::cos(degrees * 2.0 * kPi / 360.0); }

struct WaveState {
  float phase = 0.0f;
  int sign = 1;
};
WaveState waveState;
struct ScrollState {
  float phase = 0.0f;
  float sx = 0.0f, sy = 0.0f;
};
ScrollState tileScroll, waveScroll, waveTile;
struct RollState {
  float phase = 0.0f;
  int row = 0;
};
RollState roll;

}  // namespace

HRESULT DrawObject(int x, int y, int object, int left, int top, int right, int bottom) {
  return ClippedBlit(x, y, object, left, top, right, bottom, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void DrawObjectSolid(int x, int y, int object, int left, int top, int right, int bottom) {
  ClippedBlit(x, y, object, left, top, right, bottom, DDBLTFAST_WAIT);
}

int ClearScreen() { return Fill(0, 0, screen.width, screen.height, 0); }
int ClearRect(int left, int top, int right, int bottom) { return Fill(left, top, right, bottom, 0); }
int WhiteScreen() { return Fill(0, 0, screen.width, screen.height, 0xFFFFFF); }
int WhiteRect(int left, int top, int right, int bottom) { return Fill(left, top, right, bottom, 0xFFFFFF); }

void DrawObjectStretch(int x, int y, int object, int left, int top, int right, int bottom, int width, int height) {
  IDirectDrawSurface* source = SourceOf(object);
  if (!source || !screen.back) return;
  if (screen.canStretch == 1) {
    RECT dest = {x, y, x + width, y + height};
    RECT src = {left, top, right, bottom};
    if (screen.back->Blt(&dest, source, &src, DDBLT_KEYSRC | DDBLT_WAIT, nullptr) == DDERR_SURFACELOST)
      RestoreSurfaces();
    return;
  }
  if (StretchToBuffer(object, left, top, right - left, bottom - top, width, height))
    DrawObject(x, y, 0, 0, 0, width, height);
}

void DrawObjectMirror(int x, int y, int flip, int object, int left, int top, int right, int bottom) {
  int w = right - left, h = bottom - top;
  bool drawn = false;
  switch (flip) {
    case 0: drawn = StretchToBuffer(object, left, top, w, h, w, h); break;
    case 1: drawn = StretchToBuffer(object, right - 1, top, -w, h, w, h); break;
    case 2: drawn = StretchToBuffer(object, left, bottom - 1, w, -h, w, h); break;
    case 3: drawn = StretchToBuffer(object, right - 1, bottom - 1, -w, -h, w, h); break;
    default: break;
  }
  (void)drawn;
  // Any other flip value copies nothing, and the buffer shows what it held.
  DrawObject(x, y, 0, 0, 0, w, h);
}

void WaveObject(int x, int y, int amplitude, int period, float speed, int object, int l, int t, int r, int b,
                int alternate) {
  for (int row = t; row < b; ++row) {
    int k = period != 0 ? row / period : row;
    int offset = int(Cos(k + int(waveState.phase)) * amplitude);
    if (alternate) {
      offset *= waveState.sign;
      waveState.sign = -waveState.sign;
    }
    DrawObject(x + offset, y + row - t, object, l, row, r, row + 1);
  }
  waveState.phase += libraryState.FrameTime * speed;
  if (waveState.phase >= 360.0f) waveState.phase -= 360.0f;
}

void TileScroll(float speedX, float speedY, int object, int l, int t, int r, int b) {
  int w = r - l, h = b - t;
  if (w <= 0 || h <= 0) return;
  for (int j = 0; j <= screen.height / h + 1; ++j)
    for (int i = 0; i <= screen.width / w + 1; ++i)
      DrawObject(i * w + int(tileScroll.sx), j * h + int(tileScroll.sy), object, l, t, r, b);
  tileScroll.sx += libraryState.FrameTime * speedX;
  tileScroll.sy += libraryState.FrameTime * speedY;
  if (tileScroll.sx < -w) tileScroll.sx += w;
  if (tileScroll.sx > 0) tileScroll.sx -= w;
  if (tileScroll.sy < -h) tileScroll.sy += h;
  if (tileScroll.sy > 0) tileScroll.sy -= h;
}

void WaveScrollObject(int x, int y, float amplitude, float period, float waveSpeed, float scrollSpeed, int object,
                      int l, int t, int r, int b) {
  int h = b - t;
  if (h <= 0) return;
  int p = int(period);
  for (int row = t; row < b; ++row) {
    int k = p != 0 ? row / p : row;
    int offset = int(Cos(k + int(waveScroll.phase)) * amplitude);
    int s = row + int(waveScroll.sy);
    if (s >= b) s = t + (s - b) + 1;
    if (s >= b) s = b - 1;
    DrawObject(x + offset, y + row, object, l, s, r, s + 1);
  }
  waveScroll.phase += libraryState.FrameTime * waveSpeed;
  if (waveScroll.phase >= 360.0f) waveScroll.phase -= 360.0f;
  waveScroll.sy -= libraryState.FrameTime * scrollSpeed;
  if (waveScroll.sy < 0) waveScroll.sy += h;
  if (waveScroll.sy >= h) waveScroll.sy -= h;
}

void WaveTileBackground(float top, float bottom, float amplitude, float period, float waveSpeed, float scrollSpeed,
                        int object, int l, int t, int r, int b) {
  int w = r - l, h = b - t;
  if (w <= 0 || h <= 0) return;
  int p = int(period), a = int(amplitude);
  int rows = int(bottom) - int(top);
  for (int n = 0; n < rows; ++n) {
    int s = (n % h) + int(waveTile.sy);
    if (s > h - 1) s -= h;
    s = t + s;
    int k = p != 0 ? n / p : n;
    int offset = int(Cos(k + int(waveTile.phase)) * amplitude);
    for (int i = 0; i <= screen.width / w + 1; ++i) DrawObject(i * w + offset - a, int(top) + n, object, l, s, r, s + 1);
  }
  waveTile.phase += libraryState.FrameTime * waveSpeed;
  if (waveTile.phase >= 360.0f) waveTile.phase -= 360.0f;
  waveTile.sy -= libraryState.FrameTime * scrollSpeed;
  if (waveTile.sy < 0) waveTile.sy += h;
  if (waveTile.sy >= h) waveTile.sy -= h;
}

void MosaicObject(int x, int y, int block, int object, int l, int t, int r, int b) {
  if (block <= 0) return;
  for (int a = t; a < b; a += block)
    for (int k = 0; k < block; ++k) DrawObject(x, y + (a - t) + k, object, l, a, r, a + 1);
}

void ScanlineObject(int x, int y, int step, int object, int l, int t, int r, int b) {
  if (step > 0) {
    for (int row = t + step; row < b; row += step) DrawObject(x, y + row - t, object, l, row, r, row + 1);
  } else if (step < 0) {
    for (int row = t + std::rand() % (-step) + 1; row < b; row += std::rand() % (-step) + 1)
      DrawObject(x, y + row - t, object, l, row, r, row + 1);
  }
}

void JitterObject(int x, int y, int range, int object, int l, int t, int r, int b) {
  if (range < 1) {
    DrawObject(x, y, object, l, t, r, b);
    return;
  }
  for (int row = t; row < b; ++row)
    DrawObject(x + std::rand() % (2 * range) - range, y + row - t, object, l, row, r, row + 1);
}

void RollObject(int x, int y, int direction, float speed, int object, int l, int t, int r, int b) {
  int h = b - t;
  if (h <= 1) return;
  // Each call starts the drum at its top, so that calls do not drift down the screen.
  roll.row = 0;
  for (int row = 0; row < h; ++row) {
    int p = int(Cos((row + roll.phase) * 360.0 / (h - 1)) * (h / 2) + h / 2);
    for (int d = roll.row; d <= p; ++d) DrawObjectSolid(x, y + d, object, l, row, r, row + 1);
    roll.row = p + 1;
  }
  if (direction == 0) {
    roll.phase -= libraryState.FrameTime * speed;
    if (roll.phase < 0) roll.phase += h;
  } else {
    roll.phase += libraryState.FrameTime * speed;
    if (roll.phase >= h) roll.phase -= h;
  }
}

}  // namespace oxDraw
