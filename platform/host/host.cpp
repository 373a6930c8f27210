#include "host.h"

#include "headless/headless.h"

namespace host {

namespace {
Host* installed = nullptr;
unsigned generation = 0;
}

Host& Current() {
  if (installed) return *installed;
  // Static initialisers read the clock before main chooses a host.
  static HeadlessHost fallback;
  return fallback;
}

void Install(Host* h) {
  installed = h;
  ++generation;
}

unsigned Generation() { return generation; }

bool Installed() { return installed != nullptr; }

}  // namespace host
