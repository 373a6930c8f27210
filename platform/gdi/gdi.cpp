// GDI: stock objects, selecting and deleting objects, and the DC's colour state.
#include <initializer_list>

#include "font.h"
#include "gdi_object.h"
#include "pen_brush.h"

namespace platform {

GdiObject* StockObject(int index) {
  static GdiObject* stock[9] = {};
  if (index < 0 || index > 8) return nullptr;
  if (!stock[index]) {
    static const COLORREF brushes[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (index < NULL_BRUSH) stock[index] = new Brush(BS_SOLID, brushes[index], 0);
    else if (index == NULL_BRUSH) stock[index] = new Brush(BS_NULL, 0, 0);
    else if (index == NULL_PEN) stock[index] = new Pen(PS_NULL, 0, 0);
    else stock[index] = new Pen(PS_SOLID, 0, index == WHITE_PEN ? 0xFFFFFF : 0x000000);
    stock[index]->stock = true;
  }
  return stock[index];
}

void ReleaseSelections(DeviceContext* dc) {
  if (!dc) return;
  for (GdiObject** slot : {&dc->pen, &dc->brush, &dc->font, &dc->bitmap}) {
    if (*slot) (*slot)->selections--;
    *slot = nullptr;
  }
}

}  // namespace platform

using platform::DeviceContext;
using platform::GdiKind;
using platform::GdiObject;
using platform::ToDC;
using platform::ToObject;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int object) { return platform::StockObject(object); }


HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* d = ToDC(dc);
  GdiObject* o = ToObject(object);
  if (!d || !o) return nullptr;
  GdiObject** slot = nullptr;
  switch (o->kind) {
    case GdiKind::Pen: slot = &d->pen; break;
    case GdiKind::Brush: slot = &d->brush; break;
    case GdiKind::Font: slot = &d->font; break;
    case GdiKind::Bitmap:
      // Only a memory DC takes a bitmap, and a bitmap lives in one DC at a time.
      if (!d->memoryDC || !o->Pixels() || (o->selections > 0 && d->bitmap != o)) return nullptr;
      slot = &d->bitmap;
      d->target = *o->Pixels();
      break;
  }
  GdiObject* previous = *slot;
  if (previous) previous->selections--;
  // A DC starts with the black pen, the white brush and the system font, and hands them back to be selected
  // again.
  if (!previous && o->kind == GdiKind::Font) previous = &platform::SystemFont();
  if (!previous && o->kind == GdiKind::Pen) previous = platform::StockObject(BLACK_PEN);
  if (!previous && o->kind == GdiKind::Brush) previous = platform::StockObject(WHITE_BRUSH);
  *slot = o;
  o->selections++;
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  GdiObject* o = ToObject(object);
  if (!o || o->selections > 0) return FALSE;
  if (!o->stock) delete o;
  return TRUE;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
  if (!dc) return CLR_INVALID;
  COLORREF previous = ToDC(dc)->textColor;
  ToDC(dc)->textColor = color;
  return previous;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
  if (!dc) return CLR_INVALID;
  COLORREF previous = ToDC(dc)->bkColor;
  ToDC(dc)->bkColor = color;
  return previous;
}

int WINAPI SetBkMode(HDC dc, int mode) {
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = ToDC(dc)->bkMode;
  ToDC(dc)->bkMode = mode;
  return previous;
}

int WINAPI GetBkMode(HDC dc) { return dc ? ToDC(dc)->bkMode : 0; }

}  // extern "C"
