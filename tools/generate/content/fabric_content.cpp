// The fabric swatches: one picture of each fabric under its own name, and
// the cloth of the sample garments.
#include <stdexcept>
#include <string>

#include "assets/assets.h"
#include "content/generated.h"

namespace vestora::generate {

FabricImage garmentFabric(std::string_view garment) {
  constexpr int kSize = kFabricTextureSize;
  FabricImage f;
  f.size = kSize;
  if (garment == "Dress") {
    // A summer dress: white and buttercup flowers on cornflower blue.
    f.rgb = floralPrintTexture(
        kSize, kSize, 1,
        {{120, 152, 200}, {250, 248, 240}, {250, 214, 120}, {236, 170, 60}, {104, 146, 98}});
  } else if (garment == "Top") {
    f.rgb = knitTexture(kSize, kSize, 2, {222, 174, 170});  // dusty rose jersey
  } else if (garment == "Skirt") {
    f.rgb = denimTexture(kSize, kSize, 3, 0.7);  // light stone wash
  } else if (garment == "Tunic") {
    f.rgb = linenTexture(kSize, kSize, 11, {150, 168, 138});  // sage linen
  } else if (garment == "Maxi") {
    // Ivory and blush flowers on terracotta.
    f.rgb = floralPrintTexture(
        kSize, kSize, 12,
        {{184, 92, 66}, {246, 236, 220}, {240, 190, 170}, {232, 196, 96}, {96, 120, 84}});
  } else if (garment == "Camisole") {
    f.rgb = silkTexture(kSize, kSize, 13, {226, 206, 176});  // champagne satin
  } else {
    throw std::invalid_argument("no fabric for the garment " + std::string(garment));
  }
  return f;
}

std::vector<std::uint8_t> garmentFabricJpeg(std::string_view garment) {
  const FabricImage f = garmentFabric(garment);
  return encodeJpeg(f.size, f.size, f.rgb, kFabricJpegQuality);
}

void writeFabricTextures(ContentRoot& root) {
  constexpr int kSize = kFabricTextureSize;
  auto write = [&](const std::string& name, const std::vector<std::uint8_t>& jpeg) {
    root.write("\\pattern\\texture\\" + name + ".jpg", jpeg);
  };
  for (const FabricName& fabric : kFabricNames)
    write(fabric.name, encodeJpeg(kSize, kSize, fabricTexture(fabric.kind, kSize, kSize, 0),
                                  kFabricJpegQuality));
  for (const char* garment : {"Dress", "Top", "Skirt"}) write(garment, garmentFabricJpeg(garment));
}

}  // namespace vestora::generate
