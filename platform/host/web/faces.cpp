// Faces by family name in the browser: the packaged IPA faces, by the names fontconfig knows them by.
#include <strings.h>

#include "gdi/font.h"

namespace platform {

namespace {

struct PackagedFace {
  const char* family;
  const char* file;
};

// The site packs these files under /fonts (scripts/web).
constexpr PackagedFace kFaces[] = {
    {"IPAGothic", "/fonts/ipag.ttf"},   {"IPA Gothic", "/fonts/ipag.ttf"},   {"IPAPGothic", "/fonts/ipagp.ttf"},
    {"IPA PGothic", "/fonts/ipagp.ttf"}, {"IPAMincho", "/fonts/ipam.ttf"},   {"IPA Mincho", "/fonts/ipam.ttf"},
    {"IPAPMincho", "/fonts/ipamp.ttf"}, {"IPA PMincho", "/fonts/ipamp.ttf"}, {"sans-serif", "/fonts/ipag.ttf"},
    {"serif", "/fonts/ipam.ttf"},       {"monospace", "/fonts/ipag.ttf"},
};

}  // namespace

bool FindFaceFile(const char* family, std::string* path, int* index) {
  for (const PackagedFace& face : kFaces) {
    if (strcasecmp(face.family, family) == 0) {
      *path = face.file;
      *index = 0;
      return true;
    }
  }
  return false;
}

}  // namespace platform
