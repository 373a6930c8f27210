#include "crt.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>

namespace {
unsigned randomState = 1;
// What the shared libraries draw (a sound server's file names, a synthesizer's dither): a generator of
// their own, or a record could not say when they drew.
std::atomic<unsigned> libraryRandomState{1};
// Set while replaying a format 1 record: the calls the libraries make on this thread draw on the program's.
bool librariesShare = false;
std::thread::id sharingThread;
bool seedPinned = false;
unsigned pinnedSeed = 0;

int Next(unsigned* state) {
  *state = *state * 214013u + 2531011u;
  return int((*state >> 16) & 0x7FFF);
}
}  // namespace

namespace platform {

void PinRandomSeed(unsigned seed) {
  seedPinned = true;
  pinnedSeed = seed;
  randomState = seed;
}

void ShareRandomWithLibraries(bool share) {
  librariesShare = share;
  sharingThread = std::this_thread::get_id();
}

void DrawRandom(int count) {
  for (int i = 0; i < count; ++i) Next(&randomState);
}

}  // namespace platform

// The program's generator (linked with --wrap=rand and --wrap=srand): the Windows C runtime's.
extern "C" void __wrap_srand(unsigned seed) { randomState = seedPinned ? pinnedSeed : seed; }
extern "C" int __wrap_rand(void) { return Next(&randomState); }

// The shared libraries' rand and srand, which the program's definitions stand in for.
extern "C" void srand(unsigned seed) noexcept {
  if (librariesShare && std::this_thread::get_id() == sharingThread) __wrap_srand(seed);
  else libraryRandomState = seed;
}
extern "C" int rand(void) noexcept {
  if (librariesShare && std::this_thread::get_id() == sharingThread) return __wrap_rand();
  // Libraries may draw from any thread.
  unsigned state = libraryRandomState.load(), next;
  do next = state * 214013u + 2531011u;
  while (!libraryRandomState.compare_exchange_weak(state, next));
  return int((next >> 16) & 0x7FFF);
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
