// Pens, brushes and shapes on a DC over a pixel buffer of the test's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gdi/gdi_object.h"
#include "windows.h"

namespace {

// A 40 x 30 target whose rows are padded, with a guard value in the padding and around the buffer.
class Shapes : public ::testing::Test {
 protected:
  static constexpr int W = 40, H = 30, Pitch = W + 8;
  static constexpr uint16_t Guard = 0xA5A5;

  void SetUp() override { Reset(false); }
  void TearDown() override {
    EXPECT_TRUE(GuardsIntact());
    Use(GetStockObject(BLACK_PEN));
    Use(GetStockObject(WHITE_BRUSH));
  }

  void Reset(bool is555) {
    memory.assign(Pitch * (H + 2), Guard);
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++) At(x, y) = 0;
    dc = platform::DeviceContext();
    dc.target = platform::PixelTarget{&memory[Pitch], W, H, Pitch * 2, is555};
  }
  HDC Dc() { return platform::ToHDC(&dc); }
  uint16_t& At(int x, int y) { return memory[(y + 1) * Pitch + x]; }
  uint16_t Px(COLORREF c) { return platform::ToPixel(c, dc.target.is555); }
  bool GuardsIntact() {
    for (int i = 0; i < int(memory.size()); i++) {
      int row = i / Pitch - 1, col = i % Pitch;
      bool inside = row >= 0 && row < H && col < W;
      if (!inside && memory[i] != Guard) return false;
    }
    return true;
  }
  int Count(uint16_t v) {
    int n = 0;
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++) n += At(x, y) == v;
    return n;
  }
  void Fill(uint16_t v) {
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++) At(x, y) = v;
  }
  // Selects a new object and deletes the one it replaced unless it was the DC's default.
  void Use(HGDIOBJ object) {
    HGDIOBJ old = SelectObject(Dc(), object);
    if (old) DeleteObject(old);
  }

  std::vector<uint16_t> memory;
  platform::DeviceContext dc;
};

TEST_F(Shapes, SetPixelStoresTheNearestColourAndGetPixelWidensIt) {
  for (bool is555 : {false, true}) {
    Reset(is555);
    EXPECT_EQ(SetPixel(Dc(), 3, 4, RGB(255, 0, 0)), RGB(255, 0, 0));
    EXPECT_EQ(At(3, 4), is555 ? 0x7C00 : 0xF800);
    COLORREF c = GetPixel(Dc(), 3, 4);
    EXPECT_EQ(GetRValue(c), 255);
    EXPECT_EQ(GetGValue(c), 0);
    EXPECT_EQ(GetBValue(c), 0);
    // A colour between two steps comes back as the step the format holds.
    COLORREF set = SetPixel(Dc(), 0, 0, RGB(100, 100, 100));
    EXPECT_EQ(GetPixel(Dc(), 0, 0), set);
    EXPECT_NE(set, RGB(100, 100, 100));
  }
  EXPECT_EQ(SetPixel(Dc(), W, 0, 0xFFFFFF), CLR_INVALID);
  EXPECT_EQ(SetPixel(Dc(), -1, 5, 0xFFFFFF), CLR_INVALID);
  EXPECT_EQ(GetPixel(Dc(), 0, H), CLR_INVALID);
  EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
}

TEST_F(Shapes, LineToLeavesOutItsLastPixelAndMovesThePosition) {
  POINT old = {-9, -9};
  ASSERT_TRUE(MoveToEx(Dc(), 2, 5, &old));
  EXPECT_EQ(old.x, 0);
  EXPECT_EQ(old.y, 0);
  ASSERT_TRUE(LineTo(Dc(), 12, 5));  // the default pen is black: draw with white instead
  EXPECT_EQ(Count(0), W * H);
  Use(CreatePen(PS_SOLID, 1, 0xFFFFFF));
  MoveToEx(Dc(), 2, 5, nullptr);
  LineTo(Dc(), 12, 5);
  EXPECT_EQ(Count(0xFFFF), 10);
  EXPECT_EQ(At(2, 5), 0xFFFF);
  EXPECT_EQ(At(11, 5), 0xFFFF);
  EXPECT_EQ(At(12, 5), 0);
  // The next line starts where the last one ended; a diagonal touches one pixel per row.
  LineTo(Dc(), 12, 15);
  EXPECT_EQ(At(12, 5), 0xFFFF);
  EXPECT_EQ(At(12, 15), 0);
  Fill(0);
  MoveToEx(Dc(), 0, 0, nullptr);
  LineTo(Dc(), 7, 7);
  for (int i = 0; i < 7; i++) EXPECT_EQ(At(i, i), 0xFFFF) << i;
  EXPECT_EQ(Count(0xFFFF), 7);
  // A styled one-pixel pen: PS_DASHDOT runs 9 on, 6 off, 3 on, 6 off from the line's start; the gaps take
  // the background colour when it is opaque and keep what was there otherwise. Wider, it draws solid.
  for (int mode : {OPAQUE, TRANSPARENT}) {
    Fill(0x1111);
    Use(CreatePen(PS_DASHDOT, 1, 0xFFFFFF));
    SetBkMode(Dc(), mode);
    SetBkColor(Dc(), 0);
    MoveToEx(Dc(), 2, 20, nullptr);
    LineTo(Dc(), 38, 20);
    for (int i = 0; i < 36; i++) {
      int k = i % 24;
      bool on = k < 9 || (k >= 15 && k < 18);
      EXPECT_EQ(At(2 + i, 20), on ? 0xFFFF : mode == OPAQUE ? 0 : 0x1111) << i;
    }
  }
  Use(CreatePen(PS_DASH, 2, 0xFFFFFF));
  Fill(0);
  MoveToEx(Dc(), 2, 20, nullptr);
  LineTo(Dc(), 38, 20);
  for (int x = 3; x < 37; x++) EXPECT_EQ(At(x, 20), 0xFFFF) << x;
  Use(CreatePen(PS_SOLID, 1, 0xFFFFFF));
  // Each step takes the pixel nearest the true line; of two as near, the one with the smaller coordinate,
  // whichever way the line runs (from (0, 10) to (20, 16) the line is half-way at x 5 and 15).
  const POINT ends[] = {{20, 16}, {20, 4}, {-20, 16}, {-20, 4}};
  for (POINT e : ends) {
    SCOPED_TRACE(e.x * 100 + e.y);
    Fill(0);
    MoveToEx(Dc(), 20, 10, nullptr);
    LineTo(Dc(), 20 + e.x, e.y);
    int dy = e.y - 10, sx = e.x < 0 ? -1 : 1;
    for (int i : {5, 15}) {
      int lower = dy > 0 ? 10 + dy * i / 20 : 10 - (-dy * i + 19) / 20;  // the half-way point, rounded down
      EXPECT_EQ(At(20 + sx * i, lower), 0xFFFF) << i;
      EXPECT_EQ(At(20 + sx * i, lower + 1), 0) << i;
    }
  }
}

TEST_F(Shapes, WidePensCoverTheirWidthWithRoundEnds) {
  for (int width : {2, 3, 5}) {
    Fill(0);
    Use(CreatePen(PS_SOLID, width, RGB(0, 255, 0)));
    MoveToEx(Dc(), 10, 15, nullptr);
    LineTo(Dc(), 30, 15);
    int rows = 0;
    for (int y = 0; y < H; y++) rows += At(20, y) == Px(RGB(0, 255, 0));
    EXPECT_EQ(rows, width) << width;
    // The ends are included, with a cap of half the width.
    EXPECT_EQ(At(30, 15), Px(RGB(0, 255, 0))) << width;
    EXPECT_EQ(At(30 + width / 2 + 1, 15), 0) << width;
  }
  // The caps are round: a square one would cover the corner.
  EXPECT_EQ(At(32, 15), Px(RGB(0, 255, 0)));
  EXPECT_EQ(At(32, 13), 0);
  // A slanted one, pixel for pixel as Windows' GDI draws it (under Wine): one side of its band at half the
  // width rounded, the other a whole width further rounded outwards, and round ends.
  static const char* const slanted[] = {
      "....####", "...#######", "...#########", "......########", "........########",
      "..........########", "............########", "..............#########", "................#########",
      "..................#########", ".....................########", ".......................########",
      ".........................########", "...........................########", ".............................######",
      "...............................#####", "..................................#"};
  Fill(0);
  Use(CreatePen(PS_SOLID, 3, RGB(0, 255, 0)));
  MoveToEx(Dc(), 4, 6, nullptr);
  LineTo(Dc(), 34, 20);
  for (int y = 0; y < H; y++) {
    std::string row(W, '.');
    for (int x = 0; x < W; x++) row[x] = At(x, y) ? '#' : '.';
    std::string want = y >= 5 && y < 22 ? slanted[y - 5] : "";
    want.resize(W, '.');
    EXPECT_EQ(row, want) << y;
  }
  // A wide line far beyond the target touches only what lies inside it.
  MoveToEx(Dc(), -100000, 3, nullptr);
  EXPECT_TRUE(LineTo(Dc(), 100000, 3));
}

TEST_F(Shapes, RectangleOwnsItsLeftAndTopEdgeButNotRightAndBottom) {
  Use(CreatePen(PS_SOLID, 1, 0xFFFFFF));
  Use(CreateSolidBrush(RGB(0, 0, 255)));
  ASSERT_TRUE(Rectangle(Dc(), 5, 6, 15, 12));
  EXPECT_EQ(At(5, 6), 0xFFFF);
  EXPECT_EQ(At(14, 11), 0xFFFF);
  EXPECT_EQ(At(15, 11), 0);
  EXPECT_EQ(At(14, 12), 0);
  EXPECT_EQ(At(6, 7), 0x001F);
  EXPECT_EQ(At(13, 10), 0x001F);
  EXPECT_EQ(Count(0xFFFF), 2 * 10 + 2 * 4);
  EXPECT_EQ(Count(0x001F), 8 * 4);
  // Swapped corners give the same shape.
  Fill(0);
  Rectangle(Dc(), 15, 12, 5, 6);
  EXPECT_EQ(Count(0xFFFF), 28);
  // A one-pixel frame runs through the corner pixels: a single pixel's has no length and draws nothing,
  // one of two pixels draws both.
  Fill(0);
  Rectangle(Dc(), 20, 20, 21, 21);
  EXPECT_EQ(Count(0), W * H);
  Rectangle(Dc(), 20, 20, 22, 21);
  EXPECT_EQ(Count(0xFFFF), 2);
  // A wide inside frame stays within the bounds, its corners rounded by the pen.
  Fill(0);
  Use(CreatePen(PS_INSIDEFRAME, 4, 0xFFFFFF));
  Rectangle(Dc(), 10, 10, 30, 26);
  EXPECT_EQ(At(10, 10), 0);
  EXPECT_EQ(At(11, 10), 0xFFFF);
  EXPECT_EQ(At(29, 25), 0);
  EXPECT_EQ(At(28, 25), 0xFFFF);
  EXPECT_EQ(At(13, 13), 0xFFFF);
  EXPECT_EQ(At(14, 14), 0x001F);
  EXPECT_EQ(Count(0xFFFF), 20 * 16 - 12 * 8 - 4);
  Use(CreatePen(PS_SOLID, 1, 0xFFFFFF));
  // With the null pen the brush fills one column and one row less.
  Fill(0);
  Use(GetStockObject(NULL_PEN));
  Rectangle(Dc(), 5, 6, 15, 12);
  EXPECT_EQ(Count(0x001F), 9 * 5);
  EXPECT_EQ(At(14, 6), 0);
  // The hollow brush leaves the inside alone.
  Fill(0x1234);
  Use(GetStockObject(WHITE_PEN));
  Use(GetStockObject(HOLLOW_BRUSH));
  Rectangle(Dc(), 5, 6, 15, 12);
  EXPECT_EQ(Count(0xFFFF), 28);
  EXPECT_EQ(At(10, 9), 0x1234);
  // Clipped at the target's edges, whatever the coordinates.
  Fill(0);
  Use(GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(Rectangle(Dc(), -0x7FFFFFFF, -5, 0x7FFFFFFF, 0x7FFFFFFF));
  EXPECT_EQ(Count(0xFFFF), W * H);
}

TEST_F(Shapes, StockObjectsAreRealPensAndBrushesThatCannotBeDeleted) {
  // A fresh DC has the black pen and the white brush, and hands them back for the restore.
  HPEN pen = CreatePen(PS_SOLID, 1, 0xFFFFFF);
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_EQ(SelectObject(Dc(), pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(Dc(), brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(Dc(), GetStockObject(BLACK_PEN)), pen);
  EXPECT_EQ(SelectObject(Dc(), GetStockObject(WHITE_BRUSH)), brush);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  Fill(0x0101);
  Use(GetStockObject(NULL_PEN));
  Use(GetStockObject(GRAY_BRUSH));
  Rectangle(Dc(), 0, 0, 3, 3);
  EXPECT_EQ(At(0, 0), Px(0x808080));
  Use(GetStockObject(BLACK_BRUSH));
  Rectangle(Dc(), 0, 0, 3, 3);
  EXPECT_EQ(At(1, 1), 0);
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_PEN)));
  Use(GetStockObject(WHITE_PEN));
  MoveToEx(Dc(), 0, 5, nullptr);
  LineTo(Dc(), 3, 5);
  EXPECT_EQ(At(2, 5), 0xFFFF);
  EXPECT_EQ(GetStockObject(9), nullptr);
}

TEST_F(Shapes, PolygonOutlinesFillsAndHatches) {
  const POINT tri[] = {{4, 4}, {34, 4}, {4, 26}};
  Use(CreatePen(PS_SOLID, 1, 0xFFFFFF));
  Use(GetStockObject(NULL_BRUSH));
  Fill(0x1111);
  ASSERT_TRUE(Polygon(Dc(), tri, 3));
  EXPECT_EQ(At(4, 4), 0xFFFF);
  EXPECT_EQ(At(20, 4), 0xFFFF);
  EXPECT_EQ(At(4, 20), 0xFFFF);
  EXPECT_EQ(At(8, 8), 0x1111);  // inside, untouched
  int outline = Count(0xFFFF);
  EXPECT_GT(outline, 50);
  EXPECT_LT(outline, 90);

  // A red diagonal-cross hatch: in opaque mode the gaps take the background colour.
  Use(CreateHatchBrush(HS_DIAGCROSS, RGB(255, 0, 0)));
  SetBkColor(Dc(), RGB(0, 0, 0));
  Fill(0x1111);
  Polygon(Dc(), tri, 3);
  int red = 0, black = 0, kept = 0;
  for (int y = 6; y < 14; y++)
    for (int x = 6; x < 14; x++) {
      uint16_t v = At(x, y);
      red += v == 0xF800, black += v == 0, kept += v == 0x1111;
      // The two diagonals of the pattern cross the same pixels wherever the shape lies.
      EXPECT_EQ(v == 0xF800, ((x - y) & 7) == 0 || ((x + y) & 7) == 7) << x << "," << y;
    }
  EXPECT_EQ(red, 16);
  EXPECT_EQ(black, 48);
  EXPECT_EQ(kept, 0);
  EXPECT_EQ(At(30, 24), 0x1111);  // outside

  SetBkMode(Dc(), TRANSPARENT);
  Fill(0x1111);
  Polygon(Dc(), tri, 3);
  EXPECT_EQ(At(8, 9), 0x1111);
  EXPECT_EQ(At(8, 8), 0xF800);

  // Too few points, or more than a fill row can hold, are refused and draw nothing.
  Fill(0);
  EXPECT_FALSE(Polygon(Dc(), tri, 1));
  EXPECT_FALSE(Polygon(Dc(), nullptr, 3));
  std::vector<POINT> many(1000, POINT{5, 5});
  EXPECT_FALSE(Polygon(Dc(), many.data(), int(many.size())));
  EXPECT_EQ(Count(0), W * H);
}

TEST_F(Shapes, PolygonFillModesDifferOnlyInTheOverlap) {
  // A pentagram: the centre is inside with WINDING and outside with ALTERNATE.
  const POINT star[] = {{20, 2}, {31, 27}, {4, 11}, {36, 11}, {9, 27}};
  Use(GetStockObject(NULL_PEN));
  Use(GetStockObject(WHITE_BRUSH));
  Polygon(Dc(), star, 5);
  EXPECT_EQ(At(20, 16), 0);
  EXPECT_EQ(At(20, 6), 0xFFFF);
  EXPECT_EQ(SetPolyFillMode(Dc(), WINDING), ALTERNATE);
  Polygon(Dc(), star, 5);
  EXPECT_EQ(At(20, 16), 0xFFFF);
  EXPECT_EQ(SetPolyFillMode(Dc(), 7), 0);
}

TEST_F(Shapes, PolyBezierNeedsThreePointsPerCurveAndReachesItsEnds) {
  Use(CreatePen(PS_SOLID, 1, 0xFFFFFF));
  const POINT line[] = {{2, 10}, {10, 10}, {20, 10}, {30, 10}};
  ASSERT_TRUE(PolyBezier(Dc(), line, 4));
  EXPECT_EQ(At(2, 10), 0xFFFF);
  EXPECT_EQ(At(29, 10), 0xFFFF);
  EXPECT_EQ(Count(0xFFFF), 28);
  const POINT arch[] = {{2, 28}, {2, 0}, {37, 0}, {37, 28}, {30, 28}, {20, 20}, {10, 28}};
  Fill(0);
  ASSERT_TRUE(PolyBezier(Dc(), arch, 7));
  EXPECT_EQ(At(2, 28), 0xFFFF);
  EXPECT_EQ(At(20, 7), 0xFFFF);  // the arch's top: 3/4 of the way up from 28 to 0
  EXPECT_EQ(At(37, 28), 0xFFFF);
  // The second curve peaks at (19.9, 24.4), but Windows flattens it into three lines through (25, 25) and
  // (18, 25): it is drawn on row 25 there, not through the true curve.
  EXPECT_EQ(At(20, 25), 0xFFFF);
  EXPECT_EQ(At(20, 24), 0);
  EXPECT_EQ(At(30, 26), 0xFFFF);
  EXPECT_FALSE(PolyBezier(Dc(), arch, 5));
  EXPECT_FALSE(PolyBezier(Dc(), arch, 1));
}

TEST_F(Shapes, InvertRectTwiceRestoresThePixels) {
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) At(x, y) = uint16_t(x * 977 + y * 131);
  std::vector<uint16_t> before = memory;
  RECT r = {-5, 3, 25, 100};
  ASSERT_TRUE(InvertRect(Dc(), &r));
  EXPECT_EQ(At(0, 3), uint16_t(~(0 * 977 + 3 * 131)));
  EXPECT_EQ(At(25, 3), uint16_t(25 * 977 + 3 * 131));
  EXPECT_EQ(At(0, 2), uint16_t(2 * 131));
  InvertRect(Dc(), &r);
  EXPECT_EQ(memory, before);
  EXPECT_FALSE(InvertRect(Dc(), nullptr));
}

TEST_F(Shapes, BadPenAndBrushArgumentsAreRefused) {
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_EQ(CreateHatchBrush(6, 0), nullptr);
  LOGBRUSH odd = {9, 0, 0};
  EXPECT_EQ(CreateBrushIndirect(&odd), nullptr);
  EXPECT_EQ(CreateBrushIndirect(nullptr), nullptr);
  LOGBRUSH hatch = {BS_HATCHED, RGB(0, 255, 0), HS_CROSS};
  HBRUSH b = CreateBrushIndirect(&hatch);
  ASSERT_NE(b, nullptr);
  Use(GetStockObject(NULL_PEN));
  HGDIOBJ old = SelectObject(Dc(), b);
  EXPECT_FALSE(DeleteObject(b));  // still selected
  Rectangle(Dc(), 0, 0, 17, 17);
  EXPECT_EQ(At(0, 3), Px(RGB(0, 255, 0)));
  EXPECT_EQ(At(4, 8), Px(RGB(0, 255, 0)));
  EXPECT_EQ(At(3, 2), Px(0xFFFFFF));  // the DC's background colour, opaque
  SelectObject(Dc(), old ? old : GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(b));

  // Every hatch is Windows' 8 x 8 pattern (a row a byte, the leftmost pixel the top bit), repeating from
  // the DC's origin wherever the shape lies.
  const uint8_t patterns[6][8] = {
      {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
      {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
      {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
      {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
      {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
      {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
  };
  SetBkColor(Dc(), 0);
  for (int style = HS_HORIZONTAL; style <= HS_DIAGCROSS; ++style) {
    SCOPED_TRACE(style);
    Use(CreateHatchBrush(style, 0xFFFFFF));
    Fill(0x1111);
    Rectangle(Dc(), 5, 3, 30, 28);
    int wrong = 0;
    for (int y = 4; y < 26; ++y)
      for (int x = 6; x < 28; ++x) wrong += (At(x, y) == 0xFFFF) != bool(patterns[style][y & 7] & (0x80 >> (x & 7)));
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
