// The host's own words over the game's picture ("PAUSE", the music's volume, a screenshot's name): white
// text on a transparent texture, in a plain face fontconfig finds. The game's frame is never drawn into.
#pragma once
#include <SDL.h>

#include <string>

namespace host {

class OverlayText {
 public:
  ~OverlayText();
  // A texture of `text` `pixels` high, or null when no face can be had (the picture then goes without).
  // The caller destroys it.
  SDL_Texture* Render(SDL_Renderer* renderer, const std::string& text, int pixels, int* width, int* height);

 private:
  bool Open();
  bool tried_ = false;
  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};

}  // namespace host
