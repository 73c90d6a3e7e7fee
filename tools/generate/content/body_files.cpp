#include "content/body_files.h"

#include <cmath>
#include <stdexcept>

#include "assets/assets.h"
#include "formats/shape_files.h"
#include "formats/skeleton_files.h"

namespace vestora::generate {

void writeModel(ContentRoot& root, std::string_view path, const GlmModel& model,
                const ModelLoader& loader, std::int32_t tag) {
  auto bytes = loader.encodeC3D(model, tag);
  if (!bytes) throw std::runtime_error(std::string(path) + ": " + bytes.error().what);
  root.write(path, bytes.value());
}

void writeSkeleton(ContentRoot& root, std::string_view darPath, const FigureModel& f,
                   const Unitization& u) {
  std::array<std::array<float, 3>, kLandmarkSlots> slots{};
  const auto positions = f.rig.slots();
  for (int s = 0; s < kLandmarkSlots; ++s)
    for (int k = 0; k < 3; ++k)
      slots[s][k] = (float(positions[s][k]) - u.centre[k]) * u.scale + (k == 1 ? u.liftY : 0.0f);
  root.writeText(darPath, formatLandmarks(slots));

  std::array<std::vector<float>, kSkinnedJoints + 1> weights;
  for (int j = 1; j <= kSkinnedJoints; ++j) weights[j].assign(f.modelVertices(), 0.0f);
  for (int v = 0; v < f.modelVertices(); ++v)
    for (int k = 0; k < 4; ++k)
      if (f.weights[v].weight[k] > 0) weights[f.weights[v].joint[k]][v] = f.weights[v].weight[k];
  root.writeText(weightFilePathFor(darPath), formatSkinWeights(weights));
}

void writeVertexGroup(ContentRoot& root, std::string_view path, const FigureModel& f,
                      const std::function<bool(int, const Vec3&, Part)>& keep,
                      std::string_view comment, bool withEyes) {
  std::vector<int> indices;
  for (int v = 0; v < f.bodyVertices(); ++v)
    if (keep(v, f.body.positions[v], f.parts[v])) indices.push_back(v);
  if (withEyes)
    for (int v = f.bodyVertices(); v < f.modelVertices(); ++v) indices.push_back(v);
  root.writeText(path, formatVertexGroup(indices, comment));
}

void writeSkinPictures(ContentRoot& root, const FigureModel& figure, const SkinLayout& layout,
                       const SkinLook& look, const BodyTextureFiles& files) {
  const SkinPictures pictures = paintSkin(figure, layout, look, 2048, 1024, 256);
  root.write(files.body, encodeJpeg(pictures.bodySize, pictures.bodySize, pictures.body, 90));
  root.write(files.head, encodeJpeg(pictures.headSize, pictures.headSize, pictures.head, 92));
  if (!pictures.eye.empty() && !files.eye.empty())
    root.write(files.eye, encodeJpeg(pictures.eyeSize, pictures.eyeSize, pictures.eye, 92));
}

void writeEyelashTexture(ContentRoot& root, std::string_view path, std::uint32_t seed) {
  const int w = 128, h = 32;
  root.write(path, encodeTga(w, h, eyelashTexture(w, h, seed)));
}

Manifest dimensionsJson(const std::map<std::string, double>& measures) {
  Manifest j = Manifest::object();
  for (const auto& [name, value] : measures) j[name] = std::round(value * 1000.0) / 1000.0;
  return j;
}

}  // namespace vestora::generate
