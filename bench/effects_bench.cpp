// The software pixel effects beside the plain colour-keyed blit, on a 100 x 100 picture, in one run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "host/headless/headless.h"
#include "ox.h"
#include "ratio_table.h"
#include "user/windowing.h"

void GameStartUp() {}
void GameFrame() {}

namespace {

// The screen on an in-process headless host, with a 100 x 100 picture whose corners are transparent.
struct Stage {
  std::unique_ptr<host::HeadlessHost> host;
  int picture = 0;
  Stage() {
    host = std::make_unique<host::HeadlessHost>();
    host::Install(host.get());
    platform::ResetWindowing();
    libraryState.fullScreen = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "BENCH";
    RegisterClassA(&wc);
    libraryState.mainWindow =
        CreateWindowExA(0, "BENCH", "b", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    oxDraw::Screen(640, 480, 1);
    picture = oxDraw::CreateObject(100, 100, 1);
    IDirectDrawSurface* s = oxDraw::objects[picture].surface;
    DDSURFACEDESC d = {};
    d.dwSize = sizeof d;
    s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr);
    for (int y = 0; y < 101; y++) {
      auto* row = reinterpret_cast<uint16_t*>(static_cast<char*>(d.lpSurface) + y * d.lPitch);
      for (int x = 0; x < 100; x++) {
        int dx = x - 50, dy = y - 50;
        row[x] = dx * dx + dy * dy < 2500 ? uint16_t(0x0821 * (1 + (x + y) % 30)) : 0;
      }
    }
    s->Unlock(d.lpSurface);
    oxDraw::ClearScreen();
  }
};

Stage& stage() {
  static Stage s;
  return s;
}

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * 100 * 100);
  state.SetBytesProcessed(state.iterations() * 100 * 100 * 2);
}

void DrawObject(benchmark::State& state) {
  int n = stage().picture;
  for (auto _ : state) benchmark::DoNotOptimize(oxDraw::DrawObject(270, 190, n, 0, 0, 100, 100));
  Report(state);
}

void DrawObjectAlpha(benchmark::State& state) {
  int n = stage().picture;
  for (auto _ : state) benchmark::DoNotOptimize(oxDraw::DrawObjectAlpha(270, 190, 0.5f, n, 0, 0, 100, 100));
  Report(state);
}

void DrawObjectAdd(benchmark::State& state) {
  int n = stage().picture;
  for (auto _ : state) benchmark::DoNotOptimize(oxDraw::DrawObjectAdd(270, 190, n, 0, 0, 100, 100));
  Report(state);
}

void DrawObjectRotateZoom(benchmark::State& state) {
  int n = stage().picture;
  int angle = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(oxDraw::DrawObjectRotateZoom(270, 190, 370, 290, angle, 1.0f, n, 0, 0, 100, 100));
    angle = (angle + 7) % 360;
  }
  Report(state);
}

BENCHMARK(DrawObject);
BENCHMARK(DrawObjectAlpha);
BENCHMARK(DrawObjectAdd);
BENCHMARK(DrawObjectRotateZoom);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Row("DrawObjectAdd / DrawObject of the same rectangle", "DrawObjectAdd", "DrawObject", 3.0);
  reporter.Row("DrawObjectAlpha / DrawObject", "DrawObjectAlpha", "DrawObject", 3.0);
  reporter.Row("DrawObjectRotateZoom / DrawObject", "DrawObjectRotateZoom", "DrawObject", 6.0);
  reporter.PrintTable();
  benchmark::Shutdown();
  return 0;
}
