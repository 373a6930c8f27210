// Code page 932 in the browser. Its iconv knows Shift-JIS but not the code page: it maps seven codes of row 81
// otherwise, lacks the vendor rows 87, ED, EE and FA to FC and the user-defined rows F0 to F9, and makes up
// characters in EB, EC and EF. Those are decoded here; the rest goes through iconv, as natively.
#include <iconv.h>

#include <algorithm>

#include "kernel/codepage.h"

namespace platform {

namespace {

#include "cp932_rows.inc"

struct Pair {
  unsigned short code;
  char16_t unicode;
};
// Row 81: where Shift-JIS takes the JIS characters and the code page the full-width ones.
constexpr Pair kRow81[] = {{0x815F, 0xFF3C}, {0x8160, 0xFF5E}, {0x8161, 0x2225}, {0x817C, 0xFF0D},
                           {0x8191, 0xFFE0}, {0x8192, 0xFFE1}, {0x81CA, 0xFFE2}};

int TrailIndex(unsigned char t) { return t < 0x40 || t == 0x7F || t > 0xFC ? -1 : t - 0x40 - (t > 0x7F); }

// The code page's own answer for a double-byte code: a code point, 0 for none, or -1 where iconv knows it.
long Special(unsigned char lead, unsigned char trail) {
  int index = TrailIndex(trail);
  if (index < 0) return 0;
  unsigned code = lead << 8 | trail;
  for (const Pair& p : kRow81)
    if (p.code == code) return p.unicode;
  for (int r = 0; r < int(sizeof kVendorLeads); ++r)
    if (kVendorLeads[r] == lead) return kVendorRows[r][index];
  if (lead >= 0xF0 && lead <= 0xF9) return 0xE000 + (lead - 0xF0) * 188 + index;  // user-defined characters
  if (lead == 0xEB || lead == 0xEC || lead == 0xEF) return 0;
  return -1;
}

// The bytes of a code point the special rows hold, or 0. Where rows share a character the code page takes
// NEC's row 87 before IBM's rows, and those before NEC's selection of them.
unsigned SpecialCode(char32_t c) {
  if (c >= 0xE000 && c < 0xE000 + 10 * 188) {
    int lead = 0xF0 + int(c - 0xE000) / 188, index = int(c - 0xE000) % 188;
    return lead << 8 | (index + 0x40 + (index >= 0x3F));
  }
  for (const Pair& p : kRow81)
    if (p.unicode == c) return p.code;
  for (int r : {0, 3, 4, 5, 1, 2})
    for (int i = 0; i < 188; ++i)
      if (kVendorRows[r][i] == c) return kVendorLeads[r] << 8 | (i + 0x40 + (i >= 0x3F));
  return 0;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6), out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12), out += char(0x80 | (c >> 6 & 0x3F)), out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18), out += char(0x80 | (c >> 12 & 0x3F)), out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// One unit through iconv; false where it has no answer.
bool Iconv(iconv_t cd, const char* in, size_t size, char* out, size_t* outSize) {
  if (cd == (iconv_t)-1) return false;
  char* i = const_cast<char*>(in);
  char* o = out;
  size_t left = *outSize;
  size_t r = iconv(cd, &i, &size, &o, &left);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  *outSize -= left;
  return r != size_t(-1) && size == 0;
}

// The character at `text`: its bytes, or 0 for a bad unit (of one byte).
int Decode(const char* text, int length, char32_t* code) {
  unsigned char c = static_cast<unsigned char>(text[0]);
  if (c < 0x80) {
    *code = c;
    return 1;
  }
  int n = IsCp932Lead(c) ? 2 : 1;
  if (n > length) return 0;
  if (n == 2) {
    long special = Special(c, static_cast<unsigned char>(text[1]));
    if (special >= 0) {
      *code = char32_t(special);
      return special ? 2 : 0;
    }
  }
  static iconv_t cd = iconv_open("UTF-32LE", "SHIFT_JIS");
  unsigned char out[8];
  size_t size = sizeof out;
  if (!Iconv(cd, text, size_t(n), reinterpret_cast<char*>(out), &size) || size != 4) return 0;
  *code = char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 | char32_t(out[3]) << 24;
  return n;
}

}  // namespace

int DecodeCp932(const char* text, int length, char32_t* code) {
  if (length <= 0) return 0;
  int n = Decode(text, length, code);
  if (n) return n;
  *code = kCp932Default;
  return 1;
}

std::string Cp932ToUtf8(const std::string& text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0xFFFD;  // a bad unit of one byte, as natively
    int n = Decode(text.data() + at, int(text.size() - at), &c);
    AppendUtf8(out, n ? c : char32_t(0xFFFD));
    at += size_t(n ? n : 1);
  }
  return out;
}

std::string Utf8ToCp932(const std::string& text) {
  static iconv_t cd = iconv_open("SHIFT_JIS", "UTF-8");
  std::string out;
  for (size_t at = 0; at < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[at]);
    size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (c >= 0x80 && c < 0xC0) {
      out += '?';
      ++at;
      continue;
    }
    n = std::min(n, text.size() - at);
    size_t valid = 1;
    while (valid < n && (static_cast<unsigned char>(text[at + valid]) & 0xC0) == 0x80) ++valid;
    if (valid < n) {  // a sequence cut short: it and its continuation bytes become one '?'
      out += '?';
      at += valid;
      continue;
    }
    char32_t code = n == 1 ? c : char32_t(c & (0x7F >> n));
    for (size_t k = 1; k < n; ++k) code = code << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    // iconv's answer where the code page reads it back as the same character, else the special rows'.
    char bytes[4];
    size_t size = sizeof bytes;
    char32_t back = 0;
    if (Iconv(cd, text.data() + at, n, bytes, &size) && Decode(bytes, int(size), &back) == int(size) && back == code) {
      out.append(bytes, size);
    } else if (unsigned special = SpecialCode(code)) {
      out += char(special >> 8), out += char(special & 0xFF);
    } else {
      out += '?';
    }
    at += n;
  }
  return out;
}

}  // namespace platform
