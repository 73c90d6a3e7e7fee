// Variants of a built figure that keep its numbering: the same vertices
// moved onto another shape of the figure, posed, or scaled; and the
// normalised form in which the program keeps body vertices.
#pragma once

#include <array>
#include <vector>

#include "body/figure_model.h"
#include "formats/glm_model.h"

namespace vestora::generate {

// The body vertices of `figure` moved onto the surface of `target` (a
// fatter, slimmer or pregnant form of the same figure). Each vertex seeks
// the surface only among the parts it may belong to, so that limbs that come
// close do not snap onto each other.
std::vector<Vec3> projectBody(const FigureModel& figure, const FigureShape& target);

// Every model vertex posed by the figure's skin weights.
std::vector<Vec3> posedPositions(const FigureModel& figure, const Pose& pose, const std::vector<Vec3>& rest);

// The centre and scale that the program's loader gives a body when it
// reads it (the same computation, on a copy).
struct Unitization {
  std::array<float, 3> centre{};
  float scale = 1;
  float liftY = 0;  // added to y after scaling (the girl is stood on the floor line)
};
Unitization unitizationOf(const GlmModel& model);

// 1-based float array ((n + 1) × 3) of (p − centre) × scale (+ liftY), as the loaded
// body holds its vertices.
std::vector<float> normalised(const std::vector<Vec3>& positions, const Unitization& u);

// Sets a model's vertices (1-based) from positions in centimetres.
void setVertices(GlmModel& model, const std::vector<Vec3>& positions);
std::vector<float> asOneBased(const std::vector<Vec3>& positions);

}  // namespace vestora::generate
