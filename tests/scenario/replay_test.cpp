// The input scripts in scripts/, written by game_bot, replayed through the whole program: once in this process,
// where every presentation is checked against the game's records, and once by the program itself, which must
// play the same game to the same pictures and the same high-score file.
//
// The program's records exist once per process, so it can play only once in it: CTest starts a process per
// test, and a run of the whole binary plays each later test in a process of its own.
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "bot.h"
#include "game.h"
#include "support/fixture.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFile;

// What the game's records hold at one presentation.
struct Snapshot {
  int frame = 0;
  int scene = 0;
  int score = 0;
  int highScore = 0;
  int maxStage = 0;
  PlayerShip ship;
  PlayerShot shot;
  Enemy enemyB, enemyC;
  Boss boss;
  BossBeam beam;
  StageState stage;
  HitBanner banner;
  double orbitDeg360 = 0;
  float staffLine = 0;
};

Snapshot Take(int frame) {
  return {frame, game.scene, game.score, game.highScore, game.maxStage, ship, shot, enemyB, enemyC, boss, beam, stage,
          banner, orbit.deg360, game.staffLine};
}

class Replay : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool programHasRun = false;
    if (programHasRun) {
      const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
      std::string name = std::string(test->test_suite_name()) + "." + test->name();
      std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() +
                            "' --gtest_filter=" + name + " >/dev/null 2>&1";
      ASSERT_EQ(std::system(command.c_str()), 0) << name << " failed in a process of its own";
      GTEST_SKIP() << "passed in a process of its own";
    }
    programHasRun = true;
    dir_ = std::make_unique<TempDir>();
    const char* bin = std::getenv("RADIRE_BIN");
    ASSERT_NE(bin, nullptr);
    for (const char* name : {"data.dat", "teki.dat", "teki2.dat"})
      std::filesystem::copy_file(std::string(bin) + "/" + name, name);
  }
  void TearDown() override { dir_.reset(); }

  // Plays `script` in this process, taking a snapshot at every presentation; the pictures of the frames that
  // `wanted` picks are saved as shots/<frame>.png.
  void PlayInProcess(const std::string& script, unsigned seed,
                     const std::function<bool(const Snapshot&)>& wanted = nullptr) {
    std::vector<host::ScriptedEvent> events;
    std::string error;
    ASSERT_TRUE(host::ParseInputScript(ReadFile(ScriptPath(script)), &events, &error)) << error;
    host::HeadlessOptions options;
    options.frames = 200000;  // a script that never ends would otherwise hang the test
    host::HeadlessHost h(options, host::Current().Ticks());
    h.AddScript(events);
    std::filesystem::create_directory("shots");
    h.SetPresentationHook([&](int frame) {
      snapshots_.push_back(Take(frame));
      if (wanted && wanted(snapshots_.back())) {
        std::string file = "shots/" + std::to_string(frame) + ".png";
        ASSERT_TRUE(host::WritePng(file, h.LastFrame(), h.FrameWidth(), h.FrameHeight()));
        shotFrames_.push_back(frame);
      }
    });
    EXPECT_EQ(bot::RunProgramInProcess(h, seed), 0);
    ASSERT_FALSE(snapshots_.empty());
  }

  // The program plays the same script; its pictures of the saved frames and its high-score file must match.
  void ProgramPlaysTheSame(const std::string& script, unsigned seed, const std::string& expectedFile) {
    std::filesystem::create_directory("program");
    for (const char* name : {"data.dat", "teki.dat", "teki2.dat"})
      std::filesystem::copy_file(name, std::string("program/") + name);
    std::filesystem::current_path("program");
    std::string args = "--headless --seed " + std::to_string(seed) + " --input '" + ScriptPath(script) + "'";
    for (int f : shotFrames_) args += " --shot " + std::to_string(f) + ":" + std::to_string(f) + ".png";
    auto r = RunProgram(args);
    std::filesystem::current_path("..");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(ReadFile("program/zqt.sss"), expectedFile);
    for (int f : shotFrames_) {
      std::string name = std::to_string(f) + ".png";
      std::string mine = ReadFile("shots/" + name);
      EXPECT_FALSE(mine.empty());
      EXPECT_EQ(ReadFile("program/" + name), mine) << "presentation " << f << " differs";
    }
  }

  static std::string ScriptPath(const std::string& name) { return std::string(RADIRE_SCRIPTS) + "/" + name; }

  // The scenes in the order they came, each once per visit.
  std::vector<int> Scenes() const {
    std::vector<int> seen;
    for (const Snapshot& s : snapshots_)
      if (seen.empty() || seen.back() != s.scene) seen.push_back(s.scene);
    return seen;
  }
  // The first presentation after the ship was lost. The stage tests its enemies and its bottom line after it
  // presents, so the presentation before this one shows the positions of those tests; the beam is tested
  // before the stage presents, so the stage's own picture already comes with the result scene.
  const Snapshot& FirstResultFrame(int before = 0) const {
    size_t i = 0;
    while (i < snapshots_.size() && snapshots_[i].scene != 100) ++i;
    if (i == snapshots_.size() || i < size_t(before)) {
      ADD_FAILURE() << "the ship was never lost";
      return snapshots_.back();
    }
    return snapshots_[i - before];
  }

  std::unique_ptr<TempDir> dir_;
  std::vector<Snapshot> snapshots_;
  std::vector<int> shotFrames_;
};

bool Touching(const Enemy& e, const PlayerShip& s) {
  return e.y + 50 > s.y && s.y + 50 > e.y && s.x + 50 > e.x && e.x + 50 > s.x;
}
bool UnderBeam(const Snapshot& s) {
  return s.ship.x + 10 <= s.boss.x + 175 && s.boss.x + 25 <= s.ship.x + 40 && s.beam.top <= s.ship.y + 10 &&
         s.ship.y + 10 <= s.beam.top + 350;
}

// One shot of each sight worth seeing, the first time it shows.
struct Sights {
  std::set<std::string> seen;
  bool First(const std::string& what, bool now) { return now && seen.insert(what).second; }
};

TEST_F(Replay, AWholeGameFromTheTitleToTheStaffRollAndBack) {
  Sights sights;
  int stageFrames = 0, lastScene = -1;
  PlayInProcess("playthrough.txt", 9, [&](const Snapshot& s) {
    stageFrames = s.scene == lastScene ? stageFrames + 1 : 0;
    lastScene = s.scene;
    bool boss1 = s.scene == 1 && s.stage.kills >= 15;
    return sights.First("title", s.scene == 0 && s.frame == 30) ||
           sights.First("stage 1", s.scene == 1 && stageFrames == 100) ||
           sights.First("hit", s.scene == 1 && s.banner.state == 1) ||
           sights.First("stage 1 beam", boss1 && s.beam.timer > 2.5f) ||
           sights.First("stage 2 title", s.scene == 2 && stageFrames == 60) ||
           sights.First("stage 2 prompt", s.scene == 2 && s.stage.kills >= 20 && s.stage.kills < 90) ||
           sights.First("stage 2 boss", s.scene == 2 && s.stage.kills == 100 && s.stage.bossHits >= 5) ||
           sights.First("stage 3 title", s.scene == 3 && stageFrames == 60) ||
           sights.First("stage 3 prompt", s.scene == 3 && s.stage.kills >= 20 && s.stage.kills < 90) ||
           sights.First("stage 3 boss", s.scene == 3 && s.stage.kills == 100 && s.stage.bossHits >= 5) ||
           sights.First("staff roll", s.scene == 200 && stageFrames == 200) ||
           sights.First("result", s.scene == 100 && stageFrames == 30) ||
           sights.First("next title", s.scene == 0 && s.frame > 100 && stageFrames == 20);
  });
  EXPECT_EQ(sights.seen.size(), 13u);
  EXPECT_EQ(Scenes(), (std::vector<int>{0, 1, 2, 3, 200, 100, 0}));

  int bossPhase1 = 0, beamFired = 0, prompt2 = 0, called2 = 0, prompt3 = 0, called3 = 0;
  std::set<int> arcs;  // 10 degrees each
  float lastStaffLine = 0;
  int scoreAtRoll = -1;
  for (const Snapshot& s : snapshots_) {
    if (s.scene == 1 && s.stage.kills >= 15) ++bossPhase1;
    if (s.scene == 1 && s.stage.kills >= 15 && s.beam.timer > 2 && s.beam.top < 350) ++beamFired;
    if (s.scene == 2 && s.stage.kills >= 20 && s.stage.kills < 90) ++prompt2;
    if (s.scene == 2 && s.stage.kills == 100) ++called2;
    if (s.scene == 3 && s.stage.kills >= 20 && s.stage.kills < 90) ++prompt3;
    if (s.scene == 3 && s.stage.kills == 100) ++called3;
    if (s.scene == 3) arcs.insert(int(s.orbitDeg360) / 10);
    if (s.scene == 200) {
      lastStaffLine = s.staffLine;
      if (scoreAtRoll < 0) scoreAtRoll = s.score;
    }
  }
  EXPECT_GT(bossPhase1, 0);
  EXPECT_GT(beamFired, 0) << "the stage-1 boss fired its beam while the ship lived";
  EXPECT_GT(prompt2, 0);
  EXPECT_GT(called2, 0);
  EXPECT_GT(prompt3, 0);
  EXPECT_GT(called3, 0);
  EXPECT_GE(arcs.size(), 12u) << "the ship went a third of the way round the orbit or more";
  EXPECT_EQ(lastStaffLine, 5) << "the roll ran to its last strip";  // staffLineCount of data.dat

  // Three bosses and the kills on the way, the score the script has always made.
  EXPECT_EQ(scoreAtRoll, 38200);
  const Snapshot& last = snapshots_.back();
  EXPECT_EQ(last.scene, 0);
  EXPECT_EQ(last.highScore, 38200);  // the next game's title shows the new best
  EXPECT_EQ(last.maxStage, 3);
  EXPECT_EQ(stage.setupCounter, 0);
  EXPECT_EQ(ReadFile("zqt.sss"), "38200 3");

  ProgramPlaysTheSame("playthrough.txt", 9, "38200 3");
}

// The three ways to die in stage 1, each told apart by the positions the stage's last tests saw.
TEST_F(Replay, DeathByContact) {
  PlayInProcess("contact.txt", 1, [](const Snapshot& s) { return s.scene == 100 && s.frame % 30 == 0; });
  EXPECT_EQ(Scenes(), (std::vector<int>{0, 1, 100}));
  const Snapshot& s = FirstResultFrame(1);
  EXPECT_TRUE(Touching(s.enemyB, s.ship) || Touching(s.enemyC, s.ship));
  EXPECT_LT(s.ship.y, 350);
  EXPECT_LT(s.stage.kills, 15);
  EXPECT_EQ(ReadFile("zqt.sss"), "0 0");
  ProgramPlaysTheSame("contact.txt", 1, "0 0");
}

TEST_F(Replay, DeathBySinking) {
  PlayInProcess("sinking.txt", 2, [](const Snapshot& s) { return s.scene == 100 && s.frame % 30 == 0; });
  EXPECT_EQ(Scenes(), (std::vector<int>{0, 1, 100}));
  const Snapshot& s = FirstResultFrame(1);
  EXPECT_GE(s.ship.y, 350);
  EXPECT_LT(s.ship.y, 351);  // on the first frame at the line
  EXPECT_FALSE(Touching(s.enemyB, s.ship) || Touching(s.enemyC, s.ship));
  EXPECT_EQ(ReadFile("zqt.sss"), "0 0");
  ProgramPlaysTheSame("sinking.txt", 2, "0 0");
}

TEST_F(Replay, DeathByTheBossBeam) {
  PlayInProcess("beam.txt", 1, [](const Snapshot& s) { return s.scene == 100 && s.frame % 30 == 0; });
  EXPECT_EQ(Scenes(), (std::vector<int>{0, 1, 100}));
  const Snapshot& s = FirstResultFrame();
  EXPECT_GE(s.stage.kills, 15);
  EXPECT_TRUE(UnderBeam(s));
  EXPECT_LT(s.ship.y, 350);
  std::string saved = ReadFile("zqt.sss");
  EXPECT_EQ(saved, std::to_string(s.score) + " 0");
  ProgramPlaysTheSame("beam.txt", 1, saved);
}

// Start, stage choice and steering from the pad's lines in the script, with no key at all.
TEST_F(Replay, ThePadAlonePlaysTheTitleAndStageTwo) {
  WriteFile("zqt.sss", "0 2");
  PlayInProcess("pad.txt", 1);
  auto at = [&](int frame) -> const Snapshot& {
    for (const Snapshot& s : snapshots_)
      if (s.frame == frame) return s;
    ADD_FAILURE() << "no presentation " << frame;
    return snapshots_.front();
  };
  EXPECT_EQ(at(60).scene, 0) << "a button in the first 0.8 s starts nothing";
  EXPECT_EQ(Scenes(), (std::vector<int>{0, 2})) << "the stick chose stage 2 and the later button started it";
  // Each stretch of the stick moves the ship its way at 250 pixels a second, and nothing else moves it.
  const Snapshot &up0 = at(91), &up1 = at(110), &left1 = at(130), &down1 = at(150);
  EXPECT_NEAR(up1.ship.y - up0.ship.y, -250 * 19 * 0.016, 1);
  EXPECT_NEAR(up1.ship.x, up0.ship.x, 0.01);
  EXPECT_NEAR(left1.ship.x - up1.ship.x, -250 * 20 * 0.016, 1);
  EXPECT_NEAR(left1.ship.y, up1.ship.y, 0.01);
  EXPECT_NEAR(down1.ship.y - left1.ship.y, 250 * 20 * 0.016, 1);
  EXPECT_EQ(at(150).shot.live, 0);
  int fired = 0;
  for (int f = 151; f <= 170; ++f) fired += at(f).shot.live > 0;
  EXPECT_GT(fired, 0) << "button 2 fires";
}

}  // namespace
