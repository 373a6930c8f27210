// The screen: DirectDraw set-up (16-bit surfaces, converted when shown on a deeper display), the pixel format, the sine table, the clip rectangle,
// the teardown and the colour-depth check.
#include <cmath>
#include <cstring>

#include "ox.h"
#include "pixels.h"

namespace oxDraw {

ScreenState screen;
PixelFormatInfo pixelFormat;
int SineTable[kSineCount];
RECT ClipRect;

namespace {

constexpr const char* kScreen = "oxDraw::Screen";
// Used for a width of -1: the library's own screen size.
constexpr int kDefaultWidth = 640, kDefaultHeight = 480;
// The table is made with this value of pi; with it, sin(210) x 360 truncates to -179 as sin(30) x 360 to 179.
constexpr double kPi = 3.14159265;

int Fail(const char* message, HRESULT result) { return oxSystem::ErrorMessage(kScreen, message, DWORD(result)); }

BOOL CALLBACK FindAcceleratorDevice(GUID* guid, LPSTR, LPSTR, LPVOID context) {
  IDirectDraw** chosen = static_cast<IDirectDraw**>(context);
  if (!guid) {
    screen.useAccelerator = 0;
    return DDENUMRET_OK;
  }
  IDirectDraw* candidate = nullptr;
  if (FAILED(DirectDrawCreate(guid, &candidate, nullptr)) || !candidate) {
    screen.useAccelerator = 0;
    return DDENUMRET_OK;
  }
  DDCAPS hardware, emulation;
  std::memset(&hardware, 0, sizeof hardware);
  std::memset(&emulation, 0, sizeof emulation);
  hardware.dwSize = emulation.dwSize = sizeof(DDCAPS);
  candidate->GetCaps(&hardware, &emulation);
  if ((hardware.dwCaps & DDCAPS_3D) && (hardware.ddsCaps.dwCaps & DDSCAPS_TEXTURE)) {
    *chosen = candidate;
    screen.useAccelerator = 1;
    return DDENUMRET_CANCEL;
  }
  *chosen = nullptr;
  candidate->Release();
  screen.useAccelerator = 0;
  return DDENUMRET_OK;
}

int TrailingZeros(DWORD mask) {
  if (mask == 0) return 0;
  int n = 0;
  while (!(mask & 1)) {
    mask >>= 1;
    ++n;
  }
  return n;
}

IDirectDrawSurface* CreatePlain(int width, int height, DWORD placement, HRESULT* result) {
  return pixels::CreatePlainSurface(screen.ddraw, width, height, DDSCAPS_OFFSCREENPLAIN | placement, result);
}

// Objects 0 and 1: screen-sized, keyed black, nameless.
bool CreateWorkObject(int object, DWORD placement, HRESULT* result) {
  IDirectDrawSurface* surface = CreatePlain(screen.width, screen.height, placement, result);
  if (!surface) return false;
  objects[object].surface = surface;
  objects[object].name[0] = '\0';
  SetSurfaceKey(surface, 0);
  objects[object].colorKey = 0;
  return true;
}

}  // namespace

void ReadPixelFormat(const DDPIXELFORMAT& f, PixelFormatInfo* info) {
  info->redMask = f.dwRBitMask;
  info->greenMask = f.dwGBitMask;
  info->blueMask = f.dwBBitMask;
  info->redShift = TrailingZeros(f.dwRBitMask);
  info->greenShift = TrailingZeros(f.dwGBitMask);
  info->blueShift = TrailingZeros(f.dwBBitMask);
  info->redMax = int(f.dwRBitMask >> info->redShift);
  info->greenMax = int(f.dwGBitMask >> info->greenShift);
  info->blueMax = int(f.dwBBitMask >> info->blueShift);
  info->halfMask = (DWORD(info->redMax >> 1) << info->redShift) | (DWORD(info->greenMax >> 1) << info->greenShift) |
                   (DWORD(info->blueMax >> 1) << info->blueShift);
}

void FillSineTable(int* table) {
  for (int i = 0; i < kSineCount; ++i) table[i] = int(std::sin(2.0 * kPi * i / 360.0) * 360.0);
}

int Screen(int width, int height, int memoryMode) {
  LibraryState& s = libraryState;
  if (width == -1) {
    width = kDefaultWidth;
    height = kDefaultHeight;
  }
  screen.width = width;
  screen.height = height;
  SetClip(0, 0, width, height);

  DirectDrawEnumerateA(FindAcceleratorDevice, &screen.ddraw);
  HRESULT r;
  if (!screen.ddraw) {
    r = DirectDrawCreate(nullptr, &screen.ddraw, nullptr);
    if (FAILED(r)) {
      screen.ddraw = nullptr;
      return Fail("DirectDrawが使用できません", r);
    }
  }
  DWORD placement = (memoryMode == 1 || memoryMode == 3) ? 0 : DDSCAPS_SYSTEMMEMORY;

  r = screen.ddraw->SetCooperativeLevel(s.mainWindow, s.fullScreen == 1
                                                         ? DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE
                                                         : DDSCL_NORMAL);
  if (FAILED(r)) return Fail("フルスクリーン化できません", r);

  if (s.fullScreen == 1) {
    r = screen.ddraw->SetDisplayMode(DWORD(width), DWORD(height), DWORD(screen.colorBits));
    if (FAILED(r) && screen.colorBits == 32) {
      screen.colorBits = 24;
      r = screen.ddraw->SetDisplayMode(DWORD(width), DWORD(height), 24);
    }
    if (FAILED(r)) return Fail("解像度が変更できません", r);
  }

  bool chain = s.fullScreen == 1 && screen.useAccelerator == 1;
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  if (chain) {
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    desc.dwBackBufferCount = 1;
  } else {
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | placement;
  }
  r = screen.ddraw->CreateSurface(&desc, &screen.front, nullptr);
  if (FAILED(r)) {
    screen.front = nullptr;
    return Fail("スプライト(Front)が生成できません", r);
  }

  // The library draws 16-bit pixels. On a display of another depth (a window on a 24- or 32-bit desktop)
  // its surfaces stay 16-bit and each frame is converted once, into a surface of the display's format.
  DDPIXELFORMAT display;
  std::memset(&display, 0, sizeof display);
  display.dwSize = sizeof display;
  if (SUCCEEDED(screen.front->GetPixelFormat(&display)) && display.dwRGBBitCount != 16) {
    bool convertible = (display.dwFlags & DDPF_RGB) && (display.dwRGBBitCount == 24 || display.dwRGBBitCount == 32);
    if (chain || !convertible) return Fail("画面の色数に対応していません", DDERR_INVALIDPIXELFORMAT);
    screen.shown = CreatePlain(width, height, placement, &r);
    if (!screen.shown) return Fail("スプライト(Back)が取得できません", r);
  }

  if (chain) {
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    r = screen.front->GetAttachedSurface(&caps, &screen.back);
  } else {
    screen.back = CreatePlain(width, height, placement, &r);
  }
  if (FAILED(r) || !screen.back) {
    screen.back = nullptr;
    return Fail("スプライト(Back)が取得できません", r);
  }

  if (s.windowOptions & 1) {
    r = screen.ddraw->CreateClipper(0, &screen.clipper, nullptr);
    if (FAILED(r)) {
      screen.clipper = nullptr;
      return Fail("クリップが生成できません", r);
    }
    r = screen.clipper->SetHWnd(0, s.mainWindow);
    if (FAILED(r)) return Fail("クリップにウィンドウハンドルを設定できません", r);
    r = screen.front->SetClipper(screen.clipper);
    if (FAILED(r)) return Fail("スプライト(Front)をクリップできません", r);
  }

  if (memoryMode == 3) placement = DDSCAPS_SYSTEMMEMORY;
  if (!CreateWorkObject(0, placement, &r)) return Fail("スプライト(Buffer)が生成できません", r);
  if (!CreateWorkObject(1, placement, &r)) return Fail("スプライト(Screen)が生成できません", r);

  DDCAPS hardware, emulation;
  std::memset(&hardware, 0, sizeof hardware);
  std::memset(&emulation, 0, sizeof emulation);
  hardware.dwSize = emulation.dwSize = sizeof(DDCAPS);
  screen.ddraw->GetCaps(&hardware, &emulation);
  DWORD caps = screen.useAccelerator == 1 ? hardware.dwCaps : emulation.dwCaps;
  screen.canStretch = (caps & DDCAPS_BLTSTRETCH) ? 1 : 0;

  DDPIXELFORMAT format;
  std::memset(&format, 0, sizeof format);
  format.dwSize = sizeof format;
  r = screen.back->GetPixelFormat(&format);
  if (FAILED(r)) return Fail("ピクセル情報が取得できません", r);
  ReadPixelFormat(format, &pixelFormat);

  FillSineTable(SineTable);
  for (int i = 2; i < kObjectCount; ++i) objects[i] = ObjectSlot{};
  scrollPage.pageObject = 0;
  scrollPage.tileObject = 0;

  oxSound::Init();
  oxSound::ClearObjects();
  oxSound::InitMidi();
  oxSystem::ResetWaits();
  oxSystem::AllocFontRecord();
  oxSystem::InitJoystick();
  if (s.confineCursor) oxSystem::ClipCursorToWindow();
  return 1;
}

void SetClip(int left, int top, int right, int bottom) { ClipRect = RECT{left, top, right, bottom}; }

void ReleaseAll() {
  LibraryState& s = libraryState;
  if (screen.ddraw) {
    for (ObjectSlot& o : objects) {
      if (!o.surface) continue;
      o.surface->Release();
      o.surface = nullptr;
      o.name[0] = '\0';
      o.colorKey = 0;
    }
    if (screen.front) screen.front->Release();
    // The separate back surface is given back too, not left to the DirectDraw object.
    if (screen.back) screen.back->Release();
    if (screen.shown) screen.shown->Release();
    screen.front = screen.back = screen.shown = nullptr;
    if (screen.clipper) {
      screen.clipper->Release();
      screen.clipper = nullptr;
    }
    if (s.fullScreen == 1) {
      screen.ddraw->RestoreDisplayMode();
      screen.ddraw->SetCooperativeLevel(s.mainWindow, DDSCL_NORMAL);
    }
    screen.ddraw->Release();
    screen.ddraw = nullptr;
  }
  CloseWindow(s.mainWindow);
}

void Use32BitColor() { screen.colorBits = 32; }

int GetDesktopBits() {
  HDC dc = GetDC(libraryState.mainWindow);
  int bits = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(libraryState.mainWindow, dc);
  return bits;
}

int IsWindowed() { return libraryState.fullScreen == 0 ? 1 : 0; }

int CheckColorDepth(const char* settingFile) {
  int n;
  switch (screen.colorBits) {
    case 8: n = 1; break;
    case 16: n = 2; break;
    case 24:
    case 32: n = 3; break;
    default: n = 0; break;
  }
  if (n == 0 || libraryState.fullScreen || GetDesktopBits() >= screen.colorBits) return 1;
  static const char* const kNames[] = {"16", "256", "65536", "1670万"};
  oxSystem::Message(
      "　ウィンドウ状態で実行しようとしていますが、"
      "画面が%s色以下に設定されています。\n"
      "正しく動作させるには、%s色以上に設定するか、"
      "フルスクリーンで実行させて下さい。",
      oxSystem::Text(kNames[n - 1]), oxSystem::Text(kNames[n]));
  const char* file = settingFile ? settingFile : "";
  const char* question = nullptr;
  if (file[0] == '\0')
    question = nullptr;
  else if (std::strcmp(file, "*") == 0)
    question = "フルスクリーンに切り換えますか？";
  else
    question = "フルスクリーンに設定し直しますか？";
  if (question && oxSystem::YesNoMessage("%s", oxSystem::Text(question))) {
    if (std::strcmp(file, "*") != 0) oxSystem::WriteValue(file, 1);
    libraryState.fullScreen = 1;
    return 1;
  }
  oxSystem::Shutdown();
  return 0;
}

}  // namespace oxDraw
