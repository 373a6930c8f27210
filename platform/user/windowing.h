// For tests that run several programs in one process: forget every window, class and queued message.
#pragma once

namespace platform {
void ResetWindowing();
// Components that learn of events on other threads (the end of a song) post their messages from a pump,
// which the message functions call on the main thread before they look at the queue.
void AddMessagePump(void (*pump)());
}
