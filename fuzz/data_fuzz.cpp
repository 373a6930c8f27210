// The game's files: the tuning values, an enemy path and the high-score file.
#include <cstdlib>

#include "../game/game.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The high-score file is read from the current directory: one of this process's own.
  char dir[] = "/tmp/radire-fuzz-XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* out = std::fopen("zqt.sss", "wb");
  if (!out) std::abort();
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  ReadSettings("zqt.sss");
  EnemyPath path{};
  LoadPath("zqt.sss", &path);
  ReadHighScore();
  return 0;
}
