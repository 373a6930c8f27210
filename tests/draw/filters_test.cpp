// The back-surface filters, the pixel zooms and the GDI primitives on the real screen.
#include "draw/draw_fixture.h"

namespace {

using draw_test::ScreenTest;

class Filters : public ScreenTest {};

TEST_F(Filters, SoftenKeepsAUniformAreaAndSpreadsADotAtAQuarter) {
  FillBack(Rgb(10, 20, 10));
  ASSERT_EQ(oxDraw::SoftenRect(100, 100, 50, 40), 1);
  EXPECT_EQ(CountBack(Rgb(10, 20, 10)), 640 * 480);
  FillBack(0);
  WithPixels(Back(), [](uint16_t* row, int y, int) {
    if (y == 120) row[120] = 0xFFFF;
  });
  oxDraw::SoftenRect(100, 100, 50, 40);
  EXPECT_EQ(CountBack(Rgb(7, 15, 7)), 4);
  EXPECT_EQ(At(119, 119), Rgb(7, 15, 7));
  EXPECT_EQ(At(120, 120), Rgb(7, 15, 7));
  EXPECT_EQ(CountBack(0), 640 * 480 - 4);
  // The block of the last column and row moves back inside the rectangle.
  FillBack(0);
  WithPixels(Back(), [](uint16_t* row, int y, int) {
    if (y == 139) row[149] = 0xFFFF;
  });
  oxDraw::SoftenRect(100, 100, 50, 40);
  EXPECT_EQ(At(150, 139), 0);
  EXPECT_EQ(At(148, 138), Rgb(7, 15, 7));
}

TEST_F(Filters, FadeDarkensByOneStepPerCallUntilBlack) {
  FillBack(0xFFFF);
  oxDraw::FadeRect(1, 0, 0, 0, 0, 64, 64);
  EXPECT_EQ(At(10, 10), Rgb(30, 63, 31));
  FillBack(0xFFFF);
  oxDraw::FadeRect(1, 1, 1, 0, 0, 64, 64);
  EXPECT_EQ(At(30, 30), Rgb(30, 62, 30));
  // The last row and column average pixels already faded in this call, so they darken faster.
  EXPECT_LT(At(63, 63), Rgb(30, 62, 30));
  for (int i = 1; i < 31; i++) oxDraw::FadeRect(1, 1, 1, 0, 0, 64, 64);
  EXPECT_EQ(At(0, 0), Rgb(0, 32, 0));
  for (int i = 31; i < 63; i++) oxDraw::FadeRect(1, 1, 1, 0, 0, 64, 64);
  EXPECT_EQ(At(0, 0), 0);
  EXPECT_EQ(At(63, 63), 0);
  EXPECT_EQ(At(64, 63), 0xFFFF);
  EXPECT_EQ(CountBack(0), 64 * 64);
}

TEST_F(Filters, SmokeAndFireRaiseThePictureAndKeepTheBottomRow) {
  // Row r of the rectangle holds red r; it rises by one row per call, whether averaged or copied.
  auto rows = [this] { PaintBack([](int, int y) { return Rgb(y >= 200 && y < 220 ? y - 200 : 0, 0, 5); }); };
  rows();
  ASSERT_EQ(oxDraw::SmokeRect(300, 200, 40, 20), 1);
  for (int r = 0; r < 18; r++) EXPECT_EQ(At(310, 200 + r), Rgb(r + 1, 0, 5)) << r;
  for (int c = 300; c < 340; c++) EXPECT_EQ(At(c, 219), Rgb(19, 0, 5)) << c;
  EXPECT_EQ(At(310, 199), Rgb(0, 0, 5));
  EXPECT_EQ(At(340, 205), Rgb(5, 0, 5));
  // The skip state moved on: 3 averaged pixels, then random thresholds below 3.
  EXPECT_LT(oxDraw::smokeState.threshold, 3);
  EXPECT_LT(oxDraw::smokeState.counter, 3);

  // Fire fades the averaged pixels only: each pixel of row 0 is either red 1 (copied) or red 0 (faded).
  rows();
  oxDraw::FireRect(1, 0, 1, 300, 200, 40, 20);
  int copied = 0, faded = 0;
  for (int c = 300; c < 340; c++) {
    uint16_t v = At(c, 200);
    copied += v == Rgb(1, 0, 5), faded += v == Rgb(0, 0, 4);
  }
  EXPECT_EQ(copied + faded, 40);
  EXPECT_GT(copied, 0);
  EXPECT_GT(faded, 0);
}

TEST_F(Filters, Zoom2OfAQuarterFillsTheScreen) {
  auto pattern = [](int x, int y) { return uint16_t((x * 7 + y * 13) | 1); };
  PaintBack(pattern);
  ASSERT_EQ(oxDraw::Zoom2(0, 0, 320, 240, 0), 1);
  std::vector<uint16_t> all = BackPixels();
  int wrong = 0;
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) wrong += all[y * 640 + x] != pattern(x / 2, y / 2);
  EXPECT_EQ(wrong, 0);

  // Modes other than 0 fill only the cell's top row; the Buffer object's other rows show through.
  WithPixels(Of(0), [](uint16_t* row, int, int w) {
    for (int x = 0; x < w; x++) row[x] = 0x1111;
  });
  PaintBack(pattern);
  oxDraw::Zoom2(0, 0, 320, 240, 1);
  EXPECT_EQ(At(5, 4), pattern(2, 2));
  EXPECT_EQ(At(5, 5), 0x1111);
  // Zoom4 with the dot mode: the top-left 2 x 2 of each 4 x 4 cell.
  WithPixels(Of(0), [](uint16_t* row, int, int w) {
    for (int x = 0; x < w; x++) row[x] = 0x1111;
  });
  PaintBack(pattern);
  ASSERT_EQ(oxDraw::Zoom4(0, 0, 160, 120, 3), 1);
  EXPECT_EQ(At(9, 9), pattern(2, 2));
  EXPECT_EQ(At(10, 9), 0x1111);
  EXPECT_EQ(At(9, 10), 0x1111);
  PaintBack(pattern);
  oxDraw::Zoom4(0, 0, 160, 120, 0);
  EXPECT_EQ(At(639, 479), pattern(159, 119));
}

TEST_F(Filters, FiltersStayInsideTheSurfaceWhateverTheRectangle) {
  FillBack(0xFFFF);
  EXPECT_EQ(oxDraw::SoftenRect(600, 450, 1000, 1000), 1);
  EXPECT_EQ(oxDraw::SmokeRect(-50, -50, 100, 100), 1);
  EXPECT_EQ(oxDraw::FireRect(1, 1, 1, 0x7FFFFFFF, 0, 0x7FFFFFFF, 5), 1);
  EXPECT_EQ(oxDraw::FadeRect(1, 1, 1, 10, 10, -5, 30), 1);
  EXPECT_EQ(oxDraw::SoftenRect(10, 10, 1, 30), 1);  // narrower than a block: nothing to do
  EXPECT_EQ(CountBack(0xFFFF), 640 * 480);
  // A zoom of a rectangle near the edge enlarges what lies inside; the draw back is clipped.
  PaintBack([](int x, int) { return uint16_t(x + 1); });
  EXPECT_EQ(oxDraw::Zoom2(600, 400, 320, 240, 0), 1);
  EXPECT_EQ(At(601, 401), 601);
  EXPECT_EQ(At(639, 479), 620);
  EXPECT_EQ(oxDraw::Zoom4(-100, -100, 5000, 5000, 0), 1);
}

class Primitives : public ScreenTest {};

TEST_F(Primitives, APureRedPixelReadsBackAsRed) {
  for (bool is555 : {false, true}) {
    Start(is555);
    oxDraw::SetPixel(20, 30, RGB(255, 0, 0));
    EXPECT_EQ(At(20, 30), Rgb(31, 0, 0));
    int r = -1, g = -1, b = -1;
    oxDraw::GetPixel(20, 30, &r, &g, &b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 0);
    oxDraw::GetPixel(-1, 0, &r, &g, &b);
    EXPECT_EQ(r + g + b, 0);
  }
}

TEST_F(Primitives, PolygonFillModes) {
  const POINT square[] = {{100, 100}, {200, 100}, {200, 200}, {100, 200}};
  const uint16_t under = Rgb(5, 10, 5), red = Rgb(31, 0, 0);
  FillBack(under);
  oxDraw::Polygon(square, 4, RGB(255, 0, 0), RGB(0, 0, 0), 1, 0);
  EXPECT_EQ(CountBack(red), 400);  // only the outline
  EXPECT_EQ(CountBack(under), 640 * 480 - 400);

  // Mode 1: the hatch lines in the colour, the gaps in the (black) background colour.
  FillBack(under);
  oxDraw::Polygon(square, 4, RGB(255, 0, 0), RGB(0, 0, 0), 1, 1);
  int inside = 99 * 99;
  int gaps = 0, lines = 0;
  for (int y = 101; y < 200; y++)
    for (int x = 101; x < 200; x++) gaps += At(x, y) == 0, lines += At(x, y) == red;
  EXPECT_EQ(gaps + lines, inside);
  EXPECT_GT(gaps, 2 * lines);
  EXPECT_GT(lines, inside / 5);
  EXPECT_EQ(At(250, 150), under);

  // Mode 2: transparent, the gaps keep what was there.
  FillBack(under);
  oxDraw::Polygon(square, 4, RGB(255, 0, 0), RGB(0, 0, 0), 1, 2);
  int kept = 0;
  for (int y = 101; y < 200; y++)
    for (int x = 101; x < 200; x++) kept += At(x, y) == under;
  EXPECT_EQ(kept, gaps);
  EXPECT_EQ(CountBack(0), 0);
}

TEST_F(Primitives, InvertRectTwiceRestoresThePicture) {
  PaintBack([](int x, int y) { return uint16_t(x * 31 + y * 977); });
  std::vector<uint16_t> before = BackPixels();
  oxDraw::InvertRect(50, 60, 700, 300);
  EXPECT_EQ(At(50, 60), uint16_t(~(50 * 31 + 60 * 977)));
  EXPECT_EQ(At(49, 60), uint16_t(49 * 31 + 60 * 977));
  oxDraw::InvertRect(50, 60, 700, 300);
  EXPECT_EQ(BackPixels(), before);
}

TEST_F(Primitives, LinesRectanglesAndCurvesUseTheirOwnPensAndBrushes) {
  FillBack(0);
  oxDraw::Line(10, 10, 110, 10, RGB(0, 255, 0), 3);
  EXPECT_EQ(At(60, 9), Rgb(0, 63, 0));
  EXPECT_EQ(At(60, 11), Rgb(0, 63, 0));
  EXPECT_EQ(At(60, 12), 0);
  oxDraw::Rectangle(200, 200, 220, 210, RGB(0, 0, 255), RGB(255, 255, 255), 1);
  EXPECT_EQ(At(200, 200), 0xFFFF);
  EXPECT_EQ(At(210, 205), Rgb(0, 0, 31));
  EXPECT_EQ(At(220, 205), 0);
  const POINT curve[] = {{300, 300}, {300, 250}, {400, 250}, {400, 300}};
  oxDraw::Bezier(curve, 4, RGB(255, 255, 255), 1);
  EXPECT_EQ(At(350, 263), 0xFFFF);  // the curve's top, (350, 262.5)
  oxDraw::Bezier(curve, 3, RGB(255, 0, 0), 1);  // not 3n + 1 points: nothing
  EXPECT_EQ(CountBack(Rgb(31, 0, 0)), 0);
  // Each call gives the DC back: the back surface can be locked and blitted again.
  EXPECT_EQ(oxDraw::SoftenRect(0, 0, 8, 8), 1);
}

TEST_F(Primitives, TheProgramsDCKeepsTheSurfaceUntilItIsReleased) {
  FillBack(0);
  ASSERT_EQ(oxDraw::GetDC(), DD_OK);
  EXPECT_NE(oxDraw::GetDC(), DD_OK);  // one at a time
  // The program draws with GDI itself; the library's primitives find the DC taken and draw nothing.
  SetPixel(oxDraw::programDC.dc, 5, 5, RGB(255, 255, 255));
  oxDraw::SetPixel(6, 6, RGB(255, 255, 255));
  EXPECT_EQ(oxDraw::ReleaseDC(), DD_OK);
  EXPECT_EQ(oxDraw::ReleaseDC(), DDERR_NODC);
  EXPECT_EQ(At(5, 5), 0xFFFF);
  EXPECT_EQ(At(6, 6), 0);
}

}  // namespace
