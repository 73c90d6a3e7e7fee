// The default wardrobe's garments: a fitted dress bound to the default body
// (".pop"), a top that hangs round the body without seams and is bound when
// the user re-drapes it, and a skirt of two flat panels still to be sewn
// (both ".msh").
#include <stdexcept>

#include "avatar/avatar_table.h"
#include "cloth/body_surface.h"
#include "cloth/garment_files.h"
#include "cloth/garment_fit.h"
#include "content/generated.h"
#include "garments/garment_design.h"

namespace vestora::generate {

HangingStyle dressStyle() {
  HangingStyle style;
  style.texture = "Dress.jpg";
  return style;
}

HangingStyle topStyle() {
  HangingStyle style;
  style.hemCm = 86;
  style.sideTopCm = 121;
  style.frontTopCm = 134;
  style.backTopCm = 130;
  style.clearanceCm = 0.7f;
  style.flare = 0.05f;
  style.strapRails = 4;
  style.strapCentreCm = 10;
  style.texture = "Top.jpg";
  return style;
}

SkirtStyle skirtStyle() {
  SkirtStyle style;
  style.texture = "Skirt.jpg";
  return style;
}

void generateGarments(ContentRoot& root) {
  Avatar body(root.root());
  const auto loaded = body.selectAvatar(kAvatarTable[0]);
  if (!loaded) throw std::runtime_error("garments: " + loaded.error().message());

  // The dress is bound as designed, with its offsets taken back by the
  // widening of the fit, so that on the default body every fit puts each
  // particle where it was designed before relaxing the mesh.
  GarmentMesh dress = hangingGarment(body, dressStyle());
  const BodySurface surface = BodySurface::fromAvatar(body);
  BindGarmentToBody(dress, surface);
  for (BodyBinding& b : dress.bindings) {
    for (float& o : b.offset) o /= kWideningStanding;
  }
  dress.hasBinding = true;
  FitGarmentToBody(dress, surface);
  root.write("\\pattern\\Dress.pop", formatFittedGarment(dress));

  root.writeText("\\pattern\\Top.msh", formatPatternMesh(hangingGarment(body, topStyle())));
  root.writeText("\\pattern\\Skirt.msh", formatPatternMesh(skirtPanels(body, skirtStyle())));
}

}  // namespace vestora::generate
