// Drawing of polygon-model groups and of the avatar's body: the textured
// path that chooses a texture for each named group by the body kind, and
// the plain path that draws the body triangle by triangle in one colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "avatar/avatar.h"
#include "avatar/avatar_table.h"
#include "formats/glm_model.h"
#include "view/textures.h"

namespace vestora {

// Immediate-mode drawing of one group: every triangle with its texture
// coordinates (when `textured`), normals and vertices from the model's
// 1-based arrays, in black or white. A corner without a normal takes its
// triangle's facet normal. Texturing state and the bound texture are the
// caller's.
void DrawGroup(const GlmModel& model, const GlmGroup& group, bool black, bool textured);

// The translucent pass: unlit, textured with `texture`, blended, with the
// alpha test dropping texels of alpha 0.1 or less (they write no depth).
void DrawTranslucentGroup(const GlmModel& model, const GlmGroup& group, unsigned texture);

// The state of the translucent pass (hair, eyelashes, the sheet's paper):
// unlit, both faces, white, depth-tested, texels with alpha ≤ 0.1 dropped,
// alpha blending, `texture` bound and enabled. The caller disables
// texturing (and blending) afterwards.
void BeginTranslucentPass(unsigned texture);

// Colours of the plain body drawing.
inline constexpr std::array<float, 3> kPlainBodyColour{0.816f, 0.835f, 0.871f};
inline constexpr std::array<float, 3> kMarkedTriangleColour{0.3f, 1.0f, 1.0f};

struct BodyTextures {
  unsigned body = 0, head = 0, eye = 0;
  TextureRecord eyelash, hair;
};

// Draws the avatar's body, keeping the drawing in a display list that is
// compiled again only when the body's vertices, its textures or the marked
// triangles change.
class BodyDrawer {
 public:
  BodyDrawer() = default;
  BodyDrawer(const BodyDrawer&) = delete;
  BodyDrawer& operator=(const BodyDrawer&) = delete;

  // Loads the textures of the avatar's kind from `root` when another body
  // has been loaded since the last call. Missing files leave their texture 0.
  void loadTextures(const Avatar& avatar, const std::string& root);
  // The body by the kind's group table, or plain when the body texture is
  // missing or the kind is unknown.
  void DrawBody(const Avatar& avatar);
  // Deletes the textures and the display list (needs the GL context).
  void release();

  bool texturesInUse() const { return textures_.body != 0; }
  const BodyTextures& textures() const { return textures_; }

  // The selected triangle (0-based record number, −1 none); once drawn it
  // stays marked.
  int selectedTriangle = -1;
  // Every triangle outlined in dark grey over the surface (plain path).
  bool outline = false;

 private:
  void drawTextured(const Avatar& avatar);
  void drawPlain(const Avatar& avatar);
  bool cacheValid(const Avatar& avatar) const;

  BodyTextures textures_;
  std::string texturesFor_;
  unsigned list_ = 0;
  // What the display list was compiled from.
  std::vector<float> listVertices_;
  const GlmModel* listModel_ = nullptr;
  int listSelected_ = -2;
  bool listOutline_ = false;
  std::size_t listMarked_ = 0;
  std::vector<float> normals_;  // smooth vertex normals, 1-based
  std::vector<std::uint8_t> marked_;
  std::size_t markedCount_ = 0;
};

}  // namespace vestora
