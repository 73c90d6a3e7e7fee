// The hair styles of the wardrobe, each designed where it sits on its head
// (the woman's, the girl's or the man's), with its pictures.
#pragma once

#include <string>
#include <vector>

#include "accessories/hair_head.h"
#include "accessories/hair_mesh.h"
#include "accessories/hair_textures.h"

namespace vestora::generate::hair {

struct StylePicture {
  std::string colourFile, alphaFile;  // names in the hair folder; no alpha file for a TGA
  HairPicture picture;
};

struct HairStyle {
  std::string name;
  HeadKind kind = HeadKind::Woman;
  HairMesh mesh;       // where it sits on the head
  int seatVertex = 0;  // 1-based vertex kept over the crown (0: none)
  bool flipV = false;  // its picture is stored bottom row first (TGA)
  std::vector<StylePicture> pictures;
};

// The names of the styles, in the order the wardrobe lists them.
const std::vector<std::string>& hairStyleNames();
HeadKind headKindOf(const std::string& style);

// A style built on `head`; `length` lengthens its longest hair by that
// many units (the knob that gives the model its size).
HairStyle buildHairStyle(const std::string& name, const Head& head, double length);

// Its pictures (the same for every length).
std::vector<StylePicture> hairStylePictures(const std::string& name);

}  // namespace vestora::generate::hair
