// GDI's objects and device contexts as the components share them. A handle is the object's address.
#pragma once
#include <cstdint>

#include "windows.h"

namespace platform {

// 16-bit pixels a DC draws on: a DirectDraw surface's memory or a bitmap's.
struct PixelTarget {
  uint16_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;  // bytes
  bool is555 = false;
};

enum class GdiKind { Pen, Brush, Font, Bitmap };

struct GdiObject {
  explicit GdiObject(GdiKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  GdiKind kind;
  bool stock = false;  // stock objects are never deleted
  int selections = 0;  // DCs it is selected into; deleting a selected object fails, as in GDI
  // Bitmaps answer with their pixels, so that a memory DC draws on them.
  virtual PixelTarget* Pixels() { return nullptr; }
};

struct DeviceContext {
  PixelTarget target;
  void* owner = nullptr;  // the surface or window the DC belongs to
  bool memoryDC = false;
  GdiObject* pen = nullptr;
  GdiObject* brush = nullptr;
  GdiObject* font = nullptr;
  GdiObject* bitmap = nullptr;  // memory DCs: the selected bitmap
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = 2;  // OPAQUE
  int polyFillMode = 1;  // ALTERNATE
  int stretchMode = 1;   // BLACKONWHITE
  POINT position = {0, 0};
};

inline DeviceContext* ToDC(HDC dc) { return reinterpret_cast<DeviceContext*>(dc); }
inline HDC ToHDC(DeviceContext* dc) { return reinterpret_cast<HDC>(dc); }
inline GdiObject* ToObject(HGDIOBJ h) { return static_cast<GdiObject*>(h); }

// Takes every object out of a DC that is going away, so that they can be deleted again.
void ReleaseSelections(DeviceContext* dc);

// The stock objects: pens and brushes as GDI has them, and the system font.
GdiObject* StockObject(int index);

// Converts a COLORREF to the target's pixel value (5-6-5 or 5-5-5), and back.
inline uint16_t ToPixel(COLORREF c, bool is555) {
  unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  if (is555) return uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
  return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}
inline COLORREF ToColor(uint16_t p, bool is555) {
  unsigned r, g, b;
  if (is555) {
    r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
    g = (g << 3) | (g >> 2);
  } else {
    r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    g = (g << 2) | (g >> 4);
  }
  r = (r << 3) | (r >> 2);
  b = (b << 3) | (b >> 2);
  return RGB(r, g, b);
}

}  // namespace platform
