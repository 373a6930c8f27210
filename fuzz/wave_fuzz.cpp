// Sounds: the RIFF reader (mmio) under the wave sound loader, and the sound buffers made from what it read.
// The loader takes a name beside the program, which for this process is a directory in memory.
#include "fuzz_support.h"
#include "ox.h"
#include "user/windowing.h"

// The library as a program has it after its start: its window and its sound.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::Host();
  fuzz::MemoryDirectory();
  platform::ResetWindowing();
  libraryState = LibraryState{};
  libraryState.fullScreen = 0;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "FUZZ";
  RegisterClassA(&wc);
  libraryState.mainWindow = CreateWindowExA(0, "FUZZ", "fuzz", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
  if (!libraryState.mainWindow || !oxSound::Init()) std::abort();
  oxSound::ClearObjects();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::InputFile input("fuzz.wav");
  input.Write(data, size);
  int object = oxSound::LoadObject(input.name().c_str(), 2);
  if (object) {
    oxSound::Play(object, 0);
    oxSound::ReleaseObject(object);
  }
  return 0;
}
