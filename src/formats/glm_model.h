// The polygon model shared by every body, scene object, accessory and
// garment source.
//
// Vertex, normal, texture-coordinate and facet-normal arrays are 1-based:
// they hold count + 1 entries and entry 0 holds no data. Triangle and
// material arrays are 0-based. Groups form a list whose head is the group
// created last.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vestora {

// Names and texts of a model are stored in 128-byte fields.
inline constexpr std::size_t kGlmNameField = 128;
inline constexpr std::size_t kGlmMaxNameLength = kGlmNameField - 1;
inline constexpr std::size_t kGlmMaxMaterialRuns = 200;

// Stored raw, 40 bytes. All numbers 1-based; 0 = this corner has no normal
// or no texture coordinate.
struct GlmTriangle {
  std::uint32_t vindices[3] = {0, 0, 0};
  std::uint32_t nindices[3] = {0, 0, 0};
  std::uint32_t tindices[3] = {0, 0, 0};
  std::uint32_t findex = 0;
  bool operator==(const GlmTriangle&) const = default;
};
static_assert(sizeof(GlmTriangle) == 40);

struct GlmMaterial {
  std::string name;
  std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  std::array<float, 4> ambient{0.2f, 0.2f, 0.2f, 1.0f};
  std::array<float, 4> specular{0.0f, 0.0f, 0.0f, 1.0f};
  std::array<float, 4> emissive{0.0f, 0.0f, 0.0f, 1.0f};
  float shininess = 65.0f;
  std::uint32_t reserved = 0;  // carried unchanged through reading and writing
  bool operator==(const GlmMaterial&) const = default;
};

// The triangles of a group declared under one material: positions
// [first, end) of the group's triangle list.
struct GlmMaterialRun {
  std::string material;
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  bool operator==(const GlmMaterialRun&) const = default;
};

struct GlmGroup {
  std::string name;  // names from OBJ "g" lines keep their leading blank: " head"
  std::vector<std::uint32_t> triangles;  // 0-based positions in the model's triangle array
  std::uint32_t material = 0;
  std::vector<GlmMaterialRun> runs;  // at most kGlmMaxMaterialRuns
  // Vertex numbers, normal copies (3 floats each) and texture-coordinate
  // copies (2 floats each) met while the group was current. On disk each is
  // stored at the capacity of the model's array (count + 1 entries).
  std::vector<std::uint32_t> vertexNumbers;
  std::vector<float> normals;
  std::vector<float> texcoords;
  std::uint32_t scratch = 0;  // cleared on creation, never stored
  std::vector<GlmTriangle> triangleCopies;  // one per entry of `triangles`

  std::uint32_t triangleCount() const { return static_cast<std::uint32_t>(triangles.size()); }
  bool operator==(const GlmGroup& o) const;
};

struct GlmModel {
  GlmModel();

  std::string pathname;
  std::string mtllibname;
  std::string modelName;  // the model's kind: "woman", "man", "James", "Girl", "pose7" or empty
  std::vector<std::string> textureMaps;  // at most two, filled by the material reader

  std::vector<float> vertices;      // (V + 1) × 3
  std::vector<float> normals;       // (N + 1) × 3
  std::vector<float> texcoords;     // (T + 1) × 2
  std::vector<float> facetnorms;    // (F + 1) × 3, or empty when F = 0
  std::vector<GlmTriangle> triangles;
  std::vector<GlmMaterial> materials;
  std::list<GlmGroup> groups;       // front() is the head: the newest group
  std::array<float, 3> position{0.0f, 0.0f, 0.0f};

  std::uint32_t vertexCount() const { return count(vertices, 3); }
  std::uint32_t normalCount() const { return count(normals, 3); }
  std::uint32_t texcoordCount() const { return count(texcoords, 2); }
  std::uint32_t facetNormalCount() const { return count(facetnorms, 3); }
  std::uint32_t triangleCount() const { return static_cast<std::uint32_t>(triangles.size()); }

  // Model vertex i (1-based): 3 floats.
  float* vertex(std::uint32_t i) { return &vertices[3 * static_cast<std::size_t>(i)]; }
  const float* vertex(std::uint32_t i) const { return &vertices[3 * static_cast<std::size_t>(i)]; }

  // Resize a 1-based array to hold `count` entries after the unused entry 0.
  void setVertexCount(std::uint32_t n) { vertices.assign(3 * (std::size_t(n) + 1), 0.0f); }
  void setNormalCount(std::uint32_t n) { normals.assign(3 * (std::size_t(n) + 1), 0.0f); }
  void setTexcoordCount(std::uint32_t n) { texcoords.assign(2 * (std::size_t(n) + 1), 0.0f); }

  bool operator==(const GlmModel& o) const;

 private:
  static std::uint32_t count(const std::vector<float>& a, std::size_t width) {
    return a.size() < width ? 0u : static_cast<std::uint32_t>(a.size() / width - 1);
  }
};

// First group with exactly this name, or nullptr.
GlmGroup* glmFindGroup(GlmModel& model, std::string_view name);
const GlmGroup* glmFindGroup(const GlmModel& model, std::string_view name);

// The group of that name; created at the head of the list when there is none.
GlmGroup& glmAddGroup(GlmModel& model, std::string_view name);

// Index of the first material with exactly this name. When there is none
// the warning "glmFindMaterial():  can't find material NAME" is added to
// `warnings` (when given) and material 0 is used.
std::uint32_t glmFindMaterial(const GlmModel& model, std::string_view name,
                              std::vector<std::string>* warnings = nullptr);

// Frees the model and everything it owns.
void glmDelete(std::unique_ptr<GlmModel>& model);

}  // namespace vestora
