// The SDL host's part in a web page (host/web/page.js is the page around it): frames paced by the
// browser's, full screen as the page does it, and the page's requests.
#pragma once

namespace host::web {

// Waits for the browser's next animation frame (a hidden page has none: then for a moment). The page
// keeps its stored files and its layout up to date meanwhile.
void NextFrame();
// Full screen and back: the page's element takes the screen, the picture scaled by whole factors.
void SwitchFullScreen();
// Whether the page asked the program to end, as closing its window would (a dropped record is to be played).
bool CloseAsked();

}  // namespace host::web
