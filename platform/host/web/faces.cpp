// Faces by family name in the browser: the packaged IPA faces, by the names fontconfig knows them by.
#include <emscripten.h>
#include <strings.h>
#include <unistd.h>

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

// The page fetches a face from the site the first time it is asked for (most pages need one or two of
// them); 1 when the file is there now. Under node the faces are there from the start.
EM_ASYNC_JS(int, FetchFace, (const char* path), {
  if (!Module.radirePage) return 0;
  return await Module.radirePage.fetchFace(Module, UTF8ToString(path));
});

}  // namespace

bool FindFaceFile(const char* family, std::string* path, int* index) {
  for (const PackagedFace& face : kFaces) {
    if (strcasecmp(face.family, family) == 0) {
      if (access(face.file, R_OK) != 0 && !FetchFace(face.file)) return false;
      *path = face.file;
      *index = 0;
      return true;
    }
  }
  return false;
}

}  // namespace platform
