// The headless host's input scripts.
#include <string>
#include <vector>

#include "host/headless/headless.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<host::ScriptedEvent> events;
  std::string error;
  if (!host::ParseInputScript(std::string(reinterpret_cast<const char*>(data), size), &events, &error) &&
      error.empty())
    __builtin_trap();  // a refused script always says why
  return 0;
}
