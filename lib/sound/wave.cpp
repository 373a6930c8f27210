// Wave sound objects through DirectSound.
#include "ox.h"

namespace oxSound {

int Init() { return 1; }

void Release() {}

}  // namespace oxSound
