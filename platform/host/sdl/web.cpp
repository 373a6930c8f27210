#include "web.h"

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

EM_JS(int, PageAsksClose, (), { return Module.radireCloseAsked ? 1 : 0; });

}  // namespace

bool CloseAsked() { return PageAsksClose() != 0; }

void NextFrame() { WaitForAnimationFrame(); }

void SwitchFullScreen() { AskFullScreen(); }

}  // namespace host::web
