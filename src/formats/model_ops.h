// Operations on a GlmModel that the other subsystems share.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formats/glm_model.h"

namespace vestora {

inline constexpr int kMaxVertexNeighbours = 40;

// The accepted triangles round one vertex and their other corners. 83
// 32-bit words, as the avatar keeps them; all numbers 0-based, -1 when unused.
struct VertexNeighbours {
  std::int32_t vertex = -1;
  std::int32_t neighbourCount = 0;
  // The other two corners of every accepted triangle, repeated when two
  // accepted triangles share them.
  std::array<std::int32_t, kMaxVertexNeighbours> neighbours;
  std::int32_t triangleCount = 0;
  std::array<std::int32_t, kMaxVertexNeighbours> triangles;

  VertexNeighbours() {
    neighbours.fill(-1);
    triangles.fill(-1);
  }
};
static_assert(sizeof(VertexNeighbours) == 83 * 4);

// Facet-normal count = triangle count; facet normal i + 1 is the unit normal
// (v1 - v0) × (v2 - v0) of triangle i, whose facet-normal number becomes
// i + 1. A degenerate triangle gets the zero vector.
void glmFacetNormals(GlmModel& model);

// One record per vertex (record k for 0-based vertex k; `records` is resized
// to vertex count + 1, the last record unused). The triangles round a vertex
// are visited from the last to the first in model order; one is accepted when
// the angle between its facet normal and that of the last triangle is at most
// `thresholdDegrees`. Runs in time linear in the model size. Returns how many
// records were full (more than 40 entries met; the rest are left out).
int glmVertexNeighbours(const GlmModel& model, std::vector<VertexNeighbours>& records,
                        float thresholdDegrees);

void glmScale(GlmModel& model, float s);
void glmScaleX(GlmModel& model, float s);
// y → s × (y + 8.8) − 8.8: scales about the floor.
void glmScaleY(GlmModel& model, float s);
void glmScaleZ(GlmModel& model, float s);
void glmTranslate(GlmModel& model, float dx, float dy, float dz);
// Copies vertices 1 to V of `source` into `target` (V of the smaller model).
void glmCopyVertices(const GlmModel& source, GlmModel& target);

// Bounding box of vertices 1 to V, and its extent per axis (maximum −
// minimum). A model without vertices gives zeros.
void glmDimensions(const GlmModel& model, std::array<float, 3>& dimensions,
                   std::array<float, 3>& maximum, std::array<float, 3>& minimum);

}  // namespace vestora
