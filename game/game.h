// The game's records and the operations its units share. Everything exists once for the whole run.
#pragma once
#include "ox.h"

// ---- State and files ----

struct GameSettings {
  int bossFrameCount = 0;
  int stage1BossHits = 0;
  int staffLineCount = 0;
  int bossAnimRate = 0;
  int bossAnimMode = 0;
  int stage1KillsForBoss = 0;
  int enemyFrameCount = 0;
  int enemyAnimRate = 0;
  int bossCallKills = 0;
  int stage23BossHits = 0;
};

struct GameState {
  int scene = 0;
  int stageCursor = 1;
  int chosenStage = 0;
  int score = 0;
  int highScore = 0;
  int maxStage = 0;
  float buttonDelay = 0.0f;
  int stickLatch = 0;
  int enterKey = 0, spaceKey = 0, upKey = 0, downKey = 0, leftKey = 0, rightKey = 0;
  int joyButton[4] = {0, 0, 0, 0};
  int joyX = 0, joyY = 0;
  float staffY = 0.0f;
  float staffLine = 0.0f;
};

// The object numbers of the eleven pictures, in load order.
struct GamePictures {
  int title = 0, chara = 0, tama = 0, teki = 0, hit = 0, end = 0, haikei = 0, bos = 0, staf = 0, bost = 0,
      titleb = 0;
};

// ---- Ship ----

struct PlayerShip {
  float x = 0.0f, y = 0.0f;
  float vx = 0.0f, vy = 0.0f;
  int options = 0;
};

struct PlayerShot {
  float x = 0.0f, y = 0.0f;
  float live = 0.0f;
  double angleDeg = 0.0;
  double angleRad = 0.0;
  float dx = 0.0f, dy = 0.0f;
};

struct OrbitState {
  double deg = 0.0;
  double rad = 0.0;
  double deg360 = 0.0;
};

// ---- Enemies ----

struct Enemy {
  float x = 0.0f, y = 0.0f;
};

constexpr int kPathSize = 200;

struct EnemyPath {
  int table[kPathSize] = {};
  int cursor = 1;
  float travelled = 0.0f;
};

// ---- Collisions, bosses, stages ----

struct HitBanner {
  int state = 0;
  float timer = 0.0f;
};

struct Boss {
  float x = 0.0f, y = 0.0f;
  float vx = 0.0f, vy = 0.0f;
  float frame = 0.0f;
  float drawn = 0.0f;
};

struct BossBeam {
  float top = 0.0f;
  float length = 0.0f;
  float timer = 0.0f;
};

struct StageState {
  float kills = 0.0f;
  float bossHits = 0.0f;
  float bannerTimer = 0.0f;
  int setupCounter = 0;
};

extern GameState game;
extern GameSettings settings;
extern GamePictures pictures;
extern PlayerShip ship;
extern PlayerShot shot;
extern OrbitState orbit;
extern Enemy enemyA, enemyB, enemyC;
extern EnemyPath pathC, pathB;  // "teki.dat" drives enemy C, "teki2.dat" enemy B
extern float enemyAnimation;
extern float enemyDrift;  // stage 1: enemy C's sideways speed
extern HitBanner banner;
extern Boss boss;
extern BossBeam beam;
extern float SteerTimer;
extern StageState stage;

// Truncation toward zero. Positions far beyond any screen are held at a large bound, so that a runaway
// value (a huge frame time, extreme data) stays a defined int and leaves room for the offsets added to it.
inline int Int(double v) {
  constexpr double kBound = 268435456.0;  // 2^28
  if (!(v == v)) return 0;
  if (v > kBound) return int(kBound);
  if (v < -kBound) return -int(kBound);
  return int(v);
}

// The top row of animation frame `index` in a sheet of `height`-pixel frames; an index no picture can
// have gives a row far outside, which the blit refuses.
inline int FrameTop(int index, int height) {
  long long top = (long long)index * height;
  constexpr long long kBound = 1 << 28;
  return int(top > kBound ? kBound : top < -kBound ? -kBound : top);
}

inline float FrameTime() { return libraryState.FrameTime; }

// state.cpp
void ReadSettings(const char* file);
void LoadPath(const char* file, EnemyPath* path);
void ReadHighScore();
// Writes the better of score and highScore with maxStage; returns 0 when the file could not be replaced.
int WriteHighScore();
void ResetForTitle();

// scenes.cpp
void RunTitleFrame();
void RunResultFrame();
void RunStaffRollFrame();

// hud.cpp
int ShownBestScore();
// The game's text for `japanese`: itself, or its English when the player chose English.
const char* GameText(const char* japanese);
void DrawScoreLine();
void DrawOptionsLine();
void DrawStageTitle(int stageNumber);
void DrawBossCallPrompt(int stageNumber);

// ship.cpp
void ReadStageInput(int stageNumber);
void ControlShip(int stageNumber);
void MoveShip(int stageNumber);
void JumpShip();
void SinkShip();
void PlaceShipOnOrbit();
void DrawShip(int stageNumber);
void FireShot(int stageNumber);
void UpdateShotInFlight(int stageNumber);
void MoveShot(int stageNumber);
void RaiseShip();
// The drawing angle of an orbit angle already folded into 0..360: always 0..359.
int DrawingAngle(double deg360);

// enemies.cpp
void DrawEnemies(int stageNumber);
void AdvanceEnemyAnimation();
void SettleEnemyAnimation();
int PathEntry(const EnemyPath& path, int index);
void StepPath(Enemy* enemy, EnemyPath* path);
void AdvancePathCursor(EnemyPath* path);
void ReenterEnemyC();      // stage 1, early in the frame
void ReenterEnemyB();      // stage 1, after the collision tests
void MoveEnemiesStage1();  // without the ship and the shot, which move in between
void WrapEnemyA();         // stage 1
void FallEnemyA();         // stages 2 and 3

// collisions.cpp
void TestStageCollisions(int stageNumber);
void TestBossShip(int stageNumber);
void TestBossShot(int stageNumber);
void TestBeam();
void DrawHitBanner();
void UpdateHitBanner(int stageNumber);

// bosses.cpp
bool Stage1BossPhase();
int Stage1BossHitsNeeded();
void DrawBoss(int stageNumber);
void AnimateBoss();
void PlaceStage1Boss();
void DrawBeam();
void SteerBoss(int stageNumber);
void MoveBoss(int stageNumber);
void AdvanceBeam();
void CallBoss(int stageNumber);
void CheckStageClear(int stageNumber);
// The enemies come in afresh, nothing is counted yet and the boss waits at its start: the last steps of the
// stage-2 and stage-3 set-ups alike, their random numbers drawn for C, B and A in that order.
void SetUpField();
void SetUpStage2();

// stages.cpp
void RunStage1Frame();
void RunStage2Frame();
void RunStage3Frame();
void SetUpStage3();
