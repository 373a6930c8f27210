// BMP decoding through SDL's loader, behind a check of the headers so that no file can ask for more memory
// or bytes than it holds.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "../host.h"

namespace host {

namespace {

uint32_t Read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// A compressed picture up to this size is taken whatever its data: a 1024 x 1024 picture at most.
constexpr int64_t kRleFreePixels = 1 << 20;

// The sizes the headers claim, checked against the bytes there are.
bool HeadersSound(const uint8_t* d, size_t size) {
  if (size < 14 + 12 || d[0] != 'B' || d[1] != 'M') return false;
  uint32_t offset = Read32(d + 10);
  uint32_t infoSize = Read32(d + 14);
  if (infoSize < 12 || infoSize > size - 14) return false;
  int64_t width, height;
  unsigned bits, compression = 0;
  if (infoSize == 12) {
    width = Read16(d + 18);
    height = int16_t(Read16(d + 20));
    bits = Read16(d + 24);
  } else {
    if (infoSize < 40) return false;
    width = int32_t(Read32(d + 18));
    height = int32_t(Read32(d + 22));
    bits = Read16(d + 28);
    compression = Read32(d + 30);
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
  if (width * height > kMaxPicturePixels) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (offset < 14 + infoSize || offset > size) return false;
  if (compression == 0 || compression == 3) {
    int64_t row = ((width * bits + 31) / 32) * 4;
    if (int64_t(offset) + row * height > int64_t(size)) return false;
  } else if (compression == 1 || compression == 2) {
    // Run-length data may end the picture early, so its size bounds nothing by itself. A run spans at most
    // 255 pixels in two bytes: past a small picture, the data must be as large as runs would need.
    if (width * height > kRleFreePixels && width * height > int64_t(size - offset) * 128) return false;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool DecodeBmp(const void* data, size_t size, Picture* picture) {
  if (!data || !picture || !HeadersSound(static_cast<const uint8_t*>(data), size)) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
  if (!rw) return false;
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (!loaded) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
  if (!rgb) {
    SDL_FreeSurface(loaded);
    return false;
  }
  picture->width = rgb->w;
  picture->height = rgb->h;
  picture->pixels.resize(size_t(rgb->w) * rgb->h);
  SDL_LockSurface(rgb);
  for (int y = 0; y < rgb->h; ++y)
    std::memcpy(&picture->pixels[size_t(y) * rgb->w], static_cast<const uint8_t*>(rgb->pixels) + y * rgb->pitch,
                size_t(rgb->w) * 4);
  SDL_UnlockSurface(rgb);
  SDL_FreeSurface(rgb);
  for (uint32_t& p : picture->pixels) p &= 0xFFFFFF;
  // A 16-bit picture's 5-bit channels are widened as GDI widens them, the top bits repeated below.
  const SDL_PixelFormat* f = loaded->format;
  if (f->BytesPerPixel == 2 && f->Rloss == 3 && f->Gloss == 3 && f->Bloss == 3) {
    SDL_LockSurface(loaded);
    for (int y = 0; y < loaded->h; ++y) {
      const uint16_t* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(loaded->pixels) + y * loaded->pitch);
      for (int x = 0; x < loaded->w; ++x) {
        uint32_t r = (row[x] & f->Rmask) >> f->Rshift, g = (row[x] & f->Gmask) >> f->Gshift, b = (row[x] & f->Bmask) >> f->Bshift;
        picture->pixels[size_t(y) * loaded->w + x] = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
      }
    }
    SDL_UnlockSurface(loaded);
  }
  SDL_FreeSurface(loaded);
  return true;
}

}  // namespace host
