// The default wardrobe's garments: a fitted dress bound to the default body
// (".pop"), a top that hangs round the body without seams and is bound when
// the user re-drapes it, and a skirt of two flat panels still to be sewn
// (both ".msh"), each with its wardrobe thumbnail and detail pictures.
#include <stdexcept>

#include "assets/assets.h"
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

GarmentMesh fittedGarment(const Avatar& body, GarmentMesh garment) {
  // Bound as designed, with the offsets taken back by the widening of the
  // fit, so that on the default body every fit puts each particle where it
  // was designed before relaxing the mesh.
  const BodySurface surface = BodySurface::fromAvatar(body);
  BindGarmentToBody(garment, surface);
  for (BodyBinding& b : garment.bindings) {
    for (float& o : b.offset) o /= kWideningStanding;
  }
  garment.hasBinding = true;
  FitGarmentToBody(garment, surface);
  return garment;
}

GarmentPictures garmentPictures(const Avatar& body, const GarmentMesh& garment,
                                const FabricImage& fabric) {
  constexpr int kQuality = 88;
  GarmentPictures p;
  p.thumbnailBmp = encodeBmp(kThumbnailWidth, kThumbnailHeight,
                             drawGarmentPicture(body, garment, fabric, PictureView::Front,
                                                kThumbnailWidth, kThumbnailHeight));
  p.frontJpeg = encodeJpeg(
      kDetailWidth, kDetailHeight,
      drawGarmentPicture(body, garment, fabric, PictureView::Front, kDetailWidth, kDetailHeight),
      kQuality);
  p.backJpeg = encodeJpeg(
      kDetailWidth, kDetailHeight,
      drawGarmentPicture(body, garment, fabric, PictureView::Back, kDetailWidth, kDetailHeight),
      kQuality);
  return p;
}

void writeGarmentPictures(ContentRoot& root, std::string_view prefix, std::string_view file,
                          std::string_view name, const GarmentPictures& pictures) {
  const std::string p(prefix), n(name);
  root.write(p + std::string(file) + ".bmp", pictures.thumbnailBmp);
  root.write(p + n + "00.jpg", pictures.frontJpeg);
  root.write(p + n + "01.jpg", pictures.backJpeg);
}

void generateGarments(ContentRoot& root) {
  Avatar body(root.root());
  const auto loaded = body.selectAvatar(kAvatarTable[0]);
  if (!loaded) throw std::runtime_error("garments: " + loaded.error().message());

  const GarmentMesh dress = fittedGarment(body, hangingGarment(body, dressStyle()));
  root.write("\\pattern\\Dress.pop", formatFittedGarment(dress));
  const GarmentMesh top = hangingGarment(body, topStyle());
  root.writeText("\\pattern\\Top.msh", formatPatternMesh(top));
  const GarmentMesh skirt = skirtPanels(body, skirtStyle());
  root.writeText("\\pattern\\Skirt.msh", formatPatternMesh(skirt));

  writeGarmentPictures(root, "\\pattern\\", "Dress.pop", "Dress",
                       garmentPictures(body, dress, garmentFabric("Dress")));
  writeGarmentPictures(root, "\\pattern\\", "Top.msh", "Top",
                       garmentPictures(body, top, garmentFabric("Top")));
  writeGarmentPictures(root, "\\pattern\\", "Skirt.msh", "Skirt",
                       garmentPictures(body, skirt, garmentFabric("Skirt")));
}

}  // namespace vestora::generate
