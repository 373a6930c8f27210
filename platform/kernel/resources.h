// Resources compiled into the program. The build generates a table of them and registers it at start.
#pragma once
#include <cstddef>

namespace platform {

struct EmbeddedResource {
  const char* name;  // upper-case name, as the resource script gives it
  int type;          // RT_BITMAP (2), RT_RCDATA (10), or 0 for a named type
  const char* typeName;  // the type's name when `type` is 0, such as "WAVE"
  const unsigned char* data;
  size_t size;
};

// Adds resources to the program's table; returns true so a static initialiser can call it.
bool RegisterResources(const EmbeddedResource* resources, size_t count);

}  // namespace platform
