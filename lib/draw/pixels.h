// Plain off-screen surfaces, locked 16-bit surfaces, and the channel arithmetic of the software effects and
// filters.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ox.h"

// AVX2 rows are built for x86-64 Linux only: the Windows compilers do not align the stack for the spills of
// 32-byte registers. They run only where the processor has AVX2.
#if defined(__x86_64__) && !defined(_WIN32) && defined(__GNUC__)
#define OX_AVX2 1
#define OX_TARGET_AVX2 __attribute__((target("avx2")))
#include <immintrin.h>
#endif

namespace oxDraw {
namespace pixels {

// How wide the pixel loops go: one pixel at a time (the plain paths, against which the fast ones are
// checked), SSE2 rows, or AVX2 rows.
enum class Paths { plain, sse2, avx2 };
// The widest paths this build and processor run.
Paths WidestPaths();
// The paths the blits take: the widest, unless a test lowers it.
extern Paths paths;
inline bool Plain() { return paths == Paths::plain; }

// A plain surface of `caps` from `ddraw`; null on failure, with DirectDraw's answer in `result`. It takes
// the display's format, or 5-6-5 where the display is not 16-bit (the screen then converts when it shows).
inline IDirectDrawSurface* CreatePlainSurface(IDirectDraw* ddraw, int width, int height, DWORD caps,
                                              HRESULT* result) {
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = DWORD(width);
  desc.dwHeight = DWORD(height);
  desc.ddsCaps.dwCaps = caps;
  if (screen.shown) {
    desc.dwFlags |= DDSD_PIXELFORMAT;
    desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
    desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
    desc.ddpfPixelFormat.dwRGBBitCount = 16;
    desc.ddpfPixelFormat.dwRBitMask = 0xF800;
    desc.ddpfPixelFormat.dwGBitMask = 0x07E0;
    desc.ddpfPixelFormat.dwBBitMask = 0x001F;
  }
  IDirectDrawSurface* surface = nullptr;
  *result = ddraw->CreateSurface(&desc, &surface, nullptr);
  return FAILED(*result) ? nullptr : surface;
}

// A surface locked whole; unlocked when it goes out of scope.
class LockedSurface {
 public:
  LockedSurface() = default;
  LockedSurface(const LockedSurface&) = delete;
  LockedSurface& operator=(const LockedSurface&) = delete;
  ~LockedSurface() { Unlock(); }

  bool Lock(IDirectDrawSurface* surface) {
    if (!surface) return false;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) || !desc.lpSurface) return false;
    surface_ = surface;
    base_ = static_cast<uint16_t*>(desc.lpSurface);
    pitch_ = int(desc.lPitch / 2);
    width_ = int(desc.dwWidth);
    height_ = int(desc.dwHeight);
    return true;
  }
  void Unlock() {
    if (surface_) surface_->Unlock(base_);
    surface_ = nullptr;
  }
  uint16_t* Row(int y) const { return base_ + ptrdiff_t(y) * pitch_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Pitch() const { return pitch_; }

 private:
  IDirectDrawSurface* surface_ = nullptr;
  uint16_t* base_ = nullptr;
  int pitch_ = 0, width_ = 0, height_ = 0;
};

inline IDirectDrawSurface* SurfaceOf(int object) {
  if (object < 0 || object >= kObjectCount) return nullptr;
  return objects[object].surface;
}

// The three channels of a pixel and back, with the masks and shifts of the display's format.
struct Channels {
  int r, g, b;
};
inline Channels Split(uint16_t p) {
  const PixelFormatInfo& f = pixelFormat;
  return {(p >> f.redShift) & f.redMax, (p >> f.greenShift) & f.greenMax, (p >> f.blueShift) & f.blueMax};
}
inline uint16_t Join(int r, int g, int b) {
  const PixelFormatInfo& f = pixelFormat;
  return uint16_t((r << f.redShift) | (g << f.greenShift) | (b << f.blueShift));
}
// A channel value brought into 0..max: a result past the max would spill into the next channel.
inline int Limit(int v, int max) { return v < 0 ? 0 : (v > max ? max : v); }
inline int Truncate(double v, int max) {
  if (!(v > 0)) return 0;  // negative and NaN
  return v >= max ? max : int(v);
}

// The clip rectangle, kept inside a surface of w x h pixels.
inline RECT ClipWithin(int w, int h) {
  RECT c = ClipRect;
  c.left = std::max<LONG>(c.left, 0);
  c.top = std::max<LONG>(c.top, 0);
  c.right = std::min<LONG>(c.right, w);
  c.bottom = std::min<LONG>(c.bottom, h);
  return c;
}

}  // namespace pixels
}  // namespace oxDraw
