// The vector rows of the blending effects, written once over a vector type `V` (its lanes are 16-bit pixels)
// and compiled once for each width: effects.cpp includes this file inside a namespace that defines `V`.
// No include guard, on purpose.

// The channel constants of the display's format, in every lane; a few instructions, made once a row.
struct Format {
  V::T mask[3], outside[3], fromChannel[3], all;
  __m128i shift[3];
  explicit Format(const PixelFormatInfo& f) {
    const DWORD masks[3] = {f.redMask, f.greenMask, f.blueMask};
    const int shifts[3] = {f.redShift, f.greenShift, f.blueShift};
    for (int c = 0; c < 3; ++c) {
      mask[c] = V::Set(uint16_t(masks[c]));
      outside[c] = V::Set(uint16_t(~masks[c]));
      fromChannel[c] = V::Set(uint16_t(0xFFFFu << shifts[c]));
      shift[c] = _mm_cvtsi32_si128(shifts[c]);
    }
    all = V::Set(uint16_t(f.redMask | f.greenMask | f.blueMask));
  }
};

// Runs `kernel(s, d)` over a row. With `kZeroKeeps` the kernel is known to give d where s is 0; otherwise d
// is kept there. The whole row takes the vector path: a row's last step overlaps the one before, and is
// worked out first, from the destination as it was, so that the pixels both steps cover come out the same; a
// row shorter than a step goes through a padded copy.
template <bool kZeroKeeps, class K>
int Row(uint16_t* d, const uint16_t* s, int n, K kernel) {
  auto value = [&](const uint16_t* from, const uint16_t* to) {
    const V::T vs = V::Load(from), vd = V::Load(to), out = kernel(vs, vd);
    return kZeroKeeps ? out : V::Select(V::Equal(vs, V::Zero()), vd, out);
  };
  if (n < V::kWidth) {
    uint16_t ts[V::kWidth] = {}, td[V::kWidth] = {};
    for (int k = 0; k < n; ++k) ts[k] = s[k], td[k] = d[k];
    V::Store(td, value(ts, td));
    for (int k = 0; k < n; ++k) d[k] = td[k];
    return n;
  }
  const int last = n - V::kWidth;
  const V::T lastStep = value(s + last, d + last);
  for (int i = 0; i < last; i += V::kWidth) V::Store(d + i, value(s + i, d + i));
  V::Store(d + last, lastStep);
  return n;
}

int HalfRow(uint16_t* d, const uint16_t* s, int n, uint16_t half) {
  const V::T h = V::Set(half);
  return Row<false>(d, s, n, [&](V::T vs, V::T vd) {
    return V::Add(V::And(V::Srli1(vs), h), V::And(V::Srli1(vd), h));
  });
}

// Each channel saturates on its own: with every bit outside the channel set in d, an unsigned saturating add
// reaches 0xFFFF exactly when the channel's sum reaches its max.
int AddRow(uint16_t* d, const uint16_t* s, int n, bool zeroKeeps) {
  const Format f(pixelFormat);
  auto kernel = [&](V::T vs, V::T vd) {
    auto channel = [&](int c) { return V::And(V::AddsU(V::And(vs, f.mask[c]), V::Or(vd, f.outside[c])), f.mask[c]); };
    return V::Or(V::Or(channel(0), channel(1)), channel(2));
  };
  return zeroKeeps ? Row<true>(d, s, n, kernel) : Row<false>(d, s, n, kernel);
}

// The source's red, moved to each channel's place, taken off with unsigned saturation.
int SubtractRow(uint16_t* d, const uint16_t* s, int n, bool zeroKeeps) {
  const Format f(pixelFormat);
  auto kernel = [&](V::T vs, V::T vd) {
    const V::T red = V::Srl(V::And(vs, f.mask[0]), f.shift[0]);
    auto channel = [&](int c) { return V::SubsU(V::And(vd, f.mask[c]), V::Sll(red, f.shift[c])); };
    return V::Or(V::Or(channel(0), channel(1)), channel(2));
  };
  return zeroKeeps ? Row<true>(d, s, n, kernel) : Row<false>(d, s, n, kernel);
}

int MaskRow(uint16_t* d, const uint16_t* s, int n, uint16_t mask) {
  const V::T m = V::Set(mask);
  return Row<false>(d, s, n, [&](V::T vs, V::T) { return V::And(vs, m); });
}

// d + floor((s - d) * n / 2^14) per channel, n being each channel's fixed-point weight. The channels' new
// values, each in its place, add up to the pixel. Green and blue must be `LowInPlace`.
int AlphaRow(uint16_t* d, const uint16_t* s, int n, const int* weight) {
  const Format f(pixelFormat);
  const V::T w[3] = {V::Set(uint16_t(weight[0])), V::Set(uint16_t(weight[1])), V::Set(uint16_t(weight[2]))};
  return Row<false>(d, s, n, [&](V::T vs, V::T vd) {
    auto change = [&](int c) {
      const V::T sc = V::Srl(V::And(vs, f.mask[c]), f.shift[c]), dc = V::Srl(V::And(vd, f.mask[c]), f.shift[c]);
      // (delta * 4) * n / 2^16 is delta * n / 2^14, floored.
      return V::Sll(V::MulHi(V::Slli2(V::Sub(sc, dc)), w[c]), f.shift[c]);
    };
    // The same for a channel whose difference, left in its place and times four, fits in 16 signed bits:
    // floor(delta * n / 2^(14 - shift)) with the bits below the channel cut off is the floor above, shifted.
    auto changeInPlace = [&](int c) {
      return V::And(V::MulHi(V::Slli2(V::Sub(V::And(vs, f.mask[c]), V::And(vd, f.mask[c]))), w[c]), f.fromChannel[c]);
    };
    return V::Add(V::Add(V::And(vd, f.all), change(0)), V::Add(changeInPlace(1), changeInPlace(2)));
  });
}
