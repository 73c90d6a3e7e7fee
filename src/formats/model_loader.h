// Reading and writing of polygon models, and the avatar data that travels
// with them: the female body's two extra weight levels, the head anchor, and
// the statements an OBJ source adds for avatars.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/glm_model.h"
#include "platform/file_io.h"
#include "platform/result.h"

namespace vestora {

// Fetches a file that a model source refers to by path (its material
// library, the other weight level of a female body).
using FileFetcher = std::function<Result<std::string>(const std::string& path)>;

// Reads from the file system.
FileFetcher diskFetcher();

inline constexpr std::size_t kLandmarkListCapacity = 10;

class ModelLoader {
 public:
  // Whole-body vertex positions of the female body ("woman") at its low and
  // middle weight: (V + 1) × 3 floats, entry 0 unused; empty when none.
  std::vector<float> lowShape;
  std::vector<float> midShape;
  // Float 0 selects the head shape (0, 1 or 2); floats 1 and 2 are the
  // vertical and depth offsets of the hair anchor; 3 to 8 are carried along.
  std::array<float, 9> headAnchor{};
  int shapeLevel = -1;       // weight level of the last female OBJ body: 0 low, 1 middle
  int normaliseSwitch = -1;  // 1: the source is already normalised, glmUnitize leaves it
  // Four lists of landmark numbers from "L" lines, at most 10 entries each.
  std::array<std::vector<int>, 4> landmarks;
  // Recoverable problems met by the last read, one line each.
  std::vector<std::string> warnings;

  // ---- binary model files (.c3d) ----
  // A new model; the tag goes to `modelTag`. Replaces `headAnchor` and, for a
  // "woman" body, `lowShape`/`midShape`; on failure the loader is unchanged.
  Result<std::unique_ptr<GlmModel>> glmReadC3D(const std::string& path, std::int32_t& modelTag);
  Result<std::unique_ptr<GlmModel>> readC3D(Bytes data, const std::string& sourceName,
                                            std::int32_t& modelTag);

  // Writes `model` with `lowShape`, `midShape` and `headAnchor` of this loader.
  // Groups from the newest down to (not including) the first group named
  // " default" are stored; that group and all older ones are not.
  Result<void> glmWriteC3D(const std::string& path, const GlmModel& model,
                           std::int32_t modelTag) const;
  Result<std::vector<std::uint8_t>> encodeC3D(const GlmModel& model, std::int32_t modelTag) const;

  // Writes an avatar in the units it was authored in: undoes the centring and
  // scaling of glmUnitize (plus the fixed 0.089 on x) on a copy of the
  // vertices; `model` itself is not changed.
  Result<void> exportAvatarC3D(const std::string& path, const GlmModel& model,
                               const std::array<float, 3>& centre, float scale,
                               std::int32_t modelTag) const;

  // ---- Wavefront OBJ with MTL ----
  // A new model from an OBJ source. `modelTag` is changed only by a "p" line.
  Result<std::unique_ptr<GlmModel>> glmReadOBJ(const std::string& path, std::int32_t& modelTag);
  Result<std::unique_ptr<GlmModel>> readOBJ(std::string_view text, const std::string& path,
                                            const FileFetcher& fetch, std::int32_t& modelTag);

  // Reads material library `name` (looked for in the folder of the model's
  // path) into `model`'s materials, texture-map names and model name.
  Result<void> glmReadMTL(GlmModel& model, const std::string& name, const FileFetcher& fetch);

  // ---- normalisation ----
  // Centres and scales a freshly read body so that, for the human bodies,
  // one model unit is 10 cm; chooses the head anchor. Returns the scale and
  // writes the centre of the original bounding box.
  float glmUnitize(GlmModel& model, std::array<float, 3>& centre);
};

// Material statements of an MTL source applied to `model` (which receives
// materials, texture-map names and model name). Problems go to `warnings`.
void parseMTL(GlmModel& model, std::string_view text, std::vector<std::string>& warnings);

}  // namespace vestora
