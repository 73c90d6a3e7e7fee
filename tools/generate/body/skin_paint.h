// The pictures of a figure's skin: its body, its head with the face, and
// its eyeballs. Every texel is painted from the point of the body it shows
// (its place, its normal and how hollow the skin is there), so the colour
// runs on across the seams of the layout as it does on the body; texels
// that show no skin take the colour of the nearest one that does, so that
// filtered and reduced pictures do not bleed at the seams.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/texture_noise.h"
#include "body/skin_layout.h"

namespace vestora::generate {

enum class Underwear { None, Bra, Vest, Boxers };

// How a figure's skin, face and eyes look. Colours are sRGB, 0 to 255.
struct SkinLook {
  texture::Colour skin;   // the even tone of the skin
  texture::Colour flush;  // the warmer skin of knees, elbows, hands, lips' edge
  texture::Colour lips;
  texture::Colour brows;
  texture::Colour hair;  // the scalp under the hair line
  texture::Colour iris;
  double scalpCover = 1.0;  // 1: the scalp is hair-coloured; less: a short crop with skin showing
  double browWidth = 0.42;  // half the brow's depth at its inner end, standard head units
  double eyeliner = 0.5;    // darkness of the upper lid's edge, 0 to 1
  double lidShade = 0.15;   // warm shade over the upper lid
  double blush = 0.2;       // colour in the cheeks
  double stubble = 0.0;     // the shadow of a shaved beard
  // The plain underwear painted on: briefs, with a bra or a vest, or
  // short-legged briefs alone.
  Underwear underwear = Underwear::None;
  texture::Colour underwearColour{230, 226, 222};
  std::uint64_t seed = 1;
};
SkinLook womanLook();
SkinLook girlLook();
SkinLook manLook();

struct SkinPictures {
  int bodySize = 0, headSize = 0, eyeSize = 0;
  // RGB, top row first; `eye` empty when the eyes lie in the head picture.
  std::vector<std::uint8_t> body, head, eye;
};

// Paints the pictures of `layout` at the given sizes (square, in pixels).
SkinPictures paintSkin(const FigureModel& figure, const SkinLayout& layout, const SkinLook& look,
                       int bodySize, int headSize, int eyeSize);

}  // namespace vestora::generate
