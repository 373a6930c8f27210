// The eleven pictures of the game, each painted from code.
#pragma once
#include <string>
#include <vector>

#include "raster.h"

namespace art {

struct Picture {
  std::string name;
  Image image;
};

std::vector<Picture> PaintPictures();
// The player's ship, `zoom` times its size in the game (the program's icon).
Image Ship(float zoom);

}  // namespace art
