#include "formats/glm_model.h"

#include <algorithm>

namespace vestora {

GlmModel::GlmModel() : vertices(3, 0.0f), normals(3, 0.0f), texcoords(2, 0.0f) {}

bool GlmGroup::operator==(const GlmGroup& o) const {
  return name == o.name && triangles == o.triangles && material == o.material &&
         runs == o.runs && vertexNumbers == o.vertexNumbers && normals == o.normals &&
         texcoords == o.texcoords && triangleCopies == o.triangleCopies;
}

namespace {

// Entry 0 of a 1-based array holds no data: compare from entry 1.
bool sameEntries(const std::vector<float>& a, const std::vector<float>& b, std::size_t width) {
  if (a.size() <= width || b.size() <= width) return a.size() <= width && b.size() <= width;
  return a.size() == b.size() && std::equal(a.begin() + width, a.end(), b.begin() + width);
}

}  // namespace

bool GlmModel::operator==(const GlmModel& o) const {
  return modelName == o.modelName && mtllibname == o.mtllibname &&
         sameEntries(vertices, o.vertices, 3) && sameEntries(normals, o.normals, 3) &&
         sameEntries(texcoords, o.texcoords, 2) && sameEntries(facetnorms, o.facetnorms, 3) &&
         triangles == o.triangles && materials == o.materials && groups == o.groups &&
         position == o.position;
}

GlmGroup* glmFindGroup(GlmModel& model, std::string_view name) {
  for (auto& g : model.groups)
    if (g.name == name) return &g;
  return nullptr;
}

const GlmGroup* glmFindGroup(const GlmModel& model, std::string_view name) {
  for (const auto& g : model.groups)
    if (g.name == name) return &g;
  return nullptr;
}

GlmGroup& glmAddGroup(GlmModel& model, std::string_view name) {
  if (GlmGroup* existing = glmFindGroup(model, name)) return *existing;
  GlmGroup& group = model.groups.emplace_front();
  group.name = std::string(name);
  return group;
}

std::uint32_t glmFindMaterial(const GlmModel& model, std::string_view name,
                              std::vector<std::string>* warnings) {
  for (std::size_t i = 0; i < model.materials.size(); ++i)
    if (model.materials[i].name == name) return static_cast<std::uint32_t>(i);
  if (warnings) warnings->push_back("glmFindMaterial():  can't find material " + std::string(name));
  return 0;
}

void glmDelete(std::unique_ptr<GlmModel>& model) { model.reset(); }

}  // namespace vestora
