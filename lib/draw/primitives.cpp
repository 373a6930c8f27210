// GDI drawing on the back surface: each call takes the surface's DC, draws with its own pen and brush, puts
// the DC's previous ones back and gives the DC back.
#include "ox.h"

namespace oxDraw {

ProgramDC programDC;

namespace {

// The back surface's DC for one primitive, with a solid pen (and a brush) selected while it lives.
class Drawing {
 public:
  Drawing() {
    if (screen.back && FAILED(screen.back->GetDC(&dc_))) dc_ = nullptr;
  }
  ~Drawing() {
    if (!dc_) return;
    // A DC that had no pen or brush of its own gets the defaults back, so that ours can be deleted.
    if (pen_) DeleteObject(SelectObject(dc_, oldPen_ ? oldPen_ : GetStockObject(BLACK_PEN)));
    if (brush_) DeleteObject(SelectObject(dc_, oldBrush_ ? oldBrush_ : GetStockObject(WHITE_BRUSH)));
    screen.back->ReleaseDC(dc_);
  }
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

  HDC dc() const { return dc_; }
  void Pen(COLORREF color, int width) {
    if (!dc_ || !(pen_ = CreatePen(PS_SOLID, width, color))) return;
    oldPen_ = SelectObject(dc_, pen_);
  }
  void Brush(const LOGBRUSH& brush) {
    if (!dc_ || !(brush_ = CreateBrushIndirect(&brush))) return;
    oldBrush_ = SelectObject(dc_, brush_);
  }

 private:
  HDC dc_ = nullptr;
  HPEN pen_ = nullptr;
  HBRUSH brush_ = nullptr;
  HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr;
};

}  // namespace

void SetPixel(int x, int y, COLORREF color) {
  Drawing d;
  if (d.dc()) ::SetPixel(d.dc(), x, y, color);
}

void GetPixel(int x, int y, int* red, int* green, int* blue) {
  Drawing d;
  COLORREF c = d.dc() ? ::GetPixel(d.dc(), x, y) : CLR_INVALID;
  // Outside the surface (or without a DC) GDI answers CLR_INVALID; that reads as black here.
  if (c == CLR_INVALID) c = 0;
  if (red) *red = int(c & 0xFF);
  if (green) *green = int((c >> 8) & 0xFF);
  if (blue) *blue = int((c >> 16) & 0xFF);
}

void Line(int x1, int y1, int x2, int y2, COLORREF color, int width) {
  Drawing d;
  d.Pen(color, width);
  if (!d.dc()) return;
  MoveToEx(d.dc(), x1, y1, nullptr);
  LineTo(d.dc(), x2, y2);
}

void Rectangle(int left, int top, int right, int bottom, COLORREF fill, COLORREF pen, int width) {
  Drawing d;
  d.Pen(pen, width);
  d.Brush(LOGBRUSH{BS_SOLID, fill, 0});
  if (d.dc()) ::Rectangle(d.dc(), left, top, right, bottom);
}

void Polygon(const POINT* points, int count, COLORREF color, COLORREF background, int width, int fillMode) {
  if (!points || count < 2) return;
  Drawing d;
  d.Pen(color, width);
  if (fillMode == 0) d.Brush(LOGBRUSH{BS_NULL, 0, 0});
  else d.Brush(LOGBRUSH{BS_HATCHED, color, HS_DIAGCROSS});
  if (!d.dc()) return;
  if (fillMode == 2) SetBkMode(d.dc(), TRANSPARENT);
  else SetBkColor(d.dc(), background);
  ::Polygon(d.dc(), points, count);
}

void Bezier(const POINT* points, int count, COLORREF color, int width) {
  if (!points || count < 4) return;
  Drawing d;
  d.Pen(color, width);
  if (d.dc()) PolyBezier(d.dc(), points, DWORD(count));
}

void InvertRect(int left, int top, int right, int bottom) {
  Drawing d;
  RECT r = {left, top, right, bottom};
  if (d.dc()) ::InvertRect(d.dc(), &r);
}

HRESULT GetDC() {
  if (!screen.back) return DDERR_INVALIDOBJECT;
  if (programDC.dc) return DDERR_DCALREADYCREATED;
  HRESULT result = screen.back->GetDC(&programDC.dc);
  if (FAILED(result)) programDC.dc = nullptr;
  return result;
}

HRESULT ReleaseDC() {
  if (!screen.back || !programDC.dc) return DDERR_NODC;
  HRESULT result = screen.back->ReleaseDC(programDC.dc);
  programDC.dc = nullptr;
  return result;
}

}  // namespace oxDraw
