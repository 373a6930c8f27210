#include "crt.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace {
unsigned randomState = 1;
bool seedPinned = false;
unsigned pinnedSeed = 0;
}  // namespace

namespace platform {

void PinRandomSeed(unsigned seed) {
  seedPinned = true;
  pinnedSeed = seed;
  randomState = seed;
}

}  // namespace platform

// These replace the C library's own generator for the whole program.
extern "C" void srand(unsigned seed) noexcept { randomState = seedPinned ? pinnedSeed : seed; }

extern "C" int rand(void) noexcept {
  randomState = randomState * 214013u + 2531011u;
  return int((randomState >> 16) & 0x7FFF);
}

// The program's own fopen (linked with --wrap=fopen): as on Windows it opens files only. A FIFO, device or
// directory is refused at once, as an unreadable file, instead of blocking on a FIFO until a writer comes.
extern "C" FILE* __real_fopen(const char* path, const char* mode);
extern "C" FILE* __wrap_fopen(const char* path, const char* mode) {
  struct stat st;
  if (path && stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
    errno = EACCES;
    return nullptr;
  }
  return __real_fopen(path, mode);
}
