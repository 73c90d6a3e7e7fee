// The scene environments: the sky dome, room and beach models with their
// pictures, the lake floor's two pictures and the lens flare's four.
//
// Each model is designed in world units and stored so that the program's
// placement (a uniform scale and a shift) brings it back there; every file
// written is read back with the program's model reader and placed, and one
// that lands anywhere else is refused.
#include <cmath>
#include <stdexcept>
#include <string>

#include "accessories/wear_textures.h"
#include "artwork/png_writer.h"
#include "content/generated.h"
#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "platform/resources.h"
#include "scenes/scene_layout.h"
#include "scenes/scene_models.h"
#include "scenes/scene_textures.h"

namespace vestora::generate {
namespace {

using namespace scenes;

constexpr int kSceneJpegQuality = 92;
constexpr double kPlacementTolerance = 1e-3;  // world units

void writeModel(ContentRoot& root, std::string_view path, const SceneMesh& mesh,
                const Placement& placement) {
  const std::string file(path);
  ModelLoader loader;
  auto bytes = loader.encodeC3D(mesh.toModel("", placement.scale, placement.shift), 0);
  if (!bytes) throw std::runtime_error(file + ": " + bytes.error().what);

  std::int32_t tag = 0;
  auto back = loader.readC3D(bytes.value(), file, tag);
  if (!back) throw std::runtime_error(file + ": does not read back: " + back.error().message());
  GlmModel& model = *back.value();
  glmScale(model, float(placement.scale));
  glmTranslate(model, float(placement.shift.x), float(placement.shift.y), float(placement.shift.z));
  if (model.vertexCount() != mesh.vertices.size())
    throw std::runtime_error(file + ": vertex count changed on reading");
  for (std::uint32_t i = 1; i <= model.vertexCount(); ++i) {
    const float* v = model.vertex(i);
    const Vec3& designed = mesh.vertices[i - 1];
    if (length(Vec3{v[0], v[1], v[2]} - designed) > kPlacementTolerance)
      throw std::runtime_error(file + ": vertex " + std::to_string(i) +
                               " is not placed where it was designed");
  }
  root.write(file, bytes.value());
}

void writeJpeg(ContentRoot& root, int id, const Image& image) {
  root.write(pictureResourcePath(id), wear::jpegOf(image, kSceneJpegQuality));
}

void writePng(ContentRoot& root, std::string_view path, const Image& image) {
  root.write(path, art::encodePng(image.width, image.height, 3, wear::rgbBytes(image)));
}

}  // namespace

void generateScenes(ContentRoot& root) {
  writeModel(root, kSkyDomeModelPath, skyDomeMesh(), kSkyDomePlacement);
  writeModel(root, kRoomModelPath, roomMesh(), kRoomPlacement);
  writeModel(root, kBeachModelPath, beachMesh(), kBeachPlacement);

  writeJpeg(root, 602, sandPicture(512));
  writeJpeg(root, 603, seaPicture(512));
  writeJpeg(root, 604, roomFloorPicture(1024));
  writeJpeg(root, 605, roomWallPicture(1024));
  writeJpeg(root, 606, beachSkyPicture(1024));
  writeJpeg(root, 607, skyDomePicture(1024));
  root.write(kTreePicturePath, wear::tgaOf(treePicture(512)));

  writePng(root, kLakePicturePath, lakePicture(256));
  writePng(root, kFloorLightMapPath, floorLightMap(256));

  root.write(kLensGlowPath, wear::bmpOf(hardGlowPicture(256)));
  root.write(kLensBigGlowPath, wear::bmpOf(bigGlowPicture(256)));
  root.write(kLensHaloPath, wear::bmpOf(haloPicture(256)));
  root.write(kLensStreaksPath, wear::bmpOf(streaksPicture(256)));
}

}  // namespace vestora::generate
