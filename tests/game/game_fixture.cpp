#include "game_fixture.h"

#include <cstdlib>

namespace game_test {

void ResetRecords() {
  game = GameState();
  settings = GameSettings();
  pictures = GamePictures();
  ship = PlayerShip();
  shot = PlayerShot();
  orbit = OrbitState();
  enemyA = enemyB = enemyC = Enemy();
  pathC = EnemyPath();
  pathB = EnemyPath();
  enemyAnimation = 0;
  enemyDrift = 0;
  banner = HitBanner();
  boss = Boss();
  beam = BossBeam();
  SteerTimer = 0;
  stage = StageState();
  libraryState.FrameTime = 0.016f;
}

void RecordsTest::SetUp() {
  HeadlessTest::SetUp();
  ResetRecords();
  srand(1);
}

void GameTest::SetUp() {
  HeadlessTest::SetUp();
  ResetRecords();
  libraryState = LibraryState();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "DEFAULT";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "DEFAULT", "Radire", WS_POPUP | WS_SYSMENU, 0, 0, 640, 480, nullptr, nullptr,
                                instance, nullptr);
  ASSERT_NE(window, nullptr);
  libraryState.mainWindow = window;
  libraryState.instance = instance;
  ShowWindow(window, SW_SHOWDEFAULT);
  Pump();
  Pad(0, 0, 0);  // a pad at rest when the game starts, so that its centre is known
  GameStartUp();
  // The opening reveal is not what these tests look at.
  oxDraw::transition.step = 0;
  oxDraw::transition.direction = 0;
  libraryState.FrameTime = 0.016f;
  srand(1);
}

void GameTest::TearDown() {
  oxSystem::Shutdown();
  Pump();
  HeadlessTest::TearDown();
}

void GameTest::Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) break;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

void GameTest::Key(int virtualKey, bool down) {
  host::Event e{down ? host::EventType::KeyDown : host::EventType::KeyUp};
  e.code = virtualKey;
  host().QueueEvent(e);
  Pump();
}

void GameTest::Pad(int x, int y, unsigned buttons) {
  host::JoyReading r;
  r.connected = true;
  r.buttonCount = 4;
  r.x = x < 0 ? 0 : x > 0 ? 65535 : 32767;
  r.y = y < 0 ? 0 : y > 0 ? 65535 : 32767;
  r.buttons = buttons;
  host().SetJoystick(0, r);
}

void GameTest::Frame(float seconds) {
  libraryState.FrameTime = seconds;
  libraryState.modeChanged = firstFrame_ ? 1 : 0;
  firstFrame_ = false;
  GameFrame();
}

}  // namespace game_test
