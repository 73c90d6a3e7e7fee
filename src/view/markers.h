// Small fixed geometry of the view: display list 1 (an axis cross) and
// display list 10 (a marker cube), and the marks of the automatic
// measurement.
#pragma once

#include <vector>

#include "body/measurement.h"

namespace vestora {

inline constexpr unsigned kAxisCrossList = 1;
inline constexpr unsigned kMarkerCubeList = 10;

// Keeps the two list names from being handed out to anything else (the
// font asks for 128 lists): call before any glGenLists.
void reserveMarkerLists();
// Compiles the two lists.
void buildMarkerLists();
void deleteMarkerLists();

// Red spheres (radius 0.1) at the points the measurement found and the
// last measured section as a red line loop (model units).
void drawMeasureMarks(const MeasureMarks& marks, const std::vector<SectionPoint>& section);

}  // namespace vestora
