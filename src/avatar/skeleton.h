// The body's skeleton: 27 landmark points read from the body's landmark
// file, the joint tree fitted to them with its bind pose, per-joint skin
// weights over all body vertices, and the skin matrices of the current pose.
// Nothing here moves the body's vertices; poses are separate body models.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "avatar/matrix.h"
#include "formats/skeleton_files.h"
#include "platform/result.h"

namespace vestora {

using Point3 = std::array<float, 3>;

inline constexpr int kJointCount = 28;          // the root (id 0) and joints 1 to 27
inline constexpr int kLandmarkIndexCount = 10;  // see Skeleton::landmarkIndexes

struct Joint {
  int id = 0;                                    // row of the joint table; the root is 0
  std::string name;                              // as in the joint table: "Hips", "jnt2_1", …
  std::int32_t kind = 4;                         // set to 4 on creation, read by nothing here
  Joint* parent = nullptr;                       // nullptr for the root
  std::vector<std::unique_ptr<Joint>> children;  // in table order
  Point3 scale{1.0f, 1.0f, 1.0f};
  Point3 restRotation{};  // degrees about x, y, z
  Point3 restOffset{};    // from the parent joint, in the parent's frame
  Point3 restScale{1.0f, 1.0f, 1.0f};
  Point3 rotation{};  // current pose: degrees about x, y, z
  Point3 offset{};    // current pose
  Mat4 inverseBind;   // inverse of the joint's frame in the bind pose
  // Weight of this joint for every body vertex; vertex numbers are 0-based
  // (weights[0] belongs to model vertex 1). Empty for the root.
  std::vector<float> weights;
  Mat4 skinMatrix;  // current frame × inverse bind matrix
};

class Skeleton {
 public:
  using Slots = std::array<Point3, kLandmarkSlots>;

  Skeleton();
  Skeleton(Skeleton&&) = default;
  Skeleton& operator=(Skeleton&&) = default;

  // Reads a landmark file into the slots it fills and computes the arm
  // angles. When the file cannot be read nothing changes and the error is
  // returned.
  Result<void> readSkeletonFile(const std::string& path);
  // The same with the file's text.
  void readSkeletonText(std::string_view text);

  // Replaces the joint tree by one built from the current slots, with the
  // weights of the file weightFilePathFor(landmarkPath) for `vertexCount`
  // body vertices, takes the bind pose and its inverse matrices with `base`
  // as the matrix the walk starts from. A missing or damaged weights file
  // leaves zero weights and is noted in warnings().
  void buildSkeleton(const std::string& landmarkPath, std::size_t vertexCount,
                     const Mat4& base = Mat4::identity());
  // The same with the weights file's text; std::nullopt stands for a
  // missing weights file.
  void buildSkeletonFromText(std::optional<std::string_view> weightText, std::size_t vertexCount,
                             const Mat4& base = Mat4::identity());

  // Skin matrix of every joint = its frame in the current pose (the walk
  // starting from `base`) × its inverse bind matrix. Nothing without a tree.
  void computeJointMatrices(const Mat4& base = Mat4::identity());
  // The frame of every joint in the current pose, by joint id; the joint's
  // position is frame.transformPoint({0, 0, 0}). Empty without a tree.
  std::vector<Mat4> jointFrames(const Mat4& base = Mat4::identity()) const;

  // Current rotation and offset of every joint back to the rest pose.
  void resetPose();

  // Forgets the body the landmark indexes referred to: all set to -1.
  void releaseMeshCopies();

  bool hasTree() const { return root_ != nullptr && !root_->children.empty(); }
  Joint* root() { return root_.get(); }
  const Joint* root() const { return root_.get(); }
  // nullptr when there is no tree or no such joint.
  Joint* findJoint(int id);
  const Joint* findJoint(int id) const;
  Joint* findJoint(std::string_view name);
  const Joint* findJoint(std::string_view name) const;

  // Landmark positions by slot (not by file line), normalised body space.
  const Slots& slots() const { return slots_; }
  // Degrees, from the shoulder and hand-end landmarks; 0 while the two coincide.
  float leftArmAngle() const { return leftArmAngle_; }
  float rightArmAngle() const { return rightArmAngle_; }
  // Vertex count the weights were built for.
  std::size_t vertexCount() const { return vertexCount_; }
  // Landmark vertex indexes kept by the measurement; -1 when cleared.
  std::array<int, kLandmarkIndexCount>& landmarkIndexes() { return landmarkIndexes_; }
  const std::array<int, kLandmarkIndexCount>& landmarkIndexes() const { return landmarkIndexes_; }
  // Recoverable problems met by the last buildSkeleton, one line each.
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  void applyLandmarkFile(const LandmarkFile& file);
  void build(const SkinWeightFile* weights, const std::string& weightSource,
             std::size_t vertexCount, const Mat4& base);

  Slots slots_{};
  float leftArmAngle_ = 0.0f;
  float rightArmAngle_ = 0.0f;
  std::unique_ptr<Joint> root_;
  std::size_t vertexCount_ = 0;
  std::array<int, kLandmarkIndexCount> landmarkIndexes_;
  std::vector<std::string> warnings_;
};

}  // namespace vestora
