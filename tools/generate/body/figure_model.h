// A built figure: the closed body surface with its eyes and eyelashes, the
// part and skin weights of every vertex, texture coordinates and groups,
// and its conversion to the program's polygon model.
#pragma once

#include <string>
#include <vector>

#include "body/base_mesh.h"
#include "body/rig.h"
#include "formats/glm_model.h"

namespace vestora::generate {

struct FigureModel {
  FigureShape shape;
  Rig rig;
  Mesh body;                           // closed surface
  std::vector<Part> parts;             // per body vertex
  Mesh eyes;                           // two eyeballs (vertices follow the body's in the model)
  Mesh lashes;                         // two upper-lash strips (vertices follow the eyes')
  std::vector<VertexWeights> weights;  // per model vertex (body, eyes, lashes)
  // Per eye and lash vertex, the body vertex whose motion it shares when the
  // body changes shape.
  std::vector<int> follows;

  int bodyVertices() const { return static_cast<int>(body.positions.size()); }
  int modelVertices() const {
    return static_cast<int>(body.positions.size() + eyes.positions.size() +
                            lashes.positions.size());
  }
  // Rest positions of every model vertex: body, eyes, lashes.
  std::vector<Vec3> restPositions() const;
  // Whether body triangle t is part of the head (drawn with the head texture).
  bool headTriangle(int t) const;
};

// Builds the surface, eyes, lashes, parts and weights of a figure.
FigureModel buildFigureModel(const FigureShape& shape, double spacing,
                             BaseMeshReport* report = nullptr);

// Renumbers the body so that the given body vertices (by current index)
// take the given new indices and the given triangles the given positions;
// everything else follows in a spatially coherent order (from the head
// down). Parts, weights and followers are renumbered with the body.
struct FixedPlacement {
  std::vector<std::pair<int, int>> vertices;   // (new index, current index)
  std::vector<std::pair<int, int>> triangles;  // (new index, current index)
};
void renumberBody(FigureModel& figure, const FixedPlacement& placement);

// Moves eyes and lashes with the body: each follower keeps its offset from
// the body vertex it follows. `body` holds the new body positions; returns
// positions of every model vertex.
std::vector<Vec3> withFollowers(const FigureModel& figure, const std::vector<Vec3>& restAll,
                                const std::vector<Vec3>& body);

// The positions with the fingers of one hand closed by `grip` (0 open as
// built, 1 a loose fist round a handle): each finger bends at its three
// joints, the thumb at its two, the skin near a joint bending part way.
std::vector<Vec3> withFingersCurled(const FigureModel& figure, const std::vector<Vec3>& positions,
                                    bool left, double grip);

// Group names of the kinds: the woman calls her eyes " Eye", the others " Eyes".
struct ModelNaming {
  std::string modelName;
  std::string eyeGroup;
};

struct SkinLayout;

// The polygon model of the figure at `positions` (every model vertex, cm):
// texture coordinates of `layout`, groups " Body", " Head", eyes and
// " Eyelash", one material per group.
GlmModel toGlmModel(const FigureModel& figure, const std::vector<Vec3>& positions,
                    const ModelNaming& naming, const SkinLayout& layout);

}  // namespace vestora::generate
