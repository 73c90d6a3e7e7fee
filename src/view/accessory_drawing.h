// Drawing of what the avatar wears besides garments: the man's face, the
// hair (translucent, by its strand alpha), the worn item by its material
// runs (the glasses' frame and tinted lenses), and the shoes, bag and socks.
// The textures are loaded here, from the file names the accessories keep,
// whenever they change.
#pragma once

#include <array>
#include <optional>

#include "avatar/accessories.h"
#include "view/body_pick.h"
#include "view/textures.h"

namespace vestora {

// The lens colour with its alpha as the lenses are drawn: a white lens is
// at most 0.3 opaque (a larger stored transparency is lowered to 0.3).
std::array<float, 4> lensColour(AccessoryLook& look);

// Whether the ray from `origin` along `direction` meets a triangle of
// `model` (both sides count).
bool rayHitsModel(const GlmModel& model, const Vec3f& origin, const Vec3f& direction);

class AccessoryDrawer {
 public:
  AccessoryDrawer() = default;
  AccessoryDrawer(const AccessoryDrawer&) = delete;
  AccessoryDrawer& operator=(const AccessoryDrawer&) = delete;

  // Loads the textures of every slot whose texture files changed (needs the
  // GL context). A file that cannot be read leaves its part untextured.
  void loadTextures(const Accessories& accessories);

  // The hair slot holding the man's face: the face and the eyes, unlit.
  void DrawFace(const AccessorySlot& face);
  // The hair: every group translucent with the style's texture (the
  // PonyTail's tail with its own), tinted with `colour` unless white.
  void DrawHair(const AccessorySlot& hair, const Rgb& colour);
  // The worn item run by run: the glasses' frame in the frame colour, the
  // lenses translucent in the lens colour, the others with their texture.
  void DrawWornItem(const AccessorySlot& item, AccessoryLook& look);
  // Shoes, bag and socks, each as a whole with its texture: a JPEG one
  // opaque, a TGA one blended with its alpha; the shoes tinted with the
  // shoe colour unless white.
  void DrawFootwear(const Accessories& accessories);

  void release();

 private:
  struct Textures {
    AccessoryTexture main, second;
    TextureRecord mainRecord, secondRecord;
  };
  void sync(Textures& textures, const AccessorySlot& slot);

  Textures hair_, worn_, shoe_, bag_, sock_;
};

}  // namespace vestora
