// Text drawing, warm: the status line and the frame-rate line as a frame draws them.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "gdi/gdi_object.h"

namespace {

struct Target {
  std::vector<uint16_t> pixels = std::vector<uint16_t>(size_t(648) * 480);
  platform::DeviceContext dc;
  Target() { dc.target = platform::PixelTarget{pixels.data(), 640, 480, 648 * 2, false}; }
  HDC hdc() { return platform::ToHDC(&dc); }
};

HFONT Gothic(int height) {
  LOGFONTA log = {};
  log.lfHeight = height;
  log.lfWeight = FW_NORMAL;
  log.lfCharSet = SHIFTJIS_CHARSET;
  std::strcpy(log.lfFaceName, "標準ゴシック");
  return CreateFontIndirectA(&log);
}

// One text block as the library opens it: create, select, draw, restore, delete.
void StatusLine(benchmark::State& state) {
  Target t;
  const char* text = "点数  12300  ハイスコア  45600";
  for (auto _ : state) {
    HFONT font = Gothic(12);
    HGDIOBJ old = SelectObject(t.hdc(), font);
    SetTextColor(t.hdc(), 0xFFFFFF);
    SetBkColor(t.hdc(), 0x800000);
    TextOutA(t.hdc(), 0, 468, text, int(std::strlen(text)));
    SelectObject(t.hdc(), old);
    DeleteObject(font);
  }
  benchmark::DoNotOptimize(t.pixels.data());
}
BENCHMARK(StatusLine);

void WrappedTitle(benchmark::State& state) {
  Target t;
  for (auto _ : state) {
    HFONT font = Gothic(30);
    HGDIOBJ old = SelectObject(t.hdc(), font);
    SetTextColor(t.hdc(), 0x00FFFF);
    SetBkMode(t.hdc(), TRANSPARENT);
    RECT r = {0, 300, 640, 480};
    DrawTextA(t.hdc(), "PUSH ENTER or PAD BUTTON START GAME", -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_CENTER);
    SelectObject(t.hdc(), old);
    DeleteObject(font);
  }
  benchmark::DoNotOptimize(t.pixels.data());
}
BENCHMARK(WrappedTitle);

void Banner50(benchmark::State& state) {
  Target t;
  for (auto _ : state) {
    HFONT font = Gothic(50);
    HGDIOBJ old = SelectObject(t.hdc(), font);
    SetTextColor(t.hdc(), 0x00FFFF);
    SetBkMode(t.hdc(), TRANSPARENT);
    TextOutA(t.hdc(), 200, 200, "第二ステージ", int(std::strlen("第二ステージ")));
    SelectObject(t.hdc(), old);
    DeleteObject(font);
  }
  benchmark::DoNotOptimize(t.pixels.data());
}
BENCHMARK(Banner50);

}  // namespace

BENCHMARK_MAIN();
