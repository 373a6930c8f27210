// A small software painter for the game's pictures: shapes are signed distance functions, painted with
// supersampling onto premultiplied colour, then reduced to the 24-bit pixels the game loads.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace art {

struct Color {
  float r = 0, g = 0, b = 0;
};

Color Rgb(int r, int g, int b);
Color Mix(Color a, Color b, float t);
Color Scale(Color c, float k);
Color Add(Color a, Color b);
float Clamp01(float v);
float SmoothStep(float e0, float e1, float x);

struct Vec {
  float x = 0, y = 0;
};

// Signed distance in pixels: negative inside.
using Shape = std::function<float(float x, float y)>;
using Paint = std::function<Color(float x, float y)>;

Shape Circle(float cx, float cy, float r);
Shape Ellipse(float cx, float cy, float rx, float ry);
Shape Box(float left, float top, float right, float bottom, float radius = 0);
Shape Polygon(std::vector<Vec> points);
Shape Capsule(float x0, float y0, float x1, float y1, float radius);
Shape Union(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Grow(Shape a, float by);
// Mirror image about the vertical line x = axis (for symmetric sprites).
std::vector<Vec> MirrorX(const std::vector<Vec>& points, float axis);

Paint Solid(Color c);
// Lit from the top left: the rim within `width` of the edge gets brighter or darker by its slope.
Paint Bevel(Shape shape, Paint base, float width, float strength = 0.6f);
Paint VerticalGradient(float y0, Color c0, float y1, Color c1);
Paint RadialGradient(float cx, float cy, float r, Color inner, Color outer);

class Image {
 public:
  // `zoom` device pixels to a unit of the shapes and paints that Fill is given (an icon at any size).
  Image(int width, int height, float zoom = 1.0f);
  int width() const { return width_; }
  int height() const { return height_; }
  // Coverage-weighted "over" of `paint` inside `shape`; `opacity` scales it.
  void Fill(const Shape& shape, const Paint& paint, float opacity = 1.0f, int samples = 4);
  // Adds light (a glow) without changing coverage of transparent pixels below `minAlpha`.
  void Glow(const Shape& shape, Color color, float radius, float strength);
  void Plot(int x, int y, Color c, float alpha = 1.0f);
  void Blit(const Image& source, int dx, int dy);
  Color At(int x, int y) const;
  float AlphaAt(int x, int y) const;

  // The 24-bit pixels: a pixel under half coverage is pure black (the transparent colour); every other
  // pixel is kept visible, so that its 16-bit reduction is never 0.
  std::vector<uint8_t> Pixels() const;

 private:
  int width_, height_;
  float zoom_;
  std::vector<Color> premul_;
  std::vector<float> alpha_;
};

// Bottom-up 24-bit BMP file of `pixels` (RGB rows, top first).
std::vector<uint8_t> EncodeBmp(int width, int height, const std::vector<uint8_t>& rgb);

// Deterministic noise for stars and clouds.
uint32_t Hash(uint32_t x);
float ValueNoise(float x, float y, uint32_t seed);
float Fbm(float x, float y, uint32_t seed, int octaves);

class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  uint32_t Next();
  float Uniform(float lo, float hi);

 private:
  uint32_t state_;
};

// Stroke lettering, for the logo, banners and credits.
struct TextStyle {
  float capHeight = 14;  // pixels
  float stroke = 3;      // pixels
  float spacing = 1.6f;  // glyph units between letters
};
// The outline of `text` laid out with its top-left at (x, y); width in pixels goes to `width`.
Shape TextShape(const std::string& text, float x, float y, const TextStyle& style, float* width = nullptr);
float TextWidth(const std::string& text, const TextStyle& style);

}  // namespace art
