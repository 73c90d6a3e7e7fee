// The wardrobe's thumbnail of a hair style: the hair drawn with its own
// pictures on a light, neutral head, seen from the front a little to one
// side, on white.
#pragma once

#include <cstdint>
#include <vector>

#include "accessories/hair_head.h"
#include "accessories/hair_styles.h"

namespace vestora::generate::hair {

// width × height RGB pixels, 3 bytes each, top row first. Throws
// std::invalid_argument when a size is outside 16 to 2048.
std::vector<std::uint8_t> hairThumbnail(const Head& head, const HairStyle& style,
                                        const std::vector<StylePicture>& pictures, int width,
                                        int height);

}  // namespace vestora::generate::hair
