// The software pixel effects on the real screen and objects: channel arithmetic in both pixel formats,
// transparency, clipping, and bad rectangles, sizes, zooms and angles.
#include <functional>

#include "draw/draw_fixture.h"

namespace {

using draw_test::ScreenTest;

class Effects : public ScreenTest {};

TEST_F(Effects, HalfOfWhiteOverBlackIsTheHalfMaskInBothFormats) {
  for (bool is555 : {false, true}) {
    Start(is555);
    int white = Solid(8, 8, White());
    FillBack(0);
    ASSERT_EQ(oxDraw::DrawObjectHalf(10, 10, white, 0, 0, 8, 8), 1);
    EXPECT_EQ(At(10, 10), is555 ? 0x3DEF : 0x7BEF);
    EXPECT_EQ(At(17, 17), is555 ? 0x3DEF : 0x7BEF);
    EXPECT_EQ(At(18, 17), 0);
  }
}

TEST_F(Effects, AddSaturatesEachChannelAndSubtractTakesTheSourceRedFromAll) {
  int grey = Solid(4, 4, Rgb(20, 40, 20));
  FillBack(Rgb(20, 40, 20));
  oxDraw::DrawObjectAdd(0, 0, grey, 0, 0, 4, 4);
  EXPECT_EQ(At(0, 0), White());  // 40, 80, 40 each stop at the channel's max
  FillBack(Rgb(3, 5, 1));
  int small = Solid(4, 4, Rgb(1, 2, 0));
  oxDraw::DrawObjectAdd(0, 0, small, 0, 0, 4, 4);
  EXPECT_EQ(At(3, 3), Rgb(4, 7, 1));

  // Red 10 comes off red, green and blue alike, whatever the source's green and blue say; floored at 0.
  int reddish = Solid(4, 4, Rgb(10, 63, 31));
  FillBack(Rgb(25, 30, 5));
  oxDraw::DrawObjectSubtract(0, 0, reddish, 0, 0, 4, 4);
  EXPECT_EQ(At(1, 1), Rgb(15, 20, 0));
}

TEST_F(Effects, AlphaBrightAndMaskWorkPerChannel) {
  int src = Solid(4, 4, Rgb(31, 63, 31));
  FillBack(Rgb(0, 0, 10));
  oxDraw::DrawObjectAlpha(0, 0, 0.5f, src, 0, 0, 4, 4);
  EXPECT_EQ(At(0, 0), Rgb(15, 31, 20));  // truncate(31 * .5), truncate(63 * .5), truncate(31 * .5 + 10 * .5)
  FillBack(Rgb(0, 0, 10));
  oxDraw::DrawObjectAlphaRGB(0, 0, 1.0f, 0.0f, 0.25f, src, 0, 0, 4, 4);
  EXPECT_EQ(At(0, 0), Rgb(31, 0, 15));  // 7.75 + 7.5
  oxDraw::DrawObjectBrightRGB(0, 0, 0.5f, 0.25f, 0.0f, src, 0, 0, 4, 4);
  EXPECT_EQ(At(0, 0), Rgb(15, 15, 0));
  // A factor above 1 stops at the channel's max instead of spilling into the next channel.
  oxDraw::DrawObjectBright(0, 0, 3.0f, src, 0, 0, 4, 4);
  EXPECT_EQ(At(0, 0), White());
  FillBack(0x1234);
  oxDraw::DrawObjectMask(0, 0, 1, 0, 1, src, 0, 0, 4, 4);
  EXPECT_EQ(At(2, 2), Rgb(31, 0, 31));
  // An alpha outside 0..1 keeps every channel in range too.
  int dim = Solid(4, 4, Rgb(1, 1, 1));
  FillBack(White());
  oxDraw::DrawObjectAlpha(0, 0, -1.0f, dim, 0, 0, 4, 4);
  EXPECT_EQ(At(0, 0), White());
}

TEST_F(Effects, GreyHasOneFormulaPerFormat) {
  // 5-6-5: green counts half, and the grey's green is twice the value.
  int src = Solid(2, 2, Rgb(30, 60, 0));
  oxDraw::DrawObjectGray(0, 0, src, 0, 0, 2, 2);
  EXPECT_EQ(At(0, 0), Rgb(20, 40, 20));  // (30 + 30 + 0) / 3
  int odd = Solid(2, 2, Rgb(1, 3, 0));
  oxDraw::DrawObjectGray(0, 0, odd, 0, 0, 2, 2);
  EXPECT_EQ(At(0, 0), Rgb(0, 0, 0));  // (1 + 1 + 0) / 3 is 0
  Start(true);
  src = Solid(2, 2, Rgb(30, 20, 1));
  oxDraw::DrawObjectGray(0, 0, src, 0, 0, 2, 2);
  EXPECT_EQ(At(1, 1), Rgb(17, 17, 17));  // 51 / 3
}

TEST_F(Effects, BlurAveragesBlocksThatStayInsideTheSourceRectangle) {
  // Columns 0..3 of the rectangle hold blue 4, 8, 12, 16 in every row.
  int src = Picture(8, 8, [](int x, int) { return Rgb(0, 0, 4 * (x % 4 + 1)); });
  FillBack(0);
  oxDraw::DrawObjectBlur(0, 0, 2, src, 0, 0, 4, 4);
  EXPECT_EQ(At(0, 0), Rgb(0, 0, 6));
  EXPECT_EQ(At(2, 0), Rgb(0, 0, 14));
  // The last column's block is moved back: columns 2 and 3 again, never column 4 of the picture.
  EXPECT_EQ(At(3, 3), Rgb(0, 0, 14));
  // A block larger than the remaining rows starts higher; a 3 x 3 block at the corner covers columns 1..3.
  oxDraw::DrawObjectBlur(0, 0, 3, src, 0, 0, 4, 4);
  EXPECT_EQ(At(3, 3), Rgb(0, 0, 12));
  EXPECT_EQ(At(0, 0), Rgb(0, 0, 8));
  // Sizes of 0 or less copy the picture; nothing is read past the rectangle for huge sizes.
  oxDraw::DrawObjectBlur(0, 0, 0, src, 0, 0, 4, 4);
  EXPECT_EQ(At(3, 0), Rgb(0, 0, 16));
  EXPECT_EQ(oxDraw::DrawObjectBlur(0, 0, 1000000, src, 0, 0, 4, 4), 1);
}

TEST_F(Effects, BlackSourcePixelsAreLeftAloneByEveryMemberButTheRipple) {
  // A 10 x 10 picture with a black hole at (4..5, 4..5).
  int src = Picture(10, 10, [](int x, int y) { return (x / 2 == 2 && y / 2 == 2) ? uint16_t(0) : Rgb(9, 9, 9); });
  const uint16_t under = Rgb(3, 5, 7);
  std::vector<std::pair<const char*, std::function<void()>>> members = {
      {"Half", [&] { oxDraw::DrawObjectHalf(100, 100, src, 0, 0, 10, 10); }},
      {"Alpha", [&] { oxDraw::DrawObjectAlpha(100, 100, 0.7f, src, 0, 0, 10, 10); }},
      {"AlphaRGB", [&] { oxDraw::DrawObjectAlphaRGB(100, 100, 0.9f, 0.5f, 0.9f, src, 0, 0, 10, 10); }},
      {"Add", [&] { oxDraw::DrawObjectAdd(100, 100, src, 0, 0, 10, 10); }},
      {"Subtract", [&] { oxDraw::DrawObjectSubtract(100, 100, src, 0, 0, 10, 10); }},
      {"Mask", [&] { oxDraw::DrawObjectMask(100, 100, 1, 1, 1, src, 0, 0, 10, 10); }},
      {"Bright", [&] { oxDraw::DrawObjectBright(100, 100, 0.5f, src, 0, 0, 10, 10); }},
      {"BrightRGB", [&] { oxDraw::DrawObjectBrightRGB(100, 100, 0.5f, 1, 1, src, 0, 0, 10, 10); }},
      {"Blur", [&] { oxDraw::DrawObjectBlur(100, 100, 2, src, 0, 0, 10, 10); }},
      {"Gray", [&] { oxDraw::DrawObjectGray(100, 100, src, 0, 0, 10, 10); }},
      {"RotateTile", [&] { oxDraw::DrawObjectRotateTile(100, 100, 110, 110, 0, src, 0, 0, 10, 10); }},
      {"RotateZoom", [&] { oxDraw::DrawObjectRotateZoom(100, 100, 110, 110, 0, 1.0f, src, 0, 0, 10, 10); }},
      {"RotateZoomTile", [&] { oxDraw::DrawObjectRotateZoomTile(100, 100, 110, 110, 0, 1.0f, src, 0, 0, 10, 10); }},
      {"Floor", [&] { oxDraw::DrawObjectFloor(100, 100, 110, 110, 0, 1, 0, 1, 0, 1, 1, 1, src, 0, 0, 10, 10); }},
  };
  for (auto& [name, draw] : members) {
    FillBack(under);
    draw();
    EXPECT_EQ(At(104, 104), under) << name;
    EXPECT_EQ(At(105, 105), under) << name;
    EXPECT_NE(At(103, 104), under) << name;
    EXPECT_NE(At(106, 105), under) << name;
  }
  // The ripple writes black too: without a wave it is a plain copy.
  FillBack(under);
  oxDraw::DrawObjectRipple(100, 100, 0, 0, 1, 1.0f, 0.0f, src, 0, 0, 10, 10);
  EXPECT_EQ(At(104, 104), 0);
  EXPECT_EQ(At(103, 104), Rgb(9, 9, 9));
  EXPECT_EQ(At(110, 104), under);
}

TEST_F(Effects, NonRotatingMembersClipAsDrawObjectDoes) {
  int src = Picture(30, 20, [](int x, int y) { return uint16_t(0x0841 + x * 64 + y * 2048); });
  struct Case {
    int x, y, l, t, r, b;
  };
  const Case cases[] = {{-7, 5, 0, 0, 30, 20},   {620, 470, 0, 0, 30, 20}, {100, -15, 5, 2, 25, 18},
                        {-40, 3, 0, 0, 30, 20},  {50, 60, 10, 10, 10, 15}, {630, -5, 3, 4, 30, 20}};
  for (const RECT& clip : {RECT{0, 0, 640, 480}, RECT{60, 50, 200, 100}}) {
    for (const Case& c : cases) {
      for (int shifted : {0, 1}) {
        int x = c.x + shifted * 80, y = c.y + shifted * 55;
        oxDraw::SetClip(clip.left, clip.top, clip.right, clip.bottom);
        FillBack(0);
        oxDraw::DrawObject(x, y, src, c.l, c.t, c.r, c.b);
        std::vector<uint16_t> expected = BackPixels();
        FillBack(0);
        // All channels on: the mask is a plain copy.
        ASSERT_EQ(oxDraw::DrawObjectMask(x, y, 1, 1, 1, src, c.l, c.t, c.r, c.b), 1);
        EXPECT_EQ(BackPixels(), expected) << x << "," << y << " clip " << clip.left;
        FillBack(0);
        oxDraw::DrawObjectBrightRGB(x, y, 1, 1, 1, src, c.l, c.t, c.r, c.b);
        EXPECT_EQ(BackPixels(), expected) << x << "," << y;
      }
    }
  }
}

TEST_F(Effects, RectanglesOutsideTheirSurfacesNeverReachPastThem) {
  int src = Solid(16, 16, Rgb(31, 0, 0));
  // A clip rectangle larger than the screen and source rectangles past the object's edges.
  oxDraw::SetClip(-100, -100, 2000, 2000);
  FillBack(0);
  EXPECT_EQ(oxDraw::DrawObjectAdd(630, 470, src, -5, -5, 40, 40), 1);
  EXPECT_EQ(At(639, 479), Rgb(31, 0, 0));
  EXPECT_EQ(At(634, 479), 0);  // the five columns left of the object were never there
  EXPECT_EQ(oxDraw::DrawObjectBlur(-10, -10, 3, src, 0, 0, 1 << 30, 1 << 30), 1);
  EXPECT_EQ(oxDraw::DrawObjectRipple(600, 400, 50, 3, 1, 5.0f, 2.0f, src, 0, 0, 16, 16), 1);
  EXPECT_EQ(oxDraw::DrawObjectHalf(0x7FFFFFF0, 0x7FFFFFF0, src, -0x7FFFFFFF, 0, 0x7FFFFFFF, 16), 1);
  EXPECT_EQ(oxDraw::DrawObjectGray(10, 10, src, 5, 5, 2, 2), 1);  // negative size: nothing
  // Rotations with huge rectangles, any angle, and zooms of 0 stay inside too.
  EXPECT_EQ(oxDraw::DrawObjectRotateTile(-1 << 30, -1 << 30, 1 << 30, 1 << 30, 7, src, 0, 0, 16, 16), 1);
  EXPECT_EQ(oxDraw::DrawObjectRotateZoomTile(0, 0, 640, 480, -725, 0.0f, src, -4, -4, 100, 100), 1);
  FillBack(0);
  EXPECT_EQ(oxDraw::DrawObjectRotateZoom(0, 0, 640, 480, 400, 0.0f, src, 0, 0, 16, 16), 1);
  EXPECT_EQ(CountBack(0), 640 * 480) << "a zoom of 0 draws nothing";
  // An angle of 360 + 90 is the same as 90.
  FillBack(0);
  int arrow = Picture(8, 8, [](int x, int y) { return uint16_t(x + 8 * y + 1); });
  oxDraw::SetClip(0, 0, 640, 480);
  oxDraw::DrawObjectRotateTile(0, 0, 8, 8, 90, arrow, 0, 0, 8, 8);
  std::vector<uint16_t> ninety = BackPixels();
  oxDraw::DrawObjectRotateTile(0, 0, 8, 8, 450, arrow, 0, 0, 8, 8);
  EXPECT_EQ(BackPixels(), ninety);
  oxDraw::DrawObjectRotateTile(0, 0, 8, 8, -270, arrow, 0, 0, 8, 8);
  EXPECT_EQ(BackPixels(), ninety);
  // Bad object numbers cannot be locked.
  EXPECT_EQ(oxDraw::DrawObjectAdd(0, 0, 5000, 0, 0, 4, 4), 0);
  EXPECT_EQ(oxDraw::DrawObjectRotateZoom(0, 0, 4, 4, 0, 1, -1, 0, 0, 4, 4), 0);
}

TEST_F(Effects, ALockThatFailsReturnsZeroAndLeavesTheBackSurface) {
  int src = Solid(16, 16, White());
  FillBack(0x0101);
  ASSERT_EQ(oxDraw::GetDC(), DD_OK);  // the program holds the back surface's DC
  EXPECT_EQ(oxDraw::DrawObjectAdd(0, 0, src, 0, 0, 16, 16), 0);
  EXPECT_EQ(oxDraw::DrawObjectRotateZoom(0, 0, 16, 16, 0, 1, src, 0, 0, 16, 16), 0);
  EXPECT_EQ(oxDraw::SoftenRect(0, 0, 16, 16), 0);
  EXPECT_EQ(oxDraw::Zoom2(0, 0, 16, 16, 0), 0);
  ASSERT_EQ(oxDraw::ReleaseDC(), DD_OK);
  EXPECT_EQ(CountBack(0x0101), 640 * 480);
  // The source was unlocked again: it can be drawn now.
  EXPECT_EQ(oxDraw::DrawObjectAdd(0, 0, src, 0, 0, 16, 16), 1);
  EXPECT_EQ(At(0, 0), White());
  EXPECT_EQ(oxDraw::ReleaseDC(), DDERR_NODC);
}

TEST_F(Effects, RotationsTileZoomAndShadeAsTheyTurn) {
  // Four 8 x 8 quadrants: 1 2 / 3 4.
  int quads = Picture(16, 16, [](int x, int y) { return uint16_t(1 + x / 8 + 2 * (y / 8)); });
  FillBack(0);
  // Angle 0, zoom 1 in a destination the size of the source: a copy.
  oxDraw::DrawObjectRotateZoom(0, 0, 16, 16, 0, 1.0f, quads, 0, 0, 16, 16);
  EXPECT_EQ(At(0, 0), 1);
  EXPECT_EQ(At(15, 15), 4);
  EXPECT_EQ(At(8, 0), 2);
  // Zoom 2: each source coordinate is halved, so the first quadrant fills the destination.
  FillBack(0);
  oxDraw::DrawObjectRotateZoom(0, 0, 16, 16, 0, 2.0f, quads, 0, 0, 16, 16);
  EXPECT_EQ(At(15, 15), 1);
  // Half a turn.
  FillBack(0);
  oxDraw::DrawObjectRotateZoom(0, 0, 16, 16, 180, 1.0f, quads, 0, 0, 16, 16);
  EXPECT_EQ(At(1, 1), 4);
  EXPECT_EQ(At(14, 1), 3);
  EXPECT_EQ(At(0, 0), 0) << "column and row 0 map to 16, past the source";
  // Tiling fills a destination larger than the source with repeats; without it only the centre shows.
  FillBack(0);
  oxDraw::DrawObjectRotateTile(0, 0, 48, 48, 0, quads, 0, 0, 16, 16);
  EXPECT_EQ(CountBack(0), 640 * 480 - 48 * 48);
  EXPECT_EQ(At(16, 16), 1);
  EXPECT_EQ(At(40, 40), 4);
  FillBack(0);
  oxDraw::DrawObjectRotateZoom(0, 0, 48, 48, 0, 1.0f, quads, 0, 0, 16, 16);
  EXPECT_EQ(CountBack(0), 640 * 480 - 16 * 16);
  EXPECT_EQ(At(16, 16), 1);
  FillBack(0);
  oxDraw::DrawObjectRotateZoomTile(0, 0, 32, 32, 0, 0.5f, quads, 0, 0, 16, 16);
  EXPECT_EQ(At(0, 0), 1);
  EXPECT_EQ(At(4, 0), 2) << "column 4 is -4 from the offset, -8 at zoom 0.5, taken as 8";
  // The floor: the zoom grows row by row and the factors shade each channel.
  int white = Solid(16, 16, White());
  FillBack(0);
  oxDraw::DrawObjectFloor(0, 0, 64, 64, 0, 1, 0.5f, 1, 0.5f, 0.5f, 1.0f, 0.0f, white, 0, 0, 16, 16);
  EXPECT_EQ(At(10, 10), Rgb(15, 63, 0));
  EXPECT_EQ(CountBack(Rgb(15, 63, 0)), 64 * 64);
  // A clipped rotation draws only the part inside the clip.
  oxDraw::SetClip(8, 8, 640, 480);
  FillBack(0);
  oxDraw::DrawObjectRotateZoom(0, 0, 16, 16, 0, 1.0f, quads, 0, 0, 16, 16);
  EXPECT_EQ(At(7, 7), 0);
  EXPECT_EQ(At(8, 8), 4);
  EXPECT_EQ(CountBack(0), 640 * 480 - 64);
}

}  // namespace
