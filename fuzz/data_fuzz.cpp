// The game's files: the tuning values, an enemy path and the high-score file, read from a file in memory.
#include <unistd.h>

#include "../game/game.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The high-score file is read from the current directory: this process's own, in memory.
  if (chdir(fuzz::MemoryDirectory().c_str()) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::InputFile input("zqt.sss");
  input.Write(data, size);
  ReadSettings("zqt.sss");
  EnemyPath path{};
  LoadPath("zqt.sss", &path);
  ReadHighScore();
  return 0;
}
