// Every fast blit against its plain path, over random pictures, places, clips, keys, weights and angles on
// both pixel formats: the pixels on the back surface and the answers must be the same, bit for bit.
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "ddraw/keyed_row.h"
#include "draw/draw_fixture.h"
#include "pixels.h"

namespace {

class FastPaths : public draw_test::ScreenTest {
 protected:
  void TearDown() override {
    oxDraw::pixels::paths = oxDraw::pixels::WidestPaths();
    ScreenTest::TearDown();
  }

  // A picture of random pixels, about a quarter of them 0, in runs as sprites have them.
  int RandomPicture(int w, int h) {
    std::uniform_int_distribution<int> pixel(0, 0xFFFF), run(1, 12);
    bool clear = false;
    int left = 0;
    return Picture(w, h, [&](int, int) {
      if (left-- <= 0) clear = random_() % 4 == 0, left = run(random_);
      return clear ? uint16_t(0) : uint16_t(pixel(random_));
    });
  }
  void RandomBack() {
    std::uniform_int_distribution<int> pixel(0, 0xFFFF);
    PaintBack([&](int, int) { return uint16_t(pixel(random_)); });
  }
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  float Weight() {
    switch (random_() % 8) {
      case 0: return 0.0f;
      case 1: return 1.0f;
      case 2: return Between(0, 64) / 64.0f;
      case 3: return Between(-2000, 3000) / 1000.0f;  // outside 0..1 too
      case 4: return std::ldexp(1.0f, -Between(10, 30));  // tiny
      case 5: return std::nextafter(float(Between(1, 62)) / float(Between(3, 63)), 2.0f);  // just past a fraction
      default: return std::uniform_real_distribution<float>(0, 1)(random_);
    }
  }

  // Runs `blit` on the same back surface with the plain paths and then with each faster kind this machine
  // runs, and compares.
  void Compare(const std::string& what, const std::function<int()>& blit) {
    using oxDraw::pixels::Paths;
    const std::vector<uint16_t> before = BackPixels();
    oxDraw::pixels::paths = Paths::plain;
    const int plainAnswer = blit();
    const std::vector<uint16_t> plain = BackPixels();
    for (Paths fast = Paths::sse2; fast <= oxDraw::pixels::WidestPaths(); fast = Paths(int(fast) + 1)) {
      const std::string how = what + (fast == Paths::sse2 ? " (SSE2)" : " (AVX2)");
      Restore(before);
      oxDraw::pixels::paths = fast;
      ASSERT_EQ(blit(), plainAnswer) << how;
      const std::vector<uint16_t> drawn = BackPixels();
      for (size_t k = 0; k < drawn.size(); ++k)
        ASSERT_EQ(drawn[k], plain[k]) << how << " at (" << k % 640 << ", " << k / 640 << ")";
    }
  }
  void Restore(const std::vector<uint16_t>& pixels) {
    WithPixels(Back(), [&](uint16_t* row, int y, int w) { std::memcpy(row, &pixels[size_t(y) * w], size_t(w) * 2); });
  }

  std::mt19937 random_{17};
};

TEST_F(FastPaths, EffectsAndRotationsDrawWhatThePlainPathsDraw) {
  for (bool is555 : {false, true}) {
    Start(is555);
    RandomBack();
    for (int round = 0; round < 50; ++round) {
      const int w = Between(1, 70), h = Between(1, 70);
      const int object = RandomPicture(w, h);
      // Near a corner of the screen or anywhere, with a clip of any shape, even an empty one.
      const int x = random_() % 2 ? Between(-80, 80) : Between(560, 660);
      const int y = random_() % 2 ? Between(-80, 80) : Between(400, 500);
      oxDraw::SetClip(Between(-10, 300), Between(-10, 200), Between(300, 700), Between(200, 520));
      // A source rectangle mostly inside the picture, sometimes past its edges.
      const int l = Between(-3, w / 2), t = Between(-3, h / 2), r = Between(w / 2, w + 3), b = Between(h / 2, h + 3);
      const float a = Weight(), g = Weight(), c = Weight();
      const int angle = Between(-400, 800), dw = Between(1, 120), dh = Between(1, 120);
      const float zoom = random_() % 6 ? Between(1, 40) / 10.0f : Between(-20, 0) / 10.0f;
      std::string at = std::string(is555 ? "555" : "565") + " round " + std::to_string(round) + " " +
                       std::to_string(w) + "x" + std::to_string(h) + " at " + std::to_string(x) + "," +
                       std::to_string(y) + " alpha " + std::to_string(a) + " angle " + std::to_string(angle) +
                       " zoom " + std::to_string(zoom);
      Compare("Half " + at, [&] { return oxDraw::DrawObjectHalf(x, y, object, l, t, r, b); });
      Compare("Alpha " + at, [&] { return oxDraw::DrawObjectAlpha(x, y, a, object, l, t, r, b); });
      Compare("AlphaRGB " + at, [&] { return oxDraw::DrawObjectAlphaRGB(x, y, a, g, c, object, l, t, r, b); });
      Compare("Add " + at, [&] { return oxDraw::DrawObjectAdd(x, y, object, l, t, r, b); });
      Compare("Subtract " + at, [&] { return oxDraw::DrawObjectSubtract(x, y, object, l, t, r, b); });
      Compare("Mask " + at, [&] { return oxDraw::DrawObjectMask(x, y, round & 1, round & 2, round & 4, object, l, t, r, b); });
      Compare("Rotate " + at, [&] { return oxDraw::DrawObjectRotate(x, y, x + dw, y + dh, angle, object, l, t, r, b); });
      Compare("RotateTile " + at,
              [&] { return oxDraw::DrawObjectRotateTile(x, y, x + dw, y + dh, angle, object, l, t, r, b); });
      Compare("RotateZoom " + at,
              [&] { return oxDraw::DrawObjectRotateZoom(x, y, x + dw, y + dh, angle, zoom, object, l, t, r, b); });
      Compare("RotateZoomTile " + at, [&] {
        return oxDraw::DrawObjectRotateZoomTile(x, y, x + dw, y + dh, angle, zoom, object, l, t, r, b);
      });
      if (HasFatalFailure()) return;
      oxDraw::ReleaseObject(object);
    }
  }
}

// Every angle, with no transparent pixel: the first and last pixels of each span, where a source column or
// row begins or ends, are drawn wherever the plain paths draw them.
TEST_F(FastPaths, RotationsAtEveryAngleDrawTheEdgesOfTheSource) {
  RandomBack();
  std::uniform_int_distribution<int> pixel(1, 0xFFFF);
  const int object = Picture(31, 29, [&](int, int) { return uint16_t(pixel(random_)); });
  oxDraw::SetClip(0, 0, 640, 480);
  for (int angle = 0; angle < 360; ++angle)
    for (int size : {20, 57}) {
      const std::string at = "angle " + std::to_string(angle) + " size " + std::to_string(size);
      Compare("Rotate " + at, [&] { return oxDraw::DrawObjectRotate(100, 100, 100 + size, 100 + size + 3, angle, object, 0, 0, 31, 29); });
      Compare("RotateZoom " + at,
              [&] { return oxDraw::DrawObjectRotateZoom(300, 100, 300 + size, 100 + size, angle, 1.5f, object, 2, 1, 30, 29); });
      if (HasFatalFailure()) return;
    }
}

TEST_F(FastPaths, KeyedRowsCopyWhatThePlainLoopCopies) {
  std::uniform_int_distribution<int> pixel(0, 0xFFFF);
  for (int round = 0; round < 3000; ++round) {
    // Rows of any length at any alignment, the key in runs, alone, everywhere or nowhere.
    const int n = Between(0, 130), from = Between(0, 7), to = Between(0, 7);
    const uint16_t key = random_() % 3 ? uint16_t(0) : uint16_t(pixel(random_));
    const int keyed = Between(0, 4);  // in quarters
    std::vector<uint16_t> source(n + 8), plain(n + 16);
    for (auto& p : source) p = Between(0, 3) < keyed ? key : uint16_t(pixel(random_));
    for (auto& p : plain) p = uint16_t(pixel(random_));
    const std::vector<uint16_t> before = plain;
    platform::KeyedRowPlain(plain.data() + to, source.data() + from, n, key);
    auto check = [&](const char* how, void (*row)(uint16_t*, const uint16_t*, int, uint16_t)) {
      std::vector<uint16_t> fast = before;
      row(fast.data() + to, source.data() + from, n, key);
      ASSERT_EQ(fast, plain) << how << " round " << round << ": " << n << " pixels, key " << key;
    };
    check("chosen", platform::KeyedRow);
#ifdef __SSE2__
    check("SSE2", platform::KeyedRowFast);
#endif
#ifdef PLATFORM_AVX2
    if (platform::HasAvx2()) check("AVX2", platform::KeyedRowAvx2);
#endif
    if (HasFatalFailure()) return;
  }
}

}  // namespace
