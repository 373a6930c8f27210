// The row of a colour-keyed blit: every source pixel but the key is copied. The plain loop is what the fast
// one must match.
#pragma once
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
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

inline void KeyedRow(uint16_t* __restrict d, const uint16_t* __restrict s, int n, uint16_t key) {
#ifdef __SSE2__
  KeyedRowFast(d, s, n, key);
#else
  KeyedRowPlain(d, s, n, key);
#endif
}

}  // namespace platform
