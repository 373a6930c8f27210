// Text on the back surface through GDI: a font block opened by SetFont and closed by EndText.
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "ox.h"

namespace oxDraw {

TextContext textContext;
RECT TextRect = {0, 0, 0, 0};
char TextBuffer[256];

namespace {

const UINT kAlignments[3] = {DT_WORDBREAK | DT_NOPREFIX | DT_LEFT, DT_WORDBREAK | DT_NOPREFIX | DT_CENTER,
                             DT_WORDBREAK | DT_NOPREFIX | DT_RIGHT};

void PrintBuffer(int x, int y) {
  SetFont(1, 12, 0, 0, 0, 0);
  SetTextColor(0xFFFFFF, 0x800000, 0);
  TextOut(x, y, TextBuffer);
  EndText();
}

// The face names are CP932; Windows would read them in the system's code page, which is not 932 outside
// Japan, and then match no face by name.
HFONT CreateFontFromRecord(const LOGFONTA* block) {
#ifdef _WIN32
  LOGFONTW wide;
  std::memcpy(&wide, block, offsetof(LOGFONTA, lfFaceName));
  if (MultiByteToWideChar(932, 0, block->lfFaceName, -1, wide.lfFaceName, LF_FACESIZE)) return CreateFontIndirectW(&wide);
#endif
  return CreateFontIndirectA(block);
}

}  // namespace

void SetFont(int face, int height, int angle, int weight, BYTE italic, BYTE underline) {
  // A block left open would keep the surface's DC out for good: close it first.
  if (textContext.font) EndText();
  LOGFONTA* block = oxSystem::FontRecord();
  if (!block) return;
  if (face == 0) std::strcpy(block->lfFaceName, "標準明朝");
  else if (face == 1) std::strcpy(block->lfFaceName, "標準ゴシック");
  block->lfWeight = weight == 0 ? 400 : weight == 1 ? 700 : 0;
  block->lfEscapement = angle * 10;
  block->lfWidth = 0;
  block->lfHeight = height;
  block->lfItalic = italic;
  block->lfUnderline = underline;
  block->lfCharSet = SHIFTJIS_CHARSET;
  textContext.font = CreateFontFromRecord(block);
  textContext.dc = nullptr;
  if (screen.back && screen.back->GetDC(&textContext.dc) != DD_OK) textContext.dc = nullptr;
  textContext.oldFont = textContext.dc ? SelectObject(textContext.dc, textContext.font) : nullptr;
}

void SetTextColor(COLORREF text, COLORREF background, int transparent) {
  if (!textContext.dc) return;
  ::SetTextColor(textContext.dc, text);
  ::SetBkColor(textContext.dc, background);
  if (transparent) SetBkMode(textContext.dc, TRANSPARENT);
}

void TextOut(int x, int y, const char* text) {
  if (textContext.dc && text) ::TextOutA(textContext.dc, x, y, text, int(std::strlen(text)));
}

void DrawText(int left, int top, int right, int bottom, const char* text, int alignment) {
  if (!textContext.dc || !text || alignment < 0 || alignment > 2) return;
  RECT rect = {left, top, right, bottom};
  ::DrawTextA(textContext.dc, text, -1, &rect, kAlignments[alignment]);
}

int MeasureText(int left, int top, int right, int bottom, const char* text) {
  TextRect = RECT{left, top, right, bottom};
  if (!textContext.dc || !text) return 0;
  return ::DrawTextA(textContext.dc, text, -1, &TextRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
}

void EndText() {
  if (textContext.dc) {
    if (textContext.oldFont) SelectObject(textContext.dc, textContext.oldFont);
    if (screen.back) screen.back->ReleaseDC(textContext.dc);
  }
  if (textContext.font) DeleteObject(textContext.font);
  textContext = TextContext{};
}

void Printf(int x, int y, const char* format, ...) {
  va_list values;
  va_start(values, format);
  // A longer text is cut at the buffer's end.
  if (std::vsnprintf(TextBuffer, sizeof TextBuffer, format ? format : "", values) < 0) TextBuffer[0] = '\0';
  va_end(values);
  PrintBuffer(x, y);
}

void PrintText(int x, int y, const char* text) {
  std::snprintf(TextBuffer, sizeof TextBuffer, "%s", text ? text : "");
  PrintBuffer(x, y);
}

}  // namespace oxDraw
