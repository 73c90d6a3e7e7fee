// A summary of a model file for people who author content.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "formats/model_loader.h"

namespace vestora::cli {

// A float as JSON, written with the fewest digits that read back to the same float.
nlohmann::ordered_json jsonFloat(float value);

nlohmann::ordered_json modelInfoJson(const GlmModel& model, const ModelLoader& loader,
                                     std::int32_t tag);
std::string modelInfoText(const GlmModel& model, const ModelLoader& loader, std::int32_t tag,
                          const std::string& path);

// Reads a .c3d or .obj file by its extension (case ignored).
Result<std::unique_ptr<GlmModel>> readModelFile(ModelLoader& loader, const std::string& path,
                                                std::int32_t& tag);

}  // namespace vestora::cli
