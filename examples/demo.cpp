// A tour of the library's drawing: transitions and wipes, raster effects, pixel effects, filters and GDI
// primitives, text styles and a wave sound, one scene after the other. Right or Space: next scene; Left: previous; Escape: quit.
// The window's title names the scene.
#include <cmath>
#include <cstdlib>

#include "ox.h"

namespace {

constexpr int kW = 640, kH = 480;
constexpr int kEmblem = 100;  // the emblem picture is 100 x 100

int background = 0;  // a screen-sized picture
int emblem = 0;
int tiles = 0;  // a screen of emblems, the snapshot of the transition scene

// The emblem: rings of colour on black (the transparent value), a star and a cross of lines.
void PaintEmblem() {
  oxDraw::ClearScreen();
  static const COLORREF rings[] = {RGB(255, 200, 0), RGB(255, 80, 0), RGB(200, 0, 120), RGB(60, 60, 255),
                                   RGB(0, 200, 255), RGB(255, 255, 255)};
  for (int i = 0; i < 6; i++) oxDraw::Line(50, 50, 50, 50, rings[i], 96 - i * 16);
  const POINT star[] = {{50, 8}, {62, 38}, {94, 38}, {68, 58}, {78, 92}, {50, 72}, {22, 92}, {32, 58}, {6, 38}, {38, 38}};
  oxDraw::Polygon(star, 10, RGB(0, 255, 0), 0, 2, 0);
  oxDraw::Line(20, 50, 80, 50, RGB(255, 0, 0), 3);
  oxDraw::Line(50, 20, 50, 80, RGB(255, 0, 0), 3);
}

// The background: a vertical gradient from navy to orange with a grid of squares.
void PaintBackground() {
  for (int y = 0; y < kH; y++) {
    int k = y * 255 / (kH - 1);
    oxDraw::Line(0, y, kW, y, RGB(k, k / 2 + 20, 160 - k / 2), 1);
  }
  for (int j = 0; j < 8; j++)
    for (int i = 0; i < 10; i++)
      if ((i + j) % 2 == 0)
        oxDraw::Rectangle(i * 64 + 8, j * 60 + 8, i * 64 + 56, j * 60 + 52, RGB(40 + i * 20, 90, 200 - j * 20),
                          RGB(255, 255, 255), 1);
}

int Capture(int w, int h) {
  int n = oxDraw::CreateObject(w, h, 1);
  if (n) oxDraw::CaptureScreen(n, 0, 0, w, h);
  return n;
}

void Back() { oxDraw::DrawObjectSolid(0, 0, background, 0, 0, kW, kH); }
void Emblem(int x, int y) { oxDraw::DrawObject(x, y, emblem, 0, 0, kEmblem, kEmblem); }
// A row of five places for the emblem, the first drawn plainly for comparison.
int Slot(int i) { return 20 + i * 122; }

struct Scene {
  const char* name;
  void (*enter)();
  void (*draw)(int t);
};

void Nothing() {}

// ---- transitions and wipes ----
void TransitionEnter() {}
void Transitions(int t) {
  if (t % 25 == 0) {
    // The screen of emblems becomes the snapshot that dissolves over the background, one kind after another.
    oxDraw::DrawObjectSolid(0, 0, tiles, 0, 0, kW, kH);
    oxDraw::CaptureScreen(1, 0, 0, kW, kH);
    oxDraw::transition.kind = 1 + (t / 25) % 12;
    oxDraw::transition.length = 20;
    oxDraw::transition.step = 20;
    oxDraw::transition.direction = -1;
  }
  Back();
}

void Wipes(int t) {
  if (t % 50 == 0) oxDraw::StartWipe(0, 1 + (t / 50) % 9, 400.0f, 60);
  oxDraw::StepWipe();
  oxDraw::ClearScreen();
  Back();  // clipped by the wipe's rectangle
  for (int i = 0; i < 5; i++) Emblem(Slot(i), 190);
}
void EndWipe() {
  if (oxDraw::wipe.state != 0) {
    oxDraw::ClipRect = oxDraw::wipe.full;
    oxDraw::wipe.state = 0;
  }
}

// ---- raster effects ----
void Wave(int) {
  oxDraw::ClearScreen();
  oxDraw::WaveObject(0, 0, 24, 4, 180.0f, background, 0, 0, kW, kH, 0);
}
void WaveAlternate(int) {
  oxDraw::ClearScreen();
  oxDraw::WaveObject(0, 0, 16, 1, 240.0f, background, 0, 0, kW, kH, 1);
}
void Tiles(int) { oxDraw::TileScroll(-60.0f, -40.0f, emblem, 0, 0, kEmblem, kEmblem); }
void Mosaic(int t) {
  Back();
  for (int i = 0; i < 5; i++) oxDraw::MosaicObject(Slot(i), 190, 1 + i * 3 + (t / 20) % 3, emblem, 0, 0, kEmblem, kEmblem);
}
void Scanlines(int) {
  oxDraw::ClearScreen();
  oxDraw::ScanlineObject(0, 0, 2, background, 0, 0, kW, kH);
  for (int i = 0; i < 5; i++) oxDraw::ScanlineObject(Slot(i), 190, i < 3 ? i + 2 : -(i + 1), emblem, 0, 0, kEmblem, kEmblem);
}
void Jitter(int) {
  Back();
  for (int i = 0; i < 5; i++) oxDraw::JitterObject(Slot(i), 190, i * 3, emblem, 0, 0, kEmblem, kEmblem);
}
void Roll(int) {
  Back();
  oxDraw::RollObject(270, 40, 0, 60.0f, emblem, 0, 0, kEmblem, kEmblem);
}

// ---- pixel effects: each over the background, beside a plain copy ----
void Half(int) {
  Back();
  Emblem(Slot(0), 190);
  for (int i = 1; i < 5; i++) oxDraw::DrawObjectHalf(Slot(i), 190, emblem, 0, 0, kEmblem, kEmblem);
}
void Alpha(int t) {
  Back();
  Emblem(Slot(0), 190);
  for (int i = 1; i < 5; i++) {
    float a = 0.2f * i + 0.1f * std::sin(t * 0.1f);
    oxDraw::DrawObjectAlpha(Slot(i), 190, a, emblem, 0, 0, kEmblem, kEmblem);
  }
}
void AlphaRGB(int) {
  Back();
  Emblem(Slot(0), 190);
  oxDraw::DrawObjectAlphaRGB(Slot(1), 190, 1.0f, 0.2f, 0.2f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectAlphaRGB(Slot(2), 190, 0.2f, 1.0f, 0.2f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectAlphaRGB(Slot(3), 190, 0.2f, 0.2f, 1.0f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectAlphaRGB(Slot(4), 190, 0.5f, 0.5f, 0.0f, emblem, 0, 0, kEmblem, kEmblem);
}
void Add(int t) {
  Back();
  Emblem(Slot(0), 190);
  for (int i = 1; i < 5; i++) oxDraw::DrawObjectAdd(Slot(i), 190 + int(20 * std::sin(t * 0.1 + i)), emblem, 0, 0, kEmblem, kEmblem);
}
void Subtract(int) {
  Back();
  Emblem(Slot(0), 190);
  for (int i = 1; i < 5; i++) oxDraw::DrawObjectSubtract(Slot(i), 190, emblem, 0, 0, kEmblem, kEmblem);
}
void Mask(int) {
  Back();
  Emblem(Slot(0), 190);
  oxDraw::DrawObjectMask(Slot(1), 190, 1, 0, 0, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectMask(Slot(2), 190, 0, 1, 0, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectMask(Slot(3), 190, 0, 0, 1, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectMask(Slot(4), 190, 1, 1, 0, emblem, 0, 0, kEmblem, kEmblem);
}
void Bright(int) {
  Back();
  Emblem(Slot(0), 190);
  for (int i = 1; i < 5; i++) oxDraw::DrawObjectBright(Slot(i), 190, 1.0f - 0.22f * i, emblem, 0, 0, kEmblem, kEmblem);
}
void BrightRGB(int) {
  Back();
  Emblem(Slot(0), 190);
  oxDraw::DrawObjectBrightRGB(Slot(1), 190, 1.0f, 0.3f, 0.3f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectBrightRGB(Slot(2), 190, 0.3f, 1.0f, 0.3f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectBrightRGB(Slot(3), 190, 0.3f, 0.3f, 1.0f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectBrightRGB(Slot(4), 190, 0.6f, 0.6f, 0.6f, emblem, 0, 0, kEmblem, kEmblem);
}
void Blur(int) {
  Back();
  Emblem(Slot(0), 190);
  for (int i = 1; i < 5; i++) oxDraw::DrawObjectBlur(Slot(i), 190, 1 + i * 2, emblem, 0, 0, kEmblem, kEmblem);
}
void Gray(int) {
  Back();
  Emblem(Slot(0), 190);
  oxDraw::DrawObjectGray(Slot(1), 190, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::DrawObjectGray(0, 320, background, 0, 320, kW, kH);
}
void Ripple(int t) {
  oxDraw::ClearScreen();
  oxDraw::DrawObjectRipple(40, 20, 30 + int(20 * std::sin(t * 0.08)), 12, 1, 1.0f, 0.1f, background, 0, 0, 560, 400);
}
void RotateTile(int t) {
  oxDraw::ClearScreen();
  oxDraw::DrawObjectRotateTile(0, 0, kW, kH, (t * 2) % 360, emblem, 0, 0, kEmblem, kEmblem);
}
void RotateZoom(int t) {
  Back();
  for (int i = 0; i < 4; i++)
    oxDraw::DrawObjectRotateZoom(10 + i * 160, 140, 150 + i * 160, 340, (t * 3 + i * 45) % 360, 0.5f + 0.4f * i, emblem,
                                 0, 0, kEmblem, kEmblem);
}
void RotateZoomTile(int t) {
  oxDraw::ClearScreen();
  oxDraw::DrawObjectRotateZoomTile(0, 0, kW, kH, (t * 2) % 360, 0.6f + 0.3f * std::sin(t * 0.05f), emblem, 0, 0,
                                   kEmblem, kEmblem);
}
void Floor(int t) {
  oxDraw::ClearScreen();
  oxDraw::DrawObjectFloor(0, 200, kW, kH, t % 360, 0.3f, 0.01f, 0.3f, 0.01f, 1.0f, 0.9f, 0.7f, emblem, 0, 0, kEmblem,
                          kEmblem);
  oxDraw::DrawObjectFloor(0, 0, kW, 200, (360 - t % 360) % 360, 3.0f, -0.012f, 3.0f, -0.012f, 0.5f, 0.6f, 1.0f,
                          emblem, 0, 0, kEmblem, kEmblem);
}

// ---- filters ----
void Soften(int) {
  Back();
  for (int i = 0; i < 5; i++) Emblem(Slot(i), 190);
  for (int k = 0; k < 4; k++) oxDraw::SoftenRect(320, 0, 320, kH);
}
void FadeEnter() {
  Back();
  for (int i = 0; i < 5; i++) Emblem(Slot(i), 190);
}
void Fade(int) {
  oxDraw::FadeRect(1, 0, 1, 0, 0, 320, kH);
  oxDraw::FadeRect(0, 1, 1, 320, 0, 320, kH);
}
void Clear() { oxDraw::ClearScreen(); }
// A strip of picture keeps feeding the bottom rows; the filter carries it upward.
void Smoke(int t) {
  oxDraw::DrawObjectSolid(120, 440, background, (t * 7) % 240, 200, (t * 7) % 240 + 400, 240);
  for (int k = 0; k < 3; k++) oxDraw::SmokeRect(120, 80, 400, 400);
}
void Fire(int t) {
  // Fuel: ragged tongues of the orange foot of the background, a new shape every frame.
  for (int i = 0; i < 20; i++) {
    int h = 6 + (t * 7 + i * 13) % 24;
    oxDraw::DrawObjectSolid(120 + i * 20, 480 - h, background, 200 + i * 20, 470 - h, 200 + i * 20 + 14, 470);
  }
  for (int k = 0; k < 3; k++) oxDraw::FireRect(0, 1, 1, 120, 80, 400, 400);
}
void Zoom2(int t) {
  Back();
  oxDraw::DrawObjectRotateZoom(60, 20, 260, 220, (t * 3) % 360, 1.5f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::Zoom2(0, 0, 320, 240, (t / 40) % 2);
}
void Zoom4(int t) {
  Back();
  oxDraw::DrawObjectRotateZoom(30, 10, 130, 110, (t * 3) % 360, 1.0f, emblem, 0, 0, kEmblem, kEmblem);
  oxDraw::Zoom4(0, 0, 160, 120, (t / 40) % 2);
}

// ---- GDI primitives ----
void Lines(int t) {
  oxDraw::ClearScreen();
  for (int i = 0; i < 24; i++) {
    double a = (t + i * 15) * 3.14159265 / 180;
    oxDraw::Line(320, 240, 320 + int(220 * std::cos(a)), 240 + int(220 * std::sin(a)), RGB(i * 10, 255 - i * 10, 128),
                 1 + i % 6);
  }
  for (int i = 0; i < 400; i++) oxDraw::SetPixel(rand() % kW, rand() % kH, RGB(255, 255, 255));
}
void Rectangles(int) {
  oxDraw::ClearScreen();
  for (int i = 0; i < 8; i++)
    oxDraw::Rectangle(20 + i * 30, 20 + i * 25, 620 - i * 30, 460 - i * 25, RGB(30 * i, 60, 240 - 30 * i),
                      RGB(255, 255, 0), 1 + i);
}
void Polygons(int t) {
  Back();
  for (int k = 0; k < 3; k++) {
    POINT p[5];
    for (int i = 0; i < 5; i++) {
      double a = (t * 2 + i * 144) * 3.14159265 / 180;
      p[i] = POINT{110 + k * 210 + LONG(90 * std::cos(a)), 240 + LONG(90 * std::sin(a))};
    }
    oxDraw::Polygon(p, 5, RGB(255, 255, 0), RGB(0, 0, 0), 2, k);
  }
}
void Curves(int t) {
  oxDraw::ClearScreen();
  for (int k = 0; k < 6; k++) {
    int d = int(120 * std::sin(t * 0.05 + k));
    const POINT p[] = {{40, 80 + k * 60}, {200, 80 + k * 60 - d}, {440, 80 + k * 60 + d}, {600, 80 + k * 60},
                       {560, 120 + k * 60}, {300, 40 + k * 60}, {60, 110 + k * 60}};
    oxDraw::Bezier(p, 7, RGB(255, 40 * k, 255 - 40 * k), 1 + k);
  }
}
void Invert(int t) {
  Back();
  for (int i = 0; i < 5; i++) Emblem(Slot(i), 190);
  int x = (t * 6) % (kW + 200) - 200;
  oxDraw::InvertRect(x, 100, x + 200, 380);
  oxDraw::InvertRect(x + 100, 200, x + 300, 280);
}
void ProgramDC(int t) {
  Back();
  // The program takes the back surface's DC and draws with GDI itself.
  if (SUCCEEDED(oxDraw::GetDC())) {
    HDC dc = oxDraw::programDC.dc;
    HPEN pen = CreatePen(PS_SOLID, 5, RGB(255, 255, 255));
    HBRUSH brush = CreateHatchBrush(HS_CROSS, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    SetBkMode(dc, TRANSPARENT);
    int x = 100 + (t * 4) % 300;
    Rectangle(dc, x, 120, x + 140, 360);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, x + 70, 240);
    SelectObject(dc, oldPen ? oldPen : GetStockObject(BLACK_PEN));
    SelectObject(dc, oldBrush ? oldBrush : GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(brush);
    oxDraw::ReleaseDC();
  }
}

// ---- text and sound ----
void Texts(int t) {
  Back();
  oxDraw::SetFont(1, 12, 0, 0, 0, 0);
  oxDraw::SetTextColor(RGB(255, 255, 255), RGB(0, 0, 128), 0);
  oxDraw::TextOut(20, 20, "標準ゴシック 12 pixels, opaque: 点数 12300");
  oxDraw::EndText();
  oxDraw::SetFont(0, 40, 0, 1, 0, 0);
  oxDraw::SetTextColor(RGB(255, 255, 0), 0, 1);
  oxDraw::TextOut(20, 50, "標準明朝 bold 第二ステージ");
  oxDraw::EndText();
  oxDraw::SetFont(1, 32, 0, 0, 1, 1);
  oxDraw::SetTextColor(RGB(0, 128, 255), 0, 1);
  oxDraw::TextOut(20, 110, "italic, underlined");
  oxDraw::EndText();
  oxDraw::SetFont(1, 30, (t * 3) % 360, 0, 0, 0);
  oxDraw::SetTextColor(RGB(255, 128, 0), 0, 1);
  oxDraw::TextOut(320, 300, "回転地獄");
  oxDraw::EndText();
  oxDraw::SetFont(1, 20, 0, 0, 0, 0);
  oxDraw::SetTextColor(RGB(255, 255, 255), RGB(60, 0, 0), 0);
  oxDraw::DrawText(20, 170, 300, 470,
                   "DrawText breaks lines at blanks and between double-byte characters: "
                   "ボスを呼ぶにはエンターキーを押してください。",
                   0);
  oxDraw::EndText();
  oxDraw::Printf(20, 460, "Printf: frame %d", t);
}

int chime = -1;
void ChimeEnter() {
  // Sound objects count from 0, so whether the load worked is read off the table.
  if (chime < 0) {
    int n = oxSound::LoadObject("CHIME.WAV", 2);
    if (oxSound::soundObjects[n].used) chime = n;
  }
}
void Chime(int t) {
  Back();
  // Every second the chime rings on the next of its two buffers, its pan sweeping from left to right.
  int pan = -100 + (t / 60 % 5) * 50;
  if (chime >= 0 && t % 60 == 0) {
    oxSound::SetPan(chime, pan, -2);
    oxSound::Play(chime, -2);
  }
  int x = 40 + (t % 300) * 560 / 300;
  Emblem(x - kEmblem / 2, 190);
  if (chime >= 0) oxDraw::Printf(20, 20, "CHIME.WAV: sound object %d, pan %d", chime, pan);
  else oxDraw::Printf(20, 20, "no sound device");
}

const Scene kScenes[] = {
    {"Transitions", TransitionEnter, Transitions},
    {"Wipes", Nothing, Wipes},
    {"WaveObject", Nothing, Wave},
    {"WaveObject (alternate)", Nothing, WaveAlternate},
    {"TileScroll", Nothing, Tiles},
    {"MosaicObject", Nothing, Mosaic},
    {"ScanlineObject", Nothing, Scanlines},
    {"JitterObject", Nothing, Jitter},
    {"RollObject", Nothing, Roll},
    {"DrawObjectHalf", Nothing, Half},
    {"DrawObjectAlpha", Nothing, Alpha},
    {"DrawObjectAlphaRGB", Nothing, AlphaRGB},
    {"DrawObjectAdd", Nothing, Add},
    {"DrawObjectSubtract", Nothing, Subtract},
    {"DrawObjectMask", Nothing, Mask},
    {"DrawObjectBright", Nothing, Bright},
    {"DrawObjectBrightRGB", Nothing, BrightRGB},
    {"DrawObjectBlur", Nothing, Blur},
    {"DrawObjectGray", Nothing, Gray},
    {"DrawObjectRipple", Nothing, Ripple},
    {"DrawObjectRotateTile", Nothing, RotateTile},
    {"DrawObjectRotateZoom", Nothing, RotateZoom},
    {"DrawObjectRotateZoomTile", Nothing, RotateZoomTile},
    {"DrawObjectFloor", Nothing, Floor},
    {"SoftenRect", Nothing, Soften},
    {"FadeRect", FadeEnter, Fade},
    {"SmokeRect", Clear, Smoke},
    {"FireRect", Clear, Fire},
    {"Zoom2", Nothing, Zoom2},
    {"Zoom4", Nothing, Zoom4},
    {"Line and SetPixel", Nothing, Lines},
    {"Rectangle", Nothing, Rectangles},
    {"Polygon: hollow, hatched, hatched transparent", Nothing, Polygons},
    {"Bezier", Nothing, Curves},
    {"InvertRect", Nothing, Invert},
    {"GetDC and ReleaseDC", Nothing, ProgramDC},
    {"Text styles", Nothing, Texts},
    {"Wave sound", ChimeEnter, Chime},
};
constexpr int kSceneCount = int(sizeof kScenes / sizeof kScenes[0]);

int scene = 0;
int sceneFrame = 0;
bool wasDown[2] = {};

// True once per press of either key.
bool Pressed(int index, int key, int other) {
  bool down = (GetKeyState(key) & 0x8000) || (other && (GetKeyState(other) & 0x8000));
  bool pressed = down && !wasDown[index];
  wasDown[index] = down;
  return pressed;
}

void Enter(int n) {
  EndWipe();
  oxDraw::transition.step = 0;
  scene = (n + kSceneCount) % kSceneCount;
  sceneFrame = 0;
  char title[96];
  snprintf(title, sizeof title, "ox demo %d/%d: %s", scene + 1, kSceneCount, kScenes[scene].name);
  SetWindowTextA(libraryState.mainWindow, title);
  kScenes[scene].enter();
}

}  // namespace

void GameStartUp() {
  if (!oxDraw::Screen(kW, kH, 1)) return;
  PaintEmblem();
  emblem = Capture(kEmblem, kEmblem);
  oxDraw::ClearScreen();
  for (int j = 0; j < 5; j++)
    for (int i = 0; i < 7; i++) oxDraw::DrawObject(i * 96 - 20 + (j % 2) * 48, j * 96, emblem, 0, 0, kEmblem, kEmblem);
  tiles = Capture(kW, kH);
  PaintBackground();
  background = Capture(kW, kH);
  libraryState.mode = 1;
  Enter(0);
}

void GameFrame() {
  if (!background) return;
  if (Pressed(0, VK_RIGHT, VK_SPACE)) Enter(scene + 1);
  if (Pressed(1, VK_LEFT, 0)) Enter(scene - 1);
  kScenes[scene].draw(sceneFrame++);
  oxDraw::Flip();
}
