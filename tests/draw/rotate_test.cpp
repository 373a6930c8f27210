// The rotation blit on real surfaces of the headless display.
#include <vector>

#include "ox.h"
#include "support/fixture.h"

namespace {

class RotateTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    libraryState = LibraryState();
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "DEFAULT";
    RegisterClassA(&wc);
    libraryState.mainWindow = CreateWindowExA(0, "DEFAULT", "Radire", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(oxDraw::Screen(640, 480, 1), 1);
    oxDraw::WhiteScreen();
  }
  void TearDown() override {
    oxDraw::ReleaseAll();
    HeadlessTest::TearDown();
  }
  // An object whose pixel (x, y) is 1 + x + 64 * y, with a black pixel at (3, 4).
  int Picture(int w, int h) {
    int n = oxDraw::CreateObject(w, h, 0);
    IDirectDrawSurface* s = oxDraw::objects[n].surface;
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) static_cast<WORD*>(d.lpSurface)[y * (d.lPitch / 2) + x] = WORD(1 + x + 64 * y);
    static_cast<WORD*>(d.lpSurface)[4 * (d.lPitch / 2) + 3] = 0;
    s->Unlock(nullptr);
    return n;
  }
  static WORD Source(int x, int y) { return x == 3 && y == 4 ? 0 : WORD(1 + x + 64 * y); }
  std::vector<WORD> Back() {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    std::vector<WORD> out(640 * 480);
    EXPECT_EQ(oxDraw::screen.back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) out[y * 640 + x] = static_cast<WORD*>(d.lpSurface)[y * (d.lPitch / 2) + x];
    oxDraw::screen.back->Unlock(nullptr);
    return out;
  }
  static constexpr WORD kWhite = 0xFFFF;
};

TEST_F(RotateTest, AngleZeroCopiesAndLeavesBlackOut) {
  int n = Picture(50, 50);
  EXPECT_EQ(oxDraw::DrawObjectRotate(100, 60, 150, 110, 0, n, 0, 0, 50, 50), 1);
  std::vector<WORD> b = Back();
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) {
      WORD want = Source(x, y) ? Source(x, y) : kWhite;
      ASSERT_EQ(b[(60 + y) * 640 + 100 + x], want) << x << "," << y;
    }
  EXPECT_EQ(b[60 * 640 + 99], kWhite);
  EXPECT_EQ(b[110 * 640 + 100], kWhite);
}

TEST_F(RotateTest, SmallerSourceIsCentred) {
  int n = Picture(50, 50);
  oxDraw::DrawObjectRotate(0, 0, 100, 100, 0, n, 0, 0, 50, 50);
  std::vector<WORD> b = Back();
  EXPECT_EQ(b[25 * 640 + 25], Source(0, 0));
  EXPECT_EQ(b[74 * 640 + 74], Source(49, 49));
  EXPECT_EQ(b[24 * 640 + 25], kWhite);
  EXPECT_EQ(b[25 * 640 + 75], kWhite);
  EXPECT_EQ(b[75 * 640 + 74], kWhite);
}

TEST_F(RotateTest, HalfTurnLeavesTheFirstRowAndColumn) {
  int n = Picture(50, 50);
  oxDraw::DrawObjectRotate(200, 200, 250, 250, 180, n, 0, 0, 50, 50);
  std::vector<WORD> b = Back();
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(b[200 * 640 + 200 + i], kWhite);
    ASSERT_EQ(b[(200 + i) * 640 + 200], kWhite);
  }
  for (int j = 1; j < 50; ++j)
    for (int i = 1; i < 50; ++i) {
      WORD want = Source(50 - i, 50 - j) ? Source(50 - i, 50 - j) : kWhite;
      ASSERT_EQ(b[(200 + j) * 640 + 200 + i], want) << i << "," << j;
    }
}

TEST_F(RotateTest, QuarterTurnIsCounterClockwise) {
  int n = Picture(30, 30);
  oxDraw::DrawObjectRotate(10, 10, 40, 40, 90, n, 0, 0, 30, 30);
  std::vector<WORD> b = Back();
  // The source's top row ends up as the left column, read upward.
  for (int j = 1; j < 30; ++j)
    for (int i = 0; i < 30; ++i) {
      WORD s = Source(30 - j, i);
      ASSERT_EQ(b[(10 + j) * 640 + 10 + i], s ? s : kWhite) << i << "," << j;
    }
  // Angles beyond the circle are taken round it.
  oxDraw::WhiteScreen();
  oxDraw::DrawObjectRotate(10, 10, 40, 40, 90 + 360, n, 0, 0, 30, 30);
  EXPECT_EQ(Back(), b);
  oxDraw::WhiteScreen();
  oxDraw::DrawObjectRotate(10, 10, 40, 40, -270, n, 0, 0, 30, 30);
  EXPECT_EQ(Back(), b);
}

TEST_F(RotateTest, DrawsOnlyInsideTheClip) {
  int n = Picture(50, 50);
  oxDraw::SetClip(20, 20, 600, 460);
  oxDraw::DrawObjectRotate(0, 430, 50, 480, 0, n, 0, 0, 50, 50);
  oxDraw::DrawObjectRotate(-100, -100, -50, -50, 0, n, 0, 0, 50, 50);  // wholly outside
  oxDraw::DrawObjectRotate(620, 10, 670, 60, 0, n, 0, 0, 50, 50);
  std::vector<WORD> b = Back();
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      bool inClip = x >= 20 && x < 600 && y >= 20 && y < 460;
      bool inDest = x < 50 && y >= 430;
      WORD s = Source(x, y - 430);
      WORD want = inClip && inDest && s ? s : kWhite;
      ASSERT_EQ(b[y * 640 + x], want) << x << "," << y;
    }
}

TEST_F(RotateTest, RefusalsDrawNothing) {
  int n = Picture(50, 50);
  std::vector<WORD> before = Back();
  // A frame the picture does not hold (its surface has 51 rows).
  EXPECT_EQ(oxDraw::DrawObjectRotate(0, 0, 50, 50, 0, n, 0, 50, 50, 100), 0);
  EXPECT_EQ(oxDraw::DrawObjectRotate(0, 0, 50, 50, 0, n, -1, 0, 49, 50), 0);
  EXPECT_EQ(oxDraw::DrawObjectRotate(0, 0, 50, 50, 0, 1023, 0, 0, 50, 50), 0);  // no surface
  EXPECT_EQ(Back(), before);

  // The back surface cannot be locked while its DC is out: 0, and the source is given back.
  HDC dc;
  ASSERT_EQ(oxDraw::screen.back->GetDC(&dc), DD_OK);
  EXPECT_EQ(oxDraw::DrawObjectRotate(0, 0, 50, 50, 0, n, 0, 0, 50, 50), 0);
  oxDraw::screen.back->ReleaseDC(dc);
  EXPECT_EQ(Back(), before);
  EXPECT_EQ(oxDraw::DrawObjectRotate(0, 0, 50, 50, 0, n, 0, 0, 50, 50), 1);
  EXPECT_NE(Back(), before);
}

}  // namespace
