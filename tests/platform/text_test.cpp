// Fonts and text on a DC over plain 16-bit pixels: sizes, faces, colours, wrapping and bad input.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gdi/font.h"
#include "gdi/gdi_object.h"
#include "support/allocations.h"
#include "support/fixture.h"

namespace {

constexpr COLORREF kNavy = 0x800000, kWhite = 0xFFFFFF, kYellow = 0x00FFFF;

// A DC over its own pixels; the pitch is wider than the row, as a locked surface's is.
struct Canvas {
  int width, height, stride;
  std::vector<uint16_t> pixels;
  platform::DeviceContext dc;
  explicit Canvas(int w = 640, int h = 480, uint16_t fill = 0, bool is555 = false)
      : width(w), height(h), stride(w + 8), pixels(size_t(stride) * h, fill) {
    dc.target = platform::PixelTarget{pixels.data(), w, h, stride * 2, is555};
  }
  HDC hdc() { return platform::ToHDC(&dc); }
  uint16_t At(int x, int y) const { return pixels[size_t(y) * stride + x]; }
  // The box of pixels that differ from `background`, and how many.
  int Ink(uint16_t background, RECT* box = nullptr, RECT area = {0, 0, 0, 0}) const {
    if (area.right == 0) area = RECT{0, 0, width, height};
    int count = 0;
    RECT b = {width, height, -1, -1};
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (At(x, y) != background) {
          ++count;
          b.left = std::min<LONG>(b.left, x), b.top = std::min<LONG>(b.top, y);
          b.right = std::max<LONG>(b.right, x + 1), b.bottom = std::max<LONG>(b.bottom, y + 1);
        }
    if (box) *box = b;
    return count;
  }
  bool PaddingUntouched(uint16_t fill) const {
    for (int y = 0; y < height; ++y)
      for (int x = width; x < stride; ++x)
        if (pixels[size_t(y) * stride + x] != fill) return false;
    return true;
  }
  // Saves the area (all by default) magnified `zoom` times, for looking at single pixels.
  void Save(const char* file, RECT area = {0, 0, 0, 0}, int zoom = 1) const {
    if (area.right == 0) area = RECT{0, 0, width, height};
    std::vector<uint8_t> rgb;
    for (int y = area.top * zoom; y < area.bottom * zoom; ++y)
      for (int x = area.left * zoom; x < area.right * zoom; ++x) {
        COLORREF c = platform::ToColor(At(x / zoom, y / zoom), dc.target.is555);
        rgb.push_back(GetRValue(c)), rgb.push_back(GetGValue(c)), rgb.push_back(GetBValue(c));
      }
    std::string name = file;
    if (const char* dir = std::getenv("RADIRE_SHOT_DIR")) name = std::string(dir) + "/" + file;
    ASSERT_TRUE(host::WritePng(name, rgb, (area.right - area.left) * zoom, (area.bottom - area.top) * zoom));
  }
};

HFONT Font(int face, int height, int angle = 0, int weight = 0, int italic = 0, int underline = 0,
           const char* name = nullptr) {
  LOGFONTA log = {};
  log.lfHeight = height;
  log.lfEscapement = angle * 10;
  log.lfWeight = weight;
  log.lfItalic = BYTE(italic);
  log.lfUnderline = BYTE(underline);
  log.lfCharSet = SHIFTJIS_CHARSET;
  if (name) std::strncpy(log.lfFaceName, name, LF_FACESIZE - 1);
  else if (face == 0) std::strcpy(log.lfFaceName, "標準明朝");
  else if (face == 1) std::strcpy(log.lfFaceName, "標準ゴシック");
  return CreateFontIndirectA(&log);
}

// Selects a font for the scope, then puts the old one back and deletes it.
struct Selected {
  HDC dc;
  HFONT font;
  HGDIOBJ old;
  Selected(HDC d, HFONT f) : dc(d), font(f), old(SelectObject(d, f)) {}
  ~Selected() {
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(font));
  }
};

SIZE Extent(HDC dc, const char* text) {
  SIZE size = {-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size));
  return size;
}

void Out(HDC dc, int x, int y, const char* text) { EXPECT_TRUE(TextOutA(dc, x, y, text, int(std::strlen(text)))); }

TEST(Font, PositiveHeightIsTheCellNegativeTheCharacter) {
  // The standard faces are Windows' fixed-pitch ones: the cell is the em, whichever height is asked, a
  // full-width character advances the em and a half-width one half of it.
  for (int face : {0, 1})
    for (int height : {12, 20, 33}) {
      SCOPED_TRACE(height);
      Canvas c;
      Selected a(c.hdc(), Font(face, height));
      EXPECT_EQ(Extent(c.hdc(), "A").cy, height);
      EXPECT_EQ(Extent(c.hdc(), "国国").cx, 2 * height);
      EXPECT_EQ(Extent(c.hdc(), "Wi.ｶ").cx, 4 * (height / 2));
      Selected b(c.hdc(), Font(face, -height));
      EXPECT_EQ(Extent(c.hdc(), "A").cy, height);
      EXPECT_EQ(Extent(c.hdc(), "国").cx, height);
    }
  // Another face keeps its own metrics: a character of 50 pixels has a taller cell.
  const char* other = "IPAPGothic";
  Canvas cell, character;
  int characterCell = 0;
  {
    Selected a(cell.hdc(), Font(1, 50, 0, 0, 0, 0, other));
    Selected b(character.hdc(), Font(1, -50, 0, 0, 0, 0, other));
    EXPECT_EQ(Extent(cell.hdc(), "A").cy, 50);
    // The character is 50 high, so the cell is taller: the face's ascent and descent exceed its em.
    characterCell = Extent(character.hdc(), "A").cy;
    EXPECT_GT(characterCell, 52);
    EXPECT_LT(characterCell, 60);
    SetBkMode(cell.hdc(), TRANSPARENT);
    SetBkMode(character.hdc(), TRANSPARENT);
    SetTextColor(cell.hdc(), kWhite);
    SetTextColor(character.hdc(), kWhite);
    Out(cell.hdc(), 10, 10, "国");
    Out(character.hdc(), 10, 10, "国");
  }
  RECT small, large;
  cell.Ink(0, &small);
  character.Ink(0, &large);
  EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
  // A full-height ideograph of a 50-pixel character spans most of those 50 pixels, and stays in its cell.
  EXPECT_GE(large.bottom - large.top, 40);
  EXPECT_LE(large.bottom, 10 + characterCell);
  EXPECT_LE(small.bottom, 10 + 50);
  EXPECT_GE(small.top, 10);
}

TEST(Font, FacesDifferAndAnEmptyNameIsTheGothic) {
  const char* text = "永遠の第二ステージ";
  std::vector<uint16_t> shots[3];
  const char* names[3] = {"標準明朝", "標準ゴシック", ""};
  for (int i = 0; i < 3; ++i) {
    Canvas c(320, 60);
    Selected s(c.hdc(), Font(-1, 30, 0, 0, 0, 0, names[i]));
    SetTextColor(c.hdc(), kWhite);
    SetBkColor(c.hdc(), 0);
    Out(c.hdc(), 0, 0, text);
    EXPECT_GT(c.Ink(0), 300);
    shots[i] = c.pixels;
  }
  EXPECT_NE(shots[0], shots[1]);
  EXPECT_EQ(shots[1], shots[2]);
}

TEST(Font, WeightsItalicAndUnderline) {
  auto ink = [](int weight, int italic, int underline, RECT* box) {
    Canvas c(320, 60);
    Selected s(c.hdc(), Font(1, 30, 0, weight, italic, underline));
    SetTextColor(c.hdc(), kWhite);
    SetBkMode(c.hdc(), TRANSPARENT);
    Out(c.hdc(), 10, 0, "Ill");
    return c.Ink(0, box);
  };
  RECT normal, bold, dontcare, slanted, lined;
  int n = ink(FW_NORMAL, 0, 0, &normal);
  EXPECT_GT(ink(FW_BOLD, 0, 0, &bold), n * 11 / 10);
  EXPECT_EQ(ink(FW_DONTCARE, 0, 0, &dontcare), n);  // 0 is the face's normal weight, not bold
  ink(FW_NORMAL, 1, 0, &slanted);
  EXPECT_GT(slanted.right, normal.right);
  EXPECT_EQ(slanted.top, normal.top);
  ink(FW_NORMAL, 0, 1, &lined);
  EXPECT_GT(lined.bottom, normal.bottom);  // the line lies below the baseline
  EXPECT_LE(lined.bottom, 30);
  EXPECT_GT(lined.right - lined.left, normal.right - normal.left);  // and runs the text's whole extent
}

TEST(Font, StrikeOutCrossesTheText) {
  Canvas plain(200, 40), struck(200, 40);
  LOGFONTA log = {};
  log.lfHeight = 30;
  Selected a(plain.hdc(), CreateFontIndirectA(&log));
  log.lfStrikeOut = 1;
  Selected b(struck.hdc(), CreateFontIndirectA(&log));
  for (HDC dc : {plain.hdc(), struck.hdc()}) {
    SetTextColor(dc, kWhite);
    SetBkMode(dc, TRANSPARENT);
    Out(dc, 0, 0, "o o");
  }
  // The blank between the letters is crossed.
  const int blank = Extent(plain.hdc(), "o ").cx - 3;
  EXPECT_EQ(plain.Ink(0, nullptr, RECT{blank, 0, blank + 1, 40}), 0);
  EXPECT_GT(struck.Ink(0, nullptr, RECT{blank, 0, blank + 1, 40}), 0);
}

TEST(Text, OpaqueFillsTheExtentBoxTransparentDoesNot) {
  const uint16_t grey = 0x4208;
  for (int mode : {OPAQUE, TRANSPARENT}) {
    Canvas c(200, 60, grey);
    Selected s(c.hdc(), Font(1, 12));
    SetTextColor(c.hdc(), kWhite);
    SetBkColor(c.hdc(), kNavy);
    SetBkMode(c.hdc(), mode);
    SIZE size = Extent(c.hdc(), "点数  12300");
    EXPECT_EQ(size.cy, 12);
    Out(c.hdc(), 5, 7, "点数  12300");
    RECT box;
    c.Ink(grey, &box);
    const uint16_t navy = platform::ToPixel(kNavy, false), white = platform::ToPixel(kWhite, false);
    if (mode == OPAQUE) {
      EXPECT_EQ(box.left, 5);
      EXPECT_EQ(box.top, 7);
      EXPECT_EQ(box.right, 5 + size.cx);
      EXPECT_EQ(box.bottom, 7 + 12);
      int colours[2] = {0, 0};
      for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
          // 12-pixel text is crisp: every pixel is the text colour or the background.
          ASSERT_TRUE(c.At(x, y) == navy || c.At(x, y) == white) << x << "," << y;
          ++colours[c.At(x, y) == white];
        }
      EXPECT_GT(colours[1], 40);
      EXPECT_GT(colours[0], colours[1]);
    } else {
      for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) ASSERT_NE(c.At(x, y), navy);
      EXPECT_GT(c.Ink(grey), 40);
    }
  }
}

TEST(Text, LargeTextIsSmooth) {
  Canvas c(400, 80);
  Selected s(c.hdc(), Font(1, 50));
  SetTextColor(c.hdc(), kYellow);
  SetBkMode(c.hdc(), TRANSPARENT);
  Out(c.hdc(), 0, 0, "第二ステージ");
  const uint16_t yellow = platform::ToPixel(kYellow, false);
  int full = 0, partial = 0;
  for (uint16_t p : c.pixels)
    if (p == yellow) ++full;
    else if (p) ++partial;
  EXPECT_GT(full, 1000);
  EXPECT_GT(partial, 200);
}

TEST(Text, FiveFiveFiveTargets) {
  Canvas c(100, 20, 0, true);
  Selected s(c.hdc(), Font(1, 12));
  SetTextColor(c.hdc(), kWhite);
  SetBkColor(c.hdc(), kNavy);
  Out(c.hdc(), 0, 0, "AB");
  EXPECT_EQ(c.At(0, 0), platform::ToPixel(kNavy, true));
  EXPECT_GT(std::count(c.pixels.begin(), c.pixels.end(), platform::ToPixel(kWhite, true)), 10);
}

TEST(Text, ClippedAtTheTargetsEdges) {
  Canvas c(60, 20, 0x1111);
  Selected s(c.hdc(), Font(1, 30, 0, FW_BOLD, 1));
  SetTextColor(c.hdc(), kWhite);
  SetBkColor(c.hdc(), kNavy);
  Out(c.hdc(), -15, -10, "WWWWWWWWWW");
  Out(c.hdc(), 40, 5, "回転地獄");
  EXPECT_TRUE(c.PaddingUntouched(0x1111));
  EXPECT_EQ(c.pixels.size(), size_t(c.stride) * c.height);
}

TEST(Text, MalformedShiftJisDrawsTheDefaultCharacterAndTheRest) {
  Canvas bad(300, 40), good(300, 40);
  Selected a(bad.hdc(), Font(1, 20));
  Selected b(good.hdc(), Font(1, 20));
  // A lead byte followed by a blank, an invalid single byte, and a lead byte cut off at the end.
  const char malformed[] = "A\x81 B\xFF" "C\x82";
  const char expected[] = "A・ B・C・";
  EXPECT_EQ(Extent(bad.hdc(), malformed).cx, Extent(good.hdc(), expected).cx);
  Out(bad.hdc(), 0, 0, malformed);
  Out(good.hdc(), 0, 0, expected);
  EXPECT_EQ(bad.pixels, good.pixels);
}

TEST(Text, EscapementTurnsTheText) {
  Canvas c(200, 300);
  Selected s(c.hdc(), Font(1, 30, 90));
  SetTextColor(c.hdc(), kWhite);
  SetBkMode(c.hdc(), TRANSPARENT);
  Out(c.hdc(), 50, 250, "ABCDEFG");
  RECT box;
  c.Ink(0, &box);
  // Ninety degrees: the text runs up from the reference point, its cell to the right of it.
  EXPECT_GT(box.bottom - box.top, 3 * (box.right - box.left));
  EXPECT_LE(box.bottom, 251);
  EXPECT_GE(box.left, 49);
  EXPECT_LE(box.right, 50 + 32);
}

TEST(Text, BadArgumentsFailCleanly) {
  Canvas c(50, 20);
  SIZE size;
  RECT r = {0, 0, 50, 20};
  EXPECT_FALSE(TextOutA(nullptr, 0, 0, "A", 1));
  EXPECT_FALSE(TextOutA(c.hdc(), 0, 0, nullptr, 3));
  EXPECT_FALSE(TextOutA(c.hdc(), 0, 0, "A", -1));
  EXPECT_FALSE(GetTextExtentPoint32A(c.hdc(), "A", 1, nullptr));
  EXPECT_EQ(DrawTextA(c.hdc(), "A", 1, nullptr, 0), 0);
  EXPECT_EQ(DrawTextA(nullptr, "A", 1, &r, 0), 0);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  // With no font selected the DC's own font draws.
  EXPECT_TRUE(GetTextExtentPoint32A(c.hdc(), "A", 1, &size));
  EXPECT_GT(size.cx, 0);
  Out(c.hdc(), 0, 0, "A");
  EXPECT_GT(c.Ink(0), 0);
}

TEST(DrawText, WrapsAtBlanksAndBetweenDoubleByteCharacters) {
  Canvas c;
  Selected s(c.hdc(), Font(1, 30));
  const char* game = "PUSH ENTER or PAD BUTTON START GAME";
  const int oneLine = Extent(c.hdc(), game).cx;
  RECT wide = {0, 300, 640, 480};
  EXPECT_EQ(DrawTextA(c.hdc(), game, -1, &wide, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_CENTER), 30);
  EXPECT_EQ(wide.bottom, 330);
  EXPECT_EQ(wide.right, oneLine);

  // "PUSH ENTER" / "or PAD" / "BUTTON" / "START GAME" in a third of the width.
  RECT narrow = {10, 0, 10 + oneLine / 3, 0};
  EXPECT_EQ(DrawTextA(c.hdc(), game, -1, &narrow, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX), 120);
  // The measured width keeps the blank at the break, as it fits (Windows' DrawText under Wine does the same).
  EXPECT_EQ(narrow.right - 10, Extent(c.hdc(), "PUSH ENTER ").cx);
  EXPECT_EQ(c.Ink(0), 0);  // measuring draws nothing

  // Without blanks, Japanese text breaks between its characters.
  const char* japanese = "あなたの点数は一二三四五六七八九十でした。";
  const int japaneseWidth = Extent(c.hdc(), japanese).cx;
  RECT box = {0, 0, japaneseWidth / 3 + 5, 0};
  int height = DrawTextA(c.hdc(), japanese, -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  EXPECT_EQ(height, 90);
  EXPECT_LE(box.right, japaneseWidth / 3 + 5);
  EXPECT_GT(box.right, japaneseWidth / 3 - 30);

  // A word wider than the box stays whole, and the measured box grows to hold it.
  RECT tiny = {0, 0, 20, 0};
  EXPECT_EQ(DrawTextA(c.hdc(), "WIDEWORD ok", -1, &tiny, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX), 60);
  EXPECT_EQ(tiny.right, Extent(c.hdc(), "WIDEWORD").cx);

  // Line breaks of the text itself always break; without DT_WORDBREAK only they do.
  RECT lines = {0, 0, 5, 0};
  EXPECT_EQ(DrawTextA(c.hdc(), "one two\r\nthree\nfour", -1, &lines, DT_CALCRECT | DT_NOPREFIX), 90);
  EXPECT_EQ(lines.right, Extent(c.hdc(), "one two").cx);
}

TEST(DrawText, AlignsClipsAndDrawsWrappedLines) {
  const char* text = "PUSH ENTER or PAD BUTTON START GAME";
  RECT boxes[3];
  for (UINT align : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
    Canvas c(640, 480, 0);
    Selected s(c.hdc(), Font(1, 30));
    SetTextColor(c.hdc(), kYellow);
    SetBkMode(c.hdc(), TRANSPARENT);
    // "PUSH ENTER or" / "PAD BUTTON" / "START GAME", 15 pixels a character
    RECT r = {100, 300, 320, 360};
    EXPECT_EQ(DrawTextA(c.hdc(), text, -1, &r, DT_WORDBREAK | DT_NOPREFIX | align), 90);
    EXPECT_EQ(r.right, 320);  // drawing leaves the rectangle alone
    c.Ink(0, &boxes[align]);
    // Clipped to the rectangle: the third line is cut.
    EXPECT_GE(boxes[align].left, 100);
    EXPECT_LE(boxes[align].right, 320);
    EXPECT_GE(boxes[align].top, 300);
    EXPECT_LE(boxes[align].bottom, 360);
    EXPECT_GT(boxes[align].bottom, 340);
    if (align == DT_CENTER) {
      testing_support::TempDir dir;
      c.Save("drawtext_center.png");
    }
  }
  EXPECT_LE(boxes[DT_LEFT].left, 102);
  EXPECT_GE(boxes[DT_RIGHT].right, 317);
  EXPECT_GT(boxes[DT_CENTER].left, boxes[DT_LEFT].left + 5);
  EXPECT_LT(boxes[DT_CENTER].right, boxes[DT_RIGHT].right - 5);
}

TEST(DrawText, PrefixesUnlessAskedNotTo) {
  Canvas c(200, 40);
  Selected s(c.hdc(), Font(1, 20));
  RECT a = {0, 0, 200, 0}, b = a, d = a;
  DrawTextA(c.hdc(), "A&B", -1, &a, DT_CALCRECT);
  DrawTextA(c.hdc(), "A&B", -1, &b, DT_CALCRECT | DT_NOPREFIX);
  DrawTextA(c.hdc(), "AB", -1, &d, DT_CALCRECT);
  EXPECT_EQ(a.right, d.right);
  EXPECT_GT(b.right, d.right);
}

TEST(Font, MissingFaceStillDraws) {
  Canvas c(200, 40);
  Selected s(c.hdc(), Font(-1, 20, 0, 0, 0, 0, "NoSuchFace Anywhere"));
  SetTextColor(c.hdc(), kWhite);
  Out(c.hdc(), 0, 0, "点数 123");
  EXPECT_GT(c.Ink(0xFFFF), 20);
  EXPECT_EQ(Extent(c.hdc(), "A").cy, 20);
}

class FontFailure : public testing_support::HeadlessTest {};

TEST_F(FontFailure, FontconfigFailingStillDraws) {
  host().SetFailure("FcFontMatch", 0);
  Canvas c(200, 40);
  Selected s(c.hdc(), Font(-1, 20, 0, 0, 0, 0, "AnotherFaceNobodyHas"));
  SetTextColor(c.hdc(), kWhite);
  SetBkMode(c.hdc(), TRANSPARENT);
  Out(c.hdc(), 0, 0, "点数 123");
  EXPECT_GT(c.Ink(0), 20);
}

TEST(Text, AWarmFrameOfTextsAllocatesNothing) {
  Canvas c;
  auto frame = [&] {
    const struct { int face, height, angle, weight; } fonts[] = {{1, 12, 0, 0}, {1, 30, 0, 0}, {0, 50, 0, 1},
                                                                  {1, 20, 30, 0}};
    for (const auto& f : fonts) {
      HFONT font = Font(f.face, f.height, f.angle, f.weight);
      HGDIOBJ old = SelectObject(c.hdc(), font);
      SetTextColor(c.hdc(), kWhite);
      SetBkColor(c.hdc(), kNavy);
      Out(c.hdc(), 0, 470, "点数  12300  ハイスコア  45600");
      RECT r = {0, 300, 640, 480};
      DrawTextA(c.hdc(), "PUSH ENTER or PAD BUTTON START GAME", -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_CENTER);
      RECT m = r;
      DrawTextA(c.hdc(), "第二ステージ", -1, &m, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      SelectObject(c.hdc(), old);
      DeleteObject(font);
    }
  };
  frame();
  frame();
  long news = testing_support::NewCalls(), blocks = platform::FontMemoryAllocations();
  for (int i = 0; i < 5; ++i) frame();
  EXPECT_EQ(testing_support::NewCalls(), news);
  EXPECT_EQ(platform::FontMemoryAllocations(), blocks);
}

// The frame to look at (RADIRE_SHOT_DIR keeps it): both faces and sizes, both background modes, turned,
// slanted and wrapped text.
TEST(Text, Frames) {
  testing_support::TempDir dir;
  const uint16_t ground = platform::ToPixel(0x302010, false);
  Canvas c(640, 480, ground);
  auto text = [&](HFONT font, int x, int y, const char* s, COLORREF ink, COLORREF bk, int mode) {
    Selected sel(c.hdc(), font);
    SetTextColor(c.hdc(), ink);
    SetBkColor(c.hdc(), bk);
    SetBkMode(c.hdc(), mode);
    Out(c.hdc(), x, y, s);
  };
  text(Font(1, 12), 0, 0, "60.0 fps ( max 62.5 / min 58.0 )", kWhite, kNavy, OPAQUE);
  text(Font(1, 50), 20, 30, "第二ステージ", kYellow, 0, TRANSPARENT);
  text(Font(0, 50), 20, 90, "第三ステージ Mincho", kYellow, kNavy, OPAQUE);
  text(Font(0, 12), 20, 150, "明朝 12: あなたの点数は12300でした。", kWhite, 0, TRANSPARENT);
  text(Font(1, 30, 0, FW_BOLD, 1, 1), 20, 170, "Bold italic 下線", 0x80FF80, 0, TRANSPARENT);
  text(Font(1, 30, 30), 300, 330, "  回転地獄", 0xFFA0A0, kNavy, OPAQUE);
  text(Font(1, 20), 20, 220, "bad: A\x81 B\xFF" "C", kWhite, 0, TRANSPARENT);
  {
    Selected sel(c.hdc(), Font(1, 30));
    SetTextColor(c.hdc(), kYellow);
    SetBkMode(c.hdc(), TRANSPARENT);
    RECT r = {0, 250, 320, 480};
    DrawTextA(c.hdc(), "PUSH ENTER or PAD BUTTON START GAME", -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_CENTER);
  }
  text(Font(1, 12), 0, 470, "点数  12300  ハイスコア  45600", kWhite, kNavy, OPAQUE);
  // The status line at the bottom is navy behind white; its last two rows fall off the screen.
  const uint16_t navy = platform::ToPixel(kNavy, false), white = platform::ToPixel(kWhite, false);
  RECT status;
  c.Ink(ground, &status, RECT{0, 460, 640, 480});
  EXPECT_EQ(status.left, 0);
  EXPECT_EQ(status.top, 470);
  EXPECT_EQ(status.bottom, 480);
  for (int x = status.left; x < status.right; ++x) ASSERT_TRUE(c.At(x, 475) == navy || c.At(x, 475) == white);
  // The transparent banner leaves the ground between its strokes.
  RECT banner;
  int inked = c.Ink(ground, &banner, RECT{0, 30, 640, 82});
  EXPECT_LT(inked, (banner.right - banner.left) * (banner.bottom - banner.top) / 2);
  c.Save("text_frame.png");
  c.Save("text_status_zoom.png", RECT{0, 462, 240, 480}, 4);
  c.Save("text_small_zoom.png", RECT{0, 0, 240, 16}, 4);
  c.Save("text_mincho_zoom.png", RECT{10, 146, 250, 166}, 4);
  c.Save("text_large_zoom.png", RECT{20, 30, 180, 90}, 4);
}

}  // namespace
