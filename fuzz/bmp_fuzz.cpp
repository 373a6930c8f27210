// Pictures: the BMP decoder behind LoadImageA, fed from memory. What LoadImageA builds from a decoded
// picture depends on its size alone, not on the file's bytes, so the decoder is all that runs per input.
#include <cstddef>
#include <cstdint>

#include "host/host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  host::Picture picture;
  if (host::DecodeBmp(data, size, &picture)) {
    // What the loader builds on: a picture within the limits, with every pixel there.
    if (picture.width <= 0 || picture.height <= 0 || picture.width > host::kMaxPictureSide ||
        picture.height > host::kMaxPictureSide ||
        picture.pixels.size() != size_t(picture.width) * size_t(picture.height))
      __builtin_trap();
  }
  return 0;
}
