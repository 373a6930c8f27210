// Text: TextOutA, DrawTextA and GetTextExtentPoint32A on a DC's 16-bit pixels.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "font.h"
#include "kernel/codepage.h"

namespace platform {
namespace {

// Italic faces are simulated by slanting, as GDI does for faces without an italic.
constexpr double kSlant = 0.25;

struct Painter {
  PixelTarget* target;
  RECT clip;  // inside the target
  bool is555;

  void Put(int x, int y, uint16_t pixel) {
    target->pixels[size_t(y) * (target->pitch / 2) + x] = pixel;
  }
  // Mixes `color` into the pixel by `coverage` (0..255), in the pixel's own channel widths.
  void Blend(int x, int y, const uint16_t color, unsigned coverage) {
    uint16_t* p = &target->pixels[size_t(y) * (target->pitch / 2) + x];
    if (coverage >= 255) {
      *p = color;
      return;
    }
    const unsigned gBits = is555 ? 5 : 6, rShift = is555 ? 10 : 11;
    const unsigned gMask = (1u << gBits) - 1;
    unsigned d = *p, c = color;
    auto mix = [coverage](unsigned a, unsigned b) { return a + ((int(b) - int(a)) * int(coverage) + 127) / 255; };
    unsigned r = mix((d >> rShift) & 31, (c >> rShift) & 31);
    unsigned g = mix((d >> 5) & gMask, (c >> 5) & gMask);
    unsigned b = mix(d & 31, c & 31);
    *p = uint16_t((r << rShift) | (g << 5) | b);
  }
};

// Where a line's text space lies on the device: x along the baseline, y down from the cell's top, both
// turned by the escapement around the reference point.
struct Placement {
  int x, y;  // reference point: the cell's top-left corner
  double c, s;
  bool upright;
  void ToDevice(double tx, double ty, double* dx, double* dy) const {
    *dx = x + tx * c + ty * s;
    *dy = y - tx * s + ty * c;
  }
  void ToText(double dx, double dy, double* tx, double* ty) const {
    dx -= x;
    dy -= y;
    *tx = dx * c - dy * s;
    *ty = dx * s + dy * c;
  }
  // The device pixels the text-space box [x0, x1) x [y0, y1) may touch, inside the clip.
  bool Bounds(double x0, double y0, double x1, double y1, const RECT& clip, RECT* out) const {
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    const double xs[2] = {x0, x1}, ys[2] = {y0, y1};
    for (double tx : xs)
      for (double ty : ys) {
        double dx, dy;
        ToDevice(tx, ty, &dx, &dy);
        minX = std::min(minX, dx), maxX = std::max(maxX, dx);
        minY = std::min(minY, dy), maxY = std::max(maxY, dy);
      }
    out->left = std::max(long(clip.left), long(std::floor(minX)));
    out->top = std::max(long(clip.top), long(std::floor(minY)));
    out->right = std::min(long(clip.right), long(std::ceil(maxX)) + 1);
    out->bottom = std::min(long(clip.bottom), long(std::ceil(maxY)) + 1);
    return out->left < out->right && out->top < out->bottom;
  }
};

// Fills the text-space box [x0, x1) x [y0, y1).
void FillBox(Painter& painter, const Placement& at, int x0, int y0, int x1, int y1, uint16_t color) {
  if (x0 >= x1 || y0 >= y1) return;
  if (at.upright) {
    int left = std::max(int(painter.clip.left), at.x + x0), right = std::min(int(painter.clip.right), at.x + x1);
    int top = std::max(int(painter.clip.top), at.y + y0), bottom = std::min(int(painter.clip.bottom), at.y + y1);
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) painter.Put(x, y, color);
    return;
  }
  RECT box;
  if (!at.Bounds(x0, y0, x1, y1, painter.clip, &box)) return;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      double tx, ty;
      at.ToText(x + 0.5, y + 0.5, &tx, &ty);
      if (tx >= x0 && tx < x1 && ty >= y0 && ty < y1) painter.Put(x, y, color);
    }
}

unsigned Coverage(const Glyph& g, int col, int row) {
  if (col < 0 || row < 0 || col >= g.width || row >= g.rows) return 0;
  const uint8_t* line = g.buffer + ptrdiff_t(row) * g.pitch;
  if (g.mono) return (line[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
  return line[col];
}

// Coverage at a point of the glyph's bitmap: bilinear for grey levels, the nearest bit for mono.
unsigned Sample(const Glyph& g, double gx, double gy) {
  if (g.mono) return Coverage(g, int(std::floor(gx)), int(std::floor(gy)));
  gx -= 0.5, gy -= 0.5;
  int cx = int(std::floor(gx)), cy = int(std::floor(gy));
  double fx = gx - cx, fy = gy - cy;
  double top = Coverage(g, cx, cy) * (1 - fx) + Coverage(g, cx + 1, cy) * fx;
  double bottom = Coverage(g, cx, cy + 1) * (1 - fx) + Coverage(g, cx + 1, cy + 1) * fx;
  return unsigned(top * (1 - fy) + bottom * fy + 0.5);
}

// Draws a glyph with its pen position at text-space x `pen`; bold doubles it one pixel to the right.
void DrawGlyph(Painter& painter, const Placement& at, const FontObject& font, const Glyph& g, int pen,
               uint16_t color) {
  if (!g.width || !g.rows) return;
  const int gx0 = pen + g.left, gy0 = font.ascent - g.top;
  const int extra = font.bold ? 1 : 0;
  if (at.upright && !font.italic) {
    const int ox = at.x + gx0, oy = at.y + gy0;
    const int c0 = std::max(0, int(painter.clip.left) - ox), c1 = std::min(g.width + extra, int(painter.clip.right) - ox);
    const int r0 = std::max(0, int(painter.clip.top) - oy), r1 = std::min(g.rows, int(painter.clip.bottom) - oy);
    if (!g.mono && !extra) {
      // The common case, row by row: most of a glyph's box is empty.
      for (int row = r0; row < r1; ++row) {
        const uint8_t* line = g.buffer + ptrdiff_t(row) * g.pitch;
        for (int col = c0; col < c1; ++col)
          if (line[col]) painter.Blend(ox + col, oy + row, color, line[col]);
      }
      return;
    }
    for (int row = r0; row < r1; ++row)
      for (int col = c0; col < c1; ++col) {
        unsigned a = Coverage(g, col, row);
        if (extra) a = std::max(a, Coverage(g, col - 1, row));
        if (a) painter.Blend(ox + col, oy + row, color, a);
      }
    return;
  }
  const double slant = font.italic ? kSlant : 0.0;
  const double baseline = font.ascent;
  // The slanted glyph's box in text space.
  double x0 = gx0 + slant * (baseline - (gy0 + g.rows)), x1 = gx0 + g.width + extra + slant * (baseline - gy0);
  RECT box;
  if (!at.Bounds(std::min(x0, double(gx0)) - 1, gy0 - 1, std::max(x1, double(gx0 + g.width + extra)) + 1,
                 gy0 + g.rows + 1, painter.clip, &box))
    return;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      double tx, ty;
      at.ToText(x + 0.5, y + 0.5, &tx, &ty);
      double gx = tx - slant * (baseline - ty) - gx0, gy = ty - gy0;
      unsigned a = Sample(g, gx, gy);
      if (extra) a = std::max(a, Sample(g, gx - 1, gy));
      if (a) painter.Blend(x, y, color, a);
    }
}

// One character of a text: its code and bytes, and whether it shows (a lone '&' of a prefixed text does not).
struct Char {
  char32_t code = 0;
  int bytes = 0;
  bool shown = true;
  bool wide = false;
};

Char NextChar(const char* s, int left, bool prefix) {
  Char ch;
  if (prefix && s[0] == '&') {
    if (left > 1 && s[1] == '&') {
      ch.code = '&';
      ch.bytes = 2;
    } else {
      ch.bytes = 1;
      ch.shown = false;
    }
    return ch;
  }
  ch.bytes = DecodeCp932(s, left, &ch.code);
  ch.wide = ch.bytes == 2;
  return ch;
}

int Advance(const FontObject& font, const Char& ch, Glyph* glyph, bool* haveGlyph) {
  if (!ch.shown) return 0;
  *haveGlyph = LookupGlyph(font, ch.code, glyph);
  int advance = *haveGlyph ? glyph->advance : BoxAdvance(font, ch.code);
  return advance + (font.bold ? 1 : 0);
}

int MeasureRun(const FontObject& font, const char* s, int n, bool prefix) {
  int width = 0;
  for (int i = 0; i < n;) {
    Char ch = NextChar(s + i, n - i, prefix);
    Glyph g;
    bool have = false;
    width += Advance(font, ch, &g, &have);
    i += ch.bytes;
  }
  return width;
}

struct TextState {
  DeviceContext* dc;
  const FontObject* font;
  Painter painter;
};

bool MakeState(HDC hdc, TextState* st) {
  DeviceContext* dc = ToDC(hdc);
  if (!dc) return false;
  st->dc = dc;
  st->font = dc->font && dc->font->kind == GdiKind::Font ? static_cast<const FontObject*>(dc->font) : &SystemFont();
  st->painter.target = &dc->target;
  st->painter.is555 = dc->target.is555;
  st->painter.clip = RECT{0, 0, dc->target.pixels ? dc->target.width : 0, dc->target.pixels ? dc->target.height : 0};
  return true;
}

void Intersect(RECT* clip, const RECT& r) {
  clip->left = std::max(clip->left, r.left);
  clip->top = std::max(clip->top, r.top);
  clip->right = std::min(clip->right, r.right);
  clip->bottom = std::min(clip->bottom, r.bottom);
}

// Draws a run of text with its cell's top-left corner at (x, y): the background box when the DC is
// opaque, the glyphs, then the underline.
void DrawRun(TextState& st, int x, int y, const char* s, int n, bool prefix) {
  const FontObject& font = *st.font;
  Painter& painter = st.painter;
  Placement at{x, y, std::cos(font.angle), std::sin(font.angle), font.angle == 0};
  const int width = MeasureRun(font, s, n, prefix);
  const int cell = font.ascent + font.descent;
  const uint16_t ink = ToPixel(st.dc->textColor, painter.is555);
  if (st.dc->bkMode == OPAQUE) FillBox(painter, at, 0, 0, width, cell, ToPixel(st.dc->bkColor, painter.is555));
  int pen = 0;
  for (int i = 0; i < n;) {
    Char ch = NextChar(s + i, n - i, prefix);
    i += ch.bytes;
    Glyph g;
    bool have = false;
    int advance = Advance(font, ch, &g, &have);
    if (!ch.shown) continue;
    if (have) {
      DrawGlyph(painter, at, font, g, pen, ink);
    } else if (ch.code > ' ') {
      // No face at all: a box for every character still shows where the text is.
      int x0 = pen + 1, x1 = pen + advance - 1, y1 = font.ascent, y0 = std::max(0, font.ascent - font.emPixels * 4 / 5);
      FillBox(painter, at, x0, y0, x1, y0 + 1, ink);
      FillBox(painter, at, x0, y1 - 1, x1, y1, ink);
      FillBox(painter, at, x0, y0, x0 + 1, y1, ink);
      FillBox(painter, at, x1 - 1, y0, x1, y1, ink);
    }
    pen += advance;
  }
  if (font.underline) {
    int top = font.ascent + font.underlineTop;
    FillBox(painter, at, 0, top, width, top + font.underlineSize, ink);
  }
  if (font.strikeOut) {
    int top = font.ascent - font.emPixels * 3 / 10;
    FillBox(painter, at, 0, top, width, top + font.underlineSize, ink);
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next piece a line may be broken around: a run of blanks, a word of single-byte characters, or one
// double-byte character (lines break on either side of those, as Japanese text does).
int PieceEnd(const char* s, int n, int i, bool* blank) {
  *blank = IsBlank(s[i]);
  if (*blank) {
    while (i < n && IsBlank(s[i])) ++i;
    return i;
  }
  if (IsCp932Lead(static_cast<unsigned char>(s[i]))) return std::min(n, i + 2);
  while (i < n && !IsBlank(s[i]) && s[i] != '\r' && s[i] != '\n' && !IsCp932Lead(static_cast<unsigned char>(s[i])))
    ++i;
  return i;
}

}  // namespace
}  // namespace platform

using platform::TextState;

extern "C" {

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  TextState st;
  if (!platform::MakeState(dc, &st) || length < 0 || (length > 0 && !text)) return FALSE;
  platform::DrawRun(st, x, y, text, length, false);
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
  TextState st;
  if (!platform::MakeState(dc, &st) || length < 0 || (length > 0 && !text) || !size) return FALSE;
  size->cx = platform::MeasureRun(*st.font, text, length, false);
  size->cy = st.font->ascent + st.font->descent;
  return TRUE;
}

int WINAPI DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
  TextState st;
  if (!platform::MakeState(dc, &st) || !rect || (length != 0 && !text)) return 0;
  if (length < 0) length = int(std::strlen(text));
  const platform::FontObject& font = *st.font;
  const bool prefix = !(format & DT_NOPREFIX), wrap = format & DT_WORDBREAK, single = format & DT_SINGLELINE;
  const bool measure = format & DT_CALCRECT;
  const int lineHeight = font.ascent + font.descent;
  const int room = rect->right - rect->left;
  if (!(format & DT_NOCLIP)) platform::Intersect(&st.painter.clip, *rect);

  int lines = 0, widest = 0;
  auto emit = [&](int start, int end, int width) {
    if (measure) {
      widest = std::max(widest, width);
    } else {
      int x = rect->left;
      if (format & DT_CENTER) x = rect->left + (room - width) / 2;
      else if (format & DT_RIGHT) x = rect->right - width;
      platform::DrawRun(st, x, rect->top + lines * lineHeight, text + start, end - start, prefix);
    }
    ++lines;
  };

  int i = 0;
  while (i < length) {
    // A segment runs to the next line break of the text itself.
    int end = i;
    while (end < length && (single || (text[end] != '\r' && text[end] != '\n'))) {
      int step = platform::IsCp932Lead(static_cast<unsigned char>(text[end])) && end + 1 < length ? 2 : 1;
      end += step;
    }
    if (!wrap) {
      emit(i, end, platform::MeasureRun(font, text + i, end - i, prefix));
    } else {
      int lineStart = i, contentEnd = i, width = 0, pendingBlanks = 0;
      int p = i;
      while (p < end) {
        bool blank = false;
        int pieceEnd = platform::PieceEnd(text, end, p, &blank);
        int pieceWidth = platform::MeasureRun(font, text + p, pieceEnd - p, prefix);
        if (blank) {
          pendingBlanks += pieceWidth;
          p = pieceEnd;
          continue;
        }
        if (width + pendingBlanks + pieceWidth > room && contentEnd > lineStart) {
          // Break before this piece; the blanks at the break are not drawn, but a measured line keeps
          // those that fit in its width.
          emit(lineStart, contentEnd, measure && width + pendingBlanks <= room ? width + pendingBlanks : width);
          lineStart = contentEnd = p;
          width = pendingBlanks = 0;
          continue;
        }
        width += pendingBlanks + pieceWidth;
        pendingBlanks = 0;
        p = contentEnd = pieceEnd;
      }
      if (pendingBlanks && contentEnd == lineStart) {  // a line of blanks only
        contentEnd = end;
        width = pendingBlanks;
      }
      emit(lineStart, contentEnd, width);
    }
    i = end;
    if (i < length && text[i] == '\r') ++i;
    if (i < length && text[i] == '\n') ++i;
  }

  const int height = lines * lineHeight;
  if (measure) {
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
  }
  return height;
}

}  // extern "C"
