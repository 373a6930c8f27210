// Fonts: logical fonts as GDI objects, their faces found through fontconfig, glyphs from FreeType's cache.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "gdi_object.h"

namespace platform {

struct FaceEntry;

// The file and face index that serve a family name, Japanese text preferred (faces.cpp: fontconfig; in the
// browser a table of the packaged faces).
bool FindFaceFile(const char* family, std::string* path, int* index);

struct FontObject : GdiObject {
  FontObject() : GdiObject(GdiKind::Font) {}
  // Fonts are created and deleted by every text block of a frame, so they come from a fixed pool.
  static void* operator new(std::size_t size);
  static void operator delete(void* p);

  LOGFONTA log = {};
  FaceEntry* face = nullptr;  // null: no face at all, glyphs are drawn as boxes
  int em26 = 0;               // character height, 26.6 pixels
  int emPixels = 0;           // the same, rounded
  int ascent = 0;             // cell above the baseline, pixels
  int descent = 0;            // cell below it; ascent + descent is the cell height
  int underlineTop = 0;       // below the baseline
  int underlineSize = 1;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool mono = false;  // small sizes are drawn without grey levels, as the system's bitmap fonts are
  // The standard faces are Windows' fixed-pitch Japanese ones: the cell is the em, a full-width character
  // advances one em and a half-width one half an em, whatever the face that stands in for them.
  bool fixedPitch = false;
  double angle = 0;   // escapement, radians counter-clockwise
};

// A glyph's coverage: grey levels 0..255, or one bit a pixel with `mono`.
struct Glyph {
  const uint8_t* buffer = nullptr;
  int width = 0;
  int rows = 0;
  int pitch = 0;
  int left = 0;  // from the pen position to the bitmap's left edge
  int top = 0;   // from the baseline up to the bitmap's top row
  int advance = 0;
  bool mono = false;
};

// Looks the glyph of `code` up; false when the font has no face (the caller draws a box). A glyph missing
// from the face gives the face's own missing-glyph shape. The bitmap stays valid until the next lookup.
bool LookupGlyph(const FontObject& font, char32_t code, Glyph* glyph);
// The advance of a character drawn as a box, for fonts without a face.
int BoxAdvance(const FontObject& font, char32_t code);

// The font of a DC that has none selected.
FontObject& SystemFont();

// Memory blocks FreeType and the glyph cache have taken so far.
long FontMemoryAllocations();

}  // namespace platform
