// Filters that work in place on a rectangle of the back surface (2 x 2 averages: soften, fade, smoke, fire)
// and the pixel zooms through the Buffer object.
#include <cstdlib>

#include "pixels.h"

namespace oxDraw {

RiseState smokeState;
RiseState fireState;

namespace {

using pixels::Channels;
using pixels::LockedSurface;
using pixels::Split;

// The rectangle kept inside the surface; the filters read and write nothing else.
bool Within(const LockedSurface& s, int& x, int& y, int& w, int& h) {
  constexpr int kFar = 1 << 24;
  x = std::clamp(x, -kFar, kFar), y = std::clamp(y, -kFar, kFar);
  w = std::clamp(w, 0, kFar), h = std::clamp(h, 0, kFar);
  if (x < 0) w += x, x = 0;
  if (y < 0) h += y, y = 0;
  w = std::min(w, s.Width() - x);
  h = std::min(h, s.Height() - y);
  return w > 0 && h > 0;
}

struct Fade {
  bool r = false, g = false, b = false;
};

// The 2 x 2 average at (c, r) of the rectangle at (x, y); near its right and bottom edges the block moves back.
uint16_t Average(const LockedSurface& s, int x, int y, int w, int h, int c, int r, Fade fade) {
  const int bx = x + std::min(c, w - 2), by = y + std::min(r, h - 2);
  const uint16_t* top = s.Row(by) + bx;
  const uint16_t* bottom = s.Row(by + 1) + bx;
  Channels a = Split(top[0]), b = Split(top[1]), e = Split(bottom[0]), f = Split(bottom[1]);
  int red = (a.r + b.r + e.r + f.r) >> 2, green = (a.g + b.g + e.g + f.g) >> 2, blue = (a.b + b.b + e.b + f.b) >> 2;
  if (fade.r && red) red--;
  if (fade.g && green) green--;
  if (fade.b && blue) blue--;
  return pixels::Join(red, green, blue);
}

int Soften(int x, int y, int w, int h, Fade fade) {
  LockedSurface s;
  if (!s.Lock(screen.back)) return 0;
  // A rectangle narrower or lower than a block has nothing to average.
  if (!Within(s, x, y, w, h) || w < 2 || h < 2) return 1;
  for (int r = 0; r < h; r++) {
    uint16_t* row = s.Row(y + r) + x;
    for (int c = 0; c < w; c++) row[c] = Average(s, x, y, w, h, c, r, fade);
  }
  return 1;
}

int Rise(RiseState& state, int x, int y, int w, int h, Fade fade) {
  LockedSurface s;
  if (!s.Lock(screen.back)) return 0;
  if (!Within(s, x, y, w, h) || w < 2 || h < 2) return 1;
  for (int r = 1; r < h; r++) {
    uint16_t* above = s.Row(y + r - 1) + x;
    const uint16_t* row = s.Row(y + r) + x;
    for (int c = 0; c < w; c++) {
      // Now and then a pixel rises as it is, which keeps the smoke from smoothing out.
      if (state.counter < state.threshold) {
        above[c] = Average(s, x, y, w, h, c, r, fade);
        state.counter++;
      } else {
        above[c] = row[c];
        state.counter = 0;
        state.threshold = rand() % 3;
      }
    }
  }
  return 1;
}

// Enlarges the rectangle into the Buffer object, `factor` pixels a side per pixel, then draws it back.
int Zoom(int x, int y, int w, int h, int mode, int factor) {
  LockedSurface buffer, back;
  if (!buffer.Lock(pixels::SurfaceOf(0))) return 0;
  if (!back.Lock(screen.back)) return 0;
  if (!Within(back, x, y, w, h)) return 1;
  // The enlarged picture must fit the Buffer object.
  w = std::min(w, buffer.Width() / factor);
  h = std::min(h, buffer.Height() / factor);
  if (w <= 0 || h <= 0) return 1;
  // Mode 0 fills the whole cell; the others only its top-left part, for a scan-line or dot look.
  const int cellW = mode == 0 ? factor : 2, cellH = mode == 0 ? factor : (factor == 2 ? 1 : 2);
  for (int r = 0; r < h; r++) {
    const uint16_t* from = back.Row(y + r) + x;
    for (int k = 0; k < cellH; k++) {
      uint16_t* to = buffer.Row(r * factor + k);
      for (int c = 0; c < w; c++)
        for (int m = 0; m < cellW; m++) to[c * factor + m] = from[c];
    }
  }
  back.Unlock();
  buffer.Unlock();
  DrawObjectSolid(x, y, 0, 0, 0, factor * w, factor * h);
  return 1;
}

}  // namespace

int SoftenRect(int x, int y, int w, int h) { return Soften(x, y, w, h, {}); }

int FadeRect(int fadeRed, int fadeGreen, int fadeBlue, int x, int y, int w, int h) {
  return Soften(x, y, w, h, {fadeRed != 0, fadeGreen != 0, fadeBlue != 0});
}

int SmokeRect(int x, int y, int w, int h) { return Rise(smokeState, x, y, w, h, {}); }

int FireRect(int fadeRed, int fadeGreen, int fadeBlue, int x, int y, int w, int h) {
  return Rise(fireState, x, y, w, h, {fadeRed != 0, fadeGreen != 0, fadeBlue != 0});
}

int Zoom2(int x, int y, int w, int h, int mode) { return Zoom(x, y, w, h, mode, 2); }

int Zoom4(int x, int y, int w, int h, int mode) { return Zoom(x, y, w, h, mode, 4); }

}  // namespace oxDraw
