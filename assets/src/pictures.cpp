#include "pictures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "settings.h"

namespace art {
namespace {

constexpr float kPi = 3.14159265f;

// The palette: friendly things are white, blue and lime; hostile things magenta, crimson and gold.
const Color kHullWhite = Rgb(226, 232, 244);
const Color kHullShade = Rgb(140, 150, 176);
const Color kWingBlue = Rgb(70, 150, 255);
const Color kWingDeep = Rgb(24, 58, 168);
const Color kCanopyLight = Rgb(170, 250, 255);
const Color kCanopyDeep = Rgb(20, 100, 190);
const Color kAccentRed = Rgb(232, 58, 70);
const Color kSteel = Rgb(84, 90, 108);
const Color kFlameCore = Rgb(255, 250, 205);
const Color kFlameEdge = Rgb(255, 118, 24);
const Color kShotCore = Rgb(255, 255, 240);
const Color kShotInner = Rgb(214, 255, 120);
const Color kShotOuter = Rgb(40, 168, 56);
const Color kEnemyBody = Rgb(176, 92, 236);
const Color kEnemyDeep = Rgb(72, 22, 124);
const Color kEnemyFin = Rgb(236, 64, 178);
const Color kEnemyEye = Rgb(255, 232, 120);
const Color kEnemyEyeRim = Rgb(214, 30, 34);
const Color kBossHull = Rgb(204, 52, 52);
const Color kBossHullDeep = Rgb(108, 18, 30);
const Color kBossGold = Rgb(236, 186, 72);
const Color kBossGoldDeep = Rgb(146, 96, 28);
const Color kBossSteel = Rgb(124, 124, 156);
const Color kBeamOuter = Rgb(176, 20, 92);
const Color kBeamMid = Rgb(255, 72, 144);
const Color kBeamCore = Rgb(255, 232, 246);
const Color kTextGold = Rgb(255, 224, 96);
const Color kTextGoldDeep = Rgb(232, 128, 24);
const Color kTextCyan = Rgb(150, 230, 255);
const Color kNavy = Rgb(18, 28, 92);

// A polygon symmetric about x = axis: the left side from top to bottom, the two ends on the axis.
Shape Symmetric(float axis, float topY, std::vector<Vec> left, float bottomY) {
  std::vector<Vec> all = {{axis, topY}};
  all.insert(all.end(), left.begin(), left.end());
  all.push_back({axis, bottomY});
  std::vector<Vec> right = MirrorX(left, axis);
  all.insert(all.end(), right.begin(), right.end());
  return Polygon(all);
}

}  // namespace

Image Ship(float zoom) {
  Image im(int(50 * zoom), int(50 * zoom), zoom);
  // Flames under everything, so the nozzles sit in them.
  Shape flames = Union(Ellipse(22.5f, 46.5f, 2.4f, 3), Ellipse(27.5f, 46.5f, 2.4f, 3));
  im.Fill(flames, VerticalGradient(44, kFlameCore, 49, kFlameEdge));
  std::vector<Vec> wing = {{21, 19}, {4.5f, 35}, {3.5f, 42}, {9, 43}, {21, 39}};
  Shape wings = Union(Polygon(wing), Polygon(MirrorX(wing, 25)));
  im.Fill(wings, Bevel(wings, VerticalGradient(20, kWingBlue, 44, kWingDeep), 2.5f, 0.7f));
  Shape tips = Union(Box(3, 29, 6.5f, 43.5f, 1.2f), Box(43.5f, 29, 47, 43.5f, 1.2f));
  im.Fill(tips, Bevel(tips, Solid(kAccentRed), 1.5f));
  Shape nozzles = Union(Box(20.5f, 40, 24.5f, 45.5f, 1), Box(25.5f, 40, 29.5f, 45.5f, 1));
  im.Fill(nozzles, Bevel(nozzles, Solid(kSteel), 1.2f));
  Shape body = Symmetric(25, 1.5f, {{22.6f, 9}, {20.6f, 20}, {19.6f, 33}, {20.4f, 42}}, 42.5f);
  im.Fill(body, Bevel(body, VerticalGradient(2, kHullWhite, 42, kHullShade), 2.5f, 0.7f));
  Shape chevron = Symmetric(25, 27, {{21.2f, 31}, {21.2f, 34}}, 30.5f);
  im.Fill(chevron, Solid(kAccentRed));
  Shape canopy = Ellipse(25, 16.5f, 2.7f, 5.8f);
  im.Fill(canopy, Bevel(canopy, VerticalGradient(11, kCanopyLight, 22, kCanopyDeep), 1.5f));
  return im;
}

namespace {

Image Shot() {
  Image im(30, 30);
  im.Fill(Circle(15, 15, 11), RadialGradient(15, 15, 11, kShotInner, kShotOuter));
  Shape ring = Subtract(Circle(15, 15, 9.5f), Circle(15, 15, 8));
  im.Fill(ring, Solid(Rgb(236, 255, 170)), 0.8f);
  im.Fill(Circle(15, 15, 5.5f), RadialGradient(15, 15, 5.5f, kShotCore, kShotInner));
  return im;
}

Image EnemyFrame(int frame) {
  Image im(50, 50);
  // The loop shows frames 0 to count - 1; the last frame repeats the first.
  const int loop = kSettings.enemyFrameCount;
  float phase = float(frame % loop) / loop;
  // Four swept blades: a quarter turn over the loop looks like a full one.
  for (int k = 0; k < 4; ++k) {
    float a = (phase * 90 + k * 90) * kPi / 180;
    auto at = [&](float r, float da) {
      return Vec{25 + r * std::cos(a + da * kPi / 180), 25 + r * std::sin(a + da * kPi / 180)};
    };
    Shape blade = Polygon({at(9, -28), at(17, -12), at(23.5f, 18), at(15, 16), at(9, 26)});
    im.Fill(blade, Bevel(blade, Solid(kEnemyFin), 2, 0.6f));
  }
  Shape body = Circle(25, 25, 12.5f);
  im.Fill(body, Bevel(body, RadialGradient(21, 20, 16, kEnemyBody, kEnemyDeep), 3, 0.7f));
  im.Fill(Subtract(Circle(25, 25, 9.6f), Circle(25, 25, 8)), Solid(Rgb(56, 10, 78)));
  float pulse = 0.7f + 0.3f * std::cos(2 * kPi * phase);
  im.Fill(Circle(25, 25, 6.8f), RadialGradient(24, 24, 6.8f, Scale(kEnemyEye, pulse), kEnemyEyeRim));
  im.Fill(Circle(25, 25, 2.2f), Solid(Rgb(48, 0, 14)));
  im.Fill(Circle(23.2f, 23.2f, 1.1f), Solid(Rgb(255, 255, 255)), 0.9f);
  return im;
}

Image BossFrame(int frame) {
  Image im(200, 100);
  const int loop = kSettings.bossFrameCount;
  int step = frame % loop;
  float phase = float(step) / loop;
  float pulse = 0.65f + 0.35f * std::cos(2 * kPi * phase);
  // Emitter housings at the top and the bottom: the beam leaves from the top one.
  Shape topHousing = Polygon({{70, 36}, {83, 4}, {117, 4}, {130, 36}});
  Shape bottomHousing = Polygon({{70, 64}, {130, 64}, {117, 96}, {83, 96}});
  Shape housings = Union(topHousing, bottomHousing);
  im.Fill(housings, Bevel(housings, VerticalGradient(4, kBossSteel, 96, Rgb(70, 70, 96)), 3));
  Color slot = Mix(Rgb(150, 60, 20), Rgb(255, 210, 110), pulse);
  im.Fill(Union(Box(88, 6, 112, 12, 2), Box(88, 88, 112, 94, 2)), Solid(slot));
  Shape pods = Union(Ellipse(30, 50, 27, 17), Ellipse(170, 50, 27, 17));
  im.Fill(pods, Bevel(pods, VerticalGradient(33, kBossSteel, 67, Rgb(64, 64, 90)), 3, 0.7f));
  Shape podGrooves = Union(Union(Box(12, 49, 48, 51), Box(152, 49, 188, 51)),
                           Union(Box(29, 35, 31, 65), Box(169, 35, 171, 65)));
  im.Fill(podGrooves, Solid(Rgb(40, 40, 60)));
  bool podLit = step * 2 < loop;
  Color podLight = podLit ? Rgb(255, 70, 70) : Rgb(96, 16, 16);
  im.Fill(Union(Circle(10, 50, 3.2f), Circle(190, 50, 3.2f)), Solid(podLight));
  Shape hull = Ellipse(100, 50, 80, 31);
  im.Fill(hull, Bevel(hull, VerticalGradient(19, kBossHull, 81, kBossHullDeep), 4, 0.6f));
  for (float deg : {25.0f, 155.0f, 205.0f, 335.0f}) {
    float a = deg * kPi / 180;
    im.Fill(Capsule(100 + 26 * std::cos(a), 50 + 26 * std::sin(a), 100 + 74 * std::cos(a),
                    50 + 28 * std::sin(a), 0.7f),
            Solid(Rgb(84, 12, 24)));
  }
  // Running lights chase round the rim, one lit in each group of `loop`.
  const int lights = loop * (loop < 4 ? 4 : 2);
  for (int i = 0; i < lights; ++i) {
    float a = (i * 360.0f / lights + 18) * kPi / 180;
    bool lit = i % loop == step;
    Color c = lit ? Rgb(255, 244, 150) : Rgb(128, 62, 22);
    im.Fill(Circle(100 + 66 * std::cos(a), 50 + 23 * std::sin(a), lit ? 2.6f : 2.0f), Solid(c));
  }
  Shape dome = Circle(100, 50, 22);
  im.Fill(dome, Bevel(dome, RadialGradient(94, 44, 28, kBossGold, kBossGoldDeep), 3, 0.7f));
  im.Fill(Circle(100, 50, 12.5f), Solid(Rgb(70, 30, 10)));
  Color coreIn = Mix(Rgb(255, 150, 40), Rgb(255, 255, 230), pulse);
  im.Fill(Circle(100, 50, 11), RadialGradient(100, 50, 11, coreIn, Rgb(230, 70, 20)));
  return im;
}

Image Beam() {
  Image im(150, 330);
  auto column = [](float radius, float wave, float freq) -> Shape {
    return [=](float x, float y) {
      float r = radius + wave * std::sin(y * freq);
      float dx = std::fabs(x - 75);
      float head = radius + 2;  // the rounded tip leads
      if (y < head) return std::hypot(dx, y - head) - r;
      return dx - r;
    };
  };
  auto banded = [](Color c, float depth) -> Paint {
    return [=](float, float y) { return Scale(c, 1 - depth + depth * (0.5f + 0.5f * std::sin(y * 0.31f))); };
  };
  im.Fill(column(66, 4, 0.11f), banded(kBeamOuter, 0.3f));
  im.Fill(column(46, 3, 0.17f), banded(kBeamMid, 0.2f));
  im.Fill(column(21, 1.5f, 0.23f), Solid(kBeamCore));
  return im;
}

Image HitBanner() {
  Image im(80, 50);
  std::vector<Vec> burst;
  for (int i = 0; i < 28; ++i) {
    float a = i * 2 * kPi / 28;
    float r = (i % 2 == 0) ? 1.0f : 0.62f;
    burst.push_back({40 + 38 * r * std::cos(a), 25 + 23.5f * r * std::sin(a)});
  }
  Shape star = Polygon(burst);
  im.Fill(Grow(star, 0), RadialGradient(40, 25, 36, Rgb(255, 246, 170), Rgb(255, 104, 20)));
  TextStyle style{17, 4.2f, 1.9f};
  float w = TextWidth("HIT!", style);
  Shape text = TextShape("HIT!", 40 - w / 2, 13, style);
  im.Fill(Grow(text, 2), Solid(Rgb(128, 16, 10)));
  im.Fill(text, VerticalGradient(13, Rgb(255, 255, 255), 34, Rgb(255, 214, 214)));
  return im;
}

// Capitals painted gold with a dark rim; `cap` is their height in pixels.
void Lettering(Image& im, const std::string& text, float cx, float top, float cap, float stroke, Paint paint,
               Color rim, float rimWidth) {
  TextStyle style{cap, stroke, 1.7f};
  float w = TextWidth(text, style);
  Shape shape = TextShape(text, cx - w / 2, top, style);
  if (rimWidth > 0) im.Fill(Grow(shape, rimWidth), Solid(rim));
  im.Fill(shape, Bevel(shape, paint, stroke * 0.4f, 0.5f));
}

Image Result() {
  Image im(640, 200);
  Shape streak = Ellipse(320, 96, 310, 2.5f);
  im.Fill(streak, RadialGradient(320, 96, 300, Rgb(210, 250, 255), Rgb(40, 110, 200)));
  im.Fill(Box(70, 160, 570, 163), VerticalGradient(160, Rgb(90, 170, 255), 163, Rgb(30, 70, 180)));
  im.Fill(Box(70, 30, 570, 33), VerticalGradient(30, Rgb(90, 170, 255), 33, Rgb(30, 70, 180)));
  Lettering(im, "RESULT", 320, 52, 72, 13, VerticalGradient(48, Rgb(240, 250, 255), 138, Rgb(60, 130, 230)),
            kNavy, 3.5f);
  return im;
}

Image Staff() {
  struct Line {
    const char* role;
    const char* what;
  };
  const Line lines[] = {
      {"RADIRE", "STAFF"},
      {"PROGRAM", "GAME AND LIBRARY CODE"},
      {"GRAPHICS", "SHIPS, SPACE AND LOGO"},
      {"MUSIC", "GENERAL MIDI SCORE"},
      {"GAME DESIGN", "STAGES AND TUNING"},
      {"THANK YOU", "FOR PLAYING!"},
  };
  const int count = sizeof lines / sizeof lines[0];
  if (count != kSettings.staffLineCount + 1) {
    std::fprintf(stderr, "the staff roll has %d strips, the settings show %d\n", count,
                 kSettings.staffLineCount + 1);
    std::exit(1);
  }
  Image im(300, 50 * count);
  for (int i = 0; i < count; ++i) {
    float top = 50.0f * i;
    Lettering(im, lines[i].role, 150, top + 3, 19, 4, VerticalGradient(top + 3, kTextGold, top + 25, kTextGoldDeep),
              Rgb(90, 30, 8), 1.2f);
    Lettering(im, lines[i].what, 150, top + 32, 10, 2.2f, Solid(kTextCyan), Rgb(16, 40, 80), 0);
  }
  return im;
}

Image Logo() {
  Image im(296, 103);
  // An orbit swings under the letters.
  Shape orbit = Intersect(Subtract(Ellipse(148, 62, 145, 36), Ellipse(148, 58, 139, 31)), Box(0, 62, 296, 103));
  im.Fill(orbit, [](float x, float) { return Mix(Rgb(255, 120, 20), Rgb(255, 236, 120), std::fabs(x - 148) / 148); });
  TextStyle style{64, 13, 1.5f};
  float w = TextWidth("Radire", style);
  float scale = std::min(1.0f, 282 / w);
  style.capHeight *= scale;
  style.stroke *= scale;
  w = TextWidth("Radire", style);
  Shape text = TextShape("Radire", 148 - w / 2, 6, style);
  im.Fill(Grow(text, 3.5f), Solid(kNavy));
  Paint metal = [](float, float y) {
    if (y < 40) return Mix(Rgb(236, 250, 255), Rgb(110, 210, 255), (y - 6) / 34);
    return Mix(Rgb(70, 170, 250), Rgb(30, 70, 210), (y - 40) / 38);
  };
  im.Fill(text, Bevel(text, metal, 4, 0.55f));
  return im;
}

// Stars scattered by a fixed seed, none inside the rectangle (kx0, ky0)-(kx1, ky1).
void Starfield(Image& im, uint32_t seed, int count, float minB, float maxB, int kx0, int ky0, int kx1, int ky1) {
  Random rnd(seed);
  for (int i = 0; i < count; ++i) {
    int x = int(rnd.Uniform(0, float(im.width())));
    int y = int(rnd.Uniform(0, float(im.height())));
    float b = rnd.Uniform(minB, maxB);
    float tint = rnd.Uniform(0, 1);
    if (x >= kx0 && x < kx1 && y >= ky0 && y < ky1) continue;
    Color c = tint < 0.2f ? Rgb(255, 230, 190) : tint < 0.5f ? Rgb(190, 215, 255) : Rgb(240, 244, 255);
    c = Scale(c, b);
    im.Plot(x, y, c);
    if (b > maxB * 0.8f && rnd.Uniform(0, 1) < 0.5f) {
      Color d = Scale(c, 0.45f);
      im.Plot(x - 1, y, d);
      im.Plot(x + 1, y, d);
      im.Plot(x, y - 1, d);
      im.Plot(x, y + 1, d);
    }
  }
}

// A planet lit from the upper left, with banded clouds and a thin atmosphere.
void Planet(Image& im, float cx, float cy, float r, Color light, Color dark, Color air, uint32_t seed, float gain) {
  Shape disc = Circle(cx, cy, r);
  im.Fill(Grow(disc, 3), RadialGradient(cx, cy, r + 3, air, Scale(air, 0.6f)), 0.9f);
  im.Fill(disc, [=](float x, float y) {
    float nx = (x - cx) / r, ny = (y - cy) / r;
    float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
    float lit = Clamp01(-0.55f * nx - 0.45f * ny + 0.7f * nz);
    float band = Fbm(nx * 2.5f, ny * 9 + Fbm(nx * 3, ny * 3, seed, 3) * 2, seed + 7, 4);
    Color c = Mix(dark, light, Clamp01(band * 1.2f - 0.1f));
    return Scale(c, gain * (0.12f + 0.88f * lit));
  });
}

Image TitleBackground() {
  Image im(640, 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      Color sky = Mix(Rgb(14, 10, 44), Rgb(6, 6, 22), y / 480.0f);
      float n = Fbm(x / 150.0f, y / 110.0f, 11, 5);
      float cloud = Clamp01((n - 0.45f) * 2.4f);
      float hue = Fbm(x / 260.0f + 5, y / 260.0f, 23, 3);
      Color neb = Mix(Rgb(150, 40, 160), Rgb(40, 90, 200), hue);
      // Kept faint round the logo and the texts.
      float calm = 1 - 0.6f * SmoothStep(120, 260, y) * SmoothStep(0, 1, 1 - std::fabs(x - 320) / 340);
      im.Plot(x, y, Add(sky, Scale(neb, cloud * cloud * 0.55f * calm)));
    }
  Starfield(im, 77, 520, 0.25f, 1.0f, 0, 0, 0, 0);
  Planet(im, 585, 60, 160, Rgb(120, 200, 210), Rgb(30, 60, 120), Rgb(90, 200, 255), 5, 1.0f);
  Planet(im, 70, 262, 30, Rgb(200, 190, 180), Rgb(90, 84, 80), Rgb(120, 120, 130), 9, 0.9f);
  return im;
}

Image StageBackground() {
  Image im(640, 480);
  // Mostly transparent black, so sprites stand out and the text drawn before it shows through.
  Planet(im, 70, 560, 190, Rgb(70, 120, 130), Rgb(24, 40, 60), Rgb(60, 130, 170), 3, 0.75f);
  // Faint clouds at the top right and a small far galaxy; their thin edges are dithered, so they fade
  // out against the transparent black instead of ending in a hard rim.
  static const float bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  auto dither = [&](int x, int y) { return (bayer[y & 3][x & 3] + 0.5f) / 16; };
  for (int y = 0; y < 220; ++y)
    for (int x = 360; x < 640; ++x) {
      float n = Fbm(x / 110.0f, y / 80.0f, 41, 5);
      float edge = SmoothStep(360, 560, float(x)) * (1 - SmoothStep(110, 220, float(y)));
      float d = Clamp01((n - 0.42f) * 2.6f * edge);
      if (d * 3 < dither(x, y)) continue;
      Color c = Mix(Rgb(34, 20, 64), Rgb(110, 52, 150), d);
      im.Plot(x, y, c);
    }
  for (int y = 30; y < 120; ++y)
    for (int x = 30; x < 180; ++x) {
      float dx = (x - 100) / 60.0f, dy = (y - 72) / 24.0f;
      float r = std::hypot(dx, dy);
      float a = std::atan2(dy, dx);
      float arm = 0.5f + 0.5f * std::cos(2 * a - 7 * r);
      float v = std::exp(-r * 2.4f) * (0.35f + 0.65f * arm) + std::exp(-r * r * 40);
      if (r > 1 || v * 4 < dither(x, y) + 0.5f) continue;
      Color c = Mix(Rgb(60, 70, 130), Rgb(255, 236, 200), Clamp01(v - 0.1f));
      im.Plot(x, y, Scale(c, Clamp01(0.3f + v)));
    }
  Starfield(im, 1234, 300, 0.2f, 0.85f, 150, 190, 500, 290);
  return im;
}

}  // namespace

std::vector<Picture> PaintPictures() {
  std::vector<Picture> pictures;
  pictures.push_back({"TITLE.BMP", Logo()});
  pictures.push_back({"CHARA.BMP", Ship(1)});
  pictures.push_back({"TAMA.BMP", Shot()});
  const int enemyFrames = EnemyFramesNeeded(kSettings);
  Image enemies(50, 50 * enemyFrames);
  for (int f = 0; f < enemyFrames; ++f) enemies.Blit(EnemyFrame(f), 0, 50 * f);
  pictures.push_back({"TEKI.BMP", enemies});
  pictures.push_back({"HIT.BMP", HitBanner()});
  pictures.push_back({"END.BMP", Result()});
  pictures.push_back({"HAIKEI.BMP", StageBackground()});
  const int bossFrames = BossFramesNeeded(kSettings);
  Image boss(200, 100 * bossFrames);
  for (int f = 0; f < bossFrames; ++f) boss.Blit(BossFrame(f), 0, 100 * f);
  pictures.push_back({"BOS.BMP", boss});
  pictures.push_back({"STAF.BMP", Staff()});
  pictures.push_back({"BOST.BMP", Beam()});
  pictures.push_back({"TITLEB.BMP", TitleBackground()});
  return pictures;
}

}  // namespace art
