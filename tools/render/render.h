// Off-screen pictures of a polygon model, for looking at generated models
// without a display: EGL on Mesa's surfaceless platform, an orthographic
// camera fitted to the model, smooth shading and two directional lights.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/glm_model.h"
#include "platform/result.h"

namespace vestora::render {

// Where the camera stands. The model stands along +y and faces +z.
enum class View {
  kFront,  // on +z, looking along -z; +x to the right of the picture
  kSide,   // on +x, looking along -x; -z to the right
  kBack,   // on -z, looking along +z; -x to the right
  kTop,    // on +y, looking down; +x to the right, -z to the top
};

std::string_view viewName(View view);
std::optional<View> parseView(std::string_view name);

inline constexpr int kMinImageSize = 16;
inline constexpr int kMaxImageSize = 8192;

struct RenderOptions {
  int size = 800;  // width and height of every picture, pixels
  std::vector<View> views{View::kFront, View::kSide, View::kBack, View::kTop};
  bool groupColours = false;  // every group in a colour of its own (see groupColour)
  bool wire = false;          // faint triangle edges over the shaded surface
};

// An RGB picture, 3 bytes per pixel, top row first.
struct Image {
  View view = View::kFront;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  std::array<std::uint8_t, 3> pixel(int x, int y) const {
    const std::size_t i = 3 * (static_cast<std::size_t>(y) * width + x);
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

// Colour of surfaces that are not eyes, lashes or hair.
inline constexpr std::array<float, 3> kSkinColour{0.85f, 0.72f, 0.62f};

// The colour of group `index` (position in the model's group list, head = 0)
// when every group is drawn in its own colour; neighbours differ clearly.
std::array<float, 3> groupColour(std::size_t index);

// Whether an EGL display can be opened and initialised on this machine.
// Fails with a message naming the EGL call that failed.
Result<void> probeRendering();

// One picture per entry of `options.views`, in that order. Fails with a
// message naming the EGL or GL call that failed.
Result<std::vector<Image>> renderModelViews(const GlmModel& model, const RenderOptions& options);

// The picture as an 8-bit RGB PNG file.
Result<std::vector<std::uint8_t>> encodePng(const Image& image);

}  // namespace vestora::render
