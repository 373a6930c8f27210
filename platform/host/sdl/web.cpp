#include "web.h"

#include <SDL.h>
#include <emscripten.h>

namespace host::web {

namespace {

// The page hooks in through Module.radirePage; without one (a page of someone else's) frames still pace.
EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
  await new Promise(resolve => {
    if (typeof document !== "undefined" && document.hidden) setTimeout(resolve, 16);
    else requestAnimationFrame(resolve);
  });
  if (Module.radirePage) Module.radirePage.frame(Module);
});

EM_JS(void, AskFullScreen, (), {
  if (Module.radirePage) Module.radirePage.switchFullScreen();
});

}  // namespace

void NextFrame() { WaitForAnimationFrame(); }

void SwitchFullScreen() { AskFullScreen(); }

}  // namespace host::web

// The page ends the game as closing its window would (a dropped record is to be played, say).
extern "C" EMSCRIPTEN_KEEPALIVE void radire_web_close() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
}
