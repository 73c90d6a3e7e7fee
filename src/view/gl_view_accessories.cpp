// The accessories' place in the frame: each drawn, then tested against the
// left press (pick point B); a hit selects it, the last hit in drawing
// order wins.
#include "view/gl_view.h"
#include "view/gl_view_internal.h"

namespace vestora {

void GlView::drawAccessories(bool pick) {
  Accessories& a = *accessories_;
  std::optional<Vec3f> from, to;
  if (pick && pickB_.set() && matrices_.valid) {
    from = unprojectWindowPoint(matrices_, pickB_.x, pickB_.y, 0.0);
    to = unprojectWindowPoint(matrices_, pickB_.x, pickB_.y, 1.0);
  }
  auto hit = [&](const AccessorySlot& slot) {
    if (!slot || !from || !to) return false;
    const Vec3f direction{to->x - from->x, to->y - from->y, to->z - from->z};
    return rayHitsModel(*slot.model, *from, direction);
  };
  std::optional<AccessoryEntry> picked;
  const bool face = a.hair && a.hair.name == "ManFace";
  if (face) {
    gl_->accessories.DrawFace(a.hair);
    if (hit(a.hair)) picked = AccessoryEntry::Face;
  } else if (a.hair) {
    gl_->accessories.DrawHair(a.hair, a.look.hair);
    if (hit(a.hair)) picked = AccessoryEntry::Hair;
  }
  if (a.wornItem) {
    gl_->accessories.DrawWornItem(a.wornItem, a.look);
    if (hit(a.wornItem)) picked = AccessoryEntry::WornItem;
  }
  gl_->accessories.DrawFootwear(a);
  if (hit(a.shoe)) picked = AccessoryEntry::Shoe;
  if (hit(a.bag)) picked = AccessoryEntry::Bag;
  if (hit(a.sock)) picked = AccessoryEntry::Sock;
  if (picked) a.select(*picked);
}

}  // namespace vestora
