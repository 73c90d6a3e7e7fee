// Named regions of the body that the body editor reshapes: each a band of
// body faces read from the region file, with its vertices, its triangles in
// region-local numbers, and while selected a deformation lattice.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "avatar/avatar.h"
#include "body/shape_lattice.h"
#include "platform/result.h"

namespace vestora {

inline constexpr std::size_t kMaxShapeRegions = 40;
// Rings of body vertices round a region that ease its border's moves into
// the rest of the body.
inline constexpr int kSkirtRings = 10;

// A body vertex next to a region (not in it) that follows the region's
// border: it moves by `weight` times the move of its nearest border vertex.
struct SkirtVertex {
  int record = 0;    // 0-based body record
  int border = 0;    // region-local index of the border vertex it follows
  float weight = 0;  // 1 beside the border, falling to 0 kSkirtRings rings out
};

struct ShapeRegion {
  std::string name;                           // as in the region file, leading blank kept
  std::vector<int> vertices;                  // 0-based body records, ascending
  std::vector<Vec3f> positions;               // current positions of those vertices
  std::vector<std::array<int, 3>> triangles;  // region-local corner numbers
  Vec3f minimum, maximum;                     // the region's box
  Vec3f pivot;                                // box middle in x and y, the body's middle in z
  std::unique_ptr<ShapeLattice> lattice;      // while selected
  // The vertices round the region that follow its border, so that a
  // reshaped region meets the rest of the body without a step.
  std::vector<SkirtVertex> skirt;

  // Takes the current positions from the avatar's records.
  void refreshFrom(const Avatar& avatar);
  void updateBox(const Avatar& avatar);
  std::vector<TriangleCorners> corners() const;
};

// Reads the region file (OBJ content; each named group is one region) and
// builds the regions in file order, at most 40. Faces that name vertices the
// body does not have are an error.
Result<std::vector<ShapeRegion>> loadShapeRegions(const std::string& path, const Avatar& avatar);

}  // namespace vestora
