// For tests that run several programs in one process: forget every window, class and queued message.
#pragma once

namespace platform {
void ResetWindowing();
}
