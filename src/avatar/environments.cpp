#include "avatar/environments.h"

#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "platform/data_path.h"

namespace vestora {

void placeEnvironment(GlmModel& model, const EnvironmentPlacement& placement) {
  glmScale(model, placement.scale);
  glmTranslate(model, placement.shift[0], placement.shift[1], placement.shift[2]);
}

EnvironmentModels LoadEnvironments(std::string_view root) {
  EnvironmentModels result;
  for (std::size_t i = 0; i < kEnvironmentCount; ++i) {
    const EnvironmentPlacement& placement = kEnvironmentPlacements[i];
    // A loader of its own: reading a scene must not touch the body's.
    ModelLoader loader;
    std::int32_t tag = 0;
    auto read = loader.glmReadC3D(dataPath(root, placement.path), tag);
    if (!read) {
      result.problems[i] = std::string(placement.path) + ": " + read.error().message();
      continue;
    }
    placeEnvironment(*read.value(), placement);
    result.models[i] = std::move(read.value());
  }
  return result;
}

}  // namespace vestora
