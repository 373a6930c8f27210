// Writes the program's icons, the player's ship, as PNG files of 48, 128 and 256 pixels into the
// directory given: radire-48.png and so on.
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pictures.h"

namespace {

bool WritePng(const std::string& path, const art::Image& im) {
  const int w = im.width(), h = im.height();
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      art::Color c = im.At(x, y);
      uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
      auto byte = [](float v) { return uint8_t(v <= 0 ? 0 : v >= 1 ? 255 : v * 255 + 0.5f); };
      p[0] = byte(c.r), p[1] = byte(c.g), p[2] = byte(c.b), p[3] = byte(im.AlphaAt(x, y));
    }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  volatile bool ok = false;  // set after the last libpng call that may jump back
  if (png && info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, out);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, &rgba[size_t(y) * w * 4]);
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY\n", argv[0]);
    return 2;
  }
  for (int size : {48, 128, 256}) {
    std::string path = std::string(argv[1]) + "/radire-" + std::to_string(size) + ".png";
    if (!WritePng(path, art::Ship(size / 50.0f))) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
