// The view's side of the wardrobe: what an activated entry does.
#include "avatar/avatar_table.h"
#include "avatar/wardrobe_entry.h"
#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "view/gl_view.h"
#include "view/gl_view_internal.h"
#include "view/object3d.h"

namespace vestora {

Result<void> GlView::selectAvatarEntry(std::string_view thumbnail) {
  const AvatarEntry* entry = avatarEntryFor(thumbnail);
  if (!entry) return makeError(std::string(thumbnail), "not a body of the wardrobe");
  if (entry->pose) return selectPose(thumbnail);
  stopIdleAnimation();
  sceneObjects_->FreeSceneObjects();
  if (auto loaded = avatar_.selectAvatar(*entry); !loaded) {
    host_.dialogs().showMessage("无法读取这个人体模型：" + loaded.error().message(), "",
                                MessageIcon::Warning);
    startIdleAnimationWhenUndressed();
    redraw();
    return loaded.error();
  }
  afterBodyLoaded();
  tryOn_->takeOff();
  accessories_->reseat();
  startIdleAnimationWhenUndressed();
  redraw();
  return {};
}

Result<void> GlView::ActivateEntry(std::string_view path) {
  const EntryAction action = classifyEntry(path);
  auto refused = [&](const Error& e) -> Result<void> {
    host_.dialogs().showMessage(e.what, "", MessageIcon::Warning);
    redraw();
    return e;
  };
  switch (action.kind) {
    case EntryKind::None:
      return {};
    case EntryKind::Fabric:
      // A fabric needs a garment to go on.
      if (tryOn_->garment().particles.empty()) return {};
      gl_->garmentTextureWanted = action.target;
      redraw();
      return {};
    case EntryKind::PatternMesh:
    case EntryKind::FittedGarment: {
      const std::string file = action.target.find('/') != std::string::npos
                                   ? action.target
                                   : dataPath(root_, action.target);
      if (action.kind == EntryKind::FittedGarment && avatar_.modelName() != "woman" &&
          avatar_.modelName() != "man") {
        return refused(makeError("", kGarmentUnfitMessage));
      }
      auto loaded = action.kind == EntryKind::PatternMesh ? tryOn_->LoadPatternMeshCommand(file)
                                                          : tryOn_->LoadFittedGarmentCommand(file);
      lastGarmentEntry = std::string(path);
      progressStep_ = 0;
      host_.showProgress(0);
      redraw();
      return loaded;
    }
    case EntryKind::Glasses:
    case EntryKind::Hair:
    case EntryKind::Accessory: {
      if (auto worn = accessories_->wearEntry(action.target); !worn) return refused(worn.error());
      redraw();
      return {};
    }
    case EntryKind::Avatar:
      return selectAvatarEntry(action.target);
  }
  return {};
}

bool GlView::fitMapOnScreen() const {
  return fitMapShown && !tryOn_->garment().particles.empty() &&
         tryOn_->display() != GarmentDisplay::Pattern;
}

}  // namespace vestora
