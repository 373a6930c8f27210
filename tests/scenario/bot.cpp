#include "bot.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "game.h"
#include "kernel/crt.h"
#include "windows.h"

namespace bot {

namespace {

constexpr float kFrame = 0.016f;  // the headless host's step

const char* KeyName(int key) {
  switch (key) {
    case VK_RETURN: return "RETURN";
    case VK_SPACE: return "SPACE";
    case VK_LEFT: return "LEFT";
    case VK_RIGHT: return "RIGHT";
    case VK_UP: return "UP";
    case VK_DOWN: return "DOWN";
    default: return "?";
  }
}

bool Near(const Enemy& e, float x, float y, float range) {
  return std::fabs(e.x - x) < range && std::fabs(e.y - y) < range;
}

const char* SceneName(int scene) {
  switch (scene) {
    case 0: return "title";
    case 1: return "stage 1";
    case 2: return "stage 2";
    case 3: return "stage 3";
    case 100: return "result";
    case 200: return "staff roll";
    default: return "scene ?";
  }
}

// ---- Stage 3: a short look ahead along the orbit ----

struct Point {
  float x, y;
};

// Where an enemy on a path will be in each of the next frames; a wrapped enemy is far away.
std::vector<Point> PredictPath(Enemy e, EnemyPath p, int frames) {
  std::vector<Point> at;
  bool gone = false;
  for (int k = 0; k < frames; ++k) {
    if (!gone) {
      int d = PathEntry(p, p.cursor);
      float v = PathEntry(p, 0) * kFrame;
      if (d == 1) e.x += v, p.travelled += v;
      if (d == 2) e.x -= v, p.travelled += v;
      if (d == 3) e.y += v, p.travelled += v;
      if (d == 4) e.y -= v, p.travelled += v;
      if (d == 5) p.cursor = 1;
      if (e.x > 640) gone = true;
      if (PathEntry(p, p.cursor + 1) < p.travelled) p.travelled = 0, p.cursor += 2;
    }
    at.push_back(gone ? Point{5000, 5000} : Point{e.x, e.y});
  }
  return at;
}

std::vector<Point> PredictFall(Enemy e, int frames) {
  std::vector<Point> at;
  for (int k = 0; k < frames; ++k) {
    e.y += 200 * kFrame;
    at.push_back(e.y > 480 || e.x > 640 ? Point{5000, 5000} : Point{e.x, e.y});
  }
  return at;
}

std::vector<Point> PredictBoss(int frames) {
  std::vector<Point> at;
  Boss b = boss;
  for (int k = 0; k < frames; ++k) {
    if (b.x > -50 && b.x < 590) b.x += b.vx * kFrame;
    if (b.y > -100 && b.y < 380) b.y += b.vy * kFrame;
    at.push_back({b.x, b.y});
  }
  return at;
}

Point ShipAt(double deg) {
  double rad = deg * 0.01745328888888889;
  return {float(std::sin(rad) * 180 + 300), float(std::cos(rad) * 180 + 210)};
}

struct Stage3View {
  static constexpr int kAhead = 40;    // frames a plan looks ahead
  static constexpr int kFlight = 110;  // frames a shot can fly
  bool bossPhase;
  std::vector<Point> enemies[3];
  std::vector<Point> boss;

  Stage3View() : bossPhase(stage.kills == 100) {
    int n = kAhead + kFlight + 2;
    if (!bossPhase) {
      enemies[0] = PredictFall(enemyA, n);
      enemies[1] = PredictPath(enemyB, pathB, n);
      enemies[2] = PredictPath(enemyC, pathC, n);
    } else {
      boss = PredictBoss(n);
    }
  }

  // How close the ship at `p` comes to something at frame k: < 0 means a collision.
  float Clearance(Point p, int k) const {
    float best = 1e9f;
    if (bossPhase) {
      Point b = boss[k];
      float dx = std::fabs(b.x + 50 - (p.x + 25)) - 75, dy = std::fabs(b.y + 100 - (p.y + 25)) - 125;
      best = std::max(dx, dy);
    } else {
      for (const auto& e : enemies) {
        float dx = std::fabs(e[k].x - p.x) - 40, dy = std::fabs(e[k].y - p.y) - 40;
        best = std::min(best, std::max(dx, dy));
      }
    }
    return best;
  }

  // Whether a shot fired from angle `deg` at frame k0 meets a target on its way.
  bool ShotHits(double deg, int k0) const {
    double rad = deg * 0.01745328888888889;
    Point s = ShipAt(deg);
    float dx = float(std::sin(rad) * kFrame * 500), dy = float(std::cos(rad) * kFrame * 500);
    for (int j = 0; j < kFlight; ++j) {
      int k = std::min(k0 + j, kAhead + kFlight);
      if (!(s.x > 0 && s.x < 640 && s.y > 0 && s.y < 480) && j > 0) return false;
      if (bossPhase) {
        Point b = boss[k];
        if (b.x <= s.x && s.x <= b.x + 100 && b.y < s.y + 30 && s.y < b.y + 200) return true;
      } else {
        for (const auto& e : enemies) {
          Point t = e[k];
          if (t.y < s.y + 30 && s.y < t.y + 30 && t.x - 30 < s.x && s.x < t.x + 30) return true;
        }
      }
      s.x -= dx;
      s.y -= dy;
    }
    return false;
  }
};

// Frames until the shot in flight leaves the screen.
int FramesUntilShotFree() {
  if (shot.live == 0) return 0;
  float x = shot.x, y = shot.y;
  float dx = float(std::sin(shot.angleRad) * kFrame * 500), dy = float(std::cos(shot.angleRad) * kFrame * 500);
  int n = 1;
  while (x > 0 && x < 640 && y > 0 && y < 480 && n < 200) x -= dx, y -= dy, ++n;
  return n;
}

}  // namespace

bool GoalNamed(const std::string& name, Goal* goal) {
  if (name == "playthrough") *goal = Goal::PlayThrough;
  else if (name == "contact") *goal = Goal::Contact;
  else if (name == "sinking") *goal = Goal::Sinking;
  else if (name == "beam") *goal = Goal::Beam;
  else return false;
  return true;
}

void Player::Hold(int key, bool down) {
  if (held_[key] == down) return;
  held_[key] = down;
  host::ScriptedEvent e;
  e.frame = frame_;
  e.event.type = down ? host::EventType::KeyDown : host::EventType::KeyUp;
  e.event.code = key;
  out_->push_back(e);
  lines_.push_back(std::to_string(frame_) + " key " + (down ? "down " : "up ") + KeyName(key));
}

// Down for three frames, then up for at least two: every poll sees the press, whatever the frame presents.
void Player::Tap(int key) {
  if (held_[key] || release_.count(key)) return;
  Hold(key, true);
  release_[key] = frame_ + 3;
}

void Player::Steer(float at, float target, int less, int more) {
  Hold(less, at > target + 3);
  Hold(more, at < target - 3);
}

void Player::Decide(int frame, std::vector<host::ScriptedEvent>* out) {
  frame_ = frame;
  out_ = out;
  for (auto it = release_.begin(); it != release_.end();) {
    if (frame_ == it->second) Hold(it->first, false);
    if (frame_ >= it->second + 2) it = release_.erase(it);
    else ++it;
  }
  if (game.scene != lastScene_) {
    lines_.push_back("# " + std::to_string(frame_) + ": " + SceneName(game.scene) + ", score " +
                     std::to_string(game.score));
    if (game.scene == 0) ++titlesSeen_;
    lastScene_ = game.scene;
    sceneFrames_ = 0;
    // Nothing held crosses into the next scene but what the scene itself wants.
    for (int key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE}) Hold(key, false);
  }
  ++sceneFrames_;
  switch (game.scene) {
    case 0: Title(); break;
    case 1: Stage1(); break;
    case 2: Stage2(); break;
    case 3: Stage3(); break;
    case 100:
      if (goal_ != Goal::PlayThrough && sceneFrames_ > 60) done_ = true;
      if (goal_ == Goal::PlayThrough && sceneFrames_ == 90) Tap(VK_RETURN);
      break;
    default: break;  // the staff roll runs to its end
  }
}

void Player::Title() {
  if (titlesSeen_ > 1) {
    if (sceneFrames_ > 30) done_ = true;  // the title of the next game, with the new best
    return;
  }
  if (sceneFrames_ == 40) Tap(VK_RETURN);
}

void Player::Stage1() {
  const bool shoot = goal_ == Goal::PlayThrough || goal_ == Goal::Beam;
  Hold(VK_SPACE, shoot);
  float target = ship.x;
  if (Stage1BossPhase()) {
    if (goal_ == Goal::Beam) {
      target = boss.x + 75;  // under the middle of the beam
    } else {
      // The beam covers boss x - 15 to boss x + 165; the shot hits from boss x to boss x + 200.
      target = boss.x + 185 <= 600 ? boss.x + 185 : boss.x - 60;
    }
  } else if (goal_ == Goal::Contact) {
    target = enemyB.y > ship.y ? enemyB.x : ship.x;  // head on into enemy B as it rises
  } else if (goal_ != Goal::Sinking && enemyB.y > ship.y + 80 && enemyB.y < 530) {
    target = enemyB.x - 25;
  } else if (goal_ != Goal::Sinking && banner.state <= 10 && enemyC.y > ship.y + 60) {
    target = enemyC.x;
  } else if (goal_ != Goal::Sinking) {
    target = enemyA.x + 40;
  }
  if (goal_ != Goal::Contact)
    for (const Enemy* e : {&enemyB, &enemyC})
      if (Near(*e, ship.x, ship.y, 75) && !(e == &enemyB && std::fabs(e->x - 25 - ship.x) < 20 && shot.live == 0))
        target = e->x > ship.x ? e->x - 90 : e->x + 90;
  target = std::clamp(target, 0.0f, 600.0f);
  Steer(ship.x, target, VK_LEFT, VK_RIGHT);
  if (goal_ == Goal::Sinking || goal_ == Goal::Contact) return;
  // Away from the bottom line, and from the top where enemy C comes back in.
  if (ship.y > 250 && ship.options > 0) Tap(VK_UP);
  if (ship.y < 45 && ship.options > 0) Tap(VK_DOWN);
}

void Player::Stage2() {
  Hold(VK_SPACE, true);
  float tx = 560, ty = ship.y;
  if (stage.kills == 100) {
    ty = boss.y + 75;
    tx = boss.x + 260 < 590 ? 590 : boss.x - 150;
  } else {
    if (Int(stage.kills) >= settings.bossCallKills && stage.kills < 90) Tap(VK_RETURN);
    float best = 1e9f;
    for (const Enemy* e : {&enemyA, &enemyB, &enemyC})
      if (e->x > -60 && e->x < ship.x - 80 && e->y > 0 && e->y < 430 && std::fabs(e->y - ship.y) < best) {
        best = std::fabs(e->y - ship.y);
        ty = e->y;
      }
  }
  // Enemy A falls: step aside. B and C run along their paths: get out of their row.
  if (stage.kills != 100 && std::fabs(enemyA.x - ship.x) < 85 && enemyA.y < ship.y + 50 && enemyA.y > ship.y - 260)
    tx = enemyA.x > 300 ? enemyA.x - 120 : enemyA.x + 120;
  for (const Enemy* e : {&enemyB, &enemyC})
    if (stage.kills != 100 && Near(*e, ship.x, ship.y, 80)) ty = e->y > ship.y || ship.y > 380 ? e->y - 100 : e->y + 100;
  ty = std::clamp(ty, 0.0f, 430.0f);
  tx = std::clamp(tx, 0.0f, 590.0f);
  Steer(ship.y, ty, VK_UP, VK_DOWN);
  Steer(ship.x, tx, VK_LEFT, VK_RIGHT);
}

// Tries every way of turning over the next frames (left, still or right, in five steps of eight frames)
// and takes the one that keeps clear of everything and soonest lines a shot up with a target.
void Player::Stage3() {
  if (stage.kills != 100 && Int(stage.kills) >= settings.bossCallKills && stage.kills < 90) {
    // The boss comes in at its set-up place: call it only with the ship well away from it.
    Point p = ShipAt(orbit.deg);
    if (std::fabs(boss.x + 50 - (p.x + 25)) > 130 || std::fabs(boss.y + 100 - (p.y + 25)) > 180) Tap(VK_RETURN);
  }
  const Stage3View view;
  constexpr int kChunk = 8, kChunks = Stage3View::kAhead / kChunk;
  const float turn = 50 * kFrame;
  const int ready = FramesUntilShotFree();
  std::map<std::pair<int, int>, bool> hits;
  auto aimed = [&](double deg, int k0) {
    auto key = std::make_pair(int(std::lround(deg * 10)), k0);
    auto it = hits.find(key);
    if (it != hits.end()) return it->second;
    return hits[key] = view.ShotHits(deg, k0);
  };
  double bestValue = -1e18;
  int bestFirst = 0;
  int plans = 1;
  for (int i = 0; i < kChunks; ++i) plans *= 3;
  for (int plan = 0; plan < plans; ++plan) {
    double deg = orbit.deg, value = 0;
    int code = plan, first = 0;
    bool aimFound = false;
    for (int c = 0; c < kChunks; ++c) {
      int move = code % 3 - 1;
      code /= 3;
      if (c == 0) first = move;
      for (int f = 0; f < kChunk; ++f) {
        int k = c * kChunk + f + 1;
        deg += move * turn;
        float clear = view.Clearance(ShipAt(deg), k);
        float margin = view.bossPhase ? 6 + k * 1.5f : 4 + k * 0.5f;
        if (clear < 0) value -= 1e7 * (Stage3View::kAhead + 10 - k);
        else if (clear < margin) value -= 1e4 * (margin - clear);
      }
      int k = (c + 1) * kChunk;
      if (!aimFound && k >= ready && aimed(deg, k)) {
        value += 1000.0 * (Stage3View::kAhead + 10 - k);
        aimFound = true;
      }
      if (move != 0) value -= 1;  // no turning for nothing
    }
    if (value > bestValue) {
      bestValue = value;
      bestFirst = first;
    }
  }
  Hold(VK_LEFT, bestFirst < 0);
  Hold(VK_RIGHT, bestFirst > 0);
  // Fire when the shot would meet something: held now, it leaves on the next frame or the one after.
  double next = orbit.deg + bestFirst * turn;
  bool fire = ready <= 1 && (aimed(next, 1) || aimed(next + bestFirst * turn, 2));
  // A press already made is kept until the shot leaves, or it would never reach the held state.
  if (held_[VK_SPACE] && shot.live == 0) fire = true;
  Hold(VK_SPACE, fire);
}

int RunProgramInProcess(host::HeadlessHost& host, unsigned seed) {
  host::Install(&host);
  platform::PinRandomSeed(seed);
  static char line[] = "";
  int result = WinMain(GetModuleHandleA(nullptr), nullptr, line, SW_SHOWDEFAULT);
  host::Install(nullptr);
  return result;
}

}  // namespace bot
