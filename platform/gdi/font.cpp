// Logical fonts: CreateFontIndirectA, faces by family name (faces.cpp), glyphs through FreeType's cache.
#include "font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_MODULE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "host/host.h"
#include "kernel/codepage.h"

namespace platform {

struct FaceEntry {
  char path[512] = {};
  int index = 0;
  int unitsPerEm = 1000;
  int winAscent = 880;
  int winDescent = 120;
  int underlinePosition = -100;  // font units, negative below the baseline
  int underlineThickness = 50;
};

namespace {

// ---- FreeType with counted memory ----

long allocations = 0;

// Blocks come zeroed: the cache manager of some FreeType releases leaves its weight count uninitialised,
// and a dirty one makes the cache flush itself on every lookup.
void* Alloc(FT_Memory, long size) {
  ++allocations;
  return std::calloc(1, size_t(size));
}
void Free(FT_Memory, void* block) { std::free(block); }
void* Realloc(FT_Memory, long, long size, void* block) {
  ++allocations;
  return std::realloc(block, size_t(size));
}

FT_MemoryRec_ memoryRec = {nullptr, Alloc, Free, Realloc};

struct Engine {
  FT_Library library = nullptr;
  FTC_Manager manager = nullptr;
  FTC_ImageCache images = nullptr;
  FTC_CMapCache cmaps = nullptr;
  bool ok = false;
};

FT_Error RequestFace(FTC_FaceID id, FT_Library library, FT_Pointer, FT_Face* face) {
  const FaceEntry* entry = static_cast<const FaceEntry*>(id);
  FT_Error error = FT_New_Face(library, entry->path, entry->index, face);
  if (!error) FT_Select_Charmap(*face, FT_ENCODING_UNICODE);
  return error;
}

Engine& TheEngine() {
  static Engine engine = [] {
    Engine e;
    if (FT_New_Library(&memoryRec, &e.library)) return e;
    FT_Add_Default_Modules(e.library);
    FT_Set_Default_Properties(e.library);
    // Room for every face and size a game uses in a frame, so that a warm frame opens and loads nothing.
    if (FTC_Manager_New(e.library, 8, 32, 16 * 1024 * 1024, RequestFace, nullptr, &e.manager)) return e;
    if (FTC_ImageCache_New(e.manager, &e.images) || FTC_CMapCache_New(e.manager, &e.cmaps)) return e;
    e.ok = true;
    return e;
  }();
  return engine;
}

// ---- Faces ----

constexpr int kMaxFaces = 16;
constexpr int kMaxNames = 32;

FaceEntry faceFiles[kMaxFaces];
int faceFileCount = 0;

struct NameEntry {
  char name[LF_FACESIZE] = {};
  FaceEntry* face = nullptr;
};
NameEntry names[kMaxNames];
int nameCount = 0;

bool StandardName(const char* faceName) {
  return !faceName[0] || std::strcmp(faceName, "標準ゴシック") == 0 || std::strcmp(faceName, "標準明朝") == 0;
}

// The system's standard faces under their Japanese names, and the face an empty name gets.
const char* FamilyFor(const char* faceName, std::string* decoded) {
  if (!faceName[0] || std::strcmp(faceName, "標準ゴシック") == 0) return "IPAGothic";
  if (std::strcmp(faceName, "標準明朝") == 0) return "IPAMincho";
  *decoded = Cp932ToUtf8(faceName);
  return decoded->c_str();
}

FaceEntry* OpenFile(const char* path, int index) {
  for (int i = 0; i < faceFileCount; ++i)
    if (faceFiles[i].index == index && std::strcmp(faceFiles[i].path, path) == 0) return &faceFiles[i];
  Engine& engine = TheEngine();
  if (!engine.ok || faceFileCount == kMaxFaces || std::strlen(path) >= sizeof faceFiles[0].path) return nullptr;
  FaceEntry* entry = &faceFiles[faceFileCount];
  std::strcpy(entry->path, path);
  entry->index = index;
  FT_Face face = nullptr;
  if (FTC_Manager_LookupFace(engine.manager, entry, &face) || !FT_IS_SCALABLE(face)) {
    if (face) FTC_Manager_RemoveFaceID(engine.manager, entry);
    return nullptr;
  }
  entry->unitsPerEm = face->units_per_EM ? face->units_per_EM : 1000;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    entry->winAscent = os2->usWinAscent;
    entry->winDescent = os2->usWinDescent;
  } else if (face->ascender - face->descender > 0) {
    entry->winAscent = face->ascender;
    entry->winDescent = -face->descender;
  }
  if (face->underline_thickness > 0) {
    entry->underlinePosition = face->underline_position;
    entry->underlineThickness = face->underline_thickness;
  }
  ++faceFileCount;
  return entry;
}

FaceEntry* MatchFamily(const char* family) {
  if (host::Current().ShouldFail("FcFontMatch")) return nullptr;
  std::string file;
  int index = 0;
  return FindFaceFile(family, &file, &index) ? OpenFile(file.c_str(), index) : nullptr;
}

// The face for a LOGFONTA face name: looked up once per name, then remembered.
FaceEntry* ResolveFace(const LOGFONTA& log) {
  char name[LF_FACESIZE];
  std::memcpy(name, log.lfFaceName, LF_FACESIZE);
  name[LF_FACESIZE - 1] = '\0';
  for (int i = 0; i < nameCount; ++i)
    if (std::strcmp(names[i].name, name) == 0) return names[i].face;
  std::string decoded;
  FaceEntry* face = MatchFamily(FamilyFor(name, &decoded));
  // Whatever the name, text still shows: fall back to the standard face.
  if (!face && name[0]) {
    LOGFONTA standard = {};
    face = ResolveFace(standard);
  }
  if (nameCount < kMaxNames) {
    std::strcpy(names[nameCount].name, name);
    names[nameCount].face = face;
    ++nameCount;
  }
  return face;
}

// ---- The font pool ----

constexpr int kPoolSize = 256;
alignas(FontObject) unsigned char pool[kPoolSize][sizeof(FontObject)];
void* freeList[kPoolSize];
int freeCount = -1;

int Round(double v) { return int(std::lround(v)); }

}  // namespace

void* FontObject::operator new(std::size_t size) {
  if (freeCount < 0) {
    for (int i = 0; i < kPoolSize; ++i) freeList[i] = pool[kPoolSize - 1 - i];
    freeCount = kPoolSize;
  }
  if (size == sizeof(FontObject) && freeCount > 0) return freeList[--freeCount];
  return ::operator new(size);
}

void FontObject::operator delete(void* p) {
  unsigned char* b = static_cast<unsigned char*>(p);
  if (b >= pool[0] && b < pool[0] + sizeof pool) {
    freeList[freeCount++] = p;
    return;
  }
  ::operator delete(p);
}

namespace {

void SetUp(FontObject* font, const LOGFONTA& log) {
  font->log = log;
  font->face = ResolveFace(log);
  char name[LF_FACESIZE];
  std::memcpy(name, log.lfFaceName, LF_FACESIZE);
  name[LF_FACESIZE - 1] = '\0';
  font->fixedPitch = StandardName(name);
  FaceEntry metrics;
  if (font->face && !font->fixedPitch) metrics = *font->face;
  if (font->fixedPitch) {
    // Windows' standard Japanese faces: 220 units above the baseline and 36 below, in an em of 256.
    metrics.unitsPerEm = 256, metrics.winAscent = 220, metrics.winDescent = 36;
    if (font->face) {
      metrics.underlinePosition = font->face->underlinePosition * 256 / font->face->unitsPerEm;
      metrics.underlineThickness = std::max(1, font->face->underlineThickness * 256 / font->face->unitsPerEm);
    }
  }
  const FaceEntry& f = metrics;
  double cellPerEm = double(f.winAscent + f.winDescent) / f.unitsPerEm;
  // A positive height is the cell's, a negative one the character's; 0 asks for the default size.
  long height = log.lfHeight;
  if (height == 0) height = 16;
  double em;
  if (height > 0) {
    height = std::min(height, 2000L);
    em = height / cellPerEm;
    font->ascent = Round(double(height) * f.winAscent / (f.winAscent + f.winDescent));
    font->descent = int(height) - font->ascent;
  } else {
    em = double(std::min(-height, 2000L));
    font->ascent = Round(em * f.winAscent / f.unitsPerEm);
    font->descent = Round(em * f.winDescent / f.unitsPerEm);
  }
  font->em26 = std::max(64, Round(em * 64));
  font->emPixels = std::max(1, Round(em));
  // The face gives the underline's centre; keep it inside the cell.
  font->underlineSize = std::max(1, Round(double(f.underlineThickness) * em / f.unitsPerEm));
  int top = Round((-f.underlinePosition - f.underlineThickness / 2.0) * em / f.unitsPerEm);
  font->underlineTop = std::max(1, std::min(top, font->descent - font->underlineSize));
  font->bold = log.lfWeight >= 600;
  font->italic = log.lfItalic != 0;
  font->underline = log.lfUnderline != 0;
  font->strikeOut = log.lfStrikeOut != 0;
  font->mono = font->emPixels <= 16;
  font->angle = (log.lfEscapement % 3600) / 10.0 * 3.14159265358979323846 / 180.0;
}

FTC_ScalerRec ScalerOf(const FontObject& font) {
  FTC_ScalerRec scaler;
  scaler.face_id = font.face;
  // A width asks for the average character width; the faces' half-width characters are half an em.
  int width = font.log.lfWidth > 0 ? std::min(int(font.log.lfWidth), 2000) * 2 * 64 : font.em26;
  scaler.width = FT_UInt(width);
  scaler.height = FT_UInt(font.em26);
  scaler.pixel = 0;
  scaler.x_res = 72;
  scaler.y_res = 72;
  return scaler;
}

}  // namespace

bool LookupGlyph(const FontObject& font, char32_t code, Glyph* glyph) {
  Engine& engine = TheEngine();
  if (!font.face || !engine.ok) return false;
  FT_UInt index = FTC_CMapCache_Lookup(engine.cmaps, font.face, -1, code);
  FTC_ScalerRec scaler = ScalerOf(font);
  FT_ULong flags = FT_LOAD_RENDER | (font.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT);
  FT_Glyph image = nullptr;
  if (FTC_ImageCache_LookupScaler(engine.images, &scaler, flags, index, &image, nullptr) || !image ||
      image->format != FT_GLYPH_FORMAT_BITMAP)
    return false;
  const FT_BitmapGlyph bitmap = reinterpret_cast<FT_BitmapGlyph>(image);
  glyph->buffer = bitmap->bitmap.buffer;
  glyph->width = int(bitmap->bitmap.width);
  glyph->rows = int(bitmap->bitmap.rows);
  glyph->pitch = bitmap->bitmap.pitch;
  glyph->left = bitmap->left;
  glyph->top = bitmap->top;
  glyph->advance = font.fixedPitch ? BoxAdvance(font, code) : int((image->advance.x + 0x8000) >> 16);
  glyph->mono = bitmap->bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!glyph->mono && bitmap->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) glyph->width = glyph->rows = 0;
  return true;
}

int BoxAdvance(const FontObject& font, char32_t code) {
  // Half-width for ASCII and half-width katakana, full width for the rest; a width asked for is the
  // half-width one.
  bool half = code < 0x80 || (code >= 0xFF61 && code <= 0xFF9F);
  int full = font.log.lfWidth > 0 ? 2 * std::min(int(font.log.lfWidth), 2000) : font.emPixels;
  return std::max(1, half ? full / 2 : full);
}

FontObject& SystemFont() {
  static FontObject* font = [] {
    FontObject* f = new FontObject;
    f->stock = true;
    LOGFONTA log = {};
    log.lfHeight = 16;
    log.lfWeight = FW_BOLD;
    log.lfCharSet = SHIFTJIS_CHARSET;
    SetUp(f, log);
    return f;
  }();
  return *font;
}

long FontMemoryAllocations() { return allocations; }

}  // namespace platform

extern "C" {

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* log) {
  if (!log) return nullptr;
  platform::FontObject* font = new platform::FontObject;
  platform::SetUp(font, *log);
  return reinterpret_cast<HFONT>(static_cast<platform::GdiObject*>(font));
}

}  // extern "C"

