// Sounds: the RIFF reader (mmio) under the wave sound loader.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartLibrary();
  if (!oxSound::Init()) std::abort();
  oxSound::ClearObjects();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name = fuzz::WriteInput(data, size, ".wav");
  int object = oxSound::LoadObject(name.c_str(), 2);
  if (object) {
    oxSound::Play(object, 0);
    oxSound::ReleaseObject(object);
  }
  return 0;
}
