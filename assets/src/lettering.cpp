// Stroke letters on a grid where capitals stand 7 units high; lower case has its x-height at 2.5.
// Each glyph is a path: "M x,y" starts a stroke, "L x,y" draws a line to a point, and
// "A cx,cy,rx,ry,from,to" sweeps an elliptic arc (degrees, 0 right, 90 down) on from the pen.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "raster.h"

namespace art {
namespace {

struct Glyph {
  float width;
  const char* path;
};

const std::map<char, Glyph>& Glyphs() {
  static const std::map<char, Glyph> glyphs = {
      {'A', {5, "M0,7 L2.5,0 L5,7 M1,4.6 L4,4.6"}},
      {'B', {4.6f, "M0,3.4 L2.9,3.4 A2.9,1.7,1.7,1.7,90,-90 L0,0 L0,7 L2.9,7 A2.9,5.2,1.7,1.8,90,-90 L2.9,3.4"}},
      {'C', {5, "A2.9,3.5,2.9,3.5,-45,-315"}},
      {'D', {4.8f, "M0,0 L0,7 L1.4,7 A1.4,3.5,3.4,3.5,90,-90 L0,0"}},
      {'E', {4.2f, "M4.2,0 L0,0 L0,7 L4.2,7 M0,3.4 L3.2,3.4"}},
      {'F', {4.2f, "M4.2,0 L0,0 L0,7 M0,3.4 L3.2,3.4"}},
      {'G', {5.4f, "A2.9,3.5,2.9,3.5,-45,-360 L3.2,3.5"}},
      {'H', {4.6f, "M0,0 L0,7 M4.6,0 L4.6,7 M0,3.5 L4.6,3.5"}},
      {'I', {0, "M0,0 L0,7"}},
      {'J', {4, "M4,0 L4,5 A2,5,2,2,0,180"}},
      {'K', {4.6f, "M0,0 L0,7 M4.6,0 L0,4.2 M1.6,2.9 L4.6,7"}},
      {'L', {4, "M0,0 L0,7 L4,7"}},
      {'M', {5.6f, "M0,7 L0,0 L2.8,4.6 L5.6,0 L5.6,7"}},
      {'N', {4.6f, "M0,7 L0,0 L4.6,7 L4.6,0"}},
      {'O', {5.8f, "A2.9,3.5,2.9,3.5,0,360"}},
      {'P', {4.6f, "M0,7 L0,0 L2.7,0 A2.7,1.9,1.9,1.9,-90,90 L0,3.8"}},
      {'Q', {5.8f, "A2.9,3.5,2.9,3.5,0,360 M3.4,5 L5.8,7.4"}},
      {'R', {4.6f, "M0,7 L0,0 L2.7,0 A2.7,1.9,1.9,1.9,-90,90 L0,3.8 M2.4,3.8 L4.6,7"}},
      {'S', {4.6f, "A2.3,1.75,2.3,1.75,-25,-270 A2.3,5.25,2.3,1.75,-90,155"}},
      {'T', {5, "M0,0 L5,0 M2.5,0 L2.5,7"}},
      {'U', {4.6f, "M0,0 L0,4.7 A2.3,4.7,2.3,2.3,180,0 L4.6,0"}},
      {'V', {5, "M0,0 L2.5,7 L5,0"}},
      {'W', {7, "M0,0 L1.75,7 L3.5,1.8 L5.25,7 L7,0"}},
      {'X', {4.8f, "M0,0 L4.8,7 M4.8,0 L0,7"}},
      {'Y', {5, "M0,0 L2.5,3.6 L5,0 M2.5,3.6 L2.5,7"}},
      {'Z', {4.6f, "M0,0 L4.6,0 L0,7 L4.6,7"}},
      {'a', {4.2f, "A2.1,4.75,2.1,2.25,0,360 M4.2,2.5 L4.2,7"}},
      {'d', {4.2f, "A2.1,4.75,2.1,2.25,0,360 M4.2,0 L4.2,7"}},
      {'e', {4.3f, "M0,4.7 L4.3,4.7 A2.15,4.75,2.15,2.25,0,-315"}},
      {'i', {0, "M0,2.5 L0,7 M0,0.5 L0,0.6"}},
      {'r', {2.9f, "M0,2.5 L0,7 M0,5 A2.5,5,2.5,2.5,180,285"}},
      {'!', {0, "M0,0 L0,4.8 M0,6.8 L0,6.9"}},
      {'-', {3, "M0,3.6 L3,3.6"}},
      {',', {0.8f, "M0.8,6.6 L0,8.2"}},
      {'.', {0, "M0,6.8 L0,6.9"}},
      {' ', {2.6f, ""}},
  };
  return glyphs;
}

struct Segment {
  float x0, y0, x1, y1;
};

// The glyph's strokes in glyph units, offset by `ox`.
void Strokes(const char* path, float ox, std::vector<Segment>& out) {
  std::istringstream in(path);
  std::string token;
  float px = 0, py = 0;
  while (in >> token) {
    char op = token[0];
    std::vector<float> v;
    std::stringstream nums(token.substr(1));
    for (std::string n; std::getline(nums, n, ',');) v.push_back(std::stof(n));
    if (op == 'M') {
      px = v[0] + ox;
      py = v[1];
    } else if (op == 'L') {
      out.push_back({px, py, v[0] + ox, v[1]});
      px = v[0] + ox;
      py = v[1];
    } else if (op == 'A') {
      float cx = v[0] + ox, cy = v[1], rx = v[2], ry = v[3], a0 = v[4], a1 = v[5];
      int steps = std::max(8, int(std::fabs(a1 - a0) / 8));
      for (int i = 0; i <= steps; ++i) {
        float a = (a0 + (a1 - a0) * i / steps) * 3.14159265f / 180;
        float x = cx + rx * std::cos(a), y = cy + ry * std::sin(a);
        if (i > 0) out.push_back({px, py, x, y});
        px = x;
        py = y;
      }
    }
  }
}

float Layout(const std::string& text, const TextStyle& style, std::vector<Segment>* segments) {
  float ox = 0;
  bool first = true;
  char previous = 0;
  for (char ch : text) {
    auto it = Glyphs().find(ch);
    if (it == Glyphs().end()) {
      std::fprintf(stderr, "no glyph for '%c'\n", ch);
      continue;
    }
    if (!first) ox += style.spacing;
    // An L leaves open space over its foot: let the next top-heavy letter move in.
    if (previous == 'L' && (ch == 'T' || ch == 'V' || ch == 'Y' || ch == 'W')) ox -= 2.2f;
    first = false;
    previous = ch;
    if (segments) Strokes(it->second.path, ox, *segments);
    ox += it->second.width;
  }
  return ox;
}

}  // namespace

float TextWidth(const std::string& text, const TextStyle& style) {
  float unit = style.capHeight / 7;
  return Layout(text, style, nullptr) * unit + style.stroke;
}

Shape TextShape(const std::string& text, float x, float y, const TextStyle& style, float* width) {
  std::vector<Segment> units;
  float w = Layout(text, style, &units);
  float unit = style.capHeight / 7, half = style.stroke / 2;
  float left = x + half, top = y + half;
  std::vector<Segment> px;
  for (const Segment& s : units)
    px.push_back({left + s.x0 * unit, top + s.y0 * unit, left + s.x1 * unit, top + s.y1 * unit});
  if (width) *width = w * unit + style.stroke;
  return [px, half](float qx, float qy) {
    float best = 1e30f;
    for (const Segment& s : px) {
      float ex = s.x1 - s.x0, ey = s.y1 - s.y0, wx = qx - s.x0, wy = qy - s.y0;
      // Cheap reject before the square root.
      float len2 = ex * ex + ey * ey;
      float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
      float dx = wx - ex * t, dy = wy - ey * t;
      best = std::min(best, dx * dx + dy * dy);
    }
    return std::sqrt(best) - half;
  };
}

}  // namespace art
