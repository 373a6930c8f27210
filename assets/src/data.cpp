#include "data.h"

#include <cstdio>

#include "settings.h"

namespace art {

std::vector<int> PathC() {
  // A zigzag: short dashes right with drops and climbs of equal sum.
  return {150,
          1, 110, 3, 70, 1, 90, 4, 70, 1, 110, 4, 70, 1, 90, 3, 70,
          5, 6};
}

std::vector<int> PathB() {
  // Faster: a dash, a feint back, a climb and a dive.
  return {190,
          1, 220, 3, 45, 2, 60, 1, 160, 4, 90, 1, 120, 3, 45, 1, 80,
          5, 6};
}

namespace {

bool WriteText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

std::string PathText(const std::vector<int>& path) {
  // The speed on a line of its own, then one (direction, distance) pair a line.
  std::string text = std::to_string(path[0]) + "\n";
  for (size_t i = 1; i < path.size(); i += 2) {
    text += std::to_string(path[i]);
    if (i + 1 < path.size() && path[i] != 5) text += " " + std::to_string(path[i + 1]);
    text += "\n";
    if (path[i] == 5) {
      for (size_t j = i + 1; j < path.size(); ++j) text += std::to_string(path[j]) + "\n";
      break;
    }
  }
  return text;
}

}  // namespace

bool WriteDataFiles(const std::string& dir) {
  const GameSettings& s = kSettings;
  const int values[10] = {s.bossFrameCount,     s.stage1BossHits,  s.staffLineCount, s.bossAnimRate,
                          s.bossAnimMode,       s.stage1KillsForBoss, s.enemyFrameCount, s.enemyAnimRate,
                          s.bossCallKills,      s.stage23BossHits};
  std::string data;
  for (int v : values) data += std::to_string(v) + "\n";
  return WriteText(dir + "/data.dat", data) && WriteText(dir + "/teki.dat", PathText(PathC())) &&
         WriteText(dir + "/teki2.dat", PathText(PathB()));
}

}  // namespace art
