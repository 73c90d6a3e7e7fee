#include "avatar/avatar.h"

#include <algorithm>
#include <cmath>

#include "avatar/shipped_numbers.h"
#include "formats/shape_files.h"
#include "platform/data_path.h"

namespace vestora {
namespace {

constexpr KindResources kWoman{
    "\\model\\ChinaFemale\\nv_jiemao.tga",        "",
    "\\model\\ChinaFemale\\DisAABBWomanHead.grp", "\\model\\ChinaFemale\\WomanSkltn.dar",
    "\\model\\ChinaFemale\\WomanWholeGroup.grp",  "\\model\\Clothing\\Hair\\PonyTail.c3d"};
constexpr KindResources kMan{
    "\\model\\ChinaMale\\Eyelash.tga",        "",
    "\\model\\ChinaMale\\DisAABBManHead.grp", "\\model\\ChinaMale\\MaleSkltn.dar",
    "\\model\\ChinaMale\\MaleGroup.GRP",      ""};
// The James bodies' head group lies with the other male files.
constexpr KindResources kJames{"\\model\\ChinaMale\\James_Eyelash.tga", "",
                               "\\model\\ChinaMale\\DisAABBJames.grp",  "",
                               "\\model\\ChinaMale\\JamesGroup.GRP",    ""};
constexpr KindResources kGirl{"\\model\\ChinaGirl\\GirlEyelash.tga",
                              "\\model\\ChinaGirl\\GirlHair.tga",
                              "\\model\\ChinaGirl\\DisableGirlHead.GRP",
                              "\\model\\ChinaGirl\\GirlSkltn.dar",
                              "\\model\\ChinaGirl\\Girl.GRP",
                              "\\model\\Clothing\\Hair\\GirlHair.c3d"};

// Kinds whose neighbourhoods are not built at load.
bool skipsNeighbours(std::string_view name) {
  return name == "James" || name == "Jessi" || name == "boy" || name == "miki";
}

}  // namespace

const KindResources* kindResources(std::string_view modelName) {
  if (modelName == "woman") return &kWoman;
  if (modelName == "man") return &kMan;
  if (modelName == "James") return &kJames;
  if (modelName == "Girl") return &kGirl;
  return nullptr;
}

Avatar::Avatar(std::string root) : root_(std::move(root)) {}

std::string Avatar::dataFile(std::string_view path) const {
  // A full path (a model the user opened) stays as it is.
  if (!path.empty() && path.front() == '/') return std::string(path);
  return dataPath(root_, path);
}

Result<void> Avatar::selectAvatar(const AvatarEntry& entry) {
  const bool female = entry.pose.has_value();
  return load(entry.modelPath, female ? loaded() : true, &entry);
}

Result<void> Avatar::loadAvatar(std::string_view path, bool clearGarments) {
  return load(path, clearGarments, nullptr);
}

Result<void> Avatar::load(std::string_view path, bool clearGarments, const AvatarEntry* entry) {
  auto report = [&](int step) {
    if (progress) progress(step);
  };
  report(1);
  std::int32_t tag = modelTag_;
  auto read = loader_.glmReadC3D(dataFile(path), tag);
  if (!read) return read.error();

  // The entry's placement and pose belong to the new body: only now that it
  // was read do they replace the old ones (the kind's resources below
  // depend on the pose).
  if (entry) {
    if (entry->placement) placement = *entry->placement;
    if (const auto pose = entry->pose) {
      highPose = *pose == FemalePose::High;
      bagPose = *pose == FemalePose::Bag;
      walkPose = *pose == FemalePose::Walk;
      standPose = *pose == FemalePose::Stand;
    }
  }

  // The new body is good: from here on nothing fails, every derived
  // structure is rebuilt for it.
  warnings.clear();
  modelPath_ = std::string(path);
  bodyParameters.fill(0.0);
  skeleton.releaseMeshCopies();
  model_ = std::move(read).value();
  report(20);

  unitScale_ = loader_.glmUnitize(*model_, centre_);
  updateBounds();
  headUnit_ = (maximum[1] - minimum[1]) * 0.125f;
  report(40);

  neighbours.clear();
  if (model_->triangleCount() > 0) {
    neighbours.assign(std::size_t(model_->vertexCount()) + 1, VertexNeighbours{});
    if (!skipsNeighbours(model_->modelName)) {
      glmFacetNormals(*model_);
      glmVertexNeighbours(*model_, neighbours, 90.0f);
    }
  }
  report(100);
  rebuildRecords();
  loadedVertices_ = model_->vertices;
  report(120);
  modelTag_ = tag;
  modelName_ = model_->modelName;
  loadKindResources();
  report(200);
  if (onBodyLoaded) onBodyLoaded(clearGarments);
  return {};
}

void Avatar::updateBounds() {
  glmDimensions(*model_, dimensions, maximum, minimum);
  for (int k = 0; k < 3; ++k) midpoint[k] = (maximum[k] + minimum[k]) * 0.5f;
}

void Avatar::rebuildRecords() {
  const GlmModel& m = *model_;
  const std::uint32_t n = m.vertexCount();
  skin.assign(n, SkinVertex{});
  for (std::uint32_t k = 0; k < n; ++k) {
    const float* v = m.vertex(k + 1);
    skin[k].x = v[0];
    skin[k].y = v[1];
    skin[k].z = v[2];
  }
  hasTexcoords = m.texcoordCount() > 0;
  if (hasTexcoords)
    for (const GlmTriangle& t : m.triangles)  // the last triangle in model order wins
      for (int c = 0; c < 3; ++c)
        if (t.tindices[c] > 0) {
          SkinVertex& s = skin[t.vindices[c] - 1];
          s.u = m.texcoords[2 * t.tindices[c]];
          s.v = m.texcoords[2 * t.tindices[c] + 1];
        }
  triangleCount_ = m.triangleCount();
  triangles.assign(triangleCount_ + 501, BodyTriangle{});
  for (std::size_t i = 0; i < triangleCount_; ++i)
    for (int c = 0; c < 3; ++c)
      triangles[i].vertex[c] = static_cast<std::int32_t>(m.triangles[i].vindices[c]) - 1;
  refreshTriangles();
  restSkin = skin;
}

const BodyTriangleTree& Avatar::triangleTree() {
  if (treeVersion_ == surfaceVersion_) return tree_;
  TriangleMesh mesh;
  mesh.vertices.reserve(skin.size());
  for (const SkinVertex& s : skin) mesh.vertices.push_back({s.x, s.y, s.z});
  mesh.triangles.reserve(triangleCount_);
  for (std::size_t i = 0; i < triangleCount_; ++i) mesh.triangles.push_back(triangles[i].vertex);
  tree_ = buildTriangleTree(std::move(mesh));
  treeVersion_ = surfaceVersion_;
  return tree_;
}

void Avatar::refreshTriangle(std::size_t i) {
  BodyTriangle& t = triangles[i];
  t.bounds = {1e8f, 1e8f, 1e8f, -1e8f, -1e8f, -1e8f};
  for (int c = 0; c < 3; ++c) {
    t.corner[c] = skin[t.vertex[c]];
    const float p[3] = {t.corner[c].x, t.corner[c].y, t.corner[c].z};
    for (int k = 0; k < 3; ++k) {
      t.bounds[k] = std::min(t.bounds[k], p[k]);
      t.bounds[3 + k] = std::max(t.bounds[3 + k], p[k]);
    }
  }
}

void Avatar::refreshTriangles() {
  ++surfaceVersion_;
  for (std::size_t i = 0; i < triangleCount_; ++i) refreshTriangle(i);
}

void Avatar::refreshSomeFromModel(std::span<const std::int32_t> vertices,
                                  std::span<const std::int32_t> touched) {
  const auto n = static_cast<std::int32_t>(skin.size());
  for (const std::int32_t v : vertices) {
    if (v < 1 || v > n) continue;
    const float* p = model_->vertex(static_cast<std::uint32_t>(v));
    SkinVertex& s = skin[static_cast<std::size_t>(v - 1)];
    s.x = p[0];
    s.y = p[1];
    s.z = p[2];
  }
  ++surfaceVersion_;
  for (const std::int32_t t : touched)
    if (t >= 0 && static_cast<std::size_t>(t) < triangleCount_)
      refreshTriangle(static_cast<std::size_t>(t));
  updateBounds();
}

void Avatar::refreshFromModel() {
  for (std::size_t k = 0; k < skin.size(); ++k) {
    const float* v = model_->vertex(static_cast<std::uint32_t>(k + 1));
    skin[k].x = v[0];
    skin[k].y = v[1];
    skin[k].z = v[2];
  }
  refreshTriangles();
  updateBounds();
}

void Avatar::refreshFromSkin() {
  for (std::size_t k = 0; k < skin.size(); ++k) {
    float* v = model_->vertex(static_cast<std::uint32_t>(k + 1));
    v[0] = skin[k].x;
    v[1] = skin[k].y;
    v[2] = skin[k].z;
  }
  refreshTriangles();
  updateBounds();
}

bool Avatar::restoreLoadedShape() {
  if (!model_ || loadedVertices_.size() != model_->vertices.size()) return false;
  model_->vertices = loadedVertices_;
  refreshFromModel();
  return true;
}

void Avatar::takeJointRings() {
  // Each ring: the skin vertices within 0.8 cm of the plane through the
  // joint square to its limb, and within 12 cm of the joint.
  const auto& slots = skeleton.slots();
  struct RingSpec {
    JointRing ring;
    int joint, from, to;  // landmark slots: the joint, and the limb's direction from -> to
  };
  constexpr RingSpec specs[] = {{kRingRightKnee, 4, 2, 6},
                                {kRingRightAnkle, 6, 4, 6},
                                {kRingRightShoulder, 18, 18, 19},
                                {kRingRightElbow, 19, 18, 20},
                                {kRingRightWrist, 20, 19, 20}};
  const float slab = 0.8f * unitScale_, reach = 12.0f * unitScale_;
  for (const RingSpec& r : specs) {
    const auto& j = slots[r.joint];
    float d[3] = {slots[r.to][0] - slots[r.from][0], slots[r.to][1] - slots[r.from][1],
                  slots[r.to][2] - slots[r.from][2]};
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (len <= 0) continue;
    for (float& x : d) x /= len;
    for (std::size_t v = 0; v < skin.size(); ++v) {
      const float q[3] = {skin[v].x - j[0], skin[v].y - j[1], skin[v].z - j[2]};
      if (std::abs(q[0] * d[0] + q[1] * d[1] + q[2] * d[2]) < slab &&
          q[0] * q[0] + q[1] * q[1] + q[2] * q[2] < reach * reach)
        jointRings[r.ring].push_back(static_cast<int>(v));
    }
  }
}

std::optional<std::array<float, 3>> Avatar::ringCentre(JointRing ring) const {
  const auto& r = jointRings[ring];
  if (r.empty()) return std::nullopt;
  std::array<float, 3> c{};
  for (int v : r) {
    c[0] += skin[v].x;
    c[1] += skin[v].y;
    c[2] += skin[v].z;
  }
  for (float& x : c) x /= static_cast<float>(r.size());
  return c;
}

void Avatar::loadKindResources() {
  headExclusion.clear();
  wholeBody.clear();
  for (auto& g : limbGroups) g.clear();
  eyelashTexture.clear();
  hairTexture.clear();
  const KindResources* kind = kindResources(modelName_);
  if (!kind) return;
  eyelashTexture = std::string(kind->eyelashTexture);
  hairTexture = std::string(kind->hairTexture);
  const int vertices = static_cast<int>(skin.size());

  // A vertex group that cannot be read is empty; numbers outside the body
  // are dropped.
  auto group = [&](std::string_view path) {
    std::vector<int> out;
    auto g = readVertexGroup(dataFile(path));
    if (!g) {
      warnings.push_back(g.error().message());
      return out;
    }
    for (int i : g.value().indices)
      if (i < vertices) out.push_back(i);
    if (out.size() != g.value().indices.size())
      warnings.push_back(std::string(path) + ": vertex numbers beyond the body were dropped");
    return out;
  };
  headExclusion = group(kind->headExclusion);
  const bool woman = modelName_ == "woman";
  // The woman's whole-body group holds her shaping regions; the body editor reads it.
  if (!woman) wholeBody = group(kind->wholeBodyGroup);

  for (auto& ring : jointRings) ring.clear();
  if (!kind->skeleton.empty() && (!woman || highPose)) {
    const std::string landmarks = dataFile(kind->skeleton);
    if (auto read = skeleton.readSkeletonFile(landmarks); !read)
      warnings.push_back(read.error().message());
    skeleton.buildSkeleton(landmarks, skin.size());
    for (const std::string& w : skeleton.warnings()) warnings.push_back(w);
    takeJointRings();
  }
  if (!woman) return;

  const std::string folder = "\\model\\ChinaFemale\\SK\\";
  for (std::size_t i = 0; i < kFemaleLimbGroups.size(); ++i)
    limbGroups[i] = group(folder + std::string(kFemaleLimbGroups[i]) + ".grp");
  using namespace shipped;
  const int highest =
      std::max({kWomanShoulderLeft, kWomanShoulderRight, kWomanHeadTop, kWomanFootLowest});
  if (vertices <= highest) {
    warnings.push_back(modelPath_ + ": the body has fewer vertices than its fixed points need");
    return;
  }
  shoulderAnchors = {skin[kWomanShoulderLeft], skin[kWomanShoulderRight]};
  if (bagPose && triangleCount_ > std::size_t(kWomanBagHandle))
    bagHandle = triangles[kWomanBagHandle].corner;
  bodyLengthCm = (skin[kWomanHeadTop].y - skin[kWomanFootLowest].y) / unitScale_;
}

Result<void> Avatar::saveAvatar(const std::string& path) const {
  if (!model_) return makeError(path, "no body is loaded");
  // In the units it was authored in, with its weight levels and head
  // anchor, so that it loads as any body does.
  return loader_.exportAvatarC3D(path, *model_, centre_, unitScale_, modelTag_);
}

}  // namespace vestora
