// The man's face: a skin drawn over his head and neck a hair's breadth
// above them (" Geo_Head"), textured with a face, close-cropped hair, brows
// and lips, and two eyeballs (" Eye_L", " Eye_R") over his own.
#pragma once

#include <cstdint>
#include <vector>

#include "accessories/hair_head.h"
#include "accessories/hair_mesh.h"

namespace vestora::generate::hair {

struct FaceModel {
  HairMesh mesh;
  double bottom = 0;  // where the neck is cut, at the back
};

// `length` lowers the cut at the back of the neck (the knob that gives the
// model its size).
FaceModel buildManFace(const Head& head, double length);

struct FacePictures {
  int skinWidth = 0, skinHeight = 0;
  std::vector<std::uint8_t> skin;  // RGB, top row first
  int eyeWidth = 0, eyeHeight = 0;
  std::vector<std::uint8_t> eye;
};
FacePictures manFacePictures(const Head& head, const FaceModel& face);

}  // namespace vestora::generate::hair
