// The base mesh of a figure: its implicit surface polygonised, smoothed and
// evened out, every vertex on the surface.
#pragma once

#include "body/figure.h"
#include "body/mesh.h"

namespace vestora::generate {

struct BaseMeshReport {
  int droppedTriangles = 0;  // pieces not joined to the body
  int flips = 0;
  double minAngle = 0;       // smallest triangle angle, degrees
  double meanEdge = 0;       // cm
  MeshCheck check;
};

Mesh buildBaseMesh(const FigureShape& figure, double spacing, BaseMeshReport* report = nullptr);

}  // namespace vestora::generate
