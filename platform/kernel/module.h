// Where the program is, as GetModuleFileNameA answers.
#pragma once
#include <string>

namespace platform {

// From now on GetModuleFileNameA answers `path`: for an installed program, whose files lie elsewhere than
// itself, the path it would have beside them.
void SetProgramPath(const std::string& path);

}  // namespace platform
