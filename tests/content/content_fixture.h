// Access to the content the build generated into the application root.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "formats/model_loader.h"
#include "platform/data_path.h"

namespace vestora::testing {

inline std::string contentRoot() { return VESTORA_TEST_ROOT; }

inline std::string contentPath(std::string_view relative) { return dataPath(contentRoot(), relative); }

inline nlohmann::json contentManifest() {
  std::ifstream in(contentPath("\\model\\BodyManifest.json"));
  return nlohmann::json::parse(in);
}

struct LoadedModel {
  ModelLoader loader;
  std::unique_ptr<GlmModel> model;
  std::int32_t tag = 0;
};

inline LoadedModel loadContentModel(std::string_view relative) {
  LoadedModel m;
  auto result = m.loader.glmReadC3D(contentPath(relative), m.tag);
  EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message());
  if (result.ok()) m.model = std::move(result).value();
  return m;
}

}  // namespace vestora::testing
