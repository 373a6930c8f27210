// Faces by family name through fontconfig.
#include <fontconfig/fontconfig.h>

#include "font.h"

namespace platform {

bool FindFaceFile(const char* family, std::string* path, int* index) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (found) {
    *path = reinterpret_cast<const char*>(file);
    *index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, index);
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace platform

// Under the leak checker: fontconfig keeps a few blocks of its configuration for the process's life.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
