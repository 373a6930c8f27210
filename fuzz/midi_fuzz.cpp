// Music: the MCI open of a MIDI file, and a little of its playing.
#include "fuzz_support.h"

host::HeadlessHost* headless;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  headless = &fuzz::StartLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name = fuzz::WriteInput(data, size, ".mid");
  std::string open = "open \"" + std::string(oxSystem::GetPath(0)) + name + "\" type sequencer alias fuzz";
  if (mciSendStringA(open.c_str(), nullptr, 0, nullptr) == 0) {
    mciSendStringA("play fuzz", nullptr, 0, nullptr);
    int16_t out[2048];
    headless->PullAudio(out, 1024);
    mciSendStringA("close fuzz", nullptr, 0, nullptr);
  }
  return 0;
}
