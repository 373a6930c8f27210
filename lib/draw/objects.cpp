// The object table: numbered off-screen pictures loaded from BMP files or bitmap resources, their colour
// keys, and their recovery after the surfaces were lost.
#include <cstdio>
#include <cstring>

#include "ox.h"
#include "pixels.h"

namespace oxDraw {

ObjectSlot objects[kObjectCount];
KeySetting keySetting;

namespace {

constexpr size_t kMaxName = 30;

DWORD CapsOf(int memoryMode) {
  return memoryMode == 2 ? DDSCAPS_OFFSCREENPLAIN : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
}

IDirectDrawSurface* CreateSurfaceOf(int width, int height, int memoryMode) {
  if (!screen.ddraw) return nullptr;
  HRESULT ignored;
  return pixels::CreatePlainSurface(screen.ddraw, width, height, CapsOf(memoryMode), &ignored);
}

// The lowest free object number from 2 on; 0 when every slot is taken.
int FreeSlot() {
  for (int i = 2; i < kObjectCount; ++i)
    if (objects[i].name[0] == '\0') return i;
  return 0;
}

void ApplyDefaultKey(ObjectSlot& o) {
  COLORREF key = keySetting.keyTopLeft == 1 ? kTopLeftKey : keySetting.keyColor;
  SetSurfaceKey(o.surface, key);
  o.colorKey = key;
}

bool ValidObject(int object) { return object >= 0 && object < kObjectCount; }

void CopyName(ObjectSlot& o, const char* name) { std::snprintf(o.name, sizeof o.name, "%s", name); }

// File beside the program first, then the program's bitmap resource of that name.
bool LoadInto(ObjectSlot& o, const char* name, int memoryMode) {
  char path[MAX_PATH + 32];
  std::snprintf(path, sizeof path, "%s%s", oxSystem::GetPath(0), name);
  o.surface = LoadBitmapSurface(screen.ddraw, path, 0, 0, memoryMode);
  if (o.surface) {
    ApplyDefaultKey(o);
    return true;
  }
  HBITMAP bitmap =
      static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return false;
  BITMAP info;
  bool ok = GetObjectA(bitmap, sizeof info, &info) != 0;
  if (ok) o.surface = CreateSurfaceOf(info.bmWidth, info.bmHeight, memoryMode);
  if (o.surface && FAILED(CopyBitmapToSurface(o.surface, bitmap, 0, 0, 0, 0))) {
    o.surface->Release();
    o.surface = nullptr;
  }
  DeleteObject(bitmap);
  if (!o.surface) return false;
  ApplyDefaultKey(o);
  return true;
}

}  // namespace

IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* ddraw, const char* path, int width, int height, int memoryMode) {
  if (!ddraw) return nullptr;
  HINSTANCE module = GetModuleHandleA(nullptr);
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(module, path, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION));
  if (!bitmap)
    bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, width, height, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!bitmap) return nullptr;
  BITMAP info;
  IDirectDrawSurface* surface = nullptr;
  HRESULT ignored;
  if (GetObjectA(bitmap, sizeof info, &info))
    surface = pixels::CreatePlainSurface(ddraw, info.bmWidth, info.bmHeight, CapsOf(memoryMode), &ignored);
  if (surface) CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
  DeleteObject(bitmap);
  return surface;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int x, int y, int width, int height) {
  if (!surface || !bitmap) return E_FAIL;
  surface->Restore();
  HDC memory = CreateCompatibleDC(nullptr);
  if (!memory) return E_FAIL;
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BITMAP info;
  std::memset(&info, 0, sizeof info);
  GetObjectA(bitmap, sizeof info, &info);
  if (width == 0) width = info.bmWidth;
  if (height == 0) height = info.bmHeight;
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
  surface->GetSurfaceDesc(&desc);
  HDC dc;
  HRESULT result = surface->GetDC(&dc);
  if (SUCCEEDED(result)) {
    StretchBlt(dc, 0, 0, int(desc.dwWidth), int(desc.dwHeight), memory, x, y, width, height, SRCCOPY);
    surface->ReleaseDC(dc);
  }
  if (previous) SelectObject(memory, previous);
  DeleteDC(memory);
  return result;
}

DWORD MatchColor(IDirectDrawSurface* surface, COLORREF color) {
  if (!surface) return kTopLeftKey;
  COLORREF saved = 0;
  HDC dc;
  if (color != kTopLeftKey && SUCCEEDED(surface->GetDC(&dc))) {
    saved = GetPixel(dc, 0, 0);
    SetPixel(dc, 0, 0, color);
    surface->ReleaseDC(dc);
  }
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  HRESULT r;
  while ((r = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) == DDERR_WASSTILLDRAWING) {
  }
  DWORD value = kTopLeftKey;
  if (r == DD_OK) {
    // A 16-bit surface: the first pixel only (reading a whole word could run past a one-pixel surface).
    DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    if (bits == 16) {
      value = *static_cast<const WORD*>(desc.lpSurface);
    } else {
      std::memcpy(&value, desc.lpSurface, sizeof value);
      if (bits < 32) value &= (DWORD(1) << bits) - 1;
    }
    surface->Unlock(nullptr);
  }
  if (color != kTopLeftKey && SUCCEEDED(surface->GetDC(&dc))) {
    SetPixel(dc, 0, 0, saved);
    surface->ReleaseDC(dc);
  }
  return value;
}

HRESULT SetSurfaceKey(IDirectDrawSurface* surface, COLORREF color) {
  if (!surface) return E_FAIL;
  DDCOLORKEY key;
  key.dwColorSpaceLowValue = key.dwColorSpaceHighValue = MatchColor(surface, color);
  return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

int LoadObject(const char* name, int memoryMode) {
  static const char* const kFunction = "oxDraw::LoadObject";
  if (!name || std::strlen(name) > kMaxName) return oxSystem::ErrorMessage(kFunction, "ファイル名またはリソース名が長すぎます", 0);
  int number = FreeSlot();
  if (number == 0) return oxSystem::ErrorMessage(kFunction, "オブジェクト数が多すぎます", 0);
  ObjectSlot& o = objects[number];
  CopyName(o, name);
  if (!LoadInto(o, name, memoryMode)) return oxSystem::ErrorMessage(kFunction, "BMPファイルを読み込めません", 0);
  return number;
}

int CreateObject(int width, int height, int memoryMode) {
  static const char* const kFunction = "oxDraw::CreateObject";
  int number = FreeSlot();
  if (number == 0) return oxSystem::ErrorMessage(kFunction, "オブジェクト数が多すぎます", 0);
  ObjectSlot& o = objects[number];
  CopyName(o, "*");
  // One row more than asked.
  o.surface = CreateSurfaceOf(width, height + 1, memoryMode);
  if (!o.surface) return oxSystem::ErrorMessage(kFunction, "スプライトを作成できません", 0);
  ApplyDefaultKey(o);
  return number;
}

int SwapObject(const char* name, int object, int memoryMode) {
  static const char* const kFunction = "oxDraw::SwapObject";
  if (!name || std::strlen(name) > kMaxName) return oxSystem::ErrorMessage(kFunction, "ファイル名またはリソース名が長すぎます", 0);
  if (!ValidObject(object)) return oxSystem::ErrorMessage(kFunction, "BMPファイルを読み込めません", 0);
  ObjectSlot& o = objects[object];
  if (o.surface) {
    o.surface->Release();
    o.surface = nullptr;
  }
  // The name may be the entry's own, as when surfaces are restored.
  char copy[32];
  std::snprintf(copy, sizeof copy, "%s", name);
  CopyName(o, copy);
  if (!LoadInto(o, copy, memoryMode)) return oxSystem::ErrorMessage(kFunction, "BMPファイルを読み込めません", 0);
  return 1;
}

void ReleaseObject(int object) {
  if (!ValidObject(object)) return;
  ObjectSlot& o = objects[object];
  if (!o.surface) return;
  o.surface->Release();
  o.surface = nullptr;
  o.name[0] = '\0';
  o.colorKey = 0;
}

void SetKeyColor(COLORREF color) {
  keySetting.keyColor = color;
  keySetting.keyTopLeft = 0;
}

void UseTopLeftKey() { keySetting.keyTopLeft = 1; }

void SetObjectKey(int object, COLORREF color) {
  if (!ValidObject(object)) return;
  objects[object].colorKey = color;
  SetSurfaceKey(objects[object].surface, color);
}

void SetObjectKeyTopLeft(int object) { SetObjectKey(object, kTopLeftKey); }

void CopyColorKey(int destination, int source) {
  if (!ValidObject(destination) || !ValidObject(source)) return;
  IDirectDrawSurface* from = objects[source].surface;
  IDirectDrawSurface* to = objects[destination].surface;
  if (!from || !to) return;
  DDCOLORKEY key;
  if (SUCCEEDED(from->GetColorKey(DDCKEY_SRCBLT, &key))) to->SetColorKey(DDCKEY_SRCBLT, &key);
}

void RestoreSurfaces() {
  if (!screen.front) return;
  screen.front->Restore();
  if (screen.useAccelerator == 0 && screen.back && screen.back->IsLost() == DDERR_SURFACELOST) screen.back->Restore();
  if (screen.shown && screen.shown->IsLost() == DDERR_SURFACELOST) screen.shown->Restore();
  for (int i = 0; i < 2; ++i)
    if (objects[i].surface && objects[i].surface->IsLost() == DDERR_SURFACELOST) objects[i].surface->Restore();
  for (int i = 2; i < kObjectCount; ++i) {
    ObjectSlot& o = objects[i];
    if (o.name[0] == '\0' || !o.surface) continue;
    if (o.surface->IsLost() == DDERR_SURFACELOST) o.surface->Restore();
    if (o.name[0] != '*') {
      SetKeyColor(o.colorKey);
      SwapObject(o.name, i, 2);
    }
  }
}

}  // namespace oxDraw
