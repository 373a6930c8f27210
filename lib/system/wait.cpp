// Numbered wait deadlines on the tick count, the busy wait and the frame clock.
#include "ox.h"

namespace oxSystem {

namespace {

// Entries 1..10 are the user waits, 11 the busy wait's; entry 0 is unused.
DWORD waitTable[12];

const char kOutOfRange[] = "ウェイトNoが範囲外です";

}  // namespace

int SetWait(int n, DWORD ms) {
  if (n < 1 || n > 10) return ErrorMessage("oxSystem::SetWait", kOutOfRange, 0);
  waitTable[n] = GetTickCount() + ms;
  return 1;
}

int InitWait(int n) {
  if (n < 1 || n > 10) return ErrorMessage("oxSystem::InitWait", kOutOfRange, 0);
  waitTable[n] = WAIT_IDLE;
  return 1;
}

int CheckWait(int n) { return GetTickCount() > waitTable[n] ? 1 : 0; }

DWORD WaitDeadline(int n) { return waitTable[n]; }

void ResetWaits() {
  for (int n = 1; n <= 11; ++n) waitTable[n] = WAIT_IDLE;
  EndKeyRedirect();
}

DWORD BusyWait(DWORD ms) {
  waitTable[11] = GetTickCount() + ms;
  while (!(GetTickCount() > waitTable[11])) {
  }
  return ResetFrameTime();
}

DWORD ResetFrameTime() {
  libraryState.FrameTime = 0.0f;
  libraryState.frameClockBase = GetTickCount();
  return libraryState.frameClockBase;
}

DWORD UpdateFrameTime() {
  DWORD elapsed = GetTickCount() - libraryState.frameClockBase;
  libraryState.FrameTime = float(double(elapsed) / 1000.0);
  libraryState.frameClockBase = GetTickCount();
  return libraryState.frameClockBase;
}

}  // namespace oxSystem
