#include "crt.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>

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

// The program's rand and srand (linked with --wrap=rand and --wrap=srand): the Windows C runtime's generator.
// Shared libraries keep the C library's own, as a DLL's calls would not reach the program's runtime: the
// synthesizer draws when it is made and the sound server's client when it names a runtime directory, and
// neither may move the game, or a record could not say when they drew.
extern "C" void __wrap_srand(unsigned seed) { randomState = seedPinned ? pinnedSeed : seed; }
extern "C" int __wrap_rand(void) {
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
