// Writes an input script by playing the game: game_bot GOAL SEED SCRIPT [FRAMES]
// GOAL is playthrough, contact, sinking or beam. It runs in the current directory, which must hold the game's
// data files, and plays at most FRAMES presentations (default 100000). The script replays what it played:
//   radire --headless --seed SEED --input SCRIPT
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bot.h"
#include "game.h"

int main(int argc, char** argv) {
  bot::Goal goal;
  if (argc < 4 || argc > 5 || !bot::GoalNamed(argv[1], &goal)) {
    std::fprintf(stderr, "usage: game_bot playthrough|contact|sinking|beam SEED SCRIPT [FRAMES]\n");
    return 2;
  }
  unsigned seed = unsigned(std::strtoul(argv[2], nullptr, 10));
  int limit = argc == 5 ? std::atoi(argv[4]) : 100000;

  host::HeadlessOptions options;
  options.frames = limit;
  host::HeadlessHost host(options, host::Current().Ticks());
  bot::Player player(goal);
  int end = 0;
  host.SetPresentationHook([&](int frame) {
    if (end) return;
    std::vector<host::ScriptedEvent> events;
    player.Decide(frame, &events);
    if (player.Done()) {
      end = frame;
      host::ScriptedEvent close;
      close.frame = frame;
      close.event.type = host::EventType::Close;
      events.push_back(close);
    }
    host.AddScript(events);
  });
  bot::RunProgramInProcess(host, seed);

  std::ofstream out(argv[3]);
  std::string name = argv[3];
  name.erase(0, name.rfind('/') + 1);
  out << "# " << argv[1] << ", played by game_bot over the data files of the build; replay it with\n"
      << "#   radire --headless --seed " << seed << " --input " << name << "\n";
  for (const std::string& line : player.Lines()) out << line << "\n";
  if (end) out << end << " close\n";
  // A game that ends on the next title has its score there as the best.
  std::printf("%s: %s after %d presentations, score %d, stage %d reached\n", argv[3],
              end ? "goal reached" : "frame limit", host.Presentations(),
              game.score > game.highScore ? game.score : game.highScore, game.maxStage);
  return end ? 0 : 1;
}
