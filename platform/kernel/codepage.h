// The ANSI code page is 932: texts the program hands over are Shift-JIS, the host speaks UTF-8.
#pragma once
#include <string>

namespace platform {

// Undecodable bytes become U+FFFD and the rest of the text still comes through.
std::string Cp932ToUtf8(const std::string& text);
// Characters without a Shift-JIS form become '?'.
std::string Utf8ToCp932(const std::string& text);

// Shift-JIS lead bytes start a double-byte character.
inline bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// Decodes the character at `text` (at most `length` bytes) into a code point and returns the bytes it
// takes (0 for an empty text). A malformed character takes one byte and decodes to `kCp932Default`, so the
// bytes after it still come through. Allocates nothing once the converter is open.
constexpr char32_t kCp932Default = 0x30FB;  // the code page's default character
int DecodeCp932(const char* text, int length, char32_t* code);

}  // namespace platform
