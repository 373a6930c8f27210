// Presentation: the transition overlay, the scroll page, then the back surface shown by a page flip or a
// copy onto the front surface; and the clip-rectangle wipe.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ox.h"

namespace oxDraw {

TransitionState transition;
WipeState wipe;
ScrollPage scrollPage;

namespace {

// A page flip that keeps failing for another reason than a lost surface is given up after this many tries.
constexpr int kFlipTries = 100;

void Snapshot(int x, int y, int l, int t, int r, int b) { DrawObjectSolid(x, y, 1, l, t, r, b); }

// A random shift of -(n - s + 1) .. (n - s).
int Jitter(int n, int s) {
  int span = 2 * (n - s) + 2;
  return span > 0 ? std::rand() % span - (n - s + 1) : 0;
}

void DrawTransition() {
  const int W = screen.width, H = screen.height;
  const int n = transition.length, s = transition.step, g = n - s + 1;
  switch (transition.kind) {
    case 0: {
      int f = 64 * (s - 1);
      for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j) DrawObject(64 * i, 48 * j, transition.patternObject, f, 0, f + 64, 48);
      return;
    }
    case 1:
    case 3:
      for (int y = 0; y < H; ++y)
        if (y % s != 0) Snapshot(transition.kind == 3 ? Jitter(n, s) : 0, y, 0, y, W, y + 1);
      return;
    default: break;
  }
  // The kinds below divide by the length.
  if (n <= 0) return;
  switch (transition.kind) {
    case 2:
    case 4:
      for (int y = 0; y < H; y += n) Snapshot(transition.kind == 4 ? Jitter(n, s) : 0, y, 0, y, W, y + s + 1);
      break;
    case 5: Snapshot(0, (-H / n) * g, 0, 0, W, H); break;
    case 6: Snapshot(0, (H / n) * g, 0, 0, W, H); break;
    case 7: Snapshot((-W / n) * g, 0, 0, 0, W, H); break;
    case 8: Snapshot((W / n) * g, 0, 0, 0, W, H); break;
    case 9:
      Snapshot(0, ((-H / 2) / n) * g, 0, 0, W, H / 2);
      Snapshot(0, H / 2 + ((H / 2) / n) * g, 0, H / 2, W, H);
      break;
    case 10:
      Snapshot(((-W / 2) / n) * g, 0, 0, 0, W / 2, H);
      Snapshot(W / 2 + ((W / 2) / n) * g, 0, W / 2, 0, W, H);
      break;
    case 11: Snapshot(0, 0, 0, 0, (W / n) * s, H); break;
    case 12: {
      int x0 = (W / n) * g;
      Snapshot(x0, 0, x0, 0, W, H);
      break;
    }
    default: break;
  }
}

void AdvanceTransition() {
  transition.step += transition.direction;
  if ((transition.direction == -1 && transition.step < 1) || (transition.direction == 1 && transition.step > 10)) {
    transition.step = 0;
    transition.direction = 0;
  }
}

void DrawScrollPage() {
  ScrollPage& p = scrollPage;
  const float dt = libraryState.FrameTime;
  for (int i = 0; i < 11; ++i)
    for (int j = 0; j < 11; ++j) DrawObject(64 * i + int(p.tileX), 48 * j + int(p.tileY), p.tileObject, 0, 0, 64, 48);
  p.tileX -= dt * 10;
  p.tileY -= dt * 10;
  if (p.tileX <= -64) p.tileX += 64;
  if (p.tileY <= -48) p.tileY += 48;
  const int cw = ClipRect.right - ClipRect.left, ch = ClipRect.bottom - ClipRect.top;
  const int offset = int(p.pageOffset);
  DrawObject(ClipRect.left, ClipRect.top, p.pageObject, 0, offset, cw, offset + ch);
  switch (libraryState.scrollKey) {
    case VK_UP: p.pageOffset -= dt * 100; break;
    case VK_LEFT: p.pageOffset -= dt * 300; break;
    case VK_DOWN: p.pageOffset += dt * 100; break;
    case VK_RIGHT: p.pageOffset += dt * 300; break;
    default: break;
  }
  if (p.pageOffset < 0) p.pageOffset = 0;
  if (p.pageOffset > float(p.pageHeight - ch)) p.pageOffset = float(p.pageHeight - ch);
  if (p.pageOffset < 0) p.pageOffset = 0;
}

int Bits(DWORD mask) {
  int n = 0;
  for (; mask; mask &= mask - 1) ++n;
  return n;
}

int Shift(DWORD mask) {
  int n = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++n;
  return n;
}

// The value of a 5- or 6-bit channel in a channel of `mask`: widened to 8 bits by repeating its top bits,
// then cut to the mask's width.
void ChannelTable(DWORD* table, int levels, int bits, DWORD mask) {
  int to = Bits(mask), at = Shift(mask);
  for (int v = 0; v < levels; ++v) {
    DWORD eight = DWORD(v << (8 - bits)) | DWORD(v >> (2 * bits - 8));
    table[v] = (to >= 8 ? eight << (to - 8) : eight >> (8 - to)) << at;
  }
}

// The back surface (5-6-5) into `shown`, in the display's 24- or 32-bit format.
HRESULT Convert() {
  DDPIXELFORMAT f;
  std::memset(&f, 0, sizeof f);
  f.dwSize = sizeof f;
  HRESULT r = screen.shown->GetPixelFormat(&f);
  if (FAILED(r)) return r;
  DWORD red[32], green[64], blue[32];
  ChannelTable(red, 32, 5, f.dwRBitMask);
  ChannelTable(green, 64, 6, f.dwGBitMask);
  ChannelTable(blue, 32, 5, f.dwBBitMask);
  const int bytes = int(f.dwRGBBitCount / 8);
  DDSURFACEDESC from, to;
  std::memset(&from, 0, sizeof from);
  std::memset(&to, 0, sizeof to);
  from.dwSize = to.dwSize = sizeof from;
  r = screen.back->Lock(nullptr, &from, DDLOCK_WAIT, nullptr);
  if (FAILED(r)) return r;
  r = screen.shown->Lock(nullptr, &to, DDLOCK_WAIT, nullptr);
  if (FAILED(r)) {
    screen.back->Unlock(from.lpSurface);
    return r;
  }
  const int w = int(std::min(from.dwWidth, to.dwWidth)), h = int(std::min(from.dwHeight, to.dwHeight));
  for (int y = 0; y < h; ++y) {
    const uint16_t* in = reinterpret_cast<const uint16_t*>(static_cast<const char*>(from.lpSurface) + y * from.lPitch);
    unsigned char* out = static_cast<unsigned char*>(to.lpSurface) + y * to.lPitch;
    if (bytes == 4) {
      DWORD* o = reinterpret_cast<DWORD*>(out);
      for (int x = 0; x < w; ++x) o[x] = red[in[x] >> 11] | green[(in[x] >> 5) & 63] | blue[in[x] & 31];
    } else {
      for (int x = 0; x < w; ++x, out += 3) {
        DWORD v = red[in[x] >> 11] | green[(in[x] >> 5) & 63] | blue[in[x] & 31];
        out[0] = BYTE(v), out[1] = BYTE(v >> 8), out[2] = BYTE(v >> 16);
      }
    }
  }
  screen.shown->Unlock(to.lpSurface);
  screen.back->Unlock(from.lpSurface);
  return DD_OK;
}

void Present() {
  const LibraryState& s = libraryState;
  if (!screen.front || !screen.back) return;
  if (s.fullScreen == 1 && screen.useAccelerator == 1) {
    for (int tries = 0; tries < kFlipTries; ++tries) {
      HRESULT r = screen.front->Flip(nullptr, DDFLIP_WAIT);
      if (r == DD_OK) return;
      if (r == DDERR_SURFACELOST) RestoreSurfaces();
    }
    return;
  }
  RECT source = {0, 0, screen.width, screen.height};
  IDirectDrawSurface* from = screen.back;
  HRESULT r = DD_OK;
  if (screen.shown) {
    r = Convert();
    from = screen.shown;
  }
  RECT dest = {s.clientOrigin.x, s.clientOrigin.y, s.clientOrigin.x + screen.width, s.clientOrigin.y + screen.height};
  if (SUCCEEDED(r))
    r = s.windowOptions == 0
            ? screen.front->BltFast(DWORD(dest.left), DWORD(dest.top), from, &source, DDBLTFAST_WAIT)
            : screen.front->Blt(&dest, from, &source, DDBLT_WAIT, nullptr);
  if (r == DDERR_SURFACELOST) RestoreSurfaces();
}

}  // namespace

int Flip() {
  if (transition.step != 0) {
    DrawTransition();
    AdvanceTransition();
  }
  if (scrollPage.shown) DrawScrollPage();
  Present();
  return 1;
}

int CaptureScreen(int object, int left, int top, int right, int bottom) {
  if (object < 0 || object >= kObjectCount || !objects[object].surface || !screen.back) return 0;
  RECT rect = {left, top, right, bottom};
  HRESULT r = objects[object].surface->BltFast(0, 0, screen.back, &rect, DDBLTFAST_WAIT);
  if (r == DDERR_SURFACELOST) RestoreSurfaces();
  return SUCCEEDED(r) ? 1 : 0;
}

void StartCover() {
  transition.step = 1;
  transition.direction = 1;
}

void StartReveal() {
  transition.step = 10;
  transition.direction = -1;
}

int LoadFadePattern(const char* name) {
  SetKeyColor(0);
  transition.patternObject = LoadObject(name, 2);
  return transition.patternObject;
}

void SetScrollPage(const char* pageFile, const char* tileFile, int pageHeight) {
  SetKeyColor(0);
  if (scrollPage.pageObject != 0) {
    SwapObject(pageFile, scrollPage.pageObject, 2);
    SwapObject(tileFile, scrollPage.tileObject, 2);
  } else {
    scrollPage.pageObject = LoadObject(pageFile, 2);
    scrollPage.tileObject = LoadObject(tileFile, 2);
  }
  scrollPage.pageOffset = 0;
  scrollPage.pageHeight = pageHeight;
}

void ToggleScrollPage() {
  if (scrollPage.shown)
    scrollPage.shown = 0;
  else if (scrollPage.pageHeight != 0)
    scrollPage.shown = 1;
}

int StartWipe(int closing, int kind, float speed, int band) {
  if (wipe.state > 0) return 0;
  if (wipe.state == -1) ClipRect = wipe.full;
  wipe.full = ClipRect;
  if (kind == 0) kind = std::rand() % 9 + 1;
  wipe.opened = wipe.closed = 0;
  wipe.closing = closing;
  wipe.kind = kind;
  wipe.speed = speed;
  wipe.band = band;
  if (closing) {
    wipe.state = 2;
    return 1;
  }
  wipe.state = 1;
  const LONG L = wipe.full.left, T = wipe.full.top, R = wipe.full.right, B = wipe.full.bottom;
  const LONG mx = (R - L) / 2 + L, my = (B - T) / 2 + T;
  RECT& c = ClipRect;
  switch (kind) {
    case 1: c.top = B; break;
    case 2: c.bottom = T; break;
    case 3: c.left = R; break;
    case 4: c.right = L; break;
    case 5: c.top = c.bottom = my; break;
    case 6: c.left = c.right = mx; break;
    case 7: c.left = c.right = mx, c.top = c.bottom = my; break;
    case 8:
      c.left = c.right = mx, c.top = c.bottom = my;
      c.left = mx - band / 2, c.right = mx + band / 2;
      break;
    case 9:
      c.left = c.right = mx, c.top = c.bottom = my;
      c.top = my - band / 2, c.bottom = my + band / 2;
      break;
    default: break;
  }
  return 1;
}

namespace {

// Opens a pair of edges outward; true once both stand at the full rectangle.
bool OpenPair(LONG& low, LONG& high, LONG fullLow, LONG fullHigh, int d) {
  low -= d;
  high += d;
  if (low <= fullLow || high >= fullHigh) low = fullLow, high = fullHigh;
  return low == fullLow && high == fullHigh;
}

// Closes a pair of edges inward to [targetLow, targetHigh]; true once they are there.
bool ClosePair(LONG& low, LONG& high, LONG targetLow, LONG targetHigh, int d) {
  if (low < targetLow) low = low + d >= targetLow ? targetLow : low + d;
  if (high > targetHigh) high = high - d <= targetHigh ? targetHigh : high - d;
  return low >= targetLow && high <= targetHigh;
}

}  // namespace

int StepWipe() {
  if (wipe.state <= 0) return 0;
  const int d = int(libraryState.FrameTime * wipe.speed) + 1;
  const LONG L = wipe.full.left, T = wipe.full.top, R = wipe.full.right, B = wipe.full.bottom;
  const LONG mx = (R - L) / 2 + L, my = (B - T) / 2 + T;
  const LONG half = wipe.band / 2;
  RECT& c = ClipRect;
  if (wipe.state == 1) {
    switch (wipe.kind) {
      case 1: c.top = c.top - d <= T ? T : c.top - d; break;
      case 2: c.bottom = c.bottom + d >= B ? B : c.bottom + d; break;
      case 3: c.left = c.left - d <= L ? L : c.left - d; break;
      case 4: c.right = c.right + d >= R ? R : c.right + d; break;
      case 5: OpenPair(c.top, c.bottom, T, B, d); break;
      case 6: OpenPair(c.left, c.right, L, R, d); break;
      case 7:
        OpenPair(c.top, c.bottom, T, B, d);
        OpenPair(c.left, c.right, L, R, d);
        break;
      case 8:
        if (c.top != T || c.bottom != B)
          OpenPair(c.top, c.bottom, T, B, d);
        else
          OpenPair(c.left, c.right, L, R, d);
        break;
      case 9:
        if (c.left != L || c.right != R)
          OpenPair(c.left, c.right, L, R, d);
        else
          OpenPair(c.top, c.bottom, T, B, d);
        break;
      default: c = wipe.full; break;
    }
    if (c.left == L && c.top == T && c.right == R && c.bottom == B) {
      wipe.state = 0;
      wipe.opened = 1;
    }
    return 1;
  }
  bool done = false;
  switch (wipe.kind) {
    case 1:
      c.top += d;
      if (c.top >= B) c.top = B, done = true;
      break;
    case 2:
      c.bottom -= d;
      if (c.bottom <= T) c.bottom = T, done = true;
      break;
    case 3:
      c.left += d;
      if (c.left >= R) c.left = R, done = true;
      break;
    case 4:
      c.right -= d;
      if (c.right <= L) c.right = L, done = true;
      break;
    case 5: done = ClosePair(c.top, c.bottom, my, my, d); break;
    case 6: done = ClosePair(c.left, c.right, mx, mx, d); break;
    case 7: {
      bool v = ClosePair(c.top, c.bottom, my, my, d);
      bool h = ClosePair(c.left, c.right, mx, mx, d);
      done = v && h;
      break;
    }
    case 8:
      if (ClosePair(c.left, c.right, mx - half, mx + half, d)) done = ClosePair(c.top, c.bottom, my, my, d);
      break;
    case 9:
      if (ClosePair(c.top, c.bottom, my - half, my + half, d)) done = ClosePair(c.left, c.right, mx, mx, d);
      break;
    default: done = true; break;
  }
  if (done) {
    wipe.state = -1;
    wipe.closed = 1;
  }
  return 1;
}

void CloseWipe() {
  wipe.full = ClipRect;
  ClipRect.right = ClipRect.left;
  ClipRect.bottom = ClipRect.top;
  wipe.state = -1;
}

void ShowGdiSurface() {
  if (screen.ddraw) screen.ddraw->FlipToGDISurface();
}

}  // namespace oxDraw
