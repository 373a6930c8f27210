// Reads the whole X screen as a user's screenshot would and says where the picture is on it: the box that
// holds every pixel that is not black, and the largest whole factor by which every block of that box is
// one colour (2 for a 640 x 480 picture shown sharp at twice its size). With a file name it also saves
// the screen as PNG, to look at. --count yellow|green|white counts the pixels of the title's lettering, of
// the ship's shot or of the host's own white words; --crop X Y W H FILE.png saves only that part;
// --compare X Y FILE.png [ROWS] says whether the screen from X, Y on shows the 16-bit frame the PNG file holds,
// or its top ROWS rows (the display and the file may widen 5 and 6 bits to 8 differently: only those bits
// are compared).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/headless/headless.h"

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "screen_picture: no display\n");
    return 1;
  }
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  const int w = attributes.width, h = attributes.height;
  XImage* image = XGetImage(display, root, 0, 0, w, h, AllPlanes, ZPixmap);
  if (!image) {
    std::fprintf(stderr, "screen_picture: cannot read the screen\n");
    return 1;
  }
  std::vector<uint32_t> pixels(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels[size_t(y) * w + x] = uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF;
  XDestroyImage(image);
  XCloseDisplay(display);

  if (argc > 4 && std::string(argv[1]) == "--compare") {
    const int x0 = std::atoi(argv[2]), y0 = std::atoi(argv[3]);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgb;
    if (png_image_begin_read_from_file(&image, argv[4])) {
      image.format = PNG_FORMAT_RGB;
      rgb.resize(PNG_IMAGE_SIZE(image));
      if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
    }
    const int fw = int(image.width), fh = argc > 5 ? std::min(std::atoi(argv[5]), int(image.height)) : int(image.height);
    if (rgb.empty() || x0 < 0 || y0 < 0 || x0 + fw > w || y0 + fh > h) {
      std::fprintf(stderr, "screen_picture: cannot read %s, or it does not fit the screen there\n", argv[4]);
      return 1;
    }
    auto bits565 = [](int r, int g, int b) { return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3); };
    long differ = 0;
    for (int y = 0; y < fh; ++y)
      for (int x = 0; x < fw; ++x) {
        const uint8_t* f = &rgb[(size_t(y) * fw + x) * 3];
        uint32_t p = pixels[size_t(y0 + y) * w + x0 + x];
        differ += bits565(f[0], f[1], f[2]) != bits565(p >> 16, (p >> 8) & 0xFF, p & 0xFF);
      }
    std::printf("differ %ld\n", differ);
    return differ ? 1 : 0;
  }
  if (argc > 6 && std::string(argv[1]) == "--crop") {
    const int x0 = std::atoi(argv[2]), y0 = std::atoi(argv[3]), cw = std::atoi(argv[4]), ch = std::atoi(argv[5]);
    if (x0 < 0 || y0 < 0 || cw <= 0 || ch <= 0 || x0 + cw > w || y0 + ch > h) {
      std::fprintf(stderr, "screen_picture: the part lies outside the %dx%d screen\n", w, h);
      return 1;
    }
    std::vector<uint8_t> rgb;
    for (int y = y0; y < y0 + ch; ++y)
      for (int x = x0; x < x0 + cw; ++x)
        for (int shift : {16, 8, 0}) rgb.push_back(uint8_t(pixels[size_t(y) * w + x] >> shift));
    return host::WritePng(argv[6], rgb, cw, ch) ? 0 : 1;
  }
  if (argc > 2 && std::string(argv[1]) == "--count") {
    // The title's yellow lettering, the ship's green shot, or white words.
    const std::string what = argv[2];
    long n = 0;
    for (uint32_t p : pixels) {
      int r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
      n += what == "yellow"  ? r >= 200 && g >= 200 && b < 80
           : what == "white" ? r >= 230 && g >= 230 && b >= 230
                             : g >= 150 && g > r + 30 && g > b + 60;
    }
    std::printf("%s %ld\n", argv[2], n);
    return 0;
  }
  if (argc > 1) {
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
      rgb[i * 3] = uint8_t(pixels[i] >> 16);
      rgb[i * 3 + 1] = uint8_t(pixels[i] >> 8);
      rgb[i * 3 + 2] = uint8_t(pixels[i]);
    }
    if (!host::WritePng(argv[1], rgb, w, h)) std::fprintf(stderr, "screen_picture: cannot write %s\n", argv[1]);
  }

  int left = w, top = h, right = 0, bottom = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (pixels[size_t(y) * w + x]) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
  if (right <= left) {
    std::printf("screen %dx%d picture none\n", w, h);
    return 0;
  }
  auto uniformBlocks = [&](int f) {
    if ((right - left) % f || (bottom - top) % f) return false;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (pixels[size_t(y) * w + x] != pixels[size_t(top + (y - top) / f * f) * w + left + (x - left) / f * f])
          return false;
    return true;
  };
  int factor = 1;
  for (int f = 16; f > 1; --f)
    if (uniformBlocks(f)) {
      factor = f;
      break;
    }
  std::printf("screen %dx%d picture %d %d %d %d blocks %d\n", w, h, left, top, right, bottom, factor);
  return 0;
}
