// The screen set up in-process on the headless host, with helpers to write and read 16-bit pixels.
#pragma once
#include <vector>

#include "ox.h"
#include "support/fixture.h"

namespace draw_test {

class ScreenTest : public testing_support::HeadlessTest {
 protected:
  // The screen is windowed: on a 16-bit desktop, so that its surfaces are the display's own.
  ScreenTest() { options_.desktopBits = 16; }
  void SetUp() override { Start(false); }
  void TearDown() override {
    oxDraw::ReleaseAll();
    oxSound::Release();
    oxSystem::FreeFontRecord();
    HeadlessTest::TearDown();
  }
  // Restarts with a 5-5-5 (or 5-6-5) display.
  void Start(bool is555) {
    if (host_) {
      oxDraw::ReleaseAll();
      oxSound::Release();
      oxSystem::FreeFontRecord();
      HeadlessTest::TearDown();
    }
    options_.display555 = is555;
    HeadlessTest::SetUp();
    libraryState = LibraryState{};
    libraryState.fullScreen = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "DRAWTEST";
    RegisterClassA(&wc);
    libraryState.mainWindow =
        CreateWindowExA(0, "DRAWTEST", "t", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(oxDraw::Screen(640, 480, 1), 1);
    oxDraw::smokeState = RiseState{};
    oxDraw::fireState = RiseState{};
  }

  // Runs `f(row pointer, y)` over a locked surface; false if it cannot be locked.
  template <class F>
  static bool WithPixels(IDirectDrawSurface* s, F f) {
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    if (FAILED(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr))) return false;
    for (DWORD y = 0; y < d.dwHeight; y++)
      f(reinterpret_cast<uint16_t*>(static_cast<char*>(d.lpSurface) + y * d.lPitch), int(y), int(d.dwWidth));
    s->Unlock(d.lpSurface);
    return true;
  }
  static IDirectDrawSurface* Back() { return oxDraw::screen.back; }
  static IDirectDrawSurface* Of(int object) { return oxDraw::objects[object].surface; }

  // An object of w x h filled by `value(x, y)`.
  template <class F>
  int Picture(int w, int h, F value) {
    int n = oxDraw::CreateObject(w, h, 1);
    EXPECT_GT(n, 1);
    WithPixels(Of(n), [&](uint16_t* row, int y, int width) {
      for (int x = 0; x < width; x++) row[x] = y < h ? value(x, y) : 0;
    });
    return n;
  }
  int Solid(int w, int h, uint16_t v) {
    return Picture(w, h, [v](int, int) { return v; });
  }
  void FillBack(uint16_t v) {
    WithPixels(Back(), [v](uint16_t* row, int, int w) {
      for (int x = 0; x < w; x++) row[x] = v;
    });
  }
  template <class F>
  void PaintBack(F value) {
    WithPixels(Back(), [&](uint16_t* row, int y, int w) {
      for (int x = 0; x < w; x++) row[x] = value(x, y);
    });
  }
  uint16_t At(int x, int y) {
    uint16_t v = 0;
    WithPixels(Back(), [&](uint16_t* row, int r, int) {
      if (r == y) v = row[x];
    });
    return v;
  }
  std::vector<uint16_t> BackPixels() {
    std::vector<uint16_t> all;
    WithPixels(Back(), [&](uint16_t* row, int, int w) { all.insert(all.end(), row, row + w); });
    return all;
  }
  int CountBack(uint16_t v) {
    int n = 0;
    for (uint16_t p : BackPixels()) n += p == v;
    return n;
  }
  static uint16_t White() { return uint16_t(oxDraw::pixelFormat.redMask | oxDraw::pixelFormat.greenMask |
                                            oxDraw::pixelFormat.blueMask); }
  static uint16_t Rgb(int r, int g, int b) {
    const PixelFormatInfo& f = oxDraw::pixelFormat;
    return uint16_t((r << f.redShift) | (g << f.greenShift) | (b << f.blueShift));
  }
};

}  // namespace draw_test
