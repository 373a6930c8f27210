// The row of a colour-keyed blit: every source pixel but the key is copied. The plain loop is what the fast
// one must match.
#pragma once
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#define PLATFORM_AVX2 1
#include <immintrin.h>
#endif

namespace platform {

inline void KeyedRowPlain(uint16_t* __restrict d, const uint16_t* __restrict s, int n, uint16_t key) {
  for (int i = 0; i < n; ++i)
    if (s[i] != key) d[i] = s[i];
}

#ifdef __SSE2__
// Eight pixels at a time, blended with the destination by the key's mask; no branch for the picture to
// mispredict.
inline void KeyedRowFast(uint16_t* __restrict d, const uint16_t* __restrict s, int n, uint16_t key) {
  const __m128i k = _mm_set1_epi16(short(key));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    __m128i* to = reinterpret_cast<__m128i*>(d + i);
    const __m128i transparent = _mm_cmpeq_epi16(v, k);
    const __m128i old = _mm_loadu_si128(to);
    _mm_storeu_si128(to, _mm_or_si128(_mm_and_si128(transparent, old), _mm_andnot_si128(transparent, v)));
  }
  KeyedRowPlain(d + i, s + i, n - i, key);
}
#endif

#ifdef PLATFORM_AVX2
// Sixteen at a time where the processor can; the rest of the row as above.
__attribute__((target("avx2"))) inline void KeyedRowAvx2(uint16_t* __restrict d, const uint16_t* __restrict s, int n,
                                                         uint16_t key) {
  const __m256i k = _mm256_set1_epi16(short(key));
  int i = 0;
  auto sixteen = [&](int at) __attribute__((target("avx2"))) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + at));
    __m256i* to = reinterpret_cast<__m256i*>(d + at);
    _mm256_storeu_si256(to, _mm256_blendv_epi8(v, _mm256_loadu_si256(to), _mm256_cmpeq_epi16(v, k)));
  };
  for (; i + 32 <= n; i += 32) sixteen(i), sixteen(i + 16);
  for (; i + 16 <= n; i += 16) sixteen(i);
  KeyedRowFast(d + i, s + i, n - i, key);
}

inline bool HasAvx2() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return has;
}
#endif

inline void KeyedRow(uint16_t* __restrict d, const uint16_t* __restrict s, int n, uint16_t key) {
#ifdef PLATFORM_AVX2
  if (HasAvx2()) return KeyedRowAvx2(d, s, n, key);
#endif
#ifdef __SSE2__
  KeyedRowFast(d, s, n, key);
#else
  KeyedRowPlain(d, s, n, key);
#endif
}

}  // namespace platform
