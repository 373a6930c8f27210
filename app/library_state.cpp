#include "ox.h"

namespace {

// Taken before WinMain runs: the frame clock and the blink start from the process's start.
LibraryState StartingState() {
  LibraryState s;
  s.frameClockBase = GetTickCount();
  s.blinkDeadline = GetTickCount() + 1000;
  return s;
}

}  // namespace

LibraryState libraryState = StartingState();
