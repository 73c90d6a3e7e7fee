// The scenes behind the avatar: the cycle of "场景" and the environment
// step of the frame.
#include "view/gl_headers.h"
#include "view/gl_view.h"
#include "view/gl_view_internal.h"
#include "view/object3d.h"

namespace vestora {

std::optional<Environment> GlView::chosenEnvironment() const {
  if (!environmentOn || !avatar_.loaded()) return std::nullopt;
  const std::optional<Environment> e = scene.environment();
  if (e && !sceneAvailable(*e)) return std::nullopt;
  return e;
}

bool GlView::sceneAvailable(Environment e) const {
  return avatar_.environments.available(e) && gl_->environment.ready(e);
}

void GlView::setMirrorEnabled(bool on) {
  gl_->environment.mirrorEnabled = on;
}

void GlView::NextScene() {
  nextScene(sceneStep, scene, camera);
  const std::optional<Environment> wanted = scene.environment();
  if (wanted && !avatar_.environments.available(*wanted)) {
    const auto& placement = kEnvironmentPlacements[static_cast<std::size_t>(*wanted)];
    host_.dialogs().showMessage(std::string(kSceneMissingMessage) + std::string(placement.path), "",
                                MessageIcon::Warning);
  }
  redraw();
}

void GlView::drawEnvironment(Environment e) {
  sceneDrawn_ = e;
  EnvironmentDrawer::AvatarPasses passes;
  passes.body = [this] {
    if (bodyShown) gl_->body.DrawBody(avatar_);
  };
  if (e == Environment::Sky) {
    // What the lake reflects: the body, the garments, the accessories and
    // the scene objects, upside down below the floor.
    passes.mirrored = [this] {
      if (bodyShown) gl_->body.DrawBody(avatar_);
      glBindTexture(GL_TEXTURE_2D, 0);
      drawGarments();
      if (accessoriesOn) drawAccessories(false);
      if (!sceneObjects_->empty()) sceneObjects_->DrawSceneObjects();
    };
  }
  switch (e) {
    case Environment::Sky:
      gl_->environment.DrawSky(passes);
      break;
    case Environment::Room:
      gl_->environment.DrawRoom(passes);
      break;
    case Environment::Beach:
      gl_->environment.DrawBeach(passes);
      break;
  }
}

}  // namespace vestora
