// The screen, the object table, blits and presentation, through the library's entry points on the headless host.
#include <cstring>
#include <string>

#include "ox.h"
#include "support/fixture.h"
#include "support/pictures.h"

using testing_support::AddBitmapResource;
using testing_support::MakeBmp;
using testing_support::Utf8;
using testing_support::WriteFile;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr uint16_t kRed565 = 0xF800, kGreen565 = 0x07E0, kBlue565 = 0x001F;

// Pictures compiled into the test program, found by LoadObject's resource fallback.
void RegisterPictures() {
  static bool done = false;
  if (done) return;
  done = true;
  // 64 x 48: black border column 0, red elsewhere, green at the top-left pixel.
  AddBitmapResource("SPRITE.BMP", MakeBmp(64, 48, [](int x, int y) {
                      if (x == 0 && y == 0) return kGreen;
                      return x == 0 ? 0u : kRed;
                    }));
  // 8 x 4: column x has blue value 10 * x, so each column is told apart.
  AddBitmapResource("COLUMNS.BMP", MakeBmp(8, 4, [](int x, int) { return RGB(0, 0, 8 * (x + 1) + 7); }));
  // 4 x 10: row y is red with green 8 * y: rows are told apart.
  AddBitmapResource("ROWS.BMP", MakeBmp(4, 10, [](int, int y) { return RGB(255, 8 * y + 8, 0); }));
}

class DrawTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    RegisterPictures();
    libraryState = LibraryState{};
    libraryState.mainWindow = reinterpret_cast<HWND>(&windowStandIn);
    oxDraw::screen = ScreenState{};
    oxDraw::transition = TransitionState{};
    oxDraw::wipe = WipeState{};
    oxDraw::scrollPage = ScrollPage{};
    oxDraw::keySetting = KeySetting{};
  }
  void TearDown() override {
    Shut();
    HeadlessTest::TearDown();
  }
  // What the library's shutdown gives back.
  static void Shut() {
    oxDraw::ReleaseAll();
    oxSound::Release();
    oxSystem::FreeFontRecord();
  }
  void Start() { ASSERT_EQ(oxDraw::Screen(640, 480, 1), 1); }

  // The back surface's pixel at (x, y).
  uint16_t Back(int x, int y) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    EXPECT_EQ(oxDraw::screen.back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    uint16_t v = reinterpret_cast<uint16_t*>(static_cast<char*>(d.lpSurface) + y * d.lPitch)[x];
    oxDraw::screen.back->Unlock(nullptr);
    return v;
  }
  // Width and height of the region of the back surface that holds `value`.
  void Extent(uint16_t value, int* w, int* h) {
    int maxX = -1, maxY = -1, minX = 640, minY = 480;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        if (Back(x, y) == value) {
          minX = std::min(minX, x), maxX = std::max(maxX, x);
          minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    *w = maxX < 0 ? 0 : maxX - minX + 1;
    *h = maxY < 0 ? 0 : maxY - minY + 1;
  }
  std::vector<std::string> Reports() { return LogWith("messagebox"); }

  int windowStandIn = 0;
};

TEST_F(DrawTest, PixelFormatsGiveTheirMasksShiftsMaximaAndHalfMask) {
  DDPIXELFORMAT f{};
  f.dwRBitMask = 0xF800, f.dwGBitMask = 0x07E0, f.dwBBitMask = 0x001F;
  PixelFormatInfo p;
  oxDraw::ReadPixelFormat(f, &p);
  EXPECT_EQ(p.redShift, 11);
  EXPECT_EQ(p.greenShift, 5);
  EXPECT_EQ(p.blueShift, 0);
  EXPECT_EQ(p.redMax, 31);
  EXPECT_EQ(p.greenMax, 63);
  EXPECT_EQ(p.blueMax, 31);
  EXPECT_EQ(p.halfMask, 0x7BEFu);

  // The display's own format comes through Screen.
  Start();
  EXPECT_EQ(oxDraw::pixelFormat.redMask, 0xF800u);
  EXPECT_EQ(oxDraw::pixelFormat.halfMask, 0x7BEFu);
  Shut();
  HeadlessTest::TearDown();
  options_.display555 = true;
  SetUp();
  Start();
  const PixelFormatInfo& q = oxDraw::pixelFormat;
  EXPECT_EQ(q.redMask, 0x7C00u);
  EXPECT_EQ(q.greenMask, 0x03E0u);
  EXPECT_EQ(q.redShift, 10);
  EXPECT_EQ(q.greenShift, 5);
  EXPECT_EQ(q.greenMax, 31);
  EXPECT_EQ(q.halfMask, 0x3DEFu);
}

TEST_F(DrawTest, SineTableTruncatesTowardZero) {
  Start();
  const int* s = oxDraw::SineTable;
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[30], 179);
  EXPECT_EQ(s[90], 360);
  EXPECT_EQ(s[180], 0);
  EXPECT_EQ(s[210], -179);
  EXPECT_EQ(s[270], -360);
  EXPECT_EQ(s[449], 359);
}

TEST_F(DrawTest, ObjectsAreNumberedLowestFreeFirstAndRefusedWhenFull) {
  Start();
  EXPECT_EQ(oxDraw::LoadObject("SPRITE.BMP", 2), 2);
  EXPECT_EQ(oxDraw::LoadObject("SPRITE.BMP", 2), 3);
  oxDraw::ReleaseObject(2);
  EXPECT_EQ(oxDraw::LoadObject("COLUMNS.BMP", 2), 2);
  EXPECT_STREQ(oxDraw::objects[2].name, "COLUMNS.BMP");
  EXPECT_TRUE(Reports().empty());

  // Names: 30 characters are taken, 31 are refused before any entry is used.
  std::string thirty(30, 'A'), thirtyOne(31, 'A');
  EXPECT_EQ(oxDraw::LoadObject(thirtyOne.c_str(), 2), 0);
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_NE(Reports()[0].find(Utf8("oxDraw::LoadObject : ファイル名またはリソース名が長すぎます")), std::string::npos);
  EXPECT_NE(Reports()[0].find(Utf8("エラー発生")), std::string::npos);
  EXPECT_EQ(oxDraw::objects[4].name[0], '\0');
  // Thirty is accepted as a name; there is no such picture, so the entry stays reserved under it.
  EXPECT_EQ(oxDraw::LoadObject(thirty.c_str(), 2), 0);
  EXPECT_NE(Reports().back().find(Utf8("oxDraw::LoadObject : BMPファイルを読み込めません")), std::string::npos);
  EXPECT_EQ(std::string(oxDraw::objects[4].name), thirty);
  EXPECT_EQ(oxDraw::objects[4].surface, nullptr);

  // 2..1023 hold 1022 entries.
  int last = 0;
  for (int i = 5; i < 1024; ++i) last = oxDraw::CreateObject(2, 2, 1);
  EXPECT_EQ(last, 1023);
  EXPECT_EQ(oxDraw::LoadObject("SPRITE.BMP", 2), 0);
  EXPECT_NE(Reports().back().find(Utf8("oxDraw::LoadObject : オブジェクト数が多すぎます")), std::string::npos);
  EXPECT_EQ(oxDraw::CreateObject(2, 2, 1), 0);
  EXPECT_NE(Reports().back().find(Utf8("oxDraw::CreateObject : オブジェクト数が多すぎます")), std::string::npos);
}

TEST_F(DrawTest, CreateObjectGivesOneRowMore) {
  Start();
  int n = oxDraw::CreateObject(64, 48, 2);
  ASSERT_EQ(n, 2);
  EXPECT_STREQ(oxDraw::objects[n].name, "*");
  DDSURFACEDESC d;
  std::memset(&d, 0, sizeof d);
  d.dwSize = sizeof d;
  ASSERT_EQ(oxDraw::objects[n].surface->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwWidth, 64u);
  EXPECT_EQ(d.dwHeight, 49u);
}

TEST_F(DrawTest, BlackIsTransparentByDefaultAndTheTopLeftPixelOnRequest) {
  Start();
  int sprite = oxDraw::LoadObject("SPRITE.BMP", 2);
  oxDraw::UseTopLeftKey();
  int topLeft = oxDraw::LoadObject("SPRITE.BMP", 2);
  EXPECT_EQ(oxDraw::objects[topLeft].colorKey, 0xFFFFFFFFu);
  oxDraw::WhiteScreen();
  oxDraw::DrawObject(0, 0, sprite, 0, 0, 64, 48);
  EXPECT_EQ(Back(0, 5), 0xFFFF);  // black column: the white shows through
  EXPECT_EQ(Back(0, 0), kGreen565);
  EXPECT_EQ(Back(5, 5), kRed565);
  oxDraw::WhiteScreen();
  oxDraw::DrawObject(0, 0, topLeft, 0, 0, 64, 48);
  EXPECT_EQ(Back(0, 0), 0xFFFF);  // the green corner is the key now
  EXPECT_EQ(Back(0, 5), 0x0000);  // and black is drawn
  // The key of one object handed to another.
  oxDraw::CopyColorKey(sprite, topLeft);
  oxDraw::WhiteScreen();
  oxDraw::DrawObject(0, 0, sprite, 0, 0, 64, 48);
  EXPECT_EQ(Back(0, 0), 0xFFFF);
  EXPECT_EQ(Back(0, 5), 0x0000);
  EXPECT_EQ(oxDraw::objects[sprite].colorKey, 0u);
}

TEST_F(DrawTest, DrawObjectClipsAgainstTheClipRectangle) {
  Start();
  int sprite = oxDraw::LoadObject("SPRITE.BMP", 2);
  oxDraw::ClearScreen();
  EXPECT_EQ(oxDraw::DrawObject(600, 460, sprite, 0, 0, 64, 48), DD_OK);
  int w, h;
  Extent(kRed565, &w, &h);
  EXPECT_EQ(w, 40 - 1);  // column 0 is black
  EXPECT_EQ(h, 20);
  EXPECT_EQ(Back(639, 479), kRed565);
  EXPECT_EQ(Back(600, 460), kGreen565);

  // Left and top clipping move the source: the green corner is cut off, column 5 lands on the edge.
  oxDraw::ClearScreen();
  oxDraw::SetClip(100, 100, 640, 480);
  oxDraw::DrawObject(95, 90, sprite, 0, 0, 64, 48);
  Extent(kRed565, &w, &h);
  EXPECT_EQ(w, 59);
  EXPECT_EQ(h, 38);
  EXPECT_EQ(Back(99, 100), 0);
  EXPECT_EQ(Back(100, 100), kRed565);
  // Wholly outside: nothing, and no error.
  oxDraw::ClearScreen();
  EXPECT_EQ(oxDraw::DrawObject(700, 10, sprite, 0, 0, 64, 48), DD_OK);
  EXPECT_EQ(oxDraw::DrawObject(10, -100, sprite, 0, 0, 64, 48), DD_OK);
  Extent(kRed565, &w, &h);
  EXPECT_EQ(w, 0);
  // A hostile source rectangle reaches DirectDraw, which refuses it without touching a pixel.
  oxDraw::SetClip(0, 0, 640, 480);
  EXPECT_EQ(oxDraw::DrawObject(0, 0, sprite, 0, 0, 65, 48), DDERR_INVALIDRECT);
  EXPECT_EQ(oxDraw::DrawObject(0, 0, 5000, 0, 0, 8, 8), DDERR_INVALIDOBJECT);
  Extent(kRed565, &w, &h);
  EXPECT_EQ(w, 0);
}

TEST_F(DrawTest, MirrorFlipOneStartsFromTheLastColumn) {
  Start();
  int columns = oxDraw::LoadObject("COLUMNS.BMP", 2);
  oxDraw::ClearScreen();
  oxDraw::DrawObject(0, 0, columns, 0, 0, 8, 4);
  uint16_t first = Back(0, 0), last = Back(7, 0);
  ASSERT_NE(first, last);
  oxDraw::ClearScreen();
  oxDraw::DrawObjectMirror(100, 50, 1, columns, 0, 0, 8, 4);
  EXPECT_EQ(Back(100, 50), last);
  EXPECT_EQ(Back(107, 50), first);
  EXPECT_EQ(Back(100, 53), last);

  // Stretched to twice the size: each column twice, and colour-keyed like DrawObject.
  oxDraw::ClearScreen();
  oxDraw::DrawObjectStretch(10, 10, columns, 0, 0, 8, 4, 16, 8);
  EXPECT_EQ(Back(10, 10), first);
  EXPECT_EQ(Back(11, 17), first);
  EXPECT_EQ(Back(25, 17), last);
  EXPECT_EQ(Back(26, 10), 0);
  // The same through GDI and the Buffer object when the driver cannot stretch.
  oxDraw::screen.canStretch = 0;
  oxDraw::ClearScreen();
  oxDraw::DrawObjectStretch(10, 10, columns, 0, 0, 8, 4, 16, 8);
  EXPECT_EQ(Back(11, 17), first);
  EXPECT_EQ(Back(25, 17), last);
}

TEST_F(DrawTest, ScanLinesWithStepTwoSkipTheFirstRow) {
  Start();
  int rows = oxDraw::LoadObject("ROWS.BMP", 2);
  oxDraw::ClearScreen();
  oxDraw::DrawObject(0, 0, rows, 0, 0, 4, 10);
  uint16_t row[10];
  for (int y = 0; y < 10; ++y) row[y] = Back(0, y);
  oxDraw::ClearScreen();
  oxDraw::ScanlineObject(0, 0, 2, rows, 0, 0, 4, 10);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(Back(0, y), (y % 2 == 0 && y > 0) ? row[y] : 0) << "row " << y;
}

TEST_F(DrawTest, TransitionGeometry) {
  Start();
  // A white snapshot over a black frame shows where kind 5 puts it.
  oxDraw::WhiteScreen();
  oxDraw::CaptureScreen(1, 0, 0, 640, 480);
  oxDraw::transition.kind = 5;
  oxDraw::transition.length = 20;
  oxDraw::transition.step = 20;
  oxDraw::transition.direction = -1;
  oxDraw::ClearScreen();
  oxDraw::Flip();
  EXPECT_EQ(Back(0, 455), 0xFFFF);  // moved up by 24
  EXPECT_EQ(Back(0, 456), 0);
  EXPECT_EQ(oxDraw::transition.step, 19);
  oxDraw::transition.step = 1;
  oxDraw::ClearScreen();
  oxDraw::Flip();
  int w, h;
  Extent(0xFFFF, &w, &h);
  EXPECT_EQ(h, 0);  // moved up by 480: gone
  EXPECT_EQ(oxDraw::transition.step, 0);
  EXPECT_EQ(oxDraw::transition.direction, 0);

  // Forward: ten steps whatever the length.
  oxDraw::transition.length = 20;
  oxDraw::StartCover();
  int flips = 0;
  while (oxDraw::transition.direction == 1 && flips < 100) {
    oxDraw::Flip();
    ++flips;
  }
  EXPECT_EQ(flips, 10);
  EXPECT_EQ(oxDraw::transition.step, 0);

  // Kind 3 starts with 19 of every 20 rows of the snapshot, shifted by -1 or 0.
  oxDraw::transition.kind = 3;
  oxDraw::transition.step = 20;
  oxDraw::transition.direction = -1;
  oxDraw::ClearScreen();
  oxDraw::Flip();
  EXPECT_EQ(Back(320, 0), 0);
  EXPECT_EQ(Back(320, 1), 0xFFFF);
  EXPECT_EQ(Back(320, 20), 0);
  EXPECT_EQ(Back(638, 21), 0xFFFF);
}

TEST_F(DrawTest, StartWipeRefusesASecondWipe) {
  Start();
  EXPECT_EQ(oxDraw::StartWipe(0, 5, 100.0f, 0), 1);
  EXPECT_EQ(oxDraw::ClipRect.top, 240);
  EXPECT_EQ(oxDraw::ClipRect.bottom, 240);
  WipeState before = oxDraw::wipe;
  EXPECT_EQ(oxDraw::StartWipe(1, 3, 50.0f, 0), 0);
  EXPECT_EQ(oxDraw::wipe.kind, before.kind);
  EXPECT_EQ(oxDraw::wipe.state, 1);
  libraryState.FrameTime = 1.0f;
  for (int i = 0; i < 10 && oxDraw::wipe.state == 1; ++i) oxDraw::StepWipe();
  EXPECT_EQ(oxDraw::wipe.state, 0);
  EXPECT_EQ(oxDraw::wipe.opened, 1);
  EXPECT_EQ(oxDraw::ClipRect.top, 0);
  EXPECT_EQ(oxDraw::ClipRect.bottom, 480);
  EXPECT_EQ(oxDraw::StepWipe(), 0);
}

TEST_F(DrawTest, LostSurfacesGiveLoadedPicturesBackAndCreatedObjectsOnlyTheirMemory) {
  Start();
  int sprite = oxDraw::LoadObject("SPRITE.BMP", 2);
  int made = oxDraw::CreateObject(16, 16, 2);
  oxDraw::SetObjectKey(made, kBlue);
  HDC dc;
  ASSERT_EQ(oxDraw::objects[made].surface->GetDC(&dc), DD_OK);
  SetPixel(dc, 3, 3, kRed);
  oxDraw::objects[made].surface->ReleaseDC(dc);

  host().SetSurfacesLost(true);
  oxDraw::ClearScreen();
  // The first blit finds the loss and recovers; the frame's blit is not repeated.
  EXPECT_EQ(oxDraw::DrawObject(0, 0, sprite, 0, 0, 64, 48), DDERR_SURFACELOST);
  EXPECT_EQ(oxDraw::objects[sprite].surface->IsLost(), DD_OK);
  EXPECT_EQ(oxDraw::objects[made].surface->IsLost(), DD_OK);
  oxDraw::WhiteScreen();
  oxDraw::DrawObject(0, 0, sprite, 0, 0, 64, 48);
  EXPECT_EQ(Back(5, 5), kRed565);
  EXPECT_EQ(Back(0, 5), 0xFFFF);
  oxDraw::DrawObjectSolid(100, 0, made, 0, 0, 16, 16);
  EXPECT_EQ(Back(103, 3), 0);  // memory back, content gone
  EXPECT_EQ(oxDraw::objects[made].colorKey, kBlue);
}

TEST_F(DrawTest, EveryScreenFailureIsReportedAndGivesZero) {
  struct Case {
    const char* function;
    int call;
    const char* message;
    int windowOptions;
  } cases[] = {
      {"DirectDrawCreate", 0, "DirectDrawが使用できません", 0},
      {"SetCooperativeLevel", 0, "フルスクリーン化できません", 0},
      {"SetDisplayMode", 0, "解像度が変更できません", 0},
      {"CreateSurface", 1, "スプライト(Front)が生成できません", 0},
      {"CreateSurface", 2, "スプライト(Back)が取得できません", 0},
      {"CreateClipper", 0, "クリップが生成できません", 1},
      {"SetHWnd", 0, "クリップにウィンドウハンドルを設定できません", 1},
      {"SetClipper", 0, "スプライト(Front)をクリップできません", 1},
      {"CreateSurface", 3, "スプライト(Buffer)が生成できません", 0},
      {"CreateSurface", 4, "スプライト(Screen)が生成できません", 0},
      {"GetPixelFormat", 0, "ピクセル情報が取得できません", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function + std::string(":") + std::to_string(c.call));
    Shut();
    oxDraw::screen = ScreenState{};
    libraryState.windowOptions = c.windowOptions;
    host().ClearFailures();
    host().SetFailure(c.function, c.call);
    size_t before = Reports().size();
    EXPECT_EQ(oxDraw::Screen(640, 480, 1), 0);
    ASSERT_EQ(Reports().size(), before + 1);
    const std::string line = Reports().back();
    EXPECT_NE(line.find(Utf8("caption=\"エラー発生\"")), std::string::npos) << line;
    EXPECT_NE(line.find("text=\"oxDraw::Screen : " + Utf8(c.message) + "\""), std::string::npos) << line;
  }
}

TEST_F(DrawTest, ThirtyTwoBitsFallBackToTwentyFour) {
  oxDraw::Use32BitColor();
  host().SetFailure("SetDisplayMode", 1);
  EXPECT_EQ(oxDraw::Screen(640, 480, 1), 1);
  EXPECT_EQ(oxDraw::screen.colorBits, 24);
  EXPECT_EQ(LogWith("display mode 640x480x24").size(), 1u);
  EXPECT_TRUE(Reports().empty());

  // With 16 bits there is no second try.
  Shut();
  oxDraw::screen = ScreenState{};
  host().SetFailure("SetDisplayMode", 1);
  EXPECT_EQ(oxDraw::Screen(640, 480, 1), 0);
  EXPECT_EQ(oxDraw::screen.colorBits, 16);
}

TEST_F(DrawTest, ColourDepthCheckOnAShallowDesktop) {
  libraryState.fullScreen = 0;
  // A 16-bit desktop is deep enough for 16 bits: nothing is said.
  EXPECT_EQ(oxDraw::CheckColorDepth(""), 1);
  EXPECT_TRUE(Reports().empty());
  HeadlessTest::TearDown();
  options_.desktopBits = 8;
  SetUp();
  libraryState.fullScreen = 0;
  EXPECT_EQ(oxDraw::GetDesktopBits(), 8);
  host().SetFailure("GetDC", 0);
  EXPECT_EQ(oxDraw::GetDesktopBits(), 0);  // a window without a DC tells nothing
  host().ClearFailures();
  // No setting file: the explanation, no question, and the library is shut down.
  EXPECT_EQ(oxDraw::CheckColorDepth(""), 0);
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_NE(Reports()[0].find(Utf8("画面が256色以下に設定されています。")), std::string::npos) << Reports()[0];
  EXPECT_NE(Reports()[0].find(Utf8("65536色以上に設定するか")), std::string::npos);
  EXPECT_EQ(libraryState.shutdownState, 2);
  // "*": asked, and a yes goes full-screen.
  libraryState = LibraryState{};
  libraryState.fullScreen = 0;
  host().SetAnswer("yes");
  EXPECT_EQ(oxDraw::CheckColorDepth("*"), 1);
  EXPECT_NE(Reports().back().find(Utf8("フルスクリーンに切り換えますか？")), std::string::npos);
  EXPECT_EQ(libraryState.fullScreen, 1);
  EXPECT_EQ(libraryState.shutdownState, 0);
}

// A window on a 32-bit desktop, as every desktop of today's Windows is: the display's surfaces are 32-bit,
// the library's stay 5-6-5, and each frame reaches the front converted, colour for colour.
TEST_F(DrawTest, AWindowOnAThirtyTwoBitDesktopIsShownConverted) {
  libraryState.fullScreen = 0;
  Start();
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  ASSERT_EQ(oxDraw::screen.front->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 32u);
  EXPECT_EQ(oxDraw::pixelFormat.redMask, 0xF800u);
  EXPECT_EQ(oxDraw::pixelFormat.greenMask, 0x07E0u);
  // Colours in every channel, drawn by GDI, by a blit and by a pixel effect.
  oxDraw::Rectangle(10, 10, 300, 200, RGB(255, 130, 9), RGB(17, 255, 200), 3);
  int sprite = oxDraw::CreateObject(64, 64, 1);
  ASSERT_GT(sprite, 1);
  oxDraw::SetClip(0, 0, 640, 480);
  oxDraw::CaptureScreen(sprite, 0, 0, 64, 64);
  oxDraw::DrawObjectSolid(400, 300, sprite, 0, 0, 64, 64);
  oxDraw::DrawObjectHalf(250, 150, sprite, 0, 0, 64, 64);
  oxDraw::Flip();
  DDSURFACEDESC d{};
  d.dwSize = sizeof d;
  ASSERT_EQ(oxDraw::screen.front->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  std::vector<uint32_t> front(640 * 480);
  for (int y = 0; y < 480; ++y)
    std::memcpy(&front[y * 640], static_cast<char*>(d.lpSurface) + y * d.lPitch, 640 * 4);
  oxDraw::screen.front->Unlock(nullptr);
  const std::vector<uint8_t>& shown = host().LastFrame();
  ASSERT_EQ(shown.size(), size_t(640 * 480 * 3));
  int wrong = 0, wrongShown = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      uint16_t p = Back(x, y);
      unsigned r = p >> 11, g = (p >> 5) & 63, b = p & 31;
      uint32_t want = ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
      wrong += front[y * 640 + x] != want;
      const uint8_t* q = &shown[(y * 640 + x) * 3];
      wrongShown += uint32_t(q[0] << 16 | q[1] << 8 | q[2]) != want;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(wrongShown, 0);
  EXPECT_EQ(Back(100, 100), 0xFC01);  // RGB(255, 130, 9) in 5-6-5

  // A flipping chain on such a display cannot be converted: said, not drawn wrong.
  Shut();
  HeadlessTest::TearDown();
  options_.accelerator = true;
  SetUp();
  oxDraw::Use32BitColor();
  EXPECT_EQ(oxDraw::Screen(640, 480, 1), 0);
  ASSERT_FALSE(Reports().empty());
  EXPECT_NE(Reports().back().find(Utf8("画面の色数に対応していません")), std::string::npos) << Reports().back();
}

TEST_F(DrawTest, AcceleratorGivesAFlippingChain) {
  HeadlessTest::TearDown();
  options_.accelerator = true;
  SetUp();
  Start();
  EXPECT_EQ(oxDraw::screen.useAccelerator, 1);
  EXPECT_EQ(LogWith("with a back buffer").size(), 1u);
  oxDraw::WhiteScreen();
  int before = host().Presentations();
  oxDraw::Flip();
  EXPECT_EQ(host().Presentations(), before + 1);
  EXPECT_EQ(host().LastFrame()[0], 255);

  // Without its back buffer the chain is reported like a back surface that cannot be made.
  Shut();
  oxDraw::screen = ScreenState{};
  host().SetFailure("GetAttachedSurface", 0);
  EXPECT_EQ(oxDraw::Screen(640, 480, 1), 0);
  ASSERT_FALSE(Reports().empty());
  EXPECT_NE(Reports().back().find(Utf8("スプライト(Back)が取得できません")), std::string::npos) << Reports().back();
}

TEST_F(DrawTest, BadPicturesAreRefusedWithTheLoaderReport) {
  Start();
  std::string good = MakeBmp(8, 8, [](int, int) { return kRed; });
  std::string truncated = good.substr(0, good.size() - 20);
  std::string huge = good;
  huge[18] = char(0xFF), huge[19] = char(0xFF), huge[20] = char(0xFF), huge[21] = char(0x0F);  // width 268 million
  std::string garbage(100, 'x');
  AddBitmapResource("TRUNC.BMP", truncated);
  AddBitmapResource("HUGE.BMP", huge);
  AddBitmapResource("JUNK.BMP", garbage);
  for (const char* name : {"TRUNC.BMP", "HUGE.BMP", "JUNK.BMP"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(oxDraw::LoadObject(name, 2), 0);
    EXPECT_NE(Reports().back().find(Utf8("oxDraw::LoadObject : BMPファイルを読み込めません")), std::string::npos);
  }
  // Files go through the same checks.
  WriteFile("trunc.bmp", truncated);
  EXPECT_EQ(LoadImageA(nullptr, "trunc.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  WriteFile("good.bmp", good);
  HANDLE b = LoadImageA(nullptr, "good.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(b, nullptr);
  BITMAP info;
  EXPECT_EQ(GetObjectA(b, sizeof info, &info), int(sizeof info));
  EXPECT_EQ(info.bmWidth, 8);
  DeleteObject(b);
}

}  // namespace
