// The girl: her body, skeleton, height table, groups and eyelashes.
#include <cstdio>
#include <stdexcept>

#include "avatar/shipped_numbers.h"
#include "content/body_files.h"
#include "content/fixed_points.h"
#include "formats/shape_files.h"

namespace vestora::generate {

void generateGirl(ContentRoot& root, Manifest& manifest) {
  using namespace shipped;
  FigureModel f = buildFigureModel(girlShape(), 0.9);
  renumberBody(f, girlPlacement(f, findLevels(f.body, f.shape)));
  const BodyLevels l = findLevels(f.body, f.shape);
  const std::vector<Vec3> rest = f.restPositions();
  ModelLoader loader;
  const SkinLayout layout = layoutSkin(f, true);
  GlmModel model = toGlmModel(f, rest, {"Girl", " Eyes"}, layout);
  writeSkinPictures(root, f, layout, girlLook(), kGirlTextures);
  writeModel(root, "\\model\\ChinaGirl\\Girl.c3d", model, loader, 2);
  const Unitization u = unitizationOf(model);

  // Heights 80 to 142.237 cm: the girl scaled about the floor; the loaded
  // girl stands with her soles at y = −8.73666, and so do these.
  std::vector<ShapeTableRecord> table;
  const double height = f.shape.headTop.y;
  std::vector<double> keys;
  for (int h = 80; h <= 142; h += 2) keys.push_back(h);
  keys.push_back(142.237);
  Unitization girl = u;
  girl.liftY = 0;
  for (double key : keys) {
    std::vector<Vec3> scaled = rest;
    for (Vec3& p : scaled) p *= key / height;
    std::vector<float> normal = normalised(scaled, girl);
    float lowest = 1e30f;
    for (std::size_t v = 1; v < normal.size() / 3; ++v) lowest = std::min(lowest, normal[3 * v + 1]);
    for (std::size_t v = 1; v < normal.size() / 3; ++v) normal[3 * v + 1] += -8.73666f - lowest;
    char name[64];
    std::snprintf(name, sizeof name, "\\model\\ChinaGirl\\Height\\G%05.1f.vts", key);
    root.write(name, encodeVertexSet(normal));
    table.push_back({float(key), name});
  }
  auto bytes = encodeShapeTable(table);
  if (!bytes) throw std::runtime_error(bytes.error().what);
  root.write("\\model\\ChinaGirl\\GirlHeightPlot.plt", bytes.value());

  writeSkeleton(root, "\\model\\ChinaGirl\\GirlSkltn.dar", f, u);
  writeVertexGroup(root, "\\model\\ChinaGirl\\DisableGirlHead.GRP", f,
                   [](int, const Vec3&, Part q) { return q == Part::Head; }, "head, eyes and lashes", true);
  writeVertexGroup(root, "\\model\\ChinaGirl\\Girl.GRP", f, [](int, const Vec3&, Part) { return true; },
                   "whole body");
  writeEyelashTexture(root, "\\model\\ChinaGirl\\GirlEyelash.tga", 3);

  Manifest girlJson;
  girlJson["model"] = "\\model\\ChinaGirl\\Girl.c3d";
  girlJson["vertices"] = f.modelVertices();
  girlJson["bodyVertices"] = f.bodyVertices();
  girlJson["triangles"] = model.triangleCount();
  (void)l;
  manifest["Girl"] = girlJson;
}

}  // namespace vestora::generate
