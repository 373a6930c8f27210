// Pictures: the BMP decoder behind LoadImageA, through the library's object loader.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartLibrary();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name = fuzz::WriteInput(data, size, ".bmp");
  int object = oxDraw::LoadObject(name.c_str(), 1);
  if (object) {
    oxDraw::DrawObject(0, 0, object, 0, 0, 640, 480);
    oxDraw::ReleaseObject(object);
  }
  return 0;
}
