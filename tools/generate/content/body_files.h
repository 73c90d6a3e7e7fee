// Writers shared by the bodies of every kind: the model file, skeleton and
// weights, vertex groups, eyelash texture and manifest entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "avatar/avatar_table.h"
#include "body/figure_model.h"
#include "body/skin_layout.h"
#include "body/skin_paint.h"
#include "content/body_levels.h"
#include "content/content_root.h"
#include "content/generated.h"
#include "content/variants.h"
#include "formats/model_loader.h"

namespace vestora::generate {

// Writes a model file through the program's own writer.
void writeModel(ContentRoot& root, std::string_view path, const GlmModel& model,
                const ModelLoader& loader, std::int32_t tag);

// The landmark (.dar) and weight files of the figure, in the normalised
// space of `u`.
void writeSkeleton(ContentRoot& root, std::string_view darPath, const FigureModel& figure,
                   const Unitization& u);

// Vertex groups: the body vertices (0-based records) that satisfy `keep`.
void writeVertexGroup(ContentRoot& root, std::string_view path, const FigureModel& figure,
                      const std::function<bool(int vertex, const Vec3& p, Part part)>& keep,
                      std::string_view comment, bool withEyes = false);

// The skin pictures of a figure (body, head and, when the layout gives
// the eyes their own, eyes) as JPEG files at the kind's paths.
void writeSkinPictures(ContentRoot& root, const FigureModel& figure, const SkinLayout& layout,
                       const SkinLook& look, const BodyTextureFiles& files);

// An eyelash texture.
void writeEyelashTexture(ContentRoot& root, std::string_view path, std::uint32_t seed);

// Dimensions of a body as the manifest records them.
Manifest dimensionsJson(const std::map<std::string, double>& measures);

}  // namespace vestora::generate
