// Whole stage frames under the headless host (presentation included), and the rotation blit of the ship
// beside the plain colour-keyed blit of the same picture.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game.h"
#include "host/headless/headless.h"
#include "ratio_table.h"

namespace {

struct Game {
  host::HeadlessHost headless;
  std::string dir;
  Game() {
    char pattern[] = "/tmp/radire-bench-XXXXXX";
    dir = mkdtemp(pattern);
    if (chdir(dir.c_str()) != 0) std::abort();
    auto write = [](const char* name, const char* text) {
      FILE* f = std::fopen(name, "w");
      std::fputs(text, f);
      std::fclose(f);
    };
    write("data.dat", "5 10 5 8 1 15 5 10 20 19");
    write("teki.dat", "150 1 110 3 70 1 90 4 70 5 6");
    write("teki2.dat", "190 1 220 3 45 2 60 5 6");
    // The run's directory goes when the program ends.
    std::atexit([] {
      for (const char* name : {"data.dat", "teki.dat", "teki2.dat", "zqt.sss", "zqt.sss.tmp"}) std::remove(name);
      char here[4096];
      if (getcwd(here, sizeof here)) rmdir(here);
    });
    host::Install(&headless);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "DEFAULT";
    RegisterClassA(&wc);
    libraryState.mainWindow = CreateWindowExA(0, "DEFAULT", "Radire", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                              GetModuleHandleA(nullptr), nullptr);
    GameStartUp();
    // Without its pictures every blit would draw nothing and the times would mean nothing.
    if (pictures.chara == 0 || pictures.haikei == 0) {
      std::fprintf(stderr, "game_bench: the pictures beside the program could not be loaded\n");
      std::exit(1);
    }
    oxDraw::transition.step = 0;
    oxDraw::transition.direction = 0;
    libraryState.modeChanged = 1;
    libraryState.FrameTime = 0.016f;
    GameFrame();  // the data files and the title
    libraryState.modeChanged = 0;
  }
};

Game& TheGame() {
  static Game game;
  return game;
}

void RotatedShip(benchmark::State& state) {
  TheGame();
  int angle = 0;
  for (auto _ : state) {
    oxDraw::DrawObjectRotate(200, 200, 250, 250, angle, pictures.chara, 0, 0, 50, 50);
    angle = (angle + 7) % 360;
  }
}
BENCHMARK(RotatedShip);

void PlainShip(benchmark::State& state) {
  TheGame();
  for (auto _ : state) oxDraw::DrawObject(200, 200, pictures.chara, 0, 0, 50, 50);
}
BENCHMARK(PlainShip);

// The step list runs whatever the scene becomes; the ship is kept out of harm's way.
void StageTwoFrame(benchmark::State& state) {
  TheGame();
  game.scene = 2;
  for (auto _ : state) {
    ship.x = 550;
    ship.y = 215;
    game.scene = 2;
    RunStage2Frame();
  }
}
BENCHMARK(StageTwoFrame);

void StageThreeFrame(benchmark::State& state) {
  TheGame();
  game.scene = 3;
  stage.setupCounter = 0;
  for (auto _ : state) {
    game.scene = 3;
    RunStage3Frame();
  }
}
BENCHMARK(StageThreeFrame);

// Frames a second from a time in the reporter's unit (ns).
double PerSecond(double ns) { return ns > 0 ? 1e9 / ns : 0; }

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Row("DrawObjectRotate of the 50 x 50 ship / DrawObject of it", "RotatedShip", "PlainShip", 4.0);
  if (reporter.Time("StageTwoFrame") > 0)
    reporter.Figure("stage-2 frames a second (0.35 ms a frame)", PerSecond(reporter.Time("StageTwoFrame")), 2800, true);
  if (reporter.Time("StageThreeFrame") > 0)
    reporter.Figure("stage-3 frames a second", PerSecond(reporter.Time("StageThreeFrame")), 2800, true);
  reporter.PrintTable();
  benchmark::Shutdown();
  return 0;
}
