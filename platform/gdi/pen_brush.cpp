// Pens and brushes.
#include "pen_brush.h"

namespace platform {

const Pen& PenOf(const DeviceContext& dc) {
  if (dc.pen && dc.pen->kind == GdiKind::Pen) return *static_cast<const Pen*>(dc.pen);
  return *static_cast<const Pen*>(StockObject(BLACK_PEN));
}

const Brush& BrushOf(const DeviceContext& dc) {
  if (dc.brush && dc.brush->kind == GdiKind::Brush) return *static_cast<const Brush*>(dc.brush);
  return *static_cast<const Brush*>(StockObject(WHITE_BRUSH));
}

bool HatchBit(int hatch, int x, int y) {
  x &= 7;
  y &= 7;
  // Windows' 8 x 8 hatch patterns: the horizontal line on row 3, the vertical on column 4, the forward
  // diagonal from the top-left corner, the backward one from the top-right.
  bool horizontal = y == 3, vertical = x == 4;
  bool forward = x == y, backward = x + y == 7;
  switch (hatch) {
    case HS_HORIZONTAL: return horizontal;
    case HS_VERTICAL: return vertical;
    case HS_FDIAGONAL: return forward;
    case HS_BDIAGONAL: return backward;
    case HS_CROSS: return horizontal || vertical;
    case HS_DIAGCROSS: return forward || backward;
  }
  return false;
}

}  // namespace platform

using platform::Brush;
using platform::Pen;

extern "C" {

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  // Anything past the inside frame is not a pen style.
  if (style < PS_SOLID || style > PS_INSIDEFRAME) return nullptr;
  return reinterpret_cast<HPEN>(static_cast<platform::GdiObject*>(new Pen(style, width < 0 ? 0 : width, color)));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return nullptr;
  if (brush->lbStyle == BS_HATCHED && brush->lbHatch > HS_DIAGCROSS) return nullptr;
  if (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL && brush->lbStyle != BS_HATCHED) return nullptr;
  auto* b = new Brush(brush->lbStyle, brush->lbColor, static_cast<int>(brush->lbHatch));
  return reinterpret_cast<HBRUSH>(static_cast<platform::GdiObject*>(b));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  LOGBRUSH b = {BS_SOLID, color, 0};
  return CreateBrushIndirect(&b);
}

HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < 0) return nullptr;
  LOGBRUSH b = {BS_HATCHED, color, static_cast<ULONG_PTR>(hatch)};
  return CreateBrushIndirect(&b);
}

}  // extern "C"
