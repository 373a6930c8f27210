// DirectDraw: the DirectDraw object and software surfaces. What reaches the primary surface is shown by the
// host. Rectangles, locks, DCs and lost surfaces are checked as DirectDraw checks them.
//
// A surface takes the display's pixel format unless it asks for one: 16 bits (5-6-5, or 5-5-5 on such a
// display) in a 16-bit mode or on a 16-bit desktop, 32 bits (8-8-8) on a 24- or 32-bit one. The host is
// shown 16-bit frames: a 32-bit primary is cut down to them, which gives back exactly the 16-bit picture a
// program expanded into it. Palettes are not modelled: an 8-bit display gets 16-bit surfaces.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../gdi/gdi_object.h"
#include "../host/host.h"
#include "ddraw.h"
#include "keyed_row.h"

namespace {

bool Fails(const char* function) { return host::Current().ShouldFail(function); }
void Log(const std::string& line) { host::Current().Log("ddraw " + line); }

constexpr int kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t(64) * 1024 * 1024;

class Surface;
class DirectDraw;

// Every live surface, so that a loss reaches all of them.
std::vector<Surface*>& LiveSurfaces() {
  static std::vector<Surface*> all;
  return all;
}

void SyncLoss();

class Clipper : public IDirectDrawClipper {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT SetHWnd(DWORD, HWND window) override {
    if (Fails("SetHWnd")) return DDERR_INVALIDPARAMS;
    if (!window) return DDERR_INVALIDPARAMS;
    window_ = window;
    return DD_OK;
  }
  HWND window() const { return window_; }

 private:
  ULONG refs_ = 1;
  HWND window_ = nullptr;
};

struct Rect {
  int l, t, r, b;
  int w() const { return r - l; }
  int h() const { return b - t; }
};

class Surface : public IDirectDrawSurface {
 public:
  Surface(DirectDraw* owner, int width, int height, DWORD caps, int bits, bool is555)
      : owner_(owner), width_(width), height_(height), caps_(caps), bytes_(bits == 32 ? 4 : 2) {
    // Rows are padded, so code that ignores the pitch shows.
    pitch_ = ((width * bytes_ + 15) & ~15) + 16;
    pixels_.assign(size_t(pitch_ / 2) * height, 0);
    target_.pixels = pixels_.data();
    target_.width = width;
    target_.height = height;
    target_.pitch = pitch_;
    target_.is555 = is555;
    LiveSurfaces().push_back(this);
  }
  ~Surface() override {
    Changing();
    auto& all = LiveSurfaces();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    if (clipper_) clipper_->Release();
    if (dc_) DropDC();
  }

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  HRESULT Blt(LPRECT destRect, IDirectDrawSurface* source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) override;
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, LPRECT sourceRect, DWORD trans) override;
  HRESULT Flip(IDirectDrawSurface* targetOverride, DWORD flags) override;
  HRESULT GetAttachedSurface(LPDDSCAPS caps, IDirectDrawSurface** attached) override {
    if (!caps || !attached) return DDERR_INVALIDPARAMS;
    *attached = nullptr;
    if (Fails("GetAttachedSurface")) return DDERR_NOTFOUND;
    if (!back_ || !(caps->dwCaps & DDSCAPS_BACKBUFFER)) return DDERR_NOTFOUND;
    back_->AddRef();
    *attached = back_;
    return DD_OK;
  }
  HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    SyncLoss();
    if (!key || flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    if (!hasKey_) return DDERR_NOCOLORKEY;
    *key = key_;
    return DD_OK;
  }
  HRESULT GetDC(HDC* dc) override;
  HRESULT ReleaseDC(HDC dc) override;
  HRESULT GetPixelFormat(LPDDPIXELFORMAT format) override {
    if (!format || format->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (Fails("GetPixelFormat")) return DDERR_INVALIDOBJECT;
    FillFormat(format);
    return DD_OK;
  }
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC desc) override {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    Describe(desc);
    desc->lpSurface = nullptr;
    return DD_OK;
  }
  HRESULT IsLost() override {
    SyncLoss();
    return lost_ ? DDERR_SURFACELOST : DD_OK;
  }
  HRESULT Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) override;
  HRESULT Unlock(LPVOID data) override {
    if (!locked_) return DDERR_NOTLOCKED;
    (void)data;
    locked_ = false;
    return DD_OK;
  }
  HRESULT Restore() override {
    SyncLoss();
    if (!lost_) return DD_OK;
    // The memory comes back; what was in it does not.
    Changing();
    std::fill(pixels_.begin(), pixels_.end(), 0);
    lost_ = false;
    if (back_ && back_->lost_) back_->Restore();
    return DD_OK;
  }
  HRESULT SetClipper(IDirectDrawClipper* clipper) override {
    if (Fails("SetClipper")) return DDERR_INVALIDOBJECT;
    if (clipper) clipper->AddRef();
    if (clipper_) clipper_->Release();
    clipper_ = static_cast<Clipper*>(clipper);
    return DD_OK;
  }
  HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    SyncLoss();
    if (flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    if (!key) {
      hasKey_ = false;
      return DD_OK;
    }
    key_ = *key;
    hasKey_ = true;
    return DD_OK;
  }

  void MarkLost() {
    if (!lost_) lost_ = true;
  }
  void Attach(Surface* back) { back_ = back; back->frontOf_ = this; }
  bool primary() const { return caps_ & DDSCAPS_PRIMARYSURFACE; }
  DirectDraw* owner() const { return owner_; }
  void Orphan() { owner_ = nullptr; }

 private:
  void FillFormat(LPDDPIXELFORMAT f) const {
    std::memset(f, 0, sizeof *f);
    f->dwSize = sizeof *f;
    f->dwFlags = DDPF_RGB;
    f->dwRGBBitCount = DWORD(bytes_ * 8);
    if (bytes_ == 4) {
      f->dwRBitMask = 0xFF0000, f->dwGBitMask = 0x00FF00, f->dwBBitMask = 0x0000FF;
    } else if (target_.is555) {
      f->dwRBitMask = 0x7C00, f->dwGBitMask = 0x03E0, f->dwBBitMask = 0x001F;
    } else {
      f->dwRBitMask = 0xF800, f->dwGBitMask = 0x07E0, f->dwBBitMask = 0x001F;
    }
  }
  void Describe(LPDDSURFACEDESC d) const {
    std::memset(d, 0, sizeof *d);
    d->dwSize = sizeof *d;
    d->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    d->dwWidth = DWORD(width_);
    d->dwHeight = DWORD(height_);
    d->lPitch = pitch_;
    d->ddsCaps.dwCaps = caps_;
    if (back_) {
      d->dwFlags |= DDSD_BACKBUFFERCOUNT;
      d->dwBackBufferCount = 1;
    }
    if (hasKey_) {
      d->dwFlags |= DDSD_CKSRCBLT;
      d->ddckCKSrcBlt = key_;
    }
    FillFormat(&d->ddpfPixelFormat);
  }
  bool Contains(const Rect& r) const { return r.l >= 0 && r.t >= 0 && r.l <= r.r && r.t <= r.b && r.r <= width_ && r.b <= height_; }
  uint16_t* Row(int y) { return pixels_.data() + size_t(y) * (pitch_ / 2); }
  uint32_t* Row32(int y) { return reinterpret_cast<uint32_t*>(Row(y)); }
  // Busy: locked or with its DC out.
  bool Busy() const { return locked_ || dc_ != nullptr; }
  void DropDC();
  void Present(const Rect& shown);
  // Before the pixels change where no presentation follows: the host may still hold the last one here.
  void Changing() { host::Current().PixelsChanging(pixels_.data(), pixels_.data() + pixels_.size()); }
  void Copy(Surface* src, const Rect& s, const Rect& d, bool keyed);
  void Copy32(Surface* src, const Rect& s, const Rect& d, bool keyed);
  template <class Pixel>
  void Stretch(Surface* src, const Rect& s, const Rect& d, bool keyed);

  friend void SyncLoss();
  DirectDraw* owner_;
  ULONG refs_ = 1;
  int width_, height_, pitch_;
  DWORD caps_;
  int bytes_;  // 2 or 4 a pixel
  std::vector<uint16_t> pixels_;
  std::vector<uint16_t> shown_;  // a 32-bit primary's last frame as the host is shown it
  platform::PixelTarget target_;
  DDCOLORKEY key_ = {0, 0};
  bool hasKey_ = false;
  bool lost_ = false;
  bool locked_ = false;
  platform::DeviceContext dcStorage_;
  platform::DeviceContext* dc_ = nullptr;
  Clipper* clipper_ = nullptr;
  Surface* back_ = nullptr;     // the attached back buffer of a flipping chain
  Surface* frontOf_ = nullptr;  // set on that back buffer
};

void SyncLoss() {
  host::Host& h = host::Current();
  if (!h.SurfacesLost()) return;
  h.SetSurfacesLost(false);
  for (Surface* s : LiveSurfaces()) s->MarkLost();
}

class DirectDraw : public IDirectDraw {
 public:
  explicit DirectDraw(bool accelerator) : accelerator_(accelerator) {}
  ~DirectDraw() override {
    for (Surface* s : LiveSurfaces())
      if (s->owner() == this) s->Orphan();
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) {
      if (modeSet_) RestoreDisplayMode();
      delete this;
    }
    return n;
  }
  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override {
    if (!clipper || outer || flags) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (Fails("CreateClipper")) return DDERR_OUTOFMEMORY;
    *clipper = new Clipper;
    return DD_OK;
  }
  HRESULT CreateSurface(LPDDSURFACEDESC desc, IDirectDrawSurface** surface, IUnknown* outer) override;
  HRESULT FlipToGDISurface() override {
    if (!level_) return DDERR_NOCOOPERATIVELEVELSET;
    Log("flip to GDI surface");
    return DD_OK;
  }
  HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override {
    if (!driverCaps && !emulationCaps) return DDERR_INVALIDPARAMS;
    if ((driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) ||
        (emulationCaps && emulationCaps->dwSize != sizeof(DDCAPS)))
      return DDERR_INVALIDPARAMS;
    const DWORD blits = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_COLORKEY | DDCAPS_BLTCOLORFILL;
    if (driverCaps) {
      std::memset(driverCaps, 0, sizeof *driverCaps);
      driverCaps->dwSize = sizeof *driverCaps;
      driverCaps->dwCaps = blits | (accelerator_ ? DDCAPS_3D : 0);
      driverCaps->dwCKeyCaps = DDCKEYCAPS_SRCBLT;
      driverCaps->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP |
                                   (accelerator_ ? DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE : 0);
      driverCaps->ddsOldCaps.dwCaps = driverCaps->ddsCaps.dwCaps;
    }
    if (emulationCaps) {
      std::memset(emulationCaps, 0, sizeof *emulationCaps);
      emulationCaps->dwSize = sizeof *emulationCaps;
      emulationCaps->dwCaps = blits;
      emulationCaps->dwCKeyCaps = DDCKEYCAPS_SRCBLT;
      emulationCaps->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
      emulationCaps->ddsOldCaps.dwCaps = emulationCaps->ddsCaps.dwCaps;
    }
    return DD_OK;
  }
  HRESULT RestoreDisplayMode() override {
    if (!modeSet_) return DD_OK;
    modeSet_ = false;
    Log("display mode restored");
    return DD_OK;
  }
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    if (Fails("SetCooperativeLevel")) return DDERR_INVALIDPARAMS;
    bool exclusive = flags & DDSCL_EXCLUSIVE, full = flags & DDSCL_FULLSCREEN, normal = flags & DDSCL_NORMAL;
    // Exclusive and full-screen go together and need a window; normal stands alone.
    if ((exclusive != full) || (normal && exclusive) || (!normal && !exclusive) || (exclusive && !window))
      return DDERR_INVALIDPARAMS;
    level_ = flags;
    window_ = window;
    Log(std::string("cooperative level ") + (exclusive ? "exclusive full-screen" : "normal"));
    return DD_OK;
  }
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits) override {
    if (!(level_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
    if (width == 0 || height == 0 || width > 4096 || height > 4096 ||
        (bits != 8 && bits != 16 && bits != 24 && bits != 32))
      return DDERR_INVALIDMODE;
    if (Fails("SetDisplayMode")) return DDERR_INVALIDMODE;
    modeSet_ = true;
    modeWidth_ = int(width);
    modeHeight_ = int(height);
    modeBits_ = int(bits);
    Log("display mode " + std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits));
    return DD_OK;
  }

  bool hasPrimary = false;

 private:
  ULONG refs_ = 1;
  bool accelerator_;
  DWORD level_ = 0;
  HWND window_ = nullptr;
  bool modeSet_ = false;
  int modeWidth_ = 0, modeHeight_ = 0, modeBits_ = 0;
};

ULONG Surface::Release() {
  ULONG n = --refs_;
  if (n == 0) {
    if (primary() && owner_) owner_->hasPrimary = false;
    // The back buffer of a chain goes with its front.
    if (back_) {
      back_->frontOf_ = nullptr;
      back_->Release();
    }
    if (frontOf_) frontOf_->back_ = nullptr;
    delete this;
  }
  return n;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC desc, IDirectDrawSurface** surface, IUnknown* outer) {
  if (!surface || outer || !desc || desc->dwSize != sizeof(DDSURFACEDESC) || !(desc->dwFlags & DDSD_CAPS))
    return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (!level_) return DDERR_NOCOOPERATIVELEVELSET;
  DWORD caps = desc->ddsCaps.dwCaps;
  bool is555 = host::Current().DisplayIs555();
  // The display's depth: the mode's when one is set, else the desktop's.
  int bits = (modeSet_ ? modeBits_ : host::Current().DesktopBits()) >= 24 ? 32 : 16;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (hasPrimary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    bool chain = caps & DDSCAPS_FLIP;
    if (chain) {
      if (!(caps & DDSCAPS_COMPLEX) || !(desc->dwFlags & DDSD_BACKBUFFERCOUNT) || desc->dwBackBufferCount != 1)
        return DDERR_INVALIDPARAMS;
      if (!(level_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
      if ((caps & DDSCAPS_3DDEVICE) && !accelerator_) return DDERR_INVALIDCAPS;
    }
    if (Fails("CreateSurface")) return DDERR_OUTOFMEMORY;
    int w = modeSet_ ? modeWidth_ : host::Current().DesktopWidth();
    int h = modeSet_ ? modeHeight_ : host::Current().DesktopHeight();
    Surface* front = new Surface(this, w, h, caps | DDSCAPS_VISIBLE | (chain ? DDSCAPS_FRONTBUFFER : 0), bits, is555);
    if (chain) {
      Surface* back = new Surface(this, w, h, (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | DDSCAPS_BACKBUFFER,
                                  bits, is555);
      front->Attach(back);
    }
    hasPrimary = true;
    *surface = front;
    Log("primary surface " + std::to_string(w) + "x" + std::to_string(h) + (chain ? " with a back buffer" : ""));
    return DD_OK;
  }
  if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
  if (caps & (DDSCAPS_FLIP | DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER)) return DDERR_INVALIDCAPS;
  int64_t w = desc->dwWidth, h = desc->dwHeight;
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return DDERR_INVALIDPARAMS;
  if (w * h > kMaxPixels) return DDERR_OUTOFMEMORY;
  if (desc->dwFlags & DDSD_PIXELFORMAT) {
    // An RGB format of its own: 5-6-5, 5-5-5 or 8-8-8 in 32 bits.
    const DDPIXELFORMAT& f = desc->ddpfPixelFormat;
    if (f.dwSize != sizeof f || !(f.dwFlags & DDPF_RGB)) return DDERR_INVALIDPIXELFORMAT;
    DWORD r = f.dwRBitMask, g = f.dwGBitMask, b = f.dwBBitMask;
    if (f.dwRGBBitCount == 16 && r == 0xF800 && g == 0x07E0 && b == 0x001F) bits = 16, is555 = false;
    else if (f.dwRGBBitCount == 16 && r == 0x7C00 && g == 0x03E0 && b == 0x001F) bits = 16, is555 = true;
    else if (f.dwRGBBitCount == 32 && r == 0xFF0000 && g == 0x00FF00 && b == 0x0000FF) bits = 32;
    else return DDERR_INVALIDPIXELFORMAT;
  }
  if (Fails("CreateSurface")) return DDERR_OUTOFMEMORY;
  if (!(caps & DDSCAPS_SYSTEMMEMORY)) caps |= DDSCAPS_VIDEOMEMORY;
  *surface = new Surface(this, int(w), int(h), caps, bits, is555);
  return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
  SyncLoss();
  if (!dc) return DDERR_INVALIDPARAMS;
  *dc = nullptr;
  if (lost_) return DDERR_SURFACELOST;
  if (dc_) return DDERR_DCALREADYCREATED;
  if (locked_) return DDERR_SURFACEBUSY;
  // The stand-in's GDI draws 16-bit pixels only.
  if (bytes_ != 2 || Fails("IDirectDrawSurface::GetDC")) return DDERR_CANTCREATEDC;
  Changing();
  // The surface keeps its one DC, so that taking it allocates nothing.
  dcStorage_ = platform::DeviceContext{};
  dc_ = &dcStorage_;
  dc_->target = target_;
  dc_->owner = this;
  *dc = platform::ToHDC(dc_);
  return DD_OK;
}

void Surface::DropDC() {
  platform::ReleaseSelections(dc_);
  dc_ = nullptr;
}

HRESULT Surface::ReleaseDC(HDC dc) {
  if (!dc_ || platform::ToDC(dc) != dc_) return DDERR_NODC;
  DropDC();
  return DD_OK;
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD, HANDLE) {
  SyncLoss();
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  Rect r = rect ? Rect{int(rect->left), int(rect->top), int(rect->right), int(rect->bottom)} : Rect{0, 0, width_, height_};
  if (!Contains(r)) return DDERR_INVALIDRECT;
  Changing();
  Describe(desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = Row(r.t) + r.l;
  locked_ = true;
  return DD_OK;
}

namespace {

// A row that may overlap its source on the same surface.
inline void KeyedRowOverlapping(uint16_t* d, const uint16_t* s, int n, uint16_t key) {
  if (d > s) {
    for (int i = n - 1; i >= 0; --i)
      if (s[i] != key) d[i] = s[i];
  } else {
    for (int i = 0; i < n; ++i)
      if (s[i] != key) d[i] = s[i];
  }
}

}  // namespace

void Surface::Copy(Surface* src, const Rect& s, const Rect& d, bool keyed) {
  int w = s.w(), h = s.h();
  if (w <= 0 || h <= 0) return;
  uint16_t key = uint16_t(src->key_.dwColorSpaceLowValue);
  bool same = src == this;
  // Rows go bottom-up when the destination lies below its source on the same surface.
  bool upward = same && d.t > s.t;
  for (int k = 0; k < h; ++k) {
    int y = upward ? h - 1 - k : k;
    uint16_t* dr = Row(d.t + y) + d.l;
    const uint16_t* sr = src->Row(s.t + y) + s.l;
    if (!keyed) {
      std::memmove(dr, sr, size_t(w) * 2);
    } else if (same && d.t + y == s.t + y) {
      KeyedRowOverlapping(dr, sr, w, key);
    } else {
      platform::KeyedRow(dr, sr, w, key);
    }
  }
}

void Surface::Copy32(Surface* src, const Rect& s, const Rect& d, bool keyed) {
  int w = s.w(), h = s.h();
  if (w <= 0 || h <= 0) return;
  uint32_t key = src->key_.dwColorSpaceLowValue;
  bool same = src == this;
  bool upward = same && d.t > s.t;
  bool leftward = same && d.l > s.l;
  for (int k = 0; k < h; ++k) {
    int y = upward ? h - 1 - k : k;
    uint32_t* dr = Row32(d.t + y) + d.l;
    const uint32_t* sr = src->Row32(s.t + y) + s.l;
    if (!keyed) {
      std::memmove(dr, sr, size_t(w) * 4);
      continue;
    }
    for (int i = 0; i < w; ++i) {
      int x = leftward ? w - 1 - i : i;
      if (sr[x] != key) dr[x] = sr[x];
    }
  }
}

template <class Pixel>
void Surface::Stretch(Surface* src, const Rect& s, const Rect& d, bool keyed) {
  int sw = s.w(), sh = s.h(), dw = d.w(), dh = d.h();
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  Pixel key = Pixel(src->key_.dwColorSpaceLowValue);
  for (int y = 0; y < dh; ++y) {
    const Pixel* sr = reinterpret_cast<const Pixel*>(src->Row(s.t + int(int64_t(y) * sh / dh))) + s.l;
    Pixel* dr = reinterpret_cast<Pixel*>(Row(d.t + y)) + d.l;
    for (int x = 0; x < dw; ++x) {
      Pixel v = sr[int64_t(x) * sw / dw];
      if (!keyed || v != key) dr[x] = v;
    }
  }
}

void Surface::Present(const Rect& shown) {
  if (!primary() || shown.w() <= 0 || shown.h() <= 0) return;
  if (bytes_ == 2) {
    host::Current().Present(Row(shown.t) + shown.l, shown.w(), shown.h(), pitch_, target_.is555);
    return;
  }
  // The host takes 16-bit frames: each 8-bit channel keeps its top bits.
  bool is555 = host::Current().DisplayIs555();
  if (shown_.empty()) shown_.assign(size_t(width_) * height_, 0);
  host::Current().PixelsChanging(shown_.data(), shown_.data() + shown_.size());
  for (int y = shown.t; y < shown.b; ++y) {
    const uint32_t* from = Row32(y);
    uint16_t* to = shown_.data() + size_t(y) * width_;
    for (int x = shown.l; x < shown.r; ++x) {
      uint32_t p = from[x];
      unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      to[x] = is555 ? uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
                    : uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    }
  }
  host::Current().Present(shown_.data() + size_t(shown.t) * width_ + shown.l, shown.w(), shown.h(), width_ * 2,
                          is555);
}

HRESULT Surface::Blt(LPRECT destRect, IDirectDrawSurface* source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) {
  SyncLoss();
  Surface* src = static_cast<Surface*>(source);
  if (lost_ || (src && src->lost_)) return DDERR_SURFACELOST;
  if (Busy() || (src && src->Busy())) return DDERR_SURFACEBUSY;
  Rect d = destRect ? Rect{int(destRect->left), int(destRect->top), int(destRect->right), int(destRect->bottom)}
                    : Rect{0, 0, width_, height_};
  if (flags & DDBLT_COLORFILL) {
    if (!fx || fx->dwSize != sizeof(DDBLTFX) || src) return DDERR_INVALIDPARAMS;
    if (!Contains(d)) return DDERR_INVALIDRECT;
    if (bytes_ == 4) {
      for (int y = d.t; y < d.b; ++y) std::fill(Row32(y) + d.l, Row32(y) + d.r, uint32_t(fx->dwFillColor));
      Present(d);
      return DD_OK;
    }
    uint16_t v = uint16_t(fx->dwFillColor);
    // Black and white are one byte repeated, and memset is the fastest fill there is.
    bool bytewise = (v & 0xFF) == (v >> 8);
    for (int y = d.t; y < d.b; ++y) {
      if (bytewise)
        std::memset(Row(y) + d.l, v & 0xFF, size_t(d.w()) * 2);
      else
        std::fill(Row(y) + d.l, Row(y) + d.r, v);
    }
    Present(d);
    return DD_OK;
  }
  if (!src) return DDERR_INVALIDPARAMS;
  // The blitter converts no pixel format to another.
  if (src->bytes_ != bytes_) return DDERR_INVALIDPIXELFORMAT;
  bool keyed = flags & DDBLT_KEYSRC;
  if (keyed && !src->hasKey_) return DDERR_NOCOLORKEY;
  Rect s = sourceRect ? Rect{int(sourceRect->left), int(sourceRect->top), int(sourceRect->right), int(sourceRect->bottom)}
                      : Rect{0, 0, src->width_, src->height_};
  if (!src->Contains(s) || d.l > d.r || d.t > d.b) return DDERR_INVALIDRECT;
  if (clipper_) {
    // The clipper keeps the blit inside the surface; the source is cut in proportion.
    Rect c{std::max(d.l, 0), std::max(d.t, 0), std::min(d.r, width_), std::min(d.b, height_)};
    if (c.w() <= 0 || c.h() <= 0) return DD_OK;
    if (d.w() == s.w() && d.h() == s.h()) {
      s = Rect{s.l + (c.l - d.l), s.t + (c.t - d.t), s.r - (d.r - c.r), s.b - (d.b - c.b)};
      d = c;
    } else if (c.l != d.l || c.t != d.t || c.r != d.r || c.b != d.b) {
      return DDERR_INVALIDRECT;
    }
  } else if (!Contains(d)) {
    return DDERR_INVALIDRECT;
  }
  if (d.w() == s.w() && d.h() == s.h()) {
    if (bytes_ == 4) Copy32(src, s, d, keyed);
    else Copy(src, s, d, keyed);
  } else if (bytes_ == 4) {
    Stretch<uint32_t>(src, s, d, keyed);
  } else {
    Stretch<uint16_t>(src, s, d, keyed);
  }
  Present(d);
  return DD_OK;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, LPRECT sourceRect, DWORD trans) {
  SyncLoss();
  Surface* src = static_cast<Surface*>(source);
  if (!src || (trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT))) return DDERR_INVALIDPARAMS;
  if (lost_ || src->lost_) return DDERR_SURFACELOST;
  if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;
  if (clipper_) return DDERR_BLTFASTCANTCLIP;
  if (src->bytes_ != bytes_) return DDERR_INVALIDPIXELFORMAT;
  bool keyed = trans & DDBLTFAST_SRCCOLORKEY;
  if (keyed && !src->hasKey_) return DDERR_NOCOLORKEY;
  Rect s = sourceRect ? Rect{int(sourceRect->left), int(sourceRect->top), int(sourceRect->right), int(sourceRect->bottom)}
                      : Rect{0, 0, src->width_, src->height_};
  // An empty source is refused, as DirectDraw does, not taken for a blit of nothing.
  if (!src->Contains(s) || s.w() == 0 || s.h() == 0) return DDERR_INVALIDRECT;
  // The position is unsigned: a negative coordinate comes in as a huge one.
  if (x > DWORD(width_) || y > DWORD(height_)) return DDERR_INVALIDRECT;
  Rect d{int(x), int(y), int(x) + s.w(), int(y) + s.h()};
  if (!Contains(d)) return DDERR_INVALIDRECT;
  if (bytes_ == 4) Copy32(src, s, d, keyed);
  else Copy(src, s, d, keyed);
  Present(d);
  return DD_OK;
}

HRESULT Surface::Flip(IDirectDrawSurface* targetOverride, DWORD) {
  SyncLoss();
  if (!back_ || targetOverride) return DDERR_NOTFLIPPABLE;
  if (lost_ || back_->lost_) return DDERR_SURFACELOST;
  if (Busy() || back_->Busy()) return DDERR_SURFACEBUSY;
  std::swap(pixels_, back_->pixels_);
  target_.pixels = pixels_.data();
  back_->target_.pixels = back_->pixels_.data();
  Present(Rect{0, 0, width_, height_});
  return DD_OK;
}

// The secondary 3-D device's identifier.
GUID acceleratorGuid = {0x52adf7a1, 0x3d11, 0x4e2a, {0x9a, 0x61, 0x33, 0xd0, 0x6c, 0x10, 0x8e, 0x21}};

}  // namespace

extern "C" {

HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  char description[] = "Primary Display Driver", name[] = "display";
  if (!callback(nullptr, description, name, context)) return DD_OK;
  if (host::Current().HasAccelerator()) {
    char accDescription[] = "3-D Accelerator", accName[] = "accelerator";
    callback(&acceleratorGuid, accDescription, accName, context);
  }
  return DD_OK;
}

HRESULT WINAPI DirectDrawCreate(GUID* guid, LPDIRECTDRAW* ddraw, IUnknown* outer) {
  if (!ddraw || outer) return DDERR_INVALIDPARAMS;
  *ddraw = nullptr;
  bool accelerator = false;
  if (guid) {
    if (std::memcmp(guid, &acceleratorGuid, sizeof(GUID)) != 0 || !host::Current().HasAccelerator())
      return DDERR_INVALIDPARAMS;
    accelerator = true;
  }
  if (Fails("DirectDrawCreate")) return DDERR_GENERIC;
  *ddraw = new DirectDraw(accelerator);
  Log(accelerator ? "created on the 3-D accelerator" : "created on the primary display driver");
  return DD_OK;
}

}  // extern "C"
