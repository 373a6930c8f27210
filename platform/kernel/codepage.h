// The ANSI code page is 932: texts the program hands over are Shift-JIS, the host speaks UTF-8.
#pragma once
#include <string>

namespace platform {

// Undecodable bytes become U+FFFD and the rest of the text still comes through.
std::string Cp932ToUtf8(const std::string& text);
// Characters without a Shift-JIS form become '?'.
std::string Utf8ToCp932(const std::string& text);

}  // namespace platform
