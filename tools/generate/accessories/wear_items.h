// The designs of the worn accessories of the wardrobe's glasses folder:
// each made where it is worn on the body it is made for, in that body's
// model units, with its picture.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "accessories/wear_footwear.h"
#include "accessories/wear_mesh.h"
#include "accessories/wear_surface.h"
#include "accessories/wear_textures.h"
#include "avatar/avatar.h"

namespace vestora::generate::wear {

// ---- footwear (wear_shoes.cpp) ----
// The styles by the stored model's name: "womanshoe1" (a ballet flat),
// "womanshoe2" (a strappy sandal, its picture with clear gaps), "womanshoe3"
// (a canvas sneaker), "GirlShoe" (a girl's bar shoe), "ManShoe" (a derby)
// and "sock" (an ankle sock). The foot decides the sizes.
FootwearStyle footwearStyle(const std::string& modelName, const FootFrame& foot);

// ---- glasses (wear_glasses.cpp) ----
// The measured face the glasses are made for.
struct Face {
  std::array<Vec3, 2> eye;  // centres of the right (x < 0) and left eye's fronts
  double eyeFront = 0;      // the eyes' foremost z
  SurfaceField head;        // the skin above the chin
  double headTop = 0;
};
Face measureFace(const Avatar& body);

enum class FrameKind { BoldRectangle, ThinRound };
struct GlassesDesign {
  WearMesh mesh;  // groups and material runs: "frame", "lens", "temple", "pad"
  std::array<Vec3, 2> lensCentre;
};
// `hookEnd` raises the temples' bend over the ears by its y and moves their
// tips (the back ends of the ear hooks) by its z, so that two designs can
// share one box.
GlassesDesign designGlasses(const Face& face, FrameKind kind, const Vec3& hookEnd);
std::vector<WearMaterial> glassesMaterials(FrameKind kind);

// ---- necklace (wear_necklace.cpp) ----
struct NecklaceDesign {
  WearMesh mesh;
  Image picture;  // gold
};
// `width` is the chain's width across the body (model units).
NecklaceDesign designNecklace(const Avatar& body, const SurfaceField& skin, double width);

// ---- bag (wear_bag.cpp) ----
struct BagDesign {
  WearMesh mesh;  // vertex 0 is the handle's top inside
  Image picture;
};
BagDesign designBag(const Avatar& bagPoseBody, const SurfaceField& skin);

}  // namespace vestora::generate::wear
