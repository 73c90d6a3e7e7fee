// The avatar: the human figure the user dresses. It owns the body model and
// the loader that read it, and every working structure derived from the
// body: vertex and triangle records, neighbourhoods, bounds, the skeleton,
// the vertex groups and the names of the textures its kind uses.
//
// Units: after loading, a body is centred and scaled so that one model unit
// is 10 cm; lengths in centimetres are model lengths / unitScale.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "avatar/avatar_table.h"
#include "avatar/environments.h"
#include "avatar/skeleton.h"
#include "avatar/triangle_tree.h"
#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "platform/result.h"

namespace vestora {

// Nine floats per body vertex: position, one float, texture u and v, three
// floats that the shaping and cloth code use as they need.
struct SkinVertex {
  float x = 0, y = 0, z = 0;
  float w = 0;
  float u = 0, v = 0;
  float extra[3] = {0, 0, 0};
};
static_assert(sizeof(SkinVertex) == 36);

// One body triangle with copies of its corners and their vertex numbers.
struct BodyTriangle {
  std::int32_t lead = 0;
  std::array<SkinVertex, 3> corner{};
  std::array<std::int32_t, 3> vertex{-1, -1, -1};  // 0-based
  // Bounding box of the triangle: min x, y, z then max x, y, z.
  std::array<float, 6> bounds{1e8f, 1e8f, 1e8f, -1e8f, -1e8f, -1e8f};
};

// Data paths of the files a body kind loads after its body.
struct KindResources {
  std::string_view eyelashTexture;
  std::string_view hairTexture;     // empty when the kind has none
  std::string_view headExclusion;   // vertex group excluded from collision
  std::string_view skeleton;        // landmark file; empty when none
  std::string_view wholeBodyGroup;  // regions (woman) or vertex group
  std::string_view hairModel;       // empty when none
};

// The resources of a kind name, or nullptr for a kind the program does not know.
const KindResources* kindResources(std::string_view modelName);

class Avatar {
 public:
  // `root` is the application root the data paths are relative to.
  explicit Avatar(std::string root);

  // Loads the body at `path` (a data path such as
  // "\model\ChinaFemale\nv_High.c3d", or a full path beginning with '/') and rebuilds everything
  // derived from it. When the body cannot be read the avatar keeps its previous body and state and
  // the error says why. Missing resources of the kind (groups, skeleton) do not fail the load: they
  // are listed in `warnings`.
  Result<void> loadAvatar(std::string_view path, bool clearGarments = true);
  // Writes the body as it is now (every reshaping included) to a model
  // file, atomically: a failed save leaves an existing file as it was.
  Result<void> saveAvatar(const std::string& path) const;

  // Loads the body of a table entry and takes on its placement offset and
  // pose flags (the garments are cleared for the men and the girl, and for
  // the female bodies when a body is already loaded). When the body cannot
  // be read the old body keeps its placement and flags as well.
  Result<void> selectAvatar(const AvatarEntry& entry);

  bool loaded() const { return model_ != nullptr; }
  const GlmModel& model() const { return *model_; }
  GlmModel& model() { return *model_; }
  ModelLoader& loader() { return loader_; }
  const ModelLoader& loader() const { return loader_; }

  const std::string& modelPath() const { return modelPath_; }
  const std::string& modelName() const { return modelName_; }
  std::int32_t modelTag() const { return modelTag_; }
  float unitScale() const { return unitScale_; }  // model units per centimetre
  const std::array<float, 3>& centre() const { return centre_; }
  float headUnit() const { return headUnit_; }
  const std::string& root() const { return root_; }

  // Bounding box of the normalised body (recomputed after every reshaping).
  std::array<float, 3> dimensions{}, maximum{}, minimum{}, midpoint{};

  // 0-based records: skin[k] belongs to model vertex k + 1.
  std::vector<SkinVertex> skin;
  // A copy of `skin` taken after every global reshaping.
  std::vector<SkinVertex> restSkin;
  std::vector<BodyTriangle> triangles;  // one per model triangle (room for 501 more)
  std::size_t triangleCount() const { return triangleCount_; }
  std::vector<VertexNeighbours> neighbours;
  bool hasTexcoords = false;

  // Pose flags: exactly one is set for a female body.
  bool highPose = true, bagPose = false, walkPose = false, standPose = false;
  std::array<float, 3> placement{0, 0, 0};

  Skeleton skeleton;

  // Female bodies: the two shoulder points, the bag handle's corners (bag
  // pose only) and the body length in centimetres from the top of the head
  // to the lowest point of the feet.
  std::array<SkinVertex, 2> shoulderAnchors{};
  std::array<SkinVertex, 3> bagHandle{};
  float bodyLengthCm = 0;

  // Rings of body vertices round joints of the right limbs, taken at load
  // from the skeleton (empty without one): their centroids follow the
  // joints through every reshaping. By JointRing.
  enum JointRing {
    kRingRightKnee,
    kRingRightAnkle,
    kRingRightShoulder,
    kRingRightElbow,
    kRingRightWrist,
    kJointRings
  };
  std::array<std::vector<int>, kJointRings> jointRings;
  // The centroid of a ring in the current shape; nullopt for an empty ring.
  std::optional<std::array<float, 3>> ringCentre(JointRing ring) const;

  // Vertex groups of the kind (0-based records).
  std::vector<int> headExclusion;
  std::vector<int> wholeBody;
  std::array<std::vector<int>, 11> limbGroups;  // LeftThigh … RightForeArm (female only)
  // Texture names of the kind (data paths).
  std::string eyelashTexture, hairTexture;

  // Eleven body parameters the shaping and measurement set; cleared at load.
  std::array<double, 11> bodyParameters{};
  // Result slots of the shaping-time measurement: the last girth (cm) and
  // the last length (cm) or slope (degrees).
  double girthSlot = 0, lengthSlot = 0;

  // Problems met by the last load that did not stop it.
  std::vector<std::string> warnings;

  // Progress of a load, from 1 to 200.
  std::function<void(int)> progress;

  // Set by whoever dresses the avatar: called after every reshaping of the
  // body (and every animation frame), and after another body was loaded
  // (with whether the garments are to be taken off).
  std::function<void()> onReshaped;
  std::function<void(bool clearGarments)> onBodyLoaded;
  void notifyReshaped() {
    if (onReshaped) onReshaped();
  }

  // Copies the body's vertex positions into the skin records and refreshes
  // the triangle records and the bounds (after any change of the vertices).
  void refreshFromModel();
  // The same from the skin records back into the model.
  void refreshFromSkin();
  // Puts back the vertex positions the body had when it was loaded (after
  // its normalisation) and refreshes the records and bounds. False, and
  // nothing changes, before a body is loaded.
  bool restoreLoadedShape();
  void updateBounds();
  // Triangle corners and bounds from the skin records.
  void refreshTriangles();
  // The refresh after only some vertices changed in the model: the skin
  // records of `vertices` (model numbers, 1-based), the triangle records
  // `touched` (every triangle with one of them as a corner) and the bounds.
  void refreshSomeFromModel(std::span<const std::int32_t> vertices,
                            std::span<const std::int32_t> touched);

  // Counts every change of the body's surface (load, reshaping, animation
  // frame): whoever keeps something derived from the surface compares it.
  std::uint64_t surfaceVersion() const { return surfaceVersion_; }
  // The bounding-box tree over the body as it is now, built again on first
  // use after the surface changed. Empty before a body is loaded.
  const BodyTriangleTree& triangleTree();

  std::string dataFile(std::string_view path) const;

  // The scene environments, read once at the view's start-up.
  EnvironmentModels environments;
  void LoadEnvironments() { environments = vestora::LoadEnvironments(root_); }

 private:
  Result<void> load(std::string_view path, bool clearGarments, const AvatarEntry* entry);
  void rebuildRecords();
  void loadKindResources();
  void takeJointRings();
  void refreshTriangle(std::size_t i);

  std::string root_;
  ModelLoader loader_;
  std::unique_ptr<GlmModel> model_;
  std::string modelPath_, modelName_;
  std::int32_t modelTag_ = 0;
  float unitScale_ = 1.0f;
  std::array<float, 3> centre_{};
  float headUnit_ = 0;
  std::size_t triangleCount_ = 0;
  std::vector<float> loadedVertices_;  // the model's vertex array as loaded, 1-based
  std::uint64_t surfaceVersion_ = 0;
  BodyTriangleTree tree_;
  std::uint64_t treeVersion_ = ~std::uint64_t{0};
};

// Limb group files of the female body, in load order.
inline constexpr std::array<std::string_view, 11> kFemaleLimbGroups = {
    "LeftThigh",     "RightThigh", "LeftShin", "RightShin",   "Chest",       "LeftShoulder",
    "RightShoulder", "LeftArm",    "RightArm", "LeftForeArm", "RightForeArm"};

}  // namespace vestora
