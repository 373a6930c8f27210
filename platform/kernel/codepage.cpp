#include "codepage.h"

#include <iconv.h>

#include <cerrno>

namespace platform {

namespace {

std::string Convert(const char* to, const char* from, const std::string& text, const std::string& replacement,
                    size_t skip) {
  iconv_t cd = iconv_open(to, from);
  if (cd == (iconv_t)-1) return text;
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buffer, o - buffer);
    if (r == size_t(-1) && errno != E2BIG) {
      // Skip one bad unit and go on.
      out += replacement;
      size_t n = std::min(skip, inLeft);
      if (errno == EILSEQ && skip > 1) {
        // a UTF-8 sequence: skip its continuation bytes too
        n = 1;
        while (n < inLeft && (static_cast<unsigned char>(in[n]) & 0xC0) == 0x80) ++n;
      }
      in += n;
      inLeft -= n;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) { return Convert("UTF-8", "CP932", text, "\xEF\xBF\xBD", 1); }

std::string Utf8ToCp932(const std::string& text) { return Convert("CP932", "UTF-8", text, "?", 2); }

int DecodeCp932(const char* text, int length, char32_t* code) {
  if (length <= 0) return 0;
  unsigned char c = static_cast<unsigned char>(text[0]);
  if (c < 0x80) {
    *code = c;
    return 1;
  }
  int n = IsCp932Lead(c) ? 2 : 1;
  *code = kCp932Default;
  if (n > length) return 1;
  static iconv_t cd = iconv_open("UTF-32LE", "CP932");
  if (cd == (iconv_t)-1) return 1;
  unsigned char out[8];
  char* in = const_cast<char*>(text);
  size_t inLeft = size_t(n);
  char* o = reinterpret_cast<char*>(out);
  size_t oLeft = sizeof out;
  size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (r == size_t(-1) || inLeft != 0 || sizeof out - oLeft != 4) return 1;
  *code = char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 | char32_t(out[3]) << 24;
  return n;
}

}  // namespace platform
