// GDI bitmaps and DCs: LoadImageA from BMP files and bitmap resources, memory DCs, window DCs, StretchBlt,
// GetPixel and SetPixel, and what GetDeviceCaps says of a DC.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../host/host.h"
#include "../kernel/codepage.h"
#include "gdi_object.h"

namespace platform {

namespace {

// A device-dependent bitmap in the display's pixel format.
struct BitmapObject : GdiObject {
  BitmapObject(int w, int h, bool is555) : GdiObject(GdiKind::Bitmap) {
    pitch = ((w * 2 + 3) & ~3);
    storage.assign(size_t(pitch / 2) * h, 0);
    target.pixels = storage.data();
    target.width = w;
    target.height = h;
    target.pitch = pitch;
    target.is555 = is555;
  }
  PixelTarget* Pixels() override { return &target; }
  std::vector<uint16_t> storage;
  PixelTarget target;
  int pitch;
};

// Files larger than this are no pictures of ours.
constexpr long kMaxFileBytes = 256L * 1024 * 1024;

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  long size = ok ? std::ftell(f) : -1;
  ok = ok && size >= 0 && size <= kMaxFileBytes && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes->resize(size_t(size));
    ok = std::fread(bytes->data(), 1, bytes->size(), f) == bytes->size();
  }
  std::fclose(f);
  return ok;
}

// A bitmap resource is a DIB without its file header: put one in front so that the BMP loader takes it.
std::vector<uint8_t> WithFileHeader(const uint8_t* dib, size_t size) {
  std::vector<uint8_t> out;
  if (size < 12) return out;
  uint32_t infoSize = dib[0] | (dib[1] << 8) | (dib[2] << 16) | (uint32_t(dib[3]) << 24);
  if (infoSize < 12 || infoSize > size) return out;
  unsigned bits, compression = 0;
  uint32_t used = 0;
  if (infoSize == 12) {
    bits = dib[10] | (dib[11] << 8);
  } else {
    if (infoSize < 40) return out;
    bits = dib[14] | (dib[15] << 8);
    compression = dib[16] | (dib[17] << 8) | (dib[18] << 16) | (uint32_t(dib[19]) << 24);
    used = dib[32] | (dib[33] << 8) | (dib[34] << 16) | (uint32_t(dib[35]) << 24);
  }
  uint64_t colours = bits <= 8 ? (used ? used : (1u << bits)) : 0;
  if (colours > 256) return out;
  uint64_t masks = (infoSize == 40 && compression == 3) ? 12 : 0;
  uint64_t offset = 14 + uint64_t(infoSize) + masks + colours * (infoSize == 12 ? 3 : 4);
  if (offset > 14 + size) return out;
  out.resize(14 + size);
  uint32_t total = uint32_t(out.size());
  uint8_t header[14] = {'B', 'M', uint8_t(total), uint8_t(total >> 8), uint8_t(total >> 16), uint8_t(total >> 24),
                        0, 0, 0, 0, uint8_t(offset), uint8_t(offset >> 8), uint8_t(offset >> 16), uint8_t(offset >> 24)};
  std::memcpy(out.data(), header, 14);
  std::memcpy(out.data() + 14, dib, size);
  return out;
}

BitmapObject* MakeBitmap(const host::Picture& p, int width, int height) {
  bool is555 = host::Current().DisplayIs555();
  int w = width > 0 ? width : p.width, h = height > 0 ? height : p.height;
  if (w > host::kMaxPictureSide || h > host::kMaxPictureSide) return nullptr;
  auto* b = new BitmapObject(w, h, is555);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = &p.pixels[size_t(int64_t(y) * p.height / h) * p.width];
    uint16_t* row = b->storage.data() + size_t(y) * (b->pitch / 2);
    for (int x = 0; x < w; ++x) {
      uint32_t c = src[int64_t(x) * p.width / w];
      // 0x00RRGGBB to a COLORREF.
      row[x] = ToPixel(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF), is555);
    }
  }
  return b;
}

bool InTarget(const PixelTarget& t, int x, int y) {
  return t.pixels && x >= 0 && y >= 0 && x < t.width && y < t.height;
}

uint16_t& At(const PixelTarget& t, int x, int y) {
  return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(t.pixels) + size_t(y) * t.pitch)[x];
}

}  // namespace

}  // namespace platform

using platform::DeviceContext;
using platform::ToDC;

extern "C" {

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
  if (!name || type != IMAGE_BITMAP || width < 0 || height < 0) return nullptr;
  if (host::Current().ShouldFail("LoadImageA")) return nullptr;
  host::Picture picture;
  if (flags & LR_LOADFROMFILE) {
    std::vector<uint8_t> bytes;
    if (IS_INTRESOURCE(name) || !platform::ReadFile(platform::Cp932ToUtf8(name), &bytes)) return nullptr;
    if (!host::DecodeBmp(bytes.data(), bytes.size(), &picture)) return nullptr;
  } else {
    HRSRC found = FindResourceA(instance, name, RT_BITMAP);
    if (!found) return nullptr;
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
    size_t size = SizeofResource(instance, found);
    if (!data) return nullptr;
    bool decoded;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
      decoded = host::DecodeBmp(data, size, &picture);
    } else {
      std::vector<uint8_t> file = platform::WithFileHeader(data, size);
      decoded = !file.empty() && host::DecodeBmp(file.data(), file.size(), &picture);
    }
    if (!decoded) return nullptr;
  }
  return platform::MakeBitmap(picture, width, height);
}

int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer) {
  auto* o = platform::ToObject(object);
  if (!o || o->kind != platform::GdiKind::Bitmap || !o->Pixels()) return 0;
  if (!buffer) return int(sizeof(BITMAP));
  if (size < int(sizeof(BITMAP))) return 0;
  const platform::PixelTarget& t = *o->Pixels();
  BITMAP b{};
  b.bmWidth = t.width;
  b.bmHeight = t.height;
  b.bmWidthBytes = t.pitch;
  b.bmPlanes = 1;
  b.bmBitsPixel = 16;
  b.bmBits = t.pixels;
  std::memcpy(buffer, &b, sizeof b);
  return int(sizeof b);
}

HDC WINAPI CreateCompatibleDC(HDC) {
  if (host::Current().ShouldFail("CreateCompatibleDC")) return nullptr;
  auto* dc = new DeviceContext;
  dc->memoryDC = true;
  return platform::ToHDC(dc);
}

BOOL WINAPI DeleteDC(HDC dc) {
  DeviceContext* d = ToDC(dc);
  // Surface and window DCs go back through ReleaseDC.
  if (!d || !d->memoryDC) return FALSE;
  platform::ReleaseSelections(d);
  delete d;
  return TRUE;
}

HDC WINAPI GetDC(HWND window) {
  if (host::Current().ShouldFail("GetDC")) return nullptr;
  // A window's DC: the program draws on its surfaces, so this one only answers questions.
  auto* dc = new DeviceContext;
  dc->owner = window;
  return platform::ToHDC(dc);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
  DeviceContext* d = ToDC(dc);
  if (!d || d->memoryDC || d->target.pixels) return 0;
  platform::ReleaseSelections(d);
  delete d;
  return 1;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
  DeviceContext* d = ToDC(dc);
  if (!d) return 0;
  bool window = !d->memoryDC && !d->target.pixels;
  switch (index) {
    case BITSPIXEL: return window ? host::Current().DesktopBits() : 16;
    case PLANES: return 1;
    case HORZRES: return window ? host::Current().DesktopWidth() : d->target.width;
    case VERTRES: return window ? host::Current().DesktopHeight() : d->target.height;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT;
    default: return 0;
  }
}

BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, DWORD rop) {
  DeviceContext* d = ToDC(dest);
  DeviceContext* s = ToDC(source);
  if (!d || !s || rop != SRCCOPY) return FALSE;
  const platform::PixelTarget& dt = d->target;
  const platform::PixelTarget& st = s->target;
  if (!dt.pixels || !st.pixels) return FALSE;
  if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) return TRUE;
  // A negative extent runs the other way from its origin: that is a mirror when only one side has it.
  int dw = width < 0 ? -width : width, dh = height < 0 ? -height : height;
  int sw = sourceWidth < 0 ? -sourceWidth : sourceWidth, sh = sourceHeight < 0 ? -sourceHeight : sourceHeight;
  int dsx = width < 0 ? -1 : 1, dsy = height < 0 ? -1 : 1;
  int ssx = sourceWidth < 0 ? -1 : 1, ssy = sourceHeight < 0 ? -1 : 1;
  bool convert = dt.is555 != st.is555;
  // On a shrink destination pixel i stands for the source pixels from round(i * s / d) to before
  // round((i + 1) * s / d): BLACKONWHITE ANDs them, WHITEONBLACK ORs them, the colour modes keep one (the
  // last column and the first row of them) and delete the rest. An enlargement repeats pixel i * s / d.
  int mode = d->stretchMode;
  bool combine = mode == BLACKONWHITE || mode == WHITEONBLACK;
  auto span = [combine](int i, int s, int d, bool lastOne, int* from, int* to) {
    if (d >= s) {
      *from = int(int64_t(i) * s / d), *to = *from + 1;
      return;
    }
    *from = int((2 * int64_t(i) * s + d) / (2 * int64_t(d)));
    *to = std::max(int((2 * int64_t(i + 1) * s + d) / (2 * int64_t(d))), *from + 1);
    if (!combine) {
      if (lastOne) *from = *to - 1;
      else *to = *from + 1;
    }
  };
  for (int j = 0; j < dh; ++j) {
    int ty = y + dsy * j;
    if (ty < 0 || ty >= dt.height) continue;
    int r0, r1;
    span(j, sh, dh, false, &r0, &r1);
    for (int i = 0; i < dw; ++i) {
      int tx = x + dsx * i;
      if (tx < 0 || tx >= dt.width) continue;
      int c0, c1;
      span(i, sw, dw, true, &c0, &c1);
      bool any = false;
      uint16_t v = 0;
      for (int r = r0; r < r1; ++r) {
        int fy = sourceY + ssy * r;
        if (fy < 0 || fy >= st.height) continue;
        for (int c = c0; c < c1; ++c) {
          int fx = sourceX + ssx * c;
          if (fx < 0 || fx >= st.width) continue;
          uint16_t p = platform::At(st, fx, fy);
          v = !any ? p : mode == WHITEONBLACK ? uint16_t(v | p) : uint16_t(v & p);
          any = true;
        }
      }
      if (!any) continue;
      if (convert) v = platform::ToPixel(platform::ToColor(v, st.is555), dt.is555);
      platform::At(dt, tx, ty) = v;
    }
  }
  return TRUE;
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
  DeviceContext* d = ToDC(dc);
  if (!d || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int previous = d->stretchMode;
  d->stretchMode = mode;
  return previous;
}

int WINAPI GetStretchBltMode(HDC dc) { return dc ? ToDC(dc)->stretchMode : 0; }

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  DeviceContext* d = ToDC(dc);
  if (!d || !platform::InTarget(d->target, x, y)) return CLR_INVALID;
  return platform::ToColor(platform::At(d->target, x, y), d->target.is555);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
  DeviceContext* d = ToDC(dc);
  if (!d || !platform::InTarget(d->target, x, y)) return CLR_INVALID;
  uint16_t v = platform::ToPixel(color, d->target.is555);
  platform::At(d->target, x, y) = v;
  return platform::ToColor(v, d->target.is555);
}

}  // extern "C"
