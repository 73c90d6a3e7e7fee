// Drawing of the scene environments behind the avatar: the sky dome over a
// lake that mirrors the avatar, the room and the beach with its palms.
// Each environment is compiled once into display lists with its pictures
// bound; a frame only calls the lists. The avatar (and, under the sky, its
// mirror image) is drawn by callbacks of the view, between the
// environment's passes.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "avatar/environments.h"
#include "view/textures.h"

namespace vestora {

// The lake floor's pictures and quad.
inline constexpr std::string_view kLakePicture = "\\data\\scene\\lake2.png";
inline constexpr std::string_view kFloorLightMap = "\\data\\scene\\floor_lm.png";
inline constexpr float kFloorY = -8.8f;
inline constexpr float kFloorHalfWidth = 42, kFloorHalfDepth = 48;
// The lake shows at this opacity over the mirror image.
inline constexpr float kLakeOpacity = 0.7f;

// Whether `name` is one of the blank-separated words of an extension list.
bool extensionListed(const char* extensions, std::string_view name);

class EnvironmentDrawer {
 public:
  EnvironmentDrawer() = default;
  EnvironmentDrawer(const EnvironmentDrawer&) = delete;
  EnvironmentDrawer& operator=(const EnvironmentDrawer&) = delete;

  // Loads the pictures of the models there are and compiles their display
  // lists (needs the context). Returns the pictures that could not be
  // read; their groups are drawn untextured.
  std::vector<std::string> Load(const EnvironmentModels& models, std::string_view root);
  // Multitexturing and the lake's two pictures. False (no floor, no
  // mirror) when the driver lacks GL_ARB_multitexture or
  // GL_EXT_texture_env_combine; the floor stays unready when a picture is
  // missing. Also notes whether the frame buffer has a stencil (the
  // mirror needs one).
  bool InitFloor(std::string_view root);
  void release();

  bool multitextureOk() const { return multitextureOk_; }
  bool floorReady() const { return floorReady_; }
  bool ready(Environment e) const { return lists_[static_cast<std::size_t>(e)] != 0; }

  // The lake: one quad on y = −8.8, the water repeating three times across
  // and twice deep, lit by the light map on the second texture unit.
  void DrawFloor();

  // The callbacks of the view.
  struct AvatarPasses {
    std::function<void()> body;      // the body as the frame draws it
    std::function<void()> mirrored;  // what the lake reflects (body, garments, accessories)
  };
  // The sky dome. With the floor, multitexturing and a stencil buffer the
  // lake mirrors the avatar; without a stencil buffer the lake is drawn
  // without a reflection, without multitexturing the dome stands alone.
  void DrawSky(const AvatarPasses& avatar);
  void DrawRoom(const AvatarPasses& avatar);
  void DrawBeach(const AvatarPasses& avatar);

  // Draws the reflection (for comparisons; on by default).
  bool mirrorEnabled = true;

 private:
  void compile(Environment e, const GlmModel& model);

  std::array<unsigned, kEnvironmentCount> lists_{};
  unsigned treeList_ = 0;
  unsigned floorList_ = 0;
  // Pictures 602 to 607 by id − 602, and the palm's TGA.
  std::array<unsigned, 6> pictures_{};
  TextureRecord tree_;
  unsigned lake_ = 0, lightMap_ = 0;
  bool multitextureOk_ = false, floorReady_ = false, hasStencil_ = false;
};

}  // namespace vestora
