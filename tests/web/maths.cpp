// The maths the game and the platform ask for, over the inputs they use, written as raw doubles: once as the
// program computes them (the platform's, through the same --wrap as the program) and once as the C library
// does. scripts/web-check builds it natively and in WebAssembly and compares the files.
//   maths OWN-FILE LIBRARY-FILE
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>

extern "C" double __real_sin(double);
extern "C" double __real_cos(double);
extern "C" double __real_exp(double);
extern "C" double __real_hypot(double, double);

namespace {

std::FILE* own;
std::FILE* library;
void Put(std::FILE* f, double v) { std::fwrite(&v, sizeof v, 1, f); }

uint64_t state = 88172645463325252ull;
double Uniform(double low, double high) {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return low + (high - low) * double(state >> 11) * 0x1p-53;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || !(own = std::fopen(argv[1], "wb")) || !(library = std::fopen(argv[2], "wb"))) return 2;
  const double kPi = 3.14159265358979323846;
  // The tables and waves by whole degrees, text by tenths, the ship's orbit in radians, the ripple's cos
  // and exp, and the curves' lengths between whole points.
  for (int i = -3600; i <= 3600; i++) {
    for (double a : {2.0 * kPi * i / 360.0, 2.0 * 3.14159265 * i / 360.0, i / 10.0 * kPi / 180.0}) {
      Put(own, std::sin(a)), Put(own, std::cos(a));
      Put(library, __real_sin(a)), Put(library, __real_cos(a));
    }
  }
  for (int i = 0; i < 200000; i++) {
    double a = Uniform(-360, 360) * 0.01745328888888889, c = Uniform(0, 40), e = Uniform(-1, 1);
    Put(own, std::sin(a)), Put(own, std::cos(a)), Put(own, std::cos(c)), Put(own, std::exp(e));
    Put(library, __real_sin(a)), Put(library, __real_cos(a)), Put(library, __real_cos(c)), Put(library, __real_exp(e));
  }
  for (int x = -200; x <= 200; x++)
    for (int y = -200; y <= 200; y++) Put(own, std::hypot(x, y)), Put(library, __real_hypot(x, y));
  return std::fclose(own) == 0 && std::fclose(library) == 0 ? 0 : 1;
}
