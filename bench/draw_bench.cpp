// Times the colour-keyed blit, the clear and a whole Flip to the headless host beside what a user would pick
// instead (SDL's colour-keyed blit on the same 16-bit pixels) and the memory limit (memcpy of the same bytes).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/headless/headless.h"
#include "ox.h"
#include "ratio_table.h"

namespace {

int picture = 0, sprite = 0;
SDL_Surface *sdlScreen = nullptr, *sdlPicture = nullptr, *sdlSprite = nullptr;
std::vector<uint16_t> memoryFrom, memoryTo;

// Pixel (x, y) of the test pattern: a quarter of it is the key (0), the rest varies.
uint16_t Pattern(int x, int y) { return ((x / 7 + y / 5) % 4 == 0) ? 0 : uint16_t(0x0841 * ((x + y) % 31) + 1); }

void FillObject(int object, int w, int h) {
  DDSURFACEDESC d{};
  d.dwSize = sizeof d;
  oxDraw::objects[object].surface->Lock(nullptr, &d, DDLOCK_WAIT, nullptr);
  for (int y = 0; y < h; ++y) {
    uint16_t* row = reinterpret_cast<uint16_t*>(static_cast<char*>(d.lpSurface) + y * d.lPitch);
    for (int x = 0; x < w; ++x) row[x] = Pattern(x, y);
  }
  oxDraw::objects[object].surface->Unlock(nullptr);
}

SDL_Surface* SdlPicture(int w, int h) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
  SDL_LockSurface(s);
  for (int y = 0; y < h; ++y) {
    uint16_t* row = reinterpret_cast<uint16_t*>(static_cast<char*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < w; ++x) row[x] = Pattern(x, y);
  }
  SDL_UnlockSurface(s);
  SDL_SetColorKey(s, SDL_TRUE, 0);
  return s;
}

void SetUp() {
  static int windowStandIn;
  static host::HeadlessHost headless;
  host::Install(&headless);
  libraryState.mainWindow = reinterpret_cast<HWND>(&windowStandIn);
  oxDraw::Screen(640, 480, 1);
  picture = oxDraw::CreateObject(640, 480, 2);
  sprite = oxDraw::CreateObject(50, 50, 2);
  FillObject(picture, 640, 480);
  FillObject(sprite, 50, 50);
  sdlScreen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
  sdlPicture = SdlPicture(640, 480);
  sdlSprite = SdlPicture(50, 50);
  memoryFrom.assign(640 * 480, 1);
  memoryTo.assign(640 * 480, 0);
}

void DrawObjectFullScreen(benchmark::State& state) {
  for (auto _ : state) oxDraw::DrawObject(0, 0, picture, 0, 0, 640, 480);
  state.SetBytesProcessed(state.iterations() * 640 * 480 * 2);
}
void SdlBlitFullScreen(benchmark::State& state) {
  for (auto _ : state) SDL_BlitSurface(sdlPicture, nullptr, sdlScreen, nullptr);
  state.SetBytesProcessed(state.iterations() * 640 * 480 * 2);
}
void MemcpyFullScreen(benchmark::State& state) {
  for (auto _ : state) {
    std::memcpy(memoryTo.data(), memoryFrom.data(), 640 * 480 * 2);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 640 * 480 * 2);
}
void DrawObjectSprite(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    oxDraw::DrawObject((i * 37) % 590, (i * 23) % 430, sprite, 0, 0, 50, 50);
    ++i;
  }
}
void SdlBlitSprite(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    SDL_Rect at = {(i * 37) % 590, (i * 23) % 430, 50, 50};
    SDL_BlitSurface(sdlSprite, nullptr, sdlScreen, &at);
    ++i;
  }
}
void MemcpySprite(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    int x = (i * 37) % 590, y = (i * 23) % 430;
    for (int r = 0; r < 50; ++r) std::memcpy(&memoryTo[(y + r) * 640 + x], &memoryFrom[r * 50], 100);
    benchmark::ClobberMemory();
    ++i;
  }
}
void ClearScreen(benchmark::State& state) {
  for (auto _ : state) oxDraw::ClearScreen();
}
void SdlFillRect(benchmark::State& state) {
  for (auto _ : state) SDL_FillRect(sdlScreen, nullptr, 0);
}
void MemsetScreen(benchmark::State& state) {
  for (auto _ : state) {
    std::memset(memoryTo.data(), 0, 640 * 480 * 2);
    benchmark::ClobberMemory();
  }
}
void Flip(benchmark::State& state) {
  for (auto _ : state) oxDraw::Flip();
}

BENCHMARK(DrawObjectFullScreen);
BENCHMARK(SdlBlitFullScreen);
BENCHMARK(MemcpyFullScreen);
BENCHMARK(DrawObjectSprite);
BENCHMARK(SdlBlitSprite);
BENCHMARK(MemcpySprite);
BENCHMARK(ClearScreen);
BENCHMARK(SdlFillRect);
BENCHMARK(MemsetScreen);
BENCHMARK(Flip);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  SetUp();
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Row("Flip to the headless host / memcpy of the frame", "Flip", "MemcpyFullScreen", 2.0);
  reporter.Row("colour-keyed full-screen DrawObject / memcpy", "DrawObjectFullScreen", "MemcpyFullScreen", 2.0);
  reporter.Row("colour-keyed full-screen DrawObject / SDL_BlitSurface", "DrawObjectFullScreen", "SdlBlitFullScreen",
               0.5);
  reporter.PrintTable();
  benchmark::Shutdown();
  return 0;
}
