// GDI: stock objects and device capabilities.
#include "windows.h"

extern "C" {

HGDIOBJ WINAPI GetStockObject(int object) {
  static int stock[9];
  if (object < 0 || object > 8) return nullptr;
  return &stock[object];
}

int WINAPI GetDeviceCaps(HDC, int index) { return index == BITSPIXEL ? 16 : 0; }

}  // extern "C"
