#include "overlay.h"

#ifndef __EMSCRIPTEN__
#include <fontconfig/fontconfig.h>
#endif
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef __EMSCRIPTEN__
#include "gdi/font.h"
#endif

namespace host {

OverlayText::~OverlayText() {
  if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
  if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool OverlayText::Open() {
  if (tried_) return face_ != nullptr;
  tried_ = true;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library)) return false;
  library_ = library;
#ifdef __EMSCRIPTEN__
  // No fontconfig in the browser: the packaged faces.
  std::string path;
  int faceIndex = 0;
  FT_Face packaged = nullptr;
  if (platform::FindFaceFile("sans-serif", &path, &faceIndex) &&
      FT_New_Face(library, path.c_str(), faceIndex, &packaged))
    packaged = nullptr;
  face_ = packaged;
  return packaged != nullptr;
#else
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return false;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:weight=bold"));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcChar8* file = nullptr;
  int index = 0;
  FT_Face face = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face)) face = nullptr;
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  face_ = face;
  return face != nullptr;
#endif
}

SDL_Texture* OverlayText::Render(SDL_Renderer* renderer, const std::string& text, int pixels, int* width,
                                 int* height) {
  if (!renderer || !Open()) return nullptr;
  FT_Face face = static_cast<FT_Face>(face_);
  if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels))) return nullptr;
  const int ascent = int(face->size->metrics.ascender >> 6), descent = int(-face->size->metrics.descender >> 6);
  int w = 0;
  for (unsigned char c : text)
    if (!FT_Load_Char(face, c, FT_LOAD_DEFAULT)) w += int(face->glyph->advance.x >> 6);
  const int h = ascent + descent;
  if (w <= 0 || h <= 0) return nullptr;
  // White everywhere, the glyphs' coverage as alpha.
  std::vector<uint32_t> argb(size_t(w) * h, 0x00FFFFFFu);
  int pen = 0;
  for (unsigned char c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_RENDER)) continue;
    const FT_Bitmap& b = face->glyph->bitmap;
    for (unsigned row = 0; row < b.rows; ++row) {
      int y = ascent - face->glyph->bitmap_top + int(row);
      if (y < 0 || y >= h) continue;
      for (unsigned col = 0; col < b.width; ++col) {
        int x = pen + face->glyph->bitmap_left + int(col);
        if (x < 0 || x >= w) continue;
        uint32_t a = b.buffer[row * b.pitch + col];
        uint32_t& p = argb[size_t(y) * w + x];
        p = std::max(p >> 24, a) << 24 | 0xFFFFFFu;
      }
    }
    pen += int(face->glyph->advance.x >> 6);
  }
  SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
  if (!texture) return nullptr;
  SDL_UpdateTexture(texture, nullptr, argb.data(), w * 4);
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  *width = w;
  *height = h;
  return texture;
}

}  // namespace host
