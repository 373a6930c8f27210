// Reads the whole X screen as a user's screenshot would and says where the picture is on it: the box that
// holds every pixel that is not black, and the largest whole factor by which every block of that box is
// one colour (2 for a 640 x 480 picture shown sharp at twice its size). With a file name it also saves
// the screen as PNG, to look at. --count yellow|green counts the pixels of the title's lettering or of
// the ship's shot.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

  if (argc > 2 && std::string(argv[1]) == "--count") {
    // The title's yellow lettering, or the ship's green shot.
    const bool yellow = std::string(argv[2]) == "yellow";
    long n = 0;
    for (uint32_t p : pixels) {
      int r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
      n += yellow ? r >= 200 && g >= 200 && b < 80 : g >= 150 && g > r + 30 && g > b + 60;
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
