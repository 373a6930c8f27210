// Test pictures: BMP files made in memory, written to the test's directory or compiled in as resources.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace testing_support {

// A 24-bit BMP of w x h whose pixel (x, y) is colour(x, y) as a COLORREF (0x00BBGGRR).
std::string MakeBmp(int w, int h, const std::function<uint32_t(int x, int y)>& colour);
// Registers `bmp` as the program's bitmap resource `name` (kept for the process's life).
void AddBitmapResource(const std::string& name, const std::string& bmp);

}  // namespace testing_support
