#pragma once
#include <string>

namespace art {

// "data.dat", "teki.dat" and "teki2.dat" in `dir`.
bool WriteDataFiles(const std::string& dir);

}  // namespace art
