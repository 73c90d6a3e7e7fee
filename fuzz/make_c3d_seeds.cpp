// Writes the seed models of fuzz_c3d into a folder: small, valid files that
// between them reach every block of the format (normals, texture
// coordinates, facet normals, materials, groups with material runs, the
// female body's weight levels, a stored " default" group, bytes after the end).
//
//   make_c3d_seeds fuzz/corpus/fuzz_c3d
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "test_support.h"

namespace {

using namespace vestora;

bool save(const std::string& folder, const char* name, const std::vector<std::uint8_t>& bytes) {
  const std::string path = folder + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::vector<std::uint8_t> encode(const ModelLoader& loader, const GlmModel& m, std::int32_t tag) {
  auto bytes = loader.encodeC3D(m, tag);
  if (!bytes) {
    std::fprintf(stderr, "%s\n", bytes.error().message().c_str());
    std::exit(1);
  }
  return bytes.value();
}

// Unit normals and (u, v) from the position of every vertex of a sphere,
// numbered like the vertices.
void addSphereAttributes(GlmModel& m) {
  const std::uint32_t n = m.vertexCount();
  m.setNormalCount(n);
  m.setTexcoordCount(n);
  for (std::uint32_t i = 1; i <= n; ++i) {
    const float* v = m.vertex(i);
    for (int k = 0; k < 3; ++k) m.normals[3 * i + k] = v[k];
    m.texcoords[2 * i] = 0.5f + 0.5f * v[0];
    m.texcoords[2 * i + 1] = 0.5f + 0.5f * v[1];
  }
  for (auto& t : m.triangles)
    for (int c = 0; c < 3; ++c) t.nindices[c] = t.tindices[c] = t.vindices[c];
  glmFacetNormals(m);
  for (auto& g : m.groups)
    for (std::size_t k = 0; k < g.triangles.size(); ++k)
      g.triangleCopies[k] = m.triangles[g.triangles[k]];
}

GlmModel triangle() {
  GlmModel m;
  m.setVertexCount(3);
  const float xyz[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  std::memcpy(m.vertex(1), xyz, sizeof xyz);
  GlmTriangle t;
  t.vindices[0] = 1;
  t.vindices[1] = 2;
  t.vindices[2] = 3;
  m.triangles.push_back(t);
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = true;

  {  // nothing but the fixed blocks
    ModelLoader loader;
    ok &= save(folder, "empty.c3d", encode(loader, GlmModel{}, 0));
  }
  {  // one bare triangle, no groups
    ModelLoader loader;
    ok &= save(folder, "triangle.c3d", encode(loader, triangle(), 1));
  }
  {  // one triangle with every attribute, a material and a group with copies
    ModelLoader loader;
    loader.headAnchor = {1, 0.25f, -0.5f, 3, 4, 5, 6, 7, 8};
    GlmModel m = triangle();
    m.mtllibname = "model.mtl";
    m.modelName = "pose7";
    m.setNormalCount(1);
    m.normals[5] = 1;
    m.setTexcoordCount(3);
    for (int i = 2; i < 8; ++i) m.texcoords[i] = 0.125f * i;
    for (int c = 0; c < 3; ++c) {
      m.triangles[0].nindices[c] = 1;
      m.triangles[0].tindices[c] = static_cast<std::uint32_t>(c + 1);
    }
    glmFacetNormals(m);
    m.materials.resize(2);
    m.materials[0].name = "default";
    m.materials[1].name = "skin";
    m.materials[1].diffuse = {0.9f, 0.7f, 0.6f, 1};
    m.materials[1].shininess = 12.8f;
    m.materials[1].reserved = 0xabcd;
    GlmGroup& g = glmAddGroup(m, " body");
    g.material = 1;
    g.triangles = {0};
    g.triangleCopies = {m.triangles[0]};
    g.runs = {{"skin", 0, 1}};
    g.vertexNumbers = {1, 2, 3};
    g.normals = {0, 0, 1};
    g.texcoords = {0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f};
    ok &= save(folder, "triangle_full.c3d", encode(loader, m, 7));
  }
  {  // a small sphere in two groups, one of them with two material runs
    ModelLoader loader;
    GlmModel m = testing::makeSphere(4, 6);
    m.groups.clear();
    addSphereAttributes(m);
    m.materials.resize(3);
    m.materials[1].name = "red";
    m.materials[2].name = "blue";
    const std::uint32_t half = m.triangleCount() / 2;
    GlmGroup& top = glmAddGroup(m, " top");
    GlmGroup& bottom = glmAddGroup(m, " bottom");
    for (std::uint32_t i = 0; i < m.triangleCount(); ++i) {
      GlmGroup& g = i < half ? top : bottom;
      g.triangles.push_back(i);
      g.triangleCopies.push_back(m.triangles[i]);
    }
    top.material = 1;
    top.runs = {{"red", 0, top.triangleCount()}};
    bottom.material = 2;
    bottom.runs = {{"red", 0, 3}, {"blue", 3, bottom.triangleCount()}};
    for (std::uint32_t i = 1; i <= 5; ++i) top.vertexNumbers.push_back(i);
    ok &= save(folder, "sphere_groups.c3d", encode(loader, m, 42));
  }
  {  // the female body: two weight levels follow the groups
    ModelLoader loader;
    GlmModel m = testing::makeSphere(3, 4);
    m.modelName = "woman";
    loader.lowShape = m.vertices;
    loader.midShape = m.vertices;
    for (float& x : loader.lowShape) x *= 0.9f;
    for (float& x : loader.midShape) x *= 0.95f;
    loader.headAnchor = {2, 0.1f, 0.2f};
    ok &= save(folder, "woman.c3d", encode(loader, m, -3));
  }
  {  // a group named " default" in the file (writing never stores one), and
     // bytes after the end of the model
    ModelLoader loader;
    GlmModel m = testing::makeSphere(3, 3);
    GlmGroup& g = glmAddGroup(m, " defaulX");
    g.triangles = {0, 1};
    g.triangleCopies = {m.triangles[0], m.triangles[1]};
    auto bytes = encode(loader, m, 5);
    const std::string from = " defaulX";
    auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    if (at == bytes.end()) return 1;
    at[7] = 't';
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
    ok &= save(folder, "default_group_trailing.c3d", bytes);
  }
  if (!ok) std::fprintf(stderr, "could not write the seeds into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
