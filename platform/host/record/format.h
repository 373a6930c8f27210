// Writing the record's answer lines; shared by the two hosts.
#pragma once
#include <cstddef>
#include <string>

#include "../host.h"

namespace host::record {

// Writes an event as the record's words ("key down SPACE"); returns the length as snprintf does.
int WriteEvent(char* out, size_t size, const Event& event);
// Bytes as hex digits, or "none" when there are none to name.
inline std::string HexText(bool present, const std::string& bytes) {
  if (!present) return "none";
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : bytes) text += {kDigits[c >> 4], kDigits[c & 15]};
  return text.empty() ? "none" : text;
}

}  // namespace host::record
