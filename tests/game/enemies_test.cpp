// The enemies' paths, their stage-1 rules and the shared animation.
#include <cstdlib>

#include "game_fixture.h"

namespace game_test {
namespace {

class EnemiesTest : public RecordsTest {};

void SetPath(EnemyPath* path, std::initializer_list<int> values) {
  *path = EnemyPath();
  int i = 0;
  for (int v : values) path->table[i++] = v;
}

TEST_F(EnemiesTest, LoopingPathRunsRightAndStartsAgain) {
  SetPath(&pathC, {100, 1, 200, 5, 6});
  enemyC.x = 0;
  enemyC.y = 50;
  libraryState.FrameTime = 0.1f;
  int frames = 0;
  while (pathC.cursor == 1 && frames < 100) {
    StepPath(&enemyC, &pathC);
    AdvancePathCursor(&pathC);
    ++frames;
  }
  // A little more than 2 s: the pair ends on the first frame that moved past 200 pixels.
  EXPECT_EQ(frames, 21);
  EXPECT_EQ(pathC.cursor, 3);
  EXPECT_EQ(pathC.travelled, 0.0f);
  float x = enemyC.x;
  StepPath(&enemyC, &pathC);  // the code 5 spends a frame without moving
  EXPECT_EQ(enemyC.x, x);
  EXPECT_EQ(pathC.cursor, 1);
  AdvancePathCursor(&pathC);
  EXPECT_EQ(pathC.cursor, 1);
  StepPath(&enemyC, &pathC);
  EXPECT_FLOAT_EQ(enemyC.x, x + 10);
}

TEST_F(EnemiesTest, PassingTheRightEdgeReentersAtTheLeft) {
  SetPath(&pathB, {1000, 1, 5000, 6});
  enemyB.x = 630;
  enemyB.y = 20;
  libraryState.FrameTime = 0.02f;
  srand(7);
  int expected = rand() % 430;
  srand(7);
  StepPath(&enemyB, &pathB);
  EXPECT_EQ(enemyB.x, -80);
  EXPECT_EQ(enemyB.y, expected);
}

TEST_F(EnemiesTest, ZeroDistanceEndsAfterOneMovingFrame) {
  SetPath(&pathC, {50, 3, 0, 4, 10, 6});
  enemyC.y = 100;
  StepPath(&enemyC, &pathC);
  AdvancePathCursor(&pathC);
  EXPECT_EQ(pathC.cursor, 3);
  EXPECT_GT(enemyC.y, 100);
}

TEST_F(EnemiesTest, EndMarkerStopsTheEnemyForGood) {
  SetPath(&pathC, {100, 2, 1, 6});
  enemyC.x = 300;
  for (int i = 0; i < 10; ++i) {
    StepPath(&enemyC, &pathC);
    AdvancePathCursor(&pathC);
  }
  EXPECT_EQ(pathC.cursor, 3);
  float x = enemyC.x;
  StepPath(&enemyC, &pathC);
  AdvancePathCursor(&pathC);
  EXPECT_EQ(enemyC.x, x);
  EXPECT_EQ(pathC.cursor, 3);
}

TEST_F(EnemiesTest, PathWithoutEndNeverLeavesItsTable) {
  // Every pair moves and ends at once; the cursor walks off the loaded values and stops there.
  EnemyPath p;
  p.table[0] = 1000;
  for (int i = 1; i + 1 < kPathSize; i += 2) {
    p.table[i] = 3;
    p.table[i + 1] = 0;
  }
  p.table[kPathSize - 1] = 3;  // a direction whose distance would be the 201st value
  pathC = p;
  enemyC.y = 0;
  for (int i = 0; i < 400; ++i) {
    StepPath(&enemyC, &pathC);
    AdvancePathCursor(&pathC);
  }
  EXPECT_EQ(pathC.cursor, kPathSize + 1);
  float y = enemyC.y;
  StepPath(&enemyC, &pathC);
  AdvancePathCursor(&pathC);
  EXPECT_EQ(enemyC.y, y);
  EXPECT_EQ(PathEntry(pathC, kPathSize), 0);
  EXPECT_EQ(PathEntry(pathC, -1), 0);
}

TEST_F(EnemiesTest, AnimationAdvancesAndIsSettledBack) {
  settings.enemyFrameCount = 3;
  settings.enemyAnimRate = 10;
  libraryState.FrameTime = 0.01f;  // a step of 0.1
  enemyAnimation = 1.0f;
  AdvanceEnemyAnimation();
  AdvanceEnemyAnimation();
  EXPECT_FLOAT_EQ(enemyAnimation, 1.2f);
  SettleEnemyAnimation();  // the two draw advances are taken back, then one step made
  EXPECT_FLOAT_EQ(enemyAnimation, 1.1f);

  enemyAnimation = 2.95f;
  AdvanceEnemyAnimation();
  EXPECT_EQ(enemyAnimation, 0.0f);  // past the count: back to 0

  settings.enemyFrameCount = 0;  // no animation
  enemyAnimation = 0;
  AdvanceEnemyAnimation();
  SettleEnemyAnimation();
  EXPECT_EQ(enemyAnimation, 0.0f);
}

TEST_F(EnemiesTest, StageOneRespawnsUseOneRandomNumberEach) {
  srand(3);
  int first = rand() % 590;
  int second = rand() % 590;
  srand(3);
  enemyC.y = 481;
  ReenterEnemyC();
  EXPECT_EQ(enemyC.y, -50);
  EXPECT_EQ(enemyC.x, first);
  enemyB.y = -50;
  ReenterEnemyB();
  EXPECT_EQ(enemyB.y, 530);
  EXPECT_EQ(enemyB.x, second);
  enemyB.y = -49;
  ReenterEnemyB();
  EXPECT_EQ(enemyB.y, -49);

  enemyA.x = 690;
  WrapEnemyA();
  EXPECT_EQ(enemyA.x, 690);
  enemyA.x = 690.5f;
  WrapEnemyA();
  EXPECT_EQ(enemyA.x, -150);
}

}  // namespace
}  // namespace game_test
