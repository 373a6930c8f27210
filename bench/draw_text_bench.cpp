// The library's text calls, warm, on the back surface of a headless screen: the status line through
// oxDraw::Printf and the frame-rate meter, next to the raw GDI call beneath them.
#include <benchmark/benchmark.h>

#include <cstring>

#include "host/headless/headless.h"
#include "ox.h"

namespace {

void StatusLinePrintf(benchmark::State& state) {
  int score = 12300;
  for (auto _ : state) oxDraw::Printf(0, 470, "点数  %d  ハイスコア  %d", score++, 45600);
}
BENCHMARK(StatusLinePrintf);

void FrameRateMeter(benchmark::State& state) {
  for (auto _ : state) oxDraw::ShowFps();
}
BENCHMARK(FrameRateMeter);

// Only the drawing of the same line, with the font and DC already in place.
void StatusLineTextOutOnly(benchmark::State& state) {
  oxDraw::SetFont(1, 12, 0, 0, 0, 0);
  oxDraw::SetTextColor(0xFFFFFF, 0x800000, 0);
  const char* text = "点数  12300  ハイスコア  45600";
  for (auto _ : state) TextOutA(oxDraw::textContext.dc, 0, 470, text, int(std::strlen(text)));
  oxDraw::EndText();
}
BENCHMARK(StatusLineTextOutOnly);

}  // namespace

void GameStartUp() {
  oxDraw::Screen(640, 480, 1);
  libraryState.mode = 1;
}

// The benchmarks run inside the first frame, once the screen exists, then the program closes.
void GameFrame() {
  benchmark::RunSpecifiedBenchmarks();
  PostMessageA(libraryState.mainWindow, WM_CLOSE, 0, 0);
}

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  host::HeadlessHost headless;
  host::Install(&headless);
  int result = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWDEFAULT);
  host::Install(nullptr);
  return result;
}
