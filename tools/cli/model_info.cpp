#include "cli/model_info.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "formats/model_ops.h"

namespace vestora::cli {

nlohmann::ordered_json jsonFloat(float value) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  double shortest = value;
  std::from_chars(buf, r.ptr, shortest);
  return shortest;
}

namespace {

nlohmann::ordered_json point(const std::array<float, 3>& p) {
  return nlohmann::ordered_json::array({jsonFloat(p[0]), jsonFloat(p[1]), jsonFloat(p[2])});
}

std::string fmt(float v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool hasShape(const std::vector<float>& shape, const GlmModel& model) {
  return model.modelName == "woman" && shape.size() == model.vertices.size();
}

}  // namespace

nlohmann::ordered_json modelInfoJson(const GlmModel& m, const ModelLoader& loader,
                                     std::int32_t tag) {
  nlohmann::ordered_json j;
  j["tag"] = tag;
  j["modelName"] = m.modelName;
  j["vertices"] = m.vertexCount();
  j["normals"] = m.normalCount();
  j["texcoords"] = m.texcoordCount();
  j["facetNormals"] = m.facetNormalCount();
  j["triangles"] = m.triangleCount();
  j["materials"] = nlohmann::ordered_json::array();
  for (const auto& mat : m.materials) j["materials"].push_back(mat.name);
  j["groups"] = nlohmann::ordered_json::array();
  for (const auto& g : m.groups) {
    nlohmann::ordered_json runs = nlohmann::ordered_json::array();
    for (const auto& r : g.runs)
      runs.push_back({{"material", r.material}, {"first", r.first}, {"end", r.end}});
    j["groups"].push_back({{"name", g.name},
                           {"triangles", g.triangleCount()},
                           {"material", g.material},
                           {"runs", runs}});
  }
  std::array<float, 3> dims{}, maximum{}, minimum{};
  glmDimensions(m, dims, maximum, minimum);
  j["bbox"] = {{"min", point(minimum)}, {"max", point(maximum)}};
  j["hasLowShape"] = hasShape(loader.lowShape, m);
  j["hasMidShape"] = hasShape(loader.midShape, m);
  j["headAnchor"] = nlohmann::ordered_json::array();
  for (float f : loader.headAnchor) j["headAnchor"].push_back(jsonFloat(f));
  return j;
}

std::string modelInfoText(const GlmModel& m, const ModelLoader& loader, std::int32_t tag,
                          const std::string& path) {
  std::ostringstream out;
  auto row = [&](const char* label, const std::string& value) {
    out << label << std::string(14 - std::min<std::size_t>(13, std::string(label).size()), ' ')
        << value << '\n';
  };
  row("file", path);
  row("tag", std::to_string(tag));
  row("modelName", m.modelName.empty() ? "(none)" : "\"" + m.modelName + "\"");
  row("vertices", std::to_string(m.vertexCount()));
  row("normals", std::to_string(m.normalCount()));
  row("texcoords", std::to_string(m.texcoordCount()));
  row("facetNormals", std::to_string(m.facetNormalCount()));
  row("triangles", std::to_string(m.triangleCount()));
  std::string materials = std::to_string(m.materials.size());
  for (std::size_t i = 0; i < m.materials.size(); ++i)
    materials += (i ? ", \"" : ": \"") + m.materials[i].name + "\"";
  row("materials", materials);
  row("groups", std::to_string(m.groups.size()) + " (newest first)");
  for (const auto& g : m.groups) {
    out << "  \"" << g.name << "\"  " << g.triangleCount() << " triangles, material " << g.material;
    for (const auto& r : g.runs)
      out << ", \"" << r.material << "\" [" << r.first << ", " << r.end << ")";
    out << '\n';
  }
  std::array<float, 3> dims{}, maximum{}, minimum{};
  glmDimensions(m, dims, maximum, minimum);
  row("bbox", "min (" + fmt(minimum[0]) + ", " + fmt(minimum[1]) + ", " + fmt(minimum[2]) +
                  ")  max (" + fmt(maximum[0]) + ", " + fmt(maximum[1]) + ", " + fmt(maximum[2]) +
                  ")");
  row("lowShape", hasShape(loader.lowShape, m) ? "yes" : "no");
  row("midShape", hasShape(loader.midShape, m) ? "yes" : "no");
  std::string anchor;
  for (float f : loader.headAnchor) anchor += (anchor.empty() ? "" : " ") + fmt(f);
  row("headAnchor", anchor);
  return out.str();
}

Result<std::unique_ptr<GlmModel>> readModelFile(ModelLoader& loader, const std::string& path,
                                                std::int32_t& tag) {
  std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (ext == ".c3d") return loader.glmReadC3D(path, tag);
  if (ext == ".obj") return loader.glmReadOBJ(path, tag);
  return makeError(path, "not a model file (expected .c3d or .obj)");
}

}  // namespace vestora::cli
