#include "raster.h"

#include <algorithm>
#include <cmath>

namespace art {

Color Rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
Color Mix(Color a, Color b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Color Scale(Color c, float k) { return {c.r * k, c.g * k, c.b * k}; }
Color Add(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float SmoothStep(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

Shape Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
  // Scaled-circle distance, corrected by the gradient length: close enough at sprite sizes.
  return [=](float x, float y) {
    float nx = (x - cx) / rx, ny = (y - cy) / ry;
    float k = std::hypot(nx, ny);
    float grad = std::hypot(nx / rx, ny / ry);
    if (k < 1e-6f) return -std::min(rx, ry);
    return (k - 1) * k / std::max(grad, 1e-6f);
  };
}

Shape Box(float left, float top, float right, float bottom, float radius) {
  float cx = (left + right) / 2, cy = (top + bottom) / 2;
  float hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
  };
}

Shape Polygon(std::vector<Vec> v) {
  return [v](float x, float y) {
    float d = 1e30f, s = 1;
    for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
      float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
      float wx = x - v[i].x, wy = y - v[i].y;
      float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
      float bx = wx - ex * t, by = wy - ey * t;
      d = std::min(d, bx * bx + by * by);
      bool c1 = y >= v[i].y, c2 = y < v[j].y, c3 = ex * wy > ey * wx;
      if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
  };
}

Shape Capsule(float x0, float y0, float x1, float y1, float radius) {
  return [=](float x, float y) {
    float ex = x1 - x0, ey = y1 - y0, wx = x - x0, wy = y - y0;
    float len2 = ex * ex + ey * ey;
    float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
    return std::hypot(wx - ex * t, wy - ey * t) - radius;
  };
}

Shape Union(Shape a, Shape b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Shape Subtract(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Shape Intersect(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
Shape Grow(Shape a, float by) {
  return [=](float x, float y) { return a(x, y) - by; };
}

std::vector<Vec> MirrorX(const std::vector<Vec>& points, float axis) {
  std::vector<Vec> out;
  for (auto it = points.rbegin(); it != points.rend(); ++it) out.push_back({2 * axis - it->x, it->y});
  return out;
}

Paint Solid(Color c) {
  return [=](float, float) { return c; };
}

Paint Bevel(Shape shape, Paint base, float width, float strength) {
  return [=](float x, float y) {
    Color c = base(x, y);
    float d = shape(x, y);
    float depth = Clamp01(-d / width);
    if (depth >= 1) return c;
    const float h = 0.35f;
    float gx = shape(x + h, y) - shape(x - h, y), gy = shape(x, y + h) - shape(x, y - h);
    float len = std::hypot(gx, gy);
    if (len < 1e-6f) return c;
    // Outward normal against a light from the upper left.
    float light = -(gx * -0.7071f + gy * -0.7071f) / len;
    float k = light * strength * (1 - depth);
    if (k > 0) return Mix(c, {1, 1, 1}, k);
    return Scale(c, 1 + k);
  };
}

Paint VerticalGradient(float y0, Color c0, float y1, Color c1) {
  return [=](float, float y) { return Mix(c0, c1, Clamp01((y - y0) / (y1 - y0))); };
}

Paint RadialGradient(float cx, float cy, float r, Color inner, Color outer) {
  return [=](float x, float y) { return Mix(inner, outer, Clamp01(std::hypot(x - cx, y - cy) / r)); };
}

Image::Image(int width, int height, float zoom)
    : width_(width), height_(height), zoom_(zoom), premul_(size_t(width) * height), alpha_(size_t(width) * height, 0) {}

void Image::Fill(const Shape& shape, const Paint& paint, float opacity, int samples) {
  for (int py = 0; py < height_; ++py) {
    for (int px = 0; px < width_; ++px) {
      float cx = (px + 0.5f) / zoom_, cy = (py + 0.5f) / zoom_;
      // Pixels well away from the edge need one sample.
      float d = shape(cx, cy) * zoom_;
      if (d > 1.0f) continue;
      float cover = 0;
      Color sum;
      if (d < -1.0f) {
        cover = 1;
        sum = paint(cx, cy);
      } else {
        int hits = 0;
        for (int sy = 0; sy < samples; ++sy)
          for (int sx = 0; sx < samples; ++sx) {
            float x = (px + (sx + 0.5f) / samples) / zoom_, y = (py + (sy + 0.5f) / samples) / zoom_;
            if (shape(x, y) < 0) {
              ++hits;
              sum = Add(sum, paint(x, y));
            }
          }
        if (hits == 0) continue;
        cover = float(hits) / (samples * samples);
        sum = Scale(sum, 1.0f / hits);
      }
      Plot(px, py, sum, cover * opacity);
    }
  }
}

void Image::Glow(const Shape& shape, Color color, float radius, float strength) {
  for (int py = 0; py < height_; ++py)
    for (int px = 0; px < width_; ++px) {
      size_t i = size_t(py) * width_ + px;
      float d = shape(px + 0.5f, py + 0.5f);
      if (d > radius) continue;
      float k = strength * (d <= 0 ? 1 : 1 - d / radius);
      k *= k > 0 ? 1 : 0;
      premul_[i] = Add(premul_[i], Scale(color, k * std::max(alpha_[i], 0.0f)));
    }
}

void Image::Plot(int x, int y, Color c, float alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
  size_t i = size_t(y) * width_ + x;
  alpha = std::min(alpha, 1.0f);
  premul_[i] = Add(Scale(c, alpha), Scale(premul_[i], 1 - alpha));
  alpha_[i] = alpha + alpha_[i] * (1 - alpha);
}

void Image::Blit(const Image& source, int dx, int dy) {
  for (int y = 0; y < source.height_; ++y)
    for (int x = 0; x < source.width_; ++x) {
      int tx = dx + x, ty = dy + y;
      if (tx < 0 || ty < 0 || tx >= width_ || ty >= height_) continue;
      size_t s = size_t(y) * source.width_ + x, t = size_t(ty) * width_ + tx;
      premul_[t] = source.premul_[s];
      alpha_[t] = source.alpha_[s];
    }
}

Color Image::At(int x, int y) const {
  size_t i = size_t(y) * width_ + x;
  return alpha_[i] > 0 ? Scale(premul_[i], 1 / alpha_[i]) : Color{};
}

float Image::AlphaAt(int x, int y) const { return alpha_[size_t(y) * width_ + x]; }

std::vector<uint8_t> Image::Pixels() const {
  std::vector<uint8_t> out(size_t(width_) * height_ * 3, 0);
  for (size_t i = 0; i < alpha_.size(); ++i) {
    if (alpha_[i] < 0.5f) continue;
    Color c = Scale(premul_[i], 1 / alpha_[i]);
    int v[3] = {int(std::lround(Clamp01(c.r) * 255)), int(std::lround(Clamp01(c.g) * 255)),
                int(std::lround(Clamp01(c.b) * 255))};
    // Seen on a 16-bit display, each channel loses its low three bits: lift the darkest colours so
    // that they stay colours and do not turn into the transparent black.
    int top = std::max({v[0], v[1], v[2]});
    if (top < 8) {
      for (int& ch : v) ch = top > 0 ? (ch * 8 + top - 1) / top : 8;
    }
    out[i * 3] = uint8_t(v[0]);
    out[i * 3 + 1] = uint8_t(v[1]);
    out[i * 3 + 2] = uint8_t(v[2]);
  }
  return out;
}

static void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
static void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

std::vector<uint8_t> EncodeBmp(int width, int height, const std::vector<uint8_t>& rgb) {
  uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
  uint32_t imageSize = stride * height;
  std::vector<uint8_t> b;
  b.reserve(54 + imageSize);
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + imageSize);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);  // BITMAPINFOHEADER
  Put32(b, uint32_t(width));
  Put32(b, uint32_t(height));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);  // BI_RGB
  Put32(b, imageSize);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* row = &rgb[size_t(y) * width * 3];
    for (int x = 0; x < width; ++x) {
      b.push_back(row[x * 3 + 2]);
      b.push_back(row[x * 3 + 1]);
      b.push_back(row[x * 3]);
    }
    for (uint32_t p = uint32_t(width) * 3; p < stride; ++p) b.push_back(0);
  }
  return b;
}

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

static float Lattice(int x, int y, uint32_t seed) {
  return (Hash(uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ seed) & 0xFFFF) / 65535.0f;
}

float ValueNoise(float x, float y, uint32_t seed) {
  int ix = int(std::floor(x)), iy = int(std::floor(y));
  float fx = x - ix, fy = y - iy;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  float a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
  float c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
  return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * ValueNoise(x, y, seed + i * 101);
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

uint32_t Random::Next() {
  state_ = state_ * 1664525u + 1013904223u;
  return Hash(state_);
}

float Random::Uniform(float lo, float hi) { return lo + (hi - lo) * ((Next() & 0xFFFFFF) / 16777216.0f); }

}  // namespace art
