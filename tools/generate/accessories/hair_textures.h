// The pictures hair is drawn with: a colour picture and an alpha picture of
// many thin strands running down the picture, in horizontal bands (one band
// a strand's length, root at the band's top, tip at its bottom), repeating
// from left to right. Hair is drawn unlit, so the light is in the colours:
// dark roots and undersides, a broken highlight near the roots, lighter
// ends, rounded strands.
#pragma once

#include <cstdint>
#include <vector>

#include "accessories/hair_strands.h"
#include "assets/assets.h"

namespace vestora::generate::hair {

struct HairColours {
  Rgb root, body, tip, highlight;
};

enum class BandKind {
  Dense,  // under hair: closed up to the ends, darker
  Open,   // outer hair: strands with gaps between them
  Tie,    // an elastic band
};

struct TextureBand {
  Band band;
  BandKind kind = BandKind::Open;
};

struct StrandLook {
  double widthMin = 5, widthMax = 13;  // pixels
  double density = 1.7;                // strands' total width over the picture's width
  double shortest = 0.72;              // the shortest strand of an open band, of the band
  double wave = 0;                     // pixels across
  double waves = 2;                    // waves down a band
  double highlightAt = 0.22;           // along the strand
  double highlightStrength = 0.55;
};

struct HairPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;    // 3 bytes a pixel, top row first
  std::vector<std::uint8_t> alpha;  // 1 byte a pixel
};

HairPicture hairPicture(int width, int height, const HairColours& colours, const StrandLook& look,
                        const std::vector<TextureBand>& bands, std::uint64_t seed);

// The picture's colour and alpha as RGBA, 4 bytes a pixel.
std::vector<std::uint8_t> rgbaOf(const HairPicture& picture);

// The rows a band's strands are drawn on, kept a little inside the band so
// that filtering does not reach its neighbours.
Band insetBand(const Band& band, int height);

}  // namespace vestora::generate::hair
