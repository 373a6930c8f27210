// Pens and brushes as the shapes read them.
#pragma once
#include "gdi_object.h"

namespace platform {

struct Pen : GdiObject {
  Pen(int s, int w, COLORREF c) : GdiObject(GdiKind::Pen), style(s), width(w), color(c) {}
  int style;
  int width;  // 0 and 1 are the one-pixel pen
  COLORREF color;
};

struct Brush : GdiObject {
  Brush(UINT s, COLORREF c, int h) : GdiObject(GdiKind::Brush), style(s), color(c), hatch(h) {}
  UINT style;
  COLORREF color;
  int hatch;
};

// What a DC draws with: its selected pen and brush, or GDI's defaults (black pen, white brush).
const Pen& PenOf(const DeviceContext& dc);
const Brush& BrushOf(const DeviceContext& dc);

// Whether the hatch pattern sets the pixel at (x, y); the pattern repeats every 8 pixels from the brush
// origin, (0, 0) of the DC.
bool HatchBit(int hatch, int x, int y);

}  // namespace platform
