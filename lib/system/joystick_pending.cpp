// Lets the library link before the joystick unit is in; its definition replaces this one.
#include "ox.h"

namespace oxSystem {
[[gnu::weak]] int InitJoystick() { return 0; }
}  // namespace oxSystem
