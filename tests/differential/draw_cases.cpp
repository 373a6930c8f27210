// The drawing cases: a fixed list of calls covering every drawing operation of the library, each drawn into
// the back surface from the same starting picture and dumped as its 5-6-5 pixels. The same program runs on
// the headless host and, built for Windows, under a real implementation of the Windows API; compare_cases.py
// compares the dumps. Usage: draw_cases [-window] (the dump goes to draw-cases.bin in the current directory).
//
// A dump is "OXCASES 1\n", then per case a line "case NAME KIND N V1 .. VN W H\n" and W x H little-endian
// 16-bit pixels; KIND is "pixels" (compared pixel for pixel) or "text" (compared by position, box and
// colour), the V are numbers the case measured (compared exactly).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ox.h"

namespace {

constexpr int kW = 640, kH = 480;

FILE* out = nullptr;
int sprite = 0;     // 128 x 128, colourful, black (the key) round its edges
int backdrop = 0;   // a screen-sized picture
int pattern = 0;    // the fade pattern of transition kind 0: ten 64 x 48 frames side by side

uint16_t Rgb(int r, int g, int b) { return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)); }

// Writes `value(x, y)` into every pixel of a surface; false when it cannot be locked.
template <class F>
bool Paint(IDirectDrawSurface* s, F value) {
  DDSURFACEDESC d;
  std::memset(&d, 0, sizeof d);
  d.dwSize = sizeof d;
  if (!s || FAILED(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr))) return false;
  for (DWORD y = 0; y < d.dwHeight; ++y) {
    uint16_t* row = reinterpret_cast<uint16_t*>(static_cast<char*>(d.lpSurface) + y * d.lPitch);
    for (DWORD x = 0; x < d.dwWidth; ++x) row[x] = value(int(x), int(y));
  }
  s->Unlock(d.lpSurface);
  return true;
}

// The starting picture of every case: a gradient with a grid, so that blends and clipping show.
void Start() {
  oxDraw::SetClip(0, 0, kW, kH);
  oxDraw::wipe = WipeState{};
  oxDraw::transition.step = 0;
  oxDraw::transition.direction = 0;
  libraryState.FrameTime = 0.05f;
  std::srand(7);
  Paint(oxDraw::screen.back, [](int x, int y) {
    if (x % 80 == 0 || y % 60 == 0) return Rgb(200, 200, 200);
    return Rgb(x * 255 / kW, 64 + y * 128 / kH, 255 - x * 255 / kW);
  });
}

void Dump(const std::string& name, const char* kind, const std::vector<int>& values = {}) {
  DDSURFACEDESC d;
  std::memset(&d, 0, sizeof d);
  d.dwSize = sizeof d;
  std::fprintf(out, "case %s %s %d", name.c_str(), kind, int(values.size()));
  for (int v : values) std::fprintf(out, " %d", v);
  if (FAILED(oxDraw::screen.back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr))) {
    std::fprintf(out, " 0 0\n");
    return;
  }
  std::fprintf(out, " %d %d\n", int(d.dwWidth), int(d.dwHeight));
  std::vector<unsigned char> row(d.dwWidth * 2);
  for (DWORD y = 0; y < d.dwHeight; ++y) {
    const uint16_t* p = reinterpret_cast<const uint16_t*>(static_cast<char*>(d.lpSurface) + y * d.lPitch);
    for (DWORD x = 0; x < d.dwWidth; ++x) row[2 * x] = (unsigned char)(p[x] & 0xFF), row[2 * x + 1] = (unsigned char)(p[x] >> 8);
    std::fwrite(row.data(), 1, row.size(), out);
  }
  oxDraw::screen.back->Unlock(d.lpSurface);
}

template <class F>
void Case(const std::string& name, F draw) {
  Start();
  draw();
  Dump(name, "pixels");
}

// ---- Pictures written as BMP files, then loaded by the library ----

struct Bmp {
  std::string bytes;
  void U8(int v) { bytes.push_back(char(v)); }
  void U16(int v) { U8(v & 0xFF), U8((v >> 8) & 0xFF); }
  void U32(uint32_t v) { U16(int(v & 0xFFFF)), U16(int(v >> 16)); }
};

constexpr int kPicW = 41, kPicH = 30;

// The picture's colour at (x, y) as 0xRRGGBB; palettes take the index x / 3 + y / 5 * 3.
uint32_t PictureColour(int x, int y) { return uint32_t((x * 6) << 16 | (y * 8) << 8 | ((x + y) * 3)); }
int PictureIndex(int x, int y, int colours) { return (x / 3 + (y / 5) * 3) % colours; }
uint32_t PaletteColour(int i) { return uint32_t(((i * 37) & 0xFF) << 16 | ((i * 91 + 40) & 0xFF) << 8 | ((255 - i * 13) & 0xFF)); }

// A BMP of `bits` per pixel; compression 1 and 2 are RLE8 and RLE4, 3 the 5-6-5 bit fields; a negative
// height stores the top row first.
std::string MakeBmp(int bits, int compression, bool topDown) {
  int colours = bits <= 8 ? 1 << bits : 0;
  Bmp pixels;
  const int rowBytes = ((kPicW * bits + 31) / 32) * 4;
  for (int k = 0; k < kPicH; ++k) {
    int y = topDown ? k : kPicH - 1 - k;
    if (compression == 1 || compression == 2) {
      // Runs of one index, at most 12 long, then the end of the line.
      for (int x = 0; x < kPicW;) {
        int i = PictureIndex(x, y, colours), n = 1;
        while (x + n < kPicW && n < 12 && PictureIndex(x + n, y, colours) == i) ++n;
        pixels.U8(n);
        pixels.U8(compression == 2 ? (i << 4 | i) : i);
        x += n;
      }
      pixels.U8(0), pixels.U8(0);
      continue;
    }
    size_t start = pixels.bytes.size();
    if (bits < 8) {
      for (int x = 0; x < kPicW; x += 8 / bits) {
        int byte = 0;
        for (int j = 0; j < 8 / bits; ++j)
          if (x + j < kPicW) byte |= PictureIndex(x + j, y, colours) << (8 - bits * (j + 1));
        pixels.U8(byte);
      }
    } else {
      for (int x = 0; x < kPicW; ++x) {
        uint32_t c = PictureColour(x, y);
        int r = int(c >> 16), g = int((c >> 8) & 0xFF), b = int(c & 0xFF);
        if (bits == 8) pixels.U8(PictureIndex(x, y, colours));
        else if (bits == 16 && compression == 3) pixels.U16((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
        else if (bits == 16) pixels.U16((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
        else if (bits == 24) pixels.U8(b), pixels.U8(g), pixels.U8(r);
        else pixels.U32(c);
      }
    }
    while (pixels.bytes.size() - start < size_t(rowBytes)) pixels.U8(0);
  }
  if (compression == 1 || compression == 2) pixels.U8(0), pixels.U8(1);
  const int masks = compression == 3 ? 12 : 0;
  const int offset = 14 + 40 + masks + colours * 4;
  Bmp f;
  f.U8('B'), f.U8('M');
  f.U32(uint32_t(offset + pixels.bytes.size()));
  f.U32(0);
  f.U32(uint32_t(offset));
  f.U32(40);
  f.U32(kPicW);
  f.U32(uint32_t(topDown ? -kPicH : kPicH));
  f.U16(1);
  f.U16(bits);
  f.U32(uint32_t(compression));
  f.U32(uint32_t(pixels.bytes.size()));
  f.U32(2835), f.U32(2835);
  f.U32(uint32_t(colours)), f.U32(0);
  if (compression == 3) f.U32(0xF800), f.U32(0x07E0), f.U32(0x001F);
  for (int i = 0; i < colours; ++i) {
    uint32_t c = PaletteColour(i);
    f.U8(int(c & 0xFF)), f.U8(int((c >> 8) & 0xFF)), f.U8(int(c >> 16)), f.U8(0);
  }
  return f.bytes + pixels.bytes;
}

bool WriteFile(const std::string& name, const std::string& bytes) {
  std::string path = std::string(oxSystem::GetPath(0)) + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// ---- The cases ----

void Blits() {
  Case("blit-keyed", [] {
    oxDraw::DrawObject(20, 20, sprite, 0, 0, 128, 128);
    oxDraw::DrawObject(-40, 400, sprite, 0, 0, 128, 128);   // cut on the left and bottom
    oxDraw::DrawObject(580, -30, sprite, 10, 10, 128, 128); // cut on the right and top
  });
  Case("blit-solid", [] {
    oxDraw::DrawObjectSolid(100, 100, sprite, 16, 8, 120, 100);
    oxDraw::SetClip(50, 40, 300, 250);
    oxDraw::DrawObjectSolid(200, 200, sprite, 0, 0, 128, 128);
  });
  Case("blit-empty-source", [] { oxDraw::DrawObject(30, 30, sprite, 40, 40, 40, 90); });
  Case("fills", [] {
    oxDraw::ClearRect(10, 10, 200, 100);
    oxDraw::WhiteRect(300, 50, 420, 300);
    oxDraw::SetClip(0, 0, 320, 240);
    oxDraw::WhiteScreen();
  });
  Case("clear-screen", [] { oxDraw::ClearScreen(); });
  int n = 0;
  for (int w : {256, 200, 64, 37}) {
    int h = w * 3 / 4;
    Case("stretch-" + std::to_string(n++), [w, h] { oxDraw::DrawObjectStretch(30, 40, sprite, 0, 0, 128, 128, w, h); });
  }
  for (int flip : {1, 2, 3})
    Case("mirror-" + std::to_string(flip), [flip] { oxDraw::DrawObjectMirror(50, 60, flip, sprite, 0, 0, 128, 100); });
  Case("wave", [] {
    oxDraw::WaveObject(0, 0, 24, 4, 180.0f, backdrop, 0, 0, kW, kH, 0);
    oxDraw::WaveObject(300, 200, 10, 2, 90.0f, sprite, 0, 0, 128, 128, 1);
  });
  Case("tile-scroll", [] { oxDraw::TileScroll(-60.0f, -40.0f, sprite, 0, 0, 100, 100); });
  Case("wave-scroll", [] { oxDraw::WaveScrollObject(40, 30, 12.0f, 3.0f, 120.0f, 40.0f, sprite, 0, 0, 128, 128); });
  Case("wave-tile", [] { oxDraw::WaveTileBackground(50.0f, 400.0f, 8.0f, 2.0f, 100.0f, 30.0f, sprite, 0, 0, 100, 100); });
  for (int block : {2, 5, 9})
    Case("mosaic-" + std::to_string(block), [block] { oxDraw::MosaicObject(100, 100, block, sprite, 0, 0, 128, 128); });
  for (int step : {2, 3, -4})
    Case("scanline-" + std::to_string(step + 4), [step] { oxDraw::ScanlineObject(100, 100, step, sprite, 0, 0, 128, 128); });
  Case("jitter", [] { oxDraw::JitterObject(200, 100, 6, sprite, 0, 0, 128, 128); });
  for (int dir : {0, 1, 2, 3})
    Case("roll-" + std::to_string(dir), [dir] { oxDraw::RollObject(200, 100, dir, 60.0f, sprite, 0, 0, 128, 128); });
}

void Effects() {
  Case("half", [] { oxDraw::DrawObjectHalf(100, 100, sprite, 0, 0, 128, 128); });
  for (float a : {0.0f, 0.3f, 0.75f, 1.0f})
    Case("alpha-" + std::to_string(int(a * 100)), [a] { oxDraw::DrawObjectAlpha(100, 100, a, sprite, 0, 0, 128, 128); });
  Case("alpha-rgb", [] { oxDraw::DrawObjectAlphaRGB(100, 100, 1.0f, 0.2f, 0.6f, sprite, 0, 0, 128, 128); });
  Case("add", [] { oxDraw::DrawObjectAdd(100, 100, sprite, 0, 0, 128, 128); });
  Case("subtract", [] { oxDraw::DrawObjectSubtract(100, 100, sprite, 0, 0, 128, 128); });
  Case("mask", [] {
    oxDraw::DrawObjectMask(20, 100, 1, 0, 0, sprite, 0, 0, 128, 128);
    oxDraw::DrawObjectMask(170, 100, 0, 1, 1, sprite, 0, 0, 128, 128);
  });
  for (float f : {0.4f, 1.5f})
    Case("bright-" + std::to_string(int(f * 10)), [f] { oxDraw::DrawObjectBright(100, 100, f, sprite, 0, 0, 128, 128); });
  Case("bright-rgb", [] { oxDraw::DrawObjectBrightRGB(100, 100, 1.2f, 0.5f, 0.8f, sprite, 0, 0, 128, 128); });
  for (int size : {1, 3, 6})
    Case("blur-" + std::to_string(size), [size] { oxDraw::DrawObjectBlur(100, 100, size, sprite, 0, 0, 128, 128); });
  Case("gray", [] { oxDraw::DrawObjectGray(100, 100, sprite, 0, 0, 128, 128); });
  Case("ripple", [] { oxDraw::DrawObjectRipple(40, 20, 30, 12, 1, 1.0f, 0.1f, backdrop, 0, 0, 560, 400); });
  for (int angle : {0, 30, 45, 90, 200, 359})
    Case("rotate-" + std::to_string(angle),
         [angle] { oxDraw::DrawObjectRotate(100, 80, 400, 380, angle, sprite, 0, 0, 128, 128); });
  for (int angle : {0, 17, 135})
    Case("rotate-tile-" + std::to_string(angle),
         [angle] { oxDraw::DrawObjectRotateTile(0, 0, kW, kH, angle, sprite, 0, 0, 128, 128); });
  for (float zoom : {0.5f, 1.0f, 1.7f, 3.0f})
    for (int angle : {20, 270})
      Case("rotate-zoom-" + std::to_string(int(zoom * 10)) + "-" + std::to_string(angle),
           [zoom, angle] { oxDraw::DrawObjectRotateZoom(60, 40, 460, 440, angle, zoom, sprite, 0, 0, 128, 128); });
  for (float zoom : {0.6f, 2.2f})
    Case("rotate-zoom-tile-" + std::to_string(int(zoom * 10)),
         [zoom] { oxDraw::DrawObjectRotateZoomTile(0, 0, kW, kH, 33, zoom, sprite, 0, 0, 128, 128); });
  Case("floor", [] {
    oxDraw::DrawObjectFloor(0, 240, kW, kH, 15, 0.5f, 0.01f, 1.0f, 0.02f, 1.0f, 0.8f, 0.6f, sprite, 0, 0, 128, 128);
  });
}

void Filters() {
  Case("soften", [] { oxDraw::SoftenRect(50, 50, 300, 200); });
  Case("fade", [] { oxDraw::FadeRect(2, 4, 1, 0, 0, kW, kH); });
  Case("smoke", [] {
    for (int i = 0; i < 5; ++i) oxDraw::SmokeRect(100, 100, 200, 200);
  });
  Case("fire", [] {
    for (int i = 0; i < 5; ++i) oxDraw::FireRect(1, 3, 5, 100, 100, 200, 200);
  });
  for (int mode : {0, 1}) {
    Case("zoom2-" + std::to_string(mode), [mode] { oxDraw::Zoom2(100, 100, 120, 90, mode); });
    Case("zoom4-" + std::to_string(mode), [mode] { oxDraw::Zoom4(100, 100, 60, 50, mode); });
  }
}

void Primitives() {
  Case("pixels", [] {
    for (int i = 0; i < 200; ++i) oxDraw::SetPixel(10 + i * 3, 10 + (i * 7) % 300, RGB(i, 255 - i, i * 3 % 256));
  });
  // Thin lines in every octant, with exact midpoints (the diamond rule), then wider pens.
  Case("lines-thin", [] {
    const int ends[][2] = {{100, 30}, {100, -30}, {-100, 30}, {-100, -30}, {30, 100}, {-30, 100},
                           {30, -100}, {-30, -100}, {100, 0}, {0, 100}, {60, 60}, {-60, 60}, {7, 3}, {-9, 2}};
    int k = 0;
    for (auto& e : ends) {
      int x = 160 + (k % 4) * 120, y = 120 + (k / 4) * 80;
      oxDraw::Line(x, y, x + e[0], y + e[1], RGB(255, 255 * (k & 1), 40 * k % 256), 1);
      ++k;
    }
    oxDraw::Line(600, 100, 700, 130, RGB(0, 0, 0), 1);
  });
  for (int width : {2, 3, 5, 8})
    Case("lines-" + std::to_string(width), [width] {
      oxDraw::Line(50, 50, 590, 400, RGB(255, 0, 0), width);
      oxDraw::Line(50, 400, 300, 60, RGB(0, 255, 0), width);
      oxDraw::Line(320, 240, 320, 240, RGB(255, 255, 0), width * 4);
    });
  for (int width : {1, 2, 4})
    Case("rectangle-" + std::to_string(width), [width] {
      oxDraw::Rectangle(40, 30, 300, 200, RGB(0, 128, 255), RGB(255, 255, 255), width);
      oxDraw::Rectangle(350, 250, 351, 251, RGB(255, 0, 0), RGB(0, 255, 0), width);
    });
  const POINT star[] = {{320, 20}, {380, 200}, {560, 200}, {410, 300}, {470, 460}, {320, 360},
                        {170, 460}, {230, 300}, {80, 200}, {260, 200}};
  for (int fill : {0, 1, 2})
    for (int width : {1, 3})
      Case("polygon-" + std::to_string(fill) + "-" + std::to_string(width),
           [&star, fill, width] { oxDraw::Polygon(star, 10, RGB(255, 200, 0), RGB(0, 0, 90), width, fill); });
  const POINT curve[] = {{40, 400}, {200, 20}, {440, 460}, {600, 60}, {620, 300}, {300, 300}, {100, 200}};
  for (int width : {1, 4})
    Case("bezier-" + std::to_string(width), [&curve, width] { oxDraw::Bezier(curve, 7, RGB(0, 255, 128), width); });
  Case("invert", [] {
    oxDraw::InvertRect(100, 100, 400, 300);
    oxDraw::InvertRect(200, 150, 250, 400);
  });
  // Through the program's own DC: every hatch, from a shifted shape, and the stretch modes.
  Case("hatches", [] {
    if (FAILED(oxDraw::GetDC())) return;
    HDC dc = oxDraw::programDC.dc;
    SetBkColor(dc, RGB(0, 0, 64));
    for (int style = HS_HORIZONTAL; style <= HS_DIAGCROSS; ++style) {
      HBRUSH b = CreateHatchBrush(style, RGB(255, 255, 0));
      HGDIOBJ old = SelectObject(dc, b);
      SetBkMode(dc, style % 2 ? TRANSPARENT : OPAQUE);
      ::Rectangle(dc, 13 + style * 100, 37, 101 + style * 100, 133);
      ::Rectangle(dc, 5 + style * 100, 200 + style, 90 + style * 100, 290);
      SelectObject(dc, old);
      DeleteObject(b);
    }
    oxDraw::ReleaseDC();
  });
  // Every pen style the program's DC can select, thin and wide, on lines and rectangles.
  for (int width : {1, 4})
    Case(width == 1 ? "pens-thin" : "pens-wide", [width] {
      if (FAILED(oxDraw::GetDC())) return;
      HDC dc = oxDraw::programDC.dc;
      SelectObject(dc, GetStockObject(NULL_BRUSH));
      for (int style = PS_SOLID; style <= PS_INSIDEFRAME; ++style) {
        HPEN pen = CreatePen(style, width, RGB(255, 40 * style, 255 - 40 * style));
        HGDIOBJ old = SelectObject(dc, pen);
        int x = 20 + style * 88, y = 40;
        MoveToEx(dc, x, y, nullptr);
        LineTo(dc, x + 70, y + 150);
        ::Rectangle(dc, x, y + 160, x + 80, y + 200);
        SelectObject(dc, old);
        DeleteObject(pen);
      }
      oxDraw::ReleaseDC();
    });
  Case("stretch-modes", [] {
    if (FAILED(oxDraw::GetDC())) return;
    HDC dc = oxDraw::programDC.dc;
    const int modes[] = {0, BLACKONWHITE, WHITEONBLACK, COLORONCOLOR};
    for (int i = 0; i < 4; ++i) {
      if (modes[i]) SetStretchBltMode(dc, modes[i]);
      StretchBlt(dc, 10 + i * 150, 300, 140, 90, dc, 0, 0, 640, 240, SRCCOPY);  // a shrink of the upper half
    }
    oxDraw::ReleaseDC();
  });
}

void Texts() {
  const char* latin = "Radire 0123 The quick brown fox jumps.";
  const char* japanese = "全角の文字と半角ｶﾀｶﾅ、ABC";
  const char* paragraph =
      "長い段落は枠の幅で折り返される。The wrap follows the width of the box, word by word, "
      "and a long line of Japanese text breaks between characters.";
  int n = 0;
  for (int face : {0, 1})
    for (int height : {12, 16, 20, 24, 32}) {
      std::string name = "text-" + std::to_string(face) + "-" + std::to_string(height);
      Start();
      oxDraw::SetFont(face, height, 0, 0, 0, 0);
      SIZE full = {0, 0}, half = {0, 0};
      if (oxDraw::textContext.dc) {
        GetTextExtentPoint32A(oxDraw::textContext.dc, "国", 2, &full);
        GetTextExtentPoint32A(oxDraw::textContext.dc, "A", 1, &half);
      }
      oxDraw::SetTextColor(RGB(255, 255, 255), RGB(0, 0, 128), 0);
      oxDraw::TextOut(10, 10, latin);
      oxDraw::TextOut(10, 10 + height + 4, japanese);
      oxDraw::SetTextColor(RGB(255, 255, 0), 0, 1);
      oxDraw::TextOut(10, 20 + 2 * height + 4, japanese);
      int lines = oxDraw::MeasureText(10, 200, 330, 480, paragraph);
      RECT measured = oxDraw::TextRect;
      oxDraw::DrawText(10, 200, 330, 480, paragraph, 0);
      oxDraw::DrawText(330, 200, 630, 480, japanese, 2);
      oxDraw::EndText();
      Dump(name, "text", {int(full.cx), int(half.cx), int(full.cy), lines, int(measured.right - measured.left),
                          int(measured.bottom - measured.top)});
      ++n;
    }
  Start();
  oxDraw::SetFont(1, 24, 0, 1, 0, 0);
  oxDraw::SetTextColor(RGB(0, 255, 0), 0, 1);
  oxDraw::TextOut(10, 10, latin);
  oxDraw::SetFont(1, 24, 0, 0, 1, 1);
  oxDraw::SetTextColor(RGB(255, 128, 0), 0, 1);
  oxDraw::TextOut(10, 60, japanese);
  oxDraw::EndText();
  Dump("text-styles", "text");
  Start();
  oxDraw::SetFont(1, 20, 30, 0, 0, 0);
  oxDraw::SetTextColor(RGB(255, 255, 255), 0, 1);
  oxDraw::TextOut(200, 300, japanese);
  oxDraw::EndText();
  Dump("text-angle", "text");
  Start();
  oxDraw::Printf(8, 8, "Printf %d %s", 42, "全角");
  oxDraw::PrintText(8, 40, "PrintText ｶﾅ");
  Dump("text-print", "text");
  (void)n;
}

void Transitions() {
  for (int kind = 0; kind <= 12; ++kind)
    for (int step : {1, 4, 9}) {
      Start();
      oxDraw::CaptureScreen(1, 0, 0, kW, kH);
      oxDraw::DrawObjectSolid(0, 0, backdrop, 0, 0, kW, kH);
      oxDraw::transition.kind = kind;
      oxDraw::transition.length = 10;
      oxDraw::transition.patternObject = pattern;
      oxDraw::transition.step = step;
      oxDraw::transition.direction = 1;
      oxDraw::Flip();
      Dump("transition-" + std::to_string(kind) + "-" + std::to_string(step), "pixels");
    }
  for (int closing : {0, 1})
    for (int kind = 1; kind <= 9; ++kind) {
      Start();
      oxDraw::SetClip(20, 20, 620, 460);
      oxDraw::StartWipe(closing, kind, 800.0f, 60);
      for (int i = 0; i < 3; ++i) oxDraw::StepWipe();
      oxDraw::DrawObjectSolid(0, 0, backdrop, 0, 0, kW, kH);
      RECT c = oxDraw::ClipRect;
      oxDraw::SetClip(0, 0, kW, kH);
      Dump("wipe-" + std::to_string(closing) + "-" + std::to_string(kind), "pixels",
           {int(c.left), int(c.top), int(c.right), int(c.bottom)});
    }
}

void Pictures() {
  struct Kind {
    const char* name;
    int bits, compression;
    bool topDown;
  } kinds[] = {{"bmp-1", 1, 0, false},   {"bmp-4", 4, 0, false},   {"bmp-rle4", 4, 2, false},
               {"bmp-8", 8, 0, false},   {"bmp-rle8", 8, 1, false}, {"bmp-16", 16, 0, false},
               {"bmp-565", 16, 3, false}, {"bmp-24", 24, 0, false}, {"bmp-32", 32, 0, false},
               {"bmp-24-topdown", 24, 0, true}};
  for (const Kind& k : kinds) {
    std::string file = std::string("CASE-") + k.name + ".BMP";
    bool written = WriteFile(file, MakeBmp(k.bits, k.compression, k.topDown));
    Start();
    oxDraw::SetKeyColor(RGB(255, 0, 255));
    int object = written ? oxDraw::LoadObject(file.c_str(), 1) : 0;
    if (object) {
      oxDraw::DrawObject(10, 10, object, 0, 0, kPicW, kPicH);
      oxDraw::DrawObjectStretch(100, 10, object, 0, 0, kPicW, kPicH, kPicW * 4, kPicH * 4);
      oxDraw::ReleaseObject(object);
    }
    Dump(k.name, "pixels", {object != 0});
  }
  // The scroll page: a page taller than the screen over tiles.
  WriteFile("CASE-PAGE.BMP", MakeBmp(24, 0, false));
  WriteFile("CASE-TILE.BMP", MakeBmp(8, 0, false));
  Start();
  oxDraw::SetScrollPage("CASE-PAGE.BMP", "CASE-TILE.BMP", kPicH);
  oxDraw::ToggleScrollPage();
  oxDraw::Flip();
  oxDraw::ToggleScrollPage();
  Dump("scroll-page", "pixels");
}

// The wave sound objects: what the library and DirectSound answer for a loaded sound, played, with its
// volume, pan and frequency changed. Nothing is drawn; the numbers are the case.
void Sounds() {
  Bmp wave;  // 0.1 s of a 440 Hz square wave, 8-bit mono at 22050 Hz
  const int rate = 22050, n = rate / 10;
  wave.U8('R'), wave.U8('I'), wave.U8('F'), wave.U8('F');
  wave.U32(uint32_t(36 + n));
  for (char c : std::string("WAVEfmt ")) wave.U8(c);
  wave.U32(16), wave.U16(1), wave.U16(1), wave.U32(rate), wave.U32(rate), wave.U16(1), wave.U16(8);
  for (char c : std::string("data")) wave.U8(c);
  wave.U32(uint32_t(n));
  for (int i = 0; i < n; ++i) wave.U8((i * 880 / rate) % 2 ? 160 : 96);
  WriteFile("CASE-TONE.WAV", wave.bytes);
  Start();
  std::vector<int> v = {oxSound::soundState.available};
  int obj = oxSound::LoadObject("CASE-TONE.WAV", 2);
  v.push_back(obj);
  if (oxSound::soundState.available && obj >= 0 && obj < oxSound::SOUND_OBJECT_MAX) {
    oxSound::SoundObject& o = oxSound::soundObjects[obj];
    v.push_back(o.bufferCount);
    v.push_back(int(o.baseFrequency));
    oxSound::Play(obj, 0);
    oxSound::SetVolume(obj, -12, 0);
    oxSound::SetPan(obj, 25, 0);
    oxSound::SetFrequency(obj, 20, 0);
    oxSound::ChangeVolume(obj, 3, 1);
    oxSound::PanLeft(obj, 1);
    oxSound::ChangeFrequency(obj, -50, 1);
    for (int k = 0; k < 2; ++k) {
      LONG volume = 1, pan = 1;
      DWORD frequency = 1;
      v.push_back(int(o.volume[k])), v.push_back(int(o.pan[k])), v.push_back(int(o.frequency[k]));
      if (o.buffer[k]) o.buffer[k]->GetVolume(&volume), o.buffer[k]->GetPan(&pan), o.buffer[k]->GetFrequency(&frequency);
      v.push_back(int(volume)), v.push_back(int(pan)), v.push_back(int(frequency));
    }
    oxSound::Stop(obj, 0);
    oxSound::ReleaseObject(obj);
  }
  Dump("sound", "pixels", v);
}

// What the front surface shows of the back after Flip, read back as 5-6-5: a 32-bit display is cut to its
// top bits, which gives back the 16-bit picture exactly when the presentation converted it right.
void Presentation() {
  Start();
  oxDraw::DrawObject(20, 20, sprite, 0, 0, 128, 128);
  oxDraw::Flip();
  IDirectDrawSurface* front = oxDraw::screen.front;
  DDSURFACEDESC d;
  std::memset(&d, 0, sizeof d);
  d.dwSize = sizeof d;
  std::vector<uint16_t> shown(size_t(kW) * kH, 0);
  int bits = 0;
  if (SUCCEEDED(front->Lock(nullptr, &d, DDLOCK_WAIT, nullptr))) {
    bits = int(d.ddpfPixelFormat.dwRGBBitCount);
    const int ox = oxDraw::IsWindowed() ? int(libraryState.clientOrigin.x) : 0;
    const int oy = oxDraw::IsWindowed() ? int(libraryState.clientOrigin.y) : 0;
    for (int y = 0; y < kH && oy + y < int(d.dwHeight); ++y) {
      const char* row = static_cast<const char*>(d.lpSurface) + (oy + y) * d.lPitch;
      for (int x = 0; x < kW && ox + x < int(d.dwWidth); ++x) {
        if (bits == 16) {
          shown[y * kW + x] = reinterpret_cast<const uint16_t*>(row)[ox + x];
        } else if (bits == 24 || bits == 32) {
          const unsigned char* p = reinterpret_cast<const unsigned char*>(row) + (ox + x) * (bits / 8);
          shown[y * kW + x] = Rgb(p[2], p[1], p[0]);
        }
      }
    }
    front->Unlock(d.lpSurface);
  }
  // The back is overwritten with what was shown, so that the dump holds it.
  Paint(oxDraw::screen.back, [&shown](int x, int y) { return shown[y * kW + x]; });
  Dump("presented", "pixels");
}

}  // namespace

void GameStartUp() {
  if (!oxDraw::Screen(kW, kH, 1)) return;
  out = std::fopen("draw-cases.bin", "wb");
  if (!out) {
    oxSystem::Message("draw-cases.bin cannot be written");
    oxSystem::Shutdown();
    return;
  }
  std::fprintf(out, "OXCASES 1\n");
  Start();
  Dump("start", "pixels");  // what the text cases' ink is told from
  sprite = oxDraw::CreateObject(128, 128, 1);
  Paint(oxDraw::objects[sprite].surface, [](int x, int y) {
    int dx = x - 64, dy = y - 64;
    if (dx * dx + dy * dy > 60 * 60) return uint16_t(0);
    return Rgb((x * 2) & 0xFF, (y * 2) & 0xFF, ((x ^ y) * 4) & 0xFF);
  });
  backdrop = oxDraw::CreateObject(kW, kH, 1);
  Paint(oxDraw::objects[backdrop].surface,
        [](int x, int y) { return ((x / 32 + y / 32) % 2) ? Rgb(250, 120, 30) : Rgb(20, 60, (x + y) % 256); });
  pattern = oxDraw::CreateObject(640, 48, 1);
  Paint(oxDraw::objects[pattern].surface,
        [](int x, int y) { return ((x % 64) / 8 + y / 6) % 10 < x / 64 ? uint16_t(0) : Rgb(255, 255, 255); });
  Blits();
  Effects();
  Filters();
  Primitives();
  Texts();
  Transitions();
  Pictures();
  Sounds();
  Presentation();
  std::fprintf(out, "end\n");
  std::fclose(out);
  out = nullptr;
  oxSystem::Shutdown();
}

void GameFrame() {}
